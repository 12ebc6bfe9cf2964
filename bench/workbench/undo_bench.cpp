// Deletes every second of 1000 variables as one undo group, then times the
// delete, the undo (which re-creates the 500 and moves each back to its
// place) and the redo.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "model/short_string.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "undo_items.h"
#include "workbench.h"

namespace {

using namespace tesmira::wb;

struct QuietPrompt : IPrompt {
  TAnswer Ask(TMessageKind, const std::string&, unsigned) override { return TAnswer::Ok; }
};
struct NoChooser : IFileChooser {
  bool ChooseOpen(const TFileDialogOptions&, std::vector<std::string>&) override { return false; }
  bool ChooseSave(const TFileDialogOptions&, std::string&) override { return false; }
};
struct NoTree : IDependenceTree {
  std::vector<TTreeItem> Items() override { return {}; }
  void* ItemNode(TTreeItem) override { return nullptr; }
  TTreeItem ParentItem(TTreeItem) override { return nullptr; }
  TTreeItem AddTopLevelItem(const std::string&, void*) override { return nullptr; }
  TTreeItem InsertFirstSibling(TTreeItem, const std::string&, void*) override { return nullptr; }
  void MoveToTopLevel(TTreeItem) override {}
  void MoveUnder(TTreeItem, TTreeItem) override {}
  void RemoveItem(TTreeItem) override {}
  void SelectItem(TTreeItem) override {}
  void SetItemText(TTreeItem, const std::string&) override {}
  void SortAlphabetically() override {}
  void RemoveAvailableNode(void*) override {}
  void AddAvailableNode(const std::string&, const std::string&, void*) override {}
  void SortAvailableNodes() override {}
};
struct NoWindow : IWorkbenchUi {
  NoTree tree;
  void UpdateView(unsigned) override {}
  void UpdateSaveButton() override {}
  void ShowPanel(TPanel) override {}
  int ListItemCount(TObjectList) override { return Get_TSMObjectsNumber(1); }
  void SelectListItem(TObjectList, int) override {}
  void ListClick(TObjectList) override {}
  void ReloadVariableFrame(int) override {}
  void ReloadFormulaFrame(int) override {}
  void ClearUserDefinedQuantiles() override {}
  bool DependenceTreeButtonDown() override { return false; }
  void RepaintDependenceGrid() override {}
  void RepaintVineView() override {}
  void RebuildUserVineLevels() override {}
  IDependenceTree& DependenceTree() override { return tree; }
  std::vector<void*> MatrixNodes() override { return {}; }
};

void BuildModel() {
  Init_data();
  for (int i = 0; i < 1000; ++i) {
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    tesmira::SetShortString(rv.distribution.name, "v" + std::to_string(i));
    rv.distribution.distType = DistNormal;
    rv.distribution.u.params[1] = 1.0;
    Create_TSMObject(ObjRandomVariable, &rv);
  }
}

void DeleteHalf(TWorkbench& wb) {
  CurrentUndoGroup group(wb.Undo);
  for (int i = 0; i < 1000; i += 2) {
    std::string name = "v" + std::to_string(i);
    TExtendedRandomVariable* rv = Fetch_extended_random_variable(0, name.c_str());
    group.AddItem(std::make_unique<TUndoRanVar>(UndoDelete, ObjectPosition(rv, 1), *rv));
    Delete_TSMObject(rv);
  }
  group.Push();
}

// arg 0: delete, 1: undo, 2: redo.
void BM_DeleteHalfOf1000(benchmark::State& state) {
  QuietPrompt prompt;
  NoChooser chooser;
  NoWindow ui;
  for (auto _ : state) {
    state.PauseTiming();
    TWorkbench wb(prompt, chooser, ui);
    BuildModel();
    if (state.range(0) > 0) DeleteHalf(wb);
    if (state.range(0) > 1) wb.Undo.Undo();
    state.ResumeTiming();
    switch (state.range(0)) {
      case 0: DeleteHalf(wb); break;
      case 1: wb.Undo.Undo(); break;
      default: wb.Undo.Redo(); break;
    }
    state.PauseTiming();
    if (Get_TSMObjectsNumber(1) != (state.range(0) == 1 ? 1000 : 500))
      state.SkipWithError("wrong variable count");
    End_data();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_DeleteHalfOf1000)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
