// The button bar under the variable and formula editors: steps through the
// object list of the visible view and gives the editors' commands. "&Back"
// and "&Edit" share one place, "&Merge" and "&Reset" another; the editor
// shown says which of each pair is visible.
#pragma once

#include <QWidget>
#include <array>

class QPushButton;

namespace tesmira::wb {

class TFrmTesmiraMain;

// What the shown editor offers on the bar.
struct TBarButtons {
  bool Back = false;   // a jump to this object can be gone back on
  bool Edit = false;   // a linked object: open its own file
  bool Merge = false;  // a linked object: merge it into the model
  bool Reset = false;  // a variable of the model: its type's defaults
  bool Delete = true;  // enabled unless linked
};

class TButtonsBar : public QWidget {
  Q_OBJECT
 public:
  TButtonsBar(TFrmTesmiraMain& window, QWidget* parent);

  // Shows one button of each shared place at most (Back before Edit,
  // Merge before Reset).
  void ShowButtons(const TBarButtons& buttons);
  // Takes the buttons of the editor of the visible panel.
  void Refresh();

  std::array<QPushButton*, 4> Nav{};  // |< < > >|
  QPushButton *butBack = nullptr, *butEdit = nullptr, *butMerge = nullptr, *butDefault = nullptr,
              *butAdd = nullptr, *butDel = nullptr;

 private:
  void AddClick();
  void EditClick();
  void ResetClick();
  bool FormulaList() const;

  TFrmTesmiraMain& w_;
};

}  // namespace tesmira::wb
