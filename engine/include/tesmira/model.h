// The model record's life cycle and the model store interface.
//
// Conventions (DESIGN.md section 4): names are NUL-terminated code page 437
// texts of which at most the first 32 characters count; out texts are caller
// buffers of at least 256 bytes; records are pointers to the packed structs
// of records.h; fetch operations return pointers to the engine's own records,
// create and update operations copy the caller's record in.
//
// Results of the store operations: a positive 1-based index on success, 0 when
// nothing was found or nothing could be done, minus the index of the object
// that already holds a requested name.
#pragma once

#include <stdbool.h>
#include <stdint.h>

#include "tesmira/api.h"
#include "tesmira/records.h"

// ---- the model record and its records ---------------------------------------

// Allocates and clears the global model record (and resets the engine state
// that belongs to a model); returns it. An existing model is released first.
TESMIRA_API TModelRecord* Init_Model_data(void);
// Frees every record of the model and the model record itself.
TESMIRA_API void End_model_data(void);

// Sets the design flag to (version >= 2.0) and returns it.
TESMIRA_API bool Set_model_dep_type(double version);
// The design flag: true for TDepNodeV2 nodes, false for TDepNodeV1.
TESMIRA_API bool IsNodeDesign2(void);

TESMIRA_API double GetDataDesignVersion(void);
TESMIRA_API double GetVelnarVersion(void);

// Clears name, type, offset 290 and description of a variable record; returns it.
TESMIRA_API TExtendedRandomVariable* Ran_var_init(TExtendedRandomVariable* rv);
// A new variable record; the store copies records in, so the caller frees
// it with Free_record.
TESMIRA_API TExtendedRandomVariable* Init_extended_random_variable(void);
// Design flag false only: clears a TDepNodeV1.
TESMIRA_API void Dep_node_init(TDepNodeV1* node);
TESMIRA_API TDepNodeV1* Init_dep_node(void);
TESMIRA_API TDepNodeV2* NewDepNodeV2(void);
// Frees a record returned by Init_extended_random_variable, Init_dep_node or
// NewDepNodeV2 that was not handed to the store (the store copies records in).
TESMIRA_API void Free_record(void* record);
// 6720 or 1108 by the design flag.
TESMIRA_API int32_t DepNodeSize(void);

TESMIRA_API int32_t GetModelType(void);
TESMIRA_API bool IsZoziVorModel(void);
TESMIRA_API void SetModelType(int32_t type);

TESMIRA_API bool IsMissingValue(double value);

// ---- the model store ---------------------------------------------------------

TESMIRA_API int32_t Variable_exists(const char* name);
TESMIRA_API int32_t UDF_exists(const char* name);
TESMIRA_API int32_t Node_exists(const char* name);
// kind in/out: 1, 6, 7 or 16 restrict the search; any other kind searches
// variables, formulas, then nodes and reports 1, 6 or 7 for the hit.
TESMIRA_API int32_t Object_exists(const char* name, int32_t* kind);

// index 0 with a name looks the name up; a negative index counts from the end.
TESMIRA_API TExtendedRandomVariable* Fetch_extended_random_variable(int32_t index,
                                                                    const char* name);
TESMIRA_API TUdf* Fetch_UDF(int32_t index, const char* name);

TESMIRA_API int32_t GetNumberOfRandomVariables(void);
TESMIRA_API int32_t GetNumberOfFormulas(void);
// all false and design 2: composite nodes are not counted.
TESMIRA_API int32_t GetNumberOfDepNodes(bool all);
// 1-based; none outside 1..count.
TESMIRA_API TExtendedRandomVariable* GetRanVar(int32_t k);
// 1-based; a TDepNodeV2* or TDepNodeV1* by the design flag; none outside 1..count.
TESMIRA_API void* GetNode(int32_t k);
// 0-based (formula k+1); none outside 0..count-1.
TESMIRA_API TUdf* GetUDF(int32_t k);

TESMIRA_API int32_t Create_extended_random_variable(const TExtendedRandomVariable* record,
                                                    TExtendedRandomVariable** out, int32_t* size);
TESMIRA_API int32_t Update_extended_random_variable(const TExtendedRandomVariable* record,
                                                    TExtendedRandomVariable** out,
                                                    const char* newName, bool propagate);
TESMIRA_API int32_t Delete_extended_random_variable(TExtendedRandomVariable* record,
                                                    bool deleteNode);

TESMIRA_API int32_t Create_UDF(const TUdf* record, TUdf** out, int32_t* size);
TESMIRA_API int32_t Update_UDF(const TUdf* record, TUdf** out, const char* newName);
TESMIRA_API int32_t Delete_UDF(TUdf* record);

// Copies text with every blank removed into out (>= 256 bytes).
TESMIRA_API void RemoveSpacesFS(const char* text, char* out);

// The first node's variable is of type 12 (Sample File).
TESMIRA_API bool IsModelWithInputSamples(void);
