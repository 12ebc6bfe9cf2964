// The two charts of the details page: the scatter chart ("Regression plot")
// and the conditional expectation chart, with their drawing, dot sizes,
// rendering into images and SVG.
#pragma once

#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <QtGui/QImage>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QWidget>
#include <cstdint>

#include "elided_label.h"
#include "sensitivity_item.h"

namespace tesvane {

class TSensChart : public QWidget {
 public:
  enum TKind { Scatter, Conditional };
  TSensChart(TKind kind, QWidget* parent = nullptr);
  // The two charts share their area half and half, whatever their texts.
  QSize minimumSizeHint() const override { return {120, 120}; }

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
  // The title, shown on the band above the plot.
  QString Title() const { return title_->FullText(); }
  TElidedLabel* TitleBand() const { return title_; }
  // The legend: one check box per series, checked while the series shows.
  QCheckBox* LegendBox(const QXYSeries* series) const;

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

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void Settle();
  void FitAxis(QValueAxis* axis, double lo, double hi);
  QCheckBox* AddLegendEntry(QXYSeries* series, const QColor& color);
  // As many ticks as the axis has room for without labels touching.
  void FitTickCounts();
  void Titles(const QString& title, const QString& bottom, const QString& left);

  TKind kind_;
  QChart* chart_;
  QChartView* view_;
  QXYSeries* points_;
  QLineSeries* line_;
  QValueAxis* axisX_;
  QValueAxis* axisY_;
  QLabel* foot_;
  TElidedLabel* title_;
  QBoxLayout* legend_;
  QCheckBox* legendPoints_;
  QCheckBox* legendLine_;
  int dotSize_ = 2;
  bool settled_ = false;
};

// A QImage as the PNG writer's 24-bit bitmap.
struct TBitmap;
TBitmap BitmapFromImage(const QImage& image);

}  // namespace tesvane
