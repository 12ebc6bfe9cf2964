// TFormTesvaneMain: the main window of the sensitivity program. It owns the
// menus and commands, the variable check lists, Run and Cancel, the degree
// control, the result list, the details page and the two charts; it reads the
// settings file at start and writes it at close.
#pragma once

#include <QtGui/QAction>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QMainWindow>
#include <QtWidgets/QMenu>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSlider>
#include <QtWidgets/QSplitter>
#include <QtWidgets/QTabWidget>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QToolButton>
#include <atomic>
#include <memory>
#include <vector>

#include "charts.h"
#include "elided_label.h"
#include "nice_grid.h"
#include "options.h"
#include "script_executor.h"
#include "worker.h"

namespace tesvane {

class TGuiRunListener;

class TFormTesvaneMain : public QMainWindow, public TScriptHost {
 public:
  // `commandLineFile` is opened when the window is first activated.
  explicit TFormTesvaneMain(const QString& commandLineFile = {}, QWidget* parent = nullptr);
  ~TFormTesvaneMain() override;

  // --- files (open, close, recent files)
  void OpenSampleFile(const QString& path);
  bool LoadSamplesAndRefresh(const QString& path);
  void UnloadSampleFile() override;
  void RefreshAfterLoad() override;
  void OpenFileCommand();  // "&Open..."
  void ReopenEntry(int position);
  const std::vector<std::string>& RecentFiles() const { return recent_; }

  // --- runs
  void btnCalculateBatchClick();
  void CancelButtonClick();
  void StartRun() override;
  bool Running() const { return worker_ != nullptr; }
  // A close was asked for during a run.
  bool closing() const { return closeWhenDone_; }
  // The running worker was asked to stop.
  bool CancelRequested() const { return worker_ != nullptr && worker_->Terminated(); }
  void RunScriptCommand();
  void RunScript(const QString& path);

  // --- results and details
  void AddResultRow(TSensitivityItem& item, const QString& number);
  void SortResultList(int column);
  void ClearResults();
  void EnableResultCommands(bool on);
  void ShowItemDetails(int index);
  void NavigatorStep(int delta);
  bool UpDown1ChangingEx(int value);
  int NavigatorPosition() const { return navPos_; }
  int NavigatorMin() const { return navMin_; }
  int NavigatorMax() const { return navMax_; }
  void PageControl1Change();
  void ComboBox1Change();
  void ResultListDoubleClick();
  int ShownResultCount() const { return static_cast<int>(rowItems_.size()); }
  TSensitivityItem* ResultAtRow(int row) const;

  // --- charts and exports
  void ExportChart(TSensChart* chart);
  void CopyChart(TSensChart* chart);
  void ExportResults();
  void SetDotSize(TSensChart* chart, int pixels);
  void ToggleScaleFromRegression();

  // --- dialogs
  void OptionsCommand();
  void ApplyOptions(const TOptionsTexts& texts);
  void AboutCommand();

  // --- degree control
  bool IsValidDegreeText(const QString& text) const;

  // TReaderHost
  void ShowProgress(bool visible) override;
  void SetProgress(int32_t percent) override;
  void SetStatus(const std::string& text) override;
  void SetBusyCursor(bool busy) override;
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  bool PickVariables(const TRandVarList& variables, int32_t maximum, TIntList& checkedIds) override;
  // TScriptHost
  void ShowResult(const std::string& message, int32_t kind) override;

  // Runs a command; an error it raises is shown in an error box and the
  // normal cursor comes back.
  template <class F>
  void Guard(F&& f);

  // Controls, by their documented names where there are any.
  QAction *actOpen, *actClose, *actExit, *actCopyScatter, *actCopyCondExp, *actCopyResults,
      *actCopyMatrixAll, *actCopyMatrixSel, *actExportScatter, *actExportCondExp, *actExportResults,
      *actOptions, *actRunScript, *actHelp, *actPdfHelp, *actAbout;
  QAction* actScaleFromRegression;
  QAction* scatterDot[3];
  QAction* condDot[3];
  QMenu *mnuFile, *mnuReopen, *mnuScatter, *mnuCondExp, *mnuResults, *mnuMatrix;
  QLabel *statusPanel1, *statusPanel3;
  QWidget* statusPanel2;
  QProgressBar* ProgressBar1;
  TElidedLabel* lblFileName;  // the file's name, its path as tooltip
  QLabel *lblVarCount, *lblSampleCount;
  QLineEdit* edtDegree;
  QSlider* trkDegree;
  QLabel *lblDegMin, *lblDegMax;
  QPushButton *btnRun, *btnCancel, *btnClear;
  QCheckBox *ckSelAllConditioned, *ckSelAllConditioning;
  QListWidget *cklstConditioned, *cklstConditioning;
  QTabWidget* PageControl1;
  TNiceGrid *m_gridMainList, *m_gridDetailResults, *m_gridCorrMatrix;
  QLabel *lblItemNo, *lblExplanatoryCaption;
  // The names of the shown item, cut with "..." where they do not fit.
  TElidedLabel *lblPredicted, *lblBase, *lblExplanatory;
  QToolButton *btnNavPrev, *btnNavNext;
  QComboBox* ComboBox1;
  QTextEdit* rchedtPolynomial;
  TSensChart *MainChart, *Chart1;
  QSplitter *splMain, *splDetails, *splDetailsV;
  QWidget *pnlLeft, *pnlVariables, *pnlDetailLeft, *pnlChartArea;

  // The worker's effects, on the GUI thread.
  void ShowPendingRows();
  void FinishRun();
  void ToggleProgressBar();

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void BuildMenus();
  void BuildMenuBar();
  void BuildContextMenus();
  void BuildLayout();
  void BuildStatusBar();
  void BuildLeftPanel();
  QWidget* BuildDegreeBox();
  QWidget* BuildResultsPage();
  QWidget* BuildDetailsPage();
  QWidget* BuildDetailGrids();
  QWidget* BuildChartArea();
  void BuildGrids();
  void ApplyStartSettings();
  void SizeGridsToFormat(bool keepWider);
  void ApplyDetailPanelSizes();
  void WriteSettingsAtClose();
  void RebuildReopenMenu();
  void UpdateCommandStates();
  void CheckListChanged(QListWidget* list);
  void SelectAllClicked(QCheckBox* box, bool byUser);
  void SetNavigator(int minimum, int maximum, int position);
  void FillDetailGrid(const TSensitivityItem& item);
  void FillMatrixGrid(const TSensitivityItem& item);
  void FormatPolynomialText(const TSensitivityItem& item);
  void RebuildResultRows();
  void DrawFlaggedCell(TNiceGrid* grid, QPainter* canvas, int col, int row, const QRect& rc,
                       bool& handled);
  int32_t CountChecked(const QListWidget* list) const;
  std::vector<int32_t> CheckedPositions(const QListWidget* list) const;

  QString commandLineFile_;
  bool activated_ = false;
  bool busy_ = false;
  bool closeWhenDone_ = false;
  bool closing_ = false;
  std::vector<std::string> recent_;
  int recentSlots_ = 5;
  std::unique_ptr<TGuiRunListener> listener_;
  std::unique_ptr<TMyThread> worker_;
  // Items of the rows of the result list, in row order, and their numbers.
  std::vector<TSensitivityItem*> rowItems_;
  QStringList rowNumbers_;
  int nextNumber_ = 1;
  bool resultCommands_ = false;
  bool runAllowed_ = false;
  int navMin_ = -1, navMax_ = -1, navPos_ = -1;
  // Panel sizes from the settings, applied at the first showing.
  struct {
    int LeftPanel = 225, DetailPanel = 273, ChartArea = 281;
    bool Applied = false, DetailsApplied = false;
  } startPanels_;
  QString lastPictureName_;
  int lastPictureFilter_ = 0;
};

// The placement moved, and shrunk where needed, into the available area of
// the screen it is on (the primary screen when it is on none).
QRect KeepInsideScreen(const QRect& placement);

template <class F>
void TFormTesvaneMain::Guard(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    SetBusyCursor(false);
    ShowError(e.what());
  }
}

}  // namespace tesvane
