#include "doc/sample_data_view.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "doc/settings.h"
#include "ut/file.h"

std::int32_t UndoSize = DefaultUndoSize;

namespace {

constexpr float kFloatMax = 3.4028235e38f;

}  // namespace

bool RandVarPickerUI::PickVariables(const std::vector<std::unique_ptr<fn::CTesploreVar>>&,
                                    std::uint32_t, ut::SizeTSet&) {
  return false;
}

SampleDataView::SampleDataView(std::string settingsPath, fn::RandVarPicker* picker,
                               IDocumentErrors* errors)
    : m_settingsPath(settingsPath.empty() ? SettingsFilePath() : std::move(settingsPath)),
      m_errors(errors),
      m_historyPos(m_history.end()),
      m_samples(picker ? picker : new RandVarPickerUI) {
  const TViewSettings s = ReadViewSettings(m_settingsPath);
  m_plotType = s.PlotType;
  m_cobwebScale = s.CobwebScale;
  m_autoBox = s.AutoBBox;
  m_boxType = s.BBoxType;
  m_densityMode = s.DensityMode;
  m_crossDensity = s.CrossDensity ? 1 : 0;
  UndoSize = s.UndoSize;
  ResetView();
}

SampleDataView::~SampleDataView() {
  TViewSettings s;
  s.PlotType = m_plotType;
  s.CobwebScale = m_cobwebScale;
  s.AutoBBox = m_autoBox;
  s.BBoxType = m_boxType;
  s.DensityMode = m_densityMode;
  s.CrossDensity = m_crossDensity != 0;
  s.UndoSize = UndoSize;
  WriteViewSettings(m_settingsPath, s);
  m_history.clear();
  SetNumVariables(0);
}

void SampleDataView::ShowError(const ut::Exception& e, const ut::String& message) {
  if (m_errors) {
    m_errors->ShowException(ut::String(), e, message);
  } else {
    std::fprintf(stderr, "%s\n%s\n", message.c_str(), e.message().c_str());
  }
}

void SampleDataView::ResetView() {
  m_visible.clear();
  m_order.clear();
  m_selectedVar = 0;
  m_numSamples = fn::InitialSamples;
  m_filter.clear();
  m_smoothing = 1.0f;
  m_zoom = TBox{0, 1, 0, 1};
  m_numVars = 0;
  m_scatterX = m_scatterY = 0;
  m_history.clear();
  m_historyPos = m_history.end();
  DropScaledValues();
}

void SampleDataView::Clear() {
  ResetView();
  m_samples.Clear();
}

void SampleDataView::DropScaledValues() {
  for (auto& s : m_scaled) s.clear();
}

bool SampleDataView::LoadFile(const ut::String& path, fn::SampleFileType type) {
  try {
    m_samples.SetFile(path, type);
    DropScaledValues();
    ResizeFilter(m_samples.GetNumSamples());
    SetNumVariables(m_samples.NumVariables());
    for (std::uint32_t i = 0; i < m_numVars; ++i) {
      fn::CTesploreVar& v = m_samples.GetVariable(i);
      m_order[i] = &v;
      m_visible[i] = 1;
      v.ViewIndex = static_cast<std::int32_t>(i);
    }
    UpdateFilter();
    return true;
  } catch (const ut::Exception& e) {
    ShowError(e, "Error reading sample file \"" + ut::file_name(path, true) + "\"");
    return false;
  }
}

void SampleDataView::ResizeFilter(std::uint32_t n) {
  if (n < m_numSamples) m_numSamples = n;
  m_filter.assign(n, true);
  UpdateFilter();
}

void SampleDataView::SetNumVariables(std::uint32_t n) {
  m_visible.clear();
  m_numVars = n;
  if (n > 0) {
    m_order.assign(n, nullptr);
    m_visible.assign(n, 0);
    m_scatterX = 0;
    m_scatterY = n == 1 ? 0 : 1;
  } else {
    m_order.clear();
  }
}

void SampleDataView::SetNumSamples(std::uint32_t n) {
  m_numSamples = n;
  ReleaseStatistics();
  const std::uint32_t loaded = m_samples.GetNumSamples();
  try {
    m_samples.UpdateNumSamples(n);
  } catch (const ut::Exception& e) {
    ShowError(e, "Error updating the number of samples from file \"" +
                     ut::file_name(m_samples.GetFileName(), true) + "\"");
  }
  if (m_samples.GetNumSamples() != loaded) DropScaledValues();
  // Never more than are loaded, also when loading more failed.
  const std::uint32_t now = m_samples.NumVariables() > 0 ? m_samples.GetNumSamples() : 0;
  m_filter.resize(now, false);
  m_numSamples = std::min(m_numSamples, now);
}

bool SampleDataView::SaveSelection(const ut::String& path) {
  try {
    return m_samples.SaveSelSamples(path, m_numSamples, CountSelected(), m_filter);
  } catch (const ut::Exception& e) {
    ShowError(e, "Error saving selected samples to file \"" + ut::file_name(path, true) + "\"");
    return false;
  }
}

std::uint32_t SampleDataView::CountVisible() const {
  return static_cast<std::uint32_t>(std::count(m_visible.begin(), m_visible.end(), 1));
}

int SampleDataView::VisibleIndex(std::uint32_t k) const {
  for (std::size_t i = 0; i < m_visible.size(); ++i) {
    if (m_visible[i] == 1 && k-- == 0) return static_cast<int>(i);
  }
  return -1;
}

fn::CTesploreVar& SampleDataView::VisibleVariable(std::uint32_t k) const {
  const int i = VisibleIndex(k);
  if (i < 0)
    throw ut::Exception("No shown variable " + ut::int_to_string(k) + ".",
                        "SampleDataView::VisibleVariable");
  return *m_order[static_cast<std::size_t>(i)];
}

void SampleDataView::MoveVariable(int from, int to) {
  const int n = static_cast<int>(m_order.size());
  if (from == to || from < 0 || to < 0 || from >= n || to >= n) return;
  auto rotate = [&](auto& v) {
    auto f = v.begin() + from, t = v.begin() + to;
    if (from < to)
      std::rotate(f, f + 1, t + 1);
    else
      std::rotate(t, f, f + 1);
  };
  rotate(m_order);
  rotate(m_visible);
  // The scatter axes keep their variables; the variable at to moves too.
  auto follow = [&](std::int32_t& p) {
    if (p == from)
      p = to;
    else if (from < to && p > from && p <= to)
      --p;
    else if (to < from && p >= to && p < from)
      ++p;
  };
  follow(m_scatterX);
  follow(m_scatterY);
}

void SampleDataView::ResetRanges() {
  for (fn::CTesploreVar* v : m_order) {
    if (v) v->Range.Reset();
  }
  UpdateFilter();
}

const std::vector<float>& SampleDataView::ScaledValues(const fn::CTesploreVar& v,
                                                       std::int32_t scale) const {
  auto& table = m_scaled[std::clamp(scale, 0, 2)];
  const std::size_t index = static_cast<std::size_t>(std::max(v.ViewIndex, 0));
  if (table.size() <= index) table.resize(std::max<std::size_t>(index + 1, m_numVars));
  std::vector<float>& values = table[index];
  const std::size_t n = v.GetSamples().size();
  if (values.size() != n) {
    values.resize(n);
    for (std::size_t s = 0; s < n; ++s) {
      values[s] = scale == ScalePercentiles ? v.PercentileRank(s)
                  : scale == ScaleNatural   ? v.NaturalScale(s)
                                            : v.LogScale(s);
    }
  }
  return values;
}

void SampleDataView::UpdateFilter() {
  m_filter.assign(m_filter.size(), true);
  if (m_order.empty() || !m_order[0] || !m_order[0]->HasSamples()) return;
  const std::int32_t scale = (m_cobwebScale == ScalePercentiles || m_plotType == PlotMarginals)
                                 ? ScalePercentiles
                                 : m_cobwebScale;
  std::vector<std::uint8_t> pass(m_filter.size(), 1);
  for (std::size_t i = 0; i < m_order.size(); ++i) {
    fn::CTesploreVar& v = *m_order[i];
    v.ReleaseEstimators();
    if (m_visible[i] != 1) continue;
    const std::vector<float>& values = ScaledValues(v, scale);
    const fn::CVarRange& range = *v.ActiveRange;
    const std::size_t n = std::min(values.size(), pass.size());
    for (std::size_t s = 0; s < n; ++s) {
      if (pass[s] && !range.Contains(values[s])) pass[s] = 0;
    }
  }
  for (std::size_t s = 0; s < pass.size(); ++s) m_filter[s] = pass[s] != 0;
}

std::int32_t SampleDataView::CountSelected() const {
  const std::size_t n = std::min<std::size_t>(m_numSamples, m_filter.size());
  return static_cast<std::int32_t>(
      std::count(m_filter.begin(), m_filter.begin() + static_cast<std::ptrdiff_t>(n), true));
}

void SampleDataView::ReleaseStatistics() {
  for (std::uint32_t i = 0; i < m_samples.NumVariables(); ++i)
    m_samples.GetVariable(i).ReleaseEstimators();
}

void SampleDataView::UpdateEstimators(std::int32_t size) {
  const bool lines = m_plotType == PlotCobwebs || m_plotType == PlotMarginals;
  const std::int32_t count = lines ? CountSelected() : static_cast<std::int32_t>(m_numSamples);
  const std::size_t n = m_order.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (m_visible[i] != 1) continue;
    std::size_t partner = i;
    if (m_plotType == PlotCobwebs) {
      for (std::size_t j = i + 1; j < n; ++j) {
        if (m_visible[j] == 1) {
          partner = j;
          break;
        }
      }
    }
    fn::CTesploreVar& v = *m_order[i];
    v.BuildDataset(count, m_plotType, m_filter, *m_order[partner], m_cobwebScale);
    v.BuildEstimators(size, m_smoothing);
  }
  UpdateExtents();
}

void SampleDataView::UpdateExtents() {
  m_maxDensity = -kFloatMax;
  m_minDensity = kFloatMax;
  m_maxBinHeight = -kFloatMax;
  m_maxValue = -kFloatMax;
  m_minValue = kFloatMax;
  for (std::size_t i = 0; i < m_order.size(); ++i) {
    if (m_visible[i] != 1) continue;
    const fn::CTesploreVar& v = *m_order[i];
    m_maxDensity = std::max(m_maxDensity, v.MaxDensity);
    m_minDensity = std::min(m_minDensity, v.MinDensity);
    if (v.Bins) m_maxBinHeight = std::max(m_maxBinHeight, v.MaxBinHeight(m_numSamples));
    m_maxValue = std::max(m_maxValue, v.GetMax());
    m_minValue = std::min(m_minValue, v.GetMin());
  }
}

void SampleDataView::UpdateBoundingBox(bool force) {
  if (!m_autoBox && !force) return;
  if (m_plotType == PlotScatter) {
    const auto n = static_cast<std::int32_t>(m_order.size());
    if (m_numVars > 0 && (m_boxType == BoxSelectedVariable || m_boxType == BoxVisibleVariables) &&
        m_scatterX >= 0 && m_scatterX < n && m_scatterY >= 0 && m_scatterY < n) {
      const fn::CTesploreVar& x = *m_order[static_cast<std::size_t>(m_scatterX)];
      const fn::CTesploreVar& y = *m_order[static_cast<std::size_t>(m_scatterY)];
      m_scatterBox = TBox{x.GetMin(), x.GetMax(), y.GetMin(), y.GetMax()};
    }
    return;
  }
  const bool density = m_plotType == PlotDensity;
  if (m_numVars > 0) {
    if (m_boxType == BoxSelectedVariable) {
      // The first shown position at or after the selected one, cyclically; with
      // none shown the box stays.
      const std::size_t n = m_order.size();
      const std::size_t start = static_cast<std::size_t>(
          std::clamp<std::int32_t>(m_selectedVar, 0, static_cast<std::int32_t>(n) - 1));
      for (std::size_t step = 0; step < n; ++step) {
        const std::size_t i = (start + step) % n;
        if (m_visible[i] != 1) continue;
        const fn::CTesploreVar& v = *m_order[i];
        m_box.x0 = v.GetMin();
        m_box.x1 = v.GetMax();
        m_box.y0 = density ? v.MinDensity : 0.0f;
        m_box.y1 = density ? v.MaxDensity : v.MaxBinHeight(m_numSamples);
        break;
      }
    } else if (m_boxType == BoxVisibleVariables) {
      m_box.x0 = m_minValue;
      m_box.x1 = m_maxValue;
      m_box.y0 = density ? m_minDensity : 0.0f;
      m_box.y1 = density ? m_maxDensity : m_maxBinHeight;
    }
  }
  if (m_densityMode == DensityCumulative && m_boxType != BoxManual) {
    m_box.y0 = 0.0f;
    m_box.y1 = 1.0f;
  }
  if (m_box.x0 == m_box.x1) {
    float d = (m_maxValue - m_minValue) / 2.0f;
    if (m_maxValue - m_minValue == 0.0f) d = 1.0f;
    m_box.x0 -= d;
    m_box.x1 += d;
  }
}

TBox SampleDataView::ZoomBox(const TBox& b) const {
  const float w = b.x1 - b.x0, h = b.y1 - b.y0;
  return TBox{b.x0 + w * m_zoom.x0, b.x0 + w * m_zoom.x1, b.y0 + h * m_zoom.y0,
              b.y0 + h * m_zoom.y1};
}

fn::CTesploreVar* SampleDataView::VariableByIndex(std::int32_t viewIndex) {
  if (viewIndex < 0 || static_cast<std::uint32_t>(viewIndex) >= m_samples.NumVariables())
    return nullptr;
  return &m_samples.GetVariable(static_cast<std::size_t>(viewIndex));
}

std::unique_ptr<CTesploreStaticView> SampleDataView::Snapshot(std::uint32_t flags) const {
  auto e = std::make_unique<CTesploreStaticView>();
  e->m_selectedVar = m_selectedVar;
  e->m_numSamples = m_numSamples;
  e->m_scatterX = m_scatterX;
  e->m_scatterY = m_scatterY;
  e->m_box = m_box;
  e->m_scatterBox = m_scatterBox;
  e->m_zoom = m_zoom;
  e->m_boxType = m_boxType;
  e->m_autoBox = m_autoBox;
  e->m_smoothing = m_smoothing;
  e->m_plotType = m_plotType;
  e->m_cobwebScale = m_cobwebScale;
  e->m_crossDensity = m_crossDensity;
  e->m_densityMode = m_densityMode;
  if (flags & ViewOrder) {
    e->m_order = m_order;
    e->m_hasOrder = true;
  }
  // Visibility and ranges are kept by variable, so that an undo after the
  // order changed without a snapshot still gives them to the right variables.
  if (flags & ViewVisibility) {
    e->m_visible.assign(m_samples.NumVariables(), 0);
    for (std::size_t k = 0; k < m_order.size(); ++k) {
      const auto j = static_cast<std::size_t>(m_order[k]->ViewIndex);
      if (j < e->m_visible.size()) e->m_visible[j] = m_visible[k];
    }
    e->m_hasVisible = true;
  }
  if (flags & ViewRanges) {
    e->m_savedRanges = std::make_unique<std::vector<fn::CVarRange>>();
    for (std::uint32_t j = 0; j < m_samples.NumVariables(); ++j) {
      e->m_savedRanges->push_back(m_samples.GetVariable(j).Range);
    }
  }
  return e;
}

bool SampleDataView::MergesWith(const CTesploreStaticView& e) const {
  // A colour entry is not merged into either: its undo gives back only colours.
  if (e.m_hasOrder || e.m_hasVisible || e.m_savedRanges || e.m_savedColours) return false;
  if (e.m_selectedVar != m_selectedVar || e.m_boxType != m_boxType || e.m_autoBox != m_autoBox ||
      e.m_plotType != m_plotType || e.m_cobwebScale != m_cobwebScale ||
      e.m_densityMode != m_densityMode) {
    return false;
  }
  if (!(e.m_box == m_box) || !(e.m_scatterBox == m_scatterBox)) return false;
  const int zoomChanges = (e.m_zoom.x0 != m_zoom.x0) + (e.m_zoom.x1 != m_zoom.x1) +
                          (e.m_zoom.y0 != m_zoom.y0) + (e.m_zoom.y1 != m_zoom.y1);
  if (zoomChanges > 1) return false;
  const int changes =
      (e.m_numSamples != m_numSamples) + (zoomChanges != 0) + (e.m_smoothing != m_smoothing);
  return changes <= 1;
}

void SampleDataView::PushView(std::uint32_t flags, std::unique_ptr<TColorRecord> colours) {
  if (UndoSize <= 0) return;
  m_history.erase(m_historyPos, m_history.end());
  m_historyPos = m_history.end();
  if ((flags & ViewMerge) && !m_history.empty() && MergesWith(*m_history.back())) return;
  auto e = Snapshot(flags);
  if (flags & ViewColours) e->m_savedColours = std::move(colours);
  m_history.push_back(std::move(e));
  while (m_history.size() > static_cast<std::size_t>(UndoSize)) m_history.pop_front();
  m_historyPos = m_history.end();
}

void SampleDataView::ExchangeWith(CTesploreStaticView& e) {
  std::vector<std::uint8_t> liveByVariable;
  if (e.m_hasVisible) {
    liveByVariable.assign(e.m_visible.size(), 0);
    for (std::size_t k = 0; k < m_order.size(); ++k) {
      const auto j = static_cast<std::size_t>(m_order[k]->ViewIndex);
      if (j < liveByVariable.size()) liveByVariable[j] = m_visible[k];
    }
  }
  SwapScalars(e);
  if (e.m_hasOrder) std::swap(m_order, e.m_order);
  if (e.m_hasVisible) {
    for (std::size_t k = 0; k < m_order.size(); ++k) {
      const auto j = static_cast<std::size_t>(m_order[k]->ViewIndex);
      m_visible[k] = j < e.m_visible.size() ? e.m_visible[j] : m_visible[k];
    }
    e.m_visible = std::move(liveByVariable);
  }
  if (e.m_savedRanges) {
    auto& saved = *e.m_savedRanges;
    for (std::size_t j = 0; j < saved.size(); ++j) {
      if (fn::CTesploreVar* v = VariableByIndex(static_cast<std::int32_t>(j)))
        std::swap(v->Range, saved[j]);
    }
  }
}

void SampleDataView::StepView(bool undo) {
  if (undo ? m_historyPos == m_history.begin() : m_historyPos == m_history.end()) return;
  if (undo) --m_historyPos;
  CTesploreStaticView& e = **m_historyPos;
  if (e.m_savedColours) {
    std::swap(*e.m_savedColours, *m_colours);
  } else {
    ExchangeWith(e);
  }
  if (!undo) ++m_historyPos;
}
