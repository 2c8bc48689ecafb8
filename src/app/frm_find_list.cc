// The result list's view side beyond its designed commands: number columns that widen to show
// their numbers whole, the context menu (Open File, Open Containing Folder, Copy, Copy Path,
// Copy Line), Ctrl+C, and Esc, which stops the running command as Stop does.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QShortcut>
#include <QStyle>

#include <algorithm>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "app/frm_find.h"
#include "app/result_model.h"
#include "app/shell_open.h"
#include "core/fileops/file_common.h"
#include "core/search/row_text.h"

namespace quonder {
namespace {

// A list emptied from this many rows up gives its memory back to the system (the trim takes a
// few milliseconds per hundred megabytes).
constexpr int kManyRows = 100'000;

}  // namespace

// A row of the list: a line of its font and a little room.
int frmFind::RowHeight() const { return ListView1->fontMetrics().height() + 4; }

// The list's row header: hidden, and with fixed row heights, which keep a million rows cheap to
// scroll (no row is ever measured).
QHeaderView* frmFind::MakeRowHeader() {
  auto* header = new QHeaderView(Qt::Vertical, ListView1);
  header->hide();
  header->setSectionResizeMode(QHeaderView::Fixed);
  header->setDefaultSectionSize(RowHeight());
  return header;
}

// Empties the list. A long list's memory goes back to the system: freed, the rows' small blocks
// stay with the allocator, below what was allocated after them, and the row header keeps its
// record per row however many rows are left (a fresh header drops them).
void frmFind::ClearList() {
  const bool many = model_->rowCount() >= kManyRows;
  model_->Clear();
  if (!many) return;
  ListView1->setVerticalHeader(MakeRowHeader());
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

void frmFind::BuildListCommands() {
  connect(model_, &QAbstractItemModel::rowsInserted, this,
          [this](const QModelIndex&, int first, int last) { WidenNumberColumns(first, last); });

  ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ListView1, &QWidget::customContextMenuRequested, this, &frmFind::ShowListMenu);
  // The list's own Ctrl+C copies one cell; here it copies the selected rows.
  auto* copy = new QAction(QStringLiteral("Copy"), ListView1);
  copy->setObjectName(QStringLiteral("actCopyRows"));
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  ListView1->addAction(copy);
  connect(copy, &QAction::triggered, this, &frmFind::CopySelectedRows);

  auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  stop->setObjectName(QStringLiteral("escStop"));
  connect(stop, &QShortcut::activated, this, [this] {
    if (Running() || FileOpRunning()) cmdStop->click();
  });
}

// "No.", "Line", "Column" and "Pointer" keep their widths from the settings as long as the
// numbers fit, and widen (never narrow) when a number needs more.
void frmFind::WidenNumberColumns(int first, int last) {
  const ResultRows& rows = model_->rows();
  int64_t widest[ResultModel::kColumnCount] = {};
  widest[ResultModel::kNo] = last + 1;
  for (int row = first; row <= last; ++row) {
    widest[ResultModel::kLine] = std::max<int64_t>(widest[ResultModel::kLine], rows.Line(row));
    widest[ResultModel::kColumn] =
        std::max<int64_t>(widest[ResultModel::kColumn], rows.Column(row));
    widest[ResultModel::kPointer] =
        std::max<int64_t>(widest[ResultModel::kPointer], rows.Pointer(row));
  }
  // A cell's text keeps the focus frame's margin and one pixel on each side.
  const int margins =
      2 * (ListView1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListView1) + 1) +
      1;
  const QFontMetrics metrics = ListView1->fontMetrics();
  for (int column = 0; column < ResultModel::kColumnCount; ++column) {
    if (widest[column] <= 0) continue;
    const int needed = metrics.horizontalAdvance(QString::number(widest[column])) + margins;
    if (ListView1->columnWidth(column) < needed) ListView1->setColumnWidth(column, needed);
  }
}

// Open File, Open Containing Folder, Copy, Copy Path and Copy Line. All but Copy act on the
// focused row, whose file is formed as Open File forms it (the source folder as entered); Copy
// Line reads the hit's line again from its file, as the row's tool tip does, and when it cannot
// it says why in the status bar and leaves the clipboard as it was.
void frmFind::ShowListMenu(const QPoint& position) {
  const QModelIndex current = ListView1->currentIndex();
  const bool has_row = current.isValid() && current.row() < model_->rowCount();
  const size_t row = has_row ? static_cast<size_t>(current.row()) : 0;
  const std::string full_path =
      has_row ? BuildPath(ExpandEnvVariables(strSourceFolder), model_->rows().Path(row)) : "";
  const auto copy_text = [](const QString& text) {
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
  };

  QMenu menu(this);
  menu.setObjectName(QStringLiteral("mnuList"));
  menu.addAction(QStringLiteral("Open File"), this, [this] { cmdOpen_Click(); })
      ->setEnabled(has_row);
  menu.addAction(QStringLiteral("Open Containing Folder"), this,
                 [this, full_path] {
                   const QString folder = OpenableName(GetParentFolderName(full_path));
                   ShellOpen(folder, this, [this, folder](const QString& why) {
                     if (why.isEmpty()) return;
                     ShowPanelNote(QStringLiteral("Cannot open \"%1\": %2").arg(folder, why));
                   });
                 })
      ->setEnabled(has_row);
  menu.addSeparator();
  QAction* copy = menu.addAction(QStringLiteral("Copy"), this, &frmFind::CopySelectedRows);
  copy->setShortcut(QKeySequence::Copy);
  copy->setEnabled(ListView1->selectionModel()->hasSelection());
  menu.addAction(QStringLiteral("Copy Path"), this,
                 [full_path, copy_text] { copy_text(QString::fromStdString(full_path)); })
      ->setEnabled(has_row);
  menu.addAction(QStringLiteral("Copy Line"), this,
                 [this, row] {
                   copy_line_ = LineRequest(row);
                   copy_line_->whole_line = true;
                   CopyPendingLine();
                 })
      ->setEnabled(has_row);
  menu.exec(ListView1->viewport()->mapToGlobal(position));
}

// The hit's line as its file holds it now, in the run's charset: read off the window's thread
// (LinePreviewer), and copied once it is there.
LinePreviewer::Request frmFind::LineRequest(size_t row) const {
  const ResultRows& rows = model_->rows();
  LinePreviewer::Request request;
  request.full_path = BuildPath(ExpandEnvVariables(run_conditions_.source_folder), rows.Path(row));
  request.charset = run_conditions_.coding;
  request.pointer = rows.Pointer(row);
  request.found = rows.Found(row);
  request.reg_exp = run_conditions_.reg_exp;
  return request;
}

void frmFind::CopyPendingLine() {
  if (!copy_line_) return;
  QString why;
  const std::optional<QString> text = previewer_->Text(*copy_line_, &why);
  if (!text) return;  // called again when it is read
  if (!why.isEmpty()) {
    // The status bar says why, as the row's tip does.
    ShowPanelNote(QStringLiteral("Cannot copy the line of \"%1\": %2")
                      .arg(QString::fromStdString(copy_line_->full_path), why));
  } else if (!text->isEmpty()) {
    QGuiApplication::clipboard()->setText(*text);
  }
  copy_line_.reset();
}

// The selected rows, in list order, as `quonder-cli find` prints them.
void frmFind::CopySelectedRows() {
  const ResultRows& rows = model_->rows();
  std::string text;
  for (int row : SelectedRows(*ListView1->selectionModel())) {
    AppendTabbedRow(rows.Row(static_cast<size_t>(row)), run_conditions_.reg_exp, text);
  }
  if (!text.empty()) QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

}  // namespace quonder
