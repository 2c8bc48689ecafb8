#include "core/search/fast/utf8_reg_exp.h"

#include <pcre2.h>

#include <string>
#include <utility>

#include "core/search/reg_exp_pattern.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

struct CodeDeleter {
  void operator()(pcre2_code_8* p) const { pcre2_code_free_8(p); }
};
struct MatchDataDeleter {
  void operator()(pcre2_match_data_8* p) const { pcre2_match_data_free_8(p); }
};
struct MatchContextDeleter {
  void operator()(pcre2_match_context_8* p) const { pcre2_match_context_free_8(p); }
};
struct CompileContextDeleter {
  void operator()(pcre2_compile_context_8* p) const { pcre2_compile_context_free_8(p); }
};
struct JitStackDeleter {
  void operator()(pcre2_jit_stack_8* p) const { pcre2_jit_stack_free_8(p); }
};

class Pcre8Matcher final : public Utf8RegExp {
 public:
  Pcre8Matcher(std::unique_ptr<pcre2_code_8, CodeDeleter> code,
               std::unique_ptr<pcre2_match_data_8, MatchDataDeleter> match_data,
               std::unique_ptr<pcre2_match_context_8, MatchContextDeleter> match_context,
               std::unique_ptr<pcre2_jit_stack_8, JitStackDeleter> jit_stack)
      : code_(std::move(code)),
        match_data_(std::move(match_data)),
        match_context_(std::move(match_context)),
        jit_stack_(std::move(jit_stack)) {}

  bool Find(std::string_view bytes, size_t start, size_t& begin, size_t& end) override {
    last_error_ = Status::Ok();
    if (start > bytes.size()) return false;
    auto subject = reinterpret_cast<PCRE2_SPTR8>(bytes.data());
    // The caller checked the bytes once for the whole file.
    int rc = pcre2_match_8(code_.get(), subject, bytes.size(), start, PCRE2_NO_UTF_CHECK,
                           match_data_.get(), match_context_.get());
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
      rc =
          pcre2_match_8(code_.get(), subject, bytes.size(), start,
                        PCRE2_NO_JIT | PCRE2_NO_UTF_CHECK, match_data_.get(), match_context_.get());
    }
    if (rc < 0) {
      if (rc != PCRE2_ERROR_NOMATCH) {
        last_error_ = Status::Error(
            Status::Code::kInvalidPattern,
            "The regular expression could not be matched: " + reg_exp_internal::ErrorText(rc));
      }
      return false;
    }
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer_8(match_data_.get());
    begin = ovector[0];
    end = ovector[1];
    if (begin > end) begin = end;  // only \K inside a lookahead could do this
    return true;
  }

  const Status& last_error() const override { return last_error_; }

 private:
  std::unique_ptr<pcre2_code_8, CodeDeleter> code_;
  std::unique_ptr<pcre2_match_data_8, MatchDataDeleter> match_data_;
  std::unique_ptr<pcre2_match_context_8, MatchContextDeleter> match_context_;
  std::unique_ptr<pcre2_jit_stack_8, JitStackDeleter> jit_stack_;
  Status last_error_;
};

}  // namespace

std::unique_ptr<Utf8RegExp> Utf8RegExp::Compile(std::u16string_view pattern,
                                                RegExp::Options options) {
  std::string utf8_pattern;
  if (!EncodeUtf8Strictly(reg_exp_internal::TranslatePattern(pattern).text, utf8_pattern)) {
    return nullptr;
  }
  std::unique_ptr<pcre2_compile_context_8, CompileContextDeleter> compile_context(
      pcre2_compile_context_create_8(nullptr));
  if (!compile_context) return nullptr;
  pcre2_set_newline_8(compile_context.get(), reg_exp_internal::kNewline);
  // The subject is checked before matching, so invalid-UTF matching is not needed (and this
  // PCRE2's JIT misses non-ASCII characters for \D \W \S in that mode).
  const uint32_t compile_options =
      reg_exp_internal::CompileOptions(options) & ~uint32_t{PCRE2_MATCH_INVALID_UTF};
  int error_code = 0;
  PCRE2_SIZE error_offset = 0;
  std::unique_ptr<pcre2_code_8, CodeDeleter> code(
      pcre2_compile_8(reinterpret_cast<PCRE2_SPTR8>(utf8_pattern.data()), utf8_pattern.size(),
                      compile_options, &error_code, &error_offset, compile_context.get()));
  if (!code) return nullptr;

  const bool jit = pcre2_jit_compile_8(code.get(), PCRE2_JIT_COMPLETE) == 0;
  std::unique_ptr<pcre2_match_data_8, MatchDataDeleter> match_data(
      pcre2_match_data_create_8(1, nullptr));
  std::unique_ptr<pcre2_match_context_8, MatchContextDeleter> match_context(
      pcre2_match_context_create_8(nullptr));
  if (!match_data || !match_context) return nullptr;
  pcre2_set_match_limit_8(match_context.get(), reg_exp_internal::kMatchLimit);
  pcre2_set_heap_limit_8(match_context.get(), reg_exp_internal::kHeapLimitKib);
  std::unique_ptr<pcre2_jit_stack_8, JitStackDeleter> jit_stack;
  if (jit) {
    jit_stack.reset(pcre2_jit_stack_create_8(reg_exp_internal::kJitStackStart,
                                             reg_exp_internal::kJitStackMax, nullptr));
    if (jit_stack) pcre2_jit_stack_assign_8(match_context.get(), nullptr, jit_stack.get());
  }
  return std::make_unique<Pcre8Matcher>(std::move(code), std::move(match_data),
                                        std::move(match_context), std::move(jit_stack));
}

}  // namespace quonder
