#include "list_editing.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <numeric>

#include "batch_sample_selection.h"
#include "cp437.h"
#include "dependence_panel.h"
#include "main_view.h"
#include "main_window.h"
#include "model_helpers.h"
#include "small_dialogs.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "utilities.h"
#include "variable_frame.h"
#include "variable_frame_core.h"
#include "zozivor_panel.h"

namespace tesmira::wb {

namespace {

const char* const kDragFormat = "application/x-tesmira-list-drag";

// The header's captions with the sort mark of the sorted column.
class THeaderCaptions : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  TListSortState State;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    QVariant v = QIdentityProxyModel::headerData(section, orientation, role);
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return v;
    return QString::fromStdString(SortedCaption(v.toString().toStdString(), section, State));
  }
  void Changed() { headerDataChanged(Qt::Horizontal, 0, columnCount() - 1); }
};

}  // namespace

QString PrivateClipboardFormat(int kind) {
  char title[256] = {};
  GetDatatypeTitle(kind, title);
  return "application/x-tesmira-" + QString::fromLatin1(title).toLower().replace(' ', '-');
}

QSplitter* SplitBesideList(QWidget* list, const char* panelName, const char* splitterName) {
  QWidget* pane = list;
  while (pane->parentWidget() && pane->parentWidget()->objectName() != panelName)
    pane = pane->parentWidget();
  QWidget* panel = pane->parentWidget();
  if (panel == nullptr || panel->layout() == nullptr) return nullptr;
  auto* splitter = new QSplitter(Qt::Horizontal, panel);
  splitter->setObjectName(splitterName);
  delete panel->layout()->replaceWidget(pane, splitter);
  splitter->addWidget(pane);
  return splitter;
}

void SetFrameWidth(QWidget* frame, int width) {
  auto* splitter = qobject_cast<QSplitter*>(frame->parentWidget());
  if (splitter == nullptr || width <= 0) return;
  const int total = splitter->width() - splitter->handleWidth();
  splitter->setSizes({std::max(1, total - width), width});
}

bool TQtProgramStarter::StartProgram(const std::string& program,
                                     const std::vector<std::string>& args) {
  QStringList list;
  for (const std::string& a : args) list << QString::fromStdString(a);
  return QProcess::startDetached(QString::fromStdString(program), list);
}

bool TQtProgramStarter::OpenDocument(const std::string& path) {
  const QString p = QString::fromStdString(path);
  const int hash = p.indexOf('#');
  QUrl url = QUrl::fromLocalFile(hash < 0 ? p : p.left(hash));
  if (hash >= 0) url.setFragment(p.mid(hash + 1));
  return QDesktopServices::openUrl(url);
}

std::string TQtProgramStarter::FindExecutable(const std::string& name) {
  return QStandardPaths::findExecutable(QString::fromStdString(name)).toStdString();
}

bool TListEditing::AskBatch(TFrmBatch& dialog, std::string& name, int& count, int maximum) {
  dialog.edName->setText(QString::fromStdString(name));
  dialog.edCount->setRange(std::min(1, maximum), std::max(maximum, 0));
  dialog.edCount->setValue(std::min(count, maximum));
  if (dialog.exec() != QDialog::Accepted) return false;
  name = dialog.edName->text().toStdString();
  count = dialog.edCount->value();
  return true;
}

void TListEditing::UseBatchDialog(TFrmBatch& dialog) {
  BatchDialog = [&dialog](std::string& name, int& count, int maximum) {
    return AskBatch(dialog, name, count, maximum);
  };
}

TListEditing::TListEditing(TFrmTesmiraMain& window) : QObject(&window), w_(window) {
  views_ = {window.listVar, window.listFor, window.listVar->viewport(), window.listFor->viewport()};
  setObjectName("ListEditing");
  ProgramFolder = QCoreApplication::applicationDirPath().toStdString() + "/";
  BatchDialog = [this](std::string& name, int& count, int maximum) {
    TFrmBatch dialog(&w_);
    return AskBatch(dialog, name, count, maximum);
  };
  SampleSelectionDialog = [this](const std::vector<std::string>& names,
                                 std::vector<char>& checked) {
    return ChooseSampleVariables(&w_, names, checked);
  };
  BuildMenus();
  for (TObjectList list : {TObjectList::Variables, TObjectList::Formulas}) {
    QTableView* view = View(list);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    view->viewport()->setAcceptDrops(true);
    QHeaderView* header = view->horizontalHeader();
    auto* captions = new THeaderCaptions(this);
    captions->setSourceModel(view->model());
    header->setModel(captions);
    // A header click sorts the model's objects; it does not select a column.
    QObject::disconnect(header, &QHeaderView::sectionPressed, view, nullptr);
    QObject::disconnect(header, &QHeaderView::sectionEntered, view, nullptr);
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this,
            [this, list](int section) { SortClick(list, section); });
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
      if (!typeAheadMatch_) typeAhead_.clear();
      typeAheadMatch_ = false;
      UpdateEditMenu();
    });
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
      const int x = pos.x() + view->horizontalHeader()->offset();
      const int section = view->horizontalHeader()->logicalIndexAt(x);
      clickedColumn_ = section - 1;  // "Name" is 0, "#" -1
      mitSelSameCol->setEnabled(view->selectionModel()->currentIndex().isValid());
      UpdateEditMenu();
      popList->popup(view->viewport()->mapToGlobal(pos));
    });
    BuildToolbar(list);
  }
}

TListEditing::~TListEditing() = default;

int TListEditing::Kind(TObjectList list) {
  return list == TObjectList::Variables ? ObjRandomVariable : ObjFormula;
}

QTableView* TListEditing::View(TObjectList list) const {
  return list == TObjectList::Variables ? w_.listVar : w_.listFor;
}

// The views are watched through pointers of their own: the window itself may
// be half destroyed when its children send their last events.
bool TListEditing::IsListView(QObject* object) const {
  for (const QPointer<QObject>& v : views_)
    if (v && object == v.data()) return true;
  return false;
}

TObjectList TListEditing::ListOfView(QObject* view) const {
  return view == views_[0].data() || view == views_[2].data() ? TObjectList::Variables
                                                              : TObjectList::Formulas;
}

bool TListEditing::CurrentList(TObjectList& list) const {
  if (w_.VisiblePanel() == PanelVariables) {
    list = TObjectList::Variables;
    return true;
  }
  if (w_.VisiblePanel() == PanelFormulas) {
    list = TObjectList::Formulas;
    return true;
  }
  return false;
}

std::vector<int> TListEditing::SelectedRows(TObjectList list) const {
  std::vector<int> rows;
  for (const QModelIndex& i : View(list)->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TListEditing::SelectRows(TObjectList list, const std::vector<int>& rows) {
  QTableView* view = View(list);
  QItemSelection selection;
  for (int r : rows) selection.select(view->model()->index(r, 0), view->model()->index(r, 0));
  view->selectionModel()->select(selection,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (!rows.empty()) {
    view->selectionModel()->setCurrentIndex(view->model()->index(rows.back(), 1),
                                            QItemSelectionModel::NoUpdate);
    view->scrollTo(view->model()->index(rows.back(), 0));
  }
  w_.ListClick(list);
}

void TListEditing::SelectMarks(TObjectList list, const std::vector<char>& marks) {
  std::vector<int> rows;
  for (std::size_t i = 0; i < marks.size(); ++i)
    if (marks[i]) rows.push_back(static_cast<int>(i));
  SelectRows(list, rows);
}

// ---- menus and toolbars -----------------------------------------------------------

void TListEditing::BuildMenus() {
  auto add = [this](QMenu* menu, const QString& text, auto slot, const QKeySequence& key = {}) {
    QAction* a = menu->addAction(text);
    if (!key.isEmpty()) a->setShortcut(key);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  QMenu* edit = w_.mnuEdit;
  edit->addSeparator();
  mitCut = add(
      edit, "Cut", [this] { CutClick(); }, QKeySequence("Ctrl+X"));
  mitCopy = add(
      edit, "Copy", [this] { CopyClick(); }, QKeySequence("Ctrl+C"));
  mitPaste = add(
      edit, "Paste",
      [this] { PasteClick(QGuiApplication::keyboardModifiers() & Qt::ControlModifier); },
      QKeySequence("Ctrl+V"));
  mitDelete = add(edit, "Delete", [this] { DeleteClick(true); });
  edit->addSeparator();
  mitSelectAll = add(
      edit, "Select All", [this] { SelectAllClick(); }, QKeySequence("Ctrl+A"));
  mitInvertSelection = add(
      edit, "Invert Selection", [this] { InvertSelectionClick(); }, QKeySequence("Ctrl+I"));
  edit->addSeparator();
  mitRestore = add(edit, "Restore Last Valid Values", [this] {
    if (auto* frame = w_.findChild<TRandomVariablesForm*>()) frame->ShowSelection();
  });
  if (TDependencePanel* dependence = w_.DependencePanel()) dependence->AddEditMenuItems(edit);
  mitEditOptions = add(edit, "Options...", [this] { w_.OptionsClick(); });
  // The graph's Arrange Nodes, with its separator, comes last.
  if (auto* graph = qobject_cast<TZoziVorPanel*>(w_.PanelPage(PanelZoziVor)))
    for (QAction* a : {graph->ArrangeSeparator, graph->mitArrange->menuAction()}) {
      edit->removeAction(a);
      edit->addAction(a);
    }
  for (QAction* a : {mitCut, mitCopy, mitPaste, mitSelectAll, mitInvertSelection})
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(edit, &QMenu::aboutToShow, this, &TListEditing::UpdateEditMenu);

  popList = new QMenu(&w_);
  popList->setObjectName("popGroupByColumn");
  popList->addAction(mitCut);
  popList->addAction(mitCopy);
  popList->addAction(mitPaste);
  popList->addAction(mitDelete);
  popList->addSeparator();
  popList->addAction(mitSelectAll);
  popList->addAction(mitInvertSelection);
  mitSelSameCol =
      add(popList, "Select Same Value", [this] { SelectSameValueClick(clickedColumn_); });

  QMenu* run = w_.mnuRun;
  mitTesplore = add(run, "&Tesplore", [this] { LaunchDisplayClick(); });
  mitTesvane = add(run, "Tesvane", [this] { LaunchSensitivityClick(); });
  run->menuAction()->setVisible(true);

  QMenu* help = w_.mnuHelp;
  QAction* first = help->actions().isEmpty() ? nullptr : help->actions().front();
  mitHelpIndex = new QAction("Tesmira &Help", help);
  mitTutorial = new QAction("&Getting Started Tutorials", help);
  mitHelpTopic = new QAction("Help Topic", help);
  mitHelpTopic->setShortcut(QKeySequence(Qt::Key_F1));
  mitHelpTopic->setVisible(false);
  help->insertActions(first, {mitHelpIndex, mitTutorial, mitHelpTopic});
  help->insertSeparator(first);
  w_.addAction(mitHelpTopic);
  connect(mitHelpIndex, &QAction::triggered, this, &TListEditing::HelpIndexClick);
  connect(mitTutorial, &QAction::triggered, this, &TListEditing::TutorialClick);
  connect(mitHelpTopic, &QAction::triggered, this, &TListEditing::HelpTopicClick);
  // The edit shortcuts act on the lists' panels; elsewhere the text edits keep theirs.
  for (QAction* a : {mitCut, mitCopy, mitPaste, mitSelectAll, mitInvertSelection}) {
    w_.listVar->addAction(a);
    w_.listFor->addAction(a);
  }
}

void TListEditing::BuildToolbar(TObjectList list) {
  const bool vars = list == TObjectList::Variables;
  QTableView* view = View(list);
  QToolBar* bar = w_.findChild<QToolBar*>(vars ? "ToolBar1" : "ToolBar2");
  if (bar == nullptr) {
    bar = new QToolBar(view->parentWidget());
    bar->setObjectName(vars ? "ToolBar1" : "ToolBar2");
    if (auto* box = qobject_cast<QBoxLayout*>(view->parentWidget()->layout()))
      box->insertWidget(box->indexOf(view), bar);
  }
  const int i = Index(list);
  auto button = [&](const char* name, const QString& text, const QString& hint) {
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    bar->addWidget(b);
    return b;
  };
  butAdd[i] = button(vars ? "butVarAdd" : "butForAdd", "Add",
                     vars ? "Add random variable" : "Add formula/UDF");
  connect(butAdd[i], &QToolButton::clicked, this, [this, list] {
    if (w_.VisiblePanel() != (list == TObjectList::Variables ? PanelVariables : PanelFormulas))
      w_.ChangePanel(list == TObjectList::Variables ? PanelVariables : PanelFormulas);
    AddClick();
  });
  butDelete[i] = button(vars ? "butVarDelete" : "butForDelete", "Delete", "Delete selected");
  connect(butDelete[i], &QToolButton::clicked, this, [this] { DeleteClick(true); });
  if (vars) {
    butBatch[i] = button("butVarBatch", "Batch", "Create several random variables");
    butBatch[i]->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(butBatch[i]);
    menu->addAction("Create Variables...", this, &TListEditing::BatchCreateClick);
    menu->addAction("Create From Distribution File...", this,
                    &TListEditing::CreateFromDistributionFileClick);
    mitCreateFromSampleFile = menu->addAction("Create From Sample File...", this,
                                              &TListEditing::CreateFromSampleFileClick);
    connect(menu, &QMenu::aboutToShow, this,
            [this] { mitCreateFromSampleFile->setEnabled(SampleFileBatchEnabled()); });
    butBatch[i]->setMenu(menu);
  }
  butVerify[i] =
      button(vars ? "butVerifyDistrPresence" : "butVerifyAll", "Verify",
             vars ? "Verify the presence of distribution files" : "Verify all formulas/UDFs");
  connect(butVerify[i], &QToolButton::clicked, this, [this, vars] {
    if (vars)
      VerifyDistributionFiles();
    else
      VerifyAllClick();
  });
  butNatural[i] = button(vars ? "butVarNaturalOrder" : "butForNaturalOrder",
                         "Restore natural order", "not sorted");
  connect(butNatural[i], &QToolButton::clicked, this, [this, list] { SortClick(list, -1); });
  // Every button stays on the bar rather than behind its overflow arrow.
  bar->setMinimumWidth(bar->sizeHint().width());
}

void TListEditing::UpdateEditMenu() {
  TObjectList list = TObjectList::Variables;
  const bool listPanel = CurrentList(list);
  QWidget* focus = QApplication::focusWidget();
  const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
  TEditMenuInput in;
  in.FileOpen = w_.Workbench().FileOpen;
  in.ListPanel = listPanel;
  in.ListSelection = listPanel && View(list)->selectionModel()->hasSelection();
  in.ListFocused = listPanel && focus != nullptr && IsListView(focus);
  in.ClipboardHasListFormat =
      listPanel && clip && clip->hasFormat(PrivateClipboardFormat(Kind(list)));
  in.EditFocused = qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus);
  in.ClipboardHasText = clip && clip->hasText();
  in.VariablesPanel = w_.VisiblePanel() == PanelVariables;
  auto* graph = GraphPanel();
  in.GraphPanel = graph != nullptr;
  in.GraphSelection = graph != nullptr && graph->Graph().SelectedIndex >= 0;
  const TEditMenuState s = EditMenuState(in);
  mitCut->setEnabled(s.Cut);
  mitCopy->setEnabled(s.Copy);
  mitDelete->setEnabled(s.Delete);
  mitSelectAll->setEnabled(s.SelectAll);
  mitInvertSelection->setEnabled(s.InvertSelection);
  // The shortcut reaches the command, which decides; the menu shows the state.
  mitPaste->setEnabled(s.Paste || (listPanel && in.FileOpen));
  mitRestore->setVisible(s.RestoreVisible);
  if (TDependencePanel* dependence = w_.DependencePanel())
    dependence->UpdateEditMenuItems(w_.VisiblePanel() == PanelDependence);
}

// ---- commands -----------------------------------------------------------------------

void TListEditing::AddClick() {
  TObjectList list;
  if (!CurrentList(list)) return;
  const int kind = Kind(list);
  const int type =
      kind == ObjFormula ? 0 : NewVariableType(0, Get_TSMObjectsNumber(ObjRandomVariable));
  AddObject(w_.Workbench(), kind, type);
  UpdateEditMenu();
}

// The ZoziVor panel when it is the one shown.
TZoziVorPanel* TListEditing::GraphPanel() const {
  if (w_.VisiblePanel() != PanelZoziVor) return nullptr;
  return qobject_cast<TZoziVorPanel*>(w_.PanelPage(PanelZoziVor));
}

void TListEditing::DeleteClick(bool withSender) {
  if (auto* graph = GraphPanel()) {
    graph->DeleteSelected();
    UpdateEditMenu();
    return;
  }
  TObjectList list;
  if (!CurrentList(list)) return;
  const std::vector<int> rows = SelectedRows(list);
  if (rows.empty()) return;
  if (GetHeaderModelType() == 3)
    SwapListKind(w_.Workbench(), Kind(list), rows);
  else
    DeleteObjects(w_.Workbench(), Kind(list), rows, withSender, !withSender);
  UpdateEditMenu();
}

void TListEditing::CopyClick() {
  if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
    edit->copy();
    return;
  }
  TObjectList list;
  if (!CurrentList(list)) return;
  const std::vector<int> rows = SelectedRows(list);
  if (rows.empty()) return;
  const std::string block = BuildClipboardBlock(Kind(list), rows);
  auto* data = new QMimeData;
  data->setData(PrivateClipboardFormat(Kind(list)),
                QByteArray(block.data(), static_cast<qsizetype>(block.size())));
  QGuiApplication::clipboard()->setMimeData(data);
}

void TListEditing::CutClick() {
  if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
    edit->cut();
    return;
  }
  CopyClick();
  DeleteClick(false);
}

void TListEditing::PasteClick(bool after) {
  if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
    edit->paste();
    return;
  }
  TObjectList list;
  if (!CurrentList(list)) return;
  const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
  const QString format = PrivateClipboardFormat(Kind(list));
  if (!clip || !clip->hasFormat(format)) return;
  const QByteArray bytes = clip->data(format);
  const QModelIndex current = View(list)->selectionModel()->currentIndex();
  int at = -1;
  if (View(list)->selectionModel()->hasSelection())
    at = (current.isValid() ? current.row() : SelectedRows(list).front()) + (after ? 1 : 0);
  const std::vector<int> rows = PasteClipboardBlock(
      w_.Workbench(), Kind(list),
      std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())), at);
  if (!rows.empty()) SelectRows(list, rows);
  UpdateEditMenu();
}

void TListEditing::SelectAllClick() {
  TObjectList list;
  if (!CurrentList(list)) return;
  View(list)->selectAll();
  w_.ListClick(list);
}

void TListEditing::InvertSelectionClick() {
  TObjectList list;
  if (!CurrentList(list)) return;
  QTableView* view = View(list);
  std::vector<char> marks(static_cast<std::size_t>(view->model()->rowCount()));
  for (std::size_t r = 0; r < marks.size(); ++r)
    marks[r] = view->selectionModel()->isRowSelected(static_cast<int>(r), {}) ? 0 : 1;
  SelectMarks(list, marks);
}

void TListEditing::SelectSameValueClick(int column) {
  TObjectList list;
  if (!CurrentList(list)) return;
  const QModelIndex current = View(list)->selectionModel()->currentIndex();
  if (!current.isValid()) return;
  const int reference = current.row();
  SelectMarks(list, SelectSameValue(Kind(list), reference, column));
  View(list)->selectionModel()->setCurrentIndex(View(list)->model()->index(reference, 1),
                                                QItemSelectionModel::NoUpdate);
}

void TListEditing::RefreshHeader(TObjectList list) {
  QHeaderView* header = View(list)->horizontalHeader();
  if (auto* captions = dynamic_cast<THeaderCaptions*>(header->model())) {
    captions->State = sort_[Index(list)];
    captions->Changed();
  }
}

void TListEditing::SortClick(TObjectList list, int column) {
  const std::vector<int> before = SelectedRows(list);
  std::vector<const void*> selected;
  for (int r : before) selected.push_back(Get_TSMObject(r + 1, Kind(list)));
  SortList(Kind(list), sort_[Index(list)], column);
  View(list)->viewport()->update();
  // The selection stays with the objects.
  std::vector<int> rows;
  for (const void* o : selected) {
    const int n = Get_TSMObjectIndex(o, Kind(list));
    if (n > 0) rows.push_back(n - 1);
  }
  std::sort(rows.begin(), rows.end());
  if (!rows.empty()) SelectRows(list, rows);
  RefreshHeader(list);
}

int TListEditing::TypeAhead(TObjectList list, const QString& typed) {
  QTableView* view = View(list);
  const int n = view->model()->rowCount();
  std::vector<std::string> names(static_cast<std::size_t>(n));
  for (int r = 0; r < n; ++r) names[static_cast<std::size_t>(r)] = SortKey(Kind(list), r, 1);
  const QModelIndex current = view->selectionModel()->currentIndex();
  const int start = current.isValid() ? current.row() : 0;
  std::string text = typeAhead_;
  const int row = TypeAheadFind(names, text, Utf8ToCp437(typed.toStdString()), start);
  if (row >= 0) {
    typeAheadMatch_ = true;
    SelectRows(list, {row});
  }
  typeAhead_ = text;
  return row;
}

void TListEditing::StartDrag(TObjectList list) {
  auto* drag = new QDrag(View(list));
  auto* data = new QMimeData;
  data->setData(kDragFormat, QByteArray::number(Index(list)));
  drag->setMimeData(data);
  drag->exec(Qt::MoveAction);
}

void TListEditing::Drop(TObjectList list, int targetRow) {
  QTableView* view = View(list);
  std::vector<char> marks(static_cast<std::size_t>(view->model()->rowCount()), 0);
  for (int r : SelectedRows(list)) marks[static_cast<std::size_t>(r)] = 1;
  marks = DropOnList(w_.Workbench(), Kind(list), marks, targetRow, sort_[Index(list)].Column >= 1);
  view->viewport()->update();
  SelectMarks(list, marks);
  w_.UpdateSaveButton();
}

void TListEditing::VerifyDistributionFiles() {
  CheckDistributionFiles(w_.Workbench(), *this, true,
                         SelectedRows(TObjectList::Variables).empty()
                             ? -1
                             : SelectedRows(TObjectList::Variables).front());
}

void TListEditing::VerifyAllClick() {
  if (CheckFormulaSet(w_.Workbench(), false, w_.VisiblePanel() == PanelFormulas))
    w_.Workbench().Prompt().Show(TMessageKind::Information, "Formula/UDF check OK.");
}

void TListEditing::ShowVariable(int row) {
  if (w_.VisiblePanel() != PanelVariables) w_.ChangePanel(PanelVariables);
  SelectRows(TObjectList::Variables, {row});
}

bool TListEditing::Browse() {
  const std::vector<int> rows = SelectedRows(TObjectList::Variables);
  if (rows.empty()) return false;
  const bool chosen = BrowseVariableFile(w_.Workbench(), rows.front());
  w_.listVar->viewport()->update();
  return chosen;
}

void TListEditing::BatchCreateClick() {
  const std::vector<int> rows = SelectedRows(TObjectList::Variables);
  TExtendedRandomVariable source;
  std::memset(&source, 0, sizeof source);
  std::string name = "V";
  if (!rows.empty()) {
    source =
        *static_cast<TExtendedRandomVariable*>(Get_TSMObject(rows.front() + 1, ObjRandomVariable));
    name = Cp437ToUtf8(SortKey(ObjRandomVariable, rows.front(), 1));
  }
  int count = 1;
  if (!BatchDialog(name, count, BatchCountLimit())) return;
  count = std::min(count, BatchCountLimit());
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const int added = BatchCreateVariables(w_.Workbench(), source, name, count);
  QApplication::restoreOverrideCursor();
  const int n = Get_TSMObjectsNumber(ObjRandomVariable);
  std::vector<int> last;
  for (int r = std::max(0, n - added); r < n; ++r) last.push_back(r);
  SelectRows(TObjectList::Variables, last);
}

void TListEditing::CreateFromDistributionFileClick() {
  TFileDialogOptions options;
  options.Title = "Open";
  options.Filter = "Distribution files (.dis)|*.dis|All files (*.*)|*.*";
  options.MultiSelect = true;
  options.InitialFolder = ExtractFileFolder(w_.Workbench().CurrentFileName);
  std::vector<std::string> files;
  if (!w_.Workbench().Chooser().ChooseOpen(options, files) || files.empty()) return;
  const int added = CreateFromDistributionFiles(w_.Workbench(), files);
  const int n = Get_TSMObjectsNumber(ObjRandomVariable);
  std::vector<int> last;
  for (int r = std::max(0, n - added); r < n; ++r) last.push_back(r);
  SelectRows(TObjectList::Variables, last);
}

void TListEditing::CreateFromSampleFileClick() {
  if (!SampleFileBatchEnabled()) return;
  if (BatchCreateFromSampleFile(w_.Workbench(), SampleSelectionDialog) < 0) return;
  w_.UpdateView(ViewVariables);
  std::vector<int> all(static_cast<std::size_t>(Get_TSMObjectsNumber(ObjRandomVariable)));
  std::iota(all.begin(), all.end(), 0);
  SelectRows(TObjectList::Variables, all);
}

void TListEditing::LaunchDisplayClick() {
  LaunchDisplayProgram(w_.Workbench().Prompt(), *starter_, ProgramFolder,
                       CurrentSampleFile(w_.Workbench().CurrentFileName));
}

void TListEditing::LaunchSensitivityClick() {
  LaunchSensitivityProgram(w_.Workbench().Prompt(), *starter_, ProgramFolder,
                           CurrentSampleFile(w_.Workbench().CurrentFileName));
}

void TListEditing::HelpIndexClick() {
  LoadHelpDocument(w_.Workbench().Prompt(), *starter_, ProgramFolder, kHelpDocument);
}

void TListEditing::TutorialClick() { starter_->OpenDocument(ProgramFolder + kTutorialDocument); }

void TListEditing::HelpTopicClick() {
  const int panel = w_.VisiblePanel();
  const int id = panel == PanelVariables    ? 10
                 : panel == PanelFormulas   ? 20
                 : panel == PanelDependence ? 30
                 : panel == PanelZoziVor    ? 40
                                            : 1;
  LoadHelpDocument(w_.Workbench().Prompt(), *starter_, ProgramFolder, ContextHelpTopic(id));
}

void TListEditing::NavigateToDefinition(TObjectList target, int originNumber, int targetKind,
                                        int targetNumber, int originKind) {
  const int kind = targetKind == 0 ? originKind : targetKind;
  const int number = targetKind == 0 ? originNumber : targetNumber;
  const std::string linked = LinkedFileOf(kind, number);
  NavStack.push_back(MakeNavEntry(w_.Workbench().CurrentFileName, originKind, originNumber,
                                  targetKind, targetNumber));
  const TNavEntry entry = NavStack.back();
  if (!entry.ReturnFile.empty()) w_.OpenGivenFile(AbsoluteFromModel(linked, "", entry.ReturnFile));
  w_.UpdateView(ViewCaption | ViewModelObjects | ViewKeepSelection);
  if (originKind != kind)
    w_.ChangePanel(target == TObjectList::Variables ? PanelVariables : PanelFormulas);
  if (const int found = ObjectNumberByName(kind, entry.TargetName); found > 0)
    w_.SelectListItem(target, found - 1);
}

void TListEditing::NavigateBack() {
  if (NavStack.empty()) return;
  const TNavEntry entry = NavStack.back();
  NavStack.pop_back();
  if (!entry.ReturnFile.empty()) w_.OpenGivenFile(entry.ReturnFile);
  const TObjectList list =
      entry.OriginKind == ObjRandomVariable ? TObjectList::Variables : TObjectList::Formulas;
  if (entry.OriginKind != entry.TargetKind)
    w_.ChangePanel(list == TObjectList::Variables ? PanelVariables : PanelFormulas);
  const int found = ObjectNumberByName(entry.OriginKind, entry.OriginName);
  w_.UpdateView(ViewEnsureSelection);
  if (found > 0) w_.SelectListItem(list, found - 1);
}

bool TListEditing::ClearPrivateClipboard() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  bool confirmed = false;
  for (int kind = 1; kind <= 7; ++kind) {
    const QMimeData* data = clipboard->mimeData();
    if (!data || !data->hasFormat(PrivateClipboardFormat(kind))) continue;
    if (!confirmed &&
        w_.Workbench().Prompt().Ask(TMessageKind::Confirmation, "Clear clipboard data?",
                                    BtnYesNo) != TAnswer::Yes)
      continue;
    confirmed = true;
    clipboard->clear();
  }
  return true;
}

// ---- events ---------------------------------------------------------------------------

bool TListEditing::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: break;
    default: return QObject::eventFilter(watched, event);
  }
  if (!IsListView(watched)) return QObject::eventFilter(watched, event);
  const TObjectList list = ListOfView(watched);
  QTableView* view = View(list);
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
        DeleteClick(true);
        return true;
      }
      const QString text = key->text();
      if (!text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace() &&
          !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        TypeAhead(list, text);
        return true;
      }
      break;
    }
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (watched != view->viewport() || mouse->button() != Qt::LeftButton) break;
      pressPos_ = mouse->position().toPoint();
      pressRow_ = view->indexAt(pressPos_).row();
      if (pressRow_ >= 0 && w_.Workbench().PendingListClick) {
        w_.Workbench().PendingListClick = false;
        pressRow_ = -1;
      }
      // A press on selected items keeps the selection for a drag.
      if (pressRow_ >= 0 && view->selectionModel()->isRowSelected(pressRow_, {}) &&
          mouse->modifiers() == Qt::NoModifier)
        return true;
      break;
    }
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (watched == view->viewport() && pressRow_ >= 0 && (mouse->buttons() & Qt::LeftButton) &&
          (mouse->position().toPoint() - pressPos_).manhattanLength() >=
              QApplication::startDragDistance()) {
        pressRow_ = -1;
        StartDrag(list);
        return true;
      }
      if (watched == view->viewport() && (mouse->buttons() & Qt::LeftButton)) return true;
      break;
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (watched == view->viewport() && pressRow_ >= 0 &&
          view->selectionModel()->isRowSelected(pressRow_, {}) &&
          mouse->modifiers() == Qt::NoModifier) {
        SelectRows(list, {pressRow_});
        pressRow_ = -1;
        return true;
      }
      pressRow_ = -1;
      break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      const bool own = drag->mimeData()->hasFormat(kDragFormat) &&
                       drag->mimeData()->data(kDragFormat).toInt() == Index(list);
      if (own)
        drag->acceptProposedAction();
      else
        drag->ignore();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (!drop->mimeData()->hasFormat(kDragFormat) ||
          drop->mimeData()->data(kDragFormat).toInt() != Index(list))
        return true;
      drop->acceptProposedAction();
      Drop(list, view->indexAt(drop->position().toPoint()).row());
      return true;
    }
    default: break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tesmira::wb
