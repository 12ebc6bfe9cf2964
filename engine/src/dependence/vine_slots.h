// Where the values of correlation matrices and vines live in the dependence
// nodes: positions of a structure's nodes, vine slots, matrix cells, reading
// and writing a slot in either node layout, and the last-error text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tesmira {

inline constexpr int TopSlot = 512;

// ---- last-error text ------------------------------------------------------------
void ClearVineError();
void SetVineError(std::string_view text);
const std::string& VineError();

inline constexpr std::string_view MsgNoMemory = "Not enough memory to allocate conversion matrix. ";
inline constexpr std::string_view MsgNotMatrix =
    "The input structure is not a correlation matrix. ";
inline constexpr std::string_view MsgEmptyCells =
    "The input correlation matrix contains empty or invalid data cells. ";
inline constexpr std::string_view MsgNotPositiveDefinite =
    "The correlation matrix is found to be NOT positive definite. ";
inline constexpr std::string_view MsgNotVine = "The input structure is not a valid vine. ";

// ---- markers --------------------------------------------------------------------
// Slot values are singles (or int16 codes), so the markers compare with a tolerance.
bool IsCorrNotSet(double x);
bool IsCorrUnavailable(double x);

// ---- structures -----------------------------------------------------------------

// The nodes an initialisation touches: the current root and every node below
// it, or every node of the model when there is no current root or it has no
// children. In node-index order.
std::vector<int> CurrentStructureMembers();

// The node at position c (1 = root) of the structure headed by root: the
// root's (c-1)-th child when the root has that many children (a star), else
// the node reached by following the first child c-1 times (a chain); 0 when
// there is none.
int NodeAtPosition(int root, int c);

// Positions 1..n of the structure headed by root, n the number of linked nodes
// in it; entries 0 where a position is empty.
std::vector<int> NodesByPosition(int root, int n);

// The roots to work on: the given root, or (given 0) every structure root of
// the model whose dependence type is type, in the order of the structure scan.
std::vector<int> StructureRootsOfType(int given, int type);

// Sets every value slot after the child list of the given nodes to
// CorrNotSet (old design: the code -1), the state of a new matrix.
void MarkMatrixCellsNotSet(const std::vector<int>& members);

// Number of linked nodes in the structure headed by root.
int LinkedNodesInStructure(int root);

// The current structure is a vine (its root is a vine or a composite node).
bool CurrentIsVine();
// The current structure is a correlation matrix.
bool CurrentIsMatrix();

// ---- slots ------------------------------------------------------------------------

// Vine slot of (node, level), 0 when not addressable.
int VineSlot(int node, int level);
// Matrix cell of two different nodes: the holding node and slot; false when
// the cell cannot be addressed.
bool MatrixCell(int a, int b, int& holder, int& slot);
// The same with the nodes' matrix positions already known (MatrixPositions).
bool MatrixCellAt(int a, int pa, int b, int pb, int& holder, int& slot);
// Matrix positions of every node 0..count (index 0 unused) under root: the
// place on the chain of first children, else the node's table index.
std::vector<int> MatrixPositions(int root);

// Slot s (1..512) of node i, as a correlation (V1 codes decoded).
double ReadSlot(int i, int s);
// Stores x in slot s of node i (V1: its int16 code); true when the slot did
// not already hold x (V2: the stored single compared with x as a double;
// V1: the stored code compared with the code of x).
bool WriteSlot(int i, int s, double x);
// Raw slot access for edge values: V1 the int16, V2 the single.
double ReadRawSlot(int i, int s);
void WriteRawSlot(int i, int s, double raw);

}  // namespace tesmira
