#include "core/search/windowed_search.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/search/fast/byte_search.h"
#include "core/search/fast/reg_exp_literal.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

bool IsContinuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// Bytes kept before a plain window's first hit: what the word-only test reads before a hit (one
// character, at most four bytes), and up to three more to begin the view on a character.
constexpr size_t kBytesBefore = 8;

// A character boundary of UTF-8 `bytes` at or after `at`, no more than three bytes on: a byte
// that is no continuation byte always begins a sequence (well-formed or not), and no sequence
// runs on across three continuation bytes.
size_t BoundaryFrom(std::string_view bytes, size_t at) {
  for (int step = 0; step < 3 && at < bytes.size() && IsContinuation(bytes[at]); ++step) ++at;
  return at;
}

// The same at or before `at` (REQUIRES: at < bytes.size()).
size_t BoundaryBefore(std::string_view bytes, size_t at) {
  const size_t floor = at >= 3 ? at - 3 : 0;
  while (at > floor && at < bytes.size() && IsContinuation(bytes[at])) --at;
  return at;
}

Utf8Form FormOf(std::string_view bytes) {
  if (IsAscii(bytes)) return Utf8Form::kAscii;
  return IsValidUtf8(bytes) ? Utf8Form::kValid : Utf8Form::kLossy;
}

// Reads `length` bytes of the text at `offset` (fewer at its end). False when the read failed.
// The read itself begins on a page of the file: the kernel copies a page several times slower
// into memory that lies a few bytes off the page's own alignment.
bool ReadText(const FileWindows& file, size_t offset, size_t length, std::string_view& bytes) {
  constexpr size_t kPage = 4096;
  const size_t at = file.bom + offset;
  const size_t skip = at % kPage;
  if (!file.buffer.ReadAt(static_cast<int64_t>(at - skip), skip + length).ok()) return false;
  bytes = file.buffer.bytes();
  bytes.remove_prefix(std::min(skip, bytes.size()));
  return true;
}

}  // namespace

bool MatchesStayInLines(std::u16string_view pattern, bool ignore_case) {
  // Lookarounds (also as verbs), and assertions about the subject's ends or the search's start,
  // read beyond a window cut at a line end.
  for (std::u16string_view reading :
       {u"(?=", u"(?!", u"(?<=", u"(?<!", u"(*", u"\\A", u"\\z", u"\\Z", u"\\G"}) {
    if (pattern.find(reading) != std::u16string_view::npos) return false;
  }
  const std::optional<CharSet> chars = FindMatchCharacters(pattern, ignore_case);
  return chars.has_value() && !chars->Has(U'\r') && !chars->Has(U'\n');
}

WindowedOutcome FindPlainInWindows(const FileWindows& file, PreparedConditions& prepared,
                                   FindHost& host, HitSink& sink) {
  WindowedOutcome outcome;
  const size_t text_size = static_cast<size_t>(file.buffer.file_size()) - file.bom;
  MatchState state;
  size_t view_base = 0;     // where the view in hand begins in the text
  size_t window_start = 0;  // hits before it are found; a character boundary
  size_t units_at_start = 0;
  size_t position = 0;  // where the search goes on
  while (true) {
    // Room behind the window for the longest hit (a folded character may take three bytes
    // for one unit of the find text) and the character after it.
    const size_t overlap = 4 * prepared.needle().size() + 16;
    // Never before the view in hand: the line state only moves forward.
    const size_t read_from =
        std::max(window_start > kBytesBefore ? window_start - kBytesBefore : 0, view_base);
    std::string_view bytes;
    if (!ReadText(file, read_from, window_start - read_from + file.window_bytes + overlap, bytes)) {
      outcome.read_failed = true;
      break;
    }
    const bool last = read_from + bytes.size() >= text_size ||
                      bytes.size() < window_start - read_from + file.window_bytes + overlap;
    // The view begins and ends on characters, so that its form is the text's. Where the read
    // begins at the view in hand (or the text's start) it begins on one already; skipping bytes
    // there would drop stray continuation bytes, each a character, that the word-only test
    // must read before the window's first hit.
    const size_t first = read_from > view_base ? BoundaryFrom(bytes, 0) : 0;
    const size_t end = last ? bytes.size() : BoundaryBefore(bytes, bytes.size() - 4);
    const std::string_view part = bytes.substr(first, end - first);
    const size_t base = read_from + first;
    state.MoveView(view_base, base);
    view_base = base;

    Utf8View view(part, FormOf(part));
    view.SetOrigin(window_start - base, units_at_start);
    PlainWindow window;
    window.position = std::max(position, window_start) - base;
    window.limit = last ? part.size() : BoundaryFrom(part, window_start - base + file.window_bytes);
    window.last = last;
    window.needle_version = prepared.needle_version();
    outcome.matched = FindPlain(view, window, state, prepared, host, sink);
    if (outcome.matched.stopped || window.finished) break;
    if (last && window.limit >= part.size()) break;
    PassTo(view, window.limit, state, prepared);
    units_at_start = view.Utf16Offset(window.limit);
    window_start = base + window.limit;
    position = base + std::max(window.position, window.limit);
    if (host.StopRequested()) {
      outcome.matched.stopped = true;
      break;
    }
  }
  outcome.matched.count = state.count;
  return outcome;
}

namespace {

// The end of the last line in `bytes` that ends at or before `limit`: behind an LF, or behind a
// CR that no LF follows (a CR LF is never cut); 0 when there is none. REQUIRES: limit <
// bytes.size() (the byte after a CR is known).
size_t LastLineEnd(std::string_view bytes, size_t limit) {
  for (size_t at = limit; at > 0; --at) {
    const char c = bytes[at - 1];
    if (c == '\n' || (c == '\r' && bytes[at] != '\n')) return at;
  }
  return 0;
}

}  // namespace

WindowedOutcome FindRegExpInWindows(const FileWindows& file, Utf8RegExp* utf8, RegExp& reg_exp,
                                    const RegExpPrefilter* prefilter, TextCodec& codec,
                                    PreparedConditions& prepared, FindHost& host, HitSink& sink) {
  WindowedOutcome outcome;
  const size_t text_size = static_cast<size_t>(file.buffer.file_size()) - file.bom;
  MatchState state;
  std::u16string decoded;
  size_t window_start = 0;  // a line start
  size_t units_at_start = 0;
  size_t length = file.window_bytes;
  while (true) {
    // One byte more than the window: whether a CR at its end begins a CR LF.
    std::string_view bytes;
    if (!ReadText(file, window_start, length + 1, bytes)) {
      outcome.read_failed = true;
      break;
    }
    const bool last = window_start + bytes.size() >= text_size || bytes.size() <= length;
    const size_t cut = last ? bytes.size() : LastLineEnd(bytes, length);
    // A line longer than the window: the window grows to hold it. (A last window may be empty:
    // the file has become shorter than where it begins.)
    if (cut == 0 && !last) {
      length *= 2;
      continue;
    }
    const std::string_view part = bytes.substr(0, cut);
    // The 8-bit engine matches the bytes themselves unless they are not UTF-8.
    const Utf8Form form = utf8 != nullptr ? FormOf(part) : Utf8Form::kLossy;
    const bool over_bytes = form != Utf8Form::kLossy;
    if (over_bytes) {
      Utf8View view(part, form);
      view.SetOrigin(0, units_at_start);
      outcome.matched = FindRegExp(view, *utf8, last, state, prepared, host, sink, prefilter);
      if (!outcome.matched.stopped && outcome.matched.error.ok() && !last) {
        PassTo(view, cut, state, prepared);
        units_at_start = view.Utf16Offset(cut);
      }
    } else {
      // Cut at a line end, the window decodes alone to what it is in the whole text.
      bool lossy = false;
      if (!codec.Decode(part, decoded, lossy).ok()) {
        outcome.read_failed = true;
        break;
      }
      Utf16View view(decoded, units_at_start);
      outcome.matched = FindRegExp(view, reg_exp, last, state, prepared, host, sink, prefilter);
      if (!outcome.matched.stopped && outcome.matched.error.ok() && !last) {
        PassTo(view, decoded.size(), state, prepared);
        units_at_start += decoded.size();
      }
    }
    if (outcome.matched.stopped || !outcome.matched.error.ok() || last) break;
    state.MoveView(0, over_bytes ? cut : decoded.size());
    window_start += cut;
    length = file.window_bytes;
    if (host.StopRequested()) {
      outcome.matched.stopped = true;
      break;
    }
  }
  outcome.matched.count = state.count;
  return outcome;
}

}  // namespace quonder
