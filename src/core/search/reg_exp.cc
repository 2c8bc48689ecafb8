#include "core/search/reg_exp.h"

#include <pcre2.h>

#include <utility>

#include "core/search/reg_exp_pattern.h"

namespace quonder {
namespace {

using reg_exp_internal::CompileOptions;
using reg_exp_internal::ErrorText;
using reg_exp_internal::TranslatePattern;

struct CodeDeleter {
  void operator()(pcre2_code_16* p) const { pcre2_code_free_16(p); }
};
struct MatchDataDeleter {
  void operator()(pcre2_match_data_16* p) const { pcre2_match_data_free_16(p); }
};
struct MatchContextDeleter {
  void operator()(pcre2_match_context_16* p) const { pcre2_match_context_free_16(p); }
};
struct CompileContextDeleter {
  void operator()(pcre2_compile_context_16* p) const { pcre2_compile_context_free_16(p); }
};
struct JitStackDeleter {
  void operator()(pcre2_jit_stack_16* p) const { pcre2_jit_stack_free_16(p); }
};

Status OutOfMemory() {
  return Status::Error(Status::Code::kInvalidPattern,
                       "Not enough memory for the regular expression");
}

bool IsHighSurrogate(char16_t c) { return (c & 0xFC00) == 0xD800; }
bool IsLowSurrogate(char16_t c) { return (c & 0xFC00) == 0xDC00; }

class Pcre16RegExp final : public RegExp {
 public:
  Pcre16RegExp(std::unique_ptr<pcre2_code_16, CodeDeleter> code,
               std::unique_ptr<pcre2_match_data_16, MatchDataDeleter> match_data,
               std::unique_ptr<pcre2_match_context_16, MatchContextDeleter> match_context,
               std::unique_ptr<pcre2_jit_stack_16, JitStackDeleter> jit_stack,
               uint32_t capture_count)
      : code_(std::move(code)),
        match_data_(std::move(match_data)),
        match_context_(std::move(match_context)),
        jit_stack_(std::move(jit_stack)),
        capture_count_(capture_count) {}

  bool Find(std::u16string_view text, size_t start, size_t& begin, size_t& end) override {
    last_error_ = Status::Ok();
    if (!MatchFrom(text, start)) return false;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer_16(match_data_.get());
    begin = ovector[0];
    end = ovector[1];
    if (begin > end) begin = end;  // only \K inside a lookahead could do this
    return true;
  }

  const Status& last_error() const override { return last_error_; }

  std::u16string Replace(std::u16string_view text, std::u16string_view replacement,
                         bool global) override {
    last_error_ = Status::Ok();
    std::u16string out;
    size_t copied = 0;
    size_t start = 0;
    while (start <= text.size()) {
      if (!MatchFrom(text, start)) {
        if (!last_error_.ok()) return std::u16string(text);
        break;
      }
      const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer_16(match_data_.get());
      size_t end = ovector[1];
      size_t begin = ovector[0] > end ? end : ovector[0];
      if (begin < copied) begin = copied;  // never write a part of the text twice
      out.append(text.substr(copied, begin - copied));
      AppendReplacement(text, replacement, ovector, out);
      copied = end;
      if (!global) break;
      start = end > begin ? end : NextStartAfterEmptyMatch(text, end);
    }
    if (copied < text.size()) out.append(text.substr(copied));
    return out;
  }

 private:
  // Runs the match from `start`; true on a match (the ovector holds it). False on no match,
  // and on an error, which is then in last_error_.
  bool MatchFrom(std::u16string_view text, size_t start) {
    if (start > text.size()) return false;
    if (start > 0 && start < text.size() && IsLowSurrogate(text[start]) &&
        IsHighSurrogate(text[start - 1])) {
      ++start;
    }
    auto subject = reinterpret_cast<PCRE2_SPTR16>(text.data());
    int rc = pcre2_match_16(code_.get(), subject, text.size(), start, 0, match_data_.get(),
                            match_context_.get());
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
      // The interpreter keeps its backtracking on the heap and can go deeper.
      rc = pcre2_match_16(code_.get(), subject, text.size(), start, PCRE2_NO_JIT, match_data_.get(),
                          match_context_.get());
    }
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
                 static_cast<uint32_t>(next - u'0') <= capture_count_) {
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

  std::unique_ptr<pcre2_code_16, CodeDeleter> code_;
  std::unique_ptr<pcre2_match_data_16, MatchDataDeleter> match_data_;
  std::unique_ptr<pcre2_match_context_16, MatchContextDeleter> match_context_;
  std::unique_ptr<pcre2_jit_stack_16, JitStackDeleter> jit_stack_;
  uint32_t capture_count_ = 0;
  Status last_error_;
};

}  // namespace

Status RegExp::Compile(std::u16string_view pattern, Options options, std::unique_ptr<RegExp>& out) {
  out.reset();
  const reg_exp_internal::TranslatedPattern translated = TranslatePattern(pattern);

  std::unique_ptr<pcre2_compile_context_16, CompileContextDeleter> compile_context(
      pcre2_compile_context_create_16(nullptr));
  if (!compile_context) return OutOfMemory();
  pcre2_set_newline_16(compile_context.get(), reg_exp_internal::kNewline);

  int error_code = 0;
  PCRE2_SIZE error_offset = 0;
  std::unique_ptr<pcre2_code_16, CodeDeleter> code(pcre2_compile_16(
      reinterpret_cast<PCRE2_SPTR16>(translated.text.data()), translated.text.size(),
      CompileOptions(options), &error_code, &error_offset, compile_context.get()));
  if (!code) {
    size_t offset = error_offset < translated.source_offset.size()
                        ? translated.source_offset[error_offset]
                        : pattern.size();
    return Status::Error(Status::Code::kInvalidPattern, "Invalid regular expression at offset " +
                                                            std::to_string(offset) + ": " +
                                                            ErrorText(error_code));
  }

  // Without JIT (not built in, or no executable memory) the interpreter does the same work.
  const bool jit = pcre2_jit_compile_16(code.get(), PCRE2_JIT_COMPLETE) == 0;

  std::unique_ptr<pcre2_match_data_16, MatchDataDeleter> match_data(
      pcre2_match_data_create_from_pattern_16(code.get(), nullptr));
  std::unique_ptr<pcre2_match_context_16, MatchContextDeleter> match_context(
      pcre2_match_context_create_16(nullptr));
  if (!match_data || !match_context) return OutOfMemory();
  pcre2_set_match_limit_16(match_context.get(), reg_exp_internal::kMatchLimit);
  pcre2_set_heap_limit_16(match_context.get(), reg_exp_internal::kHeapLimitKib);

  std::unique_ptr<pcre2_jit_stack_16, JitStackDeleter> jit_stack;
  if (jit) {
    jit_stack.reset(pcre2_jit_stack_create_16(reg_exp_internal::kJitStackStart,
                                              reg_exp_internal::kJitStackMax, nullptr));
    // Without a stack of its own the JIT uses its small default one; deep matches then fall
    // back to the interpreter.
    if (jit_stack) pcre2_jit_stack_assign_16(match_context.get(), nullptr, jit_stack.get());
  }

  uint32_t capture_count = 0;
  pcre2_pattern_info_16(code.get(), PCRE2_INFO_CAPTURECOUNT, &capture_count);

  out =
      std::make_unique<Pcre16RegExp>(std::move(code), std::move(match_data),
                                     std::move(match_context), std::move(jit_stack), capture_count);
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
        {static_cast<int32_t>(begin), std::u16string(view.substr(begin, end - begin))});
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
