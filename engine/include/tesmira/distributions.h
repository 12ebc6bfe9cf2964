// Distribution operations of the model interface.
#pragma once

#include <stdint.h>

#include "tesmira/api.h"
#include "tesmira/records.h"

// The operations of Process_extended_random_variable.
enum TDistributionOperation {
  SetDistributionDefaultsOp = 0,  // defaults of the record's type
  CheckDistributionOp = 1,        // check of the parameters
  DistributionValueTextsOp = 2,   // values of the column named by the column selector
  EnterDistributionValuesOp = 3,  // enter that column's values (check, then convert)
  DistributionTitleOp = 4,        // type title
  DistributionPictureOp = 5,      // formula picture
  RepresentationTitlesOp = 6,     // representation (column) titles
  ValueLabelsOp = 7,              // row labels of the selected column
  EditableRepresentationsOp = 8   // number of editable representations
};

// Applies one distribution operation (TDistributionOperation) to a variable
// record (normally an edit copy). Returns the operation's result, 0 for no
// record, or -1 with the message in the record's first text.
TESMIRA_API int32_t Process_extended_random_variable(TExtendedRandomVariable* rv,
                                                     int32_t operation);

// The 13-character title of distribution type 1..15 into out (>= 256 bytes,
// NUL-terminated); empty for any other code.
TESMIRA_API void Get_DistrTitle(int32_t type, char* out);
