#include "app/result_model.h"

#include <algorithm>
#include <climits>

namespace quonder {
namespace {

const char* const kHeaders[ResultModel::kColumnCount] = {"No.",    "File Path", "Line",
                                                         "Column", "Found",     "Pointer"};

}  // namespace

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

int ResultModel::rowCount(const QModelIndex& parent) const {
  // A view asks for an int; a run that somehow exceeds it shows the first INT_MAX rows.
  if (parent.isValid()) return 0;
  return static_cast<int>(std::min<size_t>(rows_.size(), INT_MAX));
}

int ResultModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount) {
    return {};
  }
  const size_t row = static_cast<size_t>(index.row());
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case kNo:
          return QString::number(static_cast<qulonglong>(row) + 1);
        case kFilePath:
          return QString::fromStdString(rows_.Path(row));
        case kLine:
          return QString::number(rows_.Line(row));
        case kColumn:
          return QString::number(rows_.Column(row));
        case kFound: {
          const std::u16string_view found = rows_.Found(row);
          return QString(reinterpret_cast<const QChar*>(found.data()),
                         static_cast<qsizetype>(found.size()));
        }
        case kPointer:
          return QString::number(rows_.Pointer(row));
      }
      break;
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(
          (index.column() == kLine || index.column() == kColumn ? Qt::AlignRight : Qt::AlignLeft) |
          Qt::AlignVCenter));
  }
  return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  if (role == Qt::DisplayRole) return QString::fromLatin1(kHeaders[section]);
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(
        Qt::Alignment((section == kLine || section == kColumn ? Qt::AlignRight : Qt::AlignLeft) |
                      Qt::AlignVCenter));
  }
  return {};
}

Qt::ItemFlags ResultModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ResultModel::AppendRows(const ResultRows& batch) {
  if (batch.size() == 0) return;
  const int first = rowCount();
  const size_t last = std::min<size_t>(rows_.size() + batch.size(), INT_MAX) - 1;
  if (static_cast<size_t>(first) > last) {
    rows_.Append(batch);  // beyond what a view can show; kept for the commands
    return;
  }
  beginInsertRows(QModelIndex(), first, static_cast<int>(last));
  rows_.Append(batch);
  endInsertRows();
}

void ResultModel::Clear() {
  beginResetModel();
  rows_.Clear();
  endResetModel();
}

std::vector<int> SelectedRows(const QItemSelectionModel& selection) {
  const QAbstractItemModel* model = selection.model();
  if (model == nullptr) return {};
  // Ranges may overlap (Ctrl+click over a selected block): mark rows, then read them in order.
  std::vector<bool> marked(static_cast<size_t>(model->rowCount()));
  for (const QItemSelectionRange& range : selection.selection()) {
    if (!range.isValid() || range.parent().isValid()) continue;
    for (int row = range.top(); row <= range.bottom(); ++row) {
      if (row >= 0 && static_cast<size_t>(row) < marked.size()) marked[row] = true;
    }
  }
  std::vector<int> rows;
  for (size_t row = 0; row < marked.size(); ++row) {
    if (marked[row]) rows.push_back(static_cast<int>(row));
  }
  return rows;
}

}  // namespace quonder
