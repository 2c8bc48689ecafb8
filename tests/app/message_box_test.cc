// ShowMessage: the style picks buttons and icon, the pressed button's id comes back, and the
// owner window is brought back from the task bar before the box shows.
#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

#include "app/message_box.h"

Q_DECLARE_METATYPE(QMessageBox::StandardButtons)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)
Q_DECLARE_METATYPE(QMessageBox::Icon)

namespace quonder {
namespace {

// Runs `act` on the message box as soon as it is shown (ShowMessage does not return before).
void WhenBoxShows(std::function<void(QMessageBox*)> act) {
  auto* poll = new QTimer;
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    act(box);
  });
  poll->start();
}

}  // namespace

class MessageBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { SetMessageBoxHandler(nullptr); }

  void StyleSelectsButtonsIconAndAnswer_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QMessageBox::StandardButtons>("buttons");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<QMessageBox::StandardButton>("press");
    QTest::addColumn<int>("answer");
    QTest::newRow("16 stop") << 16 << QMessageBox::StandardButtons(QMessageBox::Ok)
                             << QMessageBox::Critical << QMessageBox::Ok << 1;
    QTest::newRow("48 alarm") << 48 << QMessageBox::StandardButtons(QMessageBox::Ok)
                              << QMessageBox::Warning << QMessageBox::Ok << 1;
    QTest::newRow("64 summary") << 64 << QMessageBox::StandardButtons(QMessageBox::Ok)
                                << QMessageBox::Information << QMessageBox::Ok << 1;
    QTest::newRow("33 ok") << 33 << (QMessageBox::Ok | QMessageBox::Cancel) << QMessageBox::Question
                           << QMessageBox::Ok << 1;
    QTest::newRow("49 cancel") << 49 << (QMessageBox::Ok | QMessageBox::Cancel)
                               << QMessageBox::Warning << QMessageBox::Cancel << 2;
    QTest::newRow("36 yes") << 36 << (QMessageBox::Yes | QMessageBox::No) << QMessageBox::Question
                            << QMessageBox::Yes << 6;
    QTest::newRow("4 no") << 4 << (QMessageBox::Yes | QMessageBox::No) << QMessageBox::NoIcon
                          << QMessageBox::No << 7;
    QTest::newRow("3 cancel") << 3 << (QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
                              << QMessageBox::NoIcon << QMessageBox::Cancel << 2;
  }

  void StyleSelectsButtonsIconAndAnswer() {
    QFETCH(int, style);
    QFETCH(QMessageBox::StandardButtons, buttons);
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(QMessageBox::StandardButton, press);
    QFETCH(int, answer);
    QMessageBox::StandardButtons seen_buttons;
    QMessageBox::Icon seen_icon = QMessageBox::NoIcon;
    QString seen_text;
    QString seen_title;
    WhenBoxShows([&](QMessageBox* box) {
      seen_buttons = box->standardButtons();
      seen_icon = box->icon();
      seen_text = box->text();
      seen_title = box->windowTitle();
      box->button(press)->click();
    });
    QCOMPARE(ShowMessage("first line\r\nsecond line", "Find Text", style, 0), answer);
    QCOMPARE(seen_buttons, buttons);
    QCOMPARE(seen_icon, icon);
    QCOMPARE(seen_text, QString("first line\nsecond line"));
    QCOMPARE(seen_title, QString("Find Text"));
  }

  // Escape: Cancel where there is one, No for a yes/no question, OK for a plain message.
  void EscapeAnswersNo_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("answer");
    QTest::newRow("ok") << 64 << 1;
    QTest::newRow("ok cancel") << 33 << 2;
    QTest::newRow("yes no") << 36 << 7;
  }

  void EscapeAnswersNo() {
    QFETCH(int, style);
    QFETCH(int, answer);
    WhenBoxShows([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    QCOMPARE(ShowMessage("Copy?", "Find Text", style, 0), answer);
  }

  void HandlerAnswersAndSeesTheRequest() {
    std::vector<MessageRequest> requests;
    SetMessageBoxHandler([&](const MessageRequest& request) {
      requests.push_back(request);
      return 2;
    });
    QCOMPARE(ShowMessage("Found from 3 Files.", "Find Text", 64, 0), 2);
    QCOMPARE(requests.size(), size_t{1});
    QCOMPARE(requests[0].prompt, QString("Found from 3 Files."));
    QCOMPARE(requests[0].title, QString("Find Text"));
    QCOMPARE(requests[0].style, 64);
    QCOMPARE(requests[0].options, 0);
  }

  // A message raised while the window is minimized must not wait unseen in the task bar; a
  // maximized window stays maximized.
  void RestoresAMinimizedOwner() {
    QMainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    bool minimized_when_shown = true;
    SetMessageBoxHandler([&](const MessageRequest&) {
      minimized_when_shown = window.isMinimized();
      return 1;
    });
    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());
    QCOMPARE(ShowMessage("Set Find data !", "Find Text Alarm", 48, 0), 1);
    QVERIFY(!minimized_when_shown);

    window.showMaximized();
    QCOMPARE(ShowMessage("Set Find data !", "Find Text Alarm", 48, 0), 1);
    QVERIFY(window.isMaximized());
  }
};

}  // namespace quonder

QTEST_MAIN(quonder::MessageBoxTest)
#include "message_box_test.moc"
