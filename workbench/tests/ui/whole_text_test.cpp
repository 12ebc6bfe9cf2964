// Every window and dialog of the workbench at its default size shows the
// whole of its labels, buttons, check boxes, radio buttons, group titles
// and list items, and fits a small screen.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "about_box.h"
#include "batch_sample_selection.h"
#include "canonical_vine.h"
#include "dependence_panel.h"
#include "dependence_tree_view.h"
#include "font_dialog.h"
#include "format_dialog.h"
#include "formula_frame.h"
#include "link_manager.h"
#include "morvik_vine.h"
#include "open_dialog.h"
#include "options_dialog.h"
#include "report_dialog.h"
#include "run_commands.h"
#include "simulation_dialog.h"
#include "small_dialogs.h"
#include "tesmira/simulation.h"
#include "tesmira/vines.h"
#include "whole_text.h"
#include "window_fixture.h"

namespace tesmira::wb::test {
namespace {

// What a window cuts, one line each; empty when it shows all of its text.
std::string Cut(QWidget* window) { return CutTexts(window).join("\n").toStdString(); }

// Shows a window at its default size and lists what it cuts.
std::string Shown(QWidget& window) {
  window.show();
  QApplication::processEvents();
  return Cut(&window);
}

class WholeText : public WindowTest {
 protected:
  // The main window over a model with a few variables and formulas, one of
  // them with a long name.
  TFrmTesmiraMain& OpenModel() {
    const std::string file = WriteModel("m.tsm", {"a", "b", "c", "LongVariableNameOfThirtyTwoChar"},
                                        {{"f", "a+b"}, {"g", "b*c"}});
    auto& w = Open();
    w.show();
    w.OpenGivenFile(file);
    QApplication::processEvents();
    return w;
  }
  // The dependence panel in vine mode over a saved vine of the type, of
  // members with long names.
  TDependencePanel* OpenVine(int type, int members) {
    std::vector<std::string> names;
    for (int k = 0; k < members; ++k)
      names.push_back(std::string("member_with_a_long_name_").append(std::to_string(k)));
    for (const std::string& n : names) AddVariable(n);
    SyncNodes();
    SetDependenceType(nullptr, type);
    SetCurrentDependenceStructureRoot(Node(names[0].c_str()), "");
    if (type == DepDVine) {
      for (std::size_t k = 1; k < names.size(); ++k)
        EXPECT_TRUE(Attach(names[k].c_str(), names[k - 1].c_str()));
      SetDependenceType(nullptr, DepDVine);
    } else {
      AddAllNodesToStructure();
    }
    Mark_AllTSMObjectsSelected(true);
    const std::string file = Path("vine.tsm");
    EXPECT_GT(WriteTSMFile(file.c_str()), 0);
    Init_data();
    auto& w = Open();
    w.show();
    w.OpenGivenFile(file);
    w.ChangePanel(PanelDependence);
    TDependencePanel* panel = w.DependencePanel();
    panel->chkDepVines->click();
    QApplication::processEvents();
    return panel;
  }
};

TEST_F(WholeText, SmallDialogs) {
  TFrmBatch batch;
  EXPECT_EQ(Shown(batch), "");
  TVineToMatrixModal transform;
  EXPECT_EQ(Shown(transform), "");
  transform.ProgressFunc(1, 100000);
  EXPECT_EQ(Cut(&transform), "");
  TAboutTesmira about;
  EXPECT_EQ(Shown(about), "");
  TBatchSampleSelectionFrm selection;
  selection.AddSampleNames({"a", "LongVariableNameOfThirtyTwoChar"});
  EXPECT_EQ(Shown(selection), "");
  std::unique_ptr<TProgressForm> progress(
      CreateProgressForm(nullptr, "Saving", "Saving output file..."));
  QApplication::processEvents();
  EXPECT_EQ(Cut(progress.get()), "");
  TOpenTsmDialog open;
  EXPECT_EQ(Shown(open), "");
}

// The samples follow the format, width and precision chosen while the
// dialog is open.
TEST_F(WholeText, OptionsDialogKeepsItsSamplesInside) {
  TFrmOptions options;
  TDisplaySettings display;
  options.Load(display, 60, false);
  EXPECT_EQ(Shown(options), "");
  const struct {
    int format, width, precision;
  } cases[] = {{1, 0, 3}, {1, 20, 18}, {0, 20, 18}, {2, 20, 18}};
  for (const auto& c : cases) {
    options.cbxFormat->setCurrentIndex(c.format);
    options.udWidth->setValue(c.width);
    options.udPrecision->setValue(c.precision);
    QApplication::processEvents();
    EXPECT_EQ(Cut(&options), "") << c.format << " " << c.width << " " << c.precision;
    // Opened with those settings.
    TFrmOptions opened;
    TDisplaySettings stored;
    stored.fpformat = c.format;
    stored.fpwidth = c.width;
    stored.fpprecision = c.precision;
    opened.Load(stored, 60, true);
    EXPECT_EQ(Shown(opened), "") << c.format << " " << c.width << " " << c.precision;
  }
}

TEST_F(WholeText, MainWindowPanels) {
  auto& w = OpenModel();
  EXPECT_EQ(Cut(&w), "");
  for (int panel : {PanelVariables, PanelFormulas, PanelDependence, PanelReport}) {
    w.ChangePanel(panel);
    QApplication::processEvents();
    EXPECT_EQ(Cut(&w), "") << panel;
  }
  // The dependence panel's matrix view.
  w.ChangePanel(PanelDependence);
  w.DependencePanel()->NewCorrelationMatrixClick();
  QApplication::processEvents();
  ASSERT_TRUE(w.DependencePanel()->panDepMx->isVisible());
  EXPECT_EQ(Cut(&w), "");
  w.NewModelOfType(1);
  w.ChangePanel(PanelZoziVor);
  QApplication::processEvents();
  EXPECT_EQ(Cut(&w), "");
}

// The popups: the correlation slider and the formula completion list for
// each of its keys (F2 to F7).
TEST_F(WholeText, Popups) {
  TFrmDepSliderPopup slider;
  slider.Open(QPoint(100, 100), 0.35);
  QApplication::processEvents();
  EXPECT_EQ(Cut(&slider), "");

  auto& w = OpenModel();
  w.ChangePanel(PanelFormulas);
  auto* formulas = w.findChild<TFormula*>();
  ASSERT_NE(formulas, nullptr);
  auto* popup = formulas->findChild<TFrmFormulaPopup*>();
  ASSERT_NE(popup, nullptr);
  for (int key = 2; key <= 7; ++key) {
    popup->Open(key, QRect(50, 50, 2, 14));
    QApplication::processEvents();
    EXPECT_EQ(Cut(popup), "") << key;
    popup->hide();
  }
}

TEST_F(WholeText, LinkManagerFormatFontAndReportDialogs) {
  auto& w = OpenModel();
  // A linked file in a deep folder: its path is longer than its column.
  const std::string deep = "a_folder_with_a_long_name/another_folder_with_a_long_name/";
  std::filesystem::create_directories(Path(deep));
  const std::string linked = WriteModel(deep + "linked_model_with_a_long_name.tsm", {"ext"});
  w.OpenGivenFile(Path("m.tsm"));
  f.chooser.openAnswers = {{linked}};
  w.LinkOrMergeClick(true);
  TFrmLink link(w, settings);
  link.FillLinkList();
  ASSERT_EQ(link.listLink->topLevelItemCount(), 1);
  EXPECT_EQ(Shown(link), "");

  auto* run = w.findChild<TRunCommands*>();
  SyncNodes();
  TRunRequest r = DefaultRunRequest;
  r.runs = 1;
  r.options = 0;
  ASSERT_EQ(Run_simul(&r), RunCompleted);
  w.Workbench().ReportAvailable = true;
  TFrmReport& report = run->ReportDialog();
  report.PrepareReportDialog();
  EXPECT_EQ(Shown(report), "");
  report.hide();

  TRepSectionSetting entry;
  entry.id = 18;  // a table section
  TFrmFormat format(entry, run->Sections, TDisplaySettings{});
  format.Start();
  EXPECT_EQ(Shown(format), "");
  TFontTsmDialog font(TRepFont{});
  EXPECT_EQ(Shown(font), "");
}

TEST_F(WholeText, SimulationDialogWithItsQuantilePage) {
  auto& w = OpenModel();
  TFrmSimulation& d = w.findChild<TRunCommands*>()->SimulationDialog();
  d.Prepare();
  EXPECT_EQ(Shown(d), "");
  d.chkUDQuantiles->click();
  ASSERT_TRUE(d.chkUDQuantiles->isChecked());
  QApplication::processEvents();
  d.grdQuantiles->setCurrentCell(0, 2);
  d.grdQuantiles->item(0, 2)->setText("0.5");  // Q1 empty: an orphan
  d.grdQuantiles->setCurrentCell(0, 3);
  d.grdQuantiles->setCurrentCell(0, 2);
  QApplication::processEvents();
  EXPECT_EQ(d.labStat->toolTip(), "An orphan UDQ: will be ignored during simulation");
  EXPECT_EQ(Cut(&d), "");
  // The status gives way to the time beside it, cut with "...".
  d.labETA->setText("Saving output file...");
  QApplication::processEvents();
  EXPECT_EQ(Cut(&d), "");
}

// A D-vine opens at its start.
TEST_F(WholeText, DVineView) {
  TDependencePanel* panel = OpenVine(DepDVine, 40);
  EXPECT_EQ(Cut(win.get()), "");
  auto* vine = qobject_cast<TMorvikVine*>(panel->vineView);
  ASSERT_NE(vine, nullptr);
  EXPECT_EQ(vine->ScrollX(), 0);
  EXPECT_EQ(vine->ScrollY(), 0);
}

TEST_F(WholeText, CanonicalVineView) {
  TDependencePanel* panel = OpenVine(DepCanonicalVine, 7);
  EXPECT_EQ(Cut(win.get()), "");
  auto* vine = qobject_cast<TCanonicalVine*>(panel->vineView);
  ASSERT_NE(vine, nullptr);
  // Each column holds its cells' texts; the scrolled area reaches the last.
  const TCanonicalGeometry& g = vine->Geometry();
  for (int k = 0; k + 1 < g.N; ++k)
    for (int y = k; y < g.N; ++y) {
      const QRect cell = vine->CellBounds({k, y}).translated(vine->ScrollX(), vine->ScrollY());
      EXPECT_LE(cell.right(), (k + 1) * g.W) << k << " " << y;
      // A cut text ends in "..." and its tool tip has it whole.
      const QString shown = vine->ShownText({k, y}), whole = vine->CellText({k, y});
      if (shown != whole) {
        EXPECT_TRUE(shown.endsWith("...")) << shown.toStdString();
        EXPECT_TRUE(whole.startsWith(shown.chopped(3))) << whole.toStdString();
      }
    }
  EXPECT_GE(g.ContentWidth(), (g.N - 1) * g.W);
}

}  // namespace
}  // namespace tesmira::wb::test
