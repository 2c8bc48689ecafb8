// ShowMessage: the style picks buttons and icon, the pressed button's id comes back, and the
// owner window is brought back from the task bar before the box shows.
#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QTest>

#include "app/message_box.h"
#include "dialog_layer_support.h"

Q_DECLARE_METATYPE(QMessageBox::StandardButtons)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)
Q_DECLARE_METATYPE(QMessageBox::Icon)

namespace quonder {

class MessageBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { SetMessageBoxHandler(nullptr); }

  // The style picks buttons and icon; the pressed button's id comes back. Escape (press
  // NoButton) answers Cancel where there is one, No for a yes/no question, OK for a message.
  void StyleSelectsButtonsIconAndAnswer_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QMessageBox::StandardButtons>("buttons");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<QMessageBox::StandardButton>("press");
    QTest::addColumn<int>("answer");
    const QMessageBox::StandardButtons ok(QMessageBox::Ok);
    const auto ok_cancel = QMessageBox::Ok | QMessageBox::Cancel;
    const auto yes_no = QMessageBox::Yes | QMessageBox::No;
    QTest::newRow("16 stop") << 16 << ok << QMessageBox::Critical << QMessageBox::Ok << 1;
    QTest::newRow("48 alarm") << 48 << ok << QMessageBox::Warning << QMessageBox::Ok << 1;
    QTest::newRow("64 escape") << 64 << ok << QMessageBox::Information << QMessageBox::NoButton
                               << 1;
    QTest::newRow("33 ok") << 33 << ok_cancel << QMessageBox::Question << QMessageBox::Ok << 1;
    QTest::newRow("33 escape") << 33 << ok_cancel << QMessageBox::Question << QMessageBox::NoButton
                               << 2;
    QTest::newRow("49 cancel") << 49 << ok_cancel << QMessageBox::Warning << QMessageBox::Cancel
                               << 2;
    QTest::newRow("36 yes") << 36 << yes_no << QMessageBox::Question << QMessageBox::Yes << 6;
    QTest::newRow("36 escape") << 36 << yes_no << QMessageBox::Question << QMessageBox::NoButton
                               << 7;
    QTest::newRow("3 cancel") << 3 << (yes_no | QMessageBox::Cancel) << QMessageBox::NoIcon
                              << QMessageBox::Cancel << 2;
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
      if (press == QMessageBox::NoButton) {
        QTest::keyClick(box, Qt::Key_Escape);
      } else {
        box->button(press)->click();
      }
    });
    QCOMPARE(ShowMessage("first line\r\nsecond line", "Find Text", style, 0), answer);
    QCOMPARE(seen_buttons, buttons);
    QCOMPARE(seen_icon, icon);
    QCOMPARE(seen_text, QString("first line\nsecond line"));
    QCOMPARE(seen_title, QString("Find Text"));
  }

  // A short prompt under a longer title: the box is wide enough for a title bar that shows the
  // title (in a bold face) beside an icon and its buttons.
  void BoxIsAsWideAsItsTitle() {
    const QString title = QStringLiteral("Find Text Alarm with a title longer than its prompt");
    int width = 0;
    QFont title_font;
    WhenBoxShows([&](QMessageBox* box) {
      width = box->width();
      title_font = box->font();
      box->button(QMessageBox::Ok)->click();
    });
    ShowMessage("Set Find data !", title, 48, 0);
    title_font.setBold(true);
    const QFontMetrics metrics(title_font);
    QVERIFY2(width >= metrics.horizontalAdvance(title) + 4 * metrics.height(),
             qPrintable(QString::number(width)));
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
