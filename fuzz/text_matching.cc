// Feeds plain matching random UTF-16 (unpaired surrogates included) and a random find text,
// exact or ignoring case, word only or not, with random separators and line feed code. The
// rows must be those of a plain reading of the rules: every non-overlapping occurrence left to
// right (compared after the one-unit case fold), kept when separators or the text's ends
// surround it in word-only mode, on the line after the last line feed code that begins before
// it. Over the text's UTF-8 (when it has one) the rows must be the same.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/search/fast/text_views.h"
#include "core/search/find_host.h"
#include "core/search/prepared_conditions.h"
#include "core/search/text_matching.h"
#include "core/text/caseless_fold.h"

namespace quonder {
namespace {

void Check(bool condition, const char* what, const std::string& a, const std::string& b) {
  if (condition) return;
  std::fprintf(stderr, "text_matching: %s\n--- expected\n%s--- got\n%s---\n", what, a.c_str(),
               b.c_str());
  std::abort();
}

class FixedHost : public FindHost {
 public:
  explicit FixedHost(std::shared_ptr<const FindConditions> conditions)
      : conditions_(std::move(conditions)) {}
  std::shared_ptr<const FindConditions> Conditions() override { return conditions_; }
  bool StopRequested() override { return false; }
  void AddResultRow(const ResultRow&) override {}
  void SetStatusText(StatusPanel, std::u16string) override {}

 private:
  std::shared_ptr<const FindConditions> conditions_;
};

std::string Row(int64_t line, int64_t column, int64_t pointer, std::u16string_view found) {
  std::string row =
      std::to_string(line) + ":" + std::to_string(column) + ":" + std::to_string(pointer) + ":";
  for (char16_t unit : found) row += std::to_string(unit) + " ";
  return row + "\n";
}

class RowSink : public HitSink {
 public:
  void OnHit(int64_t line, int64_t column, int64_t pointer, std::u16string_view found,
             const PreparedConditions&) override {
    rows += Row(line, column, pointer, found);
  }
  std::string rows;
};

std::string Expected(std::u16string_view text, const FindConditions& conditions) {
  auto fold = [&](char16_t unit) { return conditions.ignore_case ? FoldCase(unit) : unit; };
  auto separator = [&](char16_t unit) {
    return unit == u'\t' || unit == u'\r' || unit == u'\n' ||
           conditions.separators.find(unit) != std::u16string::npos;
  };
  const std::u16string_view find = conditions.find_text;
  const std::u16string_view line_feed = conditions.line_feed_code;
  std::string rows;
  int64_t line = 1;
  size_t line_start = 0, scanned = 0;
  for (size_t at = 0; !find.empty() && at + find.size() <= text.size();) {
    size_t k = 0;
    while (k < find.size() && fold(text[at + k]) == fold(find[k])) ++k;
    if (k < find.size()) {
      ++at;
      continue;
    }
    for (; scanned < at; ++scanned) {
      if (text.substr(scanned, line_feed.size()) == line_feed) {
        ++line;
        scanned += line_feed.size() - 1;
        line_start = scanned + 1;
      }
    }
    const size_t end = at + find.size();
    const bool word =
        (at == 0 || separator(text[at - 1])) && (end == text.size() || separator(text[end]));
    if (!conditions.word_only || word) {
      rows += Row(line, static_cast<int64_t>(at) - static_cast<int64_t>(line_start) + 1,
                  static_cast<int64_t>(at) + 1, text.substr(at, find.size()));
    }
    at = end;
  }
  return rows;
}

// The UTF-8 of a text without unpaired surrogates; empty when it has one.
bool ToUtf8(std::u16string_view text, std::string& bytes) {
  bytes.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if ((c & 0xF800) == 0xD800) {
      if ((c & 0xFC00) != 0xD800 || i + 1 == text.size() || (text[i + 1] & 0xFC00) != 0xDC00) {
        return false;
      }
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else if (c < 0x800) {
      bytes += static_cast<char>(0xC0 | c >> 6);
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      bytes += static_cast<char>(0xE0 | c >> 12);
      bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | c >> 18);
      bytes += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return true;
}

// Bytes below 0x80 stand for themselves; the others for units where folding, separating and
// counting are subtle: case mates beyond ASCII, surrogates paired and not, line ends.
std::u16string Widen(std::string_view bytes) {
  static constexpr char16_t kOthers[] = {
      u'\u212A', u'\u017F', u'\u00DF', u'\u1E9E', u'\u03A3', u'\u03C3', u'\u03C2', u'\u0130',
      u'\u0131', u'\u00E9', u'\u00C9', u'\uFF21', u'\uFF41', u'\u3000', u'\u00A0', u'\r',
      u'\n',     0xD801,    0xDC00,    0xDC28,    0xD83D,    0xDE00,    u'\uFFFD', u'\u0345'};
  std::u16string text;
  for (unsigned char c : bytes) {
    text += c < 0x80 ? static_cast<char16_t>(c) : kOthers[c % std::size(kOthers)];
  }
  return text;
}

std::string RunFindPlain(auto& view, const std::shared_ptr<const FindConditions>& conditions) {
  FixedHost host(conditions);
  PreparedConditions prepared;
  prepared.Refresh(host);
  RowSink sink;
  FindPlain(view, prepared, host, sink);
  return sink.rows;
}

}  // namespace
}  // namespace quonder

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quonder;
  FuzzedDataProvider input(data, size);
  auto conditions = std::make_shared<FindConditions>();
  conditions->ignore_case = input.ConsumeBool();
  conditions->word_only = input.ConsumeBool();
  static constexpr const char16_t* kLineFeeds[] = {u"\r\n", u"\n", u"\r"};
  conditions->line_feed_code = input.PickValueInArray(kLineFeeds);
  if (input.ConsumeBool()) conditions->separators = Widen(input.ConsumeRandomLengthString(6));
  conditions->find_text = Widen(input.ConsumeRandomLengthString(8));
  const std::u16string text = Widen(input.ConsumeRemainingBytesAsString());

  const std::string expected = Expected(text, *conditions);
  Utf16View units(text);
  Check(RunFindPlain(units, conditions) == expected, "rows over UTF-16", expected,
        RunFindPlain(units, conditions));
  // A find text with an unpaired surrogate finds nothing in UTF-8 (the run decodes such files).
  std::string bytes, find_bytes;
  if (!ToUtf8(text, bytes) || !ToUtf8(conditions->find_text, find_bytes)) return 0;
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  for (Utf8Form form : {ascii ? Utf8Form::kAscii : Utf8Form::kValid, Utf8Form::kLossy}) {
    Utf8View view(bytes, form);
    const std::string got = RunFindPlain(view, conditions);
    Check(got == expected, "rows over UTF-8", expected, got);
  }
  return 0;
}
