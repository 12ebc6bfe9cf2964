// C++ access to the global model for the other areas of the engine. Node operations work by 1-based
// node index and hide the two node layouts; every walk along links is bounded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tesmira/records.h"

namespace tesmira {

// ---- the global model ----------------------------------------

// The global model record, or nullptr between End_model_data and Init_Model_data.
TModelRecord* Model();
// The design flag: true selects TDepNodeV2, false TDepNodeV1.
bool Design2();
void SetDesign2(bool on);

// Resolution: quantiles per distribution, 100 after Init_Model_data.
int Resolution();
void SetResolution(int resolution);

// Hooks of other areas. Init hooks run at the end of Init_Model_data (forget,
// without freeing, what belonged to the previous model); release hooks run in
// End_model_data after the nodes were freed and before the formulas,
// variables and the model record are (Model() is still valid there), so the
// formula area frees Model()->distTables[1..100] and the simulation area its
// blocks. Registering a hook twice has no effect; register from the code that
// first allocates (a static initialiser in an archive member may never run).
using ModelHook = void (*)();
void RegisterModelInitHook(ModelHook hook);
void RegisterModelReleaseHook(ModelHook hook);

// ---- names -----------------------------------------------------------------

// The text of a NUL-terminated argument (nullptr reads as empty), cut to 32.
std::string_view NameArg(const char* name);
// Copies a text into a caller's out buffer (>= 256 bytes), NUL-terminated.
void CopyOut(char* out, std::string_view text);
// The default name of formula k (1-based): "formula" for 1, "udf<k-1>" else.
std::string DefaultFormulaName(int k);
// The name of formula k, or its default name when the stored name is empty.
std::string FormulaDisplayName(int k);

// ---- variables and formulas -------------------------------------

int VariableCount();
int FormulaCount();
TExtendedRandomVariable* VariableAt(int k);              // 1-based, nullptr outside
TUdf* FormulaAt(int k);                                  // 1-based (slot k-1), nullptr outside
int VariableIndexOf(const TExtendedRandomVariable* rv);  // 0 when not in the table
int FormulaIndexOf(const TUdf* udf);                     // 0 when not in the table
int VariableIndexByName(std::string_view name);
int FormulaIndexByName(std::string_view name);
// Run-time tabulated quantiles of a variable (offset 1099 in the old program): kept
// in a side table, never inside the record. The table is allocated with
// std::malloc by its owner and freed with std::free by the store.
double* VariableQuantiles(const TExtendedRandomVariable* rv);
void SetVariableQuantiles(const TExtendedRandomVariable* rv, double* table);
// Clears every variable's run-time quantile table (freed unless forget) and
// the byte at offset 290.
void ResetRunData(bool forget);

// ---- nodes: both layouts -----------------------------------

int NodeCount();
void* NodeAt(int i);                         // 1-based, nullptr outside 1..count
TDepNodeV2* NodeV2(int i);                   // nullptr outside or with the design flag false
TDepNodeV1* NodeV1(int i);                   // nullptr outside or with the design flag true
int NodeIndexOf(const void* node);           // 0 for none or a pointer not in the table
int NodeIndexByName(std::string_view name);  // Node_exists

std::string NodeVariableName(const void* node);
// TDepNodeV2: the structure name; TDepNodeV1: the variable name.
std::string NodeStructureName(const void* node);
void SetNodeVariableName(void* node, std::string_view name);
void SetNodeStructureName(void* node, std::string_view name);  // TDepNodeV2 only
TExtendedRandomVariable* VariableOfNode(const void* node);

// The V1 parent name (empty for design 2).
std::string NodeParentName(int i);
void SetNodeParentName(int i, std::string_view name);

int NodeDepType(int i);  // -3..4 (0 outside the table)
void SetNodeDepType(int i, int type);
int NodeCopula(int i);  // 0..12 (V1: 0..3)
void SetNodeCopula(int i, int copula);
double NodeCorrelation(int i);  // with the parent
void SetNodeCorrelation(int i, double value);
int NodeVineLevel(int i);
void SetNodeVineLevel(int i, int level);

// The stored child list (k 1-based); ChildAt is 0 outside 1..count.
int ChildCount(int i);
int ChildAt(int i, int k);
int ChildCapacity(int i);  // 256

// The parent of node i (never the node itself; bounded).
int ParentIndex(int i);
// TDepNodeV2 stored parent index (no fallback); 0 for V1.
int StoredParentIndex(int i);
void SetStoredParentIndex(int i, int parent);
int StructureRootOf(int i);  // bounded by the node count
bool IsStructureHead(int i, bool withComposite);
bool IsLinkedNode(int i);
bool InStructure(int i, int root);  // root 0 = none
// Node index of ResolveNode(node, fallback); 0 for none.
int ResolveNode(const void* node, bool fallback);

// Type tests on a node index (false outside the table).
bool IsTreeOrLatent(int i);
bool IsVineType(int i);
bool IsVineOrMatrixType(int i);
bool IsCompositeType(int i);
bool IsLatentType(int i);
bool IsVineHeadWithChildren(int i);
bool IsDVineSampled(int i);
bool IsNormalVine(int i);
bool IsCanonicalVineNode(int i);

// Linking. AttachChild does nothing with the design flag false.
void AttachChild(int parent, int child);
int RemoveChild(int child, int parent);  // former position, 0 when not found

// Correlation values (slots 1..512). V2: floats; V1: the int16 codes,
// read and written through the V1 encoding below.
float* NodeValuesV2(int i);    // nullptr unless design 2
int16_t* NodeValuesV1(int i);  // nullptr unless design 1
// The V1 int16 correlation encoding, honouring the vine code's
// matrix mode (state of the vine code, set by it through these).
int16_t EncodeCorrV1(double value);
double DecodeCorrV1(int16_t code);
bool V1MatrixMode();
void SetV1MatrixMode(bool on);

// Titles.
std::string_view DependenceTypeTitle(int type);  // empty outside -3..4
std::string_view CopulaTitle(int copula);        // empty outside 0..12

// ---- engine state of the structures ------------------------------------------

void* CurrentRoot();     // the current structure root (a node pointer) or nullptr
int CurrentRootIndex();  // 0 when none or not in the table
void SetCurrentRoot(void* node);
int CurrentDependenceType();
void SetCurrentDependenceType(int type);
// Type of the current structure: the current root's type, else the current
// dependence type.
int CurrentStructureType();
int MergeOffset();
bool OldDiagonalBandMode();

// Structure iteration: Begin saves the current root; Next makes
// the next structure root current and returns its index (0 at the end); End
// restores the saved root.
void StructureScanBegin();
int StructureScanNext();
void StructureScanEnd();

// Saved alternative structure.
bool SaveStructure();
bool SwapWithSavedStructure();
bool SavedStructureMatches();
void FreeSavedStructure();
bool SavedStructureExists();
// Copies the saved values and types back over the current ones (the saved
// copy stays); false when nothing is saved.
bool RestoreSavedStructure();
// The dependence type saved for node i (0 when nothing is saved).
int SavedDepType(int i);

// Structure names.
std::string StructureDisplayName(const void* root);
std::string ComposeStructureName(const void* root);

}  // namespace tesmira
