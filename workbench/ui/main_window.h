// The workbench's main window: menus, toolbar, the work panels (variables,
// formulas, report) and the File menu's commands over the core's file
// commands. It is the core's IWorkbenchUi.
#pragma once

#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "services.h"
#include "settings.h"
#include "workbench.h"

class QAction;
class QKeyEvent;
class QMimeData;
class QLabel;
class QAbstractItemView;
class QLineEdit;
class QListView;
class QMenu;
class QPlainTextEdit;
class QTextEdit;
class QPushButton;
class QStackedWidget;
class QTableView;
class QToolBar;
class QToolButton;

namespace tesmira::wb {

class TDependencePanel;
class TObjectListModel;
class TFrmLink;
class TInplaceNameEditor;

// The panels by their index.
enum TPanelIndex {
  PanelZoziVor = 0,
  PanelVariables = 1,
  PanelFormulas = 2,
  PanelDependence = 3,
  PanelReport = 4
};

// The settings file: "tesmira.INI" beside the executable when that folder
// is writable, else in the application's configuration folder.
QString DefaultSettingsPath();
// The command line with every file name made absolute against the current
// folder; switches ("-...") stay as they are.
QStringList AbsoluteArguments(const QStringList& args);
// The application title the window last set ("m.tsm - Tesmira").
QString ApplicationTitle();

class TFrmTesmiraMain : public QMainWindow, public IWorkbenchUi {
  Q_OBJECT
 public:
  // args: the command line without the program name.
  TFrmTesmiraMain(IPrompt& prompt, IFileChooser& chooser, const QString& settingsPath,
                  const QStringList& args = {}, QWidget* parent = nullptr);
  ~TFrmTesmiraMain() override;

  TWorkbench& Workbench() { return wb_; }
  const TWorkbenchSettings& Settings() const { return settings_; }
  // The editor frames keep their settings here; they are written at exit.
  TWorkbenchSettings& MutableSettings() { return settings_; }
  void SetLinkManager(TFrmLink* link) { link_ = link; }

  // File menu.
  bool NewClick();
  void NewModelOfType(int index);  // 0 formula, 1 ZoziVor
  void SetModelClick(int index);
  void OpenClick();
  void OpenGivenFile(const std::string& fileName);
  std::string LoadGivenFile(const std::string& fileName);
  void MRUClick(int entry);
  void LinkOrMergeClick(bool link);
  void ExtractClick(bool all);
  void ImportDOSClick();
  void ConvertDOSClick();
  void SaveClick();
  void SaveAsClick(bool fromSimulate = false);
  void SaveReportDocumentAs();
  void ToolSaveClick();
  void MergeSelectedClick();
  void MergeAllClick();
  void ManageLinksClick();
  void FileMenuClick();
  void OptionsClick();
  void AboutClick();
  void ExitClick();
  bool AddToMRU(const std::string& name);
  void ResetAfterLoad(bool loaded, bool isNew);
  // Asks to save a generated report before it is discarded; false: stop.
  bool ConfirmDiscardReport(bool ask, bool quitting);
  // The command line, run once at the first showing.
  bool ShowLogoAllowed() const;
  void ProcessCommandLine();
  void CreateVariablesFromSampleFile(const std::string& fileName);

  // Opens the first local file of a drop.
  void DropFiles(const QMimeData* data);

  // The lists' view styles: "Details" (the table) or "List" (the names
  // only, in wrapping columns); both show the same rows and selection.
  void SetListDetails(TObjectList list, bool details);
  bool ListDetails(TObjectList list) const;
  QAbstractItemView* ActiveView(TObjectList list) const;
  // Starts editing the name of the list's selected item (F2); false when
  // no item is selected.
  bool EditSelectedName(TObjectList list);

  // Takes the focus from the focused control and gives it back, so that a
  // pending edit is committed (the in-place name editor keeps it off).
  void CommitActiveEdit();

  void ChangePanel(int index);
  int VisiblePanel() const { return panel_; }
  void ShowIndexColumn(bool show);
  void SyncSelection(bool toModel);
  void Navigate(int tag);  // the button bar's |< < > >|

  // IWorkbenchUi
  void UpdateView(unsigned mask) override;
  void UpdateSaveButton() override;
  void ShowPanel(TPanel panel) override;
  int ListItemCount(TObjectList list) override;
  void SelectListItem(TObjectList list, int index) override;
  void ListClick(TObjectList list) override;
  void ReloadVariableFrame(int flag) override;
  void ReloadFormulaFrame(int flag) override;
  void ClearUserDefinedQuantiles() override;
  bool DependenceTreeButtonDown() override;
  void RepaintDependenceGrid() override;
  void RepaintVineView() override;
  void RebuildUserVineLevels() override;
  IDependenceTree& DependenceTree() override;
  std::vector<void*> MatrixNodes() override;

  // Puts a panel's page into the window and shows its Model menu item and
  // toolbar button (the dependence and ZoziVor panels).
  void SetPanelPage(int index, QWidget* page);
  QWidget* PanelPage(int index) const;

  // ---- pieces that later commands fill, each in its own source file ----
  // main_window_dependence.cpp: the Dependence menu and panel.
  void BuildDependence();       // at creation: mnuDependence, the panel's page
  void UpdateDependenceView();  // UpdateView 0x010
  void SyncDependenceButtons(bool keepMatrixCheck);
  void UpdateMenuItems();                     // the Dependence menu's enabling
  void LeaveDependencePanel();                // ChangePanel, the dependence panel was visible
  void EnterDependencePanel();                // ChangePanel to the dependence panel
  void ResetDependenceAfterLoad(bool isNew);  // ResetAfterLoad: grid, structure, buttons
  TDependencePanel* DependencePanel() const;
  // main_window_run.cpp: the Run and Report menus.
  void BuildRunAndReport();   // at creation: mnuRun, mnuReport, toolRun, toolRep
  void RunReportMenuClick();  // UpdateView 0x001: the two menus' item enabling
  void OpenOutputFile();      // UpdateView 0x100 for an output file: Report > Generate
  void SimulateSampleFile();  // UpdateView 0x100 for a sample file: Run > Simulate
  // main_window_zozivor.cpp: the ZoziVor graph panel.
  void BuildZoziVor();                     // at creation: the panel's page
  void UpdateGraph(unsigned mask);         // UpdateView 0x400 / 0x200
  void EnterZoziVorPanel(bool fromOther);  // ChangePanel to the ZoziVor panel
  void ResetGraphAfterLoad(bool loaded);   // graph cleared; a loaded file's layout read
  // main_window_help.cpp: private clipboard formats and context help.
  void BuildHelpAndClipboard();  // at creation: formats, Help menu items
  bool ClearPrivateClipboard();  // before the window closes; false keeps it open

  // Controls the tests reach.
  QTableView* listVar = nullptr;
  QTableView* listFor = nullptr;
  QListView *listVarNames = nullptr, *listForNames = nullptr;
  QToolBar *ToolBar1 = nullptr, *ToolBar2 = nullptr;  // above the two lists
  QToolButton *butVarView = nullptr, *butForView = nullptr;
  QTextEdit* richReport = nullptr;
  int ReportTag = 0;  // 0 empty, else the report's output format + 1
  // The office document of the last office report, where it is kept.
  std::string ReportDocument;
  // The bytes of the last rich-text report, saved as they are.
  std::string LastReportStream;
  QLineEdit* edModelDescription = nullptr;
  QLabel* labModelDescriptionLabel = nullptr;
  QToolBar* tbMain = nullptr;
  TInplaceNameEditor* edInplace = nullptr;  // the lists' name editor (F2)
  QWidget* m_formButtonsBar = nullptr;
  std::array<QPushButton*, 4> NavButtons{};
  QPushButton* butMerge = nullptr;
  QAction *mitNew = nullptr, *mitNewFormula = nullptr, *mitNewZozivor = nullptr, *mitOpen = nullptr,
          *mitMerge = nullptr, *mitLink = nullptr, *mitManageLinks = nullptr, *mitExtract = nullptr,
          *mitExtractAll = nullptr, *mitImportDOS = nullptr, *mitConvertDOS = nullptr,
          *mitSave = nullptr, *mitSaveAs = nullptr, *mitMergeSel = nullptr, *mitMergeAll = nullptr,
          *mitExit = nullptr, *mitModelType = nullptr, *mitUndo = nullptr, *mitRedo = nullptr,
          *mitViewVar = nullptr, *mitViewFor = nullptr, *mitToolbar = nullptr,
          *mitOptions = nullptr, *mitAbout = nullptr, *toolNew = nullptr, *toolOpen = nullptr,
          *toolSave = nullptr, *toolVar = nullptr, *toolFun = nullptr, *mitViewDep = nullptr,
          *mitViewDual = nullptr, *toolDep = nullptr, *toolDual = nullptr, *toolRun = nullptr,
          *toolRep = nullptr;
  std::array<QAction*, 4> MRU{};
  // Run, Dependence and Report start hidden and empty; their commands fill
  // and show them.
  QMenu *mnuFile = nullptr, *mnuEdit = nullptr, *mnuModel = nullptr, *mnuRun = nullptr,
        *mnuDependence = nullptr, *mnuReport = nullptr, *mnuHelp = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The menu bar and the main toolbar, in steps.
  void BuildMenus();
  void BuildFileMenu();
  void BuildEditMenu();
  void BuildModelMenu();    // with View > Toolbar
  void BuildMainToolbar();  // with the case description
  QAction* AddMenuItem(QMenu* menu, const QString& text, const std::function<void()>& slot,
                       const QKeySequence& key = {});
  void BuildPanels();
  QWidget* BuildListPane(QWidget* parent, TObjectList which);
  void ReadSettings();
  void WriteSettings();
  void UpdateCaption();
  void ViewMenuClick();
  void EditMenuClick();
  void ShowCaseDescription();
  void RebuildList(QTableView* view, TObjectListModel* model, unsigned mask);
  QTableView* CurrentList() const;
  QTableView* ListOf(TObjectList list) const;
  bool HasSelection(QTableView* view) const;
  bool MarkForWrite(bool extractOnly, bool all);
  // The button bar's keys on release outside the lists; true when used.
  bool KeyUpSteps(QWidget* target, QKeyEvent* key);
  void RefreshMRUActions();

  std::unique_ptr<IDependenceTree> tree_;
  TWorkbench wb_;
  TWorkbenchSettings settings_;
  QString settingsPath_;
  QStringList args_;
  bool firstShow_ = true;
  int panel_ = -1;
  QStackedWidget* stack_ = nullptr;
  QWidget *panVar_ = nullptr, *panFor_ = nullptr, *panEmpty_ = nullptr;
  std::array<QWidget*, 5> pages_{};  // by panel index
  TObjectListModel *varModel_ = nullptr, *forModel_ = nullptr;
  TFrmLink* link_ = nullptr;
  const QEvent* keyUpEvent_ = nullptr;  // the key release seen last, and where
  QPointer<QWidget> keyUpFirst_;
};

}  // namespace tesmira::wb
