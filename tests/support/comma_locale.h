// Tests of locale independence: a locale whose decimal mark is a comma (de_DE.UTF-8), made
// with localedef into a folder of the test's own (LOCPATH) the first time it is asked for, so
// that the tests need no locale installed on the machine, only localedef and the locale
// sources of the `locales` package (scripts/install-deps.sh installs it).
#pragma once

#include <string>

namespace quonder::testing {

class CommaDecimalLocale {
 public:
  // Switches the whole process to the locale (setlocale LC_ALL, as the toolkit does at start
  // with the user's locale); when that is not possible, error() says why.
  CommaDecimalLocale();
  // Back to the locale that was in use before.
  ~CommaDecimalLocale();
  CommaDecimalLocale(const CommaDecimalLocale&) = delete;
  CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

  bool active() const { return error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  std::string previous_;
  std::string error_;
};

}  // namespace quonder::testing
