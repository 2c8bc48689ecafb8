// Matching one file's text: plain (FindPlain) or regular expression (FindRegExp), and the
// bookkeeping of each hit (RecordHit): its line and column, the word-only test, and handing
// it on. Pure with respect to the file: the text, the host's conditions and its stop request
// go in, hits come out through a HitSink; nothing else is touched, so files can be matched
// on any thread (one PreparedConditions and one compiled pattern per thread).
//
// The text is the file's decoded UTF-16 (Utf16View) or its valid UTF-8 bytes (Utf8View); both
// give the same rows. Internal positions are the view's own. A file too large to hold whole is
// matched window by window (windowed_search.h) with the functions at the end, which carry the
// line state from one window to the next.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/search/fast/reg_exp_prefilter.h"
#include "core/search/fast/text_views.h"
#include "core/search/fast/utf8_reg_exp.h"
#include "core/search/find_host.h"
#include "core/search/prepared_conditions.h"
#include "core/search/reg_exp.h"
#include "core/status.h"

namespace quonder {

// Receives the accepted hits of one file in order.
class HitSink {
 public:
  virtual ~HitSink() = default;
  // Line and column from 1 (the column may be 0 or less when the hit begins inside a line
  // feed code, as the line rule implies); pointer is the 1-based position in the decoded text.
  // `found` is the matched text, unescaped, valid for this call only. `prepared` holds the
  // conditions read for this hit.
  virtual void OnHit(int64_t line, int64_t column, int64_t pointer, std::u16string_view found,
                     const PreparedConditions& prepared) = 0;
};

// The line state of one file, carried from hit to hit so lines are counted in one forward
// pass. Positions are the view's.
struct MatchState {
  size_t line_start = 0;         // first position of the line of the last hit located
  int64_t line_start_units = 0;  // line_start in UTF-16 units; -1 while not worked out
  int64_t line = 1;
  int64_t count = 0;  // hits accepted
  // Line feeds that begin in [line_start, scanned_to) are already counted (for the code of
  // scanned_version).
  size_t scanned_to = 0;
  uint64_t scanned_version = 0;
  // Line feeds were counted ahead (PassTo) since the last hit: the next hit checks the stop
  // request as if it had passed them itself.
  bool passed = false;

  // From a view that begins at `old_base` of the text to one that begins at `new_base`.
  // REQUIRES: PassTo up to at least the new view's start (so the line start's offset is known
  // when the line starts before the new view).
  void MoveView(size_t old_base, size_t new_base) {
    const size_t line_at = old_base + line_start;
    const size_t scanned_at = old_base + scanned_to;
    line_start = line_at > new_base ? line_at - new_base : 0;
    scanned_to = scanned_at > new_base ? scanned_at - new_base : 0;
  }
};

enum class HitVerdict { kAccepted, kRejected, kStopped };

// Locates the hit [begin, end), applies the word-only test and, when accepted, counts it and
// hands it to `sink`. The host's stop request is checked once line feeds were passed; when it
// is set the hit is dropped (kStopped). Hits must come in increasing order.
HitVerdict RecordHit(Utf16View& text, size_t begin, size_t end, MatchState& state,
                     const PreparedConditions& prepared, FindHost& host, HitSink& sink);
HitVerdict RecordHit(Utf8View& text, size_t begin, size_t end, MatchState& state,
                     const PreparedConditions& prepared, FindHost& host, HitSink& sink);

struct MatchOutcome {
  int64_t count = 0;     // hits accepted
  bool stopped = false;  // the host's stop request ended the matching
  Status error;          // the regular-expression engine gave up (rows so far stay)
};

// Where a caller that already searched may let FindPlain begin: no occurrence of the needle
// of `needle_version` begins before `position`.
struct SearchHint {
  size_t position = 0;
  uint64_t needle_version = 0;
};

// Plain matching: every non-overlapping occurrence of the find text, left to right, exact or
// ignoring case. The conditions are read (prepared.Refresh) before every search step; an
// empty find text finds nothing. Stops after the hit in hand when the host asks. Over UTF-8
// a find text holding an unpaired surrogate finds nothing (such a file is decoded instead).
MatchOutcome FindPlain(Utf16View text, PreparedConditions& prepared, FindHost& host, HitSink& sink);
MatchOutcome FindPlain(Utf8View& text, PreparedConditions& prepared, FindHost& host, HitSink& sink,
                       const SearchHint* hint = nullptr);

// Regular-expression matching with the pattern compiled by the caller from the find text and
// the ignore-case flag, multi-line. The conditions are read for every match. With a
// `prefilter` made for the same pattern and flag, the engine runs only around the pattern's
// literal; the hits are the same.
MatchOutcome FindRegExp(Utf16View text, RegExp& reg_exp, PreparedConditions& prepared,
                        FindHost& host, HitSink& sink, const RegExpPrefilter* prefilter = nullptr);
MatchOutcome FindRegExp(Utf8View& text, Utf8RegExp& reg_exp, PreparedConditions& prepared,
                        FindHost& host, HitSink& sink, const RegExpPrefilter* prefilter = nullptr);

// Matching in windows. Each view holds one window of the text, its Utf16Offset giving the
// offsets in the whole text; `state` goes on from the previous window (Rebase).

// Plain matching of the hits that begin in [position, limit) of `text`, a window of a UTF-8
// text. A hit that cannot be checked in this window (its end and the character after it are not
// all in the view, unless `last`), and a changed find text (the next window is sized for the
// one of `needle_version`), end the window early.
struct PlainWindow {
  size_t position = 0;  // in: where the search goes on; out: where it goes on in the next window
  size_t limit = 0;     // in: the window's end; out: how far it was searched (a boundary)
  bool last = false;    // in: the view ends where the text ends
  uint64_t needle_version = 0;
  bool finished = false;  // out: the find text became empty: the file's matching is over
};
MatchOutcome FindPlain(Utf8View& text, PlainWindow& window, MatchState& state,
                       PreparedConditions& prepared, FindHost& host, HitSink& sink);

// Regular-expression matching of a view cut at line ends (after LF, or after a CR that no LF
// follows), for a pattern no match of which holds CR or LF or looks beyond it (see
// windowed_search.h): its matches there are those of the whole text. A match at the view's end
// belongs to the next window unless `last`.
MatchOutcome FindRegExp(Utf16View text, RegExp& reg_exp, bool last, MatchState& state,
                        PreparedConditions& prepared, FindHost& host, HitSink& sink,
                        const RegExpPrefilter* prefilter);
MatchOutcome FindRegExp(Utf8View& text, Utf8RegExp& reg_exp, bool last, MatchState& state,
                        PreparedConditions& prepared, FindHost& host, HitSink& sink,
                        const RegExpPrefilter* prefilter);

// Counts the line feeds that begin before `to` and works out the offset of the line start when
// it lies before `to`, so that the view can be dropped up to `to` (a character boundary).
void PassTo(Utf16View& text, size_t to, MatchState& state, const PreparedConditions& prepared);
void PassTo(Utf8View& text, size_t to, MatchState& state, const PreparedConditions& prepared);

}  // namespace quonder
