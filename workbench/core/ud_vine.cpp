#include "ud_vine.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "cp437.h"
#include "dependence_tree.h"
#include "pairing_choices.h"
#include "tesmira/vines.h"
#include "workbench.h"

namespace tesmira::wb {

namespace {

// Labels wider than this (pixels) switch a level to abbreviations.
constexpr int WideLabel = 120;

// Appends the label of n until out is longer than the cap.
void AppendLabel(const TUDNode& n, std::string& out, bool full) {
  if (out.size() > UDLabelCap) return;
  if (full ? n.level->Number == 0 : !n.composed) {
    out += full ? n.name : n.text;
    return;
  }
  if (n.left) AppendLabel(*n.left, out, full);
  if (n.left && n.right) out += '|';
  if (n.right) AppendLabel(*n.right, out, full);
}

// Cuts a text longer than the cap there (at a character boundary of UTF-8)
// and ends it with "...".
std::string Capped(std::string s) {
  if (s.size() <= UDLabelCap) return s;
  std::size_t cut = UDLabelCap;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  s.resize(cut);
  return s + "...";
}

// The text up to the first "->", and the text after it (all of it when there
// is none).
std::string UpToArrow(const std::string& s) { return s.substr(0, s.find("->")); }
std::string AfterArrow(const std::string& s) {
  const std::size_t p = s.find("->");
  return p == std::string::npos ? s : s.substr(p + 2);
}

// Builds one level from the one below.
class TLevelBuilder {
 public:
  TLevelBuilder(TUDNodes& level, const TWorkbench& wb) : level_(level), wb_(wb) {}

  void Visit(TUDNode& v, TUDNode* p) {
    const std::vector<TUDNode*> c = v.children;
    const int d = static_cast<int>(c.size());
    const bool root = v.IsRoot();
    if (d < 2 || (root && d < 3)) {
      for (TUDNode* child : c) {
        TUDNode& e = Create(&v, child, p);
        Visit(*child, &e);
        if (p == nullptr) p = &e;  // a root's second edge hangs below its first
      }
      return;
    }
    const int32_t a = v.index + 1;
    int b = FindPairingChoice(wb_, level_.Number, a);
    if (b < 0) {
      level_.Incomplete = true;
      if (p == nullptr) p = &Create(nullptr, &v, nullptr);  // placeholder
      p->pendingVertex = a;
      return;
    }
    // A choice stored for a tree that had more edges here joins at the end.
    b = std::min(b, d);
    const bool rootCase = p == nullptr;
    if (rootCase) {
      TUDNode& e = Create(c[0], &v, nullptr);
      Visit(*c[0], &e);
      p = &e;
    }
    TUDNode* previous = p;
    for (int j = 0; j < d && j != b; ++j) {
      if (rootCase && j == 0) continue;
      TUDNode& e = Create(&v, c[j], previous);
      Visit(*c[j], &e);
      previous = &e;
    }
    previous = p;
    for (int k = d; k >= 1 && k != b; --k) {
      if (rootCase && k == 1) continue;
      TUDNode& e = Create(&v, c[k - 1], previous);
      Visit(*c[k - 1], &e);
      previous = &e;
    }
  }

 private:
  TUDNode& Create(TUDNode* left, TUDNode* right, TUDNode* parent) {
    TUDNode& e = level_.Add();
    e.left = left;
    e.right = right;
    e.depNode = right->depNode;
    e.composed = true;
    e.parent = parent;
    if (parent) parent->children.push_back(&e);
    return e;
  }

  TUDNodes& level_;
  const TWorkbench& wb_;
};

}  // namespace

// ---- nodes -------------------------------------------------------------------------

int TUDNode::Depth() const {
  int depth = 0;
  for (const TUDNode* p = parent; p; p = p->parent) ++depth;
  return depth;
}

TUDNode* TUDNode::NextSibling() const {
  if (!parent) return nullptr;
  const auto& siblings = parent->children;
  auto it = std::find(siblings.begin(), siblings.end(), this);
  return it != siblings.end() && it + 1 != siblings.end() ? *(it + 1) : nullptr;
}

std::string TUDNode::Label() const {
  std::string out;
  AppendLabel(*this, out, false);
  return Capped(std::move(out));
}

std::string TUDNode::FullLabel() const {
  std::string out;
  AppendLabel(*this, out, true);
  return Capped(std::move(out));
}

TUDNode& TUDNodes::Add() {
  Nodes.push_back(std::make_unique<TUDNode>());
  TUDNode& n = *Nodes.back();
  n.level = this;
  n.index = Count() - 1;
  return n;
}

std::vector<TUDTreeItem> UDTreeDescription(IDependenceTree& tree) {
  const std::vector<TTreeItem> items = tree.Items();
  std::unordered_map<TTreeItem, int> position;
  for (std::size_t i = 0; i < items.size(); ++i) position[items[i]] = static_cast<int>(i);
  std::vector<TUDTreeItem> out;
  out.reserve(items.size());
  for (TTreeItem item : items) {
    TUDTreeItem t;
    t.item = item;
    t.node = tree.ItemNode(item);
    t.name = Cp437ToUtf8(NodeObjectName(t.node));
    auto it = position.find(tree.ParentItem(item));
    if (it != position.end()) t.parent = it->second;
    out.push_back(std::move(t));
  }
  return out;
}

std::string UDAbbreviation(int i) {
  std::string s;
  for (int n = std::max(i, 0) + 1; n > 0; n = (n - 1) / 26)
    s.insert(s.begin(), static_cast<char>('A' + (n - 1) % 26));
  return s;
}

std::string UDWidgetRowText(const TUDNode& v, int i) {
  const TUDNode* c = i >= 0 && i < static_cast<int>(v.children.size()) ? v.children[i] : nullptr;
  return AfterArrow(v.Label()) + "|" + (c ? AfterArrow(c->Label()) : std::string());
}

// ---- levels ------------------------------------------------------------------------

TUDNodes* TUDVineLevels::Top() const {
  TUDNodes* l = first_.get();
  while (l && l->Next) l = l->Next.get();
  return l;
}

TUDNodes* TUDVineLevels::Level(int x) const {
  TUDNodes* l = first_.get();
  for (int i = 0; l && i < x; ++i) l = l->Next.get();
  return x >= 0 ? l : nullptr;
}

int TUDVineLevels::LevelCount() const {
  int n = 0;
  for (TUDNodes* l = first_.get(); l; l = l->Next.get()) ++n;
  return n;
}

void TUDVineLevels::BuildFirst(const std::vector<TUDTreeItem>& items) {
  first_ = std::make_unique<TUDNodes>();
  TUDNodes& level = *first_;
  for (const TUDTreeItem& t : items) {
    TUDNode& n = level.Add();
    n.item = t.item;
    n.depNode = t.node;
    n.name = n.text = t.name;
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int p = items[i].parent;
    // A parent comes before its children; anything else is no link.
    if (p < 0 || p >= static_cast<int>(i)) continue;
    TUDNode* node = level.Nodes[i].get();
    node->parent = level.Nodes[p].get();
    node->parent->children.push_back(node);
  }
}

TUDNodes& TUDVineLevels::BuildNext(TUDNodes& below, const TWorkbench& wb, const TTextWidth& width) {
  below.Next = std::make_unique<TUDNodes>();
  TUDNodes& level = *below.Next;
  level.Number = below.Number + 1;
  level.Below = &below;
  TLevelBuilder builder(level, wb);
  for (const auto& v : below.Nodes)
    if (v->IsRoot()) builder.Visit(*v, nullptr);

  bool wide = false;
  for (const auto& n : level.Nodes)
    if (!wide && width && width(n->Label()) > WideLabel) wide = true;

  // The engine creates the vine's tree of that level on its first value.
  if (!transcended_) transcended_ = Vine_IsTranscended();
  if (*transcended_ < level.Number + 1 && below.Count() > 0 &&
      Vine_SetCorrValue(below.Nodes.back()->DependenceNode(), level.Number + 1, 0.0))
    transcended_ = level.Number + 1;

  if (wide) {
    for (const auto& n : below.Nodes) {
      n->text = UpToArrow(n->Label()) + "->" + UDAbbreviation(n->index);
      n->composed = false;
    }
    for (const auto& n : level.Nodes) {
      std::string text;
      if (n->left) text = AfterArrow(n->left->text);
      if (n->left && n->right) text += '|';
      if (n->right) text += AfterArrow(n->right->text);
      n->text = std::move(text);
      n->composed = false;
    }
  }
  return level;
}

bool TUDVineLevels::BuildLevels(int itemCount, const TWorkbench& wb, const TTextWidth& width) {
  transcended_.reset();
  TUDNodes* top = Top();
  int count = LevelCount();
  while (top && !top->Incomplete && count < itemCount - 1) {
    top = &BuildNext(*top, wb, width);
    ++count;
  }
  transcended_.reset();
  return !top || !top->Incomplete;
}

void TUDVineLevels::RebuildTop(const TWorkbench& wb, const TTextWidth& width) {
  transcended_.reset();
  TUDNodes* top = Top();
  if (top && top->Below) BuildNext(*top->Below, wb, width);
  transcended_.reset();
}

// ---- geometry ----------------------------------------------------------------------

bool TUDConnector::Hit(TUDPoint p, int tolerance) const {
  if (Vertical())
    return std::abs(p.x - a.x) <= tolerance && p.y >= std::min(a.y, b.y) &&
           p.y <= std::max(a.y, b.y);
  if (p.x <= a.x || p.x >= b.x || p.y < std::min(a.y, b.y) || p.y > std::max(a.y, b.y))
    return false;
  // The height the line through p would reach at the far end, against the
  // connector's own.
  const double reach = static_cast<double>(p.y - a.y) * (b.x - a.x) / (p.x - a.x);
  return std::abs(reach - (b.y - a.y)) <= tolerance;
}

void TUDLayout::Compute(const TUDVineLevels& levels, int itemCount, const TUDMetrics& m) {
  const int h = std::max(m.rowHeight, 1);
  rowHeight_ = h;
  itemCount_ = itemCount;
  lefts_.clear();
  widths_.clear();
  rows_.clear();
  widgets_.clear();
  int left = 0, maxRows = itemCount;
  for (TUDNodes* level = levels.First(); level; level = level->Next.get()) {
    const bool higher = level->Number > 0;
    int width = 0, row = 0;
    std::vector<int> rows;
    rows.reserve(level->Nodes.size());
    for (const auto& n : level->Nodes) {
      const int indent = n->Depth() * m.indent;
      int w = (m.textWidth ? m.textWidth(n->Label()) : 0) + indent;
      if (n->pendingVertex && higher) w = std::max(w, indent + m.widgetWidth);
      if (n->parent) w += m.valueExtra;
      width = std::max(width, w);
      rows.push_back(row++);
      if (!(n->pendingVertex && higher && n->right)) continue;
      // The pairing widget takes the rows below the pending node.
      TUDWidget g;
      g.pending = n.get();
      g.vertex = n->right;
      const int d = static_cast<int>(g.vertex->children.size());
      g.left = left;
      g.top = row * h;
      g.width = m.widgetWidth;
      g.height = std::max(2 * d - 1, 0) * h;
      g.circle = n->left != nullptr;
      const int middle = g.Middle();
      for (int i = 0; i < d; ++i) g.childRowTops.push_back(g.top + 2 * i * h);
      if (d > 0) {
        // Connector 0 to the first child row, d to the last, 1..d-1 upright
        // between the child rows.
        const int x1 = left + 10, x2 = left + 2 * h + 10;
        g.connectors.push_back({0, {x1, middle}, {x2, g.top + h / 2}});
        for (int i = 1; i < d; ++i) {
          const int x = left + 3 * h + 10, y = g.top + (2 * i - 1) * h;
          g.connectors.push_back({i, {x, y}, {x, y + h}});
        }
        g.connectors.push_back({d, {x1, middle}, {x2, g.top + 2 * (d - 1) * h + h / 2}});
      }
      row += std::max(2 * d - 1, 0);
      widgets_.push_back(std::move(g));
    }
    width += 2 * ((h - m.textHeight) / 2) + 12;
    lefts_.push_back(left);
    widths_.push_back(width);
    rows_.push_back(std::move(rows));
    maxRows = std::max(maxRows, row);
    left += width;
  }
  contentWidth_ = left;
  contentHeight_ = maxRows * h;
}

std::pair<int, int> TUDLayout::HitCell(TUDPoint p) const {
  const std::pair<int, int> none{-1, -1};
  if (p.x < 0 || p.y < 0) return none;
  int x = -1;
  for (int i = 0; i < LevelCount(); ++i)
    if (p.x >= lefts_[i] && p.x < lefts_[i] + widths_[i]) x = i;
  if (x < 0) return none;
  const int row = p.y / rowHeight_;
  const std::vector<int>& rows = rows_[x];
  // The node whose rows (its own and its widget's) contain the row.
  auto it = std::upper_bound(rows.begin(), rows.end(), row);
  if (it == rows.begin()) return none;
  int y = static_cast<int>(it - rows.begin()) - 1;
  if (it == rows.end()) {
    int span = 1;
    for (const TUDWidget& g : widgets_)
      if (g.pending->level->Number == x && g.pending->index == y) span += g.height / rowHeight_;
    if (row >= rows[y] + span) return none;
  }
  if (y >= itemCount_ - x) return none;
  return {x, y};
}

std::pair<int, int> TUDLayout::HitConnector(TUDPoint p) const {
  for (std::size_t w = 0; w < widgets_.size(); ++w) {
    const auto& cs = widgets_[w].connectors;
    for (std::size_t k = 0; k < cs.size(); ++k)
      if (cs[k].Hit(p, rowHeight_)) return {static_cast<int>(w), static_cast<int>(k)};
  }
  return {-1, -1};
}

void TUDConnectorTrack::Update(const TUDLayout& layout, TUDPoint p) {
  onConnector = false;
  const auto [w, k] = layout.HitConnector(p);
  if (w < 0) return;
  const TUDWidget& g = layout.Widgets()[w];
  const int hitIndex = g.connectors[k].index;
  if (!Recorded()) {
    pending = g.pending;
    index = hitIndex;
  }
  onConnector = pending == g.pending && index == hitIndex;
}

}  // namespace tesmira::wb
