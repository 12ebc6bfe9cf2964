// The ranges that the fields of a variable or formula record must keep. A
// record that arrives from outside (a model file, the clipboard) and fails
// them is not taken as an object: its short strings or its type would lead
// the code that uses it astray.
#pragma once

#include "tesmira/records.h"

namespace tesmira {

// A record of type 0, a variable never given a distribution, passes only when
// untypedAllowed: the engine's own blank variable has it.
inline bool ValidVariableRecord(const TExtendedRandomVariable& rv, bool untypedAllowed = false) {
  const TDistribution& d = rv.distribution;
  if (d.name[0] > MaxNameLength || rv.description[0] > 100) return false;
  if (d.distType == 0) return untypedAllowed;
  if (d.distType > 15) return false;
  switch (d.distType) {
    case DistFile100:
    case DistFile1000:
    case DistFile10000: return d.u.fileName[0] <= 253;
    case DistSampleFile:
      return d.u.sample.sampleFile[0] <= 126 && d.u.sample.probabilityFile[0] <= 126;
    case DistDiscrete: return d.u.discrete.count >= 0 && d.u.discrete.count <= DiscretePairs;
    default: return true;
  }
}

inline bool ValidFormulaRecord(const TUdf& u) {
  return u.name[0] <= MaxNameLength && u.description[0] <= 100;  // text: 255 by its byte
}

}  // namespace tesmira
