#include "core/search/fast/utf8_reg_exp.h"

#include <string>
#include <utility>

#include "core/search/reg_exp_engine.h"
#include "core/search/reg_exp_pattern.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

using Engine = reg_exp_internal::Pcre2Pattern<char>;

class Pcre8Matcher final : public Utf8RegExp {
 public:
  Pcre8Matcher(std::unique_ptr<Engine> engine, bool bounded_starts)
      : engine_(std::move(engine)), bounded_starts_(bounded_starts) {}

  bool bounded_starts() const override { return bounded_starts_; }

  bool FindStartingBy(std::string_view bytes, size_t start, size_t last_start, size_t& begin,
                      size_t& end) override {
    last_error_ = Status::Ok();
    if (start > bytes.size() || start > last_start) return false;
    // The caller checked the bytes once for the whole file.
    int rc = engine_->Match(bytes, start, PCRE2_NO_UTF_CHECK, last_start);
    if (rc < 0) {
      if (rc != PCRE2_ERROR_NOMATCH) {
        last_error_ = Status::Error(
            Status::Code::kInvalidPattern,
            "The regular expression could not be matched: " + reg_exp_internal::ErrorText(rc));
      }
      return false;
    }
    engine_->WholeMatch(begin, end);
    return true;
  }

  const Status& last_error() const override { return last_error_; }

 private:
  std::unique_ptr<Engine> engine_;
  const bool bounded_starts_;
  Status last_error_;
};

}  // namespace

std::unique_ptr<Utf8RegExp> Utf8RegExp::Compile(std::u16string_view pattern,
                                                RegExp::Options options) {
  // Backtracking verbs ((*COMMIT), (*PRUNE) ...) let PCRE2's start-of-match optimizations
  // decide the result, and those differ between the 8-bit and the 16-bit engine: such a
  // pattern is matched in the decoded text only, as it is where a file needs decoding.
  if (pattern.find(u"(*") != std::u16string_view::npos) return nullptr;
  std::string utf8_pattern;
  if (!EncodeUtf8Strictly(reg_exp_internal::TranslatePattern(pattern).text, utf8_pattern)) {
    return nullptr;
  }
  // The subject is checked before matching, so invalid-UTF matching is not needed (and this
  // PCRE2's JIT misses non-ASCII characters for \D \W \S in that mode).
  const uint32_t compile_options =
      reg_exp_internal::CompileOptions(options) & ~uint32_t{PCRE2_MATCH_INVALID_UTF};
  Engine::CompileError error;
  std::unique_ptr<Engine> engine =
      Engine::Compile(utf8_pattern, compile_options, Engine::Use::kWholeMatches, error);
  if (engine == nullptr) return nullptr;
  return std::make_unique<Pcre8Matcher>(std::move(engine), options.bounded_starts);
}

}  // namespace quonder
