// A window-less host for the result grid: a client area of a given size that
// loses 17 pixels to each shown scroll bar, a clipboard string, and counters
// of what the grid asked for.
#pragma once

#include <string>
#include <vector>

#include "nice_grid_core.h"

namespace tesvane::test {

class TFakeGridHost : public TNiceGridHost {
 public:
  static constexpr int kBar = 17;
  int width = 400, height = 300;
  bool hBar = false, vBar = false;
  std::string clipboard;
  bool hasClipboard = false;
  int invalidations = 0, editorOpened = 0;
  // Text width: 6 pixels a byte.
  int TextWidth(const std::string& text) override { return 6 * static_cast<int>(text.size()); }
  int ClientWidth() const override { return width - (vBar ? kBar : 0); }
  int ClientHeight() const override { return height - (hBar ? kBar : 0); }
  void ShowHideScrollBar(bool h, bool v) override {
    hBar = h;
    vBar = v;
  }
  void Invalidate(const TNiceRect&) override { ++invalidations; }
  void InvalidateAll() override { ++invalidations; }
  void OpenEditor(int, int) override { ++editorOpened; }
  void SetClipboardText(const std::string& text) override {
    clipboard = text;
    hasClipboard = true;
  }
  bool ClipboardText(std::string& text) override {
    text = clipboard;
    return hasClipboard;
  }
};

// A grid of the given columns (widths) and rows, its cells "c<col>r<row>".
inline void FillGrid(TNiceGridCore& g, const std::vector<int>& widths, int rows) {
  g.SetColCount(static_cast<int>(widths.size()));
  for (size_t c = 0; c < widths.size(); ++c) g.SetColWidth(static_cast<int>(c), widths[c]);
  g.SetRowCount(rows);
  for (int c = 0; c < g.ColCount(); ++c)
    for (int r = 0; r < rows; ++r)
      g.SetCell(c, r, std::string("c").append(std::to_string(c)) + "r" + std::to_string(r));
}

}  // namespace tesvane::test
