// Start-up of the main window: the settings file or folder it is given, the defaults
// without a file, a prepared file (values, legacy keys, bad values), settings files that cannot
// be read or written, the locale, the designed layout and the failed start.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <cstdio>
#include <map>
#include <tuple>

#include "app/frm_about.h"
#include "app/result_model.h"
#include "app/twips.h"
#include "core/fileops/file_common.h"
#include "core/fileops/private_folder.h"
#include "frm_find_support.h"
#include "support/comma_locale.h"
#include "support/plain_user.h"
#include "support/scoped_env.h"
#include "support/scratch_folder.h"

namespace quonder::testing {
namespace {

QString CheckState(const frmFind& window, const QString& name) {
  const Qt::CheckState state = Child<QCheckBox>(window, qPrintable(name))->checkState();
  return state == Qt::Checked ? "1" : state == Qt::PartiallyChecked ? "2" : "0";
}

QString LineFeed(const frmFind& window) {
  QString checked;
  for (const char* name : {"optCrLf", "optCr", "optLf"}) {
    if (Child<QRadioButton>(window, name)->isChecked()) checked += QString::fromLatin1(name);
  }
  return checked + "/" +
         QString::fromLatin1(QByteArray::fromStdString(window.strLineFeedCode).toPercentEncoding());
}

QString ColumnTwips(const frmFind& window) {
  const auto* list = Child<QTableView>(window, "ListView1");
  TwipsScale twips(window);
  QStringList widths;
  for (int column = 0; column < 6; ++column) {
    widths << QString::number(qRound(twips.ToTwipsX(list->columnWidth(column))));
  }
  return widths.join(',');
}

// Column widths in twips as the list can hold them: each goes through whole pixels.
QString ThroughPixels(const frmFind& window, const QString& twips_list) {
  const TwipsScale twips(window);
  QStringList widths;
  for (const QString& width : twips_list.split(',')) {
    widths << QString::number(qRound(twips.ToTwipsX(twips.ToPixelsX(width.toInt()))));
  }
  return widths.join(',');
}

// What a test reads off the window, by name: a check box and a history box by their own.
QString Probe(const frmFind& w, const QString& name) {
  const auto text = [&w](const char* box) { return Child<QLineEdit>(w, box)->text(); };
  const auto str = [](const std::string& value) { return QString::fromStdString(value); };
  if (name.startsWith("cbo")) return Items(*Child<QComboBox>(w, qPrintable(name))).join('|');
  if (name == "chkIgnoreCase") return CheckState(w, name) + "/" + QString::number(w.lngCompareMode);
  if (name == "chkWordOnly") {
    return CheckState(w, name) +
           (Child<QLineEdit>(w, "txtSeparator")->isEnabled() ? "/on" : "/off");
  }
  if (name.startsWith("chk")) return CheckState(w, name);
  if (name == "sourceFolder") return text("txtSourceFolder") + "/" + str(w.strSourceFolder);
  if (name == "copyFolder") return str(w.strCopyFolder);
  if (name == "separator") return text("txtSeparator");
  if (name == "maxSize") return text("txtMaxSize") + "/" + QString::number(w.lngMaxSize);
  if (name == "extBehavior") {
    return Child<QComboBox>(w, "cboExtBehavior")->currentText() + "/" +
           QString::number(w.lngExtBehavior);
  }
  if (name == "coding") {
    const auto* box = Child<QComboBox>(w, "cboCoding");
    return str(w.strCoding) + "/" + QString::number(box->currentIndex()) + "/" + box->toolTip();
  }
  if (name == "lineFeed") return LineFeed(w);
  if (name == "editor") return str(w.strEditor);
  if (name == "windowWidth") {
    return QString::number(qRound(TwipsScale(w).ToTwipsX(w.frameGeometry().width())));
  }
  if (name == "columns") return ColumnTwips(w);
  return "<no probe " + name + ">";
}

// Everything written to standard error while alive.
class StderrCapture {
 public:
  StderrCapture() : saved_(::dup(2)) {
    std::fflush(stderr);
    const int fd = ::open(scratch_.Path("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, 2);
    ::close(fd);
  }
  ~StderrCapture() { Text(); }
  std::string Text() {
    if (saved_ >= 0) {
      std::fflush(stderr);
      ::dup2(saved_, 2);
      ::close(saved_);
      saved_ = -1;
    }
    return scratch_.Read("err");
  }

 private:
  ScratchFolder scratch_;
  int saved_;
};

}  // namespace

class FrmFindStartTest : public QObject {
  Q_OBJECT

 private slots:
  // The first start on a Linux desktop: settings that find what a new user expects.
  void FirstStartWithoutSettingsFile() {
    WindowFixture fixture;
    fixture.WriteData("notes.txt", "first line\nthe word\n");
    ScopedEnv home("HOME", fixture.DataFolder());
    // An editor that goes to the hit on PATH (which one wins is the core's choice).
    ScratchFolder bin;
    WriteScript(bin, "kate", "exit 0");
    ScopedEnv path("PATH", "/nonexistent:" + bin.path());
    const std::string editor = "kate --line %L --column %C %P";
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    const QString data = QString::fromStdString(fixture.DataFolder());
    // The defaults themselves are the settings model's; these are the window's own.
    const std::map<QString, QString> expected = {{"sourceFolder", data + "/" + data},
                                                 {"copyFolder", data},
                                                 {"cboFind", ""},
                                                 {"chkWordOnly", "0/off"},
                                                 {"extBehavior", "Exclude/1"},
                                                 {"coding", "utf-8/42/Set 42"},
                                                 {"lineFeed", "optLf/%0A"},
                                                 {"editor", QString::fromStdString(editor)},
                                                 {"columns", "600,4200,810,810,2100,900"}};
    for (const auto& [probe, value] : expected) {
      // Column widths go through whole pixels at the window's scale.
      QCOMPARE(Probe(*window, probe),
               probe == QStringLiteral("columns") ? ThroughPixels(*window, value) : value);
    }
    QCOMPARE(window->strIniFile, fixture.IniFile());
    QVERIFY(window->strBackupFolder.starts_with(BuildPath(TempFolder(), "Quonder")));
    QVERIFY(IsPrivateFolder(window->strBackupFolder));
    QCOMPARE(Child<QComboBox>(*window, "cboCoding")->count(), kCodeSetEntries);
    QCOMPARE(Enabled(*window), QStringLiteral("Find Copy Xcopy"));
    QVERIFY(log.messages().empty());
    // The editor chosen at the first start is stored, so the user sees what is used; the
    // stored choice stays, whatever PATH holds later.
    QCOMPARE(fixture.Ini("FindSetting", "Editor"), editor);
    ScopedEnv no_path("PATH", "");
    QCOMPARE(fixture.Open()->strEditor, editor);

    QVERIFY(ShowSettled(*window));
    QCOMPARE(window->focusWidget(), Child<QWidget>(*window, "cboFind"));
    // The size is written once the window's changes of size have settled.
    QTRY_COMPARE(QString::fromStdString(fixture.Ini("Status", "WindowSize")).split(',').size(), 4);
    const QStringList size = QString::fromStdString(fixture.Ini("Status", "WindowSize")).split(',');
    QCOMPARE(size[2], QStringLiteral("9795"));
    QVERIFY(size[3].toInt() >= window->lngMinHeight);
    QCOMPARE(fixture.Ini("Status", "ColsWidth"), std::string("600,4200,810,810,2100,900"));

    // The first find: every file (an empty list excludes nothing), hits on their real lines.
    QVERIFY(FindAndWait(*window, log, "word"));
    QCOMPARE(log.Transcript().last(), QStringLiteral("Find Text: Found from 1 Files."));
    QCOMPARE(Rows(*window->results()), QStringList{"1|notes.txt|2|5|word|16"});
    QCOMPARE(fixture.Ini("FindSetting", "ExtBehavior"), std::string("1"));
  }

  // A file with every key set, the old Windows defaults (CR LF, Include) among them: they
  // are kept.
  void PreparedSettingsFile() {
    WindowFixture fixture;
    fixture.WriteIni(
        "; kept by hand\n[FindSetting]\nSourceFolder=C:\\\\data\\\\new\nCopyFolder=%HOME%/copies\n"
        "FindHistoryCnt=2\nUseRegExp=1\nIgnoreCase=1\nWordOnly=1\nSeparator=;:\n"
        "Editor=kate --line %L --column %C %P\nSubFolder=1\nMaxSize=1000\nExtBehavior=0\n"
        "Coding=shift_jis\nLineFeedCode=\\r\\n\nEnableRestore=1\n"
        "[FindHistory]\n0=\" lead\"\n1=\"b\"\n2=\"c\"\n[ReplaceHistory]\n0=\"r1\"\n"
        "[ExtentionsHistory]\n0=\"txt;md\"\n1=\"cc\"\n"
        "[Status]\nColsWidth=600,99999,810,810,2100,900\n");
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    // 99999 is not below the list's width: the column gets a sixth of it.
    const int list_twips =
        qRound(TwipsScale(*window).ToTwipsX(Child<QTableView>(*window, "ListView1")->width()));
    const std::map<QString, QString> expected = {
        {"sourceFolder", "C:\\data\\new/C:\\data\\new"},
        {"copyFolder", "%HOME%/copies"},
        // Capacity 2: two entries and no empty item; the leading space survives.
        {"cboFind", " lead|b"},
        {"cboReplace", "r1|"},
        {"cboExtentions", "txt;md|cc|"},
        {"chkRegExp", "1"},
        {"chkIgnoreCase", "1/1"},
        {"chkWordOnly", "1/on"},
        {"chkSubFolder", "1"},
        {"chkEnableRestore", "1"},
        {"separator", ";:"},
        {"maxSize", "0.9765625/1000"},
        {"extBehavior", "Include/0"},
        {"coding", "shift_jis/0/Set 0"},
        {"lineFeed", "optCrLf/%0D%0A"},
        {"editor", "kate --line %L --column %C %P"},
        {"columns",
         ThroughPixels(*window, QString("600,%1,810,810,2100,900").arg(list_twips / 6))}};
    for (const auto& [probe, value] : expected) QCOMPARE(Probe(*window, probe), value);
    QCOMPARE(Child<QComboBox>(*window, "cboFind")->currentText(), QStringLiteral(" lead"));
    QVERIFY(log.messages().empty());
    QVERIFY(
        QString::fromStdString(fixture.ReadFile(fixture.IniFile())).startsWith("; kept by hand"));
  }

  // How an old single text moves into its history is the settings model's; here each box
  // gets its own key.
  void LegacyKeysBecomeHistories() {
    WindowFixture fixture;
    fixture.WriteIni("[FindSetting]\nFind=abc\nReplace=  xyz\nExtentions=txt;htm\n");
    auto window = fixture.Open();
    QVERIFY(window);
    QCOMPARE(Child<QComboBox>(*window, "cboFind")->currentText(), QStringLiteral("abc"));
    QCOMPARE(Child<QComboBox>(*window, "cboReplace")->currentText(), QStringLiteral("xyz"));
    QCOMPARE(Child<QComboBox>(*window, "cboExtentions")->currentText(), QStringLiteral("txt;htm"));
    QCOMPARE(fixture.Ini("ExtentionsHistory", "0"), std::string("txt;htm"));
  }

  void BadValuesFallBack_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("probe");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const char* section, const char* key, const char* value,
                  const char* probe, const char* expected) {
      QTest::newRow(name) << section << key << QString::fromUtf8(value) << probe
                          << QString::fromUtf8(expected);
    };
    // How a value falls back is the settings model's (tested there); these rows are what the
    // window makes of its values.
    row("regexp greyed", "FindSetting", "UseRegExp", "2", "chkRegExp", "2");
    row("ignore case greyed is not on", "FindSetting", "IgnoreCase", "2", "chkIgnoreCase", "2/0");
    row("size fraction of a kB", "FindSetting", "MaxSize", "512", "maxSize", "0.5/512");
    row("coding differs in case", "FindSetting", "Coding", "UTF-8", "coding", "utf-8/-1/");
    row("coding of a later entry", "FindSetting", "Coding", "utf-16le", "coding",
        "utf-16le/43/Set 43");
    row("line feed CR", "FindSetting", "LineFeedCode", "\\r", "lineFeed", "optCr/%0D");
    // A width left as designed (9450) is still below the minimum of the find frame + 90.
    row("width not below the screen", "Status", "WindowSize", ",,999999,6120", "windowWidth",
        "9465");
    row("width zero", "Status", "WindowSize", "0,0,0,6120", "windowWidth", "9465");
    row("width applied", "Status", "WindowSize", "abc,,10200", "windowWidth", "10200");
    row("columns unreadable fields", "Status", "ColsWidth", "700,abc,810,,2100,-5", "columns",
        "700,4200,810,810,2100,SIXTH");
  }

  void BadValuesFallBack() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, probe);
    QFETCH(QString, expected);
    WindowFixture fixture;
    fixture.WriteIni("[" + section.toStdString() + "]\n" + key.toStdString() + "=" +
                     value.toStdString() + "\n");
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    const int list_twips =
        qRound(TwipsScale(*window).ToTwipsX(Child<QTableView>(*window, "ListView1")->width()));
    expected.replace("SIXTH", QString::number(list_twips / 6));
    if (probe == "columns" || probe == "windowWidth") expected = ThroughPixels(*window, expected);
    QCOMPARE(Probe(*window, probe), expected);
    QVERIFY(log.messages().empty());
  }

  // A folder named on the command line fills Source Folder for this window; the settings file
  // is the default one, and it keeps its own folder until Find stores the conditions.
  void FolderOnCommandLine() {
    WindowFixture fixture;
    fixture.WriteData("notes.txt", "the word\n");
    const std::string ini = "[FindSetting]\nSourceFolder=/from/the/file\nEditor=true %P\n";
    fixture.WriteIni(ini);
    MessageLog log;
    auto window = fixture.Open({fixture.DataFolder()});
    QVERIFY(window);
    const QString data = QString::fromStdString(fixture.DataFolder());
    QCOMPARE(window->strIniFile, fixture.IniFile());
    QCOMPARE(Probe(*window, "sourceFolder"), data + "/" + data);
    QCOMPARE(fixture.ReadFile(fixture.IniFile()), ini);
    QVERIFY(ShowSettled(*window));
    QCOMPARE(fixture.Ini("FindSetting", "SourceFolder"), std::string("/from/the/file"));

    QVERIFY(FindAndWait(*window, log, "word"));
    QCOMPARE(Rows(*window->results()), QStringList{"1|notes.txt|1|5|word|5"});
    QCOMPARE(fixture.Ini("FindSetting", "SourceFolder"), fixture.DataFolder());
  }

  // A document given as the settings file (a file manager's "Open With" on notes) is not
  // used: the window starts on the default settings file, and the document keeps its bytes
  // through the start, a find (which stores the conditions) and the close.
  void DocumentNamedAsSettingsFileIsLeftAlone() {
    WindowFixture fixture;
    fixture.WriteData("hit.txt", "the word\n");
    fixture.PointAtData();
    ScratchFolder documents;
    const std::string prose = "Notes for May.\r\nThe plan: x = 2, then call Ann.\r\n";
    const std::string notes = documents.Write("notes.txt", prose);
    MessageLog log;
    auto window = fixture.Open({notes});
    QVERIFY(window);
    QCOMPARE(window->strIniFile, fixture.IniFile());
    QCOMPARE(window->strSourceFolder, fixture.DataFolder());
    QVERIFY(ShowSettled(*window));
    QVERIFY(FindAndWait(*window, log, "word"));
    QCOMPARE(Rows(*window->results()), QStringList{"1|hit.txt|1|5|word|5"});
    QCOMPARE(fixture.Ini("FindHistory", "0"), std::string("word"));
    QVERIFY(window->close());
    window.reset();
    QCOMPARE(documents.Read("notes.txt"), prose);
  }

  // The file named on the command line wins; without one, a program folder that cannot hold
  // it sends it to the user's configuration folder, made at the first write; the About window
  // names the file in use.
  void SettingsFileInUse() {
    WindowFixture fixture;
    const std::string named = fixture.DataFolder() + "/my settings.ini";
    fixture.WriteFile(named, "[FindSetting]\nSourceFolder=/from/the/file\n");
    auto window = fixture.Open({named});
    QVERIFY(window);
    QCOMPARE(window->strIniFile, named);
    QCOMPARE(window->strSourceFolder, std::string("/from/the/file"));

    const std::string config_file = fixture.ConfigHome() + "/quonder/Quonder.ini";
    QVERIFY(::chmod(fixture.ProgramFolder().c_str(), 0555) == 0);
    {
      PlainUserScope plain_user;
      QVERIFY(plain_user.active());
      window = fixture.Open();
    }
    ::chmod(fixture.ProgramFolder().c_str(), 0755);
    QVERIFY(window);
    QCOMPARE(window->strIniFile, config_file);
    // The first write (the editor chosen at the first start) made the folder, private.
    QVERIFY(WindowFixture::ReadFile(config_file).find("\nEditor=") != std::string::npos);
    struct stat st;
    QVERIFY(::stat((fixture.ConfigHome() + "/quonder").c_str(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, 0700u);
    QVERIFY(!FileExists(fixture.IniFile()));

    window->findChild<QAction*>(QStringLiteral("mnuHelpQuonder"))->trigger();
    auto* about = window->findChild<frmAbout*>();
    QVERIFY(about);
    auto* line = about->findChild<QLabel*>(QStringLiteral("lblSettingsFile"));
    QCOMPARE(line->toolTip(), QString::fromStdString(config_file));
    QVERIFY(line->text().startsWith(QStringLiteral("Settings: ")));
    about->close();
  }

  // A settings path may name anything: the start never hangs, nothing is replaced, and a
  // failure is told once (status panel 1 and standard error), not once per key.
  void SettingsFileThatCannotBeUsed_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("told");
    QTest::newRow("FIFO") << "fifo"
                          << "Settings not read: Cannot read";
    QTest::newRow("read-only") << "read-only"
                               << "Settings not saved: Cannot write";
  }

  void SettingsFileThatCannotBeUsed() {
    QFETCH(QString, kind);
    QFETCH(QString, told);
    WindowFixture fixture;
    const std::string file = fixture.IniFile();
    if (kind == "fifo") {
      QVERIFY(::mkfifo(file.c_str(), 0600) == 0);
    } else {
      fixture.WriteIni("[FindSetting]\nMaxSize=2048\n");
      if (kind == "read-only") QVERIFY(::chmod(file.c_str(), 0444) == 0);
    }
    // The file's identity, mode, size and time: it is neither replaced nor touched.
    const auto stat_of = [&file] {
      struct stat st {};
      ::stat(file.c_str(), &st);
      return std::tuple(st.st_ino, st.st_mode, st.st_size, st.st_mtim.tv_nsec);
    };
    const auto before = stat_of();
    QVERIFY(std::get<0>(before) != 0);
    ScopedEnv home("HOME", fixture.DataFolder());  // the source folder without settings
    MessageLog log;
    StderrCapture err;
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(Panel(*window, 1).startsWith(told));
    QVERIFY(ShowSettled(*window));
    QVERIFY(FindAndWait(*window, log, "x"));
    window->resize(window->width() + 40, window->height());
    Settle(*window);
    const std::string said = err.Text();
    const size_t told_at = said.find("quonder: Settings not");
    QVERIFY(told_at != std::string::npos && told_at == said.rfind("quonder: Settings not"));
    QVERIFY(said.find(file) != std::string::npos);
    QVERIFY(stat_of() == before);
  }

  // The toolkit sets the user's locale at start; a comma decimal mark there must not turn
  // "0.5" kB into no limit, nor put a comma into a stored number.
  void SizeBoxAndSettingsUnderACommaDecimalLocale() {
    CommaDecimalLocale locale;
    QVERIFY2(locale.active(), locale.error().c_str());
    WindowFixture fixture;
    fixture.WriteData("a.txt", std::string(700, ' ') + "x");
    fixture.WriteIni("[FindSetting]\nMaxSize=1000\nSourceFolder=" + fixture.DataFolder() + "\n");
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    QCOMPARE(Probe(*window, "maxSize"), QStringLiteral("0.9765625/1000"));
    auto* size = Child<QLineEdit>(*window, "txtMaxSize");
    size->clear();
    QTest::keyClicks(size, "0.5");
    QCOMPARE(window->lngMaxSize, 512);
    QVERIFY(ShowSettled(*window));
    QVERIFY(FindAndWait(*window, log, "x"));
    QCOMPARE(Rows(*window->results()), QStringList());  // 701 bytes are not below 512
    QCOMPARE(fixture.Ini("FindSetting", "MaxSize"), std::string("512"));
    QTRY_COMPARE(QString::fromStdString(fixture.Ini("Status", "WindowSize")).split(',').size(), 4);
  }

  // Without its code set table the program cannot work: one message, and the window closes,
  // deleting its own backup folder and nothing else (a "Quonder" folder that was there before).
  void MissingCodeSetTableEndsTheStart() {
    WindowFixture fixture(/*with_code_sets=*/false);
    ScratchFolder temp;
    ScopedEnv temp_env("TEMP", temp.path());
    temp.Write("Quonder/keep.txt", "x");
    MessageLog log;
    QVERIFY(!fixture.Open());
    QCOMPARE(log.Transcript(),
             QStringList{QStringLiteral(
                 "Find Text Alarm: 文字コードセットの初期化が出来ません\r\n終了します")});
    QCOMPARE(log.messages()[0].style, 16);
    QCOMPARE(QDir(QString::fromStdString(temp.path()))
                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"Quonder"});
    QCOMPARE(temp.Read("Quonder/keep.txt"), std::string("x"));
  }

  // Tab walks the controls in the order of the designed window.
  void FocusOrder() {
    WindowFixture fixture;
    auto window = fixture.Open();
    QVERIFY(window);
    const QStringList expected =
        QStringLiteral(
            "cboFind cmdFind chkRegExp chkIgnoreCase optCrLf optCr optLf chkEnableRestore cmdStop "
            "chkWordOnly txtSeparator cmdReplace cboReplace cmdRestore txtSourceFolder "
            "cmdSelectSourceFolder txtMaxSize chkSubFolder cboCoding cboExtentions cboExtBehavior "
            "txtCopyFolder cmdSelectCopyFolder cmdSelectAll cmdOpen cmdCopy cmdXcopy ListView1")
            .split(' ');
    QStringList chain;
    QWidget* widget = Child<QWidget>(*window, "cboFind");
    do {
      if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName())) {
        chain << widget->objectName();
      }
      widget = widget->nextInFocusChain();
    } while (widget != Child<QWidget>(*window, "cboFind"));
    QCOMPARE(chain, expected);
  }
};

}  // namespace quonder::testing

QTEST_MAIN(quonder::testing::FrmFindStartTest)
#include "frm_find_start_test.moc"
