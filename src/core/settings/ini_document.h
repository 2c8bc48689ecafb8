// An INI file held as its lines, so that an edit changes only the lines it is about and writes
// every other byte back as it was read (comments, blank lines, unknown sections, odd lines, the
// BOM and the line-end style).
//
// How lines are read:
// - A line ends at LF; a CR just before the LF belongs to the line end. The last line may have
//   no line end.
// - Blanks are spaces and tabs. A line whose first non-blank character is ';' or '#' is a
//   comment.
// - A line whose first non-blank character is '[' and that holds a later ']' is a section
//   header; the name is the text between them, trimmed of blanks. Text after the ']' is ignored.
//   A '[' line without ']' is kept but means nothing.
// - Any other line with a '=' is a key line: the name is the text before the first '=', the
//   value the text after it, both trimmed of blanks. A line whose name is empty means nothing.
// - Lines before the first header belong to no section and cannot be reached by name.
// - Names are compared without regard to ASCII case; the first matching section and, in it,
//   the first matching key win. Later duplicates are kept but never read.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quonder {

class IniDocument {
 public:
  // Splits `bytes` into lines. A leading UTF-8 BOM is remembered and written back. Fails for
  // binary content (a NUL byte), leaving the document empty.
  bool Parse(std::string_view bytes);

  // The file's bytes: every untouched line exactly as parsed.
  std::string Serialize() const;

  // The raw value of the first `key` of the first `section`, trimmed of blanks and, when it
  // then begins and ends with the same quote (" or '), without that pair. nullopt when the
  // section or key is missing.
  std::optional<std::string> FindValue(std::string_view section, std::string_view key) const;

  // Key names of the first `section` in file order, each name once (first spelling wins).
  std::vector<std::string> KeyNames(std::string_view section) const;

  // Sets the value of the first matching key, keeping the line's text up to the value. A new
  // key goes right after the last non-comment, non-blank line of its section (or its header),
  // so comments and blank lines that lead into the next section stay in front of it. A new
  // section goes at the end of the file, after a blank line. New lines use the file's line end
  // (LF for a file that has none yet).
  // REQUIRES: IsWritableSectionName(section), IsWritableKeyName(key), IsWritableValue(value).
  void SetValue(std::string_view section, std::string_view key, std::string_view value);

  // Removes every line of `key` in the first matching section. False when there was none.
  bool RemoveKey(std::string_view section, std::string_view key);

 private:
  enum class Kind { kOther, kSection, kKey };
  struct Line {
    Kind kind = Kind::kOther;
    std::string text;        // without the line end
    std::string line_end;    // "\r\n", "\n", or "" for a last line without one
    std::string name;        // section or key name, trimmed
    size_t value_start = 0;  // kKey: where the value begins in `text`
  };

  static Line MakeLine(std::string text, std::string line_end);
  // Index of the first header named `section`, or npos.
  size_t FindSection(std::string_view section) const;
  // One past the last line of the section whose header is at `header`.
  size_t SectionEnd(size_t header) const;
  // Gives the line before `index` a line end so that a line can follow it.
  void EndLineBefore(size_t index);

  bool bom_ = false;
  std::string eol_ = "\n";
  std::vector<Line> lines_;
};

// Whether a name or value can be written so that it reads back the same: no CR, LF or NUL, a
// key not empty, without '=', not starting with ';', '#' or '[', a section without ']', and
// names without leading or trailing blanks.
bool IsWritableSectionName(std::string_view name);
bool IsWritableKeyName(std::string_view name);
bool IsWritableValue(std::string_view value);

// Whether the names match without regard to ASCII case.
bool SameIniName(std::string_view a, std::string_view b);

}  // namespace quonder
