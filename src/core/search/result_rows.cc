#include "core/search/result_rows.h"

#include <algorithm>

namespace quonder {
namespace {

// 128 KB of text per chunk: large enough that the chunk list stays short, small enough that a
// new chunk costs nothing noticeable.
constexpr size_t kChunkChars = size_t{1} << 16;

bool FitsUnsigned(int64_t value) { return value >= 0 && value < int64_t{UINT32_MAX}; }
bool FitsSigned(int64_t value) { return value >= INT32_MIN && value <= INT32_MAX; }

}  // namespace

size_t ResultRows::AddFound(std::u16string_view found) {
  // Plain runs find the same text again and again: a run of equal texts is stored once.
  if (!found_.empty()) {
    const size_t last = found_.size() - 1;
    const Text& text = found_[last];
    if (text.length == found.size() &&
        std::u16string_view(found_chunks_[text.chunk]).substr(text.offset, text.length) == found) {
      return last;
    }
  }
  if (found_chunks_.empty() ||
      found_chunks_.back().size() + found.size() > found_chunks_.back().capacity()) {
    found_chunks_.emplace_back();
    found_chunks_.back().reserve(std::max(kChunkChars, found.size()));
  }
  std::u16string& chunk = found_chunks_.back();
  found_.push_back(Text{static_cast<uint32_t>(found_chunks_.size() - 1),
                        static_cast<uint32_t>(chunk.size()), found.size()});
  chunk.append(found);
  return found_.size() - 1;
}

void ResultRows::NotePath(std::string_view path) {
  // Rows of one file are adjacent, so comparing with the last path is enough to share it.
  if (paths_.empty() || paths_.back().path != path) {
    paths_.push_back(PathRun{rows_.size(), std::string(path)});
  }
}

void ResultRows::PushRow(int64_t line, int64_t column, int64_t pointer, size_t found) {
  if (FitsUnsigned(line) && FitsSigned(column) && FitsUnsigned(pointer) && found < kWide) {
    rows_.push_back(Packed{static_cast<uint32_t>(line), static_cast<int32_t>(column),
                           static_cast<uint32_t>(pointer), static_cast<uint32_t>(found)});
  } else {
    wide_.push_back(Wide{rows_.size(), line, column, pointer, found});
    rows_.push_back(Packed{kWide, 0, 0, 0});
  }
}

void ResultRows::Append(std::string_view path, int64_t line, int64_t column, int64_t pointer,
                        std::u16string_view found) {
  NotePath(path);
  PushRow(line, column, pointer, AddFound(found));
}

void ResultRows::Append(const ResultRows& other) {
  if (&other == this) {
    const ResultRows copy = other;
    Append(copy);
    return;
  }
  // A batch is appended on the window's thread, so it is copied as it is stored: path by path
  // run and found text by found text, not row by row through the public Append.
  size_t wide = 0;
  size_t last_found = SIZE_MAX;  // other's found text last added, and its index here
  size_t found_here = 0;
  for (size_t run = 0; run < other.paths_.size(); ++run) {
    const size_t first = other.paths_[run].first_row;
    const size_t end =
        run + 1 < other.paths_.size() ? other.paths_[run + 1].first_row : other.size();
    NotePath(other.paths_[run].path);
    for (size_t i = first; i < end; ++i) {
      const Packed& row = other.rows_[i];
      Wide numbers{0, row.line, row.column, row.pointer, row.found};
      if (row.line == kWide) numbers = other.wide_[wide++];
      if (numbers.found != last_found) {
        last_found = numbers.found;
        found_here = AddFound(other.FoundText(numbers.found));
      }
      PushRow(numbers.line, numbers.column, numbers.pointer, found_here);
    }
  }
}

void ResultRows::Clear() {
  // Swapping with empty containers gives the memory back; millions of rows' worth should not
  // linger after the list is emptied.
  std::deque<Packed>().swap(rows_);
  std::deque<PathRun>().swap(paths_);
  std::deque<Text>().swap(found_);
  std::vector<Wide>().swap(wide_);
  std::vector<std::u16string>().swap(found_chunks_);
}

const std::string& ResultRows::Path(size_t index) const {
  // The last run whose first row is at or before `index`.
  auto run = std::upper_bound(paths_.begin(), paths_.end(), index,
                              [](size_t row, const PathRun& r) { return row < r.first_row; });
  return std::prev(run)->path;
}

const ResultRows::Wide& ResultRows::WideRow(size_t index) const {
  return *std::lower_bound(wide_.begin(), wide_.end(), index,
                           [](const Wide& wide, size_t row) { return wide.row < row; });
}

int64_t ResultRows::Line(size_t index) const {
  const Packed& p = rows_[index];
  return p.line == kWide ? WideRow(index).line : p.line;
}

int64_t ResultRows::Column(size_t index) const {
  const Packed& p = rows_[index];
  return p.line == kWide ? WideRow(index).column : p.column;
}

int64_t ResultRows::Pointer(size_t index) const {
  const Packed& p = rows_[index];
  return p.line == kWide ? WideRow(index).pointer : p.pointer;
}

size_t ResultRows::FoundIndex(size_t index) const {
  const Packed& p = rows_[index];
  return p.line == kWide ? WideRow(index).found : p.found;
}

std::u16string_view ResultRows::FoundText(size_t found) const {
  const Text& text = found_[found];
  return std::u16string_view(found_chunks_[text.chunk]).substr(text.offset, text.length);
}

std::u16string_view ResultRows::Found(size_t index) const { return FoundText(FoundIndex(index)); }

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
