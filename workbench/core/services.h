// What the workbench's core asks of the windows: message boxes, file
// choosers and the main window's refresh and selection operations. The Qt
// programs implement them; tests answer them with scripted fakes.
//
// Texts handed to these interfaces are UTF-8 (engine names are converted from
// code page 437 on the way); message texts keep the line breaks the core
// writes ("\n\r", CR LF), which the window normalises when it shows them.
#pragma once

#include <string>
#include <vector>

namespace tesmira::wb {

enum class TMessageKind { Plain, Information, Warning, Error, Confirmation };

enum class TAnswer { None, Ok, Cancel, Yes, No, NoToAll, YesToAll };

// Button sets of a message box, combined with |.
enum TButtons : unsigned {
  BtnOk = 1,
  BtnCancel = 2,
  BtnYes = 4,
  BtnNo = 8,
  BtnNoToAll = 16,
  BtnYesToAll = 32,
  BtnOkCancel = BtnOk | BtnCancel,
  BtnYesNo = BtnYes | BtnNo,
  BtnYesNoCancel = BtnYes | BtnNo | BtnCancel,
};

class IPrompt {
 public:
  virtual ~IPrompt() = default;
  // Shows a modal message with the given buttons and returns the answer
  // (Cancel when the box is closed without a button).
  virtual TAnswer Ask(TMessageKind kind, const std::string& text, unsigned buttons) = 0;

  void Show(TMessageKind kind, const std::string& text) { Ask(kind, text, BtnOk); }
  // The same with a caption of the box's own (empty: the kind's caption).
  virtual TAnswer AskTitled(TMessageKind kind, const std::string& title, const std::string& text,
                            unsigned buttons) {
    (void)title;
    return Ask(kind, text, buttons);
  }
};

// One file dialog's settings: a filter in the form "text|*.ext|text|*.ext".
struct TFileDialogOptions {
  std::string Title;
  std::string Filter;
  std::string InitialName;
  std::string InitialFolder;
  bool MultiSelect = false;
};

class IFileChooser {
 public:
  virtual ~IFileChooser() = default;
  // Fills names (one, or several with MultiSelect) and returns true, or
  // returns false when the user cancels.
  virtual bool ChooseOpen(const TFileDialogOptions& options, std::vector<std::string>& names) = 0;
  virtual bool ChooseSave(const TFileDialogOptions& options, std::string& name) = 0;
};

// Bits of the main window's central refresh.
enum TViewBits : unsigned {
  ViewCaption = 0x001,
  // No effect of its own: the callers that refresh everything set it.
  ViewEverything = 0x002,
  ViewVariables = 0x004,
  ViewFormulas = 0x008,
  ViewDependence = 0x010,
  ViewLinks = 0x020,
  // With ViewVariables and ViewFormulas: the lists' first item is not selected.
  ViewKeepSelection = 0x040,
  ViewEnsureSelection = 0x080,
  // The panel that suits the current file kind is shown and acted on.
  ViewChoosePanel = 0x100,
  ViewGraph = 0x200,
  ViewGraphRebuild = 0x400,
};

// The masks the commands pass.
constexpr unsigned ViewAtStart =
    ViewCaption | ViewEverything | ViewVariables | ViewFormulas | ViewDependence;
// The lists, the dependence panel and the link manager.
constexpr unsigned ViewModelObjects = ViewVariables | ViewFormulas | ViewDependence | ViewLinks;
// After a load, a new model or the sample-import command line.
constexpr unsigned ViewAfterLoad =
    ViewCaption | ViewModelObjects | ViewChoosePanel | ViewGraphRebuild;
constexpr unsigned ViewAfterModelType = ViewCaption | ViewEverything | ViewChoosePanel;

enum class TPanel { Variables, Formulas, ZoziVor, Dependence };

enum class TObjectList { Variables, Formulas };

// A handle of an item of the dependence tree view; null is "no item".
using TTreeItem = void*;

// The dependence tree view and the list of nodes not in the tree, as the
// undo items and the model helpers change them. Nodes are the engine's node
// records.
class IDependenceTree {
 public:
  virtual ~IDependenceTree() = default;
  // Every item in the tree's flat order (a parent before its children).
  virtual std::vector<TTreeItem> Items() = 0;
  virtual void* ItemNode(TTreeItem item) = 0;
  virtual TTreeItem ParentItem(TTreeItem item) = 0;
  virtual TTreeItem AddTopLevelItem(const std::string& text, void* node) = 0;
  // A new item placed as the first sibling of sibling (same parent).
  virtual TTreeItem InsertFirstSibling(TTreeItem sibling, const std::string& text, void* node) = 0;
  virtual void MoveToTopLevel(TTreeItem item) = 0;
  // Moves item (with its children) under parent as its last child.
  virtual void MoveUnder(TTreeItem item, TTreeItem parent) = 0;
  virtual void RemoveItem(TTreeItem item) = 0;
  virtual void SelectItem(TTreeItem item) = 0;
  virtual void SetItemText(TTreeItem item, const std::string& text) = 0;
  // Sorts the items alphabetically, every level.
  virtual void SortAlphabetically() = 0;

  // The list of available nodes (those not in the tree).
  virtual void RemoveAvailableNode(void* node) = 0;
  virtual void AddAvailableNode(const std::string& caption, const std::string& name,
                                void* node) = 0;
  virtual void SortAvailableNodes() = 0;

  // The first item whose node is node, or null.
  TTreeItem FindItem(void* node) {
    if (node == nullptr) return nullptr;
    for (TTreeItem item : Items())
      if (ItemNode(item) == node) return item;
    return nullptr;
  }
};

// What core operations ask of the main window.
class IWorkbenchUi {
 public:
  virtual ~IWorkbenchUi() = default;
  virtual void UpdateView(unsigned mask) = 0;
  virtual void UpdateSaveButton() = 0;
  virtual void ShowPanel(TPanel panel) = 0;
  // Number of items of a list, and selecting one (0-based) and showing it.
  virtual int ListItemCount(TObjectList list) = 0;
  virtual void SelectListItem(TObjectList list, int index) = 0;
  // Shows the list's selection in its editor frame (OnListVarClick).
  virtual void ListClick(TObjectList list) = 0;
  // Re-reads the editor frame and its list from the model (flag 1: the
  // selected object).
  virtual void ReloadVariableFrame(int flag) = 0;
  virtual void ReloadFormulaFrame(int flag) = 0;
  // Clears the simulation dialog's "User Defined Quantiles" box.
  virtual void ClearUserDefinedQuantiles() = 0;
  // Whether the "Dependence Tree" toggle (chkDepTree) is down.
  virtual bool DependenceTreeButtonDown() = 0;
  // Repaints the correlation grid, and the vine view when one is visible.
  virtual void RepaintDependenceGrid() = 0;
  virtual void RepaintVineView() = 0;
  // Rebuilds the levels of the user-defined vine view when it is shown.
  virtual void RebuildUserVineLevels() = 0;
  // The dependence tree view and its list of available nodes.
  virtual IDependenceTree& DependenceTree() = 0;
  // The nodes of the matrix node list (listDepends), in list order.
  virtual std::vector<void*> MatrixNodes() = 0;
};

}  // namespace tesmira::wb
