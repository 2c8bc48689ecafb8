// The tool tip of a result row: the text of the hit's line, read again from its file, with the
// hit marked. Rich text (HTML), every character of the file escaped.
//
// Threads: a LinePreviewer is used by one thread at a time (the window's).
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

#include "core/search/line_preview.h"

namespace quonder {

class LinePreviewer {
 public:
  // Tool tip for the hit at `pointer` (1-based, UTF-16 units of the decoded text) of the file
  // at `full_path` read in `charset`. `found` is the row's "Found" text, unescaped first when
  // `reg_exp` (the row came from a regular-expression run); it gives the marked length and shows
  // whether the file still holds the hit (otherwise the tip says that the file has changed).
  // A long line is cut around the hit. Empty when the file cannot be read or decoded, or the
  // pointer lies beyond its text. The last file read is kept (keyed by path, charset, size and
  // modification time) so hovering along the rows of one file reads it once.
  QString ToolTip(const std::string& full_path, const std::string& charset, int32_t pointer,
                  std::u16string_view found, bool reg_exp);

  // The whole line of that hit as plain text, read the same way (and from the same kept file);
  // empty when the file cannot be read or the pointer lies beyond its text.
  QString LineText(const std::string& full_path, const std::string& charset, int32_t pointer,
                   std::u16string_view found, bool reg_exp);

  // Forgets the kept file (call when a run or a replace changes what files hold).
  void Reset();

 private:
  // Reads the file unless it is the one kept; false when it cannot be read or decoded.
  bool Load(const std::string& full_path, const std::string& charset);
  bool Preview(const std::string& full_path, const std::string& charset, int32_t pointer,
               std::u16string_view found, bool reg_exp, size_t max_chars, LinePreview& preview);

  std::string path_;
  std::string charset_;
  qint64 size_ = -1;
  QDateTime modified_;
  std::u16string text_;
};

}  // namespace quonder
