#include "core/fileops/detached_process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace quonder {
namespace {

// What the status bar says when the editor cannot be started: the reason fits the mistake in
// the command (a name not in PATH, a path to nothing, a folder, a file without the x bit).
TEST(DetachedProcessTest, SaysWhyAProgramCannotBeStarted) {
  testing::ScratchFolder folder;
  const std::string plain = folder.Write("plain.sh", "#!/bin/sh\n");
  ::chmod(plain.c_str(), 0644);
  const struct {
    std::vector<std::string> words;
    std::string why;  // empty: started
  } cases[] = {
      {{"true", "a"}, ""},
      {{"no-such-program-quonder", "a"}, "not found"},
      {{folder.Path("missing"), "a"}, "no such file"},
      {{folder.path()}, "not executable"},
      {{plain}, "not executable"},
      {{""}, "no program"},
      {{}, "no program"},
  };
  for (const auto& c : cases) {
    const Status status = StartDetached(c.words);
    EXPECT_EQ(status.ok() ? "" : status.message(), c.why) << (c.words.empty() ? "" : c.words[0]);
  }
}

}  // namespace
}  // namespace quonder
