#include "dependence_tree.h"

#include <algorithm>
#include <charconv>

#include "cp437.h"
#include "model/short_string.h"
#include "model_helpers.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"

namespace tesmira::wb {

int TreeSortModeOfSetting(int setting) {
  switch (setting) {
    case 0: return TreeSortAscending;
    case 1: return TreeSortDescending;
    default: return TreeSortDirectory;
  }
}

int TreeSortSettingOfMode(int mode) {
  switch (mode) {
    case TreeSortAscending: return 0;
    case TreeSortDescending: return 1;
    default: return 2;
  }
}

std::string NodeObjectName(void* node) {
  char name[256] = {};
  if (node) Get_TSMObjectName(ObjDependenceNode, node, name);
  return name;
}

void* NodeParent(void* node) {
  void* parent = nullptr;
  if (node == nullptr || !Process_dep_node(node, &parent, nullptr, DepNodeParent)) return nullptr;
  return parent;
}

int NodeChildCount(void* node) {
  int32_t count = 0;
  if (node) Process_dep_node(node, nullptr, &count, DepNodeCount);
  return count;
}

std::string NodeDisplayName(void* node, bool vineMode) {
  if (!vineMode && (ShowsStructureName(node) || IsCompositeNode(node)))
    return StructureNodeCaption(node);
  return NodeObjectName(node);
}

std::string DepItemText(void* node, bool vineMode) {
  void* parent = NodeParent(node);
  std::string name = NodeObjectName(node);
  if (ShowsStructureName(node) && (!vineMode || parent != nullptr))
    name = StructureNodeCaption(node);
  if (parent != nullptr)
    name = std::string("(")
               .append(FormatCorrelation(Get_node_correlation_with_parent(node),
                                         CurrentDisplaySettings()))
               .append(") ")
               .append(name);
  return Cp437ToUtf8(name);
}

// ---- derived operations ---------------------------------------------------------

int TDepTreeAdapter::IndexInParent(TTreeItem item) {
  TTreeItem parent = ParentItem(item);
  const int n = ChildCount(parent);
  for (int i = 0; i < n; ++i)
    if (Child(parent, i) == item) return i;
  return -1;
}

std::vector<TTreeItem> TDepTreeAdapter::Children(TTreeItem parent) {
  std::vector<TTreeItem> v;
  const int n = ChildCount(parent);
  v.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) v.push_back(Child(parent, i));
  return v;
}

bool TDepTreeAdapter::IsInSubtree(TTreeItem item, TTreeItem root) {
  for (TTreeItem p = item; p != nullptr; p = ParentItem(p))
    if (p == root) return true;
  return false;
}

TTreeItem TDepTreeAdapter::NextSibling(TTreeItem item) {
  TTreeItem parent = ParentItem(item);
  int i = IndexInParent(item);
  return i + 1 < ChildCount(parent) ? Child(parent, i + 1) : nullptr;
}

int TDepTreeAdapter::Depth(TTreeItem item) {
  int d = 0;
  for (TTreeItem p = ParentItem(item); p != nullptr; p = ParentItem(p)) ++d;
  return d;
}

std::vector<TTreeItem> TDepTreeAdapter::Items() {
  std::vector<TTreeItem> out;
  // Depth first, a parent before its children.
  std::vector<std::pair<TTreeItem, int>> stack;
  for (int i = ChildCount(nullptr) - 1; i >= 0; --i) stack.emplace_back(Child(nullptr, i), 0);
  while (!stack.empty()) {
    TTreeItem item = stack.back().first;
    stack.pop_back();
    out.push_back(item);
    for (int i = ChildCount(item) - 1; i >= 0; --i) stack.emplace_back(Child(item, i), 0);
  }
  return out;
}

std::vector<TTreeItem> TDepTreeAdapter::MarkedItems() {
  std::vector<TTreeItem> v;
  for (TTreeItem item : Items())
    if (IsMarked(item)) v.push_back(item);
  return v;
}

TTreeItem TDepTreeAdapter::AddTopLevelItem(const std::string& text, void* node) {
  return InsertItem(nullptr, -1, text, node);
}

TTreeItem TDepTreeAdapter::InsertFirstSibling(TTreeItem sibling, const std::string& text,
                                              void* node) {
  return InsertItem(ParentItem(sibling), 0, text, node);
}

void TDepTreeAdapter::SortTree() {
  const int mode = SortMode;
  std::vector<TTreeItem> parents{nullptr};
  for (TTreeItem item : Items())
    if (ChildCount(item) > 1) parents.push_back(item);
  for (TTreeItem parent : parents) {
    std::vector<TTreeItem> kids = Children(parent);
    if (kids.size() < 2) continue;
    std::vector<std::pair<std::string, int>> keys;
    std::vector<std::size_t> order(kids.size());
    keys.reserve(kids.size());
    for (std::size_t i = 0; i < kids.size(); ++i) {
      void* node = ItemNode(kids[i]);
      order[i] = i;
      if (mode == TreeSortDirectory)
        keys.emplace_back(std::string(), Get_TSMObjectIndex(node, ObjDependenceNode));
      else
        keys.emplace_back(LowerCase(NodeDisplayName(node, VineMode)), 0);
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      if (mode == TreeSortDescending) return keys[b] < keys[a];
      return keys[a] < keys[b];
    });
    for (std::size_t i = 0; i < order.size(); ++i)
      if (Child(parent, static_cast<int>(i)) != kids[order[i]])
        MoveItem(kids[order[i]], parent, static_cast<int>(i));
  }
}

// ---- the tree in memory ---------------------------------------------------------

struct TMemoryDepTree::Item {
  std::string text;
  void* node = nullptr;
  Item* parent = nullptr;
  std::vector<Item*> children;
  bool marked = false;
};

TMemoryDepTree::TMemoryDepTree() = default;
TMemoryDepTree::~TMemoryDepTree() = default;

std::vector<TMemoryDepTree::Item*>& TMemoryDepTree::Siblings(Item* parent) {
  return parent ? parent->children : roots_;
}

int TMemoryDepTree::ChildCount(TTreeItem parent) {
  return static_cast<int>(Siblings(static_cast<Item*>(parent)).size());
}

TTreeItem TMemoryDepTree::Child(TTreeItem parent, int index) {
  auto& s = Siblings(static_cast<Item*>(parent));
  return index >= 0 && index < static_cast<int>(s.size()) ? s[static_cast<std::size_t>(index)]
                                                          : nullptr;
}

TTreeItem TMemoryDepTree::InsertItem(TTreeItem parent, int index, const std::string& text,
                                     void* node) {
  auto owned = std::make_unique<Item>();
  Item* item = owned.get();
  item->text = text;
  item->node = node;
  item->parent = static_cast<Item*>(parent);
  store_.push_back(std::move(owned));
  auto& s = Siblings(item->parent);
  if (index < 0 || index > static_cast<int>(s.size())) index = static_cast<int>(s.size());
  s.insert(s.begin() + index, item);
  return item;
}

void TMemoryDepTree::MoveItem(TTreeItem t, TTreeItem parent, int index) {
  Item* item = static_cast<Item*>(t);
  auto& from = Siblings(item->parent);
  from.erase(std::find(from.begin(), from.end(), item));
  item->parent = static_cast<Item*>(parent);
  auto& to = Siblings(item->parent);
  if (index < 0 || index > static_cast<int>(to.size())) index = static_cast<int>(to.size());
  to.insert(to.begin() + index, item);
}

void TMemoryDepTree::DeleteItem(TTreeItem t) {
  Item* item = static_cast<Item*>(t);
  if (current_ && IsInSubtree(current_, item)) current_ = nullptr;
  auto& from = Siblings(item->parent);
  from.erase(std::find(from.begin(), from.end(), item));
  std::vector<Item*> gone{item};
  for (std::size_t i = 0; i < gone.size(); ++i)
    for (Item* c : gone[i]->children) gone.push_back(c);
  std::erase_if(store_, [&](const std::unique_ptr<Item>& p) {
    return std::find(gone.begin(), gone.end(), p.get()) != gone.end();
  });
}

std::string TMemoryDepTree::ItemText(TTreeItem item) { return static_cast<Item*>(item)->text; }
void TMemoryDepTree::SetItemText(TTreeItem item, const std::string& text) {
  static_cast<Item*>(item)->text = text;
}
bool TMemoryDepTree::IsMarked(TTreeItem item) { return static_cast<Item*>(item)->marked; }
void TMemoryDepTree::SetMarked(TTreeItem item, bool marked) {
  static_cast<Item*>(item)->marked = marked;
}
void* TMemoryDepTree::ItemNode(TTreeItem item) { return static_cast<Item*>(item)->node; }
TTreeItem TMemoryDepTree::ParentItem(TTreeItem item) { return static_cast<Item*>(item)->parent; }

std::vector<void*> TMemoryDepTree::ListNodes() {
  std::vector<void*> v;
  for (const ListEntry& e : list_) v.push_back(e.node);
  return v;
}

std::vector<void*> TMemoryDepTree::ListSelection() {
  std::vector<void*> v;
  for (const ListEntry& e : list_)
    if (e.selected) v.push_back(e.node);
  return v;
}

void TMemoryDepTree::SetListSelected(void* node, bool selected) {
  for (ListEntry& e : list_)
    if (e.node == node) e.selected = selected;
}

void TMemoryDepTree::RemoveAvailableNode(void* node) {
  std::erase_if(list_, [&](const ListEntry& e) { return e.node == node; });
}

void TMemoryDepTree::AddAvailableNode(const std::string& caption, const std::string& name,
                                      void* node) {
  list_.push_back({caption, name, node, false});
}

namespace {
int CaptionNumber(const std::string& caption) {
  int n = 0;
  std::from_chars(caption.data(), caption.data() + caption.size(), n);
  return n;
}
}  // namespace

void TMemoryDepTree::SortAvailableNodes() {
  std::stable_sort(list_.begin(), list_.end(), [](const ListEntry& a, const ListEntry& b) {
    return CaptionNumber(a.caption) < CaptionNumber(b.caption);
  });
}

std::vector<std::string> TMemoryDepTree::ListCaptions() const {
  std::vector<std::string> v;
  for (const ListEntry& e : list_) v.push_back(e.caption);
  return v;
}

}  // namespace tesmira::wb
