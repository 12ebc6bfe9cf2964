// The fifteen distribution types: quantile functions, quantile tables and
// the distribution files behind the file-based types.
//
// A quantile table is a plain array of N + 1 doubles, entry i the quantile at
// probability i/N; N is QuantileTableSize of the distribution. Tables live
// outside the records (the records never hold pointers).
#pragma once

#include <cmath>
#include <string>
#include <string_view>

#include "tesmira/records.h"

namespace tesmira {

// Table resolution R: the number of intervals of a quantile table of every
// type but the distribution files (100, 1000 or 10000). It is the model's
// resolution (Resolution() of model/store.h, 100 after Init_Model_data); the
// run sets it from its request. The setter ignores other values.
int TableResolution();
void SetTableResolution(int resolution);

// N: 100 for type 11, 1000 for type 14, 10000 for type 15, R for every other type.
int QuantileTableSize(const TDistribution& d);
// The same with an explicit resolution in place of R.
int QuantileTableSize(const TDistribution& d, int resolution);

// The quantile of the distribution at probability u. 0 for type 12, for the
// file types 11, 14 and 15 (their tables are the files) and for invalid codes.
// Never changes the record.
long double DistributionQuantile(const TDistribution& d, long double u);

// Fills table[0..N], N = QuantileTableSize(d) (or of the explicit resolution).
// For the parametric types the end entries are taken at 0.25/N and 1 - 0.25/N
// for types 2, 4..9 and at 0 and 1 for types 1, 3, 10 and 13. The file types
// read their file (ReadQuantileFile); a relative file name is looked up in
// folder (the model folder). Returns false when the table is not completely
// filled (a file that can not be read whole, type 12, an invalid code): such
// a table must not be sampled.
bool TabulateQuantiles(double* table, const TDistribution& d, std::string_view folder = {});
bool TabulateQuantiles(double* table, const TDistribution& d, int resolution,
                       std::string_view folder = {});

// The entry at index round(u N), ties to even; u outside [0, 1] is clamped.
inline double LookupQuantile(const double* table, int n, double u) {
  double k = std::nearbyint(u * n);
  if (!(k >= 0)) k = 0;  // also NaN
  if (k > n) k = n;
  return table[static_cast<int>(k)];
}

// Reads the N + 1 lines of the distribution file of a type 11, 14 or 15
// distribution into table[0..N]: each line holds a label and the quantile,
// separated by blanks or tabs (LF or CR LF line ends). Returns false unless
// all N + 1 lines were read; table entries not read are left as they were.
bool ReadQuantileFile(double* table, const TDistribution& d, std::string_view folder = {});
// The same for an explicit path and N.
bool ReadQuantileFilePath(double* table, int n, const std::string& path);

// The path of a distribution's file: the stored name with '\' as '/', joined to
// folder when relative; when no file has that exact name, a file of the
// folder whose name matches without regard to case.
std::string ResolveDistributionFile(std::string_view storedName, std::string_view folder);

// The 13-character title of a type (" Normal      "), empty outside 1..15.
std::string_view DistributionTitle(int type);

}  // namespace tesmira
