#include "formula_frame_core.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "cp437.h"
#include "list_commands.h"
#include "model/short_string.h"
#include "model_helpers.h"
#include "tesmira/formula.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tokenizer.h"
#include "undo_items.h"
#include "utilities.h"
#include "workbench.h"

namespace tesmira::wb {

// ---- the edit's text undo ----------------------------------------------------------

void TFormulaSnapshots::TakeSnapshot(int kind, const TEditState& edit, bool caretMark) {
  if (!snaps_.empty()) {
    if (kind == SnapCaret) {
      snaps_.back().Kind = SnapCaret;
      return;
    }
    if (current_ >= 0 && snaps_[static_cast<std::size_t>(current_)].Kind == SnapTyping) {
      if (kind == SnapTyping) return;
      snaps_[static_cast<std::size_t>(current_)].Kind = kind;
    }
  } else if (kind == SnapCaret) {
    return;
  }
  ++current_;
  snaps_.resize(static_cast<std::size_t>(current_));
  TSnap s{edit, kind};
  if (kind == SnapSymbol && caretMark) s.State.SelLength = 0;
  snaps_.push_back(std::move(s));
}

bool TFormulaSnapshots::Undo(TEditState& edit) {
  if (!CanUndo()) return false;
  std::swap(snaps_[static_cast<std::size_t>(current_)].State, edit);
  --current_;
  return true;
}

bool TFormulaSnapshots::Redo(TEditState& edit) {
  if (!CanRedo()) return false;
  ++current_;
  std::swap(snaps_[static_cast<std::size_t>(current_)].State, edit);
  return true;
}

void TFormulaSnapshots::Clear() {
  snaps_.clear();
  current_ = -1;
}

TEditState InsertSymbolText(const TEditState& edit, const std::string& symbol, bool shift,
                            bool caretMark) {
  TEditState e = edit;
  const int size = static_cast<int>(e.Text.size());
  e.SelStart = std::clamp(e.SelStart, 0, size);
  e.SelLength = std::clamp(e.SelLength, 0, size - e.SelStart);
  if (caretMark) e.SelLength = 0;
  std::string inserted = symbol;
  const char last = symbol.empty() ? '\0' : symbol.back();
  if (!caretMark && shift && (last == ')' || last == '}' || last == ']'))
    inserted.insert(inserted.size() - 1, e.Text.substr(static_cast<std::size_t>(e.SelStart),
                                                       static_cast<std::size_t>(e.SelLength)));
  e.Text.replace(static_cast<std::size_t>(e.SelStart), static_cast<std::size_t>(e.SelLength),
                 inserted);
  e.SelLength = static_cast<int>(inserted.size());
  return e;
}

std::string InsertMenuText(const std::string& caption, int tag) {
  std::string text;
  for (char c : caption)
    if (c != '&') text += c;
  if (tag == 1) text += "()";
  if (tag == 2) text += "{}";
  return text;
}

// ---- symbols ----------------------------------------------------------------------------

namespace {

struct TWordDescription {
  const char* Key;
  const char* Text;
};
const TWordDescription kDescriptions[] = {
    {"pi", "= 3.14159265358979"},
    {"<<", "=-infinite (-1.7*10^38)"},
    {">>", "=infinite (1.7*10^38)"},
    {"SQ", "square"},
    {"SRT", "square root"},
    {"EXP", "exponential"},
    {"LN", "natural logarithm"},
    {"LG10", "logarithm by 10"},
    {"SIN", "sine"},
    {"COS", "cosine"},
    {"TG", "tangent"},
    {"CTG", "cotangent"},
    {"ATAN", "arctangent"},
    {"SUM", "sum of VARYing argument"},
    {"PROD", "product of VARYing argument (see VARY func)"},
    {"GAM", "Gamma function"},
    {"LGAM", "Logarithmic Gamma function"},
    {"PREV", "calls value of UDF from previous sample."},
    {"MAX", "MAX{x1,..,xN}, ( N <= 100 )"},
    {"MIN", "MIN{x1,..,xN}, ( N <= 100 )"},
    {"i1", "The group of indicator  function i1{x1,..,xN}"},
    {"VARY", "VARY{Bound1, Bound2, Step}"},
};

bool PassesFilter(const std::string& name, const std::string& filter) {
  return filter.empty() || LowerCase(name).find(LowerCase(filter)) != std::string::npos;
}

std::string ObjectNameUtf8(int kind, int n) {
  char name[256] = {};
  Get_TSMObjectName(kind, Get_TSMObject(n, kind), name);
  return Cp437ToUtf8(name);
}

std::string ObjectDescription(int kind, int n) {
  const void* o = Get_TSMObject(n, kind);
  if (o == nullptr) return "";
  return Cp437ToUtf8(
      kind == ObjFormula
          ? ShortStringView(static_cast<const TUdf*>(o)->description)
          : ShortStringView(static_cast<const TExtendedRandomVariable*>(o)->description));
}

}  // namespace

std::vector<std::string> PredefinedWords(int group) {
  std::vector<std::string> words;
  const int n = GetNumberOfPredefinedFormulaStrings(group);
  for (int i = 1; i <= n; ++i) {
    char word[256] = {};
    GetPredefinedFormulaString(group, i, word);
    words.push_back(Cp437ToUtf8(word));
  }
  return words;
}

std::string PredefinedGroupTitle(int group) {
  char title[256] = {};
  GetPredefinedFormulaString(group, 0, title);
  return Cp437ToUtf8(title);
}

std::string PredefinedDescription(const std::string& word) {
  for (const TWordDescription& d : kDescriptions)
    if (SameName(d.Key, word)) return d.Text;
  return "";
}

std::vector<std::string> ExternalTables(const std::string& modelFileName) {
  std::error_code ec;
  std::filesystem::path folder = modelFileName.empty()
                                     ? std::filesystem::current_path(ec)
                                     : std::filesystem::path(modelFileName).parent_path();
  if (folder.empty()) folder = ".";
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    const std::filesystem::path& p = entry.path();
    if (LowerCase(p.extension().string()) == ".dis") names.push_back(p.stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<TSymbolItem> FillSymbolList(unsigned bits, const std::string& filter,
                                        const std::string& modelFileName, int sortState,
                                        int sortColumn) {
  std::vector<TSymbolItem> items;
  if (bits & SymbTables) {
    std::string folder = modelFileName.empty()
                             ? std::filesystem::current_path().generic_string() + "/"
                             : ExtractFileFolder(modelFileName);
    for (const std::string& t : ExternalTables(modelFileName))
      items.push_back({t + "()", folder, SymTable, -1});
  }
  if (bits & SymbFormulas)
    for (int n = 1; n <= Get_TSMObjectsNumber(ObjFormula); ++n) {
      std::string name = ObjectNameUtf8(ObjFormula, n);
      if (PassesFilter(name, filter))
        items.push_back({name, ObjectDescription(ObjFormula, n), SymFormula, n});
    }
  const std::pair<unsigned, int> groups[] = {
      {SymbFunctionsN, 2}, {SymbFunctions1, 1}, {SymbConstants, 0}};
  for (const auto& [bit, group] : groups) {
    if (!(bits & bit)) continue;
    for (const std::string& w : PredefinedWords(group))
      if (PassesFilter(w, filter))
        items.push_back({group == 2   ? w + "{}"
                         : group == 1 ? w + "()"
                                      : w,
                         PredefinedDescription(w),
                         group == 2   ? SymFunctionN
                         : group == 1 ? SymFunction1
                                      : SymConstant,
                         -1});
  }
  if (bits & SymbVariables)
    for (int n = 1; n <= Get_TSMObjectsNumber(ObjRandomVariable); ++n) {
      std::string name = ObjectNameUtf8(ObjRandomVariable, n);
      if (PassesFilter(name, filter))
        items.push_back({name, ObjectDescription(ObjRandomVariable, n), SymVariable, n});
    }
  const bool byType = sortColumn < 0 || sortState >= 2;
  const bool reverse = sortState == 1 || sortState == 3;
  std::stable_sort(items.begin(), items.end(), [&](const TSymbolItem& a, const TSymbolItem& b) {
    int c = byType ? a.Type - b.Type
                   : CompareText(sortColumn == 0 ? a.Caption : a.Description,
                                 sortColumn == 0 ? b.Caption : b.Description);
    return reverse ? c > 0 : c < 0;
  });
  return items;
}

void SymbolSortClick(int column, int& sortState, int& sortColumn) {
  if (column == sortColumn)
    sortState = (sortState + 1) % 4;
  else
    sortColumn = column;
}

std::string SymbolColumnCaption(const std::string& caption, int column, int sortState,
                                int sortColumn) {
  if (column != sortColumn) return caption;
  if (sortState == 0) return caption + " <";
  if (sortState == 1) return caption + " >";
  return caption;
}

std::vector<std::string> PopupEntries(int functionKey, const std::string& modelFileName) {
  std::vector<std::string> entries;
  auto names = [&](int kind) {
    for (int n = 1; n <= Get_TSMObjectsNumber(kind); ++n)
      entries.push_back(ObjectNameUtf8(kind, n));
  };
  switch (functionKey) {
    case 2: names(ObjRandomVariable); break;
    case 3: entries = PredefinedWords(0); break;
    case 4: entries = PredefinedWords(1); break;
    case 5: entries = PredefinedWords(2); break;
    case 6: names(ObjFormula); break;
    case 7: entries = ExternalTables(modelFileName); break;
    default: break;
  }
  return entries;
}

// ---- writes ---------------------------------------------------------------------------------

TFormulaSelection FormulaSelectionView(const std::vector<int>& rows) {
  TFormulaSelection s;
  if (rows.empty()) return s;
  auto* first = static_cast<TUdf*>(Get_TSMObject(rows.front() + 1, ObjFormula));
  if (first == nullptr) return s;
  s.Any = true;
  s.Current = rows.front();
  s.Linked = IsLinkedTSMObject(rows.front() + 1, ObjFormula) > 0;
  s.Names = ObjectNameUtf8(ObjFormula, rows.front() + 1);
  const std::string text(ShortStringView(first->text));
  const std::string description(ShortStringView(first->description));
  bool sameText = true, sameDescription = true;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    auto* f = static_cast<TUdf*>(Get_TSMObject(rows[i] + 1, ObjFormula));
    if (f == nullptr) continue;
    s.Names += "; " + ObjectNameUtf8(ObjFormula, rows[i] + 1);
    sameText = sameText && CompareText(std::string(ShortStringView(f->text)), text) == 0;
    sameDescription = sameDescription &&
                      CompareText(std::string(ShortStringView(f->description)), description) == 0;
    if (IsLinkedTSMObject(rows[i] + 1, ObjFormula) > 0) {
      s.Linked = true;
      s.Current = rows[i];
    }
  }
  s.Text = sameText ? Cp437ToUtf8(text) : "";
  s.Description = sameDescription ? Cp437ToUtf8(description) : "";
  if (s.Linked) {
    char file[1024] = {};
    GetLinkedFile(s.Current + 1, ObjFormula, file);
    s.LinkHint = "Link from: " + ExtractFileName(file);
  }
  s.NameEnabled = !s.Linked && rows.size() == 1;
  s.TextReadOnly = s.Linked;
  s.DescriptionEnabled = !s.Linked;
  return s;
}

namespace {

// Writes one field of every selected formula in one undo group.
template <typename Write>
bool WriteSelected(TWorkbench& wb, const std::vector<int>& rows, uint8_t code, Write write) {
  CurrentUndoGroup group(wb.Undo);
  bool any = false;
  for (int row : rows) {
    auto* f = static_cast<TUdf*>(Get_TSMObject(row + 1, ObjFormula));
    if (f == nullptr || IsLinkedTSMObject(row + 1, ObjFormula) > 0) continue;
    group.AddItem(std::make_unique<TUndoUDF>(code, row + 1, *f));
    TUdf copy = *f;
    write(copy);
    TUdf* out = nullptr;
    if (ShortStringView(f->name).empty())
      *f = copy;  // found by name in the engine, and it has none
    else
      Update_UDF(&copy, &out, "");
    any = true;
  }
  group.Push();
  if (any) SetModified(wb, true);
  return any;
}

}  // namespace

bool CommitFormulaText(TWorkbench& wb, const std::vector<int>& rows, const std::string& text,
                       std::string& message) {
  std::string clean = Utf8ToCp437(text);
  RemoveBlanks(clean);
  message.clear();
  if (clean.size() > 255) {
    message = ("Formula is " + std::to_string(clean.size() - 255) +
               " characters over the maximum length; " + Cp437ToUtf8(clean.substr(0, 255)))
                  .substr(0, 255);
    return false;
  }
  WriteSelected(wb, rows, UndoFormulaText, [&](TUdf& u) { SetShortString(u.text, clean); });
  return true;
}

bool CommitFormulaDescription(TWorkbench& wb, const std::vector<int>& rows,
                              const std::string& text) {
  const std::string d = Utf8ToCp437(text).substr(0, 100);
  return WriteSelected(wb, rows, UndoDescription,
                       [&](TUdf& u) { SetShortString(u.description, d); });
}

bool VerifyFormulaText(int row, const std::string& text, std::string& message) {
  TUdf* f = static_cast<TUdf*>(Get_TSMObject(row + 1, ObjFormula));
  char buffer[512] = {};
  std::string t = Utf8ToCp437(text).substr(0, 255);
  std::memcpy(buffer, t.data(), t.size());
  double value = 0;
  if (Process_UDF(&f, buffer, &value) == 1) {
    message = "Formula/UDF is OK.";
    return true;
  }
  message = Cp437ToUtf8(buffer);
  return false;
}

namespace {

// Recording stays as it was found, whatever path the rename leaves by.
class TRecordingGuard {
 public:
  TRecordingGuard(TUndo& undo, bool off) : undo_(undo), was_(undo.Recording()) {
    if (off) undo_.DisableRecording();
  }
  ~TRecordingGuard() {
    if (was_) undo_.EnableRecording();
  }
  TRecordingGuard(const TRecordingGuard&) = delete;
  TRecordingGuard& operator=(const TRecordingGuard&) = delete;

 private:
  TUndo& undo_;
  bool was_;
};

}  // namespace

int RenameFormula(TWorkbench& wb, int row, const std::string& newName, std::string& message) {
  message.clear();
  auto* f = static_cast<TUdf*>(Get_TSMObject(row + 1, ObjFormula));
  const std::string name = Utf8ToCp437(BlanksToUnderscores(newName)).substr(0, MaxNameLength);
  if (f == nullptr || name.empty()) return -1;
  // A formula never named shows the directory's name but has none.
  const std::string oldName(ShortStringView(f->name));
  if (SameName(oldName, name)) return 0;
  TRecordingGuard guard(wb.Undo, oldName.empty());
  CurrentUndoGroup group(wb.Undo);
  group.AddItem(std::make_unique<TUndoObjectName>(ObjFormula, name, oldName));
  TUdf* out = nullptr;
  const int result = Update_UDF(f, &out, name.c_str());
  if (result <= 0) {
    group.Discard();
    return -1;
  }
  SetModified(wb, true);
  if (!oldName.empty()) message = RenameReferences(result, oldName, name);
  group.Push();
  return 1;
}

}  // namespace tesmira::wb
