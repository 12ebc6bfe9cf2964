#include "charts.h"

#include <QtCharts/QLegendMarker>
#include <QtCore/QBuffer>
#include <QtGui/QPainter>
#include <QtSvg/QSvgGenerator>
#include <QtWidgets/QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "png_writer.h"
#include "result_views.h"

namespace tesvane {

namespace {
const QColor AxisColor(0x40, 0x40, 0x40);

QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TSensChart::TSensChart(TKind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
  chart_ = new QChart();
  chart_->setBackgroundBrush(Qt::white);
  chart_->setBackgroundPen(QPen(QColor(0x80, 0x80, 0x00)));  // olive border
  chart_->setBackgroundRoundness(0);
  chart_->setMargins(QMargins(4, 4, 4, 4));
  QFont titleFont("DejaVu Sans");
  titleFont.setPixelSize(12);
  titleFont.setBold(true);
  chart_->setTitleFont(titleFont);
  if (kind == Scatter) {
    auto* s = new QScatterSeries();
    s->setName("Samples");
    s->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    s->setColor(Qt::blue);
    s->setBorderColor(Qt::blue);
    s->setPen(Qt::NoPen);
    points_ = s;
    line_ = new QLineSeries();
    line_->setName("Linear regression");
  } else {
    auto* s = new QLineSeries();
    s->setName("Pedestrian method");
    s->setPen(QPen(Qt::blue, 1, Qt::DotLine));
    s->setPointsVisible(true);
    points_ = s;
    line_ = new QLineSeries();
    line_->setName("Polynomial fit");
  }
  line_->setPen(QPen(Qt::red, 1));
  chart_->addSeries(points_);
  chart_->addSeries(line_);
  axisX_ = new QValueAxis();
  axisY_ = new QValueAxis();
  QFont labels("DejaVu Sans");
  labels.setPixelSize(9);
  for (QValueAxis* a : {axisX_, axisY_}) {
    a->setLabelFormat("%.1E");
    a->setGridLineVisible(false);
    a->setMinorGridLineVisible(false);
    a->setLinePenColor(AxisColor);
    a->setLabelsFont(labels);
    a->setLabelsColor(AxisColor);
  }
  chart_->addAxis(axisX_, Qt::AlignBottom);
  chart_->addAxis(axisY_, Qt::AlignLeft);
  for (QXYSeries* s : {points_, static_cast<QXYSeries*>(line_)}) {
    s->attachAxis(axisX_);
    s->attachAxis(axisY_);
  }
  chart_->legend()->setAlignment(Qt::AlignBottom);
  // Qt Charts has no check boxes in the legend: a click on a marker hides or
  // shows its series.
  for (QLegendMarker* m : chart_->legend()->markers()) {
    QObject::connect(m, &QLegendMarker::clicked, this, [m]() {
      m->series()->setVisible(!m->series()->isVisible());
      m->setVisible(true);
      QFont f = m->font();
      f.setStrikeOut(!m->series()->isVisible());
      m->setFont(f);
    });
  }
  view_ = new QChartView(chart_, this);
  view_->setRenderHint(QPainter::Antialiasing, false);
  view_->setRubberBand(QChartView::RectangleRubberBand);
  foot_ = new QLabel(
      "The number of samples is lower than the number of points in conditional expectation plot",
      this);
  QFont footFont = foot_->font();
  footFont.setBold(true);
  footFont.setItalic(true);
  foot_->setFont(footFont);
  foot_->setAlignment(Qt::AlignCenter);
  foot_->setVisible(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view_, 1);
  layout->addWidget(foot_);
  SetDotSize(2);
  ClearToRest();
}

void TSensChart::Titles(const QString& title, const QString& bottom, const QString& left) {
  chart_->setTitle(title);
  axisX_->setTitleText(bottom);
  axisY_->setTitleText(left);
}

void TSensChart::Clear(const QString& title, const QString& bottom, const QString& left) {
  points_->clear();
  line_->clear();
  Titles(title, bottom, left);
}

void TSensChart::ClearToRest() {
  if (kind_ == Scatter)
    Clear("Regression plot", "Base variable", "Predicted variable");
  else
    Clear("Conditional expectation plot", "Conditioning variable", "Conditional expectation");
  axisX_->setRange(0, 1);
  axisY_->setRange(0, 1);
}

void TSensChart::SetDotSize(int pixels) {
  dotSize_ = pixels;
  points_->setMarkerSize(pixels);
}

void TSensChart::FitAxis(QValueAxis* axis, double lo, double hi) {
  if (!std::isfinite(lo) || !std::isfinite(hi)) {
    lo = 0;
    hi = 1;
  }
  if (hi <= lo) {
    const double pad = lo == 0 ? 1 : std::fabs(lo) * 0.05;
    lo -= pad;
    hi += pad;
  }
  axis->setRange(lo, hi);
}

void TSensChart::DrawScatter(const TSensitivityItem& item, const double* x, const double* y,
                             int64_t n, int32_t limit) {
  chart_->zoomReset();
  const QString p = Q(item.PredictedName()), b = Q(item.BaseName());
  Clear("Regression of " + p + " on " + b, b, p);
  const int64_t count = ScatterPointCount(n, limit);
  double xlo = item.BaseMin, xhi = item.BaseMax, ylo = INFINITY, yhi = -INFINITY;
  for (int64_t i = 0; i < count; ++i) {
    ylo = std::min(ylo, y[i]);
    yhi = std::max(yhi, y[i]);
  }
  auto line = RegressionLinePoints(item);
  for (const TPoint2& q : line) {
    ylo = std::min(ylo, q.Y);
    yhi = std::max(yhi, q.Y);
  }
  FitAxis(axisX_, xlo, xhi);
  FitAxis(axisY_, ylo, yhi);
  QList<QPointF> pts;
  if (limit == 0 && count > 20000) {
    // Every sample: those that fall on one pixel of the plot area are drawn once.
    const QRectF area = chart_->plotArea();
    const double w = std::max(area.width(), 100.0), h = std::max(area.height(), 100.0);
    const double sx = w / (axisX_->max() - axisX_->min()), sy = h / (axisY_->max() - axisY_->min());
    std::unordered_set<int64_t> seen;
    seen.reserve(static_cast<size_t>(std::min<int64_t>(count, 1 << 20)));
    for (int64_t i = 0; i < count; ++i) {
      const int64_t px = static_cast<int64_t>((x[i] - axisX_->min()) * sx);
      const int64_t py = static_cast<int64_t>((y[i] - axisY_->min()) * sy);
      if (seen.insert(px * 1000003 + py).second) pts.append(QPointF(x[i], y[i]));
    }
  } else {
    pts.reserve(static_cast<qsizetype>(count));
    for (int64_t i = 0; i < count; ++i) pts.append(QPointF(x[i], y[i]));
  }
  points_->replace(pts);
  line_->replace(QList<QPointF>{QPointF(line[0].X, line[0].Y), QPointF(line[1].X, line[1].Y)});
}

void TSensChart::DrawConditional(const TSensitivityItem& item, const TSensChart* scaleFrom) {
  chart_->zoomReset();
  line_->setVisible(ShowPolynomialFit(item));
  const QString p = Q(item.PredictedName()), b = Q(item.BaseName());
  Clear("Conditional expectation E[" + p + "|" + b + "] plot", b, "E[" + p + "|" + b + "]");
  QList<QPointF> groups, fit;
  const size_t k = std::min(item.CondExpX.size(), item.CondExpY.size());
  double xlo = item.BaseMin, xhi = item.BaseMax;
  for (size_t i = 0; i < k; ++i) {
    groups.append(QPointF(item.CondExpX[i], item.CondExpY[i]));
    xlo = std::min(xlo, item.CondExpX[i]);
    xhi = std::max(xhi, item.CondExpX[i]);
  }
  for (const TPoint2& q : PolynomialFitPoints(item)) fit.append(QPointF(q.X, q.Y));
  FitAxis(axisX_, xlo, xhi);
  points_->replace(groups);
  line_->replace(fit);
  chart_->zoomReset();
  if (scaleFrom != nullptr)
    ScaleLeftFrom(*scaleFrom);
  else
    AutoScaleLeft();
}

void TSensChart::ClearConditional(const TSensitivityItem& item) {
  const QString p = Q(item.PredictedName()), b = Q(item.BaseName());
  Clear("Conditional expectation E[" + p + "|" + b + "] plot", b, "E[" + p + "|" + b + "]");
}

void TSensChart::ScaleLeftFrom(const TSensChart& other) {
  axisY_->setRange(other.AxisY()->min(), other.AxisY()->max());
}

void TSensChart::AutoScaleLeft() {
  double lo = INFINITY, hi = -INFINITY;
  for (QXYSeries* s : {points_, static_cast<QXYSeries*>(line_)}) {
    if (!s->isVisible()) continue;
    for (const QPointF& q : s->points()) {
      lo = std::min(lo, q.y());
      hi = std::max(hi, q.y());
    }
  }
  FitAxis(axisY_, lo, hi);
}

QImage TSensChart::RenderImage() {
  QImage image(view_->size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  view_->render(&painter);
  painter.end();
  return image;
}

QByteArray TSensChart::SvgFile() {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(view_->size());
  generator.setViewBox(QRect(QPoint(0, 0), view_->size()));
  generator.setTitle(chart_->title());
  QPainter painter;
  if (!painter.begin(&generator)) return {};
  view_->render(&painter);
  if (!painter.end()) return {};
  return bytes;
}

TBitmap BitmapFromImage(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_RGB888);
  std::vector<uint8_t> rgb(static_cast<size_t>(image.width()) * image.height() * 3);
  for (int r = 0; r < image.height(); ++r)
    std::copy_n(image.constScanLine(r), static_cast<size_t>(image.width()) * 3,
                rgb.begin() + static_cast<ptrdiff_t>(r) * image.width() * 3);
  return TBitmap::FromRgb(image.width(), image.height(), rgb);
}

}  // namespace tesvane
