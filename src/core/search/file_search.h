// Searching one file: `SearchFile` of the find run. Reads the file whole (retrying as the run
// promises), decodes it in the run's charset and matches it; or, where its raw bytes already
// decide, skips the decoding: a file whose bytes cannot hold a plain hit is not decoded
// (byte_prefilter.h), and a file whose bytes are valid UTF-8 in a charset that decodes them as
// such (pure ASCII in any ASCII-compatible charset) is matched over its bytes (text_views.h).
// A file larger than a search window in a charset that decodes as UTF-8 is not read whole but
// window by window, where the mode allows it (windowed_search.h). Either way the hits are
// exactly those of a full decode.
//
// Pure with respect to the run: a file's path and the host's conditions go in, events come
// out. A FileSearcher keeps what is reused from file to file (buffers, one decoder per charset
// name, one compiled pattern per pattern and ignore-case flag) and is used by one thread.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "core/search/fast/byte_prefilter.h"
#include "core/search/fast/reg_exp_prefilter.h"
#include "core/search/fast/utf8_reg_exp.h"
#include "core/search/file_buffer.h"
#include "core/search/find_host.h"
#include "core/search/prepared_conditions.h"
#include "core/search/reg_exp.h"
#include "core/search/text_matching.h"
#include "core/search/windowed_search.h"
#include "core/status.h"
#include "core/text/text_stream.h"

namespace quonder {

// What one file's search reports, in this order: OnLoaded() once the file is loaded (it then
// counts as read), then OnHit() for each accepted hit.
class FileEvents : public HitSink {
 public:
  virtual void OnLoaded() = 0;
};

// Ordered to pack tightly: a worker writes it for every file (see FileJob).
struct FileOutcome {
  int64_t hits = 0;  // accepted hits
  // When given up: why, as the run reports it (the path is the caller's to add).
  std::string reason;
  bool given_up = false;  // it could not be loaded, decoded or matched to its end
  bool stopped = false;   // the host's stop request ended the matching
  RunProblem::Kind problem = RunProblem::Kind::kFileNotRead;
};

class FileSearcher {
 public:
  // How many times a failing load or decode is tried again before the file is given up.
  static constexpr int kRetries = 8;

  // `byte_shortcuts` off decodes every file and runs the regular-expression engine over the
  // whole text (for comparing the shortcuts with a full decode). Files larger than
  // `window_bytes` (0: kSearchWindowBytes) are searched in windows of that size where they can
  // be; tests make it tiny.
  explicit FileSearcher(bool byte_shortcuts = true, size_t window_bytes = 0)
      : byte_shortcuts_(byte_shortcuts),
        window_bytes_(window_bytes > 0 ? window_bytes : kSearchWindowBytes) {}

  // Opens the decoder and compiles the pattern that `conditions` need, so that a run can refuse
  // to start: kUnknownCharset naming the charset, kInvalidPattern with the engine's message.
  Status Prepare(const FindConditions& conditions);

  // Searches the file at `path` with the host's current conditions. A file that cannot be
  // loaded or decoded, or whose matching the regular-expression engine gave up, is given up
  // (outcome.given_up, with the problem's kind and reason; rows found until then stay), and so
  // is one whose search needs more memory than can be had (its decoded text, a window grown
  // over a long line). Returns an error only when the conditions cannot be used (charset or
  // pattern, as Prepare), which ends the run.
  Status Search(const std::string& path, FindHost& host, FileEvents& events, FileOutcome& outcome);

  // The conditions read for the last search step or hit (shared with the events' handler).
  const PreparedConditions& prepared() const { return prepared_; }

 private:
  struct Codec {
    std::unique_ptr<TextCodec> codec;
    bool utf8 = false;  // decodes exactly as UTF-8
  };
  struct Pattern {
    std::unique_ptr<RegExp> reg_exp;
    std::unique_ptr<Utf8RegExp> utf8;  // null when the pattern cannot be matched over bytes
    std::unique_ptr<RegExpPrefilter> prefilter;  // null when the engine runs over every byte
    bool windows = false;                        // MatchesStayInLines
  };

  // Search, but for running out of memory (std::bad_alloc).
  Status SearchUnguarded(const std::string& path, FindHost& host, FileEvents& events,
                         FileOutcome& outcome);
  Status GetCodec(const std::string& charset, Codec*& codec);
  Status GetPattern(const std::u16string& text, bool ignore_case, Pattern*& pattern);
  bool Load(const std::string& path, int& failures, FileOutcome& outcome, int64_t whole_limit);
  // The file left open by Load, searched window by window.
  void SearchWindows(Codec& codec, Pattern* pattern, FindHost& host, FileEvents& events,
                     FileOutcome& outcome);
  bool Decode(Codec& codec, std::string_view bytes, int& failures, FileOutcome& outcome);
  const PlainPrefilter& Prefilter(bool utf8);
  static void SetMatched(const MatchOutcome& matched, FileOutcome& outcome);

  bool byte_shortcuts_;
  size_t window_bytes_;
  PreparedConditions prepared_;
  FileBuffer buffer_;
  std::u16string text_;
  std::map<std::string, Codec> codecs_;
  std::map<std::pair<std::u16string, bool>, Pattern> patterns_;
  PlainPrefilter prefilters_[2];  // by utf8
  uint64_t prefilter_versions_[2] = {0, 0};
};

}  // namespace quonder
