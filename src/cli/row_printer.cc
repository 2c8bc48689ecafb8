#include "cli/row_printer.h"

#include <charconv>

#include "core/search/row_text.h"
#include "core/text/string_common.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

constexpr size_t kFlushAt = 1 << 16;

void AppendNumber(int64_t value, std::string& out) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

}  // namespace

void AppendJsonString(std::u16string_view text, std::string& out) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (unit >= 0x20 && unit != u'"' && unit != u'\\') continue;
    AppendUtf8(text.substr(start, i - start), out);
    switch (unit) {
      case u'"':
        out += "\\\"";
        break;
      case u'\\':
        out += "\\\\";
        break;
      case u'\n':
        out += "\\n";
        break;
      case u'\r':
        out += "\\r";
        break;
      case u'\t':
        out += "\\t";
        break;
      default: {
        static constexpr char kHex[] = "0123456789abcdef";
        out += "\\u00";
        out += kHex[unit >> 4];
        out += kHex[unit & 15];
      }
    }
    start = i + 1;
  }
  AppendUtf8(text.substr(start), out);
}

void RowPrinter::Print(const ResultRow& row, bool found_escaped) {
  if (json_) {
    PrintJson(row, found_escaped);
  } else {
    PrintTabbed(row, found_escaped);
  }
  if (buffer_.size() >= kFlushAt) Flush();
}

void RowPrinter::PrintTabbed(const ResultRow& row, bool found_escaped) {
  AppendTabbedRow(row, found_escaped, buffer_);
}

void RowPrinter::PrintJson(const ResultRow& row, bool found_escaped) {
  buffer_ += "{\"no\":";
  AppendNumber(row.number, buffer_);
  buffer_ += ",\"path\":\"";
  AppendJsonString(ToUtf16(row.path), buffer_);
  buffer_ += "\",\"line\":";
  AppendNumber(row.line, buffer_);
  buffer_ += ",\"column\":";
  AppendNumber(row.column, buffer_);
  buffer_ += ",\"found\":\"";
  AppendJsonString(found_escaped ? UnescapeControlChars(row.found) : row.found, buffer_);
  buffer_ += "\",\"pointer\":";
  AppendNumber(row.pointer, buffer_);
  buffer_ += "}\n";
}

void RowPrinter::Flush() {
  if (buffer_.empty()) return;
  std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
  buffer_.clear();
}

}  // namespace quonder
