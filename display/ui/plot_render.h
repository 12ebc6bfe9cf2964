// Rendering of the five plot types onto a painter: the common steps
// (background, messages, the selected-sample count) and each plot's drawing.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <functional>

#include "doc/color_record.h"
#include "doc/sample_data_view.h"
#include "ui/plot_canvas.h"

// The two plot fonts: 0 for numbers and tick labels, 1 for variable names and
// titles. The main window sets them from the settings.
extern QFont PlotFonts[2];

// The mouse state of the plot frame, as far as drawing needs it.
enum : int {
  MouseIdle = 0,
  MouseRangeSelection = 1,
  MouseNamePressed = 2,
  MouseDragging = 3,
  MouseZoomBand = 4
};

struct TPlotContext {
  SampleDataView& doc;
  const TColorRecord& colors;
  QPainter& painter;
  TRect whole;  // the page
  TRect plot;   // the axes
  // The frame's own picture (RGB32) when drawing into it; null on any other
  // painter. It enables direct row writing for cobwebs and scatter dots.
  QImage* image = nullptr;
  int mouseState = MouseIdle;
  bool grayscale = false;  // printing with the grayscale switch on
  int threads = 1;         // threads for direct cobweb drawing
  // Called after the box was refitted for scatter, density and histogram plots.
  std::function<void()> boxChanged;
  // The palette of the colours (filled by RenderPlot).
  TPalette palette{};
  // When set, every text drawn with its rectangle.
  std::vector<std::pair<QRect, QString>>* texts = nullptr;
  // The rectangles of the axis labels drawn so far (filled while drawing).
  std::vector<QRect> labels{};
};

// The plot rectangle within the page for the fonts. The margins beside it
// hold the widest value label the axes can show ("-0.00088", "-8.8e+88").
TRect PlotLayout(const TRect& whole, const QFont fonts[2], QPaintDevice* device);

// Draws the current plot of the document.
void RenderPlot(TPlotContext& ctx);

void DrawCobwebs(TPlotContext& ctx, TCanvas& c);
void DrawMarginals(TPlotContext& ctx, TCanvas& c, bool strip);
void DrawScatter(TPlotContext& ctx, TCanvas& c);
void DrawDensity(TPlotContext& ctx, TCanvas& c);
void DrawHistogram(TPlotContext& ctx, TCanvas& c);

// Variable names above the axes in staggered rows (font 1, the selected one
// bold); closeFirstRow keeps the first row free (natural cobweb scale).
void DrawNames(TPlotContext& ctx, TCanvas& c, const std::vector<int>& xs, bool closeFirstRow);
