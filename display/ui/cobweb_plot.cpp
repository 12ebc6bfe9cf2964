// Cobwebs: every sample a polyline across the shown variables' axes; marginals:
// each axis with the density of the selected samples' percentile ranks drawn
// sideways; the cross-density strip: marginals of the midpoints between axes.
#include <cmath>

#include "ui/fast_cobweb.h"
#include "ui/plot_render.h"

namespace {

// Axis line, the marked intervals of the active range and 21 ticks.
void DrawAxis(TPlotContext& ctx, TCanvas& c, int x, const fn::CTesploreVar& v) {
  const TRect& P = ctx.plot;
  const int H = P.Height();
  c.SetPen(ctx.colors.clr[ClrAxis]);
  c.Line(x, P.top, x, P.bottom);
  c.SetPen(ctx.colors.clr[ClrLines]);
  for (const auto& [lo, hi] : v.ActiveRange->GetIntervals()) {
    c.Line(x, static_cast<int>(P.bottom - H * lo), x, static_cast<int>(P.bottom - H * hi));
  }
  for (int j = 0; j <= 20; ++j) {
    const int y = H * j / 20 + P.top;
    const int d = j % 2 == 0 ? 4 : 2;
    c.Line(x - d, y, x + d, y);
  }
}

// The values 1.00, 0.90, ... 0.00 beside an axis, fewer where they would
// touch.
void DrawFractions(TPlotContext& ctx, TCanvas& c, int x) {
  const TRect& P = ctx.plot;
  const int H = P.Height();
  const int half = c.TextHeight(QStringLiteral("0")) / 2;
  std::vector<TTickLabel> labels;
  for (int j = 0; j < 11; ++j)
    labels.push_back({x, H * j / 10 + P.top - half, FormatFixed(1 - j * 0.1, 2)});
  DrawTickLabels(c, labels, ctx.labels);
}

float Scale(const fn::CTesploreVar& v, std::size_t s, std::int32_t scale) {
  return scale == ScalePercentiles ? v.PercentileRank(s)
         : scale == ScaleNatural   ? v.NaturalScale(s)
                                   : v.LogScale(s);
}

// One frame of cobwebs: the shown variables' axes and the samples' lines in
// drawing order with their colours.
struct TCobwebs {
  std::vector<int> xs;
  std::vector<const fn::CTesploreVar*> vars;
  std::int32_t scale = ScalePercentiles;
  std::vector<std::uint32_t> order;
  std::vector<int> index;  // colour: 0 ... 19 colour map, 46 / 47 marking
  const fn::CTesploreVar& Var(int k) const { return *vars[static_cast<std::size_t>(k)]; }
};

TCobwebs CobwebAxes(const SampleDataView& doc, const TRect& P) {
  TCobwebs webs;
  const auto n = static_cast<int>(doc.CountVisible());
  webs.xs.resize(static_cast<std::size_t>(n));
  webs.vars.resize(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    webs.xs[static_cast<std::size_t>(k)] = k * P.Width() / (n - 1) + P.left;
    webs.vars[static_cast<std::size_t>(k)] = &doc.VisibleVariable(static_cast<std::uint32_t>(k));
  }
  webs.scale = doc.m_cobwebScale;
  return webs;
}

// The lines of each pass in drawing order: outside the filter first while a
// range is marked, then the samples inside it; coloured by the first axis
// that has a range, or by the marking.
void OrderLines(const TPlotContext& ctx, TCobwebs& webs) {
  SampleDataView& doc = ctx.doc;
  const int n = static_cast<int>(webs.vars.size());
  int colourAxis = 0;
  for (int k = 0; k < n; ++k) {
    if (webs.Var(k).GetMin() != webs.Var(k).GetMax()) {
      colourAxis = k;
      break;
    }
  }
  const std::vector<bool>& filter = doc.Filter();
  std::size_t shown = std::min<std::size_t>(doc.m_numSamples, filter.size());
  for (const auto* v : webs.vars) shown = std::min(shown, v->GetSamples().size());
  const bool selecting = ctx.mouseState == MouseRangeSelection;
  const int levels = std::clamp(ctx.colors.ColormapSize, 1, 20);
  const double levelFactor = levels * 1.0 - 0.0001;
  for (int pass = selecting ? 0 : 1; pass < 2; ++pass) {
    const std::vector<float>& cv = doc.ScaledValues(webs.Var(colourAxis), webs.scale);
    for (std::size_t s = 0; s < shown; ++s) {
      if (filter[s] != (pass == 1)) continue;
      webs.order.push_back(static_cast<std::uint32_t>(s));
      if (selecting) {
        webs.index.push_back(pass == 0 ? PaletteClr + ClrNotSelected : PaletteClr + ClrSelected);
      } else {
        const float x = s < cv.size() ? cv[s] : Scale(webs.Var(colourAxis), s, webs.scale);
        webs.index.push_back(PaletteVal +
                             std::clamp(static_cast<int>(x * levelFactor), 0, levels - 1));
      }
    }
  }
}

// The lines written into the frame's own picture, row by row.
void LinesIntoImage(TPlotContext& ctx, TCanvas& c, const TCobwebs& webs) {
  const TRect& P = ctx.plot;
  const int n = static_cast<int>(webs.vars.size());
  const int count = static_cast<int>(webs.order.size());
  TCobwebLines lines;
  lines.x = webs.xs;
  lines.count = count;
  lines.y.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(count));
  for (int k = 0; k < n; ++k) {
    const std::vector<float>& sv = ctx.doc.ScaledValues(webs.Var(k), webs.scale);
    int* y = lines.y.data() + static_cast<std::ptrdiff_t>(k) * count;
    for (int j = 0; j < count; ++j)
      y[j] = static_cast<int>(P.bottom - sv[webs.order[static_cast<std::size_t>(j)]] * P.Height());
  }
  lines.colour.resize(static_cast<std::size_t>(count));
  for (int j = 0; j < count; ++j)
    lines.colour[static_cast<std::size_t>(j)] =
        ctx.palette[static_cast<std::size_t>(webs.index[static_cast<std::size_t>(j)])];
  // The painter must not hold unwritten work over the rows written directly.
  ctx.painter.end();
  DrawCobwebLines(*ctx.image, lines, P.top, P.bottom, ctx.threads);
  ctx.painter.begin(ctx.image);
  c.Reapply();
}

// The lines drawn as polylines, on devices that cannot be written directly.
void LinesPainted(TPlotContext& ctx, TCanvas& c, const TCobwebs& webs) {
  const TRect& P = ctx.plot;
  const int n = static_cast<int>(webs.vars.size());
  const bool selecting = ctx.mouseState == MouseRangeSelection;
  QPolygon line(n);
  for (std::size_t j = 0; j < webs.order.size(); ++j) {
    const int i = webs.index[j];
    const TColor colour =
        i >= PaletteClr ? ctx.colors.clr[i - PaletteClr] : ctx.colors.val[i - PaletteVal];
    const bool inside = selecting && i == PaletteClr + ClrSelected;
    if (j == 0 || colour != c.PenColour() || inside) c.SetPen(colour, inside ? 2 : 1);
    for (int k = 0; k < n; ++k) {
      const float v = Scale(webs.Var(k), webs.order[j], webs.scale);
      line.setPoint(k, webs.xs[static_cast<std::size_t>(k)],
                    static_cast<int>(P.bottom - v * P.Height()));
    }
    c.Polyline(line);
  }
}

// The names, the axes and, by the scale, their bounds or fractions.
void DrawCobwebAxes(TPlotContext& ctx, TCanvas& c, const TCobwebs& webs) {
  const TRect& P = ctx.plot;
  const int n = static_cast<int>(webs.vars.size());
  c.SetPen(ctx.colors.clr[ClrLines]);
  c.SetTextColour(ctx.colors.clr[ClrText]);
  DrawNames(ctx, c, webs.xs, webs.scale == ScaleNatural);
  c.SetFont(PlotFonts[0]);
  const int w0 = c.TextWidth(QStringLiteral("0.00"));
  std::vector<TTickLabel> highs, lows;
  for (int k = 0; k < n; ++k) {
    const int x = webs.xs[static_cast<std::size_t>(k)];
    const fn::CTesploreVar& v = webs.Var(k);
    DrawAxis(ctx, c, x, v);
    if (webs.scale == ScaleNatural) {
      const QString hi = FormatGeneral(v.GetMax(), 2), lo = FormatGeneral(v.GetMin(), 2);
      highs.push_back({x - c.TextWidth(hi) / 2, P.top - c.TextHeight(hi) - 2, hi});
      lows.push_back({x - c.TextWidth(lo) / 2, P.bottom + 5, lo});
    } else if (webs.scale == ScalePercentiles && (k == 0 || k == n - 1)) {
      DrawFractions(ctx, c, k == 0 ? x - 5 - w0 : x + 5);
    }
  }
  DrawTickLabels(c, highs, ctx.labels);
  DrawTickLabels(c, lows, ctx.labels);
}

}  // namespace

void DrawCobwebs(TPlotContext& ctx, TCanvas& c) {
  SampleDataView& doc = ctx.doc;
  const TRect saved = ctx.plot;
  if (doc.m_crossDensity) ctx.plot.top += saved.Height() / 3;
  TCobwebs webs = CobwebAxes(doc, ctx.plot);
  OrderLines(ctx, webs);
  if (ctx.image != nullptr)
    LinesIntoImage(ctx, c, webs);
  else
    LinesPainted(ctx, c, webs);
  DrawCobwebAxes(ctx, c, webs);
  ctx.plot = saved;
  if (doc.m_crossDensity) DrawMarginals(ctx, c, true);
}

void DrawMarginals(TPlotContext& ctx, TCanvas& c, bool strip) {
  SampleDataView& doc = ctx.doc;
  const TColorRecord& colors = ctx.colors;
  const TRect saved = ctx.plot;
  if (strip) {
    const int fullH = saved.Height();
    ctx.plot.bottom = fullH / 3 + saved.bottom - ctx.whole.bottom + ctx.whole.top;
    ctx.plot.top = ctx.whole.top + 15;
    if (ctx.plot.Height() <= 16) {
      ctx.plot = saved;
      return;
    }
  }
  const TRect P = ctx.plot;
  const int W = P.Width(), H = P.Height();
  int n = static_cast<int>(doc.CountVisible());
  if (strip) --n;
  if (n < 1) {
    ctx.plot = saved;
    return;
  }
  c.SetFont(PlotFonts[0]);
  const int w0 = c.TextWidth(QStringLiteral("0.00"));
  doc.UpdateEstimators(H);
  const bool wide = 4 * w0 < (W + w0) / n;
  const int pad = wide ? w0 + 10 : 10;
  const int b = (strip ? W / (n + 1) : W / n) - pad;

  std::vector<int> xs(static_cast<std::size_t>(n));
  std::vector<float> factors(static_cast<std::size_t>(n));
  c.SetBrush(colors.clr[ClrFill]);
  c.SetPen(colors.clr[ClrLines]);
  for (int k = 0; k < n; ++k) {
    const fn::CTesploreVar& v = doc.VisibleVariable(static_cast<std::uint32_t>(k));
    const int x0 = strip ? (W * (2 * k + 1) / n) / 2 + P.left : (W + w0) * k / n + P.left;
    xs[static_cast<std::size_t>(k)] = x0;
    QPolygon poly;
    poly << QPoint(x0, P.bottom);
    double t = 0.0;
    std::int32_t points = 0;
    if (v.DensityEstimate) {
      points = v.DensityEstimate->noPoints();
      for (std::int32_t g = 0; g < points; ++g) {
        double p, density;
        v.DensityEstimate->GridPoint(g, p, density);
        if (p < 0.0 || p > 100.0) continue;
        const double d = density * v.DensityScale;
        const double rel = (d - v.MinDensity) * v.InvDensitySpan;
        t += rel;
        const int dx = std::max(0, static_cast<int>(std::floor(rel * b)));
        poly << QPoint(x0 + dx, P.bottom - static_cast<int>(H * p * 0.01));
      }
    }
    poly << QPoint(x0, P.top);
    c.Polygon(poly);
    factors[static_cast<std::size_t>(k)] =
        t == 0.0 ? 0.0f
                 : static_cast<float>(points * static_cast<double>(doc.m_numSamples) / (t * 100.0));
  }
  c.SetBrush(colors.clr[ClrBackground]);
  if (!strip) DrawNames(ctx, c, xs, false);
  c.SetFont(PlotFonts[0]);
  for (int k = 0; k < n; ++k) {
    const int x0 = xs[static_cast<std::size_t>(k)];
    if (strip) {
      c.SetPen(colors.clr[ClrLines]);
      c.Line(x0, P.top, x0, P.bottom);
      for (int j = 0; j <= 20; ++j) {
        const int y = H * j / 20 + P.top, d = j % 2 == 0 ? 4 : 2;
        c.Line(x0 - d, y, x0 + d, y);
      }
    } else {
      DrawAxis(ctx, c, x0, doc.VisibleVariable(static_cast<std::uint32_t>(k)));
    }
    c.Line(x0, P.bottom, x0 + b, P.bottom);
    c.Line(x0 + b, P.bottom - 4, x0 + b, P.bottom + 4);
    c.TextOut(x0 + b - w0, P.bottom + 5, FormatFactor(factors[static_cast<std::size_t>(k)]));
    if (k == 0 || wide) {
      DrawFractions(ctx, c, x0 - w0 - 5);
    }
  }
  ctx.plot = saved;
}
