#include "grid_sizing.h"

#include <QtGui/QFontMetrics>
#include <algorithm>

#include "nice_grid.h"

namespace tesvane {

namespace {
// Cells and header cells draw their text a few pixels in from the lines.
constexpr int CellPadding = 10;
}  // namespace

QString WidestNumberText(const TResultFormat& format) {
  const QString digits(std::max(format.Precision, 0), QLatin1Char('9'));
  const QString point = digits.isEmpty() ? QString() : QStringLiteral(".");
  const bool scientific = !format.FormatString.empty() &&
                          (format.FormatString.back() == 'e' || format.FormatString.back() == 'E');
  if (scientific) {
    const QString e = format.FormatString.back() == 'E' ? QStringLiteral("E") : QStringLiteral("e");
    return "-9" + point + digits + e + "+99";
  }
  return "-9999" + point + digits;
}

QStringList TitleLines(const QString& title) {
  const qsizetype bar = title.indexOf(QLatin1Char('|'));
  const QString own = bar < 0 ? title : title.mid(bar + 1);
  return own.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

int NumberColumnWidth(const TNiceGrid& grid, int col, const QString& widest) {
  const TNiceColumn* column = grid.Columns()[col];
  int width = QFontMetrics(column->Font()).horizontalAdvance(widest);
  const QFontMetrics header(grid.HeaderFont());
  for (const QString& line : TitleLines(column->GetTitle()))
    width = std::max(width, header.horizontalAdvance(line));
  return width + CellPadding;
}

void FitNumberColumns(TNiceGrid& grid, int first, int last, const QString& widest, bool keepWider) {
  for (int c = first; c <= last && c < grid.ColCount(); ++c) {
    TNiceColumn* column = grid.Columns()[c];
    const int need = NumberColumnWidth(grid, c, widest);
    column->SetWidth(keepWider ? std::max(column->Width, need) : need);
  }
}

int GutterWidthFor(const TNiceGrid& grid, const QStringList& captions, int minimum) {
  const QFontMetrics fm(grid.GutterFont());
  int width = 0;
  for (const QString& caption : captions) width = std::max(width, fm.horizontalAdvance(caption));
  return std::max(minimum, width + CellPadding);
}

}  // namespace tesvane
