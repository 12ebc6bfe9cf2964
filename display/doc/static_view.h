// The state of one view of the samples: which variables are shown in which
// order, the plot type and its parameters, boxes and zoom. The document derives
// from it, and every entry of its undo history is one.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "doc/color_record.h"
#include "fn/tesplore_var.h"

// Plot types.
enum : std::int32_t {
  PlotCobwebs = 0,
  PlotMarginals = 1,
  PlotScatter = 2,
  PlotDensity = 3,
  PlotHistogram = 4
};
// Cobweb scales.
enum : std::int32_t { ScalePercentiles = 0, ScaleNatural = 1, ScaleLogarithmic = 2 };
// Density modes.
enum : std::int32_t { DensityRelative = 0, DensityCumulative = 1, DensityAbsolute = 2 };
// Axis fits.
enum : std::int32_t { BoxSelectedVariable = 0, BoxVisibleVariables = 1, BoxManual = 2 };

// View snapshot flags.
enum : std::uint32_t {
  ViewScalars = 1,
  ViewOrder = 2,
  ViewVisibility = 4,
  ViewRanges = 8,
  ViewMerge = 16,
  ViewColours = 32,
};

// A box in data units, or the zoom window as fractions of one.
struct TBox {
  float x0, x1, y0, y1;
  friend bool operator==(const TBox&, const TBox&) = default;
};

class CTesploreStaticView {
 public:
  CTesploreStaticView() = default;
  CTesploreStaticView(const CTesploreStaticView&) = delete;
  CTesploreStaticView& operator=(const CTesploreStaticView&) = delete;
  virtual ~CTesploreStaticView() = default;

  // Exchanges the scalar fields and the three boxes with another view.
  void SwapScalars(CTesploreStaticView& other);

  std::vector<fn::CTesploreVar*> m_order;  // display order; not owned
  std::int32_t m_selectedVar = 0;
  std::uint32_t m_numSamples = 200;
  // By display position in the live view. A history entry keeps it by variable
  // (ViewIndex) instead, and only when it stores visibility.
  std::vector<std::uint8_t> m_visible;
  std::int32_t m_scatterX = 0;
  std::int32_t m_scatterY = 0;
  TBox m_box{0, 0, 0, 0};
  TBox m_scatterBox{0, 0, 0, 0};
  TBox m_zoom{0, 1, 0, 1};
  std::int32_t m_boxType = BoxVisibleVariables;
  bool m_autoBox = true;
  float m_smoothing = 1.0f;
  std::int32_t m_plotType = PlotCobwebs;
  std::int32_t m_cobwebScale = ScalePercentiles;
  std::uint32_t m_crossDensity = 0;
  std::int32_t m_densityMode = DensityRelative;

  // Only in history entries. Which parts the entry holds beyond the scalars.
  bool m_hasOrder = false;
  bool m_hasVisible = false;
  // The committed ranges by variable (ViewIndex) when the entry stores ranges.
  std::unique_ptr<std::vector<fn::CVarRange>> m_savedRanges;
  // The colours before a colour change.
  std::unique_ptr<TColorRecord> m_savedColours;
};
