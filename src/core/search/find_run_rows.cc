#include "core/search/find_run_rows.h"

#include <utility>

#include "core/text/decimal.h"
#include "core/text/string_common.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

constexpr size_t kFirstRoom = 16;

}  // namespace

void ReportFileLoaded(FindHost& host, const std::string& relative_path, FindRunResult& result) {
  ++result.file_counter;
  if (!host.ShowsStatus()) return;
  host.SetStatusText(StatusPanel::kCurrentFile, ToUtf16(relative_path));
  host.SetStatusText(StatusPanel::kFileCounter, DecimalText(result.file_counter));
}

void HandRow(FindHost& host, ResultRow& row, int64_t line, int64_t column, int64_t pointer,
             std::u16string_view found_cell, FindRunResult& result) {
  row.number = ++result.find_counter;
  row.line = line;
  row.column = column;
  row.pointer = pointer;
  row.found.assign(found_cell);
  host.AddResultRow(row);
  if (host.ShowsStatus()) {
    host.SetStatusText(StatusPanel::kFindCounter, DecimalText(result.find_counter));
  }
}

void RowChunk::Add(int64_t line, int64_t column, int64_t pointer, std::u16string_view found_cell) {
  // Most files with hits have a few: room for them at once spares the doubling steps.
  if (hits_.capacity() == 0) {
    hits_.reserve(kFirstRoom);
    found_.reserve(kFirstRoom * 8);
  }
  hits_.push_back({line, column, pointer, found_cell.size()});
  found_.append(found_cell);
}

void RowChunk::HandTo(FindHost& host, const std::string& relative_path, FindRunResult& result) {
  // Most files have no rows: their path is not copied for nothing.
  if (hits_.empty()) return;
  size_t offset = 0;
  const std::u16string_view found = found_;
  ResultRow row;
  row.path = relative_path;
  for (const Hit& hit : hits_) {
    HandRow(host, row, hit.line, hit.column, hit.pointer, found.substr(offset, hit.found_size),
            result);
    offset += hit.found_size;
  }
  hits_.clear();
  found_.clear();
}

void RowCollector::OnHit(int64_t line, int64_t column, int64_t pointer, std::u16string_view found,
                         const PreparedConditions& prepared) {
  // The mode is read for each row's Found cell.
  if (prepared.conditions().reg_exp) {
    outlet_.Row(line, column, pointer, EscapeControlChars(std::u16string(found)));
  } else {
    outlet_.Row(line, column, pointer, found);
  }
}

}  // namespace quonder
