#include "dependence_menu.h"

#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/records.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"

namespace tesmira::wb {

namespace {

void* ParentOf(void* node) {
  void* parent = nullptr;
  return Process_dep_node(node, &parent, nullptr, DepNodeParent) ? parent : nullptr;
}

int ChildCount(void* node) {
  int32_t count = 0;
  return Process_dep_node(node, nullptr, &count, DepNodeCount) ? count : 0;
}

bool IsFree(void* node) { return !ParentOf(node) && ChildCount(node) == 0; }

bool CurrentIsCorrelationMatrix() {
  void* root = GetCurrentDependenceStructureRoot();
  return root && GetDependenceType(root) == DepCorrelationMatrix;
}

}  // namespace

int CountFreeNodesAndStructureRoots() {
  int sum = 0;
  for (int n = 1; n <= Get_TSMObjectsNumber(ObjDependenceNode); ++n) {
    void* node = Get_TSMObject(n, ObjDependenceNode);
    if (!node) continue;
    if (IsFree(node)) {
      ++sum;
    } else if (IsVineOrMatrix(node)) {
      void* parent = ParentOf(node);
      if (!parent || GetDependenceType(parent) == DepCompositeNode) ++sum;
    }
  }
  return sum;
}

std::vector<int> CopulaCodes(bool treeMode) {
  std::vector<int> codes{CopulaFrank, CopulaDiagonalBand};
  if (treeMode) codes.push_back(CopulaMinimumInformation);
  for (int c = CopulaElliptical; c <= CopulaGumbel + 3; ++c) codes.push_back(c);
  return codes;
}

TDependenceMenuState DependenceMenuState(const TDependencePanelState& panel) {
  TDependenceMenuState s;
  s.vineMenuVisible = panel.vinesMode && panel.panelVisible;
  s.treeMenuVisible = panel.treeMode && panel.panelVisible;

  const int sum = CountFreeNodesAndStructureRoots();
  s.addNew = s.exportItem = sum > 0;
  s.correlationMatrix = sum == Get_TSMObjectsNumber(ObjDependenceNode);

  void* root = GetCurrentDependenceStructureRoot();
  s.rename = panel.panelVisible && root && !panel.nameBoxEmpty;
  s.setCorrelation = panel.panelVisible && root && GetNumberOfNodesInStructure() > 0;

  s.copulaCodes = CopulaCodes(panel.treeMode);
  s.copulaCode = root ? GetBivariateType(root) : -1;

  s.erase = panel.vinesMode && (panel.vineEraseEnabled || panel.matrixViewChecked);
  s.eraseCaption = panel.vinesMode && !panel.matrixViewChecked ? "Erase" : "Erase matrix";
  s.next = panel.structureNamesShown > 1;
  s.transcend = s.erase && panel.vinesMode && !panel.matrixViewChecked;
  s.destroyAllVines = panel.vinesMode;

  s.removeNode =
      (panel.selectedTreeNodeHasParent && panel.treeVisible) || panel.vineViewAllowsRemove;
  if (panel.vinesMode && Vine_IsTranscended() >= 1) s.removeNode = false;
  return s;
}

void UnmarkFreeDependenceNodes() {
  if (CurrentIsCorrelationMatrix()) return;
  for (int n = 1; n <= Get_TSMObjectsNumber(ObjDependenceNode); ++n) {
    void* node = Get_TSMObject(n, ObjDependenceNode);
    if (node && IsFree(node)) Mark_TSMObjectSelected(n, ObjDependenceNode, false);
  }
}

void MarkObjectsForSave() {
  Mark_AllTSMObjectsSelected(true);
  UnmarkFreeDependenceNodes();
}

}  // namespace tesmira::wb
