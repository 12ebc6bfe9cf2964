// The random-variable editor's logic without a window.
#pragma once

namespace tesmira::wb {

class TWorkbench;

// Browse for the file of the variable at row: a distribution file (type 11,
// stored up to 253 characters) or the probability file, which every type-12
// variable reading the same sample file takes (up to 126 characters). The
// path is stored relative to the model file; one undo group with an item per
// changed variable. False when the choice was cancelled.
bool BrowseVariableFile(TWorkbench& wb, int row);

}  // namespace tesmira::wb
