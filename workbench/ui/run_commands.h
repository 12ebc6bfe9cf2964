// The main window's Run and Report commands: Simulate and its dialog, the
// sibling programs, the belief-net hand-over, the report dialog, the report
// panel's pop-up and printing. One object per main window, its child.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "launchers.h"
#include "report_sections.h"
#include "report_writer.h"
#include "simulate_command.h"

class QAction;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QTextEdit;

namespace tesmira::wb {

class TFrmTesmiraMain;
class TFrmSimulation;
class TFrmReport;
class TPellianWindows;
class TWorkbench;

// The report panel as a report target.
class TPanelReportTarget : public IReportTarget {
 public:
  TPanelReportTarget(QTextEdit* edit, std::string* rtfStream) : edit_(edit), rtf_(rtfStream) {}
  void Clear() override;
  void SetVisible(bool visible) override;
  void AppendLines(const std::vector<std::string>& lines) override;
  void LoadRtf(const std::string& bytes) override;
  int64_t TextLength() const override;
  void SetCaret(int64_t position) override;
  void SetModified(bool modified) override;
  void ScrollToLine(int line) override;

 private:
  QTextEdit* edit_;
  std::string* rtf_;
};

// A preview pane as a report target.
class TTextEditReportTarget : public IReportTarget {
 public:
  explicit TTextEditReportTarget(QTextEdit* edit) : edit_(edit) {}
  void Clear() override;
  void SetVisible(bool visible) override;
  void AppendLines(const std::vector<std::string>& lines) override;
  void LoadRtf(const std::string& bytes) override;
  int64_t TextLength() const override;
  void SetCaret(int64_t position) override;
  void SetModified(bool) override {}
  void ScrollToLine(int) override {}

 private:
  QTextEdit* edit_;
};

class TRunCommands : public QObject, public ISimulateHost {
  Q_OBJECT
 public:
  TRunCommands(TFrmTesmiraMain& window, TWorkbench& wb, QString settingsPath);
  ~TRunCommands() override;

  TRepSections Sections;
  std::unique_ptr<IProgramStarter> Starter;
  // Where the sibling programs, the scripts and "Pellian/Pellian" are looked
  // for (ends in "/"): the program's own folder.
  std::string ProgramFolder;
  // Run instead of a modal exec() (tests); the modal result.
  std::function<int(TFrmSimulation&)> ExecSimulation;
  std::function<int(TFrmReport&)> ExecReport;
  // Replaces the print dialog: fills the printer and answers OK.
  std::function<bool(QPrinter&)> ChoosePrinter;

  TFrmSimulation& SimulationDialog();
  TFrmReport& ReportDialog();

  void SimulateClick();
  void BeliefNetClick(bool exportTo);
  void ReportGenerateClick();
  void ReportViewClick();
  // fromPane: the report pane's own print, shown whatever the panel.
  void PrintClick(bool fromPane);
  void MenuClick();  // the Run and Report menus' enabling
  // Unchecks the simulation dialog's "User Defined Quantiles" box.
  void ClearUserDefinedQuantiles();

  QAction *mitSimulate = nullptr, *mitModelRun = nullptr, *mitReportGen = nullptr,
          *mitReportView = nullptr, *mitReportPrint = nullptr, *mitReportSaveAs = nullptr,
          *mitFilePrint = nullptr, *mitNewBbn = nullptr, *mitExportBbn = nullptr,
          *mitRepWrap = nullptr;
  QMenu* popRichReport = nullptr;

  // ISimulateHost
  void CommitActiveEdit() override;
  bool CheckDistributionFiles() override;
  bool CurrentMatrixIncomplete() override;
  void UncheckMatrixView() override;
  bool FormulasPanelVisible() override;
  void ShowVariablesPanel() override;
  void SaveModelAs() override;
  bool ConfirmDiscardReport() override;
  int ShowSimulationDialog() override;
  void RepaintVariableList() override;
  void GenerateReport() override { ReportGenerateClick(); }
  void AddEmptyFormulaIfNeeded() override;
  void UpdateReportCommands() override { MenuClick(); }
  bool RunForBeliefNet() override;
  bool LaunchBeliefNet(const std::string& file, bool useExisting) override;

 private:
  void Build();
  void BuildReportPopup();

  TFrmTesmiraMain& w_;
  TWorkbench& wb_;
  QString settingsPath_;
  TFrmSimulation* simulation_ = nullptr;
  TFrmReport* report_ = nullptr;
  TPellianWindows* handOver_;
};

}  // namespace tesmira::wb
