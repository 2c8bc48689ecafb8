// Replace, Restore, Copy Files and Copy Folders driven through the real widgets on real files:
// what each command writes, asks and reports, the button states it leaves, Stop, and files
// that changed after the find.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "app/result_model.h"
#include "core/fileops/file_common.h"
#include "frm_find_support.h"

namespace quonder::testing {
namespace {

// A settings file that points the window at the fixture's data folder.
void PointAtData(const WindowFixture& fixture, const std::string& more = "") {
  fixture.WriteIni("[FindSetting]\nSourceFolder=" + fixture.DataFolder() +
                   "\nExtentions=txt\nExtBehavior=0\nSubFolder=1\n" + more);
}

std::string Data(const WindowFixture& fixture, const std::string& relative) {
  return WindowFixture::ReadFile(fixture.DataFolder() + "/" + relative);
}

QPushButton* Button(const frmFind& window, const char* name) {
  return Child<QPushButton>(window, name);
}

// Runs a find for `text` and waits for its closing message.
bool FindAll(frmFind& window, const MessageLog& log, const QString& text) {
  auto* box = Child<QComboBox>(window, "cboFind");
  box->lineEdit()->clear();
  QTest::keyClicks(box, text);
  const size_t before = log.messages().size();
  QTest::mouseClick(Button(window, "cmdFind"), Qt::LeftButton);
  return QTest::qWaitFor([&] { return log.messages().size() > before && !window.Running(); });
}

// Selects the rows numbered `numbers` (from 1, as in the "No." column).
void SelectRows(frmFind& window, std::initializer_list<int> numbers) {
  auto* list = Child<QTableView>(window, "ListView1");
  list->clearSelection();
  for (int number : numbers) {
    list->selectionModel()->select(window.results()->index(number - 1, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

void SetReplaceText(frmFind& window, const QString& text) {
  // Typed key by key Qt Test takes Latin-1 only.
  Child<QComboBox>(window, "cboReplace")->setEditText(text);
}

void SetCopyFolder(frmFind& window, const std::string& folder) {
  auto* box = Child<QLineEdit>(window, "txtCopyFolder");
  box->setFocus();
  box->clear();
  QTest::keyClicks(box, QString::fromStdString(folder));
  QTest::keyClick(box, Qt::Key_Return);  // editingFinished: the field takes the text
}

// Clicks `button` and waits until the file command it started has ended.
bool RunCommand(frmFind& window, const char* button) {
  QTest::mouseClick(Button(window, button), Qt::LeftButton);
  return QTest::qWaitFor([&] { return !window.FileOpRunning(); }, 20000);
}

QStringList FilesBelow(const std::string& folder) {
  QStringList files;
  QDir root(QString::fromStdString(folder));
  const QFileInfoList entries =
      root.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  for (const QFileInfo& entry : entries) {
    if (entry.isDir()) {
      for (const QString& inner : FilesBelow(entry.filePath().toStdString())) {
        files << entry.fileName() + "/" + inner;
      }
    } else {
      files << entry.fileName();
    }
  }
  return files;
}

}  // namespace

class FrmFindFileOpsTest : public QObject {
  Q_OBJECT

 private slots:
  // The backup folder lives below TEMP: every test gets a TEMP of its own, so that windows
  // closing in other test programs never delete this one's backup.
  void init() {
    temp_ = std::make_unique<QTemporaryDir>();
    qputenv("TEMP", temp_->path().toUtf8());
  }
  void cleanup() { temp_.reset(); }

  // Two of three hits in a.txt and the one in c.txt: written exactly there, CR LF and every
  // other byte kept; b.txt is never touched.
  void ReplaceChangesOnlyTheSelectedHits() {
    WindowFixture fixture;
    fixture.WriteData("a.txt", "foo bar foo\r\n\xc3\xa9 foo\r\n");
    fixture.WriteData("b.txt", "foo");
    fixture.WriteData("c.txt", "\xef\xbb\xbfxfoo\n");
    PointAtData(fixture);
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    window->show();
    QVERIFY(FindAll(*window, log, "foo"));
    QCOMPARE(Rows(*window->results()),
             (QStringList{"1|a.txt|1|1|foo|1", "2|a.txt|1|9|foo|9", "3|a.txt|2|3|foo|16",
                          "4|b.txt|1|1|foo|1", "5|c.txt|1|2|foo|2"}));
    log.Clear();

    SelectRows(*window, {1, 3, 5});
    SetReplaceText(*window, QString::fromUtf8("\xe6\x97\xa5Q"));
    QVERIFY(RunCommand(*window, "cmdReplace"));

    QCOMPARE(log.Transcript(), QStringList{"Find Text: Replaced 3 / 5"});
    QCOMPARE(log.messages()[0].style, 64);
    QCOMPARE(Data(fixture, "a.txt"),
             std::string("\xe6\x97\xa5Q bar foo\r\n\xc3\xa9 \xe6\x97\xa5Q\r\n"));
    QCOMPARE(Data(fixture, "b.txt"), std::string("foo"));
    QCOMPARE(Data(fixture, "c.txt"), std::string("\xef\xbb\xbfx\xe6\x97\xa5Q\n"));

    QCOMPARE(Panel(*window, 1), QStringLiteral("Complete Replace"));
    QCOMPARE(Panel(*window, 5), QStringLiteral("3"));
    QVERIFY(!Button(*window, "cmdReplace")->isEnabled());
    QVERIFY(!Button(*window, "cmdRestore")->isEnabled());
    QVERIFY(Button(*window, "cmdFind")->isEnabled());
    QVERIFY(Button(*window, "cmdCopy")->isEnabled());
    QVERIFY(Button(*window, "cmdXcopy")->isEnabled());
    QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(window->focusWidget(), Child<QWidget>(*window, "ListView1"));
    QCOMPARE(fixture.Ini("FindSetting", "EnableRestore"), std::string("0"));
    QCOMPARE(fixture.Ini("ReplaceHistory", "0"), std::string("\xe6\x97\xa5Q"));

    // A new find over the changed files enables Replace again.
    QVERIFY(FindAll(*window, log, "foo"));
    QVERIFY(Button(*window, "cmdReplace")->isEnabled());
  }

  // A file that changed after the find keeps its new content; the others are replaced, and
  // the summary says why one was left.
  void StaleFileIsLeftUntouchedAndReported() {
    WindowFixture fixture;
    fixture.WriteData("a.txt", "one foo");
    fixture.WriteData("b.txt", "two foo");
    PointAtData(fixture);
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    window->show();
    QVERIFY(FindAll(*window, log, "foo"));
    log.Clear();
    fixture.WriteData("b.txt", "second foo");  // the hit moved

    window->findChild<QTableView*>("ListView1")->selectAll();
    SetReplaceText(*window, "bar");
    QVERIFY(RunCommand(*window, "cmdReplace"));

    QCOMPARE(log.Transcript(),
             QStringList{"Find Text: Replaced 1 / 2\r\n1 file(s) left untouched: changed since "
                         "the find."});
    QCOMPARE(Data(fixture, "a.txt"), std::string("one bar"));
    QCOMPARE(Data(fixture, "b.txt"), std::string("second foo"));
  }

  // With Enable Restore: the backup holds the files as they were, Restore brings them back
  // (twice gives the same), and a later run without backup disables Restore.
  void BackupThenRestoreBringsTheFilesBack() {
    WindowFixture fixture;
    fixture.WriteData("a.txt", "alpha foo\r\n");
    fixture.WriteData("sub/b.txt", "foo foo");
    fixture.WriteData("c.txt", "foo, not selected");
    PointAtData(fixture, "EnableRestore=1\n");
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    QCOMPARE(window->strBackupFolder, BuildPath(TempFolder(), "Quonder"));
    QCOMPARE(window->strBackupFolder, temp_->path().toStdString() + "/Quonder");
    window->show();
    QVERIFY(!Button(*window, "cmdRestore")->isEnabled());
    QVERIFY(FindAll(*window, log, "foo"));
    QCOMPARE(Rows(*window->results()),
             (QStringList{"1|a.txt|1|7|foo|7", "2|c.txt|1|1|foo|1", "3|sub/b.txt|1|1|foo|1",
                          "4|sub/b.txt|1|5|foo|5"}));
    log.Clear();

    SelectRows(*window, {1, 3, 4});
    SetReplaceText(*window, "");  // an empty replacement deletes the hits
    QVERIFY(RunCommand(*window, "cmdReplace"));
    QCOMPARE(log.Transcript(), QStringList{"Find Text: Replaced 3 / 4"});
    QCOMPARE(Data(fixture, "a.txt"), std::string("alpha \r\n"));
    QCOMPARE(Data(fixture, "sub/b.txt"), std::string(" "));
    QCOMPARE(FilesBelow(window->strBackupFolder), (QStringList{"a.txt", "sub/b.txt"}));
    QVERIFY(Button(*window, "cmdRestore")->isEnabled());
    QCOMPARE(fixture.Ini("FindSetting", "EnableRestore"), std::string("1"));

    for (int round = 0; round < 2; ++round) {
      QVERIFY(RunCommand(*window, "cmdRestore"));
      QCOMPARE(Data(fixture, "a.txt"), std::string("alpha foo\r\n"));
      QCOMPARE(Data(fixture, "sub/b.txt"), std::string("foo foo"));
      QCOMPARE(Data(fixture, "c.txt"), std::string("foo, not selected"));
      QCOMPARE(Panel(*window, 1), QStringLiteral("Complete Undo"));
      QVERIFY(Button(*window, "cmdRestore")->isEnabled());
    }
    QCOMPARE(log.messages().size(), size_t{1});  // Restore asks and tells nothing

    // Without Enable Restore the next run leaves Restore disabled.
    QTest::mouseClick(Child<QCheckBox>(*window, "chkEnableRestore"), Qt::LeftButton);
    QVERIFY(FindAll(*window, log, "foo"));
    SelectRows(*window, {2});
    QVERIFY(RunCommand(*window, "cmdReplace"));
    QCOMPARE(Data(fixture, "c.txt"), std::string(", not selected"));
    QVERIFY(!Button(*window, "cmdRestore")->isEnabled());
    QCOMPARE(fixture.Ini("FindSetting", "EnableRestore"), std::string("0"));

    QVERIFY(window->close());
    QVERIFY(!FolderExists(window->strBackupFolder));
  }

  // A file that vanished after the find cannot be backed up: Cancel at the question leaves
  // every file as it was.
  void CancelAfterFailedBackupChangesNothing() {
    WindowFixture fixture;
    fixture.WriteData("a.txt", "foo");
    fixture.WriteData("b.txt", "foo");
    PointAtData(fixture, "EnableRestore=1\n");
    MessageLog log(kIdCancel);
    auto window = fixture.Open();
    QVERIFY(window);
    window->show();
    QVERIFY(FindAll(*window, log, "foo"));
    log.Clear();
    QVERIFY(QFile::remove(QString::fromStdString(fixture.DataFolder() + "/b.txt")));

    window->findChild<QTableView*>("ListView1")->selectAll();
    SetReplaceText(*window, "bar");
    QVERIFY(RunCommand(*window, "cmdReplace"));
    QCOMPARE(log.Transcript(),
             (QStringList{"Find Text: Failed to backup 1 file(s).\r\nContinue Replace String?",
                          "Find Text: Replaced 0 / 2"}));
    QCOMPARE(log.messages()[0].style, 49);
    QCOMPARE(Data(fixture, "a.txt"), std::string("foo"));
    QVERIFY(!Button(*window, "cmdRestore")->isEnabled());  // an early end leaves it as it was
  }

  // Copy Files puts everything in one folder and counts collisions; Cancel copies nothing;
  // Copy Folders keeps the layout below the source folder.
  void CopyFilesFlatAndKeepingFolders() {
    WindowFixture fixture;
    fixture.WriteData("a.txt", "top foo");
    fixture.WriteData("sub/a.txt", "inner foo");
    fixture.WriteData("sub/b.txt", "foo b");
    QTemporaryDir flat;
    QTemporaryDir tree;
    WindowFixture::WriteFile(flat.path().toStdString() + "/b.txt", "old b");
    PointAtData(fixture, "CopyFolder=" + flat.path().toStdString() + "\n");
    MessageLog log(kIdCancel);
    auto window = fixture.Open();
    QVERIFY(window);
    window->show();
    QVERIFY(FindAll(*window, log, "foo"));
    QCOMPARE(Rows(*window->results()),
             (QStringList{"1|a.txt|1|5|foo|5", "2|sub/a.txt|1|7|foo|7", "3|sub/b.txt|1|1|foo|1"}));
    window->findChild<QTableView*>("ListView1")->selectAll();
    log.Clear();

    QVERIFY(RunCommand(*window, "cmdCopy"));
    QCOMPARE(log.Transcript(),
             QStringList{"Find Text: Copying selected files to [Copy Folder].\r\nIt will "
                         "overwrite the files of same file name."});
    QCOMPARE(log.messages()[0].style, 33);
    QCOMPARE(FilesBelow(flat.path().toStdString()), QStringList{"b.txt"});
    QCOMPARE(WindowFixture::ReadFile(flat.path().toStdString() + "/b.txt"), std::string("old b"));

    MessageLog ok;
    QVERIFY(RunCommand(*window, "cmdCopy"));
    QCOMPARE(ok.Transcript().last(),
             QStringLiteral("Find Text: Copied 3 / 3\r\n2 files are overwritten."));
    QCOMPARE(ok.messages().back().style, 64);
    QCOMPARE(FilesBelow(flat.path().toStdString()), (QStringList{"a.txt", "b.txt"}));
    QCOMPARE(WindowFixture::ReadFile(flat.path().toStdString() + "/a.txt"),
             std::string("inner foo"));
    QCOMPARE(WindowFixture::ReadFile(flat.path().toStdString() + "/b.txt"), std::string("foo b"));
    QCOMPARE(fixture.Ini("FindSetting", "CopyFolder"), flat.path().toStdString());
    QCOMPARE(Panel(*window, 1), QStringLiteral("Complete Copy"));

    SetCopyFolder(*window, tree.path().toStdString());
    ok.Clear();
    QVERIFY(RunCommand(*window, "cmdXcopy"));
    QCOMPARE(ok.Transcript(),
             (QStringList{"Find Text: Copying selected files to [Copy Folder] keeping their "
                          "Directory structure.\r\nIt will overwrite the files of same file name.",
                          "Find Text: Copied 3 / 3\r\nNo files are overwritten."}));
    QCOMPARE(FilesBelow(tree.path().toStdString()),
             (QStringList{"a.txt", "sub/a.txt", "sub/b.txt"}));
    QCOMPARE(WindowFixture::ReadFile(tree.path().toStdString() + "/sub/a.txt"),
             std::string("inner foo"));
    QCOMPARE(fixture.Ini("FindSetting", "CopyFolder"), tree.path().toStdString());
    QVERIFY(Button(*window, "cmdCopy")->isEnabled());
    QVERIFY(Button(*window, "cmdXcopy")->isEnabled());
    QVERIFY(Button(*window, "cmdReplace")->isEnabled());  // a copy leaves Replace as it was
  }

  // Stop in the middle of a replace over many files: the run ends early, other commands are
  // blocked while it goes, and every file holds either its old or its new text.
  void StopDuringReplaceLeavesEveryFileWhole() {
    constexpr int kFiles = 3000;
    const std::string old_text = "needle one\nneedle two\n";
    const std::string new_text = "pin one\npin two\n";
    WindowFixture fixture;
    for (int i = 0; i < kFiles; ++i) fixture.WriteData("f" + std::to_string(i) + ".txt", old_text);
    PointAtData(fixture);
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    window->show();
    QVERIFY(FindAll(*window, log, "needle"));
    QCOMPARE(window->results()->rowCount(), 2 * kFiles);
    window->findChild<QTableView*>("ListView1")->selectAll();
    SetReplaceText(*window, "pin");
    log.Clear();

    QTest::mouseClick(Button(*window, "cmdReplace"), Qt::LeftButton);
    QVERIFY(window->FileOpRunning());
    for (const char* name : {"cmdFind", "cmdReplace", "cmdRestore", "cmdCopy", "cmdXcopy"}) {
      QVERIFY2(!Button(*window, name)->isEnabled(), name);
    }
    // The command clears the stop request as it starts; stop once it is under way.
    (void)QTest::qWaitFor([&] { return Panel(*window, 1) == QStringLiteral("Start Replace"); });
    QTest::mouseClick(Button(*window, "cmdStop"), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return !window->FileOpRunning(); }, 20000));

    int changed = 0;
    for (int i = 0; i < kFiles; ++i) {
      const std::string text = Data(fixture, "f" + std::to_string(i) + ".txt");
      QVERIFY2(text == old_text || text == new_text, text.c_str());
      if (text == new_text) ++changed;
    }
    QCOMPARE(log.messages().size(), size_t{1});
    if (changed == kFiles) QSKIP("the replace ended before Stop reached it");
    QVERIFY(log.Transcript()[0].startsWith(
        QStringLiteral("Find Text: Replaced %1 / %2").arg(2 * changed).arg(2 * kFiles)));
    QVERIFY(Button(*window, "cmdFind")->isEnabled());
  }

  // Closing the window mid-command stops it and waits; nothing is reported afterwards.
  void ClosingDuringCopyStopsAndJoins() {
    WindowFixture fixture;
    for (int i = 0; i < 1500; ++i) fixture.WriteData("f" + std::to_string(i) + ".txt", "needle");
    QTemporaryDir copy;
    PointAtData(fixture, "CopyFolder=" + copy.path().toStdString() + "\n");
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    window->show();
    QVERIFY(FindAll(*window, log, "needle"));
    window->findChild<QTableView*>("ListView1")->selectAll();
    log.Clear();
    QTest::mouseClick(Button(*window, "cmdXcopy"), Qt::LeftButton);
    (void)QTest::qWaitFor([&] { return Panel(*window, 1) == QStringLiteral("Start Copy"); });
    const size_t at_close = log.messages().size();
    QVERIFY(window->close());
    QVERIFY(!window->FileOpRunning());
    QTest::qWait(100);
    QCOMPARE(log.messages().size(), at_close);
  }

 private:
  std::unique_ptr<QTemporaryDir> temp_;
};

}  // namespace quonder::testing

QTEST_MAIN(quonder::testing::FrmFindFileOpsTest)
#include "frm_find_file_ops_test.moc"
