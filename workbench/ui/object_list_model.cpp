#include "object_list_model.h"

#include "main_view.h"
#include "tesmira/model_files.h"
#include "workbench.h"

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
  if (role == Qt::DisplayRole || (role == Qt::EditRole && index.column() == 1))
    return QString::fromStdString(ObjectListCell(
        kind_, index.row(), index.column(), Workbench ? Workbench->ShownDescriptions : nullptr));
  if (role == Qt::TextAlignmentRole && index.column() == 0)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags TObjectListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() == 1 && OnRename) f |= Qt::ItemIsEditable;
  return f;
}

bool TObjectListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || index.column() != 1 || !OnRename) return false;
  const std::string name = value.toString().toStdString();
  if (name == ObjectListCell(kind_, index.row(), 1)) return false;
  if (!OnRename(index.row(), name)) return false;
  emit dataChanged(this->index(index.row(), 0), this->index(index.row(), 4));
  return true;
}

QVariant TObjectListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kVariables[] = {"#", "Name", "Distribution", "Description", "Link File"};
  static const char* const kFormulas[] = {"#", "Name", "Formula", "Description", "Link File"};
  if (section < 0 || section > 4) return {};
  return QString(kind_ == 6 ? kFormulas[section] : kVariables[section]);
}

}  // namespace tesmira::wb
