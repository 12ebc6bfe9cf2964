// Display texts of the distribution types (code page 437).
#pragma once

namespace tesmira {

// The lines of the density picture of a type; returns their number (0 for
// codes without a picture) and points *lines at them.
int DistributionPictureLines(int type, const char* const** lines);

}  // namespace tesmira
