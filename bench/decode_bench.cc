// Decode throughput of TextCodec on generated text, next to ICU's converter alone for scale.
// Prints one line per case: charset, text kind, GB/s of input bytes (per CPU second).
#include <time.h>
#include <unicode/ucnv.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/text/text_stream.h"

namespace {

using quonder::Status;
using quonder::TextCodec;

constexpr size_t kInputBytes = 16 << 20;
constexpr size_t kWorkBytes = 128 << 20;  // per case

std::u16string Pick(std::mt19937& rng, const std::vector<std::u16string>& pool) {
  return pool[std::uniform_int_distribution<size_t>(0, pool.size() - 1)(rng)];
}

// Program source: ASCII with a comment from `rare` now and then.
std::u16string SourceText(size_t units, const std::vector<std::u16string>& rare) {
  std::mt19937 rng(1);
  const std::vector<std::u16string> words = {
      u"int",           u"value",  u"return", u"const", u"std::string", u"if",
      u"(count",        u"> 0)",   u"{",      u"}",     u"result_rows", u"=",
      u"Decode(bytes,", u"text);", u"for",    u"auto&", u"row",         u":"};
  std::u16string text;
  while (text.size() < units) {
    text += u"    ";
    int count = std::uniform_int_distribution<int>(3, 10)(rng);
    for (int i = 0; i < count; ++i) text += Pick(rng, words) + u" ";
    if (std::uniform_int_distribution<int>(0, 29)(rng) == 0) text += Pick(rng, rare);
    text += u"\n";
  }
  return text;
}

// Japanese prose: mostly kana and kanji, line breaks and a few ASCII words.
std::u16string JapaneseText(size_t units) {
  std::mt19937 rng(2);
  const std::vector<std::u16string> words = {
      u"日本語", u"の",     u"文字",     u"を",       u"検索", u"して",
      u"置換",   u"します", u"ファイル", u"フォルダ", u"が",   u"見つかりません",
      u"、",     u"。",     u"設定",     u"は",       u"保存", u"されます",
      u"行",     u"桁",     u"テキスト", u"エディタ", u"で",   u"開く",
      u"UTF-8",  u" 2024 "};
  std::u16string text;
  while (text.size() < units) {
    int count = std::uniform_int_distribution<int>(8, 30)(rng);
    for (int i = 0; i < count; ++i) text += Pick(rng, words);
    text += u"\r\n";
  }
  return text;
}

// Western European prose with accented letters.
std::u16string WesternText(size_t units) {
  std::mt19937 rng(3);
  const std::vector<std::u16string> words = {u"the",    u"größer",   u"été",    u"niño", u"déjà",
                                             u"vu",     u"and",      u"Straße", u"café", u"über",
                                             u"résumé", u"of",       u"a",      u"file", u"was",
                                             u"€ 10",   u"“quoted”", u"façade", u"in",   u"to"};
  std::u16string text;
  while (text.size() < units) {
    int count = std::uniform_int_distribution<int>(6, 16)(rng);
    for (int i = 0; i < count; ++i) text += Pick(rng, words) + u" ";
    text += u"\n";
  }
  return text;
}

// CPU time of this thread: the machine may be shared, and wall time would measure the others.
double CpuSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void Measure(const char* charset, const char* kind, const std::u16string& sample) {
  std::unique_ptr<TextCodec> codec;
  Status status = TextCodec::Open(charset, codec);
  std::string bytes;
  if (status.ok()) status = codec->Encode(sample, bytes);
  if (!status.ok()) {
    std::printf("%-14s %-10s %s\n", charset, kind, status.message().c_str());
    return;
  }
  std::u16string text;
  bool lossy = false;
  codec->Decode(bytes, text, lossy);  // warm up, and size the buffer
  size_t rounds = kWorkBytes / bytes.size() + 1;
  double start = CpuSeconds();
  for (size_t i = 0; i < rounds; ++i) codec->Decode(bytes, text, lossy);
  double ours = CpuSeconds() - start;

  // ICU alone, for scale (an ICU name that opens the same table).
  UErrorCode err = U_ZERO_ERROR;
  const char* icu_name = std::string(charset) == "shift_jis" ? "ibm-943_P15A-2003" : charset;
  UConverter* cnv = ucnv_open(icu_name, &err);
  std::u16string icu_text(bytes.size() + 16, u'\0');
  start = CpuSeconds();
  for (size_t i = 0; i < rounds; ++i) {
    ucnv_resetToUnicode(cnv);
    UChar* target = icu_text.data();
    const char* source = bytes.data();
    err = U_ZERO_ERROR;
    ucnv_toUnicode(cnv, &target, icu_text.data() + icu_text.size(), &source,
                   bytes.data() + bytes.size(), nullptr, true, &err);
  }
  double icu = CpuSeconds() - start;
  ucnv_close(cnv);

  double gigabytes = static_cast<double>(bytes.size()) * static_cast<double>(rounds) / 1e9;
  std::printf("%-14s %-10s %6.2f GB/s   (ICU alone %5.2f GB/s)%s\n", charset, kind,
              gigabytes / ours, gigabytes / icu, lossy ? "  LOSSY" : "");
}

}  // namespace

// An optional argument picks the cases whose charset or text kind contains it.
int main(int argc, char** argv) {
  std::string only = argc > 1 ? argv[1] : "";
  auto wanted = [&](const char* charset, const char* kind) {
    return std::string(charset).find(only) != std::string::npos ||
           std::string(kind).find(only) != std::string::npos;
  };
  if (wanted("utf-8", "source")) {
    Measure("utf-8", "source", SourceText(kInputBytes, {u"// café", u"// ✓ done", u"// 日本語"}));
  }
  if (wanted("shift_jis", "source")) {
    Measure("shift_jis", "source", SourceText(kInputBytes, {u"// 日本語", u"// → 完了"}));
  }
  if (wanted("windows-1252", "source")) {
    Measure("windows-1252", "source", SourceText(kInputBytes, {u"// café", u"// naïve"}));
  }
  std::u16string japanese = JapaneseText(kInputBytes / 3);
  if (wanted("utf-8", "japanese")) Measure("utf-8", "japanese", japanese);
  if (wanted("shift_jis", "japanese")) Measure("shift_jis", "japanese", japanese);
  if (wanted("euc-jp", "japanese")) Measure("euc-jp", "japanese", japanese);
  if (wanted("windows-1252", "western")) {
    Measure("windows-1252", "western", WesternText(kInputBytes));
  }
  return 0;
}
