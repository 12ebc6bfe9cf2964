// The random-variable editor frame beside the variable list: name, the
// distribution box, help lines and the density preview, the parameter grid
// of up to three columns with their Update buttons, the file line with
// Browse, and the description. The logic is variable_frame_core's.
#pragma once

#include <QFrame>
#include <array>
#include <vector>

#include "variable_frame_core.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tesmira::wb {

class TFrmTesmiraMain;
class TRandomPaint;

class TRandomVariablesForm : public QFrame {
  Q_OBJECT
 public:
  TRandomVariablesForm(TFrmTesmiraMain& window, QWidget* parent);

  // Shows the selected variables (flag 1).
  void ShowSelection();
  void DistributionChanged(int index);
  void ResetClick();
  void UpdateColumnClick(int column, bool fromEdit);
  void NameExit();
  void DescriptionExit();
  void BrowseClick();
  std::vector<int> SelectedRows() const;
  int Current() const;

  TVariableFrameCore Core;
  QLabel *labMessage = nullptr, *Label8 = nullptr, *lab7of9 = nullptr, *labHelp = nullptr,
         *labDistribParam = nullptr, *labVarFile = nullptr;
  QLineEdit *edVarName = nullptr, *memVarDescription = nullptr;
  QComboBox* cbxDistribution = nullptr;
  QPushButton *butBrowse = nullptr, *butDefault = nullptr;
  TRandomPaint* preview = nullptr;
  std::array<QLabel*, 3> titles{};
  std::array<QPushButton*, 3> updates{};
  std::array<std::array<QLabel*, 20>, 3> labels{};
  std::array<std::array<QLineEdit*, 20>, 3> cells{};

 private:
  void ShowMessage(const QString& text, bool red);
  TFrmTesmiraMain& w_;
  bool busy_ = false;
};

TRandomVariablesForm* InstallVariableFrame(TFrmTesmiraMain& window);

}  // namespace tesmira::wb
