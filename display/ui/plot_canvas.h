// Drawing state for the plots over a QPainter, in the manner the plot code is
// written: a pen, a brush, a font and a text colour; texts placed by their
// top-left corner; integer pixels and no antialiasing, so that every pixel is
// one of the palette's colours.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QRect>
#include <QString>
#include <vector>

#include "doc/color_record.h"

// A rectangle by its edges; right and bottom lie just outside it.
struct TRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

QColor ToQColor(TColor c);

// A copy of the font that is drawn without antialiasing.
QFont PlotFont(const QFont& font);

class TCanvas {
 public:
  explicit TCanvas(QPainter& painter);

  QPainter& Painter() { return p_; }

  void SetPen(TColor colour, int width = 1, Qt::PenStyle style = Qt::SolidLine);
  TColor PenColour() const { return pen_; }
  void SetBrush(TColor colour);
  void SetFont(const QFont& font);
  const QFont& Font() const { return font_; }
  void SetTextColour(TColor colour) { text_ = colour; }

  int TextWidth(const QString& text) const;
  int TextHeight(const QString& text) const;
  // The text with its top-left corner at (x, y).
  void TextOut(int x, int y, const QString& text);
  // The rectangle TextOut covers with the text.
  QRect TextRect(int x, int y, const QString& text) const;
  // Every text drawn from now on is added to log with its rectangle (none
  // when null).
  void SetTextLog(std::vector<std::pair<QRect, QString>>* log) { log_ = log; }

  void Line(int x0, int y0, int x1, int y1);
  void Polyline(const QPolygon& points);
  // Filled with the brush, outlined with the pen.
  void Polygon(const QPolygon& points);
  void FillRect(const TRect& r);
  // The outline of the rectangle in the brush colour.
  void FrameRect(const TRect& r);
  // Filled with the brush, outlined with the pen.
  void Rectangle(const TRect& r);
  // The outline of the ellipse in the bounding rectangle, in the pen.
  void Ellipse(const TRect& r);

  // Sets the painter up again after it was ended and begun anew.
  void Reapply();

  void Clip(const TRect& r);
  void NoClip();

 private:
  void ApplyPen();

  QPainter& p_;
  TColor pen_ = 0;
  int penWidth_ = 1;
  Qt::PenStyle penStyle_ = Qt::SolidLine;
  TColor brush_ = 0xFFFFFF;
  TColor text_ = 0;
  QFont font_;
  std::vector<std::pair<QRect, QString>>* log_ = nullptr;
};

// The tick labels of one axis, in tick order, each at its top-left corner.
// Drawn are every step-th, with the smallest step at which the labels shown
// keep apart (a step that keeps the last label first), and of those none that
// would touch a label in placed; the labels drawn are added to placed.
struct TTickLabel {
  int x, y;
  QString text;
};
void DrawTickLabels(TCanvas& c, const std::vector<TTickLabel>& labels, std::vector<QRect>& placed);

// "General format with d significant digits": C's %.dg in the C locale.
QString FormatGeneral(double value, int digits);
// Fixed notation with the given decimals, in the C locale.
QString FormatFixed(double value, int decimals);
// Fixed notation of a value rounded to 3 significant digits, 2 decimals.
QString FormatFactor(double value);
