// The main window's folder fields, settings-file commands and Help > About, driven through
// its widgets and menu actions, with the dialogs and message boxes faked.
#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "app/frm_about.h"
#include "core/fileops/file_common.h"
#include "core/settings/settings_location.h"
#include "dialog_layer_support.h"
#include "frm_find_support.h"

namespace quonder::testing {
namespace {

const QString kNotCorrect = "Folder Path is Not Correct!!";

QString Text(const frmFind& window, const char* name) {
  return Child<QLineEdit>(window, name)->text();
}

void Trigger(const frmFind& window, const char* action) {
  QAction* found = window.findChild<QAction*>(QString::fromLatin1(action));
  QVERIFY2(found != nullptr, action);
  found->trigger();
}

void Drop(QWidget* target, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  QDropEvent drop(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
}

}  // namespace

class FrmFindDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void SelectSettingWithoutKeysGivesDefaultsAndSwitchesFiles() {
    WindowFixture fixture;
    const std::string settings =
        "[FindSetting]\r\nMaxSize=2048\r\nSeparator=xyz\r\nSourceFolder=" + fixture.DataFolder() +
        "\r\n";
    fixture.WriteIni(settings);
    const std::string other = BuildPath(fixture.DataFolder(), "other.ini");
    WindowFixture::WriteFile(other, "; a settings file without any of the keys\r\n");
    auto window = fixture.Open();
    QVERIFY(window != nullptr);
    QCOMPARE(Text(*window, "txtMaxSize"), QString("2"));
    const std::string before = WindowFixture::ReadFile(fixture.IniFile());

    FakeDialogLayer dialogs;
    MessageRecorder messages;
    dialogs.answers.push_back(QString::fromStdString(other));
    Trigger(*window, "mnuFileSelectSetting");

    QCOMPARE(window->strIniFile, other);
    QCOMPARE(Text(*window, "txtMaxSize"), QString("10"));
    QCOMPARE(Text(*window, "txtSeparator"), QString("_,. \"#&'()|[]{}<>"));
    QCOMPARE(Text(*window, "txtSourceFolder"), QString::fromStdString(HomeFolder()));
    QCOMPARE(window->strSourceFolder, HomeFolder());
    // The file left behind is not written on the way out.
    QCOMPARE(WindowFixture::ReadFile(fixture.IniFile()), before);
    const FileDialogRequest& request = dialogs.requests.at(0);
    QCOMPARE(request.kind, FileDialogRequest::Kind::kOpen);
    QCOMPARE(request.title, QString("Select Setting File"));
    QCOMPARE(request.folder, QString::fromStdString(fixture.ProgramFolder()));
    QCOMPARE(request.name_filters, (QStringList{"ini(*.ini)", "All Type(*.*)"}));
    QVERIFY(messages.messages.empty());
  }

  void CancelledSelectSettingKeepsEverything() {
    WindowFixture fixture;
    fixture.WriteIni("[FindSetting]\r\nMaxSize=2048\r\n");
    auto window = fixture.Open();
    FakeDialogLayer dialogs;
    Trigger(*window, "mnuFileSelectSetting");
    QCOMPARE(dialogs.requests.size(), size_t{1});
    QCOMPARE(window->strIniFile, fixture.IniFile());
    QCOMPARE(Text(*window, "txtMaxSize"), QString("2"));
  }

  void ExportSettingReplacesWithoutAskingAndSurvivesFailure() {
    WindowFixture fixture;
    fixture.WriteIni("[FindSetting]\r\nMaxSize=2048\r\n");
    auto window = fixture.Open();
    const std::string target = BuildPath(fixture.DataFolder(), "export.ini");
    WindowFixture::WriteFile(target, "old export");
    FakeDialogLayer dialogs;
    MessageRecorder messages;
    dialogs.answers.push_back(QString::fromStdString(target));
    Trigger(*window, "mnuFileExportSetting");
    QCOMPARE(WindowFixture::ReadFile(target), WindowFixture::ReadFile(fixture.IniFile()));
    QVERIFY(!dialogs.requests.at(0).confirm_overwrite);
    QCOMPARE(dialogs.requests.at(0).title, QString("Select Setting File"));
    QVERIFY(messages.messages.empty());

    // Below a regular file nothing can be created, not even by root.
    dialogs.answers.push_back(QString::fromStdString(target + "/nested.ini"));
    Trigger(*window, "mnuFileExportSetting");
    QCOMPARE(messages.messages.size(), size_t{1});
    QCOMPARE(messages.messages[0].title, QString("Find Text Alarm"));
    QCOMPARE(window->strIniFile, fixture.IniFile());
  }

  void FolderButtonsBrowseFromTheExpandedValue() {
    WindowFixture fixture;
    auto window = fixture.Open();
    qputenv("QUONDER_DIALOGS_DATA", QByteArray::fromStdString(fixture.DataFolder()));
    FakeDialogLayer dialogs;
    MessageRecorder messages;

    // Cancel with a reference in the field: the folder comes back written out.
    window->strSourceFolder = "%QUONDER_DIALOGS_DATA%";
    Child<QLineEdit>(*window, "txtSourceFolder")->setText("%QUONDER_DIALOGS_DATA%");
    Child<QPushButton>(*window, "cmdSelectSourceFolder")->click();
    QCOMPARE(dialogs.requests.at(0).folder, QString::fromStdString(fixture.DataFolder()));
    QCOMPARE(dialogs.requests.at(0).title, QString("Select Folder"));
    QCOMPARE(Text(*window, "txtSourceFolder"), QString::fromStdString(fixture.DataFolder()));
    QCOMPARE(window->strSourceFolder, fixture.DataFolder());

    // A double click on the copy folder browses for the copy folder.
    const QString sub = QString::fromStdString(BuildPath(fixture.DataFolder(), "sub"));
    QVERIFY(QDir().mkpath(sub));
    dialogs.answers.push_back(sub);
    QTest::mouseDClick(Child<QLineEdit>(*window, "txtCopyFolder"), Qt::LeftButton);
    QCOMPARE(dialogs.requests.at(1).folder, QString::fromStdString(HomeFolder()));
    QCOMPARE(Text(*window, "txtCopyFolder"), sub);
    QCOMPARE(window->strCopyFolder, sub.toStdString());
    QCOMPARE(window->strSourceFolder, fixture.DataFolder());

    // Cancel with an empty field: rejected, the field stays empty.
    window->strCopyFolder.clear();
    Child<QLineEdit>(*window, "txtCopyFolder")->clear();
    Child<QPushButton>(*window, "cmdSelectCopyFolder")->click();
    QCOMPARE(messages.Prompts(), QStringList{kNotCorrect});
    QCOMPARE(Text(*window, "txtCopyFolder"), QString());
    qunsetenv("QUONDER_DIALOGS_DATA");
  }

  void DroppedFoldersAndFiles() {
    WindowFixture fixture;
    fixture.WriteData("first/a.txt", "x");
    fixture.WriteData("second/b.txt", "x");
    auto window = fixture.Open();
    MessageRecorder messages;
    const QString first = QString::fromStdString(BuildPath(fixture.DataFolder(), "first"));
    const QString second = QString::fromStdString(BuildPath(fixture.DataFolder(), "second"));
    auto* box = Child<QLineEdit>(*window, "txtSourceFolder");
    Drop(box, {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    QCOMPARE(box->text(), first);
    QCOMPARE(window->strSourceFolder, first.toStdString());
    Drop(box, {QUrl::fromLocalFile(first + "/a.txt")});
    QCOMPARE(messages.Prompts(), QStringList{kNotCorrect});
    QCOMPARE(window->strSourceFolder, first.toStdString());
  }

  void TypedWrongFolderKeepsTheFocus() {
    WindowFixture fixture;
    auto window = fixture.Open();
    QVERIFY(ShowSettled(*window));
    MessageRecorder messages;
    auto* box = Child<QLineEdit>(*window, "txtSourceFolder");
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
    QTest::keyClicks(box, "/no/such/folder");
    Child<QLineEdit>(*window, "txtMaxSize")->setFocus(Qt::MouseFocusReason);
    QCOMPARE(window->strSourceFolder, std::string("/no/such/folder"));
    QTRY_COMPARE(messages.Prompts(), QStringList{kNotCorrect});
    QTRY_VERIFY(box->hasFocus());
    // Closed the way a user closes it, before it is destroyed.
    window->close();
  }

  // Regression: destroying the window while a folder box held edited text and the focus ran
  // its check on a half-destroyed window (heap corruption).
  void DestroyedWhileAFolderBoxIsBeingEdited() {
    WindowFixture fixture;
    auto window = fixture.Open();
    QVERIFY(ShowSettled(*window));
    MessageRecorder messages;
    auto* box = Child<QLineEdit>(*window, "txtSourceFolder");
    box->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(box, "/no/such/folder");
    window.reset();
    QCOMPARE(messages.Prompts(), QStringList{});
  }

  void AboutIsOneNonModalWindow() {
    WindowFixture fixture;
    auto window = fixture.Open();
    Trigger(*window, "mnuHelpQuonder");
    auto* about = window->findChild<frmAbout*>();
    QVERIFY(about != nullptr);
    QVERIFY(about->isVisible());
    QVERIFY(!about->isModal());
    Trigger(*window, "mnuHelpQuonder");
    QCOMPARE(window->findChildren<frmAbout*>().size(), 1);
    about->close();
  }
};

}  // namespace quonder::testing

QTEST_MAIN(quonder::testing::FrmFindDialogsTest)
#include "frm_find_dialogs_test.moc"
