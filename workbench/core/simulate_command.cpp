#include "simulate_command.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "cp437.h"
#include "main_view.h"
#include "model_helpers.h"
#include "services.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/simulation.h"
#include "tesmira/structures.h"
#include "utilities.h"
#include "workbench.h"

namespace tesmira::wb {

TSavedDescriptions::TSavedDescriptions() {
  for (int n = 1; n <= Get_TSMObjectsNumber(ObjRandomVariable); ++n) {
    auto* rv = static_cast<TExtendedRandomVariable*>(Get_TSMObject(n, ObjRandomVariable));
    if (!rv) continue;
    std::vector<unsigned char> bytes(sizeof rv->description);
    std::memcpy(bytes.data(), rv->description, bytes.size());
    saved_.emplace_back(rv, std::move(bytes));
  }
}

TSavedDescriptions::~TSavedDescriptions() {
  // Only variables that still exist get their text back.
  for (int n = 1; n <= Get_TSMObjectsNumber(ObjRandomVariable); ++n) {
    void* object = Get_TSMObject(n, ObjRandomVariable);
    for (const auto& [rv, bytes] : saved_)
      if (rv == object)
        std::memcpy(static_cast<TExtendedRandomVariable*>(rv)->description, bytes.data(),
                    bytes.size());
  }
}

std::string TSavedDescriptions::Description(const void* variable) const {
  for (const auto& [rv, bytes] : saved_)
    if (rv == variable) {
      const std::size_t n = std::min<std::size_t>(bytes[0], bytes.size() - 1);
      return Cp437ToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()) + 1, n));
    }
  return "n/a";
}

namespace {

// The save question before a run; false ends the command.
bool OfferSave(TWorkbench& wb, ISimulateHost& host, const char* lineBreak) {
  if (!wb.CurrentFileName.empty()) return true;
  const TAnswer a = wb.Prompt().Ask(TMessageKind::Confirmation,
                                    std::string("It is advisable for model to be saved before "
                                                "simulation is run.") +
                                        lineBreak + "Do you wish to save it now?",
                                    BtnYesNoCancel);
  if (a == TAnswer::Cancel || a == TAnswer::None) return false;
  if (a == TAnswer::Yes) {
    host.SaveModelAs();
    return !wb.CurrentFileName.empty();
  }
  return true;
}

}  // namespace

int Simulate(TWorkbench& wb, ISimulateHost& host) {
  const bool sampleFile = wb.CurrentFileKind == FileKindSampleFile;
  host.CommitActiveEdit();
  if (!host.CheckDistributionFiles()) return 0;
  if (!sampleFile && !CheckFormulaSet(wb, false, host.FormulasPanelVisible())) return 0;
  if (!Init_simul()) return 0;
  if (!sampleFile && Get_TSMObjectsNumber(ObjRandomVariable) == 0) {
    wb.Prompt().Show(TMessageKind::Error,
                     "Before running Simulation, you have to create at least one random variable");
    host.ShowVariablesPanel();
    return 0;
  }
  void* root = GetCurrentDependenceStructureRoot();
  if (root && GetDependenceType(root) == 1 && host.CurrentMatrixIncomplete()) {
    wb.Prompt().Show(TMessageKind::Warning,
                     "Some correlation matrix cells are still not filled or invalid. Simulation "
                     "is canceled");
    return 0;
  }
  if (!OfferSave(wb, host, "\r")) return 0;
  if (!host.ConfirmDiscardReport()) return 0;
  int result = 0;
  {
    std::optional<TSavedDescriptions> saved;
    if (!sampleFile) saved.emplace();
    RemoveEmptyFormulas();
    host.UncheckMatrixView();
    ReleaseSavedStructure();
    // The variable list shows the saved texts while the dialog is open.
    struct TShown {
      TWorkbench& wb;
      ~TShown() { wb.ShownDescriptions = nullptr; }
    } shown{wb};
    wb.ShownDescriptions = saved ? &*saved : nullptr;
    result = host.ShowSimulationDialog();
  }
  if (!sampleFile) host.RepaintVariableList();
  if (result == 6) host.GenerateReport();
  host.AddEmptyFormulaIfNeeded();
  host.UpdateReportCommands();
  return result;
}

bool FileInUse(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDWR);
  if (fd < 0) return true;
  const bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return busy;
}

bool RunBayesianBeliefNet(TWorkbench& wb, ISimulateHost& host, bool exportTo) {
  const int variables = Get_TSMObjectsNumber(ObjRandomVariable);
  if (variables < (exportTo ? 1 : 2)) {
    wb.Prompt().AskTitled(TMessageKind::Error, "Not Enough Variables",
                          exportTo ? "You must create at least one random variable\r\nbefore "
                                     "exporting to a Bayesian Belief Net."
                                   : "You must create at least two random variables\r\nfor a new "
                                     "Bayesian Belief Net.",
                          BtnOk);
    host.ShowVariablesPanel();
    return false;
  }
  std::string bbn;
  if (exportTo) {
    TFileDialogOptions options;
    options.Title = "Open Bayesian Belief Net File";
    options.Filter = "Bayesian Belief Net file|*.bbn";
    options.InitialFolder = ExtractFileFolder(wb.CurrentFileName);
    std::vector<std::string> names;
    if (!wb.Chooser().ChooseOpen(options, names) || names.empty()) return false;
    if (!FileExists(names[0])) return false;
    if (FileInUse(names[0])) {
      wb.Prompt().Show(TMessageKind::Error, "The file \"" + ExtractFileName(names[0]) +
                                                "\" is currently in use.\r\nPlease make sure it is "
                                                "not open in Pellian.");
      return false;
    }
    bbn = names[0];
  }
  if (!OfferSave(wb, host, "\n\r")) return false;
  if (!host.ConfirmDiscardReport()) return false;
  bool done = false;
  {
    TSavedDescriptions saved;
    host.UncheckMatrixView();
    ReleaseSavedStructure();
    // The hand-over samples at the finest resolution; the option comes back
    // on every path.
    struct TResolution {
      TDisplaySettings old = CurrentDisplaySettings();
      TResolution() {
        TDisplaySettings s = old;
        s.quantperdistrib = 2;
        SetCurrentDisplaySettings(s);
      }
      ~TResolution() { SetCurrentDisplaySettings(old); }
    } resolution;
    done = host.RunForBeliefNet();
  }
  host.RepaintVariableList();
  if (!done) return false;
  if (!host.LaunchBeliefNet(bbn, exportTo)) {
    wb.Prompt().AskTitled(TMessageKind::Error, "Error",
                          "Unable to initialise Bayesian Belief Net module.", BtnOk);
    return false;
  }
  return true;
}

}  // namespace tesmira::wb
