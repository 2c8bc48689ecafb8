#include "core/search/reg_exp_engine.h"

#include "core/search/reg_exp_pattern.h"

namespace quonder {
namespace reg_exp_internal {

template <typename Unit>
std::unique_ptr<Pcre2Pattern<Unit>> Pcre2Pattern<Unit>::Compile(
    std::basic_string_view<Unit> pattern, uint32_t options, Use use, CompileError& error) {
  using F = Pcre2<Unit>;
  error = CompileError();
  auto* compile_context = F::compile_context_create(nullptr);
  if (compile_context == nullptr) return nullptr;
  F::set_newline(compile_context, kNewline);
  int error_code = 0;
  PCRE2_SIZE error_offset = 0;
  auto* code = F::compile(reinterpret_cast<typename F::Subject>(pattern.data()), pattern.size(),
                          options, &error_code, &error_offset, compile_context);
  F::compile_context_free(compile_context);
  if (code == nullptr) {
    error = {error_code, error_offset};
    return nullptr;
  }
  std::unique_ptr<Pcre2Pattern> out(new Pcre2Pattern());
  out->code_ = code;
  // Without JIT (not built in, or no executable memory) the interpreter does the same work.
  const bool jit = use != Use::kInfo && F::jit_compile(code, PCRE2_JIT_COMPLETE) == 0;
  out->match_data_ = use == Use::kGroups ? F::match_data_create_from_pattern(code, nullptr)
                                         : F::match_data_create(1, nullptr);
  out->match_context_ = F::match_context_create(nullptr);
  if (out->match_data_ == nullptr || out->match_context_ == nullptr) return nullptr;
  F::set_match_limit(out->match_context_, kMatchLimit);
  F::set_heap_limit(out->match_context_, kHeapLimitKib);
  if (jit) {
    // Without a stack of its own the JIT uses its small default one; deep matches then fall
    // back to the interpreter.
    out->jit_stack_ = F::jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
    if (out->jit_stack_ != nullptr) {
      F::jit_stack_assign(out->match_context_, nullptr, out->jit_stack_);
    }
  }
  F::pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &out->capture_count_);
  return out;
}

template <typename Unit>
Pcre2Pattern<Unit>::~Pcre2Pattern() {
  using F = Pcre2<Unit>;
  if (jit_stack_ != nullptr) F::jit_stack_free(jit_stack_);
  if (match_context_ != nullptr) F::match_context_free(match_context_);
  if (match_data_ != nullptr) F::match_data_free(match_data_);
  if (code_ != nullptr) F::code_free(code_);
}

template <typename Unit>
int Pcre2Pattern<Unit>::Info(uint32_t what, void* where) const {
  return Pcre2<Unit>::pattern_info(code_, what, where);
}

template class Pcre2Pattern<char>;
template class Pcre2Pattern<char16_t>;

}  // namespace reg_exp_internal
}  // namespace quonder
