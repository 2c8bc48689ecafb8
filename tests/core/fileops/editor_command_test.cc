#include "core/fileops/editor_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scoped_env.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLineTest, Table) {
  struct Case {
    const char* line;
    Words words;
  };
  const Case cases[] = {
      {"", {}},
      {"  \t ", {}},
      {"gedit", {"gedit"}},
      {"  gedit   a\tb  ", {"gedit", "a", "b"}},
      {"open \"/tmp/a b.txt\"", {"open", "/tmp/a b.txt"}},
      {"code -g \"/a b/x.txt\":12:5", {"code", "-g", "/a b/x.txt:12:5"}},
      {"a\"b c\"d", {"ab cd"}},
      {"\"\"", {""}},
      {"x \"\" y", {"x", "", "y"}},
      {"\"unclosed quote runs on", {"unclosed quote runs on"}},
      {"say \\\"hi\\\"", {"say", "\"hi\""}},
      {"\"in \\\" quotes\"", {"in \" quotes"}},
      {"C:\\dir\\prog.exe /l", {"C:\\dir\\prog.exe", "/l"}},  // lone backslashes are kept
      {"a\\\\b", {"a\\b"}},
      {"end\\", {"end\\"}},
      {"\"\xe3\x81\x82 \xc3\xa9\"", {"\xe3\x81\x82 \xc3\xa9"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

TEST(BuildEditorCommandLineTest, FillsPlaceholders) {
  testing::ScopedEnv env("QUONDER_TEST_EDITOR_DIR", "/opt/my editor");
  struct Case {
    const char* editor_template;
    Words words;
  };
  const Case cases[] = {
      {"%QUONDER_TEST_EDITOR_DIR%/ed %P /l %L /cl %C",
       {"/opt/my", "editor/ed", "/src/sub/a b.txt", "/l", "12", "/cl", "5"}},
      {"\"%QUONDER_TEST_EDITOR_DIR%/ed\" %P", {"/opt/my editor/ed", "/src/sub/a b.txt"}},
      {"gedit +%L:%C %P", {"gedit", "+12:5", "/src/sub/a b.txt"}},
      {"code -g %P:%L:%C", {"code", "-g", "/src/sub/a b.txt:12:5"}},
      {"diff %P %P", {"diff", "/src/sub/a b.txt", "/src/sub/a b.txt"}},
      {"kate", {"kate"}},                // no placeholder: the same command for every row
      {"ed %p %l", {"ed", "%p", "%l"}},  // placeholders are case-sensitive
  };
  for (const Case& c : cases) {
    EXPECT_EQ(
        SplitCommandLine(BuildEditorCommandLine(c.editor_template, "/src/sub/a b.txt", "12", "5")),
        c.words)
        << c.editor_template;
  }
}

// Whatever a file name holds, the editor receives exactly that path as one argument.
TEST(BuildEditorCommandLineTest, AnyPathSurvivesAsOneWord) {
  const char* const paths[] = {
      "/plain/a.txt", "/with space/a b.txt", "/tab\there",    "/quote\"in/it",     "/back\\slash\\",
      "/a\\\"b",      "/50%L off %C.txt",    "/percent%P%/x", "/\xe3\x81\x82.txt", "",
  };
  for (const char* path : paths) {
    EXPECT_EQ(SplitCommandLine(BuildEditorCommandLine("ed %P +%L", path, "3", "4")),
              (Words{"ed", path, "+3"}))
        << path;
  }
}

// An unquoted program path with blanks (the usual result of %ProgramFiles%-style templates)
// is taken whole when the joined words name an existing file, as the legacy default needs.
TEST(EditorCommandWordsTest, FindsAnUnquotedProgramPathWithBlanks) {
  testing::ScratchFolder scratch;
  const std::string dir = scratch.Path("quonder editor dir");
  scratch.Write("quonder editor dir/my editor/ed", "#!/bin/sh\n");
  testing::ScopedEnv env("QUONDER_TEST_APPS", dir);
  EXPECT_EQ(EditorCommandWords("%QUONDER_TEST_APPS%/my editor/ed %P /l %L /cl %C", "/src", "a.txt",
                               12, 5),
            (Words{dir + "/my editor/ed", "/src/a.txt", "/l", "12", "/cl", "5"}));
  // Nothing to find: the words stay as split, and the start fails later.
  EXPECT_EQ(EditorCommandWords("%QUONDER_TEST_APPS%/no such/ed %P", "/src", "a.txt", 1, 1),
            (Words{scratch.Path("quonder"), "editor", "dir/no", "such/ed", "/src/a.txt"}));
}

TEST(EditorCommandWordsTest, JoinsTheExpandedSourceFolderAndTheRowPath) {
  testing::ScopedEnv env("QUONDER_TEST_SRC", "/home/u/src");
  EXPECT_EQ(EditorCommandWords("ed %P %L %C", "%QUONDER_TEST_SRC%", "sub/a.txt", 12, 5),
            (Words{"ed", "/home/u/src/sub/a.txt", "12", "5"}));
  EXPECT_EQ(EditorCommandWords("ed %P", "/data/", "a.txt", 1, 1), (Words{"ed", "/data/a.txt"}));
  EXPECT_EQ(EditorCommandWords(kDefaultEditor, "/data", "a b.txt", 1, 1),
            (Words{"xdg-open", "/data/a b.txt"}));
  EXPECT_TRUE(EditorCommandWords("", "/data", "a.txt", 1, 1).empty());
}

}  // namespace
}  // namespace quonder
