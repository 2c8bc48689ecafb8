#include "core/search/result_rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace quonder {
namespace {

ResultRow MakeRow(std::string path, int64_t pointer, std::u16string found, int64_t line = 1,
                  int64_t column = 0) {
  ResultRow row;
  row.path = std::move(path);
  row.line = line;
  row.column = column == 0 ? pointer : column;
  row.pointer = pointer;
  row.found = std::move(found);
  return row;
}

// Batches from the find worker are appended whole; a file whose rows straddle two batches
// must still read back its path for every row, and the same path again later is a new entry.
TEST(ResultRowsTest, AppendsRowsAndBatchesInOrder) {
  ResultRows first;
  first.Append(MakeRow("a.txt", 1, u"x"));
  first.Append(MakeRow("b.txt", 2, u"\u00e9\u3042"));
  ResultRows second;
  second.Append(MakeRow("b.txt", 7, u""));
  second.Append(MakeRow("a.txt", 3, u"x"));
  ResultRows all;
  all.Append(first);
  all.Append(ResultRows());
  all.Append(second);
  all.Append(all);  // appending itself doubles the rows
  ASSERT_EQ(all.size(), 8u);
  const char* const paths[] = {"a.txt", "b.txt", "b.txt", "a.txt"};
  const std::u16string founds[] = {u"x", u"\u00e9\u3042", u"", u"x"};
  const int64_t pointers[] = {1, 2, 7, 3};
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(all.Path(i), paths[i % 4]) << i;
    EXPECT_EQ(all.Found(i), founds[i % 4]) << i;
    EXPECT_EQ(all.Pointer(i), pointers[i % 4]) << i;
    EXPECT_EQ(all.Row(i).number, static_cast<int64_t>(i) + 1);
  }
  all.Clear();
  EXPECT_EQ(all.size(), 0u);
}

// Hits in files of 4 GiB and more, and a column before the line start (inside a CR LF): the
// numbers that do not fit the compact form come back whole, between rows that do, also after
// the rows were appended as a batch.
TEST(ResultRowsTest, KeepsNumbersBeyond32Bits) {
  const int64_t big = int64_t{5} << 32;
  const ResultRow rows[] = {
      MakeRow("huge.txt", 1, u"a"),
      MakeRow("huge.txt", big + 3, u"b", big, big + 1),
      MakeRow("huge.txt", UINT32_MAX, u"b", UINT32_MAX, INT32_MIN),
      MakeRow("huge.txt", big * 2, u"c", 2, -1),
      MakeRow("small.txt", 9, u"c", 1, 0),
  };
  ResultRows stored;
  for (const ResultRow& row : rows) stored.Append(row);
  ResultRows batches;
  batches.Append(stored);
  batches.Append(stored);
  for (size_t i = 0; i < 2 * std::size(rows); ++i) {
    const ResultRow back = batches.Row(i);
    const ResultRow& row = rows[i % std::size(rows)];
    EXPECT_EQ(back.path, row.path) << i;
    EXPECT_EQ(back.line, row.line) << i;
    EXPECT_EQ(back.column, row.column) << i;
    EXPECT_EQ(back.pointer, row.pointer) << i;
    EXPECT_EQ(back.found, row.found) << i;
  }
}

// The list reads found texts while rows keep coming: a view taken earlier must survive later
// appends, texts larger than a pool chunk included.
TEST(ResultRowsTest, FoundTextsStayPutWhileRowsAreAdded) {
  ResultRows rows;
  const std::u16string huge(200000, u'h');
  rows.Append(MakeRow("a.txt", 1, u"first"));
  const std::u16string_view first = rows.Found(0);
  for (int i = 0; i < 50000; ++i) rows.Append(MakeRow("a.txt", i + 2, i % 3 ? u"0123" : u"x"));
  rows.Append(MakeRow("b.txt", 1, huge));
  rows.Append(MakeRow("b.txt", 2, u"after"));
  EXPECT_EQ(first, u"first");
  EXPECT_EQ(rows.Found(50001), huge);
  EXPECT_EQ(rows.Found(50002), u"after");
  EXPECT_EQ(rows.Found(25000), u"x");
  EXPECT_EQ(rows.Found(25001), u"0123");
  EXPECT_EQ(rows.Found(25002), u"0123");
  EXPECT_EQ(rows.Path(50002), "b.txt");
}

}  // namespace
}  // namespace quonder
