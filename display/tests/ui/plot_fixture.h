#pragma once

// Documents built from small sample files, and plots rendered into pictures
// with pinned fonts, for the picture tests.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <map>
#include <memory>
#include <set>

#include "../sample_files.h"
#include "doc/sample_data_view.h"
#include "ui/plot_render.h"

namespace plots {

inline void EnsureApp() {
  static int argc = 1;
  static char name[] = "display_ui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
  (void)app;
  PlotFonts[0] = QFont(QStringLiteral("DejaVu Sans"), 8);
  PlotFonts[1] = QFont(QStringLiteral("DejaVu Sans"), 9);
}

class PlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApp();
    colors = ColorPreset(PresetDefaultColor);
  }

  // A document of the columns (names, then one vector per column).
  std::unique_ptr<SampleDataView> Doc(const std::vector<std::string>& names,
                                      const std::vector<std::vector<double>>& columns) {
    testfiles::Table rows(columns.empty() ? 0 : columns[0].size());
    for (std::size_t s = 0; s < rows.size(); ++s) {
      for (const auto& c : columns) rows[s].push_back(c[s]);
    }
    auto doc = std::make_unique<SampleDataView>(dir.File("t.INI"));
    doc->SetColours(&colors);
    doc->m_plotType = PlotCobwebs;
    doc->m_cobwebScale = ScalePercentiles;
    doc->m_crossDensity = 0;
    doc->m_densityMode = DensityRelative;
    doc->m_boxType = BoxVisibleVariables;
    doc->m_autoBox = true;
    if (!columns.empty()) {
      EXPECT_TRUE(
          doc->LoadFile(dir.Write(std::string("s").append(std::to_string(files++)).append(".sae"),
                                  testfiles::SaeText(names, rows)),
                        fn::SampleFileSae));
      doc->SetNumSamples(static_cast<std::uint32_t>(rows.size()));
      doc->UpdateFilter();
    }
    return doc;
  }

  // Renders into a fresh picture of w x h as the frame does on the screen
  // (own = true) or as on another device (own = false).
  // texts, when given, receives every text drawn with its rectangle.
  QImage Render(SampleDataView& doc, int w = 800, int h = 600, int mouse = MouseIdle,
                bool own = true, int threads = 1,
                std::vector<std::pair<QRect, QString>>* texts = nullptr) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    whole = TRect{0, 0, w, h};
    plot = PlotLayout(whole, PlotFonts, &img);
    TPlotContext ctx{doc,     colors,  p,  whole, plot, own ? &img : nullptr, mouse, false,
                     threads, nullptr, {}, texts, {}};
    RenderPlot(ctx);
    p.end();
    return img;
  }

  static std::uint32_t Rgb(TColor c) { return ColorToRgb(c); }
  static std::uint32_t Px(const QImage& img, int x, int y) { return img.pixel(x, y) | 0xff000000u; }

  // Pixels of colour c in the rectangle.
  static int Count(const QImage& img, std::uint32_t c, const TRect& r) {
    int n = 0;
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, img.height()); ++y) {
      for (int x = std::max(r.left, 0); x < std::min(r.right, img.width()); ++x)
        n += Px(img, x, y) == c;
    }
    return n;
  }
  static int Count(const QImage& img, std::uint32_t c) {
    return Count(img, c, TRect{0, 0, img.width(), img.height()});
  }

  // Runs of neighbouring columns that hold colour c: the filled areas side by
  // side (tick marks may cut an area, never its columns).
  static int ColumnRuns(const QImage& img, std::uint32_t c) {
    int runs = 0;
    bool previous = false;
    for (int x = 0; x < img.width(); ++x) {
      bool any = false;
      for (int y = 0; y < img.height() && !any; ++y) any = Px(img, x, y) == c;
      runs += any && !previous;
      previous = any;
    }
    return runs;
  }

  // The text as the plots write it, alone on the background, at (x, y) top-left.
  QImage TextAlone(int w, int h, int x, int y, const QString& text, const QFont& font) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor::fromRgb(Rgb(colors.clr[ClrBackground])));
    QPainter p(&img);
    TCanvas c(p);
    c.SetFont(font);
    c.SetTextColour(colors.clr[ClrText]);
    c.TextOut(x, y, text);
    return img;
  }
  // Whether the picture holds exactly the text's pixels within r.
  static bool SameIn(const QImage& a, const QImage& b, const TRect& r) {
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        if (Px(a, x, y) != Px(b, x, y)) return false;
      }
    }
    return true;
  }

  testfiles::TempDir dir;
  TColorRecord colors;
  TRect whole, plot;
  int files = 0;
};

// Evenly spread values over [lo, hi].
inline std::vector<double> Spread(int n, double lo, double hi) {
  std::vector<double> v(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = lo + (hi - lo) * (i + 0.5) / n;
  return v;
}

}  // namespace plots
