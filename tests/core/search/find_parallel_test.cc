// A find run over several workers must look to its host exactly like one over a single worker:
// the same calls in the same order, from the thread that started the run; a stop leaves a
// prefix of them; conditions change per file listed; the rows that wait for the host stay
// within their budget however many hits there are.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/fileops/temp_names.h"
#include "core/search/find_run.h"
#include "core/search/find_test_support.h"
#include "core/text/utf_convert.h"
#include "support/plain_user.h"

namespace quonder {
namespace {

using find_test::ConditionsFor;
using find_test::RecordingHost;
using find_test::ScratchFolder;

struct RunLog {
  Status status;
  FindRunResult result;
  std::vector<std::string> log;
  bool other_thread = false;
};

RunLog RunWith(RecordingHost& host, const FindRunOptions& options) {
  RunLog run;
  run.status = RunFind(host, options, run.result);
  run.log = host.log;
  run.other_thread = host.other_thread;
  return run;
}

RunLog RunWith(const FindConditions& conditions, const FindRunOptions& options) {
  RecordingHost host(conditions);
  return RunWith(host, options);
}

std::string Summary(const RunLog& run) { return find_test::Summary(run.status, run.result); }

bool IsPrefix(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

// A tree that gives the workers uneven work: many small files in nested folders, one large
// file early in the walk that holds up the files behind it, files in several charsets and
// with invalid bytes, and entries that fail or are not listed.
void BuildTree(const ScratchFolder& folder) {
  std::mt19937 rng(20261205);
  const std::vector<std::string> pool = {
      "return", "RETURN",   "Return x", "foo_t", "size_t ",     "\r\n",         "\n",
      "\r",     " ",        "(",        "_",     "\xC3\xA9",    "\xE2\x84\xAA", "\xF0\x9F\x98\x80",
      "\xFF",   "\x82\xA0", "\x95\x5C", "\xE9",  "caf\xC3\xA9", "deprecated",   "DEPRECATED",
      "\t"};
  std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
  std::uniform_int_distribution<int> length(0, 60);
  for (int i = 0; i < 200; ++i) {
    std::string bytes;
    for (int n = length(rng); n > 0; --n) bytes += pool[pick(rng)];
    std::string dir = i % 3 == 0 ? "" : "d" + std::to_string(i % 7) + "/";
    if (i % 5 == 0) dir += "deep/er/";
    folder.Write(dir + "f" + std::to_string(i) + ".txt", bytes);
  }
  std::string large;
  while (large.size() < (1u << 20)) {
    large += "line with return and Return, size_t x; caf\xC3\xA9 deprecated\r\n";
    large += std::string(150, 'z') + "\n";
  }
  folder.Write("b_large.txt", large);
  // UTF-16 with a byte order mark, and bytes of other charsets.
  folder.Write("d1/utf16.txt", std::string("\xFF\xFE", 2) + std::string("r\0e\0t\0u\0r\0n\0", 12));
  folder.Write("d2/sjis.txt", "\x82\xA0\x95\x5C return \x83\x5C");
  folder.Write("d2/latin1.txt", "caf\xE9 RETURN");

  // Failing: a link to a file whose reads fail, and a file without read permission.
  std::filesystem::create_directories(folder.Path("d3"));
  std::filesystem::create_symlink("/proc/self/mem", folder.Path("d3/mem.txt"));
  const std::string locked = folder.Write("d4/locked.txt", "return");
  chmod(locked.c_str(), 0);
  // Not listed: a pipe, a broken link and a link back to a parent folder.
  mkfifo(folder.Path("d5_pipe.txt").c_str(), 0600);
  std::filesystem::create_symlink("absent", folder.Path("broken.txt"));
  std::filesystem::create_directories(folder.Path("d6"));
  std::filesystem::create_symlink("..", folder.Path("d6/up"));
  // A folder that cannot be listed; a temporary file of this process's atomic writer (never
  // searched); files that an extension list or a size limit leave out.
  folder.Write("d7_locked/hidden.txt", "return");
  chmod(folder.Path("d7_locked").c_str(), 0);
  folder.Write(TempFileName(getpid(), 7), "return");
  folder.Write("d2/notes.md", "return Return size_t");
  folder.Write("d2/big.txt", std::string(5000, 'r') + " return");
}

struct Search {
  std::u16string find;
  std::string flags;  // as ConditionsFor takes them, and f: only .txt files below 4096 bytes
};

FindConditions Conditions(const ScratchFolder& folder, const Search& search,
                          const std::string& coding, const std::u16string& line_feed) {
  FindConditions conditions = ConditionsFor(folder.path(), search.find, search.flags);
  conditions.sub_folders = true;
  conditions.coding = coding;
  conditions.line_feed_code = line_feed;
  if (search.flags.find('f') != std::string::npos) {
    conditions.extensions = u"txt";
    conditions.ext_behavior = ExtBehavior::kInclude;
    conditions.max_size = 4096;
  }
  return conditions;
}

TEST(FindParallelTest, AnyWorkerCountGivesTheHostTheSameCalls) {
  ScratchFolder folder;
  BuildTree(folder);
  const std::vector<Search> searches = {{u"return", ""},    {u"return", "i"}, {u"\\w+_t\\b", "r"},
                                        {u"caf\u00e9", ""}, {u"Return", "w"}, {u"\u3042", "i"},
                                        {u"r.?e", "ri"},    {u"absent", ""},  {u"return", "if"}};
  int rows = 0;
  const bool ran = testing::RunAsPlainUser([&] {
    for (const Search& search : searches) {
      for (const char* coding : {"utf-8", "shift_jis"}) {
        const FindConditions conditions = Conditions(folder, search, coding, u"\r\n");
        const RunLog one = RunWith(conditions, {1});
        ASSERT_TRUE(one.status.ok()) << one.status.message();
        // The linked and locked files; the locked folder.
        EXPECT_EQ(one.result.given_up_files, 2);
        EXPECT_EQ(one.result.unlisted_folders, 1);
        rows += one.result.find_counter;
        // Without the byte shortcuts, and with the workers held close behind the rows
        // handed over (every finished file with rows stops the hand-out or makes its
        // worker wait).
        const FindRunOptions variants[] = {{2}, {3, false}, {8}, {0}, {3, true, 4, 1}};
        for (const FindRunOptions& options : variants) {
          const RunLog many = RunWith(conditions, options);
          const std::string name = std::to_string(options.threads) + " workers, shortcuts " +
                                   std::to_string(options.byte_shortcuts) + ", ahead " +
                                   std::to_string(options.ahead_files);
          EXPECT_FALSE(many.other_thread);
          EXPECT_EQ(Summary(many), Summary(one)) << coding << " " << name;
          EXPECT_TRUE(many.log == one.log) << coding << " " << name;
        }
      }
    }
  });
  ASSERT_TRUE(ran);
  EXPECT_GT(rows, 30000);  // the comparison covered real hits
}

TEST(FindParallelTest, AStopAtAnyMomentLeavesAPrefixOfTheWholeRun) {
  ScratchFolder folder;
  BuildTree(folder);
  for (const Search& search : {Search{u"return", "i"}, Search{u"\\w+_t\\b", "r"}}) {
    const FindConditions conditions = Conditions(folder, search, "utf-8", u"\n");
    const RunLog whole = RunWith(conditions, {1});
    ASSERT_GT(whole.result.find_counter, 5000);
    std::mt19937 rng(7);
    for (int trial = 0; trial < 24; ++trial) {
      RecordingHost host(conditions);
      if (trial % 2 == 0) {
        const size_t after =
            std::uniform_int_distribution<size_t>(1, whole.result.find_counter)(rng);
        host.after_row = [after](RecordingHost& h) { h.stop = h.stop || h.rows.size() >= after; };
      } else {
        const int after = std::uniform_int_distribution<int>(1, 60)(rng);
        host.stop_when = [after](int checks) { return checks >= after; };
      }
      const int threads = trial % 4 == 3 ? 1 : 2 + trial % 3;
      // Every third run with workers that wait for room for their rows.
      const RunLog stopped = RunWith(host, {threads, true, 0, trial % 3 == 0 ? 4096u : 0u});
      ASSERT_TRUE(stopped.status.ok());
      EXPECT_FALSE(stopped.other_thread);
      EXPECT_TRUE(IsPrefix(stopped.log, whole.log))
          << "trial " << trial << ": " << stopped.log.size() << " of " << whole.log.size();
      EXPECT_EQ(stopped.result.find_counter, static_cast<int64_t>(host.rows.size()));
      if (threads > 1 && host.stop) {
        EXPECT_TRUE(stopped.result.stopped);
      }
    }
  }
}

// Ten files, each holding "foo" once and "bar" twice.
void WriteFooBar(const ScratchFolder& folder) {
  for (int i = 0; i < 10; ++i) folder.Write("a" + std::to_string(i) + ".txt", "foo bar bar");
}

std::string Paths(const std::vector<std::string>& log) {
  std::string text;
  for (const std::string& entry : log) {
    if (entry.rfind("row ", 0) == 0) text += entry.substr(entry.find(' ', 4) + 1) + "\n";
  }
  return text;
}

TEST(FindParallelTest, AChangedConditionAppliesToTheFilesHandedOutAfterIt) {
  ScratchFolder folder;
  WriteFooBar(folder);
  RecordingHost host(ConditionsFor(folder.path(), u"foo"));
  // Calls: the start, then one per file as it is listed: the sixth is a4's.
  host.on_conditions = [](int calls, RecordingHost& self) {
    if (calls == 6) self.Change([](FindConditions& c) { c.find_text = u"bar"; });
  };
  const RunLog run = RunWith(host, {3});
  ASSERT_TRUE(run.status.ok());
  std::string expected;
  for (int i = 0; i < 4; ++i) expected += "a" + std::to_string(i) + ".txt:1:1:foo:1\n";
  for (int i = 4; i < 10; ++i) {
    expected += "a" + std::to_string(i) + ".txt:1:5:bar:5\n";
    expected += "a" + std::to_string(i) + ".txt:1:9:bar:9\n";
  }
  EXPECT_EQ(Paths(run.log), expected);
}

TEST(FindParallelTest, AnUnusableConditionEndsTheRunAfterTheFilesBeforeIt) {
  ScratchFolder folder;
  WriteFooBar(folder);
  struct Case {
    std::function<void(FindConditions&)> edit;
    Status::Code code;
  };
  const std::vector<Case> cases = {
      {[](FindConditions& c) { c.coding = "no-such-charset"; }, Status::Code::kUnknownCharset},
      {[](FindConditions& c) {
         c.reg_exp = true;
         c.find_text = u"a(";
       },
       Status::Code::kInvalidPattern},
  };
  for (const Case& c : cases) {
    RecordingHost host(ConditionsFor(folder.path(), u"foo"));
    host.on_conditions = [&c](int calls, RecordingHost& self) {
      if (calls == 4) self.Change(c.edit);  // from a2 on
    };
    const RunLog run = RunWith(host, {2});
    EXPECT_EQ(run.status.code(), c.code);
    EXPECT_EQ(Paths(run.log), "a0.txt:1:1:foo:1\na1.txt:1:1:foo:1\n");
    EXPECT_EQ(run.result.file_counter, 2);
  }
}

// With room for 64 KB of rows: a file with many hits streams them while it is searched, and
// files with many hits searched ahead wait for their turn instead of piling up. Unbounded, the
// single file alone would hold 1.6 MB.
TEST(FindParallelTest, RowsWaitingForTheHostStayWithinTheirBudget) {
  constexpr size_t kBudget = 64 << 10;
  struct Case {
    const char* name;
    int files;
    int hits_per_file;
  };
  for (const Case& c : {Case{"one file", 1, 100000}, Case{"many files", 200, 1000}}) {
    ScratchFolder folder;
    for (int i = 0; i < c.files; ++i) {
      folder.Write("f" + std::to_string(1000 + i), std::string(c.hits_per_file, 'a'));
    }
    const FindConditions conditions = ConditionsFor(folder.path(), u"a");
    const RunLog one = RunWith(conditions, {1});
    for (int threads : {2, 3}) {
      const RunLog many = RunWith(conditions, {threads, true, 0, kBudget});
      EXPECT_EQ(Summary(many), Summary(one)) << c.name << ", " << threads;
      EXPECT_TRUE(many.log == one.log) << c.name << ", " << threads;
      EXPECT_GT(many.result.peak_held_bytes, 0u) << c.name;
      EXPECT_LE(many.result.peak_held_bytes, 4 * kBudget) << c.name << ", " << threads;
    }
  }
}

// Workers keep a descriptor table of their own: a file the host closes while they search (the
// settings file and its lock, say) must be closed for good, not kept open by a worker's copy.
TEST(FindParallelTest, ALockTheHostDropsDuringTheRunIsFreeAtOnce) {
  ScratchFolder folder;
  for (int i = 0; i < 50; ++i) folder.Write("f" + std::to_string(100 + i), "a");
  const std::string lock_path = folder.Write("lock", "");
  const auto flock_now = [&] {
    const int fd = open(lock_path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool got = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0;
    return std::pair(fd, got);
  };
  auto [held, locked] = flock_now();
  ASSERT_TRUE(locked);
  RecordingHost host(ConditionsFor(folder.path(), u"a"));
  bool free_again = false;
  host.after_row = [&](RecordingHost& h) {
    if (h.rows.size() != 25) return;  // the workers have long been searching
    close(held);
    auto [fd, got] = flock_now();
    free_again = got;
    close(fd);
  };
  const RunLog run = RunWith(host, {2});
  EXPECT_EQ(run.result.found_files, 50);
  EXPECT_TRUE(free_again);
}

TEST(FindParallelTest, WorkerCountFollowsTheMachineWhenNotGiven) {
  const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  const std::vector<std::pair<int, int>> cases = {{1, 1},
                                                  {3, 3},
                                                  {0, std::min(cores, kMaxFindWorkers)},
                                                  {-2, std::min(cores, kMaxFindWorkers)},
                                                  {1000, kMaxFindWorkers}};
  for (const auto& [asked, got] : cases) {
    FindRunOptions options;
    options.threads = asked;
    EXPECT_EQ(WorkerCount(options), got) << asked;
  }
}

}  // namespace
}  // namespace quonder
