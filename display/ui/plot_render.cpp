#include "ui/plot_render.h"

QFont PlotFonts[2];

TRect PlotLayout(const TRect& whole, const QFont fonts[2], QPaintDevice* device) {
  const QFontMetrics f0(PlotFont(fonts[0]), device), f1(PlotFont(fonts[1]), device);
  const int tw = f0.horizontalAdvance(QStringLiteral("0")), th = f0.height();
  const int th1 = f1.height();
  int widest = 0;
  for (const char* label : {"-0.00088", "-8.8e+88", "-8.8e-88"})
    widest = std::max(widest, f0.horizontalAdvance(QString::fromLatin1(label)));
  return TRect{whole.left + std::max(7 * tw, widest + 9), whole.top + 3 * th1 + th,
               whole.right - std::max(8 * tw, widest + 2), whole.bottom - 2 * th};
}

void RenderPlot(TPlotContext& ctx) {
  SampleDataView& doc = ctx.doc;
  ctx.palette = BuildPalette(ctx.colors);
  TCanvas c(ctx.painter);
  c.SetTextLog(ctx.texts);
  ctx.labels.clear();
  const std::uint32_t n = doc.CountVisible();
  c.SetBrush(ctx.colors.clr[ClrBackground]);
  c.SetPen(ctx.colors.clr[ClrLines]);
  c.SetTextColour(ctx.colors.clr[ClrText]);
  c.SetFont(PlotFonts[0]);
  c.FillRect(ctx.whole);

  const std::int32_t type = doc.m_plotType;
  const bool nothing = (n < 2 && type == PlotCobwebs) ||
                       (type == PlotScatter && (doc.m_scatterX == -1 || doc.m_scatterY == -1)) ||
                       n < 1;
  if (nothing) {
    const QString text = doc.m_numVars > 0 ? QStringLiteral("Select more variables")
                                           : QStringLiteral("No samples loaded :(");
    c.TextOut(ctx.whole.left + ctx.plot.Width() / 2, ctx.whole.top + ctx.plot.Height() / 2, text);
    return;
  }
  if (type == PlotCobwebs || type == PlotMarginals) {
    const QString label = QStringLiteral("Samples selected: ");
    int y = ctx.plot.top - 3 * c.TextHeight(label) - 8;
    if (type == PlotCobwebs && doc.m_crossDensity) y += ctx.plot.Height() / 3;
    y = std::max(y, ctx.whole.top);  // large label fonts: not above the page
    c.TextOut(ctx.whole.left + 7, y, label);
    c.TextOut(ctx.whole.left + 7 + c.TextWidth(label) + 2, y, QString::number(doc.CountSelected()));
  }
  switch (type) {
    case PlotCobwebs: DrawCobwebs(ctx, c); break;
    case PlotMarginals: DrawMarginals(ctx, c, false); break;
    case PlotScatter: DrawScatter(ctx, c); break;
    case PlotDensity: DrawDensity(ctx, c); break;
    case PlotHistogram: DrawHistogram(ctx, c); break;
    default: break;
  }
}

void DrawNames(TPlotContext& ctx, TCanvas& c, const std::vector<int>& xs, bool closeFirstRow) {
  SampleDataView& doc = ctx.doc;
  const TRect& P = ctx.plot;
  c.SetFont(PlotFonts[1]);
  const int rows = std::max(1, (P.top - 5) / std::max(1, c.TextHeight(QStringLiteral("AqQ"))));
  std::vector<int> right(static_cast<std::size_t>(rows), 0);
  if (closeFirstRow) right[0] = P.right;
  QFont bold = PlotFonts[1];
  bold.setBold(true);
  for (std::size_t k = 0; k < xs.size(); ++k) {
    const int x = xs[k];
    const bool selected = doc.VisibleIndex(static_cast<std::uint32_t>(k)) == doc.m_selectedVar;
    c.SetFont(selected ? bold : PlotFonts[1]);
    QString name =
        QString::fromStdString(doc.VisibleVariable(static_cast<std::uint32_t>(k)).GetName());
    int w = c.TextWidth(name);
    int r = 0;
    while (r < rows - 1 && right[static_cast<std::size_t>(r)] + w / 2 + 5 > x) ++r;
    if (r == rows - 1) {
      while (right[static_cast<std::size_t>(r)] + w / 2 + 5 > x && name.size() > 2) {
        name.chop(1);
        w = c.TextWidth(name);
      }
    }
    right[static_cast<std::size_t>(r)] = x + w / 2;
    c.TextOut(x - w / 2, P.top - (r + 1) * c.TextHeight(name) - 5, name);
  }
  c.SetFont(PlotFonts[0]);
}
