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
#include "ui/tool_images.h"

namespace {

const char* const kPlotNames[5] = {"Cobwebs", "Marginals", "Scatter", "Density", "Histogram"};

}  // namespace

QRect PlacedRect(const TWindowPlacement& p, const QRect& available) {
  if (!p.Placed()) return QRect();
  const int w = std::min<int>(p.Width, available.width());
  const int h = std::min<int>(p.Height, available.height());
  const int x = std::clamp<int>(p.Left, available.left(), available.left() + available.width() - w);
  const int y = std::clamp<int>(p.Top, available.top(), available.top() + available.height() - h);
  return QRect(x, y, w, h);
}

TFrmTesplore::TFrmTesplore(QRect available)
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
  if (!available.isValid()) {
    const QScreen* s = QGuiApplication::primaryScreen();
    available = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
  }
  const QFont base = font();
  m_settings = ReadMainSettings(m_settingsPath, available.left() + available.width(),
                                available.top() + available.height(), base.family().toStdString(),
                                base.pointSize());
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
    const QString path =
        AbsoluteFilePath(QString::fromStdString(m_settings.Mru[static_cast<std::size_t>(i)]));
    m_mru[static_cast<std::size_t>(i)]->setText(path);
    m_mru[static_cast<std::size_t>(i)]->setToolTip(path);
    m_mru[static_cast<std::size_t>(i)]->setVisible(!path.isEmpty());
  }
  // Left and Top hold the frame's origin, Width and Height the client area:
  // move() places the frame and resize() sizes the client area, so that a
  // window reopens exactly where it was closed.
  const QRect placed = PlacedRect(m_settings.Placement, available);
  if (placed.isValid()) {
    resize(placed.size());
    move(placed.topLeft());
  } else {
    resize(std::min(808, available.width()),
           std::min(671 + menuBar()->sizeHint().height(), available.height()));
    move(available.left() + (available.width() - width()) / 2,
         available.top() + (available.height() - height()) / 2);
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
  // The controls go after this part of the window: an edit that loses the
  // focus while it is destroyed must not reach handlers of a window that is
  // gone.
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
  if (!m_written) {
    // FormDestroy: the window's own sections.
    m_settings.Maximized = isMaximized();
    const bool normal = !isMaximized() && !isMinimized();
    if (normal) m_settings.Placement = TWindowPlacement{pos().y(), pos().x(), width(), height()};
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
    if (!path.isEmpty()) m_tesploreView->ExportImage(AbsoluteFilePath(path));
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
  ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
  ToolBar1->setIconSize(QSize(16, 16));
  // A linked button shares its menu item's caption and picture.
  auto button = [this](QAction* a, const char* hint, TToolImage image) {
    a->setIcon(ToolImage(image));
    ToolBar1->addAction(a);
    if (auto* b = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(a)))
      b->setToolTip(QString::fromLatin1(hint));
  };
  button(m_actOpen, "Open a Samples File", TToolImage::Open);
  ToolBar1->addSeparator();
  button(m_actCopy, "Copy display to clipboard", TToolImage::Copy);
  button(m_actExport, "Save display as bitmap", TToolImage::Export);
  button(m_actPrint, "Print", TToolImage::Print);
  ToolBar1->addSeparator();
  const char* hints[5] = {"Cobwebs (c,w)", "Marginals (m)", "Scatter (s, t)", "Density (d,e)",
                          "Histogram (h)"};
  const TToolImage plots[5] = {TToolImage::Cobwebs, TToolImage::Marginals, TToolImage::Scatter,
                               TToolImage::Density, TToolImage::Histogram};
  for (int t = 0; t < 5; ++t) button(m_actPlot[static_cast<std::size_t>(t)], hints[t], plots[t]);
  ToolBar1->addSeparator();
  button(m_actParameters, "Parameters panel visibility", TToolImage::Parameters);
  button(m_actFont, "Set font", TToolImage::Font);
  button(m_actColor, "Set color", TToolImage::Color);
  ToolBar1->addSeparator();
  butRT = new QToolButton(ToolBar1);
  butRT->setText(QStringLiteral("Real-Time Updates"));
  m_actRT->setIcon(ToolImage(TToolImage::RealTime));
  butRT->setIcon(m_actRT->icon());
  butRT->setToolButtonStyle(Qt::ToolButtonIconOnly);
  butRT->setToolTip(QStringLiteral("Enable real-time updates when mouse is draged"));
  butRT->setCheckable(true);
  connect(butRT, &QToolButton::toggled, this, [this](bool on) { m_actRT->setChecked(on); });
  ToolBar1->addWidget(butRT);
  ToolButton15 = new QToolButton(ToolBar1);
  ToolButton15->setText(QStringLiteral("Remove filter"));
  ToolButton15->setIcon(ToolImage(TToolImage::RemoveFilter));
  ToolButton15->setToolButtonStyle(Qt::ToolButtonIconOnly);
  ToolButton15->setToolTip(QStringLiteral("Remove the samples filter"));
  connect(ToolButton15, &QToolButton::clicked, this,
          [this] { m_tesploreView->Removethesamplesfilter1Click(); });
  ToolBar1->addWidget(ToolButton15);
  button(m_actReset, "Reset", TToolImage::Reset);
  // The whole button opens the Reset menu, not only its arrow.
  if (auto* b = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(m_actReset)))
    b->setPopupMode(QToolButton::InstantPopup);
  ToolBar1->addSeparator();
  button(m_actIndex, "Help", TToolImage::Help);
  Label9 =
      new QLabel(QStringLiteral("    Right-click on plot area for additional options"), ToolBar1);
  // Inside a tool bar only the action's visibility counts, not the widget's.
  m_actLabel9 = ToolBar1->addWidget(Label9);
  m_actLabel9->setVisible(false);
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

void TFrmTesplore::LoadAndShowSampleFile(const QString& name) {
  // Every way in (command line, drop, recent file, dialog) ends here; below
  // this point the name is absolute, so that names derived from it stay in
  // its folder whatever the current folder.
  const QString path = AbsoluteFilePath(name);
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
    FitSidePanel();
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
  // The application title is what the desktop shows for the program (task
  // bar, minimised window): the window's icon text.
  if (m_currentFile.isEmpty()) {
    setWindowTitle(QStringLiteral("Tesplore - no sample file loaded"));
    setWindowIconText(QStringLiteral("Tesplore"));
    return;
  }
  const QString name = QFileInfo(m_currentFile).completeBaseName();
  const int type = std::clamp(m_document.m_plotType, 0, 4);
  setWindowTitle(
      QStringLiteral("Tesplore - %1 [%2]").arg(name, QString::fromLatin1(kPlotNames[type])));
  setWindowIconText(name + QStringLiteral(" - Tesplore"));
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
      m_actLabel9->setVisible(show);
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

void TFrmTesplore::OpenFile() {
  const QString path = Services().OpenFile(QStringLiteral("Open Sample File"),
                                           QStringLiteral("Sample file (*.sae *.sam *.samhdr)"),
                                           QString::fromStdString(m_settings.OpenDir));
  if (path.isEmpty()) return;
  m_lastOpened = AbsoluteFilePath(path);
  LoadAndShowSampleFile(path);
}

void TFrmTesplore::SaveSelection() {
  // The file's own extension is replaced; dots in folder names stay.
  const QFileInfo info(m_currentFile);
  const QString proposed = info.dir().filePath(info.completeBaseName() + QStringLiteral("2.sam"));
  const QString path = AbsoluteFilePath(Services().SaveFile(
      QString(), QStringLiteral("Sam (*.sam)"), proposed, QStringLiteral("sam")));
  if (path.isEmpty()) return;
  if (!m_document.SaveSelection(path.toStdString())) {
    Services().ErrorBox(QStringLiteral("File creation error."), QStringLiteral("Tesplore"));
  }
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
