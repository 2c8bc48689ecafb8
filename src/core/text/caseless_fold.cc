#include "core/text/caseless_fold.h"

#include <array>
#include <memory>

#include <unicode/uchar.h>

namespace quonder {
namespace {

struct FoldData {
  std::array<char16_t, 0x10000> table;
  std::array<std::u16string, 128> ascii_mates;  // by folded ASCII value
};

const FoldData& Data() {
  static const std::unique_ptr<FoldData> data = [] {
    auto built = std::make_unique<FoldData>();
    for (UChar32 c = 0; c < 0x10000; ++c) {
      UChar32 folded = u_foldCase(c, U_FOLD_CASE_DEFAULT);
      // Simple folding keeps BMP units in the BMP; the guard keeps the length promise anyway.
      if (folded > 0xFFFF || (folded >= 0xD800 && folded <= 0xDFFF)) folded = c;
      built->table[c] = static_cast<char16_t>(folded);
    }
    for (UChar32 c = 0x80; c < 0x10000; ++c) {
      char16_t folded = built->table[c];
      if (folded < 0x80) built->ascii_mates[folded].push_back(static_cast<char16_t>(c));
    }
    return built;
  }();
  return *data;
}

}  // namespace

const char16_t* FoldTable() { return Data().table.data(); }

void FoldText(std::u16string_view text, std::u16string& folded) {
  const char16_t* table = FoldTable();
  folded.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i) folded[i] = table[text[i]];
}

std::u16string FoldText(std::u16string_view text) {
  std::u16string folded;
  FoldText(text, folded);
  return folded;
}

bool HasNonAsciiFoldMate(char ascii) { return !NonAsciiFoldMates(ascii).empty(); }

std::u16string NonAsciiFoldMates(char ascii) {
  unsigned char c = static_cast<unsigned char>(ascii);
  if (c >= 0x80) return {};
  return Data().ascii_mates[FoldTable()[c]];
}

}  // namespace quonder
