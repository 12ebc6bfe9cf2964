// "Choose Random Variables": which variables of a sample file to load when it
// names more than the program shows at once.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>
#include <memory>
#include <set>
#include <vector>

#include "fn/tesplore_var.h"

class TFrmTesploreRandVarPicker : public QDialog {
  Q_OBJECT
 public:
  explicit TFrmTesploreRandVarPicker(QWidget* parent = nullptr);

  // Lists the variables (not owned) with the first limit of them checked.
  void SetupPicker(const std::vector<std::unique_ptr<fn::CTesploreVar>>& variables, int limit);
  // Positions of the checked variables in the sequence given to SetupPicker.
  std::set<std::size_t> GetPickedIndices() const;

  // Handlers.
  void OnLstViewRandVarsClick();
  void OnChkBoxSelAllClick();
  void OnLstRandVarsColumnClick();
  int CountChecked() const;

  QLabel *m_lblRandVars, *m_lblNumSelRandVars;
  QTreeWidget* m_lstViewRandVars;
  QCheckBox* m_chkBoxSelAll;
  QGroupBox* m_grpBoxDetails;
  QLabel *m_lblDescription, *m_lblRandVarType, *m_lblDistrType;
  QTextEdit* m_edtDescription;
  QPushButton *m_btnOK, *m_btnCancel;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdateSelectionLabel(int n, bool setBox);
  void ShowVariableDetails(const QTreeWidgetItem* item);
  const fn::CTesploreVar* VariableOf(const QTreeWidgetItem* item) const;

  const std::vector<std::unique_ptr<fn::CTesploreVar>>* m_variables = nullptr;
  int m_limit = 0;
  bool m_ascending = true;
  bool m_settingBox = false;
  bool m_filling = false;
};
