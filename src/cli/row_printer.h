// Writing result rows to standard output, one line per row, fast enough for millions of rows:
// rows are formatted into one buffer that is written out in large blocks.
//
// Tab-separated: the row text of core/search/row_text.h.
// JSON (one object per line): {"no":1,"path":"sub/a.txt","line":1,"column":1,"found":"...",
// "pointer":1}, the path and the found text as they are (JSON string escapes only). A path that
// is not valid UTF-8 shows its invalid bytes as U+FFFD in "path" and adds "path_base64", its
// bytes in base64, so that every path can be told apart and opened again.
// Counts (--count): "File Path<TAB>hits" per file, or {"path":...,"count":N} in JSON.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "core/search/find_host.h"

namespace quonder {

class RowPrinter {
 public:
  RowPrinter(std::FILE* out, bool json) : out_(out), json_(json) {}
  ~RowPrinter() { Flush(); }
  RowPrinter(const RowPrinter&) = delete;
  RowPrinter& operator=(const RowPrinter&) = delete;

  // `found_escaped`: the row's Found cell is already escaped (regular-expression mode).
  void Print(const ResultRow& row, bool found_escaped);
  // One file's number of hits.
  void PrintCount(const std::string& path, int64_t hits);
  void Flush();
  // The errno of the first write that failed; 0 while every write succeeded.
  int error() const { return error_; }

 private:
  void PrintTabbed(const ResultRow& row, bool found_escaped);
  void PrintJson(const ResultRow& row, bool found_escaped);
  void AppendJsonPath(const std::string& path);

  std::FILE* out_;
  bool json_;
  std::string buffer_;
  int error_ = 0;
};

// Appends the body of a JSON string (without quotes) holding `text`.
void AppendJsonString(std::u16string_view text, std::string& out);

}  // namespace quonder
