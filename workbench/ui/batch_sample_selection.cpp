#include "batch_sample_selection.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tesmira::wb {

TBatchSampleSelectionFrm::TBatchSampleSelectionFrm(QWidget* owner) : QDialog(owner) {
  setObjectName("BatchSampleSelectionFrm");
  setWindowTitle("Select Sample Variables");
  auto* box = new QVBoxLayout(this);
  m_lstSampleRandVars = new QListWidget(this);
  m_lstSampleRandVars->setObjectName("m_lstSampleRandVars");
  box->addWidget(m_lstSampleRandVars);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  m_btnSelect = new QPushButton("Select", this);
  m_btnSelect->setObjectName("m_btnSelect");
  m_btnSelect->setDefault(true);
  m_btnCancel = new QPushButton("&Cancel", this);
  m_btnCancel->setObjectName("m_btnCancel");
  buttons->addWidget(m_btnSelect);
  buttons->addWidget(m_btnCancel);
  box->addLayout(buttons);
  connect(m_btnSelect, &QPushButton::clicked, this, &TBatchSampleSelectionFrm::SelectClick);
  connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TBatchSampleSelectionFrm::AddSampleNames(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    auto* item = new QListWidgetItem(QString::fromStdString(name), m_lstSampleRandVars);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    selected_.push_back(1);
  }
}

void TBatchSampleSelectionFrm::SelectClick() {
  for (int i = 0; i < m_lstSampleRandVars->count(); ++i)
    selected_[static_cast<std::size_t>(i)] =
        m_lstSampleRandVars->item(i)->checkState() == Qt::Checked ? 1 : 0;
  accept();
}

bool ChooseSampleVariables(QWidget* owner, const std::vector<std::string>& names,
                           std::vector<char>& checked) {
  TBatchSampleSelectionFrm dialog(owner);
  dialog.AddSampleNames(names);
  if (dialog.exec() != QDialog::Accepted) return false;
  checked = dialog.Selected();
  return true;
}

}  // namespace tesmira::wb
