// The rows of a find run, stored compactly: a million rows stay small and fast. A file's
// relative path is stored once and shared by its rows (strRowPaths entry i is the path of row
// i); found texts live in one pool. Not thread-safe: owned by one thread (the window's).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/find_host.h"

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
  // Valid until the next Append or Clear.
  std::u16string_view Found(size_t index) const;
  ResultRow Row(size_t index) const;

 private:
  struct Packed {
    uint32_t path_index;
    int32_t line;
    int32_t column;
    int32_t pointer;
    uint64_t found_offset;
    uint32_t found_length;
  };
  std::vector<Packed> rows_;
  std::vector<std::string> paths_;
  std::u16string found_pool_;
};

}  // namespace quonder
