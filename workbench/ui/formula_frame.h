// The formula editor frame beside the formula list: name, description, the
// one-line formula edit with its own text undo, verification, the symbol
// area (filter, type buttons, symbol list, Insert menu) and the completion
// popup opened with F2..F7. The logic is formula_frame_core's.
#pragma once

#include <QFrame>
#include <QLineEdit>
#include <array>

#include "buttons_bar.h"
#include "formula_frame_core.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTableView;
class QToolButton;
class QTreeWidget;
class QVBoxLayout;

namespace tesmira::wb {

class TFrmTesmiraMain;
class TFormula;
class TWorkbench;

// The completion popup: a list at the caret.
class TFrmFormulaPopup : public QFrame {
  Q_OBJECT
 public:
  explicit TFrmFormulaPopup(TFormula& frame);
  QListWidget* list = nullptr;
  // Fills the list for the function key and shows it below (or above) the
  // caret rectangle, kept on the screen.
  void Open(int functionKey, const QRect& caretOnScreen);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Insert(bool withBlank);
  TFormula& frame_;
};

// The one-line formula edit: Enter commits, Insert toggles overwriting.
class TFormulaEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TFormulaEdit(TFormula& frame, QWidget* parent);
  bool Overwrite = false;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  TFormula& frame_;
};

class TFormula : public QFrame {
  Q_OBJECT
 public:
  TFormula(TFrmTesmiraMain& window, QWidget* parent);
  TWorkbench& Workbench();

  // Loads the selected formulas (flag 1).
  void SyncWithSelection();
  void ShowStatus(const QString& message, bool error, int target);
  // Stores the edited text; false when it was refused.
  bool CommitText(bool verify);
  void VerifyClick();
  void VerifyAllClick();
  void RenameClick();
  void DescriptionClick();
  void InsertSymbol(const QString& symbol, bool shift);
  void FillSymbolList();
  void OpenPopup(int functionKey);
  void TextUndo(bool undo);
  void TakeSnapshot(int kind);
  TEditState EditState() const;
  void SetEditState(const TEditState& state);
  std::vector<int> SelectedRows() const;
  // The type buttons' bits and the symbol list's sort state (settings "ForWindow").
  unsigned SymbolBits() const;
  void SetSymbolBits(unsigned bits);
  QMenu* BuildInsertMenu(QWidget* parent);
  // The symbol area's settings ("ForWindow"): applied at the first showing,
  // kept up to date afterwards.
  void ApplySettings();
  void StoreSettings();
  void SetReportStyle(bool report);
  // The symbol list's pop-up: "Edit" shows a random variable's definition,
  // "Help" the help of constants and functions.
  void PopListPopup();
  void VarEditClick();
  int CurrentSymbolType() const;  // of the current symbol, -1 without one

  QLineEdit *edForName = nullptr, *memForDescription = nullptr, *edForFilter = nullptr;
  TFormulaEdit* richFormula = nullptr;
  // What the window's button bar offers for the selection shown.
  TBarButtons BarButtons;
  QPushButton *butVerify = nullptr, *butVerifyAll = nullptr, *BitBtn3 = nullptr, *butAll = nullptr,
              *butNone = nullptr;
  QLabel *labMessage = nullptr, *lab7of9 = nullptr, *labInsertMode = nullptr;
  std::array<QToolButton*, 6> typeButtons{};  // in bit order 1, 2, 4, 8, 16, 32
  QTreeWidget* listForHelper = nullptr;
  TFrmFormulaPopup* popup = nullptr;
  QMenu* popList = nullptr;
  QAction *mitViewList = nullptr, *mitViewDetails = nullptr, *mitVarEdit = nullptr,
          *mitSymbolHelp = nullptr;
  TFormulaSnapshots Snapshots;
  int SortState = 2, SortColumn = -1;
  bool ReportStyle = false;
  bool CaretMark = false;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildEditorArea(QVBoxLayout& box);
  void BuildSymbolArea(QVBoxLayout& box);
  void ConnectSymbolArea();
  void BuildSymbolMenu();
  void ConnectEditorArea();

  TFrmTesmiraMain& w_;
  bool settingsApplied_ = false;
  int current_ = -1;
  bool linked_ = false;
  bool busy_ = false;
};

// Puts the formula frame beside the formula list; returns it.
TFormula* InstallFormulaFrame(TFrmTesmiraMain& window);

}  // namespace tesmira::wb
