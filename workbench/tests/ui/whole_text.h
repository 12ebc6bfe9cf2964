// Finds texts that a window does not show whole: labels, push buttons, check
// boxes, radio buttons and group titles narrower than their text or reaching
// past an enclosing widget, list and tree items cut without a tool tip, and
// windows larger than a small screen holds.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTabWidget>
#include <QTextDocument>
#include <QTreeWidget>
#include <QWidget>
#include <cmath>
#include <functional>

namespace tesmira::wb::test {

inline constexpr QSize kLargestWindow(1280, 860);

namespace whole_text {

inline QString Describe(const QWidget* w, const QString& text) {
  return QString("%1 %2 \"%3\"")
      .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), text);
}

// Whether r (in w's coordinates) stays inside every enclosing widget up to
// the window; a scroll area's viewport clips on purpose and ends the walk.
inline bool InsideAncestors(const QWidget* w, QRect r) {
  for (const QWidget* p = w; p && !p->isWindow(); p = p->parentWidget()) {
    const QWidget* parent = p->parentWidget();
    r.translate(p->pos());
    if (!parent) break;
    if (auto* area = qobject_cast<const QAbstractScrollArea*>(parent->parentWidget()))
      if (area->viewport() == parent) break;
    if (!parent->rect().contains(r)) return false;
  }
  return true;
}

// The part of rect a text of width needed takes under the alignment.
inline QRect TextRect(const QRect& rect, int needed, Qt::Alignment align) {
  QRect r(rect.left(), rect.top(), needed, rect.height());
  if (align & Qt::AlignRight)
    r.moveRight(rect.right());
  else if (align & Qt::AlignHCenter)
    r.moveLeft(rect.left() + (rect.width() - needed) / 2);
  return r;
}

inline int LabelTextWidth(const QLabel* label) {
  const QString text = label->text();
  const bool rich = label->textFormat() == Qt::RichText ||
                    (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
  if (rich) {
    QTextDocument doc;
    doc.setDefaultFont(label->font());
    doc.setDocumentMargin(0);
    doc.setHtml(text);
    return static_cast<int>(std::ceil(doc.idealWidth()));
  }
  int widest = 0;
  for (const QString& line : text.split('\n'))
    widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
  return widest;
}

inline void CheckLabel(const QLabel* label, QStringList& cuts) {
  if (label->text().isEmpty() || label->wordWrap()) return;
  const int needed = LabelTextWidth(label);
  QRect cr = label->contentsRect();
  const int m = label->margin();
  cr.adjust(m, m, -m, -m);
  int indent = label->indent();
  if (indent < 0)
    indent = label->frameWidth() > 0 ? label->fontMetrics().horizontalAdvance('x') / 2 : 0;
  if (label->alignment() & Qt::AlignRight)
    cr.setRight(cr.right() - indent);
  else
    cr.setLeft(cr.left() + indent);
  const QRect r = TextRect(cr, needed, label->alignment());
  if (needed > cr.width() || !InsideAncestors(label, r))
    cuts << Describe(label, label->text()) + QString(" needs %1 of %2").arg(needed).arg(cr.width());
}

inline void CheckButton(const QAbstractButton* b, QStringList& cuts) {
  if (b->text().isEmpty()) return;
  QStyleOptionButton opt;
  opt.initFrom(b);
  opt.text = b->text();
  opt.icon = b->icon();
  opt.iconSize = b->iconSize();
  QStyle::SubElement element;
  if (qobject_cast<const QCheckBox*>(b))
    element = QStyle::SE_CheckBoxContents;
  else if (qobject_cast<const QRadioButton*>(b))
    element = QStyle::SE_RadioButtonContents;
  else if (auto* push = qobject_cast<const QPushButton*>(b)) {
    element = QStyle::SE_PushButtonContents;
    if (push->autoDefault() || push->isDefault())
      opt.features |= QStyleOptionButton::AutoDefaultButton;
    if (push->isFlat()) opt.features |= QStyleOptionButton::Flat;
  } else {
    return;  // tool buttons show icons
  }
  QRect cr = b->style()->subElementRect(element, &opt, b);
  if (!b->icon().isNull()) cr.setLeft(cr.left() + b->iconSize().width() + 4);
  const int needed = b->fontMetrics().size(Qt::TextShowMnemonic, b->text()).width();
  const Qt::Alignment align =
      element == QStyle::SE_PushButtonContents ? Qt::AlignHCenter : Qt::AlignLeft;
  const QRect r = TextRect(cr, needed, align);
  if (needed > cr.width() || !InsideAncestors(b, r))
    cuts << Describe(b, b->text()) + QString(" needs %1 of %2").arg(needed).arg(cr.width());
}

inline void CheckGroupBox(const QGroupBox* g, QStringList& cuts) {
  if (g->title().isEmpty()) return;
  QStyleOptionGroupBox opt;
  opt.initFrom(g);
  opt.text = g->title();
  opt.lineWidth = 1;
  opt.textAlignment = g->alignment();
  opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  if (g->isCheckable()) opt.subControls |= QStyle::SC_GroupBoxCheckBox;
  if (g->isFlat()) opt.features |= QStyleOptionFrame::Flat;
  const QRect label =
      g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
  const int needed = g->fontMetrics().size(Qt::TextShowMnemonic, g->title()).width();
  const QRect r(label.left(), label.top(), needed, label.height());
  if (!g->rect().contains(r) || !InsideAncestors(g, r))
    cuts << Describe(g, g->title()) +
                QString(" needs %1 from %2 of %3").arg(needed).arg(label.left()).arg(g->width());
}

// The shown item of a combo box, unless its tool tip holds it whole.
inline void CheckCombo(const QComboBox* c, QStringList& cuts) {
  const QString text = c->currentText();
  if (text.isEmpty() || c->toolTip() == text) return;
  QStyleOptionComboBox opt;
  opt.initFrom(c);
  opt.editable = c->isEditable();
  opt.frame = c->hasFrame();
  opt.currentText = text;
  const QRect field =
      c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
  const int needed = c->fontMetrics().horizontalAdvance(text) + (c->isEditable() ? 4 : 0);
  if (needed > field.width())
    cuts << Describe(c, text) + QString(" needs %1 of %2").arg(needed).arg(field.width());
}

// Items of list and tree widgets: the text must fit its column unless the
// item carries its whole text as a tool tip.
inline void CheckItems(const QAbstractItemView* view, QStringList& cuts) {
  const QAbstractItemModel* model = view->model();
  if (!model ||
      (!qobject_cast<const QTreeWidget*>(view) && !qobject_cast<const QListWidget*>(view)))
    return;
  const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
  std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
    for (int row = 0; row < model->rowCount(parent); ++row)
      for (int column = 0; column < model->columnCount(parent); ++column) {
        const QModelIndex index = model->index(row, column, parent);
        if (column == 0) walk(index);
        const QRect rect = view->visualRect(index);
        const QString text = index.data(Qt::DisplayRole).toString();
        if (rect.isEmpty() || text.isEmpty() || index.data(Qt::ToolTipRole).toString() == text)
          continue;
        QStyleOptionViewItem opt;
        opt.initFrom(view);
        opt.rect = rect;
        opt.text = text;
        opt.font = view->font();
        opt.features = QStyleOptionViewItem::HasDisplay;
        if (index.data(Qt::CheckStateRole).isValid())
          opt.features |= QStyleOptionViewItem::HasCheckIndicator;
        if (!index.data(Qt::DecorationRole).isNull()) {
          opt.features |= QStyleOptionViewItem::HasDecoration;
          opt.decorationSize = view->iconSize().isValid() ? view->iconSize() : QSize(16, 16);
        }
        const QRect textRect =
            view->style()->subElementRect(QStyle::SE_ItemViewItemText, &opt, view);
        const int needed = view->fontMetrics().horizontalAdvance(text);
        // Within its column, and within the view without scrolling sideways.
        const int right = std::min(textRect.right(), view->viewport()->width() - 1);
        const int room = right - textRect.left() + 1 - 2 * margin;
        if (needed > room)
          cuts << Describe(view, text) + QString(" needs %1 of %2").arg(needed).arg(room);
      }
  };
  walk(view->rootIndex());
}

inline void CheckVisible(QWidget* root, QStringList& cuts) {
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisible() || w->window() != root->window()) continue;
    // A tool bar too narrow for its buttons hides some behind an arrow.
    if (w->objectName() == "qt_toolbar_ext_button" && w->parentWidget())
      cuts << Describe(w->parentWidget(), "") + " hides buttons behind its arrow";
    if (auto* label = qobject_cast<QLabel*>(w))
      CheckLabel(label, cuts);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
      CheckButton(button, cuts);
    else if (auto* group = qobject_cast<QGroupBox*>(w))
      CheckGroupBox(group, cuts);
    else if (auto* view = qobject_cast<QAbstractItemView*>(w))
      CheckItems(view, cuts);
    else if (auto* combo = qobject_cast<QComboBox*>(w))
      CheckCombo(combo, cuts);
  }
}

}  // namespace whole_text

// Every cut text of a shown window, each page of its tab widgets in turn;
// empty when the window shows all of its text.
inline QStringList CutTexts(QWidget* window) {
  QStringList cuts;
  if (window->width() > kLargestWindow.width() || window->height() > kLargestWindow.height())
    cuts << QString("window \"%1\" is %2 x %3")
                .arg(window->windowTitle())
                .arg(window->width())
                .arg(window->height());
  whole_text::CheckVisible(window, cuts);
  for (QTabWidget* tabs : window->findChildren<QTabWidget*>()) {
    if (!tabs->isVisible()) continue;
    const int current = tabs->currentIndex();
    for (int i = 0; i < tabs->count(); ++i) {
      if (i == current || !tabs->isTabEnabled(i)) continue;
      tabs->setCurrentIndex(i);
      whole_text::CheckVisible(tabs->widget(i), cuts);
    }
    tabs->setCurrentIndex(current);
  }
  cuts.removeDuplicates();
  return cuts;
}

}  // namespace tesmira::wb::test
