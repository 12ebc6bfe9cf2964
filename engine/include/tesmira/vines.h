// Correlation matrices and vines stored in the dependence nodes, and the
// conversion between rank and product-moment correlations.
//
// A node argument is a pointer to one of the store's node records (a
// TDepNodeV2* or a TDepNodeV1* by the design flag). Every operation works on
// the current dependence structure (SetCurrentDependenceStructureRoot).
// Failures are reported by the result and leave one engine-wide last-error
// text, read with Vine_RetrieveErrorMessage.
#pragma once

#include <stdbool.h>
#include <stdint.h>

#include "tesmira/api.h"
#include "tesmira/records.h"

#ifdef __cplusplus
extern "C" {
#endif

// Progress of a vine or matrix conversion: percent of the work done (of
// total, 100); returning false asks the conversion to stop.
typedef bool (*TVineProgressCallback)(int16_t percent, int32_t total);

#ifdef __cplusplus
}  // extern "C"
#endif

// ---- rank and product-moment correlation ---------------------------------

// Table lookup between a rank correlation and the product-moment value
// (rankToProduct true) or back (false). Values outside [-1, 1] come back
// unchanged.
TESMIRA_API double Vine_Rank2prod_corr(bool rankToProduct, double x);

// ---- correlation matrices ---------------------------------------------------

// Current dependence type 1 only: rebuilds the store's structures and marks
// every cell of the matrix nodes as not set.
TESMIRA_API bool CMatrix_Initialize(void);
// Checks the current matrix (or every matrix of the model) for empty cells and
// positive definiteness; with convert, rebuilds each as a canonical vine.
TESMIRA_API bool CMatrix_Verify(bool convert);
// 1.0 on the diagonal; CorrUnavailable when the cell cannot be addressed.
TESMIRA_API double CMatrix_GetCell(void* nodeA, void* nodeB);
// Stores x (-1 < x < 1) in an addressable cell off the diagonal.
TESMIRA_API bool CMatrix_SetCell(void* nodeA, void* nodeB, double x);
// Makes every other node a child of the current root (a star for a new matrix).
TESMIRA_API void AddAllNodesToStructure(void);

// ---- vines -------------------------------------------------------------------

TESMIRA_API bool Vine_InitVine(void);
// level 0 acts as Vine_InitVine; otherwise keeps only the first level levels.
TESMIRA_API bool Vine_InitVineLevels(int32_t level);
// -1 unless the current structure is a valid vine; else its highest level set.
TESMIRA_API int32_t Vine_IsTranscended(void);
TESMIRA_API int32_t Vine_MaxTranscended(void);
// Whether the current structure is a vine with consistent levels and every
// value set strictly inside (-1, 1).
TESMIRA_API bool Vine_VerifyVine(void);
TESMIRA_API double Vine_GetCorrValue(void* node, int32_t level);
TESMIRA_API bool Vine_SetCorrValue(void* node, int32_t level, double x);
TESMIRA_API int32_t Vine_GetEdgeValue(void* node, int32_t level);
TESMIRA_API bool Vine_SetEdgeValue(void* node, int32_t level, int16_t value);
// out: >= 256 bytes, the last-error text.
TESMIRA_API void Vine_RetrieveErrorMessage(char* out);
// Clears the current structure, then counts the vines of the model that have
// at most one level.
TESMIRA_API int32_t Vine_CheckNotTranscended(void);

// ---- conversions ---------------------------------------------------------------
// Each works on the current structure, or on every structure of its source
// type when there is none; method 1..4 selects how partial correlations are
// evaluated (1 plain recursion, exponential in the node count; 2..4
// memoised; 0 means 3). The callback (may be NULL) receives the percent done
// and cancels by returning false; a cancelled or failed structure is left as
// it was. The structures are saved once before the first one is rewritten.

// A D-vine into a correlation matrix (or, with toCanonical, a canonical
// vine); 1 done, 0 failed or cancelled.
TESMIRA_API int32_t Vine_MorvikToCMatrix(TVineProgressCallback callback, int16_t method,
                                         bool toCanonical);
TESMIRA_API int32_t Vine_MorvikToCanonical(TVineProgressCallback callback, int16_t method);
// A correlation matrix into a D-vine; 1 done, 0 failed or cancelled.
TESMIRA_API int32_t CMatrix_toMorvik(TVineProgressCallback callback, int16_t method);
// A canonical vine into a correlation matrix (or, with toMorvik, a D-vine).
TESMIRA_API bool CanVine_toCMatrix(bool toMorvik, TVineProgressCallback callback, int16_t method);
