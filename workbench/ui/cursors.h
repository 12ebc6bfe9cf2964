// The workbench's own mouse cursors for the dependence view and the graph
// editor. The pictures are drawn in code; the slots are the indexes those
// views ask for.
#pragma once

#include <QCursor>
#include <QPixmap>

namespace tesmira::wb {

enum TCursorSlot {
  crChild = 5,
  crChild1 = 6,
  crSibA = 7,
  crSibA1 = 8,
  crSibB = 9,
  crSibB1 = 10,
  crRoot = 11,
  crRoot1 = 12,
  crParent = 13,
  crParent1 = 14,
  crParChild = 15,
  crParChild1 = 16,
  crCancel = 20,
  crNewNode = 21,
  crNewLink = 22,
  crCloseLink = 23,
  crSelect = 24,
  crMove = 25
};

// The picture's name of a slot ("CURCHILD"); nullptr for a slot without one.
const char* CursorResourceName(int slot);

// The picture of a named cursor (32 x 32, transparent background); a null
// pixmap for an unknown name.
QPixmap CursorPicture(const char* name);

// Loads the pictures into the cursor table (once; later calls do nothing).
// A picture that cannot be made leaves its slot on the arrow.
void LoadScreenCursors();

// The cursor of a slot; the arrow for a slot without a picture. Loads the
// table on first use.
QCursor ScreenCursor(int slot);

}  // namespace tesmira::wb
