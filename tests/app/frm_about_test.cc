// The About window: its texts from a version record, the main window's icon, one non-modal
// window at a time, and the system information button with and without a program to start.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "app/app_icon.h"
#include "app/frm_about.h"
#include "dialog_layer_support.h"
#include "frm_find_support.h"
#include "support/scoped_env.h"

namespace quonder {
namespace {

QString LabelText(const QWidget& window, const char* name) {
  const auto* label = window.findChild<QLabel*>(name);
  return label != nullptr ? label->text() : QStringLiteral("<no %1>").arg(name);
}

}  // namespace

class FrmAboutTest : public QObject {
  Q_OBJECT

 private slots:
  void VersionParts_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("shown");
    QTest::newRow("leading zeros dropped") << "1.07.0001"
                                           << "Version 1.7.1";
    QTest::newRow("missing revision") << "2.3"
                                      << "Version 2.3.0";
    QTest::newRow("not numbers") << "x.y.z"
                                 << "Version 0.0.0";
    QTest::newRow("empty") << ""
                           << "Version 0.0.0";
  }
  void VersionParts() {
    QFETCH(QString, version);
    QFETCH(QString, shown);
    VersionRecord record;
    ParseVersion(version, record.major, record.minor, record.revision);
    frmAbout about(record, nullptr);
    QCOMPARE(LabelText(about, "lblVersion"), shown);
  }

  // Each label joins its record fields by line breaks (empty fields give empty lines); the
  // icon is the main window's.
  void TextsAndIconComeFromTheRecordAndTheMainWindow() {
    VersionRecord record;
    record.title = "Quonder";
    record.file_description = "Finds text";
    record.legal_copyright = "(C) someone";
    record.legal_trademarks = "TM";
    QWidget main_window;
    QPixmap red(32, 32);
    red.fill(Qt::red);
    main_window.setWindowIcon(QIcon(red));
    frmAbout about(record, &main_window);
    QCOMPARE(about.windowTitle(), QString("About Quonder"));
    QCOMPARE(LabelText(about, "lblTitle"), QString("Quonder"));
    QCOMPARE(LabelText(about, "lblDescription"), QString("Finds text\n"));
    QCOMPARE(LabelText(about, "lblDisclaimer"), QString("(C) someone\n\nTM"));
    QVERIFY(!about.isModal());
    const QPixmap shown = about.findChild<QLabel*>("picIcon")->pixmap();
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.toImage().pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::red));
  }

  // The icon the desktop shows (data/icons) is built into the program at every size.
  void ProgramIconHasEverySize() {
    const QIcon icon = AppIcon();
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
      const QImage image = icon.pixmap(size).toImage();
      QCOMPARE(image.size(), QSize(size, size));
      QVERIFY(image.pixelColor(size / 2, size / 2).alpha() > 0);
    }
  }

  void OneWindowAtATimeClosedByOk() {
    QWidget main_window;
    QPointer<frmAbout> first = ShowAboutWindow(&main_window);
    QVERIFY(first->isVisible());
    QCOMPARE(ShowAboutWindow(&main_window), first.data());
    QTest::mouseClick(first->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    QTRY_VERIFY(first.isNull());  // closing unloads it
    QPointer<frmAbout> second = ShowAboutWindow(&main_window);
    QVERIFY(second->isVisible());
    QTest::keyClick(second.data(), Qt::Key_Escape);
    QTRY_VERIFY(second.isNull());
  }

  void SysInfoStartsAnInstalledProgram() {
    testing::ScratchFolder bin;
    const std::string program =
        testing::WriteScript(bin, "kinfocenter", ": > '" + bin.Path("started") + "'");
    testing::ScopedEnv path("PATH", bin.path());
    QCOMPARE(FindSysInfoProgram(), QString::fromStdString(program));
    StartSysInfo(nullptr, "Quonder");  // would block here on a box
    QTRY_VERIFY(bin.Exists("started"));
  }

  void SysInfoWithoutAProgramShowsThePlainBox() {
    testing::ScratchFolder empty;
    testing::ScopedEnv path("PATH", empty.path());
    QCOMPARE(FindSysInfoProgram(), QString());
    QString seen;  // title, icon, standard buttons, all buttons
    WhenBoxShows([&](QMessageBox* box) {
      seen = QString::asprintf("%s %d %d %d", qPrintable(box->windowTitle()), int(box->icon()),
                               int(box->standardButtons()), int(box->buttons().size()));
      box->close();
    });
    StartSysInfo(nullptr, "Quonder");
    QCOMPARE(seen,
             QString::asprintf("Quonder %d %d 1", int(QMessageBox::NoIcon), int(QMessageBox::Ok)));
  }
};

}  // namespace quonder

QTEST_MAIN(quonder::FrmAboutTest)
#include "frm_about_test.moc"
