#include "core/settings/settings_file_check.h"

#include "core/settings/settings_file_io.h"
#include "core/text/blanks.h"

namespace quonder {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsComment(std::string_view body) { return body.front() == ';' || body.front() == '#'; }

// `body` is a trimmed, non-empty line. Stricter than the reader, which takes any '[' line with
// a later ']': prose and notes start lines with "[1] ..." or "[text](link)" too.
bool IsSectionHeader(std::string_view body) {
  if (body.front() != '[') return false;
  const size_t close = body.find(']');
  if (close == std::string_view::npos || TrimBlanks(body.substr(1, close - 1)).empty()) {
    return false;
  }
  const std::string_view rest = TrimBlanks(body.substr(close + 1));
  return rest.empty() || IsComment(rest);
}

}  // namespace

const char* SettingsTextRefusal(std::string_view bytes) {
  if (bytes.find('\0') != std::string_view::npos) {
    return "it holds NUL bytes, so it is not text";
  }
  if (bytes.starts_with(kBom)) bytes.remove_prefix(kBom.size());
  bool other_text = false;
  while (!bytes.empty()) {
    const size_t lf = bytes.find('\n');
    std::string_view line = bytes.substr(0, lf);
    bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const std::string_view body = TrimBlanks(line);
    if (body.empty() || IsComment(body)) continue;
    if (IsSectionHeader(body)) return nullptr;
    other_text = true;
  }
  return other_text ? "it holds text but no [section] line, so it is no INI file" : nullptr;
}

Status CheckSettingsFile(const std::string& path) {
  std::string bytes;
  const Status read = ReadSettingsFile(path, bytes);
  if (read.code() == Status::Code::kNotFound) return Status::Ok();
  if (!read.ok()) return read;
  if (const char* why = SettingsTextRefusal(bytes)) {
    return Status::Error(Status::Code::kInvalidArgument,
                         "\"" + path + "\" is not a settings file: " + why);
  }
  return Status::Ok();
}

}  // namespace quonder
