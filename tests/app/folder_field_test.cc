// A folder field in a real window: typing and leaving the box, double click, the "..." button
// and drops from a file manager, with the dialogs and message boxes faked.
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>
#include <string>

#include "app/folder_field.h"
#include "dialog_layer_support.h"

namespace quonder {
namespace {

const QString kNotCorrect = "Folder Path is Not Correct!!";

// A window with the field's box and button and one more box to move the focus to.
struct FieldWindow {
  FieldWindow() {
    auto* layout = new QVBoxLayout(&window);
    box = new QLineEdit(&window);
    button = new QPushButton("...", &window);
    other = new QLineEdit(&window);
    layout->addWidget(box);
    layout->addWidget(button);
    layout->addWidget(other);
    field = new FolderField(
        FolderField::Role::kSource, box, button, [this] { return value; },
        [this](const std::string& v) { value = v; });
    QObject::connect(button, &QPushButton::clicked, [this] { field->Browse(); });
  }

  QWidget window;
  QLineEdit* box;
  QPushButton* button;
  QLineEdit* other;
  FolderField* field;
  std::string value;
};

// Sends what a file manager's drag and drop sends; returns whether the drop was accepted.
bool DropUrls(QWidget* target, const QList<QUrl>& urls, const QString& text = QString()) {
  QMimeData data;
  if (!urls.isEmpty()) data.setUrls(urls);
  if (!text.isEmpty()) data.setText(text);
  const QPoint at(2, 2);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  return drop.isAccepted();
}

}  // namespace

class FolderFieldTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QDir(dir_->path()).mkpath("first");
    QDir(dir_->path()).mkpath("second");
    QFile file(dir_->filePath("a.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    qputenv("QUONDER_FIELD_TEST", dir_->path().toUtf8());
  }
  void cleanup() {
    qunsetenv("QUONDER_FIELD_TEST");
    dir_.reset();
  }

  void DropTakesTheFirstFolder() {
    FieldWindow w;
    MessageRecorder log;
    QVERIFY(DropUrls(w.box, {QUrl::fromLocalFile(dir_->filePath("first")),
                             QUrl::fromLocalFile(dir_->filePath("second"))}));
    QCOMPARE(w.box->text(), dir_->filePath("first"));
    QCOMPARE(QString::fromStdString(w.value), dir_->filePath("first"));
    QVERIFY(log.messages.empty());
  }

  void DropOfAFileIsRejected() {
    FieldWindow w;
    MessageRecorder log;
    w.box->setText("kept");
    w.value = "kept";
    DropUrls(w.box, {QUrl::fromLocalFile(dir_->filePath("a.txt"))});
    QCOMPARE(log.Prompts(), QStringList{kNotCorrect});
    QCOMPARE(log.messages.at(0).title, QString("Find Text Alarm"));
    QCOMPARE(log.messages.at(0).style, 48);
    QCOMPARE(w.box->text(), QString("kept"));
    QCOMPARE(w.value, std::string("kept"));
  }

  void DropWithoutFilesIsIgnored() {
    FieldWindow w;
    MessageRecorder log;
    w.box->setText("kept");
    // Plain text and web links are no file list; the box must not paste them either.
    QVERIFY(!DropUrls(w.box, {}, "some text"));
    QVERIFY(!DropUrls(w.box, {QUrl("https://example.org/folder")}));
    QCOMPARE(w.box->text(), QString("kept"));
    QVERIFY(log.messages.empty());
  }

  void TypedReferenceIsCheckedExpandedAndKeptAsTyped() {
    FieldWindow w;
    MessageRecorder log;
    ShowAndFocus(w);
    QTest::keyClicks(w.box, "%QUONDER_FIELD_TEST%/first");
    w.other->setFocus(Qt::TabFocusReason);
    QCOMPARE(w.value, std::string("%QUONDER_FIELD_TEST%/first"));
    QTest::qWait(20);
    QVERIFY(log.messages.empty());
    QCOMPARE(w.box->text(), QString("%QUONDER_FIELD_TEST%/first"));
    QVERIFY(w.other->hasFocus());
  }

  void TypedWrongPathKeepsTheFocus() {
    FieldWindow w;
    MessageRecorder log;
    ShowAndFocus(w);
    QTest::keyClicks(w.box, dir_->filePath("missing"));
    w.other->setFocus(Qt::MouseFocusReason);
    // The window state holds the typed text at once, before the check has run.
    QCOMPARE(QString::fromStdString(w.value), dir_->filePath("missing"));
    QTRY_COMPARE(log.Prompts(), QStringList{kNotCorrect});
    QVERIFY(w.box->hasFocus());
    QCOMPARE(w.box->text(), dir_->filePath("missing"));
  }

  void FocusMovesThatAreNotTheUsersDoNotCheck() {
    FieldWindow w;
    MessageRecorder log;
    ShowAndFocus(w);
    QTest::keyClicks(w.box, dir_->filePath("missing"));
    w.other->setFocus(Qt::OtherFocusReason);
    QTest::qWait(20);
    QVERIFY(log.messages.empty());
  }

  void WrongPathThenOwnButtonShowsOneMessage() {
    FieldWindow w;
    MessageRecorder log;
    FakeDialogLayer dialogs;  // the browse is cancelled: it returns the wrong start
    ShowAndFocus(w);
    QTest::keyClicks(w.box, dir_->filePath("missing"));
    QTest::mouseClick(w.button, Qt::LeftButton);
    QTest::qWait(20);
    QCOMPARE(dialogs.requests.size(), size_t{1});
    // The browser opens where the path still leads; cancelled, it returns the wrong path.
    QCOMPARE(dialogs.requests[0].folder, dir_->path());
    QCOMPARE(log.Prompts(), QStringList{kNotCorrect});
  }

  void TabToTheOwnButtonStillChecks() {
    FieldWindow w;
    MessageRecorder log;
    FakeDialogLayer dialogs;
    ShowAndFocus(w);
    QTest::keyClicks(w.box, dir_->filePath("missing"));
    QTest::keyClick(w.box, Qt::Key_Tab);
    QTRY_COMPARE(log.Prompts(), QStringList{kNotCorrect});
    QVERIFY(w.box->hasFocus());
    QVERIFY(dialogs.requests.empty());
  }

  void DoubleClickBrowsesFromTheExpandedValue() {
    FieldWindow w;
    MessageRecorder log;
    FakeDialogLayer dialogs;
    w.value = "%QUONDER_FIELD_TEST%/first";
    w.box->setText(QString::fromStdString(w.value));
    QTest::mouseDClick(w.box, Qt::LeftButton);
    QCOMPARE(dialogs.requests.size(), size_t{1});
    QCOMPARE(dialogs.requests[0].title, QString("Select Folder"));
    QCOMPARE(dialogs.requests[0].folder, dir_->filePath("first"));
    // Cancelled: the start folder comes back and is written out expanded.
    QCOMPARE(w.box->text(), dir_->filePath("first"));
    QCOMPARE(QString::fromStdString(w.value), dir_->filePath("first"));
    QVERIFY(log.messages.empty());
  }

  void BrowseTakesTheChoice() {
    FieldWindow w;
    MessageRecorder log;
    FakeDialogLayer dialogs;
    dialogs.answers.push_back(dir_->filePath("second"));
    w.value = dir_->filePath("first").toStdString();
    w.button->click();
    QCOMPARE(QString::fromStdString(w.value), dir_->filePath("second"));
    QCOMPARE(w.box->text(), dir_->filePath("second"));
  }

  void CancelledBrowseOfAnEmptyFieldIsRejected() {
    FieldWindow w;
    MessageRecorder log;
    FakeDialogLayer dialogs;
    w.button->click();
    QCOMPARE(dialogs.requests.at(0).folder, QString());
    QCOMPARE(log.Prompts(), QStringList{kNotCorrect});
    QCOMPARE(w.box->text(), QString());
    QCOMPARE(w.value, std::string());
  }

 private:
  static void ShowAndFocus(FieldWindow& w) {
    w.window.show();
    w.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.box->setFocus(Qt::OtherFocusReason);
    QVERIFY(w.box->hasFocus());
  }

  std::unique_ptr<QTemporaryDir> dir_;
};

}  // namespace quonder

QTEST_MAIN(quonder::FolderFieldTest)
#include "folder_field_test.moc"
