// Feeds the regular-expression adapter a random pattern, text and replacement template. A
// pattern may be refused or give up at the engine's work limit; nothing may crash. Where the
// engine ran to its end, every way the find run matches a text must give the same matches: one
// pass, stretches of start positions, the literal prefilter, and the 8-bit matcher over the
// text's UTF-8 (at the same characters).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/search/fast/reg_exp_prefilter.h"
#include "core/search/fast/utf8_reg_exp.h"
#include "core/search/reg_exp.h"
#include "core/search/reg_exp_pattern.h"
#include "core/search/stoppable_matching.h"

namespace quonder {
namespace {

using Matches = std::vector<std::pair<size_t, size_t>>;
constexpr size_t kMaxMatches = 64;

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "reg_exp: %s\n", what);
  std::abort();
}

// Bytes below 0x80 stand for themselves; the others for characters where matching is subtle:
// case pairs beyond ASCII, line ends, surrogates paired and not.
std::u16string Widen(std::string_view bytes) {
  static constexpr char16_t kOthers[] = {
      u'\u00E9', u'\u00C9', u'\u042F', u'\u044F', u'\u212A', u'\u017F', u'\u00DF', u'\u1E9E',
      u'\r',     u'\n',     u'\u2028', u'\u0085', u'\u000B', u'\u00A0', u'\uFFFD', u'\uFEFF',
      0xD83D,    0xDE00,    0xD800,    0xDC00,    u'\u0130', u'\u0131', u'\u03A3', u'\u03C2'};
  std::u16string text;
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      text += static_cast<char16_t>(c);
    } else if (c >= 0xF0) {  // a whole pair
      text += u"\U0001F600";
    } else {
      text += kOthers[c % std::size(kOthers)];
    }
  }
  return text;
}

bool HasLoneSurrogate(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if ((text[i] & 0xFC00) == 0xD800 && i + 1 < text.size() && (text[i + 1] & 0xFC00) == 0xDC00) {
      ++i;
    } else if ((text[i] & 0xF800) == 0xD800) {
      return true;
    }
  }
  return false;
}

// UTF-8 of a text without lone surrogates, and for every byte offset the UTF-16 offset.
std::string ToUtf8(std::u16string_view text, std::vector<size_t>& units_at) {
  std::string bytes;
  units_at.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    const size_t at = i;
    if ((c & 0xFC00) == 0xD800) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    std::string one;
    if (c < 0x80) {
      one += static_cast<char>(c);
    } else if (c < 0x800) {
      one += static_cast<char>(0xC0 | c >> 6);
      one += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      one += static_cast<char>(0xE0 | c >> 12);
      one += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      one += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      one += static_cast<char>(0xF0 | c >> 18);
      one += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      one += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      one += static_cast<char>(0x80 | (c & 0x3F));
    }
    bytes += one;
    units_at.insert(units_at.end(), one.size(), at);
  }
  units_at.push_back(text.size());
  return bytes;
}

template <typename Run>
Matches Collect(Run&& run) {
  Matches matches;
  run([&](size_t begin, size_t end) {
    Check(begin <= end, "a match ends before it begins");
    Check(matches.empty() || begin >= matches.back().second, "matches overlap or go back");
    matches.emplace_back(begin, end);
    return matches.size() < kMaxMatches;
  });
  return matches;
}

void CheckTranslation(std::u16string_view pattern) {
  const reg_exp_internal::TranslatedPattern translated =
      reg_exp_internal::TranslatePattern(pattern);
  Check(translated.source_offset.size() == translated.text.size() + 1, "offsets do not fit");
  Check(translated.source_offset.back() == pattern.size(), "the last offset is not the end");
  for (size_t i = 1; i < translated.source_offset.size(); ++i) {
    Check(translated.source_offset[i - 1] <= translated.source_offset[i], "offsets go back");
  }
}

}  // namespace
}  // namespace quonder

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quonder;
  FuzzedDataProvider input(data, size);
  RegExp::Options options;
  options.ignore_case = input.ConsumeBool();
  options.multiline = true;
  options.bounded_starts = true;
  const bool global = input.ConsumeBool();
  const std::u16string pattern = Widen(input.ConsumeRandomLengthString(32));
  const std::u16string replacement = Widen(input.ConsumeRandomLengthString(16));
  const std::u16string text = Widen(input.ConsumeRandomLengthString(96));

  CheckTranslation(pattern);
  std::unique_ptr<RegExp> engine;
  Status status = RegExp::Compile(pattern, options, engine);
  if (!status.ok()) {
    Check(status.code() == Status::Code::kInvalidPattern && engine == nullptr,
          "a refused pattern gives another error");
    Check(Utf8RegExp::Compile(pattern, options) == nullptr, "only the 8-bit matcher takes it");
    return 0;
  }

  const Matches whole = Collect([&](auto on_match) { engine->ForEachMatch(text, on_match); });
  bool complete = engine->last_error().ok();
  for (const auto& [begin, end] : whole) Check(end <= text.size(), "a match beyond the text");

  if (StartsCanBeSplit(pattern)) {
    size_t pace = 1;
    const Matches stretched = Collect([&](auto on_match) {
      ForEachMatchStoppable(
          std::u16string_view(text), *engine, on_match, [] { return false; }, pace);
    });
    complete = complete && engine->last_error().ok();
    Check(!complete || stretched == whole, "stretches of start positions find other matches");
  }

  const std::unique_ptr<RegExpPrefilter> prefilter = RegExpPrefilter::Make(pattern, options);
  if (prefilter) {
    const Matches filtered = Collect([&](auto on_match) {
      prefilter->ForEachMatch(std::u16string_view(text), *engine, on_match);
    });
    complete = complete && engine->last_error().ok();
    Check(!complete || filtered == whole, "the prefilter finds other matches");
  }

  std::unique_ptr<Utf8RegExp> utf8 = Utf8RegExp::Compile(pattern, options);
  if (utf8 && !HasLoneSurrogate(text)) {
    std::vector<size_t> units_at;
    const std::string bytes = ToUtf8(text, units_at);
    Matches in_bytes = Collect([&](auto on_match) { utf8->ForEachMatch(bytes, on_match); });
    complete = complete && utf8->last_error().ok();
    for (auto& [begin, end] : in_bytes) {
      Check(end <= bytes.size(), "an 8-bit match beyond the bytes");
      for (size_t edge : {begin, end}) {
        Check(edge == 0 || units_at[edge - 1] != units_at[edge], "an 8-bit match cuts a character");
      }
      begin = units_at[begin];
      end = units_at[end];
    }
    Check(!complete || in_bytes == whole, "the 8-bit matcher finds other matches");
    if (prefilter) {
      Matches filtered = Collect([&](auto on_match) {
        prefilter->ForEachMatch(std::string_view(bytes), *utf8, on_match);
      });
      complete = complete && utf8->last_error().ok();
      for (auto& [begin, end] : filtered) {
        begin = units_at[begin];
        end = units_at[end];
      }
      Check(!complete || filtered == whole, "the prefilter over bytes finds other matches");
    }
  }

  // Replacing: any template, never a crash; the text unchanged when the engine gave up.
  const std::u16string replaced = engine->Replace(text, replacement, global);
  Check(engine->last_error().ok() || replaced == text, "a failed replace changed the text");
  if (!whole.empty()) {
    const std::u16string_view hit =
        std::u16string_view(text).substr(whole[0].first, whole[0].second - whole[0].first);
    engine->Replace(hit, replacement, false, true);
  }
  std::u16string result;
  status = RegExpReplace(text, pattern, replacement, options.ignore_case, global, result);
  Check(status.ok() || result == text, "a failed one-call replace changed the text");
  std::vector<RegExpMatch> matches;
  RegExpExecute(text, pattern, matches, options.ignore_case, global);
  return 0;
}
