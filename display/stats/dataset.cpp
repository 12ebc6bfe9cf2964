#include "stats/dataset.h"

#include <cstdio>

namespace stats {

Dataset::Dataset(std::int32_t points, std::int32_t variables) : Values(variables, points) {
  std::int32_t rows = Values.Rows();
  VariableNames.resize(static_cast<std::size_t>(rows));
  for (std::int32_t i = 0; i < rows; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "var%03d", i);
    VariableNames[static_cast<std::size_t>(i)] = name;
  }
  SortedValid.assign(static_cast<std::size_t>(rows), 0);
  SortedColumns.resize(static_cast<std::size_t>(rows));
}

bool Dataset::ValidVariable(std::int32_t variable) const {
  return variable >= 0 && variable < Values.Rows();
}

void Dataset::SetVariableName(std::int32_t variable, const std::string& name) {
  if (ValidVariable(variable)) VariableNames[static_cast<std::size_t>(variable)] = name;
}

std::string Dataset::GetVariableName(std::int32_t variable) const {
  return ValidVariable(variable) ? VariableNames[static_cast<std::size_t>(variable)]
                                 : std::string();
}

std::int32_t Dataset::NumPoints() const { return Values.Rows() > 0 ? Values.Row(0).Size() : 0; }

double Dataset::GetValue(std::int32_t point, std::int32_t variable) const {
  return Values.Row(variable)[point];
}

void Dataset::SetValue(std::int32_t point, std::int32_t variable, double value) {
  Values.Row(variable)[point] = value;
  if (ValidVariable(variable)) SortedValid[static_cast<std::size_t>(variable)] = 0;
}

double Dataset::ColumnMin(std::int32_t variable) const { return Values.Row(variable).Min(); }

double Dataset::ColumnMax(std::int32_t variable) const { return Values.Row(variable).Max(); }

const Vector& Dataset::SortedColumn(std::int32_t variable) {
  if (!ValidVariable(variable)) return Values.Row(variable);  // reports, gives row 0
  std::size_t v = static_cast<std::size_t>(variable);
  if (!SortedValid[v] || !SortedColumns[v]) {
    SortedColumns[v] = std::make_unique<Vector>(Values.Row(variable));
    SortedColumns[v]->Sort();
    SortedValid[v] = 1;
  }
  return *SortedColumns[v];
}

double Dataset::GetSorted(std::int32_t k, std::int32_t variable) {
  return SortedColumn(variable)[k];
}

}  // namespace stats
