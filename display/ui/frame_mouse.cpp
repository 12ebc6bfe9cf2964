// The plot frame's mouse: range selection on cobweb and marginal axes, the
// zoom band of the other plots, picking a variable by its name and moving it
// by dragging the name to another axis.
#include <QMessageBox>
#include <QMouseEvent>
#include <cmath>

#include "ui/services.h"
#include "ui/tesplore_view.h"

namespace {

bool NothingToDraw(const SampleDataView& doc) {
  const std::uint32_t n = doc.CountVisible();
  return (n < 2 && doc.m_plotType == PlotCobwebs) ||
         (doc.m_plotType == PlotScatter && (doc.m_scatterX == -1 || doc.m_scatterY == -1)) || n < 1;
}

}  // namespace

std::vector<int> TFrmTesploreView::AxisPositions() const {
  const auto n = static_cast<int>(m_document->CountVisible());
  std::vector<int> xs(static_cast<std::size_t>(n));
  const int W = m_plot.Width();
  const int w0 =
      QFontMetrics(PlotFont(PlotFonts[0]), &m_image).horizontalAdvance(QStringLiteral("0.00"));
  for (int k = 0; k < n; ++k) {
    xs[static_cast<std::size_t>(k)] = m_document->m_plotType == PlotCobwebs
                                          ? (n > 1 ? k * W / (n - 1) : 0) + m_plot.left
                                          : k * (w0 + W) / n + m_plot.left;
  }
  return xs;
}

int TFrmTesploreView::AxesTop() const {
  const bool strip = m_document->m_plotType == PlotCobwebs && m_document->m_crossDensity;
  return m_plot.top + (strip ? m_plot.Height() / 3 : 0);
}

void TFrmTesploreView::FrameMouseDown(Qt::MouseButton button, int x, int y) {
  if (!m_document) return;
  SampleDataView& doc = *m_document;
  const bool axes = doc.m_plotType == PlotCobwebs || doc.m_plotType == PlotMarginals;
  m_band = TRect{x, y, x, y};
  setFocus();
  if (button == Qt::RightButton) {
    if (axes) m_popupSel->popup(m_surface->mapToGlobal(QPoint(x, y)));
    return;
  }
  if (button != Qt::LeftButton || NothingToDraw(doc)) return;
  m_press = QPoint(x, y);
  if (!axes) {
    m_mouseState = MouseZoomBand;
    return;
  }
  const int top = AxesTop();
  if ((top - m_plot.top) - 5 < y && y < top - 5) {
    const std::vector<int> xs = AxisPositions();
    QFont bold = PlotFonts[1];
    bold.setBold(true);
    for (std::size_t k = 0; k < xs.size(); ++k) {
      const int index = doc.VisibleIndex(static_cast<std::uint32_t>(k));
      const QFont f = PlotFont(index == doc.m_selectedVar ? bold : PlotFonts[1]);
      const int w = QFontMetrics(f, &m_image)
                        .horizontalAdvance(QString::fromStdString(
                            doc.m_order[static_cast<std::size_t>(index)]->GetName()));
      if (xs[k] - w / 2 - 4 <= x && x <= xs[k] + w / 2 + 4) {
        doc.m_selectedVar = index;
        m_mouseState = MouseNamePressed;
        return;
      }
    }
  }
  // A working copy of every shown variable's range takes the marks while the
  // band moves; the committed ranges stay for the undo snapshot.
  const std::uint32_t n = doc.CountVisible();
  m_working.assign(n, fn::CVarRange());
  for (std::uint32_t k = 0; k < n; ++k) {
    fn::CTesploreVar& v = doc.VisibleVariable(k);
    m_working[k] = v.Range;
    v.ActiveRange = &m_working[k];
  }
  m_mouseState = MouseRangeSelection;
  Render(true);
}

void TFrmTesploreView::FrameMouseMove(int x, int y) {
  if (!m_document) return;
  SampleDataView& doc = *m_document;
  if (m_mouseState == MouseNamePressed) {
    m_mouseState = MouseDragging;
    return;
  }
  if (m_mouseState != MouseRangeSelection && m_mouseState != MouseZoomBand) return;
  m_band = TRect{std::min(m_press.x(), x), std::min(m_press.y(), y), std::max(m_press.x(), x),
                 std::max(m_press.y(), y)};
  const bool realTime = RealTimeUpdates && RealTimeUpdates();
  if (m_mouseState == MouseZoomBand || !realTime) m_surface->DrawBand(m_band);
  if (m_mouseState != MouseRangeSelection) return;
  const int top = AxesTop();
  const float span = static_cast<float>(m_plot.bottom - top);
  float hi = 1.0f - static_cast<float>(m_band.top - top) / span;
  float lo = 1.0f - static_cast<float>(m_band.bottom - top) / span;
  if (hi < 0.0f || lo > 1.0f) return;
  hi = std::min(hi, 1.0f);
  lo = std::max(lo, 0.0f);
  const std::vector<int> xs = AxisPositions();
  for (std::size_t k = 0; k < xs.size() && k < m_working.size(); ++k) {
    m_working[k] = doc.VisibleVariable(static_cast<std::uint32_t>(k)).Range;
    if (m_band.left <= xs[k] && xs[k] <= m_band.right) {
      m_working[k].Combine(lo, hi, m_settings.SelectionMode);
    }
  }
  doc.UpdateFilter();
  if (realTime) {
    Render(false);
    m_surface->DrawBand(m_band);
  }
}

void TFrmTesploreView::FrameMouseUp(Qt::MouseButton button, int x, int y) {
  if (!m_document || button != Qt::LeftButton) return;
  SampleDataView& doc = *m_document;
  const int state = m_mouseState;
  m_mouseState = MouseIdle;
  switch (state) {
    case MouseRangeSelection: {
      if (OnRecordUndo) OnRecordUndo(ViewRanges);
      const std::uint32_t n = doc.CountVisible();
      for (std::uint32_t k = 0; k < n; ++k) {
        fn::CTesploreVar& v = doc.VisibleVariable(k);
        if (k < m_working.size()) v.Range = m_working[k];
        v.ActiveRange = &v.Range;
      }
      m_working.clear();
      doc.UpdateFilter();
      break;
    }
    case MouseNamePressed:
      if (OnSyncToControls) OnSyncToControls(0xff);
      break;
    case MouseZoomBand: {
      const int sensitivity = m_settings.MouseSensitivity;
      if (m_band.Width() < sensitivity || m_band.Height() < sensitivity) break;
      if (m_band.Width() <= 0 || m_band.Height() <= 0) break;
      if (OnRecordUndo) OnRecordUndo(ViewScalars);
      const TBox saved = doc.m_zoom;
      const float W = static_cast<float>(m_plot.Width()), H = static_cast<float>(m_plot.Height());
      const float dx = doc.m_zoom.x1 - doc.m_zoom.x0;
      if (dx != 0) {
        doc.m_zoom.x0 = (m_band.left - m_plot.left) * dx / W + doc.m_zoom.x0;
        doc.m_zoom.x1 = m_band.Width() * dx / W + doc.m_zoom.x0;
      }
      const float dy = doc.m_zoom.y1 - doc.m_zoom.y0;
      if (dy != 0) {
        doc.m_zoom.y0 = (m_plot.bottom - m_band.bottom) * dy / H + doc.m_zoom.y0;
        doc.m_zoom.y1 = m_band.Height() * dy / H + doc.m_zoom.y0;
      }
      const TBox b = doc.ZoomBox(doc.m_plotType == PlotScatter ? doc.m_scatterBox : doc.m_box);
      // Either range collapsing would leave nothing to draw along that axis.
      if (b.x0 != b.x1 && b.y0 != b.y1) {
        if (OnSyncToControls) OnSyncToControls(doc.m_boxType == BoxManual ? 16 : 2 | 16);
      } else {
        Services().InfoBox(QStringLiteral("Maximum magnification reached."),
                           QStringLiteral("Tesplore"));
        doc.m_zoom = saved;
      }
      break;
    }
    case MouseDragging: EndNameDrag(x, y); return;
    default: return;
  }
  Render(true);
}

void TFrmTesploreView::EndNameDrag(int x, int y) {
  SampleDataView& doc = *m_document;
  m_mouseState = MouseIdle;
  if (!rect().contains(x, y)) {
    RepaintSurface();
    return;
  }
  if (doc.m_plotType != PlotCobwebs && doc.m_plotType != PlotMarginals) return;
  const auto n = static_cast<int>(doc.CountVisible());
  if (n < 1 || (doc.m_plotType == PlotCobwebs && n < 2)) return;
  const int W = m_plot.Width();
  const int w0 =
      QFontMetrics(PlotFont(PlotFonts[0]), &m_image).horizontalAdvance(QStringLiteral("0.00"));
  const int slot = doc.m_plotType == PlotCobwebs ? W / (n - 1) : (w0 + W) / n;
  if (slot <= 0) return;
  const float d = static_cast<float>(x - m_plot.left) / static_cast<float>(slot);
  // The selected variable's place among the shown axes.
  int shown = -1;
  for (int k = 0; k < n; ++k) {
    if (doc.VisibleIndex(static_cast<std::uint32_t>(k)) == doc.m_selectedVar) shown = k;
  }
  int position = static_cast<float>(shown) >= d ? static_cast<int>(d + 1) : static_cast<int>(d);
  position = std::clamp(position, 0, n - 1);
  const int target = doc.VisibleIndex(static_cast<std::uint32_t>(position));
  if (target != doc.m_selectedVar && shown >= 0) {
    if (OnRecordUndo) OnRecordUndo(ViewOrder);
    doc.MoveVariable(doc.m_selectedVar, target);
    doc.m_selectedVar = target;
    if (OnSyncToControls) OnSyncToControls(0xff);
    Render(true);
  } else {
    RepaintSurface();
  }
}
