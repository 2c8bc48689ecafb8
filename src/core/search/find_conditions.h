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
  int32_t compare_mode = 0;  // plain search: 0 exact, 1 ignoring case
  bool ignore_case = false;  // regular expressions
  bool word_only = false;
  std::u16string separators = kDefaultSeparators;  // TAB, CR and LF are added by the run
  std::u16string line_feed_code = u"\n";           // u"\r\n", u"\r" or u"\n"
  std::string source_folder;                       // as entered; expanded at the start of the run
  bool sub_folders = false;
  int32_t max_size = 0;          // bytes; 0 means no limit
  std::u16string extensions;     // free text; an extension matches as a substring
  int32_t ext_behavior = 0;      // 0 Include, 1 Exclude, anything else: no file
  std::string coding = "utf-8";  // charset name of the code set table
};

}  // namespace quonder
