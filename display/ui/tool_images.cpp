#include "ui/tool_images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 16;

void DrawOpen(QPainter& p) {
  p.setBrush(QColor(0xf0, 0xc8, 0x50));
  p.drawPolygon(QPolygonF({{1.5, 3.5}, {6.5, 3.5}, {8, 5}, {14.5, 5}, {14.5, 13.5}, {1.5, 13.5}}));
  p.setBrush(QColor(0xff, 0xe0, 0x80));
  p.drawPolygon(QPolygonF({{3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
}

void Page(QPainter& p, double x, double y, double w, double h) {
  p.setBrush(Qt::white);
  p.drawRect(QRectF(x, y, w, h));
  for (double ly = y + 3; ly < y + h - 1; ly += 2.5)
    p.drawLine(QPointF(x + 2, ly), QPointF(x + w - 2, ly));
}

void DrawCopy(QPainter& p) {
  Page(p, 1.5, 1.5, 8, 10);
  Page(p, 6.5, 4.5, 8, 10);
}

void DrawExport(QPainter& p) {
  p.setBrush(QColor(0xa0, 0xd0, 0xff));
  p.drawRect(QRectF(1.5, 2.5, 13, 11));
  p.setBrush(QColor(0x40, 0xa0, 0x40));
  p.drawPolygon(QPolygonF({{2, 13}, {6, 7}, {9, 11}, {11, 9}, {14, 13}}));
  p.setBrush(QColor(0xff, 0xd0, 0x20));
  p.drawEllipse(QPointF(11, 5.5), 1.5, 1.5);
}

void DrawPrint(QPainter& p) {
  Page(p, 4.5, 1.5, 7, 6);
  p.setBrush(QColor(0xb0, 0xb0, 0xb0));
  p.drawRect(QRectF(1.5, 6.5, 13, 6));
  Page(p, 4.5, 10.5, 7, 4);
}

void DrawCobwebs(QPainter& p) {
  p.drawLine(QPointF(2.5, 1), QPointF(2.5, 15));
  p.drawLine(QPointF(8, 1), QPointF(8, 15));
  p.drawLine(QPointF(13.5, 1), QPointF(13.5, 15));
  const QColor lines[3] = {QColor(0xd0, 0x20, 0x20), QColor(0x20, 0x80, 0x20),
                           QColor(0x20, 0x40, 0xd0)};
  const double ys[3][3] = {{3, 11, 5}, {8, 4, 12}, {13, 8, 2}};
  for (int i = 0; i < 3; ++i) {
    p.setPen(QPen(lines[i], 1.2));
    p.drawPolyline(QPolygonF({{2.5, ys[i][0]}, {8, ys[i][1]}, {13.5, ys[i][2]}}));
  }
}

void DrawMarginals(QPainter& p) {
  p.setBrush(QColor(0x90, 0xb0, 0xe0));
  for (double x : {2.5, 9.5}) {
    QPainterPath path(QPointF(x, 15));
    path.cubicTo(QPointF(x + 8, 11), QPointF(x + 7, 5), QPointF(x, 1));
    p.drawPath(path);
    p.drawLine(QPointF(x, 1), QPointF(x, 15));
  }
}

void DrawScatter(QPainter& p) {
  p.drawLine(QPointF(1.5, 1), QPointF(1.5, 14.5));
  p.drawLine(QPointF(1.5, 14.5), QPointF(15, 14.5));
  p.setBrush(QColor(0x20, 0x60, 0xc0));
  p.setPen(Qt::NoPen);
  const QPointF dots[] = {{4, 12}, {6, 10}, {7, 11.5}, {9, 7}, {10, 8.5}, {12, 5}, {13, 3}, {5, 8}};
  for (const QPointF& d : dots) p.drawEllipse(d, 1.2, 1.2);
}

void DrawDensity(QPainter& p) {
  p.drawLine(QPointF(1.5, 14.5), QPointF(15, 14.5));
  p.setPen(QPen(QColor(0xd0, 0x20, 0x20), 1.5));
  QPainterPath path(QPointF(1, 14));
  path.cubicTo(QPointF(6, 14), QPointF(6, 2), QPointF(8, 2));
  path.cubicTo(QPointF(10, 2), QPointF(10, 14), QPointF(15, 14));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

void DrawHistogram(QPainter& p) {
  p.setBrush(QColor(0x60, 0x90, 0xd0));
  const double heights[5] = {4, 9, 12, 7, 3};
  for (int i = 0; i < 5; ++i) p.drawRect(QRectF(1.5 + i * 2.6, 14.5 - heights[i], 2.6, heights[i]));
}

void DrawParameters(QPainter& p) {
  p.setBrush(QColor(0xe8, 0xe8, 0xe8));
  p.drawRect(QRectF(1.5, 1.5, 13, 13));
  p.setBrush(QColor(0x60, 0x60, 0x60));
  p.drawRect(QRectF(9.5, 1.5, 5, 13));
  p.setPen(Qt::white);
  for (double y : {4.5, 7.5, 10.5}) p.drawLine(QPointF(10.5, y), QPointF(13.5, y));
}

void DrawFont(QPainter& p) {
  QFont f = p.font();
  f.setPixelSize(14);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRectF(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("A"));
}

void DrawColor(QPainter& p) {
  const QColor c[4] = {Qt::red, QColor(0x20, 0xa0, 0x20), Qt::blue, QColor(0xff, 0xc0, 0x00)};
  for (int i = 0; i < 4; ++i) {
    p.setBrush(c[i]);
    p.drawRect(QRectF(1.5 + (i % 2) * 7, 1.5 + (i / 2) * 7, 6, 6));
  }
}

void DrawRealTime(QPainter& p) {
  p.setBrush(QColor(0xff, 0xd0, 0x20));
  p.drawPolygon(QPolygonF({{9, 1}, {3, 9}, {7.5, 9}, {6, 15}, {13, 6}, {8.5, 6}}));
}

void DrawRemoveFilter(QPainter& p) {
  p.setBrush(QColor(0xa0, 0xa0, 0xa0));
  p.drawPolygon(QPolygonF({{1.5, 2.5}, {12.5, 2.5}, {8.5, 8}, {8.5, 13}, {5.5, 14.5}, {5.5, 8}}));
  p.setPen(QPen(QColor(0xd0, 0x20, 0x20), 2));
  p.drawLine(QPointF(10, 10), QPointF(15, 15));
  p.drawLine(QPointF(15, 10), QPointF(10, 15));
}

void DrawReset(QPainter& p) {
  p.setPen(QPen(QColor(0x20, 0x60, 0xc0), 2));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(2.5, 2.5, 11, 11), 100 * 16, 290 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x20, 0x60, 0xc0));
  p.drawPolygon(QPolygonF({{6, 0}, {10, 3}, {6, 6}}));
}

void DrawHelp(QPainter& p) {
  p.setBrush(QColor(0x20, 0x60, 0xc0));
  p.drawEllipse(QRectF(1, 1, 14, 14));
  QFont f = p.font();
  f.setPixelSize(11);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRectF(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("?"));
}

}  // namespace

QIcon ToolImage(TToolImage image) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
  switch (image) {
    case TToolImage::Open: DrawOpen(p); break;
    case TToolImage::Copy: DrawCopy(p); break;
    case TToolImage::Export: DrawExport(p); break;
    case TToolImage::Print: DrawPrint(p); break;
    case TToolImage::Cobwebs: DrawCobwebs(p); break;
    case TToolImage::Marginals: DrawMarginals(p); break;
    case TToolImage::Scatter: DrawScatter(p); break;
    case TToolImage::Density: DrawDensity(p); break;
    case TToolImage::Histogram: DrawHistogram(p); break;
    case TToolImage::Parameters: DrawParameters(p); break;
    case TToolImage::Font: DrawFont(p); break;
    case TToolImage::Color: DrawColor(p); break;
    case TToolImage::RealTime: DrawRealTime(p); break;
    case TToolImage::RemoveFilter: DrawRemoveFilter(p); break;
    case TToolImage::Reset: DrawReset(p); break;
    case TToolImage::Help: DrawHelp(p); break;
  }
  p.end();
  return QIcon(pixmap);
}
