// The rows of a find run, stored compactly: a million rows stay small and fast. A file's
// relative path is stored once and shared by its rows (strRowPaths entry i is the path of row
// i); found texts live in pooled chunks. Nothing is ever moved in bulk as rows are added (rows
// and texts grow in fixed-size blocks), so appending never stalls on a large copy.
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
  void Append(const ResultRow& row);
  // Appends every row of `other` after the existing ones, in order.
  void Append(const ResultRows& other);
  void Clear();

  size_t size() const { return rows_.size(); }
  // Rows are numbered from 1 as in the list; index here is 0-based.
  const std::string& Path(size_t index) const { return paths_[rows_[index].path_index]; }
  int32_t Line(size_t index) const { return rows_[index].line; }
  int32_t Column(size_t index) const { return rows_[index].column; }
  int32_t Pointer(size_t index) const { return rows_[index].pointer; }
  // Valid until the next Clear (appending leaves it valid).
  std::u16string_view Found(size_t index) const;
  ResultRow Row(size_t index) const;

 private:
  struct Packed {
    uint32_t path_index;
    int32_t line;
    int32_t column;
    int32_t pointer;
    uint32_t found_chunk;
    uint32_t found_offset;
    uint32_t found_length;
  };

  void AppendOne(const std::string& path, int32_t line, int32_t column, int32_t pointer,
                 std::u16string_view found);

  std::deque<Packed> rows_;
  std::vector<std::string> paths_;
  // Found texts, back to back. A chunk is never reallocated once a text is in it: a text that
  // does not fit starts the next chunk.
  std::vector<std::u16string> found_chunks_;
};

}  // namespace quonder
