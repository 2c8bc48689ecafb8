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
