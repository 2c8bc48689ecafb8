// The window between runs: its size (resizing, moving, the minimum and the default) and what it
// writes, the option controls and the fields they keep, the result list's commands and context
// menu, Esc, and closing. Run on a 1366 x 768 screen at 96 DPI (tests/CMakeLists.txt).
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QToolTip>

#include "app/editor_launcher.h"
#include "app/result_model.h"
#include "app/shell_open.h"
#include "app/twips.h"
#include "core/fileops/file_common.h"
#include "frm_find_support.h"
#include "support/scoped_env.h"

namespace quonder::testing {
namespace {

// A shown window after a run over three hits in two files.
std::unique_ptr<frmFind> WindowWithRows(const WindowFixture& fixture, MessageLog& log) {
  fixture.WriteData("a.txt", "one hit\r\nand\r\n  hit two\r\n");
  fixture.WriteData("b b.txt", "hit");
  fixture.WriteIni("[FindSetting]\nSourceFolder=" + fixture.DataFolder() +
                   "\nExtentions=txt\nExtBehavior=0\nEditor=ed --line=%L --col %C %P\n");
  auto window = fixture.Open();
  if (!window || !ShowSettled(*window)) return nullptr;
  auto* find = Child<QComboBox>(*window, "cboFind");
  QTest::keyClicks(find, "hit");
  QTest::keyClick(find, Qt::Key_Return);
  if (!QTest::qWaitFor([&] { return log.messages().size() == 1; })) return nullptr;
  return window;
}

QList<int> SelectedRows(const QTableView& list) {
  QList<int> rows;
  for (const QModelIndex& index : list.selectionModel()->selectedRows()) rows << index.row();
  std::sort(rows.begin(), rows.end());
  return rows;
}

// WindowSize as the settings file holds it, in the window's pixels.
QRect StoredGeometry(const WindowFixture& fixture, const QWidget& window) {
  const TwipsScale twips(window);
  const QStringList fields = QString::fromStdString(fixture.Ini("Status", "WindowSize")).split(',');
  if (fields.size() != 4) return QRect();
  return QRect(twips.ToPixelsX(fields[0].toDouble()), twips.ToPixelsY(fields[1].toDouble()),
               twips.ToPixelsX(fields[2].toDouble()), twips.ToPixelsY(fields[3].toDouble()));
}

}  // namespace

class FrmFindWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // Open File starts nothing: each start is recorded as program and arguments.
  void init() {
    started_.clear();
    SetProcessStarter([this](const QString& program, const QStringList& arguments) {
      started_.push_back(QStringList{program} + arguments);
      return true;
    });
  }
  void cleanup() {
    SetProcessStarter(nullptr);
    SetShellOpener(QString());
  }

  // Without a stored size, a laptop's screen shows 15 rows with room left for a title bar.
  // Only the list follows the window, panel 2 takes the growth, and every resize stores the
  // size and the column widths, which the next start applies. A window manager that moves and
  // resizes in one change may report the size first: what is stored is the place after both.
  void SizeAndPlaceAreStored() {
    WindowFixture fixture;
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(ShowSettled(*window));
    auto* list = Child<QTableView>(*window, "ListView1");
    const int rows = list->viewport()->height() / list->verticalHeader()->defaultSectionSize();
    QVERIFY2(rows >= 15, qPrintable(QString::number(rows)));
    QVERIFY(window->frameGeometry().height() + 40 <= window->screen()->geometry().height());
    const QRect list_before = list->geometry();
    const QRect frame_before = Child<QWidget>(*window, "fraFindSettings")->geometry();
    int panels_before[5];
    for (int i = 0; i < 5; ++i) panels_before[i] = Child<QLabel>(*window, kPanels[i])->width();

    list->setColumnWidth(1, list->columnWidth(1) / 2);
    window->resize(window->size() + QSize(100, 60));
    window->move(window->pos() + QPoint(40, 25));
    QTRY_COMPARE(list->width(), list_before.width() + 100);
    QCOMPARE(list->height(), list_before.height() + 60);
    QCOMPARE(list->pos(), list_before.topLeft());
    QCOMPARE(Child<QWidget>(*window, "fraFindSettings")->geometry(), frame_before);
    for (int i = 0; i < 5; ++i) {
      QTRY_COMPARE(Child<QLabel>(*window, kPanels[i])->width(),
                   panels_before[i] + (i == 1 ? 100 : 0));
    }
    QTRY_COMPARE(StoredGeometry(fixture, *window), window->frameGeometry());
    const TwipsScale twips(*window);
    const int path_twips =
        QString::fromStdString(fixture.Ini("Status", "ColsWidth")).section(',', 1, 1).toInt();
    QCOMPARE(twips.ToPixelsX(path_twips), list->columnWidth(1));

    const QSize size = window->frameGeometry().size();
    window.reset();
    auto again = fixture.Open();
    QVERIFY(again);
    QVERIFY(ShowSettled(*again));
    QCOMPARE(again->frameGeometry().size(), size);
    QCOMPARE(Child<QTableView>(*again, "ListView1")->columnWidth(1), twips.ToPixelsX(path_twips));

    // Nothing is written while minimized; a maximized window stores its maximized geometry,
    // which the next start does not apply.
    QVERIFY(QFile::remove(QString::fromStdString(fixture.IniFile())));
    again->showMinimized();
    QTRY_VERIFY(again->isMinimized());
    again->resize(again->size() + QSize(40, 40));
    QCoreApplication::processEvents();  // runs a write that the resize would have scheduled
    QVERIFY(!FileExists(fixture.IniFile()));
    again->showMaximized();
    QTRY_VERIFY(again->isMaximized());
    Settle(*again);
    QTRY_COMPARE(StoredGeometry(fixture, *again), again->frameGeometry());
    const int maximized_width = again->frameGeometry().width();
    again.reset();
    auto third = fixture.Open();
    QVERIFY(third);
    QVERIFY(third->frameGeometry().width() < maximized_width);
  }

  // The window snaps back to the find frame's width and to a height that shows the list's
  // header and one whole row, even with a horizontal scroll bar.
  void TooSmallSnapsBackToTheMinimum() {
    WindowFixture fixture;
    fixture.WriteIni("[Status]\nColsWidth=3000,6000,810,810,2100,900\n");
    MessageLog log;
    auto window = WindowWithRows(fixture, log);
    QVERIFY(window);
    window->resize(50, 50);
    Settle(*window);
    auto* list = Child<QTableView>(*window, "ListView1");
    const QWidget* frame = Child<QWidget>(*window, "fraFindSettings");
    QVERIFY(window->width() > frame->geometry().right());
    QVERIFY(window->width() < frame->geometry().right() + 20);
    QVERIFY(list->horizontalScrollBar()->isVisible());
    const QRect first_row = list->visualRect(window->results()->index(0, 0));
    QVERIFY(list->viewport()->rect().contains(first_row));
    QVERIFY(!list->viewport()->rect().contains(list->visualRect(window->results()->index(1, 0))));
  }

  // The result list's commands, its context menu, then the size box and Replace (the other
  // option handlers are driven by the settings at start, and checked there).
  void ListCommandsMenuAndOptions() {
    WindowFixture fixture;
    MessageLog log;
    ScratchFolder dir;  // the desktop's opener records the path it is given
    SetShellOpener(QString::fromStdString(
        WriteScript(dir, "opener.sh", "printf '%s' \"$1\" > '" + dir.Path("opened") + "'")));
    auto window = WindowWithRows(fixture, log);
    QVERIFY(window);
    auto* list = Child<QTableView>(*window, "ListView1");
    QCOMPARE(Rows(*window->results()),
             (QStringList{"1|a.txt|1|5|hit|5", "2|a.txt|3|3|hit|17", "3|b b.txt|1|1|hit|1"}));
    // Without a focused row Open File starts nothing; the template is stored all the same.
    list->selectionModel()->clearCurrentIndex();
    WindowFixture::WriteFile(fixture.IniFile(), "");
    QTest::mouseClick(Child<QPushButton>(*window, "cmdOpen"), Qt::LeftButton);
    QVERIFY(started_.empty());
    QCOMPARE(fixture.Ini("FindSetting", "Editor"), std::string("ed --line=%L --col %C %P"));

    // Ctrl+A selects every row, A alone nothing; so does Select All, which focuses the list.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A);
    QCOMPARE(SelectedRows(*list), QList<int>{});
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(SelectedRows(*list), (QList<int>{0, 1, 2}));
    list->clearSelection();
    QTest::mouseClick(Child<QPushButton>(*window, "cmdSelectAll"), Qt::LeftButton);
    QCOMPARE(SelectedRows(*list), (QList<int>{0, 1, 2}));
    QCOMPARE(window->focusWidget(), list);

    // Enter opens the focused row only, whatever else is selected.
    list->setCurrentIndex(window->results()->index(1, 0));
    list->selectAll();
    QTest::keyClick(list, Qt::Key_Return);
    const QString data = QString::fromStdString(fixture.DataFolder());
    QCOMPARE(started_,
             (std::vector<QStringList>{{"ed", "--line=3", "--col", "3", data + "/a.txt"}}));

    // A double click opens the row under it; the button opens the current row.
    const QRect third = list->visualRect(window->results()->index(2, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third.center());
    QTest::mouseClick(Child<QPushButton>(*window, "cmdOpen"), Qt::LeftButton);
    QCOMPARE(started_.size(), size_t{3});
    QCOMPARE(started_[1].last(), data + "/b b.txt");
    QCOMPARE(started_[2], started_[1]);
    QCOMPARE(window->focusWidget(), list);

    // Copy gives the rows as `quonder-cli find` prints them; the menu's other items act on the
    // row under the pointer; hovering shows its line.
    QClipboard* clipboard = QGuiApplication::clipboard();
    list->setFocus();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(window->results()->index(0, 1)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualRect(window->results()->index(2, 1)).center());
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(),
             QStringLiteral("1\ta.txt\t1\t5\thit\t5\n3\tb b.txt\t1\t1\thit\t1\n"));

    ChooseFromListMenu(*window, 1, QStringLiteral("Copy Line"));  // read off the window's thread
    QTRY_COMPARE(clipboard->text(), QStringLiteral("  hit two"));
    ChooseFromListMenu(*window, 1, QStringLiteral("Copy Path"));
    QCOMPARE(clipboard->text(), data + "/a.txt");
    ChooseFromListMenu(*window, 1, QStringLiteral("Copy"));
    QCOMPARE(clipboard->text(), QStringLiteral("2\ta.txt\t3\t3\thit\t17\n"));
    ChooseFromListMenu(*window, 2, QStringLiteral("Open Containing Folder"));
    QTRY_COMPARE(QString::fromStdString(dir.Read("opened")), data);
    ChooseFromListMenu(*window, 2, QStringLiteral("Open File"));
    QCOMPARE(started_.size(), size_t{4});
    QCOMPARE(started_[3], started_[1]);

    const QRect second = list->visualRect(window->results()->index(1, 4));
    QHelpEvent hover(QEvent::ToolTip, second.center(),
                     list->viewport()->mapToGlobal(second.center()));
    QCoreApplication::sendEvent(list->viewport(), &hover);
    // The file is read off the window's thread: the tip says so until the line is there.
    QCOMPARE(QToolTip::text(), QString::fromUtf8("reading\u2026"));
    QTRY_VERIFY2(QToolTip::text().contains("two"), qPrintable(QToolTip::text()));
    QVERIFY(!QToolTip::text().contains("one"));
    QToolTip::hideText();

    auto* replace = Child<QPushButton>(*window, "cmdReplace");
    QVERIFY(replace->isEnabled());
    // Kilobytes to bytes as typed; a size past 32 bits is capped, and leaving the box shows
    // the size in use.
    auto* size = Child<QLineEdit>(*window, "txtMaxSize");
    for (auto [text, bytes, shown] : {std::tuple{"0.5", 512, "0.5"},
                                      {"3000000", 2147482624, "2097151"},
                                      {"-3000000", -2147483647 - 1, "-2097152"}}) {
      size->clear();
      QTest::keyClicks(size, text);
      QTest::keyClick(size, Qt::Key_Return);
      QCOMPARE(size->text(), QString::fromLatin1(shown));
      QCOMPARE(window->lngMaxSize, bytes);
    }

    // Editing the find text in plain mode keeps Replace; a mode change gives it up.
    QTest::keyClicks(Child<QComboBox>(*window, "cboFind"), "x");
    QVERIFY(replace->isEnabled());
    QTest::mouseClick(Child<QCheckBox>(*window, "chkRegExp"), Qt::LeftButton);
    QVERIFY(!replace->isEnabled());
  }

  // Esc presses Stop while a find or a file command runs (here while the copy asks its
  // question) and does nothing otherwise; the find ends early.
  void EscStopsARunningCommand() {
    constexpr int kFiles = 300;
    WindowFixture fixture;
    for (int i = 0; i < kFiles; ++i) fixture.WriteData("f" + std::to_string(i) + ".txt", "needle");
    fixture.WriteIni("[FindSetting]\nSourceFolder=" + fixture.DataFolder() + "\n");
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(ShowSettled(*window));
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QSignalSpy stops(Child<QPushButton>(*window, "cmdStop"), &QPushButton::clicked);
    int asked = 0;
    SetMessageBoxHandler([&](const MessageRequest&) {
      // The copy's question; the find's summary comes while nothing runs.
      if (++asked == 2) QTest::keyClick(window.get(), Qt::Key_Escape);
      return kIdCancel;
    });
    auto* find = Child<QComboBox>(*window, "cboFind");
    QTest::keyClick(find, Qt::Key_Escape);
    QTest::keyClicks(find, "needle");
    {
      RunGate gate(*window, 10);
      QTest::keyClick(find, Qt::Key_Return);
      QVERIFY(window->Running());
      QTest::keyClick(find, Qt::Key_Escape);
    }
    QTRY_VERIFY(!window->Running());
    QTRY_COMPARE(asked, 1);
    QCOMPARE(stops.count(), 1);
    QVERIFY2(window->results()->rowCount() < kFiles,
             qPrintable(QString::number(window->results()->rowCount())));

    Child<QTableView>(*window, "ListView1")->selectAll();
    QTest::mouseClick(Child<QPushButton>(*window, "cmdCopy"), Qt::LeftButton);
    QTRY_VERIFY(!window->FileOpRunning());
    SetMessageBoxHandler(nullptr);
    QCOMPARE(asked, 2);
    QCOMPARE(stops.count(), 2);
  }

  // File > Exit (Ctrl+Q) closes the window, which removes the backup folder, read-only files
  // included.
  void ExitDeletesTheBackupFolder() {
    WindowFixture fixture;
    ScratchFolder temp;
    ScopedEnv temp_env("TEMP", temp.path());
    auto window = fixture.Open();
    QVERIFY(window);
    const std::string backup = window->strBackupFolder;
    QVERIFY(backup.starts_with(temp.path() + "/Quonder"));
    fixture.WriteFile(backup + "/deep/er/locked.txt", "x");
    QVERIFY(::chmod((backup + "/deep/er/locked.txt").c_str(), 0400) == 0);
    QVERIFY(::chmod((backup + "/deep/er").c_str(), 0500) == 0);
    QVERIFY(ShowSettled(*window));
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!window->isVisible());
    QVERIFY(!FolderExists(backup));
  }

 private:
  std::vector<QStringList> started_;
  static constexpr const char* kPanels[5] = {"stbPanel1", "stbPanel2", "stbPanel3", "stbPanel4",
                                             "stbPanel5"};
};

}  // namespace quonder::testing

QTEST_MAIN(quonder::testing::FrmFindWindowTest)
#include "frm_find_window_test.moc"
