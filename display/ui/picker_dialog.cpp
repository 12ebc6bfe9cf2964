#include "ui/picker_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace {

// The fewest and the most variables OK accepts.
constexpr int kMinPicked = 2;
constexpr int kMaxPicked = 69;

// Items sort by caption without regard to case.
class TNameItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    return text(0).compare(other.text(0), Qt::CaseInsensitive) < 0;
  }
};

}  // namespace

TFrmTesploreRandVarPicker::TFrmTesploreRandVarPicker(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FrmTesploreRandVarPicker"));
  setWindowTitle(QStringLiteral("Choose Random Variables"));
  auto* outer = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  m_lblRandVars = new QLabel(QStringLiteral("Random Variables"), this);
  left->addWidget(m_lblRandVars);
  m_lstViewRandVars = new QTreeWidget(this);
  m_lstViewRandVars->setRootIsDecorated(false);
  m_lstViewRandVars->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_lstViewRandVars->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_lstViewRandVars->setColumnCount(1);
  m_lstViewRandVars->setHeaderLabels({QStringLiteral("Name")});
  m_lstViewRandVars->header()->setSectionsClickable(true);
  m_lstViewRandVars->header()->setStretchLastSection(true);
  left->addWidget(m_lstViewRandVars, 1);
  m_lblNumSelRandVars = new QLabel(QStringLiteral("Number of selected random variables :"), this);
  left->addWidget(m_lblNumSelRandVars);
  m_chkBoxSelAll = new QCheckBox(QStringLiteral("Select/Deselect all"), this);
  left->addWidget(m_chkBoxSelAll);
  outer->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  m_grpBoxDetails = new QGroupBox(this);
  auto* details = new QVBoxLayout(m_grpBoxDetails);
  m_lblDescription = new QLabel(QStringLiteral("Description:"), m_grpBoxDetails);
  m_edtDescription = new QTextEdit(m_grpBoxDetails);
  m_edtDescription->setReadOnly(true);
  m_lblRandVarType = new QLabel(QStringLiteral("Random variable type:"), m_grpBoxDetails);
  m_lblDistrType = new QLabel(QStringLiteral("Distribution type:"), m_grpBoxDetails);
  details->addWidget(m_lblDescription);
  details->addWidget(m_edtDescription, 1);
  details->addWidget(m_lblRandVarType);
  details->addWidget(m_lblDistrType);
  right->addWidget(m_grpBoxDetails, 1);
  auto* buttons = new QHBoxLayout;
  m_btnOK = new QPushButton(QStringLiteral("OK"), this);
  m_btnOK->setDefault(true);
  m_btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  buttons->addWidget(m_btnOK);
  buttons->addWidget(m_btnCancel);
  right->addLayout(buttons);
  outer->addLayout(right, 1);

  connect(m_lstViewRandVars, &QTreeWidget::itemChanged, this, [this] {
    if (!m_filling) OnLstViewRandVarsClick();
  });
  connect(m_lstViewRandVars, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { ShowVariableDetails(item); });
  connect(m_lstViewRandVars->header(), &QHeaderView::sectionClicked, this,
          [this] { OnLstRandVarsColumnClick(); });
  connect(m_chkBoxSelAll, &QCheckBox::clicked, this, [this] { OnChkBoxSelAllClick(); });
  connect(m_btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmTesploreRandVarPicker::SetupPicker(
    const std::vector<std::unique_ptr<fn::CTesploreVar>>& variables, int limit) {
  m_variables = &variables;
  m_limit = limit;
  m_filling = true;
  m_lstViewRandVars->clear();
  for (std::size_t i = 0; i < variables.size(); ++i) {
    auto* item = new TNameItem(m_lstViewRandVars);
    item->setText(0, QString::fromStdString(variables[i]->GetName()));
    item->setData(0, Qt::UserRole, static_cast<qulonglong>(i));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, static_cast<int>(i) < limit ? Qt::Checked : Qt::Unchecked);
  }
  m_filling = false;
  const int n = CountChecked();
  UpdateSelectionLabel(n, true);
  m_btnOK->setEnabled(n >= kMinPicked && n <= kMaxPicked);
  if (m_lstViewRandVars->topLevelItemCount() > 0)
    m_lstViewRandVars->setCurrentItem(m_lstViewRandVars->topLevelItem(0));
}

std::set<std::size_t> TFrmTesploreRandVarPicker::GetPickedIndices() const {
  std::set<std::size_t> picked;
  for (int i = 0; i < m_lstViewRandVars->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = m_lstViewRandVars->topLevelItem(i);
    if (item->checkState(0) == Qt::Checked)
      picked.insert(static_cast<std::size_t>(item->data(0, Qt::UserRole).toULongLong()));
  }
  return picked;
}

int TFrmTesploreRandVarPicker::CountChecked() const {
  int n = 0;
  for (int i = 0; i < m_lstViewRandVars->topLevelItemCount(); ++i)
    n += m_lstViewRandVars->topLevelItem(i)->checkState(0) == Qt::Checked;
  return n;
}

void TFrmTesploreRandVarPicker::UpdateSelectionLabel(int n, bool setBox) {
  QString text;
  QColor colour = palette().color(QPalette::WindowText);
  if (n <= 1) {
    text = QStringLiteral("Please, select at least 2 variables (%1 selected)").arg(n);
    colour = Qt::red;
  } else if (n < m_limit) {
    text = QStringLiteral("%1 random variables selected").arg(n);
  } else if (n == m_limit) {
    text = QStringLiteral("Maximum number of variables reached (%1 selected)").arg(n);
    colour = QColor(0x80, 0, 0);
  } else {
    text = QStringLiteral("Please, deselect some variables (%1 selected)").arg(n);
    colour = Qt::red;
  }
  m_lblNumSelRandVars->setText(text);
  QPalette p = m_lblNumSelRandVars->palette();
  p.setColor(QPalette::WindowText, colour);
  m_lblNumSelRandVars->setPalette(p);
  if (!setBox) return;
  m_settingBox = true;
  const int all = m_lstViewRandVars->topLevelItemCount();
  m_chkBoxSelAll->setCheckState(n == 0    ? Qt::Unchecked
                                : n < all ? Qt::PartiallyChecked
                                          : Qt::Checked);
  m_settingBox = false;
}

void TFrmTesploreRandVarPicker::OnLstViewRandVarsClick() {
  const int n = CountChecked();
  UpdateSelectionLabel(n, true);
  m_btnOK->setEnabled(n >= kMinPicked && n <= kMaxPicked);
  if (QTreeWidgetItem* item = m_lstViewRandVars->currentItem()) ShowVariableDetails(item);
}

void TFrmTesploreRandVarPicker::OnChkBoxSelAllClick() {
  if (m_settingBox) return;
  // A click on the grayed box checks every item.
  const bool all = m_chkBoxSelAll->checkState() != Qt::Unchecked;
  m_chkBoxSelAll->setTristate(false);
  m_chkBoxSelAll->setCheckState(all ? Qt::Checked : Qt::Unchecked);
  m_filling = true;
  for (int i = 0; i < m_lstViewRandVars->topLevelItemCount(); ++i)
    m_lstViewRandVars->topLevelItem(i)->setCheckState(0, all ? Qt::Checked : Qt::Unchecked);
  m_filling = false;
  const int n = CountChecked();
  UpdateSelectionLabel(n, false);
  m_btnOK->setEnabled(n >= kMinPicked && n <= kMaxPicked);
}

void TFrmTesploreRandVarPicker::OnLstRandVarsColumnClick() {
  m_lstViewRandVars->sortItems(0, m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
  m_ascending = !m_ascending;
}

const fn::CTesploreVar* TFrmTesploreRandVarPicker::VariableOf(const QTreeWidgetItem* item) const {
  if (!item || !m_variables) return nullptr;
  const auto i = static_cast<std::size_t>(item->data(0, Qt::UserRole).toULongLong());
  return i < m_variables->size() ? (*m_variables)[i].get() : nullptr;
}

void TFrmTesploreRandVarPicker::ShowVariableDetails(const QTreeWidgetItem* item) {
  const fn::CTesploreVar* v = VariableOf(item);
  if (!v) return;
  m_edtDescription->setPlainText(QString::fromStdString(v->GetDescription()));
  m_lblRandVarType->setText(v->GetIsOutput()
                                ? QStringLiteral("Random variable type:  functional / output")
                                : QStringLiteral("Random variable type:  probabilistic / input"));
  const std::int32_t type = v->GetVarType();
  m_lblDistrType->setText(type == 0   ? QStringLiteral("Distribution type:  continuous")
                          : type == 1 ? QStringLiteral("Distribution type:  discrete")
                                      : QStringLiteral("Distribution type:  n/a"));
}

void TFrmTesploreRandVarPicker::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  m_lstViewRandVars->setColumnWidth(0, m_lstViewRandVars->viewport()->width());
}
