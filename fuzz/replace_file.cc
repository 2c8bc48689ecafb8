// Feeds the replace step one file of random bytes in a charset picked by the input, and random
// hits (some stale) with random replacements. The file must either stay byte for byte as it
// was, or read back, in its charset and after its own byte-order mark, as exactly its text as
// read with the hits replaced; and no temporary file may be left beside it.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "core/fileops/replace_file.h"
#include "core/text/text_stream.h"
#include "fuzz_folder.h"

namespace quonder {
namespace {

void Check(bool condition, const std::string& charset, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "replace_file (%s): %s\n", charset.c_str(), what);
  std::abort();
}

// The shipped table's multi-byte and stateful charsets, a few single-byte ones, and charsets
// ICU knows with shift states or whose bytes depend on what came before.
constexpr const char* kCharsets[] = {"utf-8",        "unicode",          "unicodeFFFE", "utf-32",
                                     "utf-32BE",     "shift_jis",        "euc-jp",      "big5",
                                     "gbk",          "gb18030",          "iso-2022-jp", "euc-kr",
                                     "windows-1252", "ibm437",           "koi8-r",      "utf-7",
                                     "hz-gb-2312",   "iso-2022-kr",      "scsu",        "bocu-1",
                                     "cesu-8",       "imap-mailbox-name"};

TextCodec* Open(const std::string& name) {
  static std::map<std::string, std::unique_ptr<TextCodec>> open;
  std::unique_ptr<TextCodec>& codec = open[name];
  if (!codec) Check(TextCodec::Open(name, codec).ok(), name, "a listed charset does not open");
  return codec.get();
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) std::abort();
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}

// Bytes below 0x80 stand for themselves; the others for characters most charsets lack or
// write in several bytes, and for surrogates.
std::u16string Widen(std::string_view bytes) {
  static constexpr char16_t kOthers[] = {u'\u00E9', u'\u3042', u'\u0416', u'\u20AC',
                                         u'\uFEFF', 0xD83D,    0xDE00,    u'\u00AD',
                                         u'\uE000', u'+',      u'~',      u'\x1B'};
  std::u16string text;
  for (unsigned char c : bytes) {
    text += c < 0x80 ? static_cast<char16_t>(c) : kOthers[c % std::size(kOthers)];
  }
  return text;
}

}  // namespace
}  // namespace quonder

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quonder;
  FuzzedDataProvider input(data, size);
  const std::string name = input.PickValueInArray(kCharsets);
  TextCodec* codec = Open(name);
  const std::string bytes = input.ConsumeRandomLengthString(256);
  const std::string path = FuzzFolder() + "/f.txt";
  {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  const size_t bom = codec->BomLength(bytes);
  std::u16string text;
  bool lossy = false;
  Check(codec->Decode(std::string_view(bytes).substr(bom), text, lossy).ok(), name,
        "decoding fails");

  ReplaceFile file(path, "f.txt", codec, Status::Ok(), false, FuzzFolder());
  std::u16string expected;
  size_t done = 0;
  bool stale = false;
  while (input.remaining_bytes() > 0) {
    const size_t start = done + input.ConsumeIntegralInRange<size_t>(0, 16);
    const size_t length = input.ConsumeIntegralInRange<size_t>(0, 6);
    std::u16string found = start <= text.size() ? text.substr(start, length) : u"x";
    if (input.ConsumeIntegralInRange<int>(0, 15) == 0) {
      found += u'!';  // no longer what the file holds (or a hit beyond its text)
    }
    const std::u16string replacement = Widen(input.ConsumeRandomLengthString(6));
    file.AddHit(static_cast<int64_t>(start) + 1, found, replacement);
    if (start > text.size() || text.compare(start, found.size(), found) != 0) {
      stale = true;
      continue;
    }
    expected.append(text, done, start - done);
    expected += replacement;
    done = start + found.size();
  }
  if (done < text.size()) expected.append(text, done, std::u16string::npos);
  file.Finish(false);

  const std::string after = ReadAll(path);
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(FuzzFolder())) {
    (void)entry;
    ++entries;
  }
  Check(entries == 1, name, "a temporary file was left beside the file");
  if (file.untouched()) {
    Check(after == bytes, name, "an untouched file changed");
    return 0;
  }
  Check(!stale && !lossy, name, "a stale hit or invalid bytes did not stop the replace");
  Check(after.substr(0, bom) == bytes.substr(0, bom), name, "the byte-order mark was lost");
  // After the mark the file had (a new text that begins with U+FEFF, where the file had no
  // mark, is written as asked; the next read takes it for a mark).
  std::u16string reread;
  bool reread_lossy = true;
  Check(codec->Decode(std::string_view(after).substr(bom), reread, reread_lossy).ok(), name,
        "the written file does not decode");
  Check(!reread_lossy, name, "the written file holds invalid bytes");
  Check(reread == expected, name, "the written file reads as another text");
  return 0;
}
