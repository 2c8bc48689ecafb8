#include "core/search/file_search.h"

#include <new>
#include <string>
#include <utility>

#include "core/search/fast/byte_search.h"
#include "core/search/stoppable_matching.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

// Caches stay small even when a window changes its conditions many times during a run.
constexpr size_t kMaxCached = 16;

}  // namespace

Status FileSearcher::GetCodec(const std::string& charset, Codec*& codec) {
  auto it = codecs_.find(charset);
  if (it == codecs_.end()) {
    Codec opened;
    Status status = TextCodec::Open(charset, opened.codec);
    if (!status.ok()) return status;
    opened.utf8 = DecodesAsUtf8(*opened.codec);
    if (codecs_.size() >= kMaxCached) codecs_.clear();
    it = codecs_.emplace(charset, std::move(opened)).first;
  }
  codec = &it->second;
  return Status::Ok();
}

Status FileSearcher::GetPattern(const std::u16string& text, bool ignore_case, Pattern*& pattern) {
  auto key = std::make_pair(text, ignore_case);
  auto it = patterns_.find(key);
  if (it == patterns_.end()) {
    RegExp::Options options;
    options.ignore_case = ignore_case;
    options.multiline = true;
    Pattern compiled;
    if (byte_shortcuts_) compiled.prefilter = RegExpPrefilter::Make(text, options);
    // Bounded starts let the prefilter match around its candidates, and a whole-text match go
    // a stretch at a time so that a stop gets through (stoppable_matching.h).
    options.bounded_starts = compiled.prefilter != nullptr || StartsCanBeSplit(text);
    Status status = RegExp::Compile(text, options, compiled.reg_exp);
    if (!status.ok()) return status;
    compiled.utf8 = Utf8RegExp::Compile(text, options);
    compiled.windows = MatchesStayInLines(text, ignore_case);
    if (patterns_.size() >= kMaxCached) patterns_.clear();
    it = patterns_.emplace(std::move(key), std::move(compiled)).first;
  }
  pattern = &it->second;
  return Status::Ok();
}

Status FileSearcher::Prepare(const FindConditions& conditions) {
  Codec* codec = nullptr;
  Status status = GetCodec(conditions.coding, codec);
  if (!status.ok() || !conditions.reg_exp || conditions.find_text.empty()) return status;
  Pattern* pattern = nullptr;
  return GetPattern(conditions.find_text, conditions.ignore_case, pattern);
}

bool FileSearcher::Load(const std::string& path, int& failures, FileOutcome& outcome,
                        int64_t whole_limit) {
  while (true) {
    bool permanent = false;
    if (buffer_.Load(path, permanent, whole_limit).ok()) return true;
    // Not a regular file, or too large: trying again cannot help.
    if (permanent || ++failures > kRetries) {
      outcome.given_up = true;
      outcome.problem = RunProblem::Kind::kFileNotRead;
      outcome.reason = buffer_.failure_reason();
      return false;
    }
  }
}

bool FileSearcher::Decode(Codec& codec, std::string_view bytes, int& failures,
                          FileOutcome& outcome) {
  // No charset decodes to more units than it has bytes; with the room taken at once, the
  // buffer never grows by doubling past what the largest file needs.
  const size_t room = bytes.size() + 64;
  if (text_.capacity() < room) {
    std::u16string().swap(text_);
    text_.reserve(room);
  }
  while (true) {
    bool lossy = false;
    Status status = codec.codec->Decode(bytes, text_, lossy);
    if (status.ok()) return true;
    if (++failures > kRetries) {
      outcome.given_up = true;
      outcome.problem = RunProblem::Kind::kFileNotDecoded;
      outcome.reason = status.message();
      return false;
    }
  }
}

const PlainPrefilter& FileSearcher::Prefilter(bool utf8) {
  const int slot = utf8 ? 1 : 0;
  if (prefilter_versions_[slot] != prepared_.needle_version()) {
    prefilters_[slot] =
        MakePlainPrefilter(prepared_.conditions().find_text, prepared_.ignore_case(), utf8);
    prefilter_versions_[slot] = prepared_.needle_version();
  }
  return prefilters_[slot];
}

Status FileSearcher::Search(const std::string& path, FindHost& host, FileEvents& events,
                            FileOutcome& outcome) {
  try {
    return SearchUnguarded(path, host, events, outcome);
  } catch (const std::bad_alloc&) {
    // One file too large for the memory left must not end the program: it is given up alone,
    // and what it took is given back for the files after it.
    std::u16string().swap(text_);
    outcome.given_up = true;
    outcome.problem = RunProblem::Kind::kFileNotRead;
    outcome.reason = "Out of memory";
    return Status::Ok();
  }
}

Status FileSearcher::SearchUnguarded(const std::string& path, FindHost& host, FileEvents& events,
                                     FileOutcome& outcome) {
  outcome = FileOutcome();
  prepared_.Refresh(host);
  if (!prepared_.has_conditions()) return Status::Ok();
  // Read once per file: the mode, the charset and (for the one regular-expression run of
  // the file) the pattern and its ignore-case flag.
  const bool reg_exp = prepared_.conditions().reg_exp;
  Codec* codec = nullptr;
  Status status = GetCodec(prepared_.conditions().coding, codec);
  if (!status.ok()) return status;
  Pattern* pattern = nullptr;
  const bool empty_find_text = prepared_.conditions().find_text.empty();
  if (reg_exp && !empty_find_text) {
    status =
        GetPattern(prepared_.conditions().find_text, prepared_.conditions().ignore_case, pattern);
    if (!status.ok()) return status;
  }

  // Windows where the bytes need no decoding and the mode allows them: a plain find text with a
  // UTF-8 form, a pattern whose matches stay in lines.
  const bool windows = byte_shortcuts_ && codec->utf8 && !empty_find_text &&
                       (reg_exp ? pattern->windows : !prepared_.utf8_finder().empty());
  int failures = 0;
  if (!Load(path, failures, outcome, windows ? static_cast<int64_t>(window_bytes_) : 0)) {
    return Status::Ok();
  }
  events.OnLoaded();
  if (buffer_.windowed()) {
    SearchWindows(*codec, pattern, host, events, outcome);
    return Status::Ok();
  }
  std::string_view bytes = buffer_.bytes();
  bytes.remove_prefix(codec->codec->BomLength(bytes));
  if (empty_find_text) return Status::Ok();

  MatchOutcome matched;
  const bool shortcuts = byte_shortcuts_ && codec->codec->AsciiCompatible();
  if (reg_exp) {
    bool ascii = false;
    if (shortcuts && pattern->utf8 != nullptr &&
        ((ascii = IsAscii(bytes)) || (codec->utf8 && IsValidUtf8(bytes)))) {
      Utf8View view(bytes, ascii ? Utf8Form::kAscii : Utf8Form::kValid);
      matched = FindRegExp(view, *pattern->utf8, prepared_, host, events, pattern->prefilter.get());
    } else {
      if (!Decode(*codec, bytes, failures, outcome)) return Status::Ok();
      matched = FindRegExp(Utf16View(text_), *pattern->reg_exp, prepared_, host, events,
                           pattern->prefilter.get());
    }
  } else {
    PrefilterVerdict verdict = PrefilterVerdict::kDecode;
    size_t first = std::string_view::npos;
    bool first_is_hit = false;
    if (shortcuts) {
      const PlainPrefilter& filter = Prefilter(codec->utf8);
      verdict = ApplyPlainPrefilter(filter, codec->utf8, bytes, first);
      first_is_hit = filter.required_is_needle && first != std::string_view::npos;
    }
    if (verdict == PrefilterVerdict::kNoHit) return Status::Ok();
    // A find text with an unpaired surrogate has no UTF-8 form: such files are decoded.
    const bool utf8_text = shortcuts && verdict == PrefilterVerdict::kDecode && codec->utf8 &&
                           !prepared_.utf8_finder().empty();
    if (verdict == PrefilterVerdict::kAsciiText || utf8_text) {
      Utf8View view(bytes, verdict == PrefilterVerdict::kAsciiText ? Utf8Form::kAscii
                           : IsValidUtf8(bytes)                    ? Utf8Form::kValid
                                                                   : Utf8Form::kLossy);
      // Ignoring case, non-ASCII characters may fold onto the letters of an ASCII find text
      // and hold an earlier hit than the bytes showed.
      SearchHint hint{first, prepared_.needle_version()};
      bool use_hint = first_is_hit && (view.ascii() || !prepared_.ignore_case());
      matched = FindPlain(view, prepared_, host, events, use_hint ? &hint : nullptr);
    } else {
      if (!Decode(*codec, bytes, failures, outcome)) return Status::Ok();
      matched = FindPlain(Utf16View(text_), prepared_, host, events);
    }
  }
  SetMatched(matched, outcome);
  return Status::Ok();
}

void FileSearcher::SetMatched(const MatchOutcome& matched, FileOutcome& outcome) {
  outcome.hits = matched.count;
  outcome.stopped = matched.stopped;
  if (!matched.error.ok()) {
    // The engine stops only at its work and memory limits (reg_exp.h).
    outcome.given_up = true;
    outcome.problem = RunProblem::Kind::kPatternTooComplex;
    outcome.reason = "regular expression too complex for this file";
  }
}

void FileSearcher::SearchWindows(Codec& codec, Pattern* pattern, FindHost& host, FileEvents& events,
                                 FileOutcome& outcome) {
  FileWindows file{buffer_, 0, window_bytes_};
  // The byte-order mark, from the file's first bytes.
  if (buffer_.ReadAt(0, 4).ok()) file.bom = codec.codec->BomLength(buffer_.bytes());
  const WindowedOutcome windowed =
      pattern == nullptr
          ? FindPlainInWindows(file, prepared_, host, events)
          : FindRegExpInWindows(file, pattern->utf8.get(), *pattern->reg_exp,
                                pattern->prefilter.get(), *codec.codec, prepared_, host, events);
  SetMatched(windowed.matched, outcome);
  if (windowed.read_failed && !outcome.given_up) {
    outcome.given_up = true;
    outcome.problem = RunProblem::Kind::kFileNotRead;
    outcome.reason = buffer_.failure_reason();
  }
}

}  // namespace quonder
