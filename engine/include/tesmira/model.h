// The model record's life cycle and the model store interface.
#pragma once

#include <stdbool.h>
#include <stdint.h>

#include "tesmira/api.h"
#include "tesmira/records.h"

TESMIRA_API double GetDataDesignVersion(void);
TESMIRA_API double GetVelnarVersion(void);
