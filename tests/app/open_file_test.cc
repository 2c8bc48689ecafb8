// Opening a hit and the guide: the editor command as started (through a fake starter and
// through a real detached process) and named in the status bar when it cannot start, the
// desktop opener and Help > Help's own text window when that fails, and the line preview shown
// when hovering a row.
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/editor_launcher.h"
#include "app/help_window.h"
#include "app/line_preview.h"
#include "app/result_model.h"
#include "app/shell_open.h"
#include "frm_find_support.h"
#include "support/plain_user.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace {

using testing::ReadBytes;

// An executable script in `dir` that writes its arguments to `record` and exits `status`.
QString Script(const testing::ScratchFolder& dir, const std::string& record, int status) {
  return QString::fromStdString(testing::WriteScript(
      dir, "opener" + std::to_string(status) + ".sh",
      "printf '%s\\n' \"$@\" > '" + record + "'\nexit " + std::to_string(status)));
}

}  // namespace

class OpenFileTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    SetProcessStarter(nullptr);
    SetShellOpener(QString());
  }

  // How a template becomes words is the core's (tested there, and the window's use of the
  // starter with it); a command without a program starts nothing.
  void NothingStartsForAnEmptyCommand() {
    int starts = 0;
    SetProcessStarter([&](const QString&, const QStringList&) { return ++starts, true; });
    for (const char* editor : {"", "   ", "\"\" %P"})
      QVERIFY(!OpenInEditor(editor, "/d", "a", 1, 1));
    QCOMPARE(starts, 0);
  }

  // The real starter: the program runs detached and receives the path as one argument, byte
  // for byte even where the file's name is not UTF-8.
  void StartsTheProgramDetached() {
    testing::ScratchFolder dir;
    const std::string out = dir.Path("args.txt");
    const std::string script =
        testing::WriteScript(dir, "record editor.sh",
                             "printf '%s\\n' \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" '" + out + "'");
    const std::string editor = "\"" + script + "\" %P -l %L -c %C";
    QVERIFY(OpenInEditor(editor, dir.path(), "it's \"quoted\".txt", 3, 14));
    QTRY_COMPARE(ReadBytes(out), dir.path() + "/it's \"quoted\".txt\n-l\n3\n-c\n14\n");
    std::filesystem::remove(out);
    QVERIFY(OpenInEditor(editor, dir.path(), "caf\xE9.txt", 1, 1));
    QTRY_COMPARE(ReadBytes(out), dir.path() + "/caf\xE9.txt\n-l\n1\n-c\n1\n");

    QVERIFY(!OpenInEditor("/no/such/editor %P", "/data", "a.txt", 1, 1));
  }

  // A folder whose name is not UTF-8 goes to the opener as a file URL that keeps its bytes.
  void OpenableNamesKeepTheBytes() {
    QCOMPARE(OpenableName("/tmp/a b/caf\xC3\xA9"), QString::fromUtf8("/tmp/a b/caf\xC3\xA9"));
    QCOMPARE(OpenableName("/tmp/a b/caf\xE9"), QStringLiteral("file:///tmp/a%20b/caf%E9"));
  }

  // The opener gets the path; only a failure to start it or a non-zero status is a failure.
  void ShellOpenReportsHowTheOpenerEnded() {
    testing::ScratchFolder dir;
    const std::string record = dir.Path("args.txt");
    const QString missing = QString::fromStdString(dir.Path("no-such-opener"));
    struct Case {
      QString opener;
      QString done;
    };
    const Case cases[] = {
        {Script(dir, record, 0), QString()},
        {Script(dir, record, 3), Script(dir, record, 3) + " ended with status 3"},
        {missing, missing + " could not be started"},
    };
    for (const Case& c : cases) {
      SetShellOpener(c.opener);
      QFile::remove(QString::fromStdString(record));
      QObject context;
      std::vector<QString> done;
      ShellOpen("/tmp/a b/readme.txt", &context,
                [&done](const QString& why) { done.push_back(why); });
      QTRY_COMPARE(done.size(), size_t{1});
      QVERIFY2(done[0].startsWith(c.done) && done[0].isEmpty() == c.done.isEmpty(),
               qPrintable(done[0]));
      if (!c.opener.contains("no-such"))
        QCOMPARE(ReadBytes(record), std::string("/tmp/a b/readme.txt\n"));
    }
  }

  // F1 hands the guide to the desktop; when the desktop cannot open it, our own read-only
  // window shows it; a guide that is missing is named in a message. An editor that cannot be
  // started is named in status panel 1, and the focus stays put.
  void HelpAndEditorThatCannotStart() {
    testing::WindowFixture fixture;
    testing::MessageLog log;
    const std::string readme = fixture.ProgramFolder() + "/readme.txt";
    testing::WindowFixture::WriteFile(readme, "The guide.\n");
    fixture.WriteData("a.txt", "hit");
    fixture.PointAtData("Editor=no-such-editor-quonder +%L %P\n");
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(testing::ShowSettled(*window));
    testing::ScratchFolder dir;
    const std::string record = dir.Path("args.txt");

    SetShellOpener(Script(dir, record, 0));
    QTest::keyClick(window.get(), Qt::Key_F1);
    QTRY_COMPARE(ReadBytes(record), readme + "\n");

    SetShellOpener(QString::fromStdString(dir.Path("no-such-opener")));
    window->findChild<QAction*>("mnuHelpHelp")->trigger();
    HelpWindow* help = nullptr;
    QTRY_VERIFY((help = window->findChild<HelpWindow*>()) != nullptr && help->isVisible());
    auto* text = help->findChild<QPlainTextEdit*>("txtHelp");
    QCOMPARE(text->toPlainText(), QString("The guide.\n"));
    QVERIFY(text->isReadOnly());
    QVERIFY(help->findChild<QLabel*>("lblReason")->text().contains("no-such-opener"));
    help->close();
    SetShellOpener(Script(dir, record, 4));
    window->findChild<QAction*>("mnuHelpHelp")->trigger();
    QTRY_VERIFY(help->isVisible());
    QCOMPARE(window->findChildren<HelpWindow*>().size(), 1);
    QVERIFY(log.messages().empty());

    QFile::remove(QString::fromStdString(readme));
    window->findChild<QAction*>("mnuHelpHelp")->trigger();
    QCOMPARE(log.Transcript(), QStringList{"Find Text Alarm: The help file was not found: " +
                                           QString::fromStdString(readme)});

    QVERIFY(testing::FindAndWait(*window, log, "hit"));
    auto* find = window->findChild<QComboBox*>("cboFind");
    auto* list = window->findChild<QTableView*>("ListView1");
    QCOMPARE(list->model()->rowCount(), 1);
    list->setCurrentIndex(list->model()->index(0, 0));
    find->setFocus();
    window->findChild<QPushButton*>("cmdOpen")->click();
    const QString failure("Cannot start the editor \"no-such-editor-quonder\": not found");
    QCOMPARE(testing::Panel(*window, 1), failure);
    // The panel shows the start of a long message; its tool tip holds all of it.
    QCOMPARE(window->findChild<QLabel*>("stbPanel1")->toolTip(), failure);
    QCOMPARE(window->focusWidget(), find);
  }

  // The tool tip is the hit's line read again in the run's charset, escaped, hit in bold (a
  // regular-expression hit unescaped); it never outlives the file: an edit after the run says
  // so.
  void PreviewShowsTheLineOfTheHitAsTheFileIsNow() {
    testing::ScratchFolder dir;
    // "<a> & あいう" then a line break, then "x" (Shift_JIS).
    const std::string sjis =
        dir.Write("sjis.txt", "first\r\n<a> & \x82\xa0\x82\xa2\x82\xa4 end\r\nx");
    LinePreviewer previewer;
    // "い" is the 15th character: f-i-r-s-t CR LF < a > blank & blank あ い.
    QString tip = Tip(previewer, {sjis, "shift_jis", 15, u"\u3044", false});
    QVERIFY2(tip.contains(QString::fromUtf8("&lt;a&gt; &amp; \u3042<b")), qPrintable(tip));
    QVERIFY2(tip.contains(QString::fromUtf8(">\u3044</b>\u3046 end")), qPrintable(tip));
    QVERIFY(!tip.contains("first"));
    QVERIFY(!tip.contains("changed"));
    // Read as UTF-8 the same bytes do not hold the hit at that position.
    QVERIFY(Tip(previewer, {sjis, "utf-8", 15, u"\u3044", false}).contains("changed"));

    // The row shows the regular-expression hit "\t" + "value\" escaped.
    const std::string path = dir.Write("a.txt", "key\tvalue\\n\n");
    tip = Tip(previewer, {path, "utf-8", 4, u"\\tvalue\\\\", true});
    QVERIFY2(tip.contains("<b style='background-color:#ffe066;color:#000000'>    value\\</b>n"),
             qPrintable(tip));
    QVERIFY2(!tip.contains("changed"), qPrintable(tip));

    // Rewritten with the same size and its old modification time put back (as a copy that
    // keeps times does): read again, not taken from the tips made.
    struct stat before;
    QCOMPARE(stat(path.c_str(), &before), 0);
    dir.Write("a.txt", "key\tVALUE\\n\n");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    QCOMPARE(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    QVERIFY(Tip(previewer, {path, "utf-8", 4, u"\\tvalue\\\\", true}).contains("changed"));

    dir.Write("a.txt", "key gamma delta\n");  // a different size: read again
    QVERIFY(Tip(previewer, {path, "utf-8", 4, u"\\tvalue\\\\", true}).contains("changed"));
  }

  // A line that cannot be shown gets a tip that says why, never an empty one. Copy Line then
  // leaves the clipboard as it was and says the same in status panel 1 (a file's state after
  // the run, as the window meets it; a run in a charset that cannot be had finds nothing).
  void PreviewSaysWhyItShowsNoLine() {
    testing::WindowFixture fixture;
    testing::MessageLog log;
    fixture.PointAtData();
    for (const char* name : {"a.txt", "changed.txt", "gone.txt", "folder.txt", "locked.txt"})
      fixture.WriteData(name, "key gamma delta\n");
    const struct {
      const char* file;
      const char* charset;
      QString tip;
      QString why;  // Copy Line's reason
    } cases[] = {
        {"changed.txt", "utf-8", "The file has changed since the find run.",
         "the file has changed since the find run"},
        {"a.txt", "no-such-charset",
         "Cannot read the file: Unknown charset &quot;no-such-charset&quot;.",
         "Unknown charset \"no-such-charset\""},
        {"gone.txt", "utf-8", "Cannot read the file: No such file or directory.",
         "No such file or directory"},
        {"folder.txt", "utf-8", "Cannot read the file: not a regular file.", "not a regular file"},
        {"locked.txt", "utf-8", "Cannot read the file: Permission denied.", "Permission denied"},
    };
    testing::PlainUserScope plain_user;
    QVERIFY(plain_user.active());
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(testing::ShowSettled(*window));
    QVERIFY(testing::FindAndWait(*window, log, "gamma"));
    const QStringList rows = testing::Rows(*window->results());
    QCOMPARE(rows.size(), 5);
    const std::string data = fixture.DataFolder();
    fixture.WriteData("changed.txt", "k\n");
    QVERIFY(std::filesystem::remove(data + "/gone.txt"));
    QVERIFY(std::filesystem::remove(data + "/folder.txt"));
    QVERIFY(std::filesystem::create_directory(data + "/folder.txt"));
    QCOMPARE(chmod((data + "/locked.txt").c_str(), 0), 0);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("as it was"));

    LinePreviewer previewer;
    for (const auto& failed : cases) {
      const std::string path = data + "/" + failed.file;
      LinePreviewer::Request request{path, failed.charset, 5, u"gamma", false};
      QCOMPARE(Tip(previewer, request), "<p><i>" + failed.tip + "</i></p>");
      request.whole_line = true;
      QString why;
      QCOMPARE(Tip(previewer, request, &why), QString());
      QCOMPARE(why, failed.why);
      if (std::string_view(failed.charset) != "utf-8") continue;
      const auto row = std::find_if(rows.begin(), rows.end(), [&](const QString& shown) {
        return shown.section('|', 1, 1) == failed.file;
      });
      QVERIFY(row != rows.end());
      testing::ChooseFromListMenu(*window, static_cast<int>(row - rows.begin()), "Copy Line");
      const QString message =
          "Cannot copy the line of \"" + QString::fromStdString(path) + "\": " + failed.why;
      QTRY_COMPARE(testing::Panel(*window, 1), message);
      QCOMPARE(window->findChild<QLabel*>("stbPanel1")->toolTip(), message);
      QCOMPARE(clipboard->text(), QStringLiteral("as it was"));
    }
  }

  // Copy Line takes the whole line, which in a minified or generated file can be megabytes:
  // a whole line is handed out and not kept, so copying the lines of many rows on one long line
  // does not pile them up.
  void WholeLinesAreNotKept() {
    testing::ScratchFolder dir;
    constexpr int kLineChars = 4 << 20;
    const std::string path = dir.Write("long.txt", std::string(kLineChars, 'x') + "\n");
    LinePreviewer previewer;
    const auto held = [] {
      const struct mallinfo2 info = mallinfo2();
      return info.uordblks + info.hblkhd;
    };
    const size_t before = held();
    for (int64_t pointer = 1; pointer <= 8; ++pointer) {
      QCOMPARE(Tip(previewer, {path, "utf-8", pointer, u"x", false, true}).size(), kLineChars);
    }
    const size_t after = held();
    QVERIFY2(after < before + kLineChars, qPrintable(QString::number((after - before) >> 20)));
  }

 private:
  // The tip once it is made ("<not made>" when it does not come), and why it shows no line.
  static QString Tip(LinePreviewer& previewer, const LinePreviewer::Request& request,
                     QString* why = nullptr) {
    std::optional<QString> tip = previewer.Text(request, why);
    if (!tip) {
      QSignalSpy ready(&previewer, &LinePreviewer::ready);
      if (!ready.wait(10000)) return "<not made>";
      tip = previewer.Text(request, why);
    }
    return tip.value_or("<not made>");
  }
};

}  // namespace quonder

QTEST_MAIN(quonder::OpenFileTest)
#include "open_file_test.moc"
