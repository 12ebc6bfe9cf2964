#include "ui/color_dialog.h"

#include <QColor>
#include <QDropEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "doc/palette_file.h"
#include "ui/services.h"

namespace {

QColor ToQColor(TColor c) { return QColor::fromRgb(ColorToRgb(c)); }

TColor FromQColor(const QColor& c) { return c.red() | c.green() << 8 | c.blue() << 16; }

const QString kPalFilter = QStringLiteral("Tesplore Palette (*.pal)");

}  // namespace

TColorList::TColorList(TTFrmColor* dialog) : QListWidget(dialog), dialog_(dialog) {
  setViewMode(QListView::ListMode);
  setIconSize(QSize(33, 17));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::CopyAction);
}

void TColorList::dragEnterEvent(QDragEnterEvent* event) {
  if (event->source() == this)
    event->acceptProposedAction();
  else
    event->ignore();
}

void TColorList::dragMoveEvent(QDragMoveEvent* event) {
  if (event->source() == this)
    event->acceptProposedAction();
  else
    event->ignore();
}

void TColorList::dropEvent(QDropEvent* event) {
  // Only swatches of this list; the items themselves never move.
  if (event->source() != this) {
    event->ignore();
    return;
  }
  const QModelIndex at = indexAt(event->position().toPoint());
  if (at.isValid()) dialog_->ListDragDrop(this, at.row());
  event->setDropAction(Qt::IgnoreAction);
  event->accept();
}

TTFrmColor::TTFrmColor(TColorRecord& record, std::function<void()> redraw, QWidget* parent)
    : QDialog(parent), m_record(record), m_backup(record), m_redraw(std::move(redraw)) {
  setObjectName(QStringLiteral("TFrmColor"));
  setWindowTitle(QStringLiteral("Colors"));
  auto* outer = new QVBoxLayout(this);
  const char* captions[9] = {"Background",          "Control lines",    "Text",
                             "Fill Color",          "Dot color",        "Selection",
                             "Not selected  samp.", "Selected samples", "Not selected axes"};
  QLabel* labels[9];
  for (int i = 0; i < 9; ++i) {
    auto* p = new QPushButton(this);
    p->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
    p->setFixedSize(40, 20);
    p->setFlat(true);
    p->setAutoFillBackground(true);
    connect(p, &QPushButton::clicked, this, [this, i] { Panel1Click(i); });
    Panel[static_cast<std::size_t>(i)] = p;
    labels[i] = new QLabel(QString::fromLatin1(captions[i]), this);
  }
  auto row = [&](QGridLayout* grid, int r, int i) {
    grid->addWidget(Panel[static_cast<std::size_t>(i)], r, 0);
    grid->addWidget(labels[i], r, 1);
  };
  auto* always = new QGridLayout;
  for (int i = 0; i < 3; ++i) row(always, i, i);
  outer->addLayout(always);
  Panel[5]->setVisible(false);
  labels[5]->setVisible(false);

  PageControl1 = new QTabWidget(this);
  auto* cobwebs = new QWidget(PageControl1);
  auto* c = new QGridLayout(cobwebs);
  c->addWidget(new QLabel(QStringLiteral("Number of color coding levels:"), cobwebs), 0, 0, 1, 2);
  TrackBar1 = new QSlider(Qt::Horizontal, cobwebs);
  TrackBar1->setRange(1, 20);
  c->addWidget(TrackBar1, 1, 0, 1, 2);
  ListView1 = new TColorList(this);
  c->addWidget(ListView1, 2, 0, 1, 2);
  for (int i = 6; i < 9; ++i) row(c, i - 3, i);
  PageControl1->addTab(cobwebs, QStringLiteral("Cobwebs"));
  auto* marginals = new QWidget(PageControl1);
  auto* m = new QGridLayout(marginals);
  row(m, 0, 3);
  m->setRowStretch(1, 1);
  PageControl1->addTab(marginals, QStringLiteral("Marginals"));
  auto* scatter = new QWidget(PageControl1);
  auto* s = new QGridLayout(scatter);
  row(s, 0, 4);
  s->addWidget(new QLabel(QStringLiteral("Dot size"), scatter), 1, 0, 1, 2);
  TrackBar2 = new QSlider(Qt::Horizontal, scatter);
  TrackBar2->setRange(1, 20);
  s->addWidget(TrackBar2, 2, 0, 1, 2);
  s->setRowStretch(3, 1);
  PageControl1->addTab(scatter, QStringLiteral("Scatter"));
  auto* density = new QWidget(PageControl1);
  ListView2 = new TColorList(this);
  (new QVBoxLayout(density))->addWidget(ListView2);
  PageControl1->addTab(density, QStringLiteral("Density && Histogram"));
  outer->addWidget(PageControl1, 1);

  auto* buttons = new QHBoxLayout;
  Button1 = new QPushButton(QStringLiteral("Preset"), this);
  Button3 = new QPushButton(QStringLiteral("Save..."), this);
  Button4 = new QPushButton(QStringLiteral("Load..."), this);
  BitBtn1 = new QPushButton(QStringLiteral("Accept"), this);
  BitBtn1->setDefault(true);
  BitBtn2 = new QPushButton(QStringLiteral("&Cancel"), this);
  for (QPushButton* b : {Button1, Button3, Button4, BitBtn1, BitBtn2}) buttons->addWidget(b);
  outer->addLayout(buttons);

  PresetColors = new QMenu(this);
  PresetColors->addAction(QStringLiteral("Default Color"), this,
                          [this] { SetColors(PresetDefaultColor); });
  PresetColors->addAction(QStringLiteral("Default Grayscale"), this,
                          [this] { SetColors(PresetDefaultGrayscale); });
  PresetColors->addAction(QStringLiteral("Spring collection :)"))->setVisible(false);
  PresetColors->addAction(QStringLiteral("Summer collection"))->setVisible(false);

  connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
  connect(TrackBar2, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
  for (TColorList* list : {ListView1, ListView2}) {
    connect(list, &QListWidget::itemDoubleClicked, this, [this, list] { ListDblClick(list); });
  }
  connect(Button1, &QPushButton::clicked, this,
          [this] { PresetColors->popup(Button1->mapToGlobal(QPoint(10, 0))); });
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

  // FormCreate.
  FillColorLists(record.val, record.var, record.ScattDot, record.ColormapSize, record.clr);
}

void TTFrmColor::ShowPage(int plotType) {
  PageControl1->setCurrentIndex(std::clamp(plotType, 0, 3));
}

TColor TTFrmColor::ItemColor(const QListWidgetItem* item) {
  return FromQColor(item->icon().pixmap(QSize(33, 17)).toImage().pixelColor(0, 0));
}

void TTFrmColor::SetItemColor(QListWidgetItem* item, TColor color) {
  QPixmap swatch(33, 17);
  swatch.fill(ToQColor(color));
  item->setIcon(QIcon(swatch));
}

TColor TTFrmColor::PanelColor(int tag) const {
  return FromQColor(Panel[static_cast<std::size_t>(tag)]->palette().color(QPalette::Button));
}

void TTFrmColor::SetPanelColor(int tag, TColor color) {
  QPushButton* p = Panel[static_cast<std::size_t>(tag)];
  QPalette palette = p->palette();
  palette.setColor(QPalette::Button, ToQColor(color));
  p->setPalette(palette);
}

void TTFrmColor::FillColorLists(const TColor* colormap, const TColor* variables, int dotSize,
                                int levels, const TColor* elements) {
  // The values may lie in the record that the lists refill.
  std::array<TColor, 20> map, vars;
  std::copy(colormap, colormap + 20, map.begin());
  std::copy(variables, variables + 20, vars.begin());
  ListView1->clear();
  ListView2->clear();
  for (int i = 0; i < 20; ++i) {
    SetItemColor(new QListWidgetItem(ListView1), map[static_cast<std::size_t>(i)]);
    auto* v = new QListWidgetItem(QStringLiteral("# %1").arg(i), ListView2);
    SetItemColor(v, vars[static_cast<std::size_t>(i)]);
  }
  for (int i = 0; i < 9; ++i) SetPanelColor(i, elements[i]);
  m_levels = levels;
  {
    const QSignalBlocker b1(TrackBar1), b2(TrackBar2);
    TrackBar1->setValue(levels);
    TrackBar2->setValue(dotSize);
  }
  TrackBar1Change();
}

void TTFrmColor::LabelColorLevels() {
  for (int i = 0; i < ListView1->count(); ++i)
    ListView1->item(i)->setText(LevelCaption(i, m_levels));
}

void TTFrmColor::TrackBar1Change() {
  m_levels = TrackBar1->value();
  LabelColorLevels();
  ApplyColors(false);
}

TColorRecord TTFrmColor::Shown() const {
  TColorRecord shown = m_record;
  for (int i = 0; i < 20 && i < ListView1->count(); ++i)
    shown.val[i] = ItemColor(ListView1->item(i));
  for (int i = 0; i < 20 && i < ListView2->count(); ++i)
    shown.var[i] = ItemColor(ListView2->item(i));
  shown.ColormapSize = m_levels;
  shown.ScattDot = TrackBar2->value();
  for (int i = 0; i < 9; ++i) shown.clr[i] = PanelColor(i);
  return shown;
}

void TTFrmColor::ApplyColors(bool readLists) {
  const TColorRecord shown = Shown();
  if (readLists) {
    std::copy(std::begin(shown.val), std::end(shown.val), m_record.val);
    std::copy(std::begin(shown.var), std::end(shown.var), m_record.var);
  }
  m_record.ColormapSize = shown.ColormapSize;
  m_record.ScattDot = shown.ScattDot;
  std::copy(shown.clr, shown.clr + 9, m_record.clr);  // element 9 is kept
  if (m_redraw) m_redraw();
}

void TTFrmColor::ListDragDrop(QListWidget* list, int row) {
  QListWidgetItem* selected = list->currentItem();
  QListWidgetItem* target = list->item(row);
  if (!selected || !target || selected == target) return;
  const TColor a = ItemColor(selected);
  SetItemColor(selected, ItemColor(target));
  SetItemColor(target, a);
  // The exchange shows on the plot like every other change.
  ApplyColors(true);
}

void TTFrmColor::ListDblClick(QListWidget* list) {
  QListWidgetItem* item = list->currentItem();
  if (item) {
    QColor colour = ToQColor(ItemColor(item));
    if (Services().ChooseColor(colour)) SetItemColor(item, FromQColor(colour));
  }
  ApplyColors(true);
}

void TTFrmColor::Panel1Click(int tag) {
  QColor colour = ToQColor(PanelColor(tag));
  if (!Services().ChooseColor(colour)) return;
  SetPanelColor(tag, FromQColor(colour));
  m_record.clr[tag] = FromQColor(colour);
  ApplyColors(false);
}

void TTFrmColor::SetColors(int tag) {
  const TColorRecord preset = ColorPreset(tag);
  FillColorLists(preset.val, preset.var, preset.ScattDot, preset.ColormapSize, preset.clr);
  ApplyColors(true);
}

void TTFrmColor::Button3Click() {
  const QString path = AbsoluteFilePath(
      Services().SaveFile(QString(), kPalFilter, QString(), QStringLiteral("pal")));
  if (path.isEmpty()) return;
  // A file that cannot be written is left without a report.
  WritePaletteFile(path.toStdString(), Shown());
}

void TTFrmColor::Button4Click() {
  const QString path = AbsoluteFilePath(Services().OpenFile(QString(), kPalFilter, QString()));
  if (path.isEmpty()) return;
  TColorRecord read = Shown();
  if (ReadPaletteFile(path.toStdString(), read))
    FillColorLists(read.val, read.var, read.ScattDot, read.ColormapSize, read.clr);
  ApplyColors(true);
}

void TTFrmColor::reject() {
  m_record = m_backup;
  QDialog::reject();
}
