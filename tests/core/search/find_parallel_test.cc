// A find run over several workers must look to its host exactly like one over a single worker:
// the same calls in the same order, from the thread that started the run; a stop leaves a
// prefix of them; conditions change per file handed out.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/search/find_run.h"
#include "core/search/find_test_support.h"
#include "core/text/utf_convert.h"
#include "support/plain_user.h"

namespace quonder {
namespace {

using find_test::ConditionsFor;
using find_test::ScratchFolder;

// Logs every call a run makes, in order, and notes any call from another thread.
class LogHost : public FindHost {
 public:
  explicit LogHost(const FindConditions& conditions)
      : conditions_(std::make_shared<FindConditions>(conditions)) {}

  std::shared_ptr<const FindConditions> Conditions() override {
    Check();
    ++condition_calls;
    if (on_conditions) on_conditions(condition_calls, *this);
    return conditions_;
  }
  bool StopRequested() override {
    Check();
    ++stop_checks;
    if (stop_after_checks > 0 && stop_checks >= stop_after_checks) stop = true;
    return stop;
  }
  void AddResultRow(ResultRow row) override {
    Check();
    log.push_back("row " + std::to_string(row.number) + " " + row.path + ":" +
                  std::to_string(row.line) + ":" + std::to_string(row.column) + ":" +
                  ToUtf8(row.found) + ":" + std::to_string(row.pointer));
    ++rows;
    if (stop_after_rows > 0 && rows >= stop_after_rows) stop = true;
  }
  void SetStatusText(StatusPanel panel, std::u16string text) override {
    Check();
    log.push_back("panel " + std::to_string(static_cast<int>(panel)) + " " + ToUtf8(text));
  }

  void Change(const std::function<void(FindConditions&)>& edit) {
    auto changed = std::make_shared<FindConditions>(*conditions_);
    edit(*changed);
    conditions_ = std::move(changed);
  }

  std::vector<std::string> log;
  int rows = 0;
  int condition_calls = 0;
  int stop_checks = 0;
  int stop_after_checks = 0;  // 0: never
  int stop_after_rows = 0;    // 0: never
  bool stop = false;
  bool other_thread = false;
  std::function<void(int calls, LogHost& host)> on_conditions;

 private:
  void Check() {
    if (std::this_thread::get_id() != owner_) other_thread = true;
  }

  std::shared_ptr<const FindConditions> conditions_;
  std::thread::id owner_ = std::this_thread::get_id();
};

struct RunLog {
  Status status;
  FindRunResult result;
  std::vector<std::string> log;
  bool other_thread = false;
};

RunLog RunWith(LogHost& host, const FindRunOptions& options) {
  RunLog run;
  run.status = RunFind(host, options, run.result);
  run.log = host.log;
  run.other_thread = host.other_thread;
  return run;
}

RunLog RunWith(const FindConditions& conditions, const FindRunOptions& options) {
  LogHost host(conditions);
  return RunWith(host, options);
}

std::string Summary(const RunLog& run) {
  return run.status.message() + " files=" + std::to_string(run.result.file_counter) +
         " finds=" + std::to_string(run.result.find_counter) +
         " found=" + std::to_string(run.result.found_files) +
         " given_up=" + std::to_string(run.result.given_up_files) +
         " stopped=" + std::to_string(run.result.stopped);
}

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

  // Failing: too large to read (sparse, so it takes no room), a link to a file whose reads
  // fail, and a file without read permission.
  const std::string sparse = folder.Write("c_sparse.txt", "");
  std::filesystem::resize_file(sparse, uintmax_t{1} << 31);
  std::filesystem::create_directories(folder.Path("d3"));
  std::filesystem::create_symlink("/proc/self/mem", folder.Path("d3/mem.txt"));
  const std::string locked = folder.Write("d4/locked.txt", "return");
  chmod(locked.c_str(), 0);
  // Not listed: a pipe, a broken link and a link back to a parent folder.
  mkfifo(folder.Path("d5_pipe.txt").c_str(), 0600);
  std::filesystem::create_symlink("absent", folder.Path("broken.txt"));
  std::filesystem::create_directories(folder.Path("d6"));
  std::filesystem::create_symlink("..", folder.Path("d6/up"));
}

struct Search {
  std::u16string find;
  bool reg_exp = false;
  bool ignore_case = false;
  bool word_only = false;
};

FindConditions Conditions(const ScratchFolder& folder, const Search& search,
                          const std::string& coding, const std::u16string& line_feed) {
  FindConditions conditions = ConditionsFor(folder.path(), search.find);
  conditions.sub_folders = true;
  conditions.reg_exp = search.reg_exp;
  conditions.ignore_case = search.ignore_case;
  conditions.word_only = search.word_only;
  conditions.coding = coding;
  conditions.line_feed_code = line_feed;
  return conditions;
}

TEST(FindParallelTest, AnyWorkerCountGivesTheHostTheSameCalls) {
  ScratchFolder folder;
  BuildTree(folder);
  const std::vector<Search> searches = {{u"return"},           {u"return", false, true},
                                        {u"\\w+_t\\b", true},  {u"Return", false, false, true},
                                        {u"caf\u00e9"},        {u"\u3042", false, true},
                                        {u"r.?e", true, true}, {u"absent"}};
  int rows = 0;
  const bool ran = testing::RunAsPlainUser([&] {
    for (const Search& search : searches) {
      for (const char* coding : {"utf-8", "shift_jis"}) {
        const FindConditions conditions = Conditions(folder, search, coding, u"\r\n");
        const RunLog one = RunWith(conditions, {1});
        ASSERT_TRUE(one.status.ok()) << one.status.message();
        EXPECT_EQ(one.result.given_up_files, 3);  // the sparse, linked and locked files
        rows += one.result.find_counter;
        // Without the byte shortcuts, and with the workers held close behind the rows
        // handed over (every finished file with rows stops the hand-out).
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
  for (const Search& search : {Search{u"return", false, true}, Search{u"\\w+_t\\b", true}}) {
    const FindConditions conditions = Conditions(folder, search, "utf-8", u"\n");
    const RunLog whole = RunWith(conditions, {1});
    ASSERT_GT(whole.result.find_counter, 5000);
    std::mt19937 rng(7);
    for (int trial = 0; trial < 24; ++trial) {
      LogHost host(conditions);
      if (trial % 2 == 0) {
        host.stop_after_rows =
            std::uniform_int_distribution<int>(1, static_cast<int>(whole.result.find_counter))(rng);
      } else {
        host.stop_after_checks = std::uniform_int_distribution<int>(1, 60)(rng);
      }
      const int threads = trial % 4 == 3 ? 1 : 2 + trial % 3;
      const RunLog stopped = RunWith(host, {threads});
      ASSERT_TRUE(stopped.status.ok());
      EXPECT_FALSE(stopped.other_thread);
      EXPECT_TRUE(IsPrefix(stopped.log, whole.log))
          << "trial " << trial << ": " << stopped.log.size() << " of " << whole.log.size();
      EXPECT_EQ(stopped.result.find_counter, host.rows);
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
  LogHost host(ConditionsFor(folder.path(), u"foo"));
  // Calls: the start, then one per file as it is handed out: the sixth is a4's.
  host.on_conditions = [](int calls, LogHost& self) {
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
    LogHost host(ConditionsFor(folder.path(), u"foo"));
    host.on_conditions = [&c](int calls, LogHost& self) {
      if (calls == 4) self.Change(c.edit);  // from a2 on
    };
    const RunLog run = RunWith(host, {2});
    EXPECT_EQ(run.status.code(), c.code);
    EXPECT_EQ(Paths(run.log), "a0.txt:1:1:foo:1\na1.txt:1:1:foo:1\n");
    EXPECT_EQ(run.result.file_counter, 2);
  }
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
