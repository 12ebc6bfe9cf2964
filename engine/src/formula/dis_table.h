// Distribution tables used as functions of the formula language: a ".DIS"
// file of two columns (a probability label and a quantile per line), looked
// up as the tabulated distribution function.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tesmira::formula {

// Largest number of rows of a table file.
inline constexpr int MaxTableRows = 10001;

struct DisTable {
  std::string name;             // lower-case
  std::vector<double> column1;  // labels
  std::vector<double> column2;  // quantiles
  bool ascending = false;       // column 2 never decreases

  int Rows() const { return static_cast<int>(column1.size()); }
  // column1[k] / (rows - 1), k the last row whose column-2 value is at most x
  // (row 0 when x lies below all of them).
  double Value(double x) const;
};

// Reads a table file: every non-blank line gives two reals (point decimal
// separator); anything after them on the line is ignored. False when the file
// cannot be read, a line does not give two reals, or the file has fewer than
// 2 or more than MaxTableRows rows.
bool ReadDisTable(const std::string& path, DisTable& table);

// The path of the file name + ".DIS" in folder, matched without regard to
// case; empty when there is none. A folder may use "\" or "/"; an empty
// folder is the current one.
std::string FindDisFile(std::string_view folder, std::string_view name);

}  // namespace tesmira::formula
