#include "main_window.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QTimer>
#include <QtGui/QActionGroup>
#include <QtGui/QCloseEvent>
#include <QtGui/QGuiApplication>
#include <QtGui/QKeyEvent>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QVBoxLayout>

#include "file_commands.h"
#include "grid_sizing.h"
#include "result_views.h"
#include "run_listener.h"
#include "services.h"
#include "settings.h"

namespace tesvane {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
constexpr int DesignedVariablesPanelWidth = 225;
constexpr int DesignedLeftPanelWidth = 225;
constexpr int DesignedColumnWidth = 80;
constexpr int DesignedDetailLabelWidth = 150;
constexpr int DesignedDetailPanelWidth = 235;
constexpr int DesignedMatrixLabelWidth = 80;
}  // namespace

TFormTesvaneMain::TFormTesvaneMain(const QString& commandLineFile, QWidget* parent)
    : QMainWindow(parent), commandLineFile_(AbsolutePath(commandLineFile)) {
  setWindowTitle("Tesvane- [No sample file loaded]");
  setMinimumSize(800, 600);
  if (ExeFolder.empty()) ExeFolder = QCoreApplication::applicationDirPath().toStdString();
  listener_ = std::make_unique<TGuiRunListener>(this);
  BuildMenus();
  BuildLayout();
  BuildGrids();
  ApplyStartSettings();
  UnloadSampleFile();
  setWindowTitle("Tesvane- [No sample file loaded]");
}

TFormTesvaneMain::~TFormTesvaneMain() {
  if (worker_) {
    worker_->Terminate();
    worker_->WaitFor();
  }
  // The children outlive this part of the window: their signals (a focus
  // leaving the degree edit) must not reach it any more.
  edtDegree->removeEventFilter(this);
  for (QObject* child : findChildren<QObject*>())
    QObject::disconnect(child, nullptr, this, nullptr);
}

void TFormTesvaneMain::BuildMenus() {
  BuildMenuBar();
  BuildContextMenus();
}

void TFormTesvaneMain::BuildMenuBar() {
  auto action = [this](QMenu* menu, const QString& text, auto slot) {
    QAction* a = menu->addAction(text);
    connect(a, &QAction::triggered, this, [this, slot]() { Guard(slot); });
    return a;
  };
  mnuFile = menuBar()->addMenu("&File");
  actOpen = action(mnuFile, "&Open...", [this]() { OpenFileCommand(); });
  actOpen->setShortcut(QKeySequence("Ctrl+O"));
  // Ctrl+C is the copy key of the focused grid; closing the file is Ctrl+W.
  actClose = action(mnuFile, "&Close", [this]() { UnloadSampleFile(); });
  actClose->setShortcut(QKeySequence("Ctrl+W"));
  mnuReopen = mnuFile->addMenu("&Reopen...");
  mnuFile->addSeparator();
  actExit = action(mnuFile, "&Exit", [this]() {
    if (Running()) {
      close();  // cancels and closes when the run has ended
      return;
    }
    UnloadSampleFile();
    close();
  });

  QMenu* copy = menuBar()->addMenu("&Copy");
  actCopyScatter = action(copy, "C&opy scatter plot", [this]() { CopyChart(MainChart); });
  actCopyCondExp =
      action(copy, "&Copy conditional expectation plot", [this]() { CopyChart(Chart1); });
  for (QAction* a : {actCopyScatter, actCopyCondExp})
    a->setStatusTip("Copy the chart to clipboard for pasting in another application");
  copy->addSeparator();
  actCopyResults =
      action(copy, "Co&py list of results", [this]() { m_gridMainList->CopyToClipboard(); });
  copy->addSeparator();
  actCopyMatrixAll = action(copy, "Cop&y entire correlation/cofactor matrix",
                            [this]() { m_gridCorrMatrix->CopyAllToClipboard(); });
  actCopyMatrixSel = action(copy, "Copy &selection of correlation/cofactor matrix",
                            [this]() { m_gridCorrMatrix->CopyToClipboard(); });

  QMenu* exp = menuBar()->addMenu("&Export");
  actExportScatter =
      action(exp, "&Export scatter plot to file", [this]() { ExportChart(MainChart); });
  actExportScatter->setStatusTip("Export scatter plot to file");
  actExportCondExp = action(exp, "E&xport conditional expectation plot to file",
                            [this]() { ExportChart(Chart1); });
  actExportCondExp->setStatusTip("Export chart to file");
  exp->addSeparator();
  actExportResults = action(exp, "Ex&port results to file", [this]() { ExportResults(); });
  actExportResults->setStatusTip("Export results to file");

  QMenu* tools = menuBar()->addMenu("&Tools");
  actOptions = action(tools, "&Options", [this]() { OptionsCommand(); });
  actRunScript = action(tools, "Run Script", [this]() { RunScriptCommand(); });

  QMenu* help = menuBar()->addMenu("&Help");
  actHelp = action(help, "&Help Contents", [this]() {
    Services().OpenDocument(QCoreApplication::applicationDirPath() + "/TesvaneHelp.html");
  });
  actHelp->setShortcut(QKeySequence(Qt::Key_F1));
  actPdfHelp = action(help, "&Pdf help file",
                      [this]() { Services().OpenDocument(Q(ExeFolder) + "/TesvaneHelp.pdf"); });
  actPdfHelp->setShortcut(QKeySequence(Qt::Key_F2));
  help->addSeparator();
  actAbout = action(help, "&About Tesvane", [this]() { AboutCommand(); });
}

// The context menus share the commands of the menu bar.
void TFormTesvaneMain::BuildContextMenus() {
  auto dotMenu = [this](QMenu* parent, TSensChart** chart, QAction** entries) {
    QMenu* dot = parent->addMenu("Dot size");
    auto* group = new QActionGroup(dot);
    for (int i = 0; i < 3; ++i) {
      entries[i] = dot->addAction(QString("%1 px").arg(i + 1));
      entries[i]->setCheckable(true);
      group->addAction(entries[i]);
      connect(entries[i], &QAction::triggered, this,
              [this, chart, i]() { SetDotSize(*chart, i + 1); });
    }
  };
  mnuScatter = new QMenu(this);
  mnuScatter->addAction(actExportScatter);
  mnuScatter->addAction(actCopyScatter);
  dotMenu(mnuScatter, &MainChart, scatterDot);
  mnuCondExp = new QMenu(this);
  mnuCondExp->addAction(actExportCondExp);
  mnuCondExp->addAction(actCopyCondExp);
  dotMenu(mnuCondExp, &Chart1, condDot);
  actScaleFromRegression = mnuCondExp->addAction("Scale from regression plot");
  actScaleFromRegression->setCheckable(true);
  actScaleFromRegression->setChecked(true);
  connect(actScaleFromRegression, &QAction::triggered, this,
          [this]() { Guard([this]() { ToggleScaleFromRegression(); }); });
  mnuResults = new QMenu(this);
  mnuResults->addAction(actExportResults);
  mnuResults->addAction(actCopyResults);
  mnuMatrix = new QMenu(this);
  QAction* all = mnuMatrix->addAction("Copy entire matrix");
  QAction* sel = mnuMatrix->addAction("Copy selection of matrix");
  connect(all, &QAction::triggered, actCopyMatrixAll, &QAction::trigger);
  connect(sel, &QAction::triggered, actCopyMatrixSel, &QAction::trigger);
  connect(actCopyMatrixAll, &QAction::enabledChanged, all, &QAction::setEnabled);
  connect(actCopyMatrixSel, &QAction::enabledChanged, sel, &QAction::setEnabled);
}

void TFormTesvaneMain::BuildLayout() {
  BuildStatusBar();
  BuildLeftPanel();
  // Right: the two pages.
  PageControl1 = new QTabWidget();
  QFont bold = PageControl1->tabBar()->font();
  bold.setBold(true);
  PageControl1->tabBar()->setFont(bold);
  PageControl1->addTab(BuildResultsPage(), "Results list");
  PageControl1->addTab(BuildDetailsPage(), "Details");
  connect(PageControl1, &QTabWidget::currentChanged, this,
          [this]() { Guard([this]() { PageControl1Change(); }); });

  splMain = new QSplitter(Qt::Horizontal);
  splMain->addWidget(pnlLeft);
  splMain->addWidget(PageControl1);
  splMain->setStretchFactor(1, 1);
  setCentralWidget(splMain);
}

void TFormTesvaneMain::BuildStatusBar() {
  // Status bar: three panels of 200, 400 and 50 pixels; the second holds the
  // progress bar, hidden except during a run.
  statusPanel1 = new QLabel("Ready to perform calculations");
  statusPanel1->setFixedWidth(200);
  statusPanel2 = new QWidget();
  statusPanel2->setFixedWidth(400);
  auto* p2 = new QHBoxLayout(statusPanel2);
  p2->setContentsMargins(0, 0, 3, 0);
  ProgressBar1 = new QProgressBar();
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setVisible(false);
  p2->addWidget(ProgressBar1);
  statusPanel3 = new QLabel();
  statusPanel3->setFixedWidth(50);
  statusBar()->addWidget(statusPanel1);
  statusBar()->addWidget(statusPanel2);
  statusBar()->addWidget(statusPanel3);
}

// The file's figures, the degree of the fit, Run and Cancel, the lists of
// variables.
void TFormTesvaneMain::BuildLeftPanel() {
  pnlLeft = new QWidget();
  auto* left = new QVBoxLayout(pnlLeft);
  auto* info = new QGroupBox("Input file info");
  auto* il = new QVBoxLayout(info);
  lblFileName = new TElidedLabel();
  lblFileName->SetFullText("Sample file name");
  lblVarCount = new QLabel("Number of variables");
  lblSampleCount = new QLabel("Number of samples per variable");
  il->addWidget(lblFileName);
  for (QLabel* l : {lblVarCount, lblSampleCount}) il->addWidget(l);
  left->addWidget(info);
  left->addWidget(BuildDegreeBox());
  auto* buttons = new QHBoxLayout();
  btnRun = new QPushButton("Run");
  btnCancel = new QPushButton("Cancel");
  btnRun->setEnabled(false);
  btnCancel->setEnabled(false);
  buttons->addWidget(btnRun);
  buttons->addWidget(btnCancel);
  left->addLayout(buttons);
  connect(btnRun, &QPushButton::clicked, this,
          [this]() { Guard([this]() { btnCalculateBatchClick(); }); });
  connect(btnCancel, &QPushButton::clicked, this, [this]() { CancelButtonClick(); });
  auto* choose = new QGroupBox("Choose variables");
  pnlVariables = choose;
  auto* cl = new QHBoxLayout(choose);
  auto makeList = [&](const QString& caption, QCheckBox*& box, QListWidget*& list) {
    auto* col = new QVBoxLayout();
    col->addWidget(new QLabel(caption));
    box = new QCheckBox("Select all");
    box->setEnabled(false);
    col->addWidget(box);
    list = new QListWidget();
    col->addWidget(list, 1);
    cl->addLayout(col, 1);
    connect(list, &QListWidget::itemChanged, this, [this, list]() { CheckListChanged(list); });
    connect(box, &QCheckBox::clicked, this, [this, box]() { SelectAllClicked(box, true); });
  };
  makeList("Predicted variables", ckSelAllConditioned, cklstConditioned);
  makeList("Base variables", ckSelAllConditioning, cklstConditioning);
  left->addWidget(choose, 1);
  // The designed width, or more where the texts in the font in use need it.
  pnlLeft->setMinimumWidth(std::max(DesignedLeftPanelWidth, pnlLeft->minimumSizeHint().width()));
}

// The degree of the correlation ratio's polynomial fit: an edit and a slider
// that follow each other.
QWidget* TFormTesvaneMain::BuildDegreeBox() {
  auto* ratio = new QGroupBox("Correlation ratio");
  auto* rl = new QVBoxLayout(ratio);
  auto* degRow = new QHBoxLayout();
  degRow->addWidget(new QLabel("Degree of the polynomial fit"));
  edtDegree = new QLineEdit("3");
  edtDegree->setFixedWidth(30);
  edtDegree->installEventFilter(this);
  degRow->addWidget(edtDegree);
  degRow->addStretch();
  rl->addLayout(degRow);
  trkDegree = new QSlider(Qt::Horizontal);
  trkDegree->setRange(1, 10);
  trkDegree->setValue(3);
  trkDegree->setTickPosition(QSlider::TicksBelow);
  rl->addWidget(trkDegree);
  auto* ends = new QHBoxLayout();
  lblDegMin = new QLabel("1");
  lblDegMax = new QLabel("10");
  ends->addWidget(lblDegMin);
  ends->addStretch();
  ends->addWidget(lblDegMax);
  rl->addLayout(ends);
  connect(trkDegree, &QSlider::valueChanged, this,
          [this](int v) { edtDegree->setText(QString::number(v)); });
  connect(edtDegree, &QLineEdit::textChanged, this, [this](const QString& t) {
    if (IsValidDegreeText(t)) trkDegree->setValue(t.toInt());
  });
  connect(edtDegree, &QLineEdit::editingFinished, this, [this]() {
    if (!IsValidDegreeText(edtDegree->text()))
      edtDegree->setText(QString::number(trkDegree->value()));
  });
  return ratio;
}

// The results list under its Clear button.
QWidget* TFormTesvaneMain::BuildResultsPage() {
  auto* listPage = new QWidget();
  auto* lp = new QVBoxLayout(listPage);
  auto* strip = new QHBoxLayout();
  strip->addStretch();
  btnClear = new QPushButton("Clear");
  strip->addWidget(btnClear);
  strip->addSpacing(25);
  lp->addLayout(strip);
  connect(btnClear, &QPushButton::clicked, this, [this]() {
    Guard([this]() {
      if (Running()) return;
      ClearResults();
      EnableResultCommands(false);
    });
  });
  m_gridMainList = new TNiceGrid();
  lp->addWidget(m_gridMainList, 1);
  return listPage;
}

// One result: its item, variables, grids and charts.
QWidget* TFormTesvaneMain::BuildDetailsPage() {
  auto* details = new QWidget();
  auto* dp = new QVBoxLayout(details);
  auto* head = new QHBoxLayout();
  head->addWidget(new QLabel("Item no"));
  lblItemNo = new QLabel();
  QFont bf = lblItemNo->font();
  bf.setBold(true);
  lblItemNo->setFont(bf);
  lblItemNo->setMinimumWidth(30);
  head->addWidget(lblItemNo);
  btnNavPrev = new QToolButton();
  btnNavPrev->setArrowType(Qt::LeftArrow);
  btnNavNext = new QToolButton();
  btnNavNext->setArrowType(Qt::RightArrow);
  head->addWidget(btnNavPrev);
  head->addWidget(btnNavNext);
  connect(btnNavPrev, &QToolButton::clicked, this,
          [this]() { Guard([this]() { NavigatorStep(-1); }); });
  connect(btnNavNext, &QToolButton::clicked, this,
          [this]() { Guard([this]() { NavigatorStep(1); }); });
  head->addSpacing(10);
  head->addWidget(new QLabel("Predicted variable"));
  lblPredicted = new TElidedLabel();
  lblPredicted->setFont(bf);
  head->addWidget(lblPredicted, 1);
  head->addSpacing(10);
  head->addWidget(new QLabel("Base variable"));
  lblBase = new TElidedLabel();
  lblBase->setFont(bf);
  head->addWidget(lblBase, 1);
  dp->addLayout(head);
  // The explanatory variables on a line of their own, where a list of names
  // has room at the window's default width.
  auto* explanatory = new QHBoxLayout();
  lblExplanatoryCaption = new QLabel("Explanatory variables");
  explanatory->addWidget(lblExplanatoryCaption);
  lblExplanatory = new TElidedLabel();
  lblExplanatory->setFont(bf);
  explanatory->addWidget(lblExplanatory, 1);
  dp->addLayout(explanatory);
  splDetailsV = new QSplitter(Qt::Vertical);
  splDetailsV->addWidget(BuildDetailGrids());
  splDetailsV->addWidget(BuildChartArea());
  // The chart area and the detailed results keep their sizes when the
  // window's size changes.
  splDetailsV->setStretchFactor(0, 1);
  splDetailsV->setStretchFactor(1, 0);
  splDetailsV->installEventFilter(this);
  dp->addWidget(splDetailsV, 1);
  return details;
}

// The detailed results beside the output matrix.
QWidget* TFormTesvaneMain::BuildDetailGrids() {
  splDetails = new QSplitter(Qt::Horizontal);
  pnlDetailLeft = new QWidget();
  pnlDetailLeft->setMinimumWidth(DesignedDetailPanelWidth);
  auto* dl = new QVBoxLayout(pnlDetailLeft);
  dl->setContentsMargins(0, 0, 0, 0);
  dl->addWidget(new QLabel("  Detailed results"));
  m_gridDetailResults = new TNiceGrid();
  dl->addWidget(m_gridDetailResults, 1);
  auto* matrix = new QWidget();
  auto* ml = new QVBoxLayout(matrix);
  ml->setContentsMargins(0, 0, 0, 0);
  auto* mh = new QHBoxLayout();
  mh->addWidget(new QLabel("  Output matrix"));
  ComboBox1 = new QComboBox();
  ComboBox1->addItems({"Product moment correlation", "Cofactor"});
  mh->addWidget(ComboBox1);
  mh->addStretch();
  ml->addLayout(mh);
  m_gridCorrMatrix = new TNiceGrid();
  ml->addWidget(m_gridCorrMatrix, 1);
  connect(ComboBox1, &QComboBox::currentIndexChanged, this,
          [this]() { Guard([this]() { ComboBox1Change(); }); });
  splDetails->addWidget(pnlDetailLeft);
  splDetails->addWidget(matrix);
  splDetails->setStretchFactor(0, 0);
  splDetails->setStretchFactor(1, 1);
  return splDetails;
}

// The polynomial above the scatter and conditional expectation charts.
QWidget* TFormTesvaneMain::BuildChartArea() {
  pnlChartArea = new QWidget();
  auto* ca = new QVBoxLayout(pnlChartArea);
  ca->setContentsMargins(0, 0, 0, 0);
  auto* polyStrip = new QWidget();
  polyStrip->setAutoFillBackground(true);
  QPalette white = polyStrip->palette();
  white.setColor(QPalette::Window, Qt::white);
  polyStrip->setPalette(white);
  auto* ps = new QVBoxLayout(polyStrip);
  ps->setContentsMargins(4, 2, 4, 2);
  ps->addWidget(new QLabel("Conditional expectation polynomial approximation"));
  rchedtPolynomial = new QTextEdit();
  rchedtPolynomial->setReadOnly(true);
  rchedtPolynomial->setFixedHeight(28);
  rchedtPolynomial->setFrameShape(QFrame::NoFrame);
  rchedtPolynomial->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ps->addWidget(rchedtPolynomial);
  ca->addWidget(polyStrip);
  // The two charts half and half: their texts do not widen either.
  auto* charts = new QHBoxLayout();
  charts->setSpacing(0);
  MainChart = new TSensChart(TSensChart::Scatter);
  Chart1 = new TSensChart(TSensChart::Conditional);
  charts->addWidget(MainChart, 1);
  charts->addWidget(Chart1, 1);
  ca->addLayout(charts, 1);
  for (auto [chart, menu] : {std::pair{MainChart, &mnuScatter}, std::pair{Chart1, &mnuCondExp}}) {
    chart->View()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(chart->View(), &QWidget::customContextMenuRequested, this,
            [chart, menu](const QPoint& p) { (*menu)->popup(chart->View()->mapToGlobal(p)); });
  }
  return pnlChartArea;
}

void TFormTesvaneMain::BuildGrids() {
  TNiceGrid* g = m_gridMainList;
  g->BeginUpdate();
  g->SetColCount(ResultListColumns);
  g->SetRowCount(1);
  g->SetHeaderLine(4);
  g->SetGutterKind(gkString);
  g->SetGutterWidth(25);
  QFont gf = g->GutterFont();
  gf.setBold(true);
  g->SetGutterFont(gf);
  g->SetAlternateColor(QColor(245, 245, 245));
  g->SetRowSelect(true);
  g->SetReadOnly(true);
  g->SetShowFooter(false);
  for (int c = 0; c < ResultListColumns; ++c) {
    TNiceColumn* col = g->Columns()[c];
    col->SetTitle(ResultColumnTitles[c]);
    col->SetWidth(DesignedColumnWidth);
    col->ReadOnly = true;
    col->SetHorzAlign(c < 2 ? haLeft : haRight);
    col->NumberText = c >= 2;
  }
  g->EndUpdate();
  g->OnHeaderClick = [this](TNiceGrid*, int col, Qt::MouseButton, Qt::KeyboardModifiers) {
    Guard([this, col]() { SortResultList(col); });
  };
  g->OnDblClick = [this](TNiceGrid*) { Guard([this]() { ResultListDoubleClick(); }); };
  g->OnDrawCell = [this](TNiceGrid* s, QPainter* p, int x, int y, const QRect& rc, bool& h) {
    DrawFlaggedCell(s, p, x, y, rc, h);
  };
  g->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(g, &QWidget::customContextMenuRequested, this,
          [this, g](const QPoint& p) { mnuResults->popup(g->mapToGlobal(p)); });

  TNiceGrid* d = m_gridDetailResults;
  d->BeginUpdate();
  d->SetColCount(1);
  d->SetRowCount(DetailRowCount);
  d->SetHeaderLine(0);
  d->SetGutterKind(gkString);
  d->SetGutterWidth(DesignedDetailLabelWidth);
  d->SetReadOnly(true);
  d->SetFitToWidth(true);
  d->Columns()[0]->SetHorzAlign(haRight);
  d->Columns()[0]->ReadOnly = true;
  d->Columns()[0]->NumberText = true;
  QStringList labels;
  for (const std::string& l : DetailLabels()) labels << Q(l);
  d->SetGutterStrings(labels);
  d->EndUpdate();
  d->OnDrawCell = [this](TNiceGrid* s, QPainter* p, int x, int y, const QRect& rc, bool& h) {
    DrawFlaggedCell(s, p, x, y, rc, h);
  };

  TNiceGrid* m = m_gridCorrMatrix;
  m->BeginUpdate();
  m->SetColCount(1);
  m->SetRowCount(1);
  m->SetGutterKind(gkString);
  m->SetGutterWidth(DesignedMatrixLabelWidth);
  m->SetReadOnly(true);
  m->SetDrawSelectionQ(true);
  m->Columns()[0]->SetHorzAlign(haRight);
  m->Columns()[0]->NumberText = true;
  m->EndUpdate();
  m->OnDrawCell = [this](TNiceGrid* s, QPainter* p, int x, int y, const QRect& rc, bool& h) {
    DrawFlaggedCell(s, p, x, y, rc, h);
  };
  m->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m, &QWidget::customContextMenuRequested, this,
          [this, m](const QPoint& p) { mnuMatrix->popup(m->mapToGlobal(p)); });
  g->SetDrawSelectionQ(true);
  d->SetDrawSelectionQ(true);
  g->SetGutterAscSorted(true);
}

void TFormTesvaneMain::ApplyStartSettings() {
  TIniFile ini(SettingsFileName());
  WriteDefaultSettings(ini, 273, 281);
  recent_ = LoadRecentFiles(ini);
  RebuildReopenMenu();
  const TStartSettings s = ReadStartSettings(ini, DesignedVariablesPanelWidth, DesignedColumnWidth);
  ResultFormat.Precision = s.Precision;
  ResultFormat.FormatString = ResultFormatString(s.Precision, s.NumberFormat);
  // The left panel is as wide as the wider of its own width and that of the
  // variables panel inside it.
  const QMargins margins = pnlLeft->layout()->contentsMargins();
  startPanels_.LeftPanel =
      std::max(s.LeftPanelWidth, s.VariablesPanelWidth + margins.left() + margins.right());
  startPanels_.DetailPanel = s.LeftWidth;
  startPanels_.ChartArea = s.BottomHeight;
  ComboBox1->blockSignals(true);
  ComboBox1->setCurrentIndex(s.MatrixType == 0 ? 0 : 1);
  ComboBox1->blockSignals(false);
  SetDotSize(MainChart, s.Series1DotSize);
  SetDotSize(Chart1, s.LineSeries1DotSize);
  trkDegree->setRange(s.Degree.Min, s.Degree.Max);
  lblDegMin->setText(QString::number(s.Degree.Min));
  lblDegMax->setText(QString::number(s.Degree.Max));
  edtDegree->setText(QString::number(s.Degree.Degree));
  trkDegree->setValue(s.Degree.Degree);
  if (ini.SectionExists(ini::ListView)) {
    m_gridMainList->SetGutterWidth(s.Col0);
    for (int c = 0; c < ShownColumnCount; ++c) {
      m_gridMainList->Columns()[c]->SetWidth(s.ColumnWidths[static_cast<size_t>(c)]);
      m_gridMainList->Columns()[c]->SetVisible(s.ColumnShown[static_cast<size_t>(c)]);
    }
  }
  SizeGridsToFormat(true);
  if (s.WindowMaximized) {
    setWindowState(windowState() | Qt::WindowMaximized);
  } else {
    // Left and Top place the frame, Width and Height size the client area,
    // as they were written at close.
    const QRect placed = KeepInsideScreen(QRect(s.Left, s.Top, s.Width, s.Height));
    resize(placed.size());
    move(placed.topLeft());
  }
}

// Gives the first (or second) pane of a two-pane splitter `size` pixels.
static void SplitAt(QSplitter* splitter, int size, bool first) {
  const int total =
      splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
  const int rest = std::max(total - size - splitter->handleWidth(), 0);
  splitter->setSizes(first ? QList<int>{size, rest} : QList<int>{rest, size});
}

// The splitters divide the widths and heights they have; before the first
// showing they have none, so the panel sizes of the settings wait for it.
void TFormTesvaneMain::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (startPanels_.Applied) return;
  startPanels_.Applied = true;
  // The frame is known now: it too stays on the screen.
  if (!isMaximized()) {
    const QRect frame = frameGeometry();
    const QPoint kept = KeepInsideScreen(frame).topLeft();
    if (kept != frame.topLeft()) move(kept);
  }
  SplitAt(splMain, startPanels_.LeftPanel, true);
  if (splDetailsV->isVisible()) ApplyDetailPanelSizes();
}

void TFormTesvaneMain::ApplyDetailPanelSizes() {
  if (startPanels_.DetailsApplied) return;
  startPanels_.DetailsApplied = true;
  SplitAt(splDetails, startPanels_.DetailPanel, true);
  SplitAt(splDetailsV, startPanels_.ChartArea, false);
}

// The number columns take the width of the widest number of the result
// format in the fonts in use, and the header words and row captions fit;
// with `keepWider` wider columns keep their widths.
void TFormTesvaneMain::SizeGridsToFormat(bool keepWider) {
  const QString widest = WidestNumberText(ResultFormat);
  TNiceGrid* g = m_gridMainList;
  g->BeginUpdate();
  FitNumberColumns(*g, 0, 1, QString(), true);
  FitNumberColumns(*g, 2, ResultListColumns - 1, widest, keepWider);
  g->SetGutterWidth(GutterWidthFor(*g, rowNumbers_, g->GutterWidth()));
  g->EndUpdate();
  TNiceGrid* d = m_gridDetailResults;
  d->SetGutterWidth(GutterWidthFor(*d, d->GutterStrings(), DesignedDetailLabelWidth));
  const int frame = 2 * d->frameWidth() + d->verticalScrollBar()->sizeHint().width();
  pnlDetailLeft->setMinimumWidth(std::max(
      DesignedDetailPanelWidth, d->GutterWidth() + NumberColumnWidth(*d, 0, widest) + frame));
  TNiceGrid* m = m_gridCorrMatrix;
  m->BeginUpdate();
  FitNumberColumns(*m, 0, m->ColCount() - 1, widest, false);
  m->SetGutterWidth(GutterWidthFor(*m, m->GutterStrings(), DesignedMatrixLabelWidth));
  m->EndUpdate();
}

QRect KeepInsideScreen(const QRect& placement) {
  QScreen* screen = QGuiApplication::screenAt(placement.center());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return placement;
  const QRect area = screen->availableGeometry();
  QRect r(placement.topLeft(), placement.size().boundedTo(area.size()));
  if (r.right() > area.right()) r.moveRight(area.right());
  if (r.bottom() > area.bottom()) r.moveBottom(area.bottom());
  if (r.left() < area.left()) r.moveLeft(area.left());
  if (r.top() < area.top()) r.moveTop(area.top());
  return r;
}

void TFormTesvaneMain::WriteSettingsAtClose() {
  TIniFile ini(SettingsFileName());
  // A window that was never shown keeps the sizes it started with.
  const bool shown = startPanels_.Applied, detailsShown = startPanels_.DetailsApplied;
  const QList<int> detail =
                       detailsShown ? splDetails->sizes() : QList<int>{startPanels_.DetailPanel},
                   vertical =
                       detailsShown ? splDetailsV->sizes() : QList<int>{0, startPanels_.ChartArea},
                   main = shown ? splMain->sizes() : QList<int>{startPanels_.LeftPanel};
  WriteDefaultSettings(ini, detail.value(0, 273), vertical.value(1, 281));
  TCloseSettings c;
  c.WindowMaximized = isMaximized();
  // The frame's origin and the client area's size, the same rectangle that
  // the start restores.
  const QRect client = isMaximized() ? normalGeometry() : geometry();
  const QPoint frameOffset = geometry().topLeft() - frameGeometry().topLeft();
  c.Width = client.width();
  c.Height = client.height();
  c.Left = client.left() - frameOffset.x();
  c.Top = client.top() - frameOffset.y();
  c.LeftWidth = detail.value(0, 273);
  c.BottomHeight = vertical.value(1, 281);
  c.MatrixType = ComboBox1->currentIndex();
  c.VariablesPanelWidth = pnlVariables->width();
  c.Series1DotSize = MainChart->DotSize();
  c.LineSeries1DotSize = Chart1->DotSize();
  c.Degree = trkDegree->value();
  c.LeftPanelWidth = main.value(0, 225);
  c.RecentFiles = recent_;
  c.Col0 = m_gridMainList->GutterWidth();
  for (int i = 0; i < ShownColumnCount; ++i)
    c.ColumnWidths[static_cast<size_t>(i)] = m_gridMainList->ColWidths(i);
  WriteCloseSettings(ini, c);
}

void TFormTesvaneMain::RebuildReopenMenu() {
  mnuReopen->clear();
  for (size_t k = 0; k < recent_.size(); ++k) {
    QAction* a = mnuReopen->addAction(Q(RecentFileCaption(static_cast<int32_t>(k), recent_[k])));
    const int position = static_cast<int>(k);
    connect(a, &QAction::triggered, this,
            [this, position]() { Guard([this, position]() { ReopenEntry(position); }); });
  }
  mnuReopen->setEnabled(!Running());
}

bool TFormTesvaneMain::IsValidDegreeText(const QString& text) const {
  bool ok = false;
  const int v = text.toInt(&ok);
  return ok && v >= trkDegree->minimum() && v <= trkDegree->maximum();
}

bool TFormTesvaneMain::event(QEvent* e) {
  // The command-line file opens once, at the first activation.
  if (e->type() == QEvent::WindowActivate && !activated_) {
    activated_ = true;
    if (!commandLineFile_.isEmpty())
      QTimer::singleShot(0, this,
                         [this]() { Guard([this]() { OpenSampleFile(commandLineFile_); }); });
  }
  return QMainWindow::event(e);
}

bool TFormTesvaneMain::eventFilter(QObject* watched, QEvent* e) {
  // The details page has its size when it is first shown.
  if (watched == splDetailsV && e->type() == QEvent::Show && startPanels_.Applied)
    ApplyDetailPanelSizes();
  if (watched == edtDegree) {
    if (e->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(e);
      const bool pass = (k->key() >= Qt::Key_0 && k->key() <= Qt::Key_9) ||
                        k->key() == Qt::Key_Backspace || k->key() == Qt::Key_Return ||
                        k->key() == Qt::Key_Enter || k->key() == Qt::Key_Tab ||
                        k->key() == Qt::Key_Left || k->key() == Qt::Key_Right ||
                        k->key() == Qt::Key_Delete || k->text().isEmpty();
      if (!pass) {
        ShowMessage("Please enter an integer between " + std::to_string(trkDegree->minimum()) +
                    " and " + std::to_string(trkDegree->maximum()));
        return true;
      }
    } else if (e->type() == QEvent::MouseButtonPress) {
      QTimer::singleShot(0, edtDegree, [this]() { edtDegree->selectAll(); });
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

void TFormTesvaneMain::closeEvent(QCloseEvent* e) {
  if (Running()) {
    // The worker finishes its current job; the window closes at FinishRun.
    closeWhenDone_ = true;
    worker_->Terminate();
    btnCancel->setEnabled(false);
    e->ignore();
    return;
  }
  if (!closing_) {
    closing_ = true;
    try {
      WriteSettingsAtClose();
    } catch (const std::exception& ex) {
      ShowError(ex.what());
    }
  }
  e->accept();
}

void TFormTesvaneMain::ShowProgress(bool visible) { ProgressBar1->setVisible(visible); }
void TFormTesvaneMain::SetProgress(int32_t percent) { ProgressBar1->setValue(percent); }
void TFormTesvaneMain::SetStatus(const std::string& text) { statusPanel1->setText(Q(text)); }

void TFormTesvaneMain::SetBusyCursor(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void TFormTesvaneMain::ShowMessage(const std::string& text) {
  Services().Message(this, "Tesvane", Q(text), QMessageBox::NoIcon);
}

void TFormTesvaneMain::ShowError(const std::string& text) {
  Services().Message(this, "Error", Q(text), QMessageBox::Critical);
}

void TFormTesvaneMain::ShowResult(const std::string& message, int32_t kind) {
  const QMessageBox::Icon icon = kind == 0   ? QMessageBox::Information
                                 : kind == 1 ? QMessageBox::Warning
                                 : kind == 2 ? QMessageBox::Critical
                                             : QMessageBox::NoIcon;
  Services().Message(this, "Pellian Script Result", Q(message), icon);
}

}  // namespace tesvane
