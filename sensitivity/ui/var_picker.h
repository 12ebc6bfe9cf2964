// "Choose Random Variables": the modal picker of the variables to load.
#pragma once

#include <QtWidgets/QCheckBox>
#include <QtWidgets/QDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QTreeWidget>

#include "sample_store.h"

namespace tesvane {

class TRandVarPickerForm : public QDialog {
 public:
  explicit TRandVarPickerForm(QWidget* parent = nullptr);

  void InitPicker(const TRandVarList& variables, int32_t maximum);
  // The ids of the checked variables in display order.
  TIntList GetCheckedIds() const;

  int32_t CountCheckedVariables() const;
  void UpdateSelectionLabel(int32_t count, bool setBox);
  void UpdatePickerOkButton(int32_t count);
  void ShowVariableDetails(const TRandomVariable& variable);

  QTreeWidget* List() const { return m_lstViewNodes; }
  QCheckBox* SelectAllBox() const { return m_chkBoxSelAll; }
  QLabel* CountLabel() const { return lblCount; }
  QPushButton* OkButton() const { return btnOk; }
  QLabel* NodeTypeLabel() const { return lblNodeType; }
  QLabel* DistributionLabel() const { return lblDistribution; }
  QTextEdit* Description() const { return rchDescription; }
  // Checks or unchecks an entry as a mouse click on its box does.
  void ClickEntry(int index);
  // The name column's header clicked.
  void SortByName();

 private:
  void ListChanged();
  void SelectAllClicked();

  QTreeWidget* m_lstViewNodes;
  QCheckBox* m_chkBoxSelAll;
  QLabel* lblCount;
  QLabel* lblNodeType;
  QLabel* lblDistribution;
  QTextEdit* rchDescription;
  QPushButton* btnOk;
  const TRandVarList* variables_ = nullptr;
  int32_t maximum_ = MaxImportVariables;
  bool ascending_ = false;
  bool guard_ = false;
};

}  // namespace tesvane
