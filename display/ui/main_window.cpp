#include "ui/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>

#include "ui/about_box.h"
#include "ui/color_dialog.h"
#include "ui/font_dialog.h"
#include "ui/interface_dialog.h"
#include "ui/services.h"

namespace {

const char* const kPlotNames[5] = {"Cobwebs", "Marginals", "Scatter", "Density", "Histogram"};

// Holds the updating guard for the life of a scope; nested scopes keep it
// until the outermost ends.
class TUpdating {
 public:
  explicit TUpdating(int& counter) : counter_(counter) { ++counter_; }
  ~TUpdating() { --counter_; }

 private:
  int& counter_;
};

QLabel* Caption(const char* text, QWidget* parent) {
  return new QLabel(QString::fromLatin1(text), parent);
}

// A titled box of radio buttons, each stored in its slot with its caption and
// hint, added to layout.
QGroupBox* RadioPanel(
    QWidget* parent, QVBoxLayout* layout, const char* title,
    std::initializer_list<std::pair<QRadioButton**, std::pair<const char*, const char*>>> items) {
  auto* panel = new QGroupBox(QString::fromLatin1(title), parent);
  auto* l = new QVBoxLayout(panel);
  l->setContentsMargins(2, 2, 2, 2);
  auto* group = new QButtonGroup(panel);
  for (const auto& [slot, text] : items) {
    *slot = new QRadioButton(QString::fromLatin1(text.first), panel);
    (*slot)->setToolTip(QString::fromLatin1(text.second));
    group->addButton(*slot);
    l->addWidget(*slot);
  }
  layout->addWidget(panel);
  return panel;
}

}  // namespace

TFrmTesplore::TFrmTesplore(QSize screen)
    : m_tesploreView(new TFrmTesploreView(this)),
      m_document(std::string(), new TServicesPicker, this),
      m_settingsPath(SettingsFilePath()) {
  setObjectName(QStringLiteral("FrmTesplore"));
  SetDialogOwner(this);
  m_tesploreView->setMinimumSize(240, 190);
  m_tesploreView->RealTimeUpdates = [this] { return RealTimeUpdates(); };
  m_tesploreView->OnRecordUndo = [this](std::uint32_t kind) { RecordUndo(kind); };
  m_tesploreView->OnSyncToControls = [this](std::uint32_t flags) { SyncDocument(false, flags); };
  m_tesploreView->OnBoxChanged = [this] { SyncDocument(false, SyncBounds); };
  PrintPanel = new QLabel(QStringLiteral("Preparing to print"), this);
  PrintPanel->setObjectName(QStringLiteral("PrintPanel"));
  PrintPanel->setAlignment(Qt::AlignCenter);
  PrintPanel->setFrameShape(QFrame::Panel);
  PrintPanel->setAutoFillBackground(true);
  PrintPanel->hide();
  m_tesploreView->OnPrintStatus = [this](const QString& text) {
    if (text.isEmpty()) {
      PrintPanel->hide();
      return;
    }
    PrintPanel->setText(text);
    PrintPanel->adjustSize();
    PrintPanel->resize(std::max(PrintPanel->width(), 160), 40);
    const QPoint at = m_tesploreView->mapTo(
        this, QPoint(m_tesploreView->width() / 2, m_tesploreView->height() / 2));
    PrintPanel->move(at.x() - PrintPanel->width() / 2, at.y() - PrintPanel->height() / 2);
    PrintPanel->show();
    PrintPanel->raise();
    QApplication::processEvents();
  };
  m_tesploreView->OnFilesDropped = [this](const QStringList& files) {
    if (!files.isEmpty() && !files.first().isEmpty()) LoadAndShowSampleFile(files.first());
  };

  BuildMenus();
  BuildSidePanel();
  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(m_tesploreView, 1);
  layout->addWidget(Panel1);
  setCentralWidget(central);

  // FormCreate.
  EnableFileCommands(false);
  if (!screen.isValid()) {
    const QScreen* s = QGuiApplication::primaryScreen();
    screen = s ? s->size() : QSize(1024, 768);
  }
  const QFont base = font();
  m_settings = ReadMainSettings(m_settingsPath, screen.width(), screen.height(),
                                base.family().toStdString(), base.pointSize());
  ColorRecord = m_settings.Colors;
  for (int i = 0; i < 2; ++i) {
    QFont f = base;
    f.setFamily(QString::fromStdString(m_settings.Fonts[static_cast<std::size_t>(i)].Name));
    if (m_settings.Fonts[static_cast<std::size_t>(i)].Size > 0) {
      f.setPointSize(m_settings.Fonts[static_cast<std::size_t>(i)].Size);
    }
    PlotFonts[i] = f;
  }
  for (int i = 0; i < 4; ++i) {
    const QString path = QString::fromStdString(m_settings.Mru[static_cast<std::size_t>(i)]);
    m_mru[static_cast<std::size_t>(i)]->setText(path);
    m_mru[static_cast<std::size_t>(i)]->setToolTip(path);
    m_mru[static_cast<std::size_t>(i)]->setVisible(!path.isEmpty());
  }
  const TWindowPlacement& p = m_settings.Placement;
  if (p.Placed()) {
    setGeometry(p.Left, p.Top, p.Width, p.Height);
  } else {
    resize(808 + 0, 671 + menuBar()->sizeHint().height());
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
  }
  if (m_settings.Maximized) setWindowState(Qt::WindowMaximized);
  m_actToolbar->setChecked(m_settings.Toolbar);
  ToolBar1->setVisible(m_settings.Toolbar);
  m_actParameters->setChecked(m_settings.Parameters);
  Panel1->setVisible(m_settings.Parameters);
  m_actRT->setChecked(m_settings.RTUpdate);
  butRT->setChecked(m_settings.RTUpdate);
  setAcceptDrops(true);
  m_tesploreView->SetDocument(&m_document);
  SyncDocument(false, SyncAll);
  m_tesploreView->SetImageSize(std::max(m_tesploreView->width(), 1),
                               std::max(m_tesploreView->height(), 1));
  m_tesploreView->Render(true);
  ShowPlotPanels(true);
  UpdateCaption();
  qApp->installEventFilter(this);
}

TFrmTesplore::~TFrmTesplore() {
  qApp->removeEventFilter(this);
  if (!m_written) {
    // FormDestroy: the window's own sections.
    m_settings.Maximized = isMaximized();
    const bool normal = !isMaximized() && !isMinimized();
    if (normal) m_settings.Placement = TWindowPlacement{y(), x(), width(), height()};
    m_settings.Toolbar = m_actToolbar->isChecked();
    m_settings.Parameters = m_actParameters->isChecked();
    m_settings.RTUpdate = butRT->isChecked();
    // The folder of the file last chosen in the Open dialog, else the one read.
    if (!m_lastOpened.isEmpty()) {
      m_settings.OpenDir = QFileInfo(m_lastOpened).absolutePath().toStdString() + "/";
    }
    m_settings.Colors = ColorRecord;
    for (int i = 0; i < 2; ++i) {
      m_settings.Fonts[static_cast<std::size_t>(i)] =
          TFontSetting{PlotFonts[i].family().toStdString(), PlotFonts[i].pointSize()};
    }
    for (int i = 0; i < 4; ++i) {
      m_settings.Mru[static_cast<std::size_t>(i)] =
          m_mru[static_cast<std::size_t>(i)]->toolTip().toStdString();
    }
    WriteMainSettings(m_settingsPath, m_settings, normal);
    m_written = true;
  }
  m_tesploreView->SetDocument(nullptr);
}

void TFrmTesplore::closeEvent(QCloseEvent* event) { event->accept(); }

void TFrmTesplore::ShowException(const ut::String& caption, const ut::Exception& e,
                                 const ut::String& message) {
  ShowExceptionBox(QString::fromStdString(message), e, QString::fromStdString(caption));
}

void TFrmTesplore::BuildMenus() {
  BuildFileMenu();
  BuildEditMenu();
  BuildViewMenu();
  BuildVariableShortcuts();
  BuildOptionsAndHelpMenus();
  BuildToolBar();
}

void TFrmTesplore::BuildFileMenu() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  m_actOpen =
      file->addAction(QStringLiteral("&Open a Sample File..."), this, [this] { OpenFile(); });
  m_actOpen->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
  m_actSaveSel = file->addAction(QStringLiteral("Save Selected Samples..."), this,
                                 [this] { SaveSelection(); });
  file->addSeparator();
  m_actExport = file->addAction(QStringLiteral("Export to &Bitmap..."), this, [this] {
    const QString path = Services().SaveFile(QStringLiteral("Choose Export File Name"),
                                             QStringLiteral("Bitmap file (*.bmp)"), QString(),
                                             QStringLiteral("bmp"));
    if (!path.isEmpty()) m_tesploreView->ExportImage(path);
  });
  file->addSeparator();
  m_actPrint = file->addAction(QStringLiteral("&Print..."), this,
                               [this] { m_tesploreView->PrintPlot(windowTitle()); });
  m_actPrint->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
  file->addSeparator();
  for (int i = 0; i < 4; ++i) {
    QAction* a = file->addAction(QString());
    a->setVisible(false);
    connect(a, &QAction::triggered, this, [this, a] { LoadAndShowSampleFile(a->toolTip()); });
    m_mru[static_cast<std::size_t>(i)] = a;
  }
  file->addSeparator();
  m_actExit = file->addAction(QStringLiteral("E&xit"), this, [this] { close(); });
}

void TFrmTesplore::BuildEditMenu() {
  QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
  m_actUndo = edit->addAction(QStringLiteral("Undo"), this, [this] { StepHistory(true); });
  m_actUndo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
  m_actRedo = edit->addAction(QStringLiteral("Redo"), this, [this] { StepHistory(false); });
  m_actRedo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+Z")));
  m_actUndo->setEnabled(false);
  m_actRedo->setEnabled(false);
  edit->addSeparator();
  m_actCopy =
      edit->addAction(QStringLiteral("&Copy"), this, [this] { m_tesploreView->CopyToClipboard(); });
  m_actCopy->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
}

void TFrmTesplore::BuildViewMenu() {
  QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
  const char* captions[5] = {"Cob&webs", "&Marginals", "&Scatter", "&Density", "&Histogram"};
  const char* keys[5] = {"Ctrl+W", "Ctrl+M", "Ctrl+S", "Ctrl+D", "Ctrl+H"};
  auto* plotGroup = new QActionGroup(this);
  for (int t = 0; t < 5; ++t) {
    QAction* a = view->addAction(QString::fromLatin1(captions[t]));
    a->setShortcut(QKeySequence(QString::fromLatin1(keys[t])));
    a->setCheckable(true);
    a->setData(t);
    plotGroup->addAction(a);
    connect(a, &QAction::triggered, this, [this, t] { SetPlotType(t); });
    m_actPlot[static_cast<std::size_t>(t)] = a;
  }
  m_actPlot[0]->setChecked(true);
  view->addSeparator();
  m_actParameters = view->addAction(QStringLiteral("&Parameters"));
  m_actParameters->setCheckable(true);
  m_actParameters->setChecked(true);
  connect(m_actParameters, &QAction::toggled, this, [this](bool on) { Panel1->setVisible(on); });
  m_actToolbar = view->addAction(QStringLiteral("Tool Bar"));
  m_actToolbar->setCheckable(true);
  m_actToolbar->setChecked(true);
  connect(m_actToolbar, &QAction::toggled, this, [this](bool on) { ToolBar1->setVisible(on); });
  view->addSeparator();
  m_actRT = view->addAction(QStringLiteral("Real-Time Updates"));
  m_actRT->setCheckable(true);
  connect(m_actRT, &QAction::toggled, this, [this](bool on) { butRT->setChecked(on); });
  view->addSeparator();
  QMenu* reset = view->addMenu(QStringLiteral("Reset"));
  m_actReset = reset->menuAction();
  m_actResetVars =
      reset->addAction(QStringLiteral("Variables"), this, [this] { ResetVariables(); });
  m_actResetParams =
      reset->addAction(QStringLiteral("Plot Parameters"), this, [this] { ResetPlotParams(); });
  m_actResetAll = reset->addAction(QStringLiteral("Both"), this, [this] {
    ResetVariables(false);
    ResetPlotParams(true);
  });
  m_actEditLayout = view->addAction(QStringLiteral("Edit Layout"));
  m_actEditLayout->setVisible(false);
}

// The hidden Variables menu: its shortcuts act through the window.
void TFrmTesplore::BuildVariableShortcuts() {
  m_actSelAll = new QAction(QStringLiteral("Select all"), this);
  m_actSelAll->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
  m_actSelNone = new QAction(QStringLiteral("Select none"), this);
  m_actSelNone->setShortcut(QKeySequence(QStringLiteral("Ctrl+U")));
  m_actSelInvert = new QAction(QStringLiteral("Invert selection"), this);
  m_actSelInvert->setShortcut(QKeySequence(QStringLiteral("Ctrl+I")));
  connect(m_actSelAll, &QAction::triggered, this, [this] { VarSel(0); });
  connect(m_actSelNone, &QAction::triggered, this, [this] { VarSel(1); });
  connect(m_actSelInvert, &QAction::triggered, this, [this] { VarSel(4); });
  addActions({m_actSelAll, m_actSelNone, m_actSelInvert});

  // Its two items without a command.
  addActions(
      {new QAction(QStringLiteral("Input"), this), new QAction(QStringLiteral("Output"), this)});
}

void TFrmTesplore::BuildOptionsAndHelpMenus() {
  QMenu* options = menuBar()->addMenu(QStringLiteral("Options"));
  m_actColor = options->addAction(QStringLiteral("&Color..."), this, [this] { Colors1Click(); });
  m_actFont = options->addAction(QStringLiteral("&Font..."), this, [this] { Font1Click(); });
  m_actInterface =
      options->addAction(QStringLiteral("&Interface..."), this, [this] { Misc1Click(); });

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  m_actIndex = help->addAction(QStringLiteral("&Index"), this, [this] { ShowKeys(); });
  m_actIndex->setShortcut(QKeySequence(Qt::Key_F1));
  m_actHelpFile = help->addAction(QStringLiteral("Help file"), this, [] {
    Services().OpenDocument(QCoreApplication::applicationDirPath() +
                            QStringLiteral("/TesploreHelp.doc"));
  });
  m_actHelpFile->setShortcut(QKeySequence(Qt::Key_F2));
  m_actAbout = help->addAction(QStringLiteral("&About..."), this, [this] { About1Click(); });
}

void TFrmTesplore::BuildToolBar() {
  ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  auto button = [this](QAction* a, const char* hint) {
    ToolBar1->addAction(a);
    if (auto* b = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(a)))
      b->setToolTip(QString::fromLatin1(hint));
  };
  button(m_actOpen, "Open a Samples File");
  ToolBar1->addSeparator();
  button(m_actCopy, "Copy display to clipboard");
  button(m_actExport, "Save display as bitmap");
  button(m_actPrint, "Print");
  ToolBar1->addSeparator();
  const char* hints[5] = {"Cobwebs (c,w)", "Marginals (m)", "Scatter (s, t)", "Density (d,e)",
                          "Histogram (h)"};
  for (int t = 0; t < 5; ++t) button(m_actPlot[static_cast<std::size_t>(t)], hints[t]);
  ToolBar1->addSeparator();
  button(m_actParameters, "Parameters panel visibility");
  button(m_actFont, "Set font");
  button(m_actColor, "Set color");
  ToolBar1->addSeparator();
  butRT = new QToolButton(ToolBar1);
  butRT->setText(QStringLiteral("Real-Time Updates"));
  butRT->setToolTip(QStringLiteral("Enable real-time updates when mouse is draged"));
  butRT->setCheckable(true);
  connect(butRT, &QToolButton::toggled, this, [this](bool on) { m_actRT->setChecked(on); });
  ToolBar1->addWidget(butRT);
  ToolButton15 = new QToolButton(ToolBar1);
  ToolButton15->setText(QStringLiteral("Remove filter"));
  ToolButton15->setToolTip(QStringLiteral("Remove the samples filter"));
  connect(ToolButton15, &QToolButton::clicked, this,
          [this] { m_tesploreView->Removethesamplesfilter1Click(); });
  ToolBar1->addWidget(ToolButton15);
  button(m_actReset, "Reset");
  ToolBar1->addSeparator();
  button(m_actIndex, "Help");
  Label9 =
      new QLabel(QStringLiteral("    Right-click on plot area for additional options"), ToolBar1);
  ToolBar1->addWidget(Label9)->setVisible(false);
  Label9->setVisible(false);
}

// The number of samples and the list of variables with its selection buttons.
void TFrmTesplore::BuildVariablesArea() {
  Panel2 = new QWidget(Panel1);
  auto* p2 = new QVBoxLayout(Panel2);
  p2->setContentsMargins(0, 0, 0, 0);
  auto* row = new QHBoxLayout;
  row->addWidget(Caption("Plot samples:", Panel2));
  TotalSamples = new QLabel(QStringLiteral("(Total: 0)"), Panel2);
  TotalSamples->setAlignment(Qt::AlignRight);
  row->addWidget(TotalSamples);
  p2->addLayout(row);
  NumSamplesT = new QSlider(Qt::Horizontal, Panel2);
  NumSamplesT->setMinimum(2);
  NumSamplesT->setMaximum(200);
  NumSamplesT->setToolTip(QStringLiteral("Drag to change number of displayed samples"));
  p2->addWidget(NumSamplesT);
  NumSamplesE = new QLineEdit(QStringLiteral("200"), Panel2);
  NumSamplesE->setToolTip(QStringLiteral("Number of displayed samples"));
  p2->addWidget(NumSamplesE);
  p2->addWidget(Caption("Variables:", Panel2));
  auto* buttons = new QHBoxLayout;
  const std::pair<const char*, const char*> sel[5] = {{"All", "Select all variables (Ctrl-A)"},
                                                      {"Clr", "Unselect all variables (Ctrl-U)"},
                                                      {"Inv", "Invert variable selection (Ctrl-I)"},
                                                      {"I", "Select input variables"},
                                                      {"O", "Select output variables"}};
  const int tags[5] = {0, 1, 4, 2, 3};
  for (int i = 0; i < 5; ++i) {
    auto* b = new QToolButton(Panel2);
    b->setText(QString::fromLatin1(sel[i].first));
    b->setToolTip(QString::fromLatin1(sel[i].second));
    const int tag = tags[i];
    connect(b, &QToolButton::clicked, this, [this, tag] { VarSel(tag); });
    buttons->addWidget(b);
  }
  p2->addLayout(buttons);
  m_lstRandVar = new QListWidget(Panel2);
  m_lstRandVar->setToolTip(QStringLiteral("Display selected variables"));
  m_lstRandVar->setDragDropMode(QAbstractItemView::InternalMove);
  m_lstRandVar->setContextMenuPolicy(Qt::CustomContextMenu);
  PopupVar = new QMenu(m_lstRandVar);
  const std::pair<const char*, int> popup[5] = {{"Select All", 0},
                                                {"Select None", 1},
                                                {"Input Variables", 2},
                                                {"Output Variables", 3},
                                                {"Invert selection", 4}};
  for (const auto& [text, tag] : popup) {
    PopupVar->addAction(QString::fromLatin1(text), this, [this, tag = tag] { VarSel(tag); });
  }
  connect(m_lstRandVar, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupVar->popup(m_lstRandVar->viewport()->mapToGlobal(at)); });
  p2->addWidget(m_lstRandVar, 1);
}

void TFrmTesplore::BuildSidePanel() {
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedWidth(177);
  auto* outer = new QVBoxLayout(Panel1);
  outer->setContentsMargins(2, 2, 2, 2);
  BuildVariablesArea();

  // The splitter sets the height of the variables area above the options.
  Splitter1 = new QSplitter(Qt::Vertical, Panel1);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setChildrenCollapsible(false);
  Splitter1->addWidget(Panel2);
  auto* options = new QWidget(Splitter1);
  auto* opts = new QVBoxLayout(options);
  opts->setContentsMargins(0, 0, 0, 0);
  Splitter1->addWidget(options);
  Splitter1->setStretchFactor(0, 1);
  outer->addWidget(Splitter1, 1);
  BuildPlotOptions(opts);
  QPushButton* fitNow = BuildFitOptions(opts);
  opts->addStretch(1);
  for (QWidget* w : {OptSmooth, OptScale1, OptScale2, OptFit}) w->setVisible(false);
  ConnectSidePanel(fitNow);
}

void TFrmTesplore::BuildPlotOptions(QVBoxLayout* opts) {
  OptSmooth = new QWidget(Panel1);
  auto* sm = new QHBoxLayout(OptSmooth);
  sm->setContentsMargins(0, 0, 0, 0);
  labSmooth = Caption("Smooth", OptSmooth);
  sm->addWidget(labSmooth);
  BWidth = new QSlider(Qt::Horizontal, OptSmooth);
  BWidth->setRange(1, 40);
  BWidth->setPageStep(4);
  BWidth->setValue(13);
  BWidth->setToolTip(QStringLiteral("Smoothing factor (o/O)"));
  sm->addWidget(BWidth);
  opts->addWidget(OptSmooth);

  OptScale1 = RadioPanel(Panel1, opts, "Scale:",
                         {{&Cob0, {"Percentiles", "(p)"}},
                          {&Cob1, {"Natural", "(n)"}},
                          {&Cob2, {"Logarithmic", "(l)"}}});
  chkCrossDensity = new QCheckBox(QStringLiteral("Cross-density"), OptScale1);
  OptScale1->layout()->addWidget(chkCrossDensity);
  OptScale2 = RadioPanel(
      Panel1, opts, "Plot Type:",
      {{&Dens0, {"Relative", "(r)"}}, {&Dens1, {"Cumulative", "(q)"}}, {&Dens2, {"Absolute", ""}}});
  Dens2->setVisible(false);
}

// The fit of the plot with the bounds' edits and sliders; returns the "Fit
// Now" button.
QPushButton* TFrmTesplore::BuildFitOptions(QVBoxLayout* opts) {
  OptFit = RadioPanel(
      Panel1, opts, "Plot Fit:",
      {{&Fit1, {"Selected Variable", "Scale to fit selected (or first next visible) varable"}},
       {&Fit2, {"Visible Variables", "Scale to fit ALL visible varables"}},
       {&Fit3, {"Manual", "Manual scaling (enter extremes in text boxes bellow)"}}});
  auto* fit = static_cast<QVBoxLayout*>(OptFit->layout());
  auto* mark = new QPushButton(QStringLiteral("mark range"), OptFit);
  mark->setToolTip(
      QStringLiteral("Update view bounding box with values of range selection sliders"));
  connect(mark, &QPushButton::clicked, this, [this] { ZoomToSliders(); });
  fit->addWidget(mark);
  const char* editHints[4] = {"Horizontal axes left boudary", "Horizontal axes right boundary",
                              "Vertical axes bottom boundary", "Vertical axes top boundary"};
  const char* barHints[4] = {"Move left boundry to right", "Move right boundry to right",
                             "Move bottom boundry up", "Move top boundry down"};
  for (int pair = 0; pair < 2; ++pair) {
    auto* edits = new QHBoxLayout;
    edits->addWidget(Caption(pair == 0 ? "H." : "V.", OptFit));
    for (int i = 2 * pair; i < 2 * pair + 2; ++i) {
      auto* e = new QLineEdit(QStringLiteral("0"), OptFit);
      e->setToolTip(QString::fromLatin1(editHints[i]));
      connect(e, &QLineEdit::editingFinished, this, [this] { BoundEdited(); });
      m_bounds[static_cast<std::size_t>(i)] = e;
      edits->addWidget(e);
    }
    fit->addLayout(edits);
    auto* bars = new QHBoxLayout;
    for (int i = 2 * pair; i < 2 * pair + 2; ++i) {
      auto* s = new QSlider(Qt::Horizontal, OptFit);
      s->setRange(0, 100);
      s->setPageStep(4);
      s->setValue(i % 2 == 0 ? 0 : 100);
      s->setToolTip(QString::fromLatin1(barHints[i]));
      connect(s, &QSlider::valueChanged, this, [this, i] { ZoomBarChanged(i); });
      m_zoomBars[static_cast<std::size_t>(i)] = s;
      bars->addWidget(s);
    }
    auto* r = new QPushButton(QStringLiteral("R"), OptFit);
    r->setToolTip(QStringLiteral("Reset sliders"));
    r->setFixedWidth(20);
    connect(r, &QPushButton::clicked, this, [this, pair] { ResetSliders(2 * pair); });
    bars->addWidget(r);
    fit->addLayout(bars);
  }
  FitAuto = new QCheckBox(QStringLiteral("Auto"), OptFit);
  FitAuto->setToolTip(
      QStringLiteral("Automaticaly update borders when conditions change (works only with Selected "
                     "or Visible Variables fit)"));
  fit->addWidget(FitAuto);
  auto* fitNow = new QPushButton(QStringLiteral("Fit Now"), OptFit);
  fit->addWidget(fitNow);
  return fitNow;
}

void TFrmTesplore::ConnectSidePanel(QPushButton* fitNow) {
  connect(NumSamplesT, &QSlider::valueChanged, this, [this] { NumSamplesChanged(); });
  connect(NumSamplesE, &QLineEdit::editingFinished, this, [this] { NumSamplesEdited(); });
  connect(m_lstRandVar, &QListWidget::itemChanged, this,
          [this](QListWidgetItem* item) { ListCheckChanged(item); });
  connect(m_lstRandVar, &QListWidget::currentRowChanged, this, [this](int) {
    const int previous = m_currentRow;
    m_currentRow = m_lstRandVar->currentRow();
    ListCurrentChanged(previous);
  });
  connect(m_lstRandVar->model(), &QAbstractItemModel::rowsMoved, this, [this] { ListDropped(); });
  connect(BWidth, &QSlider::valueChanged, this, [this] {
    if (!m_updating) SyncDocument(true, SyncParameters | SyncRedraw);
  });
  for (QRadioButton* r : {Dens0, Dens1, Dens2}) {
    connect(r, &QRadioButton::clicked, this, [this] {
      if (m_updating) return;
      RecordUndo(ViewScalars);
      SyncDocument(true, SyncParameters | SyncRedraw);
    });
  }
  for (QRadioButton* r : {Cob0, Cob1, Cob2}) {
    connect(r, &QRadioButton::clicked, this, [this] {
      if (m_updating) return;
      RecordUndo(ViewScalars);
      SyncDocument(true, SyncParameters);
      m_document.UpdateFilter();
      SyncDocument(true, SyncRedraw);
    });
  }
  connect(chkCrossDensity, &QCheckBox::clicked, this, [this] {
    if (m_updating) return;
    RecordUndo(ViewScalars);
    SyncDocument(true, SyncParameters);
    SyncDocument(true, SyncRedraw);
  });
  auto fitClick = [this] {
    if (m_updating) return;
    RecordUndo(ViewScalars);
    SyncDocument(true, SyncParameters | SyncRedraw);
    SyncDocument(false, SyncBounds);
  };
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{Fit1, Fit2, Fit3, FitAuto}) {
    connect(b, &QAbstractButton::clicked, this, fitClick);
  }
  connect(fitNow, &QPushButton::clicked, this, [this] {
    RecordUndo(ViewScalars);
    m_document.UpdateBoundingBox(true);
    SyncDocument(true, SyncRedraw);
    SyncDocument(false, SyncBounds);
  });
}

QStringList TFrmTesplore::RecentFiles() const {
  QStringList list;
  for (QAction* a : m_mru) list << a->toolTip();
  return list;
}

void TFrmTesplore::UpdateRecentFiles(const QString& path) {
  int k = 4;
  for (int i = 0; i < 4; ++i) {
    if (m_mru[static_cast<std::size_t>(i)]->toolTip() == path) {
      k = i;
      break;
    }
  }
  for (int j = std::min(k - 1, 2); j >= 0; --j) {
    const QString p = m_mru[static_cast<std::size_t>(j)]->toolTip();
    m_mru[static_cast<std::size_t>(j + 1)]->setText(p);
    m_mru[static_cast<std::size_t>(j + 1)]->setToolTip(p);
    m_mru[static_cast<std::size_t>(j + 1)]->setVisible(!p.isEmpty());
  }
  m_mru[0]->setText(path);
  m_mru[0]->setToolTip(path);
  m_mru[0]->setVisible(true);
}

void TFrmTesplore::LoadAndShowSampleFile(const QString& path) {
  const fn::SampleFileType type = fn::SampleFileTypeOf(path.toStdString());
  m_document.Clear();
  m_actUndo->setEnabled(false);
  m_actRedo->setEnabled(false);
  bool enable = false;
  if (m_document.LoadFile(path.toStdString(), type)) {
    m_currentFile = path;
    SyncDocument(false, SyncAll);
    m_tesploreView->Render(true);
    TotalSamples->setText(
        QStringLiteral("(Total: %1)").arg(m_document.Samples().GetNumSamplesInFile()));
    UpdateRecentFiles(path);
    m_tesploreView->SetPrintTitle(QFileInfo(path).completeBaseName());
    enable =
        m_document.Samples().NumVariables() > 0 && m_document.Samples().GetVariable(0).HasSamples();
  } else {
    m_document.Clear();
    SyncDocument(false, SyncAll);
    SyncDocument(true, SyncAll);
    m_currentFile.clear();
  }
  EnableFileCommands(enable);
  UpdateCaption();
}

void TFrmTesplore::UpdateCaption() {
  if (m_currentFile.isEmpty()) {
    setWindowTitle(QStringLiteral("Tesplore - no sample file loaded"));
    QApplication::setApplicationDisplayName(QString());
    return;
  }
  const QString name = QFileInfo(m_currentFile).completeBaseName();
  const int type = std::clamp(m_document.m_plotType, 0, 4);
  setWindowTitle(
      QStringLiteral("Tesplore - %1 [%2]").arg(name, QString::fromLatin1(kPlotNames[type])));
}

void TFrmTesplore::EnableFileCommands(bool v) {
  for (QAction* a : {m_actSaveSel, m_actReset, m_actExport, m_actCopy, m_actPrint})
    a->setEnabled(v);
  for (QWidget* w : {Panel2, OptSmooth, OptScale1, OptScale2, OptFit}) {
    for (QWidget* c : w->findChildren<QWidget*>()) c->setEnabled(v);
  }
  ToolButton15->setEnabled(v);
}

void TFrmTesplore::EnablePlotControls(bool v) {
  for (QWidget* w : {OptSmooth, OptScale1, OptScale2, OptFit}) {
    for (QWidget* c : w->findChildren<QWidget*>()) c->setEnabled(v);
  }
  for (QAction* a : {m_actPrint, m_actExport, m_actCopy, m_actReset}) a->setEnabled(v);
  ToolButton15->setEnabled(v);
}

void TFrmTesplore::ShowPlotPanels(bool show) {
  const bool samples = m_document.Samples().NumVariables() > 0;
  switch (m_document.m_plotType) {
    case PlotCobwebs:
    case PlotMarginals:
      OptSmooth->setVisible(show);
      if (m_document.m_plotType == PlotCobwebs) OptScale1->setVisible(show);
      Label9->setVisible(show);
      m_actRT->setEnabled(show);
      butRT->setEnabled(show);
      ToolButton15->setEnabled(show && samples);
      m_actSaveSel->setEnabled(show && samples);
      break;
    case PlotScatter: OptFit->setVisible(show); break;
    default:
      OptScale2->setVisible(show);
      OptFit->setVisible(show);
      OptSmooth->setVisible(show);
      break;
  }
  SyncDocument(false, SyncChecks);
}

void TFrmTesplore::RecordUndo(std::uint32_t kind, std::unique_ptr<TColorRecord> colours) {
  m_actUndo->setEnabled(true);
  m_actRedo->setEnabled(false);
  m_document.PushView(kind, std::move(colours));
}

void TFrmTesplore::SetPlotType(int type) {
  if (m_updating) return;
  RecordUndo(ViewScalars);
  ShowPlotPanels(false);
  m_actPlot[static_cast<std::size_t>(type)]->setChecked(true);
  m_document.m_plotType = type;
  SyncDocument(true, SyncRedraw);
  ShowPlotPanels(true);
  UpdateCaption();
}

void TFrmTesplore::StepHistory(bool undo) {
  ShowPlotPanels(false);
  m_document.StepView(undo);
  m_actRedo->setEnabled(m_document.CanRedo());
  m_actUndo->setEnabled(m_document.CanUndo());
  m_document.UpdateFilter();
  SyncDocument(false, SyncAll);
  SyncDocument(false, SyncChecks);
  SyncDocument(true, SyncRedraw);
  ShowPlotPanels(true);
  UpdateCaption();
}

bool TFrmTesplore::NothingToPlot() const {
  const std::uint32_t n = m_document.CountVisible();
  return (n < 2 && m_document.m_plotType == PlotCobwebs) ||
         (m_document.m_plotType == PlotScatter &&
          (m_document.m_scatterX == -1 || m_document.m_scatterY == -1)) ||
         n < 1;
}

void TFrmTesplore::SyncDocument(bool toDocument, std::uint32_t flags) {
  TUpdating guard(m_updating);
  if (toDocument)
    ControlsToDocument(flags);
  else
    DocumentToControls(flags);
}

void TFrmTesplore::ControlsToDocument(std::uint32_t flags) {
  SampleDataView& doc = m_document;
  const bool scatter = doc.m_plotType == PlotScatter;
  TBox& bounds = scatter ? doc.m_scatterBox : doc.m_box;
  if (flags & SyncVariables) {
    const int n = std::min<int>(m_lstRandVar->count(), static_cast<int>(doc.m_order.size()));
    bool first = true;
    for (int i = 0; i < n; ++i) {
      QListWidgetItem* item = m_lstRandVar->item(i);
      doc.m_order[static_cast<std::size_t>(i)] =
          static_cast<fn::CTesploreVar*>(item->data(Qt::UserRole).value<void*>());
      const bool checked = item->checkState() == Qt::Checked;
      if (!scatter) {
        doc.m_visible[static_cast<std::size_t>(i)] = checked ? 1 : 0;
      } else if (checked) {
        (first ? doc.m_scatterX : doc.m_scatterY) = i;
        first = false;
      }
    }
    doc.UpdateFilter();
    EnablePlotControls(!NothingToPlot());
  }
  if (m_lstRandVar->currentRow() >= 0) doc.m_selectedVar = m_lstRandVar->currentRow();
  if (flags & SyncParameters) {
    doc.m_smoothing = static_cast<float>(BWidth->value() * 0.125);
    doc.m_densityMode = Dens0->isChecked() ? 0 : Dens1->isChecked() ? 1 : 2;
    doc.m_cobwebScale = Cob0->isChecked() ? 0 : Cob1->isChecked() ? 1 : 2;
    doc.m_autoBox = FitAuto->isChecked();
    doc.m_crossDensity = chkCrossDensity->isChecked() ? 1 : 0;
    const int kind = Fit1->isChecked() ? 0 : Fit2->isChecked() ? 1 : 2;
    if (kind != doc.m_boxType) {
      doc.m_boxType = kind;
      if (doc.m_numVars > 0) doc.UpdateBoundingBox(true);
    }
  }
  if ((flags & SyncSamples) &&
      static_cast<std::uint32_t>(NumSamplesT->value()) != doc.m_numSamples) {
    doc.SetNumSamples(static_cast<std::uint32_t>(NumSamplesT->value()));
    doc.UpdateFilter();
  }
  if (flags & SyncBounds) {
    for (int i = 0; i < 4; ++i) {
      QLineEdit* e = m_bounds[static_cast<std::size_t>(i)];
      if (!e->isModified()) continue;
      e->setModified(false);
      bool ok = false;
      const float v = e->text().trimmed().toFloat(&ok);
      if (!ok) break;
      (&bounds.x0)[i] = v;
    }
  }
  if (flags & SyncRedraw) m_tesploreView->Render(true);
}

void TFrmTesplore::DocumentToControls(std::uint32_t flags) {
  SampleDataView& doc = m_document;
  const bool scatter = doc.m_plotType == PlotScatter;
  const TBox& bounds = scatter ? doc.m_scatterBox : doc.m_box;
  const bool showSmooth = doc.m_plotType != PlotCobwebs || doc.m_crossDensity;
  BWidth->setVisible(showSmooth);
  labSmooth->setVisible(showSmooth);
  auto checkRule = [&](int i) {
    return scatter ? (i == doc.m_scatterX || i == doc.m_scatterY)
                   : doc.m_visible[static_cast<std::size_t>(i)] != 0;
  };
  if (flags & SyncVariables) {
    m_lstRandVar->clear();
    for (std::size_t i = 0; i < doc.m_order.size(); ++i) {
      auto* item = new QListWidgetItem(QString::fromStdString(doc.m_order[i]->GetName()));
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled);
      item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(doc.m_order[i])));
      item->setCheckState(checkRule(static_cast<int>(i)) ? Qt::Checked : Qt::Unchecked);
      m_lstRandVar->addItem(item);
    }
  } else if (flags & SyncChecks) {
    for (int i = 0; i < m_lstRandVar->count() && i < static_cast<int>(doc.m_visible.size()); ++i) {
      m_lstRandVar->item(i)->setCheckState(checkRule(i) ? Qt::Checked : Qt::Unchecked);
    }
    EnablePlotControls(!NothingToPlot());
  }
  if (doc.m_selectedVar >= 0 && doc.m_selectedVar < m_lstRandVar->count()) {
    m_lstRandVar->setCurrentRow(doc.m_selectedVar);
    m_currentRow = doc.m_selectedVar;
  }
  if (flags & SyncParameters) {
    m_actPlot[static_cast<std::size_t>(std::clamp(doc.m_plotType, 0, 4))]->setChecked(true);
    BWidth->setValue(static_cast<int>(doc.m_smoothing * 8));
    (doc.m_densityMode == 0 ? Dens0 : doc.m_densityMode == 1 ? Dens1 : Dens2)->setChecked(true);
    (doc.m_cobwebScale == 0 ? Cob0 : doc.m_cobwebScale == 1 ? Cob1 : Cob2)->setChecked(true);
    (doc.m_boxType == 0 ? Fit1 : doc.m_boxType == 1 ? Fit2 : Fit3)->setChecked(true);
    FitAuto->setChecked(doc.m_autoBox);
    chkCrossDensity->setChecked(doc.m_crossDensity != 0);
  }
  if (flags & SyncSamples) {
    NumSamplesT->setMaximum(static_cast<int>(
        std::min<std::uint32_t>(doc.Samples().GetNumSamplesInFile(), fn::MaxSamples)));
    NumSamplesT->setValue(static_cast<int>(doc.m_numSamples));
    NumSamplesE->setText(QString::number(NumSamplesT->value()));
  }
  if (flags & SyncBounds) {
    for (int i = 0; i < 4; ++i) {
      m_bounds[static_cast<std::size_t>(i)]->setText(FormatGeneral((&bounds.x0)[i], 3));
      m_bounds[static_cast<std::size_t>(i)]->setModified(false);
      m_zoomBars[static_cast<std::size_t>(i)]->setValue(
          static_cast<int>((&doc.m_zoom.x0)[i] * 100));
    }
  }
}

void TFrmTesplore::OpenFile() {
  const QString path = Services().OpenFile(QStringLiteral("Open Sample File"),
                                           QStringLiteral("Sample file (*.sae *.sam *.samhdr)"),
                                           QString::fromStdString(m_settings.OpenDir));
  if (path.isEmpty()) return;
  m_lastOpened = path;
  LoadAndShowSampleFile(path);
}

void TFrmTesplore::SaveSelection() {
  // The file's own extension is replaced; dots in folder names stay.
  const QFileInfo info(m_currentFile);
  const QString proposed = info.dir().filePath(info.completeBaseName() + QStringLiteral("2.sam"));
  const QString path = Services().SaveFile(QString(), QStringLiteral("Sam (*.sam)"), proposed,
                                           QStringLiteral("sam"));
  if (path.isEmpty()) return;
  if (!m_document.SaveSelection(path.toStdString())) {
    Services().ErrorBox(QStringLiteral("File creation error."), QStringLiteral("Tesplore"));
  }
}

void TFrmTesplore::VarSel(int tag) {
  if (m_lstRandVar->count() == 0) return;
  RecordUndo(ViewVisibility);
  TUpdating guard(m_updating);
  const int n = m_lstRandVar->count();
  auto isInput = [&](int i) {
    return static_cast<fn::CTesploreVar*>(m_lstRandVar->item(i)->data(Qt::UserRole).value<void*>())
        ->IsInput;
  };
  std::vector<bool> before(static_cast<std::size_t>(n)), now(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    before[static_cast<std::size_t>(i)] = m_lstRandVar->item(i)->checkState() == Qt::Checked;
  const bool scatter = m_document.m_plotType == PlotScatter;
  int taken = 0;
  for (int i = 0; i < n; ++i) {
    bool on = false;
    switch (tag) {
      case 0: on = true; break;
      case 1: on = false; break;
      case 4: on = !before[static_cast<std::size_t>(i)]; break;
      case 2: on = isInput(i); break;
      case 3: on = !isInput(i); break;
      default: break;
    }
    if (scatter && on) on = taken++ < 2;
    now[static_cast<std::size_t>(i)] = on;
    m_lstRandVar->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  if (scatter) {
    const int s = m_document.m_selectedVar;
    m_document.m_scatterX = s >= 0 && s < n && now[static_cast<std::size_t>(s)] ? s : -1;
    m_document.m_scatterY = -1;
    for (int i = 0; i < n; ++i) {
      if (!now[static_cast<std::size_t>(i)] || i == s) continue;
      if (m_document.m_scatterX == -1)
        m_document.m_scatterX = i;
      else if (m_document.m_scatterY == -1)
        m_document.m_scatterY = i;
    }
    // The list order matches the axes just set.
    SyncDocument(true, SyncRedraw);
    SyncDocument(false, SyncChecks);
    return;
  }
  SyncDocument(true, SyncVariables | SyncRedraw);
}

void TFrmTesplore::ListCheckChanged(QListWidgetItem* item) {
  if (m_updating) return;
  RecordUndo(ViewVisibility);
  if (m_document.m_plotType != PlotScatter) {
    SyncDocument(true, SyncVariables | SyncRedraw);
    return;
  }
  const int k = m_lstRandVar->row(item);
  const bool checked = item->checkState() == Qt::Checked;
  const int s = m_document.m_selectedVar;
  int& x = m_document.m_scatterX;
  int& y = m_document.m_scatterY;
  if (!(k == x && checked)) {
    const int k2 = checked ? k : -1;
    if (s == x && k2 != -1) {
      y = k2;
    } else if (s == y) {
      x = y;
      y = k2;
    } else {
      if (x != -1) y = x;
      x = k2;
    }
  }
  if (x == y) y = -1;
  SyncDocument(false, SyncChecks);
  SyncDocument(true, SyncRedraw);
}

void TFrmTesplore::ListCurrentChanged(int previous) {
  if (m_updating) return;
  RecordUndo(ViewScalars);
  if (m_document.m_plotType == PlotScatter && previous == m_document.m_scatterY) {
    std::swap(m_document.m_scatterX, m_document.m_scatterY);
    SyncDocument(true, SyncRedraw);
  } else {
    SyncDocument(true, SyncVariables | SyncRedraw);
  }
}

void TFrmTesplore::ListDropped() {
  if (m_updating) return;
  RecordUndo(ViewOrder);
  SyncDocument(true, SyncAll);
}

void TFrmTesplore::NumSamplesChanged() {
  if (!m_updating) RecordUndo(ViewScalars | ViewMerge);
  SyncDocument(true, SyncSamples | SyncRedraw);
  TUpdating guard(m_updating);
  NumSamplesE->setText(QString::number(NumSamplesT->value()));
}

void TFrmTesplore::NumSamplesEdited() {
  if (m_updating) return;
  RecordUndo(ViewScalars | ViewMerge);
  bool ok = false;
  const int n = NumSamplesE->text().trimmed().toInt(&ok);
  if (!ok) {
    ShowErrorBox(QStringLiteral("'%1' is not a valid integer value").arg(NumSamplesE->text()));
    return;
  }
  {
    TUpdating guard(m_updating);
    NumSamplesT->setValue(n);
  }
  SyncDocument(true, SyncSamples | SyncRedraw);
}

void TFrmTesplore::BoundEdited() {
  if (m_updating) return;
  bool modified = false;
  for (QLineEdit* e : m_bounds) modified = modified || e->isModified();
  if (!modified) return;
  RecordUndo(ViewScalars);
  m_document.m_boxType = BoxManual;
  SyncDocument(true, SyncBounds);
  {
    TUpdating guard(m_updating);
    Fit3->setChecked(true);
  }
  SyncDocument(true, SyncParameters | SyncRedraw);
  SyncDocument(false, SyncBounds);
}

void TFrmTesplore::ZoomBarChanged(int tag) {
  if (!m_updating) RecordUndo(ViewScalars | ViewMerge);
  QSlider* moved = m_zoomBars[static_cast<std::size_t>(tag)];
  const int pair = tag / 2 * 2;
  QSlider* low = m_zoomBars[static_cast<std::size_t>(pair)];
  QSlider* high = m_zoomBars[static_cast<std::size_t>(pair + 1)];
  if (low->value() >= high->value()) {
    TUpdating guard(m_updating);
    if (moved == low)
      low->setValue(high->value() - 1);
    else
      high->setValue(low->value() + 1);
  }
  if (m_updating) return;
  (&m_document.m_zoom.x0)[tag] = static_cast<float>(moved->value() * 0.01);
  SyncDocument(true, SyncRedraw);
}

void TFrmTesplore::ResetSliders(int first) {
  QSlider* low = m_zoomBars[static_cast<std::size_t>(first)];
  QSlider* high = m_zoomBars[static_cast<std::size_t>(first + 1)];
  const int l = low->value(), h = high->value();
  high->setValue(100);
  low->setValue(0);
  if (l == 0) ZoomBarChanged(first);
  if (h == 100) ZoomBarChanged(first + 1);
}

void TFrmTesplore::ZoomToSliders() {
  RecordUndo(ViewScalars);
  SampleDataView& doc = m_document;
  TBox& b = doc.m_plotType == PlotScatter ? doc.m_scatterBox : doc.m_box;
  b = doc.ZoomBox(b);
  {
    TUpdating guard(m_updating);
    doc.m_boxType = BoxManual;
    Fit3->setChecked(true);
    doc.m_zoom = TBox{0, 1, 0, 1};
    SyncDocument(false, SyncBounds);
  }
  SyncDocument(true, SyncRedraw);
}

void TFrmTesplore::ResetVariables(bool refresh) {
  SampleDataView& doc = m_document;
  const std::uint32_t n = doc.Samples().NumVariables();
  doc.SetNumVariables(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    doc.m_order[i] = &doc.Samples().GetVariable(i);
    doc.m_visible[i] = 1;
  }
  doc.m_selectedVar = 0;
  doc.UpdateFilter();
  if (refresh) {
    SyncDocument(false, SyncAll);
    SyncDocument(true, SyncRedraw);
  }
}

void TFrmTesplore::ResetPlotParams(bool refresh) {
  m_tesploreView->Removethesamplesfilter1Click();
  SampleDataView& doc = m_document;
  doc.m_smoothing = 5.0f;
  doc.m_densityMode = DensityRelative;
  doc.m_cobwebScale = ScalePercentiles;
  doc.m_autoBox = true;
  doc.m_boxType = BoxVisibleVariables;
  doc.UpdateBoundingBox(true);
  doc.m_zoom = TBox{0, 1, 0, 1};
  if (refresh) {
    SyncDocument(false, SyncAll);
    SyncDocument(true, SyncRedraw);
  }
}

void TFrmTesplore::ShowKeys() {
  Services().InfoBox(QStringLiteral(" c, w\tcobwebs\n m\tmarginals\n s, t\t scatter\n d, "
                                    "e\tdensity\n h\thistogram\n o\tdecrease "
                                    "smooth factor\n O\tincrease smooth factor\n l\tlogarithmic "
                                    "cobweb scale\n n\tnatural cobweb "
                                    "scale\n p\tpercentiles cobweb scale\n r\trelative "
                                    "density/histogram plot\n q\tcumulative "
                                    "density/histogram plot\n"),
                     QStringLiteral("Keys"));
}

void TFrmTesplore::TypedKey(const QString& text) {
  if (text.size() != 1) return;
  QWidget* focus = QApplication::focusWidget();
  if (focus == m_lstRandVar || (focus && focus->parent() == m_lstRandVar)) return;
  const QChar ch = text[0];
  if (ch == 'e' && std::find(m_bounds.begin(), m_bounds.end(), focus) != m_bounds.end()) return;
  switch (ch.toLower().toLatin1()) {
    case 'c':
    case 'w': SetPlotType(PlotCobwebs); break;
    case 'm': SetPlotType(PlotMarginals); break;
    case 's':
    case 't': SetPlotType(PlotScatter); break;
    case 'd':
    case 'e': SetPlotType(PlotDensity); break;
    case 'h': SetPlotType(PlotHistogram); break;
    case 'o': BWidth->setValue(BWidth->value() + (ch == 'O' ? 4 : -4)); break;
    case 'l': Cob2->click(); break;
    case 'n': Cob1->click(); break;
    case 'p': Cob0->click(); break;
    case 'r': Dens0->click(); break;
    case 'q': Dens1->click(); break;
    default: break;
  }
}

bool TFrmTesplore::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && isActiveWindow()) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
        watched == QApplication::focusWidget()) {
      TypedKey(key->text());
    }
  }
  return QMainWindow::eventFilter(watched, event);  // never consumed
}

void TFrmTesplore::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFrmTesplore::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (!urls.isEmpty() && urls.first().isLocalFile() && !urls.first().toLocalFile().isEmpty()) {
    LoadAndShowSampleFile(urls.first().toLocalFile());
  }
  event->acceptProposedAction();
}

void TFrmTesplore::Colors1Click() {
  auto before = std::make_unique<TColorRecord>(ColorRecord);
  TTFrmColor dialog(
      ColorRecord, [this] { SyncDocument(true, SyncRedraw); }, this);
  dialog.ShowPage(m_document.m_plotType);
  if (Services().Exec(dialog) == QDialog::Accepted) RecordUndo(ViewColours, std::move(before));
  SyncDocument(true, SyncRedraw);
}

void TFrmTesplore::Font1Click() {
  TFrmFont dialog(
      PlotFonts, [this] { SyncDocument(true, SyncRedraw); }, this);
  Services().Exec(dialog);
  m_tesploreView->FrameResize();
}

void TFrmTesplore::Misc1Click() {
  TFrmInterfaceSettings dialog(m_tesploreView->Settings().MouseSensitivity, UndoSize, this);
  Services().Exec(dialog);
}

void TFrmTesplore::About1Click() {
  TFrmAbout dialog(this);
  Services().Exec(dialog);
}
