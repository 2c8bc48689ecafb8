// The window between runs: resizing and what it writes, the option controls and the fields
// they keep, the result list's commands (Select All, Ctrl+A, Enter, double click, Open File)
// and closing.
#include <QCheckBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QToolTip>

#include "app/editor_launcher.h"
#include "app/result_model.h"
#include "app/twips.h"
#include "core/fileops/file_common.h"
#include "frm_find_support.h"

namespace quonder::testing {
namespace {

struct Started {
  QString program;
  QStringList arguments;
};

// Replaces the process start of Open File while alive.
class FakeStarter {
 public:
  FakeStarter() {
    SetProcessStarter([log = log_](const QString& program, const QStringList& arguments) {
      log->push_back({program, arguments});
      return true;
    });
  }
  ~FakeStarter() { SetProcessStarter(nullptr); }
  const std::vector<Started>& started() const { return *log_; }

 private:
  std::shared_ptr<std::vector<Started>> log_ = std::make_shared<std::vector<Started>>();
};

// A shown window after a run over three hits in two files.
std::unique_ptr<frmFind> WindowWithRows(const WindowFixture& fixture, MessageLog& log) {
  fixture.WriteData("a.txt", "one hit\r\nand\r\n  hit two\r\n");
  fixture.WriteData("b b.txt", "hit");
  fixture.WriteIni("[FindSetting]\nSourceFolder=" + fixture.DataFolder() +
                   "\nExtentions=txt\nExtBehavior=0\nEditor=ed --line=%L --col %C %P\n");
  auto window = fixture.Open();
  if (!window) return nullptr;
  if (!ShowSettled(*window)) return nullptr;
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

}  // namespace

class FrmFindWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // Only the list follows the window; panel 2 takes what panels 1, 3, 4 and 5 leave; every
  // resize stores the size and the column widths.
  void ResizeMovesOnlyTheListAndIsStored() {
    WindowFixture fixture;
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(ShowSettled(*window));
    const TwipsScale twips(*window);
    auto* list = Child<QTableView>(*window, "ListView1");
    auto* frame = Child<QWidget>(*window, "fraFindSettings");
    const QRect list_before = list->geometry();
    const QRect frame_before = frame->geometry();
    const QSize size_before = window->size();

    list->setColumnWidth(1, twips.ToPixelsX(3000));
    window->resize(size_before + QSize(twips.ToPixelsX(1000), twips.ToPixelsY(600)));
    QTRY_COMPARE(list->width(), list_before.width() + twips.ToPixelsX(1000));
    QCOMPARE(list->height(), list_before.height() + twips.ToPixelsY(600));
    QCOMPARE(list->pos(), list_before.topLeft());
    QCOMPARE(frame->geometry(), frame_before);
    QCOMPARE(list->x() + list->width() + twips.ToPixelsX(90), window->centralWidget()->width());

    const int status_width = window->statusBar()->width();
    const int expected_panels[5] = {twips.ToPixelsX(1500), status_width - twips.ToPixelsX(3600),
                                    twips.ToPixelsX(600), twips.ToPixelsX(600),
                                    twips.ToPixelsX(600)};
    for (int i = 0; i < 5; ++i) {
      auto* panel =
          Child<QLabel>(*window, QStringLiteral("stbPanel%1").arg(i + 1).toLatin1().constData());
      QTRY_COMPARE(panel->width(), expected_panels[i]);
    }

    const QRect outer = window->frameGeometry();
    const QString expected_size = QStringLiteral("%1,%2,%3,%4")
                                      .arg(qRound(twips.ToTwipsX(outer.x())))
                                      .arg(qRound(twips.ToTwipsY(outer.y())))
                                      .arg(qRound(twips.ToTwipsX(outer.width())))
                                      .arg(qRound(twips.ToTwipsY(outer.height())));
    QCOMPARE(QString::fromStdString(fixture.Ini("Status", "WindowSize")), expected_size);
    QCOMPARE(fixture.Ini("Status", "ColsWidth"), std::string("600,3000,810,810,2100,900"));

    // The next start comes up at that size with those columns.
    window.reset();
    auto again = fixture.Open();
    QVERIFY(again);
    QCOMPARE(qRound(TwipsScale(*again).ToTwipsX(again->frameGeometry().width())),
             qRound(twips.ToTwipsX(outer.width())));
    QCOMPARE(Child<QTableView>(*again, "ListView1")->columnWidth(1), twips.ToPixelsX(3000));
  }

  void TooSmallSnapsBackToTheMinimum() {
    WindowFixture fixture;
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(ShowSettled(*window));
    const TwipsScale twips(*window);
    QVERIFY(window->lngMinHeight > 0);
    window->resize(50, 50);
    const int min_width =
        Child<QWidget>(*window, "fraFindSettings")->geometry().right() + 1 + twips.ToPixelsX(90);
    QTRY_COMPARE(window->width(), min_width);
    QCOMPARE(window->frameGeometry().height(), twips.ToPixelsY(window->lngMinHeight));
    // The list still shows its header and one row.
    auto* list = Child<QTableView>(*window, "ListView1");
    QVERIFY(list->height() >=
            list->horizontalHeader()->height() + list->verticalHeader()->defaultSectionSize());
  }

  // Nothing is written while minimized; a maximized window stores the screen-wide size, which
  // the next start does not apply.
  void MinimizedAndMaximized() {
    WindowFixture fixture;
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(ShowSettled(*window));
    const TwipsScale twips(*window);
    QVERIFY(QFile::remove(QString::fromStdString(fixture.IniFile())));
    window->showMinimized();
    QTRY_VERIFY(window->isMinimized());
    window->resize(window->size() + QSize(40, 40));
    QTest::qWait(50);
    QVERIFY(!FileExists(fixture.IniFile()));

    window->showMaximized();
    QTRY_VERIFY(window->isMaximized());
    Settle(*window);
    const QString maximized_width =
        QString::number(qRound(twips.ToTwipsX(window->frameGeometry().width())));
    QTRY_COMPARE(QString::fromStdString(fixture.Ini("Status", "WindowSize")).section(',', 2, 2),
                 maximized_width);
    window.reset();
    auto again = fixture.Open();
    QVERIFY(again);
    QVERIFY(again->frameGeometry().width() < twips.ToPixelsX(maximized_width.toInt()));
  }

  void OptionControlsKeepTheirFields() {
    WindowFixture fixture;
    MessageLog log;
    auto window = WindowWithRows(fixture, log);
    QVERIFY(window);
    auto* replace = Child<QPushButton>(*window, "cmdReplace");
    QVERIFY(replace->isEnabled());

    QTest::mouseClick(Child<QCheckBox>(*window, "chkIgnoreCase"), Qt::LeftButton);
    QCOMPARE(window->lngCompareMode, 1);
    QVERIFY(window->blnIgnoreCase);
    QTest::mouseClick(Child<QCheckBox>(*window, "chkIgnoreCase"), Qt::LeftButton);
    QCOMPARE(window->lngCompareMode, 0);
    QVERIFY(!window->blnIgnoreCase);

    for (auto [name, code] : {std::pair{"optCr", "\r"}, {"optLf", "\n"}, {"optCrLf", "\r\n"}}) {
      QTest::mouseClick(Child<QRadioButton>(*window, name), Qt::LeftButton);
      QCOMPARE(window->strLineFeedCode, std::string(code));
    }

    auto* behavior = Child<QComboBox>(*window, "cboExtBehavior");
    behavior->setCurrentIndex(1);
    QCOMPARE(window->lngExtBehavior, 1);

    auto* coding = Child<QComboBox>(*window, "cboCoding");
    coding->setCurrentIndex(0);
    QCOMPARE(window->strCoding, CodeSetName(0));
    QCOMPARE(coding->toolTip(), QStringLiteral("Set 0"));

    auto* size = Child<QLineEdit>(*window, "txtMaxSize");
    for (auto [text, bytes] : {std::pair{"0.5", 512},
                               {"abc", 0},
                               {"10kB", 10240},
                               {"1.0009765625", 1025},
                               {"99999999", 2147483647}}) {
      size->clear();
      QTest::keyClicks(size, text);
      QCOMPARE(window->lngMaxSize, bytes);
    }

    auto* word_only = Child<QCheckBox>(*window, "chkWordOnly");
    auto* separator = Child<QLineEdit>(*window, "txtSeparator");
    QTest::mouseClick(word_only, Qt::LeftButton);
    QVERIFY(separator->isEnabled());
    QTest::mouseClick(word_only, Qt::LeftButton);
    QVERIFY(!separator->isEnabled());
    QCOMPARE(separator->text(), QStringLiteral("_,. \"#&'()|[]{}<>"));

    // Editing the find text in plain mode keeps Replace; a mode change gives it up, and so
    // does editing in regular-expression mode.
    QTest::keyClicks(Child<QComboBox>(*window, "cboFind"), "x");
    QVERIFY(replace->isEnabled());
    QTest::mouseClick(Child<QCheckBox>(*window, "chkRegExp"), Qt::LeftButton);
    QVERIFY(!replace->isEnabled());
  }

  void ListCommandsOpenTheFocusedRow() {
    WindowFixture fixture;
    MessageLog log;
    FakeStarter starter;
    auto window = WindowWithRows(fixture, log);
    QVERIFY(window);
    auto* list = Child<QTableView>(*window, "ListView1");
    QCOMPARE(Rows(*window->results()),
             (QStringList{"1|a.txt|1|5|hit|5", "2|a.txt|3|3|hit|17", "3|b b.txt|1|1|hit|1"}));

    // Ctrl+A selects every row, A alone nothing.
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
    QCOMPARE(starter.started().size(), size_t{1});
    QCOMPARE(starter.started()[0].program, QStringLiteral("ed"));
    QCOMPARE(starter.started()[0].arguments,
             (QStringList{"--line=3", "--col", "3", data + "/a.txt"}));
    QCOMPARE(fixture.Ini("FindSetting", "Editor"), std::string("ed --line=%L --col %C %P"));

    // A double click opens the row under it; the button opens the current row.
    const QRect third = list->visualRect(window->results()->index(2, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third.center());
    QCOMPARE(starter.started().size(), size_t{2});
    QCOMPARE(starter.started()[1].arguments.last(), data + "/b b.txt");
    QTest::mouseClick(Child<QPushButton>(*window, "cmdOpen"), Qt::LeftButton);
    QCOMPARE(starter.started().size(), size_t{3});
    QCOMPARE(starter.started()[2].arguments, starter.started()[1].arguments);
    QCOMPARE(window->focusWidget(), list);
  }

  // Hovering a row shows its line, read again from the file, with the hit marked.
  void HoverShowsTheLineOfTheHit() {
    WindowFixture fixture;
    MessageLog log;
    auto window = WindowWithRows(fixture, log);
    QVERIFY(window);
    auto* list = Child<QTableView>(*window, "ListView1");
    const QRect second = list->visualRect(window->results()->index(1, 4));
    QHelpEvent hover(QEvent::ToolTip, second.center(),
                     list->viewport()->mapToGlobal(second.center()));
    QCoreApplication::sendEvent(list->viewport(), &hover);
    QTRY_VERIFY(QToolTip::isVisible());
    QVERIFY2(QToolTip::text().contains("two"), qPrintable(QToolTip::text()));
    QVERIFY(!QToolTip::text().contains("one"));
    QToolTip::hideText();
  }

  void OpenWithoutCurrentRowStartsNothing() {
    WindowFixture fixture;
    FakeStarter starter;
    auto window = fixture.Open();
    QVERIFY(window);
    QTest::mouseClick(Child<QPushButton>(*window, "cmdOpen"), Qt::LeftButton);
    QVERIFY(starter.started().empty());
    // The template is stored before anything else is decided.
    QCOMPARE(fixture.Ini("FindSetting", "Editor"), window->strEditor);
  }

  // Closing by File > Exit removes the backup folder with read-only files in it.
  void ExitDeletesTheBackupFolder() {
    WindowFixture fixture;
    QTemporaryDir temp;
    const QByteArray old_temp = qgetenv("TEMP");
    qputenv("TEMP", temp.path().toUtf8());
    auto window = fixture.Open();
    qputenv("TEMP", old_temp);
    QVERIFY(window);
    const std::string backup = window->strBackupFolder;
    QVERIFY(backup.starts_with(temp.path().toStdString() + "/Quonder"));
    QVERIFY(CreateFolderPath(backup + "/deep/er"));
    fixture.WriteFile(backup + "/deep/er/locked.txt", "x");
    QFile::setPermissions(QString::fromStdString(backup + "/deep/er/locked.txt"), QFile::ReadOwner);
    QFile::setPermissions(QString::fromStdString(backup + "/deep/er"),
                          QFile::ReadOwner | QFile::ExeOwner);
    window->show();
    Child<QAction>(*window, "mnuFileExit")->trigger();
    QVERIFY(!window->isVisible());
    QVERIFY(!FolderExists(backup));
  }
};

}  // namespace quonder::testing

QTEST_MAIN(quonder::testing::FrmFindWindowTest)
#include "frm_find_window_test.moc"
