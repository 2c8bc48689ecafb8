// The result list's model over the compact rows: cells, alignment, batches and clearing,
// checked by QAbstractItemModelTester on every change.
#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>

#include <string>

#include "app/result_model.h"

namespace quonder {
namespace {

ResultRows Batch(std::initializer_list<ResultRow> rows) {
  ResultRows batch;
  for (const ResultRow& row : rows) batch.Append(row);
  return batch;
}

QStringList RowTexts(const ResultModel& model, int row) {
  QStringList texts;
  for (int column = 0; column < model.columnCount(); ++column) {
    texts << model.index(row, column).data().toString();
  }
  return texts;
}

}  // namespace

class ResultModelTest : public QObject {
  Q_OBJECT

 private slots:
  // Numbers continue across batches, each batch is one insert, and every cell reads back, a
  // file whose hits straddle two batches included.
  // Clear empties the list and numbers start again.
  void BatchesAppendInOrder() {
    ResultModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    model.AppendRows(
        Batch({{0, "a.txt", 1, 1, u"abc", 1}, {0, "sub/b.txt", 3, 7, u"\u3042\\n", 40}}));
    model.AppendRows(ResultRows());
    model.AppendRows(Batch({{0, "sub/b.txt", 12, 5, u"", 300}}));

    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted[1].at(1).toInt(), 2);
    QCOMPARE(inserted[1].at(2).toInt(), 2);
    QCOMPARE(RowTexts(model, 0), (QStringList{"1", "a.txt", "1", "1", "abc", "1"}));
    QCOMPARE(RowTexts(model, 1),
             (QStringList{"2", "sub/b.txt", "3", "7", QString::fromUtf8("\u3042\\n"), "40"}));
    QCOMPARE(RowTexts(model, 2), (QStringList{"3", "sub/b.txt", "12", "5", "", "300"}));
    QCOMPARE(model.strRowPaths(3), std::string("sub/b.txt"));
    QVERIFY(!model.index(3, 0).data().isValid());
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));

    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.Clear();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 0);
    model.AppendRows(Batch({{0, "c.txt", 4, 2, u"q", 20}}));
    QCOMPARE(RowTexts(model, 0), (QStringList{"1", "c.txt", "4", "2", "q", "20"}));
  }

  // Overlapping ranges (a Ctrl+click over a selected block), a single cell, and ranges given
  // out of order still name each row once, in order.
  void SelectedRowsReadsTheRanges() {
    ResultModel model;
    ResultRows batch;
    for (int i = 0; i < 10; ++i) batch.Append("a.txt", i + 1, 1, i * 10 + 1, u"x");
    model.AppendRows(batch);
    QItemSelectionModel selection(&model);
    QCOMPARE(SelectedRows(selection), std::vector<int>{});
    const auto rows = [&](int top, int bottom) {
      return QItemSelection(model.index(top, 0),
                            model.index(bottom, ResultModel::kColumnCount - 1));
    };
    selection.select(rows(6, 8), QItemSelectionModel::Select);
    selection.select(rows(1, 3), QItemSelectionModel::Select);
    selection.select(rows(2, 7), QItemSelectionModel::Select);
    selection.select(model.index(9, ResultModel::kFound), QItemSelectionModel::Select);
    QCOMPARE(SelectedRows(selection), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    selection.select(rows(0, 9), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(SelectedRows(selection).size(), size_t{10});
    model.Clear();
    QCOMPARE(SelectedRows(selection), std::vector<int>{});
  }
};

}  // namespace quonder

QTEST_MAIN(quonder::ResultModelTest)
#include "result_model_test.moc"
