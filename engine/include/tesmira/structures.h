// Dependence nodes and structures in the store, the current structure,
// structure names and saved structures.
//
// A node argument is a pointer to one of the store's node records (a
// TDepNodeV2* or a TDepNodeV1* by the design flag) or NULL ("none"); a
// pointer that is not in the node table fails quietly with the neutral result.
#pragma once

#include <stdbool.h>
#include <stdint.h>

#include "tesmira/api.h"
#include "tesmira/records.h"

#ifdef __cplusplus
extern "C" {
#endif

// 256-bit set: bit (type AND 255) for every structure type of the model.
typedef struct TDependenceTypeSet {
  uint8_t bits[32];
} TDependenceTypeSet;

#ifdef __cplusplus
}  // extern "C"
TESMIRA_RAW_RECORD(TDependenceTypeSet);
static_assert(sizeof(TDependenceTypeSet) == 32);
#endif

// Process_dep_node operations.
enum {
  DepNodeAttach = 0,
  DepNodeDetach = 1,
  DepNodeCount = 2,
  DepNodeChild = 3,
  DepNodeParent = 4,
  DepNodeRoot = 5,
  DepNodeIsParent = 6,
  DepNodeIsChild = 7
};

// ---- nodes, links, types ----------------------------------------------------

// record may be NULL; size := 6720 or 1108.
TESMIRA_API int32_t Create_dep_node(const void* record, void** out, int32_t* size);
TESMIRA_API int32_t Update_dep_node(const void* record, void** out, const char* newName);
TESMIRA_API int32_t Delete_dep_node(void* node);
TESMIRA_API void* Fetch_dep_node(int32_t index, const char* name);
TESMIRA_API bool Process_dep_node(void* node, void** inoutNode, int32_t* inoutInt,
                                  int32_t operation);
TESMIRA_API int32_t Update_dep_structure(void);

TESMIRA_API int32_t GetDependenceType(void* node);
TESMIRA_API int32_t SetDependenceType(void* node, int32_t type);
TESMIRA_API int32_t GetBivariateType(void* node);
TESMIRA_API int32_t SetBivariateType(void* node, int32_t copula);
TESMIRA_API double Get_node_correlation_with_parent(void* node);
TESMIRA_API bool Set_node_correlation_with_parent(void* node, float value);
// out: >= 256 bytes, the node's variable name (empty for none).
TESMIRA_API void GetDepNodeName(void* node, char* out);
TESMIRA_API void SetDepNodeName(void* node, const char* name);
TESMIRA_API bool SetDepNodeOrder(void* node, int16_t order);
TESMIRA_API bool IsVine(void* node);
TESMIRA_API bool IsVineOrMatrix(void* node);
TESMIRA_API bool IsCompositeNode(void* node);
TESMIRA_API bool IsLatentNode(void* node);
TESMIRA_API void GetModelDependenceTypes(TDependenceTypeSet* out);
// message: >= 256 bytes; empty when the value is accepted.
TESMIRA_API bool CheckDepValue(char* message, double value);
TESMIRA_API void SetMergeMode(bool on);
TESMIRA_API bool GetExposedVinesInTrees(void);
TESMIRA_API void SetExposedVinesInTrees(bool flag);
// The engine's OldDiagonalBandMode flag, set by the simulation dialog.
TESMIRA_API void SetOldDiagonalBandMode(bool on);
TESMIRA_API bool GetOldDiagonalBandMode(void);
// Titles of dependence types -3..4 and copula types 0..12 (out >= 256 bytes;
// empty outside the range; result false there).
TESMIRA_API bool GetDependenceTypeTitle(int32_t type, char* out);
TESMIRA_API bool GetCopulaTitle(int32_t copula, char* out);

// ---- current structure, names, saved structure ------------------------------

// Returns the previous current root.
TESMIRA_API void* SetCurrentDependenceStructureRoot(void* node, const char* name);
TESMIRA_API void* GetCurrentDependenceStructureRoot(void);
TESMIRA_API void* GetNextDepStructure(void);
TESMIRA_API int32_t GetNumberOfNodesInStructure(void);
TESMIRA_API bool ThisNodeInStructure(void* node);
// typeText, copulaText: >= 256 bytes each. 1, or 0 for an unknown type.
TESMIRA_API int32_t GetDependenceStrings(void* node, char* typeText, char* copulaText);
TESMIRA_API bool MatchAndSwapDepStructures(int32_t type);
TESMIRA_API void ReleaseSavedStructure(void);
