// The window's lifecycle: start-up, layout on resize with the saving of its size and column
// widths, and closing.
#include "app/frm_find.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <optional>

#include "app/app_icon.h"
#include "app/find_worker.h"
#include "app/message_box.h"
#include "app/result_model.h"
#include "app/screen_room.h"
#include "core/fileops/file_common.h"
#include "core/message_titles.h"
#include "core/settings/data_files.h"
#include "core/settings/setting_numbers.h"
#include "core/settings/settings_location.h"

namespace quonder {
namespace {

// How long the size waits for the next event of the same change before it is written.
constexpr int kSizeWriteDelayMs = 250;

}  // namespace

frmFind::frmFind(FindWindowStart start, QWidget* parent)
    : QMainWindow(parent), start_(std::move(start)) {
  twips_ = TwipsScale(*this);
  size_write_timer_ = new QTimer(this);
  size_write_timer_->setSingleShot(true);
  size_write_timer_->setInterval(kSizeWriteDelayMs);
  connect(size_write_timer_, &QTimer::timeout, this, [this] { FlushWindowSizeWrite(); });
  worker_ = new FindWorker(this);
  previewer_ = new LinePreviewer(this);
  connect(previewer_, &LinePreviewer::ready, this, [this] { OnRowTipReady(); });
  CreateFileOpsWorker();
  setWindowIcon(AppIcon());
  BuildControls();
  ConnectHandlers();
  BuildListCommands();
  // The column headers do not show the selection. Left on the list's selection model, each of
  // them would ask it whether its whole column is selected, row by row, at every repaint after
  // a change of the selection: seconds after Select All over millions of rows.
  ListView1->horizontalHeader()->setSelectionModel(new QItemSelectionModel(model_, ListView1));
}

frmFind::~frmFind() {
  // The run must end before the controls it reports to go away.
  worker_->Shutdown();
  StopFileOpAndWait();
  // A window that goes without a close (the program ended another way) still takes its backup
  // folder with it.
  if (!unloaded_) Form_Unload();
  // The children are destroyed after this body; a box that still has the focus would report
  // editingFinished to handlers of a half-destroyed window.
  for (QWidget* child : findChildren<QWidget*>()) child->blockSignals(true);
}

bool frmFind::Form_Load() {
  strIniFile = start_.settings_file;
  if (strIniFile.empty()) {
    strIniFile = DefaultSettingsFile(start_.program_folder);
    unmade_settings_file_ = strIniFile;
  }
  // A folder of this window's own: TEMP is shared with other users and other windows. Without
  // one, every backup fails and the replace asks before it changes anything.
  PrivateFolder::Make(TempFolder(), "Quonder", backup_folder_);
  strBackupFolder = backup_folder_.path();

  if (!LoadCharCodeSet(FindDataFolder(start_.program_folder, "CharCodeSet.ini"), CharCodeSets)) {
    ShowMessage(QStringLiteral("文字コードセットの初期化が出来ません\r\n終了します"),
                QString::fromLatin1(kTitleFindTextAlarm), kMbOk | kMbIconStop);
    close();
    if (!unloaded_) Form_Unload();
    return false;
  }

  {
    QSignalBlocker quiet(cboCoding);
    cboCoding->clear();
    for (const CharCodeEntry& entry : CharCodeSets) {
      cboCoding->addItem(QString::fromStdString(entry.Name));
    }
    // Nothing is chosen until the settings choose it.
    cboCoding->setCurrentIndex(-1);
  }
  // Every code set name must show whole in its box.
  ApplyScale();

  CreatePanels();
  LoadSettings();
  if (!start_.source_folder.empty()) {
    // As a typed folder: taken now, written with the conditions by the next command.
    strSourceFolder = start_.source_folder;
    txtSourceFolder->setText(QString::fromStdString(strSourceFolder));
    PublishConditions();
  }
  EnableFolderDrops();
  cmdRestore->setEnabled(false);

  cmdOpen->setToolTip(
      QStringLiteral("Open Selected File by Application, that is set in Quonder.ini."));
  cmdCopy->setToolTip(QStringLiteral("Copy Selected Files to [Copy Folder]"));
  cmdXcopy->setToolTip(cmdCopy->toolTip() +
                       QStringLiteral(" with keeping their Directory Structure"));
  cmdRestore->setToolTip(QStringLiteral("Restore files before Replace"));

  cboFind->setFocus();
  return true;
}

void frmFind::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  Form_Resize();
}

void frmFind::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  WatchScreenDpi();
  // Once the first showing has been handled, menu bar and status bar have their real sizes and
  // the frame is usually known.
  QTimer::singleShot(0, this, [this] {
    if (lngMinHeight > 0) WorkOutMinHeight();
    CheckFrameKnown();
  });
}

void frmFind::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // The desktop's font changed (the controls have the new one already): the scale follows it
  // as it follows a new DPI.
  if (event->type() == QEvent::FontChange && design_applied_) Rescale();
}

void frmFind::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  CheckFrameKnown();
  constexpr qint64 kSameChangeMs = 500;
  if (since_size_write_.isValid() && since_size_write_.elapsed() < kSameChangeMs &&
      !isMinimized()) {
    ScheduleWindowSizeWrite();
  }
}

// The window manager adds the frame only once the window is shown. The measures that count
// it (the outer size from the settings, the minimum height) are worked out again then.
void frmFind::CheckFrameKnown() {
  if (frame_known_ || !isVisible() || frameGeometry().size() == size()) return;
  frame_known_ = true;
  if (lngMinHeight > 0) WorkOutMinHeight();
  const QSize outer = pending_outer_size_;
  pending_outer_size_ = QSize(-1, -1);
  if (outer.width() > 0 || outer.height() > 0) {
    const QSize frame = frameGeometry().size() - size();
    resize(outer.width() > 0 ? outer.width() - frame.width() : width(),
           outer.height() > 0 ? outer.height() - frame.height() : height());
  }
  // The frame may be larger than estimated.
  KeepInsideScreen(*this);
}

void frmFind::Form_Resize() {
  if (isMinimized()) return;
  CheckFrameKnown();

  // The window never gets narrower than the find frame, nor shorter than what shows the
  // list's header and one row, unless the screen has less room (the minimum size set by
  // LoadSettings holds the same limits; these catch a size that was applied before it).
  const int min_width = std::min(DesignedMinWidth(), ClientRoom(*this).width());
  const int frame_extra_height = frameGeometry().height() - height();
  const int min_height = twips_.ToPixelsY(lngMinHeight) - frame_extra_height;
  if (width() < min_width || (lngMinHeight > 0 && height() < min_height)) {
    resize(std::max(width(), min_width),
           lngMinHeight > 0 ? std::max(height(), min_height) : height());
  }

  LayoutList();
  ScheduleWindowSizeWrite();
}

// The size is written once the events of one change have settled: a window manager that moves
// and resizes a window together may report the new size first with the old place, and the
// move just after it; dragging a border sends a resize for every step. A move soon after a
// resize belongs to the same change and writes again; a move on its own writes nothing.
void frmFind::ScheduleWindowSizeWrite() {
  window_size_write_pending_ = true;
  size_write_timer_->start();
}

void frmFind::FlushWindowSizeWrite() {
  size_write_timer_->stop();
  if (!window_size_write_pending_) return;
  window_size_write_pending_ = false;
  if (isMinimized()) return;
  // The outer size from the settings waits for the frame; until it is applied the window has a
  // size nobody asked for, and storing it would lose the one asked for.
  const QSize outer = frameGeometry().size();
  const QSize& wanted = pending_outer_size_;
  if ((wanted.width() > 0 && wanted.width() != outer.width()) ||
      (wanted.height() > 0 && wanted.height() != outer.height())) {
    return;
  }
  WriteWindowSize();
  since_size_write_.start();
}

// The list fills the client area below the form, up to its margins. Where the client area is
// narrower than the form, or too short for the form and the list's header and one row, the
// form scrolls: it keeps the height the list leaves it.
void frmFind::LayoutList() {
  if (form_area_ == nullptr) return;
  // A hidden window lays out its menu, client area and status bar only when shown; the list's
  // size is wanted before that (the column widths are checked against it).
  if (!isVisible() && layout() != nullptr) layout()->setGeometry(rect());
  const QWidget* client = centralWidget();
  const QSize form = form_area_->widget()->size();
  const int margin_x = twips_.ToPixelsX(kListMarginTwips);
  const int margin_y = twips_.ToPixelsY(kListMarginTwips);
  const int room = client->height() - margin_y - ListHeight(1) - margin_y;
  // A scroll bar across takes height, one down takes width (which may call for one across).
  const int bar_height = form_area_->horizontalScrollBar()->sizeHint().height();
  const int bar_width = form_area_->verticalScrollBar()->sizeHint().width();
  bool across = client->width() < form.width();
  bool down = false;
  for (int pass = 0; pass < 2; ++pass) {
    down = form.height() + (across ? bar_height : 0) > room;
    across = client->width() - (down ? bar_width : 0) < form.width();
  }
  const int area_height = down ? std::max(0, room) : form.height() + (across ? bar_height : 0);
  form_area_->setGeometry(0, 0, client->width(), area_height);
  ListView1->setGeometry(ListView1->x(), area_height,
                         std::max(0, client->width() - ListView1->x() - margin_x),
                         std::max(0, client->height() - area_height - margin_y));
}

void frmFind::WriteWindowSize() {
  const QRect outer = frameGeometry();
  // A stored (or default) measure that still gives the same pixels is written back as it was,
  // so that measures survive the round trip through pixels unchanged.
  const WindowStatus stored = ReadWindowStatus(strIniFile);
  const int window_pixels[4] = {outer.x(), outer.y(), outer.width(), outer.height()};
  double window_size[4];
  for (int i = 0; i < 4; ++i) {
    window_size[i] = KeptTwips(stored.window_size[i], window_pixels[i], /*horizontal=*/i % 2 == 0);
  }
  std::vector<std::pair<std::string, std::string>> values = {
      {kWindowSizeKey, FormatMeasures(window_size, 4)}};
  if (model_->columnCount() == ResultModel::kColumnCount) {
    double widths[ResultModel::kColumnCount];
    for (int column = 0; column < ResultModel::kColumnCount; ++column) {
      widths[column] = KeptTwips(stored.cols_width[column], ListView1->columnWidth(column), true);
    }
    values.emplace_back(kColsWidthKey, FormatMeasures(widths, ResultModel::kColumnCount));
  }
  WriteSettings(kStatusSection, values);
}

// Whole twips for `pixels` along one axis; `stored` when it gives those pixels.
double frmFind::KeptTwips(std::optional<int32_t> stored, int pixels, bool horizontal) const {
  if (stored && (horizontal ? twips_.ToPixelsX(*stored) : twips_.ToPixelsY(*stored)) == pixels) {
    return *stored;
  }
  return std::round(horizontal ? twips_.ToTwipsX(pixels) : twips_.ToTwipsY(pixels));
}

void frmFind::closeEvent(QCloseEvent* event) {
  FlushWindowSizeWrite();
  // A run still going is stopped and joined before anything it reports to goes away.
  worker_->Shutdown();
  StopFileOpAndWait();
  if (!unloaded_) Form_Unload();
  event->accept();
}

void frmFind::Form_Unload() {
  unloaded_ = true;
  // The backup exists for a Restore while the program runs; it does not outlive it. Only the
  // folder this window made is deleted, never what may have taken its name since.
  backup_folder_.Remove();
}

void frmFind::mnuFileExit_Click() { close(); }

bool frmFind::eventFilter(QObject* watched, QEvent* event) {
  if (ListView1 == nullptr) return QMainWindow::eventFilter(watched, event);
  if (watched == centralWidget() && event->type() == QEvent::Resize) {
    LayoutList();
  } else if (watched == ListView1 && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (ListView1_KeyDown(key->key(), key->modifiers())) return true;
  } else if (watched == ListView1->viewport() && event->type() == QEvent::ToolTip) {
    return ShowRowToolTip(event);
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace quonder
