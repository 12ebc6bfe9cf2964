#include "var_picker.h"

#include <QtCore/QCollator>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QVBoxLayout>
#include <algorithm>

namespace tesvane {

namespace {
constexpr int VariableRole = Qt::UserRole;
}

TRandVarPickerForm::TRandVarPickerForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Choose Random Variables");
  resize(560, 420);
  auto* frame = new QHBoxLayout();
  auto* left = new QVBoxLayout();
  left->addWidget(new QLabel("Random variables"));
  m_lstViewNodes = new QTreeWidget();
  m_lstViewNodes->setColumnCount(1);
  m_lstViewNodes->setHeaderLabels({"Name"});
  m_lstViewNodes->setRootIsDecorated(false);
  m_lstViewNodes->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_lstViewNodes->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_lstViewNodes->header()->setStretchLastSection(true);
  m_lstViewNodes->header()->setSectionsClickable(true);
  left->addWidget(m_lstViewNodes, 1);
  m_chkBoxSelAll = new QCheckBox("Select/Deselect all");
  m_chkBoxSelAll->setTristate(true);
  left->addWidget(m_chkBoxSelAll);
  frame->addLayout(left, 1);
  auto* details = new QGroupBox();
  auto* dl = new QVBoxLayout(details);
  dl->addWidget(new QLabel("Description:"));
  rchDescription = new QTextEdit();
  rchDescription->setReadOnly(true);
  rchDescription->setStyleSheet("background: palette(button);");
  dl->addWidget(rchDescription, 1);
  lblNodeType = new QLabel("Random variable type:");
  lblDistribution = new QLabel("Distribution type:");
  dl->addWidget(lblNodeType);
  dl->addWidget(lblDistribution);
  lblCount = new QLabel("Number of selected nodes :");
  lblCount->setAlignment(Qt::AlignRight);
  dl->addWidget(lblCount);
  frame->addWidget(details, 1);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch();
  btnOk = new QPushButton("OK");
  btnOk->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  buttons->addWidget(btnOk);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(frame, 1);
  layout->addLayout(buttons);
  connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  // A check toggled by mouse or keyboard is counted at once.
  connect(m_lstViewNodes, &QTreeWidget::itemChanged, this, [this]() {
    if (!guard_) ListChanged();
  });
  connect(m_lstViewNodes, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item && variables_) ShowVariableDetails((*variables_)[item->data(0, VariableRole).toInt()]);
  });
  connect(m_lstViewNodes->header(), &QHeaderView::sectionClicked, this, [this]() { SortByName(); });
  connect(m_chkBoxSelAll, &QCheckBox::clicked, this, [this]() { SelectAllClicked(); });
}

void TRandVarPickerForm::InitPicker(const TRandVarList& variables, int32_t maximum) {
  variables_ = &variables;
  maximum_ = maximum;
  guard_ = true;
  m_lstViewNodes->clear();
  for (int32_t i = 0; i < variables.Count(); ++i) {
    auto* item = new QTreeWidgetItem(m_lstViewNodes, {QString::fromStdString(variables[i].Name)});
    item->setData(0, VariableRole, i);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, i < maximum ? Qt::Checked : Qt::Unchecked);
  }
  guard_ = false;
  const int32_t n = CountCheckedVariables();
  UpdateSelectionLabel(n, true);
  UpdatePickerOkButton(n);
  if (m_lstViewNodes->topLevelItemCount() > 0)
    m_lstViewNodes->setCurrentItem(m_lstViewNodes->topLevelItem(0));
}

TIntList TRandVarPickerForm::GetCheckedIds() const {
  TIntList ids;
  for (int i = 0; i < m_lstViewNodes->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = m_lstViewNodes->topLevelItem(i);
    if (item->checkState(0) == Qt::Checked)
      ids.Add((*variables_)[item->data(0, VariableRole).toInt()].Id);
  }
  return ids;
}

int32_t TRandVarPickerForm::CountCheckedVariables() const {
  int32_t n = 0;
  for (int i = 0; i < m_lstViewNodes->topLevelItemCount(); ++i)
    if (m_lstViewNodes->topLevelItem(i)->checkState(0) == Qt::Checked) ++n;
  return n;
}

void TRandVarPickerForm::UpdateSelectionLabel(int32_t n, bool setBox) {
  QString text;
  QColor color = palette().color(QPalette::WindowText);
  if (n == 0) {
    text = "Please, select at least 1 variable (0 selected)";
    color = Qt::red;
  } else if (n == maximum_) {
    text = QString("Maximum number of variables reached (%1 selected)").arg(n);
    color = QColor(0x80, 0, 0);
  } else if (n > maximum_) {
    text = QString("Please, deselect some variables (%1 selected)").arg(n);
    color = Qt::red;
  } else if (n == 1) {
    text = "1 random variable selected";
  } else {
    text = QString("%1 random variables selected").arg(n);
  }
  lblCount->setText(text);
  QPalette p = lblCount->palette();
  p.setColor(QPalette::WindowText, color);
  lblCount->setPalette(p);
  if (setBox) {
    guard_ = true;
    const int total = m_lstViewNodes->topLevelItemCount();
    m_chkBoxSelAll->setTristate(true);
    m_chkBoxSelAll->setCheckState(n == 0 ? Qt::Unchecked
                                         : (n < total ? Qt::PartiallyChecked : Qt::Checked));
    guard_ = false;
  }
}

void TRandVarPickerForm::UpdatePickerOkButton(int32_t n) {
  btnOk->setEnabled(n >= 2 && n <= maximum_);
}

void TRandVarPickerForm::ShowVariableDetails(const TRandomVariable& v) {
  rchDescription->setPlainText(QString::fromStdString(v.Description));
  lblNodeType->setText("Node type: " + QString::fromStdString(v.FunctionalText()));
  lblDistribution->setText("Distribution type: " + QString::fromStdString(v.TypeText()));
}

void TRandVarPickerForm::ListChanged() {
  const int32_t n = CountCheckedVariables();
  UpdateSelectionLabel(n, true);
  UpdatePickerOkButton(n);
}

void TRandVarPickerForm::ClickEntry(int index) {
  QTreeWidgetItem* item = m_lstViewNodes->topLevelItem(index);
  if (!item) return;
  m_lstViewNodes->setCurrentItem(item);
  item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void TRandVarPickerForm::SelectAllClicked() {
  if (guard_) return;
  // The grayed state is only the program's: a click goes to checked or unchecked.
  const bool checked = m_chkBoxSelAll->checkState() != Qt::Unchecked;
  guard_ = true;
  m_chkBoxSelAll->setTristate(false);
  m_chkBoxSelAll->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  for (int i = 0; i < m_lstViewNodes->topLevelItemCount(); ++i)
    m_lstViewNodes->topLevelItem(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
  guard_ = false;
  const int32_t n = CountCheckedVariables();
  UpdateSelectionLabel(n, false);
  UpdatePickerOkButton(n);
}

void TRandVarPickerForm::SortByName() {
  ascending_ = !ascending_;
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  guard_ = true;
  QList<QTreeWidgetItem*> items = m_lstViewNodes->invisibleRootItem()->takeChildren();
  std::stable_sort(items.begin(), items.end(), [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
    const int c = collator.compare(a->text(0), b->text(0));
    return ascending_ ? c < 0 : c > 0;
  });
  m_lstViewNodes->addTopLevelItems(items);
  guard_ = false;
}

}  // namespace tesvane
