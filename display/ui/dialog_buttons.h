// The button row "Default", "Accept" (the default button) and "&Cancel" of the
// small option dialogs.
#pragma once

#include <QGridLayout>
#include <QPushButton>
#include <array>

inline std::array<QPushButton*, 3> AddDefaultAcceptCancel(QGridLayout* grid, int row,
                                                          QWidget* dialog) {
  std::array<QPushButton*, 3> b = {new QPushButton(QStringLiteral("Default"), dialog),
                                   new QPushButton(QStringLiteral("Accept"), dialog),
                                   new QPushButton(QStringLiteral("&Cancel"), dialog)};
  b[1]->setDefault(true);
  for (int i = 0; i < 3; ++i) grid->addWidget(b[static_cast<std::size_t>(i)], row, i);
  return b;
}
