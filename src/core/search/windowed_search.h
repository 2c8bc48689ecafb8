// Searching a file too large to hold whole, window by window, so that memory stays at a few
// windows whatever the file's size. Only where the bytes need no decoding to be searched: the
// run's charset decodes as UTF-8 does (text_stream.h, DecodesAsUtf8), and
//  - plain mode: windows of a fixed size that overlap by what a hit and the character after it
//    may take; hits are taken from the window where they begin;
//  - regular-expression mode: windows cut at line ends, for a pattern no match of which holds
//    CR or LF or looks behind or ahead of it (MatchesStayInLines); each window is matched as a
//    text of its own (a window holding bytes that are not UTF-8 is decoded, alone). A line
//    longer than a window makes that window longer.
// Line, Column, Pointer, Found and the word-only test come out exactly as for the whole file:
// the line state and the UTF-16 offset are carried from window to window (text_matching.h).
// Between windows the host's stop request is asked. One difference is left: on one worker, a
// line feed code changed while a file is searched counts the new code's line feeds again from
// the window in hand, where the whole file counts them from the start of the current line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/search/fast/reg_exp_prefilter.h"
#include "core/search/fast/utf8_reg_exp.h"
#include "core/search/file_buffer.h"
#include "core/search/find_host.h"
#include "core/search/prepared_conditions.h"
#include "core/search/reg_exp.h"
#include "core/search/text_matching.h"
#include "core/text/text_stream.h"

namespace quonder {

// Files of more bytes than this are searched in windows of this size, where they can be.
inline constexpr size_t kSearchWindowBytes = size_t{8} << 20;

// Whether `pattern` (with `ignore_case`) can be matched in windows cut at line ends: every match
// stays within one line, and nothing in it reads beyond the match except the one character
// around it that ^, $ and \b read (no lookaround, no \A, \z, \Z or \G). Conservative: a
// pattern not fully understood cannot.
bool MatchesStayInLines(std::u16string_view pattern, bool ignore_case);

// Where a windowed search reads its file: `buffer` has left it open (FileBuffer::windowed),
// and its text begins after the first `bom` bytes. Every window is at least `window_bytes`
// long (but the last).
struct FileWindows {
  FileBuffer& buffer;
  size_t bom = 0;
  size_t window_bytes = kSearchWindowBytes;
};

// What a windowed search adds to MatchOutcome: a window that could not be read (or decoded) ends
// the file's search, with the rows found so far (the buffer's failure_reason says why).
struct WindowedOutcome {
  MatchOutcome matched;
  bool read_failed = false;
};

// Plain matching of the whole file, as FindPlain over its bytes. REQUIRES: the find text has a
// UTF-8 form (prepared.utf8_finder() not empty).
WindowedOutcome FindPlainInWindows(const FileWindows& file, PreparedConditions& prepared,
                                   FindHost& host, HitSink& sink);

// Regular-expression matching of the whole file, as FindRegExp over its text. `utf8` may be null
// (every window is then decoded with `codec` and matched by `reg_exp`). REQUIRES:
// MatchesStayInLines for the pattern of the engines.
WindowedOutcome FindRegExpInWindows(const FileWindows& file, Utf8RegExp* utf8, RegExp& reg_exp,
                                    const RegExpPrefilter* prefilter, TextCodec& codec,
                                    PreparedConditions& prepared, FindHost& host, HitSink& sink);

}  // namespace quonder
