// The two charts of the details page: the scatter chart ("Regression plot")
// and the conditional expectation chart, with their drawing, dot sizes,
// rendering into images and SVG.
#pragma once

#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <QtGui/QImage>
#include <QtWidgets/QLabel>
#include <QtWidgets/QWidget>
#include <cstdint>

#include "sensitivity_item.h"

namespace tesvane {

class TSensChart : public QWidget {
 public:
  enum TKind { Scatter, Conditional };
  TSensChart(TKind kind, QWidget* parent = nullptr);

  TKind Kind() const { return kind_; }
  QChart* Chart() const { return chart_; }
  QChartView* View() const { return view_; }
  // "Samples" or "Pedestrian method".
  QXYSeries* PointSeries() const { return points_; }
  // "Linear regression" or "Polynomial fit".
  QLineSeries* LineSeries() const { return line_; }
  QValueAxis* AxisX() const { return axisX_; }
  QValueAxis* AxisY() const { return axisY_; }
  QLabel* Foot() const { return foot_; }

  // Empties both series and sets the titles.
  void Clear(const QString& title, const QString& bottom, const QString& left);
  // The chart's titles at rest.
  void ClearToRest();
  void SetDotSize(int pixels);
  int DotSize() const { return dotSize_; }

  // The scatter chart of an item: at most `limit` first samples (0: all;
  // then samples falling on one pixel of the plot are drawn once).
  void DrawScatter(const TSensitivityItem& item, const double* x, const double* y, int64_t n,
                   int32_t limit);
  // The conditional expectation chart of an item; with `scaleFrom` the left
  // axis takes that chart's left-axis range.
  void DrawConditional(const TSensitivityItem& item, const TSensChart* scaleFrom);
  // Emptied under the item's titles (no usable samples).
  void ClearConditional(const TSensitivityItem& item);
  void ScaleLeftFrom(const TSensChart& other);
  void AutoScaleLeft();

  // The chart in its current size on a white background.
  QImage RenderImage();
  // The chart as an SVG file's bytes; empty when it cannot be drawn.
  QByteArray SvgFile();

 private:
  void FitAxis(QValueAxis* axis, double lo, double hi);
  void Titles(const QString& title, const QString& bottom, const QString& left);

  TKind kind_;
  QChart* chart_;
  QChartView* view_;
  QXYSeries* points_;
  QLineSeries* line_;
  QValueAxis* axisX_;
  QValueAxis* axisY_;
  QLabel* foot_;
  int dotSize_ = 2;
};

// A QImage as the PNG writer's 24-bit bitmap.
struct TBitmap;
TBitmap BitmapFromImage(const QImage& image);

}  // namespace tesvane
