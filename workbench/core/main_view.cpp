#include "main_view.h"

#include <cstdio>

#include "cp437.h"
#include "model/short_string.h"
#include "model_helpers.h"
#include "simulate_command.h"
#include "tesmira/distributions.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "utilities.h"

namespace tesmira::wb {

std::string VersionCaption() {
  char text[32];
  std::snprintf(text, sizeof text, "%3.1f", GetVelnarVersion());
  return std::string("Tesmira v") + text;
}

TWindowTitles BuildWindowTitles(bool fileOpen, const std::string& fileName, int fileKind,
                                int modelType) {
  if (!fileOpen) return {VersionCaption() + " - no file", "Tesmira"};
  const char* kind = "?";
  if (fileKind == 2 || fileKind == 5)
    kind = "Input";
  else if (fileKind == 3)
    kind = "Output";
  else if (fileKind == 4)
    kind = "Sample";
  std::string caption = VersionCaption() + " - " + fileName + " [" + kind + "]" +
                        (modelType == 2 ? " Formula Model" : " Zozivor Model");
  return {caption, ExtractFileName(fileName) + " - Tesmira"};
}

std::vector<TViewStep> DecodeViewMask(unsigned mask) {
  // clang-format off
  static const std::pair<unsigned, TViewStep> kOrder[] = {
      {ViewCaption, TViewStep::Caption},         {ViewVariables, TViewStep::VariableList},
      {ViewFormulas, TViewStep::FormulaList},     {ViewDependence, TViewStep::Dependence},
      {ViewLinks, TViewStep::LinkManager},     {ViewEnsureSelection, TViewStep::EnsureSelection},
      {ViewChoosePanel, TViewStep::ChoosePanel},     {ViewGraphRebuild, TViewStep::GraphRebuild},
      {ViewGraph, TViewStep::GraphState}};
  // clang-format on
  std::vector<TViewStep> steps;
  for (const auto& [bit, step] : kOrder)
    if (mask & bit) steps.push_back(step);
  return steps;
}

bool ViewSelectsFirstItem(unsigned mask) {
  return (mask & ViewCaption) && !(mask & ViewKeepSelection);
}

bool AddToRecentFiles(std::array<std::string, 4>& entries, const std::string& name) {
  if (name.empty()) return false;
  std::size_t at = entries.size() - 1;
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (LowerCase(entries[i]) == LowerCase(name)) {
      at = i;
      break;
    }
  for (std::size_t i = at; i > 0; --i) entries[i] = entries[i - 1];
  entries[0] = name;
  return true;
}

bool SaveButtonEnabled(bool fileOpen, int fileKind, bool modified, bool hasFileName,
                       int reportTag) {
  if (fileOpen && (((fileKind == 2 || fileKind == 5) && modified && hasFileName) || !hasFileName))
    return true;
  return fileKind == 3 && reportTag >= 1 && reportTag <= 3;
}

std::string FormatIndexCaption(int kind, int number) {
  int count = Get_TSMObjectsNumber(kind);
  std::size_t digits = count <= 9 ? 1 : count <= 99 ? 2 : count <= 999 ? 3 : 4;
  std::string text = std::to_string(number);
  if (text.size() < digits) text.insert(0, digits - text.size(), ' ');
  return text;
}

namespace {

std::string LinkFileOf(int kind, int number) {
  if (!IsLinkedTSMObject(number, kind)) return {};
  char name[1024] = {};
  GetLinkedFile(number, kind, name);
  return ExtractFileName(Cp437ToUtf8(name));
}

std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  while (!text.empty() && text.front() == ' ') text.erase(0, 1);
  return text;
}

}  // namespace

std::string ObjectListCell(int kind, int row, int column, const TSavedDescriptions* shown) {
  const int number = row + 1;
  void* object = Get_TSMObject(number, kind);
  if (object == nullptr) return column == 0 ? "idx " + std::to_string(number) + " is nil" : "";
  switch (column) {
    case 0: return FormatIndexCaption(kind, number);
    case 1: {
      char name[256] = {};
      Get_TSMObjectName(kind, object, name);
      return Cp437ToUtf8(name);
    }
    case 4: return LinkFileOf(kind, number);
    default: break;
  }
  if (kind == ObjFormula) {
    auto* udf = static_cast<TUdf*>(object);
    return Cp437ToUtf8(column == 2 ? ShortStringView(udf->text)
                                   : ShortStringView(udf->description));
  }
  auto* rv = static_cast<TExtendedRandomVariable*>(object);
  if (column == 3 && shown) return shown->Description(rv);
  if (column == 3) return Cp437ToUtf8(ShortStringView(rv->description));
  TExtendedRandomVariable copy = *rv;
  if (Process_extended_random_variable(&copy, DistributionTitleOp) <= 0) return {};
  std::string text = Trimmed(Cp437ToUtf8(ShortStringView(copy.text[0])));
  const int type = rv->distribution.distType;
  if (type == 11 || type == 12 || type == 14 || type == 15)
    text += ": " + ExtractFileName(Cp437ToUtf8(GetDistributionFileName(*rv)));
  return text;
}

}  // namespace tesmira::wb

#include "tesmira/formula.h"
#include "tokenizer.h"
#include "workbench.h"

namespace tesmira::wb {

bool IsEmptyUnusedFormula(int number) {
  auto* udf = static_cast<TUdf*>(Get_TSMObject(number, ObjFormula));
  if (udf == nullptr) return false;
  std::string_view text = ShortStringView(udf->text);
  if (!(text.empty() || (text.size() == 1 && text[0] == '\0'))) return false;
  TTok pattern{TokId, LowerCase(ShortStringView(udf->name))};
  const int count = Get_TSMObjectsNumber(ObjFormula);
  for (int i = 1; i <= count; ++i) {
    auto* other = static_cast<TUdf*>(Get_TSMObject(i, ObjFormula));
    if (other && FindToken(pattern, ShortStringView(other->text)) > 0) return false;
  }
  return true;
}

int RemoveEmptyFormulas() {
  int removed = 0;
  for (int i = Get_TSMObjectsNumber(ObjFormula); i >= 1; --i)
    if (IsEmptyUnusedFormula(i)) {
      Delete_TSMObject(Get_TSMObject(i, ObjFormula));
      ++removed;
    }
  return removed;
}

bool CheckFormulaSet(TWorkbench& wb, bool interactive, bool formulasPanelVisible) {
  if (Get_TSMObjectsNumber(ObjFormula) == 0) return true;
  TUdf* failing = nullptr;
  char text[512] = {};
  double value = 0;
  if (Process_UDF(&failing, text, &value) == 1) return true;
  std::string message = Cp437ToUtf8(text).substr(0, 255);
  if (failing != nullptr) {
    message = (Cp437ToUtf8(ShortStringView(failing->name)) + ": " + message).substr(0, 255);
    const int index = Get_TSMObjectIndex(failing, ObjFormula);
    wb.Ui().UpdateView(ViewFormulas);
    if (index > 0) {
      wb.Ui().SelectListItem(TObjectList::Formulas, index - 1);
      wb.Ui().ListClick(TObjectList::Formulas);
    }
  }
  if (interactive) {
    TAnswer a = wb.Prompt().Ask(
        TMessageKind::Error,
        "A diagnostic error:\n\r" + message + "\n\r" + "Would you like to edit this udf?.",
        BtnYesNoCancel);
    if (a == TAnswer::No) return true;
    if (a == TAnswer::Yes) wb.Ui().ShowPanel(TPanel::Formulas);
    return false;
  }
  message = "Formula/UDF check failed with message:\n\r" + message;
  if (formulasPanelVisible) {
    wb.Prompt().Ask(TMessageKind::Error, message, BtnOk);
  } else if (wb.Prompt().Ask(TMessageKind::Error,
                             message + "\n\r\n\r" + "Switch to Formula/UDF view?",
                             BtnYesNo) == TAnswer::Yes) {
    wb.Ui().ShowPanel(TPanel::Formulas);
  }
  return false;
}

}  // namespace tesmira::wb

#include <algorithm>
#include <memory>

#include "undo_items.h"

namespace tesmira::wb {

int CreateVariablesFromSampleFile(TWorkbench& wb, const std::string& fileName,
                                  const TSampleNameChoice& ask) {
  auto inputs = std::make_unique<TSampleList>();
  auto outputs = std::make_unique<TSampleList>();
  if (LoadSampleFileHeader(fileName.c_str(), inputs.get(), outputs.get()) <= 0) {
    wb.Prompt().Show(TMessageKind::Plain, "Wrong or corrupt format of the sample file.");
    return -1;
  }
  std::vector<std::string> names;
  for (const TSampleList* list : {inputs.get(), outputs.get()})
    for (int i = 0; i < list->count; ++i)
      names.emplace_back(ShortStringView(list->entries[i].name));
  // One flag per position: a name that occurs twice is still chosen by place.
  std::vector<char> chosen(names.size(), 1);
  if (ask && (!ask(names, chosen) || chosen.size() != names.size())) return -1;
  if (std::find(chosen.begin(), chosen.end(), 1) == chosen.end()) return -1;
  const std::string path =
      wb.CurrentFileName.empty() ? fileName : RelativeToModel(fileName, "", wb.CurrentFileName);
  // The record holds 126 characters; a longer path would name another file.
  if (Utf8ToCp437(path).size() > 126) {
    wb.Prompt().Show(TMessageKind::Error,
                     "The path of the sample file is longer than 126 characters:\r" + path);
    return -1;
  }
  SetModified(wb, true);
  CurrentUndoGroup group(wb.Undo);
  bool warned = false;
  int added = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!chosen[i]) continue;
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    SetShortString(rv.distribution.name, std::string_view(names[i]).substr(0, 32));
    rv.distribution.distType = 12;
    SetShortString(rv.distribution.u.sample.sampleFile, Utf8ToCp437(path));
    rv.samplePosition = static_cast<int16_t>(i);
    const int n = Create_TSMObject(ObjRandomVariable, &rv);
    if (n > 0) {
      group.AddItem(
          std::make_unique<TUndoRanVar>(0x20, Get_TSMObjectsNumber(ObjRandomVariable), rv));
      ++added;
    } else if (!warned) {
      warned = true;
      RanvarOverflowMessage(false);
    }
  }
  group.Push();
  return added;
}

int BatchCreateFromSampleFile(TWorkbench& wb, const TSampleNameChoice& ask) {
  TFileDialogOptions options;
  options.Title = "Open";
  options.Filter = "Sample file (.sam)|*.sam|All files (*.*)|*.*";
  options.InitialFolder = ExtractFileFolder(wb.CurrentFileName);
  std::vector<std::string> files;
  if (!wb.Chooser().ChooseOpen(options, files) || files.empty()) return -1;
  return CreateVariablesFromSampleFile(wb, files.front(), ask);
}

bool SampleFileBatchEnabled() { return Get_TSMObjectsNumber(ObjRandomVariable) == 0; }

}  // namespace tesmira::wb

namespace tesmira::wb {

std::string FormatDuration(long long seconds) {
  std::string text;
  long long rest = seconds;
  if (seconds > 3600) {
    text = std::to_string(seconds / 3600) + " h ";
    rest = seconds % 3600;
  }
  if (rest > 60) {
    text += std::to_string(rest / 60) + " m ";
    rest %= 60;
  }
  return text + std::to_string(rest) + " s";
}

TProgressTexts TransformProgressTexts(long long current, long long total, long long elapsed) {
  TProgressTexts t;
  t.Elapsed = "Elapsed: " + FormatDuration(elapsed) + "ec.";
  if (current > 0) {
    const long long remaining = elapsed * std::max(0LL, total - current) / current + 1;
    t.Elapsed += "  Remaining: ~" + FormatDuration(remaining) + "ec.";
  }
  long long percent = total > 0 ? std::max(0LL, current) * 100 / total : 0;
  t.Progress = "Conversion complete : " + std::to_string(std::min(percent, 99LL)) + " %";
  return t;
}

}  // namespace tesmira::wb

#include "ini_file.h"

namespace tesmira::wb {

TWindowPlace ReadLinkWindowPlace(const common::TIniFile& ini, int screenWidth, int screenHeight) {
  TWindowPlace p;
  p.Top = std::clamp(ini.ReadInteger("LinkWindow", "Top", -1), -1, screenHeight - 100);
  p.Left = std::clamp(ini.ReadInteger("LinkWindow", "Left", -1), -1, screenWidth - 100);
  if (p.Top == -1 || p.Left == -1) return {};
  p.Width = std::clamp(ini.ReadInteger("LinkWindow", "Width", -1), 50, 10000);
  p.Height = std::clamp(ini.ReadInteger("LinkWindow", "Height", -1), 50, 10000);
  return p;
}

namespace {

std::string LinkedFileName(int index) {
  char name[1024] = {};
  GetLinkedFile(index, 0, name);
  return name;
}

// Unlinks; on a failure asks whether to go on (false: stop).
bool UnlinkOrAsk(TWorkbench& wb, int index) {
  if (UnlinkTSMFile(index) >= 0) return true;
  return wb.Prompt().Ask(TMessageKind::Warning,
                         "There was a problem unlinking \"" +
                             ExtractFileName(LinkedFileName(index)) +
                             "\" Continue with other files?",
                         BtnYesNo) == TAnswer::Yes;
}

}  // namespace

bool RelinkFile(TWorkbench& wb, int index) {
  const std::string oldName = LinkedFileName(index);
  TFileDialogOptions options;
  options.Title = "Link";
  options.Filter = "Tesmira input files (.tsm)|*.tsm";
  options.InitialName = ExtractFileName(oldName);
  options.InitialFolder = ExtractFileFolder(oldName);
  std::vector<std::string> names;
  if (!wb.Chooser().ChooseOpen(options, names) || names.empty()) return false;
  const std::string& name = names.front();
  if (!FileExists(name)) {
    wb.Prompt().Show(TMessageKind::Warning, "This file does not exist");
    return false;
  }
  const int before = GetLinkedFilesNumber();
  if (LoadTSMFile(name.c_str(), TsmLink) <= 0 || GetLinkedFilesNumber() <= before) return false;
  if (UnlinkTSMFile(index) < 0) {
    wb.Prompt().Show(TMessageKind::Warning, "There was a problem when unlinking " + oldName);
    return false;
  }
  return true;
}

void MergeLinks(TWorkbench& wb, std::vector<int> indexes) {
  std::sort(indexes.begin(), indexes.end());
  for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
    const int k = *it;
    for (int kind : {static_cast<int>(ObjRandomVariable), 0}) {
      const int count = Get_TSMObjectsNumber(kind);
      for (int i = count; i >= 1; --i) {
        if (IsLinkedTSMObject(i, kind) != k) continue;
        if (kind == ObjRandomVariable) RelativizeDistributionFile(wb, i);
        Merge_LinkedObjects(i, kind);
      }
    }
    if (!UnlinkOrAsk(wb, k)) break;
  }
}

void RemoveLinks(TWorkbench& wb, std::vector<int> indexes) {
  std::sort(indexes.begin(), indexes.end());
  for (auto it = indexes.rbegin(); it != indexes.rend(); ++it)
    if (!UnlinkOrAsk(wb, *it)) break;
}

}  // namespace tesmira::wb
