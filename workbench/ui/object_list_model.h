// The variable and formula lists as table models over the engine: data()
// asks the engine for each visible cell; the model keeps only the row count,
// refreshed when the list is rebuilt.
#pragma once

#include <QAbstractTableModel>

namespace tesmira::wb {

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

 private:
  int kind_;
  int rows_ = 0;
};

}  // namespace tesmira::wb
