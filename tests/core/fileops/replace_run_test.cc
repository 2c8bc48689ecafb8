#include "core/fileops/replace_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "core/fileops/atomic_file.h"
#include "core/fileops/text_splice.h"
#include "core/text/string_common.h"
#include "core/text/text_stream.h"
#include "support/fake_file_ops_host.h"
#include "support/plain_user.h"

namespace quonder {
namespace {

using testing::FakeHost;
using testing::ScratchFolder;

class ReplaceRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.conditions.source_folder = folder_.Path("src");
    host_.conditions.backup_folder = testing::MakePrivate(folder_, "backup");
    host_.conditions.replace_text = u"Zed";
  }

  std::unique_ptr<TextCodec> Codec(const std::string& charset) {
    std::unique_ptr<TextCodec> codec;
    EXPECT_TRUE(TextCodec::Open(charset, codec).ok()) << charset;
    return codec;
  }

  std::string Encode(const std::string& charset, const std::u16string& text) {
    std::string bytes;
    EXPECT_TRUE(Codec(charset)->Encode(text, bytes).ok());
    return bytes;
  }

  // Adds a row for every `needle` in the file as decoded now, the way a find run would: Pointer
  // from 1 in UTF-16 units, Found escaped when `reg_exp` (Line and Column are not read).
  void Hits(const std::string& relative, const std::u16string& needle, bool reg_exp = false) {
    std::u16string text;
    TextFileInfo info;
    ASSERT_TRUE(
        ReadTextFile(folder_.Path("src/" + relative), *Codec(host_.conditions.coding), text, info)
            .ok());
    for (size_t at = text.find(needle); at != std::u16string::npos;
         at = text.find(needle, at + needle.size())) {
      rows_.Append(ResultRow{.path = relative,
                             .line = 1,
                             .column = 1,
                             .found = reg_exp ? EscapeControlChars(needle) : needle,
                             .pointer = static_cast<int32_t>(at + 1)});
    }
  }

  // Writes `bytes` to src/`relative`, and lists the rows of `needle` there alone.
  void WriteAlone(const std::string& relative, const std::string& bytes,
                  const std::u16string& needle, bool reg_exp = false) {
    rows_.Clear();
    folder_.Write("src/" + relative, bytes);
    Hits(relative, needle, reg_exp);
  }

  // Writes each {name, content} below src and adds a row for every "foo" in it.
  void WriteWithHits(const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [name, content] : files) {
      folder_.Write("src/" + name, content);
      Hits(name, u"foo");
    }
  }

  ReplaceResult Run(std::vector<size_t> selected) {
    return ReplaceSelectedRows(host_, rows_, selected);
  }
  std::vector<size_t> AllRows() const {
    std::vector<size_t> all(rows_.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = i;
    return all;
  }
  ReplaceResult RunAll() { return Run(AllRows()); }

  static std::vector<UntouchedReason> Reasons(const ReplaceResult& result) {
    std::vector<UntouchedReason> reasons;
    for (const UntouchedFile& file : result.untouched) reasons.push_back(file.reason);
    return reasons;
  }
  using Why = std::vector<UntouchedReason>;

  std::string Summary() {
    std::string message = host_.LastMessage();
    return message.substr(message.find('|', message.find('|') + 1) + 1);
  }

  ScratchFolder folder_;
  FakeHost host_;
  ResultRows rows_;
};

TEST_F(ReplaceRunTest, SeveralHitsInOneFileKeepTheBomLineEndsAndEveryOtherByte) {
  folder_.Write("src/a.txt",
                "\xEF\xBB\xBF"
                "foo\r\nbar foo\rfoo\n\t foo");
  Hits("a.txt", u"foo");
  ASSERT_EQ(rows_.size(), 4u);

  ReplaceResult result = RunAll();

  EXPECT_EQ(folder_.Read("src/a.txt"),
            "\xEF\xBB\xBF"
            "Zed\r\nbar Zed\rZed\n\t Zed");
  EXPECT_EQ(result.replaced, 4);
  ASSERT_EQ(result.changed.size(), 1u);
  EXPECT_EQ(result.changed[0].hits, 4);
  EXPECT_EQ(host_.messages, std::vector<std::string>{"Find Text|64|Replaced 4 / 4"});
  EXPECT_EQ(host_.transcript,
            (std::vector<std::string>{"busy", "clear stop", "write EnableRestore=0", "focus list",
                                      "panel 1: Start Replace", "replace history",
                                      "panel 1: Complete Replace", "idle", "message 64"}));
  EXPECT_FALSE(host_.enabled.at(FileOpsCommand::kReplace));
  EXPECT_FALSE(host_.enabled.at(FileOpsCommand::kRestore));
  EXPECT_EQ(host_.panels[2], "a.txt");
  EXPECT_EQ(host_.panels[5], "4");
}

TEST_F(ReplaceRunTest, OnlySelectedRowsAreReplacedAndUnselectedFilesNeverOpened) {
  WriteWithHits({{"a.txt", "foo foo foo"}, {"b.txt", "foo"}, {"c.txt", "foo"}});

  ReplaceResult result = Run({4, 0});  // a's first row, then its unselected rows; c

  EXPECT_EQ(folder_.Contents("src"), "a.txt=Zed foo foo\nb.txt=foo\nc.txt=Zed\n");
  EXPECT_EQ(result.changed.size(), 2u);
  EXPECT_EQ(Summary(), "Replaced 2 / 5");

  ReplaceResult none = Run({});
  EXPECT_EQ(none.passed, 0);
  EXPECT_EQ(Summary(), "Replaced 0 / 5");

  host_.conditions.replace_text = u"";  // an empty replacement deletes the hit
  Run({1});
  EXPECT_EQ(folder_.Read("src/a.txt"), "Zed  foo");
}

TEST_F(ReplaceRunTest, RegularExpressionsRewriteEachHitThroughTheExpression) {
  struct Case {
    const char* name;
    std::string content;
    std::u16string pattern;  // also the hit to record
    std::u16string hit;
    std::u16string replace_text;
    std::string expected;
  };
  const Case cases[] = {
      {"group", "a 12px b 7px;", u"(\\d+)px", u"12px", u"$1em", "a 12em b 7px;"},
      {"line-spanning hit measured unescaped", "x = 1;\r\ny = 2;\r\nz\\1", u"1;\\r\\ny", u"1;\r\ny",
       u"one;\\ny", "x = one;\ny = 2;\r\nz\\1"},
      {"dollars and backslashes", "cost: 5 USD", u"(\\d) USD", u"5 USD", u"$$$1 \\\\",
       "cost: $5 \\"},
      {"a look-ahead finds nothing in the hit alone", "abcd", u"abc(?=d)", u"abc", u"X", "abcd"},
      // The empty match behind the hit is the next row's (the find lists it on its own).
      {"nothing added behind the hit", "foo bar", u"(\\w*)", u"foo", u"[$1]", "[foo] bar"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_.conditions.reg_exp = true;
    host_.conditions.find_text = c.pattern;
    host_.conditions.replace_text = c.replace_text;
    WriteAlone("r.txt", c.content, c.hit, /*reg_exp=*/true);
    ASSERT_EQ(rows_.size(), 1u);
    ReplaceResult result = RunAll();
    EXPECT_TRUE(result.all_done());
    EXPECT_EQ(folder_.Read("src/r.txt"), c.expected);
  }
}

// Each file must end as its whole new text encoded at once: every byte outside the hits as it
// was, and the hits' new bytes right in context. The new content is written in pieces, so
// texts longer than a piece are cut where a surrogate pair or a multi-byte character could be
// split. In SCSU and BOCU-1 a character's bytes depend on the characters before it (after
// Cyrillic text, SCSU reads the byte of a separately encoded é through the Cyrillic window),
// in the shift-state charsets on the state: pieces encoded apart and joined would read back
// as other text, or (shift out then in again) as invalid bytes.
TEST_F(ReplaceRunTest, EveryCharsetEndsAsTheWholeNewTextEncoded) {
  auto repeat = [](std::u16string_view unit, size_t count) {
    std::u16string text;
    for (size_t i = 0; i < count; ++i) text += unit;
    return text;
  };
  const size_t kLong = TextSplice::kPieceUnits + 1000;
  // 表 and ソ end in 0x5C in Shift_JIS; the hit follows multi-byte text and CR LF.
  const std::u16string japanese = u"表示ソフト\r\n日本語の検索テキスト\n\\終わり 検索";
  struct Case {
    const char* name;
    std::string charset;
    std::u16string text;
    std::u16string hit;
    std::u16string replacement;
    bool last_only = false;  // the last hit alone is selected
    std::string bom = "";
    // False where the pieces are written each from and back to the initial state: the text
    // reads back, in other bytes than one encoding of the whole.
    bool whole_bytes = true;
  };
  const Case cases[] = {
      {"shift_jis", "shift_jis", japanese, u"検索", u"置換後", true},
      {"euc-jp", "euc-jp", japanese, u"検索", u"置換後", true},
      {"utf-16le", "unicode", japanese, u"検索", u"置換後", true, "\xFF\xFE"},
      {"utf-16be", "unicodeFFFE", japanese, u"検索", u"置換後", true, "\xFE\xFF"},
      {"utf-8", "utf-8", japanese, u"検索", u"置換後", true},
      {"long utf-8", "utf-8", u"検索 " + repeat(u"\U0001F600", kLong / 2) + u"語の検索だ", u"検索",
       u"置換"},
      {"long shift_jis", "shift_jis",
       u"検索" + repeat(u"表示ソフト\r\n", kLong / 7) + u"語の検索だ", u"検索", u"置換"},
      {"iso-2022-jp, hits inside kanji runs", "iso-2022-jp",
       u"検索日本語の検索テキスト\r\n語の検索だ", u"検索", u"置換"},
      {"scsu", "scsu", u"\u0436\u0436\u0436a\nbc", u"a", u"\u00E9"},
      {"bocu-1", "bocu-1", u"\u0436\u0436\u0436a\nbc", u"a", u"\u00E9"},
      {"iso-2022-jp", "iso-2022-jp", u"\u3042a\u3042", u"a", u"\u3044"},
      {"hz-gb-2312", "hz-gb-2312", u"\u4E2Da\u4E2D", u"a", u"\u6587"},
      {"ibm-930", "ibm-930", u"\u3042a\u3042", u"a", u"\u3044", false, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_.conditions.coding = c.charset;
    host_.conditions.replace_text = c.replacement;
    WriteAlone("f.txt", c.bom + Encode(c.charset, c.text), c.hit);
    ASSERT_GE(rows_.size(), c.last_only ? 2u : 1u);
    EXPECT_TRUE(Run(c.last_only ? std::vector<size_t>{rows_.size() - 1} : AllRows()).all_done());
    std::u16string expected = c.text;
    for (size_t at = c.last_only ? expected.rfind(c.hit) : expected.find(c.hit);
         at != std::u16string::npos; at = expected.find(c.hit, at + c.replacement.size())) {
      expected.replace(at, c.hit.size(), c.replacement);
    }
    if (c.whole_bytes) {
      EXPECT_TRUE(folder_.Read("src/f.txt") == c.bom + Encode(c.charset, expected));
    }
    std::u16string read;
    TextFileInfo info;
    ASSERT_TRUE(ReadTextFile(folder_.Path("src/f.txt"), *Codec(c.charset), read, info).ok());
    EXPECT_EQ(read, expected);
  }
}

TEST_F(ReplaceRunTest, AFileChangedSinceTheFindIsLeftUntouched) {
  WriteWithHits({{"a.txt", "one foo two foo"}, {"b.txt", "foo"}, {"c.txt", "foo bar"}});
  folder_.Write("src/a.txt", "one! foo two foo");  // shifted
  folder_.Write("src/c.txt", "f");                 // shortened below the hit

  ReplaceResult result = RunAll();

  EXPECT_EQ(folder_.Contents("src"), "a.txt=one! foo two foo\nb.txt=Zed\nc.txt=f\n");
  ASSERT_EQ(Reasons(result), (Why{UntouchedReason::kStale, UntouchedReason::kStale}));
  EXPECT_EQ(result.untouched[0].path, "a.txt");
  EXPECT_EQ(Summary(), "Replaced 1 / 4\n2 file(s) left untouched: changed since the find.");
}

TEST_F(ReplaceRunTest, FilesTheCharsetCannotCarryAreLeftUntouched) {
  struct Case {
    const char* name;
    std::string charset;
    std::string bytes;
    std::u16string replace_text;
    UntouchedReason reason;
  };
  const Case cases[] = {
      {"invalid byte", "utf-8", "foo \xFF bar", u"Zed", UntouchedReason::kLossy},
      {"truncated sequence", "shift_jis", "foo \x82", u"Zed", UntouchedReason::kLossy},
      {"replacement outside the charset", "shift_jis", "foo \x95\x5C", u"\U0001F600",
       UntouchedReason::kUnencodable},
      {"NEC and IBM forms of one kanji", "shift_jis", "foo \xED\x40", u"Zed",
       UntouchedReason::kNoRoundTrip},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_.conditions.coding = c.charset;
    host_.conditions.replace_text = c.replace_text;
    WriteAlone("a.txt", c.bytes, u"foo");
    ReplaceResult result = RunAll();
    EXPECT_EQ(folder_.Read("src/a.txt"), c.bytes);
    EXPECT_EQ(Reasons(result), Why{c.reason});
    EXPECT_EQ(result.replaced, 0);
  }
  EXPECT_EQ(Summary(),
            "Replaced 0 / 1\n1 file(s) left untouched: bytes the charset would not "
            "write back the same.");
}

// Run without root's file capabilities, so that a read-only folder stops the write.
// Another user's file that this user may not write stays theirs and as it was, although the
// folder would let a rename replace it.
TEST_F(ReplaceRunTest, UnreadableReadOnlyAndUnwritableFilesAreSkippedAndTheRunGoesOn) {
  for (const char* name : {"gone.txt", "locked.txt", "theirs.txt", "ro/a.txt", "fine.txt"}) {
    folder_.Write(std::string("src/") + name, "foo");
    Hits(name, u"foo");
  }
  std::filesystem::remove(folder_.Path("src/gone.txt"));
  std::filesystem::create_directory(folder_.Path("src/gone.txt"));  // a folder in its place
  ::chmod(folder_.Path("src/locked.txt").c_str(), 0444);
  ASSERT_EQ(::chown(folder_.Path("src/theirs.txt").c_str(), 65534, 65534), 0) << "needs root";
  ::chmod(folder_.Path("src/theirs.txt").c_str(), 0644);
  ::chmod(folder_.Path("src/ro").c_str(), 0555);

  ASSERT_TRUE(testing::RunAsPlainUser([&] { RunAll(); }));

  EXPECT_EQ(folder_.Contents("src"),
            "fine.txt=Zed\nlocked.txt=foo\nro/a.txt=foo\ntheirs.txt=foo\n");
  struct stat theirs;
  ASSERT_EQ(::stat(folder_.Path("src/theirs.txt").c_str(), &theirs), 0);
  EXPECT_EQ(theirs.st_uid, 65534u);
  EXPECT_TRUE(std::filesystem::is_directory(folder_.Path("src/gone.txt")));
  EXPECT_EQ(Summary(),
            "Replaced 1 / 5\n2 file(s) left untouched: read-only.\n"
            "1 file(s) left untouched: cannot be read.\n"
            "1 file(s) left untouched: cannot be written.");
}

TEST_F(ReplaceRunTest, AFailedWriteLeavesTheOldContentAndNoTemporaryFile) {
  const std::string content = "foo and a tail long enough to pass the size limit";
  folder_.Write("src/a.txt", content);
  Hits("a.txt", u"foo");
  // The file size limit binds root too: every write past 16 bytes fails as on a full disk.
  auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit old_limit;
  ::getrlimit(RLIMIT_FSIZE, &old_limit);
  struct rlimit limit = {16, old_limit.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  ReplaceResult result = RunAll();
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  ::signal(SIGXFSZ, old_handler);

  EXPECT_EQ(folder_.Contents("src"), "a.txt=" + content + "\n");
  ASSERT_EQ(Reasons(result), Why{UntouchedReason::kUnwritable});
  EXPECT_NE(result.untouched[0].detail.find("a.txt"), std::string::npos);
}

TEST_F(ReplaceRunTest, StopLeavesTheFileInHandWholeAndShowsWhatWasDone) {
  WriteWithHits({{"a.txt", "foo foo"}, {"b.txt", "foo foo"}, {"c.txt", "foo"}});
  host_.stop_at = 3;  // asked after each row: true after b's first row

  ReplaceResult result = RunAll();

  EXPECT_EQ(folder_.Contents("src"), "a.txt=Zed Zed\nb.txt=foo foo\nc.txt=foo\n");
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.passed, 3);
  EXPECT_EQ(host_.panels[1], "Complete Replace");
  EXPECT_EQ(Summary(),
            "Replaced 2 / 5\n1 file(s) left untouched: stopped before all its rows were passed.");
}

TEST_F(ReplaceRunTest, BackupThenRestoreTwiceBringsBackTheLastRunsOriginals) {
  WriteWithHits({{"sub/a.txt", "foo 1"}, {"b.txt", "foo 2"}});
  host_.conditions.enable_restore = true;
  RunAll();  // first generation: the originals
  EXPECT_EQ(host_.settings["EnableRestore"], "1");
  EXPECT_EQ(host_.transcript[4], "panel 1: Start Backup");
  EXPECT_EQ(host_.transcript[5], "panel 1: Complete Backup");

  rows_.Clear();
  host_.conditions.replace_text = u"Two";
  Hits("sub/a.txt", u"Zed");
  RunAll();  // second generation: a.txt as the first run left it
  EXPECT_EQ(folder_.Read("src/sub/a.txt"), "Two 1");
  EXPECT_EQ(folder_.Files("backup"), std::vector<std::string>{"sub/a.txt"});
  EXPECT_TRUE(host_.enabled.at(FileOpsCommand::kRestore));

  for (int round = 0; round < 2; ++round) {
    Restore(host_);
    EXPECT_EQ(folder_.Read("src/sub/a.txt"), "Zed 1");
    EXPECT_EQ(folder_.Read("src/b.txt"), "Zed 2");
  }

  host_.conditions.enable_restore = false;
  RunAll();
  EXPECT_FALSE(host_.enabled.at(FileOpsCommand::kRestore));
  EXPECT_EQ(host_.settings["EnableRestore"], "0");
}

// Someone edits a file after the backup step copied it and before the replace reads it: the
// replace rewrites the edited text, so Restore must bring back the edit, not the older copy.
TEST_F(ReplaceRunTest, AnEditBetweenBackupAndReplaceIsWhatRestoreBringsBack) {
  const std::string copy = folder_.Path("backup/a.txt");
  const struct {
    const char* name;
    std::function<void()> spoil_copy;  // after the edit; null: the copy stays as made
    std::string after_replace;
    std::string after_restore;
    std::vector<UntouchedReason> why;
  } cases[] = {
      {"the copy follows the edit", nullptr, "Zed 2", "foo 2", {}},
      {"a copy that is gone stays gone",
       [&] { std::filesystem::remove(copy); },
       "Zed 2",
       "Zed 2",
       {}},
      {"a copy turned into a folder cannot follow",
       [&] {
         std::filesystem::remove(copy);
         std::filesystem::create_directory(copy);
       },
       "foo 2", "foo 2", Why{UntouchedReason::kBackupNotRenewed}},
      {"a copy turned into a link cannot follow",
       [&] {
         std::filesystem::remove(copy);
         std::filesystem::create_symlink(folder_.Path("elsewhere"), copy);
       },
       "foo 2", "foo 2", Why{UntouchedReason::kBackupNotRenewed}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    rows_.Clear();
    WriteWithHits({{"a.txt", "foo 1"}});
    folder_.Write("elsewhere", "not to be written");
    host_.conditions.enable_restore = true;
    host_.stop_calls = 0;
    // Asked once before the file's copy, then once between the backup and the replace.
    host_.on_stop_check = [&](int call) {
      if (call != 2) return;
      folder_.Write("src/a.txt", "foo 2");
      if (c.spoil_copy) c.spoil_copy();
    };
    ReplaceResult result = RunAll();
    host_.on_stop_check = nullptr;
    EXPECT_EQ(folder_.Read("src/a.txt"), c.after_replace);
    EXPECT_EQ(Reasons(result), c.why);
    Restore(host_);
    EXPECT_EQ(folder_.Read("src/a.txt"), c.after_restore);
    EXPECT_EQ(folder_.Read("elsewhere"), "not to be written");
    std::filesystem::remove_all(copy);
  }
}

TEST_F(ReplaceRunTest, FailedBackupAsksAndCancelChangesNothing) {
  folder_.Write("src/a.txt", "foo");
  folder_.Write("backup", "a file where the backup folder should go");
  host_.conditions.enable_restore = true;
  host_.conditions.backup_folder = folder_.Path("backup/deeper");
  Hits("a.txt", u"foo");

  host_.answers = {2};
  ReplaceResult result = RunAll();
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(folder_.Read("src/a.txt"), "foo");
  ASSERT_EQ(host_.messages.size(), 2u);
  EXPECT_EQ(host_.messages[0],
            "Find Text|49|Failed to backup 1 file(s).\nContinue Replace String?");
  EXPECT_EQ(host_.messages[1], "Find Text|64|Replaced 0 / 1");
  EXPECT_EQ(host_.panels[1], "Failed Backup");
  EXPECT_EQ(host_.enabled.count(FileOpsCommand::kRestore), 0u);

  host_.answers = {1};
  result = RunAll();
  EXPECT_EQ(folder_.Read("src/a.txt"), "Zed");
}

TEST_F(ReplaceRunTest, AStopDuringTheBackupChangesNoFile) {
  WriteWithHits({{"a.txt", "foo"}, {"b.txt", "foo"}});
  host_.conditions.enable_restore = true;
  host_.stop_at = 2;
  ReplaceResult result = RunAll();
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(folder_.Contents("src"), "a.txt=foo\nb.txt=foo\n");
  EXPECT_EQ(Summary(), "Replaced 0 / 2");
}

TEST_F(ReplaceRunTest, RowsThatDoNotFitTogetherLeaveTheirFileUntouched) {
  WriteWithHits({{"a.txt", "foo foo"}, {"b.txt", "foo"}});
  // a.txt's first row again after b.txt, as a list sorted by another column would show it.
  rows_.Append(rows_.Row(0));
  ReplaceResult result = RunAll();
  EXPECT_EQ(folder_.Contents("src"), "a.txt=Zed Zed\nb.txt=Zed\n");
  EXPECT_EQ(Reasons(result), Why{UntouchedReason::kRowsOutOfOrder});

  // Overlapping hits in one file.
  WriteAlone("c.txt", "aaaa", u"aa");
  rows_.Append(rows_.Row(1));  // pointer 3 twice
  result = RunAll();
  EXPECT_EQ(folder_.Read("src/c.txt"), "aaaa");
  EXPECT_EQ(Reasons(result), Why{UntouchedReason::kRowsOutOfOrder});
}

// Files the run must not write, all in one run: one file by two paths (written once), a link
// out of the source folder, a file with two hard links. A link inside is written through. The
// file written first frees its old inode, which a later new file may well get again: the file
// met by two paths must still be named by the path that wrote it.
TEST_F(ReplaceRunTest, FilesOfferedTwiceOrLeadingOutAreLeftWithTheirReason) {
  namespace fs = std::filesystem;
  folder_.Write("src/first.txt", "x=0;");
  folder_.Write("src/real.txt", "x=1;");
  folder_.Write("src/hard.txt", "x=2;");
  folder_.Write("outside/secret.txt", "x=3;");
  fs::create_symlink("real.txt", folder_.Path("src/alias.txt"));
  fs::create_hard_link(folder_.Path("src/hard.txt"), folder_.Path("src/hard2.txt"));
  fs::create_symlink(folder_.Path("outside/secret.txt"), folder_.Path("src/out.txt"));
  host_.conditions.reg_exp = true;
  host_.conditions.find_text = u"x=(\\d);";
  host_.conditions.replace_text = u"x=$1;;";
  const std::pair<const char*, std::u16string> hits[] = {
      {"first.txt", u"x=0;"}, {"alias.txt", u"x=1;"}, {"hard.txt", u"x=2;"},
      {"hard2.txt", u"x=2;"}, {"out.txt", u"x=3;"},   {"real.txt", u"x=1;"}};
  for (const auto& [name, hit] : hits) Hits(name, hit, /*reg_exp=*/true);
  ReplaceResult result = RunAll();

  EXPECT_EQ(folder_.Read("src/first.txt"), "x=0;;");
  EXPECT_EQ(folder_.Read("src/real.txt"), "x=1;;");  // once, not "x=1;;;"
  EXPECT_TRUE(fs::is_symlink(folder_.Path("src/alias.txt")));
  EXPECT_EQ(folder_.Read("src/hard.txt"), "x=2;");
  EXPECT_EQ(folder_.Read("outside/secret.txt"), "x=3;");
  std::vector<std::string> untouched;
  for (const UntouchedFile& file : result.untouched) {
    untouched.push_back(file.path + ": " + ToUtf8(UntouchedReasonText(file.reason)));
  }
  EXPECT_EQ(untouched, (std::vector<std::string>{
                           "hard.txt: has other hard links", "hard2.txt: has other hard links",
                           "out.txt: outside the source folder",
                           "real.txt: same file as another path in the list"}));
  EXPECT_EQ(result.untouched.back().detail, "same file as alias.txt");
}

// A change made after the file was read, even while its new content was being written, wins:
// the new content is dropped and the file keeps the change.
TEST_F(ReplaceRunTest, AChangeRightBeforeTheRenameKeepsTheFileUntouched) {
  const struct {
    const char* name;
    std::function<void(const std::string&)> change;
    std::string expected;
  } cases[] = {
      {"a line appended",
       [](const std::string& path) { std::ofstream(path, std::ios::app) << "\nmore"; },
       "one foo\nmore"},
      {"same size, time put back",
       [](const std::string& path) {
         struct stat st;
         ::stat(path.c_str(), &st);
         std::ofstream(path, std::ios::in | std::ios::out) << "ONE";
         const struct timespec times[2] = {st.st_atim, st.st_mtim};
         ::utimensat(AT_FDCWD, path.c_str(), times, 0);
       },
       "ONE foo"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteAlone("a.txt", "one foo", u"foo");
    SetBeforeRenameHookForTesting(c.change);
    ReplaceResult result = RunAll();
    SetBeforeRenameHookForTesting(nullptr);
    EXPECT_EQ(folder_.Contents("src"), "a.txt=" + c.expected + "\n");
    EXPECT_EQ(Reasons(result), Why{UntouchedReason::kChangedWhileReplacing});
    EXPECT_EQ(Summary(),
              "Replaced 0 / 1\n1 file(s) left untouched: changed while it was being "
              "replaced.");
  }
}

TEST_F(ReplaceRunTest, AnInvalidPatternOrCharsetLeavesEveryFileUntouched) {
  folder_.Write("src/a.txt", "foo");
  Hits("a.txt", u"foo", /*reg_exp=*/true);
  host_.conditions.reg_exp = true;
  host_.conditions.find_text = u"(foo";
  EXPECT_EQ(Reasons(RunAll()), Why{UntouchedReason::kInvalidPattern});

  // Quick where the find met it (the z follows), hopeless on the hit alone: the engine gives
  // up, and the hit must not pass for replaced.
  const std::string as(40, 'a');
  WriteAlone("z.txt", as + "z", std::u16string(as.size(), u'a'), /*reg_exp=*/true);
  host_.conditions.find_text = u"(?:a+)+(?=z)|a+";
  ReplaceResult result = RunAll();
  EXPECT_EQ(Reasons(result), Why{UntouchedReason::kPatternTooComplex});
  EXPECT_EQ(result.replaced, 0);
  EXPECT_EQ(folder_.Read("src/z.txt"), as + "z");
  rows_.Clear();
  Hits("a.txt", u"foo");

  host_.conditions.reg_exp = false;
  host_.conditions.coding = "no-such-charset";
  EXPECT_EQ(Reasons(RunAll()), Why{UntouchedReason::kUnknownCharset});
  EXPECT_EQ(folder_.Read("src/a.txt"), "foo");
}

TEST_F(ReplaceRunTest, ADryRunDecidesEverythingAndWritesNothing) {
  WriteWithHits({{"a.txt", "foo foo"}, {"b.txt", "foo"}});
  folder_.Write("src/b.txt", "bar");
  host_.conditions.enable_restore = true;

  ReplaceResult result = ReplaceSelectedRows(host_, rows_, AllRows(), {.dry_run = true});

  EXPECT_EQ(folder_.Read("src/a.txt"), "foo foo");
  EXPECT_TRUE(folder_.Files("backup").empty());
  EXPECT_TRUE(host_.settings.empty());
  EXPECT_EQ(result.replaced, 2);
  ASSERT_EQ(result.changed.size(), 1u);
  EXPECT_EQ(result.changed[0].path, "a.txt");
  EXPECT_EQ(Reasons(result), Why{UntouchedReason::kStale});
}

}  // namespace
}  // namespace quonder
