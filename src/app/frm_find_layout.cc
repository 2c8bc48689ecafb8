// The controls of the main window at their designed places (twips, at the window's scale), the
// menu, the status bar panels, the focus order and the wiring of every handler.
#include "app/frm_find.h"

#include <QHeaderView>
#include <QKeySequence>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>

#include <algorithm>
#include <array>
#include <type_traits>

#include "app/find_worker.h"
#include "app/frame_box.h"
#include "app/result_model.h"
#include "app/screen_room.h"
#include "app/status_panels.h"
#include "app/unit_label.h"

namespace quonder {
namespace {

// Makes the window's controls and records their designed places: a rectangle in twips (left,
// top, width, height), the control's name and, for buttons, labels and frames, its caption.
struct Placer {
  DesignLayout& design;

  template <typename Widget>
  Widget* Make(QWidget* parent, const char* name, const std::array<int, 4>& place,
               const char* caption = "") const {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    const QString text = QString::fromUtf8(caption);
    if constexpr (std::is_base_of_v<QAbstractButton, Widget> || std::is_base_of_v<QLabel, Widget>) {
      widget->setText(text);
    } else if constexpr (std::is_base_of_v<QGroupBox, Widget>) {
      widget->setTitle(text);
    }
    design.Place(widget, QRect(place[0], place[1], place[2], place[3]));
    return widget;
  }
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

// The largest size the size box can hold in use, in kilobytes: a 32-bit count of bytes.
constexpr char kLargestMaxSize[] = "2097151";
// Gap between the size box and the parts of its label.
constexpr int kUnitGapTwips = 60;
// Rows the default window shows in its result list.
constexpr int kDefaultListRows = 15;

}  // namespace

void frmFind::BuildControls() {
  setObjectName(QStringLiteral("frmFind"));
  setWindowTitle(QStringLiteral("Quonder in the Folder"));
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);
  // The form sits at the client area's origin, so that its controls keep their designed places.
  form_area_ = MakeFormArea(client, QStringLiteral("formArea"));
  QWidget* form = form_area_->widget();

  BuildFileSettings(form);
  BuildFindSettings(form);
  BuildResultList(form, client);
  BuildMenu();
  BuildStatusBar();
  SetTabOrder();
  client->installEventFilter(this);

  find_history_ = HistoryCombo(cboFind);
  replace_history_ = HistoryCombo(cboReplace);
  extentions_history_ = HistoryCombo(cboExtentions);

  ApplyScale();
  resize(QSize(twips_.ToPixelsX(9450), menuBar()->sizeHint().height() + DefaultClientHeight())
             .boundedTo(ClientRoom(*this)));
}

// The scale follows the window's logical DPI and font (design_layout.h); everything placed in
// twips moves with it. Runs at start, when the code set names are known, and when the
// screen's DPI changes.
void frmFind::ApplyScale() {
  const TwipsScale scale = design_.Fit(*this);
  if (scale == twips_ && design_applied_) return;
  design_applied_ = true;
  twips_ = scale;
  twips_.Store(*this);
  design_.Apply(twips_);
  // The unit comes out just behind the size box, whatever the face's width of a blank.
  static_cast<UnitLabel*>(lblMaxSize)
      ->SetUnitPosition(txtMaxSize->geometry().right() + 1 + twips_.ToPixelsX(kUnitGapTwips) -
                        lblMaxSize->x());
  SetPanelWidths();
  form_area_->widget()->resize(DesignedMinWidth() - twips_.ToPixelsX(kListMarginTwips),
                               twips_.ToPixelsY(kListTopTwips));
  LayoutList();
}

// The window's designed smallest width: the find frame and the list's margin beside it.
int frmFind::DesignedMinWidth() const {
  return fraFindSettings->x() + fraFindSettings->width() + twips_.ToPixelsX(kListMarginTwips);
}

// The designed client area (6645 twips), made taller when needed so that the result list shows
// kDefaultListRows rows while the screen leaves room for them. The window's own size is
// bounded by the screen after this.
int frmFind::DefaultClientHeight() const {
  const int wanted = twips_.ToPixelsY(kListTopTwips) + ListHeight(kDefaultListRows) +
                     twips_.ToPixelsY(kListMarginTwips) + stbBottom->sizeHint().height();
  const int room = ClientRoom(*this).height() - menuBar()->sizeHint().height();
  return std::max(twips_.ToPixelsY(6645), std::min(wanted, room));
}

// The list's height for its header and `rows` rows, with room for a horizontal scroll bar
// (columns wider than the list take a row's place otherwise).
int frmFind::ListHeight(int rows) const {
  return 2 * ListView1->frameWidth() + ListView1->horizontalHeader()->sizeHint().height() +
         rows * ListView1->verticalHeader()->defaultSectionSize() +
         ListView1->horizontalScrollBar()->sizeHint().height();
}

void frmFind::WatchScreenDpi() {
  QWindow* window = windowHandle();
  if (window == nullptr) return;
  const auto watch = [this](QScreen* screen) {
    disconnect(dpi_connection_);
    if (screen != nullptr) {
      dpi_connection_ =
          connect(screen, &QScreen::logicalDotsPerInchChanged, this, [this] { Rescale(); });
    }
  };
  connect(window, &QWindow::screenChanged, this, [this, watch](QScreen* screen) {
    watch(screen);
    Rescale();
  });
  watch(window->screen());
}

// A new logical DPI or font: the window keeps its size and column widths in twips.
void frmFind::Rescale() {
  const TwipsScale before = twips_;
  const QSizeF size_twips(before.ToTwipsX(width()), before.ToTwipsY(height()));
  std::array<double, ResultModel::kColumnCount> column_twips{};
  for (int column = 0; column < ResultModel::kColumnCount; ++column) {
    column_twips[column] = before.ToTwipsX(ListView1->columnWidth(column));
  }
  ListView1->verticalHeader()->setDefaultSectionSize(RowHeight());
  ApplyScale();
  if (twips_ == before) return;
  for (int column = 0; column < ResultModel::kColumnCount; ++column) {
    ListView1->setColumnWidth(column, std::max(1, twips_.ToPixelsX(column_twips[column])));
  }
  // Menu bar and status bar take their new heights before the minimum height counts them.
  if (layout() != nullptr) layout()->activate();
  if (lngMinHeight > 0) WorkOutMinHeight();
  resize(twips_.ToPixelsX(size_twips.width()), twips_.ToPixelsY(size_twips.height()));
  KeepInsideScreen(*this);
}

void frmFind::BuildFileSettings(QWidget* client) {
  const Placer put{design_};
  fraFileSettings =
      put.Make<FrameBox>(client, "fraFileSettings", {0, 0, 9375, 1935}, "File Setting");
  QWidget* frame = fraFileSettings;
  lblSourceFolder =
      put.Make<QLabel>(frame, "lblSourceFolder", {120, 240, 1095, 255}, "Source Folder");
  // The folder boxes end where their "..." buttons start (the classic design let them run 15
  // twips under the button; at any scale above 96 DPI that is a pixel of overlap).
  txtSourceFolder = put.Make<QLineEdit>(frame, "txtSourceFolder", {1320, 240, 7680, 270});
  cmdSelectSourceFolder =
      put.Make<QPushButton>(frame, "cmdSelectSourceFolder", {9000, 240, 255, 255}, "...");
  // The size box sits in the blank run of the label, so the label is made first (below it).
  auto* size_label = put.Make<UnitLabel>(frame, "lblMaxSize", {120, 600, 2895, 255},
                                         "Maximum File Size                  kB");
  lblMaxSize = size_label;
  txtMaxSize = put.Make<QLineEdit>(frame, "txtMaxSize", {1680, 600, 855, 270});
  // The caption ends before the box, the unit between the box and the check box beside it, and
  // the box holds the largest size.
  design_.Require(size_label, size_label->Caption(), 1680 - 120 - kUnitGapTwips);
  design_.Require(size_label, size_label->Unit(), 3000 - (1680 + 855 + kUnitGapTwips));
  design_.Require(txtMaxSize, QString::fromLatin1(kLargestMaxSize), 855);
  chkSubFolder =
      put.Make<QCheckBox>(frame, "chkSubFolder", {3000, 600, 1695, 255}, "Find Sub Folder");
  Label1 = put.Make<QLabel>(frame, "Label1", {6120, 600, 1455, 255}, "Charracter Coding");
  cboCoding = put.Make<QComboBox>(frame, "cboCoding", {7680, 600, 1575, 300});

  fraExention = put.Make<FrameBox>(frame, "fraExention", {120, 840, 9135, 615}, "File Extention");
  cboExtentions =
      MakeHistoryBox(put.Make<QComboBox>(fraExention, "cboExtentions", {120, 240, 6855, 300}));
  cboExtBehavior = put.Make<QComboBox>(fraExention, "cboExtBehavior", {7080, 240, 1935, 300});
  // Filled by LoadSettings; both entries must show whole.
  for (const char* entry : {"Include", "Exclude"}) {
    design_.Require(cboExtBehavior, QString::fromLatin1(entry), 1935);
  }

  lblCopyFolder = put.Make<QLabel>(frame, "lblCopyFolder", {120, 1560, 1095, 255}, "Copy Folder");
  txtCopyFolder = put.Make<QLineEdit>(frame, "txtCopyFolder", {1320, 1560, 7680, 270});
  cmdSelectCopyFolder =
      put.Make<QPushButton>(frame, "cmdSelectCopyFolder", {9000, 1560, 255, 255}, "...");
}

void frmFind::BuildFindSettings(QWidget* client) {
  const Placer put{design_};
  fraFindSettings =
      put.Make<FrameBox>(client, "fraFindSettings", {0, 2040, 9375, 1935}, "Find Setting");
  QWidget* frame = fraFindSettings;
  lblFind = put.Make<QLabel>(frame, "lblFind", {120, 240, 855, 255}, "Find Text");
  cboFind = MakeHistoryBox(put.Make<QComboBox>(frame, "cboFind", {960, 240, 7575, 300}));
  cmdFind = put.Make<QPushButton>(frame, "cmdFind", {8640, 240, 615, 255}, "Find");
  chkRegExp =
      put.Make<QCheckBox>(frame, "chkRegExp", {120, 720, 2175, 255}, "Use Regular Expression");
  chkIgnoreCase =
      put.Make<QCheckBox>(frame, "chkIgnoreCase", {2640, 720, 1215, 255}, "Ignore Case");

  fraLineFeed = put.Make<FrameBox>(frame, "fraLineFeed", {3960, 600, 2535, 495}, "Line Feed Code");
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

void frmFind::BuildResultList(QWidget* form, QWidget* client) {
  const Placer put{design_};
  cmdSelectAll = put.Make<QPushButton>(form, "cmdSelectAll", {0, 4080, 975, 255}, "Select All");
  cmdOpen = put.Make<QPushButton>(form, "cmdOpen", {1080, 4080, 975, 255}, "Open File");
  cmdCopy = put.Make<QPushButton>(form, "cmdCopy", {2160, 4080, 975, 255}, "Copy Files");
  cmdXcopy = put.Make<QPushButton>(form, "cmdXcopy", {3240, 4080, 1215, 255}, "Copy Folders");

  // The list starts where the buttons end (designed at 4320, it ran 15 twips under them).
  ListView1 = put.Make<QTableView>(client, "ListView1", {0, kListTopTwips, 9375, 1935});
  model_ = new ResultModel(this);
  ListView1->setModel(model_);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setShowGrid(false);
  ListView1->setWordWrap(false);
  ListView1->setTabKeyNavigation(false);
  ListView1->setVerticalHeader(MakeRowHeader());
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
  auto* row = new PanelRowLayout(panel_row_, /*stretch=*/1);
  for (int i = 0; i < 5; ++i) {
    // Panels 3 to 5 hold the counters.
    auto* panel = new PanelLabel(panel_row_, /*widens=*/i >= 2);
    panel->setObjectName(QStringLiteral("stbPanel%1").arg(i + 1));
    if (kToolTips[i] != nullptr) panel->setToolTip(QString::fromLatin1(kToolTips[i]));
    row->addWidget(panel);
    stbPanels[i] = panel;
  }
  stbBottom->addWidget(panel_row_, 1);
  SetPanelWidths();
}

// Panels 1, 3, 4 and 5 keep their designed widths (wider when a text needs it); panel 2 takes
// the rest and never holds the window wider. A bar too narrow for that keeps panel 2 as wide as
// a counter and takes the shortfall from the others (status_panels.h).
void frmFind::SetPanelWidths() {
  static constexpr int kPanelTwips[5] = {1500, 600, 600, 600, 600};
  for (int i = 0; i < 5; ++i) {
    auto* panel = static_cast<PanelLabel*>(stbPanels[i]);
    if (panel == nullptr) continue;
    panel->setSizePolicy(i == 1 ? QSizePolicy::Ignored : QSizePolicy::Fixed,
                         QSizePolicy::Preferred);
    panel->SetDesignWidth(twips_.ToPixelsX(kPanelTwips[i]));
  }
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
  connect(txtMaxSize, &QLineEdit::editingFinished, this, [this] { txtMaxSize_Validate(); });
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
