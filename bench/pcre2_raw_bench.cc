// The yardstick for regular-expression find runs: PCRE2's 8-bit library, with the engine's own
// reading of the pattern and options, run over the raw bytes of every file of a tree (read
// whole, in the find run's order), counting every match. No decoding, no rows.
//
// usage: pcre2_raw_bench PATTERN FOLDER [-i]    prints "<matches> matches in <seconds> s"
#include <pcre2.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/search/file_buffer.h"
#include "core/search/folder_walk.h"
#include "core/search/reg_exp_pattern.h"
#include "core/text/utf_convert.h"

namespace {

struct Matcher {
  pcre2_code_8* code = nullptr;
  pcre2_match_data_8* match_data = nullptr;
  pcre2_match_context_8* context = nullptr;
};

long long CountMatches(Matcher& m, std::string_view bytes) {
  long long count = 0;
  size_t start = 0;
  auto subject = reinterpret_cast<PCRE2_SPTR8>(bytes.data());
  while (start <= bytes.size()) {
    int rc = pcre2_match_8(m.code, subject, bytes.size(), start, 0, m.match_data, m.context);
    if (rc < 0) break;
    PCRE2_SIZE* ovector = pcre2_get_ovector_pointer_8(m.match_data);
    ++count;
    start = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
  }
  return count;
}

long long Walk(Matcher& m, quonder::FileBuffer& buffer, const std::string& folder) {
  quonder::FolderListing listing;
  if (!quonder::ListFolder(folder, listing).ok()) return 0;
  long long count = 0;
  for (const std::string& name : listing.files) {
    bool permanent = false;
    if (buffer.Load(folder + "/" + name, permanent).ok()) count += CountMatches(m, buffer.bytes());
  }
  for (const std::string& name : listing.folders) count += Walk(m, buffer, folder + "/" + name);
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: pcre2_raw_bench PATTERN FOLDER [-i]\n", stderr);
    return 2;
  }
  quonder::RegExp::Options options;
  options.multiline = true;
  options.ignore_case = argc > 3 && std::strcmp(argv[3], "-i") == 0;
  std::string pattern =
      quonder::ToUtf8(quonder::reg_exp_internal::TranslatePattern(quonder::ToUtf16(argv[1])).text);
  pcre2_compile_context_8* compile_context = pcre2_compile_context_create_8(nullptr);
  pcre2_set_newline_8(compile_context, quonder::reg_exp_internal::kNewline);
  int error = 0;
  PCRE2_SIZE offset = 0;
  Matcher m;
  m.code = pcre2_compile_8(reinterpret_cast<PCRE2_SPTR8>(pattern.data()), pattern.size(),
                           quonder::reg_exp_internal::CompileOptions(options), &error, &offset,
                           compile_context);
  if (m.code == nullptr) {
    std::fputs("invalid pattern\n", stderr);
    return 1;
  }
  pcre2_jit_compile_8(m.code, PCRE2_JIT_COMPLETE);
  m.match_data = pcre2_match_data_create_from_pattern_8(m.code, nullptr);
  m.context = pcre2_match_context_create_8(nullptr);
  quonder::FileBuffer buffer;
  auto begin = std::chrono::steady_clock::now();
  long long count = Walk(m, buffer, argv[2]);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  std::printf("%lld matches in %.3f s\n", count, seconds);
  return 0;
}
