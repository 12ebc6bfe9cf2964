#include "simulation_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <cstring>

#include "cp437.h"
#include "ini_file.h"
#include "model/short_string.h"
#include "model_helpers.h"
#include "small_dialogs.h"
#include "tesmira/model.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"
#include "utilities.h"
#include "workbench.h"

namespace tesmira::wb {

namespace {

// The one dialog the engine's context-free callbacks reach.
TFrmSimulation* g_active = nullptr;

const char* const kIdleStatus = "Press run to start the simulation.";

bool Has(const TDependenceTypeSet& set, int type) {
  const int bit = type & 255;
  return (set.bits[bit / 8] >> (bit % 8)) & 1;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLineEdit* NamedEdit(QWidget* parent, const char* name, const char* text) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(name);
  return e;
}

QCheckBox* NamedCheck(QWidget* parent, const char* name, const char* text) {
  auto* c = new QCheckBox(text, parent);
  c->setObjectName(name);
  return c;
}

// Restores what a run changes, on every path.
template <class F>
struct TScopeExit {
  F f;
  ~TScopeExit() { f(); }
};
template <class F>
TScopeExit(F) -> TScopeExit<F>;

}  // namespace

TFrmSimulation::TFrmSimulation(TWorkbench& wb, QWidget* mainWindow, QString settingsPath,
                               QWidget* parent)
    : QDialog(parent), wb_(wb), main_(mainWindow), settingsPath_(std::move(settingsPath)) {
  setObjectName("FrmSimulation");
  setWindowTitle("Run Simulation");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  Build();
  // An explicit minimum stops the layout from enforcing its own, so the
  // minimum is the designed 390 x 390 grown to what the labels need in the
  // fonts at hand.
  setMinimumSize(minimumSizeHint().expandedTo(QSize(390, 390)));
  resize(QSize(390, 514).expandedTo(minimumSize()));
}

TFrmSimulation::~TFrmSimulation() {
  if (g_active == this) g_active = nullptr;
  // A focused edit reports its end while the dialog goes away.
  for (QLineEdit* e : {edRuns, edSeed, edSimuls}) e->disconnect(this);
  if (firstShow_ || settingsPath_.isEmpty()) return;
  TSimulationChoices c = choices_;
  ReadChoices(c);
  try {
    common::TIniFile ini(settingsPath_.toStdString());
    SimulationSettings(ini, false, c);
  } catch (const std::exception&) {
    // A settings file that cannot be written keeps its old values.
  }
}

// ---- building -----------------------------------------------------------------------

void TFrmSimulation::Build() {
  auto* top = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  top->addLayout(left, 1);
  left->addWidget(BuildSimulationBox());
  left->addWidget(BuildOptionsBox());
  left->addWidget(BuildExtraPages());
  left->addWidget(BuildStatusBar());
  auto* right = new QVBoxLayout;
  top->addLayout(right);
  BuildButtons(*right);
  ConnectFields();
  ConnectButtons();
}

QWidget* TFrmSimulation::BuildSimulationBox() {
  auto* panSim = new QGroupBox("Simulation", this);
  panSim->setObjectName("panSim");
  auto* g = new QGridLayout(panSim);
  edRuns = NamedEdit(this, "edRuns", "10");
  labSamples = new QLabel("=1000 samples", this);
  labSamples->setObjectName("labSamples");
  labSamples->setToolTip("1 run = 100 samples");
  edSeed = NamedEdit(this, "edSeed", "1");
  edSeed->setToolTip("0 = clock-based");
  edSimuls = NamedEdit(this, "edSimuls", "1");
  chkSepSampleFiles = new QCheckBox("Separate sample files", this);
  chkSepSampleFiles->setObjectName("chkSepSampleFiles");
  chkSepSampleFiles->setEnabled(false);
  g->addWidget(new QLabel("Number Of Runs:", this), 0, 0);
  g->addWidget(edRuns, 0, 1);
  g->addWidget(labSamples, 0, 2);
  g->addWidget(new QLabel("Random Seed (0 = clock based):", this), 1, 0);
  g->addWidget(edSeed, 1, 1);
  g->addWidget(new QLabel("Repeat the whole simulation", this), 2, 0);
  g->addWidget(edSimuls, 2, 1);
  g->addWidget(new QLabel("times", this), 2, 2);
  g->addWidget(chkSepSampleFiles, 3, 0, 1, 3);
  return panSim;
}

QWidget* TFrmSimulation::BuildOptionsBox() {
  auto* panOptions = new QGroupBox("Output options:", this);
  panOptions->setObjectName("panOptions");
  auto* o = new QGridLayout(panOptions);
  cbxCorrelation = new QComboBox(this);
  cbxCorrelation->setObjectName("cbxCorrelation");
  cbxCorrelation->addItems({"None", "Product Moment", "Rank Correlation"});
  cbxCorrelation->setCurrentIndex(1);
  chkUDQuantiles = NamedCheck(this, "chkUDQuantiles", "User Defined Quantiles");
  chkMakeDistributionFile = NamedCheck(this, "chkMakeDistributionFile", "Make Distribution File");
  edFileExt = NamedEdit(this, "edFileExt", ".DIS");
  edFileExt->setMaxLength(4);
  chkSelDistrib = NamedCheck(this, "chkSelDistrib", "Selected Distributions");
  chkInput = NamedCheck(this, "chkInput", "Input Samples");
  chkOutput = NamedCheck(this, "chkOutput", "Output Samples");
  chkBinary = NamedCheck(this, "chkBinary", "In Binary (.tps) format");
  chkSelected = NamedCheck(this, "chkSelected", "Selected Samples");
  chkXls = NamedCheck(this, "chkXls", "In Excel-compliant (.sae) format");
  chkXls->setVisible(false);
  chkInput->setChecked(true);
  chkOutput->setChecked(true);
  labSamplesOutput = new QLabel(this);
  labSamplesOutput->setObjectName("labSamplesOutput");
  butSamplesName = new QPushButton("Browse...", this);
  butSamplesName->setObjectName("butSamplesName");
  labOutput = new QLabel(this);
  labOutput->setObjectName("labOutput");
  butName = new QPushButton("Browse...", this);
  butName->setObjectName("butName");
  radioTSO = new QRadioButton("Default", this);
  radioTSO->setObjectName("radioTSO");
  radioTSO->setChecked(true);
  radioSIM = new QRadioButton("DOS Tesmira - compatible", this);
  radioSIM->setObjectName("radioSIM");
  radioTSO->setVisible(false);
  radioSIM->setVisible(false);
  int row = 0;
  o->addWidget(new QLabel("Correlation Matrix Type:", this), row, 0);
  o->addWidget(cbxCorrelation, row++, 1, 1, 2);
  o->addWidget(chkUDQuantiles, row++, 0, 1, 3);
  o->addWidget(chkMakeDistributionFile, row, 0);
  auto* labFileExt = new QLabel("File Extension:", this);
  labFileExt->setObjectName("labFileExt");
  o->addWidget(labFileExt, row, 1);
  o->addWidget(edFileExt, row++, 2);
  o->addWidget(chkSelDistrib, row++, 0, 1, 3);
  o->addWidget(new QLabel("Save:", this), row++, 0);
  o->addWidget(chkInput, row, 0);
  o->addWidget(chkOutput, row++, 1);
  o->addWidget(chkBinary, row, 0);
  o->addWidget(chkSelected, row++, 1);
  o->addWidget(chkXls, row++, 0, 1, 3);
  o->addWidget(new QLabel("Samples File:", this), row, 0);
  o->addWidget(labSamplesOutput, row, 1);
  o->addWidget(butSamplesName, row++, 2);
  o->addWidget(new QLabel("Output File:", this), row, 0);
  o->addWidget(labOutput, row, 1);
  o->addWidget(butName, row++, 2);
  o->addWidget(radioTSO, row, 0);
  o->addWidget(radioSIM, row++, 1);
  return panOptions;
}

QWidget* TFrmSimulation::BuildExtraPages() {
  panExtra = new QTabWidget(this);
  panExtra->setObjectName("panExtra");
  tabQuantiles = BuildQuantilePage();
  tabSelect = BuildListPage(listSelSamp, "listSelSamp");
  tabSelect->setObjectName("tabSelect");
  tabDistributions = BuildListPage(listSelDistrib, "listSelDistrib");
  tabDistributions->setObjectName("tabDistributions");
  panExtra->addTab(tabQuantiles, "User Defined Quantiles");
  panExtra->addTab(tabSelect, "Selected Samples");
  panExtra->addTab(tabDistributions, "Selected Distributions");
  for (int i = 0; i < 3; ++i) panExtra->setTabVisible(i, false);
  panExtra->setVisible(false);
  return panExtra;
}

QWidget* TFrmSimulation::BuildStatusBar() {
  auto* status = new QWidget(this);
  status->setObjectName("Panel6");
  auto* s = new QHBoxLayout(status);
  s->setContentsMargins(2, 2, 2, 2);
  labStat = new QLabel(kIdleStatus, status);
  labStat->setObjectName("labStat");
  // A long status does not widen the dialog: it is cut to the room left.
  labStat->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  labStat->installEventFilter(this);
  m_progressBar = new QProgressBar(status);
  m_progressBar->setObjectName("m_progressBar");
  m_progressBar->setVisible(false);
  labETA = new QLabel(status);
  labETA->setObjectName("labETA");
  s->addWidget(labStat, 1);
  s->addWidget(m_progressBar, 1);
  s->addWidget(labETA);
  return status;
}

void TFrmSimulation::BuildButtons(QVBoxLayout& right) {
  auto button = [this, &right](const char* name, const char* text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    right.addWidget(b);
    return b;
  };
  butRun = button("butRun", "Run");
  butStop = button("butStop", "Stop");
  butStop->setVisible(false);
  butClose = button("butClose", "Close");
  butMinimize = button("butMinimize", "Minimize");
  butMinimize->setVisible(false);
  right.addSpacing(12);
  butReport = button("butReport", "Display Report");
  butGraphics = button("butGraphics", "Display Graphics");
  butSensAnalysis = button("butSensAnalysis", "Sensitiv. Analysis");
  butProbInversion = button("butProbInversion", "Prob. Inversion");
  for (QPushButton* b : {butReport, butGraphics, butSensAnalysis, butProbInversion})
    b->setEnabled(false);
  labNote = new QLabel(this);
  labNote->setObjectName("labNote");
  labNote->setWordWrap(true);
  right.addWidget(labNote);
  right.addStretch(1);
}

// The fields and their labels.
void TFrmSimulation::ConnectFields() {
  connect(edRuns, &QLineEdit::textChanged, this, [this](const QString& t) {
    const std::string text = t.toStdString();
    labSamples->setText(Q(RunsLabelText(text)));
    edRuns->setStyleSheet(runs_.Changed(text) ? "" : "color: red");
  });
  connect(edRuns, &QLineEdit::editingFinished, this,
          [this] { edRuns->setText(Q(runs_.Leave(edRuns->text().toStdString()))); });
  connect(edSeed, &QLineEdit::textChanged, this, [this](const QString& t) {
    edSeed->setStyleSheet(seed_.Changed(t.toStdString()) ? "" : "color: red");
  });
  connect(edSeed, &QLineEdit::editingFinished, this,
          [this] { edSeed->setText(Q(seed_.Leave(edSeed->text().toStdString()))); });
  connect(edSimuls, &QLineEdit::textChanged, this, [this](const QString& t) {
    const std::optional<long long> v = simuls_.Parse(t.toStdString());
    edSimuls->setStyleSheet(v ? "" : "color: red");
    chkSepSampleFiles->setEnabled(v && *v > 1);
  });
  connect(edSimuls, &QLineEdit::editingFinished, this,
          [this] { edSimuls->setText(Q(simuls_.Leave(edSimuls->text().toStdString()))); });

  connect(chkMakeDistributionFile, &QCheckBox::toggled, this,
          [this] { RefreshDistributionControls(); });
  for (QCheckBox* c : {chkInput, chkOutput, chkSepSampleFiles})
    connect(c, &QCheckBox::toggled, this, [this] { RefreshInputOutput(); });
  connect(chkSelected, &QCheckBox::toggled, this, [this] { LayoutExtraPages(); });
  connect(chkSelDistrib, &QCheckBox::toggled, this, [this] { LayoutExtraPages(); });
  connect(chkUDQuantiles, &QCheckBox::clicked, this, [this] { UDQuantilesClick(true); });
  connect(chkXls, &QCheckBox::toggled, this, [this](bool on) {
    SamplesFileName = ChangeFileExt(wb_.CurrentFileName, on ? ".sae" : ".sam");
    labSamplesOutput->setText(Q(ExtractFileName(SamplesFileName)));
  });
  connect(radioTSO, &QRadioButton::toggled, this, [this] { RefreshOutputLabel(); });
  connect(butName, &QPushButton::clicked, this, [this] { ChooseOutputName(); });
  connect(butSamplesName, &QPushButton::clicked, this, [this] { ChooseSamplesName(); });
}

void TFrmSimulation::ConnectButtons() {
  connect(butRun, &QPushButton::clicked, this, [this] { RunClick(); });
  connect(butStop, &QPushButton::clicked, this, [this] { StopClick(); });
  connect(butClose, &QPushButton::clicked, this, [this] { done(1); });
  connect(butMinimize, &QPushButton::clicked, this, [this] {
    if (main_) main_->hide();
    showMinimized();
  });
  connect(butReport, &QPushButton::clicked, this, [this] { done(6); });
  connect(butGraphics, &QPushButton::clicked, this,
          [this] { LaunchResult(TSiblingProgram::Display); });
  connect(butSensAnalysis, &QPushButton::clicked, this,
          [this] { LaunchResult(TSiblingProgram::Sensitivity); });
  connect(butProbInversion, &QPushButton::clicked, this,
          [this] { LaunchResult(TSiblingProgram::ProbInversion); });
}

QWidget* TFrmSimulation::BuildQuantilePage() {
  auto* page = new QWidget(this);
  page->setObjectName("tabQuantiles");
  auto* l = new QVBoxLayout(page);
  grdQuantiles = new QTableWidget(1, kQuantileTargets + 1, page);
  grdQuantiles->setObjectName("grdQuantiles");
  grdQuantiles->verticalHeader()->setVisible(false);
  grdQuantiles->verticalHeader()->setDefaultSectionSize(18);
  grdQuantiles->horizontalHeader()->setDefaultSectionSize(40);
  QStringList heads{""};
  for (int k = 1; k <= kQuantileTargets; ++k) heads << QString("Q%1").arg(k);
  grdQuantiles->setHorizontalHeaderLabels(heads);
  grdQuantiles->setEditTriggers(QAbstractItemView::AllEditTriggers);
  grdQuantiles->installEventFilter(this);
  l->addWidget(grdQuantiles);

  // Every edit is stored at once; leaving a cell checks it.
  connect(grdQuantiles, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (gridFilling_ || item->column() == 0) return;
    grid_.SetCellText(item->row() + 1, item->column(), item->text().toStdString());
  });
  connect(grdQuantiles, &QTableWidget::currentCellChanged, this,
          [this](int r, int c, int pr, int pc) { GridSelectCell(r, c, pr, pc); });

  auto* popUDQ = new QMenu(grdQuantiles);
  popUDQ->setObjectName("popUDQ");
  QAction* row = popUDQ->addAction("Reset Row", this, [this] {
    const int r = grdQuantiles->currentRow();
    if (r < 0 || r >= grid_.RowCount()) return;
    grid_.ResetRow(r + 1);
    FillQuantileGrid();
  });
  popUDQ->addAction("Reset All", this, [this] {
    grid_.ResetAll();
    FillQuantileGrid();
  });
  grdQuantiles->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grdQuantiles, &QWidget::customContextMenuRequested, this, [this, popUDQ, row](QPoint p) {
    row->setEnabled(grdQuantiles->currentRow() >= 0 &&
                    grdQuantiles->currentRow() < grid_.RowCount());
    popUDQ->popup(grdQuantiles->viewport()->mapToGlobal(p));
  });
  return page;
}

QWidget* TFrmSimulation::BuildListPage(QListWidget*& list, const char* name) {
  auto* page = new QWidget(this);
  auto* l = new QVBoxLayout(page);
  list = new QListWidget(page);
  list->setObjectName(name);
  l->addWidget(list);
  QListWidget* self = list;
  auto* popSel = new QMenu(list);
  popSel->setObjectName("popSel");
  struct Item {
    const char* text;
    QKeySequence key;
    TSelectionCommand command;
  };
  const Item items[] = {
      {"Select All", QKeySequence("Ctrl+A"), TSelectionCommand::All},
      {"Select None", QKeySequence("Ctrl+U"), TSelectionCommand::None},
      {"Invert Selection", QKeySequence("Ctrl+I"), TSelectionCommand::Invert},
      {"Grow Selection", QKeySequence(), TSelectionCommand::Grow},
      {"Select All Input Samples", QKeySequence("Ctrl+N"), TSelectionCommand::Inputs},
      {"Select All Output Samples", QKeySequence("Ctrl+O"), TSelectionCommand::Outputs},
  };
  std::vector<QAction*> groupActions;
  for (const Item& it : items) {
    QAction* a = popSel->addAction(it.text);
    a->setShortcut(it.key);
    a->setShortcutContext(Qt::WidgetShortcut);
    const TSelectionCommand cmd = it.command;
    connect(a, &QAction::triggered, this, [this, cmd] { SelectionCommand(cmd); });
    list->addAction(a);
    if (cmd == TSelectionCommand::Grow) a->setVisible(false);
    if (cmd == TSelectionCommand::Inputs || cmd == TSelectionCommand::Outputs)
      groupActions.push_back(a);
  }
  popSel->addSeparator();
  std::vector<QAction*> sorts;
  const char* const kSorts[] = {"Not Sorted", "Sort Ascending", "Sort Descending"};
  for (int order : {1, 2, 0}) {
    QAction* a = popSel->addAction(kSorts[order]);
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, order] { SortCommand(order); });
    sorts.push_back(a);
  }
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  const bool samples = std::strcmp(name, "listSelSamp") == 0;
  connect(list, &QWidget::customContextMenuRequested, this,
          [this, self, popSel, groupActions, sorts, samples](QPoint p) {
            for (QAction* a : groupActions) a->setVisible(samples);
            const int order = samples ? samples_.Order : distributions_.Order;
            const int orders[] = {1, 2, 0};
            for (std::size_t i = 0; i < sorts.size(); ++i) sorts[i]->setChecked(orders[i] == order);
            popSel->popup(self->viewport()->mapToGlobal(p));
          });
  connect(list, &QListWidget::itemChanged, this,
          [this, self] { ReadList(self, self == listSelSamp ? samples_ : distributions_); });
  return page;
}

// ---- choices ------------------------------------------------------------------------

void TFrmSimulation::ApplyChoices(const TSimulationChoices& c) {
  cbxCorrelation->setCurrentIndex(c.CorrelationKind);
  edRuns->setText(QString::number(c.Runs));
  runs_.Leave(std::to_string(c.Runs));
  edSeed->setText(QString::number(c.Seed));
  seed_.Leave(std::to_string(c.Seed));
  chkMakeDistributionFile->setChecked(c.MakeDistributionFile);
  edFileExt->setText(Q(c.DistributionFileExt));
  chkSelDistrib->setChecked(c.SelectedDistributions);
  chkInput->setChecked(c.Input);
  chkOutput->setChecked(c.Output);
  chkBinary->setChecked(c.Binary);
  chkSelected->setChecked(c.Selected);
  radioTSO->setChecked(c.Tso);
}

void TFrmSimulation::ReadChoices(TSimulationChoices& c) const {
  c.CorrelationKind = cbxCorrelation->currentIndex();
  c.Runs = runs_.Value();
  c.Seed = seed_.Value();
  c.Simulations = simuls_.Value();
  c.SeparateSampleFiles = chkSepSampleFiles->isChecked();
  c.UserQuantiles = chkUDQuantiles->isChecked();
  c.MakeDistributionFile = chkMakeDistributionFile->isChecked();
  c.DistributionFileExt = edFileExt->text().toStdString();
  c.SelectedDistributions = chkSelDistrib->isChecked();
  c.Input = chkInput->isChecked();
  c.Output = chkOutput->isChecked();
  c.Binary = chkBinary->isChecked();
  c.Selected = chkSelected->isChecked();
  c.Xls = chkXls->isChecked();
  c.Tso = radioTSO->isChecked();
  c.QuantPerDistrib = CurrentDisplaySettings().quantperdistrib;
  c.ProcessSamples = wb_.CurrentFileKind == FileKindSampleFile;
  c.SourceSampleFile = wb_.CurrentFileName;
  c.SamplesFileName = SamplesFileName;
  c.OutputFileName = OutputFileName;
}

// ---- showing -------------------------------------------------------------------------

void TFrmSimulation::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!running_ && !isMinimized() && !BeliefNetMode && !prepared_) Prepare();
  prepared_ = false;
}

bool TFrmSimulation::Prepare() {
  prepared_ = true;
  butReport->setEnabled(wb_.CurrentFileKind == FileKindOutputFile || wb_.ReportAvailable);
  ShowRunStatus(kIdleStatus, TStatusColour::Normal);
  if (firstShow_) {
    firstShow_ = false;
    if (!settingsPath_.isEmpty()) {
      common::TIniFile ini(settingsPath_.toStdString());
      choices_ = TSimulationChoices{};
      ReadChoices(choices_);
      SimulationSettings(ini, true, choices_);
      ApplyChoices(choices_);
    }
  }
  if (!PrepareSource()) return false;
  radioSIM->setChecked(!radioTSO->isChecked());
  labSamples->setText(Q(RunsLabelText(edRuns->text().toStdString())));
  RefreshDistributionControls();
  RefreshInputOutput();
  if (lastModelForOutput_.empty() ||
      QString::compare(Q(lastModelForOutput_), Q(wb_.CurrentFileName), Qt::CaseInsensitive) != 0)
    OutputFileName = wb_.CurrentFileName;
  RefreshOutputLabel();
  // Results belong to the model they came from: a new or another model has
  // none to open yet.
  if (wb_.CurrentFileName.empty() ||
      QString::compare(Q(lastModelForOutput_), Q(wb_.CurrentFileName), Qt::CaseInsensitive) != 0)
    for (QPushButton* b : {butGraphics, butSensAnalysis, butProbInversion}) b->setEnabled(false);
  lastModelForOutput_ = wb_.CurrentFileName;
  labSamplesOutput->setText(Q(ExtractFileName(SamplesFileName)));
  RefreshObjectLists();
  labNote->clear();
  RefreshInputOutput();
  CloseWhenDone = false;
  ApplyBeliefNetMode();
  return true;
}

// Runs and seed of a sample file's series are fixed by the file.
void TFrmSimulation::FixRuns(int count) {
  edRuns->setText(QString::number(ProcessSamplesRuns(count)));
  runs_.Leave(edRuns->text().toStdString());
  edSeed->setText("1");
  seed_.Leave("1");
}

// The title, the samples file and the runs and seed fields from what is open:
// a sample file to process or a model, whose first sample-file variable may
// fix the runs. False after an error message.
bool TFrmSimulation::PrepareSource() {
  edRuns->setEnabled(false);
  edSeed->setEnabled(false);
  header_.reset();
  if (wb_.CurrentFileKind == FileKindSampleFile) {
    setWindowTitle("Process Samples File");
    void* h = nullptr;
    if (GetFileHeader(wb_.CurrentFileName.c_str(), &h) != TsmKindSampleFile || !h) {
      wb_.Prompt().Show(TMessageKind::Error, "Unexpected file header returned.");
      hide();
      return false;
    }
    header_ = std::make_unique<TSampleFileHeader>();
    std::memcpy(header_.get(), h, sizeof(TSampleFileHeader));
    FixRuns(header_->count);
    SamplesFileName = ProcessSamplesFileName(wb_.CurrentFileName, chkXls->isChecked());
  } else {
    setWindowTitle("Run Simulation");
    SamplesFileName = ChangeFileExt(wb_.CurrentFileName, chkXls->isChecked() ? ".sae" : ".sam");
    const int first = FirstSampleFileVariable();
    if (first > 0) {
      auto* rv = static_cast<TExtendedRandomVariable*>(Get_TSMObject(first, ObjRandomVariable));
      const std::string sam =
          AbsoluteFromModel(GetDistributionFileName(*rv), "", wb_.CurrentFileName);
      void* h = nullptr;
      if (GetFileHeader(sam.c_str(), &h) != TsmKindSampleFile || !h) {
        wb_.Prompt().Show(TMessageKind::Error,
                          ("Unexpected file header returned for file " + sam).substr(0, 167));
        return false;
      }
      std::string prb = GetProbabilityFileName(*rv);
      prb = prb.empty() ? ChangeFileExt(sam, ".prb")
                        : AbsoluteFromModel(prb, "", wb_.CurrentFileName);
      if (FileExists(prb)) {
        edRuns->setEnabled(true);
        edSeed->setEnabled(true);
      } else {
        FixRuns(static_cast<TSampleFileHeader*>(h)->count);
      }
    } else {
      edRuns->setEnabled(true);
      edSeed->setEnabled(true);
    }
  }
  return true;
}

// A belief-net run fixes the runs and outputs and locks their fields; other runs free them.
void TFrmSimulation::ApplyBeliefNetMode() {
  const bool belief = BeliefNetMode;
  if (belief) {
    edRuns->setText("100");
    runs_.Leave("100");
    chkInput->setChecked(true);
    chkOutput->setChecked(false);
    chkBinary->setChecked(true);
    chkSelected->setChecked(false);
  }
  edRuns->setReadOnly(belief);
  if (belief) edRuns->setEnabled(false);
  for (QWidget* w : std::initializer_list<QWidget*>{chkInput, chkOutput, cbxCorrelation})
    w->setEnabled(!belief);
  if (belief) {
    chkBinary->setEnabled(false);
    chkSelected->setEnabled(false);
  }
  butName->setEnabled(!belief && radioTSO->isChecked());
  butSamplesName->setEnabled(!belief && chkSelected->isEnabled());
}

void TFrmSimulation::RefreshDistributionControls() {
  const bool on = chkMakeDistributionFile->isChecked();
  edFileExt->setEnabled(on);
  if (QWidget* lab = findChild<QWidget*>("labFileExt")) lab->setEnabled(on);
  chkSelDistrib->setEnabled(on);
  LayoutExtraPages();
}

void TFrmSimulation::RefreshInputOutput() {
  const bool in = chkInput->isChecked(), out = chkOutput->isChecked();
  labNote->setText(in && !out ? "Note:\n\rChecking the Save Input Samples only will cause no "
                                "output processing done and no simulation files saved!"
                              : "");
  labNote->setText(labNote->text().replace("\n\r", "\n"));
  chkSelected->setEnabled(in || out);
  const bool sel = chkSelected->isEnabled();
  chkBinary->setEnabled(sel);
  labSamplesOutput->setEnabled(sel);
  butSamplesName->setEnabled(sel && !BeliefNetMode);
  samples_.EnableByKind(in, out);
  FillList(listSelSamp, samples_);
  LayoutExtraPages();
}

void TFrmSimulation::RefreshOutputLabel() {
  const bool def = radioTSO->isChecked();
  if (def) {
    if (!OutputFileName.empty()) OutputFileName = ChangeFileExt(OutputFileName, ".tso");
    labOutput->setText(Q(ExtractFileName(OutputFileName)));
  } else {
    labOutput->setText(Q(ExtractFileName(ChangeFileExt(wb_.CurrentFileName, ".sim"))));
  }
  labOutput->setEnabled(def);
  butName->setEnabled(def && !BeliefNetMode);
}

// ---- lists and grid -------------------------------------------------------------------

void TFrmSimulation::RefreshObjectLists() {
  std::vector<std::string> inputs, outputs;
  if (header_) {
    for (int i = 0; i < header_->inputs.count; ++i)
      inputs.push_back(Cp437ToUtf8(ShortStringView(header_->inputs.entries[i].name)));
    for (int j = 0; j < header_->outputs.count; ++j)
      outputs.push_back(Cp437ToUtf8(ShortStringView(header_->outputs.entries[j].name)));
  } else {
    char name[256];
    for (int n = 1; n <= Get_TSMObjectsNumber(ObjRandomVariable); ++n) {
      Get_TSMObjectName(ObjRandomVariable, Get_TSMObject(n, ObjRandomVariable), name);
      inputs.push_back(Cp437ToUtf8(name));
    }
    for (int n = 1; n <= Get_TSMObjectsNumber(ObjFormula); ++n) {
      Get_TSMObjectName(ObjFormula, Get_TSMObject(n, ObjFormula), name);
      outputs.push_back(Cp437ToUtf8(name));
    }
  }
  samples_.Merge(inputs, outputs);
  distributions_.Merge({}, outputs);
  samples_.EnableByKind(chkInput->isChecked(), chkOutput->isChecked());
  FillList(listSelSamp, samples_);
  FillList(listSelDistrib, distributions_);
  grid_.SetOutputs(outputs);
  chkUDQuantiles->setEnabled(!outputs.empty());
  gridFilling_ = true;
  grdQuantiles->setRowCount(static_cast<int>(outputs.size()));
  int widest = 40;
  for (std::size_t j = 0; j < outputs.size(); ++j) {
    auto* item = new QTableWidgetItem(Q(outputs[j]));
    item->setFlags(Qt::ItemIsEnabled);
    grdQuantiles->setItem(static_cast<int>(j), 0, item);
    widest = std::max(widest, grdQuantiles->fontMetrics().horizontalAdvance(Q(outputs[j])));
  }
  grdQuantiles->setColumnWidth(0, widest + 10);
  gridFilling_ = false;
  if (chkUDQuantiles->isChecked()) FillQuantileGrid();
}

void TFrmSimulation::FillList(QListWidget* list, const TSelectionList& items) {
  const QSignalBlocker block(list);
  list->clear();
  for (const TSelectionItem& it : items.Items) {
    auto* item = new QListWidgetItem(Q(it.Text), list);
    item->setToolTip(item->text());  // a long name shows whole
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsSelectable |
                   (it.Enabled ? Qt::ItemIsEnabled : Qt::NoItemFlags));
    item->setCheckState(it.Checked ? Qt::Checked : Qt::Unchecked);
  }
  if (items.Selected >= 0) list->setCurrentRow(items.Selected);
}

void TFrmSimulation::ReadList(QListWidget* list, TSelectionList& items) {
  for (int i = 0; i < list->count() && i < static_cast<int>(items.Items.size()); ++i)
    items.Items[static_cast<std::size_t>(i)].Checked = list->item(i)->checkState() == Qt::Checked;
  items.Selected = list->currentRow();
}

QListWidget* TFrmSimulation::ActiveList() const {
  return panExtra->currentWidget() == tabSelect ? listSelSamp : listSelDistrib;
}

void TFrmSimulation::SelectionCommand(TSelectionCommand command) {
  QListWidget* list = ActiveList();
  TSelectionList& items = list == listSelSamp ? samples_ : distributions_;
  ReadList(list, items);
  items.Apply(command, list == listSelSamp);
  FillList(list, items);
}

void TFrmSimulation::SortCommand(int order) {
  QListWidget* list = ActiveList();
  TSelectionList& items = list == listSelSamp ? samples_ : distributions_;
  ReadList(list, items);
  items.Sort(order);
  FillList(list, items);
}

void TFrmSimulation::LayoutExtraPages() {
  const bool udq = chkUDQuantiles->isChecked();
  const bool sel = chkSelected->isChecked() && chkSelected->isEnabled();
  const bool dist = chkSelDistrib->isChecked() && chkSelDistrib->isEnabled();
  const bool visible[] = {udq, sel, dist};
  const bool wasShown = panExtra->isVisibleTo(this);
  for (int i = 0; i < 3; ++i) {
    const bool before = panExtra->isTabVisible(i);
    panExtra->setTabVisible(i, visible[i]);
    if (visible[i] && !before) panExtra->setCurrentIndex(i);
  }
  const bool any = udq || sel || dist;
  if (any == wasShown) return;
  const int h = std::max(panExtra->sizeHint().height(), 150);
  panExtra->setVisible(any);
  // The pages make the dialog taller, but no taller than the screen holds.
  const int room =
      screen() ? screen()->availableGeometry().height() - (frameGeometry().height() - height())
               : QWIDGETSIZE_MAX;
  resize(width(), std::max(minimumHeight(), std::min(room, height() + (any ? h : -h))));
}

void TFrmSimulation::UDQuantilesClick(bool byUser) {
  if (byUser && chkUDQuantiles->isChecked()) {
    TQuantileGrid::Allocate();
    FillQuantileGrid();
  }
  LayoutExtraPages();
  if (chkUDQuantiles->isChecked()) panExtra->setCurrentWidget(tabQuantiles);
}

void TFrmSimulation::ClearUserDefinedQuantiles() {
  if (!chkUDQuantiles->isChecked()) return;
  chkUDQuantiles->setChecked(false);
  UDQuantilesClick(false);
}

void TFrmSimulation::FillQuantileGrid() {
  gridFilling_ = true;
  for (int r = 1; r <= grid_.RowCount(); ++r) {
    for (int c = 1; c <= kQuantileTargets; ++c) {
      QTableWidgetItem* item = grdQuantiles->item(r - 1, c);
      if (!item) {
        item = new QTableWidgetItem;
        grdQuantiles->setItem(r - 1, c, item);
      }
      item->setText(Q(grid_.CellText(r, c)));
    }
    grid_.RefreshRowStatus(r, true);
    PaintQuantileRow(r);
  }
  gridFilling_ = false;
}

void TFrmSimulation::PaintQuantileRow(int row) {
  const bool filling = gridFilling_;
  gridFilling_ = true;
  for (int c = 1; c <= kQuantileTargets; ++c) {
    QTableWidgetItem* item = grdQuantiles->item(row - 1, c);
    if (!item) {
      item = new QTableWidgetItem;
      grdQuantiles->setItem(row - 1, c, item);
    }
    const TQuantileColour colour = grid_.CellColour(row, c);
    item->setForeground(colour == TQuantileColour::Blue  ? QColor(Qt::blue)
                        : colour == TQuantileColour::Red ? QColor(Qt::red)
                                                         : palette().color(QPalette::Text));
  }
  gridFilling_ = filling;
}

void TFrmSimulation::GridSelectCell(int row, int column, int oldRow, int oldColumn) {
  if (gridFilling_) return;
  if (oldRow >= 0 && oldColumn > 0 && oldRow < grid_.RowCount()) {
    QTableWidgetItem* left = grdQuantiles->item(oldRow, oldColumn);
    double x = 0;
    if (left && !IsMissingText(left->text().toStdString()) &&
        !TryParseNumber(x, left->text().toStdString())) {
      const QSignalBlocker block(grdQuantiles);
      left->setText("");
    }
    grid_.RefreshRowStatus(oldRow + 1, true);
    PaintQuantileRow(oldRow + 1);
  }
  if (row < 0 || row >= grid_.RowCount() || column < 1) return;
  grid_.RefreshRowStatus(row + 1, false);
  PaintQuantileRow(row + 1);
  const int status = grid_.CellStatus(row + 1, column);
  QWidget* focus = focusWidget();
  const bool active = focus && (focus == grdQuantiles || grdQuantiles->isAncestorOf(focus));
  ShowRunStatus(TQuantileGrid::CellStatusText(active ? status : 0),
                active && status != 0 ? TStatusColour::Red : TStatusColour::Normal);
}

namespace {

// The status cut with "..." to the label's width (its tool tip keeps it
// whole); until the dialog has its size the text is not cut.
QString FitStatus(const QLabel* label, const std::string& text) {
  const QFontMetrics fm(label->font());
  const int room = label->parentWidget()->isVisible() ? std::max(1, label->width() - 2) : 1 << 30;
  QString shown = Q(CutStatusText(
      text, room, [&fm](const std::string& s) { return fm.horizontalAdvance(Q(s)); }));
  if (fm.horizontalAdvance(shown) > room) {
    QString base = shown.endsWith("...") ? shown.chopped(3) : shown;
    while (!base.isEmpty() && fm.horizontalAdvance(base + "...") > room) base.chop(1);
    shown = base + "...";
  }
  return shown;
}

}  // namespace

bool TFrmSimulation::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grdQuantiles && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && grid_.RowCount() > 0) {
      const int r = std::max(0, grdQuantiles->currentRow());
      const int c = std::max(1, grdQuantiles->currentColumn());
      const TGridCell from{r + 1, c};
      const TGridCell to =
          key->key() == Qt::Key_Tab ? grid_.TabTarget(from) : grid_.BacktabTarget(from);
      grdQuantiles->setCurrentCell(to.Row - 1, to.Column);
      return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      const int r = grdQuantiles->currentRow(), c = grdQuantiles->currentColumn();
      GridSelectCell(r, c, r, c);
      return true;
    }
  }
  // The status label's width follows the time beside it: the text is cut anew.
  if (watched == labStat && event->type() == QEvent::Resize)
    labStat->setText(FitStatus(labStat, statusText_));
  if (watched == grdQuantiles && event->type() == QEvent::FocusOut) {
    const int r = grdQuantiles->currentRow(), c = grdQuantiles->currentColumn();
    if (r >= 0 && r < grid_.RowCount()) {
      grid_.RefreshRowStatus(r + 1, true);
      PaintQuantileRow(r + 1);
    }
    (void)c;
  }
  return QDialog::eventFilter(watched, event);
}

// ---- file names ----------------------------------------------------------------------

void TFrmSimulation::ChooseOutputName() {
  TFileDialogOptions o;
  o.Title = "Save As";
  o.Filter = "Tesmira output file (.tso)|*.tso";
  o.InitialName = ChangeFileExt(OutputFileName, "");
  std::string name;
  if (!wb_.Chooser().ChooseSave(o, name)) return;
  std::string ext = QFileInfo(Q(name)).suffix().toLower().toStdString();
  if (ext == "sim") {
    radioSIM->setChecked(true);
  } else {
    OutputFileName = ext == "tso" ? name : ChangeFileExt(name, ".tso");
    if (ext != "tso" && !ext.empty()) OutputFileName = name + ".tso";
    radioTSO->setChecked(true);
  }
  labOutput->setText(Q(ExtractFileName(OutputFileName)));
}

void TFrmSimulation::ChooseSamplesName() {
  TFileDialogOptions o;
  o.Title = "Save As";
  o.Filter = chkXls->isChecked() ? "Excel-compliant sample file (.sae)|*.sae"
                                 : "Sample file (.sam, .sae)|*.sam;*.sae";
  o.InitialName = ChangeFileExt(SamplesFileName, "");
  std::string name;
  if (!wb_.Chooser().ChooseSave(o, name)) return;
  if (QFileInfo(Q(name)).suffix().isEmpty()) name += ".sam";
  SamplesFileName = name;
  labSamplesOutput->setText(Q(ExtractFileName(SamplesFileName)));
}

void TFrmSimulation::LaunchResult(TSiblingProgram program) {
  std::string file = ChangeFileExt(SamplesFileName, ".sam");
  if (program == TSiblingProgram::ProbInversion) file = ChangeFileExt(file, ".sae");
  if (std::string found = FindDerivedFile(file); !found.empty()) file = found;
  if (Launch) Launch(program, file);
}

// ---- status and progress -----------------------------------------------------------------

void TFrmSimulation::ShowRunStatus(const std::string& text, TStatusColour colour) {
  statusText_ = text;
  labStat->setToolTip(Q(text));
  labStat->setText(FitStatus(labStat, text));
  labStat->setStyleSheet(colour == TStatusColour::Red      ? "color: red"
                         : colour == TStatusColour::Maroon ? "color: #800000"
                                                           : "");
}

double TFrmSimulation::Now() const {
  if (Clock) return Clock();
  return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

void TFrmSimulation::PumpMessages() {
  static QElapsedTimer last;
  if (last.isValid() && last.elapsed() < 30) return;
  last.start();
  QCoreApplication::processEvents();
}

bool TFrmSimulation::SimulationProgress(int32_t current, int32_t total) {
  return g_active ? g_active->Progress(current, total) : true;
}

bool TFrmSimulation::Progress(int32_t current, int32_t total) {
  const double elapsed = Now() - startTime_;
  // The texts are built only when the estimate or the percentage moves.
  const bool finished = total > 0 && current >= total;
  const int percent =
      total > 0 ? static_cast<int>(static_cast<long long>(current) * 100 / total) : 0;
  const double left =
      current > 0 && total > 0 ? static_cast<double>(total - current) * elapsed / current : -1.0;
  const long long remaining =
      std::isfinite(left) && left < 9.0e15 ? static_cast<long long>(left) : -2;
  if (!finished && remaining == lastEta_ && percent == lastPercent_) {
    PumpMessages();
    return !StopRequested;
  }
  lastEta_ = remaining;
  lastPercent_ = percent;
  const TProgressState s = SimulationProgressTexts(current, total, elapsed);
  {
    if (current == 1 || m_progressBar->maximum() == 1) m_progressBar->setMaximum(total);
    if (total == m_progressBar->maximum()) m_progressBar->setValue(current);
    const QString eta = Q(s.Eta);
    if (labETA->text() != eta) labETA->setText(eta);
    const QString title = QString::number(s.Percent) + "% " + savedTitle_;
    if (main_ && main_->windowTitle() != title) main_->setWindowTitle(title);
    if (current == 1) QApplication::restoreOverrideCursor();
    if (s.Finished) {
      ShowRunStatus("Preparing output files...", TStatusColour::Normal);
      if (!BeliefNetMode) m_progressBar->setVisible(false);
      if (!StopRequested) labETA->setText("Finishing...");
    }
  }
  if (s.Finished) QCoreApplication::processEvents();
  PumpMessages();
  return !StopRequested;
}

bool TFrmSimulation::VineTransformProgress(int16_t current, int32_t total) {
  TFrmSimulation* d = g_active;
  if (!d) return true;
  d->m_progressBar->setMaximum(total);
  d->m_progressBar->setValue(current);
  const QString text = Q(VineProgressText(current, total, d->Now() - d->startTime_));
  if (d->labETA->text() != text) d->labETA->setText(text);
  PumpMessages();
  return !d->StopRequested;
}

void TFrmSimulation::StopClick() {
  m_progressBar->setVisible(false);
  setWindowTitle("Finishing, please wait...");
  StopRequested = true;
}

void TFrmSimulation::reject() {
  if (running_) {
    StopClick();
    return;
  }
  QDialog::reject();
}

void TFrmSimulation::closeEvent(QCloseEvent* event) {
  if (running_) {
    StopClick();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TFrmSimulation::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && !isMinimized() && main_ &&
      !main_->isVisible() && isVisible()) {
    main_->show();
    raise();
    activateWindow();
  }
}

// ---- the run -------------------------------------------------------------------------------

bool TFrmSimulation::PrepareStructures(void* root, TDependenceTypeSet& types, bool& skipMatrices) {
  types = TDependenceTypeSet{};
  GetModelDependenceTypes(&types);
  if (root && GetDependenceType(root) == 1) {
    types = TDependenceTypeSet{};
    types.bits[0] = 1 << 1;
  }
  skipMatrices = false;
  if (GetOldDiagonalBandMode() && Has(types, 3) && MatchAndSwapDepStructures(2)) {
    TDependenceTypeSet now{};
    GetModelDependenceTypes(&now);
    if (Has(now, 2)) {
      wb_.StructureSwapState = 3;
      skipMatrices = true;
    } else {
      MatchAndSwapDepStructures(3);
    }
  }
  if (!skipMatrices && Has(types, 3)) {
    setWindowTitle("Transforming vine...");
    butStop->setVisible(true);
    butRun->setVisible(false);
    int32_t ok = 0;
    if (Vine_MaxTranscended() < 13) {
      ok = Vine_MorvikToCanonical(nullptr, 0);
    } else {
      m_progressBar->reset();
      m_progressBar->setVisible(true);
      ShowRunStatus("", TStatusColour::Normal);
      startTime_ = Now();
      ok = Vine_MorvikToCanonical(&VineTransformProgress, 0);
    }
    setWindowTitle("Run Simulation");
    butStop->setVisible(false);
    butRun->setVisible(true);
    m_progressBar->setVisible(false);
    if (!ok) {
      if (StopRequested) {
        ShowRunStatus("Canceled by the user", TStatusColour::Normal);
      } else if (Get_TSMObjectsNumber(ObjDependenceNode) > 0) {
        char message[256] = {};
        Vine_RetrieveErrorMessage(message);
        wb_.Prompt().Show(TMessageKind::Error,
                          "Failure while converting the vine.\n\r" + Cp437ToUtf8(message));
      }
      SetCurrentDependenceStructureRoot(root, nullptr);
      return false;
    }
    wb_.StructureSwapState = 3;
  }
  if (!skipMatrices && Has(types, 1)) {
    if (!CMatrix_Verify(false)) {
      char message[256] = {};
      Vine_RetrieveErrorMessage(message);
      wb_.Prompt().Show(TMessageKind::Warning,
                        "Failure with one or more of the correlation matrices in the model. " +
                            Cp437ToUtf8(message) + " Simulation is canceled");
      SetCurrentDependenceStructureRoot(root, nullptr);
      if (Has(types, 1) || Has(types, 3)) MatchAndSwapDepStructures(3);
      wb_.Ui().UpdateView(ViewDependence);
      return false;
    }
    // After a vine transformation the saved copy holds the user's D-vines;
    // the matrices' conversion keeps it, so that both come back.
    if (wb_.StructureSwapState != 3) ReleaseSavedStructure();
    wb_.StructureSwapState = 1;
    CMatrix_Verify(true);
  }
  return true;
}

void TFrmSimulation::RestoreAfterRun(void* root, int rootType, const TDependenceTypeSet& types) {
  SetCurrentDependenceStructureRoot(root, nullptr);
  // Structures converted for the run go back to what the user made, with
  // the types they had before: a matrix converted for the run is a
  // canonical vine by now.
  if (wb_.StructureSwapState == 1 || Has(types, 1))
    MatchAndSwapDepStructures(rootType >= 0 ? rootType : 1);
  if (wb_.StructureSwapState == 3) MatchAndSwapDepStructures(3);
  wb_.StructureSwapState = 0;
}

void TFrmSimulation::EnableResultButtons(double startTime) {
  const QFileInfo sam(Q(SamplesFileName));
  // Only a file this run wrote counts.
  const bool fresh =
      sam.exists() && sam.lastModified().toMSecsSinceEpoch() / 1000.0 >= std::floor(startTime) - 1;
  if (fresh) {
    const bool graphics = butSamplesName->isEnabled() &&
                          (!chkSelected->isChecked() || !samples_.CheckedObjects(true).empty());
    butGraphics->setEnabled(graphics);
    butSensAnalysis->setEnabled(graphics);
    const QString hint = Q(ChangeFileExt(SamplesFileName, ".sam"));
    for (QPushButton* b : {butGraphics, butSensAnalysis, butProbInversion}) b->setToolTip(hint);
    butProbInversion->setEnabled(graphics && FileExists(ChangeFileExt(SamplesFileName, ".sae")));
  }
}

void TFrmSimulation::RunClick() {
  if (running_) return;
  if (!LeaveFieldsForRun()) return;
  void* root = SetCurrentDependenceStructureRoot(nullptr, nullptr);
  const int rootType = root ? GetDependenceType(root) : -1;
  StopRequested = false;
  g_active = this;
  TScopeExit clearActive{[this] {
    if (g_active == this) g_active = nullptr;
  }};
  if (Vine_CheckNotTranscended() > 0) {
    wb_.Prompt().Show(TMessageKind::Warning,
                      "One or more vines in the model is not transcended. \n\rSimulation is "
                      "canceled");
    SetCurrentDependenceStructureRoot(root, nullptr);
    return;
  }
  SetOldDiagonalBandMode(RunsTextSetsBandMode(edRuns->text().toStdString()));
  bool skipMatrices = false;
  TDependenceTypeSet types{};
  if (!PrepareStructures(root, types, skipMatrices)) return;

  const bool processSamples = wb_.CurrentFileKind == FileKindSampleFile;
  TRunObjects objects;
  TRunRequest request = ReadRunRequest(objects);
  if (!processSamples) Update_dep_structure();

  ShowRunning(request);
  startTime_ = Now();
  const double started = startTime_;
  lastEta_ = -1;
  lastPercent_ = -1;
  running_ = true;
  const QString oldDir = QDir::currentPath();
  const std::string folder = ExtractFileFolder(wb_.CurrentFileName);
  if (!folder.empty()) QDir::setCurrent(Q(folder));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const QDateTime wallStart = QDateTime::currentDateTime();

  int32_t code = 0;
  {
    TScopeExit idle{[&] {
      SetMessagePumpHook(nullptr);
      running_ = false;
      QDir::setCurrent(oldDir);
      ShowIdle(root, rootType, types, processSamples);
    }};
    SetMessagePumpHook(&PumpMessages);
    TEngineSimulation engine;
    ISimulationEngine& e = Engine ? *Engine : static_cast<ISimulationEngine&>(engine);
    code = RunSeries(e, request, [this] { return StopRequested; });
    ReportOutcome(e, code, request, started, wallStart);
  }
  StopRequested = false;
  if (!processSamples) wb_.Ui().UpdateView(ViewDependence);
  if (BeliefNetMode && CloseWhenDone) done(1);
}

// Pressing Run leaves the fields first; false when the quantile grid refuses.
bool TFrmSimulation::LeaveFieldsForRun() {
  edRuns->setText(Q(runs_.Leave(edRuns->text().toStdString())));
  edSeed->setText(Q(seed_.Leave(edSeed->text().toStdString())));
  edSimuls->setText(Q(simuls_.Leave(edSimuls->text().toStdString())));
  if (chkUDQuantiles->isChecked()) {
    TGridCell cell;
    if (!grid_.CheckUserQuantiles(wb_.Prompt(), &cell)) {
      grdQuantiles->setCurrentCell(cell.Row - 1, cell.Column);
      grdQuantiles->setFocus();
      return false;
    }
  }
  return true;
}

// The request from the choices and the two selection lists; it points into objects.
TRunRequest TFrmSimulation::ReadRunRequest(TRunObjects& objects) {
  ReadChoices(choices_);
  ReadList(listSelSamp, samples_);
  ReadList(listSelDistrib, distributions_);
  TRunSelection selection;
  selection.Samples = samples_.CheckedObjects(true);
  selection.Distributions = distributions_.CheckedObjects(false);
  return BuildRunRequest(choices_, selection, &SimulationProgress, objects, header_.get());
}

// The window while running.
void TFrmSimulation::ShowRunning(const TRunRequest& request) {
  butStop->setVisible(true);
  butRun->setVisible(false);
  butMinimize->setVisible(true);
  butClose->setVisible(false);
  for (QPushButton* b : {butReport, butGraphics, butSensAnalysis, butProbInversion})
    b->setEnabled(false);
  wb_.ReportAvailable = false;
  labStat->setVisible(false);
  ShowRunStatus("", TStatusColour::Normal);
  m_progressBar->reset();
  m_progressBar->setMaximum(1);
  m_progressBar->setVisible(true);
  labETA->setText(QString::number(request.runs) + " runs left");
  savedTitle_ = main_ ? main_->windowTitle() : QString();
  if (main_) main_->setWindowTitle("0% " + savedTitle_);
  setWindowTitle("Running Simulation...");
  QCoreApplication::processEvents();
}

// The window after the run, on every path.
void TFrmSimulation::ShowIdle(void* root, int rootType, const TDependenceTypeSet& types,
                              bool processSamples) {
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  RestoreAfterRun(root, rootType, types);
  setWindowTitle(processSamples ? "Process Samples File" : "Run Simulation");
  if (main_) {
    main_->setWindowTitle(savedTitle_);
    main_->show();
  }
  if (isMinimized()) showNormal();
  if (!BeliefNetMode) m_progressBar->setVisible(false);
  butStop->setVisible(false);
  butRun->setVisible(true);
  butMinimize->setVisible(false);
  butClose->setVisible(true);
  labStat->setVisible(true);
}

void TFrmSimulation::ReportOutcome(ISimulationEngine& e, int32_t code, const TRunRequest& request,
                                   double started, const QDateTime& wallStart) {
  if (code >= 0 && !StopRequested && request.outputName[0] != 0)
    labETA->setText("Saving output file...");
  const std::string message = Cp437ToUtf8(ShortStringView(request.message));
  const TRunOutcome outcome = FinishSeries(e, code, message, StopRequested,
                                           Cp437ToUtf8(ShortStringView(request.outputName)),
                                           static_cast<long long>(Now() - started), BeliefNetMode);
  if (labETA->text() == "Saving output file...") labETA->clear();  // the save has ended
  labStat->setVisible(true);
  ShowRunStatus(outcome.Status, outcome.Colour);
  if (!outcome.ErrorBox.empty()) wb_.Prompt().Show(TMessageKind::Error, outcome.ErrorBox);
  CloseWhenDone = outcome.CloseWhenDone;
  if (outcome.Results) {
    EnableResultButtons(static_cast<double>(wallStart.toMSecsSinceEpoch()) / 1000.0);
    butReport->setEnabled(true);
    wb_.ReportAvailable = true;
  }
}

bool TFrmSimulation::RunForBeliefNet() {
  BeliefNetMode = true;
  // The run reports on the progress window's bar; the dialog's own comes
  // back and the window goes on every path.
  std::unique_ptr<TProgressForm> progress(CreateProgressForm(
      main_, "Launching Pellian", "Preparing variables for the Bayesian Belief Net..."));
  QProgressBar* own = m_progressBar;
  m_progressBar = progress->m_progressBar;
  TScopeExit off{[this, own] {
    m_progressBar = own;
    BeliefNetMode = false;
  }};
  if (!Prepare()) return false;
  RunClick();
  return CloseWhenDone;
}

}  // namespace tesmira::wb
