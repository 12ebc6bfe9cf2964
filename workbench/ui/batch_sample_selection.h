// "Select Sample Variables": the names of a sample file in a check list, all
// checked at first; Select keeps the checked ones.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace tesmira::wb {

class TBatchSampleSelectionFrm : public QDialog {
  Q_OBJECT
 public:
  explicit TBatchSampleSelectionFrm(QWidget* owner = nullptr);

  // Appends every name to the list, checked, and to the selected names.
  void AddSampleNames(const std::vector<std::string>& names);
  // After Select: one flag per listed name, set for the checked ones.
  const std::vector<char>& Selected() const { return selected_; }

  QListWidget* m_lstSampleRandVars = nullptr;
  QPushButton *m_btnSelect = nullptr, *m_btnCancel = nullptr;

 private:
  void SelectClick();

  std::vector<char> selected_;
};

// Shows the dialog modally over owner with the names; true after Select,
// with checked holding the choice.
bool ChooseSampleVariables(QWidget* owner, const std::vector<std::string>& names,
                           std::vector<char>& checked);

}  // namespace tesmira::wb
