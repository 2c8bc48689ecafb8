#include "core/search/row_text.h"

#include <cstdint>

#include "core/text/decimal.h"
#include "core/text/string_common.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

// The escape sequence of `unit`, or null when it stands for itself.
const char* EscapeOf(char16_t unit) {
  switch (unit) {
    case u'\\':
      return "\\\\";
    case u'\r':
      return "\\r";
    case u'\n':
      return "\\n";
    case u'\t':
      return "\\t";
    case u'\v':
      return "\\v";
    default:
      return nullptr;
  }
}

}  // namespace

std::string PathForLine(const std::string& path) {
  std::string line;
  AppendPathForLine(path, line);
  return line;
}

void AppendPathForLine(const std::string& path, std::string& out) {
  for (char c : path) {
    if (EscapeOf(static_cast<unsigned char>(c)) != nullptr) {
      out += EscapeControlChars(path);
      return;
    }
  }
  out += path;
}

void AppendEscapedUtf8(std::u16string_view text, std::string& out) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char* escape = EscapeOf(text[i]);
    if (escape == nullptr) continue;
    AppendUtf8(text.substr(start, i - start), out);
    out += escape;
    start = i + 1;
  }
  AppendUtf8(text.substr(start), out);
}

void AppendTabbedRow(const ResultRow& row, bool found_escaped, std::string& out) {
  AppendDecimal(row.number, out);
  out += '\t';
  AppendPathForLine(row.path, out);
  out += '\t';
  AppendDecimal(row.line, out);
  out += '\t';
  AppendDecimal(row.column, out);
  out += '\t';
  if (found_escaped) {
    AppendUtf8(row.found, out);
  } else {
    AppendEscapedUtf8(row.found, out);
  }
  out += '\t';
  AppendDecimal(row.pointer, out);
  out += '\n';
}

}  // namespace quonder
