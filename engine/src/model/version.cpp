#include "model/export_guard.h"
#include "tesmira/model.h"

double GetDataDesignVersion(void) {
  return tesmira::Guarded<double>(0.0, [&]() -> double { return 2.0; });
}

double GetVelnarVersion(void) {
  return tesmira::Guarded<double>(0.0, [&]() -> double { return 2.2; });
}
