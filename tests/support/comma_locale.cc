#include "support/comma_locale.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/scratch_folder.h"

namespace quonder::testing {
namespace {

constexpr char kLocaleName[] = "de_DE.UTF-8";

// The folder holding the compiled locale, made once per process; "" and `error` set when it
// could not be made.
const std::string& LocaleFolder(std::string& error) {
  static ScratchFolder folder;
  static std::string made_error = [] {
    const std::string log = folder.Path("localedef.log");
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + folder.Path(kLocaleName) + "' >'" + log + "' 2>&1";
    const int status = std::system(command.c_str());
    if (std::filesystem::exists(folder.Path(std::string(kLocaleName) + "/LC_NUMERIC"))) {
      return std::string();
    }
    std::ifstream in(log);
    return "localedef (package locales) could not make " + std::string(kLocaleName) + " (status " +
           std::to_string(status) + "): " + std::string(std::istreambuf_iterator<char>(in), {});
  }();
  error = made_error;
  return folder.path();
}

}  // namespace

CommaDecimalLocale::CommaDecimalLocale() {
  const char* current = std::setlocale(LC_ALL, nullptr);
  previous_ = current != nullptr ? current : "C";
  const std::string& folder = LocaleFolder(error_);
  if (!error_.empty()) return;
  ::setenv("LOCPATH", folder.c_str(), 1);
  if (std::setlocale(LC_ALL, kLocaleName) == nullptr) {
    error_ = std::string("setlocale refused ") + kLocaleName + " from " + folder;
  } else if (std::localeconv()->decimal_point != std::string(",")) {
    error_ = std::string(kLocaleName) + " has no comma decimal mark";
  }
}

CommaDecimalLocale::~CommaDecimalLocale() { std::setlocale(LC_ALL, previous_.c_str()); }

}  // namespace quonder::testing
