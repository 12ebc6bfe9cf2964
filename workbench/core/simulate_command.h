// The Run menu's Simulate command and the belief-net hand-over without their
// windows: the checks before the simulation dialog, the descriptions kept
// around it, the report afterwards. The window side (the dialog, the report
// prompt, the active edit) is reached through a host the main window
// implements and tests script.
#pragma once

#include <string>
#include <vector>

namespace tesmira::wb {

class TWorkbench;

// The descriptions of every random variable, written back when the object
// goes out of scope (also when an exception passes).
class TSavedDescriptions {
 public:
  TSavedDescriptions();
  ~TSavedDescriptions();
  TSavedDescriptions(const TSavedDescriptions&) = delete;
  TSavedDescriptions& operator=(const TSavedDescriptions&) = delete;
  // The saved description of a variable (UTF-8), for the list while the
  // dialog is shown; "n/a" for a variable made since.
  std::string Description(const void* variable) const;

 private:
  std::vector<std::pair<void*, std::vector<unsigned char>>> saved_;
};

// What Simulate asks of the main window; the window answers every step.
class ISimulateHost {
 public:
  virtual ~ISimulateHost() = default;
  virtual void CommitActiveEdit() = 0;
  // The silent distribution-file check; false ends the command (its own
  // messages).
  virtual bool CheckDistributionFiles() = 0;
  virtual bool FormulasPanelVisible() = 0;
  // Some cell of the current correlation matrix is not set.
  virtual bool CurrentMatrixIncomplete() = 0;
  virtual void ShowVariablesPanel() = 0;
  // The model's Save As; the model then has a file name when it succeeded.
  virtual void SaveModelAs() = 0;
  // The report prompt for discarding; false ends the command.
  virtual bool ConfirmDiscardReport() = 0;
  // Unchecks the matrix-view box when it is enabled.
  virtual void UncheckMatrixView() = 0;
  // Shows the simulation dialog modally; its modal result (6: Display Report).
  virtual int ShowSimulationDialog() = 0;
  virtual void RepaintVariableList() = 0;
  virtual void GenerateReport() = 0;
  // The formulas panel is visible and the model has no formula.
  virtual void AddEmptyFormulaIfNeeded() = 0;
  virtual void UpdateReportCommands() = 0;

  // Belief net: the silent simulation (true when it finished cleanly) and
  // the hand-over to the program (true when it started).
  virtual bool RunForBeliefNet() = 0;
  virtual bool LaunchBeliefNet(const std::string& file, bool useExisting) = 0;
};

// Simulate: the checks in order, then the dialog; the dialog's modal result,
// or 0 when a check ended the command.
int Simulate(TWorkbench& wb, ISimulateHost& host);

// Whether another process holds the file (an exclusive lock cannot be taken
// on it opened for reading and writing).
bool FileInUse(const std::string& fileName);

// Dependence > Add New (exportTo false) and Export > "Bayesian Belief Net".
// True when the belief-net program was started.
bool RunBayesianBeliefNet(TWorkbench& wb, ISimulateHost& host, bool exportTo);

}  // namespace tesmira::wb
