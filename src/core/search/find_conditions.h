// The conditions of a find run. The run never keeps a copy for longer than one use: it asks its
// host for the current conditions at each point where one is used, so a change made during
// the run applies from the next file or hit on.
#pragma once

#include <cstdint>
#include <string>

namespace quonder {

inline constexpr char16_t kDefaultSeparators[] = u"_,. \"#&'()|[]{}<>";

enum class ExtBehavior : int32_t { kInclude = 0, kExclude = 1 };

struct FindConditions {
  std::u16string find_text;  // not empty for a run to start
  bool reg_exp = false;      // regular-expression mode
  // Plain search compares without regard to case, and so does the pattern (the window's
  // lngCompareMode and blnIgnoreCase, which its check box keeps in step).
  bool ignore_case = false;
  bool word_only = false;
  std::u16string separators = kDefaultSeparators;  // TAB, CR and LF are added by the run
  std::u16string line_feed_code = u"\n";           // u"\r\n", u"\r" or u"\n"
  std::string source_folder;                       // as entered; expanded at the start of the run
  // The source folder is used as given, without %NAME% expansion (a command line's value).
  bool literal_folders = false;
  bool sub_folders = false;
  int32_t max_size = 0;       // bytes; 0 means no limit
  std::u16string extensions;  // free text; an extension matches as a substring
  // Include or Exclude the listed extensions; any other value (from a settings file) lets no
  // file qualify.
  ExtBehavior ext_behavior = ExtBehavior::kInclude;
  std::string coding = "utf-8";  // charset name of the code set table
};

}  // namespace quonder
