#include "file_commands.h"

#include <algorithm>
#include <cmath>

#include "cp437.h"
#include "files/model_container.h"
#include "model/short_string.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "utilities.h"
#include "workbench.h"

namespace tesmira::wb {

namespace {

bool IsOpeningMode(int mode) {
  return mode == LoadOpen || mode == LoadListed || mode == LoadConvert;
}

void Warn(TWorkbench& wb, const std::string& text) {
  wb.Prompt().Show(TMessageKind::Warning, text);
}
void Error(TWorkbench& wb, const std::string& text) { wb.Prompt().Show(TMessageKind::Error, text); }

bool ContainsNoCase(std::string_view text, std::string_view part) {
  return LowerCase(text).find(LowerCase(part)) != std::string::npos;
}

// Writes the model to the file and runs the after-save hook.
bool WriteAndHook(TWorkbench& wb, const std::string& fileName) {
  bool written = WriteTSMFile(fileName.c_str()) > 0;
  bool hooked = written && (!wb.AfterSaveHook || wb.AfterSaveHook(fileName));
  return written && hooked;
}

// "open." or "linked." when the file is already the model or one of its
// links in the mode; empty when it may be loaded.
std::string AlreadyOpen(const TWorkbench& wb, const std::string& name, int mode) {
  if ((mode == LoadMerge || mode == LoadLink) && SameFile(name, wb.CurrentFileName)) return "open.";
  if (mode == LoadLink) {
    for (int n = 1; n <= GetLinkedFilesNumber(); ++n) {
      char linked[256] = {};
      GetLinkedFile(n, 0, linked);
      if (SameFile(name, AbsoluteFromModel(linked, "", wb.CurrentFileName))) return "linked.";
    }
  }
  return "";
}

// Says how many objects of the file just loaded could not be read, with the
// names of the first ones that still show one.
std::string UnreadMessage(const std::string& shortName) {
  const std::vector<UnreadObject>& unread = UnreadObjects();
  const std::size_t n = unread.size();
  std::string text = "The file " + shortName + " is damaged: " + std::to_string(n) +
                     (n == 1 ? " object" : " objects") + " could not be read";
  constexpr int kNamesShown = 10;
  int shown = 0;
  bool more = false;
  for (const UnreadObject& object : unread) {
    if (object.name.empty()) continue;
    if (shown == kNamesShown) {
      more = true;
      break;
    }
    text += (shown++ == 0 ? ": " : ", ") + Cp437ToUtf8(object.name);
  }
  if (more) text += ", ...";
  return text;
}

}  // namespace

int LoadModelFiles(TWorkbench& wb, TOpenDialog& dialog, int mode, std::string& resultText,
                   bool* replaced) {
  resultText.clear();
  if (replaced) *replaced = false;
  int loaded = 0;
  if (IsOpeningMode(mode) && ConfirmSaveModel(wb) == TAnswer::Cancel) return 0;
  if (mode != LoadListed) {
    std::vector<std::string> names;
    if (!wb.Chooser().ChooseOpen(dialog.Options, names)) return 0;
    dialog.Files = names;
  }
  for (const std::string& given : dialog.Files) {
    // Every model name below this point is absolute: a run, a report or a
    // save must not depend on the folder the program happens to be in.
    const std::string name = AbsolutePath(given);
    const std::string shortName = ExtractFileName(name);
    if (!FileExists(name)) {
      if (mode != LoadConvert) Warn(wb, "This file does not exist");
      continue;
    }
    if (std::string already = AlreadyOpen(wb, name, mode); !already.empty()) {
      Warn(wb, "The file " + shortName + " is already " + " " + already);
      continue;
    }
    if (IsOpeningMode(mode)) {
      if (!NewModel(wb)) continue;
      if (replaced) *replaced = true;
    }
    if (IsReadOnlyFile(name)) {
      Warn(wb, "The file \"" + shortName + "\" is read-only.  Please make sure you \r\n" +
                   "gain writing permission to this file and try to open it again.");
      continue;
    }
    void* header = nullptr;
    int kind = GetFileHeader(name.c_str(), &header);
    int result = -1;
    switch (kind) {
      case TsmKindModel:
      case TsmKindOutput: result = LoadTSMFile(name.c_str(), mode); break;
      case TsmKindSampleFile: result = LoadSampleFile(name.c_str()); break;
      case TsmKindLegacyUnreadable:
      case TsmKindLegacyModel: result = ConvertDOSFile(wb, name, mode); break;
      default: break;
    }
    bool legacy = kind == TsmKindLegacyUnreadable || kind == TsmKindLegacyModel;
    if (result > 0 && (mode == LoadOpen || mode == LoadListed)) {
      // An imported legacy model keeps the ".tsm" name the import gave it, so
      // that saving never writes over the legacy file.
      if (!legacy) wb.CurrentFileName = name;
      wb.CurrentFileKind = kind;
    }
    if (result == TsmReadNoMemory) {
      Error(wb, "No memory or the input file " + shortName + " is corrupted");
    } else if (result < 0) {
      Error(wb, "There was a problem reading the file. The file " + shortName +
                    " is locked, corrupt or has an unexpected format");
    } else if (result > 0) {
      resultText = wb.CurrentFileName;
      if (mode == LoadMerge || mode == LoadLink) wb.Modified = true;
      if ((kind == TsmKindModel || kind == TsmKindOutput) && !UnreadObjects().empty()) {
        // Saving the model would lose the objects for good: it is not a copy of the file.
        Warn(wb, UnreadMessage(shortName));
        wb.Modified = true;
        if (IsOpeningMode(mode)) wb.CurrentFileDamaged = true;
      }
      wb.FileOpen = true;
      ++loaded;
      if (mode != LoadConvert && ScanDuplicateNames() > 0)
        Warn(wb, "Some of the files linked to " + ExtractFileName(wb.CurrentFileName) +
                     " contain objects with duplicate names, - ignored");
    } else if (!(mode == LoadConvert && Get_TSMObjectsNumber(0) > 0)) {
      Warn(wb, "The file " + shortName + " doesn`t contain valid data");
    }
  }
  if (mode == LoadConvert)
    resultText = loaded > 0 ? std::to_string(loaded) + " DOS files converted" : std::string();
  dialog.Files.clear();
  return loaded;
}

bool WriteModelFile(TWorkbench& wb, const std::string& fileName) {
  bool written = WriteTSMFile(fileName.c_str()) > 0;
  if (written) wb.CurrentFileName = fileName;
  bool ok = written && (!wb.AfterSaveHook || wb.AfterSaveHook(fileName));
  if (ok) {
    wb.Modified = false;
    wb.CurrentFileDamaged = false;
    return true;
  }
  Error(wb, "There was a problem writing the file " + ExtractFileName(fileName));
  return false;
}

namespace {

// Runs the save dialog: the chosen name completed with ".tsm" when it has no
// "."; an existing file only when the user agrees to overwrite it. False
// when the user cancels.
bool ChooseSaveName(TWorkbench& wb, const TFileDialogOptions& options, std::string& name) {
  TFileDialogOptions o = options;
  if (o.InitialName.empty()) o.InitialName = ExtractFileName(wb.CurrentFileName);
  if (!wb.Chooser().ChooseSave(o, name) || name.empty()) return false;
  name = AbsolutePath(name);
  if (ExtractFileName(name).find('.') == std::string::npos) name += ".tsm";
  return !FileExists(name) ||
         wb.Prompt().Ask(TMessageKind::Warning,
                         "The file " + ExtractFileName(name) + " already exists. Overwrite?",
                         BtnYesNoCancel) == TAnswer::Yes;
}

}  // namespace

std::string SaveModelAs(TWorkbench& wb, bool useDialog, const TFileDialogOptions& options) {
  std::string name = useDialog ? std::string() : wb.CurrentFileName;
  if (name.empty() && !ChooseSaveName(wb, options, name)) return "";
  // The damaged file the model came from is replaced only when the user agrees.
  if (!useDialog && wb.CurrentFileDamaged && FileExists(name) &&
      wb.Prompt().Ask(TMessageKind::Warning,
                      "The file " + ExtractFileName(name) + " already exists. Overwrite?",
                      BtnYesNoCancel) != TAnswer::Yes)
    return "";
  return WriteModelFile(wb, name) ? name : std::string();
}

TAnswer ConfirmSaveModel(TWorkbench& wb) {
  if (!wb.Modified) return TAnswer::Yes;
  TAnswer answer =
      wb.Prompt().Ask(TMessageKind::Warning,
                      "The contents of the model file " + ExtractFileName(wb.CurrentFileName) +
                          " has been changed. Do you want to save the file?",
                      BtnYesNoCancel);
  if (answer != TAnswer::Yes) return answer;
  Mark_AllTSMObjectsSelected(true);
  if (wb.CurrentFileName.empty()) {
    // A model without a name is saved under a name the user chooses.
    TFileDialogOptions options;
    options.Title = "Save As";
    options.Filter = "Tesmira model files (*.tsm)|*.tsm";
    std::string name;
    if (!ChooseSaveName(wb, options, name)) return TAnswer::Cancel;
    if (WriteModelFile(wb, name)) return TAnswer::Yes;
  } else if (WriteAndHook(wb, wb.CurrentFileName)) {
    wb.Modified = false;
    wb.CurrentFileDamaged = false;
    return TAnswer::Yes;
  }
  return wb.Prompt().Ask(TMessageKind::Warning,
                         "There was a problem writing file. Do you want to proceed?", BtnOkCancel);
}

bool CloseModel(TWorkbench& wb) {
  if (ConfirmSaveModel(wb) == TAnswer::Cancel) return false;
  End_data();
  return true;
}

bool NewModel(TWorkbench& wb) {
  bool ok = Init_data();
  if (!ok) Error(wb, "There was a problem initialising data");
  wb.CurrentFileName.clear();
  wb.Modified = false;
  wb.FileOpen = false;
  wb.CurrentFileKind = FileKindNone;
  wb.CurrentFileDamaged = false;
  return ok;
}

bool NewModelAfterPrompt(TWorkbench& wb) {
  if (ConfirmSaveModel(wb) == TAnswer::Cancel) return false;
  return NewModel(wb);
}

void SetModelModified(TWorkbench& wb, bool flag) { wb.Modified = flag; }

std::string DOSTargetName(const std::string& fileName) {
  std::string name = ExtractFileName(fileName);
  return ExtractFileFolder(fileName) + name.substr(0, name.find('.')) + ".tsm";
}

int ConvertDOSFile(TWorkbench& wb, const std::string& fileName, int mode) {
  const std::string target = DOSTargetName(fileName);
  bool targetHasFormulas = false;
  if (mode == LoadConvert && FileExists(target)) {
    LoadTSMFile(target.c_str(), LoadOpen);
    int formulas = Get_TSMObjectsNumber(ObjFormula);
    targetHasFormulas = formulas > 0;
    if (targetHasFormulas && ContainsNoCase(fileName, ".fml")) return formulas;
  }
  uint8_t kind = 0;
  int count = DOStoTSMObjects(fileName.c_str(), &kind);
  if (kind == ObjDependenceNode && !(mode == LoadConvert && targetHasFormulas)) {
    kind = ObjFormula;
    count += DOStoTSMObjects("", &kind);
  }
  if (kind == ObjFormula) {
    kind = ObjRandomVariable;
    count += DOStoTSMObjects("", &kind);
  }
  if (count <= 0) return count;
  if (mode != LoadConvert) {
    wb.CurrentFileName = target;
    return count;
  }
  int objects = Get_TSMObjectsNumber(0);
  Mark_AllTSMObjectsSelected(true);
  WriteModelFile(wb, target);
  return objects;
}

bool BuildFilePreview(const std::string& fileName, std::vector<std::string>& lines) {
  lines.clear();
  void* header = nullptr;
  int kind = GetFileHeader(fileName.c_str(), &header);
  if (kind < TsmKindModel || kind > TsmKindLegacyModel || header == nullptr) {
    lines.push_back("Unknown file type");
    return false;
  }
  static const char* const kWords[] = {"input", "output", "sample", "DOS"};
  lines.push_back(std::string("Tesmira ") + kWords[kind - TsmKindModel] + " file with");
  if (kind == TsmKindSampleFile) {
    const auto* h = static_cast<const TSampleFileHeader*>(header);
    int inputs = std::max<int>(h->inputs.count, 0), outputs = std::max<int>(h->outputs.count, 0);
    lines.push_back("  - " + std::to_string(h->count) + " samples for each of");
    lines.push_back("  - " + std::to_string(inputs) + " input and " + std::to_string(outputs) +
                    " output variables from this list:");
    for (int j = 1; j <= std::max(inputs, outputs) && j <= MaxSampleListEntries; ++j) {
      std::string line = " ";
      if (j <= inputs) line += Cp437ToUtf8(ShortStringView(h->inputs.entries[j - 1].name));
      if (j <= outputs) line += "\t" + Cp437ToUtf8(ShortStringView(h->outputs.entries[j - 1].name));
      lines.push_back(line);
    }
    lines.push_back("Sample file version: " + std::to_string(h->version));
    return true;
  }
  const auto* h = static_cast<const TTsmFileHeader*>(header);
  for (int k = 1; k <= 16; ++k) {
    int count = h->kindCounts[k - 1];
    if (count <= 0) continue;
    char title[256] = {};
    GetDatatypeTitle(k, title);
    lines.push_back("  -  " + std::to_string(count) + " " + Cp437ToUtf8(title) +
                    (count > 1 ? "s" : ""));
  }
  lines.push_back("Total number of the data objects: " + std::to_string(h->entryCount));
  lines.push_back(("Model type: " + Cp437ToUtf8(ShortStringView(h->modelTypeName))).substr(0, 44));
  std::string_view description = ShortStringView(h->description);
  if (!description.empty())
    lines.push_back(("Case Description: " + Cp437ToUtf8(description)).substr(0, 118));
  if (h->linkCount > 0) lines.push_back("Number of linked files: " + std::to_string(h->linkCount));
  double v = h->designVersion;
  long whole = static_cast<long>(v);
  lines.push_back("Datafile design version: " + std::to_string(whole) + "." +
                  std::to_string(static_cast<long>(100 * v) - 100 * whole));
  return true;
}

}  // namespace tesmira::wb
