#include "core/search/result_rows.h"

#include <gtest/gtest.h>

namespace quonder {
namespace {

ResultRow MakeRow(std::string path, int32_t pointer, std::u16string found) {
  ResultRow row;
  row.path = std::move(path);
  row.line = 1;
  row.column = pointer;
  row.pointer = pointer;
  row.found = std::move(found);
  return row;
}

TEST(ResultRowsTest, KeepsEveryCellAndNumbersFromOne) {
  ResultRows rows;
  rows.Append(MakeRow("a.txt", 1, u"ab"));
  rows.Append(MakeRow("a.txt", 9, u""));
  rows.Append(MakeRow("sub/b.txt", 3, u"\u00e9\u3042"));
  rows.Append(MakeRow("a.txt", 4, u"x"));  // the same path again later is a new entry
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows.Path(0), "a.txt");
  EXPECT_EQ(rows.Path(1), "a.txt");
  EXPECT_EQ(rows.Path(2), "sub/b.txt");
  EXPECT_EQ(rows.Path(3), "a.txt");
  EXPECT_EQ(rows.Found(0), u"ab");
  EXPECT_EQ(rows.Found(1), u"");
  EXPECT_EQ(rows.Found(2), u"\u00e9\u3042");
  ResultRow third = rows.Row(2);
  EXPECT_EQ(third.number, 3);
  EXPECT_EQ(third.pointer, 3);
  rows.Clear();
  EXPECT_EQ(rows.size(), 0u);
}

}  // namespace
}  // namespace quonder

namespace quonder {
namespace {

// Batches from the find worker are appended whole; a file whose rows straddle two batches
// must still read back its path for every row.
TEST(ResultRowsTest, AppendsBatchesInOrder) {
  ResultRows first;
  first.Append(MakeRow("a.txt", 1, u"x"));
  first.Append(MakeRow("b.txt", 2, u"yy"));
  ResultRows second;
  second.Append(MakeRow("b.txt", 7, u""));
  second.Append(MakeRow("c.txt", 3, u"zzz"));
  ResultRows all;
  all.Append(first);
  all.Append(ResultRows());
  all.Append(second);
  all.Append(all);  // appending itself doubles the rows
  ASSERT_EQ(all.size(), 8u);
  const char* const paths[] = {"a.txt", "b.txt", "b.txt", "c.txt"};
  const std::u16string founds[] = {u"x", u"yy", u"", u"zzz"};
  const int32_t pointers[] = {1, 2, 7, 3};
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(all.Path(i), paths[i % 4]) << i;
    EXPECT_EQ(all.Found(i), founds[i % 4]) << i;
    EXPECT_EQ(all.Pointer(i), pointers[i % 4]) << i;
    EXPECT_EQ(all.Row(i).number, static_cast<int64_t>(i) + 1);
  }
}

}  // namespace
}  // namespace quonder

namespace quonder {
namespace {

// The list reads found texts while rows keep coming: a view taken earlier must survive later
// appends, texts larger than a pool chunk included.
TEST(ResultRowsTest, FoundTextsStayPutWhileRowsAreAdded) {
  ResultRows rows;
  const std::u16string huge(200000, u'h');
  rows.Append(MakeRow("a.txt", 1, u"first"));
  const std::u16string_view first = rows.Found(0);
  for (int i = 0; i < 50000; ++i) rows.Append(MakeRow("a.txt", i + 2, u"0123456789"));
  rows.Append(MakeRow("b.txt", 1, huge));
  rows.Append(MakeRow("b.txt", 2, u"after"));
  EXPECT_EQ(first, u"first");
  EXPECT_EQ(rows.Found(50001), huge);
  EXPECT_EQ(rows.Found(50002), u"after");
  EXPECT_EQ(rows.Found(25000), u"0123456789");
  EXPECT_EQ(rows.Path(50002), "b.txt");
}

}  // namespace
}  // namespace quonder
