// Column and gutter widths of the result grids, measured in the fonts in use
// so that numbers, header words and row captions are shown whole.
#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>

#include "sample_store.h"

namespace tesvane {

class TNiceGrid;

// The widest number the result format writes in a column sized for it:
// "-9999.9999" in General, "-9.9999e+99" in Scientific (precision 4).
QString WidestNumberText(const TResultFormat& format);
// The lines of a column title in the header: the part after the group's
// "|", split at ";".
QStringList TitleLines(const QString& title);
// The width column `col` needs to show `widest` in its font and every line
// of its title in the header font.
int NumberColumnWidth(const TNiceGrid& grid, int col, const QString& widest);
// Gives the number columns from `first` to `last` the width they need;
// with `keepWider` a wider column keeps its width.
void FitNumberColumns(TNiceGrid& grid, int first, int last, const QString& widest, bool keepWider);
// The gutter width that shows every caption whole in the gutter font, and
// at least `minimum`.
int GutterWidthFor(const TNiceGrid& grid, const QStringList& captions, int minimum);

}  // namespace tesvane
