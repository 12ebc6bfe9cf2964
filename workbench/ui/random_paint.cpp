#include "random_paint.h"

#include <QFontMetrics>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "model_helpers.h"
#include "tesmira/distributions.h"

namespace tesmira::wb {

namespace {

int Nearest(double v) { return static_cast<int>(std::lround(v)); }

bool Finite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// The values of one column of the record (1 parameters, 2 main quantiles).
std::vector<double> Column(const TExtendedRandomVariable& rv, int column) {
  TExtendedRandomVariable copy = rv;
  copy.representation = column;
  const int rows = Process_extended_random_variable(&copy, DistributionValueTextsOp);
  std::vector<double> v(4, std::nan(""));
  for (int i = 0; i < std::min(rows, 4); ++i) v[static_cast<std::size_t>(i)] = copy.values[i];
  return v;
}

// What one plot draws, computed before any pixel is set so that a value
// that is not finite leaves the image untouched.
struct TPlan {
  double yStep = 0, xStep = 0, xCentre = 0, xMax = 0, xMin = 0;
  std::vector<QPoint> curve;  // a polyline
  std::vector<std::pair<QPoint, QPoint>> lines;
};

class TGeometry {
 public:
  TGeometry(int w, int h, int th) : W(w), H(h), b(2 * th), H5(h - 2 * th - 5) {}
  int W, H, b, H5;
  int AxisY() const { return H - b; }
  int YTop() const { return Nearest(H5 / 5.0) + 5; }
  int X0() const { return Nearest((W - 10) * 0.1 + 5); }
  int X1() const { return Nearest((W - 10) * 0.9 + 5); }
  double Y(double d, double s) const { return H - b - std::round(d * s * (4.0 * H5 / 5.0)); }
  // One point per column m = 5 .. W - 5 over [lo, hi]; false when a value is not finite.
  bool Curve(TPlan& plan, double lo, double hi, double s, const std::function<double(double)>& f,
             int from = 5, int to = -1) const {
    if (to < 0) to = W - 5;
    if (to <= from) return false;
    for (int m = from; m <= to; ++m) {
      const double x = lo + static_cast<double>(m - from) / (to - from) * (hi - lo);
      const double y = Y(f(x), s);
      if (!std::isfinite(y) || std::fabs(y) > 1e6) return false;
      plan.curve.emplace_back(m, static_cast<int>(y));
    }
    return true;
  }
};

bool SetAxes(TPlan& p, double yStep, double xStep, double centre, double xMax, double xMin) {
  p.yStep = yStep;
  p.xStep = xStep;
  p.xCentre = centre;
  p.xMax = xMax;
  p.xMin = xMin;
  return Finite({yStep, xStep, centre, xMax, xMin}) && xMax > xMin;
}

// Column 1 holds the parameters; column 2 the 5%, 50% and 95% quantiles.
struct TColumns {
  std::vector<double> c1, c2;
  double Q5() const { return c2[0]; }
  double Q50() const { return c2[1]; }
  double Q95() const { return c2[2]; }
};

bool PlanConstant(const TColumns& c, const TGeometry& g, TPlan& p) {
  const double v = c.c1[0];
  if (!SetAxes(p, 0.25, 0.5, v, v + 1, v - 1)) return false;
  p.lines.push_back({QPoint(Nearest(g.W / 2.0), g.AxisY()), QPoint(Nearest(g.W / 2.0), g.YTop())});
  return true;
}

bool PlanUniform(const TColumns& c, const TGeometry& g, TPlan& p) {
  const double a = c.c1[0], b = c.c1[1], u = (b - a) / 8;
  if (!SetAxes(p, (1 / (b - a)) / 4, (b - a) / 4, a, b + u, a - u)) return false;
  p.lines.push_back({QPoint(g.X0(), g.YTop()), QPoint(g.X1(), g.YTop())});
  return true;
}

bool PlanLogUniform(const TColumns& c, const TGeometry& g, TPlan& p) {
  const double a = c.c1[0], b = c.c1[1], u = (b - a) / 8, s = a * (std::log(b) - std::log(a));
  if (!SetAxes(p, (1 / s) / 4, (b - a) / 4, a, b + u, a - u)) return false;
  return g.Curve(
      p, a, b, s, [&](double x) { return 1 / (x * (std::log(b) - std::log(a))); }, g.X0(), g.X1());
}

bool PlanNormal(const TColumns& c, const TGeometry& g, TPlan& p) {
  const double mu = c.c1[0], sigma = c.c1[1], s = std::sqrt(2 * std::numbers::pi) * sigma;
  if (!SetAxes(p, (1 / s) / 4, (mu - c.Q5()) / 2, mu, c.Q95(), c.Q5())) return false;
  return g.Curve(p, c.Q5(), c.Q95(), s, [&](double x) {
    return std::exp(-(x - mu) * (x - mu) / (2 * sigma * sigma)) / s;
  });
}

bool PlanExponential(const TColumns& c, const TGeometry& g, TPlan& p) {
  const double tau = c.c1[0], b = c.c1[1];
  if (!SetAxes(p, tau / 4, (c.Q95() - b) / 2, b, c.Q95(), b)) return false;
  return g.Curve(p, b, c.Q95(), 1 / tau, [&](double x) { return tau * std::exp(-tau * (x - b)); });
}

bool PlanGamma(const TColumns& c, const TGeometry& g, TPlan& p) {
  const double alpha = c.c1[0], beta = c.c1[1], b = c.c1[2];
  auto f = [&](double x) {
    return std::pow(beta, alpha) * std::pow(x - b, alpha - 1) * std::exp(-beta * (x - b)) /
           PreviewGamma(alpha);
  };
  const double s = 1 / f(std::max(b, b + (alpha - 1) / beta));
  if (!SetAxes(p, (1 / s) / 4, (c.Q50() - b) / 2, b, c.Q95(), b)) return false;
  return g.Curve(p, b, c.Q95(), s, f);
}

bool PlanWeibull(const TColumns& c, const TGeometry& g, TPlan& p) {
  const double k = c.c1[0], lambda = c.c1[1], b = c.c1[2], q5 = c.Q5(), q95 = c.Q95();
  auto f = [&](double x) {
    const double z = (x - b) / lambda;
    return (k / lambda) * std::pow(z, k - 1) * std::exp(-std::pow(z, k));
  };
  const double mode = b + lambda * std::pow((k - 1) / k, 1 / k);
  double top = 0;
  if (std::isfinite(mode) && mode >= q5 && mode <= q95) {
    top = f(mode);
  } else {
    for (double v : {f(q5), f(q95), std::isfinite(mode) ? f(mode) : 0.0})
      if (std::isfinite(v)) top = std::max(top, v);
  }
  const double s = 1 / top;
  if (!SetAxes(p, (1 / s) / 4, (q95 - q5) / 4, q5, q95, q5)) return false;
  return g.Curve(p, q5, q95, s, f);
}

bool PlanBeta(const TColumns& c, const TGeometry& g, TPlan& p) {
  const double alpha = c.c1[0], beta = c.c1[1], a = c.c1[2], b = c.c1[3];
  auto f = [&](double x) {
    return std::pow((x - a) / (b - a), alpha - 1) * std::pow((b - x) / (b - a), beta - 1) /
           (PreviewBeta(alpha, beta) * (b - a));
  };
  const double mode = std::clamp((b * (alpha - 1) + a * (beta - 1)) / (alpha + beta - 2),
                                 std::min(a, b), std::max(a, b));
  const double s = 1 / f(mode);
  if (!SetAxes(p, (1 / s) / 4, (c.Q95() - a) / 2, a, c.Q95(), a)) return false;
  return g.Curve(p, a, c.Q95(), s, f);
}

bool PlanTriangular(const TColumns& c, const TGeometry& g, TPlan& p) {
  const double a = c.c1[0], m = c.c1[1], b = c.c1[2], u = (b - a) / 8, s = (b - a) / 2;
  if (!SetAxes(p, (1 / s) / 4, (m - a) / 2, m, b + u, a - u)) return false;
  const double xm = (m - a) * (g.X1() - g.X0()) / (b - a) + g.X0();
  if (!std::isfinite(xm)) return false;
  const QPoint top(Nearest(xm), g.YTop());
  p.lines.push_back({QPoint(g.X0(), g.AxisY()), top});
  p.lines.push_back({top, QPoint(g.X1(), g.AxisY())});
  return true;
}

bool Plan(const TExtendedRandomVariable& rv, const TGeometry& g, TPlan& p) {
  const int type = rv.distribution.distType;
  if (type < DistConstant || type > DistTriangular || type == DistLogNormal) return false;
  const bool needsQuantiles = type == DistNormal || type >= DistExponential;
  const TColumns c{Column(rv, 1), needsQuantiles ? Column(rv, 2) : std::vector<double>(4, 0.0)};
  switch (type) {
    case DistConstant: return PlanConstant(c, g, p);
    case DistUniform: return PlanUniform(c, g, p);
    case DistLogUniform: return PlanLogUniform(c, g, p);
    case DistNormal: return PlanNormal(c, g, p);
    case DistExponential: return PlanExponential(c, g, p);
    case DistGamma: return PlanGamma(c, g, p);
    case DistWeibull: return PlanWeibull(c, g, p);
    case DistBeta: return PlanBeta(c, g, p);
    case DistTriangular: return PlanTriangular(c, g, p);
    default: return false;
  }
}

int MapX(const TGeometry& g, const TPlan& p, double v) {
  return Nearest((g.W - 10) * (v - p.xMin) / (p.xMax - p.xMin) + 5);
}

void DrawAxes(QPainter& painter, const TGeometry& g, const TPlan& p) {
  const QFontMetrics fm(painter.font());
  painter.setPen(QColor(0xC0, 0xC0, 0xC0));
  const int ay = g.AxisY();
  painter.drawLine(5, ay, g.W - 5, ay);
  int yx;
  if (p.xMin > 0)
    yx = 5;
  else if (p.xMax <= 0)
    yx = g.W - 5;
  else
    yx = Nearest(5 - p.xMin * (g.W - 10) / (p.xMax - p.xMin));
  painter.drawLine(yx, ay, yx, 5);
  for (int i = 0; i <= 4; ++i) {
    const int y = Nearest(i * g.H5 / 5.0) + 5;
    painter.drawLine(yx - 3, y, yx + 3, y);
    const QString label = QString::fromStdString(FormatNumber((5 - i) * p.yStep)).trimmed();
    const int lw = fm.horizontalAdvance(label);
    int lx = yx + 4;
    if (lx + lw > g.W) lx = yx - lw - 4;
    lx = std::clamp(lx, 1, std::max(1, g.W - lw - 1));
    const int ly = Nearest(i * g.H5 / 5.0 - fm.height() / 2.0) + 5;
    painter.drawText(lx, ly + fm.ascent(), label);
  }
  if (p.xStep <= 0) return;
  auto tick = [&](double v) {
    const int x = MapX(g, p, v);
    if (x <= 4) return;
    painter.drawLine(x, ay - 3, x, ay + 3);
    const QString label = QString::fromStdString(FormatNumber(v)).trimmed();
    // The labels at the edges move inside rather than lose their ends.
    const int lw = fm.horizontalAdvance(label);
    painter.drawText(std::clamp(x - lw / 2, 1, std::max(1, g.W - lw - 1)), ay + 4 + fm.ascent(),
                     label);
  };
  for (int i = 0; i <= 19; ++i) {
    const double lo = p.xCentre - i * p.xStep, hi = p.xCentre + i * p.xStep;
    tick(lo);
    if (i > 0) tick(hi);
    if ((lo < p.xMin || lo > p.xMax) && (hi < p.xMin || hi > p.xMax)) break;
  }
}

}  // namespace

double PreviewGamma(double x) {
  static const double c[6] = {76.18009172947146,  -86.50532032941677,    24.01409824083091,
                              -1.231739572450155, 0.1208650973866179e-2, -0.5395239384953e-5};
  const double tmp = (x + 5.5) - (x + 0.5) * std::log(x + 5.5);
  double ser = 1.000000000190015;
  for (int j = 0; j < 6; ++j) ser += c[j] / (x + j + 1);
  return 2.5066282746310005 * ser / x * std::exp(-tmp);
}

double PreviewBeta(double a, double b) {
  return PreviewGamma(a) * PreviewGamma(b) / PreviewGamma(a + b);
}

bool PaintDensity(QImage& image, const TExtendedRandomVariable& rv, const QFont& font) {
  image.fill(Qt::white);
  const QFontMetrics fm(font);
  const TGeometry g(image.width(), image.height(), fm.height());
  TPlan plan;
  if (g.W <= 10 || g.H5 <= 0 || !Plan(rv, g, plan)) return false;
  QPainter painter(&image);
  painter.setFont(font);
  DrawAxes(painter, g, plan);
  painter.setPen(Qt::black);
  for (const auto& [a, b] : plan.lines) painter.drawLine(a, b);
  if (plan.curve.size() > 1)
    painter.drawPolyline(plan.curve.data(), static_cast<int>(plan.curve.size()));
  return true;
}

TRandomPaint::TRandomPaint(QWidget* parent) : QWidget(parent) {
  setObjectName("RandomPaint");
  setMinimumHeight(40);
}

void TRandomPaint::Plot(const TExtendedRandomVariable* rv) {
  image_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  if (rv == nullptr)
    image_.fill(parentWidget() ? parentWidget()->palette().window().color() : Qt::white);
  else
    PaintDensity(image_, *rv, font());
  update();
}

void TRandomPaint::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, image_);
}

void TRandomPaint::resizeEvent(QResizeEvent* event) {
  // The frame plots again after a resize; the image only takes the new size.
  QImage resized(event->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  resized.fill(Qt::white);
  QPainter(&resized).drawImage(0, 0, image_);
  image_ = resized;
  QWidget::resizeEvent(event);
}

}  // namespace tesmira::wb
