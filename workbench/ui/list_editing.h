// The editing commands of the main window's variable and formula lists: the
// Edit menu's list items, the lists' pop-up, toolbar buttons, drag and drop,
// header sorting, type-ahead and keys, the private clipboard, the Run menu's
// program launchers and the Help menu's documents. The commands are the
// core's (list_commands.h, launchers.h); this class wires them to widgets.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTableView>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "launchers.h"
#include "list_commands.h"
#include "main_view.h"
#include "navigation.h"
#include "services.h"

class QAction;
class QMenu;
class QMimeData;
class QSplitter;
class QToolBar;
class QToolButton;

namespace tesmira::wb {

class TFrmBatch;
class TFrmTesmiraMain;
class TZoziVorPanel;

// The MIME type of the private clipboard format of an object kind (1..7).
QString PrivateClipboardFormat(int kind);

// Puts the list (or its own pane with its toolbar) of the panel named
// panelName into a new splitter, where an editor frame can join it; null when
// the panel has no layout.
QSplitter* SplitBesideList(QWidget* list, const char* panelName, const char* splitterName);
// Gives the editor frame beside a list that width (none when width <= 0).
void SetFrameWidth(QWidget* frame, int width);

// QProcess and the desktop services.
class TQtProgramStarter : public IProgramStarter {
 public:
  bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;
  bool OpenDocument(const std::string& path) override;
  std::string FindExecutable(const std::string& name) override;
};

class TListEditing : public QObject, public IVariableEditor {
  Q_OBJECT
 public:
  explicit TListEditing(TFrmTesmiraMain& window);
  ~TListEditing() override;

  // Tests hand in a recording starter; the default starts real programs.
  void SetProgramStarter(IProgramStarter* starter) { starter_ = starter ? starter : &qtStarter_; }
  // The batch dialog: fills the name and count and answers true on OK.
  std::function<bool(std::string& name, int& count, int maximum)> BatchDialog;
  // Asks through the application's own batch dialog instead of a new one.
  void UseBatchDialog(TFrmBatch& dialog);
  // "Select Sample Variables": the choice among a sample file's names.
  TSampleNameChoice SampleSelectionDialog;
  // The folder of the sibling programs and help documents, ending in "/".
  std::string ProgramFolder;

  // Commands (on the list of the visible panel).
  void AddClick();
  void DeleteClick(bool withSender);
  void CutClick();
  void CopyClick();
  void PasteClick(bool after);
  void SelectAllClick();
  void InvertSelectionClick();
  void SelectSameValueClick(int column);
  void SortClick(TObjectList list, int column);  // column 1..4; <= 0 not sorted
  // Type-ahead with typed text; the matched row or -1.
  int TypeAhead(TObjectList list, const QString& typed);
  void Drop(TObjectList list, int targetRow);
  void VerifyDistributionFiles();
  void VerifyAllClick();
  void BatchCreateClick();
  void CreateFromDistributionFileClick();
  void CreateFromSampleFileClick();
  void LaunchDisplayClick();
  void LaunchSensitivityClick();
  void HelpIndexClick();
  void TutorialClick();
  void HelpTopicClick();
  // Shows the definition of an object (a target kind of 0: the origin
  // itself), opening its linked file when it comes from one, and records
  // the way back; numbers are 1-based.
  void NavigateToDefinition(TObjectList target, int originNumber, int targetKind, int targetNumber,
                            int originKind);
  // Returns to the origin of the newest jump.
  void NavigateBack();
  std::vector<TNavEntry> NavStack;
  // Clears the private formats after asking; always lets the window close.
  bool ClearPrivateClipboard();
  void UpdateEditMenu();
  const TListSortState& SortState(TObjectList list) const { return sort_[Index(list)]; }

  // IVariableEditor
  void ShowVariable(int row) override;
  bool Browse() override;

  QAction *mitCut = nullptr, *mitCopy = nullptr, *mitPaste = nullptr, *mitDelete = nullptr,
          *mitSelectAll = nullptr, *mitInvertSelection = nullptr, *mitRestore = nullptr,
          *mitEditOptions = nullptr, *mitTesplore = nullptr, *mitTesvane = nullptr,
          *mitHelpIndex = nullptr, *mitTutorial = nullptr, *mitHelpTopic = nullptr,
          *mitSelSameCol = nullptr;
  QMenu* popList = nullptr;
  QAction* mitCreateFromSampleFile = nullptr;
  std::array<QToolButton*, 2> butBatch{}, butVerify{}, butAdd{}, butDelete{}, butNatural{};

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static bool AskBatch(TFrmBatch& dialog, std::string& name, int& count, int maximum);
  static int Index(TObjectList list) { return list == TObjectList::Variables ? 0 : 1; }
  static int Kind(TObjectList list);
  TObjectList ListOfView(QObject* view) const;
  bool IsListView(QObject* object) const;
  QTableView* View(TObjectList list) const;
  // The list of the visible panel, or none.
  bool CurrentList(TObjectList& list) const;
  TZoziVorPanel* GraphPanel() const;
  std::vector<int> SelectedRows(TObjectList list) const;
  void SelectRows(TObjectList list, const std::vector<int>& rows);
  void SelectMarks(TObjectList list, const std::vector<char>& marks);
  void RefreshHeader(TObjectList list);
  void BuildMenus();
  void BuildToolbar(TObjectList list);
  void StartDrag(TObjectList list);

  TFrmTesmiraMain& w_;
  // The two lists and their viewports.
  std::array<QPointer<QObject>, 4> views_;
  TQtProgramStarter qtStarter_;
  IProgramStarter* starter_ = &qtStarter_;
  std::array<TListSortState, 2> sort_{};
  std::string typeAhead_;
  bool typeAheadMatch_ = false;
  QPoint pressPos_;
  int pressRow_ = -1;
  int clickedColumn_ = -1;
};

}  // namespace tesmira::wb
