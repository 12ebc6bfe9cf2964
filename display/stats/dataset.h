#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "stats/vector.h"

namespace stats {

// Named data points by variable: one row of Values per variable, one column per
// data point.
class Dataset : public TSObject {
 public:
  Dataset(std::int32_t points, std::int32_t variables);

  void SetName(const std::string& name) { Name = name; }
  const std::string& GetName() const { return Name; }
  void SetDistributionName(const std::string& name) { DistributionName = name; }
  const std::string& GetDistributionName() const { return DistributionName; }
  void SetVariableName(std::int32_t variable, const std::string& name);
  std::string GetVariableName(std::int32_t variable) const;

  std::int32_t NumPoints() const;
  std::int32_t NumVariables() const { return Values.Rows(); }
  double GetValue(std::int32_t point, std::int32_t variable) const;
  void SetValue(std::int32_t point, std::int32_t variable, double value);
  // The variable's values in point order (for bulk reads).
  const Vector& Column(std::int32_t variable) const { return Values.Row(variable); }
  double ColumnMin(std::int32_t variable) const;
  double ColumnMax(std::int32_t variable) const;
  // The variable's values sorted ascending; cached until the next SetValue of it.
  const Vector& SortedColumn(std::int32_t variable);
  double GetSorted(std::int32_t k, std::int32_t variable);

 private:
  bool ValidVariable(std::int32_t variable) const;

  std::string Name = "Noname";
  std::string DistributionName = "Unknown";
  RealMatrix Values;
  std::vector<std::string> VariableNames;
  std::vector<std::int32_t> SortedValid;
  std::vector<std::unique_ptr<Vector>> SortedColumns;
};

}  // namespace stats
