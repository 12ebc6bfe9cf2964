// Small questions and changes about the model that the windows share: the
// model type and modified state, unique names, the file names of file-based
// distributions, formula references, and the indices and captions of
// dependence nodes. They keep no state; they read and write the engine's
// model through its interface. Names and captions are code page 437 texts,
// as the engine keeps them.
#pragma once

#include <stdexcept>
#include <string>

#include "number_format.h"
#include "services.h"
#include "tesmira/records.h"

namespace tesmira::wb {

class TWorkbench;

class EWorkbenchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The five display settings as the engine keeps them for the model files.
TDisplaySettings CurrentDisplaySettings();
void SetCurrentDisplaySettings(const TDisplaySettings& settings);

// Numbers and correlations in the formats of the engine's display settings.
std::string FormatNumber(double value);
std::string FormatCorrelation(double value);

// Model type of the open model's file header: 1 FAULT TREE, 2 FORMULA, 3 ZOZIVOR.
int GetHeaderModelType();
void SetHeaderModelType(int type);

// Marks the model changed or saved. With an output or sample file open it
// only clears the modified flag; a change clears the report flag. force has
// no effect.
void SetModified(TWorkbench& wb, bool modified, bool force = false);

// The first random variable reads a sample file (type 12): 1, else -1.
int FirstSampleFileVariable();
bool IsSampleInputModel();

// Kind 1: the position of the variable of that name among the variables;
// another kind raises EWorkbenchError "tsmName2Idx for unknown DT".
int VariableIndexByName(int kind, const std::string& name);
// A name no variable, formula or node has: the name's trailing number
// counted up (from 1 without one); an empty name starts from "V0" (kind 1) or
// "LATENT0" (kind 7).
std::string UniqueObjectName(const std::string& name, int kind);

bool IsFileBasedDistribution(int distType);
std::string GetDistributionFileName(const TExtendedRandomVariable& rv);
std::string GetProbabilityFileName(const TExtendedRandomVariable& rv);
// Stores the name, cut to the field: 253 characters for type 11, 126 otherwise.
void SetDistributionFileName(TExtendedRandomVariable& rv, const std::string& name);
// Linked variables' distribution files expanded against their linked file's folder.
void ResolveLinkedDistributionFiles(const TWorkbench& wb);
// The linked variable's (1-based index) distribution file made relative to the model file.
void RelativizeDistributionFile(const TWorkbench& wb, int index);
void RelativizeAllDistributionFiles(const TWorkbench& wb);

// The 1-based index of the formula named reference (searching from the last),
// or of a nameless formula shown as " " + text + description, in which case
// reference becomes that formula's name; 0 when none.
int ResolveFormulaReference(std::string& reference);
// Rewrites the references to oldName in every formula but skipIndex; returns
// the message that names the formulas updated and those not updated (UTF-8),
// or an empty text.
std::string RenameReferences(int skipIndex, const std::string& oldName, const std::string& newName);

// Display index of a node whose name is not a variable's: the number of
// variables + 1 + such nodes before it; -1 when the node is not in the model.
int ExtraNodeIndex(void* node);
void* NthExtraNode(int n);
bool ShowsStructureName(void* node);
std::string StructureNodeCaption(void* node);
std::string DependenceNodeCaption(TWorkbench& wb, void* node, bool withCorrelation, bool withIndex);
// A new dependence node object of that name (cut to 32 characters), or null.
void* CreateNamedDependenceNode(const std::string& name);
bool IsLatent(void* node);
// 1-based position of the node's first item in the tree's flat order; 0 when none.
int TreeIndexOfNode(IDependenceTree& tree, void* node);
// Moves the tree items of the current structure under their model parents'
// items, then attaches every item's node to its parent item's node.
void ReparentTreeItems(TWorkbench& wb);

// A cell of the correlation grid (one header row and column).
struct TGridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};
// Walks the upper triangle of the matrix of the given nodes: false at the
// first empty cell (wantEmpty false) or the first set cell (wantEmpty true),
// stored in cell when given; true when no such cell exists.
bool CheckMatrixCells(const std::vector<void*>& nodes, bool wantEmpty, TGridRect* cell = nullptr);

}  // namespace tesmira::wb
