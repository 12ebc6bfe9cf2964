// Distribution operations of the model interface.
#pragma once

#include <stdint.h>

#include "tesmira/api.h"
#include "tesmira/records.h"

// Applies one distribution operation to a variable record (normally an edit
// copy): 0 defaults of the record's type, 1 check of the parameters, 2 values
// of the column named by the record's column selector, 3 entering the values
// of that column (check, then conversion to parameters), 4 type title,
// 5 formula picture, 6 representation titles, 7 row labels, 8 number of
// editable representations. Returns the operation's result, 0 for no record,
// or -1 with the message in the record's first text.
TESMIRA_API int32_t Process_extended_random_variable(TExtendedRandomVariable* rv, int32_t operation);

// The 13-character title of distribution type 1..15 into out (>= 256 bytes,
// NUL-terminated); empty for any other code.
TESMIRA_API void Get_DistrTitle(int32_t type, char* out);
