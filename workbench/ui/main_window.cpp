#include "main_window.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "about_box.h"
#include "buttons_bar.h"
#include "cp437.h"
#include "cursors.h"
#include "dependence_menu.h"
#include "file_commands.h"
#include "inplace_name_editor.h"
#include "link_manager.h"
#include "list_commands.h"
#include "main_view.h"
#include "model/short_string.h"
#include "model_helpers.h"
#include "object_list_model.h"
#include "office_writer.h"
#include "options_dialog.h"
#include "run_commands.h"
#include "small_dialogs.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/simulation.h"
#include "utilities.h"

namespace tesmira::wb {

namespace {

const char* const kInputFilter = "Tesmira input files (.tsm)|*.tsm";
const char* const kOutputFilter = "Tesmira output files (.tso)|*.tso";
const char* const kSampleFilter = "Tesmira sample files (.sam)|*.sam";
const char* const kLegacyFilter =
    "Random Variable files (.ran)|*.ran|Formula files (.fml)|*.fml|Dependence files (.220, "
    ".dep)|*.220;*.dep|All DOS Tesmira files |*.ran;*.fml;*.220;*.dep|All files|*.*";
const char* const kModelSaveFilter = "Tesmira model files (.tsm)|*.tsm";
const char* const kEmptyReport = "(Click on Report|Generate to create report)";

// The dependence view's tree until that panel exists: it holds no items.
class TNoTree : public IDependenceTree {
 public:
  std::vector<TTreeItem> Items() override { return {}; }
  void* ItemNode(TTreeItem) override { return nullptr; }
  TTreeItem ParentItem(TTreeItem) override { return nullptr; }
  TTreeItem AddTopLevelItem(const std::string&, void*) override { return nullptr; }
  TTreeItem InsertFirstSibling(TTreeItem, const std::string&, void*) override { return nullptr; }
  void MoveToTopLevel(TTreeItem) override {}
  void MoveUnder(TTreeItem, TTreeItem) override {}
  void RemoveItem(TTreeItem) override {}
  void SelectItem(TTreeItem) override {}
  void SetItemText(TTreeItem, const std::string&) override {}
  void SortAlphabetically() override {}
  void RemoveAvailableNode(void*) override {}
  void AddAvailableNode(const std::string&, const std::string&, void*) override {}
  void SortAvailableNodes() override {}
};

bool InputKind(int kind) { return kind == FileKindModelFile || kind == FileKindLegacyModel; }

QTableView* MakeList(QWidget* parent, const char* name, TObjectListModel* model) {
  auto* view = new QTableView(parent);
  view->setObjectName(name);
  view->setModel(model);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->verticalHeader()->hide();
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
  view->horizontalHeader()->setStretchLastSection(true);
  view->setShowGrid(false);
  view->setWordWrap(false);
  return view;
}

}  // namespace

QStringList AbsoluteArguments(const QStringList& args) {
  QStringList out;
  for (const QString& a : args)
    out << (a.startsWith('-') ? a : QString::fromStdString(AbsolutePath(a.toStdString())));
  return out;
}

QString DefaultSettingsPath() {
  const QString dir = QCoreApplication::applicationDirPath();
  if (QFileInfo(dir).isWritable()) return dir + "/tesmira.INI";
  QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  QDir().mkpath(config);
  return config + "/tesmira.INI";
}

TFrmTesmiraMain::TFrmTesmiraMain(IPrompt& prompt, IFileChooser& chooser,
                                 const QString& settingsPath, const QStringList& args,
                                 QWidget* parent)
    : QMainWindow(parent),
      tree_(std::make_unique<TNoTree>()),
      wb_(prompt, chooser, *this),
      settingsPath_(settingsPath),
      // File names on the command line are the shell's: resolved before the
      // stored working folder becomes the current one.
      args_(AbsoluteArguments(args)) {
  setObjectName("FrmTesmiraMain");
  setWindowTitle("Tesmira");
  setAcceptDrops(true);
  // The window sees the keys of its controls first.
  qApp->installEventFilter(this);
  wb_.ReportAvailable = false;
  InstallOverflowWarning(wb_);
  BuildPanels();
  BuildMenus();
  BuildDependence();
  // The Run commands put their belief-net items into the Dependence menu.
  BuildRunAndReport();
  BuildZoziVor();
  BuildHelpAndClipboard();
  LoadScreenCursors();
  ReadSettings();
  setMinimumSize(640, 320);
  if (NewModel(wb_)) UpdateView(ViewAtStart);
  wb_.NodeOrderCounter = 0;
}

TFrmTesmiraMain::~TFrmTesmiraMain() {
  WriteSettings();
  RemoveOverflowWarning();
  // The run commands and their dialogs use the workbench: they go while it
  // is still there.
  delete findChild<TRunCommands*>(QString(), Qt::FindDirectChildrenOnly);
  qDeleteAll(findChildren<QDialog*>(Qt::FindDirectChildrenOnly));
}

void TFrmTesmiraMain::BuildPanels() {
  stack_ = new QStackedWidget(this);
  setCentralWidget(stack_);
  panEmpty_ = new QWidget(stack_);
  panEmpty_->setObjectName("panGraphics");
  stack_->addWidget(panEmpty_);

  varModel_ = new TObjectListModel(ObjRandomVariable, this);
  varModel_->Workbench = &wb_;
  forModel_ = new TObjectListModel(ObjFormula, this);

  panVar_ = new QWidget(stack_);
  panVar_->setObjectName("panVar");
  auto* varBox = new QVBoxLayout(panVar_);
  varBox->setContentsMargins(0, 0, 0, 0);
  varBox->addWidget(BuildListPane(panVar_, TObjectList::Variables), 1);
  auto* bar = new TButtonsBar(*this, panVar_);
  m_formButtonsBar = bar;
  NavButtons = bar->Nav;
  butMerge = bar->butMerge;
  varBox->addWidget(m_formButtonsBar);
  stack_->addWidget(panVar_);

  panFor_ = new QWidget(stack_);
  panFor_->setObjectName("panFor");
  auto* forBox = new QVBoxLayout(panFor_);
  forBox->setContentsMargins(0, 0, 0, 0);
  forBox->addWidget(BuildListPane(panFor_, TObjectList::Formulas), 1);
  stack_->addWidget(panFor_);

  richReport = new QTextEdit(stack_);
  richReport->setObjectName("richReport");
  richReport->setReadOnly(true);
  QFont mono("DejaVu Sans Mono");
  mono.setStyleHint(QFont::Monospace);
  richReport->setFont(mono);
  richReport->setPlainText(kEmptyReport);
  stack_->addWidget(richReport);
  pages_[PanelVariables] = panVar_;
  pages_[PanelFormulas] = panFor_;
  pages_[PanelReport] = richReport;

  for (QTableView* list : {listVar, listFor})
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { EditMenuClick(); });
}

QWidget* TFrmTesmiraMain::BuildListPane(QWidget* parent, TObjectList which) {
  const bool vars = which == TObjectList::Variables;
  TObjectListModel* model = vars ? varModel_ : forModel_;
  model->OnRename = [this, kind = model->Kind()](int row, const std::string& name) {
    const bool renamed = RenameListObject(wb_, kind, row, name);
    // A rename reaches the formulas that use the name.
    for (QTableView* list : {listVar, listFor}) list->viewport()->update();
    EditMenuClick();
    return renamed;
  };
  auto* pane = new QWidget(parent);
  pane->setObjectName(vars ? "panVarList" : "panForList");
  auto* box = new QVBoxLayout(pane);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  QToolBar*& bar = vars ? ToolBar1 : ToolBar2;
  bar = new QToolBar(pane);
  bar->setObjectName(vars ? "ToolBar1" : "ToolBar2");
  bar->setIconSize(QSize(16, 16));
  box->addWidget(bar);

  QTableView*& table = vars ? listVar : listFor;
  table = MakeList(pane, vars ? "listVar" : "listFor", model);
  box->addWidget(table, 1);
  // The "List" style: the names only, in columns that wrap; it shares the
  // table's rows and selection.
  QListView*& names = vars ? listVarNames : listForNames;
  names = new QListView(pane);
  names->setObjectName(vars ? "listVarNames" : "listForNames");
  names->setModel(model);
  names->setModelColumn(1);
  names->setSelectionModel(table->selectionModel());
  names->setSelectionMode(QAbstractItemView::ExtendedSelection);
  names->setEditTriggers(QAbstractItemView::NoEditTriggers);
  names->setFlow(QListView::TopToBottom);
  names->setWrapping(true);
  names->setResizeMode(QListView::Adjust);
  names->setUniformItemSizes(true);
  names->hide();
  box->addWidget(names, 1);
  for (QAbstractItemView* view :
       {static_cast<QAbstractItemView*>(table), static_cast<QAbstractItemView*>(names)})
    view->installEventFilter(this);

  QToolButton*& button = vars ? butVarView : butForView;
  button = new QToolButton(bar);
  button->setObjectName(vars ? "butVarView" : "butForView");
  button->setText("View");
  button->setPopupMode(QToolButton::MenuButtonPopup);
  auto* menu = new QMenu(button);
  auto* styles = new QActionGroup(menu);
  QAction* list = menu->addAction("List", this, [this, which] { SetListDetails(which, false); });
  QAction* details =
      menu->addAction("Details", this, [this, which] { SetListDetails(which, true); });
  for (QAction* a : {list, details}) {
    a->setCheckable(true);
    styles->addAction(a);
  }
  details->setChecked(true);
  button->setMenu(menu);
  connect(button, &QToolButton::clicked, this,
          [this, which] { SetListDetails(which, !ListDetails(which)); });
  bar->addWidget(button);
  return pane;
}

void TFrmTesmiraMain::SetListDetails(TObjectList which, bool details) {
  QTableView* table = ListOf(which);
  QListView* names = which == TObjectList::Variables ? listVarNames : listForNames;
  const bool focused = table->hasFocus() || names->hasFocus();
  table->setVisible(details);
  names->setVisible(!details);
  QToolButton* button = which == TObjectList::Variables ? butVarView : butForView;
  button->menu()->actions()[details ? 1 : 0]->setChecked(true);
  QAbstractItemView* shown = ActiveView(which);
  if (focused) shown->setFocus();
  const QModelIndex current = table->selectionModel()->currentIndex();
  if (current.isValid()) shown->scrollTo(shown->model()->index(current.row(), details ? 0 : 1));
}

bool TFrmTesmiraMain::ListDetails(TObjectList which) const { return !ListOf(which)->isHidden(); }

QAbstractItemView* TFrmTesmiraMain::ActiveView(TObjectList which) const {
  QTableView* table = ListOf(which);
  if (!table->isHidden()) return table;
  return which == TObjectList::Variables ? listVarNames : listForNames;
}

bool TFrmTesmiraMain::EditSelectedName(TObjectList which) {
  QTableView* table = ListOf(which);
  QItemSelectionModel* selection = table->selectionModel();
  if (!selection->hasSelection()) return false;
  int row = selection->currentIndex().row();
  if (row < 0 || !selection->isRowSelected(row, {})) row = selection->selectedRows().front().row();
  QAbstractItemView* view = ActiveView(which);
  view->setFocus();
  edInplace->StartEditing(view, which == TObjectList::Variables ? varModel_ : forModel_, row);
  return true;
}

QAction* TFrmTesmiraMain::AddMenuItem(QMenu* menu, const QString& text,
                                      const std::function<void()>& slot, const QKeySequence& key) {
  QAction* a = menu->addAction(text);
  if (!key.isEmpty()) a->setShortcut(key);
  connect(a, &QAction::triggered, this, slot);
  return a;
}

void TFrmTesmiraMain::BuildMenus() {
  BuildFileMenu();
  BuildEditMenu();
  BuildModelMenu();
  // Run, Dependence and Report stay hidden until their commands fill them.
  mnuRun = menuBar()->addMenu("&Run");
  mnuDependence = menuBar()->addMenu("&Dependence");
  mnuReport = menuBar()->addMenu("&Report");
  for (QMenu* m : {mnuRun, mnuDependence, mnuReport}) m->menuAction()->setVisible(false);
  mitOptions = menuBar()->addAction("&Options");
  connect(mitOptions, &QAction::triggered, this, &TFrmTesmiraMain::OptionsClick);
  mnuHelp = menuBar()->addMenu("&Help");
  mitAbout = AddMenuItem(mnuHelp, "&About Tesmira", [this] { AboutClick(); });
  BuildMainToolbar();
}

void TFrmTesmiraMain::BuildFileMenu() {
  mnuFile = menuBar()->addMenu("&File");
  connect(mnuFile, &QMenu::aboutToShow, this, &TFrmTesmiraMain::FileMenuClick);
  mitNew = AddMenuItem(mnuFile, "New Tesmira Model", [this] { NewClick(); });
  mitNew->setVisible(false);
  mitNewFormula = AddMenuItem(
      mnuFile, "New &Formula Model", [this] { NewModelOfType(0); }, QKeySequence("Ctrl+N"));
  mitNewZozivor = AddMenuItem(
      mnuFile, "New &Zozivor Model", [this] { NewModelOfType(1); }, QKeySequence("Ctrl+D"));
  QMenu* typeMenu = mnuFile->addMenu("Model Type");
  mitModelType = typeMenu->menuAction();
  mitModelType->setVisible(false);
  AddMenuItem(typeMenu, "Formula", [this] { SetModelClick(0); });
  AddMenuItem(typeMenu, "Zozivor", [this] { SetModelClick(1); });
  mnuFile->addSeparator();
  mitOpen = AddMenuItem(
      mnuFile, "Open Tesmira File...", [this] { OpenClick(); }, QKeySequence("Ctrl+O"));
  mitMerge = AddMenuItem(mnuFile, "Merge Tesmira file...", [this] { LinkOrMergeClick(false); });
  mitLink = AddMenuItem(mnuFile, "Link Tesmira file...", [this] { LinkOrMergeClick(true); });
  mitManageLinks = AddMenuItem(mnuFile, "Manage Links...", [this] { ManageLinksClick(); });
  mitExtractAll = AddMenuItem(mnuFile, "Extract To A File..", [this] { ExtractClick(true); });
  mitExtractAll->setVisible(false);
  mitExtract = AddMenuItem(mnuFile, "Extract Selected Random Variables To A File...",
                           [this] { ExtractClick(false); });
  mnuFile->addSeparator();
  mitImportDOS = AddMenuItem(mnuFile, "Import DOS Tesmira File...", [this] { ImportDOSClick(); });
  mitConvertDOS =
      AddMenuItem(mnuFile, "Convert DOS Tesmira File...", [this] { ConvertDOSClick(); });
  mnuFile->addSeparator();
  mitSave = AddMenuItem(
      mnuFile, "Save", [this] { SaveClick(); }, QKeySequence("Ctrl+S"));
  mitSaveAs = AddMenuItem(mnuFile, "Save As...", [this] { SaveAsClick(); });
  mnuFile->addSeparator();
  mitMergeSel = AddMenuItem(mnuFile, "Merge Selected Objects", [this] { MergeSelectedClick(); });
  mitMergeAll = AddMenuItem(mnuFile, "Merge All External Objects", [this] { MergeAllClick(); });
  mnuFile->addSeparator();
  for (int i = 0; i < 4; ++i) MRU[i] = AddMenuItem(mnuFile, "", [this, i] { MRUClick(i); });
  mnuFile->addSeparator();
  mitExit = AddMenuItem(mnuFile, "Exit", [this] { ExitClick(); });
}

void TFrmTesmiraMain::BuildEditMenu() {
  mnuEdit = menuBar()->addMenu("&Edit");
  connect(mnuEdit, &QMenu::aboutToShow, this, &TFrmTesmiraMain::EditMenuClick);
  mitUndo = AddMenuItem(
      mnuEdit, "Undo ",
      [this] {
        CommitActiveEdit();
        wb_.Undo.Undo();
        EditMenuClick();
      },
      QKeySequence("Ctrl+Z"));
  mitRedo = AddMenuItem(
      mnuEdit, "Redo ",
      [this] {
        CommitActiveEdit();
        wb_.Undo.Redo();
        EditMenuClick();
      },
      QKeySequence("Ctrl+Shift+Z"));
}

void TFrmTesmiraMain::BuildModelMenu() {
  mnuModel = menuBar()->addMenu("&Model");
  connect(mnuModel, &QMenu::aboutToShow, this, &TFrmTesmiraMain::ViewMenuClick);
  auto* panels = new QActionGroup(this);
  mitViewVar =
      AddMenuItem(mnuModel, "Random Variables Input", [this] { ChangePanel(PanelVariables); });
  mitViewFor = AddMenuItem(mnuModel, "Formula/UDF Input", [this] { ChangePanel(PanelFormulas); });
  mitViewDep = AddMenuItem(mnuModel, "Dependence", [this] { ChangePanel(PanelDependence); });
  mitViewDual = AddMenuItem(mnuModel, "Zozivor Graph", [this] { ChangePanel(PanelZoziVor); });
  for (QAction* a : {mitViewVar, mitViewFor, mitViewDep, mitViewDual}) {
    a->setCheckable(true);
    panels->addAction(a);
  }
  // The dependence and ZoziVor items appear with their panels.
  mitViewDep->setVisible(false);
  mitViewDual->setVisible(false);
  mnuModel->addSeparator();
  QMenu* view = mnuModel->addMenu("View");
  mitToolbar =
      AddMenuItem(view, "Toolbar", [this] { tbMain->setVisible(mitToolbar->isChecked()); });
  mitToolbar->setCheckable(true);
  mitToolbar->setChecked(true);
}

void TFrmTesmiraMain::BuildMainToolbar() {
  tbMain = addToolBar("tbMain");
  tbMain->setObjectName("tbMain");
  tbMain->setMovable(false);
  toolNew = tbMain->addAction("New", this, [this] { NewModelOfType(0); });
  toolOpen = tbMain->addAction("Open", this, [this] { OpenClick(); });
  toolSave = tbMain->addAction("Save", this, [this] { ToolSaveClick(); });
  tbMain->addSeparator();
  auto* toolPanels = new QActionGroup(this);
  toolVar = tbMain->addAction("Variables", this, [this] { ChangePanel(PanelVariables); });
  toolDep = tbMain->addAction("Dependence", this, [this] { ChangePanel(PanelDependence); });
  toolFun = tbMain->addAction("Formulas", this, [this] { ChangePanel(PanelFormulas); });
  toolDual = tbMain->addAction("Zozivor Graph", this, [this] { ChangePanel(PanelZoziVor); });
  for (QAction* a : {toolVar, toolDep, toolFun, toolDual}) {
    a->setCheckable(true);
    toolPanels->addAction(a);
  }
  // Simulate and the report view button come with their commands.
  toolRun = tbMain->addAction("Simulate");
  toolRep = tbMain->addAction("Report");
  toolRep->setCheckable(true);
  for (QAction* a : {toolDep, toolDual, toolRun, toolRep}) a->setVisible(false);
  auto* descr = new QWidget(tbMain);
  descr->setObjectName("DescrPanel");
  auto* descrBox = new QHBoxLayout(descr);
  descrBox->setContentsMargins(0, 0, 1, 0);
  labModelDescriptionLabel = new QLabel("    Case Description:  ", descr);
  labModelDescriptionLabel->setObjectName("labModelDescriptionLabel");
  edModelDescription = new QLineEdit(descr);
  edModelDescription->setObjectName("edModelDescription");
  edModelDescription->setMaxLength(100);
  descrBox->addWidget(labModelDescriptionLabel);
  descrBox->addWidget(edModelDescription, 1);
  descr->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  tbMain->addWidget(descr);
  // Every user edit (typing, pasting, cutting) changes the model.
  connect(edModelDescription, &QLineEdit::textEdited, this, [this](const QString& text) {
    TTsmFileHeader* header = CurrentFileHeader();
    SetShortString(header->description, Utf8ToCp437(text.left(100).toStdString()));
    SetModified(wb_, true);
  });
}

void TFrmTesmiraMain::ReadSettings() {
  QRect screen = QGuiApplication::primaryScreen()
                     ? QGuiApplication::primaryScreen()->availableGeometry()
                     : QRect(0, 0, 1024, 768);
  // clang-format off
  settings_.VarList.ColWidth = {35, 100, 120, 200, 100};
  settings_.ForList.ColWidth = {35, 100, 250, 150, 100};
  // clang-format on
  settings_.Read(settingsPath_.toStdString(), screen.width(), screen.height(), screen.width());
  const std::pair<QTableView*, const TListLayout*> layouts[] = {{listVar, &settings_.VarList},
                                                                {listFor, &settings_.ForList}};
  for (const auto& [view, layout] : layouts)
    for (int c = 0; c < 5; ++c) view->setColumnWidth(c, layout->ColWidth[c]);
  if (!settings_.WorkDir.empty()) QDir::setCurrent(QString::fromStdString(settings_.WorkDir));
  if (settings_.Top != -1 && settings_.Left != -1) {
    setGeometry(settings_.Left, settings_.Top, settings_.Width, settings_.Height);
  } else {
    resize(std::min(900, screen.width()), std::min(640, screen.height()));
    move(screen.center() - rect().center());
  }
  if (settings_.Maximized) setWindowState(windowState() | Qt::WindowMaximized);
  mitToolbar->setChecked(settings_.Toolbar);
  tbMain->setVisible(settings_.Toolbar);
  SetCurrentDisplaySettings(settings_.Display);
  wb_.Undo.SetDepth(settings_.Undo);
  ShowIndexColumn(settings_.ShowObjIdx);
  richReport->setLineWrapMode(settings_.WordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  RefreshMRUActions();
}

void TFrmTesmiraMain::WriteSettings() {
  settings_.WorkDir = QDir::currentPath().toStdString();
  const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized));
  if (normal) {
    settings_.Top = geometry().top();
    settings_.Left = geometry().left();
    settings_.Width = geometry().width();
    settings_.Height = geometry().height();
  }
  settings_.Maximized = windowState() & Qt::WindowMaximized;
  settings_.Toolbar = mitToolbar->isChecked();
  settings_.Display = CurrentDisplaySettings();
  settings_.Undo = wb_.Undo.GetDepth();
  settings_.WordWrap = richReport->lineWrapMode() != QTextEdit::NoWrap;
  const std::pair<QTableView*, TListLayout*> layouts[] = {{listVar, &settings_.VarList},
                                                          {listFor, &settings_.ForList}};
  for (const auto& [view, layout] : layouts) {
    for (int c = 0; c < 5; ++c) layout->ColWidth[c] = view->columnWidth(c);
    if (view->isColumnHidden(0)) layout->ColWidth[0] = 0;
  }
  WriteSettingsAtExit(wb_.Prompt(), settings_, settingsPath_.toStdString(), normal);
}

void TFrmTesmiraMain::RefreshMRUActions() {
  for (int i = 0; i < 4; ++i) {
    const QString name = QString::fromStdString(settings_.Mru[i]);
    MRU[i]->setText(QString("&%1 %2").arg(i + 1).arg(name));
    MRU[i]->setToolTip(name);
    MRU[i]->setVisible(!name.isEmpty());
  }
}

// ---- the central refresh ------------------------------------------------------

void TFrmTesmiraMain::UpdateView(unsigned mask) {
  for (TViewStep step : DecodeViewMask(mask)) {
    switch (step) {
      case TViewStep::Caption: UpdateCaption(); break;
      case TViewStep::VariableList: RebuildList(listVar, varModel_, mask); break;
      case TViewStep::FormulaList: RebuildList(listFor, forModel_, mask); break;
      case TViewStep::Dependence: UpdateDependenceView(); break;
      case TViewStep::LinkManager:
        if (link_ && link_->isVisible()) link_->FillLinkList();
        break;
      case TViewStep::EnsureSelection:
        for (QTableView* list : {listVar, listFor})
          if (list->model()->rowCount() > 0 && !HasSelection(list)) {
            list->selectRow(0);
            ListClick(list == listVar ? TObjectList::Variables : TObjectList::Formulas);
          }
        break;
      case TViewStep::ChoosePanel: {
        const bool modelPanel = panel_ == PanelVariables || panel_ == PanelFormulas ||
                                panel_ == PanelDependence || panel_ == PanelZoziVor;
        const bool zozivor = GetHeaderModelType() == 3;
        if (wb_.FileOpen && zozivor && InputKind(wb_.CurrentFileKind) && pages_[PanelZoziVor]) {
          if (!modelPanel || (mask & ViewCaption)) ChangePanel(PanelZoziVor);
        } else if (!wb_.FileOpen || InputKind(wb_.CurrentFileKind)) {
          // Without the graph panel a ZoziVor model shows its variables.
          if (!modelPanel || (zozivor && (mask & ViewCaption))) ChangePanel(PanelVariables);
        } else if (wb_.CurrentFileKind == FileKindOutputFile) {
          ChangePanel(PanelReport);
          if (link_) link_->hide();
          OpenOutputFile();
        } else if (wb_.CurrentFileKind == FileKindSampleFile) {
          ChangePanel(PanelVariables);
          SimulateSampleFile();
          if (link_) link_->hide();
        }
        break;
      }
      case TViewStep::GraphRebuild:
        if (GetHeaderModelType() == 3) UpdateGraph(ViewGraphRebuild | (mask & ViewGraph));
        break;
      case TViewStep::GraphState:
        if (GetHeaderModelType() == 3 && !(mask & ViewGraphRebuild)) UpdateGraph(ViewGraph);
        break;
    }
  }
}

void TFrmTesmiraMain::UpdateCaption() {
  if (wb_.FileOpen) {
    void* header = nullptr;
    wb_.CurrentFileKind = GetFileHeader(wb_.CurrentFileName.c_str(), &header);
  }
  TWindowTitles t = BuildWindowTitles(wb_.FileOpen, wb_.CurrentFileName, wb_.CurrentFileKind,
                                      GetHeaderModelType());
  setWindowTitle(QString::fromStdString(t.Caption));
  QApplication::setApplicationDisplayName(QString());
  qApp->setProperty("tesmiraTitle", QString::fromStdString(t.Title));
  const int kind = wb_.CurrentFileKind;
  mnuEdit->setEnabled(wb_.FileOpen && (InputKind(kind) || kind == FileKindOutputFile));
  mnuRun->setEnabled(wb_.FileOpen && (InputKind(kind) || kind == FileKindSampleFile));
  mnuReport->setEnabled(wb_.FileOpen && kind >= FileKindModelFile && kind <= FileKindLegacyModel);
  if (wb_.FileOpen) SyncDependenceButtons(true);
  const bool input = wb_.FileOpen && InputKind(wb_.CurrentFileKind);
  edModelDescription->setEnabled(input);
  labModelDescriptionLabel->setEnabled(input);
  const bool lists = wb_.FileOpen && wb_.CurrentFileKind != FileKindSampleFile;
  listVar->parentWidget()->setVisible(lists);
  m_formButtonsBar->setVisible(lists);
  ShowCaseDescription();
  ViewMenuClick();
  RunReportMenuClick();
  FileMenuClick();
}

QString ApplicationTitle() { return qApp->property("tesmiraTitle").toString(); }

void TFrmTesmiraMain::ShowCaseDescription() {
  void* header = nullptr;
  if (GetFileHeader(wb_.CurrentFileName.c_str(), &header) >= FileKindModelFile && header) {
    auto* h = static_cast<TTsmFileHeader*>(header);
    edModelDescription->setText(
        QString::fromStdString(Cp437ToUtf8(ShortStringView(h->description))));
  } else {
    edModelDescription->setText(
        QString::fromStdString(Cp437ToUtf8(ShortStringView(CurrentFileHeader()->description))));
  }
}

void TFrmTesmiraMain::RebuildList(QTableView* view, TObjectListModel* model, unsigned mask) {
  model->Rebuild();
  if (view == listVar) {
    const bool sample = IsSampleInputModel();
    // The Add and Batch buttons come with the variable editor.
    (void)sample;
  }
  if (model->rowCount() > 0 && ViewSelectsFirstItem(mask)) view->selectRow(0);
  ListClick(view == listVar ? TObjectList::Variables : TObjectList::Formulas);
}

void TFrmTesmiraMain::ViewMenuClick() {
  const bool input = wb_.FileOpen && InputKind(wb_.CurrentFileKind);
  for (QAction* a : {mitViewVar, mitViewFor, mitViewDep}) a->setEnabled(input);
  mitViewDual->setEnabled(input && GetHeaderModelType() == 3);
  const std::pair<QAction*, QAction*> tools[] = {
      {toolVar, mitViewVar}, {toolFun, mitViewFor}, {toolDep, mitViewDep}, {toolDual, mitViewDual}};
  for (const auto& [tool, item] : tools) tool->setEnabled(item->isEnabled());
}

void TFrmTesmiraMain::EditMenuClick() {
  mitUndo->setEnabled(wb_.Undo.CanUndo());
  mitUndo->setText(QString::fromStdString("Undo " + wb_.Undo.ActionCaption(true)));
  mitRedo->setEnabled(wb_.Undo.CanRedo());
  mitRedo->setText(QString::fromStdString("Redo " + wb_.Undo.ActionCaption(false)));
}

void TFrmTesmiraMain::ChangePanel(int index) {
  if (index < PanelZoziVor || index > PanelReport) return;
  if (panel_ == PanelDependence) LeaveDependencePanel();
  if (index == PanelZoziVor) EnterZoziVorPanel(panel_ != PanelZoziVor);
  if (index == PanelFormulas && Get_TSMObjectsNumber(ObjFormula) == 0) {
    // The formula panel always shows at least one (empty) formula; the
    // addition is not recorded for undo.
    TUdf udf;
    std::memset(&udf, 0, sizeof udf);
    SetShortString(udf.name, UniqueObjectName("F", 6));
    if (Create_TSMObject(ObjFormula, &udf) > 0) {
      SetModified(wb_, true);
      forModel_->Rebuild();
    }
  }
  panel_ = index;
  if (index == PanelFormulas)
    static_cast<QVBoxLayout*>(panFor_->layout())->addWidget(m_formButtonsBar);
  else if (index == PanelVariables)
    static_cast<QVBoxLayout*>(panVar_->layout())->addWidget(m_formButtonsBar);
  stack_->setCurrentWidget(pages_[index] ? pages_[index] : panEmpty_);
  UpdateMenuItems();
  if (index == PanelVariables) {
    ListClick(TObjectList::Variables);
  } else if (index == PanelFormulas) {
    ListClick(TObjectList::Formulas);
    ActiveView(TObjectList::Formulas)->setFocus();
  } else if (index == PanelDependence) {
    EnterDependencePanel();
  } else if (index == PanelReport) {
    richReport->setFocus();
  } else if (QWidget* focus = QApplication::focusWidget(); focus && isAncestorOf(focus)) {
    focus->clearFocus();
  }
  const std::array<std::pair<QAction*, QAction*>, 4> marks{{{mitViewDual, toolDual},
                                                            {mitViewVar, toolVar},
                                                            {mitViewFor, toolFun},
                                                            {mitViewDep, toolDep}}};
  if (index < PanelReport) {
    marks[index].first->setChecked(true);
    marks[index].second->setChecked(true);
  }
  toolRep->setChecked(index == PanelReport);
}

void TFrmTesmiraMain::SetPanelPage(int index, QWidget* page) {
  if (index != PanelZoziVor && index != PanelDependence) return;
  stack_->addWidget(page);
  pages_[index] = page;
  (index == PanelZoziVor ? mitViewDual : mitViewDep)->setVisible(true);
  (index == PanelZoziVor ? toolDual : toolDep)->setVisible(true);
}

QWidget* TFrmTesmiraMain::PanelPage(int index) const {
  return index >= 0 && index < static_cast<int>(pages_.size()) ? pages_[index] : nullptr;
}

void TFrmTesmiraMain::ShowPanel(TPanel panel) {
  ChangePanel(panel == TPanel::Variables  ? PanelVariables
              : panel == TPanel::Formulas ? PanelFormulas
              : panel == TPanel::ZoziVor  ? PanelZoziVor
                                          : PanelDependence);
}

void TFrmTesmiraMain::ShowIndexColumn(bool show) {
  settings_.ShowObjIdx = show;
  for (QTableView* list : {listVar, listFor}) list->setColumnHidden(0, !show);
}

QTableView* TFrmTesmiraMain::CurrentList() const {
  if (panel_ == PanelVariables) return listVar;
  if (panel_ == PanelFormulas) return listFor;
  return nullptr;
}

QTableView* TFrmTesmiraMain::ListOf(TObjectList list) const {
  return list == TObjectList::Variables ? listVar : listFor;
}

bool TFrmTesmiraMain::HasSelection(QTableView* view) const {
  return view->selectionModel() && view->selectionModel()->hasSelection();
}

int TFrmTesmiraMain::ListItemCount(TObjectList list) { return ListOf(list)->model()->rowCount(); }

void TFrmTesmiraMain::SelectListItem(TObjectList list, int index) {
  QTableView* view = ListOf(list);
  if (view->model()->rowCount() !=
      Get_TSMObjectsNumber(list == TObjectList::Variables ? ObjRandomVariable : ObjFormula))
    static_cast<TObjectListModel*>(view->model())->Rebuild();
  view->selectRow(index);
  view->scrollTo(view->model()->index(index, 0));
}

void TFrmTesmiraMain::ListClick(TObjectList) {
  // The editor frames show the selection when they exist.
  EditMenuClick();
}

void TFrmTesmiraMain::ReloadVariableFrame(int) { varModel_->Rebuild(); }
void TFrmTesmiraMain::ReloadFormulaFrame(int) { forModel_->Rebuild(); }

IDependenceTree& TFrmTesmiraMain::DependenceTree() { return *tree_; }

void TFrmTesmiraMain::SyncSelection(bool toModel) {
  const std::pair<QTableView*, int> lists[] = {{listVar, ObjRandomVariable}, {listFor, ObjFormula}};
  for (const auto& [view, kind] : lists) {
    const int rows = view->model()->rowCount();
    if (toModel) {
      for (int r = 0; r < rows; ++r)
        Mark_TSMObjectSelected(r + 1, kind, view->selectionModel()->isRowSelected(r, {}));
    } else {
      view->clearSelection();
      for (int r = 0; r < rows; ++r)
        if (IsSelectedTSMObject(r + 1, kind) > 0)
          view->selectionModel()->select(view->model()->index(r, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }
}

void TFrmTesmiraMain::Navigate(int tag) {
  QTableView* list = CurrentList();
  if (!list) return;
  const int count = list->model()->rowCount();
  if (count == 0) return;
  const QModelIndex current = list->selectionModel()->currentIndex();
  int a = HasSelection(list) && current.isValid() ? current.row() : 0;
  if (HasSelection(list) && !list->selectionModel()->isRowSelected(a, {}))
    a = list->selectionModel()->selectedRows().front().row();
  if (tag == 2 && a >= count - 1) return;
  if (tag == 1 && a == 0) return;
  const int target = tag == 0 ? 0 : tag == 1 ? a - 1 : tag == 2 ? a + 1 : count - 1;
  list->clearSelection();
  list->selectRow(target);
  ListClick(list == listVar ? TObjectList::Variables : TObjectList::Formulas);
}

// ---- window events --------------------------------------------------------------

void TFrmTesmiraMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!firstShow_) return;
  firstShow_ = false;
  if (ShowLogoAllowed()) {
    auto* logo = new TLogoForm(this);
    logo->show();
  }
  ProcessCommandLine();
}

void TFrmTesmiraMain::closeEvent(QCloseEvent* event) {
  if (!ConfirmDiscardReport(true, true) || ConfirmSaveModel(wb_) == TAnswer::Cancel ||
      !ClearPrivateClipboard()) {
    event->ignore();
    return;
  }
  if (link_) link_->hide();
  event->accept();
}

void TFrmTesmiraMain::resizeEvent(QResizeEvent* event) { QMainWindow::resizeEvent(event); }

void TFrmTesmiraMain::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFrmTesmiraMain::dropEvent(QDropEvent* event) {
  event->acceptProposedAction();
  DropFiles(event->mimeData());
}

void TFrmTesmiraMain::DropFiles(const QMimeData* data) {
  if (!ConfirmDiscardReport(true, false)) return;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) {
      OpenGivenFile(url.toLocalFile().toStdString());
      return;
    }
}

bool TFrmTesmiraMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) keyUpEvent_ = nullptr;  // a new key
  if (event->type() == QEvent::KeyRelease && watched->isWidgetType()) {
    // Once per key, at the control that receives it first: a release that
    // no control used travels on to the control's parents.
    auto* widget = static_cast<QWidget*>(watched);
    const bool travelling = event == keyUpEvent_ && keyUpFirst_ &&
                            (widget == keyUpFirst_ || widget->isAncestorOf(keyUpFirst_));
    if (!travelling) {
      keyUpEvent_ = event;
      keyUpFirst_ = widget;
      if (widget->window() == this && KeyUpSteps(widget, static_cast<QKeyEvent*>(event)))
        return true;
    }
  }
  const bool vars = watched == listVar || watched == listVarNames;
  const bool fors = watched == listFor || watched == listForNames;
  if ((vars || fors) && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown) {
      Navigate(key->key() == Qt::Key_PageUp ? 1 : 2);
      return true;
    }
    if (key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier) {
      EditSelectedName(vars ? TObjectList::Variables : TObjectList::Formulas);
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TFrmTesmiraMain::KeyUpSteps(QWidget* target, QKeyEvent* key) {
  if (key->isAutoRepeat() || key->modifiers() != Qt::NoModifier) return false;
  if (panel_ != PanelVariables && panel_ != PanelFormulas) return false;
  const bool inList = qobject_cast<QAbstractItemView*>(target) != nullptr;
  const bool inEdit = qobject_cast<QLineEdit*>(target) || qobject_cast<QPlainTextEdit*>(target) ||
                      qobject_cast<QTextEdit*>(target) || qobject_cast<QAbstractSpinBox*>(target);
  int tag = -1;
  if (!inList && key->key() == Qt::Key_PageUp) tag = 1;
  if (!inList && key->key() == Qt::Key_PageDown) tag = 2;
  if (!inEdit && !inList && key->key() == Qt::Key_Home) tag = 0;
  if (!inEdit && !inList && key->key() == Qt::Key_End) tag = 3;
  if (tag < 0) return false;
  // The focused control first commits its edit, as on Enter.
  if (target) {
    QKeyEvent enter(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
  }
  Navigate(tag);
  return true;
}

void TFrmTesmiraMain::CommitActiveEdit() {
  QWidget* focus = QApplication::focusWidget();
  if (!focus || focus->window() != this) return;
  focus->clearFocus();
  if (focus->objectName() != "edInplace") focus->setFocus();
}

// ---- the File menu --------------------------------------------------------------

bool TFrmTesmiraMain::ConfirmDiscardReport(bool ask, bool quitting) {
  const QString ending = quitting ? "quitting the program?" : "discarding it?";
  if (ask && richReport->document()->lineCount() > 2 && ReportTag > 0 &&
      richReport->document()->isModified()) {
    TAnswer a = wb_.Prompt().Ask(TMessageKind::Confirmation,
                                 "Do you wish to save the report before " + ending.toStdString(),
                                 BtnYesNoCancel);
    if (a == TAnswer::Cancel) return false;
    if (a == TAnswer::Yes) {
      const int keep = panel_;
      panel_ = PanelReport;
      SaveAsClick();
      panel_ = keep;
      if (richReport->document()->isModified()) return false;
    }
  }
  richReport->setPlainText(kEmptyReport);
  richReport->document()->setModified(false);
  ReportTag = 0;
  return true;
}

bool TFrmTesmiraMain::NewClick() {
  if (!ConfirmDiscardReport(true, false)) return false;
  if (!NewModelAfterPrompt(wb_)) return false;
  wb_.FileOpen = true;
  ResetAfterLoad(false, true);
  ChangePanel(PanelVariables);
  return true;
}

void TFrmTesmiraMain::NewModelOfType(int index) {
  if (NewClick()) SetModelClick(index);
}

void TFrmTesmiraMain::SetModelClick(int index) {
  const int type = index == 0 ? 2 : 3;
  if (type == GetHeaderModelType()) return;
  SetHeaderModelType(type);
  UpdateView(ViewAfterModelType);
}

void TFrmTesmiraMain::ResetAfterLoad(bool loaded, bool isNew) {
  ClearUserDefinedQuantiles();
  wb_.ReportAvailable = false;
  if (loaded || isNew) {
    ResolveLinkedDistributionFiles(wb_);
    ResetGraphAfterLoad(loaded);
    wb_.Undo.ClearHistory();
  }
  ResetDependenceAfterLoad(isNew);
  UpdateView(ViewAfterLoad);
  EditMenuClick();
}

bool TFrmTesmiraMain::AddToMRU(const std::string& name) {
  if (!AddToRecentFiles(settings_.Mru, name)) return false;
  RefreshMRUActions();
  return true;
}

void TFrmTesmiraMain::OpenClick() {
  if (!ConfirmDiscardReport(true, false)) return;
  TOpenDialog dialog;
  dialog.Options.Title = "Open";
  dialog.Options.Filter = std::string(kInputFilter) + "|" + kOutputFilter + "|" + kSampleFilter;
  std::string loaded;
  bool replaced = false;
  LoadModelFiles(wb_, dialog, LoadOpen, loaded, &replaced);
  if (!loaded.empty())
    ResetAfterLoad(AddToMRU(loaded), false);
  else if (replaced)
    ResetAfterLoad(false, true);  // the old model is gone: start clean
}

std::string TFrmTesmiraMain::LoadGivenFile(const std::string& fileName) {
  TOpenDialog dialog;
  dialog.Files = {fileName};
  std::string loaded;
  bool replaced = false;
  LoadModelFiles(wb_, dialog, LoadListed, loaded, &replaced);
  if (loaded.empty() && replaced) ResetAfterLoad(false, true);
  return loaded;
}

void TFrmTesmiraMain::OpenGivenFile(const std::string& fileName) {
  const std::string loaded = LoadGivenFile(fileName);
  if (!loaded.empty()) ResetAfterLoad(AddToMRU(loaded), false);
}

void TFrmTesmiraMain::MRUClick(int entry) {
  if (!ConfirmDiscardReport(true, false)) return;
  OpenGivenFile(settings_.Mru[entry]);
}

void TFrmTesmiraMain::LinkOrMergeClick(bool link) {
  TOpenDialog dialog;
  dialog.Options.Title = link ? "Link" : "Merge";
  dialog.Options.Filter = kInputFilter;
  SyncSelection(true);
  std::string loaded;
  LoadModelFiles(wb_, dialog, link ? LoadLink : LoadMerge, loaded);
  AddToMRU(loaded);
  ClearUserDefinedQuantiles();
  ResolveLinkedDistributionFiles(wb_);
  wb_.ReportAvailable = false;
  UpdateView(ViewModelObjects | ViewGraph | ViewGraphRebuild);
  SyncSelection(false);
  UpdateView(ViewEnsureSelection);
}

bool TFrmTesmiraMain::MarkForWrite(bool extractOnly, bool all) {
  if (!extractOnly) {
    MarkObjectsForSave();
    return true;
  }
  Mark_AllTSMObjectsSelected(false);
  const bool takeVar = all || panel_ == PanelVariables;
  const bool takeFor = all || panel_ == PanelFormulas;
  const std::pair<QTableView*, int> lists[] = {{listVar, ObjRandomVariable}, {listFor, ObjFormula}};
  for (const auto& [view, kind] : lists) {
    if ((view == listVar && !takeVar) || (view == listFor && !takeFor)) continue;
    for (const QModelIndex& i : view->selectionModel()->selectedRows())
      Mark_TSMObjectSelected(i.row() + 1, kind, true);
  }
  return true;
}

void TFrmTesmiraMain::ExtractClick(bool all) {
  const bool takeVar = (all || panel_ == PanelVariables) && HasSelection(listVar);
  const bool takeFor = !takeVar && (all || panel_ == PanelFormulas) && HasSelection(listFor);
  if (!takeVar && !takeFor) {
    wb_.Prompt().Show(TMessageKind::Plain, "No objects selected, nothing to extract");
    return;
  }
  if (takeFor) {
    SyncSelection(true);
    if (RemoveEmptyFormulas() > 0) UpdateView(ViewFormulas | ViewKeepSelection);
    SyncSelection(false);
  }
  Mark_AllTSMObjectsSelected(false);
  QTableView* view = takeVar ? listVar : listFor;
  const int kind = takeVar ? ObjRandomVariable : ObjFormula;
  for (const QModelIndex& i : view->selectionModel()->selectedRows())
    Mark_TSMObjectSelected(i.row() + 1, kind, true);
  UnmarkFreeDependenceNodes();
  const std::string base = wb_.CurrentFileName.empty()
                               ? std::string("model_extract")
                               : ChangeFileExt(wb_.CurrentFileName, "_extract");
  TFileDialogOptions options;
  options.Title = "Save As";
  options.Filter = kModelSaveFilter;
  options.InitialName = ExtractFileName(UniqueFileName(ChangeFileExt(base, ""), ".tsm", false));
  options.InitialFolder = ExtractFileFolder(wb_.CurrentFileName);
  const std::string ownName = wb_.CurrentFileName;
  const bool ownModified = wb_.Modified;
  SetExtractState(1);
  SaveModelAs(wb_, true, options);
  SetExtractState(0);
  // The model keeps its own file and its unsaved state.
  wb_.CurrentFileName = ownName;
  wb_.Modified = ownModified;
  UpdateSaveButton();
}

void TFrmTesmiraMain::ImportDOSClick() {
  TOpenDialog dialog;
  dialog.Options.Title = "Import DOS Tesmira File";
  dialog.Options.Filter = kLegacyFilter;
  std::string loaded;
  LoadModelFiles(wb_, dialog, LoadOpen, loaded);
  if (!loaded.empty()) {
    AddToMRU(loaded);
    wb_.Undo.ClearHistory();
    ResetGraphAfterLoad(false);
  }
  UpdateView(ViewCaption | ViewModelObjects);
  if (!loaded.empty()) UpdateView(ViewChoosePanel);
}

void TFrmTesmiraMain::ConvertDOSClick() {
  const QString caption = windowTitle();
  setWindowTitle("Converting DOS files...");
  TOpenDialog dialog;
  dialog.Options.Title = "Convert DOS Tesmira File";
  dialog.Options.Filter = kLegacyFilter;
  dialog.Options.MultiSelect = true;
  std::string result;
  if (LoadModelFiles(wb_, dialog, LoadConvert, result) > 0) {
    NewModel(wb_);
    UpdateView(ViewCaption | ViewModelObjects);
  } else {
    setWindowTitle(caption);
  }
}

void TFrmTesmiraMain::SaveClick() {
  if (RemoveEmptyFormulas() > 0) UpdateView(ViewFormulas | ViewKeepSelection);
  if (!CheckFormulaSet(wb_, true, panel_ == PanelFormulas)) return;
  MarkForWrite(false, true);
  if (!SaveModelAs(wb_, false).empty()) {
    AddToMRU(wb_.CurrentFileName);
    SetModified(wb_, false);
  }
  UpdateView(ViewCaption);
}

// The office document of the report, copied to where the user chooses; the
// panel then names the copy.
void TFrmTesmiraMain::SaveReportDocumentAs() {
  const QFileInfo document(QString::fromStdString(ReportDocument));
  const bool odt = document.suffix().compare("odt", Qt::CaseInsensitive) == 0;
  TFileDialogOptions options;
  options.Title = "Save Tesmira Report";
  options.Filter = odt ? "OpenDocument Text (*.odt)|*.odt|All Files|*.*"
                       : "Rich Text Format (*.rtf)|*.rtf|All Files|*.*";
  options.InitialName = document.completeBaseName().toStdString();
  std::string name;
  if (!wb_.Chooser().ChooseSave(options, name)) return;
  if (QFileInfo(QString::fromStdString(name)).suffix().isEmpty()) name += odt ? ".odt" : ".rtf";
  const QString target = QFileInfo(QString::fromStdString(name)).absoluteFilePath();
  if (target == document.absoluteFilePath()) {
    richReport->document()->setModified(false);
    return;
  }
  if (FileExists(name) && wb_.Prompt().Ask(TMessageKind::Confirmation,
                                           name + " already exists.\nDo you want to replace it?",
                                           BtnYesNo) != TAnswer::Yes)
    return;
  // The copy is written beside its target and renamed over it when complete.
  const QString part = target + ".part";
  QFile::remove(part);
  if (!QFile::copy(document.absoluteFilePath(), part) ||
      (QFile::exists(target) && !QFile::remove(target)) || !QFile::rename(part, target)) {
    QFile::remove(part);
    wb_.Prompt().Show(TMessageKind::Error,
                      "There was a problem writing the file " + ExtractFileName(name));
    return;
  }
  ReportDocument = target.toStdString();
  richReport->setPlainText(QString(kOfficeNote) + "\n" + target);
  richReport->document()->setModified(false);
}

void TFrmTesmiraMain::SaveAsClick(bool fromSimulate) {
  if (panel_ == PanelReport && !fromSimulate && ReportTag == 3 && !ReportDocument.empty()) {
    SaveReportDocumentAs();
    return;
  }
  if (panel_ == PanelReport && !fromSimulate) {
    const bool plain = ReportTag != 2;
    TFileDialogOptions options;
    options.Title = "Save Tesmira Report";
    options.Filter = plain
                         ? "Tesmira Report (*.rep)|*.rep|Text Document (*.txt)|*.txt|All Files|*.*"
                         : "Rich Text Format (*.rtf)|*.rtf|All Files|*.*";
    options.InitialName = ChangeFileExt(ExtractFileName(wb_.CurrentFileName), "");
    std::string name;
    if (!wb_.Chooser().ChooseSave(options, name)) return;
    if (QFileInfo(QString::fromStdString(name)).suffix().isEmpty()) name += plain ? ".rep" : ".rtf";
    if (FileExists(name) && wb_.Prompt().Ask(TMessageKind::Confirmation,
                                             name + " already exists.\nDo you want to replace it?",
                                             BtnYesNo) != TAnswer::Yes)
      return;
    QFile file(QString::fromStdString(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      wb_.Prompt().Show(TMessageKind::Error,
                        "There was a problem writing the file " + ExtractFileName(name));
      return;
    }
    if (!plain && !LastReportStream.empty()) {
      file.write(LastReportStream.data(), static_cast<qint64>(LastReportStream.size()));
    } else {
      QString text = richReport->toPlainText();
      text.replace("\n", "\r\n");
      file.write(text.toUtf8());
    }
    richReport->document()->setModified(false);
    return;
  }
  if (RemoveEmptyFormulas() > 0) UpdateView(ViewFormulas | ViewKeepSelection);
  if (!CheckFormulaSet(wb_, true, panel_ == PanelFormulas)) return;
  MarkForWrite(false, true);
  TFileDialogOptions options;
  options.Title = "Save As";
  options.Filter = kModelSaveFilter;
  options.InitialName = ChangeFileExt(ExtractFileName(wb_.CurrentFileName), "");
  options.InitialFolder = ExtractFileFolder(wb_.CurrentFileName);
  const std::string saved = SaveModelAs(wb_, true, options);
  if (!saved.empty()) {
    AddToMRU(saved);
    SetModified(wb_, false);
  }
  UpdateView(ViewCaption);
}

void TFrmTesmiraMain::ToolSaveClick() {
  FileMenuClick();
  if (mitSave->isEnabled())
    SaveClick();
  else if (mitSaveAs->isEnabled())
    SaveAsClick();
}

void TFrmTesmiraMain::MergeSelectedClick() {
  SyncSelection(true);
  QTableView* list = CurrentList();
  if (!list || !HasSelection(list)) {
    wb_.Prompt().Show(TMessageKind::Information, "No objects selected, nothing to merge.");
    return;
  }
  const int kind = list == listVar ? ObjRandomVariable : ObjFormula;
  bool merged = false;
  for (const QModelIndex& i : list->selectionModel()->selectedRows()) {
    const int n = i.row() + 1;
    if (kind == ObjRandomVariable && IsLinkedTSMObject(n, kind) > 0)
      RelativizeDistributionFile(wb_, n);
    if (Merge_LinkedObjects(n, kind) > 0) merged = true;
  }
  if (merged) {
    ScanDeadLinks();
    SetModified(wb_, true);
  } else {
    wb_.Prompt().Show(TMessageKind::Information,
                      "None of the objects selected is an external one, nothing to merge");
  }
  UpdateView(ViewModelObjects);
  SyncSelection(false);
  wb_.ReportAvailable = false;
}

void TFrmTesmiraMain::MergeAllClick() {
  SyncSelection(true);
  RelativizeAllDistributionFiles(wb_);
  if (Merge_LinkedObjects(0, 0) > 0) {
    ScanDeadLinks();
    SetModified(wb_, true);
  } else {
    wb_.Prompt().Show(TMessageKind::Plain,
                      "None of the model`s objects is an external one, nothing to merge");
  }
  UpdateView(ViewModelObjects);
  SyncSelection(false);
  wb_.ReportAvailable = false;
}

void TFrmTesmiraMain::ManageLinksClick() {
  if (!link_) return;
  if (link_->isVisible()) {
    link_->hide();
  } else {
    link_->FillLinkList();
    link_->show();
  }
}

void TFrmTesmiraMain::FileMenuClick() {
  CommitActiveEdit();
  const bool open = wb_.FileOpen;
  const bool input = InputKind(wb_.CurrentFileKind);
  const bool report = panel_ == PanelReport;
  const bool hasName = !wb_.CurrentFileName.empty();
  const bool links = GetLinkedFilesNumber() > 0;
  mitModelType->setEnabled(open);
  mitSave->setEnabled(open && wb_.Modified && hasName && input);
  mitSaveAs->setEnabled(open && (input || (wb_.CurrentFileKind == FileKindOutputFile &&
                                           ReportTag >= 1 && ReportTag <= 3)));
  const bool anySelection = HasSelection(listVar) || HasSelection(listFor);
  mitExtractAll->setEnabled(open && anySelection && input && !report);
  QTableView* list = CurrentList();
  mitExtract->setEnabled(open && input && list && HasSelection(list));
  mitExtract->setText(panel_ == PanelFormulas ? "Extract Selected Formula/UDF To A File..."
                      : panel_ == PanelDependence
                          ? "Extract Selected Dependence Tree To A File..."
                          : "Extract Selected Random Variables To A File...");
  mitMergeSel->setEnabled(open && list && HasSelection(list) && links && input);
  mitMergeAll->setEnabled(open && links && input);
  mitLink->setEnabled(open && input && !report);
  mitManageLinks->setEnabled(open && input && !report);
  mitMerge->setEnabled(input && !report);
  UpdateSaveButton();
}

void TFrmTesmiraMain::UpdateSaveButton() {
  toolSave->setEnabled(SaveButtonEnabled(wb_.FileOpen, wb_.CurrentFileKind, wb_.Modified,
                                         !wb_.CurrentFileName.empty(), ReportTag));
}

void TFrmTesmiraMain::OptionsClick() {
  TFrmOptions options(this);
  options.Load(CurrentDisplaySettings(), wb_.Undo.GetDepth(), settings_.ShowObjIdx);
  if (options.exec() != QDialog::Accepted) return;
  SetCurrentDisplaySettings(options.Display());
  wb_.Undo.SetDepth(options.UndoDepth());
  ShowIndexColumn(options.ShowIndexes());
  listVar->viewport()->update();
  listFor->viewport()->update();
  UpdateView(ViewDependence);
}

void TFrmTesmiraMain::AboutClick() {
  TAboutTesmira about(this);
  about.exec();
}

void TFrmTesmiraMain::ExitClick() { close(); }

// ---- the command line ------------------------------------------------------------

bool TFrmTesmiraMain::ShowLogoAllowed() const {
  return !(args_.size() == 2 && args_[0] == "-import_sam_file_for_udf" &&
           QFileInfo(args_[1]).isFile());
}

void TFrmTesmiraMain::ProcessCommandLine() {
  if (args_.size() == 1) {
    if (QFileInfo(args_[0]).isFile()) OpenGivenFile(args_[0].toStdString());
  } else if (!ShowLogoAllowed()) {
    if (!NewClick()) return;
    SetModelClick(0);
    CreateVariablesFromSampleFile(QFileInfo(args_[1]).absoluteFilePath().toStdString());
    UpdateView(ViewAfterLoad);
    ChangePanel(PanelFormulas);
  }
}

void TFrmTesmiraMain::CreateVariablesFromSampleFile(const std::string& fileName) {
  if (wb::CreateVariablesFromSampleFile(wb_, fileName) < 0) return;
  UpdateView(ViewVariables);
  listVar->selectAll();
  ListClick(TObjectList::Variables);
}

}  // namespace tesmira::wb
