#include "core/settings/ini_document.h"

#include <string>
#include <string_view>

#include "core/text/blanks.h"

namespace quonder {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// True for a line that holds only blanks, or a comment.
bool IsBlankOrComment(std::string_view text) {
  std::string_view body = TrimBlanks(text);
  return body.empty() || body.front() == ';' || body.front() == '#';
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool HasOuterBlank(std::string_view s) {
  return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back()));
}

}  // namespace

bool SameIniName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

bool IsWritableSectionName(std::string_view name) {
  return !name.empty() && !HasLineBreakOrNul(name) && !HasOuterBlank(name) &&
         name.find(']') == std::string_view::npos;
}

bool IsWritableKeyName(std::string_view name) {
  return !name.empty() && !HasLineBreakOrNul(name) && !HasOuterBlank(name) &&
         name.find('=') == std::string_view::npos && name.front() != ';' && name.front() != '#' &&
         name.front() != '[';
}

bool IsWritableValue(std::string_view value) { return !HasLineBreakOrNul(value); }

IniDocument::Line IniDocument::MakeLine(std::string text, std::string line_end) {
  Line line;
  line.text = std::move(text);
  line.line_end = std::move(line_end);
  if (IsBlankOrComment(line.text)) return line;
  std::string_view body = TrimBlanks(line.text);
  if (body.front() == '[') {
    size_t close = body.find(']');
    if (close != std::string_view::npos) {
      line.kind = Kind::kSection;
      line.name = std::string(TrimBlanks(body.substr(1, close - 1)));
    }
    return line;
  }
  size_t equals = line.text.find('=');
  if (equals == std::string::npos) return line;
  std::string_view name = TrimBlanks(std::string_view(line.text).substr(0, equals));
  if (name.empty()) return line;
  line.kind = Kind::kKey;
  line.name = std::string(name);
  size_t start = equals + 1;
  while (start < line.text.size() && IsBlank(line.text[start])) ++start;
  line.value_start = start;
  return line;
}

bool IniDocument::Parse(std::string_view bytes) {
  bom_ = false;
  eol_ = std::string("\n");  // a whole string: GCC 12 warns falsely (-Wrestrict) for a literal
  lines_.clear();
  if (bytes.find('\0') != std::string_view::npos) return false;
  if (bytes.substr(0, kBom.size()) == kBom) {
    bom_ = true;
    bytes.remove_prefix(kBom.size());
  }
  bool eol_known = false;
  while (!bytes.empty()) {
    size_t lf = bytes.find('\n');
    std::string_view text = bytes.substr(0, lf);
    std::string_view line_end;
    if (lf != std::string_view::npos) {
      line_end = "\n";
      if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
        line_end = "\r\n";
      }
      if (!eol_known) {
        eol_ = std::string(line_end);
        eol_known = true;
      }
      bytes.remove_prefix(lf + 1);
    } else {
      bytes = {};
    }
    lines_.push_back(MakeLine(std::string(text), std::string(line_end)));
  }
  return true;
}

std::string IniDocument::Serialize() const {
  std::string bytes;
  if (bom_) bytes = kBom;
  for (const Line& line : lines_) {
    bytes += line.text;
    bytes += line.line_end;
  }
  return bytes;
}

size_t IniDocument::FindSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kSection && SameIniName(lines_[i].name, section)) return i;
  }
  return std::string::npos;
}

size_t IniDocument::SectionEnd(size_t header) const {
  size_t end = header + 1;
  while (end < lines_.size() && lines_[end].kind != Kind::kSection) ++end;
  return end;
}

std::optional<std::string> IniDocument::FindValue(std::string_view section,
                                                  std::string_view key) const {
  size_t header = FindSection(section);
  if (header == std::string::npos) return std::nullopt;
  size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    const Line& line = lines_[i];
    if (line.kind != Kind::kKey || !SameIniName(line.name, key)) continue;
    std::string_view value = TrimBlanks(std::string_view(line.text).substr(line.value_start));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
  }
  return std::nullopt;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  size_t header = FindSection(section);
  if (header == std::string::npos) return names;
  size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    if (lines_[i].kind != Kind::kKey) continue;
    bool seen = false;
    for (const std::string& name : names) seen = seen || SameIniName(name, lines_[i].name);
    if (!seen) names.push_back(lines_[i].name);
  }
  return names;
}

void IniDocument::EndLineBefore(size_t index) {
  if (index == 0 || !lines_[index - 1].line_end.empty()) return;
  Line& line = lines_[index - 1];
  // A CR that ends the file is text; behind it a lone LF would make it half of a CR LF and take
  // it out of the line (and of its value). A CR LF keeps it.
  line.line_end = line.text.ends_with('\r') ? "\r\n" : eol_;
}

void IniDocument::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  std::string key_line = std::string(key) + "=" + std::string(value);
  size_t header = FindSection(section);
  if (header == std::string::npos) {
    size_t at = lines_.size();
    EndLineBefore(at);
    if (at > 0 && !TrimBlanks(lines_[at - 1].text).empty()) lines_.push_back(MakeLine("", eol_));
    lines_.push_back(MakeLine(std::string("[").append(section).append("]"), eol_));
    lines_.push_back(MakeLine(std::move(key_line), eol_));
    return;
  }
  size_t end = SectionEnd(header);
  size_t last_content = header;
  for (size_t i = header + 1; i < end; ++i) {
    Line& line = lines_[i];
    if (line.kind == Kind::kKey && SameIniName(line.name, key)) {
      line.text = line.text.substr(0, line.value_start) + std::string(value);
      return;
    }
    if (!IsBlankOrComment(line.text)) last_content = i;
  }
  size_t at = last_content + 1;
  EndLineBefore(at);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                MakeLine(std::move(key_line), eol_));
}

bool IniDocument::RemoveKey(std::string_view section, std::string_view key) {
  size_t header = FindSection(section);
  if (header == std::string::npos) return false;
  size_t end = SectionEnd(header);
  bool removed = false;
  for (size_t i = end; i-- > header + 1;) {
    if (lines_[i].kind == Kind::kKey && SameIniName(lines_[i].name, key)) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      removed = true;
    }
  }
  return removed;
}

}  // namespace quonder
