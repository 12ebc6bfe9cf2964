// The random-variable editor frame beside the variable list: name, the
// distribution box, help lines and the density preview, the parameter grid
// of up to three columns with their Update buttons, the file line with
// Browse, and the description. The logic is variable_frame_core's.
#pragma once

#include <QFrame>
#include <array>
#include <vector>

#include "buttons_bar.h"
#include "variable_frame_core.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTabBar;

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
  // Shares the free height between the help lines and the preview, or
  // shows the "Formula"/"Plot" tabs when it is short.
  void FrameResize();
  void TabHelpChange(int index);
  // "VarWindow": the frame's width and the tab index, applied at the first
  // showing and kept up to date in the window's settings afterwards.
  void ApplySettings();
  void StoreSettings();

  TVariableFrameCore Core;
  QLabel *labMessage = nullptr, *Label8 = nullptr, *lab7of9 = nullptr, *labHelp = nullptr,
         *labDistribParam = nullptr, *labVarFile = nullptr;
  QLineEdit *edVarName = nullptr, *memVarDescription = nullptr;
  QComboBox* cbxDistribution = nullptr;
  QPushButton* butBrowse = nullptr;
  // What the window's button bar offers for the selection shown.
  TBarButtons BarButtons;
  TRandomPaint* preview = nullptr;
  QTabBar* tabHelp = nullptr;
  QScrollArea* scrParams = nullptr;  // the parameter grid
  int RowsFit = 20;                  // rows of a Discrete variable shown
  std::array<QLabel*, 3> titles{};
  std::array<QPushButton*, 3> updates{};
  std::array<std::array<QLabel*, 20>, 3> labels{};
  std::array<std::array<QLineEdit*, 20>, 3> cells{};

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowMessage(const QString& text, bool red);
  // The height the layout leaves for the help area, or for the grid when
  // forGrid, with every other shown control at its preferred height.
  int FreeHeight(bool forGrid) const;
  int DiscreteRows() const;
  TFrmTesmiraMain& w_;
  bool busy_ = false, resizing_ = false, settingsApplied_ = false;
  bool helpShown_ = false, plotShown_ = false;  // the selection allows them
};

TRandomVariablesForm* InstallVariableFrame(TFrmTesmiraMain& window);

}  // namespace tesmira::wb
