// The rows of a find run, stored compactly: 16 bytes a row, plus each file's relative path once
// and each run of equal found texts once, so that tens of millions of rows stay within a few
// hundred megabytes. strRowPaths entry i is the path of row i. Line, Column and Pointer are
// 64-bit; the rare row whose numbers do not fit 32 bits (a file of 4 GiB and more) is kept
// aside in full. Nothing is ever moved in bulk as rows are added (rows and texts grow in
// blocks), so appending never stalls on a large copy and never holds two copies at once.
// Not thread-safe: owned by one thread at a time.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/search/find_host.h"

namespace quonder {

class ResultRows {
 public:
  // Appends `row` as row size()+1 (its number field is ignored).
  void Append(const ResultRow& row) {
    Append(row.path, row.line, row.column, row.pointer, row.found);
  }
  void Append(std::string_view path, int64_t line, int64_t column, int64_t pointer,
              std::u16string_view found);
  // Appends every row of `other` after the existing ones, in order.
  void Append(const ResultRows& other);
  void Clear();

  size_t size() const { return rows_.size(); }
  // Rows are numbered from 1 as in the list; index here is 0-based. REQUIRES: index < size().
  const std::string& Path(size_t index) const;
  int64_t Line(size_t index) const;
  int64_t Column(size_t index) const;
  int64_t Pointer(size_t index) const;
  // Valid until the next Clear (appending leaves it valid).
  std::u16string_view Found(size_t index) const;
  ResultRow Row(size_t index) const;

 private:
  // line == kWide: the row's numbers are in wide_.
  struct Packed {
    uint32_t line;
    int32_t column;
    uint32_t pointer;
    uint32_t found;  // index into found_
  };
  struct Wide {
    size_t row;
    int64_t line, column, pointer;
    size_t found;
  };
  struct PathRun {
    size_t first_row;  // the run's rows are [first_row, next run's first_row)
    std::string path;
  };
  // A found text: `length` units at `offset` of chunk `chunk`.
  struct Text {
    uint32_t chunk;
    uint32_t offset;
    size_t length;
  };
  static constexpr uint32_t kWide = UINT32_MAX;

  const Wide& WideRow(size_t index) const;
  size_t FoundIndex(size_t index) const;
  std::u16string_view FoundText(size_t found) const;
  size_t AddFound(std::u16string_view found);
  // Starts a run of rows of `path` unless the last rows are of it.
  void NotePath(std::string_view path);
  // Appends a row's numbers, in full aside when they do not fit the compact form.
  void PushRow(int64_t line, int64_t column, int64_t pointer, size_t found);

  std::deque<Packed> rows_;
  std::deque<PathRun> paths_;
  std::deque<Text> found_;
  std::vector<Wide> wide_;  // by row, ascending
  // Found texts, back to back. A chunk is never reallocated once a text is in it: a text that
  // does not fit starts the next chunk.
  std::vector<std::u16string> found_chunks_;
};

}  // namespace quonder
