#include "zozivor_graph.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <random>

#include "cp437.h"
#include "model/short_string.h"
#include "model_helpers.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "undo_items.h"
#include "workbench.h"
#include "zozivor_undo.h"

namespace tesmira::wb {

const char* const kDxExistsMessage =
    "Zozivor model already contains Dx node.\n\rNew Dx node was not created.";
const char* const kTooManyNodesMessage =
    "Zozivor model can contain only 99 nodes.\n\rNew node was not created.";
const char* const kLinkedElementMessage =
    "Variable or UDF representing selected object is linked from external file.\n\r"
    "Object is read-only and can not be deleted.";
const char* const kLinkedArcMessage =
    "At least one of the arcs linked to selected node is represented by an object belonging "
    "to a linked file.\n\rSelected object is read-only and can not be deleted.";

// ---- the naming grammar ---------------------------------------------------------

namespace {

// A label: "x" (-1) or decimal digits whose value fits 32 bits.
bool ParseLabel(std::string_view text, int& number) {
  if (text == "x") {
    number = -1;
    return true;
  }
  if (text.empty() ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool ParseNodeName(std::string_view name, char& kind, int& number) {
  if (name.size() < 2 || (name[0] != 's' && name[0] != 'd')) return false;
  if (!ParseLabel(name.substr(1), number)) return false;
  kind = name[0];
  return true;
}

bool ParseArcName(std::string_view name, char& letter, int& first, int& second) {
  std::size_t end = 0;
  if (!name.empty() && name[0] == 'x') {
    end = 1;
  } else {
    while (end < name.size() && name[end] >= '0' && name[end] <= '9') ++end;
  }
  if (end == 0 || end >= name.size()) return false;
  const char l = name[end];
  if (l != 'c' && l != 'l' && l != 'u') return false;
  if (!ParseLabel(name.substr(0, end), first) || !ParseLabel(name.substr(end + 1), second))
    return false;
  letter = l;
  return true;
}

std::string NodeLabel(int number) { return number == -1 ? "x" : std::to_string(number); }

// ---- model objects ----------------------------------------------------------------

void* FindVariableOrFormula(const std::string& name, int* kind) {
  if (TExtendedRandomVariable* rv = Fetch_extended_random_variable(0, name.c_str())) {
    if (kind) *kind = ObjRandomVariable;
    return rv;
  }
  if (TUdf* udf = Fetch_UDF(0, name.c_str())) {
    if (kind) *kind = ObjFormula;
    return udf;
  }
  return nullptr;
}

TSavedObject SaveObject(const std::string& name) {
  TSavedObject saved;
  int kind = 0;
  void* object = FindVariableOrFormula(name, &kind);
  if (object == nullptr) return saved;
  saved.Kind = kind;
  saved.Position = ObjectPosition(object, kind);
  if (kind == ObjRandomVariable)
    saved.Variable = *static_cast<TExtendedRandomVariable*>(object);
  else
    saved.Formula = *static_cast<TUdf*>(object);
  return saved;
}

bool RestoreObject(const TSavedObject& saved) {
  if (saved.Kind == ObjRandomVariable) {
    if (Create_TSMObject(ObjRandomVariable, &saved.Variable) <= 0) {
      RanvarOverflowMessage(false);
      return false;
    }
    const std::string name(ShortStringView(saved.Variable.distribution.name));
    MoveToPosition(Fetch_extended_random_variable(0, name.c_str()), ObjRandomVariable,
                   saved.Position);
    return true;
  }
  if (saved.Kind == ObjFormula) {
    if (Create_TSMObject(ObjFormula, &saved.Formula) <= 0) return false;
    const std::string name(ShortStringView(saved.Formula.name));
    MoveToPosition(Fetch_UDF(0, name.c_str()), ObjFormula, saved.Position);
    return true;
  }
  return false;
}

std::string SavedObjectName(const TSavedObject& saved) {
  return std::string(saved.Kind == ObjRandomVariable
                         ? ShortStringView(saved.Variable.distribution.name)
                         : ShortStringView(saved.Formula.name));
}

void DeleteObjectNamed(const std::string& name) {
  if (void* object = FindVariableOrFormula(name)) Delete_TSMObject(object);
}

namespace {

bool IsLinkedObject(const std::string& name) {
  int kind = 0;
  void* object = FindVariableOrFormula(name, &kind);
  if (object == nullptr) return false;
  const int index = Get_TSMObjectIndex(object, kind);
  return index > 0 && IsLinkedTSMObject(index, kind) > 0;
}

// A Constant variable of that name and value; false when the model is full.
bool CreateConstant(const std::string& name, double value) {
  TExtendedRandomVariable rv;
  std::memset(&rv, 0, sizeof rv);
  Ran_var_init(&rv);
  SetShortString(rv.distribution.name, name.substr(0, 32));
  rv.distribution.distType = DistConstant;
  rv.distribution.u.params[0] = value;
  if (Create_TSMObject(ObjRandomVariable, &rv) > 0) return true;
  RanvarOverflowMessage(false);
  return false;
}

double SquaredDistance(double ax, double ay, double bx, double by) {
  const double dx = ax - bx, dy = ay - by;
  return dx * dx + dy * dy;
}

constexpr char kArcLetters[3] = {'c', 'l', 'u'};

}  // namespace

// ---- nodes --------------------------------------------------------------------

void TGraphNode::AssignFrom(const TGraphNode& other) {
  X = other.X;
  Y = other.Y;
  Number = other.Number;
  Kind = other.Kind;
}

std::string TGraphNode::NodeName() const { return std::string(1, Kind).append(NodeLabel(Number)); }

bool TGraphNode::CreateModelObjects(TGraph& graph) {
  if (!CreateConstant(NodeName(), 1.0)) return false;
  graph.Workbench().Ui().UpdateView(ViewVariables);
  return true;
}

double TGraphNode::Distance(TGraphPoint p) const { return SquaredDistance(p.X, p.Y, X, Y); }

bool TGraphNode::IsLinked() const { return IsLinkedObject(NodeName()); }

bool TGraphNode::DeleteFromModel(TGraph& graph, CurrentUndoGroup* group) {
  TWorkbench& wb = graph.Workbench();
  const std::string name = NodeName();
  int kind = 0;
  const bool hasObject = FindVariableOrFormula(name, &kind) != nullptr;
  if (hasObject && (kind == ObjFormula || graph.ForArcsOfNode(this, 0) > 1)) {
    const std::string text = "Are you sure you want to delete node \"" + name + "\"?";
    if (wb.Prompt().Ask(TMessageKind::Confirmation, text, BtnYesNo) != TAnswer::Yes) return false;
  }
  std::unique_ptr<TGraphElement> self = graph.Extract(this);
  graph.ForArcsOfNode(this, 1, group);
  // The node's object goes after its arcs' objects, so that undo, which runs
  // the other way, brings every object back to its place.
  const TSavedObject saved = SaveObject(name);
  if (hasObject) DeleteObjectNamed(name);
  wb.Ui().UpdateView(ViewVariables | ViewFormulas);
  if (group) group->AddItem(std::make_unique<TUndoDualNode>(graph, UndoDelete, *this, saved));
  return true;
}

// ---- arcs ---------------------------------------------------------------------

std::string TGraphEdge::ArcVariableName(char letter, bool reversed) const {
  bool swap = false;
  if (First && Second)
    swap = (First->Kind == Second->Kind && Second->Number < First->Number) ||
           (First->Kind == 'd' && Second->Kind == 's');
  if (reversed) swap = !swap;
  const TGraphNode* a = swap ? Second : First;
  const TGraphNode* b = swap ? First : Second;
  return (a ? a->Label() : std::string()) + letter + (b ? b->Label() : std::string());
}

bool TGraphEdge::CreateModelObjects(TGraph& graph) {
  constexpr double kValues[3] = {0.1, 0.0, 1.0};
  for (int i = 0; i < 3; ++i) {
    if (!CreateConstant(ArcVariableName(kArcLetters[i], false), kValues[i])) {
      // An arc is all three objects or none.
      for (int k = 0; k < i; ++k) DeleteObjectNamed(ArcVariableName(kArcLetters[k], false));
      graph.Workbench().Ui().UpdateView(ViewVariables);
      return false;
    }
  }
  graph.Workbench().Ui().UpdateView(ViewVariables);
  return true;
}

double TGraphEdge::Distance(TGraphPoint p) const {
  if (First == nullptr || Second == nullptr) return 1e30 + 200;
  const double dx = static_cast<double>(Second->X) - First->X;
  const double dy = static_cast<double>(Second->Y) - First->Y;
  if (dx == 0 && dy == 0) return 1e30;
  const double length = dx * dx + dy * dy;
  const double cross =
      (p.X - static_cast<double>(First->X)) * dy - (p.Y - static_cast<double>(First->Y)) * dx;
  double d = cross * cross / length;
  const double a = First->Distance(p), b = Second->Distance(p);
  if (a > length || b > length || a < 200 || b < 200) d = 1e30;
  return d + 200;
}

bool TGraphEdge::IsLinked() const {
  for (char letter : kArcLetters) {
    std::string name = ArcVariableName(letter, false);
    if (FindVariableOrFormula(name) == nullptr) name = ArcVariableName(letter, true);
    if (IsLinkedObject(name)) return true;
  }
  return false;
}

std::array<TSavedObject, 3> TGraphEdge::SaveObjects() const {
  std::array<TSavedObject, 3> saved;
  for (std::size_t i = 0; i < 3; ++i) {
    std::string name = ArcVariableName(kArcLetters[i], false);
    if (FindVariableOrFormula(name) == nullptr) name = ArcVariableName(kArcLetters[i], true);
    saved[i] = SaveObject(name);
  }
  return saved;
}

bool TGraphEdge::DeleteFromModel(TGraph& graph, CurrentUndoGroup* group) {
  const std::array<TSavedObject, 3> saved = SaveObjects();
  for (const TSavedObject& s : saved)
    if (s.Kind != 0) DeleteObjectNamed(SavedObjectName(s));
  graph.Workbench().Ui().UpdateView(ViewVariables | ViewFormulas);
  std::unique_ptr<TGraphElement> self = graph.Extract(this);
  if (group) group->AddItem(std::make_unique<TUndoDualArc>(graph, UndoDelete, *this, saved));
  return true;
}

// ---- the graph ------------------------------------------------------------------

TGraph::TGraph(TWorkbench& wb, IGraphView* view) : wb_(wb), view_(view ? view : &defaultView_) {
  Random = [engine = std::make_shared<std::mt19937>(20240601u)] {
    return std::uniform_real_distribution<double>(0.0, 1.0)(*engine);
  };
  CtrlHeld = [] { return false; };
}

TGraph::~TGraph() = default;

void TGraph::SetView(IGraphView* view) { view_ = view ? view : &defaultView_; }

void TGraph::Clear() {
  Elements.clear();
  SelectedIndex = -1;
  TargetIndex = -1;
  DragState = 0;
}

void TGraph::SetEditMode(int mode) {
  EditMode = mode;
  view_->SetControlCursor(mode == 0 ? CursorDefault : CursorAddNode);
}

void TGraph::Redraw() { view_->Redraw(); }

int TGraph::IndexOfNode(int number, bool onlySeen) const {
  for (std::size_t i = 0; i < Elements.size(); ++i) {
    const TGraphElement* e = Elements[i].get();
    if (e->IsNode() && static_cast<const TGraphNode*>(e)->Number == number)
      return (!onlySeen || e->Seen) ? static_cast<int>(i) : -1;
  }
  return -1;
}

TGraphNode* TGraph::FindNode(int number, bool onlySeen) const {
  const int i = IndexOfNode(number, onlySeen);
  return i < 0 ? nullptr : NodeAt(i);
}

TGraphEdge* TGraph::FindArc(const TGraphNode* a, const TGraphNode* b) const {
  for (const auto& e : Elements) {
    if (e->IsNode()) continue;
    auto* arc = static_cast<TGraphEdge*>(e.get());
    if ((arc->First == a && arc->Second == b) || (arc->First == b && arc->Second == a)) return arc;
  }
  return nullptr;
}

int TGraph::IndexOf(const TGraphElement* element) const {
  for (std::size_t i = 0; i < Elements.size(); ++i)
    if (Elements[i].get() == element) return static_cast<int>(i);
  return -1;
}

int TGraph::NodeCount() const {
  return static_cast<int>(
      std::count_if(Elements.begin(), Elements.end(), [](const auto& e) { return e->IsNode(); }));
}

TGraphNode* TGraph::NodeAt(int index) const {
  if (index < 0 || index >= static_cast<int>(Elements.size())) return nullptr;
  TGraphElement* e = Elements[static_cast<std::size_t>(index)].get();
  return e->IsNode() ? static_cast<TGraphNode*>(e) : nullptr;
}

TGraphEdge* TGraph::EdgeAt(int index) const {
  if (index < 0 || index >= static_cast<int>(Elements.size())) return nullptr;
  TGraphElement* e = Elements[static_cast<std::size_t>(index)].get();
  return e->IsNode() ? nullptr : static_cast<TGraphEdge*>(e);
}

std::unique_ptr<TGraphElement> TGraph::Extract(const TGraphElement* element) {
  const int i = IndexOf(element);
  if (i < 0) return nullptr;
  std::unique_ptr<TGraphElement> out = std::move(Elements[static_cast<std::size_t>(i)]);
  Elements.erase(Elements.begin() + i);
  for (int* index : {&SelectedIndex, &TargetIndex}) {
    if (*index == i)
      *index = -1;
    else if (*index > i)
      --*index;
  }
  return out;
}

void TGraph::SyncWithModel(bool interactive) {
  // The selection follows its element through the insertions and removals.
  const TGraphElement* selected =
      SelectedIndex >= 0 && SelectedIndex < static_cast<int>(Elements.size())
          ? Elements[static_cast<std::size_t>(SelectedIndex)].get()
          : nullptr;
  for (auto& e : Elements) e->Seen = false;
  TAnswer standing = TAnswer::None;
  std::unique_ptr<CurrentUndoGroup> group;
  warning_ = false;
  view_->SetWarningVisible(false);

  auto lowerName = [](int kind, int n) {
    char name[256] = {};
    Get_TSMObjectName(kind, Get_TSMObject(n, kind), name);
    return LowerCase(name);
  };
  int y = 0;
  for (int kind : {ObjRandomVariable, ObjFormula}) {
    for (int n = Get_TSMObjectsNumber(kind); n >= 1; --n) {
      char nodeKind = 0;
      int number = 0;
      if (!ParseNodeName(lowerName(kind, n), nodeKind, number)) continue;
      y += 20;
      if (TGraphNode* node = FindNode(number, false)) {
        if (!node->Seen) node->Kind = nodeKind;
        node->Seen = true;
        continue;
      }
      auto node = std::make_unique<TGraphNode>();
      node->X = 20;
      node->Y = y;
      node->FloatX = node->X;
      node->FloatY = node->Y;
      node->Number = number;
      node->Kind = nodeKind;
      node->Seen = true;
      Elements.insert(Elements.begin(), std::move(node));
    }
  }
  for (int kind : {ObjRandomVariable, ObjFormula}) {
    for (int n = Get_TSMObjectsNumber(kind); n >= 1; --n) {
      const std::string name = lowerName(kind, n);
      char letter = 0;
      int first = 0, second = 0;
      if (!ParseArcName(name, letter, first, second)) continue;
      TGraphNode* a = FindNode(first, true);
      TGraphNode* b = FindNode(second, true);
      if (a && b) {
        if (TGraphEdge* arc = FindArc(a, b)) {
          arc->Seen = true;
        } else {
          auto edge = std::make_unique<TGraphEdge>();
          edge->First = a;
          edge->Second = b;
          edge->Seen = true;
          Elements.insert(Elements.begin(), std::move(edge));
        }
        continue;
      }
      warning_ = true;
      view_->SetWarningVisible(true);
      // Objects of linked files are read-only: not offered for deletion.
      if (!interactive || IsLinkedTSMObject(n, kind) > 0) continue;
      TAnswer answer = standing;
      if (answer != TAnswer::YesToAll && answer != TAnswer::NoToAll) {
        answer = wb_.Prompt().Ask(TMessageKind::Confirmation,
                                  "Arc to nonexisting node was found (" + Cp437ToUtf8(name) +
                                      ").\n\rDo you wish to remove it?",
                                  BtnYes | BtnNo | BtnNoToAll | BtnYesToAll);
        if (answer == TAnswer::YesToAll || answer == TAnswer::NoToAll) standing = answer;
      }
      view_->ClearActiveControl();
      if (answer != TAnswer::Yes && answer != TAnswer::YesToAll) continue;
      if (!group) group = std::make_unique<CurrentUndoGroup>(wb_.Undo);
      void* object = Get_TSMObject(n, kind);
      if (kind == ObjRandomVariable)
        group->AddItem(std::make_unique<TUndoRanVar>(
            UndoDelete, n, *static_cast<TExtendedRandomVariable*>(object)));
      else
        group->AddItem(std::make_unique<TUndoUDF>(UndoDelete, n, *static_cast<TUdf*>(object)));
      Delete_TSMObject(object);
      SetModified(wb_, true);
    }
  }
  std::erase_if(Elements, [](const auto& e) { return !e->Seen; });
  SelectedIndex = selected ? IndexOf(selected) : -1;
  TargetIndex = -1;
  if (group) group->Push();
  Redraw();
  wb_.Ui().UpdateView(ViewGraph | ViewVariables | ViewFormulas);
}

// ---- scrolling ------------------------------------------------------------------

void TGraph::ComputeBounds() {
  TGraphRect r;
  for (const auto& e : Elements) {
    if (!e->IsNode()) continue;
    const auto* n = static_cast<const TGraphNode*>(e.get());
    r.Left = std::min(r.Left, n->X);
    r.Top = std::min(r.Top, n->Y);
    r.Right = std::max(r.Right, n->X);
    r.Bottom = std::max(r.Bottom, n->Y);
  }
  Bounds = {r.Left - 15, r.Top - 15, r.Right + 30, r.Bottom + 30};
}

void TGraph::UpdateScrollBars() {
  ComputeBounds();
  auto fit = [](int low, int high, int client, int& origin, TScrollBarState& bar) {
    if (static_cast<long long>(high) - low < client) {
      origin = low;
      bar.Enabled = false;
      return;
    }
    origin = std::clamp(origin, low, high - client);
    bar = {true, low, high, client, origin};
  };
  fit(Bounds.Left, Bounds.Right, ClientWidth, Origin.X, hBar_);
  fit(Bounds.Top, Bounds.Bottom, ClientHeight, Origin.Y, vBar_);
  view_->ScrollBarsChanged(hBar_, vBar_);
  Redraw();
}

void TGraph::ResizeCanvas(int width, int height) {
  ClientWidth = std::max(0, width);
  ClientHeight = std::max(0, height);
  UpdateScrollBars();
}

void TGraph::ScrollTo(bool horizontal, int position) {
  (horizontal ? Origin.X : Origin.Y) = position;
  (horizontal ? hBar_ : vBar_).Position = position;
  Redraw();
}

// ---- editing --------------------------------------------------------------------

TGraphPoint TGraph::ToGraphPoint(TGraphPoint client) const {
  return {client.X + Origin.X, client.Y + Origin.Y};
}

int TGraph::FindNearest(TGraphPoint p, int kind, double threshold) const {
  const int n = static_cast<int>(Elements.size());
  int best = -1;
  double bestDistance = threshold;
  // From just after the selection around the list, so that repeated clicks
  // step through elements that lie on top of each other.
  for (int k = 0; k < n; ++k) {
    const int i = (std::max(SelectedIndex, -1) + 1 + k) % n;
    const TGraphElement* e = Elements[static_cast<std::size_t>(i)].get();
    if ((kind == 1 && !e->IsNode()) || (kind == 2 && e->IsNode())) continue;
    const double d = e->Distance(p);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

int TGraph::NextFreeNodeNumber() const {
  for (int number = 1; number <= kMaxNumberedNodes; ++number)
    if (IndexOfNode(number, false) < 0) return number;
  return -1;
}

int TGraph::ForArcsOfNode(const TGraphNode* node, int mode, CurrentUndoGroup* group) {
  int count = 0;
  for (int i = static_cast<int>(Elements.size()) - 1; i >= 0; --i) {
    if (i >= static_cast<int>(Elements.size())) continue;
    TGraphEdge* arc = EdgeAt(i);
    if (arc == nullptr || (arc->First != node && arc->Second != node)) continue;
    if (mode == 0) ++count;
    if (mode == 1) arc->DeleteFromModel(*this, group);
    if (mode == 2 && arc->IsLinked()) return 1;
  }
  return count;
}

void TGraph::MouseDown(TGraphPoint client, TMouseButton button) {
  if (button != TMouseButton::Left) return;
  PressPoint = ToGraphPoint(client);
  moveRecorded_ = false;
  if (EditMode == 0) {
    SelectedIndex = FindNearest(PressPoint, 0, 1e30);
    if (NodeAt(SelectedIndex)) DragState = 1;
    Redraw();
    return;
  }
  SelectedIndex = FindNearest(PressPoint, 1, 100);
  if (TGraphNode* from = NodeAt(SelectedIndex)) {
    auto arc = std::make_unique<TGraphEdge>();
    arc->First = from;
    Elements.push_back(std::move(arc));
    TargetIndex = -1;
    DragState = 2;
    Redraw();
    return;
  }
  int number = -1;
  if (EditMode == 3) {
    if (FindNode(-1, false)) {
      Redraw();
      wb_.Prompt().Show(TMessageKind::Information, kDxExistsMessage);
      return;
    }
  } else {
    number = NextFreeNodeNumber();
    if (number == -1) {
      Redraw();
      wb_.Prompt().Show(TMessageKind::Information, kTooManyNodesMessage);
      return;
    }
  }
  auto node = std::make_unique<TGraphNode>();
  node->X = PressPoint.X;
  node->Y = PressPoint.Y;
  node->FloatX = node->X;
  node->FloatY = node->Y;
  node->Number = number;
  node->Kind = EditMode == 1 ? 's' : 'd';
  TGraphNode* raw = node.get();
  Elements.push_back(std::move(node));
  SelectedIndex = static_cast<int>(Elements.size()) - 1;
  if (!raw->CreateModelObjects(*this)) {
    // A full model: the node goes again, and nothing is recorded.
    Extract(raw);
    Redraw();
    return;
  }
  DragState = 3;
  SetModified(wb_, true);
  Redraw();
}

void TGraph::ApplyMove(TGraphPoint g) {
  TGraphNode* node = NodeAt(SelectedIndex);
  if (node == nullptr || g == PressPoint) return;
  if (DragState == 1 && !moveRecorded_) {
    moveRecorded_ = true;
    moveNumber_ = node->Number;
    moveFrom_ = {node->X, node->Y};
  }
  node->X += g.X - PressPoint.X;
  node->Y += g.Y - PressPoint.Y;
  node->FloatX = node->X;
  node->FloatY = node->Y;
  SetModified(wb_, true);
  PressPoint = g;
  view_->SetDragCursor(CursorMoveNode);
  Redraw();
}

void TGraph::MouseMove(TGraphPoint client) {
  const TGraphPoint g = ToGraphPoint(client);
  if (DragState == 0) {
    if (EditMode >= 1 && EditMode <= 3)
      view_->SetControlCursor(FindNearest(g, 1, 100) >= 0 ? CursorOverNode : CursorAddNode);
    return;
  }
  if (DragState == 1 || DragState == 3) {
    ApplyMove(g);
    return;
  }
  if (DragState != 2) return;
  TGraphEdge* arc = EdgeAt(static_cast<int>(Elements.size()) - 1);
  if (arc == nullptr || arc->Second != nullptr) return;
  PressPoint = g;
  TargetIndex = FindNearest(g, 1, 1e30);
  const TGraphNode* target = NodeAt(TargetIndex);
  if (target == nullptr || target == arc->First || FindArc(arc->First, target) ||
      (arc->First->Kind == 'd' && target->Kind == 'd'))
    TargetIndex = -1;
  view_->SetDragCursor(TargetIndex < 0 ? CursorArcNoTarget : CursorArcTarget);
  Redraw();
}

void TGraph::FinishDrag(CurrentUndoGroup& group) {
  if (DragState == 2) {
    TGraphEdge* arc = EdgeAt(static_cast<int>(Elements.size()) - 1);
    if (arc && arc->Second == nullptr) {
      TGraphNode* target = NodeAt(TargetIndex);
      if (target) arc->Second = target;
      if (target && arc->CreateModelObjects(*this)) {
        group.AddItem(
            std::make_unique<TUndoDualArc>(*this, UndoAdd, *arc, std::array<TSavedObject, 3>{}));
        SetModified(wb_, true);
      } else {
        Extract(arc);
      }
    }
    TargetIndex = -1;
    Redraw();
  } else if (DragState == 3) {
    if (TGraphNode* node = NodeAt(SelectedIndex))
      group.AddItem(std::make_unique<TUndoDualNode>(*this, UndoAdd, *node, TSavedObject{}));
  } else if (DragState == 1 && moveRecorded_) {
    group.AddItem(std::make_unique<TUndoDualNodeMove>(*this, moveNumber_, moveFrom_));
  }
}

void TGraph::MouseUp(TGraphPoint, TMouseButton) {
  if (DragState <= 0) return;
  CurrentUndoGroup group(wb_.Undo);
  FinishDrag(group);
  DragState = 0;
  moveRecorded_ = false;
  view_->SetDragCursor(CursorDefault);
  UpdateScrollBars();
  if (group.Count() > 0)
    group.Push();
  else
    group.Discard();
  wb_.Ui().UpdateView(ViewGraph);
}

void TGraph::DeleteSelected() {
  TGraphElement* element = SelectedIndex >= 0 && SelectedIndex < static_cast<int>(Elements.size())
                               ? Elements[static_cast<std::size_t>(SelectedIndex)].get()
                               : nullptr;
  if (element == nullptr) return;
  if (element->IsLinked()) {
    wb_.Prompt().Show(TMessageKind::Information, kLinkedElementMessage);
    return;
  }
  if (element->IsNode() && ForArcsOfNode(static_cast<TGraphNode*>(element), 2) > 0) {
    wb_.Prompt().Show(TMessageKind::Information, kLinkedArcMessage);
    return;
  }
  CurrentUndoGroup group(wb_.Undo);
  if (!element->DeleteFromModel(*this, &group)) {
    group.Discard();
    return;
  }
  SelectedIndex = -1;
  SetModified(wb_, true);
  group.Push();
  wb_.Ui().UpdateView(ViewGraph);
  Redraw();
}

}  // namespace tesmira::wb
