// The folder browser and the settings-file dialogs: what each call asks of the dialog layer,
// what it returns on a choice and on Cancel, and how the real Qt dialog is set up (built but
// never executed, so nothing waits on a modal dialog).
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTest>

#include "app/file_dialog.h"
#include "dialog_layer_support.h"

namespace quonder {

using Kind = FileDialogRequest::Kind;

class FileDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void NameFiltersFromPairs_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    const QChar nul(u'\0');
    QTest::newRow("settings filter")
        << SettingsFileFilter() << QStringList{"ini(*.ini)", "All Type(*.*)"};
    QTest::newRow("without the final NUL")
        << QString("ini(*.ini)") + nul + "*.ini" + nul + "All Type(*.*)" + nul + "*.*"
        << QStringList{"ini(*.ini)", "All Type(*.*)"};
    QTest::newRow("pattern list not in the description")
        << QString("Text") + nul + "*.txt;*.log" + nul << QStringList{"Text (*.txt *.log)"};
    QTest::newRow("description names other patterns")
        << QString("ini(*.ini)") + nul + "*.cfg" + nul << QStringList{"ini(*.ini) (*.cfg)"};
    QTest::newRow("description without pattern is dropped")
        << QString("ini(*.ini)") + nul + "*.ini" + nul + "Orphan" + nul
        << QStringList{"ini(*.ini)"};
    QTest::newRow("empty") << QString() << QStringList{};
  }
  void NameFiltersFromPairs() {
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(ToQtNameFilters(filter), expected);
  }

  // The browser opens at the start folder, or at its nearest existing parent when it has gone;
  // TMP stands for the temporary folder.
  void BrowseReturnsChoiceOrStartFolder_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("opens_at");
    QTest::newRow("choice") << "TMP" << std::optional<QString>("/chosen") << "/chosen"
                            << "TMP";
    QTest::newRow("cancel keeps a missing start folder")
        << "TMP/no such/with space" << std::optional<QString>() << "TMP/no such/with space"
        << "TMP";
    QTest::newRow("cancel with no start folder") << "" << std::optional<QString>() << ""
                                                 << "";
    QTest::newRow("choice without a path") << "/no-such-start" << std::optional<QString>("") << ""
                                           << "/";
  }
  void BrowseReturnsChoiceOrStartFolder() {
    QFETCH(QString, start);
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, expected);
    QFETCH(QString, opens_at);
    for (QString* text : {&start, &expected, &opens_at}) text->replace("TMP", QDir::tempPath());
    FakeDialogLayer layer;
    layer.answers.push_back(answer);
    QCOMPARE(BrowseForFolder("Select Folder", nullptr, 0, kBifReturnOnlyFsDirs, start), expected);
    QCOMPARE(layer.requests.size(), size_t{1});
    const FileDialogRequest& request = layer.requests[0];
    QCOMPARE(request.kind, Kind::kFolder);
    QCOMPARE(request.title, QString("Select Folder"));
    QCOMPARE(request.folder, opens_at);
    QCOMPARE(request.owner, nullptr);
  }

  void OpenDialogRequest() {
    FakeDialogLayer layer;
    QWidget owner;
    layer.answers.push_back(QString("/cfg/other.ini"));
    QCOMPARE(ShowOpenDialog(&owner, SettingsFileFilter(), 0x1004, "/cfg", "Select Setting File", 0,
                            0x702B),
             QString("/cfg/other.ini"));
    const FileDialogRequest& request = layer.requests.at(0);
    QCOMPARE(request.kind, Kind::kOpen);
    QCOMPARE(request.owner, &owner);
    QCOMPARE(request.title, QString("Select Setting File"));
    QCOMPARE(request.folder, QString("/cfg"));
    QCOMPARE(request.name_filters, (QStringList{"ini(*.ini)", "All Type(*.*)"}));
    QVERIFY(request.file_must_exist);
    QCOMPARE(request.view_mode, std::optional<int>(QFileDialog::List));

    // Cancel gives "", and without OFN_FILEMUSTEXIST a new name may be typed.
    QCOMPARE(ShowOpenDialog(nullptr, SettingsFileFilter(), 0, "/cfg", "t", 0, 0), QString());
    QVERIFY(!layer.requests.at(1).file_must_exist);
    QCOMPARE(layer.requests.at(1).view_mode, std::optional<int>());
  }

  void EmptyInitialFolderMeansTheCurrentDirectory() {
    FakeDialogLayer layer;
    ShowOpenDialog(nullptr, SettingsFileFilter(), 0x1004, "", "t", 0, 0x702B);
    ShowSaveDialog(nullptr, SettingsFileFilter(), 0x1004, "", "", "", "t", 0, 0x702C);
    QCOMPARE(layer.requests.at(0).folder, QDir::currentPath());
    QCOMPARE(layer.requests.at(1).folder, QDir::currentPath());
    QCOMPARE(layer.requests.at(1).view_mode, std::optional<int>(QFileDialog::Detail));
  }

  void SaveDialogAsksBeforeReplacingOnlyWhenTold() {
    FakeDialogLayer layer;
    layer.answers.push_back(QString("/out/export.ini"));
    QCOMPARE(ShowSaveDialog(nullptr, SettingsFileFilter(), 0x1004, "/cfg", "", "",
                            "Select Setting File", 0, 0x702B),
             QString("/out/export.ini"));
    QVERIFY(!layer.requests.at(0).confirm_overwrite);
    QCOMPARE(layer.requests.at(0).kind, Kind::kSave);

    QCOMPARE(ShowSaveDialog(nullptr, SettingsFileFilter(), kOfnOverwritePrompt, "/cfg", "ini",
                            "Quonder.ini", "t", 0, 0x702B),
             QString());
    QVERIFY(layer.requests.at(1).confirm_overwrite);
    QCOMPARE(layer.requests.at(1).default_suffix, QString("ini"));
    QCOMPARE(layer.requests.at(1).default_file_name, QString("Quonder.ini"));
  }

  void QtOpenDialogIsSetUpAsAsked() {
    QTemporaryDir dir;
    FileDialogRequest request;
    request.kind = Kind::kOpen;
    request.title = "Select Setting File";
    request.folder = dir.path();
    request.name_filters = ToQtNameFilters(SettingsFileFilter());
    request.file_must_exist = true;
    request.view_mode = QFileDialog::List;
    const auto dialog = MakeFileDialog(request);
    QCOMPARE(dialog->windowTitle(), QString("Select Setting File"));
    QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    QCOMPARE(dialog->nameFilters(), (QStringList{"ini(*.ini)", "All Type(*.*)"}));
    QCOMPARE(dialog->selectedNameFilter(), QString("ini(*.ini)"));
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog->viewMode(), QFileDialog::List);
    QVERIFY(dialog->isSizeGripEnabled());
  }

  void QtSaveAndFolderDialogsAreSetUpAsAsked() {
    FileDialogRequest save;
    save.kind = Kind::kSave;
    save.default_suffix = "ini";
    const auto save_dialog = MakeFileDialog(save);
    QCOMPARE(save_dialog->acceptMode(), QFileDialog::AcceptSave);
    QVERIFY(save_dialog->testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(save_dialog->defaultSuffix(), QString("ini"));
    save.confirm_overwrite = true;
    QVERIFY(!MakeFileDialog(save)->testOption(QFileDialog::DontConfirmOverwrite));

    QTemporaryDir dir;
    FileDialogRequest folder;
    folder.kind = Kind::kFolder;
    folder.folder = dir.path();
    const auto folder_dialog = MakeFileDialog(folder);
    QCOMPARE(folder_dialog->fileMode(), QFileDialog::Directory);
    QVERIFY(folder_dialog->testOption(QFileDialog::ShowDirsOnly));
    QCOMPARE(QDir(folder_dialog->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
  }

  // "*.*" stands for every file where the filter comes from; Qt alone would hide a settings
  // file that has no extension.
  void AllTypeFilterListsNamesWithoutADot() {
    QTemporaryDir dir;
    FileDialogRequest request;
    request.folder = dir.path();
    request.name_filters = ToQtNameFilters(SettingsFileFilter());
    const auto dialog = MakeFileDialog(request);
    auto* model = dialog->findChild<QFileSystemModel*>();
    auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo");
    QVERIFY(model != nullptr);
    QVERIFY(combo != nullptr);
    QCOMPARE(model->nameFilters(), QStringList{"*.ini"});
    // What a user's pick in the file type box sends.
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    emit combo->textActivated(combo->currentText());
    QCOMPARE(model->nameFilters(), QStringList{"*"});
  }
};

}  // namespace quonder

QTEST_MAIN(quonder::FileDialogTest)
#include "file_dialog_test.moc"
