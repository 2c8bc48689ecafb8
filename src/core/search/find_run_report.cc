#include "core/search/find_run_report.h"

#include <utility>

#include "core/text/string_common.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

// Counter texts come once per row: made without a narrow string in between.
std::u16string Decimal(int64_t value) {
  char16_t digits[24];
  char16_t* end = digits + 24;
  char16_t* at = end;
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    *--at = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--at = u'-';
  return std::u16string(at, end);
}

}  // namespace

void ReportFileLoaded(FindHost& host, const std::string& relative_path, FindRunResult& result) {
  ++result.file_counter;
  host.SetStatusText(StatusPanel::kCurrentFile, ToUtf16(relative_path));
  host.SetStatusText(StatusPanel::kFileCounter, Decimal(result.file_counter));
}

ResultRow MakeRow(const std::string& relative_path, int32_t line, int32_t column, int32_t pointer,
                  std::u16string_view found, bool reg_exp) {
  ResultRow row;
  row.path = relative_path;
  row.line = line;
  row.column = column;
  row.pointer = pointer;
  if (reg_exp) {
    row.found = EscapeControlChars(std::u16string(found));
  } else {
    row.found.assign(found);
  }
  return row;
}

void ReportRow(FindHost& host, ResultRow row, FindRunResult& result) {
  row.number = ++result.find_counter;
  host.AddResultRow(std::move(row));
  host.SetStatusText(StatusPanel::kFindCounter, Decimal(result.find_counter));
}

}  // namespace quonder
