// The distribution operations of Process_extended_random_variable on one
// variable record: defaults, checks, values of a representation, entering
// values, and the display texts of a type.
#pragma once

#include <cstdint>

#include "tesmira/distributions.h"
#include "tesmira/records.h"

namespace tesmira {

// Process_extended_random_variable with the model type given (1 FAULT TREE
// changes defaults and checks) instead of read from the global model.
int32_t ProcessDistribution(TExtendedRandomVariable* rv, int32_t operation, int32_t modelType);

}  // namespace tesmira
