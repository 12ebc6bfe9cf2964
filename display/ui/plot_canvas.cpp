#include "ui/plot_canvas.h"

#include <charconv>
#include <cmath>

QColor ToQColor(TColor c) { return QColor::fromRgb(ColorToRgb(c)); }

QFont PlotFont(const QFont& font) {
  QFont f(font);
  f.setStyleStrategy(QFont::NoAntialias);
  f.setHintingPreference(QFont::PreferFullHinting);
  return f;
}

TCanvas::TCanvas(QPainter& painter) : p_(painter), font_(PlotFont(painter.font())) { Reapply(); }

void TCanvas::Reapply() {
  p_.setRenderHint(QPainter::Antialiasing, false);
  p_.setRenderHint(QPainter::TextAntialiasing, false);
  p_.setFont(font_);
  ApplyPen();
  SetBrush(brush_);
}

void TCanvas::ApplyPen() {
  QPen pen(ToQColor(pen_));
  pen.setWidth(penWidth_ <= 1 ? 0 : penWidth_);  // width 0: one pixel, cosmetic
  pen.setStyle(penStyle_);
  pen.setCapStyle(Qt::SquareCap);
  pen.setJoinStyle(Qt::MiterJoin);
  p_.setPen(pen);
}

void TCanvas::SetPen(TColor colour, int width, Qt::PenStyle style) {
  pen_ = colour;
  penWidth_ = width;
  penStyle_ = style;
  ApplyPen();
}

void TCanvas::SetBrush(TColor colour) {
  brush_ = colour;
  p_.setBrush(ToQColor(colour));
}

void TCanvas::SetFont(const QFont& font) {
  font_ = PlotFont(font);
  p_.setFont(font_);
}

int TCanvas::TextWidth(const QString& text) const {
  return QFontMetrics(font_, p_.device()).horizontalAdvance(text);
}

int TCanvas::TextHeight(const QString&) const { return QFontMetrics(font_, p_.device()).height(); }

QRect TCanvas::TextRect(int x, int y, const QString& text) const {
  return QRect(x, y, TextWidth(text), TextHeight(text));
}

void TCanvas::TextOut(int x, int y, const QString& text) {
  if (log_) log_->emplace_back(TextRect(x, y, text), text);
  p_.setPen(ToQColor(text_));
  p_.drawText(x, y + QFontMetrics(font_, p_.device()).ascent(), text);
  ApplyPen();
}

void TCanvas::Line(int x0, int y0, int x1, int y1) { p_.drawLine(x0, y0, x1, y1); }

void TCanvas::Polyline(const QPolygon& points) { p_.drawPolyline(points); }

void TCanvas::Polygon(const QPolygon& points) { p_.drawPolygon(points); }

void TCanvas::FillRect(const TRect& r) {
  if (r.Width() > 0 && r.Height() > 0) {
    p_.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ToQColor(brush_));
  }
}

void TCanvas::FrameRect(const TRect& r) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  const QColor c = ToQColor(brush_);
  p_.fillRect(QRect(r.left, r.top, r.Width(), 1), c);
  p_.fillRect(QRect(r.left, r.bottom - 1, r.Width(), 1), c);
  p_.fillRect(QRect(r.left, r.top, 1, r.Height()), c);
  p_.fillRect(QRect(r.right - 1, r.top, 1, r.Height()), c);
}

void TCanvas::Rectangle(const TRect& r) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  FillRect(r);
  const TColor brush = brush_;
  SetBrush(pen_);
  FrameRect(r);
  SetBrush(brush);
}

void TCanvas::Ellipse(const TRect& r) {
  p_.save();
  p_.setBrush(Qt::NoBrush);
  p_.drawEllipse(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
  p_.restore();
}

void TCanvas::Clip(const TRect& r) { p_.setClipRect(QRect(r.left, r.top, r.Width(), r.Height())); }

void TCanvas::NoClip() { p_.setClipping(false); }

QString FormatGeneral(double value, int digits) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
  return QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
}

QString FormatFixed(double value, int decimals) {
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return FormatGeneral(value, decimals + 1);
  QString s = QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
  // A value that rounds to zero shows without a sign.
  if (s.startsWith('-') && s.mid(1).count('0') + 1 == s.size() - 1) s.remove(0, 1);
  return s;
}

QString FormatFactor(double value) {
  if (value == 0.0 || !std::isfinite(value)) return FormatFixed(value, 2);
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 2);
  double rounded = 0.0;
  std::from_chars(buf, r.ptr, rounded);
  return FormatFixed(rounded, 2);
}

namespace {

// Texts this close side by side read as one.
constexpr int kLabelGap = 3;

bool Touch(const QRect& a, const QRect& b) {
  return a.adjusted(-kLabelGap, 0, kLabelGap, 0).intersects(b);
}

}  // namespace

void DrawTickLabels(TCanvas& c, const std::vector<TTickLabel>& labels, std::vector<QRect>& placed) {
  const int n = static_cast<int>(labels.size());
  if (n == 0) return;
  std::vector<QRect> rects;
  rects.reserve(labels.size());
  for (const TTickLabel& l : labels) rects.push_back(c.TextRect(l.x, l.y, l.text));
  auto apart = [&](int step) {
    for (int i = step; i < n; i += step) {
      if (Touch(rects[static_cast<std::size_t>(i - step)], rects[static_cast<std::size_t>(i)]))
        return false;
    }
    return true;
  };
  // Steps that end on the last label first, then any.
  int step = 0;
  for (int pass = 0; pass < 2 && step == 0; ++pass) {
    for (int s = 1; s < std::max(n, 2); ++s) {
      if ((pass == 0 && (n - 1) % s != 0) || !apart(s)) continue;
      step = s;
      break;
    }
  }
  if (step == 0) step = std::max(n - 1, 1);
  for (int i = 0; i < n; i += step) {
    const QRect& r = rects[static_cast<std::size_t>(i)];
    bool free = true;
    for (const QRect& p : placed) free = free && !Touch(r, p);
    if (!free) continue;
    placed.push_back(r);
    c.TextOut(labels[static_cast<std::size_t>(i)].x, labels[static_cast<std::size_t>(i)].y,
              labels[static_cast<std::size_t>(i)].text);
  }
}
