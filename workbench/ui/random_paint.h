// The density preview of the random-variable editor: axes with tick labels
// and the density curve of the continuous distribution types, painted into
// an image that the control shows.
#pragma once

#include <QImage>
#include <QWidget>

#include "tesmira/records.h"

namespace tesmira::wb {

// Paints the density of rv into image (its whole size) with font for the
// labels. Types without a closed-form curve (LogNormal, file-based,
// Discrete) and any computation that is not finite leave the image white
// without axes; false then.
bool PaintDensity(QImage& image, const TExtendedRandomVariable& rv, const QFont& font);

// Gamma function (Lanczos approximation) and Beta function as the preview uses them.
double PreviewGamma(double x);
double PreviewBeta(double a, double b);

class TRandomPaint : public QWidget {
  Q_OBJECT
 public:
  explicit TRandomPaint(QWidget* parent = nullptr);
  // Draws the variable's density; with none, fills with the parent's colour.
  void Plot(const TExtendedRandomVariable* rv);
  const QImage& Image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QImage image_;
};

}  // namespace tesmira::wb
