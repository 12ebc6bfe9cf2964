#include "doc/static_view.h"

#include <utility>

void CTesploreStaticView::SwapScalars(CTesploreStaticView& other) {
  using std::swap;
  swap(m_selectedVar, other.m_selectedVar);
  swap(m_numSamples, other.m_numSamples);
  swap(m_scatterX, other.m_scatterX);
  swap(m_scatterY, other.m_scatterY);
  swap(m_box, other.m_box);
  swap(m_scatterBox, other.m_scatterBox);
  swap(m_zoom, other.m_zoom);
  swap(m_boxType, other.m_boxType);
  swap(m_autoBox, other.m_autoBox);
  swap(m_smoothing, other.m_smoothing);
  swap(m_plotType, other.m_plotType);
  swap(m_cobwebScale, other.m_cobwebScale);
  swap(m_crossDensity, other.m_crossDensity);
  swap(m_densityMode, other.m_densityMode);
}
