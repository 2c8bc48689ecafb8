// Errors in the core are values, never exceptions across its boundary. A Status names what
// failed and where (the path, the charset, the pattern and its offset) in its message, which is
// written for the person using the program.
#pragma once

#include <string>
#include <utility>

namespace quonder {

class Status {
 public:
  enum class Code {
    kOk,
    kNotFound,        // a file or folder that is not there
    kIoError,         // reading, writing, listing or renaming failed
    kUnknownCharset,  // the text stream does not accept the charset name
    kInvalidPattern,  // the regular-expression engine rejected the pattern
    kLossy,           // bytes invalid in the charset were decoded to U+FFFD
    kUnencodable,     // text that the charset cannot represent
    kInvalidArgument,
  };

  Status() = default;  // OK
  static Status Ok() { return Status(); }
  static Status Error(Code code, std::string message) { return Status(code, std::move(message)); }

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  // Empty when ok().
  const std::string& message() const { return message_; }

 private:
  Status(Code code, std::string message) : code_(code), message_(std::move(message)) {}
  Code code_ = Code::kOk;
  std::string message_;
};

}  // namespace quonder
