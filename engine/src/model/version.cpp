#include "tesmira/model.h"

double GetDataDesignVersion(void) { return 2.0; }

double GetVelnarVersion(void) { return 2.2; }
