#include "core/byte_reg_exp.h"

#include <pcre2.h>
#include <unicode/ustring.h>

#include <string>
#include <utility>

#include "core/reg_exp_pattern.h"

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

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool ToUtf8(const std::u16string& text, std::string& out) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strToUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return false;
  out.assign(static_cast<size_t>(length), '\0');
  status = U_ZERO_ERROR;
  u_strToUTF8(out.data(), length, &length, text.data(), static_cast<int32_t>(text.size()),
              &status);
  return U_SUCCESS(status);
}

class PassAll final : public ByteRegExp {
 public:
  bool MayMatch(std::string_view) override { return true; }
  bool can_reject() const override { return false; }
};

class Pcre8RegExp final : public ByteRegExp {
 public:
  Pcre8RegExp(std::unique_ptr<pcre2_code_8, CodeDeleter> code,
              std::unique_ptr<pcre2_match_data_8, MatchDataDeleter> match_data,
              std::unique_ptr<pcre2_match_context_8, MatchContextDeleter> match_context,
              std::unique_ptr<pcre2_jit_stack_8, JitStackDeleter> jit_stack)
      : code_(std::move(code)),
        match_data_(std::move(match_data)),
        match_context_(std::move(match_context)),
        jit_stack_(std::move(jit_stack)) {}

  bool MayMatch(std::string_view utf8_bytes) override {
    const bool has_bom = utf8_bytes.starts_with(kUtf8Bom);
    // A decoder that drops the mark hands the matcher the text behind it; one that keeps it
    // hands over U+FEFF first. Either may be the one in use, so both must find nothing.
    if (MatchesOrFails(has_bom ? utf8_bytes.substr(kUtf8Bom.size()) : utf8_bytes)) return true;
    return has_bom && MatchesOrFails(utf8_bytes);
  }

  bool can_reject() const override { return true; }

 private:
  // True on a match and on every error. Bytes that are not UTF-8 are such an error: they
  // decode to U+FFFD, which the pattern may match.
  bool MatchesOrFails(std::string_view bytes) {
    auto subject = reinterpret_cast<PCRE2_SPTR8>(bytes.data());
    int rc = pcre2_match_8(code_.get(), subject, bytes.size(), 0, 0, match_data_.get(),
                           match_context_.get());
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
      rc = pcre2_match_8(code_.get(), subject, bytes.size(), 0, PCRE2_NO_JIT,
                         match_data_.get(), match_context_.get());
    }
    return rc != PCRE2_ERROR_NOMATCH;
  }

  std::unique_ptr<pcre2_code_8, CodeDeleter> code_;
  std::unique_ptr<pcre2_match_data_8, MatchDataDeleter> match_data_;
  std::unique_ptr<pcre2_match_context_8, MatchContextDeleter> match_context_;
  std::unique_ptr<pcre2_jit_stack_8, JitStackDeleter> jit_stack_;
};

}  // namespace

std::unique_ptr<ByteRegExp> ByteRegExp::Compile(std::u16string_view pattern,
                                                RegExp::Options options) {
  std::string utf8_pattern;
  if (!ToUtf8(reg_exp_internal::TranslatePattern(pattern).text, utf8_pattern)) {
    return std::make_unique<PassAll>();
  }
  std::unique_ptr<pcre2_compile_context_8, CompileContextDeleter> compile_context(
      pcre2_compile_context_create_8(nullptr));
  if (!compile_context) return std::make_unique<PassAll>();
  pcre2_set_newline_8(compile_context.get(), reg_exp_internal::kNewline);

  int error_code = 0;
  PCRE2_SIZE error_offset = 0;
  // Plain UTF mode, where the subject is checked before matching, rather than invalid-UTF
  // matching: this PCRE2's JIT misses non-ASCII characters for \D \W \S in that mode, and an
  // invalid file must pass anyway.
  const uint32_t compile_options =
      reg_exp_internal::CompileOptions(options) & ~uint32_t{PCRE2_MATCH_INVALID_UTF};
  std::unique_ptr<pcre2_code_8, CodeDeleter> code(pcre2_compile_8(
      reinterpret_cast<PCRE2_SPTR8>(utf8_pattern.data()), utf8_pattern.size(), compile_options,
      &error_code, &error_offset, compile_context.get()));
  if (!code) return std::make_unique<PassAll>();

  const bool jit = pcre2_jit_compile_8(code.get(), PCRE2_JIT_COMPLETE) == 0;
  // One pair is enough: only whether there is a match is asked.
  std::unique_ptr<pcre2_match_data_8, MatchDataDeleter> match_data(
      pcre2_match_data_create_8(1, nullptr));
  std::unique_ptr<pcre2_match_context_8, MatchContextDeleter> match_context(
      pcre2_match_context_create_8(nullptr));
  if (!match_data || !match_context) return std::make_unique<PassAll>();
  pcre2_set_match_limit_8(match_context.get(), reg_exp_internal::kMatchLimit);
  pcre2_set_heap_limit_8(match_context.get(), reg_exp_internal::kHeapLimitKib);

  std::unique_ptr<pcre2_jit_stack_8, JitStackDeleter> jit_stack;
  if (jit) {
    jit_stack.reset(pcre2_jit_stack_create_8(reg_exp_internal::kJitStackStart,
                                             reg_exp_internal::kJitStackMax, nullptr));
    if (jit_stack) pcre2_jit_stack_assign_8(match_context.get(), nullptr, jit_stack.get());
  }
  return std::make_unique<Pcre8RegExp>(std::move(code), std::move(match_data),
                                       std::move(match_context), std::move(jit_stack));
}

}  // namespace quonder
