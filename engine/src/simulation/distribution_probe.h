// Recognising a quantile file's resolution before a run reads it.
#pragma once

#include <string>

namespace tesmira {

// The distribution type of a quantile file: 11 (100 quantiles), 14 (1000) or
// 15 (10000); 0 when the file cannot be read, a line holds no pair of numbers,
// or the number of lines fits none of them.
int ProbeDistributionFile(const std::string& path);

}  // namespace tesmira
