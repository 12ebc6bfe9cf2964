// The "Run Simulation" dialog driven offscreen over real models: fields,
// series, outcomes, process-samples mode, the quantile grid and the lists.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <thread>

#include "../../../examples/model_builder.h"
#include "simulation_dialog.h"
#include "small_dialogs.h"
#include "tesmira/simulation.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"
#include "window_fixture.h"

namespace tesmira::wb::test {
namespace {

// Records the calls and can stand in for the engine; with real set it runs
// the engine and moves the clock on.
struct Recorder : ISimulationEngine {
  std::vector<int> seeds, indices;
  std::vector<std::string> writes;
  std::function<void(TRunRequest&)> during;
  std::function<void()> writing;
  bool real = false;
  double* clock = nullptr;
  double runSeconds = 0;
  int32_t Run(TRunRequest& r) override {
    seeds.push_back(r.seed);
    indices.push_back(r.simulationIndex);
    if (during) during(r);
    if (clock) *clock += runSeconds;
    return real ? Run_simul(&r) : 1;
  }
  int32_t WriteOutput(const std::string& name) override {
    writes.push_back(name);
    if (writing) writing();
    return real ? TEngineSimulation().WriteOutput(name) : 1;
  }
};

class SimulationDialogTest : public WindowTest {
 protected:
  // A model saved as m.tsm with the variables and formulas, open in the workbench.
  void Model(std::vector<std::string> variables, std::vector<std::string> formulas) {
    for (const std::string& v : variables) AddVariable(v);
    for (const std::string& f : formulas) AddFormula(f, variables[0] + "*2");
    SyncNodes();
    model = Path("m.tsm");
    ASSERT_GT(WriteTSMFile(model.c_str()), 0);
    wb.CurrentFileName = model;
    wb.FileOpen = true;
    wb.CurrentFileKind = FileKindModelFile;
  }
  TFrmSimulation& Dialog() {
    dialog.reset();
    main = std::make_unique<QWidget>();
    main->setWindowTitle("m.tsm - Tesmira");
    dialog = std::make_unique<TFrmSimulation>(wb, main.get(), settings);
    dialog->Engine = &engine;
    dialog->Clock = [this] { return now; };
    dialog->Prepare();
    return *dialog;
  }
  void TearDown() override {
    dialog.reset();
    WindowTest::TearDown();
  }
  static void Leave(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    emit edit->editingFinished();
  }

  std::string model;
  Recorder engine;
  double now = 1000;
  std::unique_ptr<QWidget> main;
  std::unique_ptr<TFrmSimulation> dialog;
};

TEST_F(SimulationDialogTest, RunsFieldShowsItsValueAndSetsTheBandMode) {
  Model({"a"}, {"f"});
  TFrmSimulation& d = Dialog();
  EXPECT_EQ(d.windowTitle().toStdString(), "Run Simulation");
  EXPECT_EQ(d.labStat->text().toStdString(), "Press run to start the simulation.");
  Leave(d.edRuns, "65535");
  EXPECT_EQ(d.edRuns->text().toStdString(), "65534");
  Leave(d.edRuns, "0");
  EXPECT_EQ(d.edRuns->text().toStdString(), "1");
  d.edRuns->setText("12");
  Leave(d.edRuns, "12");
  d.edRuns->setText("abc");
  EXPECT_EQ(d.labSamples->text().toStdString(), "= <error>");
  EXPECT_NE(d.edRuns->styleSheet().indexOf("red"), -1);
  Leave(d.edRuns, "abc");
  EXPECT_EQ(d.edRuns->text().toStdString(), "12");
  EXPECT_EQ(d.labSamples->text().toStdString(), "=1200 samples");

  Leave(d.edRuns, "+10");
  EXPECT_EQ(d.edRuns->text().toStdString(), "+10");
  d.RunClick();
  EXPECT_TRUE(GetOldDiagonalBandMode());
  Leave(d.edRuns, "10");
  d.RunClick();
  EXPECT_FALSE(GetOldDiagonalBandMode());
}

TEST_F(SimulationDialogTest, SeriesUsesConsecutiveSeedsAndWritesOneOutput) {
  Model({"a"}, {"f"});
  TFrmSimulation& d = Dialog();
  Leave(d.edSeed, "5");
  Leave(d.edSimuls, "3");
  EXPECT_TRUE(d.chkSepSampleFiles->isEnabled());
  d.RunClick();
  EXPECT_EQ(engine.seeds, (std::vector<int>{5, 6, 7}));
  EXPECT_EQ(engine.indices, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(engine.writes, (std::vector<std::string>{Path("m.tso")}));
  EXPECT_EQ(main->windowTitle().toStdString(), "m.tsm - Tesmira");
  EXPECT_TRUE(d.butRun->isVisibleTo(&d));
  EXPECT_FALSE(d.butStop->isVisibleTo(&d));
}

TEST_F(SimulationDialogTest, StopFromATimerEndsTheSeries) {
  Model({"a"}, {"f"});
  TFrmSimulation& d = Dialog();
  Leave(d.edSimuls, "3");
  engine.during = [&](TRunRequest& r) {
    QTimer::singleShot(0, d.butStop, [&d] { QTest::mouseClick(d.butStop, Qt::LeftButton); });
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    r.progress(1, 3000);
  };
  d.RunClick();
  EXPECT_EQ(engine.seeds.size(), 1u);
  EXPECT_EQ(d.labStat->text().toStdString(), "Simulation canceled by the user");
  EXPECT_TRUE(engine.writes.empty());
  EXPECT_FALSE(d.StopRequested);
}

TEST_F(SimulationDialogTest, EscapeAndCloseActAsStopWhileRunning) {
  Model({"a"}, {"f"});
  for (int how = 0; how < 2; ++how) {
    SCOPED_TRACE(how == 0 ? "Esc" : "close");
    TFrmSimulation& d = Dialog();
    d.show();
    Leave(d.edSimuls, "3");
    engine.seeds.clear();
    engine.during = [&d, how](TRunRequest&) {
      if (how == 0)
        QTest::keyClick(&d, Qt::Key_Escape);
      else
        d.close();
    };
    d.RunClick();
    EXPECT_EQ(engine.seeds.size(), 1u);
    EXPECT_EQ(d.labStat->toolTip().toStdString(), "Simulation canceled by the user");
    EXPECT_TRUE(d.isVisible());
  }
}

TEST_F(SimulationDialogTest, RealRunWritesItsFilesAndReportsTheTime) {
  Model({"a", "b", "c"}, {"f", "g"});
  TFrmSimulation& d = Dialog();
  EXPECT_EQ(d.OutputFileName, Path("m.tso"));
  EXPECT_EQ(d.SamplesFileName, Path("m.sam"));
  EXPECT_EQ(d.listSelSamp->count(), 5);
  EXPECT_EQ(d.listSelDistrib->count(), 2);
  Leave(d.edRuns, "2");
  engine.real = true;
  engine.clock = &now;
  engine.runSeconds = 75;
  QString whileSaving;
  engine.writing = [&] { whileSaving = d.labETA->text(); };
  d.RunClick();
  EXPECT_EQ(whileSaving, "Saving output file...");
  EXPECT_EQ(d.labETA->text(), "");
  EXPECT_EQ(d.labStat->text().toStdString(), "Simulation FINISHED! Time used:1 m 15 s");
  EXPECT_TRUE(std::filesystem::exists(Path("m.sam")));
  EXPECT_TRUE(std::filesystem::exists(Path("m.tso")));
  EXPECT_TRUE(d.butReport->isEnabled());
  EXPECT_TRUE(d.butGraphics->isEnabled());
  EXPECT_EQ(d.butGraphics->toolTip().toStdString(), Path("m.sam"));
  EXPECT_TRUE(wb.ReportAvailable);

  std::vector<std::pair<TSiblingProgram, std::string>> launched;
  d.Launch = [&](TSiblingProgram p, const std::string& f) { launched.emplace_back(p, f); };
  QTest::mouseClick(d.butGraphics, Qt::LeftButton);
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0].second, Path("m.sam"));

  // A new model that was never saved has no results to open.
  wb.CurrentFileName.clear();
  wb.ReportAvailable = false;
  d.Prepare();
  for (QPushButton* b : {d.butGraphics, d.butSensAnalysis, d.butProbInversion, d.butReport})
    EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
}

TEST_F(SimulationDialogTest, FailedRunKeepsResultButtonsOffDespiteAnOldSampleFile) {
  Model({"a"}, {"f"});
  TExtendedRandomVariable rv = Normal("q");
  rv.distribution.distType = 11;
  SetShortString(rv.distribution.u.fileName, Path("missing.DIS"));
  ASSERT_GT(Create_TSMObject(ObjRandomVariable, &rv), 0);
  SyncNodes();
  WriteText(Path("m.sam"), "old");
  std::filesystem::last_write_time(
      Path("m.sam"), std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
  TFrmSimulation& d = Dialog();
  engine.real = true;
  d.RunClick();
  const std::string status = d.labStat->toolTip().toStdString();
  EXPECT_EQ(status.rfind("Failure in the simulation process: ", 0), 0u) << status;
  EXPECT_NE(d.labStat->styleSheet().indexOf("red"), -1);
  ASSERT_FALSE(f.prompt.shown.empty());
  EXPECT_EQ(f.prompt.shown.back().text, status);
  EXPECT_EQ(f.prompt.shown.back().kind, TMessageKind::Error);
  EXPECT_FALSE(d.butReport->isEnabled());
  EXPECT_FALSE(d.butGraphics->isEnabled());
  EXPECT_FALSE(wb.ReportAvailable);
}

TEST_F(SimulationDialogTest, FailedOutputWriteShowsItsMessage) {
  Model({"a"}, {"f"});
  TFrmSimulation& d = Dialog();
  d.OutputFileName = Path("none/m.tso");
  engine.real = true;
  d.RunClick();
  const std::string text = "Failure when saving the Output file " + Path("none/m.tso");
  EXPECT_EQ(d.labStat->toolTip().toStdString(), text);
  EXPECT_EQ(f.prompt.Texts().back(), text);
  EXPECT_FALSE(d.CloseWhenDone);
}

TEST_F(SimulationDialogTest, ProcessSamplesModeFixesRunsAndSeed) {
  std::string sam = "1\nx\n0\n250    ;* Number of samples per variable\n";
  for (int i = 0; i < 250; ++i) sam += std::to_string(i) + "\n";
  WriteText(Path("s.sam"), sam);
  WriteText(Path("s_post.sam"), "taken");
  wb.CurrentFileName = Path("s.sam");
  wb.FileOpen = true;
  wb.CurrentFileKind = FileKindSampleFile;
  TFrmSimulation& d = Dialog();
  EXPECT_EQ(d.windowTitle().toStdString(), "Process Samples File");
  EXPECT_EQ(d.edRuns->text().toStdString(), "3");
  EXPECT_EQ(d.edSeed->text().toStdString(), "1");
  EXPECT_FALSE(d.edRuns->isEnabled());
  EXPECT_FALSE(d.edSeed->isEnabled());
  EXPECT_EQ(d.SamplesFileName, Path("s_post1.sam"));
  EXPECT_EQ(d.listSelSamp->count(), 1);
}

// File names are the file system's bytes: a sample file whose name has letters
// outside ASCII opens like any other.
TEST_F(SimulationDialogTest, ProcessSamplesOpensANameOutsideAscii) {
  std::string sam = "1\nx\n0\n10    ;* Number of samples per variable\n";
  for (int i = 0; i < 10; ++i) sam += std::to_string(i) + "\n";
  WriteText(Path("m\u00fcnze.sam"), sam);
  wb.CurrentFileName = Path("m\u00fcnze.sam");
  wb.FileOpen = true;
  wb.CurrentFileKind = FileKindSampleFile;
  TFrmSimulation& d = Dialog();
  EXPECT_EQ(d.windowTitle().toStdString(), "Process Samples File");
  EXPECT_TRUE(f.prompt.Texts().empty());
  EXPECT_EQ(d.listSelSamp->count(), 1);
}

// A check box is wider than its text when the layout stretches it; a click
// lands on its indicator as a user's would.
QPoint OnIndicator(const QWidget* box) { return QPoint(8, box->height() / 2); }

TEST_F(SimulationDialogTest, QuantileGridColoursKeysAndTheQuestion) {
  Model({"a"}, {"f", "g"});
  TFrmSimulation& d = Dialog();
  d.show();
  QTest::mouseClick(d.chkUDQuantiles, Qt::LeftButton, {}, OnIndicator(d.chkUDQuantiles));
  ASSERT_TRUE(d.chkUDQuantiles->isChecked());
  EXPECT_TRUE(d.panExtra->isVisibleTo(&d));
  EXPECT_EQ(d.grdQuantiles->rowCount(), 2);
  EXPECT_EQ(d.grdQuantiles->item(1, 0)->text().toStdString(), "g");
  d.grdQuantiles->setFocus();
  d.grdQuantiles->setCurrentCell(0, 2);
  d.grdQuantiles->item(0, 2)->setText("0.5");  // Q1 empty: an orphan
  d.grdQuantiles->setCurrentCell(0, 3);
  d.grdQuantiles->setCurrentCell(0, 2);
  EXPECT_EQ(d.labStat->toolTip().toStdString(), "An orphan UDQ: will be ignored during simulation");
  EXPECT_NE(d.labStat->styleSheet().indexOf("red"), -1);
  EXPECT_EQ(d.grdQuantiles->item(0, 2)->foreground().color(), QColor(Qt::blue));

  d.grdQuantiles->setCurrentCell(1, 1);
  d.grdQuantiles->item(1, 1)->setText("1");
  QTest::keyClick(d.grdQuantiles, Qt::Key_Tab);  // text here: one to the right
  EXPECT_EQ(d.grdQuantiles->currentRow(), 1);
  EXPECT_EQ(d.grdQuantiles->currentColumn(), 2);
  QTest::keyClick(d.grdQuantiles, Qt::Key_Tab);  // the rest is empty: the next row, wrapping
  EXPECT_EQ(d.grdQuantiles->currentRow(), 0);
  EXPECT_EQ(d.grdQuantiles->currentColumn(), 1);
  QTest::keyClick(d.grdQuantiles, Qt::Key_Backtab);  // the last row at its first empty target
  EXPECT_EQ(d.grdQuantiles->currentRow(), 1);
  EXPECT_EQ(d.grdQuantiles->currentColumn(), 2);

  f.prompt.answers = {TAnswer::No};
  d.RunClick();
  EXPECT_TRUE(engine.seeds.empty());
  ASSERT_FALSE(f.prompt.shown.empty());
  EXPECT_NE(f.prompt.shown.back().text.find("qunatiles with values not in (0, 1) interval."),
            std::string::npos);
  EXPECT_EQ(d.grdQuantiles->currentRow(), 1);
  EXPECT_EQ(d.grdQuantiles->currentColumn(), 1);
}

TEST_F(SimulationDialogTest, SelectionPageCommandsAndRenamedFormulas) {
  Model({"a", "b", "c"}, {"f", "g"});
  TFrmSimulation& d = Dialog();
  d.show();
  QTest::mouseClick(d.chkSelected, Qt::LeftButton, {}, OnIndicator(d.chkSelected));
  EXPECT_EQ(d.panExtra->currentWidget(), d.tabSelect);
  // The list's pop-up commands carry their shortcuts on the list itself.
  auto command = [&d](const QString& text, const QKeySequence& key) {
    for (QAction* a : d.listSelSamp->actions())
      if (a->text() == text) {
        EXPECT_EQ(a->shortcut(), key);
        a->trigger();
      }
  };
  command("Select None", QKeySequence("Ctrl+U"));
  command("Select All Output Samples", QKeySequence("Ctrl+O"));
  std::vector<bool> checks;
  for (int i = 0; i < d.listSelSamp->count(); ++i)
    checks.push_back(d.listSelSamp->item(i)->checkState() == Qt::Checked);
  EXPECT_EQ(checks, (std::vector<bool>{false, false, false, true, true}));

  d.listSelSamp->item(0)->setCheckState(Qt::Checked);
  TUdf* g = Fetch_UDF(0, "g");
  SetShortString(g->name, "h");
  d.Prepare();
  QStringList texts;
  for (int i = 0; i < d.listSelSamp->count(); ++i) texts << d.listSelSamp->item(i)->text();
  EXPECT_EQ(texts, QStringList({"a", "b", "c", "f", "h"}));
  EXPECT_EQ(d.listSelSamp->item(0)->checkState(), Qt::Checked);
  EXPECT_EQ(d.listSelSamp->item(1)->checkState(), Qt::Unchecked);
  EXPECT_EQ(d.listSelSamp->item(4)->checkState(), Qt::Checked);
  EXPECT_EQ(d.listSelDistrib->item(1)->text().toStdString(), "h");
}

TEST_F(SimulationDialogTest, MinimizeHidesTheMainWindowUntilTheDialogIsRestored) {
  Model({"a"}, {"f"});
  TFrmSimulation& d = Dialog();
  main->show();
  d.show();
  bool minimized = false, mainHidden = false, mainBack = false;
  engine.during = [&](TRunRequest&) {
    ASSERT_TRUE(d.butMinimize->isVisible());
    QTest::mouseClick(d.butMinimize, Qt::LeftButton);
    minimized = d.isMinimized();
    mainHidden = !main->isVisible();
    d.showNormal();  // the user brings the dialog back while it runs
    mainBack = main->isVisible();
    QTest::mouseClick(d.butMinimize, Qt::LeftButton);
  };
  d.RunClick();
  EXPECT_TRUE(minimized);
  EXPECT_TRUE(mainHidden);
  EXPECT_TRUE(mainBack);
  // The end of the run restores both.
  EXPECT_FALSE(d.isMinimized());
  EXPECT_TRUE(main->isVisible());
  EXPECT_TRUE(d.butClose->isVisibleTo(&d));
  EXPECT_FALSE(d.butMinimize->isVisibleTo(&d));
}

TEST_F(SimulationDialogTest, BeliefNetRunReportsInItsLaunchingWindow) {
  Model({"a", "b"}, {"f"});
  TFrmSimulation& d = Dialog();
  QProgressBar* own = d.m_progressBar;
  QString caption, message;
  int value = -1;
  engine.during = [&](TRunRequest& r) {
    auto* form = qobject_cast<TProgressForm*>(d.m_progressBar->window());
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    caption = form->windowTitle();
    message = form->m_lblMessage->text();
    r.progress(50, 100);
    value = form->m_progressBar->value();
    r.message[0] = 0;  // a clean run
  };
  EXPECT_TRUE(d.RunForBeliefNet());
  EXPECT_EQ(caption.toStdString(), "Launching Pellian");
  EXPECT_EQ(message.toStdString(), "Preparing variables for the Bayesian Belief Net...");
  EXPECT_EQ(value, 50);
  EXPECT_EQ(d.m_progressBar, own);
  EXPECT_FALSE(d.BeliefNetMode);
  EXPECT_TRUE(main->findChildren<TProgressForm*>().isEmpty());
  // The silent run samples the inputs only, in binary, 100 runs.
  EXPECT_EQ(d.edRuns->text().toStdString(), "100");
  EXPECT_TRUE(d.chkBinary->isChecked());
}

// Run steps 3 to 6 on real structures: vines are checked and converted for
// the run, matrices verified and converted, and everything comes back.
class SimulationStructuresTest : public SimulationDialogTest {
 protected:
  // The variables as one structure: a chain for a D-vine, a star under the
  // first name otherwise; no current structure afterwards.
  static void Structure(const std::vector<const char*>& names, int type) {
    for (std::size_t k = 1; k < names.size(); ++k)
      ASSERT_TRUE(
          example::Link(type == DepDVine ? names[k - 1] : names[0], names[k], 0.0, CopulaNormal));
    SetCurrentDependenceStructureRoot(Node(names[0]), "");
    ASSERT_EQ(SetDependenceType(nullptr, type), 1);
  }
  // The types of every structure (with a current structure the engine
  // reports that one's only).
  static std::vector<int> Types() {
    void* current = SetCurrentDependenceStructureRoot(nullptr, "");
    TDependenceTypeSet set{};
    GetModelDependenceTypes(&set);
    SetCurrentDependenceStructureRoot(current, "");
    std::vector<int> types;
    for (int t = 0; t <= 4; ++t)
      if ((set.bits[0] >> t) & 1) types.push_back(t);
    return types;
  }
  // What the run saw: the model's structure types and the swap state.
  void RecordDuringRun() {
    engine.during = [this](TRunRequest&) {
      typesDuring = Types();
      swapDuring = wb.StructureSwapState;
    };
  }
  std::vector<int> typesDuring;
  int swapDuring = -1;
};

TEST_F(SimulationStructuresTest, VineWithoutHigherLevelsCancelsTheRun) {
  Model({"a", "b", "c"}, {"f"});
  Structure({"a", "b", "c"}, DepDVine);
  ASSERT_TRUE(Vine_SetCorrValue(Node("a"), 1, 0.6));
  ASSERT_TRUE(Vine_SetCorrValue(Node("b"), 1, 0.4));
  TFrmSimulation& d = Dialog();
  SetCurrentDependenceStructureRoot(Node("a"), "");
  d.RunClick();
  EXPECT_TRUE(engine.seeds.empty());
  EXPECT_EQ(f.prompt.Texts(),
            (std::vector<std::string>{"One or more vines in the model is not transcended. "
                                      "\n\rSimulation is canceled"}));
  EXPECT_EQ(f.prompt.shown.back().kind, TMessageKind::Warning);
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), Node("a"));
}

TEST_F(SimulationStructuresTest, DVineRunsAsACanonicalVineAndComesBack) {
  Model({"a", "b", "c"}, {"f"});
  Structure({"a", "b", "c"}, DepDVine);
  ASSERT_TRUE(Vine_SetCorrValue(Node("a"), 1, 0.6));
  ASSERT_TRUE(Vine_SetCorrValue(Node("b"), 1, 0.4));
  ASSERT_TRUE(Vine_SetCorrValue(Node("a"), 2, 0.3));
  TFrmSimulation& d = Dialog();
  SetCurrentDependenceStructureRoot(Node("a"), "");
  RecordDuringRun();
  engine.real = true;
  Leave(d.edRuns, "2");
  d.RunClick();
  EXPECT_EQ(d.labStat->toolTip().toStdString().rfind("Simulation FINISHED!", 0), 0u)
      << d.labStat->toolTip().toStdString();
  EXPECT_EQ(typesDuring, std::vector<int>{DepCanonicalVine});
  EXPECT_EQ(swapDuring, 3);
  // The user's D-vine, values and current structure as before.
  EXPECT_EQ(Types(), std::vector<int>{DepDVine});
  EXPECT_EQ(wb.StructureSwapState, 0);
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), Node("a"));
  EXPECT_NEAR(Vine_GetCorrValue(Node("a"), 1), 0.6, 1e-6);
  EXPECT_NEAR(Vine_GetCorrValue(Node("b"), 1), 0.4, 1e-6);
  EXPECT_NEAR(Vine_GetCorrValue(Node("a"), 2), 0.3, 1e-6);
}

TEST_F(SimulationStructuresTest, CanonicalVineRunsAsItIs) {
  Model({"a", "b", "c"}, {"f"});
  Structure({"a", "b", "c"}, DepCanonicalVine);
  ASSERT_TRUE(Vine_SetCorrValue(Node("b"), 1, 0.6));
  ASSERT_TRUE(Vine_SetCorrValue(Node("c"), 1, -0.5));
  ASSERT_TRUE(Vine_SetCorrValue(Node("c"), 2, 0.2));
  SetCurrentDependenceStructureRoot(nullptr, "");
  TFrmSimulation& d = Dialog();
  RecordDuringRun();
  d.RunClick();
  EXPECT_EQ(typesDuring, std::vector<int>{DepCanonicalVine});
  EXPECT_EQ(swapDuring, 0);
  EXPECT_EQ(Types(), std::vector<int>{DepCanonicalVine});
  EXPECT_TRUE(f.prompt.shown.empty());
}

TEST_F(SimulationStructuresTest, MatrixIsVerifiedConvertedForTheRunAndRestored) {
  Model({"x", "y", "z"}, {"f"});
  Structure({"x", "y", "z"}, DepCorrelationMatrix);
  ASSERT_TRUE(CMatrix_Initialize());
  // Not positive definite: refused before any sampling.
  ASSERT_TRUE(CMatrix_SetCell(Node("x"), Node("y"), 0.9));
  ASSERT_TRUE(CMatrix_SetCell(Node("x"), Node("z"), 0.9));
  ASSERT_TRUE(CMatrix_SetCell(Node("y"), Node("z"), -0.9));
  TFrmSimulation& d = Dialog();
  SetCurrentDependenceStructureRoot(Node("x"), "");
  RecordDuringRun();
  d.RunClick();
  EXPECT_TRUE(engine.seeds.empty());
  ASSERT_EQ(f.prompt.shown.size(), 1u);
  const std::string box = f.prompt.shown[0].text;
  const std::string head = "Failure with one or more of the correlation matrices in the model. ";
  EXPECT_EQ(box.rfind(head, 0), 0u) << box;
  EXPECT_TRUE(box.ends_with(" Simulation is canceled")) << box;
  EXPECT_GT(box.size(), head.size() + std::string(" Simulation is canceled").size()) << box;
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), Node("x"));
  EXPECT_EQ(Types(), std::vector<int>{DepCorrelationMatrix});

  // A valid matrix runs as a canonical vine and comes back cell for cell,
  // whether it is the current structure or not.
  ASSERT_TRUE(CMatrix_SetCell(Node("y"), Node("z"), 0.7));
  engine.real = true;
  for (void* current : {Node("x"), static_cast<void*>(nullptr)}) {
    SCOPED_TRACE(current ? "current" : "none current");
    SetCurrentDependenceStructureRoot(current, "");
    typesDuring.clear();
    d.RunClick();
    EXPECT_EQ(typesDuring, std::vector<int>{DepCanonicalVine});
    EXPECT_EQ(swapDuring, 1);
    EXPECT_EQ(Types(), std::vector<int>{DepCorrelationMatrix});
    EXPECT_EQ(wb.StructureSwapState, 0);
    EXPECT_EQ(GetCurrentDependenceStructureRoot(), current);
    SetCurrentDependenceStructureRoot(Node("x"), "");
    EXPECT_NEAR(CMatrix_GetCell(Node("x"), Node("y")), 0.9, 1e-6);
    EXPECT_NEAR(CMatrix_GetCell(Node("y"), Node("z")), 0.7, 1e-6);
  }
  EXPECT_EQ(engine.seeds.size(), 2u);
}

TEST_F(SimulationStructuresTest, DVineAndMatrixTogetherBothComeBack) {
  Model({"a", "b", "c", "x", "y", "z"}, {"f"});
  Structure({"a", "b", "c"}, DepDVine);
  ASSERT_TRUE(Vine_SetCorrValue(Node("a"), 1, 0.6));
  ASSERT_TRUE(Vine_SetCorrValue(Node("b"), 1, 0.4));
  ASSERT_TRUE(Vine_SetCorrValue(Node("a"), 2, 0.3));
  SetCurrentDependenceStructureRoot(nullptr, "");
  Structure({"x", "y", "z"}, DepCorrelationMatrix);
  ASSERT_TRUE(CMatrix_Initialize());
  ASSERT_TRUE(CMatrix_SetCell(Node("x"), Node("y"), 0.5));
  ASSERT_TRUE(CMatrix_SetCell(Node("x"), Node("z"), 0.25));
  ASSERT_TRUE(CMatrix_SetCell(Node("y"), Node("z"), 0.125));
  TFrmSimulation& d = Dialog();
  // A refused matrix after the D-vine was transformed: both as they were.
  ASSERT_TRUE(CMatrix_SetCell(Node("y"), Node("z"), -0.9));
  ASSERT_TRUE(CMatrix_SetCell(Node("x"), Node("y"), 0.9));
  SetCurrentDependenceStructureRoot(nullptr, "");
  d.RunClick();
  EXPECT_TRUE(engine.seeds.empty());
  EXPECT_EQ(f.prompt.shown.size(), 1u);
  EXPECT_EQ(Types(), (std::vector<int>{DepCorrelationMatrix, DepDVine}));
  SetCurrentDependenceStructureRoot(Node("a"), "");
  EXPECT_NEAR(Vine_GetCorrValue(Node("a"), 2), 0.3, 1e-6);
  SetCurrentDependenceStructureRoot(Node("x"), "");
  ASSERT_TRUE(CMatrix_SetCell(Node("y"), Node("z"), 0.125));
  ASSERT_TRUE(CMatrix_SetCell(Node("x"), Node("y"), 0.5));

  engine.real = true;
  for (void* current : {static_cast<void*>(nullptr), Node("a"), Node("x")}) {
    SCOPED_TRACE(current ? "current" : "none current");
    SetCurrentDependenceStructureRoot(current, "");
    RecordDuringRun();
    d.RunClick();
    EXPECT_EQ(d.labStat->toolTip().toStdString().rfind("Simulation FINISHED!", 0), 0u)
        << d.labStat->toolTip().toStdString();
    EXPECT_EQ(GetCurrentDependenceStructureRoot(), current);
    EXPECT_EQ(Types(), (std::vector<int>{DepCorrelationMatrix, DepDVine}));
    SetCurrentDependenceStructureRoot(Node("a"), "");
    EXPECT_NEAR(Vine_GetCorrValue(Node("b"), 1), 0.4, 1e-6);
    EXPECT_NEAR(Vine_GetCorrValue(Node("a"), 2), 0.3, 1e-6);
    SetCurrentDependenceStructureRoot(Node("x"), "");
    EXPECT_NEAR(CMatrix_GetCell(Node("x"), Node("z")), 0.25, 1e-6);
    EXPECT_NEAR(CMatrix_GetCell(Node("y"), Node("z")), 0.125, 1e-6);
  }
}

}  // namespace
}  // namespace tesmira::wb::test
