// The pictures of the tool bar's buttons and their menu items, drawn by the
// program itself at 16 x 16 pixels.
#pragma once

#include <QIcon>

enum class TToolImage {
  Open,
  Copy,
  Export,
  Print,
  Cobwebs,
  Marginals,
  Scatter,
  Density,
  Histogram,
  Parameters,
  Font,
  Color,
  RealTime,
  RemoveFilter,
  Reset,
  Help
};

QIcon ToolImage(TToolImage image);
