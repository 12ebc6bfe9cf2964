// A label for names of any length: a text wider than the label ends in
// "..." and the whole text shows as its tooltip.
#pragma once

#include <QtWidgets/QLabel>

namespace tesvane {

class TElidedLabel : public QLabel {
 public:
  explicit TElidedLabel(QWidget* parent = nullptr);
  // The whole text; text() is what the label shows of it.
  void SetFullText(const QString& text);
  const QString& FullText() const { return full_; }
  // A tooltip shown whether or not the text is cut (instead of the text).
  void SetFixedToolTip(const QString& tip);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void Elide();
  QString full_, fixedTip_;
};

}  // namespace tesvane
