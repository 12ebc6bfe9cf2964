// The button row "Default", "Accept" (the default button) and "&Cancel" of the
// small option dialogs, and the small buttons of one character.
#pragma once

#include <QGridLayout>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <array>

// A button of one character as narrow as its design width, and wider where
// the font in use needs more room for its caption.
inline void SetNarrowWidth(QPushButton* button, int designWidth) {
  const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
  button->setFixedWidth(std::max(
      designWidth, button->fontMetrics().horizontalAdvance(button->text()) + 2 * margin + 4));
}

inline std::array<QPushButton*, 3> AddDefaultAcceptCancel(QGridLayout* grid, int row,
                                                          QWidget* dialog) {
  std::array<QPushButton*, 3> b = {new QPushButton(QStringLiteral("Default"), dialog),
                                   new QPushButton(QStringLiteral("Accept"), dialog),
                                   new QPushButton(QStringLiteral("&Cancel"), dialog)};
  b[1]->setDefault(true);
  for (int i = 0; i < 3; ++i) grid->addWidget(b[static_cast<std::size_t>(i)], row, i);
  return b;
}
