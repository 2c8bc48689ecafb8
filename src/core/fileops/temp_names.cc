#include "core/fileops/temp_names.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <limits>

namespace quonder {
namespace {

constexpr std::string_view kPrefix = ".quonder-";
constexpr std::string_view kSuffix = ".tmp";

// A decimal number without sign or leading zero (but "0" itself), as std::to_string writes it.
template <typename Number>
bool ParseDecimal(std::string_view text, Number& number) {
  if (text.empty() || (text.size() > 1 && text[0] == '0')) return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string TempFileName(int64_t pid, uint64_t serial) {
  std::string name(kPrefix);
  name += std::to_string(pid);
  name += '-';
  name += std::to_string(serial);
  name += kSuffix;
  return name;
}

bool IsTempFileName(std::string_view name, int64_t* pid) {
  if (name.size() <= kPrefix.size() + kSuffix.size() || name.substr(0, kPrefix.size()) != kPrefix ||
      name.substr(name.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  name = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  const size_t dash = name.find('-');
  if (dash == std::string_view::npos) return false;
  int64_t owner = 0;
  uint64_t serial = 0;
  if (!ParseDecimal(name.substr(0, dash), owner) || owner <= 0 ||
      !ParseDecimal(name.substr(dash + 1), serial)) {
    return false;
  }
  if (pid != nullptr) *pid = owner;
  return true;
}

bool TempOwnerGone(int64_t pid) {
  if (pid <= 0 || pid > std::numeric_limits<pid_t>::max() || pid == ::getpid()) return false;
  // EPERM: the process exists and belongs to someone else.
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace quonder
