#include "core/text/charset_names.h"

#include <unicode/ucnv.h>

#include <strings.h>

namespace quonder {
namespace {

struct PinnedName {
  const char* charset;
  const char* icu_name;
};

// The names the shipped table offers, plus a few common spellings of the Unicode forms.
constexpr PinnedName kPinned[] = {
    {"utf-8", "UTF-8"},
    {"unicode", "UTF-16LE"},
    {"unicodeFFFE", "UTF-16BE"},
    {"utf-16", "UTF-16LE"},
    {"utf-16le", "UTF-16LE"},
    {"utf-16be", "UTF-16BE"},
    {"utf-32", "UTF-32LE"},
    {"utf-32le", "UTF-32LE"},
    {"utf-32be", "UTF-32BE"},
    {"us-ascii", "US-ASCII"},
    {"shift_jis", "ibm-943_P15A-2003"},  // the Windows-compatible table (0x5C is a backslash)
    {"euc-jp", "euc-jp-2007"},
    {"iso-2022-jp", "ISO_2022,locale=ja,version=0"},
    {"euc-kr", "ibm-970_P110_P110-2006_U2"},
    {"ks_c_5601-1987", "windows-949-2000"},
    {"big5", "windows-950-2000"},
    {"big5-hkscs", "ibm-1375_P100-2008"},
    // Files labelled gb2312 routinely hold GBK characters; GBK reads every GB2312 file alike.
    {"gb2312", "windows-936-2000"},
    {"gbk", "windows-936-2000"},
    {"gb18030", "gb18030"},
    {"koi8-r", "ibm-878_P100-1996"},
    {"koi8-u", "ibm-1168_P100-2002"},
    {"iso-8859-1", "ISO-8859-1"},
    {"iso-8859-2", "ibm-912_P100-1995"},
    {"iso-8859-3", "ibm-913_P100-2000"},
    {"iso-8859-4", "ibm-914_P100-1995"},
    {"iso-8859-5", "ibm-915_P100-1995"},
    {"iso-8859-6", "ibm-1089_P100-1995"},
    {"iso-8859-7", "ibm-9005_X110-2007"},
    {"iso-8859-8", "ibm-5012_P100-1999"},
    {"iso-8859-9", "ibm-920_P100-1995"},
    {"iso-8859-10", "iso-8859_10-1998"},
    {"iso-8859-11", "iso-8859_11-2001"},
    {"iso-8859-13", "ibm-921_P100-1995"},
    {"iso-8859-14", "iso-8859_14-1998"},
    {"iso-8859-15", "ibm-923_P100-1998"},
    {"windows-1250", "ibm-5346_P100-1998"},
    {"windows-1251", "ibm-5347_P100-1998"},
    {"windows-1252", "ibm-5348_P100-1997"},
    {"windows-1253", "ibm-5349_P100-1998"},
    {"windows-1254", "ibm-5350_P100-1998"},
    {"windows-1255", "ibm-9447_P100-2002"},
    {"windows-1256", "ibm-9448_X100-2005"},
    {"windows-1257", "ibm-9449_P100-2002"},
    {"windows-1258", "ibm-5354_P100-1998"},
    {"windows-874", "windows-874-2000"},
    {"ibm437", "ibm-437_P100-1995"},
    {"ibm850", "ibm-850_P100-1995"},
    {"ibm852", "ibm-852_P100-1995"},
    {"ibm866", "ibm-866_P100-1995"},
    {"macintosh", "macos-0_2-10.2"},
};

Status Unknown(const std::string& charset) {
  return Status::Error(Status::Code::kUnknownCharset, "Unknown charset \"" + charset + "\"");
}

}  // namespace

Status ResolveCharset(const std::string& charset, std::string& icu_name) {
  icu_name.clear();
  // An empty name would open ICU's default converter, options would let a table entry
  // reconfigure one, and ICU would overlook blanks and control codes (a NUL too).
  if (charset.empty()) return Unknown(charset);
  for (char c : charset) {
    if (c <= ' ' || c > '~' || c == ',' || c == '=') return Unknown(charset);
  }
  for (const PinnedName& pinned : kPinned) {
    if (strcasecmp(charset.c_str(), pinned.charset) == 0) {
      icu_name = pinned.icu_name;
      return Status::Ok();
    }
  }
  UErrorCode err = U_ZERO_ERROR;
  UConverter* cnv = ucnv_open(charset.c_str(), &err);
  if (U_FAILURE(err)) return Unknown(charset);
  UConverterType type = ucnv_getType(cnv);
  const char* name = ucnv_getName(cnv, &err);
  icu_name = U_SUCCESS(err) ? name : charset;
  ucnv_close(cnv);
  // ICU's byte-order sniffing forms would eat the mark the file must keep; take the
  // little-endian form, as "unicode" does.
  if (type == UCNV_UTF16) icu_name = "UTF-16LE";
  if (type == UCNV_UTF32) icu_name = "UTF-32LE";
  return Status::Ok();
}

}  // namespace quonder
