#include "object_list_model.h"

#include "main_view.h"
#include "tesmira/model_files.h"

namespace tesmira::wb {

TObjectListModel::TObjectListModel(int kind, QObject* parent)
    : QAbstractTableModel(parent), kind_(kind) {}

void TObjectListModel::Rebuild() {
  beginResetModel();
  rows_ = Get_TSMObjectsNumber(kind_);
  endResetModel();
}

int TObjectListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int TObjectListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 5;
}

QVariant TObjectListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_) return {};
  if (role == Qt::DisplayRole)
    return QString::fromStdString(ObjectListCell(kind_, index.row(), index.column()));
  if (role == Qt::TextAlignmentRole && index.column() == 0)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant TObjectListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kVariables[] = {"#", "Name", "Distribution", "Description", "Link File"};
  static const char* const kFormulas[] = {"#", "Name", "Formula", "Description", "Link File"};
  if (section < 0 || section > 4) return {};
  return QString(kind_ == 6 ? kFormulas[section] : kVariables[section]);
}

}  // namespace tesmira::wb
