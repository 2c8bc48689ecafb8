// Start-up of the main window: the settings file it picks, the defaults without one, a
// prepared file (values, legacy keys, bad values), the designed layout and the failed start.
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <functional>
#include <map>

#include "app/twips.h"
#include "core/fileops/editor_command.h"
#include "core/fileops/file_common.h"
#include "core/fileops/private_folder.h"
#include "frm_find_support.h"

namespace quonder::testing {
namespace {

QString CheckState(const frmFind& window, const char* name) {
  switch (Child<QCheckBox>(window, name)->checkState()) {
    case Qt::Checked:
      return "1";
    case Qt::PartiallyChecked:
      return "2";
    default:
      return "0";
  }
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

// What a test reads off the window, by name.
using Probe = std::function<QString(const frmFind&)>;
const std::map<QString, Probe>& Probes() {
  static const std::map<QString, Probe> probes = {
      {"chkRegExp", [](const frmFind& w) { return CheckState(w, "chkRegExp"); }},
      {"chkIgnoreCase",
       [](const frmFind& w) {
         return CheckState(w, "chkIgnoreCase") + "/" + QString::number(w.lngCompareMode);
       }},
      {"chkSubFolder", [](const frmFind& w) { return CheckState(w, "chkSubFolder"); }},
      {"chkEnableRestore", [](const frmFind& w) { return CheckState(w, "chkEnableRestore"); }},
      {"maxSize",
       [](const frmFind& w) {
         return Child<QLineEdit>(w, "txtMaxSize")->text() + "/" + QString::number(w.lngMaxSize);
       }},
      {"extBehavior",
       [](const frmFind& w) {
         return Child<QComboBox>(w, "cboExtBehavior")->currentText() + "/" +
                QString::number(w.lngExtBehavior);
       }},
      {"coding",
       [](const frmFind& w) {
         return QString::fromStdString(w.strCoding) + "/" +
                QString::number(Child<QComboBox>(w, "cboCoding")->currentIndex());
       }},
      {"lineFeed", LineFeed},
      {"windowWidth",
       [](const frmFind& w) {
         return QString::number(qRound(TwipsScale(w).ToTwipsX(w.frameGeometry().width())));
       }},
      {"columns", ColumnTwips},
      {"separator", [](const frmFind& w) { return Child<QLineEdit>(w, "txtSeparator")->text(); }},
  };
  return probes;
}

}  // namespace

class FrmFindStartTest : public QObject {
  Q_OBJECT

 private slots:
  void DefaultsWithoutSettingsFile() {
    WindowFixture fixture;
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    const QString program = QString::fromStdString(fixture.ProgramFolder());

    QCOMPARE(window->windowTitle(), QStringLiteral("Quonder in the Folder"));
    QCOMPARE(window->strIniFile, fixture.IniFile());
    QVERIFY(window->strBackupFolder.starts_with(BuildPath(TempFolder(), "Quonder")));
    QVERIFY(IsPrivateFolder(window->strBackupFolder));
    QCOMPARE(Child<QLineEdit>(*window, "txtSourceFolder")->text(), program);
    QCOMPARE(Child<QLineEdit>(*window, "txtCopyFolder")->text(), program);
    QCOMPARE(window->strSourceFolder, fixture.ProgramFolder());
    for (const char* box : {"cboFind", "cboReplace", "cboExtentions"}) {
      QCOMPARE(Items(*Child<QComboBox>(*window, box)), QStringList{QString()});
    }
    for (const char* box :
         {"chkRegExp", "chkIgnoreCase", "chkWordOnly", "chkSubFolder", "chkEnableRestore"}) {
      QCOMPARE(CheckState(*window, box), QStringLiteral("0"));
    }
    QCOMPARE(Child<QLineEdit>(*window, "txtSeparator")->text(),
             QStringLiteral("_,. \"#&'()|[]{}<>"));
    QVERIFY(!Child<QLineEdit>(*window, "txtSeparator")->isEnabled());
    QCOMPARE(Probes().at("maxSize")(*window), QStringLiteral("10/10240"));
    QCOMPARE(Items(*Child<QComboBox>(*window, "cboExtBehavior")),
             (QStringList{"Include", "Exclude"}));
    QCOMPARE(Probes().at("extBehavior")(*window), QStringLiteral("Include/0"));
    QCOMPARE(Probes().at("coding")(*window), QStringLiteral("utf-8/42"));
    QCOMPARE(Child<QComboBox>(*window, "cboCoding")->toolTip(), QStringLiteral("Set 42"));
    QCOMPARE(Child<QComboBox>(*window, "cboCoding")->count(), kCodeSetEntries);
    QCOMPARE(Child<QComboBox>(*window, "cboCoding")->itemText(2), QString());
    QCOMPARE(LineFeed(*window), QStringLiteral("optCrLf/%0D%0A"));
    QCOMPARE(window->strEditor, std::string(kDefaultEditor));
    QCOMPARE(ColumnTwips(*window), ThroughPixels(*window, "600,4200,810,810,2100,900"));
    QVERIFY(!Child<QPushButton>(*window, "cmdReplace")->isEnabled());
    QVERIFY(!Child<QPushButton>(*window, "cmdRestore")->isEnabled());
    QCOMPARE(Child<QComboBox>(*window, "cboFind")->toolTip(),
             QStringLiteral("改行を含む検索をする場合Regular Expressionをチェックしてください"));
    QCOMPARE(Child<QComboBox>(*window, "cboReplace")->toolTip(),
             QStringLiteral("パタン置換を行なう場合Regular Expressionをチェックしてください"));
    QVERIFY(log.messages().empty());
    // Loading writes nothing: the file comes with the first resize.
    QVERIFY(!FileExists(fixture.IniFile()));

    QVERIFY(ShowSettled(*window));
    QCOMPARE(window->focusWidget(), Child<QWidget>(*window, "cboFind"));
    const QStringList size = QString::fromStdString(fixture.Ini("Status", "WindowSize")).split(',');
    QCOMPARE(size.size(), 4);
    QCOMPARE(size[2], QStringLiteral("9795"));
    QVERIFY(size[3].toInt() >= window->lngMinHeight);
    QCOMPARE(fixture.Ini("Status", "ColsWidth"), std::string("600,4200,810,810,2100,900"));
  }

  void PreparedSettingsFile() {
    WindowFixture fixture;
    fixture.WriteIni(
        "; kept by hand\n"
        "[FindSetting]\n"
        "SourceFolder=C:\\\\data\\\\new\n"
        "CopyFolder=%HOME%/copies\n"
        "FindHistoryCnt=2\n"
        "UseRegExp=1\n"
        "IgnoreCase=1\n"
        "WordOnly=1\n"
        "Separator=;:\n"
        "Editor=kate --line %L --column %C %P\n"
        "SubFolder=1\n"
        "MaxSize=1000\n"
        "ExtBehavior=1\n"
        "Coding=shift_jis\n"
        "LineFeedCode=\\n\n"
        "EnableRestore=1\n"
        "[FindHistory]\n"
        "0=\" lead\"\n"
        "1=\"b\"\n"
        "2=\"c\"\n"
        "[ReplaceHistory]\n"
        "0=\"r1\"\n"
        "[Status]\n"
        "ColsWidth=600,99999,810,810,2100,900\n");
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);

    QCOMPARE(Child<QLineEdit>(*window, "txtSourceFolder")->text(), QStringLiteral("C:\\data\\new"));
    QCOMPARE(window->strCopyFolder, std::string("%HOME%/copies"));
    // Capacity 2: two entries and no empty item; the leading space survives.
    QCOMPARE(Items(*Child<QComboBox>(*window, "cboFind")), (QStringList{" lead", "b"}));
    QCOMPARE(Child<QComboBox>(*window, "cboFind")->currentText(), QStringLiteral(" lead"));
    QCOMPARE(Items(*Child<QComboBox>(*window, "cboReplace")), (QStringList{"r1", ""}));
    QCOMPARE(CheckState(*window, "chkRegExp"), QStringLiteral("1"));
    QCOMPARE(Child<QComboBox>(*window, "cboFind")->toolTip(),
             QStringLiteral("\\\\-> \\, \\r -> CR, \\n -> LF, \\t -> TAB, \\v -> VTAB, "
                            "Escape ()$*+.[]?/^{}| with \\"));
    QCOMPARE(Child<QComboBox>(*window, "cboReplace")->toolTip(),
             QStringLiteral("$1~9でパタン置換を行なえます。\\\\-> \\, \\r -> CR, \\n -> LF, "
                            "\\t -> TAB, \\v -> VTAB, $$1~$$9 -> $1~$9"));
    QCOMPARE(Probes().at("chkIgnoreCase")(*window), QStringLiteral("1/1"));
    QVERIFY(window->blnIgnoreCase);
    QVERIFY(Child<QLineEdit>(*window, "txtSeparator")->isEnabled());
    QCOMPARE(Child<QLineEdit>(*window, "txtSeparator")->text(), QStringLiteral(";:"));
    QCOMPARE(window->strEditor, std::string("kate --line %L --column %C %P"));
    QCOMPARE(CheckState(*window, "chkSubFolder"), QStringLiteral("1"));
    QCOMPARE(Probes().at("maxSize")(*window), QStringLiteral("0.9765625/1000"));
    QCOMPARE(Probes().at("extBehavior")(*window), QStringLiteral("Exclude/1"));
    QCOMPARE(Probes().at("coding")(*window), QStringLiteral("shift_jis/0"));
    QCOMPARE(Child<QComboBox>(*window, "cboCoding")->toolTip(), QStringLiteral("Set 0"));
    QCOMPARE(LineFeed(*window), QStringLiteral("optLf/%0A"));
    QCOMPARE(CheckState(*window, "chkEnableRestore"), QStringLiteral("1"));
    // 99999 is not below the list's width: the column gets a sixth of it.
    const int list_twips =
        qRound(TwipsScale(*window).ToTwipsX(Child<QTableView>(*window, "ListView1")->width()));
    QCOMPARE(ColumnTwips(*window),
             ThroughPixels(*window, QStringLiteral("600,%1,810,810,2100,900").arg(list_twips / 6)));
    QVERIFY(log.messages().empty());
    QVERIFY(
        QString::fromStdString(fixture.ReadFile(fixture.IniFile())).startsWith("; kept by hand"));
  }

  void LegacyKeysBecomeHistories() {
    WindowFixture fixture;
    fixture.WriteIni("[FindSetting]\nFind=abc\nReplace=  xyz\nExtentions=txt;htm\n");
    auto window = fixture.Open();
    QVERIFY(window);
    QCOMPARE(Child<QComboBox>(*window, "cboFind")->currentText(), QStringLiteral("abc"));
    QCOMPARE(Child<QComboBox>(*window, "cboReplace")->currentText(), QStringLiteral("xyz"));
    QCOMPARE(Child<QComboBox>(*window, "cboExtentions")->currentText(), QStringLiteral("txt;htm"));
    QCOMPARE(fixture.Ini("FindHistory", "0"), std::string("abc"));
    QCOMPARE(fixture.Ini("ExtentionsHistory", "0"), std::string("txt;htm"));
    for (const char* key : {"Find", "Replace", "Extentions"}) {
      QCOMPARE(fixture.Ini("FindSetting", key), std::string("<missing>"));
    }
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
    row("regexp not a number", "FindSetting", "UseRegExp", "yes", "chkRegExp", "0");
    row("regexp out of range", "FindSetting", "UseRegExp", "7", "chkRegExp", "0");
    row("regexp greyed", "FindSetting", "UseRegExp", "2", "chkRegExp", "2");
    row("ignore case rounds", "FindSetting", "IgnoreCase", "0.6", "chkIgnoreCase", "1/1");
    row("ignore case greyed is not on", "FindSetting", "IgnoreCase", "2", "chkIgnoreCase", "2/0");
    row("subfolder cut down", "FindSetting", "SubFolder", "1.9", "chkSubFolder", "1");
    row("restore negative", "FindSetting", "EnableRestore", "-1", "chkEnableRestore", "0");
    row("size not a number", "FindSetting", "MaxSize", "ten", "maxSize", "10/10240");
    row("size beyond 32 bits", "FindSetting", "MaxSize", "99999999999", "maxSize", "10/10240");
    row("size zero", "FindSetting", "MaxSize", "0", "maxSize", "0/0");
    row("size fraction of a kB", "FindSetting", "MaxSize", "512", "maxSize", "0.5/512");
    row("behavior out of range", "FindSetting", "ExtBehavior", "5", "extBehavior", "Include/0");
    row("behavior not a number", "FindSetting", "ExtBehavior", "Exclude", "extBehavior",
        "Include/0");
    row("coding differs in case", "FindSetting", "Coding", "UTF-8", "coding", "utf-8/-1");
    row("coding unknown", "FindSetting", "Coding", "klingon", "coding", "utf-8/-1");
    row("coding of a later entry", "FindSetting", "Coding", "utf-16le", "coding", "utf-16le/43");
    row("line feed CR", "FindSetting", "LineFeedCode", "\\r", "lineFeed", "optCr/%0D");
    row("line feed unknown", "FindSetting", "LineFeedCode", "\\n\\r", "lineFeed", "optCrLf/%0D%0A");
    row("separator with backslash", "FindSetting", "Separator", "a\\\\b\\t", "separator", "a\\b\t");
    // A width left as designed (9450) is still below the minimum of the find frame + 90.
    row("width not below the screen", "Status", "WindowSize", ",,999999,6120", "windowWidth",
        "9465");
    row("width zero", "Status", "WindowSize", "0,0,0,6120", "windowWidth", "9465");
    row("width applied", "Status", "WindowSize", "abc,,10200", "windowWidth", "10200");
    row("columns unreadable fields", "Status", "ColsWidth", "700,abc,810,,2100,-5", "columns",
        "700,4200,810,810,2100,SIXTH");
    row("columns extra fields", "Status", "ColsWidth", "15,30,45,60,75,90,7", "columns",
        "15,30,45,60,75,90");
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
    QCOMPARE(Probes().at(probe)(*window), expected);
    QVERIFY(log.messages().empty());
  }

  void SettingsFileFromCommandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");  // relative to the program folder
    QTest::newRow("none") << QStringList() << "Quonder.ini";
    QTest::newRow("quoted path with blanks")
        << QStringList{"\"PROGRAM/my settings.ini\""} << "my settings.ini";
    QTest::newRow("path split at blanks")
        << QStringList{"PROGRAM/my", "settings.ini"} << "my settings.ini";
  }

  void SettingsFileFromCommandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    WindowFixture fixture;
    const std::string expected_path = fixture.ProgramFolder() + "/" + expected.toStdString();
    fixture.WriteFile(expected_path, "[FindSetting]\nSourceFolder=/from/the/file\n");
    std::vector<std::string> args;
    for (QString argument : arguments) {
      args.push_back(argument.replace("PROGRAM", QString::fromStdString(fixture.ProgramFolder()))
                         .toStdString());
    }
    auto window = fixture.Open(args);
    QVERIFY(window);
    QCOMPARE(window->strIniFile, expected_path);
    QCOMPARE(window->strSourceFolder, std::string("/from/the/file"));
  }

  // Without its code set table the program cannot work: one message, and the window closes
  // (removing the backup folder, read-only files included).
  // The failed start closes the window, which deletes its own backup folder and nothing
  // else: a "Quonder" folder that was there before is not the window's.
  void MissingCodeSetTableEndsTheStart() {
    WindowFixture fixture(/*with_code_sets=*/false);
    QTemporaryDir temp;
    const QByteArray old_temp = qgetenv("TEMP");
    qputenv("TEMP", temp.path().toUtf8());
    const std::string other = temp.path().toStdString() + "/Quonder";
    QVERIFY(CreateFolderPath(other));
    fixture.WriteFile(other + "/keep.txt", "x");

    MessageLog log;
    auto window = fixture.Open();
    qputenv("TEMP", old_temp);
    QVERIFY(!window);
    QCOMPARE(log.Transcript(),
             QStringList{QStringLiteral(
                 "Find Text Alarm: 文字コードセットの初期化が出来ません\r\n終了します")});
    QCOMPARE(log.messages()[0].style, 16);
    QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"Quonder"});
    QCOMPARE(fixture.ReadFile(other + "/keep.txt"), std::string("x"));
  }

  void ControlsAtDesignedPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    auto row = [](const char* name, const char* caption, int l, int t, int w, int h) {
      QTest::newRow(name) << name << QString::fromUtf8(caption) << QRect(l, t, w, h);
    };
    row("fraFileSettings", "File Setting", 0, 0, 9375, 1935);
    row("lblSourceFolder", "Source Folder", 120, 240, 1095, 255);
    row("txtSourceFolder", "", 1320, 240, 7680, 270);
    row("cmdSelectSourceFolder", "...", 9000, 240, 255, 255);
    row("lblMaxSize", "Maximum File Size                  kB", 120, 600, 2895, 255);
    row("txtMaxSize", "", 1680, 600, 855, 270);
    row("chkSubFolder", "Find Sub Folder", 3000, 600, 1695, 255);
    row("Label1", "Charracter Coding", 6120, 600, 1455, 255);
    row("cboCoding", "", 7680, 600, 1575, 300);
    row("fraExention", "File Extention", 120, 840, 9135, 615);
    row("cboExtentions", "", 120, 240, 6855, 300);
    row("cboExtBehavior", "", 7080, 240, 1935, 300);
    row("lblCopyFolder", "Copy Folder", 120, 1560, 1095, 255);
    row("txtCopyFolder", "", 1320, 1560, 7680, 270);
    row("cmdSelectCopyFolder", "...", 9000, 1560, 255, 255);
    row("fraFindSettings", "Find Setting", 0, 2040, 9375, 1935);
    row("lblFind", "Find Text", 120, 240, 855, 255);
    row("cboFind", "", 960, 240, 7575, 300);
    row("cmdFind", "Find", 8640, 240, 615, 255);
    row("chkRegExp", "Use Regular Expression", 120, 720, 2175, 255);
    row("chkIgnoreCase", "Ignore Case", 2640, 720, 1215, 255);
    row("fraLineFeed", "Line Feed Code", 3960, 600, 2535, 495);
    row("optCrLf", "CR+LF", 120, 180, 1095, 255);
    row("optCr", "CR", 1200, 180, 615, 255);
    row("optLf", "LF", 1920, 180, 495, 255);
    row("chkEnableRestore", "Enable Restore", 6720, 720, 1695, 255);
    row("cmdStop", "Stop", 8640, 720, 615, 255);
    row("chkWordOnly", "Check Word Only.  Separater:", 120, 1200, 2535, 255);
    row("txtSeparator", "", 2760, 1200, 5535, 270);
    row("cmdReplace", "Replace", 8400, 1200, 855, 255);
    row("lblReplace", "Replace Text", 120, 1560, 1095, 255);
    row("cboReplace", "", 1200, 1560, 7095, 300);
    row("cmdRestore", "Restore", 8400, 1560, 855, 255);
    row("cmdSelectAll", "Select All", 0, 4080, 975, 255);
    row("cmdOpen", "Open File", 1080, 4080, 975, 255);
    row("cmdCopy", "Copy Files", 2160, 4080, 975, 255);
    row("cmdXcopy", "Copy Folders", 3240, 4080, 1215, 255);
    row("ListView1", "", 0, 4335, 9375, 1935);
  }

  void ControlsAtDesignedPlaces() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    WindowFixture fixture;
    auto window = fixture.Open();
    QVERIFY(window);
    auto* widget = Child<QWidget>(*window, name.toLatin1().constData());
    QVERIFY(widget);
    const QRect expected =
        TwipsScale(*window).ToPixels(twips.x(), twips.y(), twips.width(), twips.height());
    if (name == "ListView1") {
      QCOMPARE(widget->pos(), expected.topLeft());  // its size follows the window's
    } else {
      QCOMPARE(widget->geometry(), expected);
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) QCOMPARE(button->text(), caption);
    if (auto* label = qobject_cast<QLabel*>(widget)) QCOMPARE(label->text(), caption);
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) QCOMPARE(frame->title(), caption);
  }

  void FocusOrderMenuPanelsAndTips() {
    WindowFixture fixture;
    auto window = fixture.Open();
    QVERIFY(window);
    const QStringList expected = {"cboFind",
                                  "cmdFind",
                                  "chkRegExp",
                                  "chkIgnoreCase",
                                  "optCrLf",
                                  "optCr",
                                  "optLf",
                                  "chkEnableRestore",
                                  "cmdStop",
                                  "chkWordOnly",
                                  "txtSeparator",
                                  "cmdReplace",
                                  "cboReplace",
                                  "cmdRestore",
                                  "txtSourceFolder",
                                  "cmdSelectSourceFolder",
                                  "txtMaxSize",
                                  "chkSubFolder",
                                  "cboCoding",
                                  "cboExtentions",
                                  "cboExtBehavior",
                                  "txtCopyFolder",
                                  "cmdSelectCopyFolder",
                                  "cmdSelectAll",
                                  "cmdOpen",
                                  "cmdCopy",
                                  "cmdXcopy",
                                  "ListView1"};
    QStringList chain;
    QWidget* widget = Child<QWidget>(*window, "cboFind");
    do {
      if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName())) {
        chain << widget->objectName();
      }
      widget = widget->nextInFocusChain();
    } while (widget != Child<QWidget>(*window, "cboFind"));
    QCOMPARE(chain, expected);

    QStringList menu;
    for (QAction* top : window->menuBar()->actions()) {
      menu << top->text();
      for (QAction* item : top->menu()->actions()) {
        menu << (item->isSeparator() ? QStringLiteral("-") : item->text()) +
                    (item->shortcut().isEmpty() ? QString() : "\t" + item->shortcut().toString());
      }
    }
    QCOMPARE(menu, (QStringList{"&File", "Select Setting", "ExportSetting", "-", "E&xit\tCtrl+Q",
                                "&Help", "Help\tF1", "&About Quonder"}));

    QStringList panels;
    for (int i = 1; i <= 5; ++i) {
      panels << Child<QLabel>(*window, QStringLiteral("stbPanel%1").arg(i).toLatin1().constData())
                    ->toolTip();
    }
    QCOMPARE(panels,
             (QStringList{"", "Current File", "File Counter", "Find Counter", "Replace Counter"}));
    QCOMPARE(Child<QPushButton>(*window, "cmdOpen")->toolTip(),
             QStringLiteral("Open Selected File by Application, that is set in Quonder.ini."));
    QCOMPARE(Child<QPushButton>(*window, "cmdCopy")->toolTip(),
             QStringLiteral("Copy Selected Files to [Copy Folder]"));
    QCOMPARE(Child<QPushButton>(*window, "cmdXcopy")->toolTip(),
             QStringLiteral("Copy Selected Files to [Copy Folder] with keeping their Directory "
                            "Structure"));
    QCOMPARE(Child<QPushButton>(*window, "cmdRestore")->toolTip(),
             QStringLiteral("Restore files before Replace"));
    QCOMPARE(Child<QCheckBox>(*window, "chkEnableRestore")->toolTip(),
             QStringLiteral("チェックすると置換時にファイルコピーを行なうので遅くなります。ディスク"
                            "も消費します。"));
  }
};

}  // namespace quonder::testing

QTEST_MAIN(quonder::testing::FrmFindStartTest)
#include "frm_find_start_test.moc"
