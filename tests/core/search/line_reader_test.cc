#include "core/search/line_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "core/text/text_stream.h"
#include "support/plain_user.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace {

using testing::ScratchFolder;

std::u16string Render(LineReader::Outcome outcome, const LinePreview& p) {
  if (outcome != LineReader::Outcome::kShown)
    return u"<" + std::u16string(1, u'0' + static_cast<int>(outcome)) + u">";
  return (p.cut_before ? u"..." : u"") + p.before + u"[" + p.hit + u"]" + p.after +
         (p.cut_after ? u"..." : u"") + (p.stale ? u"!" : u"");
}

// Every position of a file, read back in pieces as small as 8 bytes (pieces that split CR LF,
// characters of two to four bytes and the byte-order mark) and in whole megabytes, hovered
// forwards and backwards, for a tip and for the whole line (longer than the first bytes read
// around the hit): the line reader gives what cutting the decoded text gives.
TEST(LineReaderTest, GivesTheLineOfEveryPositionAsTheWholeTextDoes) {
  const std::string line = "caf\xC3\xA9 \xE3\x81\x82\xF0\x9F\x98\x80 x\t";
  std::string utf8 = "\xEF\xBB\xBF" + line + "\r\n\r\n" + std::string(5000, 'a') + "HIT" +
                     std::string(500, 'b') + "\n" + line + "\xFF\xC3" + line;
  struct Case {
    const char* charset;
    std::string bytes;
  } cases[] = {
      {"utf-8", utf8},
      {"utf-8", utf8.substr(3)},
      {"windows-1252", "caf\xE9\r\n" + std::string(600, 'z') + "\x80\x81 end"},
      {"shift_jis", "\x82\xA0\x95\x5C return\r\n\x83\x5C" + std::string(400, 'q')},
  };
  ScratchFolder folder;
  for (const Case& c : cases) {
    const std::string path = folder.Write("f.txt", c.bytes);
    std::unique_ptr<TextCodec> codec;
    ASSERT_TRUE(TextCodec::Open(c.charset, codec).ok());
    std::u16string text;
    TextFileInfo info;
    ASSERT_TRUE(ReadTextFile(path, *codec, text, info).ok());
    for (size_t piece : {size_t{8}, size_t{13}, size_t{0}}) {
      for (size_t max_chars : {size_t{40}, LineReader::kWholeLine}) {
        LineReader reader;
        reader.SetPieceBytes(piece);
        for (int pass = 0; pass < 2; ++pass) {
          for (size_t i = 0; i <= text.size() + 1; ++i) {
            const int64_t pointer =
                pass == 0 ? static_cast<int64_t>(i) + 1 : static_cast<int64_t>(text.size() + 1 - i);
            // Inside the long runs of one letter, every 61st position is enough.
            if (pointer > 1 && pointer < static_cast<int64_t>(text.size()) &&
                text[pointer - 2] == text[pointer - 1] && text[pointer - 1] >= u'a' &&
                pointer % 61 != 0) {
              continue;
            }
            // Hits begin on whole characters: never between the halves of a surrogate pair.
            if (pointer > 1 && pointer <= static_cast<int64_t>(text.size()) &&
                (text[pointer - 1] & 0xFC00) == 0xDC00) {
              continue;
            }
            const std::u16string hit = text.substr(std::min<size_t>(pointer - 1, text.size()), 3);
            LinePreview expected_preview;
            const bool shown = ExtractLinePreview(text, pointer, hit, max_chars, expected_preview);
            const std::u16string expected =
                shown ? Render(LineReader::Outcome::kShown, expected_preview)
                      : Render(LineReader::Outcome::kBeyondText, expected_preview);
            LinePreview preview;
            const auto outcome =
                reader.Read(path, *codec, pointer, hit, max_chars, nullptr, preview);
            ASSERT_EQ(Render(outcome, preview), expected)
                << c.charset << " piece " << piece << " pointer " << pointer << " max "
                << max_chars;
          }
        }
      }
    }
  }
}

// A file that cannot be read is refused with the reason, in words the tip can show.
TEST(LineReaderTest, ReportsWhatItCannotShow) {
  ScratchFolder folder;
  const std::string path = folder.Write("a.txt", std::string(100, 'x'));
  const std::string locked = folder.Write("locked.txt", "x\n");
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  ASSERT_EQ(mkfifo(folder.Path("fifo").c_str(), 0600), 0);
  std::unique_ptr<TextCodec> codec;
  ASSERT_TRUE(TextCodec::Open("utf-8", codec).ok());
  LineReader reader;
  reader.SetPieceBytes(8);
  LinePreview preview;
  const struct {
    std::string path;
    std::string failure;
  } cases[] = {{folder.Path("absent"), "No such file or directory"},
               {folder.path(), "not a regular file"},
               {folder.Path("fifo"), "not a regular file"},
               {locked, "Permission denied"}};
  for (const auto& refused : cases) {
    LineReader::Outcome outcome = LineReader::Outcome::kShown;
    ASSERT_TRUE(testing::RunAsPlainUser(
        [&] { outcome = reader.Read(refused.path, *codec, 1, u"x", 40, nullptr, preview); }));
    EXPECT_EQ(outcome, LineReader::Outcome::kFailed) << refused.path;
    EXPECT_EQ(reader.failure(), refused.failure) << refused.path;
  }
  EXPECT_EQ(reader.Read(path, *codec, 1, u"x", 40, nullptr, preview), LineReader::Outcome::kShown);
  EXPECT_EQ(reader.failure(), "");
  EXPECT_EQ(reader.Read(
                path, *codec, 90, u"x", 40, [] { return true; }, preview),
            LineReader::Outcome::kCancelled);
  // A file changed since its pieces were counted is counted again.
  ASSERT_EQ(reader.Read(path, *codec, 90, u"x", 40, nullptr, preview), LineReader::Outcome::kShown);
  folder.Write("a.txt", "\xC3\xA9" + std::string(100, 'x') + "ab\n");
  ASSERT_EQ(reader.Read(path, *codec, 102, u"ab", 4, nullptr, preview),
            LineReader::Outcome::kShown);
  EXPECT_EQ(Render(LineReader::Outcome::kShown, preview), u"...xx[ab]");
}

}  // namespace
}  // namespace quonder
