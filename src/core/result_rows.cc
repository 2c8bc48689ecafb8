#include "core/result_rows.h"

namespace quonder {

void ResultRows::Append(const ResultRow& row) {
  // Rows of one file are adjacent, so comparing with the last path is enough to share it.
  if (paths_.empty() || rows_.empty() || paths_.back() != row.path) paths_.push_back(row.path);
  Packed packed{static_cast<uint32_t>(paths_.size() - 1), row.line, row.column, row.pointer,
                found_pool_.size(), static_cast<uint32_t>(row.found.size())};
  found_pool_ += row.found;
  rows_.push_back(packed);
}

void ResultRows::Append(const ResultRows& other) {
  if (&other == this) {
    const ResultRows copy = other;
    Append(copy);
    return;
  }
  rows_.reserve(rows_.size() + other.rows_.size());
  const uint64_t found_base = found_pool_.size();
  found_pool_ += other.found_pool_;
  uint32_t last_path = 0;
  for (size_t i = 0; i < other.rows_.size(); ++i) {
    Packed packed = other.rows_[i];
    const std::string& path = other.paths_[packed.path_index];
    // The same file may go on across the batch boundary: share its path with the last row.
    if (i == 0 || packed.path_index != other.rows_[i - 1].path_index) {
      if (paths_.empty() || rows_.empty() || paths_.back() != path) paths_.push_back(path);
      last_path = static_cast<uint32_t>(paths_.size() - 1);
    }
    packed.path_index = last_path;
    packed.found_offset += found_base;
    rows_.push_back(packed);
  }
}

void ResultRows::Clear() {
  rows_.clear();
  rows_.shrink_to_fit();
  paths_.clear();
  paths_.shrink_to_fit();
  found_pool_.clear();
  found_pool_.shrink_to_fit();
}

std::u16string_view ResultRows::Found(size_t index) const {
  const Packed& p = rows_[index];
  return std::u16string_view(found_pool_).substr(p.found_offset, p.found_length);
}

ResultRow ResultRows::Row(size_t index) const {
  ResultRow row;
  row.number = static_cast<int64_t>(index) + 1;
  row.path = Path(index);
  row.line = Line(index);
  row.column = Column(index);
  row.pointer = Pointer(index);
  row.found = std::u16string(Found(index));
  return row;
}

}  // namespace quonder
