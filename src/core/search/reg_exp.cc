#include "core/search/reg_exp.h"

#include <pcre2.h>

#include <utility>

#include "core/search/reg_exp_engine.h"
#include "core/search/reg_exp_pattern.h"

namespace quonder {
namespace {

using reg_exp_internal::CompileOptions;
using reg_exp_internal::ErrorText;
using reg_exp_internal::TranslatePattern;

using Engine = reg_exp_internal::Pcre2Pattern<char16_t>;

Status OutOfMemory() {
  return Status::Error(Status::Code::kInvalidPattern,
                       "Not enough memory for the regular expression");
}

bool IsHighSurrogate(char16_t c) { return (c & 0xFC00) == 0xD800; }
bool IsLowSurrogate(char16_t c) { return (c & 0xFC00) == 0xDC00; }

class Pcre16RegExp final : public RegExp {
 public:
  Pcre16RegExp(std::unique_ptr<Engine> engine, bool bounded_starts)
      : engine_(std::move(engine)), bounded_starts_(bounded_starts) {}

  bool bounded_starts() const override { return bounded_starts_; }

  bool FindStartingBy(std::u16string_view text, size_t start, size_t last_start, size_t& begin,
                      size_t& end) override {
    last_error_ = Status::Ok();
    if (!MatchFrom(text, start, last_start)) return false;
    engine_->WholeMatch(begin, end);
    return true;
  }

  const Status& last_error() const override { return last_error_; }

  std::u16string Replace(std::u16string_view text, std::u16string_view replacement, bool global,
                         bool one_hit) override {
    last_error_ = Status::Ok();
    std::u16string out;
    size_t copied = 0;
    size_t start = 0;
    while (start <= text.size()) {
      if (!MatchFrom(text, start, std::u16string_view::npos)) {
        if (!last_error_.ok()) return std::u16string(text);
        break;
      }
      size_t begin = 0;
      size_t end = 0;
      engine_->WholeMatch(begin, end);
      if (one_hit && end == begin && end == text.size() && !text.empty()) break;
      if (begin < copied) begin = copied;  // never write a part of the text twice
      out.append(text.substr(copied, begin - copied));
      AppendReplacement(text, replacement, engine_->ovector(), out);
      copied = end;
      if (!global) break;
      start = end > begin ? end : NextStartAfterEmptyMatch(text, end);
    }
    if (copied < text.size()) out.append(text.substr(copied));
    return out;
  }

 private:
  // Runs the match from `start` for starts up to `last_start`; true on a match (the ovector
  // holds it). False on no match, and on an error, which is then in last_error_.
  bool MatchFrom(std::u16string_view text, size_t start, size_t last_start) {
    if (start > text.size()) return false;
    if (start > 0 && start < text.size() && IsLowSurrogate(text[start]) &&
        IsHighSurrogate(text[start - 1])) {
      ++start;
    }
    if (start > last_start) return false;
    int rc = engine_->Match(text, start, 0, last_start);
    if (rc >= 0) return true;  // 0: the ovector was too small, which cannot happen here
    if (rc != PCRE2_ERROR_NOMATCH) {
      last_error_ = Status::Error(Status::Code::kInvalidPattern,
                                  "The regular expression could not be matched: " + ErrorText(rc));
    }
    return false;
  }

  // Expands $1..$9 and $$; every other '$' is itself.
  void AppendReplacement(std::u16string_view text, std::u16string_view replacement,
                         const PCRE2_SIZE* ovector, std::u16string& out) const {
    for (size_t i = 0; i < replacement.size(); ++i) {
      char16_t c = replacement[i];
      if (c != u'$' || i + 1 == replacement.size()) {
        out.push_back(c);
        continue;
      }
      char16_t next = replacement[i + 1];
      if (next == u'$') {
        out.push_back(u'$');
        ++i;
      } else if (next >= u'1' && next <= u'9' &&
                 static_cast<uint32_t>(next - u'0') <= engine_->capture_count()) {
        size_t group = next - u'0';
        PCRE2_SIZE from = ovector[2 * group], to = ovector[2 * group + 1];
        if (from != PCRE2_UNSET && to != PCRE2_UNSET && from <= to) {
          out.append(text.substr(from, to - from));
        }
        ++i;
      } else {
        out.push_back(u'$');
      }
    }
  }

  std::unique_ptr<Engine> engine_;
  const bool bounded_starts_;
  Status last_error_;
};

}  // namespace

Status RegExp::Compile(std::u16string_view pattern, Options options, std::unique_ptr<RegExp>& out) {
  out.reset();
  const reg_exp_internal::TranslatedPattern translated = TranslatePattern(pattern);

  Engine::CompileError error;
  std::unique_ptr<Engine> engine =
      Engine::Compile(translated.text, CompileOptions(options), Engine::Use::kGroups, error);
  if (engine == nullptr) {
    if (error.code == 0) return OutOfMemory();
    size_t offset = error.offset < translated.source_offset.size()
                        ? translated.source_offset[error.offset]
                        : pattern.size();
    return Status::Error(Status::Code::kInvalidPattern, "Invalid regular expression at offset " +
                                                            std::to_string(offset) + ": " +
                                                            ErrorText(error.code));
  }
  out = std::make_unique<Pcre16RegExp>(std::move(engine), options.bounded_starts);
  return Status::Ok();
}

Status RegExpExecute(const std::u16string& text, const std::u16string& pattern,
                     std::vector<RegExpMatch>& matches, bool ignore_case, bool global) {
  matches.clear();
  std::unique_ptr<RegExp> re;
  Status status = RegExp::Compile(pattern, {.ignore_case = ignore_case, .multiline = true}, re);
  if (!status.ok()) return status;
  std::u16string_view view(text);
  re->ForEachMatch(view, [&](size_t begin, size_t end) {
    matches.push_back(
        {static_cast<int64_t>(begin), std::u16string(view.substr(begin, end - begin))});
    return global;
  });
  return re->last_error();
}

Status RegExpReplace(const std::u16string& text, const std::u16string& pattern,
                     const std::u16string& replacement, bool ignore_case, bool global,
                     std::u16string& result) {
  result = text;
  std::unique_ptr<RegExp> re;
  Status status = RegExp::Compile(pattern, {.ignore_case = ignore_case, .multiline = false}, re);
  if (!status.ok()) return status;
  std::u16string replaced = re->Replace(text, replacement, global);
  if (!re->last_error().ok()) return re->last_error();
  result = std::move(replaced);
  return Status::Ok();
}

}  // namespace quonder
