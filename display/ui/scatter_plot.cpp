// Scatter: the samples of two chosen variables as soft dots, with axes through
// the centre of the plot.
#include <cmath>

#include "ui/plot_render.h"

namespace {

std::vector<int> DotWeights(int size) {
  std::vector<int> w(static_cast<std::size_t>(size * size));
  const int c = size / 2;
  for (int j = 0; j < size; ++j) {
    for (int i = 0; i < size; ++i) {
      const double r2 = (i - c) * (i - c) + (j - c) * (j - c);
      w[static_cast<std::size_t>(j * size + i)] =
          static_cast<int>(255.0 * std::exp(-r2 / (size * std::sqrt(2.0))));
    }
  }
  return w;
}

// The zoomed box of the scatter plot, widened where it has no width or height.
TBox ScatterBox(TPlotContext& ctx) {
  SampleDataView& doc = ctx.doc;
  doc.UpdateBoundingBox(false);
  TBox box = doc.ZoomBox(doc.m_scatterBox);
  if (box.x0 == box.x1) {
    box.x0 -= 1;
    box.x1 += 1;
  }
  if (box.y0 == box.y1) {
    box.y0 -= 1;
    box.y1 += 1;
  }
  if (ctx.boxChanged) ctx.boxChanged();
  return box;
}

// The dots of one plot: their centres and their S x S weights.
struct TDots {
  std::vector<QPoint> at;
  int S = 1;
  std::vector<int> weights;
  int Weight(int i, int j) const { return weights[static_cast<std::size_t>(j * S + i)]; }
};

// Every dot pixel of weight 129 or more within the plot gets AND-ed with the
// dot colour, so overlapping dots do not darken further.
void DotsIntoImage(TPlotContext& ctx, TCanvas& c, const TDots& dots) {
  const TRect& P = ctx.plot;
  const int S = dots.S, half = S / 2;
  const std::uint32_t dot = ColorToRgb(ctx.colors.clr[ClrDot]);
  const TRect clip{std::max(P.left, 0), std::max(P.top, 0), std::min(P.right, ctx.image->width()),
                   std::min(P.bottom, ctx.image->height())};
  std::vector<QPoint> mask;
  for (int j = 0; j < S; ++j) {
    for (int i = 0; i < S; ++i) {
      if (dots.Weight(i, j) >= 129) mask.emplace_back(i - half, j - half);
    }
  }
  ctx.painter.end();
  auto* base = reinterpret_cast<std::uint32_t*>(ctx.image->bits());
  const std::ptrdiff_t stride = ctx.image->bytesPerLine() / 4;
  for (const QPoint& p : dots.at) {
    for (const QPoint& d : mask) {
      const int x = p.x() + d.x(), y = p.y() + d.y();
      if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
        base[y * stride + x] &= dot;
    }
  }
  ctx.painter.begin(ctx.image);
  c.Reapply();
}

// Other devices cannot be read back: the dots go into a picture of the plot
// area first, darker values winning, in gray.
void DotsThroughPicture(TPlotContext& ctx, const TDots& dots) {
  const TRect& P = ctx.plot;
  const int W = P.Width(), H = P.Height();
  const int S = dots.S, half = S / 2;
  QImage area(W, H, QImage::Format_RGB32);
  area.fill(QColor::fromRgb(ColorToRgb(ctx.colors.clr[ClrBackground])));
  auto* base = reinterpret_cast<std::uint32_t*>(area.bits());
  const std::ptrdiff_t stride = area.bytesPerLine() / 4;
  for (const QPoint& p : dots.at) {
    for (int j = 0; j < S; ++j) {
      for (int i = 0; i < S; ++i) {
        const int x = p.x() + i - half - P.left, y = p.y() + j - half - P.top;
        if (x < 0 || x >= W || y < 0 || y >= H) continue;
        const int v = 255 - dots.Weight(i, j);
        std::uint32_t& px = base[y * stride + x];
        if (v < static_cast<int>((px >> 16) & 0xff)) px = 0xff000000u | (v << 16) | (v << 8) | v;
      }
    }
  }
  ctx.painter.drawImage(P.left, P.top, area);
}

// The axes through the centre of the plot, their ticks, values and names (the
// horizontal axis's name written downwards at the left).
void DrawScatterAxes(TPlotContext& ctx, TCanvas& c, const QString& xName, const QString& yName,
                     const TBox& box) {
  const TRect& P = ctx.plot;
  const int W = P.Width(), H = P.Height();
  c.SetPen(ctx.colors.clr[ClrLines]);
  c.SetTextColour(ctx.colors.clr[ClrText]);
  const int ymid = (P.top + P.bottom) / 2, xmid = (P.left + P.right) / 2;
  QFont bold = PlotFonts[1];
  bold.setBold(true);

  c.Line(P.left, ymid, P.right, ymid);
  c.SetFont(bold);
  const int h = c.TextHeight(xName);
  const int xName0 = P.left - c.TextWidth(QStringLiteral("Qe")) - 5;
  for (int i = 0; i < xName.size(); ++i) {
    c.TextOut(xName0, ymid - (static_cast<int>(xName.size()) * h) / 2 + i * h, xName.mid(i, 1));
  }
  c.SetFont(PlotFonts[0]);
  std::vector<TTickLabel> xLabels;
  for (int j = 0; j <= 10; ++j) {
    const int x = W * j / 10 + P.left;
    c.Line(x, ymid - 4, x, ymid + 4);
    xLabels.push_back(
        {x + (j == 5 ? 5 : 0), ymid + 5, FormatGeneral(box.x0 + j * (box.x1 - box.x0) * 0.1, 2)});
  }

  c.Line(xmid, P.top, xmid, P.bottom);
  c.SetFont(bold);
  c.TextOut(xmid - c.TextWidth(yName) / 2, P.top - c.TextHeight(yName) - 5, yName);
  c.SetFont(PlotFonts[0]);
  std::vector<TTickLabel> yLabels;
  for (int j = 0; j <= 10; ++j) {
    const int y = P.bottom - H * j / 10;
    c.Line(xmid - 4, y, xmid + 4, y);
    const QString label = FormatGeneral(box.y0 + j * (box.y1 - box.y0) * 0.1, 2);
    yLabels.push_back({xmid + 5, y - (j == 5 ? 5 + c.TextHeight(label) : 0), label});
  }
  // Where the two axes' labels would meet, the horizontal axis's stay.
  DrawTickLabels(c, xLabels, ctx.labels);
  DrawTickLabels(c, yLabels, ctx.labels);
}

}  // namespace

void DrawScatter(TPlotContext& ctx, TCanvas& c) {
  SampleDataView& doc = ctx.doc;
  const TRect P = ctx.plot;
  const int W = P.Width(), H = P.Height();
  const fn::CTesploreVar& X = *doc.m_order[static_cast<std::size_t>(doc.m_scatterX)];
  const fn::CTesploreVar& Y = *doc.m_order[static_cast<std::size_t>(doc.m_scatterY)];
  const TBox box = ScatterBox(ctx);
  const double sx = box.x1 != box.x0 ? 1.0 / (box.x1 - box.x0) : 1.0;
  const double sy = box.y1 != box.y0 ? 1.0 / (box.y1 - box.y0) : 1.0;

  TDots dots;
  dots.S = std::clamp(ctx.colors.ScattDot, 1, 20);
  dots.weights = DotWeights(dots.S);
  const std::size_t n = std::min(
      {static_cast<std::size_t>(doc.m_numSamples), X.GetSamples().size(), Y.GetSamples().size()});
  dots.at.resize(n);
  for (std::size_t s = 0; s < n; ++s) {
    dots.at[s] = QPoint(static_cast<int>((X.GetSamples()[s] - box.x0) * sx * W + P.left),
                        static_cast<int>((box.y0 - Y.GetSamples()[s]) * sy * H + P.bottom));
  }
  if (ctx.image)
    DotsIntoImage(ctx, c, dots);
  else if (W > 0 && H > 0)
    DotsThroughPicture(ctx, dots);
  DrawScatterAxes(ctx, c, QString::fromStdString(X.GetName()), QString::fromStdString(Y.GetName()),
                  box);
}
