#include "core/search/result_rows.h"

#include <algorithm>

namespace quonder {
namespace {

// 128 KB of text per chunk: large enough that the chunk list stays short, small enough that a
// new chunk costs nothing noticeable.
constexpr size_t kChunkChars = size_t{1} << 16;

}  // namespace

void ResultRows::AppendOne(const std::string& path, int32_t line, int32_t column, int32_t pointer,
                           std::u16string_view found) {
  // Rows of one file are adjacent, so comparing with the last path is enough to share it.
  if (paths_.empty() || rows_.empty() || paths_.back() != path) paths_.push_back(path);
  if (found_chunks_.empty() ||
      found_chunks_.back().size() + found.size() > found_chunks_.back().capacity()) {
    found_chunks_.emplace_back();
    found_chunks_.back().reserve(std::max(kChunkChars, found.size()));
  }
  std::u16string& chunk = found_chunks_.back();
  rows_.push_back(Packed{static_cast<uint32_t>(paths_.size() - 1), line, column, pointer,
                         static_cast<uint32_t>(found_chunks_.size() - 1),
                         static_cast<uint32_t>(chunk.size()), static_cast<uint32_t>(found.size())});
  chunk.append(found);
}

void ResultRows::Append(const ResultRow& row) {
  AppendOne(row.path, row.line, row.column, row.pointer, row.found);
}

void ResultRows::Append(const ResultRows& other) {
  if (&other == this) {
    const ResultRows copy = other;
    Append(copy);
    return;
  }
  for (size_t i = 0; i < other.size(); ++i) {
    AppendOne(other.Path(i), other.Line(i), other.Column(i), other.Pointer(i), other.Found(i));
  }
}

void ResultRows::Clear() {
  // Swapping with empty containers gives the memory back; a million rows' worth should not
  // linger after the list is emptied.
  std::deque<Packed>().swap(rows_);
  std::vector<std::string>().swap(paths_);
  std::vector<std::u16string>().swap(found_chunks_);
}

std::u16string_view ResultRows::Found(size_t index) const {
  const Packed& p = rows_[index];
  return std::u16string_view(found_chunks_[p.found_chunk]).substr(p.found_offset, p.found_length);
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
