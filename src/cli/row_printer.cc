#include "cli/row_printer.h"

#include <cerrno>
#include <cstdint>

#include "core/search/row_text.h"
#include "core/text/decimal.h"
#include "core/text/string_common.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

constexpr size_t kFlushAt = 1 << 16;

void AppendBase64(std::string_view bytes, std::string& out) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t n = static_cast<uint8_t>(bytes[i]) << 16 |
                       static_cast<uint8_t>(bytes[i + 1]) << 8 | static_cast<uint8_t>(bytes[i + 2]);
    for (int shift : {18, 12, 6, 0}) out += kDigits[(n >> shift) & 63];
  }
  if (i == bytes.size()) return;
  const bool two = i + 2 == bytes.size();
  const uint32_t n =
      static_cast<uint8_t>(bytes[i]) << 16 | (two ? static_cast<uint8_t>(bytes[i + 1]) << 8 : 0);
  out += kDigits[(n >> 18) & 63];
  out += kDigits[(n >> 12) & 63];
  out += two ? kDigits[(n >> 6) & 63] : '=';
  out += '=';
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
  AppendDecimal(row.number, buffer_);
  AppendJsonPath(row.path);
  buffer_ += ",\"line\":";
  AppendDecimal(row.line, buffer_);
  buffer_ += ",\"column\":";
  AppendDecimal(row.column, buffer_);
  buffer_ += ",\"found\":\"";
  AppendJsonString(found_escaped ? UnescapeControlChars(row.found) : row.found, buffer_);
  buffer_ += "\",\"pointer\":";
  AppendDecimal(row.pointer, buffer_);
  buffer_ += "}\n";
}

void RowPrinter::PrintCount(const std::string& path, int64_t hits) {
  if (json_) {
    buffer_ += '{';
    AppendJsonPath(path);
    buffer_ += ",\"count\":";
    AppendDecimal(hits, buffer_);
    buffer_ += "}\n";
  } else {
    AppendPathForLine(path, buffer_);
    buffer_ += '\t';
    AppendDecimal(hits, buffer_);
    buffer_ += '\n';
  }
  if (buffer_.size() >= kFlushAt) Flush();
}

// ,"path":"..." (after the object's opening brace: without the comma) and, for a path that is
// not UTF-8, ,"path_base64":"...".
void RowPrinter::AppendJsonPath(const std::string& path) {
  if (buffer_.back() != '{') buffer_ += ',';
  buffer_ += "\"path\":\"";
  AppendJsonString(ToUtf16(path), buffer_);
  buffer_ += '"';
  if (IsValidUtf8(path)) return;
  buffer_ += ",\"path_base64\":\"";
  AppendBase64(path, buffer_);
  buffer_ += '"';
}

void RowPrinter::Flush() {
  if (buffer_.empty()) return;
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size() && error_ == 0) {
    error_ = errno != 0 ? errno : EIO;
  }
  buffer_.clear();
}

}  // namespace quonder
