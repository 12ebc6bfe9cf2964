// The comma-separated sample reader (".sae", ".csv", ".rvinfo")
// and the converter of one-value-per-line ".sam" files into ".sae" files.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "reader_host.h"
#include "sample_store.h"

namespace tesvane {

// Reads store.FileName into the store. `selection` (positions of columns),
// when given, replaces the selection step. Returns false when the file does
// not exist, or after the "no enough memory" message; raises
// ESensitivityError (naming the file) when the file cannot be used: no line,
// no variable name, no sample. The store is changed only on success.
bool ReadTextSamples(TFileData& store, const TIntList* selection, TReaderHost& host);

// Writes the ".sae" beside the ".sam" at `path`. Reports its failures through
// the host's messages and returns false; raises ESensitivityError when an
// existing ".sae" cannot be moved aside to "<base>_bak.sae".
bool ConvertSamToSae(const std::string& path, TReaderHost& host);

// The names line: split at commas outside single or double quotes; blanks at
// the start of a piece are skipped; empty pieces are dropped; a piece that is
// wholly quoted loses its quotes.
std::vector<std::string> SplitNamesLine(std::string_view line);

// A data line as comma-text: fields separated by commas and blanks (any
// character up to ' '); a field in double quotes may hold both, and a doubled
// double quote inside it stands for one. `scratch` keeps the unquoted texts.
void SplitCommaText(std::string_view line, std::vector<std::string_view>& fields,
                    std::deque<std::string>& scratch);

// Parses a whole field as a finite double in the C locale (a leading '+' is
// accepted); false for anything else.
bool ParseSampleValue(std::string_view text, double& value);

}  // namespace tesvane
