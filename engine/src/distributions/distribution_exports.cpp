#include "tesmira/distributions.h"

#include <cstring>

#include "distributions/distribution_operations.h"
#include "distributions/distribution_types.h"
#include "model/export_guard.h"
#include "tesmira/model.h"

TESMIRA_API int32_t Process_extended_random_variable(TExtendedRandomVariable* rv,
                                                     int32_t operation) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    try {
      return tesmira::ProcessDistribution(rv, operation, GetModelType());
    } catch (...) {  // out of memory for a text: nothing was done
      return 0;
    }
  });
}

TESMIRA_API void Get_DistrTitle(int32_t type, char* out) {
  tesmira::GuardedVoid([&] {
    if (out == nullptr) return;
    std::string_view title = tesmira::DistributionTitle(type);
    if (!title.empty()) std::memcpy(out, title.data(), title.size());
    out[title.size()] = '\0';
  });
}
