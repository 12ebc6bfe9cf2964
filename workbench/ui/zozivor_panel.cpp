#include "zozivor_panel.h"

#include <QActionGroup>
#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolBar>
#include <QVBoxLayout>

#include "cursors.h"
#include "main_window.h"

namespace tesmira::wb {

namespace {

const QColor kSelected(255, 0, 0);
const QColor kTarget(0, 128, 0);

QPoint OnScreen(const TGraph& graph, int x, int y) {
  return {x - graph.Origin.X, y - graph.Origin.Y};
}

TMouseButton ButtonOf(Qt::MouseButton button) {
  return button == Qt::LeftButton    ? TMouseButton::Left
         : button == Qt::RightButton ? TMouseButton::Right
                                     : TMouseButton::Middle;
}

}  // namespace

void RenderGraph(const TGraph& graph, QImage& image) {
  QPainter p(&image);
  p.fillRect(image.rect(), Qt::white);
  const int count = static_cast<int>(graph.Elements.size());
  for (int i = 0; i < count; ++i) {
    const TGraphEdge* arc = graph.EdgeAt(i);
    if (arc == nullptr || arc->First == nullptr) continue;
    p.setPen(i == graph.SelectedIndex ? QPen(kSelected, 2) : QPen(Qt::black, 1));
    QPoint to;
    if (arc->Second)
      to = OnScreen(graph, arc->Second->X, arc->Second->Y);
    else if (const TGraphNode* target = graph.NodeAt(graph.TargetIndex))
      to = OnScreen(graph, target->X, target->Y);
    else
      to = OnScreen(graph, graph.PressPoint.X, graph.PressPoint.Y);
    p.drawLine(OnScreen(graph, arc->First->X, arc->First->Y), to);
  }
  p.setBackgroundMode(Qt::OpaqueMode);
  p.setBackground(Qt::white);
  for (int i = 0; i < count; ++i) {
    const TGraphNode* node = graph.NodeAt(i);
    if (node == nullptr) continue;
    const QPoint c = OnScreen(graph, node->X, node->Y);
    const QRect square(c.x() - 10, c.y() - 10, 20, 20);
    p.fillRect(square, Qt::black);
    QColor frame = Qt::white;
    if (i == graph.SelectedIndex)
      frame = kSelected;
    else if (graph.DragState == 2 && i == graph.TargetIndex)
      frame = kTarget;
    p.setPen(frame);
    p.setBrush(Qt::NoBrush);
    p.drawRect(square.adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    const QString label = QString::fromStdString(node->Label());
    const QRect text = p.fontMetrics().boundingRect(label);
    p.drawText(QRect(c.x() + 10, c.y() - 10, text.width() + 2, text.height()),
               Qt::AlignLeft | Qt::AlignTop, label);
  }
}

// ---- the control ----------------------------------------------------------------

TGraphControl::TGraphControl(TGraph& graph, QWidget* parent) : QWidget(parent), graph_(graph) {
  setObjectName("Graph");
  setMouseTracking(true);
  // A click on the graph gives it the keys (Delete).
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  buffer_ = QImage(800, 800, QImage::Format_RGB32);
}

void TGraphControl::Redraw() {
  if (buffer_.size() != size() && width() > 0 && height() > 0)
    buffer_ = QImage(size(), QImage::Format_RGB32);
  RenderGraph(graph_, buffer_);
  update();
}

void TGraphControl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, buffer_);
}

void TGraphControl::resizeEvent(QResizeEvent*) {
  if (width() > 0 && height() > 0) buffer_ = QImage(size(), QImage::Format_RGB32);
  graph_.ResizeCanvas(width(), height());
}

void TGraphControl::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && DeleteKey) {
    DeleteKey();
    return;
  }
  QWidget::keyReleaseEvent(event);
}

void TGraphControl::mousePressEvent(QMouseEvent* event) {
  graph_.MouseDown({event->position().toPoint().x(), event->position().toPoint().y()},
                   ButtonOf(event->button()));
}

void TGraphControl::mouseMoveEvent(QMouseEvent* event) {
  graph_.MouseMove({event->position().toPoint().x(), event->position().toPoint().y()});
}

void TGraphControl::mouseReleaseEvent(QMouseEvent* event) {
  graph_.MouseUp({event->position().toPoint().x(), event->position().toPoint().y()},
                 ButtonOf(event->button()));
}

// ---- the panel ------------------------------------------------------------------

TZoziVorPanel::TZoziVorPanel(TFrmTesmiraMain& main)
    : QWidget(nullptr), main_(main), graph_(main.Workbench()) {
  setObjectName("panDual");
  graph_.CtrlHeld = [] {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
  };
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  ToolBar3 = new QToolBar(this);
  ToolBar3->setObjectName("ToolBar3");
  box->addWidget(ToolBar3);
  auto* modes = new QActionGroup(this);
  const char* const captions[] = {"Select/Move", "Add Supply/Arc", "Add Demand/Arc", "Add Dx/Arc"};
  const char* const names[] = {"butDualSelect", "butDualAddSupply", "butDualAddDemand",
                               "butDualAddDx"};
  QAction** buttons[] = {&butDualSelect, &butDualAddSupply, &butDualAddDemand, &butDualAddDx};
  for (int mode = 0; mode < 4; ++mode) {
    QAction* a = ToolBar3->addAction(captions[mode]);
    a->setObjectName(names[mode]);
    a->setCheckable(true);
    modes->addAction(a);
    connect(a, &QAction::triggered, this, [this, mode] { graph_.SetEditMode(mode); });
    *buttons[mode] = a;
  }
  butDualSelect->setChecked(true);
  ToolBar3->addSeparator();
  butDualVerify = ToolBar3->addAction("Warning");
  butDualVerify->setObjectName("butDualVerify");
  butDualVerify->setVisible(false);
  connect(butDualVerify, &QAction::triggered, this, [this] {
    graph_.SyncWithModel(true);
    graph_.UpdateScrollBars();
  });

  auto* grid = new QGridLayout;
  grid->setSpacing(0);
  Control = new TGraphControl(graph_, this);
  Control->DeleteKey = [this] { DeleteSelected(); };
  scrDualH = new QScrollBar(Qt::Horizontal, this);
  scrDualH->setObjectName("scrDualH");
  scrDualV = new QScrollBar(Qt::Vertical, this);
  scrDualV->setObjectName("scrDualV");
  grid->addWidget(Control, 0, 0);
  grid->addWidget(scrDualV, 0, 1);
  grid->addWidget(scrDualH, 1, 0);
  box->addLayout(grid, 1);
  connect(scrDualH, &QScrollBar::valueChanged, this, [this](int v) { graph_.ScrollTo(true, v); });
  connect(scrDualV, &QScrollBar::valueChanged, this, [this](int v) { graph_.ScrollTo(false, v); });
  graph_.SetView(this);

  // Edit > Arrange Nodes.
  ArrangeSeparator = main.mnuEdit->addSeparator();
  mitArrange = main.mnuEdit->addMenu("Arrange Nodes");
  mitArrange->setObjectName("mitArrange");
  const char* const arrangements[] = {"in Circle", "in Rectangle", "in Rows", "in Columns",
                                      "Relax Arc Length"};
  for (int kind = 0; kind < 5; ++kind) {
    ArrangeItems[static_cast<std::size_t>(kind)] =
        mitArrange->addAction(arrangements[kind], this, [this, kind] {
          graph_.Arrange(kind, true);
          main_.Workbench().Ui().UpdateSaveButton();
        });
  }
  connect(main.mnuEdit, &QMenu::aboutToShow, this, &TZoziVorPanel::EditMenuShown);
  EditMenuShown();
  main.installEventFilter(this);
}

TZoziVorPanel::~TZoziVorPanel() {
  graph_.SetView(nullptr);
  if (overrideCursor_) QApplication::restoreOverrideCursor();
}

void TZoziVorPanel::UpdateGraph(unsigned mask) {
  if (mask & ViewGraphRebuild) {
    graph_.SyncWithModel(false);
    graph_.UpdateScrollBars();
  }
  if (mask & ViewGraph) {
    const bool dx = graph_.FindNode(-1, false) != nullptr;
    // With the Dx node there the Dx mode draws arcs, shown as the demand button.
    if (dx && graph_.EditMode == 3) butDualAddDemand->setChecked(true);
    butDualAddDx->setEnabled(!dx);
    graph_.Redraw();
    if (main_.VisiblePanel() == PanelZoziVor) ClearActiveControl();
  }
}

void TZoziVorPanel::EditMenuShown() {
  const bool here = main_.VisiblePanel() == PanelZoziVor;
  ArrangeSeparator->setVisible(here || main_.VisiblePanel() == PanelDependence);
  mitArrange->menuAction()->setVisible(here);
  mitArrange->setEnabled(main_.Workbench().FileOpen && !graph_.Elements.empty());
}

void TZoziVorPanel::DeleteSelected() {
  graph_.DeleteSelected();
  main_.UpdateSaveButton();
}

bool TZoziVorPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &main_ && event->type() == QEvent::KeyRelease &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete &&
      main_.VisiblePanel() == PanelZoziVor) {
    DeleteSelected();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TZoziVorPanel::Redraw() { Control->Redraw(); }

void TZoziVorPanel::SetWarningVisible(bool visible) { butDualVerify->setVisible(visible); }

void TZoziVorPanel::SetControlCursor(int cursor) {
  if (cursor == CursorDefault)
    Control->unsetCursor();
  else
    Control->setCursor(ScreenCursor(cursor));
}

void TZoziVorPanel::SetDragCursor(int cursor) {
  if (cursor == CursorDefault) {
    if (overrideCursor_) QApplication::restoreOverrideCursor();
    overrideCursor_ = false;
  } else if (overrideCursor_) {
    QApplication::changeOverrideCursor(ScreenCursor(cursor));
  } else {
    QApplication::setOverrideCursor(ScreenCursor(cursor));
    overrideCursor_ = true;
  }
}

void TZoziVorPanel::ProcessEvents() { QCoreApplication::processEvents(); }

void TZoziVorPanel::ScrollBarsChanged(const TScrollBarState& h, const TScrollBarState& v) {
  for (auto [bar, state] : {std::pair{scrDualH, h}, std::pair{scrDualV, v}}) {
    const QSignalBlocker block(bar);
    bar->setEnabled(state.Enabled);
    if (!state.Enabled) continue;
    bar->setRange(state.Min, state.Max - state.Page);
    bar->setPageStep(state.Page);
    bar->setValue(state.Position);
  }
}

void TZoziVorPanel::ClearActiveControl() {
  // No edit of the window keeps the focus: the graph takes the keys.
  QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr || focus == Control || !main_.isAncestorOf(focus)) return;
  if (Control->isVisible())
    Control->setFocus();
  else
    focus->clearFocus();
}

}  // namespace tesmira::wb
