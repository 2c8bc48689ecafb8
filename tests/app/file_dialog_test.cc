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

  // What the open and save dialogs ask of the layer: the flags as asked, "" on Cancel, and the
  // current directory for an empty initial folder.
  void OpenAndSaveDialogRequests() {
    FakeDialogLayer layer;
    QWidget owner;
    layer.answers = {QString("/cfg/other.ini"), std::nullopt, QString("/out/export.ini")};
    QCOMPARE(ShowOpenDialog(&owner, SettingsFileFilter(), 0x1004, "/cfg", "Select Setting File", 0,
                            0x702B),
             QString("/cfg/other.ini"));
    QCOMPARE(ShowOpenDialog(nullptr, SettingsFileFilter(), 0, "", "t", 0, 0), QString());
    QCOMPARE(ShowSaveDialog(nullptr, SettingsFileFilter(), 0x1004, "/cfg", "", "", "t", 0, 0x702C),
             QString("/out/export.ini"));
    QCOMPARE(ShowSaveDialog(nullptr, SettingsFileFilter(), kOfnOverwritePrompt, "", "ini",
                            "Quonder.ini", "t", 0, 0x702B),
             QString());
    const auto& r = layer.requests;
    QCOMPARE(r.size(), size_t{4});
    QCOMPARE(r[0].kind, Kind::kOpen);
    QCOMPARE(r[0].owner, &owner);
    QCOMPARE(r[0].title, QString("Select Setting File"));
    QCOMPARE(r[0].folder, QString("/cfg"));
    QCOMPARE(r[0].name_filters, (QStringList{"ini(*.ini)", "All Type(*.*)"}));
    QVERIFY(r[0].file_must_exist);  // OFN_FILEMUSTEXIST; without it a new name may be typed
    QVERIFY(!r[1].file_must_exist);
    QCOMPARE(r[0].view_mode, std::optional<int>(QFileDialog::List));
    QCOMPARE(r[1].view_mode, std::optional<int>());
    QCOMPARE(r[2].view_mode, std::optional<int>(QFileDialog::Detail));
    QCOMPARE(r[1].folder, QDir::currentPath());
    QCOMPARE(r[3].folder, QDir::currentPath());
    QCOMPARE(r[2].kind, Kind::kSave);
    QVERIFY(!r[2].confirm_overwrite);
    QVERIFY(r[3].confirm_overwrite);
    QCOMPARE(r[3].default_suffix, QString("ini"));
    QCOMPARE(r[3].default_file_name, QString("Quonder.ini"));
  }

  void QtDialogsAreSetUpAsAsked() {
    QTemporaryDir dir;
    FileDialogRequest request;
    request.kind = Kind::kOpen;
    request.title = "Select Setting File";
    request.folder = dir.path();
    request.name_filters = ToQtNameFilters(SettingsFileFilter());
    request.file_must_exist = true;
    request.view_mode = QFileDialog::List;
    const auto open = MakeFileDialog(request);
    QCOMPARE(open->windowTitle(), QString("Select Setting File"));
    QCOMPARE(QDir(open->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    QCOMPARE(open->nameFilters(), (QStringList{"ini(*.ini)", "All Type(*.*)"}));
    QCOMPARE(open->selectedNameFilter(), QString("ini(*.ini)"));
    QCOMPARE(open->fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(open->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(open->viewMode(), QFileDialog::List);

    FileDialogRequest save;
    save.kind = Kind::kSave;
    save.default_suffix = "ini";
    const auto save_dialog = MakeFileDialog(save);
    QCOMPARE(save_dialog->acceptMode(), QFileDialog::AcceptSave);
    QVERIFY(save_dialog->testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(save_dialog->defaultSuffix(), QString("ini"));
    save.confirm_overwrite = true;
    QVERIFY(!MakeFileDialog(save)->testOption(QFileDialog::DontConfirmOverwrite));

    request.kind = Kind::kFolder;
    const auto folder_dialog = MakeFileDialog(request);
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
