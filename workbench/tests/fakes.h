// Scripted services for the workbench core's tests: prompts answer from a
// queue and record every text; the chooser returns prepared names; the main
// window records what it was asked and keeps a small tree of items.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "services.h"
#include "workbench.h"

namespace tesmira::wb::test {

struct FakePrompt : IPrompt {
  struct Shown {
    TMessageKind kind;
    std::string text;
    unsigned buttons;
  };
  std::deque<TAnswer> answers;  // empty: Ok for an OK box, else Yes
  std::vector<Shown> shown;
  std::vector<std::string> titles;  // captions given with AskTitled, in order

  TAnswer AskTitled(TMessageKind kind, const std::string& title, const std::string& text,
                    unsigned buttons) override {
    titles.push_back(title);
    return Ask(kind, text, buttons);
  }

  TAnswer Ask(TMessageKind kind, const std::string& text, unsigned buttons) override {
    shown.push_back({kind, text, buttons});
    if (answers.empty()) return (buttons & BtnYes) ? TAnswer::Yes : TAnswer::Ok;
    TAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const Shown& s : shown) t.push_back(s.text);
    return t;
  }
};

struct FakeChooser : IFileChooser {
  std::deque<std::vector<std::string>> openAnswers;  // an empty entry cancels
  std::deque<std::string> saveAnswers;               // an empty entry cancels
  int openCalls = 0, saveCalls = 0;
  TFileDialogOptions lastOptions;

  bool ChooseOpen(const TFileDialogOptions& o, std::vector<std::string>& names) override {
    ++openCalls;
    lastOptions = o;
    if (openAnswers.empty()) return false;
    names = openAnswers.front();
    openAnswers.pop_front();
    return !names.empty();
  }
  bool ChooseSave(const TFileDialogOptions& o, std::string& name) override {
    ++saveCalls;
    lastOptions = o;
    if (saveAnswers.empty()) return false;
    name = saveAnswers.front();
    saveAnswers.pop_front();
    return !name.empty();
  }
};

// A tree of items, each with a text, a node and a parent, kept in flat order.
struct FakeTree : IDependenceTree {
  struct Item {
    std::string text;
    void* node = nullptr;
    Item* parent = nullptr;
  };
  std::vector<std::unique_ptr<Item>> items;  // flat order
  struct Available {
    std::string caption, name;
    void* node;
  };
  std::vector<Available> available;
  Item* selected = nullptr;
  int sorts = 0;

  static Item* I(TTreeItem t) { return static_cast<Item*>(t); }
  std::size_t IndexOf(Item* it) const {
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i].get() == it) return i;
    return items.size();
  }
  bool IsUnder(Item* it, Item* ancestor) const {
    for (Item* p = it->parent; p; p = p->parent)
      if (p == ancestor) return true;
    return false;
  }
  // Takes an item and its descendants out of the flat order.
  std::vector<std::unique_ptr<Item>> Extract(Item* it) {
    std::vector<std::unique_ptr<Item>> out;
    for (std::size_t i = 0; i < items.size();) {
      if (items[i].get() == it || IsUnder(items[i].get(), it)) {
        out.push_back(std::move(items[i]));
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        ++i;
      }
    }
    return out;
  }
  std::size_t EndOfSubtree(Item* it) const {
    std::size_t i = IndexOf(it) + 1;
    while (i < items.size() && IsUnder(items[i].get(), it)) ++i;
    return i;
  }

  std::vector<TTreeItem> Items() override {
    std::vector<TTreeItem> v;
    for (auto& i : items) v.push_back(i.get());
    return v;
  }
  void* ItemNode(TTreeItem t) override { return I(t)->node; }
  TTreeItem ParentItem(TTreeItem t) override { return I(t)->parent; }
  TTreeItem AddTopLevelItem(const std::string& text, void* node) override {
    items.push_back(std::make_unique<Item>(Item{text, node, nullptr}));
    return items.back().get();
  }
  TTreeItem InsertFirstSibling(TTreeItem sibling, const std::string& text, void* node) override {
    Item* parent = I(sibling)->parent;
    std::size_t at = 0;
    if (parent) at = IndexOf(parent) + 1;
    auto it = std::make_unique<Item>(Item{text, node, parent});
    Item* raw = it.get();
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(it));
    return raw;
  }
  void MoveToTopLevel(TTreeItem t) override {
    auto moved = Extract(I(t));
    moved.front()->parent = nullptr;
    for (auto& m : moved) items.push_back(std::move(m));
  }
  void MoveUnder(TTreeItem t, TTreeItem parent) override {
    auto moved = Extract(I(t));
    moved.front()->parent = I(parent);
    std::size_t at = EndOfSubtree(I(parent));
    for (auto& m : moved)
      items.insert(items.begin() + static_cast<std::ptrdiff_t>(at++), std::move(m));
  }
  void RemoveItem(TTreeItem t) override {
    if (selected == t || (selected && IsUnder(selected, I(t)))) selected = nullptr;
    Extract(I(t));
  }
  void SelectItem(TTreeItem t) override { selected = I(t); }
  void SetItemText(TTreeItem t, const std::string& text) override { I(t)->text = text; }
  void SortAlphabetically() override { ++sorts; }
  void RemoveAvailableNode(void* node) override {
    std::erase_if(available, [&](const Available& a) { return a.node == node; });
  }
  void AddAvailableNode(const std::string& caption, const std::string& name, void* node) override {
    available.push_back({caption, name, node});
  }
  void SortAvailableNodes() override {}

  Item* ItemOf(void* node) { return I(FindItem(node)); }
};

struct FakeUi : IWorkbenchUi {
  std::vector<unsigned> views;
  std::vector<TPanel> panels;
  std::vector<std::pair<TObjectList, int>> selections;
  std::vector<TObjectList> clicks;
  int saveButtonUpdates = 0, quantileClears = 0, gridRepaints = 0, vineRepaints = 0,
      vineRebuilds = 0, variableReloads = 0, formulaReloads = 0;
  int variableCount = 0, formulaCount = 0;     // list lengths the window reports
  std::function<int(TObjectList)> countLists;  // when set, the lengths come from here
  bool treeButtonDown = false;
  FakeTree tree;
  std::vector<void*> matrixNodes;

  void UpdateView(unsigned mask) override { views.push_back(mask); }
  void UpdateSaveButton() override { ++saveButtonUpdates; }
  void ShowPanel(TPanel p) override { panels.push_back(p); }
  int ListItemCount(TObjectList l) override {
    if (countLists) return countLists(l);
    return l == TObjectList::Variables ? variableCount : formulaCount;
  }
  void SelectListItem(TObjectList l, int index) override { selections.emplace_back(l, index); }
  void ListClick(TObjectList l) override { clicks.push_back(l); }
  void ReloadVariableFrame(int) override { ++variableReloads; }
  void ReloadFormulaFrame(int) override { ++formulaReloads; }
  void ClearUserDefinedQuantiles() override { ++quantileClears; }
  bool DependenceTreeButtonDown() override { return treeButtonDown; }
  void RepaintDependenceGrid() override { ++gridRepaints; }
  void RepaintVineView() override { ++vineRepaints; }
  void RebuildUserVineLevels() override { ++vineRebuilds; }
  IDependenceTree& DependenceTree() override { return tree; }
  std::vector<void*> MatrixNodes() override { return matrixNodes; }
};

// A workbench over the three fakes.
struct FakeWorkbench {
  FakePrompt prompt;
  FakeChooser chooser;
  FakeUi ui;
  TWorkbench wb{prompt, chooser, ui};
};

}  // namespace tesmira::wb::test
