// A folder field in a real window: typing and leaving the box, double click, the "..." button
// and drops from a file manager, with the dialogs and message boxes faked.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>
#include <optional>
#include <string>

#include "app/folder_field.h"
#include "dialog_layer_support.h"
#include "frm_find_support.h"

namespace quonder {
namespace {

const QString kNotCorrect = "Find Text Alarm: Folder Path is Not Correct!!";
using testing::MessageLog;

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

  // Drops from a file manager: the first entry counts; a file is rejected with the alarm and
  // changes nothing; a drop without local files is refused and ignored.
  void Drops_data() {
    QTest::addColumn<QStringList>("dropped");  // below the test folder; "http:..." a web link
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("value");  // the field's value afterwards
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("two folders") << QStringList{"first", "second"} << true << "DIR/first"
                                 << QStringList();
    QTest::newRow("a file") << QStringList{"a.txt"} << true << "kept" << QStringList{kNotCorrect};
    QTest::newRow("plain text") << QStringList() << false << "kept" << QStringList();
    QTest::newRow("web link") << QStringList{"http://example.org/folder"} << false << "kept"
                              << QStringList();
  }
  void Drops() {
    QFETCH(QStringList, dropped);
    QFETCH(bool, accepted);
    QFETCH(QString, value);
    QFETCH(QStringList, messages);
    FieldWindow w;
    MessageLog log;
    w.box->setText("kept");
    w.value = "kept";
    QList<QUrl> urls;
    for (const QString& item : dropped) {
      urls << (item.startsWith("http:") ? QUrl(item) : QUrl::fromLocalFile(dir_->filePath(item)));
    }
    QCOMPARE(DropUrls(w.box, urls, urls.isEmpty() ? QStringLiteral("some text") : QString()),
             accepted);
    value.replace("DIR", dir_->path());
    QCOMPARE(w.box->text(), value);
    QCOMPARE(QString::fromStdString(w.value), value);
    QCOMPARE(log.Transcript(), messages);
  }

  // Leaving the box by a user's move of the focus: the value takes the typed text at once, and
  // a wrong path brings the focus back with the alarm (once, also when the move presses the
  // field's own button, which browses); a %NAME% reference is checked expanded and kept as
  // typed. A move by the program checks nothing.
  void LeavingTheBox_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("leave");
    QTest::addColumn<bool>("rejected");
    QTest::addColumn<bool>("browsed");
    QTest::newRow("reference") << "%QUONDER_FIELD_TEST%/first"
                               << "tab" << false << false;
    QTest::newRow("wrong, clicking elsewhere") << "DIR/missing"
                                               << "click other" << true << false;
    QTest::newRow("wrong, tab to the button") << "DIR/missing"
                                              << "tab" << true << false;
    QTest::newRow("wrong, clicking the button") << "DIR/missing"
                                                << "click button" << true << true;
    QTest::newRow("moved by the program") << "DIR/missing"
                                          << "program" << false << false;
  }
  void LeavingTheBox() {
    QFETCH(QString, typed);
    QFETCH(QString, leave);
    QFETCH(bool, rejected);
    QFETCH(bool, browsed);
    typed.replace("DIR", dir_->path());
    FieldWindow w;
    MessageLog log;
    FakeDialogLayer dialogs;  // a browse is cancelled: it returns the typed start
    ShowAndFocus(w);
    QTest::keyClicks(w.box, typed);
    if (leave == "tab") {
      QTest::keyClick(w.box, Qt::Key_Tab);
    } else if (leave == "click other") {
      QTest::mouseClick(w.other, Qt::LeftButton);
    } else if (leave == "click button") {
      QTest::mouseClick(w.button, Qt::LeftButton);
    } else {
      w.other->setFocus(Qt::OtherFocusReason);
    }
    QCOMPARE(QString::fromStdString(w.value), leave == "program" ? QString() : typed);
    // The check runs once the focus change has been delivered.
    QCoreApplication::processEvents();
    QCOMPARE(log.Transcript(), rejected ? QStringList{kNotCorrect} : QStringList());
    QCOMPARE(dialogs.requests.size(), size_t{browsed ? 1u : 0u});
    if (!browsed) QCOMPARE(w.box->hasFocus(), rejected);
    QCOMPARE(w.box->text(), typed);
  }

  // The "..." button and a double click browse from the expanded value and take the choice (a
  // cancelled browse returns the start folder). What a browse does with a folder that has gone
  // or an empty value is the field model's and the browser's, tested with them.
  void Browse() {
    const QString first = dir_->filePath("first"), second = dir_->filePath("second");
    FieldWindow w;
    MessageLog log;
    FakeDialogLayer dialogs;
    dialogs.answers = {std::nullopt, second};
    w.value = "%QUONDER_FIELD_TEST%/first";
    w.box->setText(QString::fromStdString(w.value));
    QTest::mouseDClick(w.box, Qt::LeftButton);  // cancelled: the start comes back written out
    QCOMPARE(w.box->text(), first);
    QCOMPARE(QString::fromStdString(w.value), first);
    w.button->click();
    QCOMPARE(w.box->text(), second);
    QCOMPARE(QString::fromStdString(w.value), second);
    QCOMPARE(dialogs.requests.size(), size_t{2});
    QCOMPARE(dialogs.requests[0].folder, first);
    QCOMPARE(dialogs.requests[1].folder, first);
    QVERIFY(log.messages().empty());
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
