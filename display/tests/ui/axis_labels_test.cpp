// Every plot type drawn with values of five significant digits: its value
// labels never run into each other and are never cut at the picture's edges.
#include "plot_fixture.h"

namespace {

using plots::PlotTest;
using plots::Spread;

struct View {
  const char* name;
  std::int32_t type, scale;
  bool crossDensity;
};

class AxisLabelsTest : public PlotTest {};

TEST_F(AxisLabelsTest, LabelsKeepApartAndInside) {
  const int n = 300;
  auto doc = Doc({"a", "b", "c", "d"},
                 {Spread(n, 123.45, 987.65), Spread(n, -23456, 12345),
                  Spread(n, 0.00078123, 0.0098765), Spread(n, -0.00045678, 0.00012345)});
  const View views[] = {
      {"cobwebs", PlotCobwebs, ScalePercentiles, false},
      {"natural cobwebs", PlotCobwebs, ScaleNatural, false},
      {"cross-density", PlotCobwebs, ScaleNatural, true},
      {"marginals", PlotMarginals, ScalePercentiles, false},
      {"scatter", PlotScatter, ScalePercentiles, false},
      {"density", PlotDensity, ScalePercentiles, false},
      {"histogram", PlotHistogram, ScalePercentiles, false},
  };
  // The shown variables: all, and each alone (its own scale on the axes).
  const std::vector<std::uint8_t> shown[] = {
      {1, 1, 1, 1}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  const std::pair<int, int> pairs[] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
  const QSize sizes[] = {QSize(800, 600), QSize(420, 320)};
  int labels = 0;
  for (int points : {8, 14}) {
    PlotFonts[0].setPointSize(points);
    for (const View& view : views) {
      for (const QSize& size : sizes) {
        for (std::size_t s = 0; s < std::size(shown); ++s) {
          doc->m_plotType = view.type;
          doc->m_cobwebScale = view.scale;
          doc->m_crossDensity = view.crossDensity ? 1 : 0;
          doc->m_visible = shown[s];
          if (view.type == PlotCobwebs && s > 0) continue;  // cobwebs need two axes
          doc->m_scatterX = pairs[s % 4].first;
          doc->m_scatterY = pairs[s % 4].second;
          doc->UpdateFilter();
          doc->UpdateBoundingBox(true);
          std::vector<std::pair<QRect, QString>> texts;
          Render(*doc, size.width(), size.height(), MouseIdle, true, 1, &texts);
          std::vector<std::pair<QRect, QString>> numbers;
          for (const auto& t : texts) {
            bool ok = false;
            t.second.toDouble(&ok);
            if (ok) numbers.push_back(t);
          }
          const std::string where = std::string(view.name) + " " + std::to_string(size.width()) +
                                    " shown " + std::to_string(s) + " " + std::to_string(points) +
                                    "pt";
          EXPECT_GE(numbers.size(), 3u) << where;
          labels += static_cast<int>(numbers.size());
          for (std::size_t i = 0; i < numbers.size(); ++i) {
            const QRect& r = numbers[i].first;
            EXPECT_TRUE(QRect(0, 0, size.width(), size.height()).contains(r))
                << where << ": \"" << numbers[i].second.toStdString() << "\" cut";
            for (std::size_t j = i + 1; j < numbers.size(); ++j) {
              EXPECT_FALSE(r.intersects(numbers[j].first))
                  << where << ": \"" << numbers[i].second.toStdString() << "\" runs into \""
                  << numbers[j].second.toStdString() << "\"";
            }
          }
        }
      }
    }
  }
  PlotFonts[0].setPointSize(8);
  EXPECT_GT(labels, 400);
}

}  // namespace
