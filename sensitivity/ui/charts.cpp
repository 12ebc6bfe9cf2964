#include "charts.h"

#include <QtCore/QBuffer>
#include <QtGui/QPainter>
#include <QtSvg/QSvgGenerator>
#include <QtWidgets/QHBoxLayout>
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
  chart_->setBackgroundPen(Qt::NoPen);
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
  // The legend is a row of check boxes under the plot: the chart's own
  // legend has none.
  chart_->legend()->hide();
  view_ = new QChartView(chart_, this);
  view_->setRenderHint(QPainter::Antialiasing, false);
  view_->setBackgroundBrush(Qt::white);
  view_->setFrameShape(QFrame::NoFrame);
  view_->setRubberBand(QChartView::RectangleRubberBand);
  foot_ = new QLabel(
      "The number of samples is lower than the number of points in conditional expectation plot",
      this);
  QFont footFont = foot_->font();
  footFont.setBold(true);
  footFont.setItalic(true);
  foot_->setFont(footFont);
  foot_->setAlignment(Qt::AlignCenter);
  foot_->setWordWrap(true);
  foot_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  foot_->setVisible(false);
  // The title on a light-yellow band with a grey frame.
  title_ = new TElidedLabel(this);
  title_->setFont(titleFont);
  title_->setAlignment(Qt::AlignCenter);
  title_->setMargin(2);
  title_->setStyleSheet("background-color: #ffffe1; border: 1px solid #808080;");
  legend_ = new QBoxLayout(QBoxLayout::LeftToRight);
  auto* legend = legend_;
  legend->setContentsMargins(4, 0, 4, 2);
  legend->addStretch();
  legendPoints_ = AddLegendEntry(points_, Qt::blue);
  legendLine_ = AddLegendEntry(line_, Qt::red);
  legend->addWidget(legendPoints_);
  legend->addWidget(legendLine_);
  legend->addStretch();
  // White, with an olive border around title, plot and legend.
  auto* framed = new QFrame(this);
  framed->setObjectName("chartFrame");
  framed->setStyleSheet("#chartFrame { background-color: white; border: 1px solid #808000; }");
  auto* inner = new QVBoxLayout(framed);
  inner->setContentsMargins(5, 5, 5, 1);
  inner->setSpacing(0);
  inner->addWidget(title_);
  inner->addWidget(view_, 1);
  inner->addLayout(legend);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(framed, 1);
  layout->addWidget(foot_);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
  connect(chart_, &QChart::plotAreaChanged, this, [this]() { FitTickCounts(); });
  SetDotSize(2);
  ClearToRest();
}

QCheckBox* TSensChart::AddLegendEntry(QXYSeries* series, const QColor& color) {
  QPixmap swatch(10, 10);
  swatch.fill(color);
  auto* box = new QCheckBox(series->name(), this);
  box->setIcon(QIcon(swatch));
  box->setChecked(series->isVisible());
  QPalette pal = box->palette();
  pal.setColor(QPalette::WindowText, color);
  pal.setColor(QPalette::Window, Qt::white);
  box->setPalette(pal);
  // The user's check shows or hides the series; a series the program hides
  // stays in the legend, unchecked.
  connect(box, &QCheckBox::toggled, series, &QXYSeries::setVisible);
  connect(series, &QXYSeries::visibleChanged, box,
          [box, series]() { box->setChecked(series->isVisible()); });
  return box;
}

void TSensChart::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  // The legend's entries side by side where they have room, else one above
  // the other.
  const int side =
      legendPoints_->sizeHint().width() + legendLine_->sizeHint().width() + legend_->spacing() + 20;
  const auto direction = width() >= side ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
  if (legend_->direction() != direction) legend_->setDirection(direction);
}

QCheckBox* TSensChart::LegendBox(const QXYSeries* series) const {
  if (series == points_) return legendPoints_;
  if (series == line_) return legendLine_;
  return nullptr;
}

void TSensChart::FitTickCounts() {
  const QRectF area = chart_->plotArea();
  const QFontMetrics fm(axisX_->labelsFont());
  // The widest label of the format "0.0E+", and a gap between labels.
  const double label = fm.horizontalAdvance("-8.8E+88") + 8;
  const double line = fm.height() + 4;
  auto ticks = [](double room, double each) {
    return std::clamp(static_cast<int>(room / each) + 1, 2, 5);
  };
  const int x = ticks(area.width(), label), y = ticks(area.height(), line);
  if (axisX_->tickCount() != x) axisX_->setTickCount(x);
  if (axisY_->tickCount() != y) axisY_->setTickCount(y);
}

void TSensChart::Titles(const QString& title, const QString& bottom, const QString& left) {
  title_->SetFullText(title);
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

// A chart on a page never shown takes its final size when it is first
// rendered; a rendering that nobody sees comes first, so that the picture
// has the size the chart keeps.
void TSensChart::Settle() {
  if (settled_) return;
  settled_ = true;
  QImage scratch(1, 1, QImage::Format_RGB32);
  QPainter painter(&scratch);
  render(&painter, QPoint(), QRegion(0, 0, 1, 1));
}

QImage TSensChart::RenderImage() {
  Settle();
  QImage image(size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  render(&painter);
  painter.end();
  return image;
}

QByteArray TSensChart::SvgFile() {
  Settle();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(size());
  generator.setViewBox(QRect(QPoint(0, 0), size()));
  generator.setTitle(Title());
  QPainter painter;
  if (!painter.begin(&generator)) return {};
  render(&painter);
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
