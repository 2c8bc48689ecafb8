#include "core/search/fast/reg_exp_prefilter.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "core/search/reg_exp_engine.h"
#include "core/search/reg_exp_pattern.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

// Start searches of this many possible first bytes or fewer are left to the engine: its own
// vectorised scan for them is as fast as the literal search and needs no second step.
constexpr int kFewFirstBytes = 16;
// Bytes at least this common (ByteCommonness) are on nearly every line of text: space, e, t,
// a, o, i, n, s, r, l, c, d, h, u, p, LF.
constexpr int kCommonByte = 985;

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c | 0x20 : c; }

// Whether PCRE2 finds the possible starts of `pattern` fast by itself: it knows a first code
// unit that is not one of the most common, or a small set of possible first bytes. An
// uncompilable pattern says yes.
bool EngineStartsFast(std::u16string_view pattern, RegExp::Options options) {
  using Engine = reg_exp_internal::Pcre2Pattern<char>;
  std::string utf8;
  if (!EncodeUtf8Strictly(reg_exp_internal::TranslatePattern(pattern).text, utf8)) return true;
  Engine::CompileError error;
  std::unique_ptr<Engine> engine = Engine::Compile(
      utf8, reg_exp_internal::CompileOptions(options) & ~uint32_t{PCRE2_MATCH_INVALID_UTF},
      Engine::Use::kInfo, error);
  if (engine == nullptr) return true;
  uint32_t first_code_type = 0, first_unit = 0;
  if (engine->Info(PCRE2_INFO_FIRSTCODETYPE, &first_code_type) == 0 && first_code_type == 1) {
    engine->Info(PCRE2_INFO_FIRSTCODEUNIT, &first_unit);
    return first_unit >= 0x80 ||
           ByteCommonness(static_cast<unsigned char>(first_unit), false) < kCommonByte;
  }
  const uint8_t* bitmap = nullptr;
  if (engine->Info(PCRE2_INFO_FIRSTBITMAP, &bitmap) != 0 || bitmap == nullptr) return false;
  int first_bytes = 0;
  for (int i = 0; i < 32; ++i) first_bytes += __builtin_popcount(bitmap[i]);
  return first_bytes <= kFewFirstBytes;
}

}  // namespace

std::unique_ptr<RegExpPrefilter> RegExpPrefilter::Make(std::u16string_view pattern,
                                                       RegExp::Options options) {
  std::optional<RequiredLiteral> literal = FindRequiredLiteral(pattern, options.ignore_case);
  if (!literal) return nullptr;
  // A literal of one of the most common characters is on nearly every line.
  if (literal->text.size() == 1 && literal->text[0] < 0x80 &&
      ByteCommonness(static_cast<unsigned char>(literal->text[0]), literal->caseless) >=
          kCommonByte) {
    return nullptr;
  }
  if (EngineStartsFast(pattern, options)) return nullptr;
  return std::make_unique<RegExpPrefilter>(std::move(*literal));
}

RegExpPrefilter::RegExpPrefilter(RequiredLiteral literal) : literal_(std::move(literal)) {
  std::string utf8;
  EncodeUtf8Strictly(literal_.text, utf8);  // whole characters: always encodes
  bytes_ = ByteFinder(utf8, literal_.caseless);
  units_ = literal_.text;
  if (literal_.caseless) {
    for (char16_t& c : units_) c = AsciiLower(c);
  }
  for (int c = 0; c < 256; ++c) stops_[c] = !literal_.chars.Has(c < 128 ? c : 0x80);
  if (!literal_.within_line) {
    // A character is at most four bytes and two UTF-16 units.
    reach_bytes_ = literal_.max_chars * 4 - std::min(literal_.max_chars * 4, utf8.size());
    reach_units_ = literal_.max_chars * 2 - std::min(literal_.max_chars * 2, units_.size());
  }
}

size_t RegExpPrefilter::Find(std::u16string_view text, size_t from) const {
  if (!literal_.caseless) return text.find(units_, from);
  const size_t n = units_.size();
  if (from > text.size() || text.size() - from < n) return std::u16string_view::npos;
  const char16_t first = units_[0];
  for (size_t i = from; i + n <= text.size(); ++i) {
    if (AsciiLower(text[i]) != first) continue;
    size_t k = 1;
    while (k < n && AsciiLower(text[i + k]) == units_[k]) ++k;
    if (k == n) return i;
  }
  return std::u16string_view::npos;
}

namespace prefilter_internal {

size_t CharacterStart(std::string_view bytes, size_t position) {
  while (position < bytes.size() && (static_cast<unsigned char>(bytes[position]) & 0xC0) == 0x80) {
    ++position;
  }
  return position;
}

}  // namespace prefilter_internal
}  // namespace quonder
