// What a find run tells its host about one file and one hit, in one place, so that a run on
// one thread and a run over many workers hand the host exactly the same calls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/search/find_host.h"
#include "core/search/find_run.h"

namespace quonder {

// The file at `relative_path` was loaded: it counts in the file counter, and panels 2 and 3
// show it.
void ReportFileLoaded(FindHost& host, const std::string& relative_path, FindRunResult& result);

// The row of one accepted hit, not yet numbered. `found` is the matched text as in the file;
// in regular-expression mode the row shows it escaped, since such a hit may span lines.
ResultRow MakeRow(const std::string& relative_path, int32_t line, int32_t column, int32_t pointer,
                  std::u16string_view found, bool reg_exp);

// Numbers `row` (the next number of the run), hands it to the host and shows the find counter.
void ReportRow(FindHost& host, ResultRow row, FindRunResult& result);

}  // namespace quonder
