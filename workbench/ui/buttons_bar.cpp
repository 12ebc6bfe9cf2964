#include "buttons_bar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "formula_frame.h"
#include "list_editing.h"
#include "main_window.h"
#include "tesmira/model.h"
#include "tesmira/objects.h"
#include "variable_frame.h"

namespace tesmira::wb {

TButtonsBar::TButtonsBar(TFrmTesmiraMain& window, QWidget* parent) : QWidget(parent), w_(window) {
  setObjectName("m_formButtonsBar");
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 0, 4, 2);
  column->setSpacing(2);
  auto* bevel = new QFrame(this);
  bevel->setFrameShape(QFrame::HLine);
  bevel->setFrameShadow(QFrame::Sunken);
  column->addWidget(bevel);
  auto* bar = new QHBoxLayout;
  column->addLayout(bar);
  auto button = [this, bar](const char* text, const char* name) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(b);
    return b;
  };
  const char* const captions[] = {"|<", "<", ">", ">|"};
  const char* const names[] = {"butToBegin", "butToPrev", "butToNext", "butToEnd"};
  for (int tag = 0; tag < 4; ++tag) {
    Nav[tag] = button(captions[tag], names[tag]);
    connect(Nav[tag], &QPushButton::clicked, this, [this, tag] { w_.Navigate(tag); });
  }
  butBack = button("&Back", "butBack");
  butEdit = button("&Edit", "butEdit");
  butMerge = button("&Merge", "butMerge");
  butDefault = button("&Reset", "butDefault");
  butAdd = button("&Add", "butAdd");
  butDel = button("&Delete", "butDel");
  bar->addStretch(1);
  ShowButtons({});

  auto editing = [this] { return w_.findChild<TListEditing*>("ListEditing"); };
  connect(butBack, &QPushButton::clicked, this, [editing] {
    if (TListEditing* e = editing()) e->NavigateBack();
  });
  connect(butDel, &QPushButton::clicked, this, [editing] {
    if (TListEditing* e = editing()) e->DeleteClick(true);
  });
  connect(butAdd, &QPushButton::clicked, this, &TButtonsBar::AddClick);
  connect(butEdit, &QPushButton::clicked, this, &TButtonsBar::EditClick);
  connect(butMerge, &QPushButton::clicked, this, [this] { w_.MergeSelectedClick(); });
  connect(butDefault, &QPushButton::clicked, this, &TButtonsBar::ResetClick);
  // The bar goes with the variable and formula panels of the window's stack.
  if (auto* stack = parent ? qobject_cast<QStackedWidget*>(parent->parentWidget()) : nullptr)
    connect(stack, &QStackedWidget::currentChanged, this, &TButtonsBar::Refresh);
}

void TButtonsBar::Refresh() {
  if (FormulaList()) {
    if (auto* frame = w_.findChild<TFormula*>()) ShowButtons(frame->BarButtons);
  } else if (w_.VisiblePanel() == PanelVariables) {
    if (auto* frame = w_.findChild<TRandomVariablesForm*>()) ShowButtons(frame->BarButtons);
  }
}

void TButtonsBar::ShowButtons(const TBarButtons& b) {
  butBack->setVisible(b.Back);
  butEdit->setVisible(b.Edit && !b.Back);
  butMerge->setVisible(b.Merge);
  butDefault->setVisible(b.Reset && !b.Merge);
  butDel->setEnabled(b.Delete);
}

bool TButtonsBar::FormulaList() const { return w_.VisiblePanel() == PanelFormulas; }

void TButtonsBar::AddClick() {
  auto* editing = w_.findChild<TListEditing*>("ListEditing");
  if (!editing) return;
  editing->AddClick();
  if (FormulaList()) {
    if (auto* frame = w_.findChild<TFormula*>()) frame->richFormula->setFocus();
  } else if (auto* frame = w_.findChild<TRandomVariablesForm*>()) {
    frame->edVarName->setFocus();
  }
}

// Opens the linked file that holds the object the editor shows.
void TButtonsBar::EditClick() {
  auto* editing = w_.findChild<TListEditing*>("ListEditing");
  if (!editing) return;
  const bool formulas = FormulaList();
  QTableView* list = formulas ? w_.listFor : w_.listVar;
  int row = list->selectionModel()->currentIndex().row();
  const QModelIndexList selected = list->selectionModel()->selectedRows();
  if (!selected.isEmpty() && !list->selectionModel()->isRowSelected(row, {}))
    row = selected.front().row();
  if (row < 0) return;
  editing->NavigateToDefinition(formulas ? TObjectList::Formulas : TObjectList::Variables, row + 1,
                                0, 0, formulas ? ObjFormula : ObjRandomVariable);
}

void TButtonsBar::ResetClick() {
  if (FormulaList()) return;
  if (auto* frame = w_.findChild<TRandomVariablesForm*>()) frame->ResetClick();
}

}  // namespace tesmira::wb
