// A prefilter for the find run: the find run's pattern compiled with PCRE2's 8-bit library, so
// that a UTF-8 file can be tested for a possible match before it is decoded. It reads the
// pattern exactly as RegExp does (same escapes, same options); it only answers whether a
// match can exist, never where.
#pragma once

#include <memory>
#include <string_view>

#include "core/reg_exp.h"

namespace quonder {

class ByteRegExp {
 public:
  // Never fails. A pattern that the 8-bit library cannot take (or one RegExp rejects too)
  // gives a filter that passes every text: can_reject() is then false.
  static std::unique_ptr<ByteRegExp> Compile(std::u16string_view pattern,
                                             RegExp::Options options);

  virtual ~ByteRegExp() = default;

  // False only when a RegExp compiled from the same pattern and options finds no match in
  // the text these bytes decode to as UTF-8, whether or not the decoder drops a leading
  // byte-order mark. Answers true when in doubt: bytes that are not valid UTF-8, a matching
  // error (work or memory limit), a filter that cannot reject. A ByteRegExp is used by one
  // thread at a time (it owns its match data).
  virtual bool MayMatch(std::string_view utf8_bytes) = 0;

  // True when MayMatch can ever answer false.
  virtual bool can_reject() const = 0;
};

}  // namespace quonder
