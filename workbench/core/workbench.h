// The workbench-wide state that the main window, the file commands, the undo
// items and the model helpers share, with the services of the windows.
#pragma once

#include <functional>
#include <string>

#include "pairing_choices.h"
#include "services.h"
#include "undo.h"

namespace tesmira::wb {

// Kinds of the open file, as the file probe reports them.
enum TFileKind {
  FileKindNone = 0,
  FileKindLegacyUnreadable = 1,
  FileKindModelFile = 2,
  FileKindOutputFile = 3,
  FileKindSampleFile = 4,
  FileKindLegacyModel = 5,
};

class TSavedDescriptions;

class TWorkbench {
 public:
  TWorkbench(IPrompt& prompt, IFileChooser& chooser, IWorkbenchUi& ui)
      : prompt_(prompt), chooser_(chooser), ui_(ui) {}
  TWorkbench(const TWorkbench&) = delete;
  TWorkbench& operator=(const TWorkbench&) = delete;

  IPrompt& Prompt() { return prompt_; }
  IFileChooser& Chooser() { return chooser_; }
  IWorkbenchUi& Ui() { return ui_; }

  std::string CurrentFileName;  // full path of the model file; empty for a new model
  bool Modified = false;
  bool FileOpen = false;
  int CurrentFileKind = FileKindNone;
  // The model was opened from a file with objects that could not be read:
  // the model is not a copy of the file, and saving over the file asks first.
  bool CurrentFileDamaged = false;
  bool ReportAvailable = false;
  // While set, the next press in the variable list shows the pressed item
  // instead of starting a drag.
  bool PendingListClick = false;
  int StructureSwapState = 0;
  int NodeOrderCounter = 0;
  // Called after every successful model write with the file name (the
  // ZoziVor graph's layout writer); false reports a failed write.
  std::function<bool(const std::string& fileName)> AfterSaveHook;

  // The descriptions saved around a simulation while its dialog is shown.
  const TSavedDescriptions* ShownDescriptions = nullptr;
  TUndo Undo{this};
  TPairingChoices PairingChoices;

 private:
  IPrompt& prompt_;
  IFileChooser& chooser_;
  IWorkbenchUi& ui_;
};

// Shows the engine's warning that no more random variables fit through the
// workbench's prompt (the engine itself shows no boxes).
void InstallOverflowWarning(TWorkbench& wb);
void RemoveOverflowWarning();

}  // namespace tesmira::wb
