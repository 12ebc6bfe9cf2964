// The workbench's file commands between the main window's menu and the model
// file container: the loader (open, merge, link, import, convert), save, save
// as and the save question, a new model, the conversion of legacy (DOS) model
// files and the open dialog's preview text. Messages go through the
// workbench's prompt, file dialogs through its chooser.
#pragma once

#include <string>
#include <vector>

#include "services.h"

namespace tesmira::wb {

class TWorkbench;

enum TLoadMode {
  LoadOpen = 0,    // open with the dialog
  LoadListed = 1,  // open the files already in the dialog's list (command line, recent files)
  LoadMerge = 2,
  LoadLink = 3,
  LoadConvert = 4,  // convert legacy files to model files
};

// An open dialog: its settings and its list of chosen files.
struct TOpenDialog {
  TFileDialogOptions Options;
  std::vector<std::string> Files;
};

// Loads the dialog's files by mode. resultText: the current model file after
// a successful load, for mode 4 the count + " DOS files converted", or empty.
// replaced tells whether the model was replaced by a new one. Returns the
// number of files loaded. The dialog's file list is cleared at the end.
int LoadModelFiles(TWorkbench& wb, TOpenDialog& dialog, int mode, std::string& resultText,
                   bool* replaced = nullptr);

// Writes the model to the file and runs the after-save hook; the model takes
// the name only when the write succeeded.
bool WriteModelFile(TWorkbench& wb, const std::string& fileName);
// With useDialog (Save As) the chooser names the file; otherwise (Save) the
// model's own name is used, or the chooser when the model has none. Returns
// the saved name, empty when cancelled or failed.
std::string SaveModelAs(TWorkbench& wb, bool useDialog, const TFileDialogOptions& options = {});
// Yes when nothing needs saving or the model was saved; No and Cancel as
// answered; after a failed write Ok (go on) or Cancel.
TAnswer ConfirmSaveModel(TWorkbench& wb);
bool CloseModel(TWorkbench& wb);
bool NewModel(TWorkbench& wb);
bool NewModelAfterPrompt(TWorkbench& wb);
void SetModelModified(TWorkbench& wb, bool flag);

// The preview lines of a file; true for model, output, sample and legacy files.
bool BuildFilePreview(const std::string& fileName, std::vector<std::string>& lines);

// Imports a legacy model file; in mode 4 writes it as a model file. Returns
// the number of objects.
int ConvertDOSFile(TWorkbench& wb, const std::string& fileName, int mode);
// Folder of the file + its name up to the first "." + ".tsm".
std::string DOSTargetName(const std::string& fileName);

}  // namespace tesmira::wb
