// Text that can be longer than any width (names, paths, titles) is cut at
// the end with "..." to the width it has; the caller shows it whole in a
// tool tip.
#pragma once

#include <QFontMetrics>
#include <QString>

namespace tesmira::wb {

inline QString ElideText(const QFontMetrics& fm, const QString& text, int width) {
  if (fm.horizontalAdvance(text) <= width) return text;
  const QString dots = "...";
  qsizetype keep = text.size();
  while (keep > 0 && fm.horizontalAdvance(text.left(keep) + dots) > width) --keep;
  // A surrogate pair stays whole.
  if (keep > 0 && text.at(keep - 1).isHighSurrogate()) --keep;
  return text.left(keep) + dots;
}

}  // namespace tesmira::wb
