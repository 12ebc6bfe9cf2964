#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <fstream>

#include "main_window_fixture.h"
#include "ui/color_dialog.h"
#include "ui/font_dialog.h"
#include "ui/interface_dialog.h"
#include "ui/main_window.h"
#include "ui/picker_dialog.h"
#include "ui/services.h"
#include "ui/start_up.h"

namespace {

TEST(CommandLine, Table) {
  struct Case {
    QStringList args;
    bool valid;
    QString file;
  };
  const Case cases[] = {
      {{"prog"}, true, ""},
      {{"prog", "a b.sam"}, true, "a b.sam"},
      {{"prog", "-loadmodularsample", "m.samhdr"}, true, "m.samhdr"},
      {{"prog", "-loadmodularsample", "m.sam"}, true, "m.sam"},
      {{"prog", "-LoadModularSample", "x"}, false, ""},
      {{"prog", "a", "b"}, false, ""},
      {{"prog", "-loadmodularsample"}, true, "-loadmodularsample"},
  };
  for (const Case& c : cases) {
    const TCommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(line.valid, c.valid) << c.args.join(' ').toStdString();
    EXPECT_EQ(line.file, c.file) << c.args.join(' ').toStdString();
  }
}

TEST_F(MainWindowTest, StartUpAndInvalidCommandLine) {
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  EXPECT_EQ(window.windowTitle(), "Tesplore - no sample file loaded");
  EXPECT_FALSE(ProcessCommandLine(window, {"prog", "a", "b"}));
  ASSERT_EQ(services.boxes.size(), 1);
  EXPECT_EQ(services.boxes[0], "Tesplore Startup Error|Invalid command line arguments");

  services.boxes.clear();
  EXPECT_TRUE(ProcessCommandLine(window, {"prog", QString::fromStdString(dir.File("x.sae"))}));
  ASSERT_EQ(services.boxes.size(), 1);
  EXPECT_TRUE(services.boxes[0].startsWith(
      "Tesplore Error|Error reading sample file \"x.sae\"\n\nDetails:  "))
      << services.boxes[0].toStdString();
  EXPECT_TRUE(services.boxes[0].contains("\n\nFunction: 'File::File"))
      << services.boxes[0].toStdString();
  EXPECT_FALSE(services.boxes[0].endsWith("'"));
}

TEST_F(MainWindowTest, LoadCaptionPlotTypesAndRecentFiles) {
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  window.resize(900, 700);
  const QString model = Samples("model.sam", 3, 500);
  window.LoadAndShowSampleFile(model);
  EXPECT_EQ(window.windowTitle(), "Tesplore - model [Cobwebs]");
  EXPECT_EQ(window.TotalSamples->text(), "(Total: 500)");
  EXPECT_EQ(window.m_lstRandVar->count(), 3);
  EXPECT_TRUE(window.m_actSaveSel->isEnabled());
  EXPECT_FALSE(window.m_actUndo->isEnabled());

  window.m_actPlot[PlotScatter]->trigger();
  EXPECT_EQ(window.Document().m_plotType, PlotScatter);
  EXPECT_EQ(window.windowTitle(), "Tesplore - model [Scatter]");
  EXPECT_FALSE(window.m_actSaveSel->isEnabled());
  EXPECT_TRUE(window.m_actUndo->isEnabled());
  EXPECT_FALSE(window.m_actRedo->isEnabled());
  window.TypedKey("h");
  EXPECT_EQ(window.Document().m_plotType, PlotHistogram);
  window.TypedKey("E");
  EXPECT_EQ(window.Document().m_plotType, PlotDensity);
  window.m_actUndo->trigger();
  EXPECT_EQ(window.Document().m_plotType, PlotHistogram);
  EXPECT_TRUE(window.m_actRedo->isEnabled());

  // The smoothing keys stop at the ends of the bar.
  window.BWidth->setValue(3);
  window.TypedKey("o");
  EXPECT_EQ(window.BWidth->value(), 1);
  window.BWidth->setValue(38);
  window.TypedKey("O");
  EXPECT_EQ(window.BWidth->value(), 40);
  EXPECT_FLOAT_EQ(window.Document().m_smoothing, 5.0f);

  // Recent files: a known one moves up, a fifth drops the oldest.
  const QString b = Samples("b.sae", 2, 20), c = Samples("c.sae", 2, 20),
                d = Samples("d.sae", 2, 20), e = Samples("e.sae", 2, 20);
  for (const QString& f : {b, c, d}) window.LoadAndShowSampleFile(f);
  EXPECT_EQ(window.RecentFiles(), (QStringList{d, c, b, model}));
  window.LoadAndShowSampleFile(c);
  EXPECT_EQ(window.RecentFiles(), (QStringList{c, d, b, model}));
  window.LoadAndShowSampleFile(e);
  EXPECT_EQ(window.RecentFiles(), (QStringList{e, c, d, b}));

  // A failed load after a good one: no file.
  window.LoadAndShowSampleFile(QString::fromStdString(dir.File("gone.sae")));
  EXPECT_EQ(window.windowTitle(), "Tesplore - no sample file loaded");
  EXPECT_FALSE(window.m_actSaveSel->isEnabled());
  EXPECT_EQ(window.m_lstRandVar->count(), 0);
}

TEST_F(MainWindowTest, ManyVariablesAskThePicker) {
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  window.resize(900, 700);
  const QString wide = Samples("wide.sae", 25, 30);
  // The picker's list sorted descending; three checked; positions in file order.
  services.answer = [](QDialog& d) {
    auto& picker = dynamic_cast<TFrmTesploreRandVarPicker&>(d);
    EXPECT_EQ(picker.CountChecked(), 25);
    picker.m_chkBoxSelAll->click();  // all off
    picker.OnLstRandVarsColumnClick();
    picker.OnLstRandVarsColumnClick();
    for (const char* name : {"v24", "v5", "v2"}) {
      picker.m_lstViewRandVars->findItems(name, Qt::MatchExactly)[0]->setCheckState(0, Qt::Checked);
    }
    picker.m_btnOK->click();
    return d.result();
  };
  window.LoadAndShowSampleFile(wide);
  EXPECT_EQ(services.dialogs, QStringList{"Choose Random Variables"});
  ASSERT_EQ(window.m_lstRandVar->count(), 3);
  EXPECT_EQ(window.m_lstRandVar->item(0)->text(), "v2");
  EXPECT_EQ(window.m_lstRandVar->item(2)->text(), "v24");
  services.answer = nullptr;  // cancelled: the first ones are kept
  window.LoadAndShowSampleFile(wide);
  EXPECT_EQ(window.m_lstRandVar->count(), 25);
  window.LoadAndShowSampleFile(Samples("narrow.sae", 20, 30));
  EXPECT_EQ(services.dialogs.size(), 2);
}

TEST_F(MainWindowTest, SaveSelectedSamplesProposesTheName) {
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  window.resize(900, 700);
  QDir().mkpath(QString::fromStdString(dir.File("a.b")));
  const QString model = Samples("a.b/model.sae", 2, 300);
  window.LoadAndShowSampleFile(model);
  services.save = QString::fromStdString(dir.File("out.sam"));
  window.m_actSaveSel->trigger();
  ASSERT_EQ(services.proposals.size(), 1);
  EXPECT_EQ(services.proposals[0], QString::fromStdString(dir.File("a.b/model2.sam")));
  std::ifstream in(dir.File("out.sam"));
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("\r\n200 ;* Number of samples per variable"), std::string::npos);
}

TEST_F(MainWindowTest, SidePanel) {
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  window.resize(900, 700);
  window.LoadAndShowSampleFile(Samples("m.sae", 3, 1000));
  const std::size_t before = window.Document().HistorySize();
  // A run of slider moves leaves one undo step.
  for (int n : {300, 400, 500}) window.NumSamplesT->setValue(n);
  EXPECT_EQ(window.Document().m_numSamples, 500u);
  EXPECT_EQ(window.NumSamplesE->text(), "500");
  EXPECT_EQ(window.Document().HistorySize(), before + 1);
  window.m_actUndo->trigger();
  EXPECT_EQ(window.Document().m_numSamples, 200u);

  // A number typed into a bound edit: manual fit with that bound.
  window.m_actPlot[PlotDensity]->trigger();
  window.m_bounds[0]->setFocus();
  window.m_bounds[0]->setText("12.5");
  window.m_bounds[0]->setModified(true);
  emit window.m_bounds[0]->editingFinished();
  EXPECT_EQ(window.Document().m_boxType, BoxManual);
  EXPECT_FLOAT_EQ(window.Document().m_box.x0, 12.5f);
  EXPECT_TRUE(window.Fit3->isChecked());

  // Variables: "Clr" then "All" through the window's shortcuts.
  window.m_actPlot[PlotCobwebs]->trigger();
  window.m_actSelNone->trigger();
  EXPECT_EQ(window.Document().CountVisible(), 0u);
  window.m_actSelAll->trigger();
  EXPECT_EQ(window.Document().CountVisible(), 3u);
  window.m_lstRandVar->item(1)->setCheckState(Qt::Unchecked);
  EXPECT_EQ(window.Document().m_visible, (std::vector<std::uint8_t>{1, 0, 1}));
}

TEST_F(MainWindowTest, MouseBandSelectsARange) {
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  window.resize(900, 700);
  window.show();
  QApplication::processEvents();
  window.LoadAndShowSampleFile(Samples("m.sae", 2, 1000));
  SampleDataView& doc = window.Document();
  window.NumSamplesT->setValue(1000);
  TFrmTesploreView& view = *window.View();
  const TRect P = view.PlotRect();
  const std::size_t before = doc.HistorySize();
  // A band over axis 0 from 30% to 60% of its height.
  const int top = P.top, bottom = P.bottom, x = P.left;
  const int y1 = bottom - static_cast<int>(0.6 * (bottom - top)),
            y2 = bottom - static_cast<int>(0.3 * (bottom - top));
  view.FrameMouseDown(Qt::LeftButton, x - 10, y1);
  EXPECT_EQ(view.MouseState(), MouseRangeSelection);
  view.FrameMouseMove(x + 10, y2);
  view.FrameMouseUp(Qt::LeftButton, x + 10, y2);
  const float hi = 1.0f - float(y1 - top) / float(bottom - top),
              lo = 1.0f - float(y2 - top) / float(bottom - top);
  fn::CVarRange expected;
  expected.Combine(lo, hi, fn::SelectReplaceIntersection);
  EXPECT_EQ(doc.m_order[0]->Range.GetIntervals(), expected.GetIntervals());
  EXPECT_EQ(doc.m_order[1]->Range.Count(), 1);
  int count = 0;
  for (std::size_t s = 0; s < 1000; ++s) {
    const float r = doc.m_order[0]->PercentileRank(s);
    count += r >= lo && r <= hi;
  }
  EXPECT_EQ(doc.CountSelected(), count);
  EXPECT_GT(count, 250);
  EXPECT_EQ(doc.HistorySize(), before + 1);
  window.m_actUndo->trigger();
  EXPECT_EQ(doc.CountSelected(), 1000);

  // A band touching no axis changes nothing.
  view.FrameMouseDown(Qt::LeftButton, x + 40, y1);
  view.FrameMouseMove(x + 60, y2);
  view.FrameMouseUp(Qt::LeftButton, x + 60, y2);
  EXPECT_EQ(doc.CountSelected(), 1000);

  // A press on a cobweb of one shown variable is ignored.
  window.m_lstRandVar->item(1)->setCheckState(Qt::Unchecked);
  view.FrameMouseDown(Qt::LeftButton, x, y1);
  EXPECT_EQ(view.MouseState(), MouseIdle);
}

namespace {

int CountPixels(const QImage& image, TColor colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      n += (image.pixel(x, y) | 0xff000000u) == ColorToRgb(colour);
  }
  return n;
}

}  // namespace

TEST_F(MainWindowTest, ColourDialogRecoloursTheCobwebWithOneUndoStep) {
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  window.resize(900, 700);
  window.LoadAndShowSampleFile(Samples("m.sae", 3, 500));
  const TColorRecord before = ColorRecord;
  const QImage shown = window.View()->Image();
  ASSERT_EQ(CountPixels(shown, before.val[5]), 0);
  const int level0 = CountPixels(shown, before.val[0]);
  ASSERT_GT(level0, 0);

  // "Default Grayscale", then "&Cancel": the record and the picture as before.
  services.answer = [](QDialog& d) {
    auto& colours = dynamic_cast<TTFrmColor&>(d);
    colours.PresetColors->actions()[1]->trigger();
    EXPECT_NE(ColorRecord.val[1], ColorPreset(PresetDefaultColor).val[1]);
    colours.BitBtn2->click();
    return d.result();
  };
  window.m_actColor->trigger();
  EXPECT_EQ(ColorRecord, before);
  EXPECT_EQ(window.View()->Image(), shown);
  EXPECT_FALSE(window.m_actUndo->isEnabled());

  // Swatches 0 and 5 exchanged and accepted: the lowest level takes colour 5.
  services.answer = [](QDialog& d) {
    auto& colours = dynamic_cast<TTFrmColor&>(d);
    EXPECT_EQ(colours.PageControl1->currentIndex(), 0);
    colours.ListView1->setCurrentRow(0);
    colours.ListDragDrop(colours.ListView1, 5);
    colours.BitBtn1->click();
    return d.result();
  };
  window.m_actColor->trigger();
  EXPECT_EQ(ColorRecord.val[0], before.val[5]);
  // The black of the lowest level's lines turned into colour 5; text and axes stay black.
  const int recoloured = CountPixels(window.View()->Image(), before.val[5]);
  EXPECT_GT(recoloured, 0);
  EXPECT_EQ(CountPixels(window.View()->Image(), before.val[0]), level0 - recoloured);
  EXPECT_TRUE(window.m_actUndo->isEnabled());
  window.m_actUndo->trigger();
  EXPECT_EQ(ColorRecord, before);
  EXPECT_EQ(CountPixels(window.View()->Image(), before.val[5]), 0);
  window.m_actRedo->trigger();
  EXPECT_EQ(ColorRecord.val[0], before.val[5]);
}

TEST_F(MainWindowTest, EveryCommandOnce) {
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  window.resize(900, 700);
  window.show();
  window.LoadAndShowSampleFile(Samples("m.sae", 3, 300));
  QList<QAction*> actions;
  for (QAction* menu : window.menuBar()->actions()) {
    for (QAction* a : menu->menu()->actions()) {
      if (a->menu())
        actions << a->menu()->actions();
      else if (!a->isSeparator() && a != window.m_actExit)
        actions << a;
    }
  }
  actions << window.actions() << window.PopupVar->actions();
  for (QAction* a : actions) {
    if (a->isEnabled() && a->isVisible()) a->trigger();
  }
  for (QToolButton* b : {window.butRT, window.ToolButton15}) b->click();
  EXPECT_EQ(window.PopupVar->actions().size(), 5);
  for (const char* title : {"Colors", "Labels", "Interace settings", "About Tesplore"})
    EXPECT_TRUE(services.dialogs.contains(title)) << title;
  EXPECT_EQ(services.documents,
            QStringList{QCoreApplication::applicationDirPath() + "/TesploreHelp.doc"});
  EXPECT_TRUE(services.boxes.join('\n').contains("Keys| c, w\tcobwebs\n"));
  EXPECT_EQ(window.Document().Samples().NumVariables(), 3u);
  window.m_actExit->trigger();
  EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, OptionsAreKeptInTheSettingsFile) {
  const std::int32_t undoBefore = UndoSize;
  {
    TFrmTesplore window(QRect(0, 0, 1280, 1024));
    services.answer = [](QDialog& d) {
      auto& options = dynamic_cast<TFrmInterfaceSettings&>(d);
      options.UpDown1->setValue(17);
      options.UpDown2->setValue(4);
      options.BitBtn1->click();
      return d.result();
    };
    window.m_actInterface->trigger();
    EXPECT_EQ(window.View()->Settings().MouseSensitivity, 17);
    EXPECT_EQ(UndoSize, 4);
    services.fontAnswer = true;
    services.font = QFont(QStringLiteral("DejaVu Serif"), 13);
    services.answer = [](QDialog& d) {
      auto& fonts = dynamic_cast<TFrmFont&>(d);
      fonts.Variables->click();
      fonts.BitBtn1->click();
      return d.result();
    };
    window.m_actFont->trigger();
    services.colour = QColor(0x10, 0x20, 0x30);
    services.answer = [](QDialog& d) {
      dynamic_cast<TTFrmColor&>(d).Panel[0]->click();
      dynamic_cast<TTFrmColor&>(d).BitBtn1->click();
      return d.result();
    };
    window.m_actColor->trigger();
  }
  // Written at exit by their owners, read by the next start.
  UndoSize = undoBefore;
  ColorRecord = ColorPreset(PresetDefaultColor);
  PlotFonts[1] = QFont(QStringLiteral("DejaVu Sans"), 9);
  const std::string ini = dir.File("tesplore.INI");
  EXPECT_EQ(ReadFrameSettings(ini).MouseSensitivity, 17);
  EXPECT_EQ(ReadViewSettings(ini).UndoSize, 4);
  TFrmTesplore again(QRect(0, 0, 1280, 1024));
  EXPECT_EQ(again.View()->Settings().MouseSensitivity, 17);
  EXPECT_EQ(UndoSize, 4);
  EXPECT_EQ(PlotFonts[1].family(), "DejaVu Serif");
  EXPECT_EQ(PlotFonts[1].pointSize(), 13);
  EXPECT_EQ(ColorRecord.clr[ClrBackground], 0x302010);
  UndoSize = undoBefore;
}

}  // namespace
