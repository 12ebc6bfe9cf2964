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
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

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
  box->addWidget(labHelp);
  preview = new TRandomPaint(this);
  preview->setMinimumHeight(120);
  box->addWidget(preview);
  labDistribParam = new QLabel("Distribution properties:", this);
  box->addWidget(labDistribParam);
  auto* scroll = new QScrollArea(this);
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
  butDefault = new QPushButton("&Reset", this);
  butDefault->setObjectName("butDefault");
  box->addWidget(butDefault, 0, Qt::AlignLeft);

  connect(cbxDistribution, &QComboBox::activated, this, &TRandomVariablesForm::DistributionChanged);
  connect(edVarName, &QLineEdit::editingFinished, this, &TRandomVariablesForm::NameExit);
  connect(memVarDescription, &QLineEdit::editingFinished, this,
          &TRandomVariablesForm::DescriptionExit);
  connect(butBrowse, &QPushButton::clicked, this, &TRandomVariablesForm::BrowseClick);
  connect(butDefault, &QPushButton::clicked, this, &TRandomVariablesForm::ResetClick);
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
  const TVariableView v = Core.Show(w_.Workbench().CurrentFileName, rows, Current());
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
  labHelp->setVisible(!v.HideGrid || v.FileLine);
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
  const bool plot = v.Enabled && !v.HideGrid && !v.Discrete && rows.size() == 1;
  preview->setVisible(plot);
  if (plot) preview->Plot(&Core.EditRecord);
  butDefault->setVisible(rows.size() == 1 && !v.Linked);
  busy_ = false;
}

void TRandomVariablesForm::DistributionChanged(int index) {
  if (busy_) return;
  const int type = DistributionOfIndex(index);
  if (!Core.ChangeType(w_.Workbench(), SelectedRows(), type, false)) return;
  w_.listVar->viewport()->update();
  ShowSelection();
  if ((type == DistFile100 || type == DistSampleFile) && labVarFile->text().contains("(not"))
    BrowseClick();
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
