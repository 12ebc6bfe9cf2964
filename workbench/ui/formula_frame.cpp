#include "formula_frame.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "buttons_bar.h"
#include "cp437.h"
#include "list_commands.h"
#include "list_editing.h"
#include "main_window.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"

namespace tesmira::wb {

namespace {

const char* const kTypeCaptions[6] = {"Random Variables",     "1 Arg. Functions",
                                      "Multi Arg. Functions", "Constants",
                                      "Ext.Function Tables",  "Formula/UDF"};
const char* const kTypeNames[6] = {"chkForRanVar", "chkFor1ARG", "chkForMARG",
                                   "chkForConst",  "chkForEFT",  "chkForUDF"};

void SetRed(QWidget* w, bool red) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText,
             red ? QColor(255, 0, 0) : QApplication::palette().windowText().color());
  p.setColor(QPalette::Text, red ? QColor(255, 0, 0) : QApplication::palette().text().color());
  w->setPalette(p);
}

}  // namespace

// ---- the completion popup ----------------------------------------------------------------

TFrmFormulaPopup::TFrmFormulaPopup(TFormula& frame) : QFrame(&frame, Qt::Popup), frame_(frame) {
  setObjectName("FrmFormulaPopup");
  resize(251, 180);
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  list = new QListWidget(this);
  list->setObjectName("list");
  box->addWidget(list);
  list->installEventFilter(this);
  connect(list, &QListWidget::itemDoubleClicked, this, [this] { Insert(false); });
}

void TFrmFormulaPopup::Open(int functionKey, const QRect& caret) {
  list->clear();
  for (const std::string& e : PopupEntries(functionKey, frame_.Workbench().CurrentFileName))
    list->addItem(QString::fromStdString(e));
  const QRect screen = QGuiApplication::screenAt(caret.center())
                           ? QGuiApplication::screenAt(caret.center())->availableGeometry()
                           : QGuiApplication::primaryScreen()->availableGeometry();
  const int xh = frame_.fontMetrics().height();
  int top = caret.top() + xh;
  if (top + height() > screen.bottom()) top = caret.top() - height();
  int left = caret.left();
  if (left + width() > screen.right()) left = caret.left() - width();
  move(left, top);
  show();
  list->setFocus();
}

void TFrmFormulaPopup::Insert(bool withBlank) {
  QListWidgetItem* item = list->currentItem();
  hide();
  if (item == nullptr || !item->isSelected()) return;  // nothing chosen: only closes
  frame_.InsertSymbol(item->text() + (withBlank ? " " : ""), false);
}

bool TFrmFormulaPopup::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
      Insert(key == Qt::Key_Space);
      return true;
    }
    if (key == Qt::Key_Escape || key == Qt::Key_Backspace) {
      hide();
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

// ---- the formula edit ---------------------------------------------------------------------

TFormulaEdit::TFormulaEdit(TFormula& frame, QWidget* parent) : QLineEdit(parent), frame_(frame) {
  setObjectName("richFormula");
  setMaxLength(32767);
}

void TFormulaEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key >= Qt::Key_F2 && key <= Qt::Key_F7) {
    frame_.OpenPopup(key - Qt::Key_F1 + 1);
    return;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter) return;  // committed on release
  if (event->matches(QKeySequence::Undo) ||
      (key == Qt::Key_Z && event->modifiers() == (Qt::ControlModifier | Qt::AltModifier))) {
    frame_.TextUndo(event->matches(QKeySequence::Undo));
    return;
  }
  if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
    frame_.TakeSnapshot(SnapDeletion);
  } else if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
    frame_.TakeSnapshot(SnapTyping);
    if (Overwrite && !hasSelectedText() && cursorPosition() < text().size())
      setSelection(cursorPosition(), 1);
  }
  QLineEdit::keyPressEvent(event);
}

void TFormulaEdit::keyReleaseEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Insert:
      Overwrite = !Overwrite;
      frame_.labInsertMode->setText(Overwrite ? "(Overwrite)" : "(Insert)");
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter: frame_.CommitText(false); break;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: frame_.TakeSnapshot(SnapCaret); break;
    default: break;
  }
  QLineEdit::keyReleaseEvent(event);
}

void TFormulaEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (!frame_.popup->isVisible()) frame_.CommitText(false);
}

void TFormulaEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  frame_.CaretMark = false;
}

void TFormulaEdit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QMenu* insertMenu = frame_.BuildInsertMenu(&menu);
  insertMenu->setEnabled(!isReadOnly());
  menu.addMenu(insertMenu);
  menu.addSeparator();
  QAction* undo = menu.addAction("Undo", [this] { frame_.TextUndo(true); });
  undo->setEnabled(frame_.Snapshots.CanUndo() && !isReadOnly());
  QAction* redo = menu.addAction("Redo", [this] { frame_.TextUndo(false); });
  redo->setEnabled(frame_.Snapshots.CanRedo());
  menu.addSeparator();
  const bool selected = hasSelectedText();
  menu.addAction("Cut",
                 [this] {
                   frame_.TakeSnapshot(SnapDeletion);
                   cut();
                 })
      ->setEnabled(selected && !isReadOnly());
  menu.addAction("Copy", this, &QLineEdit::copy)->setEnabled(selected);
  menu.addAction("Paste",
                 [this] {
                   frame_.TakeSnapshot(SnapDeletion);
                   this->insert(QGuiApplication::clipboard()->text().remove('\n').remove('\r'));
                 })
      ->setEnabled(QGuiApplication::clipboard()->mimeData()->hasText() && !isReadOnly());
  menu.addAction("Delete",
                 [this] {
                   frame_.TakeSnapshot(SnapDeletion);
                   del();
                 })
      ->setEnabled(selected && !isReadOnly());
  menu.addAction("Select All", this, &QLineEdit::selectAll);
  menu.exec(event->globalPos());
}

// ---- the frame ---------------------------------------------------------------------------------

TFormula::TFormula(TFrmTesmiraMain& window, QWidget* parent) : QFrame(parent), w_(window) {
  setObjectName("FormulaFrame");
  auto* box = new QVBoxLayout(this);
  BuildEditorArea(*box);
  BuildSymbolArea(*box);
  popup = new TFrmFormulaPopup(*this);
  ConnectSymbolArea();
  BuildSymbolMenu();
  ConnectEditorArea();
  SetSymbolBits(1);
}

// Name, description, formula text, the verify buttons and the message line.
void TFormula::BuildEditorArea(QVBoxLayout& box) {
  auto* grid = new QGridLayout;
  box.addLayout(grid);
  edForName = new QLineEdit(this);
  edForName->setObjectName("edForName");
  edForName->setMaxLength(32);
  memForDescription = new QLineEdit(this);
  memForDescription->setObjectName("memForDescription");
  memForDescription->setMaxLength(100);
  richFormula = new TFormulaEdit(*this, this);
  butVerify = new QPushButton("&Verify", this);
  butVerify->setObjectName("butVerify");
  butVerifyAll = new QPushButton("&Verify All", this);
  butVerifyAll->setObjectName("butVerifyAll");
  labMessage = new QLabel(this);
  labMessage->setObjectName("labMessage");
  labMessage->setWordWrap(true);
  lab7of9 = new QLabel(this);
  lab7of9->setObjectName("lab7of9");
  labInsertMode = new QLabel("(insert)", this);
  labInsertMode->setObjectName("labInsertMode");
  grid->addWidget(new QLabel("Formula/UDF", this), 0, 0);
  grid->addWidget(lab7of9, 0, 1);
  grid->addWidget(new QLabel("Name:", this), 1, 0);
  grid->addWidget(edForName, 1, 1, 1, 3);
  grid->addWidget(new QLabel("Description:", this), 2, 0);
  grid->addWidget(memForDescription, 2, 1, 1, 3);
  grid->addWidget(new QLabel("Formula:", this), 3, 0);
  grid->addWidget(richFormula, 3, 1, 1, 3);
  grid->addWidget(butVerify, 4, 1);
  grid->addWidget(butVerifyAll, 4, 2);
  grid->addWidget(labInsertMode, 4, 3);
  grid->addWidget(labMessage, 5, 0, 1, 4);
  grid->setColumnStretch(3, 1);
}

// The symbol filter, the type buttons and the symbol list.
void TFormula::BuildSymbolArea(QVBoxLayout& box) {
  auto* panel = new QWidget(this);
  panel->setObjectName("Panel1");
  auto* pbox = new QVBoxLayout(panel);
  pbox->setContentsMargins(0, 0, 0, 0);
  auto* row = new QHBoxLayout;
  edForFilter = new QLineEdit(panel);
  edForFilter->setObjectName("edForFilter");
  edForFilter->setToolTip(
      "Symbols filter - show only symbols containing entered substring in their name");
  BitBtn3 = new QPushButton("clear", panel);
  BitBtn3->setObjectName("BitBtn3");
  butAll = new QPushButton("all", panel);
  butAll->setObjectName("butAll");
  butNone = new QPushButton("none", panel);
  butNone->setObjectName("butNone");
  row->addWidget(edForFilter, 1);
  for (QPushButton* b : {BitBtn3, butAll, butNone}) row->addWidget(b);
  pbox->addLayout(row);
  auto* types = new QHBoxLayout;
  for (int i = 0; i < 6; ++i) {
    typeButtons[static_cast<std::size_t>(i)] = new QToolButton(panel);
    QToolButton* b = typeButtons[static_cast<std::size_t>(i)];
    b->setObjectName(kTypeNames[i]);
    b->setText(kTypeCaptions[i]);
    b->setCheckable(true);
    types->addWidget(b);
    connect(b, &QToolButton::toggled, this, [this] { FillSymbolList(); });
  }
  types->addStretch(1);
  pbox->addLayout(types);
  listForHelper = new QTreeWidget(panel);
  listForHelper->setObjectName("listForHelper");
  listForHelper->setRootIsDecorated(false);
  listForHelper->setColumnCount(2);
  listForHelper->setHeaderLabels({"Name", "Description"});
  listForHelper->setColumnWidth(0, 70);
  listForHelper->header()->setSectionsClickable(true);
  pbox->addWidget(listForHelper, 1);
  box.addWidget(panel, 1);
}

void TFormula::ConnectSymbolArea() {
  connect(edForFilter, &QLineEdit::textChanged, this, [this] { FillSymbolList(); });
  connect(BitBtn3, &QPushButton::clicked, edForFilter, &QLineEdit::clear);
  connect(butAll, &QPushButton::clicked, this, [this] { SetSymbolBits(63); });
  connect(butNone, &QPushButton::clicked, this, [this] { SetSymbolBits(0); });
  connect(listForHelper->header(), &QHeaderView::sectionClicked, this, [this](int c) {
    SymbolSortClick(c, SortState, SortColumn);
    FillSymbolList();
  });
  connect(listForHelper, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    InsertSymbol(item->text(0), QGuiApplication::keyboardModifiers() & Qt::ShiftModifier);
  });
}

// The symbol list's pop-up menu.
void TFormula::BuildSymbolMenu() {
  popList = new QMenu(listForHelper);
  popList->setObjectName("popList");
  mitViewList = popList->addAction("View list", this, [this] { SetReportStyle(false); });
  mitViewDetails = popList->addAction("View details", this, [this] { SetReportStyle(true); });
  mitViewList->setCheckable(true);
  mitViewDetails->setCheckable(true);
  mitVarEdit = popList->addAction("Edit", this, &TFormula::VarEditClick);
  mitSymbolHelp = popList->addAction("Help", this, [this] {
    if (auto* editing = w_.findChild<TListEditing*>("ListEditing")) editing->HelpTopicClick();
  });
  connect(popList, &QMenu::aboutToShow, this, &TFormula::PopListPopup);
  listForHelper->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(listForHelper, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    if (QTreeWidgetItem* item = listForHelper->itemAt(pos)) listForHelper->setCurrentItem(item);
    popList->popup(listForHelper->viewport()->mapToGlobal(pos));
  });
}

void TFormula::ConnectEditorArea() {
  connect(butVerify, &QPushButton::clicked, this, &TFormula::VerifyClick);
  connect(butVerifyAll, &QPushButton::clicked, this, &TFormula::VerifyAllClick);
  connect(edForName, &QLineEdit::editingFinished, this, &TFormula::RenameClick);
  connect(memForDescription, &QLineEdit::editingFinished, this, &TFormula::DescriptionClick);
}

TWorkbench& TFormula::Workbench() { return w_.Workbench(); }

std::vector<int> TFormula::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& i : w_.listFor->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

unsigned TFormula::SymbolBits() const {
  unsigned bits = 0;
  for (int i = 0; i < 6; ++i)
    if (typeButtons[static_cast<std::size_t>(i)]->isChecked()) bits |= 1u << i;
  return bits;
}

void TFormula::SetSymbolBits(unsigned bits) {
  busy_ = true;
  for (int i = 0; i < 6; ++i)
    typeButtons[static_cast<std::size_t>(i)]->setChecked(bits & (1u << i));
  busy_ = false;
  FillSymbolList();
}

void TFormula::ApplySettings() {
  const TWorkbenchSettings& st = w_.Settings();
  SortState = ((st.SymbSortAsc % 4) + 4) % 4;
  SortColumn = st.SymbSort == 0 || st.SymbSort == 1 ? st.SymbSort : -1;
  ReportStyle = st.SymbReport == 1;
  SetSymbolBits(static_cast<unsigned>(st.Symb) & 63u);
  SetFrameWidth(this, st.ForList.Split);
  settingsApplied_ = true;
  StoreSettings();
}

void TFormula::StoreSettings() {
  if (!settingsApplied_) return;
  TWorkbenchSettings& st = w_.MutableSettings();
  st.Symb = static_cast<int>(SymbolBits());
  st.SymbSortAsc = SortState;
  st.SymbSort = SortColumn;
  st.SymbReport = ReportStyle ? 1 : 0;
  st.ForList.Split = width();
}

void TFormula::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  StoreSettings();
}

void TFormula::SetReportStyle(bool report) {
  ReportStyle = report;
  FillSymbolList();
}

int TFormula::CurrentSymbolType() const {
  const QTreeWidgetItem* item = listForHelper->currentItem();
  return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

void TFormula::PopListPopup() {
  mitViewList->setChecked(!ReportStyle);
  mitViewDetails->setChecked(ReportStyle);
  const int type = CurrentSymbolType();
  mitVarEdit->setVisible(type == 0);                  // a random variable
  mitSymbolHelp->setVisible(type >= 1 && type <= 3);  // constants and functions
}

void TFormula::VarEditClick() {
  auto* editing = w_.findChild<TListEditing*>("ListEditing");
  if (editing == nullptr || CurrentSymbolType() != 0 || current_ < 0) return;
  const int number =
      Variable_exists(Utf8ToCp437(listForHelper->currentItem()->text(0).toStdString()).c_str());
  if (number <= 0) return;
  editing->NavigateToDefinition(TObjectList::Variables, current_ + 1, ObjRandomVariable, number,
                                ObjFormula);
}

void TFormula::showEvent(QShowEvent* event) {
  QFrame::showEvent(event);
  if (!settingsApplied_) ApplySettings();
}

void TFormula::FillSymbolList() {
  if (busy_) return;
  StoreSettings();
  listForHelper->clear();
  const std::vector<TSymbolItem> items =
      wb::FillSymbolList(SymbolBits(), edForFilter->text().toStdString(),
                         w_.Workbench().CurrentFileName, SortState, SortColumn);
  QList<QTreeWidgetItem*> rows;
  rows.reserve(static_cast<qsizetype>(items.size()));
  for (const TSymbolItem& s : items) {
    auto* item = new QTreeWidgetItem(
        {QString::fromStdString(s.Caption), QString::fromStdString(s.Description)});
    item->setData(0, Qt::UserRole, s.Type);
    rows.append(item);
  }
  listForHelper->addTopLevelItems(rows);
  listForHelper->setHeaderLabels(
      {QString::fromStdString(SymbolColumnCaption("Name", 0, SortState, SortColumn)),
       QString::fromStdString(SymbolColumnCaption("Description", 1, SortState, SortColumn))});
  listForHelper->setColumnHidden(1, !ReportStyle);
}

void TFormula::ShowStatus(const QString& message, bool error, int target) {
  labMessage->setText(message.isEmpty() ? labMessage->toolTip() : message);
  SetRed(labMessage, error);
  if (target == 0) SetRed(edForName, error);
  if (target == 1) SetRed(richFormula, error);
  labMessage->repaint();
}

void TFormula::SyncWithSelection() {
  const std::vector<int> rows = SelectedRows();
  const TFormulaSelection s = FormulaSelectionView(rows);
  busy_ = true;
  setEnabled(s.Any);
  labMessage->clear();
  labMessage->setToolTip(QString());
  SetRed(labMessage, false);
  SetRed(edForName, false);
  SetRed(richFormula, false);
  const QModelIndex current = w_.listFor->selectionModel()->currentIndex();
  lab7of9->setText(QString::fromStdString(
      CounterCaption(static_cast<int>(rows.size()), rows.size() == 1 ? rows.front() : current.row(),
                     w_.listFor->model()->rowCount())));
  if (!s.Any) {
    edForName->clear();
    memForDescription->clear();
    richFormula->clear();
    labMessage->setText("No formula selected");
  } else {
    edForName->setText(QString::fromStdString(s.Names));
    richFormula->setText(QString::fromStdString(s.Text));
    memForDescription->setText(QString::fromStdString(s.Description));
    labMessage->setToolTip(QString::fromStdString(s.LinkHint));
    labMessage->setText(QString::fromStdString(s.LinkHint));
  }
  current_ = s.Current;
  linked_ = s.Linked;
  edForName->setEnabled(s.NameEnabled);
  richFormula->setReadOnly(s.TextReadOnly);
  memForDescription->setEnabled(s.DescriptionEnabled);
  for (QLineEdit* e : {static_cast<QLineEdit*>(richFormula), edForName, memForDescription})
    e->setModified(false);
  Snapshots.Clear();
  busy_ = false;
  {
    const auto* editing = w_.findChild<TListEditing*>("ListEditing");
    const TNavEntry* top =
        editing && !editing->NavStack.empty() ? &editing->NavStack.back() : nullptr;
    TBarButtons& b = BarButtons;
    b = {};
    b.Back = top && !s.Linked && rows.size() == 1 && top->TargetKind == ObjFormula &&
             QString::fromStdString(top->TargetName) == edForName->text();
    b.Merge = b.Edit = s.Linked;
    b.Delete = !s.Linked;
    if (auto* bar = qobject_cast<TButtonsBar*>(w_.m_formButtonsBar)) bar->Refresh();
  }
}

TEditState TFormula::EditState() const {
  TEditState s;
  s.Text = richFormula->text().toStdString();
  s.SelStart = richFormula->hasSelectedText() ? richFormula->selectionStart()
                                              : richFormula->cursorPosition();
  s.SelLength = static_cast<int>(richFormula->selectedText().size());
  return s;
}

void TFormula::SetEditState(const TEditState& state) {
  richFormula->setText(QString::fromStdString(state.Text));
  richFormula->setSelection(state.SelStart, state.SelLength);
  richFormula->setModified(true);
}

void TFormula::TakeSnapshot(int kind) { Snapshots.TakeSnapshot(kind, EditState(), CaretMark); }

void TFormula::TextUndo(bool undo) {
  TEditState s = EditState();
  if (undo ? Snapshots.Undo(s) : Snapshots.Redo(s)) SetEditState(s);
}

bool TFormula::CommitText(bool verify) {
  if (busy_ || current_ < 0) return false;
  TakeSnapshot(SnapCaret);
  if (!richFormula->isModified() && !verify) return true;
  if (linked_) return true;
  busy_ = true;
  bool stored = true;
  std::string message;
  const int cursor = richFormula->cursorPosition();
  const QString typed = richFormula->text();
  if (CommitFormulaText(w_.Workbench(), SelectedRows(), typed.toStdString(), message)) {
    w_.listFor->viewport()->update();
    if (verify) ShowStatus("Formula is OK.", false, 1);
  } else {
    ShowStatus(QString::fromStdString(message), true, 1);
    stored = false;
  }
  // The edit keeps what the user typed, blanks included.
  richFormula->setText(typed);
  richFormula->setCursorPosition(cursor);
  richFormula->setModified(false);
  busy_ = false;
  return stored;
}

void TFormula::VerifyClick() {
  if (!CommitText(true)) return;
  richFormula->setFocus();
  ShowStatus("Checking the formula/UDF...", false, 1);
  std::string message;
  const bool ok = VerifyFormulaText(current_, richFormula->text().toStdString(), message);
  ShowStatus(QString::fromStdString(message), !ok, 1);
}

void TFormula::VerifyAllClick() {
  CommitText(false);
  if (auto* editing = w_.findChild<TListEditing*>("ListEditing")) editing->VerifyAllClick();
  richFormula->setFocus();
}

void TFormula::RenameClick() {
  if (busy_ || !edForName->isModified() || current_ < 0) return;
  edForName->setModified(false);
  std::string message;
  const int result =
      RenameFormula(w_.Workbench(), current_, edForName->text().toStdString(), message);
  if (result < 0) {
    ShowStatus(
        "(Name not changed!): Function, variable or other object with the same name already exists",
        true, 0);
    return;
  }
  if (result > 0) {
    ShowStatus(QString::fromStdString(message), false, 0);
    w_.listFor->viewport()->update();
  } else {
    ShowStatus(QString(), false, 0);
  }
}

void TFormula::DescriptionClick() {
  if (busy_ || !memForDescription->isModified()) return;
  memForDescription->setModified(false);
  CommitFormulaDescription(w_.Workbench(), SelectedRows(), memForDescription->text().toStdString());
  w_.listFor->viewport()->update();
}

void TFormula::InsertSymbol(const QString& symbol, bool shift) {
  if (richFormula->isReadOnly()) return;
  TakeSnapshot(SnapSymbol);
  const TEditState next = InsertSymbolText(EditState(), symbol.toStdString(), shift, CaretMark);
  CaretMark = false;
  SetEditState(next);
  SetRed(richFormula, false);
  richFormula->setFocus();
}

void TFormula::OpenPopup(int functionKey) {
  const QRect caret = richFormula->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  popup->Open(functionKey, QRect(richFormula->mapToGlobal(caret.topLeft()), caret.size()));
}

QMenu* TFormula::BuildInsertMenu(QWidget* parent) {
  auto* insert = new QMenu("Insert", parent);
  insert->setObjectName("mitInsert");
  auto addGroup = [&](const QString& title, const std::vector<std::string>& words, int tag) {
    QMenu* sub = insert->addMenu(title);
    for (const std::string& word : words) {
      const QString text = QString::fromStdString(InsertMenuText(word, tag));
      sub->addAction(QString::fromStdString(word), [this, text] {
        InsertSymbol(text, QGuiApplication::keyboardModifiers() & Qt::ShiftModifier);
      });
    }
  };
  std::vector<std::string> vars, fors;
  for (int n = 0; n < Get_TSMObjectsNumber(ObjRandomVariable); ++n)
    vars.push_back(SortKey(ObjRandomVariable, n, 1));
  for (int n = 0; n < Get_TSMObjectsNumber(ObjFormula); ++n)
    fors.push_back(SortKey(ObjFormula, n, 1));
  addGroup("Random Variables", vars, 0);
  addGroup("Formula/UDFs", fors, 0);
  addGroup("External Function Tables", ExternalTables(w_.Workbench().CurrentFileName), 1);
  for (int group = 0; group < 3; ++group)
    addGroup(QString::fromStdString(PredefinedGroupTitle(group)), PredefinedWords(group),
             group == 0 ? 0 : group);
  return insert;
}

TFormula* InstallFormulaFrame(TFrmTesmiraMain& window) {
  QSplitter* splitter = SplitBesideList(window.listFor, "panFor", "splFor");
  if (splitter == nullptr) return nullptr;
  auto* frame = new TFormula(window, splitter);
  splitter->addWidget(frame);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);
  QObject::connect(window.listFor->selectionModel(), &QItemSelectionModel::selectionChanged, frame,
                   [frame] { frame->SyncWithSelection(); });
  QObject::connect(window.listFor->model(), &QAbstractItemModel::modelReset, frame,
                   [frame] { frame->SyncWithSelection(); });
  frame->SyncWithSelection();
  return frame;
}

}  // namespace tesmira::wb
