// The main window's folder fields and settings-file commands, driven through its widgets and
// menu actions, with the dialogs and message boxes faked.
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "core/fileops/file_common.h"
#include "core/settings/settings_location.h"
#include "dialog_layer_support.h"
#include "frm_find_support.h"

namespace quonder::testing {
namespace {

QString Text(const frmFind& window, const char* name) {
  return Child<QLineEdit>(window, name)->text();
}

void Trigger(const frmFind& window, const char* action) {
  QAction* found = window.findChild<QAction*>(QString::fromLatin1(action));
  QVERIFY2(found != nullptr, action);
  found->trigger();
}

}  // namespace

class FrmFindDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  // Export Setting copies the file in use, over a file without asking, and survives a failure;
  // Select Setting switches files (nothing changes when cancelled), a file without keys gives
  // the defaults, and the file left behind is not written on the way out.
  void ExportAndSelectSetting() {
    WindowFixture fixture;
    fixture.WriteIni("[FindSetting]\r\nMaxSize=2048\r\nSeparator=xyz\r\nSourceFolder=" +
                     fixture.DataFolder() + "\r\n");
    const std::string other = BuildPath(fixture.DataFolder(), "other.ini");
    WindowFixture::WriteFile(other, "; a settings file without any of the keys\r\n");
    const std::string target = BuildPath(fixture.DataFolder(), "export.ini");
    WindowFixture::WriteFile(target, "old export");
    auto window = fixture.Open();
    QVERIFY(window != nullptr);
    QCOMPARE(Text(*window, "txtMaxSize"), QString("2"));
    const std::string before = WindowFixture::ReadFile(fixture.IniFile());

    FakeDialogLayer dialogs;
    MessageLog messages;
    dialogs.answers = {QString::fromStdString(target), QString::fromStdString(target + "/x.ini")};
    Trigger(*window, "mnuFileExportSetting");
    QCOMPARE(WindowFixture::ReadFile(target), before);
    QVERIFY(!dialogs.requests.at(0).confirm_overwrite);
    QVERIFY(messages.messages().empty());
    Trigger(*window, "mnuFileExportSetting");  // nothing can be made below a file, even by root
    QCOMPARE(messages.messages().size(), size_t{1});

    Trigger(*window, "mnuFileSelectSetting");  // cancelled
    QCOMPARE(window->strIniFile, fixture.IniFile());
    QCOMPARE(Text(*window, "txtMaxSize"), QString("2"));
    dialogs.answers.push_back(QString::fromStdString(other));
    Trigger(*window, "mnuFileSelectSetting");
    QCOMPARE(window->strIniFile, other);
    QCOMPARE(Text(*window, "txtMaxSize"), QString("10"));
    QCOMPARE(Text(*window, "txtSourceFolder"), QString::fromStdString(HomeFolder()));
    QCOMPARE(window->strSourceFolder, HomeFolder());
    QCOMPARE(WindowFixture::ReadFile(fixture.IniFile()), before);
    QCOMPARE(dialogs.requests.at(2).folder, QString::fromStdString(fixture.ProgramFolder()));
    QCOMPARE(messages.messages().size(), size_t{1});
  }

  // How a folder field checks, browses and takes drops is the field's own (folder_field_test);
  // here: each of the window's two fields is bound to its folder, its button and double click.
  void FolderFieldsAreBoundToTheirFolders() {
    WindowFixture fixture;
    fixture.WriteData("first/a.txt", "x");
    fixture.WriteData("second/b.txt", "x");
    auto window = fixture.Open();
    FakeDialogLayer dialogs;
    MessageLog messages;
    const QString first = QString::fromStdString(BuildPath(fixture.DataFolder(), "first"));
    const QString second = QString::fromStdString(BuildPath(fixture.DataFolder(), "second"));
    dialogs.answers = {first, second, first};
    Button(*window, "cmdSelectSourceFolder")->click();
    QCOMPARE(window->strSourceFolder, first.toStdString());
    QTest::mouseDClick(Child<QLineEdit>(*window, "txtCopyFolder"), Qt::LeftButton);
    QCOMPARE(window->strCopyFolder, second.toStdString());
    Button(*window, "cmdSelectCopyFolder")->click();
    QCOMPARE(window->strCopyFolder, first.toStdString());
    QVERIFY(DropUrls(Child<QLineEdit>(*window, "txtSourceFolder"), {QUrl::fromLocalFile(second)}));
    QCOMPARE(window->strSourceFolder, second.toStdString());
    QCOMPARE(Text(*window, "txtSourceFolder"), second);
    QCOMPARE(Text(*window, "txtCopyFolder"), first);
    QCOMPARE(dialogs.requests.size(), size_t{3});
    QVERIFY(messages.messages().empty());
  }

  // Regression: destroying the window while a folder box held edited text and the focus ran
  // its check on a half-destroyed window (heap corruption).
  void DestroyedWhileAFolderBoxIsBeingEdited() {
    WindowFixture fixture;
    auto window = fixture.Open();
    QVERIFY(ShowSettled(*window));
    MessageLog messages;
    auto* box = Child<QLineEdit>(*window, "txtSourceFolder");
    box->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(box, "/no/such/folder");
    window.reset();
    QCOMPARE(messages.Transcript(), QStringList{});
  }
};

}  // namespace quonder::testing

QTEST_MAIN(quonder::testing::FrmFindDialogsTest)
#include "frm_find_dialogs_test.moc"
