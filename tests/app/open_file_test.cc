// Opening a hit: the editor command as started (through a fake starter and through a real
// detached process), the desktop opener, and the line preview shown when hovering a row.
#include <QDesktopServices>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <optional>
#include <string>
#include <vector>

#include "app/editor_launcher.h"
#include "app/line_preview.h"
#include "app/shell_open.h"
#include "core/fileops/editor_command.h"

namespace quonder {
namespace {

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

// Receives the URLs that QDesktopServices would hand to the desktop.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  std::vector<QUrl> urls;

 public slots:
  void Open(const QUrl& url) { urls.push_back(url); }
};

class OpenFileTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { SetProcessStarter(nullptr); }

  void EditorGetsTheCommandOfTheRow_data() {
    QTest::addColumn<QString>("editor");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("default") << kDefaultEditor << "xdg-open"
                             << QStringList{"/data/src/sub dir/a.txt"};
    QTest::newRow("gedit") << "gedit +%L:%C %P"
                           << "gedit" << QStringList{"+12:5", "/data/src/sub dir/a.txt"};
    QTest::newRow("code") << "code -g %P:%L:%C"
                          << "code" << QStringList{"-g", "/data/src/sub dir/a.txt:12:5"};
    QTest::newRow("kate") << "kate --line %L --column %C %P"
                          << "kate"
                          << QStringList{"--line", "12", "--column", "5",
                                         "/data/src/sub dir/a.txt"};
    QTest::newRow("no placeholder") << "myeditor"
                                    << "myeditor" << QStringList{};
  }

  void EditorGetsTheCommandOfTheRow() {
    QFETCH(QString, editor);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QString started_program;
    QStringList started_arguments;
    SetProcessStarter([&](const QString& p, const QStringList& a) {
      started_program = p;
      started_arguments = a;
      return true;
    });
    qputenv("QUONDER_TEST_DATA", "/data");
    QVERIFY(OpenInEditor(editor.toStdString(), "%QUONDER_TEST_DATA%/src", "sub dir/a.txt", 12, 5));
    QCOMPARE(started_program, program);
    QCOMPARE(started_arguments, arguments);
    qunsetenv("QUONDER_TEST_DATA");
  }

  void NothingStartsForAnEmptyCommand() {
    int starts = 0;
    SetProcessStarter([&](const QString&, const QStringList&) { return ++starts, true; });
    QVERIFY(!OpenInEditor("", "/data", "a.txt", 1, 1));
    QVERIFY(!OpenInEditor("   ", "/data", "a.txt", 1, 1));
    QVERIFY(!OpenInEditor("\"\" %P", "/data", "a.txt", 1, 1));
    QCOMPARE(starts, 0);
  }

  // The real starter: the program runs detached and receives the path as one argument.
  void StartsTheProgramDetached() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString out = dir.filePath("args.txt");
    const QString script = dir.filePath("record editor.sh");
    WriteBytes(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" '" +
                           out.toUtf8() + "'\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const std::string editor = "\"" + script.toStdString() + "\" %P -l %L -c %C";
    QVERIFY(OpenInEditor(editor, dir.path().toStdString(), "it's \"quoted\".txt", 3, 14));
    QTRY_COMPARE(ReadBytes(out), dir.path().toUtf8() + "/it's \"quoted\".txt\n-l\n3\n-c\n14\n");

    QVERIFY(!OpenInEditor("/no/such/editor %P", "/data", "a.txt", 1, 1));
  }

  void ShellOpenHandsTheFileToTheDesktop() {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("file", &recorder, "Open");
    QVERIFY(ShellOpen("/tmp/a b/readme.txt"));
    QVERIFY(!ShellOpen(""));
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(recorder.urls.size(), size_t{1});
    QCOMPARE(recorder.urls[0].toLocalFile(), QString("/tmp/a b/readme.txt"));
  }

  // The tool tip is the hit's line read again in the run's charset, escaped, hit in bold; a
  // regular-expression hit is unescaped first. A tip never outlives the file: an edit after the
  // run says so, a missing file or an unknown charset gives no tip.
  void PreviewShowsTheLineAsTheFileHoldsIt() {
    QTemporaryDir dir;
    const std::string sjis = dir.filePath("sjis.txt").toStdString();
    // "<a> & あいう" then a line break, then "x" (Shift_JIS).
    WriteBytes(dir.filePath("sjis.txt"),
               QByteArray("first\r\n<a> & \x82\xa0\x82\xa2\x82\xa4 end\r\nx"));
    const std::string tabs = dir.filePath("tabs.txt").toStdString();
    WriteBytes(dir.filePath("tabs.txt"), "key\tvalue\\n\n");
    const std::string edited = dir.filePath("edited.txt").toStdString();
    WriteBytes(dir.filePath("edited.txt"), "alpha beta\n");
    LinePreviewer previewer;
    // "い" is the 15th character: f-i-r-s-t CR LF < a > blank & blank あ い.
    const QString tip = Tip(previewer, {sjis, "shift_jis", 15, u"\u3044", false});
    QVERIFY2(tip.contains(QString::fromUtf8("&lt;a&gt; &amp; \u3042<b")), qPrintable(tip));
    QVERIFY2(tip.contains(QString::fromUtf8(">\u3044</b>\u3046 end")), qPrintable(tip));
    QVERIFY(!tip.contains("first"));
    QVERIFY(!tip.contains("changed"));
    // Read as UTF-8 the same bytes do not hold the hit at that position.
    QVERIFY(Tip(previewer, {sjis, "utf-8", 15, u"\u3044", false}).contains("changed"));
    // The row shows the regular-expression hit "\t" + "value\" escaped.
    QVERIFY(Tip(previewer, {tabs, "utf-8", 4, u"\\tvalue\\\\", true})
                .contains("<b style='background-color:#ffe066;color:#000000'>    value\\</b>n"));

    QVERIFY(!Tip(previewer, {edited, "utf-8", 7, u"beta", false}).contains("changed"));
    WriteBytes(dir.filePath("edited.txt"), "alpha gamma delta\n");  // a different size
    QVERIFY(Tip(previewer, {edited, "utf-8", 7, u"beta", false}).contains("changed"));
    QCOMPARE(Tip(previewer, {edited, "utf-8", 99, u"beta", false}), QString());
    QCOMPARE(Tip(previewer, {edited, "no-such-charset", 7, u"g", false}), QString());
    QFile::remove(dir.filePath("edited.txt"));
    QCOMPARE(Tip(previewer, {edited, "utf-8", 7, u"g", false}), QString());
  }

 private:
  // The tip once it is made ("<not made>" when it does not come).
  static QString Tip(LinePreviewer& previewer, const LinePreviewer::Request& request) {
    std::optional<QString> tip = previewer.ToolTip(request);
    if (!tip) {
      QSignalSpy ready(&previewer, &LinePreviewer::ready);
      if (!ready.wait(10000)) return "<not made>";
      tip = previewer.ToolTip(request);
    }
    return tip.value_or("<not made>");
  }
};

}  // namespace quonder

QTEST_MAIN(quonder::OpenFileTest)
#include "open_file_test.moc"
