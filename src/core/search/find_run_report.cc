#include "core/search/find_run_report.h"

#include <utility>

#include "core/text/decimal.h"
#include "core/text/string_common.h"
#include "core/text/utf_convert.h"

namespace quonder {

void ReportFileLoaded(FindHost& host, const std::string& relative_path, FindRunResult& result) {
  ++result.file_counter;
  host.SetStatusText(StatusPanel::kCurrentFile, ToUtf16(relative_path));
  host.SetStatusText(StatusPanel::kFileCounter, DecimalText(result.file_counter));
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
  host.SetStatusText(StatusPanel::kFindCounter, DecimalText(result.find_counter));
}

}  // namespace quonder
