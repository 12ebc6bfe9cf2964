// "Run Simulation": the dialog that sets up a simulation of the open model,
// runs it on the GUI thread with progress and Stop, and opens its results.
// The request, the series and the texts come from the core
// (simulation_request.h, quantile_grid.h, selection_list.h).
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "quantile_grid.h"
#include "selection_list.h"
#include "simulation_request.h"
#include "tesmira/model_files.h"
#include "tesmira/structures.h"

class QCheckBox;
class QComboBox;
class QDateTime;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;
class QVBoxLayout;
class QWidget;

namespace tesmira::wb {

class TWorkbench;

// Programs the result buttons start.
enum class TSiblingProgram { Display, Sensitivity, ProbInversion };

class TFrmSimulation : public QDialog {
  Q_OBJECT
 public:
  // mainWindow: the window whose title shows the progress and that hides
  // while the dialog is minimized.
  TFrmSimulation(TWorkbench& wb, QWidget* mainWindow, QString settingsPath,
                 QWidget* parent = nullptr);
  ~TFrmSimulation() override;

  // What the dialog runs and starts; tests replace them.
  ISimulationEngine* Engine = nullptr;  // none: the engine itself
  std::function<double()> Clock;        // seconds; none: the wall clock
  std::function<void(TSiblingProgram, const std::string& file)> Launch;

  // Unchecks "User Defined Quantiles": the model they were set for changed.
  void ClearUserDefinedQuantiles();

  bool BeliefNetMode = false;
  bool CloseWhenDone = false;
  bool StopRequested = false;
  std::string OutputFileName;
  std::string SamplesFileName;

  // The showing steps (also run by showEvent); false when the dialog hid
  // itself (a file that is no sample file).
  bool Prepare();
  void RunClick();
  void StopClick();
  // The silent run before the belief-net hand-over; true when it finished
  // cleanly.
  bool RunForBeliefNet();
  bool Running() const { return running_; }
  const TQuantileGrid& QuantileGrid() const { return grid_; }
  TSelectionList& SampleList() { return samples_; }

  // Controls by their documented names.
  QLineEdit *edRuns = nullptr, *edSeed = nullptr, *edSimuls = nullptr, *edFileExt = nullptr;
  QLabel *labSamples = nullptr, *labSamplesOutput = nullptr, *labOutput = nullptr,
         *labNote = nullptr, *labStat = nullptr, *labETA = nullptr;
  QCheckBox *chkSepSampleFiles = nullptr, *chkUDQuantiles = nullptr,
            *chkMakeDistributionFile = nullptr, *chkSelDistrib = nullptr, *chkInput = nullptr,
            *chkOutput = nullptr, *chkBinary = nullptr, *chkSelected = nullptr, *chkXls = nullptr;
  QComboBox* cbxCorrelation = nullptr;
  QPushButton *butSamplesName = nullptr, *butName = nullptr, *butRun = nullptr, *butStop = nullptr,
              *butClose = nullptr, *butMinimize = nullptr, *butReport = nullptr,
              *butGraphics = nullptr, *butSensAnalysis = nullptr, *butProbInversion = nullptr;
  QRadioButton *radioTSO = nullptr, *radioSIM = nullptr;
  QTabWidget* panExtra = nullptr;
  QWidget *tabQuantiles = nullptr, *tabSelect = nullptr, *tabDistributions = nullptr;
  QTableWidget* grdQuantiles = nullptr;
  QListWidget *listSelSamp = nullptr, *listSelDistrib = nullptr;
  QProgressBar* m_progressBar = nullptr;

 protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build();
  QWidget* BuildSimulationBox();
  QWidget* BuildOptionsBox();
  QWidget* BuildExtraPages();
  QWidget* BuildStatusBar();
  void BuildButtons(QVBoxLayout& right);
  void ConnectFields();
  void ConnectButtons();
  QWidget* BuildQuantilePage();
  QWidget* BuildListPage(QListWidget*& list, const char* name);
  void FixRuns(int count);
  bool PrepareSource();
  void ApplyBeliefNetMode();
  void ReadChoices(TSimulationChoices& c) const;
  void ApplyChoices(const TSimulationChoices& c);
  void ShowRunStatus(const std::string& text, TStatusColour colour);
  void RefreshInputOutput();
  void RefreshDistributionControls();
  void RefreshOutputLabel();
  void RefreshObjectLists();
  void FillList(QListWidget* list, const TSelectionList& items);
  void ReadList(QListWidget* list, TSelectionList& items);
  void LayoutExtraPages();
  void UDQuantilesClick(bool byUser);
  void FillQuantileGrid();
  void PaintQuantileRow(int row);
  void GridSelectCell(int row, int column, int oldRow, int oldColumn);
  void SelectionCommand(TSelectionCommand command);
  void SortCommand(int order);
  QListWidget* ActiveList() const;
  void ChooseOutputName();
  void ChooseSamplesName();
  void LaunchResult(TSiblingProgram program);
  // The model's structure types before the run go to types.
  bool PrepareStructures(void* root, TDependenceTypeSet& types, bool& skipMatrices);
  void RestoreAfterRun(void* root, int rootType, const TDependenceTypeSet& types);
  void EnableResultButtons(double startTime);
  bool LeaveFieldsForRun();
  TRunRequest ReadRunRequest(TRunObjects& objects);
  void ShowRunning(const TRunRequest& request);
  void ShowIdle(void* root, int rootType, const TDependenceTypeSet& types, bool processSamples);
  void ReportOutcome(ISimulationEngine& e, int32_t code, const TRunRequest& request, double started,
                     const QDateTime& wallStart);
  double Now() const;

  static bool SimulationProgress(int32_t current, int32_t total);
  static bool VineTransformProgress(int16_t current, int32_t total);
  static void PumpMessages();
  bool Progress(int32_t current, int32_t total);

  TWorkbench& wb_;
  QWidget* main_;
  QString settingsPath_;
  TSimulationChoices choices_;
  TIntField runs_{1, 65534, 10, true}, seed_{0, 32767, 1}, simuls_{1, 32767, 1};
  TQuantileGrid grid_;
  TSelectionList samples_, distributions_;
  std::unique_ptr<TSampleFileHeader> header_;  // process-samples mode
  bool firstShow_ = true;
  bool prepared_ = false;  // Prepare ran before the dialog showed
  bool running_ = false;
  bool gridFilling_ = false;
  double startTime_ = 0;
  long long lastEta_ = -1;
  int lastPercent_ = -1;
  QString savedTitle_;
  std::string lastModelForOutput_;
  std::string statusText_;
};

}  // namespace tesmira::wb
