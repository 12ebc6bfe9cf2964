#include "elided_label.h"

#include <QtGui/QFontMetrics>

namespace tesvane {

TElidedLabel::TElidedLabel(QWidget* parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

void TElidedLabel::SetFullText(const QString& text) {
  full_ = text;
  updateGeometry();
  Elide();
}

void TElidedLabel::SetFixedToolTip(const QString& tip) {
  fixedTip_ = tip;
  Elide();
}

QSize TElidedLabel::sizeHint() const {
  const QFontMetrics fm(font());
  const QMargins m = contentsMargins();
  return {fm.horizontalAdvance(full_) + m.left() + m.right() + 2 * margin(),
          QLabel::sizeHint().height()};
}

QSize TElidedLabel::minimumSizeHint() const {
  // Room for a few letters and the dots.
  const QFontMetrics fm(font());
  const int letters = fm.horizontalAdvance(full_.left(3) + "...");
  return {std::min(sizeHint().width(), letters), QLabel::minimumSizeHint().height()};
}

void TElidedLabel::resizeEvent(QResizeEvent* e) {
  QLabel::resizeEvent(e);
  Elide();
}

void TElidedLabel::Elide() {
  const QFontMetrics fm(font());
  const int room = contentsRect().width() - 2 * margin();
  QString shown = full_;
  if (fm.horizontalAdvance(full_) > room) {
    // Qt's elision puts one ellipsis character; the program writes three dots.
    while (!shown.isEmpty() && fm.horizontalAdvance(shown + "...") > room) shown.chop(1);
    shown += "...";
    if (fm.horizontalAdvance(shown) > room) shown.clear();
  }
  setToolTip(!fixedTip_.isEmpty() ? fixedTip_ : shown == full_ ? QString() : full_);
  if (text() != shown) setText(shown);
}

}  // namespace tesvane
