#include "core/search/text_matching.h"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <type_traits>

#include "core/search/fast/line_scan.h"
#include "core/search/stoppable_matching.h"
#include "core/text/caseless_fold.h"

namespace quonder {
namespace {

LineFeedScan ScanLines(Utf16View& text, size_t from, size_t to,
                       const PreparedConditions& prepared) {
  return ScanLineFeeds(text.text(), from, to, prepared.conditions().line_feed_code);
}

LineFeedScan ScanLines(Utf8View& text, size_t from, size_t to, const PreparedConditions& prepared) {
  return ScanLineFeeds(text.bytes(), from, to, prepared.line_feed_utf8());
}

// Line location, resumed where the previous hit left it. A changed line feed code is
// searched again from the line start, as a fresh scan would.
template <typename View>
void CountLinesUpTo(View& text, size_t to, MatchState& state, const PreparedConditions& prepared) {
  if (state.scanned_version != prepared.line_feed_version()) {
    state.scanned_version = prepared.line_feed_version();
    state.scanned_to = state.line_start;
  }
  const size_t from = std::max(state.scanned_to, state.line_start);
  if (to <= from) return;
  LineFeedScan scan = ScanLines(text, from, to, prepared);
  state.scanned_to = to;
  if (scan.count > 0) {
    state.line += scan.count;
    state.line_start = scan.end_of_last;
    state.line_start_units = -1;
    state.passed = true;
  }
}

template <typename View>
HitVerdict Record(View& text, size_t begin, size_t end, MatchState& state,
                  const PreparedConditions& prepared, FindHost& host, HitSink& sink) {
  CountLinesUpTo(text, begin, state, prepared);
  if (state.passed) {
    state.passed = false;
    // The stop request is monotonic, so one check after the last line feed passed drops
    // the hit exactly when a check after each of them would have.
    if (host.StopRequested()) return HitVerdict::kStopped;
  }

  if (prepared.conditions().word_only) {
    bool left = begin == 0 || prepared.IsSeparator(text.UnitBefore(begin));
    bool right = end >= text.size() || prepared.IsSeparator(text.UnitAt(end));
    if (!left || !right) return HitVerdict::kRejected;
  }

  // The line start's offset is worked out once per line, and offsets are asked for in
  // increasing order where possible: the UTF-8 view counts them in one pass.
  int64_t hit;
  if (state.line_start_units >= 0) {
    hit = static_cast<int64_t>(text.Utf16Offset(begin));
  } else if (state.line_start <= begin) {
    state.line_start_units = static_cast<int64_t>(text.Utf16Offset(state.line_start));
    hit = static_cast<int64_t>(text.Utf16Offset(begin));
  } else {
    hit = static_cast<int64_t>(text.Utf16Offset(begin));
    state.line_start_units = static_cast<int64_t>(text.Utf16Offset(state.line_start));
  }
  const int64_t line_start = state.line_start_units;
  ++state.count;
  sink.OnHit(state.line, hit - line_start + 1, hit + 1, text.Found(begin, end), prepared);
  return HitVerdict::kAccepted;
}

template <typename View>
void Pass(View& text, size_t to, MatchState& state, const PreparedConditions& prepared) {
  CountLinesUpTo(text, to, state, prepared);
  if (state.line_start_units < 0 && state.line_start < to) {
    state.line_start_units = static_cast<int64_t>(text.Utf16Offset(state.line_start));
  }
}

// First position at or after `from` where the folded text equals `folded_needle`.
size_t FindFolded(std::u16string_view text, size_t from, std::u16string_view folded_needle) {
  const char16_t* fold = FoldTable();
  const size_t n = folded_needle.size();
  if (n == 0 || text.size() < n) return std::u16string_view::npos;
  const char16_t first = folded_needle[0];
  for (size_t i = from; i + n <= text.size(); ++i) {
    if (fold[text[i]] != first) continue;
    size_t k = 1;
    while (k < n && fold[text[i + k]] == folded_needle[k]) ++k;
    if (k == n) return i;
  }
  return std::u16string_view::npos;
}

// Over UTF-8 bytes (ill-formed subparts read as U+FFFD): the first character boundary at or
// after `from` where the characters spell `needle` (folded with `fold` when not null; the
// needle ends on a whole character); `end` receives the byte behind the occurrence. A
// character loop, for the needles and texts that the byte finders cannot take.
size_t FindUnitsUtf8(std::string_view bytes, size_t from, std::u16string_view needle,
                     const char16_t* fold, size_t& end) {
  auto same = [fold](char16_t unit, char16_t wanted) {
    return (fold != nullptr ? fold[unit] : unit) == wanted;
  };
  // ICU's macros index with 32 bits: each candidate is read from a pointer of its own, over
  // the bytes the needle can span at most (four per unit).
  const size_t reach = std::min<size_t>(4 * needle.size() + 4, INT32_MAX);
  for (size_t from_here = from; from_here < bytes.size();) {
    const auto* s = reinterpret_cast<const uint8_t*>(bytes.data()) + from_here;
    const int32_t n = static_cast<int32_t>(std::min(bytes.size() - from_here, reach));
    int32_t at = 0;
    size_t k = 0;
    bool equal = true;
    while (equal && k < needle.size()) {
      if (at >= n) {
        equal = false;
        break;
      }
      UChar32 c;
      U8_NEXT_OR_FFFD(s, at, n, c);
      if (c <= 0xFFFF) {
        equal = same(static_cast<char16_t>(c), needle[k++]);
      } else {
        equal = k + 1 < needle.size() && same(U16_LEAD(c), needle[k]) &&
                same(U16_TRAIL(c), needle[k + 1]);
        k += 2;
      }
    }
    if (equal) {
      end = from_here + static_cast<size_t>(at);
      return from_here;
    }
    int32_t step = 0;
    UChar32 skipped;
    U8_NEXT_OR_FFFD(s, step, n, skipped);
    from_here += static_cast<size_t>(step);
  }
  return std::string_view::npos;
}

size_t NextHit(Utf16View& text, size_t from, const PreparedConditions& prepared, size_t& end) {
  const std::u16string& needle = prepared.needle();
  size_t hit = prepared.ignore_case() ? FindFolded(text.text(), from, needle)
                                      : text.text().find(needle, from);
  end = hit + needle.size();
  return hit;
}

size_t NextHit(Utf8View& text, size_t from, const PreparedConditions& prepared, size_t& end) {
  const ByteFinder* finder = &prepared.utf8_finder();
  if (prepared.ignore_case()) {
    // ASCII-caseless bytes find every hit unless a non-ASCII character folds onto a letter.
    if (prepared.ascii_finder().empty() || text.HasNonAsciiFoldMates()) {
      return FindUnitsUtf8(text.bytes(), from, prepared.needle(), FoldTable(), end);
    }
    finder = &prepared.ascii_finder();
  } else if (!text.valid() && prepared.needle().find(u'\uFFFD') != std::u16string::npos) {
    // U+FFFD may stand for ill-formed bytes.
    return FindUnitsUtf8(text.bytes(), from, prepared.needle(), nullptr, end);
  }
  size_t hit = finder->Find(text.bytes(), from);
  end = hit + finder->needle().size();
  return hit;
}

// Bytes a plain hit needs behind its end within a window: the character the word-only test reads.
constexpr size_t kBytesAfterHit = 4;

// A whole text is one window that ends with the text.
template <typename View>
MatchOutcome Plain(View& text, PlainWindow& window, MatchState& state, PreparedConditions& prepared,
                   FindHost& host, HitSink& sink, const SearchHint* hint) {
  MatchOutcome outcome;
  bool first_step = true;
  while (true) {
    prepared.Refresh(host);
    if (!prepared.has_conditions() || prepared.needle().empty()) {
      window.finished = true;
      break;
    }
    if (first_step && hint != nullptr && hint->needle_version == prepared.needle_version()) {
      window.position = hint->position;
    }
    first_step = false;
    if (!window.last && prepared.needle_version() != window.needle_version) {
      window.limit = std::min(window.limit, window.position);
      break;
    }
    if (window.position >= window.limit) break;
    size_t end = 0;
    size_t hit = NextHit(text, window.position, prepared, end);
    if (hit == std::string_view::npos || hit >= window.limit) break;
    if (!window.last && end + kBytesAfterHit > text.size()) {
      window.limit = hit;
      break;
    }
    if (Record(text, hit, end, state, prepared, host, sink) == HitVerdict::kStopped) {
      outcome.stopped = true;
      break;
    }
    window.position = end;
    if (host.StopRequested()) {
      outcome.stopped = true;
      break;
    }
  }
  outcome.count = state.count;
  return outcome;
}

template <typename View>
MatchOutcome Plain(View& text, PreparedConditions& prepared, FindHost& host, HitSink& sink,
                   const SearchHint* hint) {
  PlainWindow whole;
  whole.limit = text.size();
  whole.last = true;
  MatchState state;
  return Plain(text, whole, state, prepared, host, sink, hint);
}

template <typename View, typename Pattern>
MatchOutcome Regular(View& text, Pattern& reg_exp, bool last, MatchState& state,
                     PreparedConditions& prepared, FindHost& host, HitSink& sink,
                     const RegExpPrefilter* prefilter) {
  MatchOutcome outcome;
  auto subject = [&] {
    if constexpr (std::is_same_v<View, Utf16View>) {
      return text.text();
    } else {
      return text.bytes();
    }
  }();
  auto on_match = [&](size_t begin, size_t end) {
    if (!last && begin >= subject.size()) return false;  // the next window's
    prepared.Refresh(host);
    if (Record(text, begin, end, state, prepared, host, sink) == HitVerdict::kStopped) {
      outcome.stopped = true;
      return false;
    }
    if (host.StopRequested()) {
      outcome.stopped = true;
      return false;
    }
    return true;
  };
  auto stop = [&] { return host.StopRequested(); };
  if (prefilter != nullptr) {
    if (!prefilter->ForEachMatch(subject, reg_exp, on_match, stop)) outcome.stopped = true;
  } else if (reg_exp.bounded_starts()) {
    if (!ForEachMatchStoppable(subject, reg_exp, on_match, stop, reg_exp.stretch_pace())) {
      outcome.stopped = true;
    }
  } else {
    reg_exp.ForEachMatch(subject, on_match);
  }
  if (!outcome.stopped && !reg_exp.last_error().ok()) outcome.error = reg_exp.last_error();
  outcome.count = state.count;
  return outcome;
}

}  // namespace

HitVerdict RecordHit(Utf16View& text, size_t begin, size_t end, MatchState& state,
                     const PreparedConditions& prepared, FindHost& host, HitSink& sink) {
  return Record(text, begin, end, state, prepared, host, sink);
}

HitVerdict RecordHit(Utf8View& text, size_t begin, size_t end, MatchState& state,
                     const PreparedConditions& prepared, FindHost& host, HitSink& sink) {
  return Record(text, begin, end, state, prepared, host, sink);
}

MatchOutcome FindPlain(Utf16View text, PreparedConditions& prepared, FindHost& host,
                       HitSink& sink) {
  return Plain(text, prepared, host, sink, nullptr);
}

MatchOutcome FindPlain(Utf8View& text, PreparedConditions& prepared, FindHost& host, HitSink& sink,
                       const SearchHint* hint) {
  return Plain(text, prepared, host, sink, hint);
}

MatchOutcome FindRegExp(Utf16View text, RegExp& reg_exp, PreparedConditions& prepared,
                        FindHost& host, HitSink& sink, const RegExpPrefilter* prefilter) {
  MatchState state;
  return Regular(text, reg_exp, true, state, prepared, host, sink, prefilter);
}

MatchOutcome FindRegExp(Utf8View& text, Utf8RegExp& reg_exp, PreparedConditions& prepared,
                        FindHost& host, HitSink& sink, const RegExpPrefilter* prefilter) {
  MatchState state;
  return Regular(text, reg_exp, true, state, prepared, host, sink, prefilter);
}

MatchOutcome FindPlain(Utf8View& text, PlainWindow& window, MatchState& state,
                       PreparedConditions& prepared, FindHost& host, HitSink& sink) {
  return Plain(text, window, state, prepared, host, sink, nullptr);
}

MatchOutcome FindRegExp(Utf16View text, RegExp& reg_exp, bool last, MatchState& state,
                        PreparedConditions& prepared, FindHost& host, HitSink& sink,
                        const RegExpPrefilter* prefilter) {
  return Regular(text, reg_exp, last, state, prepared, host, sink, prefilter);
}

MatchOutcome FindRegExp(Utf8View& text, Utf8RegExp& reg_exp, bool last, MatchState& state,
                        PreparedConditions& prepared, FindHost& host, HitSink& sink,
                        const RegExpPrefilter* prefilter) {
  return Regular(text, reg_exp, last, state, prepared, host, sink, prefilter);
}

void PassTo(Utf16View& text, size_t to, MatchState& state, const PreparedConditions& prepared) {
  Pass(text, to, state, prepared);
}

void PassTo(Utf8View& text, size_t to, MatchState& state, const PreparedConditions& prepared) {
  Pass(text, to, state, prepared);
}

}  // namespace quonder
