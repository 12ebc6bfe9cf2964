#include "ui/tesplore_view.h"

#include <QActionGroup>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QUrl>

TPaint::TPaint(TFrmTesploreView* frame) : QWidget(frame), frame_(frame) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusProxy(frame);
}

void TPaint::DrawBand(const TRect& band) {
  band_ = band;
  showBand_ = true;
  update();
}

void TPaint::mousePressEvent(QMouseEvent* event) {
  frame_->FrameMouseDown(event->button(), event->position().toPoint().x(),
                         event->position().toPoint().y());
}

void TPaint::mouseMoveEvent(QMouseEvent* event) {
  frame_->FrameMouseMove(event->position().toPoint().x(), event->position().toPoint().y());
}

void TPaint::mouseReleaseEvent(QMouseEvent* event) {
  frame_->FrameMouseUp(event->button(), event->position().toPoint().x(),
                       event->position().toPoint().y());
}

void TPaint::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (image_) p.drawImage(0, 0, *image_);
  const bool focused = hasFocus() || frame_->hasFocus();
  if (focused && frame_->MouseState() == MouseIdle) {
    QPen pen(Qt::black, 0, Qt::DotLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(1, 1, width() - 3, height() - 3);
  }
  const int state = frame_->MouseState();
  if (state != MouseRangeSelection && state != MouseZoomBand) showBand_ = false;
  if (showBand_) {
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(Qt::white, 0, Qt::DotLine);
    p.setPen(pen);
    p.drawRect(band_.left, band_.top, band_.Width(), band_.Height());
  }
}

TFrmTesploreView::TFrmTesploreView(QWidget* parent, std::string settingsPath)
    : QWidget(parent),
      m_image(1, 1, QImage::Format_RGB32),
      m_surface(new TPaint(this)),
      m_popupSel(new QMenu(this)),
      m_settingsPath(settingsPath.empty() ? SettingsFilePath() : std::move(settingsPath)) {
  setFocusPolicy(Qt::StrongFocus);  // the frame is a tab stop
  setAcceptDrops(true);
  m_surface->SetImage(&m_image);
  m_surface->hide();
  m_settings = ReadFrameSettings(m_settingsPath);

  QMenu* modes = m_popupSel->addMenu(QStringLiteral("Selection mode"));
  auto* group = new QActionGroup(this);
  const char* captions[] = {"Replace", "Unite", "Intersect", "Replace Intersection"};
  for (int tag = 0; tag < 4; ++tag) {
    QAction* a = modes->addAction(QString::fromLatin1(captions[tag]));
    a->setObjectName(QStringLiteral("PSel%1").arg(tag));
    a->setCheckable(true);
    a->setData(tag);
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, tag] { PSel0Click(tag); });
  }
  connect(modes, &QMenu::aboutToShow, this, [this, modes] {
    for (QAction* a : modes->actions())
      a->setChecked(a->data().toInt() == m_settings.SelectionMode);
  });
  QAction* remove = m_popupSel->addAction(QStringLiteral("Remove the samples filter"));
  remove->setObjectName(QStringLiteral("Removethesamplesfilter1"));
  connect(remove, &QAction::triggered, this, [this] { Removethesamplesfilter1Click(); });
}

TFrmTesploreView::~TFrmTesploreView() { WriteFrameSettings(m_settingsPath, m_settings); }

void TFrmTesploreView::SetDocument(SampleDataView* document) {
  m_document = document;
  m_surface->setGeometry(0, 0, width(), height());
  m_surface->show();
}

int PictureStride(int width) {
  // An odd number of 64-byte lines per row spreads the rows of a column over
  // every cache set; with rows of nearly 4096 bytes (1024 pixels) they would
  // share a few sets, and near-vertical cobweb lines ran three times slower.
  int lines = (width * 4 + 63) / 64;
  if (lines % 2 == 0) ++lines;
  return lines * 64;
}

namespace {

QImage NewPicture(int w, int h) {
  const int stride = PictureStride(w);
  auto* bytes = new uchar[static_cast<std::size_t>(stride) * static_cast<std::size_t>(h)];
  return QImage(
      bytes, w, h, stride, QImage::Format_RGB32, [](void* p) { delete[] static_cast<uchar*>(p); },
      bytes);
}

}  // namespace

void TFrmTesploreView::SetImageSize(int w, int h) {
  w = std::max(w, 1);
  h = std::max(h, 1);
  if (m_image.width() != w || m_image.height() != h || m_image.bytesPerLine() != PictureStride(w)) {
    m_image = NewPicture(w, h);
    m_surface->SetImage(&m_image);
  }
  m_whole = TRect{0, 0, w, h};
  m_plot = PlotLayout(m_whole, PlotFonts, &m_image);
}

void TFrmTesploreView::Render(bool repaint, QPainter* canvas) {
  if (!m_document) return;
  QPainter own;
  if (!canvas) {
    m_depth = m_document->m_plotType == PlotScatter ? 24 : 8;
    // A picture shared with a copy (the clipboard's) would be detached into
    // one of the default row length by the painter: a fresh one keeps ours.
    if (!m_image.isNull() && !m_image.isDetached()) {
      m_image = NewPicture(m_image.width(), m_image.height());
      m_surface->SetImage(&m_image);
    }
    own.begin(&m_image);
  }
  QPainter& painter = canvas ? *canvas : own;
  TPlotContext ctx{*m_document,
                   m_document->Colours(),
                   painter,
                   m_whole,
                   m_plot,
                   canvas ? nullptr : &m_image,
                   m_mouseState,
                   canvas && m_grayscale,
                   m_threads,
                   OnBoxChanged,
                   TPalette{},
                   nullptr,
                   {}};
  RenderPlot(ctx);
  if (!canvas) own.end();
  if (repaint) RepaintSurface();
}

void TFrmTesploreView::RepaintSurface() { m_surface->repaint(); }

void TFrmTesploreView::resizeEvent(QResizeEvent*) {
  m_surface->setGeometry(0, 0, width(), height());
  FrameResize();
}

void TFrmTesploreView::FrameResize() {
  SetImageSize(width(), height());
  Render(true);
}

void TFrmTesploreView::focusInEvent(QFocusEvent*) { RepaintSurface(); }

void TFrmTesploreView::focusOutEvent(QFocusEvent*) { RepaintSurface(); }

void TFrmTesploreView::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFrmTesploreView::dropEvent(QDropEvent* event) {
  QStringList files;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) files << url.toLocalFile();
  }
  if (!files.isEmpty() && OnFilesDropped) OnFilesDropped(files);
  event->acceptProposedAction();
}

void TFrmTesploreView::PSel0Click(int tag) { m_settings.SelectionMode = tag; }

void TFrmTesploreView::Removethesamplesfilter1Click() {
  if (!m_document) return;
  m_document->ResetRanges();
  Render(true);
}
