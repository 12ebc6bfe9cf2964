// The lists' in-place name editor: a line edit of the main window placed
// over the name of the item being renamed. Enter or leaving it hands a
// changed name to the list's rename; Escape leaves the name as it was.
#pragma once

#include <QLineEdit>
#include <QPointer>

class QAbstractItemView;

namespace tesmira::wb {

class TFrmTesmiraMain;
class TObjectListModel;

class TInplaceNameEditor : public QLineEdit {
  Q_OBJECT
 public:
  explicit TInplaceNameEditor(TFrmTesmiraMain& window);

  // Starts editing the name of row (0-based) shown in view, whose model is
  // the list's object model.
  void StartEditing(QAbstractItemView* view, TObjectListModel* model, int row);

 protected:
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void TextChanged();
  // Hides the editor and renames the item when the text was changed.
  void Exit();
  int TextWidth() const;

  QPointer<QAbstractItemView> view_;
  QPointer<TObjectListModel> model_;
  int row_ = -1;
  bool exiting_ = false;
};

}  // namespace tesmira::wb
