// The modular sample header reader (".samhdr": an XML header
// naming the variables and, for each, a binary file of 4-byte floats).
#pragma once

#include <cstdint>
#include <string>

#include "reader_host.h"
#include "sample_store.h"

namespace tesvane {

// Reads the header named by store.FileName into the store. `selection`
// (positions among the header's variables), when given, replaces the
// selection step. Returns true when it completes; raises ESensitivityError
// naming the file otherwise. The store is changed only on success.
bool ReadModularSampleHeader(TFileData& store, const TIntList* selection, TReaderHost& host);

// Fills buffer[0..high] from the little-endian 4-byte floats of the file at
// path, in blocks of 32768 records. Raises "The size of the array passed in
// must equal the number of records in the file" or "Error reading block from
// binary file" (each followed by ": " and the path).
void ReadBinarySingles(float* buffer, int64_t high, const std::string& path);

// Where a binary file named in a header is found: an absolute path as it
// stands; a relative one (with '\' or '/') beside the header, then in the
// current folder; the last component is looked up without regard to case.
std::string ResolveBinaryPath(const std::string& headerPath, const std::string& binaryName);

}  // namespace tesvane
