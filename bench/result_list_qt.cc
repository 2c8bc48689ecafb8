// Measures the result list with a million rows as the window shows it: rows added in batches
// as a find run delivers them, the view kept painted, then Select All, a jump to the end, a
// scroll through and a clear. Prints the time of each step and the peak resident memory.
//
//   result_model_bench [rows] [batch] [qt]  (defaults 1000000 and 5000; offscreen by default;
//                                            a third argument also times Qt's selectedRows())
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTableView>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/result_model.h"

namespace {

long PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;  // kilobytes on Linux
}

void Report(const char* step, const QElapsedTimer& clock) {
  std::printf("%-28s %8lld ms   peak RSS %5ld MB\n", step, static_cast<long long>(clock.elapsed()),
              PeakRssMb());
  std::fflush(stdout);
}

// Rows like a real run's: 1 to 50 hits per file, short found texts, paths of a source tree.
quonder::ResultRows MakeBatch(int64_t first, int count) {
  quonder::ResultRows batch;
  quonder::ResultRow row;
  for (int i = 0; i < count; ++i) {
    const int64_t n = first + i;
    row.path = "src/module" + std::to_string(n / 5000) + "/file" + std::to_string(n / 20) + ".cc";
    row.line = n % 20 * 7 + 1;
    row.column = n % 13 + 1;
    row.found = u"needle_" + std::u16string(n % 5 + 1, u'x');
    row.pointer = n % 20 * 300 + 5;
    batch.Append(row);
  }
  return batch;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int64_t rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const int batch_size = argc > 2 ? std::atoi(argv[2]) : 5000;

  quonder::ResultModel model;
  QTableView view;
  view.setModel(&model);
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.setSelectionMode(QAbstractItemView::ExtendedSelection);
  view.setWordWrap(false);
  view.verticalHeader()->hide();
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 4);
  view.resize(630, 400);
  view.show();
  app.processEvents();
  std::printf("%lld rows in batches of %d\n", static_cast<long long>(rows), batch_size);

  QElapsedTimer clock;
  clock.start();
  qint64 slowest_batch = 0;
  qint64 slowest_append = 0;
  int64_t slowest_at = 0;
  qint64 append_ms = 0;
  for (int64_t done = 0; done < rows; done += batch_size) {
    const int count = static_cast<int>(std::min<int64_t>(batch_size, rows - done));
    const quonder::ResultRows batch = MakeBatch(done, count);
    QElapsedTimer batch_clock;
    batch_clock.start();
    model.AppendRows(batch);
    const qint64 append = batch_clock.elapsed();
    append_ms += append;
    app.processEvents();  // the view lays out and paints as it would between deliveries
    if (batch_clock.elapsed() > slowest_batch) {
      slowest_batch = batch_clock.elapsed();
      slowest_append = append;
      slowest_at = done;
    }
  }
  Report("add (and paint)", clock);
  std::printf("%-28s %8lld ms\n", "of which in AppendRows", static_cast<long long>(append_ms));
  std::printf("%-28s %8lld ms   (%lld ms in AppendRows, at row %lld)\n", "slowest batch",
              static_cast<long long>(slowest_batch), static_cast<long long>(slowest_append),
              static_cast<long long>(slowest_at));

  clock.restart();
  view.selectAll();
  app.processEvents();
  Report("select all", clock);
  clock.restart();
  const size_t selected = quonder::SelectedRows(*view.selectionModel()).size();
  Report("SelectedRows()", clock);
  std::printf("%-28s %8zu\n", "selected rows", selected);
  if (argc > 3) {  // for comparison: Qt's own list of selected rows
    clock.restart();
    const qsizetype qt_selected = view.selectionModel()->selectedRows().size();
    Report("QItemSelectionModel::selectedRows()", clock);
    std::printf("%-28s %8lld\n", "selected rows", static_cast<long long>(qt_selected));
  }

  clock.restart();
  view.scrollToBottom();
  app.processEvents();
  Report("jump to the end", clock);

  clock.restart();
  QScrollBar* bar = view.verticalScrollBar();
  for (int step = 0; step < 200; ++step) {
    bar->setValue(bar->maximum() / 200 * step);
    app.processEvents();
  }
  Report("scroll in 200 steps", clock);

  clock.restart();
  model.Clear();
  app.processEvents();
  Report("clear", clock);
  return 0;
}
