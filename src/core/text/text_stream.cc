#include "core/text/text_stream.h"

#include "core/fileops/atomic_file.h"
#include "core/text/charset_names.h"
#include "core/text/icu_codec.h"

namespace quonder {

Status TextCodec::Open(const std::string& charset, std::unique_ptr<TextCodec>& codec) {
  codec.reset();
  std::string icu_name;
  Status status = ResolveCharset(charset, icu_name);
  if (!status.ok()) return status;
  return OpenIcuCodec(charset, icu_name, codec);
}

bool DecodesAsUtf8(TextCodec& codec) {
  if (!codec.AsciiCompatible()) return false;
  std::u16string text;
  bool lossy = false;
  if (!codec.Decode("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", text, lossy).ok() || lossy ||
      text != u"A\u00E9\u20AC\U0001F600") {
    return false;
  }
  for (std::string_view invalid : {"\xED\xA0\x80", "\xC0\xAF"}) {
    lossy = false;
    if (!codec.Decode(invalid, text, lossy).ok() || !lossy) return false;
  }
  return true;
}

Status ReadTextFile(const std::string& path, TextCodec& codec, std::u16string& text,
                    TextFileInfo& info) {
  info = TextFileInfo();
  std::string bytes;
  Status status = ReadWholeFile(path, bytes);
  if (!status.ok()) {
    text.clear();
    return status;
  }
  size_t bom = codec.BomLength(bytes);
  info.bom.assign(bytes, 0, bom);
  status = codec.Decode(std::string_view(bytes).substr(bom), text, info.lossy);
  if (!status.ok()) {
    return Status::Error(status.code(), "Cannot read \"" + path + "\": " + status.message());
  }
  return Status::Ok();
}

Status WriteTextFile(const std::string& path, TextCodec& codec, std::u16string_view text,
                     const TextFileInfo& info) {
  if (info.lossy) {
    return Status::Error(Status::Code::kLossy,
                         "Cannot write \"" + path + "\": it holds bytes that are invalid in " +
                             "charset \"" + codec.Name() + "\" and would be lost");
  }
  std::string bytes;
  Status status = codec.Encode(text, bytes);
  if (!status.ok()) {
    return Status::Error(status.code(), "Cannot write \"" + path + "\": " + status.message());
  }
  bytes.insert(0, info.bom);
  return WriteFileAtomically(path, bytes);
}

}  // namespace quonder
