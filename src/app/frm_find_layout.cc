// The controls of the main window at their designed places (twips, converted once per window),
// the menu, the status bar panels, the focus order and the wiring of every handler.
#include "app/frm_find.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QMenuBar>
#include <QPainter>

#include <algorithm>
#include <array>
#include <type_traits>

#include "app/find_worker.h"
#include "app/result_model.h"

namespace quonder {
namespace {

// Makes the window's controls at their designed places: a rectangle in twips (left, top,
// width, height), the control's name and, for buttons, labels and frames, its caption.
struct Placer {
  const TwipsScale& twips;

  template <typename Widget>
  Widget* Make(QWidget* parent, const char* name, const std::array<int, 4>& place,
               const char* caption = "") const {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    const QString text = QString::fromUtf8(caption);
    if constexpr (std::is_base_of_v<QAbstractButton, Widget> || std::is_base_of_v<QLabel, Widget>) {
      widget->setText(text);
    } else if constexpr (std::is_same_v<Widget, QGroupBox>) {
      widget->setTitle(text);
    }
    widget->setGeometry(twips.ToPixels(place[0], place[1], place[2], place[3]));
    return widget;
  }
};

// A label whose last word (a unit) is drawn at a fixed place, behind the field that covers the
// blanks before it; text() stays the caption as written.
class UnitLabel : public QLabel {
 public:
  using QLabel::QLabel;
  void SetUnitPosition(int x) {
    unit_x_ = x;
    update();
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    const QString caption = text();
    const qsizetype unit_start = caption.lastIndexOf(QLatin1Char(' ')) + 1;
    if (unit_x_ < 0 || unit_start <= 0) {
      QLabel::paintEvent(event);
      return;
    }
    QPainter painter(this);
    const QRect area = contentsRect();
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawText(area, flags, caption.left(unit_start).trimmed());
    painter.drawText(area.adjusted(unit_x_, 0, 0, 0), flags, caption.mid(unit_start));
  }

 private:
  int unit_x_ = -1;
};

// An editable combo box that behaves like a plain history box: no inline completion (it
// would change what the user types into an older entry) and no items added on Enter.
QComboBox* MakeHistoryBox(QComboBox* box) {
  box->setEditable(true);
  box->setCompleter(nullptr);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setDuplicatesEnabled(true);
  return box;
}

}  // namespace

void frmFind::BuildControls() {
  setObjectName(QStringLiteral("frmFind"));
  setWindowTitle(QStringLiteral("Quonder in the Folder"));
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);

  BuildFileSettings(client);
  BuildFindSettings(client);
  BuildResultList(client);
  BuildMenu();
  BuildStatusBar();
  SetTabOrder();
  FitFontToDesign();
  client->installEventFilter(this);

  find_history_ = HistoryCombo(cboFind);
  replace_history_ = HistoryCombo(cboReplace);
  extentions_history_ = HistoryCombo(cboExtentions);

  // The designed client area: 9450 x 6645 twips below the menu, the status bar included.
  resize(twips_.ToPixelsX(9450), menuBar()->sizeHint().height() + twips_.ToPixelsY(6645));
}

// The places are designed for a narrow 9-point face. With a wider desktop font the captions
// would be cut off, so the window's font shrinks (not below 7 points) until they fit.
void frmFind::FitFontToDesign() {
  const QList<QWidget*> captions = {
      lblSourceFolder, chkSubFolder,  Label1,     lblCopyFolder, lblFind,    cmdFind,
      chkRegExp,       chkIgnoreCase, optCrLf,    optCr,         optLf,      chkEnableRestore,
      cmdStop,         chkWordOnly,   cmdReplace, lblReplace,    cmdRestore, cmdSelectAll,
      cmdOpen,         cmdCopy,       cmdXcopy};
  auto fits = [&captions] {
    for (QWidget* widget : captions) {
      int needed = widget->sizeHint().width();
      if (auto* button = qobject_cast<QPushButton*>(widget)) {
        // A button's hint has room for a default width; the caption itself is what must fit.
        needed = button->fontMetrics().horizontalAdvance(button->text()) + 6;
      }
      if (needed > widget->width()) return false;
    }
    return true;
  };
  QFont face = font();
  if (face.pointSizeF() <= 0) return;  // a face given in pixels is left as the desktop set it
  for (double size = face.pointSizeF() - 0.5; size >= 7.0 && !fits(); size -= 0.5) {
    face.setPointSizeF(size);
    setFont(face);
  }

  // The size label's blank run holds the size box; its unit must come out just behind the box
  // whatever the face's width of a blank.
  static_cast<UnitLabel*>(lblMaxSize)
      ->SetUnitPosition(txtMaxSize->geometry().right() + 1 + twips_.ToPixelsX(60) -
                        lblMaxSize->x());
}

void frmFind::BuildFileSettings(QWidget* client) {
  const Placer put{twips_};
  fraFileSettings =
      put.Make<QGroupBox>(client, "fraFileSettings", {0, 0, 9375, 1935}, "File Setting");
  QWidget* frame = fraFileSettings;
  lblSourceFolder =
      put.Make<QLabel>(frame, "lblSourceFolder", {120, 240, 1095, 255}, "Source Folder");
  txtSourceFolder = put.Make<QLineEdit>(frame, "txtSourceFolder", {1320, 240, 7695, 270});
  cmdSelectSourceFolder =
      put.Make<QPushButton>(frame, "cmdSelectSourceFolder", {9000, 240, 255, 255}, "...");
  // The size box sits in the blank run of the label, so the label is made first (below it).
  lblMaxSize = put.Make<UnitLabel>(frame, "lblMaxSize", {120, 600, 2895, 255},
                                   "Maximum File Size                  kB");
  txtMaxSize = put.Make<QLineEdit>(frame, "txtMaxSize", {1680, 600, 855, 270});
  chkSubFolder =
      put.Make<QCheckBox>(frame, "chkSubFolder", {3000, 600, 1695, 255}, "Find Sub Folder");
  Label1 = put.Make<QLabel>(frame, "Label1", {6120, 600, 1455, 255}, "Charracter Coding");
  cboCoding = put.Make<QComboBox>(frame, "cboCoding", {7680, 600, 1575, 300});

  fraExention = put.Make<QGroupBox>(frame, "fraExention", {120, 840, 9135, 615}, "File Extention");
  cboExtentions =
      MakeHistoryBox(put.Make<QComboBox>(fraExention, "cboExtentions", {120, 240, 6855, 300}));
  cboExtBehavior = put.Make<QComboBox>(fraExention, "cboExtBehavior", {7080, 240, 1935, 300});

  lblCopyFolder = put.Make<QLabel>(frame, "lblCopyFolder", {120, 1560, 1095, 255}, "Copy Folder");
  txtCopyFolder = put.Make<QLineEdit>(frame, "txtCopyFolder", {1320, 1560, 7695, 270});
  cmdSelectCopyFolder =
      put.Make<QPushButton>(frame, "cmdSelectCopyFolder", {9000, 1560, 255, 255}, "...");
}

void frmFind::BuildFindSettings(QWidget* client) {
  const Placer put{twips_};
  fraFindSettings =
      put.Make<QGroupBox>(client, "fraFindSettings", {0, 2040, 9375, 1935}, "Find Setting");
  QWidget* frame = fraFindSettings;
  lblFind = put.Make<QLabel>(frame, "lblFind", {120, 240, 855, 255}, "Find Text");
  cboFind = MakeHistoryBox(put.Make<QComboBox>(frame, "cboFind", {960, 240, 7575, 300}));
  cmdFind = put.Make<QPushButton>(frame, "cmdFind", {8640, 240, 615, 255}, "Find");
  chkRegExp =
      put.Make<QCheckBox>(frame, "chkRegExp", {120, 720, 2175, 255}, "Use Regular Expression");
  chkIgnoreCase =
      put.Make<QCheckBox>(frame, "chkIgnoreCase", {2640, 720, 1215, 255}, "Ignore Case");

  fraLineFeed = put.Make<QGroupBox>(frame, "fraLineFeed", {3960, 600, 2535, 495}, "Line Feed Code");
  optCrLf = put.Make<QRadioButton>(fraLineFeed, "optCrLf", {120, 180, 1095, 255}, "CR+LF");
  optCr = put.Make<QRadioButton>(fraLineFeed, "optCr", {1200, 180, 615, 255}, "CR");
  optLf = put.Make<QRadioButton>(fraLineFeed, "optLf", {1920, 180, 495, 255}, "LF");

  chkEnableRestore =
      put.Make<QCheckBox>(frame, "chkEnableRestore", {6720, 720, 1695, 255}, "Enable Restore");
  cmdStop = put.Make<QPushButton>(frame, "cmdStop", {8640, 720, 615, 255}, "Stop");
  chkWordOnly = put.Make<QCheckBox>(frame, "chkWordOnly", {120, 1200, 2535, 255},
                                    "Check Word Only.  Separater:");
  txtSeparator = put.Make<QLineEdit>(frame, "txtSeparator", {2760, 1200, 5535, 270});
  cmdReplace = put.Make<QPushButton>(frame, "cmdReplace", {8400, 1200, 855, 255}, "Replace");
  cmdReplace->setEnabled(false);
  lblReplace = put.Make<QLabel>(frame, "lblReplace", {120, 1560, 1095, 255}, "Replace Text");
  cboReplace = MakeHistoryBox(put.Make<QComboBox>(frame, "cboReplace", {1200, 1560, 7095, 300}));
  cmdRestore = put.Make<QPushButton>(frame, "cmdRestore", {8400, 1560, 855, 255}, "Restore");
  cmdRestore->setEnabled(false);
}

void frmFind::BuildResultList(QWidget* client) {
  const Placer put{twips_};
  cmdSelectAll = put.Make<QPushButton>(client, "cmdSelectAll", {0, 4080, 975, 255}, "Select All");
  cmdOpen = put.Make<QPushButton>(client, "cmdOpen", {1080, 4080, 975, 255}, "Open File");
  cmdCopy = put.Make<QPushButton>(client, "cmdCopy", {2160, 4080, 975, 255}, "Copy Files");
  cmdXcopy = put.Make<QPushButton>(client, "cmdXcopy", {3240, 4080, 1215, 255}, "Copy Folders");

  ListView1 = put.Make<QTableView>(client, "ListView1", {0, 4320, 9375, 1935});
  model_ = new ResultModel(this);
  ListView1->setModel(model_);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setShowGrid(false);
  ListView1->setWordWrap(false);
  ListView1->setTabKeyNavigation(false);
  ListView1->verticalHeader()->hide();
  // Fixed row heights keep a million rows cheap to scroll: no row is ever measured.
  ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 4);
  ListView1->horizontalHeader()->setHighlightSections(false);
  // The widths of the settings file are kept as stored, however narrow.
  ListView1->horizontalHeader()->setMinimumSectionSize(1);
  ListView1->horizontalHeader()->setStretchLastSection(false);
  ListView1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  ListView1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  ListView1->installEventFilter(this);
  ListView1->viewport()->installEventFilter(this);
}

void frmFind::BuildMenu() {
  mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
  mnuFile->setObjectName(QStringLiteral("mnuFile"));
  mnuFileSelectSetting = mnuFile->addAction(QStringLiteral("Select Setting"));
  mnuFileSelectSetting->setObjectName(QStringLiteral("mnuFileSelectSetting"));
  mnuFileExportSetting = mnuFile->addAction(QStringLiteral("ExportSetting"));
  mnuFileExportSetting->setObjectName(QStringLiteral("mnuFileExportSetting"));
  Nop1 = mnuFile->addSeparator();
  Nop1->setObjectName(QStringLiteral("Nop1"));
  mnuFileExit = mnuFile->addAction(QStringLiteral("E&xit"));
  mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
  mnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

  mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
  mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
  mnuHelpHelp = mnuHelp->addAction(QStringLiteral("Help"));
  mnuHelpHelp->setObjectName(QStringLiteral("mnuHelpHelp"));
  mnuHelpHelp->setShortcut(QKeySequence(Qt::Key_F1));
  mnuHelpQuonder = mnuHelp->addAction(QStringLiteral("&About Quonder"));
  mnuHelpQuonder->setObjectName(QStringLiteral("mnuHelpQuonder"));
}

void frmFind::BuildStatusBar() {
  stbBottom = new QStatusBar(this);
  stbBottom->setObjectName(QStringLiteral("stbBottom"));
  stbBottom->setSizeGripEnabled(false);
  setStatusBar(stbBottom);
  CreatePanels();
}

void frmFind::CreatePanels() {
  static const char* const kToolTips[5] = {nullptr, "Current File", "File Counter", "Find Counter",
                                           "Replace Counter"};
  // The panels sit side by side without gaps in a row of their own, so that their widths add
  // up as set; the status bar's own spacing would make the window wider than asked.
  if (panel_row_ != nullptr) {
    stbBottom->removeWidget(panel_row_);
    delete panel_row_;
  }
  panel_row_ = new QWidget(stbBottom);
  panel_row_->setObjectName(QStringLiteral("stbPanels"));
  auto* row = new QHBoxLayout(panel_row_);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  for (int i = 0; i < 5; ++i) {
    auto* panel = new QLabel(panel_row_);
    panel->setObjectName(QStringLiteral("stbPanel%1").arg(i + 1));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel->setTextFormat(Qt::PlainText);
    if (kToolTips[i] != nullptr) panel->setToolTip(QString::fromLatin1(kToolTips[i]));
    row->addWidget(panel, i == 1 ? 1 : 0);
    stbPanels[i] = panel;
  }
  row->addStretch(0);
  stbBottom->addWidget(panel_row_, 1);
  SetPanelWidths();
}

void frmFind::SetTabOrder() {
  QWidget* const order[] = {cboFind,
                            cmdFind,
                            chkRegExp,
                            chkIgnoreCase,
                            optCrLf,
                            optCr,
                            optLf,
                            chkEnableRestore,
                            cmdStop,
                            chkWordOnly,
                            txtSeparator,
                            cmdReplace,
                            cboReplace,
                            cmdRestore,
                            txtSourceFolder,
                            cmdSelectSourceFolder,
                            txtMaxSize,
                            chkSubFolder,
                            cboCoding,
                            cboExtentions,
                            cboExtBehavior,
                            txtCopyFolder,
                            cmdSelectCopyFolder,
                            cmdSelectAll,
                            cmdOpen,
                            cmdCopy,
                            cmdXcopy,
                            ListView1};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
  // Labels and frames take no focus.
  for (QWidget* frame :
       {static_cast<QWidget*>(fraFileSettings), static_cast<QWidget*>(fraExention),
        static_cast<QWidget*>(fraFindSettings), static_cast<QWidget*>(fraLineFeed)}) {
    frame->setFocusPolicy(Qt::NoFocus);
  }
}

void frmFind::ConnectHandlers() {
  auto publish = [this] { PublishConditions(); };
  // A box greyed by the settings file becomes an ordinary two-state box at the user's click.
  for (QCheckBox* box : {chkSubFolder, chkRegExp, chkIgnoreCase, chkEnableRestore, chkWordOnly}) {
    connect(box, &QCheckBox::clicked, box, [box] {
      if (box->checkState() != Qt::PartiallyChecked) box->setTristate(false);
    });
  }
  connect(cboExtBehavior, &QComboBox::currentIndexChanged, this,
          [this] { cboExtBehavior_Click(); });
  connect(chkIgnoreCase, &QCheckBox::stateChanged, this, [this] { chkIgnoreCase_Click(); });
  connect(chkRegExp, &QCheckBox::stateChanged, this, [this] { chkRegExp_Click(); });
  connect(chkWordOnly, &QCheckBox::stateChanged, this, [this] { chkWordOnly_Click(); });
  connect(optCrLf, &QRadioButton::toggled, this, [this](bool on) {
    if (on) optCrLf_Click();
  });
  connect(optCr, &QRadioButton::toggled, this, [this](bool on) {
    if (on) optCr_Click();
  });
  connect(optLf, &QRadioButton::toggled, this, [this](bool on) {
    if (on) optLf_Click();
  });
  connect(cboCoding, &QComboBox::currentIndexChanged, this, [this] { cboCoding_Click(); });
  connect(txtMaxSize, &QLineEdit::textChanged, this, [this] { txtMaxSize_Change(); });
  connect(cboFind, &QComboBox::editTextChanged, this, [this] { cboFind_Change(); });
  connect(txtSeparator, &QLineEdit::textChanged, this, publish);
  connect(chkSubFolder, &QCheckBox::stateChanged, this, publish);
  connect(cboExtentions, &QComboBox::editTextChanged, this, publish);
  // Enter in the find box presses Find (a disabled Find ignores it, so a run cannot restart).
  connect(cboFind->lineEdit(), &QLineEdit::returnPressed, cmdFind, &QPushButton::click);

  connect(cmdFind, &QPushButton::clicked, this, [this] { cmdFind_Click(); });
  connect(cmdStop, &QPushButton::clicked, this, [this] { cmdStop_Click(); });
  connect(cmdSelectAll, &QPushButton::clicked, this, [this] { cmdSelectAll_Click(); });
  connect(cmdOpen, &QPushButton::clicked, this, [this] { cmdOpen_Click(); });
  connect(ListView1, &QTableView::doubleClicked, this, [this] { ListView1_DblClick(); });
  connect(cmdReplace, &QPushButton::clicked, this, [this] { cmdReplace_Click(); });
  connect(cmdRestore, &QPushButton::clicked, this, [this] { cmdRestore_Click(); });
  connect(cmdCopy, &QPushButton::clicked, this, [this] { cmdCopy_Click(); });
  connect(cmdXcopy, &QPushButton::clicked, this, [this] { cmdXcopy_Click(); });
  connect(cmdSelectSourceFolder, &QPushButton::clicked, this,
          [this] { cmdSelectSourceFolder_Click(); });
  connect(cmdSelectCopyFolder, &QPushButton::clicked, this,
          [this] { cmdSelectCopyFolder_Click(); });
  connect(txtSourceFolder, &QLineEdit::editingFinished, this,
          [this] { txtSourceFolder_Validate(); });
  connect(txtCopyFolder, &QLineEdit::editingFinished, this, [this] { txtCopyFolder_Validate(); });

  connect(mnuFileSelectSetting, &QAction::triggered, this,
          [this] { mnuFileSelectSetting_Click(); });
  connect(mnuFileExportSetting, &QAction::triggered, this,
          [this] { mnuFileExportSetting_Click(); });
  connect(mnuFileExit, &QAction::triggered, this, [this] { mnuFileExit_Click(); });
  connect(mnuHelpHelp, &QAction::triggered, this, [this] { mnuHelpHelp_Click(); });
  connect(mnuHelpQuonder, &QAction::triggered, this, [this] { mnuHelpQuonder_Click(); });

  connect(worker_, &FindWorker::rowsReady, this, &frmFind::OnRowsReady);
  connect(worker_, &FindWorker::statusText, this, &frmFind::OnStatusText);
  connect(worker_, &FindWorker::finished, this, &frmFind::OnFindFinished);
}

}  // namespace quonder
