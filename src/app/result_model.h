// The result list's model: a read-only six-column table over the compact row storage of a find
// run. A pure adapter: it formats cells on demand and never holds a string per cell, so a
// million rows stay small. Replace, copy and open read rows through rows() / strRowPaths().
//
// Threads: the window's thread only, like every Qt model. Rows arrive from the find run in
// batches (FindWorker::rowsReady); each batch is one beginInsertRows/endInsertRows.
#pragma once

#include <QAbstractTableModel>
#include <QItemSelectionModel>

#include <cstdint>
#include <string>
#include <vector>

#include "core/search/result_rows.h"

namespace quonder {

class ResultModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Column order of the list; kColumnCount is the number of columns.
  enum Column { kNo = 0, kFilePath, kLine, kColumn, kFound, kPointer, kColumnCount };

  explicit ResultModel(QObject* parent = nullptr);

  // QAbstractItemModel. Cells are text (Qt::DisplayRole); "Line" and "Column" are right-aligned,
  // the others left-aligned (Qt::TextAlignmentRole). Headers are "No.", "File Path", "Line",
  // "Column", "Found", "Pointer". Items are enabled and selectable, never editable.
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Appends the rows of `batch` after the existing ones (their numbers continue from the last
  // row). One insert notification per call; an empty batch does nothing.
  void AppendRows(const ResultRows& batch);
  // Removes every row (one model reset).
  void Clear();

  // The stored rows, 0-based; valid until the next AppendRows or Clear.
  const ResultRows& rows() const { return rows_; }
  // The relative path of row `number`, counted from 1 as in the "No." column.
  // REQUIRES: 1 <= number <= rows().size().
  const std::string& strRowPaths(int64_t number) const { return rows_.Path(number - 1); }

 private:
  ResultRows rows_;
};

// The selected rows of a list over `selection`'s model, 0-based, ascending, each once (a row
// counts when any of its cells is selected). Works on the selection's ranges, so a Select All
// over a million rows costs a few megabytes, where QItemSelectionModel::selectedRows() builds a
// million indexes and takes seconds.
std::vector<int> SelectedRows(const QItemSelectionModel& selection);

}  // namespace quonder
