// Module state of the model store (private to engine/src/model).
#pragma once

#include <array>
#include <unordered_map>
#include <vector>

#include "model/store.h"

namespace tesmira::detail {

struct StoreState {
  TModelRecord* model = nullptr;
  bool design2 = true;
  int resolution = 100;
  int mergeOffset = 0;
  int currentDepType = 0;
  void* currentRoot = nullptr;
  // Structure scan.
  int scanPos = 0;
  void* scanSavedRoot = nullptr;
  bool scanHasSaved = false;
  bool scanYielded = false;
  // Flags of the structures and the vine code.
  bool exposedVines = false;
  bool oldDiagonalBand = false;
  bool v1MatrixMode = false;
  // Saved alternative structure: with design 2 the node table
  // itself; with design 1 a table of copies (1-based).
  bool savedExists = false;
  std::vector<TDepNodeV1*> savedV1;
  // With design 2 the links of every node at the save (1-based): a slot's
  // place depends on the node's child count, so the saved values come back
  // only together with the layout they were stored in.
  struct SavedLinks {
    int16_t parent = 0;
    int16_t childCount = 0;
    std::array<int16_t, MaxChildren> children{};
  };
  std::vector<SavedLinks> savedLinksV2;
  // Side table of run-time quantiles.
  std::unordered_map<const TExtendedRandomVariable*, double*> quantiles;
  std::vector<ModelHook> initHooks;
  std::vector<ModelHook> releaseHooks;
};

StoreState& State();

// Frees node records, the record memory functions used throughout.
void* AllocRecord(std::size_t size);
void FreeRecord(void* p);

}  // namespace tesmira::detail
