// The rows of one file on their way from the matcher to the host: made once (the Found cell
// escaped in regular-expression mode, since such a hit may span lines), kept compact while they
// wait, numbered as they are handed over. Every find run, on one worker or several, hands the
// host its rows through here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/search/file_search.h"
#include "core/search/find_host.h"
#include "core/search/find_run.h"

namespace quonder {

// The file at `relative_path` was loaded: it counts in the file counter, and panels 2 and 3
// show it.
void ReportFileLoaded(FindHost& host, const std::string& relative_path, FindRunResult& result);

// Numbers one row (the run's next number), hands it to the host and shows the find counter.
// `row` holds the file's path; the caller keeps it for the file's next row, so that the path is
// not copied per row.
void HandRow(FindHost& host, ResultRow& row, int64_t line, int64_t column, int64_t pointer,
             std::u16string_view found_cell, FindRunResult& result);

// Rows of one file, in order, not yet numbered: 32 bytes a row and its Found cell.
class RowChunk {
 public:
  void Add(int64_t line, int64_t column, int64_t pointer, std::u16string_view found_cell);

  bool empty() const { return hits_.empty(); }
  // The memory it holds, for the run's budget of rows that wait for the host (0 before its
  // first row: an empty string's own room is not counted).
  size_t Bytes() const {
    if (hits_.capacity() == 0) return 0;
    return hits_.capacity() * sizeof(Hit) + found_.capacity() * sizeof(char16_t);
  }

  // Hands every row to the host (HandRow) and empties the chunk.
  void HandTo(FindHost& host, const std::string& relative_path, FindRunResult& result);

 private:
  struct Hit {
    int64_t line;
    int64_t column;
    int64_t pointer;
    size_t found_size;  // the Found cells follow one another in found_
  };
  std::vector<Hit> hits_;
  std::u16string found_;
};

// Where one file's rows go as they are found: to the host at once (one worker), or into the
// file's chunks (several).
class RowOutlet {
 public:
  virtual ~RowOutlet() = default;
  // The file was loaded (before any of its rows).
  virtual void Loaded() = 0;
  // One row; `found_cell` as the Found column shows it, valid for this call only.
  virtual void Row(int64_t line, int64_t column, int64_t pointer,
                   std::u16string_view found_cell) = 0;
};

// Turns one file's events into rows for an outlet.
class RowCollector : public FileEvents {
 public:
  explicit RowCollector(RowOutlet& outlet) : outlet_(outlet) {}

  void OnLoaded() override { outlet_.Loaded(); }
  void OnHit(int64_t line, int64_t column, int64_t pointer, std::u16string_view found,
             const PreparedConditions& prepared) override;

 private:
  RowOutlet& outlet_;
};

}  // namespace quonder
