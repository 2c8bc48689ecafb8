// Decoding and encoding whole files in a named charset, over ICU's converters. UTF-16 is the
// engine's text: every position counts UTF-16 code units. A byte-order mark is not part of the
// text: reading removes the charset's own mark and remembers it; writing puts back what the
// file had.
//
// Thread safety: a TextCodec is used by one thread at a time; open one per thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/status.h"

namespace quonder {

class TextCodec {
 public:
  // Opens a converter for `charset` (names as the code set table lists them, e.g. "utf-8",
  // "unicode", "unicodeFFFE", "shift_jis", "windows-1252"; letter case does not matter, and
  // other names ICU knows are accepted too). An unknown or empty name gives kUnknownCharset
  // with a message that names it; `codec` is then null.
  static Status Open(const std::string& charset, std::unique_ptr<TextCodec>& codec);

  virtual ~TextCodec() = default;

  // The name the codec was opened with.
  virtual const std::string& Name() const = 0;

  // Facts that let the find run search raw bytes before decoding:
  // Bytes 0x00-0x7F outside multi-byte sequences decode to the same code points, and the
  // charset has no shift states (utf-8, the ISO-8859 and windows code pages, Shift_JIS, EUC-*,
  // GBK, Big5 ...; not UTF-16, not ISO-2022-JP).
  virtual bool AsciiCompatible() const = 0;
  // AsciiCompatible() and no multi-byte sequence holds a byte below 0x80 (utf-8, EUC-*,
  // single-byte sets; not Shift_JIS, Big5, GBK), so a byte below 0x80 is always that ASCII char.
  virtual bool AsciiTransparent() const = 0;
  // Every byte decodes to exactly one UTF-16 unit whatever surrounds it (the ISO-8859 and
  // windows single-byte code pages), so a byte's offset is its unit's offset.
  virtual bool SingleByte() const = 0;

  // Whether bytes that Encode gave for two texts, one behind the other, decode as the two texts
  // one behind the other: every Encode ends where a decoder starts. True for charsets without
  // state and for those that shift back at the end (HZ, UTF-7, stateful EBCDIC); false for
  // SCSU, BOCU-1 and others whose bytes for a character depend on the characters before it,
  // and for ISO-2022, whose decoder refuses the shift back and out again at a join, so that a
  // text can only be encoded whole.
  virtual bool EncodesInPieces() const = 0;

  // Length of the charset's own byte-order mark at the start of `bytes`, or 0. The marks:
  // EF BB BF (utf-8), FF FE (unicode), FE FF (unicodeFFFE), FF FE 00 00 (utf-32),
  // 00 00 FE FF (utf-32BE), 84 31 95 33 (gb18030); other charsets have none.
  virtual size_t BomLength(std::string_view bytes) const = 0;

  // Decodes `bytes` (BOM already removed) into `text`, replacing its content; the buffer's
  // capacity is reused. Bytes invalid in the charset become U+FFFD (one per invalid sequence,
  // as ICU's converter delimits them); `lossy` tells whether that happened.
  // Runs of ASCII are widened directly where the charset allows it.
  virtual Status Decode(std::string_view bytes, std::u16string& text, bool& lossy) = 0;

  // Encodes `text` into `bytes`, replacing its content. Text that the charset cannot represent
  // (an unpaired surrogate included) gives kUnencodable naming the character, its 1-based
  // position in UTF-16 units and the charset; `bytes` is then empty. Nothing is replaced by
  // a substitute or a best-fit character.
  virtual Status Encode(std::u16string_view text, std::string& bytes) = 0;
};

// True when `codec` decodes exactly as UTF-8 does: the byte forms of two-, three- and
// four-byte characters decode to them, and an encoded surrogate or an overlong form is
// invalid (unlike CESU-8 and lax decoders). Such bytes can be searched, and positions in them
// counted, without the codec.
bool DecodesAsUtf8(TextCodec& codec);

// What a read remembered about a file's bytes, for writing it back the same way.
struct TextFileInfo {
  std::string bom;     // the byte-order mark the file began with, or empty
  bool lossy = false;  // some bytes were invalid in the charset
};

// Reads the whole file at `path` and decodes it. kNotFound/kIoError name the path.
Status ReadTextFile(const std::string& path, TextCodec& codec, std::u16string& text,
                    TextFileInfo& info);

// Encodes `text`, puts `info.bom` in front and replaces the file atomically (permissions kept).
// Nothing is written when the text cannot be encoded (kUnencodable), or when `info.lossy` is
// set (kLossy): the file's invalid bytes would be lost. Messages name the path.
Status WriteTextFile(const std::string& path, TextCodec& codec, std::u16string_view text,
                     const TextFileInfo& info);

}  // namespace quonder
