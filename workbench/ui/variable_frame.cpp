#include "variable_frame.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "buttons_bar.h"
#include "cp437.h"
#include "list_commands.h"
#include "list_editing.h"
#include "main_window.h"
#include "model/short_string.h"
#include "random_paint.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"

namespace tesmira::wb {

namespace {

void Colour(QWidget* w, int colour) {
  QPalette p = w->palette();
  const QColor c = colour == 255   ? QColor(255, 0, 0)
                   : colour == 128 ? QColor(128, 0, 0)
                                   : QApplication::palette().windowText().color();
  p.setColor(QPalette::WindowText, c);
  p.setColor(QPalette::Text, colour ? c : QApplication::palette().text().color());
  w->setPalette(p);
}

}  // namespace

TRandomVariablesForm::TRandomVariablesForm(TFrmTesmiraMain& window, QWidget* parent)
    : QFrame(parent), w_(window) {
  setObjectName("RandomVariablesForm");
  auto* box = new QVBoxLayout(this);
  labMessage = new QLabel(this);
  labMessage->setObjectName("labMessage");
  labMessage->setWordWrap(true);
  box->addWidget(labMessage);
  auto* head = new QGridLayout;
  Label8 = new QLabel("Random variable", this);
  lab7of9 = new QLabel(this);
  lab7of9->setObjectName("lab7of9");
  edVarName = new QLineEdit(this);
  edVarName->setObjectName("edVarName");
  edVarName->setMaxLength(32);
  cbxDistribution = new QComboBox(this);
  cbxDistribution->setObjectName("cbxDistribution");
  cbxDistribution->setMaxVisibleItems(20);
  for (const std::string& t : DistributionTitles())
    cbxDistribution->addItem(QString::fromStdString(t).trimmed());
  head->addWidget(Label8, 0, 0);
  head->addWidget(lab7of9, 0, 1);
  head->addWidget(new QLabel("Name:", this), 1, 0);
  head->addWidget(edVarName, 1, 1);
  head->addWidget(new QLabel("Distribution:", this), 2, 0);
  head->addWidget(cbxDistribution, 2, 1);
  box->addLayout(head);
  labHelp = new QLabel(this);
  labHelp->setObjectName("labVarHelpstring0");
  QFont mono("DejaVu Sans Mono");
  mono.setStyleHint(QFont::Monospace);
  labHelp->setFont(mono);
  labHelp->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  box->addWidget(labHelp);
  preview = new TRandomPaint(this);
  box->addWidget(preview);
  tabHelp = new QTabBar(this);
  tabHelp->setObjectName("tabHelp");
  tabHelp->addTab("Formula");
  tabHelp->addTab("Plot");
  tabHelp->setToolTip("Show distribution formula or plot of distribution's density function");
  tabHelp->hide();
  box->addWidget(tabHelp);
  labDistribParam = new QLabel("Distribution properties:", this);
  box->addWidget(labDistribParam);
  auto* scroll = scrParams = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  auto* gridHost = new QWidget(scroll);
  auto* grid = new QGridLayout(gridHost);
  for (int c = 0; c < 3; ++c) {
    titles[c] = new QLabel(gridHost);
    grid->addWidget(titles[c], 0, 2 * c, 1, 2);
    for (int r = 0; r < 20; ++r) {
      labels[c][r] = new QLabel("X=", gridHost);
      labels[c][r]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      cells[c][r] = new QLineEdit(gridHost);
      cells[c][r]->setObjectName(QString("edVarDistrib%1_%2").arg(c + 1).arg(r + 1));
      grid->addWidget(labels[c][r], r + 1, 2 * c);
      grid->addWidget(cells[c][r], r + 1, 2 * c + 1);
      connect(cells[c][r], &QLineEdit::editingFinished, this, [this, c, r] {
        if (busy_ || !cells[c][r]->isModified()) return;
        cells[c][r]->setModified(false);
        if (updates[c]->isEnabled() && updates[c]->isVisible())
          UpdateColumnClick(c + 1, true);
        else
          ShowSelection();  // the typed text is discarded
      });
    }
    updates[c] = new QPushButton("Update", gridHost);
    updates[c]->setObjectName(QString("butUpdate%1").arg(c + 1));
    grid->addWidget(updates[c], 21, 2 * c + 1);
    connect(updates[c], &QPushButton::clicked, this,
            [this, c] { UpdateColumnClick(c + 1, false); });
  }
  grid->setRowStretch(22, 1);
  scroll->setWidget(gridHost);
  box->addWidget(scroll, 1);
  auto* fileRow = new QHBoxLayout;
  labVarFile = new QLabel("File:", this);
  labVarFile->setObjectName("labVarFile");
  butBrowse = new QPushButton("Browse...", this);
  butBrowse->setObjectName("butBrowse");
  fileRow->addWidget(labVarFile, 1);
  fileRow->addWidget(butBrowse);
  box->addLayout(fileRow);
  memVarDescription = new QLineEdit(this);
  memVarDescription->setObjectName("memVarDescription");
  memVarDescription->setMaxLength(100);
  box->addWidget(new QLabel("Description:", this));
  box->addWidget(memVarDescription);

  connect(cbxDistribution, &QComboBox::activated, this, &TRandomVariablesForm::DistributionChanged);
  connect(edVarName, &QLineEdit::editingFinished, this, &TRandomVariablesForm::NameExit);
  connect(memVarDescription, &QLineEdit::editingFinished, this,
          &TRandomVariablesForm::DescriptionExit);
  connect(butBrowse, &QPushButton::clicked, this, &TRandomVariablesForm::BrowseClick);
  connect(tabHelp, &QTabBar::currentChanged, this, &TRandomVariablesForm::TabHelpChange);
  preview->installEventFilter(this);
}

bool TRandomVariablesForm::eventFilter(QObject* watched, QEvent* event) {
  // The preview keeps its bitmap's size with its own; the frame replots it.
  if (watched == preview && event->type() == QEvent::Resize && preview->isVisible())
    preview->Plot(&Core.EditRecord);
  return QFrame::eventFilter(watched, event);
}

std::vector<int> TRandomVariablesForm::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& i : w_.listVar->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

int TRandomVariablesForm::Current() const {
  const QModelIndex i = w_.listVar->selectionModel()->currentIndex();
  return i.isValid() ? i.row() : -1;
}

void TRandomVariablesForm::ShowMessage(const QString& text, bool red) {
  labMessage->setText(text);
  Colour(labMessage, red ? 255 : 0);
}

void TRandomVariablesForm::ShowSelection() {
  busy_ = true;
  const std::vector<int> rows = SelectedRows();
  const TVariableView v = Core.Show(w_.Workbench().CurrentFileName, rows, Current(), RowsFit);
  setEnabled(v.Enabled);
  lab7of9->setText(QString::fromStdString(CounterCaption(static_cast<int>(rows.size()),
                                                         rows.empty() ? -1 : rows.front(),
                                                         w_.listVar->model()->rowCount())));
  ShowMessage(QString::fromStdString(v.Message), v.MessageRed);
  Colour(edVarName, 0);
  edVarName->setText(QString::fromStdString(v.Name));
  memVarDescription->setText(QString::fromStdString(v.Description));
  cbxDistribution->setCurrentIndex(v.TypeIndex);
  edVarName->setEnabled(v.NameEnabled);
  cbxDistribution->setEnabled(v.TypeEnabled);
  memVarDescription->setEnabled(v.DescriptionEnabled);
  QStringList help;
  for (const std::string& line : v.HelpLines) help << QString::fromStdString(line);
  labHelp->setText(help.join('\n'));
  helpShown_ = !v.HideGrid || v.FileLine;
  labDistribParam->setVisible(!v.HideGrid && !v.Discrete);
  labVarFile->setVisible(v.FileLine);
  butBrowse->setVisible(v.FileLine);
  butBrowse->setEnabled(v.Editable);
  labVarFile->setText(QString::fromStdString(v.FileText));
  Colour(labVarFile, v.FileColour);
  for (int c = 0; c < 3; ++c) {
    const TVariableColumn& col = v.Columns[static_cast<std::size_t>(c)];
    const bool shown = !v.HideGrid && col.Shown;
    titles[c]->setVisible(shown);
    titles[c]->setText(QString::fromStdString(col.Title).trimmed());
    updates[c]->setVisible(shown && col.Updatable);
    for (int r = 0; r < 20; ++r) {
      const bool row = shown && r < static_cast<int>(col.Labels.size());
      labels[c][r]->setVisible(row);
      cells[c][r]->setVisible(row);
      if (!row) continue;
      labels[c][r]->setText(QString::fromStdString(col.Labels[static_cast<std::size_t>(r)]));
      Colour(labels[c][r], 0);
      cells[c][r]->setText(QString::fromStdString(col.Cells[static_cast<std::size_t>(r)]));
      cells[c][r]->setEnabled(col.Updatable);
      cells[c][r]->setModified(false);
    }
  }
  plotShown_ = v.Enabled && !v.HideGrid && !v.Discrete && rows.size() == 1;
  {
    // Back to where a jump to this variable's definition started.
    const auto* editing = w_.findChild<TListEditing*>("ListEditing");
    const TNavEntry* top =
        editing && !editing->NavStack.empty() ? &editing->NavStack.back() : nullptr;
    const bool one = rows.size() == 1;
    TBarButtons& b = BarButtons;
    b.Back = top && !v.Linked && one && top->TargetKind == ObjRandomVariable &&
             edVarName->text().compare(QString::fromStdString(top->TargetName),
                                       Qt::CaseInsensitive) == 0;
    b.Merge = v.Linked;
    b.Edit = v.Linked && one;
    b.Reset = !v.Linked && one;
    b.Delete = !v.Linked;
    if (auto* bar = qobject_cast<TButtonsBar*>(w_.m_formButtonsBar)) bar->Refresh();
  }
  busy_ = false;
  FrameResize();
  // A Discrete variable shows the rows that fit the grid's height.
  if (v.Discrete && DiscreteRows() != RowsFit) {
    RowsFit = DiscreteRows();
    ShowSelection();
  }
}

int TRandomVariablesForm::FreeHeight(bool forGrid) const {
  QLayout* box = layout();
  const QMargins m = box->contentsMargins();
  // The help area counts as one item, whatever of it is shown.
  int used = m.top() + m.bottom(), shown = forGrid ? 0 : 1;
  for (int i = 0; i < box->count(); ++i) {
    QLayoutItem* item = box->itemAt(i);
    QWidget* widget = item->widget();
    const bool help = widget == labHelp || widget == preview || widget == tabHelp;
    if (item->isEmpty() || (help && !forGrid)) continue;
    ++shown;
    if (forGrid && widget == scrParams) continue;
    used += widget == scrParams
                ? scrParams->widget()->sizeHint().height() + 2 * scrParams->frameWidth()
                : item->sizeHint().height();
  }
  return height() - used - std::max(0, shown - 1) * box->spacing();
}

int TRandomVariablesForm::DiscreteRows() const {
  auto* grid = static_cast<QGridLayout*>(scrParams->widget()->layout());
  const int pitch = cells[0][0]->sizeHint().height() + grid->verticalSpacing();
  const QMargins m = grid->contentsMargins();
  // The column titles above the rows and the Update buttons below them.
  const int overhead = 2 * scrParams->frameWidth() + m.top() + m.bottom() +
                       titles[0]->sizeHint().height() + grid->verticalSpacing() + pitch;
  return DiscreteRowsFit(FreeHeight(true) - overhead, pitch);
}

void TRandomVariablesForm::FrameResize() {
  if (resizing_) return;
  resizing_ = true;
  const bool discrete = Core.EditRecord.distribution.distType == DistDiscrete;
  const int free = FreeHeight(false);
  const THelpArea area = HelpAreaLayout(free, discrete, tabHelp->currentIndex());
  const bool tabs = area.Tabs && helpShown_ && plotShown_;
  labHelp->setVisible(helpShown_ && (area.Help || (area.Tabs && !plotShown_)));
  preview->setVisible(plotShown_ && area.Plot);
  tabHelp->setVisible(tabs);
  // Above the tabs the help lines keep to the free height.
  const int tabHeight = tabHelp->sizeHint().height() + layout()->spacing();
  labHelp->setMaximumHeight(tabs ? std::max(0, free - tabHeight) : QWIDGETSIZE_MAX);
  if (preview->isVisibleTo(this)) {
    const int above = tabs ? tabHelp->sizeHint().height() : labHelp->sizeHint().height();
    preview->setFixedHeight(std::max(0, free - above - layout()->spacing()));
    preview->Plot(&Core.EditRecord);
  }
  resizing_ = false;
}

void TRandomVariablesForm::TabHelpChange(int) {
  FrameResize();
  StoreSettings();
}

void TRandomVariablesForm::ApplySettings() {
  const TWorkbenchSettings& st = w_.Settings();
  SetFrameWidth(this, st.VarList.Split);
  settingsApplied_ = true;
  tabHelp->setCurrentIndex(std::clamp(st.ShowPlot, 0, 1));
  StoreSettings();
}

void TRandomVariablesForm::StoreSettings() {
  if (!settingsApplied_) return;
  TWorkbenchSettings& st = w_.MutableSettings();
  st.VarList.Split = width();
  st.ShowPlot = tabHelp->currentIndex();
}

void TRandomVariablesForm::showEvent(QShowEvent* event) {
  QFrame::showEvent(event);
  if (!settingsApplied_) ApplySettings();
}

void TRandomVariablesForm::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  StoreSettings();
  if (Core.EditRecord.distribution.distType == DistDiscrete && DiscreteRows() != RowsFit) {
    RowsFit = DiscreteRows();
    ShowSelection();
  } else {
    FrameResize();
  }
}

void TRandomVariablesForm::DistributionChanged(int index) {
  if (busy_) return;
  const int type = DistributionOfIndex(index);
  if (!Core.ChangeType(w_.Workbench(), SelectedRows(), type, false)) return;
  w_.listVar->viewport()->update();
  ShowSelection();
  if (Core.FileMissing(w_.Workbench().CurrentFileName)) BrowseClick();
}

void TRandomVariablesForm::ResetClick() {
  Core.Reset(w_.Workbench(), SelectedRows());
  w_.listVar->viewport()->update();
  ShowSelection();
}

void TRandomVariablesForm::UpdateColumnClick(int column, bool fromEdit) {
  std::vector<std::string> texts;
  for (int r = 0; r < 20 && cells[column - 1][r]->isVisible(); ++r)
    texts.push_back(cells[column - 1][r]->text().toStdString());
  std::string message;
  if (Core.UpdateColumn(w_.Workbench(), SelectedRows(), column, texts, fromEdit, message)) {
    w_.listVar->viewport()->update();
    ShowSelection();
    return;
  }
  ShowMessage(QString::fromStdString(message), true);
  for (QLabel* l : labels[column - 1]) Colour(l, 255);
  QApplication::beep();
}

void TRandomVariablesForm::NameExit() {
  if (busy_ || !edVarName->isModified()) return;
  edVarName->setModified(false);
  std::string message;
  const int result = Core.Rename(w_.Workbench(), edVarName->text().toStdString(), message);
  if (result < 0) {
    ShowMessage(QString::fromStdString(message), true);
    Colour(edVarName, 255);
    return;
  }
  w_.listVar->viewport()->update();
  if (result > 0) {
    edVarName->setText(
        QString::fromStdString(Cp437ToUtf8(ShortStringView(Core.EditRecord.distribution.name))));
    ShowMessage(QString::fromStdString(message), false);
  }
}

void TRandomVariablesForm::DescriptionExit() {
  if (busy_ || !memVarDescription->isModified()) return;
  memVarDescription->setModified(false);
  Core.SetDescription(w_.Workbench(), SelectedRows(), memVarDescription->text().toStdString());
  w_.listVar->viewport()->update();
}

void TRandomVariablesForm::BrowseClick() {
  const int row =
      Current() >= 0 ? Current() : (SelectedRows().empty() ? -1 : SelectedRows().front());
  if (row < 0) return;
  if (BrowseVariableFile(w_.Workbench(), row)) w_.listVar->viewport()->update();
  ShowSelection();
}

TRandomVariablesForm* InstallVariableFrame(TFrmTesmiraMain& window) {
  QSplitter* splitter = SplitBesideList(window.listVar, "panVar", "splVar");
  if (splitter == nullptr) return nullptr;
  auto* frame = new TRandomVariablesForm(window, splitter);
  splitter->addWidget(frame);
  QObject::connect(window.listVar->selectionModel(), &QItemSelectionModel::selectionChanged, frame,
                   [frame] { frame->ShowSelection(); });
  QObject::connect(window.listVar->selectionModel(), &QItemSelectionModel::currentChanged, frame,
                   [frame] { frame->ShowSelection(); });
  QObject::connect(window.listVar->model(), &QAbstractItemModel::modelReset, frame,
                   [frame] { frame->ShowSelection(); });
  frame->ShowSelection();
  return frame;
}

}  // namespace tesmira::wb
