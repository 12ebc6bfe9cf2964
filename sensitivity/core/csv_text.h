// CSV fields for the result export: a text that holds the
// separator, a quote or a line break is quoted, its quotes doubled.
#pragma once

#include <string>
#include <vector>

namespace tesvane {

std::string CsvField(const std::string& text, char separator = ',');
// The fields joined by the separator, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields, char separator = ',');

}  // namespace tesvane
