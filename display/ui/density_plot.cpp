// Density and histogram plots: a curve or outlined bars per shown variable in
// data units, a legend at the top right and value axes at the left and bottom.
#include <cmath>

#include "ui/plot_render.h"

namespace {

constexpr Qt::PenStyle kGrayStyles[5] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                         Qt::DashDotDotLine};

TColor VariableColour(const TPlotContext& ctx, const fn::CTesploreVar& v) {
  return ctx.colors.var[((v.ViewIndex % 20) + 20) % 20];
}

struct TScales {
  TBox box;
  double sx, sy;
};

// Estimators, fit and scales shared by both plots (the first two steps).
TScales Prepare(TPlotContext& ctx, TCanvas& c) {
  SampleDataView& doc = ctx.doc;
  const TRect& P = ctx.plot;
  doc.UpdateEstimators(P.Width());
  doc.UpdateBoundingBox(false);
  if (ctx.boxChanged) ctx.boxChanged();
  TScales s{doc.ZoomBox(doc.m_box), 1.0, 1.0};
  if (s.box.x0 == s.box.x1) {
    float d = (doc.m_maxValue - doc.m_minValue) / 2;
    if (doc.m_maxValue - doc.m_minValue == 0) d = 1;
    s.box.x0 -= d;
    s.box.x1 += d;
  }
  if (s.box.x1 != s.box.x0) s.sx = P.Width() / static_cast<double>(s.box.x1 - s.box.x0);
  if (s.box.y1 != s.box.y0) s.sy = P.Height() / static_cast<double>(s.box.y1 - s.box.y0);
  c.Clip(P);
  return s;
}

// The legend: names at the right edge of the page above the plot, with a box
// (or a line sample when printing in grayscale) in each variable's colour.
void DrawLegend(TPlotContext& ctx, TCanvas& c, bool lineSamples) {
  SampleDataView& doc = ctx.doc;
  const TRect& P = ctx.plot;
  const int top = ctx.whole.top;
  c.SetBrush(ctx.colors.clr[ClrBackground]);
  c.SetPen(ctx.colors.clr[ClrLines]);
  c.SetFont(PlotFonts[1]);
  const auto n = static_cast<int>(doc.CountVisible());
  for (int k = 0; k < n; ++k) {
    const fn::CTesploreVar& v = doc.VisibleVariable(static_cast<std::uint32_t>(k));
    const QString name = QString::fromStdString(v.GetName());
    const int h = c.TextHeight(name);
    c.TextOut(P.right - c.TextWidth(name), top + (h + 2) * k + h, name);
    if (lineSamples) {
      c.SetPen(VariableColour(ctx, v), 1, kGrayStyles[k % 5]);
      const int y = top + 2 * h + (h + 2) * k;
      c.Line(P.right + h / 2, y, P.right + 4 * h, y);
      c.SetPen(ctx.colors.clr[ClrLines]);
    } else {
      c.SetBrush(VariableColour(ctx, v));
      c.Rectangle(
          TRect{P.right + h, top + (h + 2) * k + h, P.right + 2 * h, top + (h + 2) * k + 2 * h});
      c.SetBrush(ctx.colors.clr[ClrBackground]);
    }
  }
}

void DrawValueAxes(TPlotContext& ctx, TCanvas& c, const TBox& box) {
  const TRect& P = ctx.plot;
  const int W = P.Width(), H = P.Height();
  c.SetFont(PlotFonts[0]);
  c.SetPen(ctx.colors.clr[ClrLines]);
  c.Line(P.left, P.top, P.left, P.bottom);
  c.Line(P.left, P.bottom, P.right, P.bottom);
  std::vector<TTickLabel> xLabels, yLabels;
  for (int j = 0; j <= 10; ++j) {
    const int y = P.bottom - H * j / 10;
    c.Line(P.left - 4, y, P.left + 4, y);
    const QString yl = FormatGeneral(box.y0 + j * (box.y1 - box.y0) * 0.1, 2);
    yLabels.push_back({P.left - c.TextWidth(yl) - 5, y - c.TextHeight(yl) + 5, yl});
    const int x = W * j / 10 + P.left;
    c.Line(x, P.bottom - 4, x, P.bottom + 4);
    const QString xl = FormatGeneral(box.x0 + j * (box.x1 - box.x0) * 0.1, 2);
    xLabels.push_back({x - c.TextWidth(xl) / 2, P.bottom + 9, xl});
  }
  DrawTickLabels(c, xLabels, ctx.labels);
  DrawTickLabels(c, yLabels, ctx.labels);
}

}  // namespace

void DrawDensity(TPlotContext& ctx, TCanvas& c) {
  SampleDataView& doc = ctx.doc;
  const TRect P = ctx.plot;
  const int W = P.Width(), H = P.Height();
  const TScales s = Prepare(ctx, c);
  const bool cumulative = doc.m_densityMode == DensityCumulative;
  const auto n = static_cast<int>(doc.CountVisible());
  for (int k = 0; k < n; ++k) {
    const fn::CTesploreVar& v = doc.VisibleVariable(static_cast<std::uint32_t>(k));
    c.SetPen(VariableColour(ctx, v), 1, ctx.grayscale ? kGrayStyles[k % 5] : Qt::SolidLine);
    if (!v.DensityEstimate) continue;
    if (v.GetSpan() == 0.0f) {
      // A constant variable has no density to draw, only its value: a circle
      // standing on the zero level.
      const int x = static_cast<int>((v.GetMin() - s.box.x0) * s.sx);
      const int y = static_cast<int>((0.0 - s.box.y0) * s.sy);
      const int cx = P.left + x, cy = P.bottom - y - 5;
      c.Ellipse(TRect{cx - 5, cy - 5, cx + 5, cy + 5});
      continue;
    }
    const stats::KernelEstimator& e = *v.DensityEstimate;
    const std::int32_t m = e.noPoints();
    // Pixel position of grid point i, with the running sum in cumulative mode.
    std::vector<QPoint> pts(static_cast<std::size_t>(m));
    std::vector<double> ps(static_cast<std::size_t>(m));
    double sum = 0.0;
    for (std::int32_t i = 0; i < m; ++i) {
      double p, density;
      e.GridPoint(i, p, density);
      const double value = cumulative ? density * v.InvDensitySum : density * v.DensityScale;
      sum += value;
      const double h = (cumulative ? sum : value) - s.box.y0;
      const double x = (v.GetMin() + v.GetSpan() * (p - 100) * 0.01 - s.box.x0) * s.sx;
      pts[static_cast<std::size_t>(i)] = QPoint(static_cast<int>(x), static_cast<int>(h * s.sy));
      ps[static_cast<std::size_t>(i)] = p;
    }
    int xmin = INT_MAX, xmax = INT_MIN, ymin = INT_MAX, ymax = INT_MIN;
    QPolygon run;
    auto flush = [&] {
      if (run.size() >= 2) c.Polyline(run);
      run.clear();
    };
    for (std::int32_t i = 0; i < m; ++i) {
      if (ps[static_cast<std::size_t>(i)] < 100 || ps[static_cast<std::size_t>(i)] > 200) continue;
      const QPoint a = pts[static_cast<std::size_t>(i)];
      const QPoint b = pts[static_cast<std::size_t>(std::min(i + 1, m - 1))];
      if ((a.x() < 0 && b.x() < 0) || (a.x() > W && b.x() > W) || (a.y() < 0 && b.y() < 0) ||
          (a.y() > H && b.y() > H)) {
        continue;
      }
      const QPoint sa(a.x() + P.left, P.bottom - a.y()), sb(b.x() + P.left, P.bottom - b.y());
      if (ctx.grayscale) {
        if (run.isEmpty()) {
          run << sa << sb;
        } else if (run.last() != sa) {
          flush();  // the segment that breaks the run is dropped
        } else {
          run << sb;
        }
      } else {
        c.Line(sa.x(), sa.y(), sb.x(), sb.y());
      }
      xmin = std::min({xmin, a.x(), b.x()});
      xmax = std::max({xmax, a.x(), b.x()});
      ymin = std::min({ymin, a.y(), b.y()});
      ymax = std::max({ymax, a.y(), b.y()});
    }
    if (ctx.grayscale) flush();
    if (xmin <= xmax && xmax - xmin < 2 && ymax - ymin < 2) {
      const int cx = P.left + (xmin + xmax) / 2, cy = P.bottom - (ymin + ymax) / 2;
      c.Ellipse(TRect{cx - 5, cy - 5, cx + 5, cy + 5});
    }
  }
  c.NoClip();
  c.SetPen(ctx.colors.clr[ClrLines]);
  DrawLegend(ctx, c, ctx.grayscale);
  DrawValueAxes(ctx, c, s.box);
}

void DrawHistogram(TPlotContext& ctx, TCanvas& c) {
  SampleDataView& doc = ctx.doc;
  const TRect P = ctx.plot;
  const TScales s = Prepare(ctx, c);
  const bool cumulative = doc.m_densityMode == DensityCumulative;
  const auto n = static_cast<int>(doc.CountVisible());
  const double samples = doc.m_numSamples > 0 ? doc.m_numSamples : 1;
  for (int k = 0; k < n; ++k) {
    const fn::CTesploreVar& v = doc.VisibleVariable(static_cast<std::uint32_t>(k));
    if (!v.Bins) break;
    c.SetBrush(VariableColour(ctx, v));
    const stats::Histogram& bins = *v.Bins;
    const double w = bins.GetBinWidth();
    const int o = static_cast<int>(bins.GetOrigin() - 100);
    const int bw = static_cast<int>(w * 0.01 * s.sx * v.GetSpan());
    double sum = 0.0;
    for (std::int32_t i = 0; i < bins.GetNumBins(); ++i) {
      double height;
      if (cumulative) {
        sum += bins.GetCount(i) / samples;
        height = sum;
      } else {
        height = v.BinHeight(i, doc.m_numSamples);
      }
      const double left = v.GetMin() + v.GetSpan() * (o + i * w) / 100;
      const int ph = static_cast<int>(s.sy * height);
      const int x = static_cast<int>((left - s.box.x0) * s.sx);
      c.FrameRect(TRect{x + P.left, P.bottom - ph, x + P.left + bw, P.bottom});
    }
  }
  c.NoClip();
  // The labels measure the bars: they use the box the bars were drawn in.
  DrawLegend(ctx, c, false);
  DrawValueAxes(ctx, c, s.box);
}
