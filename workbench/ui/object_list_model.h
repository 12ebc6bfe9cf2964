// The variable and formula lists as table models over the engine: data()
// asks the engine for each visible cell; the model keeps only the row count,
// refreshed when the list is rebuilt.
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <string>

namespace tesmira::wb {

class TWorkbench;

class TObjectListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // kind: 1 random variables, 6 formulas.
  explicit TObjectListModel(int kind, QObject* parent = nullptr);

  int Kind() const { return kind_; }
  // Re-reads the number of objects from the engine.
  void Rebuild();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // The name column is editable when a rename is given.
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // Renames the object at row (0-based) to a UTF-8 name; true when renamed.
  std::function<bool(int row, const std::string& name)> OnRename;
  // The workbench whose saved descriptions a simulation shows; may be none.
  const TWorkbench* Workbench = nullptr;

 private:
  int kind_;
  int rows_ = 0;
};

}  // namespace tesmira::wb
