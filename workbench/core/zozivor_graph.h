// The ZoziVor graph: a view of a network model whose nodes and arcs exist
// only as model variables or formulas named by a fixed grammar, plus node
// positions that live in the ".dnt" side file beside the model. This is the
// headless part of the graph control: the elements, the rebuild from the
// model's names, hit tests, the mouse state machine, the create and delete
// cascades with their undo items, the layouts and the side file. The widget
// that paints it and feeds it mouse events sees it through IGraphView.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tesmira/records.h"
#include "undo.h"

namespace tesmira::wb {

class TWorkbench;
class TGraph;

// ---- the naming grammar ---------------------------------------------------------
// Names are compared lower-cased. Node: "s" or "d" then the number (decimal
// digits that fit 32 bits) or "x" (the Dx node, number -1). Arc object:
// label + "c"/"l"/"u" + label, a label being a number or "x".
bool ParseNodeName(std::string_view name, char& kind, int& number);
bool ParseArcName(std::string_view name, char& letter, int& first, int& second);
// The number as text, "x" for -1.
std::string NodeLabel(int number);

struct TGraphPoint {
  int X = 0, Y = 0;
  bool operator==(const TGraphPoint&) const = default;
};

struct TGraphRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TGraphRect&) const = default;
};

// A model object as it was before the graph deleted it, so that undo can
// bring back its value, formula and place in the list. Kind 0: none.
struct TSavedObject {
  int Kind = 0;
  int Position = -1;
  TExtendedRandomVariable Variable{};
  TUdf Formula{};
};

class TGraphElement {
 public:
  virtual ~TGraphElement() = default;
  // Creates the model objects of the element; false (with nothing left
  // behind) when the model is full.
  virtual bool CreateModelObjects(TGraph& graph) = 0;
  // Deletes the element's objects and the element itself (taken out of the
  // list and freed), recording into group when one is given. False when the
  // user declined and nothing changed.
  virtual bool DeleteFromModel(TGraph& graph, CurrentUndoGroup* group) = 0;
  // Squared hit distance of a graph point.
  virtual double Distance(TGraphPoint p) const = 0;
  // An object of the element comes from a linked file.
  virtual bool IsLinked() const = 0;
  virtual bool IsNode() const = 0;

  bool Seen = false;
};

class TGraphNode : public TGraphElement {
 public:
  int X = 0, Y = 0;               // centre, graph coordinates
  double FloatX = 0, FloatY = 0;  // positions of the force layout
  double ForceX = 0, ForceY = 0;  // the layout's accumulated displacement
  char Kind = 's';                // 's' supply, 'd' demand
  int Number = -1;                // -1: the Dx node

  void AssignFrom(const TGraphNode& other);
  std::string NodeName() const;  // "s1", "d12", "dx"
  std::string Label() const { return NodeLabel(Number); }

  bool CreateModelObjects(TGraph& graph) override;
  bool DeleteFromModel(TGraph& graph, CurrentUndoGroup* group) override;
  double Distance(TGraphPoint p) const override;
  bool IsLinked() const override;
  bool IsNode() const override { return true; }
};

class TGraphEdge : public TGraphElement {
 public:
  TGraphNode* First = nullptr;
  TGraphNode* Second = nullptr;  // none while the arc is being drawn

  // The name of the c, l or u object in canonical or reversed label order.
  std::string ArcVariableName(char letter, bool reversed) const;
  // Copies of the c, l and u objects (each by its canonical name, else the
  // reversed one).
  std::array<TSavedObject, 3> SaveObjects() const;

  bool CreateModelObjects(TGraph& graph) override;
  bool DeleteFromModel(TGraph& graph, CurrentUndoGroup* group) override;
  double Distance(TGraphPoint p) const override;
  bool IsLinked() const override;
  bool IsNode() const override { return false; }
};

// One scroll bar: range Min..Max with the page; disabled when the bounds fit.
struct TScrollBarState {
  bool Enabled = false;
  int Min = 0, Max = 0, Page = 0, Position = 0;
  bool operator==(const TScrollBarState&) const = default;
};

// Cursors of the graph control; 0 is the default arrow.
enum TGraphCursor {
  CursorDefault = 0,
  CursorArcNoTarget = 20,
  CursorAddNode = 21,
  CursorOverNode = 22,
  CursorArcTarget = 23,
  CursorMoveNode = 25,
};

// What the graph asks of its widget; a widget answers every operation.
class IGraphView {
 public:
  virtual ~IGraphView() = default;
  virtual void Redraw() = 0;
  virtual void SetWarningVisible(bool visible) = 0;
  // The control's own cursor (idle), and the cursor shown while a drag runs
  // (CursorDefault ends it).
  virtual void SetControlCursor(int cursor) = 0;
  virtual void SetDragCursor(int cursor) = 0;
  virtual void ProcessEvents() = 0;
  virtual void ScrollBarsChanged(const TScrollBarState& h, const TScrollBarState& v) = 0;
  virtual void ClearActiveControl() = 0;
};

// The view of a graph without a widget (headless use): it shows nothing.
class TNoGraphView : public IGraphView {
 public:
  void Redraw() override {}
  void SetWarningVisible(bool) override {}
  void SetControlCursor(int) override {}
  void SetDragCursor(int) override {}
  void ProcessEvents() override {}
  void ScrollBarsChanged(const TScrollBarState&, const TScrollBarState&) override {}
  void ClearActiveControl() override {}
};

enum class TMouseButton { Left, Right, Middle };

// Texts the graph shows.
extern const char* const kDxExistsMessage;
extern const char* const kTooManyNodesMessage;
extern const char* const kLinkedElementMessage;
extern const char* const kLinkedArcMessage;

class TGraph {
 public:
  static constexpr int kMaxNumberedNodes = 99;
  // Node positions read from a side file are kept within +-this, so that the
  // bounds, the scroll ranges and the drawing can add their margins.
  static constexpr int kCoordinateLimit = 1'000'000;

  explicit TGraph(TWorkbench& wb, IGraphView* view = nullptr);
  ~TGraph();
  TGraph(const TGraph&) = delete;
  TGraph& operator=(const TGraph&) = delete;

  TWorkbench& Workbench() { return wb_; }
  void SetView(IGraphView* view);

  // ---- elements
  std::vector<std::unique_ptr<TGraphElement>> Elements;
  int SelectedIndex = -1;
  int TargetIndex = -1;
  TGraphPoint Origin;
  TGraphPoint PressPoint;
  int EditMode = 0;   // 0 select/move, 1 add supply, 2 add demand, 3 add Dx
  int DragState = 0;  // 0 idle, 1 moving a node, 2 drawing an arc, 3 placing a new node
  TGraphRect Bounds;
  int ClientWidth = 800, ClientHeight = 800;
  // The layout's random numbers in [0, 1) and the "Ctrl held" query.
  std::function<double()> Random;
  std::function<bool()> CtrlHeld;

  void Clear();
  void SetEditMode(int mode);
  void Redraw();
  int IndexOfNode(int number, bool onlySeen) const;
  TGraphNode* FindNode(int number, bool onlySeen) const;
  TGraphEdge* FindArc(const TGraphNode* a, const TGraphNode* b) const;
  int IndexOf(const TGraphElement* element) const;
  int NodeCount() const;
  TGraphNode* NodeAt(int index) const;
  TGraphEdge* EdgeAt(int index) const;
  // Takes the element out of the list (still alive) and resets the indexes.
  std::unique_ptr<TGraphElement> Extract(const TGraphElement* element);

  // Rebuilds the elements from the model's names; interactive asks about
  // arcs whose nodes do not exist and deletes those the user lets go.
  void SyncWithModel(bool interactive);
  bool WarningVisible() const { return warning_; }

  // ---- scrolling
  void ComputeBounds();
  void UpdateScrollBars();
  void ResizeCanvas(int width, int height);
  void ScrollTo(bool horizontal, int position);
  const TScrollBarState& HorizontalBar() const { return hBar_; }
  const TScrollBarState& VerticalBar() const { return vBar_; }

  // ---- editing
  TGraphPoint ToGraphPoint(TGraphPoint client) const;
  // kind 0 any element, 1 nodes, 2 arcs.
  int FindNearest(TGraphPoint p, int kind, double threshold) const;
  int NextFreeNodeNumber() const;
  // mode 0 counts the node's arcs, 1 deletes them, 2 answers 1 when one is linked.
  int ForArcsOfNode(const TGraphNode* node, int mode, CurrentUndoGroup* group = nullptr);
  void MouseDown(TGraphPoint client, TMouseButton button);
  void MouseMove(TGraphPoint client);
  void MouseUp(TGraphPoint client, TMouseButton button);
  void DeleteSelected();

  // ---- layouts and the side file
  // kind 0 circle, 1 rectangle, 2 rows, 3 columns, 4 relax arc lengths.
  void Arrange(int kind, bool withUndo);
  void Relax();
  void RelaxStep(double restLength);
  double ArcLength(const TGraphEdge& arc) const;
  bool SaveLayout(const std::string& modelFileName) const;
  bool LoadLayout(const std::string& modelFileName);

 private:
  void PlaceNodes(int kind);
  void ApplyMove(TGraphPoint graphPoint);
  void FinishDrag(CurrentUndoGroup& group);

  TWorkbench& wb_;
  TNoGraphView defaultView_;
  IGraphView* view_;
  bool warning_ = false;
  TScrollBarState hBar_, vBar_;
  // The position a node had when its move began (DragState 1).
  bool moveRecorded_ = false;
  int moveNumber_ = 0;
  TGraphPoint moveFrom_;
};

// The object of that name: a variable first, else a formula (kind out: 1 or
// 6), else none.
void* FindVariableOrFormula(const std::string& name, int* kind = nullptr);
// Copies the object (kind, record, list position) before it is deleted.
TSavedObject SaveObject(const std::string& name);
// Re-creates a saved object at its old place; false when the model is full.
bool RestoreObject(const TSavedObject& saved);
std::string SavedObjectName(const TSavedObject& saved);
void DeleteObjectNamed(const std::string& name);

}  // namespace tesmira::wb
