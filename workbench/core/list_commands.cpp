#include "list_commands.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_map>

#include "cp437.h"
#include "formula_frame_core.h"
#include "model/record_checks.h"
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

namespace {

TObjectList ListOfKind(int kind) {
  return kind == ObjFormula ? TObjectList::Formulas : TObjectList::Variables;
}

std::string ObjectName(int kind, const void* object) {
  char name[256] = {};
  Get_TSMObjectName(kind, object, name);
  return name;
}

std::string LinkedFileBareName(int kind, int row) {
  if (IsLinkedTSMObject(row + 1, kind) <= 0) return "";
  char name[1024] = {};
  GetLinkedFile(row + 1, kind, name);
  return ExtractFileName(name);
}

std::string UpperAscii(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

// Moves entry from to position to, the entries between shifting by one.
template <typename T>
void MoveEntry(std::vector<T>& v, int from, int to) {
  if (from < to)
    std::rotate(v.begin() + from, v.begin() + from + 1, v.begin() + to + 1);
  else if (from > to)
    std::rotate(v.begin() + to, v.begin() + from, v.begin() + from + 1);
}

std::vector<const void*> CurrentObjects(int kind) {
  std::vector<const void*> v;
  const int n = Get_TSMObjectsNumber(kind);
  v.reserve(static_cast<std::size_t>(n));
  for (int i = 1; i <= n; ++i) v.push_back(Get_TSMObject(i, kind));
  return v;
}

void RestoreNaturalOrder(int kind, TListSortState& state) {
  std::vector<const void*> current = CurrentObjects(kind);
  std::unordered_map<const void*, int> where;
  for (std::size_t i = 0; i < current.size(); ++i) where[current[i]] = static_cast<int>(i);
  std::vector<int> order;
  std::vector<char> used(current.size(), 0);
  for (const void* object : state.NaturalOrder) {
    auto it = where.find(object);
    if (it == where.end() || used[static_cast<std::size_t>(it->second)]) continue;
    used[static_cast<std::size_t>(it->second)] = 1;
    order.push_back(it->second);
  }
  for (std::size_t i = 0; i < current.size(); ++i)
    if (!used[i]) order.push_back(static_cast<int>(i));
  ApplyObjectOrder(kind, order);
  state.NaturalOrder.clear();
}

}  // namespace

// ---- ordering ------------------------------------------------------------------

void DragReorder(std::vector<int>& order, std::vector<char>& selected, int target) {
  const int n = static_cast<int>(order.size());
  if (n == 0) return;
  if (target < 0 || target >= n) target = n - 1;
  int to = target;
  bool moved = false;
  for (int i = target - 1; i >= 0; --i) {
    if (!selected[static_cast<std::size_t>(i)]) continue;
    MoveEntry(order, i, to);
    MoveEntry(selected, i, to);
    --to;
    moved = true;
  }
  int insert = moved ? target + 1 : target;
  for (int i = target + 1; i < n; ++i) {
    if (!selected[static_cast<std::size_t>(i)]) continue;
    MoveEntry(order, i, insert);
    MoveEntry(selected, i, insert);
    ++insert;
  }
}

int ApplyObjectOrder(int kind, const std::vector<int>& order) {
  const int n = static_cast<int>(order.size());
  std::vector<int> at(static_cast<std::size_t>(n)), where(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) at[i] = where[i] = i;
  int swaps = 0;
  for (int p = 0; p < n; ++p) {
    const int q = where[static_cast<std::size_t>(order[static_cast<std::size_t>(p)])];
    if (q == p) continue;
    Swap_TSMObjects(p + 1, q + 1, kind);
    std::swap(at[p], at[q]);
    where[at[p]] = p;
    where[at[q]] = q;
    ++swaps;
  }
  return swaps;
}

int CompareText(const std::string& a, const std::string& b) {
  return UpperAscii(a).compare(UpperAscii(b));
}

std::vector<char> DropOnList(TWorkbench& wb, int kind, std::vector<char> selected, int target,
                             bool sorted) {
  const int n = Get_TSMObjectsNumber(kind);
  selected.resize(static_cast<std::size_t>(n), 0);
  if (!sorted) SetModified(wb, true);
  std::vector<int> order(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) order[static_cast<std::size_t>(i)] = i;
  DragReorder(order, selected, target);
  ApplyObjectOrder(kind, order);
  return selected;
}

std::string SortKey(int kind, int row, int column) {
  const void* object = Get_TSMObject(row + 1, kind);
  if (object == nullptr) return "";
  switch (column) {
    case 1: return ObjectName(kind, object);
    case 2:
      if (kind == ObjFormula)
        return std::string(ShortStringView(static_cast<const TUdf*>(object)->text));
      {
        char title[256] = {};
        Get_DistrTitle(static_cast<const TExtendedRandomVariable*>(object)->distribution.distType,
                       title);
        return title;
      }
    case 3:
      return kind == ObjFormula
                 ? std::string(ShortStringView(static_cast<const TUdf*>(object)->description))
                 : std::string(ShortStringView(
                       static_cast<const TExtendedRandomVariable*>(object)->description));
    case 4: return LinkedFileBareName(kind, row);
    default: return "";
  }
}

void SortList(int kind, TListSortState& state, int column) {
  if (column <= 0) {
    if (state.Column >= 1) RestoreNaturalOrder(kind, state);
    state.Column = -1;
    return;
  }
  if (state.Column < 1) state.NaturalOrder = CurrentObjects(kind);
  if (column == state.Column)
    state.Ascending = !state.Ascending;
  else
    state.Column = column;
  const int n = Get_TSMObjectsNumber(kind);
  std::vector<std::string> keys(static_cast<std::size_t>(n));
  std::vector<int> order(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    keys[i] = UpperAscii(SortKey(kind, i, column));
    order[i] = i;
  }
  // The exchange sort itself, in memory: its comparisons decide where equal
  // keys end up.
  for (int p = 0; p + 1 < n; ++p)
    for (int q = p + 1; q < n; ++q) {
      const int c = keys[p].compare(keys[q]);
      if (state.Ascending ? c > 0 : c < 0) {
        std::swap(keys[p], keys[q]);
        std::swap(order[p], order[q]);
      }
    }
  ApplyObjectOrder(kind, order);
}

void SortListBy(int kind, TListSortState& state, int column, bool ascending) {
  if (column <= 0) {
    SortList(kind, state, -1);
    return;
  }
  // The click flips the direction on the current column and keeps it on another.
  state.Ascending = column == state.Column ? !ascending : ascending;
  SortList(kind, state, column);
}

std::string SortedCaption(const std::string& caption, int column, const TListSortState& state) {
  if (column != state.Column || column < 1) return caption;
  return caption + (state.Ascending ? " <" : " >");
}

// ---- type-ahead -------------------------------------------------------------------

int TypeAheadFind(const std::vector<std::string>& names, std::string& text,
                  const std::string& typed, int start) {
  const int n = static_cast<int>(names.size());
  std::string search = LowerCase(text + typed);
  if (start < 0 || start >= n) start = 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (attempt == 1) search = LowerCase(typed);
    text = search;
    for (int k = 0; k < n; ++k) {
      const int i = (start + k) % n;
      if (LowerCase(names[static_cast<std::size_t>(i)]).starts_with(search)) return i;
    }
  }
  return -1;
}

// ---- counter ----------------------------------------------------------------------

std::string CounterCaption(int selectedCount, int selectedRow, int total) {
  const std::string tail = " of " + std::to_string(std::max(total, 0)) + " total";
  if (selectedCount <= 0 || total <= 0) return "none" + tail;
  if (selectedCount == 1) return std::to_string(selectedRow + 1) + tail;
  return "|" + std::to_string(selectedCount) + "|" + tail;
}

// ---- clipboard block ----------------------------------------------------------------

std::size_t ClipboardRecordSize(int kind) {
  return kind == ObjFormula ? sizeof(TUdf) : sizeof(TExtendedRandomVariable);
}

std::string BuildClipboardBlock(int kind, const std::vector<int>& rows) {
  const std::size_t size = ClipboardRecordSize(kind);
  std::string block(4, '\0');
  const auto n = static_cast<uint32_t>(rows.size());
  for (int b = 0; b < 4; ++b)
    block[static_cast<std::size_t>(b)] = static_cast<char>((n >> (8 * b)) & 0xFF);
  for (int row : rows) {
    const void* object = Get_TSMObject(row + 1, kind);
    if (object == nullptr) return {};
    block.append(static_cast<const char*>(object), size);
  }
  return block;
}

std::optional<std::vector<std::string>> ParseClipboardBlock(int kind, const std::string& block) {
  if (block.size() < 4) return std::nullopt;
  uint32_t n = 0;
  for (int b = 3; b >= 0; --b)
    n = (n << 8) | static_cast<unsigned char>(block[static_cast<std::size_t>(b)]);
  const std::size_t size = ClipboardRecordSize(kind);
  if (n < 1 || n > 1000 || block.size() < 4 + n * size) return std::nullopt;
  std::vector<std::string> records;
  for (uint32_t i = 0; i < n; ++i) {
    std::string record = block.substr(4 + i * size, size);
    if (kind == ObjFormula) {
      TUdf u;
      std::memcpy(&u, record.data(), size);
      if (!ValidFormulaRecord(u)) return std::nullopt;
    } else {
      TExtendedRandomVariable rv;
      std::memcpy(&rv, record.data(), size);
      if (!ValidVariableRecord(rv)) return std::nullopt;
    }
    records.push_back(std::move(record));
  }
  return records;
}

std::vector<int> PasteClipboardBlock(TWorkbench& wb, int kind, const std::string& block,
                                     int insertAt) {
  auto records = ParseClipboardBlock(kind, block);
  if (!records) return {};
  const int count = Get_TSMObjectsNumber(kind);
  int position = insertAt < 0 || insertAt > count ? count + 1 : insertAt + 1;
  std::vector<int> pasted;
  bool overflow = false;
  CurrentUndoGroup group(wb.Undo);
  for (const std::string& bytes : *records) {
    if (kind == ObjFormula) {
      TUdf u;
      std::memcpy(&u, bytes.data(), sizeof u);
      u.name[0] = std::min<unsigned char>(u.name[0], MaxNameLength);
      if (!ShortStringView(u.name).empty() &&
          UDF_exists(std::string(ShortStringView(u.name)).c_str()) > 0)
        u.name[0] = 0;  // the directory names it
      if (Create_TSMObject(ObjFormula, &u) <= 0) continue;
      void* created = Get_TSMObject(Get_TSMObjectsNumber(ObjFormula), ObjFormula);
      MoveToPosition(created, ObjFormula, position);
      group.AddItem(std::make_unique<TUndoUDF>(UndoPaste | UndoPresent, position,
                                               *static_cast<TUdf*>(created)));
    } else {
      TExtendedRandomVariable rv;
      std::memcpy(&rv, bytes.data(), sizeof rv);
      const std::string name =
          UniqueObjectName(std::string(ShortStringView(rv.distribution.name)), ObjRandomVariable);
      SetShortString(rv.distribution.name, std::string_view(name).substr(0, MaxNameLength));
      if (Create_TSMObject(ObjRandomVariable, &rv) <= 0) {
        overflow = true;
        continue;
      }
      TExtendedRandomVariable* created = Fetch_extended_random_variable(0, name.c_str());
      MoveToPosition(created, ObjRandomVariable, position);
      group.AddItem(std::make_unique<TUndoRanVar>(UndoPaste | UndoPresent, position, rv));
    }
    pasted.push_back(position - 1);
    ++position;
  }
  if (overflow) RanvarOverflowMessage(false);
  group.Push();
  if (kind == ObjFormula) {
    wb.Ui().UpdateView(ViewFormulas);
    wb.Ui().ClearUserDefinedQuantiles();
  } else {
    wb.Ui().UpdateView(ViewVariables);
  }
  if (!pasted.empty()) SetModified(wb, true);
  return pasted;
}

// ---- selection ------------------------------------------------------------------

std::vector<char> SelectSameValue(int kind, int reference, int column) {
  const int n = Get_TSMObjectsNumber(kind);
  std::vector<char> marks(static_cast<std::size_t>(std::max(n, 0)), 0);
  if (reference < 0 || reference >= n) return marks;
  const bool refLinked = IsLinkedTSMObject(reference + 1, kind) > 0;
  const std::string refLink = LinkedFileBareName(kind, reference);
  auto distType = [kind](int row) {
    return static_cast<const TExtendedRandomVariable*>(Get_TSMObject(row + 1, kind))
        ->distribution.distType;
  };
  for (int i = 0; i < n; ++i) {
    bool same = i == reference;
    switch (column) {
      case 0: same = same || SameName(SortKey(kind, i, 1), SortKey(kind, reference, 1)); break;
      case 1:
        same = same || (kind == ObjFormula ? SortKey(kind, i, 2) == SortKey(kind, reference, 2)
                                           : distType(i) == distType(reference));
        break;
      case 2:
        same = same || CompareText(SortKey(kind, i, 3), SortKey(kind, reference, 3)) == 0;
        break;
      case 3: {
        const bool linked = IsLinkedTSMObject(i + 1, kind) > 0;
        same = same || (refLinked ? linked && CompareText(LinkedFileBareName(kind, i), refLink) == 0
                                  : !linked);
        break;
      }
      default: break;
    }
    marks[static_cast<std::size_t>(i)] = same ? 1 : 0;
  }
  return marks;
}

// ---- Edit menu -----------------------------------------------------------------------

TEditMenuState EditMenuState(const TEditMenuInput& in) {
  TEditMenuState s;
  const bool list = in.FileOpen && in.ListPanel;
  s.Cut = s.Copy = s.Delete = list && in.ListSelection;
  s.SelectAll = s.InvertSelection = list;
  s.SelectSameValue = list && in.ListSelection;
  s.Paste = list && ((in.ListFocused && in.ClipboardHasListFormat) ||
                     (in.EditFocused && in.ClipboardHasText));
  s.RestoreVisible = in.VariablesPanel;
  if (in.FileOpen && in.GraphPanel) s.Delete = in.GraphSelection;
  return s;
}

// ---- commands --------------------------------------------------------------------------

int NewVariableType(int boxType, int variableCount) {
  if (boxType <= 1) return variableCount > 0 ? DistConstant : DistUniform;
  return boxType;
}

int AddObject(TWorkbench& wb, int kind, int distType) {
  CurrentUndoGroup group(wb.Undo);
  SetModified(wb, true);
  if (kind == ObjFormula) {
    wb.Ui().ClearUserDefinedQuantiles();
    TUdf u;
    std::memset(&u, 0, sizeof u);
    if (Create_TSMObject(ObjFormula, &u) <= 0) return -1;
    const int n = Get_TSMObjectsNumber(ObjFormula);
    auto* created = static_cast<TUdf*>(Get_TSMObject(n, ObjFormula));
    std::string name = ObjectName(ObjFormula, created);
    const int same = UDF_exists(name.c_str());
    if ((same > 0 && same != n) || Variable_exists(name.c_str()) > 0 ||
        Node_exists(name.c_str()) > 0)
      name = UniqueObjectName(name, ObjFormula);
    TUdf* out = nullptr;
    Update_UDF(created, &out, name.c_str());
    created = static_cast<TUdf*>(Get_TSMObject(n, ObjFormula));
    group.AddItem(std::make_unique<TUndoUDF>(UndoAdd, n, *created));
    wb.Ui().UpdateView(ViewFormulas);
  } else {
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    Ran_var_init(&rv);
    rv.distribution.distType = static_cast<uint8_t>(distType);
    Process_extended_random_variable(&rv, SetDistributionDefaultsOp);
    const std::string name = UniqueObjectName("", ObjRandomVariable);
    SetShortString(rv.distribution.name, name);
    if (Create_TSMObject(ObjRandomVariable, &rv) <= 0) {
      RanvarOverflowMessage(false);
      return -1;
    }
    group.AddItem(
        std::make_unique<TUndoRanVar>(UndoAdd, Get_TSMObjectsNumber(ObjRandomVariable), rv));
    Update_TSMObjects(ObjDependenceNode);
    wb.Ui().UpdateView(ViewVariables);
  }
  group.Push();
  const int last = Get_TSMObjectsNumber(kind) - 1;
  wb.Ui().SelectListItem(ListOfKind(kind), last);
  wb.Ui().ListClick(ListOfKind(kind));
  return last;
}

bool DeleteObjects(TWorkbench& wb, int kind, std::vector<int> rows, bool withSender, bool cut) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows.empty()) return false;
  const bool formulas = kind == ObjFormula;
  auto nameOf = [kind](int row) {
    return Cp437ToUtf8(ObjectName(kind, Get_TSMObject(row + 1, kind)));
  };
  std::string question;
  if (formulas && rows.size() > 1)
    question = "Are you sure you want to delete selected formulae?";
  else if (withSender && formulas)
    question = "Are you sure you want to delete formula \"" + nameOf(rows.front()) + "\"?";
  else if (withSender && rows.size() > 1)
    question = "Are you sure you want to delete selected random variables?";
  else if (withSender)
    question = "Are you sure you want to delete random variable \"" + nameOf(rows.front()) + "\"?";
  if (!question.empty() &&
      wb.Prompt().Ask(TMessageKind::Confirmation, question, BtnYesNo) != TAnswer::Yes)
    return false;
  CurrentUndoGroup group(wb.Undo);
  const uint8_t code = cut ? (UndoCut | UndoAbsent) : UndoDelete;
  bool deleted = false;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    const int n = *it + 1;
    if (IsLinkedTSMObject(n, kind) > 0) continue;
    void* object = Get_TSMObject(n, kind);
    if (object == nullptr) continue;
    if (formulas)
      group.AddItem(std::make_unique<TUndoUDF>(code, n, *static_cast<TUdf*>(object)));
    else
      group.AddItem(
          std::make_unique<TUndoRanVar>(code, n, *static_cast<TExtendedRandomVariable*>(object)));
    deleted = Delete_TSMObject(object) || deleted;
  }
  group.Push();
  if (!deleted) return false;
  SetModified(wb, true);
  if (formulas) {
    wb.Ui().UpdateView(ViewFormulas);
    wb.Ui().ClearUserDefinedQuantiles();
  } else {
    // The dependence view is rebuilt: a matrix loses the deleted variables' rows.
    wb.Ui().UpdateView(ViewVariables | ViewDependence);
  }
  const int count = Get_TSMObjectsNumber(kind);
  if (count > 0) {
    wb.Ui().SelectListItem(ListOfKind(kind), std::min(rows.front(), count - 1));
    wb.Ui().ListClick(ListOfKind(kind));
  }
  return true;
}

bool SwapListKind(TWorkbench& wb, int kind, std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  CurrentUndoGroup group(wb.Undo);
  bool changed = false;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    const int n = *it + 1;
    if (IsLinkedTSMObject(n, kind) > 0) continue;
    void* object = Get_TSMObject(n, kind);
    if (object == nullptr) continue;
    if (kind == ObjFormula) {
      const TUdf old = *static_cast<TUdf*>(object);
      const std::string_view text = ShortStringView(old.text);
      double value = 0;
      if (!text.empty() && !TryParseNumber(value, text)) continue;  // not a number: stays a formula
      TExtendedRandomVariable rv;
      std::memset(&rv, 0, sizeof rv);
      Ran_var_init(&rv);
      std::memcpy(rv.distribution.name, old.name, sizeof old.name);
      std::memcpy(rv.description, old.description, sizeof old.description);
      rv.distribution.distType = DistConstant;
      rv.distribution.u.params[0] = value;
      group.AddItem(std::make_unique<TUndoUDF>(UndoDelete, n, old));
      Delete_TSMObject(object);
      if (Create_TSMObject(ObjRandomVariable, &rv) > 0)
        group.AddItem(
            std::make_unique<TUndoRanVar>(UndoAdd, Get_TSMObjectsNumber(ObjRandomVariable), rv));
    } else {
      const TExtendedRandomVariable old = *static_cast<TExtendedRandomVariable*>(object);
      TUdf u;
      std::memset(&u, 0, sizeof u);
      std::memcpy(u.name, old.distribution.name, sizeof u.name);
      std::memcpy(u.description, old.description, sizeof u.description);
      if (old.distribution.distType == DistConstant) {
        char buffer[64];
        auto r = std::to_chars(buffer, buffer + sizeof buffer, old.distribution.u.params[0]);
        SetShortString(u.text, std::string_view(buffer, static_cast<std::size_t>(r.ptr - buffer)));
      }
      group.AddItem(std::make_unique<TUndoRanVar>(UndoDelete, n, old));
      Delete_TSMObject(object);
      if (Create_TSMObject(ObjFormula, &u) > 0)
        group.AddItem(std::make_unique<TUndoUDF>(UndoAdd, Get_TSMObjectsNumber(ObjFormula), u));
    }
    changed = true;
  }
  group.Push();
  if (changed) {
    wb.Ui().UpdateView(ViewVariables | ViewFormulas);
    wb.Ui().ClearUserDefinedQuantiles();
    const int count = Get_TSMObjectsNumber(kind);
    if (count > 0 && !rows.empty()) {
      wb.Ui().SelectListItem(ListOfKind(kind), std::min(rows.front(), count - 1));
      wb.Ui().ListClick(ListOfKind(kind));
    }
    SetModified(wb, true);
  }
  return changed;
}

bool RenameListObject(TWorkbench& wb, int kind, int row, const std::string& newName) {
  const std::string shown = BlanksToUnderscores(newName);
  const std::string name = Utf8ToCp437(shown).substr(0, MaxNameLength);
  void* object = Get_TSMObject(row + 1, kind);
  if (object == nullptr || name.empty()) return false;
  // A formula never named shows the directory's name but has none.
  const std::string oldName = kind == ObjFormula
                                  ? std::string(ShortStringView(static_cast<TUdf*>(object)->name))
                                  : ObjectName(kind, object);
  if (oldName == name) return false;
  std::string message;
  if (kind == ObjRandomVariable) {
    CurrentUndoGroup group(wb.Undo);
    group.AddItem(std::make_unique<TUndoObjectName>(ObjRandomVariable, name, oldName));
    TExtendedRandomVariable copy = *static_cast<TExtendedRandomVariable*>(object);
    TExtendedRandomVariable* out = nullptr;
    const int result = Update_extended_random_variable(&copy, &out, name.c_str(), true);
    if (result <= 0) {
      group.Discard();
      if (result < 0)
        wb.Prompt().Show(TMessageKind::Warning,
                         "Random variable with name \"" + shown + "\" already exists!");
      wb.Ui().UpdateView(ViewVariables);
      return false;
    }
    SetModified(wb, true);
    message = RenameReferences(0, oldName, name);
    group.Push();
    wb.Ui().ReloadVariableFrame(1);
  } else {
    const int result = RenameFormula(wb, row, newName, message);
    if (result == 0) return false;
    if (result < 0) {
      wb.Prompt().Show(TMessageKind::Warning,
                       "Function with name \"" + shown + "\" already exists");
      wb.Ui().UpdateView(ViewFormulas);
      return false;
    }
    wb.Ui().ReloadFormulaFrame(1);
  }
  if (!message.empty()) wb.Prompt().Show(TMessageKind::Information, message);
  wb.Ui().UpdateView(ViewFormulas);
  if (kind == ObjRandomVariable) wb.Ui().UpdateView(ViewVariables);
  wb.Ui().SelectListItem(ListOfKind(kind), row);
  return true;
}

// ---- batch creation ---------------------------------------------------------------------

std::vector<std::string> BatchNames(const std::string& pattern, int count) {
  const std::string p = BlanksToUnderscores(pattern);
  const std::size_t star = p.find('*');
  const std::string prefix = star == std::string::npos ? p : p.substr(0, star);
  const std::string suffix = star == std::string::npos ? "" : p.substr(star + 1);
  std::vector<std::string> names;
  for (int n = 1; n <= count; ++n) {
    std::string candidate = suffix.empty() ? prefix : prefix + std::to_string(n) + suffix;
    std::string name = UniqueObjectName(candidate, ObjRandomVariable).substr(0, MaxNameLength);
    // Names given earlier in the batch are not in the model yet.
    while (std::find(names.begin(), names.end(), name) != names.end())
      name = UniqueObjectName(name, ObjRandomVariable).substr(0, MaxNameLength);
    names.push_back(name);
  }
  return names;
}

int BatchCountLimit() { return std::max(0, 1000 - Get_TSMObjectsNumber(ObjRandomVariable)); }

int BatchCreateVariables(TWorkbench& wb, const TExtendedRandomVariable& source,
                         const std::string& pattern, int count) {
  CurrentUndoGroup group(wb.Undo);
  SetModified(wb, true);
  const std::string p = Utf8ToCp437(BlanksToUnderscores(pattern));
  const std::size_t star = p.find('*');
  const std::string prefix = star == std::string::npos ? p : p.substr(0, star);
  const std::string suffix = star == std::string::npos ? "" : p.substr(star + 1);
  bool overflow = false;
  int added = 0;
  for (int n = 1; n <= count; ++n) {
    const std::string candidate = suffix.empty() ? prefix : prefix + std::to_string(n) + suffix;
    const std::string name = UniqueObjectName(candidate, ObjRandomVariable);
    TExtendedRandomVariable rv = source;
    SetShortString(rv.distribution.name, std::string_view(name).substr(0, MaxNameLength));
    if (rv.distribution.distType == 0) {
      rv.distribution.distType = DistUniform;
      Process_extended_random_variable(&rv, SetDistributionDefaultsOp);
    }
    if (Create_TSMObject(ObjRandomVariable, &rv) > 0) {
      group.AddItem(
          std::make_unique<TUndoRanVar>(UndoAdd, Get_TSMObjectsNumber(ObjRandomVariable), rv));
      ++added;
    } else {
      overflow = true;
    }
  }
  group.Push();
  wb.Ui().UpdateView(ViewVariables);
  if (overflow) RanvarOverflowMessage(false);
  return added;
}

int CreateFromDistributionFiles(TWorkbench& wb, const std::vector<std::string>& files) {
  CurrentUndoGroup group(wb.Undo);
  SetModified(wb, true);
  bool warned = false;
  int added = 0;
  for (const std::string& file : files) {
    const std::string base = ChangeFileExt(ExtractFileName(file), "");
    const std::string name = UniqueObjectName(Utf8ToCp437(base), ObjRandomVariable);
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    Ran_var_init(&rv);
    SetShortString(rv.distribution.name, std::string_view(name).substr(0, MaxNameLength));
    rv.distribution.distType = DistFile100;
    const std::string path =
        wb.CurrentFileName.empty() ? file : RelativeToModel(file, "", wb.CurrentFileName);
    SetDistributionFileName(rv, Utf8ToCp437(path));
    if (Create_TSMObject(ObjRandomVariable, &rv) > 0) {
      group.AddItem(
          std::make_unique<TUndoRanVar>(UndoAdd, Get_TSMObjectsNumber(ObjRandomVariable), rv));
      ++added;
    } else if (!warned) {
      warned = true;
      RanvarOverflowMessage(false);
    }
  }
  group.Push();
  wb.Ui().UpdateView(ViewVariables);
  return added;
}

// ---- distribution-file check -----------------------------------------------------------

namespace {

enum class TRelinkMode { Ask, YesToAll, NoToAll };

const char* const kGrave = "`";

// What the check carries from one variable to the next.
struct TFileCheck {
  std::string model, modelFolder;
  TRelinkMode mode = TRelinkMode::Ask;
  std::string log;                                         // files relinked by "Yes to All"
  std::vector<std::pair<std::string, std::string>> pairs;  // expected, located (lower case)
};

enum class TFileProblem { None, Set, Locate, Replace };

struct TFileFinding {
  TFileProblem problem = TFileProblem::None;
  std::string message, replacement;
};

// Where a missing file may be found now: in a folder the user chose for the
// same expected folder, then in any folder chosen, then in the model's folder.
// Empty when none holds it.
std::string RelocatedFile(const TFileCheck& check, const std::string& expanded,
                          const std::string& bare) {
  const std::string folder = LowerCase(ExtractFileFolder(expanded));
  std::vector<std::string> candidates;
  for (const auto& [expected, located] : check.pairs)
    if (expected == folder) candidates.push_back(located + bare);
  for (const auto& pair : check.pairs) candidates.push_back(pair.second + bare);
  for (const std::string& c : candidates)
    if (FileExists(c)) return c;
  const std::string beside = check.modelFolder + bare;
  return !check.modelFolder.empty() && FileExists(beside) ? beside : std::string();
}

// The problem of a variable's file, with the message that names it.
TFileFinding DiagnoseFile(const TFileCheck& check, const std::string& label,
                          const std::string& stored, const std::string& expanded,
                          bool interactive) {
  TFileFinding f;
  if (stored.empty()) {
    f.problem = TFileProblem::Set;
    f.message = label + " is not specified." + "\n\r";
    if (interactive) f.message += "Do you want to set it now?";
    return f;
  }
  const std::string bare = ExtractFileName(stored);
  if (FileExists(expanded) || FileExists(bare)) return f;
  if (check.mode != TRelinkMode::NoToAll) f.replacement = RelocatedFile(check, expanded, bare);
  if (!f.replacement.empty()) {
    f.problem = TFileProblem::Replace;
    f.message = "\"" + expanded + "\" is not found.\n\r";
    if (interactive) f.message += "Do you want to use \"" + f.replacement + "\" instead?";
  } else {
    f.problem = TFileProblem::Locate;
    f.message = label + "\"" + bare + "\" is not found.\n\r";
    if (interactive) f.message += "Do you want to locate it manually?";
  }
  return f;
}

// Offers the replacement found for a variable's file ("Yes/No to All"
// remembered) and puts it in with an undo step; after "No", offers to set
// the name by hand.
TAnswer OfferReplacement(TWorkbench& wb, IVariableEditor& editor, TFileCheck& check, int row,
                         const TExtendedRandomVariable& rv, const std::string& stored,
                         const TFileFinding& f, const std::function<void()>& locate) {
  const bool fromMode = check.mode == TRelinkMode::YesToAll;
  TAnswer a = fromMode ? TAnswer::Yes
                       : wb.Prompt().Ask(TMessageKind::Confirmation, f.message,
                                         BtnYesNoCancel | BtnNoToAll | BtnYesToAll);
  if (a == TAnswer::NoToAll) {
    check.mode = TRelinkMode::NoToAll;
    a = TAnswer::No;
  } else if (a == TAnswer::YesToAll) {
    check.mode = TRelinkMode::YesToAll;
    a = TAnswer::Yes;
  }
  if (a == TAnswer::Yes) {
    const std::string relative =
        check.model.empty() ? f.replacement : RelativeToModel(f.replacement, "", check.model);
    TExtendedRandomVariable copy = rv;
    SetDistributionFileName(copy, Utf8ToCp437(relative));
    CurrentUndoGroup group(wb.Undo);
    group.AddItem(std::make_unique<TUndoRanVar>(UndoDistParams, row + 1, rv));
    TExtendedRandomVariable* out = nullptr;
    Update_extended_random_variable(&copy, &out, "", false);
    group.Push();
    SetModified(wb, true);
    editor.ShowVariable(row);
    if (fromMode) check.log += "\n\r" + stored + " -> " + relative;
  } else if (a == TAnswer::No) {
    a = wb.Prompt().Ask(TMessageKind::Confirmation, "Do you want to set file name manually?",
                        BtnYesNoCancel);
    if (a == TAnswer::Yes) locate();
  }
  return a;
}

}  // namespace

bool CheckDistributionFiles(TWorkbench& wb, IVariableEditor& editor, bool interactive,
                            int selectedRow) {
  const int n = Get_TSMObjectsNumber(ObjRandomVariable);
  TFileCheck check;
  check.model = wb.CurrentFileName;
  check.modelFolder = ExtractFileFolder(check.model);
  bool allFine = true;
  const int first = interactive && selectedRow >= 0 && selectedRow < n ? selectedRow + 1 : 0;
  bool cancelled = false;
  for (int k = 0; k < n && !cancelled; ++k) {
    const int row = (first + k) % n;
    auto* rv = static_cast<TExtendedRandomVariable*>(Get_TSMObject(row + 1, ObjRandomVariable));
    if (rv == nullptr) continue;
    const int type = rv->distribution.distType;
    if (type != DistFile100 && type != DistSampleFile) continue;
    const std::string label = type == DistFile100 ? "Distribution file " : "Sample file ";
    const std::string stored = Cp437ToUtf8(GetDistributionFileName(*rv));
    const std::string expanded = AbsoluteFromModel(stored, "", check.model);
    TFileFinding f = DiagnoseFile(check, label, stored, expanded, interactive);
    if (f.problem == TFileProblem::None) continue;
    const std::string name = Cp437ToUtf8(ShortStringView(rv->distribution.name));
    std::string prefix =
        ("Random Variable check has failed for " + std::string(kGrave) + name).substr(0, 70);
    f.message = prefix + kGrave + ":\n\r" + f.message;
    if (!interactive) {
      // Any missing file stops the run, whether or not a replacement exists.
      wb.Prompt().Show(TMessageKind::Warning, f.message + "Simulation is canceled" + "\n\r" +
                                                  "Please update the variable" + kGrave +
                                                  "s definition");
      wb.Ui().ShowPanel(TPanel::Variables);
      return false;
    }
    if (IsLinkedTSMObject(row + 1, ObjRandomVariable) > 0)
      f.message += std::string("\n\r\n\r") +
                   "Warning: This random variable is linked from another file." + "\n\r" +
                   "Any change you make will not be persistent.\n\r" +
                   "It is advisable to change link in original file instead.";
    allFine = false;
    editor.ShowVariable(row);
    auto locate = [&] {
      if (!editor.Browse()) return;
      auto* now = static_cast<TExtendedRandomVariable*>(Get_TSMObject(row + 1, ObjRandomVariable));
      if (now == nullptr) return;
      const std::string chosen =
          AbsoluteFromModel(Cp437ToUtf8(GetDistributionFileName(*now)), "", check.model);
      check.pairs.emplace_back(LowerCase(ExtractFileFolder(expanded)),
                               LowerCase(ExtractFileFolder(chosen)));
    };
    TAnswer a = TAnswer::None;
    switch (f.problem) {
      case TFileProblem::Set:
        a = wb.Prompt().Ask(TMessageKind::Confirmation, f.message, BtnYesNoCancel);
        if (a == TAnswer::Yes) editor.Browse();
        break;
      case TFileProblem::Locate:
        a = wb.Prompt().Ask(TMessageKind::Information, f.message, BtnYesNoCancel);
        if (a == TAnswer::Yes) locate();
        break;
      case TFileProblem::Replace:
        a = OfferReplacement(wb, editor, check, row, *rv, stored, f, locate);
        break;
      case TFileProblem::None: break;
    }
    if (a == TAnswer::Cancel) cancelled = true;
  }
  if (interactive) {
    if (!check.log.empty())
      wb.Prompt().Show(TMessageKind::Information,
                       "Following files were automatically relinked:\n\r" + check.log);
    if (allFine) wb.Prompt().Show(TMessageKind::Information, "Random Variable check OK.");
  }
  return true;
}

}  // namespace tesmira::wb
