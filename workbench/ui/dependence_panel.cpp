#include "dependence_panel.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "canonical_vine.h"
#include "cp437.h"
#include "dependence_fill.h"
#include "dependence_menu.h"
#include "elide.h"
#include "model_helpers.h"
#include "morvik_vine.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"
#include "ud_vine_view.h"
#include "undo_items.h"
#include "vine_values.h"
#include "workbench.h"

namespace tesmira::wb {

namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

QColor Colour(TCellColour c) {
  switch (c) {
    case TCellColour::Grey: return QColor(128, 128, 128);
    case TCellColour::Red: return QColor(255, 0, 0);
    case TCellColour::DarkRed: return QColor(128, 0, 0);
    default: return QColor();
  }
}

void SetRed(QLineEdit* edit, bool red) {
  QPalette p = edit->palette();
  p.setColor(QPalette::Text,
             red ? QColor(255, 0, 0) : edit->style()->standardPalette().color(QPalette::Text));
  edit->setPalette(p);
}

}  // namespace

// ---- the matrix grid's model ----------------------------------------------------------

void TDepMatrixModel::SetMembers(std::vector<void*> members) {
  beginResetModel();
  members_ = std::move(members);
  refused_ = {};
  endResetModel();
}

int TDepMatrixModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(members_.size());
}
int TDepMatrixModel::columnCount(const QModelIndex& parent) const { return rowCount(parent); }

QVariant TDepMatrixModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int row = index.row() + 1, column = index.column() + 1;
  if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ForegroundRole) return {};
  const double v = CMatrix_GetCell(members_[static_cast<std::size_t>(index.row())],
                                   members_[static_cast<std::size_t>(index.column())]);
  if (role == Qt::DisplayRole) return Q(MatrixCellText(v));
  if (role == Qt::EditRole) return Q(MatrixEditText(v));
  if (index == refused_) return QColor(128, 0, 0);
  QColor c = Colour(MatrixCellColour(row, column, v));
  return c.isValid() ? QVariant(c) : QVariant();
}

QVariant TDepMatrixModel::headerData(int section, Qt::Orientation, int role) const {
  if (role == Qt::DisplayRole) return section + 1;
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags TDepMatrixModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled;
  if (MatrixCellEditable(index.row() + 1, index.column() + 1, rowCount()))
    f |= Qt::ItemIsSelectable | Qt::ItemIsEditable;
  return f;
}

bool TDepMatrixModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid()) return false;
  LastEdit = SetMatrixCellText(wb_, members_, index.row() + 1, index.column() + 1,
                               value.toString().toStdString());
  refused_ = LastEdit.Refused ? index : QModelIndex();
  // The mirror cell shows the same value.
  emit dataChanged(index, index);
  QModelIndex mirror = this->index(index.column(), index.row());
  emit dataChanged(mirror, mirror);
  if (Edited) Edited();
  return LastEdit.Stored;
}

void TDepMatrixModel::Repaint() {
  if (!members_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

// ---- the panel ----------------------------------------------------------------------

TDependencePanel::TDependencePanel(TWorkbench& wb, QWidget* parent) : QWidget(parent), wb_(wb) {
  setObjectName("panDep");
  conversionPanel_ = std::make_unique<TConversionPanel>(*this);
  conversion_ = std::make_unique<TStructureConversion>(wb_, *conversionPanel_);
  BuildControls();
  adapter_ = std::make_unique<TQtDepTree>(treeDepends, listDepends);
  editor_ = std::make_unique<TDepTreeEditor>(wb_, *adapter_);
  editor_->LastRootHook = [this](void* node) { UpdateLastTreeOrVine(node); };
  treeDepends->Editor = editor_.get();
  BuildActions();
}

TDependencePanel::~TDependencePanel() {
  // An open label editor closes while the controls go: it reports nowhere.
  treeDepends->LabelEdited = nullptr;
}

namespace {

// The vine type the combo asks for; with no item shown (a user-defined
// vine) the current structure's type.
int WantedVineType(const QComboBox* combo) {
  return combo->currentIndex() >= 0 ? combo->currentIndex() + 1 : GetDependenceType(nullptr);
}

}  // namespace

bool TDependencePanel::VineMode() const { return chkDepVines->isChecked(); }
bool TDependencePanel::MatrixView() const { return VineMode() && ShowMatrixCheckBox->isChecked(); }

void TDependencePanel::BuildControls() {
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(2, 2, 2, 2);
  BuildHeader(root);
  BuildTreePanel(root);
  BuildSlider();
  WireControls();
}

// The structure name, the type label, the tree and vine buttons, the
// structure-type combo, "Matrix view" and "Next".
void TDependencePanel::BuildHeader(QBoxLayout* root) {
  auto* header = new QHBoxLayout;
  labVineName = new QLabel("Struct. name:", this);
  chkVinesName = new QComboBox(this);
  chkVinesName->setObjectName("chkVinesName");
  chkVinesName->setEditable(true);
  chkVinesName->setInsertPolicy(QComboBox::NoInsert);
  chkVinesName->setMinimumWidth(140);
  chkVinesName->lineEdit()->setMaxLength(32);
  // A name longer than the box shows whole in its tool tip.
  connect(chkVinesName, &QComboBox::currentTextChanged, chkVinesName,
          [this](const QString& text) { chkVinesName->setToolTip(text); });
  LabelVineType = new QLabel("Dep. type:", this);
  LabelCurrentDepType = new QLabel(this);
  LabelCurrentDepType->setObjectName("LabelCurrentDepType");
  QFont bold = LabelCurrentDepType->font();
  bold.setBold(true);
  LabelCurrentDepType->setFont(bold);
  // The type's name takes one width whatever type it names, so that no
  // control moves when it changes; a longer name is cut with "..." and its
  // tool tip keeps it whole.
  const QFontMetrics boldMetrics(bold);
  int widest = 0;
  for (int type = -3; type <= DepUserVine; ++type) {
    char title[256] = {};
    GetDependenceTypeTitle(type, title);
    widest = std::max(widest, boldMetrics.horizontalAdvance(Q(Cp437ToUtf8(title))));
  }
  LabelCurrentDepType->setFixedWidth(widest + 4);
  chkDepTree = new QPushButton("Dependence Tree", this);
  chkDepTree->setObjectName("chkDepTree");
  chkDepVines = new QPushButton("The Vines", this);
  chkDepVines->setObjectName("chkDepVines");
  auto* modes = new QButtonGroup(this);
  for (QPushButton* b : {chkDepTree, chkDepVines}) {
    b->setCheckable(true);
    modes->addButton(b);
  }
  chkDepTree->setChecked(true);
  chkVinesType = new QComboBox(this);
  chkVinesType->setObjectName("chkVinesType");
  chkVinesType->addItems({"Correlation matrix", "Canonical", "D-vine"});
  chkVinesType->setCurrentIndex(1);
  chkVinesType->hide();
  ShowMatrixCheckBox = new QCheckBox("Matrix view", this);
  ShowMatrixCheckBox->setObjectName("ShowMatrixCheckBox");
  ShowMatrixCheckBox->hide();
  butNext = new QPushButton("Next", this);
  butNext->setObjectName("butNext");
  // Two rows, so that a window of the default width holds every control
  // whole: the structure's name and type, then the mode buttons and their
  // companions.
  for (QWidget* w : std::initializer_list<QWidget*>{labVineName, chkVinesName, LabelVineType,
                                                    LabelCurrentDepType})
    header->addWidget(w);
  header->addStretch(1);
  root->addLayout(header);
  auto* modeRow = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{chkDepTree, chkDepVines, chkVinesType,
                                                    ShowMatrixCheckBox, butNext})
    modeRow->addWidget(w);
  modeRow->addStretch(1);
  root->addLayout(modeRow);
}

// The message line, the node list and the tree panel with the help box.
void TDependencePanel::BuildTreePanel(QBoxLayout* root) {
  labDepMessage = new QLabel(this);
  labDepMessage->setObjectName("labDepMessage");
  labDepMessage->hide();
  root->addWidget(labDepMessage);

  auto* split = new QSplitter(this);
  listDepends = new TDepListWidget(split);
  panDepTree = new QWidget(split);
  panDepTree->setObjectName("panDepTree");
  split->addWidget(listDepends);
  split->addWidget(panDepTree);
  split->setStretchFactor(1, 1);
  root->addWidget(split, 1);

  auto* body = new QVBoxLayout(panDepTree);
  body->setContentsMargins(0, 0, 0, 0);
  treeDepends = new TDepTreeWidget(panDepTree);
  body->addWidget(treeDepends, 1);
  panDepHelp = new QWidget(panDepTree);
  panDepHelp->setObjectName("panDepHelp");
  auto* helpBox = new QVBoxLayout(panDepHelp);
  helpBox->setContentsMargins(0, 0, 0, 0);
  DepInitMemo = new QPlainTextEdit(panDepHelp);
  DepInitMemo->setObjectName("DepInitMemo");
  DepInitMemo->setReadOnly(true);
  DepInitMemo->setPlainText(
      "Double-click on a node on the left\nor drag-and-drop it to the area above, \nto create or "
      "modify a dependence structure.");
  DepInitMemo->setMaximumHeight(60);
  helpBox->addWidget(DepInitMemo);
  body->addWidget(panDepHelp);
  BuildMatrixPanel(body);
  BuildEditRows(body);
}

// The correlation matrix grid with its buttons.
void TDependencePanel::BuildMatrixPanel(QBoxLayout* body) {
  panDepMx = new QWidget(panDepTree);
  panDepMx->setObjectName("panDepMx");
  auto* mx = new QVBoxLayout(panDepMx);
  mx->setContentsMargins(0, 0, 0, 0);
  auto* mxBar = new QHBoxLayout;
  labDepMxAdress = new QLabel("(mis, dis)", panDepMx);
  labDepMxAdress->setObjectName("labDepMxAdress");
  butMxInit = new QPushButton("Initialize", panDepMx);
  butMxInit->setObjectName("butMxInit");
  butMxVerify = new QPushButton("Verify", panDepMx);
  butMxVerify->setObjectName("butMxVerify");
  butMxErase = new QPushButton("Erase", panDepMx);
  butMxErase->setObjectName("butMxErase");
  butMxErase->setEnabled(false);
  mxBar->addWidget(labDepMxAdress, 1);
  for (QPushButton* b : {butMxInit, butMxVerify, butMxErase}) mxBar->addWidget(b);
  mx->addLayout(mxBar);
  gridDepends = new QTableView(panDepMx);
  gridDepends->setObjectName("gridDepends");
  gridModel = new TDepMatrixModel(wb_, gridDepends);
  gridDepends->setModel(gridModel);
  gridDepends->setSelectionMode(QAbstractItemView::SingleSelection);
  gridDepends->setEditTriggers(QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
  for (QHeaderView* h : {gridDepends->horizontalHeader(), gridDepends->verticalHeader()})
    h->setSectionResizeMode(QHeaderView::Fixed);
  gridDepends->verticalHeader()->setDefaultSectionSize(16);
  mx->addWidget(gridDepends, 1);
  panDepMx->hide();
  body->addWidget(panDepMx, 1);
}

// The name and correlation edits, the copula box and the structure buttons.
void TDependencePanel::BuildEditRows(QBoxLayout* body) {
  auto* edits = new QHBoxLayout;
  edDepName = new QLineEdit(panDepTree);
  edDepName->setObjectName("edDepName");
  edDepName->setMaxLength(32);
  labDepRCVP = new QLabel("Rank correlation with parent for node", panDepTree);
  labDepIs = new QLabel("is:", panDepTree);
  m_edtDepRank = new QLineEdit(panDepTree);
  m_edtDepRank->setObjectName("m_edtDepRank");
  m_edtDepRank->setMaximumWidth(90);
  edits->addWidget(labDepRCVP);
  edits->addWidget(edDepName, 1);
  edits->addWidget(labDepIs);
  edits->addWidget(m_edtDepRank);
  body->addLayout(edits);
  auto* bottom = new QHBoxLayout;
  labBivariateType = new QLabel("Copula:", panDepTree);
  cbxBivariateType = new QComboBox(panDepTree);
  cbxBivariateType->setObjectName("cbxBivariateType");
  butAddLatent = new QPushButton("Add latent variable", panDepTree);
  butAddLatent->setObjectName("butAddLatent");
  bottom->addWidget(labBivariateType);
  bottom->addWidget(cbxBivariateType, 1);
  bottom->addWidget(butAddLatent);
  butVineTranscend = new QPushButton("Transcend", panDepTree);
  butVineTranscend->setObjectName("butVineTranscend");
  butVineErase = new QPushButton("Erase", panDepTree);
  butVineErase->setObjectName("butVineErase");
  AddNewVineButton = new QPushButton("Add New", panDepTree);
  AddNewVineButton->setObjectName("AddNewVineButton");
  for (QPushButton* b : {butVineTranscend, butVineErase, AddNewVineButton}) {
    b->hide();
    bottom->addWidget(b);
  }
  body->addLayout(bottom);
}

void TDependencePanel::BuildSlider() {
  slider = new TFrmDepSliderPopup(this);
  slider->Accept = [this](const QString& text) {
    m_edtDepRank->setText(text);
    // Marked as the user's change before it is applied.
    m_edtDepRank->setModified(true);
    OnEdtDepRankExit();
  };
  slider->Refused = [this] { m_edtDepRank->setModified(false); };
  slider->Closing = [this] { CheckDeprank(); };
}

void TDependencePanel::WireControls() {
  connect(chkDepTree, &QPushButton::clicked, this, &TDependencePanel::chkDepTreeClick);
  connect(chkDepVines, &QPushButton::clicked, this, &TDependencePanel::chkDepVinesClick);
  connect(butNext, &QPushButton::clicked, this, &TDependencePanel::NextVineClick);
  connect(ShowMatrixCheckBox, &QCheckBox::clicked, this,
          [this] { conversion_->ShowMatrixCheckBoxClick(); });
  connect(chkVinesType, &QComboBox::activated, this, [this] { conversion_->chkVinesTypeChange(); });
  connect(butVineTranscend, &QPushButton::clicked, this,
          [this] { conversion_->butVineTranscendClick(); });
  for (QPushButton* erase : {butVineErase, butMxErase})
    connect(erase, &QPushButton::clicked, this, [this] { conversion_->butVineEraseClick(); });
  connect(AddNewVineButton, &QPushButton::clicked, this,
          [this] { conversion_->AddNewVineButtonClick(); });
  connect(chkVinesName, &QComboBox::activated, this,
          [this](int i) { chkVinesNameChange(chkVinesName->itemText(i)); });
  connect(chkVinesName->lineEdit(), &QLineEdit::returnPressed, this, [this] {
    chkVinesNameChange(chkVinesName->currentText());
    DepEditMode = 0;
    UpdateVinesNameBox();
  });
  connect(butMxVerify, &QPushButton::clicked, this, &TDependencePanel::butMxVerifyClick);
  connect(butMxInit, &QPushButton::clicked, this, &TDependencePanel::butMxInitClick);
  connect(butAddLatent, &QPushButton::clicked, this, &TDependencePanel::butAddLatentClick);
  connect(m_edtDepRank, &QLineEdit::editingFinished, this, &TDependencePanel::OnEdtDepRankExit);
  connect(edDepName, &QLineEdit::editingFinished, this, &TDependencePanel::edDepNameExit);
  connect(cbxBivariateType, &QComboBox::activated, this, &TDependencePanel::StoreBivariateType);
  connect(listDepends, &QTreeWidget::itemDoubleClicked, this,
          &TDependencePanel::listDependsDblClick);
  listDepends->DropFromTree = [this](bool shift) {
    editor_->ReturnToList(shift ? -1 : 0, false);
    AfterTreeChange();
  };
  treeDepends->Drop = [this](const TDropRequest& r) { DoDrop(r); };
  // Delete removes the subtree on the first item or with Ctrl, else the node.
  treeDepends->DeleteKey = [this](bool ctrl) {
    QTreeWidgetItem* item = treeDepends->currentItem();
    if (item == nullptr) return;
    mitDepRemoveItemClick(ctrl || item == treeDepends->topLevelItem(0) ? 1 : 0);
  };
  treeDepends->MiddleClick = [this](QTreeWidgetItem* item) { OpenSlider(item); };
  treeDepends->LabelEditKey = [this](int mode) { treeDependsEditKey(mode); };
  treeDepends->EditAttempt = [this] { treeDependsEditing(); };
  treeDepends->LabelEdited = [this](const QString* text) { treeDependsEdited(text); };
  treeDepends->SelectionChanged = [this] { treeDependsChange(); };
  treeDepends->BeforeChange = [this] {
    OnEdtDepRankExit();
    CheckDeprank();
  };
  connect(gridDepends->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) {
            const auto& m = gridModel->Members();
            if (!index.isValid() || !MatrixCellEditable(index.row() + 1, index.column() + 1,
                                                        static_cast<int>(m.size())))
              return;
            labDepMxAdress->setText(Q(MatrixAddressText(m[std::size_t(index.row())],
                                                        m[std::size_t(index.column())], "")));
          });
  gridModel->Edited = [this] {
    if (gridModel->LastEdit.Refused)
      labDepMxAdress->setText(Q(gridModel->LastEdit.Hint));
    else
      RefreshTypeLabel();
  };
}

// ---- filling and describing ----------------------------------------------------------

void TDependencePanel::Refresh() {
  if (UpdateViewHook)
    UpdateViewHook(ViewDependence);
  else
    FillDependenceView();
}

void TDependencePanel::UpdateLastTreeOrVine(void* node) {
  if (node == nullptr) return;
  if (GetDependenceType(node) == DepTree)
    lastTreeRoot_ = node;
  else if (IsVineOrMatrix(node) || IsCompositeNode(node))
    lastVineRoot_ = node;
}

void TDependencePanel::RefreshTypeLabel() {
  char type[256] = {};
  GetDependenceTypeTitle(GetDependenceType(nullptr), type);
  const QString title = Q(Cp437ToUtf8(type));
  LabelCurrentDepType->setText(
      ElideText(LabelCurrentDepType->fontMetrics(), title, LabelCurrentDepType->width() - 4));
  LabelCurrentDepType->setToolTip(title);
}

void TDependencePanel::FillDependenceView() {
  CheckDeprank();
  const bool vine = VineMode();
  // The nodes of deleted variables go before they are counted.
  Update_TSMObjects(ObjDependenceNode);
  const int nodes = Get_TSMObjectsNumber(ObjDependenceNode);
  const int inStructure = GetNumberOfNodesInStructure();
  if (vineView && (vineView->VineType() != GetDependenceType(nullptr) || !vine || nodes == 0 ||
                   inStructure == 0))
    DestroyVineView();
  if (nodes > 0 && vine && !ShowMatrixCheckBox->isChecked() && vineView == nullptr)
    CreateVineView(inStructure > 0 ? GetDependenceType(nullptr) : chkVinesType->currentIndex() + 1);
  editor_->VineMode = vine;
  editor_->VineType = WantedVineType(chkVinesType);
  chkVinesType->setVisible(vine);
  ShowMatrixCheckBox->setVisible(vine);
  const bool matrix = MatrixView();
  treeDepends->setVisible(!matrix);
  panDepMx->setVisible(matrix);
  if (vineView) vineView->setVisible(false);
  if (matrix) {
    adapter_->SetCurrent(nullptr);
    while (TTreeItem root = adapter_->FirstItem()) adapter_->DeleteItem(root);
    listDepends->clear();
    std::vector<void*> members = MatrixMembers();
    for (std::size_t k = 0; k < members.size(); ++k)
      adapter_->AddAvailableNode(std::to_string(k + 1), Cp437ToUtf8(NodeObjectName(members[k])),
                                 members[k]);
    listDepends->headerItem()->setText(1, "Matrix nodes");
    panDepMx->setEnabled(!members.empty());
    gridModel->SetMembers(members);
    const int digits = static_cast<int>(std::to_string(members.size() + 1).size());
    const QFontMetrics fm = gridDepends->fontMetrics();
    const int precision = CurrentDisplaySettings().fpprecisionCMX;
    gridDepends->horizontalHeader()->setDefaultSectionSize(
        fm.horizontalAdvance("-0." + QString(precision, '0')) + 8);
    gridDepends->verticalHeader()->setFixedWidth(fm.horizontalAdvance(QString(digits, '0')) + 10);
    panDepHelp->hide();
  } else {
    listDepends->headerItem()->setText(1, "Available nodes");
    TFillOptions o;
    o.VineMode = vine;
    o.ProgrammaticSelection = treeDepends->Programmatic;
    o.LastRoot = [this](void* node) { UpdateLastTreeOrVine(node); };
    const bool programmatic = treeDepends->Programmatic;
    treeDepends->Programmatic = true;
    FillDependenceTree(*adapter_, o);
    adapter_->SortMode = TreeSortModeOfSetting(DepTreeSort);
    if (adapter_->SortMode != TreeSortDirectory) adapter_->SortTree();
    treeDepends->Programmatic = programmatic;
    panDepHelp->setVisible(treeDepends->topLevelItemCount() == 0);
    PlaceVineView(inStructure);
  }
  RefreshTypeLabel();
  treeDependsChange();
  if (VineViewVisible()) {
    treeDependsChange(vineView);
    vineView->viewport()->update();
  }
  UpdateVinesNameBox();
  ShowBivariateType();
  CheckNumberOfNodes();
  UpdateVineButtons();
  UpdateRenameItem();
}

bool TDependencePanel::VineViewVisible() const { return vineView && !vineView->isHidden(); }

void TDependencePanel::CreateVineView(int type) {
  // A new view starts the user-defined vine's pairings afresh.
  TruncatePairingChoices(wb_, -1);
  if (type == DepCanonicalVine)
    vineView = new TCanonicalVine(panDepTree);
  else if (type == DepUserVine)
    vineView = new TUDVine(wb_, panDepTree);
  else
    vineView = new TMorvikVine(panDepTree);
  static_cast<QVBoxLayout*>(panDepTree->layout())->insertWidget(0, vineView, 1);
  vineView->hide();
  vineView->SetTree(treeDepends);
  vineView->Slider = slider;
  vineView->CheckDeprank = [this] { CheckDeprank(); };
  vineView->MaySelect = [this] {
    const bool programmatic = treeDepends->Programmatic;
    treeDepends->Programmatic = true;
    OnEdtDepRankExit();
    CheckDeprank();
    treeDepends->Programmatic = programmatic;
    return true;
  };
  vineView->OnSelection = [this](void*) { treeDependsChange(vineView); };
  vineView->RenameKey = [this](int mode) {
    QLineEdit* edit = mode == 1 ? edDepName : m_edtDepRank;
    if (!edit->isEnabled() || (mode == 2 && edit->isReadOnly())) return false;
    mitDepRenameClick(mode);
    return true;
  };
  if (auto* dvine = dynamic_cast<TMorvikVine*>(vineView))
    dvine->Drop = [this](const TDropRequest& r) { DoDrop(r); };
  if (auto* udvine = dynamic_cast<TUDVine*>(vineView))
    udvine->UpdateVineButtons = [this] {
      UpdateVineButtons();
      if (VineViewVisible()) treeDependsChange(vineView);
    };
  vineView->addActions({mitSelectAll, mitInvert});
  connect(vineView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    UpdateMenuItems();
    popDepTree->popup(vineView->viewport()->mapToGlobal(pos));
  });
}

void TDependencePanel::RebuildUserVine() {
  if (auto* udvine = dynamic_cast<TUDVine*>(vineView)) udvine->Rebuild();
}

void TDependencePanel::DestroyVineView() {
  // The view may be the sender of the command that refills the panel: it
  // goes once that command has returned.
  panDepTree->layout()->removeWidget(vineView);
  vineView->hide();
  vineView->deleteLater();
  vineView = nullptr;
  if (!MatrixView()) treeDepends->show();
}

void TDependencePanel::PlaceVineView(int structureNodes) {
  if (vineView == nullptr) return;
  const int transcended = structureNodes > 0 ? Vine_IsTranscended() : 0;
  bool visible = transcended > 1;
  if (auto* dvine = dynamic_cast<TMorvikVine*>(vineView)) {
    dvine->SetTranscended(transcended > 1);
    visible = true;
  }
  vineView->setVisible(visible);
  treeDepends->setVisible(!visible);
  vineView->Reload();
}

void TDependencePanel::treeDependsChange(TVineView* sender) {
  if (VineViewVisible() && sender != vineView && treeDepends->topLevelItemCount() > 0) return;
  TSelectionDescription d;
  if (sender != nullptr && sender == vineView) {
    const bool cell = vineView->HasSelection();
    const bool name = cell && vineView->IsNameCell();
    d = DescribeVineCell(
        cell, vineView->CellLabel(vineView->CurrentCell()).toStdString(), name,
        cell && !name ? Vine_GetCorrValue(vineView->SelectedNodeData(), vineView->SelectedLevel())
                      : 0);
  } else {
    d = DescribeTreeSelection(*adapter_, VineMode());
  }
  edDepName->setText(Q(d.Name));
  edDepName->setReadOnly(d.NameReadOnly);
  edDepName->setModified(false);
  m_edtDepRank->setText(Q(d.Correlation));
  m_edtDepRank->setReadOnly(d.CorrelationReadOnly);
  m_edtDepRank->setModified(false);
  labDepRCVP->setEnabled(d.LabelsEnabled);
  labDepIs->setEnabled(d.LabelsEnabled);
  SetRed(edDepName, false);
  SetRed(m_edtDepRank, false);
}

void TDependencePanel::ShowRankHint(const TRankCheck& check) {
  SetRed(m_edtDepRank, check.Invalid);
  m_edtDepRank->setToolTip(Q(check.Hint));
}

bool TDependencePanel::CheckDeprank() {
  TRankCheck c =
      wb::CheckDeprank(m_edtDepRank->text().toStdString(),
                       m_edtDepRank->isVisible() && treeDepends->topLevelItemCount() > 0);
  ShowRankHint(c);
  return c.IsNumber;
}

void TDependencePanel::OnEdtDepRankExit() {
  if (VineViewVisible()) {
    if (!vineView->HasSelection() || m_edtDepRank->isReadOnly()) return;
    if (!m_edtDepRank->isModified()) {
      CheckDeprank();
      return;
    }
    m_edtDepRank->setModified(false);
    // The current cell and every selected cell that holds a correlation.
    std::vector<TVineTarget> cells;
    std::vector<TVineCell> selected = vineView->State().Selected();
    selected.insert(selected.begin(), vineView->CurrentCell());
    for (TVineCell c : selected)
      if (vineView->IsCorrelationCell(c))
        cells.push_back({vineView->CellNode(c), vineView->CellLevel(c)});
    ShowRankHint(ApplyVineCorrelation(wb_, cells, m_edtDepRank->text().toStdString()).Check);
    vineView->viewport()->update();
    return;
  }
  if (treeDepends->currentItem() == nullptr || m_edtDepRank->isReadOnly()) return;
  if (!m_edtDepRank->isModified()) {
    CheckDeprank();
    return;
  }
  m_edtDepRank->setModified(false);
  TApplyOutcome o =
      ApplyTreeCorrelation(wb_, *adapter_, m_edtDepRank->text().toStdString(), VineMode());
  ShowRankHint(o.Check);
}

void TDependencePanel::edDepNameExit() {
  QTreeWidgetItem* item = treeDepends->currentItem();
  if (item == nullptr || !edDepName->isModified() || edDepName->isReadOnly()) return;
  edDepName->setModified(false);
  void* node = adapter_->ItemNode(item);
  const std::string oldName = NodeObjectName(node);
  const std::string newName = Utf8ToCp437(edDepName->text().left(32).toStdString());
  if (newName == oldName) return;
  CurrentUndoGroup group(wb_.Undo);
  group.AddItem(std::make_unique<TUndoObjectName>(ObjDependenceNode, newName, oldName));
  void* out = nullptr;
  if (Update_dep_node(node, &out, newName.c_str()) <= 0) {
    SetRed(edDepName, true);
    group.Discard();
    return;
  }
  group.Push();
  SetModified(wb_, true);
  adapter_->SetItemText(item, DepItemText(node, VineMode()));
}

void TDependencePanel::UpdateVinesNameBox() {
  if (DepEditMode == 1) return;
  nameBoxFilling_ = true;
  chkVinesName->clear();
  for (const std::string& name : StructureNames()) chkVinesName->addItem(Q(name));
  if (void* root = GetCurrentDependenceStructureRoot()) {
    char name[256] = {};
    Get_TSMObjectName(ObjRootDependenceNode, root, name);
    const int i = chkVinesName->findText(Q(Cp437ToUtf8(name)), Qt::MatchFixedString);
    if (i >= 0) chkVinesName->setCurrentIndex(i);
  } else {
    chkVinesName->setCurrentIndex(-1);
  }
  chkVinesName->setEditable(true);
  nameBoxFilling_ = false;
}

void TDependencePanel::SyncDependenceButtons(bool keepMatrixCheck) {
  const int type = GetDependenceType(nullptr);
  if (type == DepTree) {
    ShowMatrixCheckBox->hide();
    chkDepTree->setChecked(true);
  } else if (type >= DepCorrelationMatrix && type <= DepUserVine) {
    chkDepVines->setChecked(true);
    // The combo has no item for a user-defined vine: it shows none.
    chkVinesType->setCurrentIndex(type == DepUserVine ? -1 : type - 1);
    ShowMatrixCheckBox->show();
    if (!keepMatrixCheck) ShowMatrixCheckBox->setChecked(type == DepCorrelationMatrix);
  }
}

bool TDependencePanel::CheckNumberOfNodes() {
  if (Get_TSMObjectsNumber(ObjDependenceNode) <= 1) {
    labDepMessage->setText(
        "Before working with a dependence structure, you have to create at least two random "
        "variables.");
    labDepMessage->show();
    listDepends->hide();
    panDepTree->hide();
    return false;
  }
  if (IsSampleInputModel()) {
    labDepMessage->setText(
        "This model uses a samples file as the input distribution. Dependence structure can`t be "
        "specified by the user");
    labDepMessage->show();
    listDepends->hide();
    return false;
  }
  labDepMessage->clear();
  labDepMessage->hide();
  listDepends->show();
  panDepTree->show();
  return true;
}

void TDependencePanel::UpdateVineButtons() {
  const bool vine = VineMode();
  const bool matrix = MatrixView();
  for (QPushButton* b : {butVineTranscend, butVineErase, AddNewVineButton})
    b->setVisible(vine && !matrix);
  AddNewVineButton->setEnabled(CountFreeNodesAndStructureRoots() > 0);
  if (!vine) return;
  const bool hasNodes = GetNumberOfNodesInStructure() >= 1;
  const int levels = Vine_IsTranscended();
  butVineTranscend->setEnabled(hasNodes && (levels == 0 || levels == 1) &&
                               adapter_->Items().size() > 2);
  butVineErase->setEnabled(hasNodes && levels >= 0);
  for (QWidget* w : std::initializer_list<QWidget*>{butMxVerify, butMxInit, labDepMxAdress})
    w->setEnabled(panDepMx->isEnabled());
  butMxErase->setEnabled(matrix && GetDependenceType(nullptr) == DepCorrelationMatrix);
  // A matrix leaves the matrix view only back to the structure it was made from.
  const int saved = wb_.StructureSwapState;
  ShowMatrixCheckBox->setEnabled(hasNodes && (!matrix || (saved >= 2 && saved <= 4)));
}

// ---- commands ------------------------------------------------------------------------

void TDependencePanel::StoreBivariateType() {
  const QVariant code = cbxBivariateType->currentData();
  wb::StoreBivariateType(wb_, code.isValid() ? code.toInt() : -1);
}

void TDependencePanel::ShowBivariateType() {
  const bool tree = !VineMode();
  std::vector<int> codes = CopulaCodes(tree);
  if (cbxBivariateType->count() != static_cast<int>(codes.size())) {
    cbxBivariateType->clear();
    for (int c : codes) cbxBivariateType->addItem(Q(CopulaTitle(c)), c);
  }
  const int code = ShownBivariateType();
  const int i = cbxBivariateType->findData(code);
  if (i >= 0) cbxBivariateType->setCurrentIndex(i);
  cbxBivariateType->setEnabled(Get_TSMObjectsNumber(ObjDependenceNode) >= 2);
}

namespace {

// A refused edit's hint goes once the matrix is verified or initialised.
void ClearRefusedHint(QLabel* address) {
  if (address->text().startsWith("Invalid value!")) address->clear();
}

}  // namespace

void TDependencePanel::butMxVerifyClick() {
  ClearRefusedHint(labDepMxAdress);
  TGridRect cell;
  if (VerifyMatrix(wb_, gridModel->Members(), &cell) == 0) {
    gridDepends->setCurrentIndex(gridModel->index(cell.Top - 1, cell.Left - 1));
    gridDepends->setFocus();
  }
  gridModel->Repaint();
}

void TDependencePanel::butMxInitClick() {
  ClearRefusedHint(labDepMxAdress);
  if (InitializeMatrix(wb_, gridModel->Members())) gridModel->Repaint();
}

void TDependencePanel::mitDepRenameClick(int mode) {
  DepEditMode = mode;
  if (mode == 1) {
    chkVinesName->setEditable(true);
    chkVinesName->setFocus();
    chkVinesName->lineEdit()->selectAll();
  } else if (!m_edtDepRank->isReadOnly()) {
    m_edtDepRank->setFocus();
    m_edtDepRank->selectAll();
  }
}

void TDependencePanel::mitDepRemoveItemClick(int tag) {
  editor_->RemoveItemClick(tag);
  if (tag == 2) lastTreeRoot_ = nullptr;
  AfterTreeChange();
  // The removed structure's name leaves the name box.
  if (tag == 2) UpdateVinesNameBox();
}

void TDependencePanel::mitDepChildClick(int tag) {
  editor_->VineMode = VineMode();
  editor_->VineType = WantedVineType(chkVinesType);
  editor_->AddFromList(tag, 0);
  AfterTreeChange();
}

void TDependencePanel::listDependsDblClick() {
  if (MatrixView()) return;
  QTreeWidgetItem* former = treeDepends->currentItem();
  void* formerNode = former ? adapter_->ItemNode(former) : nullptr;
  editor_->AddFromList(1, 0);
  AfterTreeChange();
  if (TTreeItem item = adapter_->FindItem(formerNode)) adapter_->SetCurrent(item);
  treeDependsChange();
}

void TDependencePanel::butAddLatentClick() {
  editor_->AddLatent();
  listDepends->setFocus();
  Refresh();
}

void TDependencePanel::OnDepSort(int setting) {
  DepTreeSort = setting;
  editor_->ApplySortSetting(setting);
  if (SortChanged) SortChanged(TreeSortModeOfSetting(setting));
  UpdateMenuItems();
}

void TDependencePanel::OpenSlider(QTreeWidgetItem* item) {
  if (item == nullptr || item->parent() == nullptr) return;
  adapter_->SetCurrent(item);
  treeDependsChange();
  if (m_edtDepRank->isReadOnly()) return;
  const QRect label = treeDepends->LabelRect(item);
  slider->Open(treeDepends->viewport()->mapToGlobal(label.bottomLeft()),
               Get_node_correlation_with_parent(adapter_->ItemNode(item)));
}

namespace {

bool Usable(const QLineEdit* edit) { return edit->isEnabled() && !edit->isReadOnly(); }

}  // namespace

void TDependencePanel::treeDependsEditKey(int mode) {
  QLineEdit* edit = mode == 1 ? edDepName : m_edtDepRank;
  if (treeDepends->currentItem() == nullptr || editor_->HasMultipleSelection() || !Usable(edit))
    return;
  DepEditMode = mode;
  treeDependsEditing();
}

void TDependencePanel::treeDependsEditing() {
  QTreeWidgetItem* item = treeDepends->currentItem();
  if (item == nullptr) return;
  QLineEdit* edit = DepEditMode == 1 ? edDepName : DepEditMode == 2 ? m_edtDepRank : nullptr;
  if (edit && Usable(edit)) {
    treeDepends->EditLabel(item, edit->text());
  } else if (editor_->HasMultipleSelection()) {
    editor_->ClearExtraSelection();
    treeDepends->viewport()->update();
    treeDependsChange();
  } else {
    OpenSlider(item);
  }
}

void TDependencePanel::treeDependsEdited(const QString* text) {
  const int mode = DepEditMode;
  DepEditMode = 0;
  if (text == nullptr) return;
  QLineEdit* edit = mode == 1 ? edDepName : mode == 2 ? m_edtDepRank : nullptr;
  if (edit == nullptr || !Usable(edit)) return;
  edit->setText(*text);
  edit->setModified(true);
  if (mode == 1)
    edDepNameExit();
  else
    OnEdtDepRankExit();
}

void TDependencePanel::DoDrop(const TDropRequest& request) {
  editor_->VineMode = VineMode();
  editor_->VineType = WantedVineType(chkVinesType);
  editor_->StructureName = chkVinesName->currentText().toStdString();
  if (editor_->DropIntoTree(request)) AfterTreeChange();
}

void TDependencePanel::AfterTreeChange() {
  // The D-vine view reads its members from the tree.
  if (vineView) vineView->Reload();
  panDepHelp->setVisible(treeDepends->topLevelItemCount() == 0);
  treeDepends->viewport()->update();
  treeDependsChange();
  if (GetNumberOfNodesInStructure() > 1) UpdateVinesNameBox();
  UpdateMenuItems();
}

}  // namespace tesmira::wb
