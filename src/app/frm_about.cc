#include "app/frm_about.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>

#include "app/design_layout.h"
#include "app/screen_room.h"

namespace quonder {
namespace {

const char16_t kSysInfoUnavailable[] = u"現時点ではｼｽﾃﾑ情報を使用できません";

// Left, Top, Width, Height in twips inside the window.
constexpr QRect kClientArea{0, 0, 5730, 4080};
constexpr QRect kIconPlace{240, 240, 540, 540};
constexpr QRect kTitlePlace{1050, 240, 4440, 480};
constexpr QRect kVersionPlace{1050, 780, 4440, 225};
constexpr QRect kDescriptionPlace{1050, 1125, 4440, 1170};
constexpr QRect kDarkLinePlace{85, 2430, 5560, 15};
constexpr QRect kLightLinePlace{85, 2445, 5560, 15};
constexpr QRect kDisclaimerPlace{255, 2625, 3870, 1035};
constexpr QRect kOkPlace{4245, 2625, 1260, 345};
constexpr QRect kSysInfoPlace{4260, 3075, 1245, 345};
constexpr QRect kSettingsFilePlace{255, 3735, 5250, 255};

// The title's face, 14 points beside a window font of 9 and in that proportion to any other,
// so that it stays a heading however large the desktop's font is.
QFont TitleFont(const QFont& window_font) {
  QFont title(QStringLiteral("Arial Black"));
  title.setWeight(QFont::Black);
  constexpr double kTitleToText = 14.0 / 9.0;
  if (window_font.pointSizeF() > 0) {
    title.setPointSizeF(window_font.pointSizeF() * kTitleToText);
  } else {
    title.setPixelSize(qRound(window_font.pixelSize() * kTitleToText));
  }
  return title;
}

QFrame* MakeLine(QWidget* parent, QPalette::ColorRole role) {
  auto* line = new QFrame(parent);
  line->setObjectName(QStringLiteral("Line1"));
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Plain);
  line->setForegroundRole(role);
  return line;
}

}  // namespace

void ParseVersion(const QString& version, int& major, int& minor, int& revision) {
  const QStringList parts = version.split(QLatin1Char('.'));
  int* const numbers[] = {&major, &minor, &revision};
  for (int i = 0; i < 3; ++i) {
    bool ok = false;
    const int value = i < parts.size() ? parts[i].trimmed().toInt(&ok, 10) : 0;
    *numbers[i] = ok && value >= 0 ? value : 0;
  }
}

VersionRecord ProgramVersionRecord() {
  VersionRecord record;
  record.title = QStringLiteral("Quonder");
  ParseVersion(QString::fromLatin1(QUONDER_VERSION), record.major, record.minor, record.revision);
  record.file_description = QStringLiteral("Quonder in the Folder: find and replace text");
  record.comments = QStringLiteral(
      "Finds a text or a regular expression in every file of a folder, lists each hit with "
      "its line and column, and replaces, copies or opens the hits.");
  record.legal_copyright = QStringLiteral("Copyright (C) The Quonder developers.");
  record.company_name = QStringLiteral("The Quonder developers");
  record.legal_trademarks = QStringLiteral("Qt is a trademark of The Qt Company Ltd.");
  return record;
}

frmAbout::frmAbout(const VersionRecord& record, QWidget* main_window, const QString& settings_file)
    : QDialog(main_window) {
  setObjectName(QStringLiteral("frmAbout"));
  setModal(false);
  DesignLayout design;
  const auto place = [&design](QWidget* widget, const QRect& twips) {
    design.Place(widget, twips);
  };
  // The controls sit on a form that scrolls when the screen has less room than the design.
  QScrollArea* form_area = MakeFormArea(this, QStringLiteral("formArea"));
  QWidget* const form = form_area->widget();
  picIcon = new QLabel(form);
  picIcon->setObjectName(QStringLiteral("picIcon"));
  place(picIcon, kIconPlace);
  lblTitle = new QLabel(QStringLiteral("Quonder"), form);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  lblTitle->setFont(TitleFont(font()));
  place(lblTitle, kTitlePlace);
  lblVersion = new QLabel(form);
  lblVersion->setObjectName(QStringLiteral("lblVersion"));
  place(lblVersion, kVersionPlace);
  lblDescription = new QLabel(QStringLiteral("Description"), form);
  lblDescription->setObjectName(QStringLiteral("lblDescription"));
  lblDescription->setWordWrap(true);
  lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  place(lblDescription, kDescriptionPlace);
  place(MakeLine(form, QPalette::Mid), kDarkLinePlace);
  place(MakeLine(form, QPalette::Light), kLightLinePlace);
  lblDisclaimer = new QLabel(QStringLiteral("Disclaimer"), form);
  lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
  lblDisclaimer->setWordWrap(true);
  lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  place(lblDisclaimer, kDisclaimerPlace);
  lblSettingsFile = new QLabel(form);
  lblSettingsFile->setObjectName(QStringLiteral("lblSettingsFile"));
  place(lblSettingsFile, kSettingsFilePlace);
  cmdOK = new QPushButton(QStringLiteral("OK"), form);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  place(cmdOK, kOkPlace);
  cmdSysInfo = new QPushButton(QStringLiteral("System Info(&S)..."), form);
  cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
  place(cmdSysInfo, kSysInfoPlace);
  connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
  connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

  // The load step: every caption from the record.
  setWindowTitle(QStringLiteral("About ") + record.title);
  lblVersion->setText(
      QStringLiteral("Version %1.%2.%3").arg(record.major).arg(record.minor).arg(record.revision));
  lblTitle->setText(record.title);
  lblDescription->setText(record.file_description + QLatin1Char('\n') + record.comments);
  lblDisclaimer->setText(record.legal_copyright + QLatin1Char('\n') + record.company_name +
                         QLatin1Char('\n') + record.legal_trademarks);

  // Laid out once the texts are known: the scale grows with the font until they all fit.
  const TwipsScale scale = design.Fit(*this);
  scale.Store(*this);
  design.Apply(scale);
  const QSize client =
      scale.ToPixels(kClientArea.x(), kClientArea.y(), kClientArea.width(), kClientArea.height())
          .size();
  form->setFixedSize(client);
  setFixedSize(client.boundedTo(ClientRoom(*this)));
  form_area->setGeometry(rect());

  if (!settings_file.isEmpty()) {
    // A long path loses its middle (at the width the layout gave); the tool tip holds all of it.
    const QString line = QStringLiteral("Settings: ") + settings_file;
    lblSettingsFile->setText(
        lblSettingsFile->fontMetrics().elidedText(line, Qt::ElideMiddle, lblSettingsFile->width()));
    lblSettingsFile->setToolTip(settings_file);
  }
  QIcon icon = main_window != nullptr ? main_window->windowIcon() : QIcon();
  if (icon.isNull()) icon = QApplication::windowIcon();
  setWindowIcon(icon);
  if (!icon.isNull()) picIcon->setPixmap(icon.pixmap(picIcon->size()));
}

void frmAbout::cmdOK_Click() { close(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(this, lblTitle->text()); }

frmAbout* ShowAboutWindow(QWidget* main_window, const QString& settings_file) {
  static QPointer<frmAbout> open_window;
  if (open_window == nullptr) {
    open_window = new frmAbout(ProgramVersionRecord(), main_window, settings_file);
    open_window->setAttribute(Qt::WA_DeleteOnClose);
    // Escape only hides a dialog; it must unload the window like OK and the close box do.
    QObject::connect(open_window, &QDialog::finished, open_window, &QObject::deleteLater);
  }
  open_window->show();
  open_window->raise();
  open_window->activateWindow();
  return open_window;
}

QStringList SysInfoProgramNames() {
  // Hardware and system overviews first; the desktops' system monitors as a fallback.
  return {QStringLiteral("hardinfo2"),
          QStringLiteral("hardinfo"),
          QStringLiteral("kinfocenter"),
          QStringLiteral("lshw-gtk"),
          QStringLiteral("gnome-system-monitor"),
          QStringLiteral("mate-system-monitor"),
          QStringLiteral("xfce4-taskmanager"),
          QStringLiteral("lxtask")};
}

QString FindSysInfoProgram() {
  for (const QString& name : SysInfoProgramNames()) {
    const QString path = QStandardPaths::findExecutable(name);
    if (!path.isEmpty()) return path;
  }
  return QString();
}

void StartSysInfo(QWidget* owner, const QString& title) {
  const QString program = FindSysInfoProgram();
  if (!program.isEmpty() && QProcess::startDetached(program, {})) return;
  // A plain box of its own: no icon, only OK.
  QMessageBox box(QMessageBox::NoIcon, title, QString::fromUtf16(kSysInfoUnavailable),
                  QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace quonder
