// The PCRE2 objects behind both matchers, RegExp over UTF-16 and Utf8RegExp over UTF-8 bytes:
// one compiled pattern with its match data, match context and JIT stack, compiled with the same
// newline convention and limits (reg_exp_pattern.h) and matched the same way whatever the code
// unit. Internal to the two adapters and the speed-only code beside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include <pcre2.h>

namespace quonder {
namespace reg_exp_internal {

// PCRE2's types and functions for one code unit width: char (8-bit) or char16_t (16-bit).
template <typename Unit>
struct Pcre2;

// One compiled pattern, ready to match. Used by one thread at a time (it owns its match data).
template <typename Unit>
class Pcre2Pattern {
 public:
  using Api = Pcre2<Unit>;

  struct CompileError {
    int code = 0;       // PCRE2's error code; 0 when memory ran out
    size_t offset = 0;  // where in the compiled text PCRE2 stopped
  };

  // What the compiled pattern is for.
  enum class Use {
    kGroups,        // matching, with the groups' offsets in ovector()
    kWholeMatches,  // matching, only the whole match in ovector() (less to copy per match)
    kInfo,          // Info() only: no machine code is made
  };

  // Compiles `pattern` (already translated, see TranslatePattern) with the PCRE2 `options` for
  // `use`, with the work and memory limits set, JIT-compiled where the JIT is available. Null
  // on failure, `error` saying why.
  static std::unique_ptr<Pcre2Pattern> Compile(std::basic_string_view<Unit> pattern,
                                               uint32_t options, Use use, CompileError& error);

  Pcre2Pattern(const Pcre2Pattern&) = delete;
  Pcre2Pattern& operator=(const Pcre2Pattern&) = delete;
  ~Pcre2Pattern();

  // pcre2_match over the whole `subject` from `start` with `match_options`, considering only
  // matches that start at or before `last_start` (npos: anywhere; otherwise the pattern must
  // have been compiled with PCRE2_USE_OFFSET_LIMIT). A match too deep for the
  // JIT's stack is tried again by the interpreter, which keeps its backtracking on the heap.
  // Returns PCRE2's result: >= 0 on a match (see ovector()), PCRE2_ERROR_NOMATCH, or an error.
  // Inline: it runs once per match.
  int Match(std::basic_string_view<Unit> subject, size_t start, uint32_t match_options,
            size_t last_start) {
    const size_t limit =
        last_start == std::basic_string_view<Unit>::npos ? PCRE2_UNSET : last_start;
    if (limit != offset_limit_) {
      Api::set_offset_limit(match_context_, limit);
      offset_limit_ = limit;
    }
    auto text = reinterpret_cast<typename Api::Subject>(subject.data());
    int rc =
        Api::match(code_, text, subject.size(), start, match_options, match_data_, match_context_);
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
      rc = Api::match(code_, text, subject.size(), start, match_options | PCRE2_NO_JIT, match_data_,
                      match_context_);
    }
    return rc;
  }

  // The last match's offsets: [0] and [1] the whole match, then two per group.
  const PCRE2_SIZE* ovector() const { return Api::get_ovector_pointer(match_data_); }
  // The last match's whole extent, [begin, end). Never reversed: only \K inside a lookahead
  // could set the start behind the end, and such a match is taken as empty at its end.
  void WholeMatch(size_t& begin, size_t& end) const {
    const PCRE2_SIZE* offsets = ovector();
    end = offsets[1];
    begin = offsets[0] > end ? end : offsets[0];
  }
  uint32_t capture_count() const { return capture_count_; }
  // pcre2_pattern_info for `what`; a negative PCRE2 error when it has no such information.
  int Info(uint32_t what, void* where) const;

 private:
  Pcre2Pattern() = default;

  typename Api::Code* code_ = nullptr;
  typename Api::MatchData* match_data_ = nullptr;
  typename Api::MatchContext* match_context_ = nullptr;
  typename Api::JitStack* jit_stack_ = nullptr;
  uint32_t capture_count_ = 0;
  size_t offset_limit_ = PCRE2_UNSET;  // as last set in match_context_
};

template <>
struct Pcre2<char> {
  using Code = pcre2_code_8;
  using MatchData = pcre2_match_data_8;
  using MatchContext = pcre2_match_context_8;
  using JitStack = pcre2_jit_stack_8;
  using Subject = PCRE2_SPTR8;
  static constexpr auto match = &pcre2_match_8;
  static constexpr auto set_offset_limit = &pcre2_set_offset_limit_8;
  static constexpr auto get_ovector_pointer = &pcre2_get_ovector_pointer_8;
  static constexpr auto compile_context_create = &pcre2_compile_context_create_8;
  static constexpr auto compile_context_free = &pcre2_compile_context_free_8;
  static constexpr auto set_newline = &pcre2_set_newline_8;
  static constexpr auto compile = &pcre2_compile_8;
  static constexpr auto code_free = &pcre2_code_free_8;
  static constexpr auto jit_compile = &pcre2_jit_compile_8;
  static constexpr auto match_data_create = &pcre2_match_data_create_8;
  static constexpr auto match_data_create_from_pattern = &pcre2_match_data_create_from_pattern_8;
  static constexpr auto match_data_free = &pcre2_match_data_free_8;
  static constexpr auto match_context_create = &pcre2_match_context_create_8;
  static constexpr auto match_context_free = &pcre2_match_context_free_8;
  static constexpr auto set_match_limit = &pcre2_set_match_limit_8;
  static constexpr auto set_heap_limit = &pcre2_set_heap_limit_8;
  static constexpr auto jit_stack_create = &pcre2_jit_stack_create_8;
  static constexpr auto jit_stack_assign = &pcre2_jit_stack_assign_8;
  static constexpr auto jit_stack_free = &pcre2_jit_stack_free_8;
  static constexpr auto pattern_info = &pcre2_pattern_info_8;
};

template <>
struct Pcre2<char16_t> {
  using Code = pcre2_code_16;
  using MatchData = pcre2_match_data_16;
  using MatchContext = pcre2_match_context_16;
  using JitStack = pcre2_jit_stack_16;
  using Subject = PCRE2_SPTR16;
  static constexpr auto match = &pcre2_match_16;
  static constexpr auto set_offset_limit = &pcre2_set_offset_limit_16;
  static constexpr auto get_ovector_pointer = &pcre2_get_ovector_pointer_16;
  static constexpr auto compile_context_create = &pcre2_compile_context_create_16;
  static constexpr auto compile_context_free = &pcre2_compile_context_free_16;
  static constexpr auto set_newline = &pcre2_set_newline_16;
  static constexpr auto compile = &pcre2_compile_16;
  static constexpr auto code_free = &pcre2_code_free_16;
  static constexpr auto jit_compile = &pcre2_jit_compile_16;
  static constexpr auto match_data_create = &pcre2_match_data_create_16;
  static constexpr auto match_data_create_from_pattern = &pcre2_match_data_create_from_pattern_16;
  static constexpr auto match_data_free = &pcre2_match_data_free_16;
  static constexpr auto match_context_create = &pcre2_match_context_create_16;
  static constexpr auto match_context_free = &pcre2_match_context_free_16;
  static constexpr auto set_match_limit = &pcre2_set_match_limit_16;
  static constexpr auto set_heap_limit = &pcre2_set_heap_limit_16;
  static constexpr auto jit_stack_create = &pcre2_jit_stack_create_16;
  static constexpr auto jit_stack_assign = &pcre2_jit_stack_assign_16;
  static constexpr auto jit_stack_free = &pcre2_jit_stack_free_16;
  static constexpr auto pattern_info = &pcre2_pattern_info_16;
};

extern template class Pcre2Pattern<char>;
extern template class Pcre2Pattern<char16_t>;

}  // namespace reg_exp_internal
}  // namespace quonder
