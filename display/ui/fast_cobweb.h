// Cobweb sample lines written straight into the rows of an RGB32 picture.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

struct TCobwebLines {
  std::vector<int> x;  // axis columns, increasing
  int count = 0;       // number of lines
  // y[k * count + j]: row of line j on axis k.
  std::vector<int> y;
  // Colour of line j, 0xffRRGGBB; lines are drawn in order, later ones on top.
  std::vector<std::uint32_t> colour;
};

// Draws every line segment by segment with Bresenham's algorithm, both end
// points included, one pixel wide; rows are clamped to yMin ... yMax. The
// bands between neighbouring axes go to up to threads threads: a band's lines
// keep their order, and the shared axis columns are drawn over afterwards by
// the axis lines, so the picture is the one sequential drawing gives.
void DrawCobwebLines(QImage& image, const TCobwebLines& lines, int yMin, int yMax, int threads);
