#include "variable_frame_core.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "cp437.h"
#include "model/short_string.h"
#include "model_helpers.h"
#include "tesmira/distributions.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "undo_items.h"
#include "utilities.h"
#include "workbench.h"

namespace tesmira::wb {

bool BrowseVariableFile(TWorkbench& wb, int row) {
  auto* rv = static_cast<TExtendedRandomVariable*>(Get_TSMObject(row + 1, ObjRandomVariable));
  if (rv == nullptr) return false;
  const bool distributionFile = rv->distribution.distType == DistFile100;
  TFileDialogOptions options;
  options.Title = "Open";
  options.Filter = distributionFile ? "Distribution files (.dis)|*.dis|All files (*.*)|*.*"
                                    : "Probabilistic files (.prb)|*.prb|All files (*.*)|*.*";
  const std::string start =
      Cp437ToUtf8(distributionFile ? GetDistributionFileName(*rv) : GetProbabilityFileName(*rv));
  const std::string absolute = AbsoluteFromModel(start, "", wb.CurrentFileName);
  options.InitialName = ExtractFileName(absolute);
  options.InitialFolder = ExtractFileFolder(absolute);
  std::vector<std::string> names;
  if (!wb.Chooser().ChooseOpen(options, names) || names.empty()) return false;
  SetModified(wb, true);
  const std::string chosen = Utf8ToCp437(
      wb.CurrentFileName.empty() ? names.front()
                                 : RelativeToModel(names.front(), "", wb.CurrentFileName));
  CurrentUndoGroup group(wb.Undo);
  auto write = [&](int position, TExtendedRandomVariable* target) {
    group.AddItem(std::make_unique<TUndoRanVar>(UndoDistParams, position, *target));
    TExtendedRandomVariable copy = *target;
    if (distributionFile)
      SetDistributionFileName(copy, chosen);
    else
      SetShortString(copy.distribution.u.sample.probabilityFile,
                     std::string_view(chosen).substr(0, 126));
    TExtendedRandomVariable* out = nullptr;
    Update_extended_random_variable(&copy, &out, "", false);
  };
  if (distributionFile) {
    write(row + 1, rv);
  } else if (rv->distribution.distType == DistSampleFile) {
    // Only the variables that read the same sample file share its probability file.
    const std::string sample(ShortStringView(rv->distribution.u.sample.sampleFile));
    for (int n = 1; n <= Get_TSMObjectsNumber(ObjRandomVariable); ++n) {
      auto* other = static_cast<TExtendedRandomVariable*>(Get_TSMObject(n, ObjRandomVariable));
      if (other->distribution.distType == DistSampleFile &&
          LowerCase(ShortStringView(other->distribution.u.sample.sampleFile)) == LowerCase(sample))
        write(n, other);
    }
  }
  group.Push();
  return true;
}

int DistributionIndex(int type) {
  if (type >= 1 && type <= 11) return type - 1;
  if (type == DistDiscrete) return 11;
  return -1;
}

int DistributionOfIndex(int index) {
  if (index >= 0 && index <= 10) return index + 1;
  if (index == 11) return DistDiscrete;
  return 0;
}

THelpArea HelpAreaLayout(int freeHeight, bool discrete, int tabIndex) {
  THelpArea area;
  if (discrete) {
    area.Help = true;
  } else if (freeHeight >= 190) {
    area.Help = area.Plot = true;
  } else if (freeHeight >= 0) {
    area.Tabs = true;
    (tabIndex == 1 ? area.Plot : area.Help) = true;
  }
  return area;
}

int DiscreteRowsFit(int height, int rowPitch) {
  return std::clamp(rowPitch > 0 ? height / rowPitch : 20, 1, 20);
}

std::vector<std::string> DistributionTitles() {
  std::vector<std::string> titles;
  for (int type = 1; type <= 15; ++type) {
    if (DistributionIndex(type) < 0) continue;
    char title[256] = {};
    Get_DistrTitle(type, title);
    titles.push_back(Cp437ToUtf8(title));
  }
  return titles;
}

namespace {

TExtendedRandomVariable* Variable(int row) {
  return static_cast<TExtendedRandomVariable*>(Get_TSMObject(row + 1, ObjRandomVariable));
}

bool Linked(int row) { return IsLinkedTSMObject(row + 1, ObjRandomVariable) > 0; }

std::string Text(const TExtendedRandomVariable& rv, int k) {
  if (k < 1 || k > TextLines) return "";
  return Cp437ToUtf8(ShortStringView(rv.text[k - 1]));
}

std::string Trim(std::string s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// Runs one engine operation on a copy for the given column selector.
int Ask(TExtendedRandomVariable& copy, int operation, int column) {
  copy.representation = column;
  return Process_extended_random_variable(&copy, operation);
}

// Marks the cells where other has the values of rv; false when the types differ.
bool MarkCommonCells(const TExtendedRandomVariable& rv, const TExtendedRandomVariable& other,
                     std::array<std::array<bool, 20>, 3>& common) {
  if (rv.distribution.distType != other.distribution.distType) return false;
  const int type = rv.distribution.distType;
  if (IsFileBasedDistribution(type)) {
    common[0][0] = common[0][0] && LowerCase(GetDistributionFileName(rv)) ==
                                       LowerCase(GetDistributionFileName(other));
    if (type == DistSampleFile)
      common[0][0] = common[0][0] && LowerCase(GetProbabilityFileName(rv)) ==
                                         LowerCase(GetProbabilityFileName(other));
    return true;
  }
  for (int c = 1; c <= 3; ++c) {
    TExtendedRandomVariable a = rv, b = other;
    const int la = Ask(a, ValueLabelsOp, c), lb = Ask(b, ValueLabelsOp, c);
    const int va = Ask(a, DistributionValueTextsOp, c), vb = Ask(b, DistributionValueTextsOp, c);
    for (int r = 0; r < 20; ++r) {
      double x, y;
      std::memcpy(&x, &a.values[r], sizeof x);
      std::memcpy(&y, &b.values[r], sizeof y);
      const bool same = la >= 0 && lb >= 0 && la == lb && va >= 0 && vb >= 0 && va == vb &&
                        (x == y || (IsMissingValue(x) && IsMissingValue(y)));
      common[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r)] =
          common[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r)] && same;
    }
  }
  return true;
}

}  // namespace

TVariableFrameCore::TVariableFrameCore() {
  std::memset(&EditRecord, 0, sizeof EditRecord);
  Ran_var_init(&EditRecord);
  remembered_.resize(16);
  for (auto& d : remembered_) std::memset(&d, 0, sizeof d);
}

void TVariableFrameCore::Remember() {
  const int type = EditRecord.distribution.distType;
  if (type >= 1 && type <= 15)
    remembered_[static_cast<std::size_t>(type)] = EditRecord.distribution;
}

void TVariableFrameCore::Recall(int type) {
  const TDistribution& d = remembered_[static_cast<std::size_t>(type)];
  if (d.distType == type) {
    TDistribution copy = d;
    std::memcpy(copy.name, EditRecord.distribution.name, sizeof copy.name);
    EditRecord.distribution = copy;
  } else {
    EditRecord.distribution.distType = static_cast<uint8_t>(type);
    Process_extended_random_variable(&EditRecord, SetDistributionDefaultsOp);
  }
}

TVariableView TVariableFrameCore::Show(const std::string& modelFileName,
                                       const std::vector<int>& rows, int current, int rowsFit) {
  TVariableView v;
  for (auto& c : common_) c.fill(true);
  if (rows.empty() || Variable(rows.front()) == nullptr) {
    v.Message = "No variable selected";
    return v;
  }
  const bool typesDiffer = ShowSelection(v, rows, current);
  // The layout.
  const int type = EditRecord.distribution.distType;
  v.Discrete = type == DistDiscrete;
  if (v.Discrete) {
    TDisplaySettings s = CurrentDisplaySettings();
    s.quantperdistrib = 2;
    SetCurrentDisplaySettings(s);
  }
  TExtendedRandomVariable copy = EditRecord;
  const int lines = Ask(copy, DistributionPictureOp, EditRecord.representation);
  if (typesDiffer || lines < 0) return v;
  v.HideGrid = false;
  for (int i = 1; i <= std::min(lines, v.Discrete ? 1 : 8); ++i)
    v.HelpLines.push_back(Text(copy, i));
  if (IsFileBasedDistribution(type))
    ShowFileLine(v, modelFileName);
  else
    ShowColumns(v, rowsFit);
  return v;
}

bool TVariableFrameCore::ShowSelection(TVariableView& v, const std::vector<int>& rows,
                                       int current) {
  v.Enabled = true;
  if (std::find(rows.begin(), rows.end(), current) == rows.end()) current = rows.front();
  EditRecord = *Variable(current);
  v.Linked = Linked(current);
  int linkedRow = v.Linked ? current : -1;
  bool typesDiffer = false, descriptionsDiffer = false;
  v.Name = Cp437ToUtf8(ShortStringView(EditRecord.distribution.name));
  for (int r : rows) {
    if (r == current) continue;
    const TExtendedRandomVariable* other = Variable(r);
    if (other == nullptr) continue;
    typesDiffer = !MarkCommonCells(EditRecord, *other, common_) || typesDiffer;
    descriptionsDiffer =
        descriptionsDiffer || LowerCase(ShortStringView(other->description)) !=
                                  LowerCase(ShortStringView(EditRecord.description));
    v.Name += "; " + Cp437ToUtf8(ShortStringView(other->distribution.name));
    if (linkedRow < 0 && Linked(r)) linkedRow = r;
  }
  if (rows.size() == 1) Remember();
  v.Linked = linkedRow >= 0;
  v.Description = descriptionsDiffer ? "" : Cp437ToUtf8(ShortStringView(EditRecord.description));
  v.TypeIndex = typesDiffer ? -1 : DistributionIndex(EditRecord.distribution.distType);
  v.NameEnabled = rows.size() == 1 && !v.Linked;
  v.TypeEnabled = v.DescriptionEnabled = !v.Linked;
  v.Editable = !v.Linked;
  if (v.Linked) {
    char file[1024] = {};
    GetLinkedFile(linkedRow + 1, ObjRandomVariable, file);
    v.Message = "Link from: " + ExtractFileName(file);
  }
  return typesDiffer;
}

void TVariableFrameCore::ShowFileLine(TVariableView& v, const std::string& modelFileName) const {
  const int type = EditRecord.distribution.distType;
  v.HideGrid = true;
  v.FileLine = true;
  const std::string prefix = type == DistSampleFile ? "Prob. File: " : "Distr. File: ";
  if (!common_[0][0]) {
    v.FileText = "File: (multiple files)";
    return;
  }
  const std::string name =
      Cp437ToUtf8(type == DistSampleFile ? GetProbabilityFileName(EditRecord)
                                         : GetDistributionFileName(EditRecord));
  if (name.empty()) {
    v.FileColour = 128;
    v.FileText = prefix + "(not specified)";
  } else if (FileExists(AbsoluteFromModel(name, "", modelFileName)) ||
             FileExists(ExtractFileName(name))) {
    v.FileText = prefix + name;
  } else {
    v.FileColour = 255;
    v.FileText = prefix + "\"" + name + "\" (not found!)";
  }
}

void TVariableFrameCore::ShowColumns(TVariableView& v, int rowsFit) const {
  TExtendedRandomVariable copy = EditRecord;
  const int updatable = Ask(copy, EditableRepresentationsOp, 1);
  const int titles = Ask(copy, RepresentationTitlesOp, 1);
  std::vector<std::string> titleTexts;
  for (int c = 1; c <= 3; ++c) titleTexts.push_back(c <= titles ? Text(copy, c) : "");
  for (int c = 1; c <= 3; ++c) {
    TVariableColumn& col = v.Columns[static_cast<std::size_t>(c - 1)];
    col.Shown = c <= titles;
    col.Title = titleTexts[static_cast<std::size_t>(c - 1)];
    col.Updatable = c <= updatable && v.Editable;
    if (col.Shown) FillColumn(v, col, c, rowsFit);
  }
}

void TVariableFrameCore::FillColumn(TVariableView& v, TVariableColumn& col, int c,
                                    int rowsFit) const {
  TExtendedRandomVariable labels = EditRecord;
  for (int r = 0; r < ValueSlots; ++r) {
    const double missing = MissingValue;
    std::memcpy(&labels.values[r], &missing, sizeof missing);
  }
  const int count = Ask(labels, ValueLabelsOp, c);
  TExtendedRandomVariable values = EditRecord;
  const int result = Ask(values, DistributionValueTextsOp, c);
  if (result < 0) {
    col.Error = "(Variable error!): " + Trim(Text(values, -result));
    v.MessageRed = true;
    v.Message = col.Error;
  }
  for (int r = 1; r <= std::min(count, 20); ++r) {
    const std::string label = Trim(Text(labels, r));
    if (label.empty() || (v.Discrete && r > rowsFit)) break;
    col.Labels.push_back(label + "=");
    double x;
    std::memcpy(&x, &values.values[r - 1], sizeof x);
    const bool shown = result >= 0 &&
                       common_[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r - 1)] &&
                       !IsMissingValue(x);
    col.Cells.push_back(shown ? FormatNumber(x) : " ");
  }
}

void TVariableFrameCore::WriteBack(TWorkbench& wb, const std::vector<int>& rows, bool with4or8,
                                   bool with16) {
  const std::string name(ShortStringView(EditRecord.distribution.name));
  CurrentUndoGroup* group = CurrentUndoGroup::Pending();
  for (int r : rows) {
    TExtendedRandomVariable* other = Variable(r);
    if (other == nullptr || Linked(r) || SameName(ShortStringView(other->distribution.name), name))
      continue;
    TExtendedRandomVariable copy = *other;
    if (with4or8 && (std::memcmp(&copy.distribution.distType, &EditRecord.distribution.distType,
                                 sizeof(TDistribution) - sizeof copy.distribution.name) != 0)) {
      if (group)
        group->AddItem(std::make_unique<TUndoRanVar>(UndoDistType | UndoDistParams, r + 1, copy));
      std::memcpy(&copy.distribution.distType, &EditRecord.distribution.distType,
                  sizeof(TDistribution) - sizeof copy.distribution.name);
      copy.samplePosition = EditRecord.samplePosition;
    }
    if (with16) {
      if (group) group->AddItem(std::make_unique<TUndoRanVar>(UndoDescription, r + 1, copy));
      std::memcpy(copy.description, EditRecord.description, sizeof copy.description);
    }
    TExtendedRandomVariable* out = nullptr;
    Update_extended_random_variable(&copy, &out, "", false);
  }
  TExtendedRandomVariable* out = nullptr;
  if (Update_extended_random_variable(&EditRecord, &out, "", false) > 0 && out) EditRecord = *out;
  (void)wb;
}

namespace {

int RowOfName(const TExtendedRandomVariable& rv) {
  const std::string name(ShortStringView(rv.distribution.name));
  return ObjectPosition(Fetch_extended_random_variable(0, name.c_str()), ObjRandomVariable);
}

}  // namespace

bool TVariableFrameCore::ChangeType(TWorkbench& wb, const std::vector<int>& rows, int type,
                                    bool reset) {
  if (type <= 0 || (type == EditRecord.distribution.distType && !reset)) return false;
  CurrentUndoGroup group(wb.Undo);
  const uint8_t code =
      reset ? (UndoDistType | UndoDistParams | UndoDescription) : (UndoDistType | UndoDistParams);
  group.AddItem(std::make_unique<TUndoRanVar>(code, RowOfName(EditRecord), EditRecord));
  if (reset || type == DistDiscrete) {
    EditRecord.distribution.distType = static_cast<uint8_t>(type);
    Process_extended_random_variable(&EditRecord, SetDistributionDefaultsOp);
  } else {
    Recall(type);
  }
  SetModified(wb, true);
  WriteBack(wb, rows, true, false);
  Remember();
  group.Push();
  return true;
}

bool TVariableFrameCore::Reset(TWorkbench& wb, const std::vector<int>& rows) {
  return ChangeType(wb, rows, EditRecord.distribution.distType, true);
}

bool TVariableFrameCore::UpdateColumn(TWorkbench& wb, const std::vector<int>& rows, int column,
                                      const std::vector<std::string>& cells, bool fromEdit,
                                      std::string& message) {
  message.clear();
  TExtendedRandomVariable work = EditRecord;
  Ask(work, RepresentationTitlesOp, 1);
  const std::string title = Trim(Text(work, column));
  work = EditRecord;
  Ask(work, DistributionValueTextsOp, column);
  for (std::size_t r = 0; r < cells.size() && r < 20; ++r) {
    double value = MissingValue;
    if (!Trim(cells[r]).empty() && !TryParseNumber(value, Trim(cells[r]))) {
      message = "Error in the " + title + " column: \"" + Trim(cells[r]) +
                "\" is not a number (data not updated!)";
      LastUpdateFailed = true;
      return false;
    }
    std::memcpy(&work.values[r], &value, sizeof value);
  }
  CurrentUndoGroup group(wb.Undo);
  group.AddItem(std::make_unique<TUndoRanVar>(UndoDistParams, RowOfName(EditRecord), EditRecord));
  work.representation = fromEdit ? -column : column;
  const int result = Process_extended_random_variable(&work, EnterDistributionValuesOp);
  SetModified(wb, true);
  LastUpdateFailed = result < 0;
  if (result < 0) {
    message =
        "Error in the " + title + " column: " + Trim(Text(work, -result)) + " (data not updated!)";
    group.Push();  // its undo restores the unchanged values
    return false;
  }
  EditRecord.distribution = work.distribution;
  Remember();
  WriteBack(wb, rows, true, false);
  group.Push();
  return true;
}

int TVariableFrameCore::Rename(TWorkbench& wb, const std::string& newName, std::string& message) {
  message.clear();
  const std::string name = Utf8ToCp437(BlanksToUnderscores(newName)).substr(0, MaxNameLength);
  const std::string oldName(ShortStringView(EditRecord.distribution.name));
  if (name.empty() || name == oldName) return 0;
  CurrentUndoGroup group(wb.Undo);
  group.AddItem(std::make_unique<TUndoObjectName>(ObjRandomVariable, name, oldName));
  TExtendedRandomVariable* out = nullptr;
  if (Update_extended_random_variable(&EditRecord, &out, name.c_str(), true) <= 0) {
    group.Discard();
    message =
        "(Name not changed!): Function, variable or other object with the same name already exists";
    return -1;
  }
  if (out) EditRecord = *out;
  SetModified(wb, true);
  message = RenameReferences(0, oldName, name);
  group.Push();
  return 1;
}

bool TVariableFrameCore::FileMissing(const std::string& modelFileName) const {
  const int type = EditRecord.distribution.distType;
  if (type != DistFile100 && type != DistSampleFile) return false;
  const std::string name = Cp437ToUtf8(GetDistributionFileName(EditRecord));
  return name.empty() || !(FileExists(AbsoluteFromModel(name, "", modelFileName)) ||
                           FileExists(ExtractFileName(name)));
}

bool TVariableFrameCore::SetDescription(TWorkbench& wb, const std::vector<int>& rows,
                                        const std::string& text) {
  CurrentUndoGroup group(wb.Undo);
  group.AddItem(std::make_unique<TUndoRanVar>(UndoDescription, RowOfName(EditRecord), EditRecord));
  SetShortString(EditRecord.description, std::string_view(Utf8ToCp437(text)).substr(0, 100));
  SetModified(wb, true);
  WriteBack(wb, rows, false, true);
  group.Push();
  return true;
}

}  // namespace tesmira::wb
