// The formula language: checking formulas and the predefined words.
//
// Conventions as in model.h: texts are NUL-terminated code page 437 texts,
// out texts are caller buffers of at least 256 bytes.
#pragma once

#include <stdint.h>

#include "tesmira/api.h"
#include "tesmira/records.h"

// Checks formulas of the global model (variables count 0 in a check).
//   *formula a formula of the model, text empty: checks that formula with the
//     formulas it needs;
//   *formula a formula of the model, text given: the same with text in place
//     of the formula's own text;
//   *formula none or not in the model, text given: checks the text as a new
//     formula after the last one;
//   *formula none (or not in the model), text empty: checks the whole set.
// Returns 1 with *value when valid. Returns 0 when not: text (a buffer of at
// least 256 bytes, when given) receives the message, and when neither a
// formula nor a text was given *formula is set to the formula in which the
// error was found (none when there is no such formula).
TESMIRA_API int32_t Process_UDF(TUdf** formula, char* text, double* value);

// The predefined words by group: 0 constants (3), 1 one-argument functions
// (16), 2 multi-argument functions (4); 0 for other groups.
TESMIRA_API int32_t GetNumberOfPredefinedFormulaStrings(int32_t group);
// Index 0 gives the group's title, 1..count its words; out receives "" for
// anything else.
TESMIRA_API void GetPredefinedFormulaString(int32_t group, int32_t index, char* out);
