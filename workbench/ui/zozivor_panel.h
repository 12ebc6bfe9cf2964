// The ZoziVor panel of the main window: the graph control with its back
// buffer, the two scroll bars, the mode toolbar with "Warning", and the
// Edit menu's "Arrange Nodes". What an action does is the core's TGraph;
// this file paints it and passes it the mouse.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <functional>

#include "zozivor_graph.h"

class QAction;
class QMenu;
class QScrollBar;
class QToolBar;

namespace tesmira::wb {

class TFrmTesmiraMain;

// Paints the graph as the control shows it (scrolled by the graph's origin).
void RenderGraph(const TGraph& graph, QImage& image);

class TGraphControl : public QWidget {
  Q_OBJECT
 public:
  TGraphControl(TGraph& graph, QWidget* parent);
  void Redraw();
  const QImage& BackBuffer() const { return buffer_; }
  // The Delete key released while the graph has the focus.
  std::function<void()> DeleteKey;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TGraph& graph_;
  QImage buffer_;
};

class TZoziVorPanel : public QWidget, public IGraphView {
  Q_OBJECT
 public:
  explicit TZoziVorPanel(TFrmTesmiraMain& main);
  ~TZoziVorPanel() override;

  TGraph& Graph() { return graph_; }

  // UpdateView 0x200: the Dx buttons and a redraw; 0x400 rebuilds first.
  void UpdateGraph(unsigned mask);
  // Edit menu: "Arrange Nodes" shown on this panel, enabled with elements.
  void EditMenuShown();
  void DeleteSelected();

  // IGraphView
  void Redraw() override;
  void SetWarningVisible(bool visible) override;
  void SetControlCursor(int cursor) override;
  void SetDragCursor(int cursor) override;
  void ProcessEvents() override;
  void ScrollBarsChanged(const TScrollBarState& h, const TScrollBarState& v) override;
  void ClearActiveControl() override;

  QToolBar* ToolBar3 = nullptr;
  QAction *butDualSelect = nullptr, *butDualAddSupply = nullptr, *butDualAddDemand = nullptr,
          *butDualAddDx = nullptr, *butDualVerify = nullptr;
  QScrollBar *scrDualH = nullptr, *scrDualV = nullptr;
  TGraphControl* Control = nullptr;
  QMenu* mitArrange = nullptr;
  QAction* ArrangeSeparator = nullptr;
  std::array<QAction*, 5> ArrangeItems{};

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TFrmTesmiraMain& main_;
  TGraph graph_;
  bool overrideCursor_ = false;
};

}  // namespace tesmira::wb
