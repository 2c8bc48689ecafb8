// Replace, Restore, Copy Files and Copy Folders driven through the real widgets on real files:
// what each command writes, asks and reports, the button states it leaves, Stop, closing
// mid-command, the backup folders of two windows, and a source folder changed since the find.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>

#include "app/result_model.h"
#include "core/fileops/file_common.h"
#include "frm_find_support.h"
#include "support/scratch_folder.h"

namespace quonder::testing {
namespace {

// A window on the fixture's data, shown, after a find for `text` (messages cleared).
std::unique_ptr<frmFind> FoundIn(const WindowFixture& fixture, MessageLog& log,
                                 const QString& text) {
  auto window = fixture.Open();
  if (window == nullptr) return nullptr;
  window->show();
  if (!FindAndWait(*window, log, text)) return nullptr;
  log.Clear();
  return window;
}

void SelectAll(frmFind& window) { Child<QTableView>(window, "ListView1")->selectAll(); }

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

// Types `text` into the line edit `name` and confirms it, as a user does.
void TypeInto(frmFind& window, const char* name, const std::string& text) {
  auto* box = Child<QLineEdit>(window, name);
  box->setFocus();
  box->clear();
  QTest::keyClicks(box, QString::fromStdString(text));
  QTest::keyClick(box, Qt::Key_Return);  // editingFinished: the field takes the text
}

// Clicks `button` and waits until the file command it started (if any) has ended.
bool RunCommand(frmFind& window, const char* button) {
  QTest::mouseClick(Button(window, button), Qt::LeftButton);
  return QTest::qWaitFor([&] { return !window.FileOpRunning(); }, 20000);
}

// How many entries /proc/self/`what` has ("fd": open files, "task": threads).
int ProcEntries(const char* what) {
  const auto folder = std::filesystem::path("/proc/self") / what;
  return static_cast<int>(std::distance(std::filesystem::directory_iterator(folder),
                                        std::filesystem::directory_iterator()));
}

}  // namespace

class FrmFindFileOpsTest : public QObject {
  Q_OBJECT

 private slots:
  // The backup folders live below TEMP: every test gets a TEMP of its own.
  void init() {
    temp_ = std::make_unique<QTemporaryDir>();
    qputenv("TEMP", temp_->path().toUtf8());
  }
  void cleanup() { temp_.reset(); }

  // Two of three hits in a.txt and the one in c.txt: written exactly there, CR LF and every
  // other byte kept; b.txt is never touched; d.txt changed after the find and is reported.
  void ReplaceChangesOnlyTheSelectedHits() {
    WindowFixture fixture;
    fixture.WriteData("a.txt", "foo bar foo\r\n\xc3\xa9 foo\r\n");
    fixture.WriteData("b.txt", "foo");
    fixture.WriteData("c.txt", "\xef\xbb\xbfxfoo\n");
    fixture.WriteData("d.txt", "two foo");
    fixture.PointAtData();
    MessageLog log;
    auto window = FoundIn(fixture, log, "foo");
    QVERIFY(window);
    QCOMPARE(Rows(*window->results()),
             (QStringList{"1|a.txt|1|1|foo|1", "2|a.txt|1|9|foo|9", "3|a.txt|2|3|foo|16",
                          "4|b.txt|1|1|foo|1", "5|c.txt|1|2|foo|2", "6|d.txt|1|5|foo|5"}));
    fixture.WriteData("d.txt", "second foo");  // the hit moved

    SelectRows(*window, {1, 3, 5, 6});
    SetReplaceText(*window, QString::fromUtf8("\xe6\x97\xa5Q"));
    QVERIFY(RunCommand(*window, "cmdReplace"));

    QCOMPARE(log.Transcript(), QStringList{"Find Text: Replaced 3 / 6\r\n1 file(s) left "
                                           "untouched: changed since the find."});
    QCOMPARE(log.messages()[0].style, 64);
    QCOMPARE(ContentsBelow(fixture.DataFolder()),
             std::string("a.txt=\xe6\x97\xa5Q bar foo\r\n\xc3\xa9 \xe6\x97\xa5Q\r\n\nb.txt=foo\n"
                         "c.txt=\xef\xbb\xbfx\xe6\x97\xa5Q\n\nd.txt=second foo\n"));

    QCOMPARE(Panel(*window, 1), QStringLiteral("Complete Replace"));
    QCOMPARE(Panel(*window, 5), QStringLiteral("4"));
    QCOMPARE(Enabled(*window), QStringLiteral("Find Copy Xcopy"));
    QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(window->focusWidget(), Child<QWidget>(*window, "ListView1"));
    QCOMPARE(fixture.Ini("FindSetting", "EnableRestore"), std::string("0"));
    QCOMPARE(fixture.Ini("ReplaceHistory", "0"), std::string("\xe6\x97\xa5Q"));

    // A new find over the changed files enables Replace again.
    QVERIFY(FindAndWait(*window, log, "foo"));
    QCOMPARE(Enabled(*window), QStringLiteral("Find Replace Copy Xcopy"));
  }

  // With Enable Restore: the backup holds the files as they were, Restore brings them back
  // (twice gives the same), and a later run without backup disables Restore.
  void BackupThenRestoreBringsTheFilesBack() {
    WindowFixture fixture;
    fixture.WriteData("a.txt", "alpha foo\r\n");
    fixture.WriteData("sub/b.txt", "foo foo");
    fixture.WriteData("c.txt", "foo, not selected");
    fixture.PointAtData("SubFolder=1\nEnableRestore=1\n");
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    window->show();
    QCOMPARE(Enabled(*window), QStringLiteral("Find Copy Xcopy"));  // no backup yet
    QVERIFY(FindAndWait(*window, log, "foo"));
    log.Clear();

    SelectRows(*window, {1, 3, 4});  // a.txt, both of sub/b.txt
    SetReplaceText(*window, "");     // an empty replacement deletes the hits
    QVERIFY(RunCommand(*window, "cmdReplace"));
    QCOMPARE(log.Transcript(), QStringList{"Find Text: Replaced 3 / 4"});
    const std::string before = "a.txt=alpha foo\r\n\nc.txt=foo, not selected\nsub/b.txt=foo foo\n";
    QCOMPARE(ContentsBelow(fixture.DataFolder()),
             std::string("a.txt=alpha \r\n\nc.txt=foo, not selected\nsub/b.txt= \n"));
    QCOMPARE(ContentsBelow(window->strBackupFolder),
             std::string("a.txt=alpha foo\r\n\nsub/b.txt=foo foo\n"));
    QCOMPARE(Enabled(*window), QStringLiteral("Find Restore Copy Xcopy"));
    QCOMPARE(fixture.Ini("FindSetting", "EnableRestore"), std::string("1"));

    for (int round = 0; round < 2; ++round) {
      QVERIFY(RunCommand(*window, "cmdRestore"));
      QCOMPARE(ContentsBelow(fixture.DataFolder()), before);
      QCOMPARE(Panel(*window, 1), QStringLiteral("Complete Undo"));
      QCOMPARE(Enabled(*window), QStringLiteral("Find Restore Copy Xcopy"));
    }
    QCOMPARE(log.messages().size(), size_t{1});  // Restore asks and tells nothing

    // Without Enable Restore the next run leaves Restore disabled.
    QTest::mouseClick(Child<QCheckBox>(*window, "chkEnableRestore"), Qt::LeftButton);
    QVERIFY(FindAndWait(*window, log, "foo"));
    SelectRows(*window, {2});
    QVERIFY(RunCommand(*window, "cmdReplace"));
    QCOMPARE(fixture.Data("c.txt"), std::string(", not selected"));
    QCOMPARE(Enabled(*window), QStringLiteral("Find Copy Xcopy"));
    QCOMPARE(fixture.Ini("FindSetting", "EnableRestore"), std::string("0"));

    const std::string backup = window->strBackupFolder;
    QVERIFY(window->close());
    QVERIFY(!FolderExists(backup));
  }

  // Two windows of one user each have a backup folder of their own, and neither takes a
  // "Quonder" that someone prepared in TEMP (here a link to a bait folder): one window's
  // Restore never writes the other's files, and closing one leaves the other's backup.
  void TwoWindowsKeepTheirBackupsApart() {
    QDir(temp_->path()).mkpath("bait");
    QVERIFY(QFile::link(temp_->path() + "/bait", temp_->path() + "/Quonder"));
    WindowFixture first, second;
    first.WriteData("a.txt", "first foo");
    second.WriteData("a.txt", "second foo");
    first.PointAtData("EnableRestore=1\n");
    second.PointAtData("EnableRestore=1\n");
    MessageLog log;
    auto one = FoundIn(first, log, "foo");
    auto two = FoundIn(second, log, "foo");
    QVERIFY(one && two);
    QVERIFY(one->strBackupFolder != two->strBackupFolder);
    for (frmFind* window : {one.get(), two.get()}) {
      SelectAll(*window);
      SetReplaceText(*window, "bar");
      QVERIFY(RunCommand(*window, "cmdReplace"));
    }
    QCOMPARE(first.Data("a.txt"), std::string("first bar"));
    QCOMPARE(second.Data("a.txt"), std::string("second bar"));

    QVERIFY(RunCommand(*one, "cmdRestore"));
    QCOMPARE(first.Data("a.txt"), std::string("first foo"));
    QCOMPARE(second.Data("a.txt"), std::string("second bar"));
    QVERIFY(ContentsBelow((temp_->path() + "/bait").toStdString()).empty());

    QVERIFY(one->close());
    QVERIFY(!FolderExists(one->strBackupFolder));
    QCOMPARE(ContentsBelow(two->strBackupFolder), std::string("a.txt=second foo\n"));
    QVERIFY(QFileInfo(temp_->path() + "/Quonder").isSymLink());
    // A window that goes without being closed (the program ends another way) removes its own.
    const std::string kept = two->strBackupFolder;
    two.reset();
    QVERIFY(!FolderExists(kept));
  }

  // Copy Files puts everything in one folder and counts collisions; Cancel copies nothing;
  // Copy Folders keeps the layout below the source folder; a copy folder that has vanished is
  // named as the reason of the failures.
  void CopyFilesFlatAndKeepingFolders() {
    WindowFixture fixture;
    fixture.WriteData("a.txt", "top foo");
    fixture.WriteData("sub/a.txt", "inner foo");
    fixture.WriteData("sub/b.txt", "foo b");
    QTemporaryDir flat;
    QTemporaryDir tree;
    const std::string flat_path = flat.path().toStdString();
    const std::string tree_path = tree.path().toStdString();
    WindowFixture::WriteFile(flat_path + "/b.txt", "old b");
    fixture.PointAtData("SubFolder=1\nCopyFolder=" + flat_path + "\n");
    MessageLog log(kIdCancel);
    auto window = FoundIn(fixture, log, "foo");
    QVERIFY(window);
    SelectAll(*window);

    QVERIFY(RunCommand(*window, "cmdCopy"));
    QCOMPARE(log.Transcript(),
             QStringList{"Find Text: Copying selected files to [Copy Folder].\r\nIt will "
                         "overwrite the files of same file name."});
    QCOMPARE(log.messages()[0].style, 33);
    QCOMPARE(ContentsBelow(flat_path), std::string("b.txt=old b\n"));

    log.Answer(kIdOk);
    QVERIFY(RunCommand(*window, "cmdCopy"));
    QCOMPARE(log.Transcript().last(),
             QStringLiteral("Find Text: Copied 3 / 3\r\n2 files are overwritten."));
    QCOMPARE(log.messages().back().style, 64);
    QCOMPARE(ContentsBelow(flat_path), std::string("a.txt=inner foo\nb.txt=foo b\n"));
    QCOMPARE(fixture.Ini("FindSetting", "CopyFolder"), flat_path);
    QCOMPARE(Panel(*window, 1), QStringLiteral("Complete Copy"));

    TypeInto(*window, "txtCopyFolder", tree_path);
    log.Clear();
    QVERIFY(RunCommand(*window, "cmdXcopy"));
    QCOMPARE(log.Transcript(),
             (QStringList{"Find Text: Copying selected files to [Copy Folder] keeping their "
                          "Directory structure.\r\nIt will overwrite the files of same file name.",
                          "Find Text: Copied 3 / 3\r\nNo files are overwritten."}));
    QCOMPARE(ContentsBelow(tree_path),
             std::string("a.txt=top foo\nsub/a.txt=inner foo\nsub/b.txt=foo b\n"));
    QCOMPARE(fixture.Ini("FindSetting", "CopyFolder"), tree_path);
    QCOMPARE(Enabled(*window), QStringLiteral("Find Replace Copy Xcopy"));  // Replace as it was

    QVERIFY(tree.remove());
    log.Clear();
    QVERIFY(RunCommand(*window, "cmdXcopy"));
    QCOMPARE(log.Transcript().last(),
             QStringLiteral("Find Text: Copied 0 / 3\r\nNo files are overwritten.\r\nFailed to "
                            "copy 3 files.\r\nThe folder %1 does not exist.")
                 .arg(tree.path()));
    QVERIFY(!QFileInfo::exists(tree.path()));
  }

  // Rows hold paths relative to Source Folder as it is now. Once it names another folder than
  // the one they were found in, Replace and the copies ask first (Restore: when it is not the
  // folder the backup came from), naming both; Cancel changes nothing, OK goes on there.
  void AChangedSourceFolderIsConfirmedFirst() {
    WindowFixture fixture;
    fixture.WriteData("jp2/utf8.txt", "foo in jp2");
    fixture.WriteData("jp/utf8.txt", "foo in jp");
    QTemporaryDir copy;
    const std::string jp2 = fixture.DataFolder() + "/jp2";
    const std::string jp = fixture.DataFolder() + "/jp";
    fixture.WriteIni("[FindSetting]\nSourceFolder=" + jp2 +
                     "\nEnableRestore=1\nCopyFolder=" + copy.path().toStdString() + "\n");
    MessageLog log(kIdCancel);
    auto window = FoundIn(fixture, log, "foo");
    QVERIFY(window);
    SelectAll(*window);
    SetReplaceText(*window, "bar");
    TypeInto(*window, "txtSourceFolder", jp);
    const QString question = "Find Text: The list was found in \"" + QString::fromStdString(jp2) +
                             "\",\r\nbut Source Folder is now \"" + QString::fromStdString(jp) +
                             "\".\r\n%1 \"" + QString::fromStdString(jp) + "\" all the same?";

    const char* const buttons[] = {"cmdReplace", "cmdCopy", "cmdXcopy"};
    const char* const actions[] = {"Replace in", "Copy from", "Copy from"};
    for (int i = 0; i < 3; ++i) {
      log.Clear();
      QVERIFY(RunCommand(*window, buttons[i]));
      QCOMPARE(log.Transcript(), QStringList{question.arg(actions[i])});
      QCOMPARE(log.messages()[0].style, 0x100 | 48 | 1);  // Cancel is the default
    }
    QCOMPARE(fixture.Data("jp/utf8.txt"), std::string("foo in jp"));
    QVERIFY(ContentsBelow(copy.path().toStdString()).empty());
    QCOMPARE(Enabled(*window), QStringLiteral("Find Replace Copy Xcopy"));
    QCOMPARE(fixture.Ini("ReplaceHistory", "0"), std::string("<missing>"));

    // Back in jp2 nothing is asked; the backup comes from there.
    TypeInto(*window, "txtSourceFolder", jp2);
    log.Answer(kIdOk);
    log.Clear();
    QVERIFY(RunCommand(*window, "cmdReplace"));
    QCOMPARE(log.Transcript(), QStringList{"Find Text: Replaced 1 / 1"});
    QCOMPARE(fixture.Data("jp2/utf8.txt"), std::string("bar in jp2"));

    TypeInto(*window, "txtSourceFolder", jp);
    log.Answer(kIdCancel);
    log.Clear();
    QVERIFY(RunCommand(*window, "cmdRestore"));
    QCOMPARE(
        log.Transcript(),
        QStringList{"Find Text: The backup was taken from \"" + QString::fromStdString(jp2) +
                    "\",\r\nbut Source Folder is now \"" + QString::fromStdString(jp) +
                    "\".\r\nRestore into \"" + QString::fromStdString(jp) + "\" all the same?"});
    QCOMPARE(fixture.Data("jp/utf8.txt"), std::string("foo in jp"));
    log.Answer(kIdOk);
    QVERIFY(RunCommand(*window, "cmdRestore"));
    QCOMPARE(fixture.Data("jp/utf8.txt"), std::string("foo in jp2"));  // as the user chose
  }

  // Stop while a replace over many files is held mid-run: the run ends after the row in hand,
  // other commands are blocked meanwhile, and every file holds either its old or its new text.
  void StopDuringReplaceLeavesEveryFileWhole() {
    constexpr int kFiles = 40;
    const std::string old_text = "needle one\nneedle two\n";
    const std::string new_text = "pin one\npin two\n";
    WindowFixture fixture;
    fixture.WriteDataFiles(kFiles, old_text);
    fixture.PointAtData();
    MessageLog log;
    auto window = FoundIn(fixture, log, "needle");
    QVERIFY(window);
    QCOMPARE(window->results()->rowCount(), 2 * kFiles);
    SelectAll(*window);
    SetReplaceText(*window, "pin");

    RunGate gate(*window, 12, RunGate::Worker::kFileOps);  // a few files into the loop
    QTest::mouseClick(Button(*window, "cmdReplace"), Qt::LeftButton);
    QTRY_VERIFY(gate.Reached());
    QVERIFY(window->FileOpRunning());
    QCOMPARE(Enabled(*window), QString());
    QTest::mouseClick(Button(*window, "cmdStop"), Qt::LeftButton);
    gate.Open();
    QTRY_VERIFY(!window->FileOpRunning());

    int changed = 0;
    for (int i = 0; i < kFiles; ++i) {
      const std::string text = fixture.Data("f" + std::to_string(i) + ".txt");
      QVERIFY2(text == old_text || text == new_text, text.c_str());
      if (text == new_text) ++changed;
    }
    QVERIFY2(changed > 0 && changed < kFiles, qPrintable(QString::number(changed)));
    QCOMPARE(log.messages().size(), size_t{1});
    QVERIFY(log.Transcript()[0].startsWith(
        QStringLiteral("Find Text: Replaced %1 / %2").arg(2 * changed).arg(2 * kFiles)));
    QCOMPARE(Enabled(*window), QStringLiteral("Find Copy Xcopy"));
  }

  // Find, Replace with backup, Restore and Copy Folders over and over: each cycle gives back
  // every thread it started and every file it opened.
  void RepeatedCommandsLeaveNoThreadsOrOpenFiles() {
    WindowFixture fixture;
    fixture.WriteDataFiles(20, "foo one\nfoo two\n");
    QTemporaryDir copy;
    fixture.PointAtData("EnableRestore=1\nCopyFolder=" + copy.path().toStdString() + "\n");
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    window->show();
    SetReplaceText(*window, "bar");
    const auto cycle = [&] {
      if (!FindAndWait(*window, log, "foo")) return false;
      SelectAll(*window);
      return RunCommand(*window, "cmdReplace") && RunCommand(*window, "cmdRestore") &&
             RunCommand(*window, "cmdXcopy");
    };
    QVERIFY(cycle());  // what Qt makes once, on first use, is there from now on
    const int threads = ProcEntries("task");
    const int files = ProcEntries("fd");
    for (int round = 0; round < 10; ++round) QVERIFY(cycle());
    QCOMPARE(fixture.Data("f7.txt"), std::string("foo one\nfoo two\n"));
    QCOMPARE(log.Transcript().last(),
             QStringLiteral("Find Text: Copied 40 / 40\r\n20 files are overwritten."));
    // A joined thread leaves /proc a moment after its join has returned.
    QTRY_COMPARE(ProcEntries("task"), threads);
    QCOMPARE(ProcEntries("fd"), files);
  }

  // Closing the window while Restore is held at its start: a restore is the way back and is
  // never cut short, so every file is restored before the window deletes the backup.
  void ClosingDuringRestoreFinishesIt() {
    constexpr int kFiles = 30;
    WindowFixture fixture;
    fixture.WriteDataFiles(kFiles, "foo");
    fixture.PointAtData("EnableRestore=1\n");
    MessageLog log;
    auto window = FoundIn(fixture, log, "foo");
    QVERIFY(window);
    SelectAll(*window);
    SetReplaceText(*window, "bar");
    QVERIFY(RunCommand(*window, "cmdReplace"));
    QCOMPARE(fixture.Data("f0.txt"), std::string("bar"));

    RunGate gate(*window, 1, RunGate::Worker::kFileOps);
    QTest::mouseClick(Button(*window, "cmdRestore"), Qt::LeftButton);
    QTRY_VERIFY(gate.Reached());
    const std::string backup = window->strBackupFolder;
    QVERIFY(window->close());
    QVERIFY(!window->FileOpRunning());
    for (int i = 0; i < kFiles; ++i)
      QCOMPARE(fixture.Data("f" + std::to_string(i) + ".txt"), std::string("foo"));
    QVERIFY(!FolderExists(backup));
  }

  // Stop (here Esc) or closing the window while a confirmed copy is held before its first file:
  // nothing is copied. After Stop the window is as before the command and the next copy is not
  // stopped by the old request; closing joins the copy, and what it queued is never shown.
  void StopOrCloseDuringCopyCopiesNothing_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("close");
    QTest::newRow("Copy Files, Stop") << "cmdCopy" << false;
    QTest::newRow("Copy Folders, Stop") << "cmdXcopy" << false;
    QTest::newRow("Copy Folders, close") << "cmdXcopy" << true;
  }
  void StopOrCloseDuringCopyCopiesNothing() {
    QFETCH(QString, button);
    QFETCH(bool, close);
    WindowFixture fixture;
    fixture.WriteDataFiles(5, "needle");
    QTemporaryDir copy;
    fixture.PointAtData("CopyFolder=" + copy.path().toStdString() + "\n");
    MessageLog log;
    auto window = FoundIn(fixture, log, "needle");
    QVERIFY(window);
    SelectAll(*window);
    {
      RunGate gate(*window, 1, RunGate::Worker::kFileOps);  // the copy's read, after the question
      QTest::mouseClick(Button(*window, qPrintable(button)), Qt::LeftButton);
      QTRY_VERIFY(gate.Reached());
      if (close) {
        QVERIFY(window->close());
        QVERIFY(!window->FileOpRunning());
        QCoreApplication::processEvents();
      } else {
        QTest::keyClick(window.get(), Qt::Key_Escape);
        gate.Open();
        QTRY_VERIFY(!window->FileOpRunning());
      }
    }
    QVERIFY(ContentsBelow(copy.path().toStdString()).empty());
    QCOMPARE(log.messages().size(),
             close ? size_t{1} : size_t{2});  // the question (and the summary)
    QVERIFY(log.Transcript()[0].startsWith("Find Text: Copying selected files to [Copy Folder]"));
    if (close) return;
    QCOMPARE(Enabled(*window), QStringLiteral("Find Replace Copy Xcopy"));
    QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(Panel(*window, 1), QStringLiteral("Complete Copy"));
    QVERIFY(RunCommand(*window, qPrintable(button)));
    QVERIFY(log.Transcript().last().startsWith("Find Text: Copied 5 / 5\r\n"));
  }

 private:
  std::unique_ptr<QTemporaryDir> temp_;
};

}  // namespace quonder::testing

QTEST_MAIN(quonder::testing::FrmFindFileOpsTest)
#include "frm_find_file_ops_test.moc"
