#include "inplace_name_editor.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QKeyEvent>

#include "main_window.h"
#include "object_list_model.h"

namespace tesmira::wb {

TInplaceNameEditor::TInplaceNameEditor(TFrmTesmiraMain& window) : QLineEdit(&window) {
  setObjectName("edInplace");
  hide();
  connect(this, &QLineEdit::textChanged, this, &TInplaceNameEditor::TextChanged);
}

int TInplaceNameEditor::TextWidth() const {
  return parentWidget()->fontMetrics().horizontalAdvance(text());
}

void TInplaceNameEditor::StartEditing(QAbstractItemView* view, TObjectListModel* model, int row) {
  if (isVisible()) Exit();
  view_ = view;
  model_ = model;
  row_ = row;
  const QModelIndex name = model->index(row, 1);
  view->scrollTo(name);
  setText(name.data(Qt::EditRole).toString());
  setMinimumWidth(TextWidth() + 20);
  // Over the item's name, one pixel above it, in the window's coordinates.
  const QRect cell = view->visualRect(name);
  const QPoint topLeft =
      view->viewport()->mapTo(parentWidget(), QPoint(cell.left(), cell.top() - 1));
  setGeometry(topLeft.x(), topLeft.y(), std::max(minimumWidth(), TextWidth() + 10),
              cell.height() + 2);
  setModified(false);
  selectAll();
  show();
  raise();
  setFocus(Qt::OtherFocusReason);
}

void TInplaceNameEditor::TextChanged() {
  resize(std::max(minimumWidth(), TextWidth() + 10), height());
}

void TInplaceNameEditor::keyReleaseEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Escape) setModified(false);
  if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
    Exit();
    if (view_) view_->setFocus(Qt::OtherFocusReason);
    return;
  }
  QLineEdit::keyReleaseEvent(event);
}

void TInplaceNameEditor::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Another window or a pop-up menu taking the focus does not end the edit.
  if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
    return;
  if (isVisible()) Exit();
}

void TInplaceNameEditor::Exit() {
  if (exiting_) return;
  exiting_ = true;
  const bool stillFocused = hasFocus();
  hide();
  if (isModified() && model_ && row_ >= 0 && row_ < model_->rowCount()) {
    setModified(false);
    model_->setData(model_->index(row_, 1), text(), Qt::EditRole);
  }
  if (stillFocused && view_) view_->setFocus(Qt::OtherFocusReason);
  row_ = -1;
  exiting_ = false;
}

}  // namespace tesmira::wb
