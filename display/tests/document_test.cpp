#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include "doc/sample_data_view.h"
#include "sample_files.h"

namespace {

using testfiles::TempDir;

struct CollectErrors : IDocumentErrors {
  void ShowException(const ut::String& caption, const ut::Exception& e,
                     const ut::String& message) override {
    texts.push_back(caption + "|" + message + "|" + e.message());
  }
  std::vector<std::string> texts;
};

// A comma-separated file: column c holds samples of a known shape, seed fixed.
std::string WriteSamples(const TempDir& dir, int columns, int samples, unsigned seed = 7) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::vector<std::string> names;
  for (int c = 0; c < columns; ++c) names.push_back(std::string("v").append(std::to_string(c)));
  testfiles::Table rows(static_cast<std::size_t>(samples));
  for (auto& row : rows) {
    for (int c = 0; c < columns; ++c)
      row.push_back(c == 2 ? std::exp(3 * u(gen)) : 10 * c + u(gen));
  }
  return dir.Write("s.sae", testfiles::SaeText(names, rows));
}

class Document : public ::testing::Test {
 protected:
  void SetUp() override { UndoSize = DefaultUndoSize; }
  std::unique_ptr<SampleDataView> Load(int columns, int samples) {
    auto doc = std::make_unique<SampleDataView>(dir.File("t.INI"), nullptr, &errors);
    EXPECT_TRUE(doc->LoadFile(WriteSamples(dir, columns, samples), fn::SampleFileSae));
    return doc;
  }
  TempDir dir;
  CollectErrors errors;
};

TEST_F(Document, LoadsAndShowsTheFirst200) {
  auto doc = Load(4, 1000);
  EXPECT_EQ(doc->m_numVars, 4u);
  EXPECT_EQ(doc->CountVisible(), 4u);
  EXPECT_EQ(doc->m_numSamples, 200u);
  EXPECT_EQ(doc->Filter().size(), 1000u);
  EXPECT_EQ(doc->CountSelected(), 200);
  EXPECT_EQ(doc->m_scatterX, 0);
  EXPECT_EQ(doc->m_scatterY, 1);
  for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(doc->m_order[i]->ViewIndex, static_cast<int>(i));

  auto one = std::make_unique<SampleDataView>(dir.File("t.INI"), nullptr, &errors);
  ASSERT_TRUE(one->LoadFile(dir.Write("one.sae", "a\n1\n2\n"), fn::SampleFileSae));
  EXPECT_EQ(one->m_scatterX, 0);
  EXPECT_EQ(one->m_scatterY, 0);
  EXPECT_EQ(one->m_numSamples, 2u);

  EXPECT_FALSE(one->LoadFile(dir.File("missing.sae"), fn::SampleFileSae));
  ASSERT_EQ(errors.texts.size(), 1u);
  EXPECT_EQ(errors.texts[0].rfind("|Error reading sample file \"missing.sae\"|", 0), 0u);
}

// The filter is the AND over the shown variables of their range test on the
// scale in force; hidden variables do not filter.
TEST_F(Document, FilterIsTheAndOverShownVariables) {
  auto doc = Load(3, 2000);
  doc->m_order[0]->Range.Combine(0.2f, 0.7f, fn::SelectReplace);
  doc->m_order[1]->Range.Combine(0.5f, 1.0f, fn::SelectReplace);
  doc->m_order[2]->Range.Combine(0.0f, 0.3f, fn::SelectReplace);
  doc->m_visible[1] = 0;
  struct Case {
    std::int32_t plot, scale, used;
  };
  const Case cases[] = {{PlotCobwebs, 0, 0},   {PlotCobwebs, 1, 1},   {PlotCobwebs, 2, 2},
                        {PlotMarginals, 1, 0}, {PlotMarginals, 2, 0}, {PlotDensity, 1, 1}};
  for (const Case& c : cases) {
    doc->m_plotType = c.plot;
    doc->m_cobwebScale = c.scale;
    doc->UpdateFilter();
    int mismatches = 0, selected = 0;
    for (std::size_t s = 0; s < 2000; ++s) {
      bool in = true;
      for (int k : {0, 2}) {
        const fn::CTesploreVar& v = *doc->m_order[static_cast<std::size_t>(k)];
        const float x = c.used == 0   ? v.PercentileRank(s)
                        : c.used == 1 ? v.NaturalScale(s)
                                      : v.LogScale(s);
        in = in && v.Range.Contains(x);
      }
      mismatches += in != doc->Filter()[s];
      selected += in && s < 200;
    }
    EXPECT_EQ(mismatches, 0) << c.plot << " " << c.scale;
    EXPECT_EQ(doc->CountSelected(), selected);
    EXPECT_GT(selected, 0);
    EXPECT_LT(selected, 200);
  }
  doc->m_visible.assign(3, 0);
  doc->UpdateFilter();
  EXPECT_EQ(doc->CountSelected(), 200);
  doc->m_visible.assign(3, 1);
  doc->ResetRanges();
  EXPECT_EQ(doc->CountSelected(), 200);
}

TEST_F(Document, CountsAndSavesOnlyTheShownSamples) {
  auto doc = Load(2, 16000);
  EXPECT_EQ(doc->Filter().size(), 16000u);
  doc->m_order[0]->Range.Combine(0.0f, 0.5f, fn::SelectReplace);
  doc->UpdateFilter();
  int expected = 0, loadedSelected = 0;
  for (std::size_t s = 0; s < 16000; ++s) {
    expected += s < 200 && doc->Filter()[s];
    loadedSelected += doc->Filter()[s];
  }
  EXPECT_EQ(doc->CountSelected(), expected);
  EXPECT_GT(loadedSelected, 7000);

  const std::string out = dir.File("sel.sam");
  ASSERT_TRUE(doc->SaveSelection(out));
  std::ifstream in(out);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("\r\n" + std::to_string(expected) + " ;* Number of samples per variable"),
            std::string::npos);
  std::size_t lines = 0;
  for (char ch : text) lines += ch == '\n';
  // 14 remark lines, 2 count lines, 2 names, the count and 2 values per sample.
  EXPECT_EQ(lines, 19u + 2u * static_cast<std::size_t>(expected));
}

TEST_F(Document, NumberOfSamplesNeverExceedsTheLoadedOnes) {
  auto doc = Load(2, 500);
  doc->SetNumSamples(400);
  EXPECT_EQ(doc->m_numSamples, 400u);
  doc->SetNumSamples(900);  // more than the file holds
  EXPECT_EQ(doc->m_numSamples, 500u);
  EXPECT_EQ(doc->Filter().size(), 500u);

  // Without a file nothing is loaded, so nothing is shown.
  SampleDataView empty(dir.File("t.INI"), nullptr, &errors);
  empty.SetNumSamples(300);
  EXPECT_EQ(empty.m_numSamples, 0u);
  EXPECT_EQ(empty.CountSelected(), 0);
}

TEST_F(Document, MoveVariableKeepsTheScatterPair) {
  auto doc = Load(5, 50);
  struct Case {
    int from, to, x, y;
  };
  const Case cases[] = {{0, 3, 0, 3}, {3, 0, 3, 0}, {1, 4, 1, 4}, {4, 1, 1, 4},
                        {2, 2, 0, 1}, {2, 0, 0, 1}, {0, 2, 1, 0}};
  for (const Case& c : cases) {
    doc->m_scatterX = c.x;
    doc->m_scatterY = c.y;
    fn::CTesploreVar* x = doc->m_order[static_cast<std::size_t>(c.x)];
    fn::CTesploreVar* y = doc->m_order[static_cast<std::size_t>(c.y)];
    fn::CTesploreVar* moved = doc->m_order[static_cast<std::size_t>(c.from)];
    doc->m_visible[static_cast<std::size_t>(c.from)] = 0;
    doc->MoveVariable(c.from, c.to);
    EXPECT_EQ(doc->m_order[static_cast<std::size_t>(c.to)], moved);
    EXPECT_EQ(doc->m_visible[static_cast<std::size_t>(c.to)], 0);
    EXPECT_EQ(doc->m_order[static_cast<std::size_t>(doc->m_scatterX)], x) << c.from << c.to;
    EXPECT_EQ(doc->m_order[static_cast<std::size_t>(doc->m_scatterY)], y) << c.from << c.to;
    doc->m_visible.assign(5, 1);
  }
}

TEST_F(Document, BoundingBoxFollowsThePlotTheFitAndTheSelection) {
  auto doc = Load(3, 400);
  doc->m_plotType = PlotDensity;
  doc->UpdateEstimators(256);
  const fn::CTesploreVar& v1 = *doc->m_order[1];
  struct Case {
    std::int32_t plot, boxType, densityMode, selected;
    bool autoBox, force;
    TBox expected;
  };
  const float top1 = v1.MaxBinHeight(200);
  const TBox manual{1, 2, 3, 4};
  const Case cases[] = {
      {PlotDensity,
       1,
       0,
       0,
       true,
       false,
       {doc->m_minValue, doc->m_maxValue, doc->m_minDensity, doc->m_maxDensity}},
      {PlotDensity, 0, 0, 1, true, false, {v1.GetMin(), v1.GetMax(), v1.MinDensity, v1.MaxDensity}},
      {PlotHistogram, 0, 0, 1, true, false, {v1.GetMin(), v1.GetMax(), 0, top1}},
      {PlotDensity, 0, 1, 1, true, false, {v1.GetMin(), v1.GetMax(), 0, 1}},
      {PlotDensity, 2, 1, 1, true, false, manual},
      {PlotDensity, 1, 0, 1, false, false, manual},
      {PlotDensity, 0, 0, 1, false, true, {v1.GetMin(), v1.GetMax(), v1.MinDensity, v1.MaxDensity}},
      // Position 1 hidden: the search goes on cyclically to position 2, then 0.
      {PlotDensity,
       0,
       0,
       2,
       true,
       false,
       {doc->m_order[2]->GetMin(), doc->m_order[2]->GetMax(), doc->m_order[2]->MinDensity,
        doc->m_order[2]->MaxDensity}},
  };
  for (const Case& c : cases) {
    doc->m_plotType = c.plot;
    doc->m_boxType = c.boxType;
    doc->m_densityMode = c.densityMode;
    doc->m_selectedVar = c.selected;
    doc->m_autoBox = c.autoBox;
    doc->m_box = manual;
    doc->UpdateBoundingBox(c.force);
    EXPECT_EQ(doc->m_box, c.expected) << c.plot << c.boxType << c.densityMode << c.selected;
  }
}

TEST_F(Document, BoundingBoxWithoutShownVariablesWidthOrOfAScatter) {
  auto doc = Load(3, 400);
  doc->m_plotType = PlotDensity;
  doc->UpdateEstimators(256);
  const fn::CTesploreVar& v0 = *doc->m_order[0];
  const TBox manual{1, 2, 3, 4};
  doc->m_selectedVar = 2;
  doc->m_autoBox = true;
  // No shown variable: the search ends and the box stays.
  doc->m_visible.assign(3, 0);
  doc->m_box = manual;
  doc->m_boxType = 0;
  doc->m_densityMode = 0;
  doc->UpdateBoundingBox(true);
  EXPECT_EQ(doc->m_box, manual);

  // A box of no width is widened by half the value span, or by 1.
  doc->m_visible.assign(3, 1);
  doc->m_boxType = 2;
  doc->m_box = TBox{5, 5, 0, 1};
  doc->m_minValue = 2;
  doc->m_maxValue = 8;
  doc->UpdateBoundingBox(true);
  EXPECT_EQ(doc->m_box, (TBox{2, 8, 0, 1}));
  doc->m_box = TBox{5, 5, 0, 1};
  doc->m_maxValue = 2;
  doc->UpdateBoundingBox(true);
  EXPECT_EQ(doc->m_box, (TBox{4, 6, 0, 1}));

  doc->m_plotType = PlotScatter;
  doc->m_boxType = 1;
  doc->m_scatterX = 2;
  doc->m_scatterY = 0;
  doc->UpdateBoundingBox(false);
  EXPECT_EQ(doc->m_scatterBox,
            (TBox{doc->m_order[2]->GetMin(), doc->m_order[2]->GetMax(), v0.GetMin(), v0.GetMax()}));
}

TEST_F(Document, ZoomBoxTakesTheZoomedPartOfTheBox) {
  auto doc = Load(3, 400);
  const TBox b{10, 20, -1, 3};
  struct Zoom {
    TBox zoom, expected;
  };
  const Zoom zooms[] = {{{0, 1, 0, 1}, b},
                        {{0.5f, 1, 0, 0.25f}, {15, 20, -1, 0}},
                        {{0.1f, 0.2f, 0.5f, 0.75f}, {11, 12, 1, 2}}};
  for (const Zoom& z : zooms) {
    doc->m_zoom = z.zoom;
    const TBox r = doc->ZoomBox(b);
    EXPECT_FLOAT_EQ(r.x0, z.expected.x0);
    EXPECT_FLOAT_EQ(r.x1, z.expected.x1);
    EXPECT_FLOAT_EQ(r.y0, z.expected.y0);
    EXPECT_FLOAT_EQ(r.y1, z.expected.y1);
  }
}

TEST_F(Document, UndoRedoRestoresEveryField) {
  auto doc = Load(4, 300);
  std::vector<fn::CTesploreVar*> order0 = doc->m_order;
  doc->m_order[1]->Range.Combine(0.1f, 0.4f, fn::SelectReplace);
  const fn::CVarRange range1 = doc->m_order[1]->Range;
  doc->PushView(ViewScalars | ViewOrder | ViewVisibility | ViewRanges);
  // Change everything.
  doc->MoveVariable(0, 3);
  doc->m_visible[0] = 0;
  doc->m_order[1]->Range.Combine(0.6f, 0.9f, fn::SelectReplace);
  doc->m_order[0]->Range.Combine(0.6f, 0.9f, fn::SelectReplace);
  doc->m_plotType = PlotHistogram;
  doc->m_box = TBox{1, 2, 3, 4};
  doc->m_zoom = TBox{0.1f, 0.2f, 0.3f, 0.4f};
  doc->m_smoothing = 3;
  doc->m_selectedVar = 2;
  const std::vector<fn::CTesploreVar*> order1 = doc->m_order;
  const std::vector<std::uint8_t> visible1 = doc->m_visible;

  EXPECT_TRUE(doc->CanUndo());
  doc->StepView(true);
  EXPECT_EQ(doc->m_order, order0);
  EXPECT_EQ(doc->m_visible, std::vector<std::uint8_t>(4, 1));
  EXPECT_EQ(doc->m_plotType, PlotCobwebs);
  EXPECT_EQ(doc->m_zoom, (TBox{0, 1, 0, 1}));
  EXPECT_EQ(doc->m_smoothing, 1.0f);
  EXPECT_EQ(doc->m_selectedVar, 0);
  EXPECT_EQ(doc->m_order[1]->Range.GetIntervals(), range1.GetIntervals());
  EXPECT_EQ(doc->m_order[0]->Range.Count(), 1);
  EXPECT_EQ(doc->m_order[0]->Range.GetIntervals()[0], (fn::CVarRange::Interval{0, 1}));
  doc->StepView(true);  // at the oldest: nothing
  EXPECT_EQ(doc->m_order, order0);

  doc->StepView(false);
  EXPECT_EQ(doc->m_order, order1);
  EXPECT_EQ(doc->m_visible, visible1);
  EXPECT_EQ(doc->m_plotType, PlotHistogram);
  EXPECT_EQ(doc->m_box, (TBox{1, 2, 3, 4}));
  EXPECT_EQ(doc->m_smoothing, 3.0f);
  EXPECT_EQ(doc->m_order[0]->Range.GetIntervals()[0], (fn::CVarRange::Interval{0.6f, 0.9f}));
  EXPECT_EQ(doc->m_order[3]->Range.GetIntervals()[0], (fn::CVarRange::Interval{0, 1}));
  EXPECT_FALSE(doc->CanRedo());
  doc->StepView(false);  // at the newest: nothing
  EXPECT_EQ(doc->m_plotType, PlotHistogram);
}

// Reordering without a snapshot (as resetting the variables does) must not give
// saved visibility or ranges to other variables on undo.
TEST_F(Document, SnapshotsFollowVariablesNotPositions) {
  auto doc = Load(3, 100);
  fn::CTesploreVar* a = doc->m_order[0];
  a->Range.Combine(0.2f, 0.3f, fn::SelectReplace);
  doc->m_visible[0] = 0;
  doc->PushView(ViewVisibility | ViewRanges);
  a->Range.Reset();
  doc->m_visible[0] = 1;
  doc->MoveVariable(0, 2);  // no snapshot
  doc->StepView(true);
  EXPECT_EQ(doc->m_order[2], a);
  EXPECT_EQ(doc->m_visible, (std::vector<std::uint8_t>{1, 1, 0}));
  EXPECT_EQ(a->Range.GetIntervals()[0], (fn::CVarRange::Interval{0.2f, 0.3f}));
  EXPECT_EQ(doc->m_order[0]->Range.GetIntervals()[0], (fn::CVarRange::Interval{0, 1}));
}

TEST_F(Document, HistoryRules) {
  auto doc = Load(2, 100);
  // Undo size 0: nothing pushed, the redo tail kept.
  doc->PushView(ViewScalars);
  doc->m_plotType = 1;
  doc->PushView(ViewScalars);
  doc->StepView(true);
  ASSERT_TRUE(doc->CanRedo());
  UndoSize = 0;
  doc->PushView(ViewScalars);
  EXPECT_TRUE(doc->CanRedo());
  EXPECT_EQ(doc->HistorySize(), 2u);
  UndoSize = DefaultUndoSize;
  doc->PushView(ViewScalars);  // the redo tail goes
  EXPECT_FALSE(doc->CanRedo());
  EXPECT_EQ(doc->HistorySize(), 2u);

  // The cap.
  UndoSize = 3;
  for (int i = 0; i < 6; ++i) {
    doc->m_selectedVar = i;
    doc->PushView(ViewScalars);
  }
  EXPECT_EQ(doc->HistorySize(), 3u);
  doc->StepView(true);
  doc->StepView(true);
  doc->StepView(true);
  EXPECT_EQ(doc->m_selectedVar, 3);
  EXPECT_FALSE(doc->CanUndo());
}

TEST_F(Document, MergeRule) {
  struct Case {
    const char* what;
    void (*change)(SampleDataView&);
    std::uint32_t firstFlags;
    bool merged;
  };
  const Case cases[] = {
      {"samples only", [](SampleDataView& d) { d.m_numSamples = 150; }, ViewScalars, true},
      {"smoothing only", [](SampleDataView& d) { d.m_smoothing = 2; }, ViewScalars, true},
      {"one zoom value", [](SampleDataView& d) { d.m_zoom.x1 = 0.5f; }, ViewScalars, true},
      {"nothing", [](SampleDataView&) {}, ViewScalars, true},
      {"samples and smoothing",
       [](SampleDataView& d) {
         d.m_numSamples = 150;
         d.m_smoothing = 2;
       },
       ViewScalars, false},
      {"two zoom values",
       [](SampleDataView& d) {
         d.m_zoom.x1 = 0.5f;
         d.m_zoom.y0 = 0.1f;
       },
       ViewScalars, false},
      {"zoom and samples",
       [](SampleDataView& d) {
         d.m_zoom.x1 = 0.5f;
         d.m_numSamples = 150;
       },
       ViewScalars, false},
      {"plot type", [](SampleDataView& d) { d.m_plotType = 3; }, ViewScalars, false},
      {"box", [](SampleDataView& d) { d.m_box.x0 = 3; }, ViewScalars, false},
      {"scatter box", [](SampleDataView& d) { d.m_scatterBox.y1 = 3; }, ViewScalars, false},
      {"selected variable", [](SampleDataView& d) { d.m_selectedVar = 1; }, ViewScalars, false},
      {"newest holds the order", [](SampleDataView& d) { d.m_numSamples = 150; }, ViewOrder, false},
      {"newest holds visibility", [](SampleDataView& d) { d.m_numSamples = 150; }, ViewVisibility,
       false},
      {"newest holds ranges", [](SampleDataView& d) { d.m_numSamples = 150; }, ViewRanges, false},
  };
  for (const Case& c : cases) {
    auto doc = Load(2, 300);
    doc->PushView(c.firstFlags);
    c.change(*doc);
    doc->PushView(ViewScalars | ViewMerge);
    EXPECT_EQ(doc->HistorySize(), c.merged ? 1u : 2u) << c.what;
  }
  // A run of slider moves leaves one step back to the state before the run.
  auto doc = Load(2, 300);
  for (std::uint32_t n : {210u, 220u, 230u}) {
    doc->PushView(ViewScalars | ViewMerge);
    doc->SetNumSamples(n);
  }
  EXPECT_EQ(doc->HistorySize(), 1u);
  doc->StepView(true);
  EXPECT_EQ(doc->m_numSamples, 200u);
}

TEST_F(Document, ColourSnapshotExchangesOnlyColours) {
  auto doc = Load(2, 100);
  TColorRecord live = ColorPreset(PresetDefaultColor);
  doc->SetColours(&live);
  doc->PushView(ViewColours, std::make_unique<TColorRecord>(live));
  live = ColorPreset(PresetDefaultGrayscale);
  doc->m_plotType = PlotDensity;  // not part of a colour step
  doc->StepView(true);
  EXPECT_EQ(live, ColorPreset(PresetDefaultColor));
  EXPECT_EQ(doc->m_plotType, PlotDensity);
  doc->StepView(false);
  EXPECT_EQ(live, ColorPreset(PresetDefaultGrayscale));
  EXPECT_EQ(doc->m_plotType, PlotDensity);
}

TEST_F(Document, ViewSettingsAreReadCheckedAndWritten) {
  const std::string ini =
      dir.Write("v.INI",
                "[View]\r\nPlotType=7\r\nCobwebScale=2\r\nAutoBBox=0\r\nBBoxType=0\r\n"
                "DensityMode=1\r\nCrossDensity=1\r\n[Interface]\r\nUndoSize=101\r\n");
  {
    SampleDataView doc(ini, nullptr, &errors);
    EXPECT_EQ(doc.m_plotType, 0);
    EXPECT_EQ(doc.m_cobwebScale, 2);
    EXPECT_FALSE(doc.m_autoBox);
    EXPECT_EQ(doc.m_boxType, 1);
    EXPECT_EQ(doc.m_densityMode, 1);
    EXPECT_EQ(doc.m_crossDensity, 1u);
    EXPECT_EQ(UndoSize, 13);
    doc.m_plotType = PlotHistogram;
    UndoSize = 40;
  }
  SampleDataView again(ini, nullptr, &errors);
  EXPECT_EQ(again.m_plotType, PlotHistogram);
  EXPECT_EQ(UndoSize, 40);
}

}  // namespace
