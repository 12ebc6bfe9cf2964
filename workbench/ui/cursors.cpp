#include "cursors.h"

#include <QPainter>
#include <QPolygon>
#include <array>
#include <cstring>
#include <map>

namespace tesmira::wb {

namespace {

// What a picture shows beside the pointer: a small tree in which the node
// the drop creates or moves is filled; the "1" variants add a plus (the
// dragged node takes its subtree along).
enum class TGlyph {
  Child,
  SibA,
  SibB,
  Root,
  Parent,
  ParChild,
  Cancel,
  NewNode,
  NewLink,
  CloseLink,
  Select,
  Move
};

struct TCursorDef {
  int slot;
  const char* name;
  TGlyph glyph;
  bool plus;
};

constexpr std::array<TCursorDef, 18> kCursors{{
    {crChild, "CURCHILD", TGlyph::Child, false},
    {crChild1, "CURCHILD1", TGlyph::Child, true},
    {crSibA, "CURSIBA", TGlyph::SibA, false},
    {crSibA1, "CURSIBA1", TGlyph::SibA, true},
    {crSibB, "CURSIBB", TGlyph::SibB, false},
    {crSibB1, "CURSIBB1", TGlyph::SibB, true},
    {crRoot, "CURROOT", TGlyph::Root, false},
    {crRoot1, "CURROOT1", TGlyph::Root, true},
    {crParent, "CURPARENT", TGlyph::Parent, false},
    {crParent1, "CURPARENT1", TGlyph::Parent, true},
    {crParChild, "CURPARCHILD", TGlyph::ParChild, false},
    {crParChild1, "CURPARCHILD1", TGlyph::ParChild, true},
    {crCancel, "CURCANCEL", TGlyph::Cancel, false},
    {crNewNode, "CURNEWNODE", TGlyph::NewNode, false},
    {crNewLink, "CURNEWLINK", TGlyph::NewLink, false},
    {crCloseLink, "CURCLOSELINK", TGlyph::CloseLink, false},
    {crSelect, "CURSELECT", TGlyph::Select, false},
    {crMove, "CURMOVE", TGlyph::Move, false},
}};

const TCursorDef* FindByName(const char* name) {
  if (!name) return nullptr;
  for (const TCursorDef& d : kCursors)
    if (std::strcmp(d.name, name) == 0) return &d;
  return nullptr;
}

const TCursorDef* FindBySlot(int slot) {
  for (const TCursorDef& d : kCursors)
    if (d.slot == slot) return &d;
  return nullptr;
}

bool CentredHotSpot(TGlyph g) { return g == TGlyph::Cancel || g == TGlyph::Move; }

void DrawPointer(QPainter& p) {
  const QPolygon arrow({QPoint(0, 0), QPoint(0, 15), QPoint(4, 11), QPoint(7, 17), QPoint(9, 16),
                        QPoint(6, 10), QPoint(11, 10)});
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawPolygon(arrow);
}

// A node of the small tree: filled for the node the operation concerns.
void Node(QPainter& p, int x, int y, bool filled) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(filled ? QBrush(Qt::black) : QBrush(Qt::white));
  p.drawRect(x, y, 6, 4);
}

void Edge(QPainter& p, int x1, int y1, int x2, int y2) {
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(x1, y1, x2, y2);
}

void Plus(QPainter& p) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawRect(2, 22, 8, 8);
  p.drawLine(4, 26, 8, 26);
  p.drawLine(6, 24, 6, 28);
}

void DrawGlyph(QPainter& p, TGlyph glyph) {
  switch (glyph) {
    case TGlyph::Child:
    case TGlyph::Parent:
      // A parent and its child; the child or the parent is the new one.
      Node(p, 14, 14, glyph == TGlyph::Parent);
      Edge(p, 17, 18, 17, 26);
      Edge(p, 17, 26, 22, 26);
      Node(p, 22, 24, glyph == TGlyph::Child);
      break;
    case TGlyph::SibA:
    case TGlyph::SibB:
      // Two siblings; the upper or the lower one is the new one.
      Node(p, 18, 14, glyph == TGlyph::SibA);
      Edge(p, 15, 16, 15, 26);
      Edge(p, 15, 16, 18, 16);
      Edge(p, 15, 26, 18, 26);
      Node(p, 18, 24, glyph == TGlyph::SibB);
      break;
    case TGlyph::Root:
      Node(p, 20, 12, true);
      Edge(p, 23, 16, 16, 24);
      Edge(p, 23, 16, 28, 24);
      Node(p, 13, 24, false);
      Node(p, 25, 24, false);
      break;
    case TGlyph::ParChild:
      Node(p, 14, 12, false);
      Edge(p, 17, 16, 17, 20);
      Node(p, 14, 20, true);
      Edge(p, 17, 24, 17, 28);
      Edge(p, 17, 28, 22, 28);
      Node(p, 22, 26, false);
      break;
    case TGlyph::Cancel:
      p.setPen(QPen(Qt::red, 3));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPoint(16, 16), 11, 11);
      p.drawLine(8, 8, 24, 24);
      break;
    case TGlyph::NewNode:
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(Qt::white);
      p.drawRect(16, 18, 12, 8);
      Edge(p, 22, 20, 22, 24);
      Edge(p, 20, 22, 24, 22);
      break;
    case TGlyph::NewLink:
    case TGlyph::CloseLink: {
      Edge(p, 14, 16, 28, 28);
      if (glyph == TGlyph::NewLink) {
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygon({QPoint(30, 30), QPoint(23, 28), QPoint(28, 23)}));
      } else {
        Node(p, 24, 26, true);
      }
      break;
    }
    case TGlyph::Select:
      p.setPen(QPen(Qt::black, 1, Qt::DotLine));
      p.setBrush(Qt::NoBrush);
      p.drawRect(14, 16, 14, 12);
      break;
    case TGlyph::Move: {
      const QPolygon cross({QPoint(16, 2),  QPoint(21, 8),  QPoint(18, 8),  QPoint(18, 14),
                            QPoint(24, 14), QPoint(24, 11), QPoint(30, 16), QPoint(24, 21),
                            QPoint(24, 18), QPoint(18, 18), QPoint(18, 24), QPoint(21, 24),
                            QPoint(16, 30), QPoint(11, 24), QPoint(14, 24), QPoint(14, 18),
                            QPoint(8, 18),  QPoint(8, 21),  QPoint(2, 16),  QPoint(8, 11),
                            QPoint(8, 14),  QPoint(14, 14), QPoint(14, 8),  QPoint(11, 8)});
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(Qt::white);
      p.drawPolygon(cross);
      break;
    }
  }
}

std::map<int, QCursor>& Table() {
  static std::map<int, QCursor> table;
  return table;
}

}  // namespace

const char* CursorResourceName(int slot) {
  const TCursorDef* d = FindBySlot(slot);
  return d ? d->name : nullptr;
}

QPixmap CursorPicture(const char* name) {
  const TCursorDef* d = FindByName(name);
  if (!d) return {};
  QPixmap picture(32, 32);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  if (!CentredHotSpot(d->glyph)) DrawPointer(p);
  DrawGlyph(p, d->glyph);
  if (d->plus) Plus(p);
  return picture;
}

void LoadScreenCursors() {
  std::map<int, QCursor>& table = Table();
  if (!table.empty()) return;
  for (const TCursorDef& d : kCursors) {
    const QPixmap picture = CursorPicture(d.name);
    if (picture.isNull()) {
      table.emplace(d.slot, QCursor(Qt::ArrowCursor));
      continue;
    }
    const int hot = CentredHotSpot(d.glyph) ? 16 : 0;
    table.emplace(d.slot, QCursor(picture, hot, hot));
  }
}

QCursor ScreenCursor(int slot) {
  LoadScreenCursors();
  auto it = Table().find(slot);
  return it == Table().end() ? QCursor(Qt::ArrowCursor) : it->second;
}

}  // namespace tesmira::wb
