// The main window's file commands, variable selection, runs and scripts.
#include <QtCore/QFileInfo>
#include <QtWidgets/QApplication>

#include "file_commands.h"
#include "main_window.h"
#include "run_listener.h"
#include "services.h"
#include "settings.h"
#include "text_samples.h"
#include "var_picker.h"

namespace tesvane {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }
}  // namespace

void TFormTesvaneMain::OpenFileCommand() {
  if (Running()) return;
  const QStringList filters = {"Converted Tesmira sample files (*.sae *.csv)",
                               "Tesmira sample files (*.sam)", "Pellian files (*.samhdr)",
                               "All supported files (*.sae *.csv *.sam *.samhdr)", "All files (*)"};
  const QString start = recent_.empty() ? QString() : Q(recent_.front());
  const QString path = AbsolutePath(Services().OpenFile(this, "Open", filters, 3, {}, start));
  if (path.isEmpty()) return;
  // The path joins the recent files whatever the outcome.
  struct TAddRecent {
    TFormTesvaneMain* w;
    std::string path;
    ~TAddRecent() {
      if (AddOpenedToRecentFiles(w->recent_, path, w->recentSlots_)) w->RebuildReopenMenu();
    }
  } addRecent{this, S(path)};
  OpenSampleFile(path);
}

void TFormTesvaneMain::ReopenEntry(int position) {
  if (Running() || position < 0 || position >= static_cast<int>(recent_.size())) return;
  const std::string path = recent_[static_cast<size_t>(position)];
  if (QFileInfo::exists(Q(path))) {
    OpenSampleFile(Q(path));
    return;
  }
  ShowMessage("File " + path + " does not exist.");
  RemoveFromRecentFiles(recent_, path);
  --recentSlots_;
  RebuildReopenMenu();
}

void TFormTesvaneMain::OpenSampleFile(const QString& qpath) {
  if (Running()) return;
  std::string path = S(AbsolutePath(qpath));
  SetBusyCursor(true);
  const TOpenKind kind = ClassifyOpenPath(path);
  switch (kind) {
    case TOpenKind::Missing:
    case TOpenKind::Locked:
    case TOpenKind::WrongExtension:
      SetBusyCursor(false);
      ShowMessage(OpenRefusalMessage(kind, path));
      return;
    case TOpenKind::Sam:
      if (!ConvertSamToSae(path, *this)) {
        SetBusyCursor(false);
        return;
      }
      path = ChangeExtension(path, ".sae");
      break;
    default: break;
  }
  if (!LoadSamplesAndRefresh(Q(path))) return;
  SelectAllClicked(ckSelAllConditioning, false);
  SelectAllClicked(ckSelAllConditioned, false);
}

bool TFormTesvaneMain::LoadSamplesAndRefresh(const QString& path) {
  SetBusyCursor(false);
  if (path.isEmpty()) return false;
  UnloadSampleFile();
  FileData.FileName = S(path);
  bool ok = false;
  std::string error;
  try {
    ok = ReadSampleFile(FileData, nullptr, *this);
  } catch (const std::exception& e) {
    error = e.what();
  }
  ShowProgress(false);
  SetStatus("Ready to perform calculations");
  SetBusyCursor(false);
  if (!ok) {
    // The reader's own message follows the documented one.
    std::string text = "The format of file " + S(path) + " is not correct";
    if (!error.empty()) text += "\n" + error;
    UnloadSampleFile();
    ShowMessage(text);
    return false;
  }
  RefreshAfterLoad();
  return true;
}

void TFormTesvaneMain::RefreshAfterLoad() {
  const QString path = Q(FileData.FileName);
  lblFileName->SetFullText(QFileInfo(path).fileName());
  lblFileName->SetFixedToolTip(path);
  setWindowTitle("Tesvane - " + path);
  for (QListWidget* list : {cklstConditioned, cklstConditioning}) {
    list->blockSignals(true);
    list->clear();
    for (const std::string& name : FileData.Names) {
      auto* item = new QListWidgetItem(Q(name), list);
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Unchecked);
    }
    list->blockSignals(false);
  }
  lblVarCount->setText(QString("%1 variables").arg(FileData.VarCount));
  lblSampleCount->setText(QString("%1 samples per variable").arg(FileData.SampleCount));
  ckSelAllConditioned->setEnabled(true);
  ckSelAllConditioning->setEnabled(true);
  runAllowed_ = false;
  UpdateCommandStates();
}

void TFormTesvaneMain::UnloadSampleFile() {
  if (Running()) return;
  lblFileName->SetFullText("Sample file name");
  lblFileName->SetFixedToolTip({});
  setWindowTitle("Tesvane - [No sample file loaded]");
  cklstConditioned->clear();
  cklstConditioning->clear();
  EnableResultCommands(false);
  ckSelAllConditioned->setEnabled(false);
  ckSelAllConditioning->setEnabled(false);
  lblVarCount->setText("Number of variables");
  lblSampleCount->setText("Number of samples");
  runAllowed_ = false;
  statusPanel3->clear();
  SetStatus("Ready to perform calculations");
  ClearResults();
  FileData.Close();
  FileData.Variables.FreeItems();
  SetNavigator(-1, -1, -1);
  UpdateCommandStates();
}

int32_t TFormTesvaneMain::CountChecked(const QListWidget* list) const {
  int32_t n = 0;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->checkState() == Qt::Checked) ++n;
  return n;
}

std::vector<int32_t> TFormTesvaneMain::CheckedPositions(const QListWidget* list) const {
  std::vector<int32_t> positions;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->checkState() == Qt::Checked) positions.push_back(i);
  return positions;
}

void TFormTesvaneMain::CheckListChanged(QListWidget* list) {
  runAllowed_ = CountChecked(cklstConditioned) > 0 && CountChecked(cklstConditioning) > 0;
  QCheckBox* box = list == cklstConditioned ? ckSelAllConditioned : ckSelAllConditioning;
  box->setChecked(list->count() > 0 && CountChecked(list) == list->count());
  UpdateCommandStates();
}

void TFormTesvaneMain::SelectAllClicked(QCheckBox* box, bool byUser) {
  QListWidget* own = box == ckSelAllConditioned ? cklstConditioned : cklstConditioning;
  QListWidget* other = own == cklstConditioned ? cklstConditioning : cklstConditioned;
  auto setAll = [&](Qt::CheckState state) {
    own->blockSignals(true);
    for (int i = 0; i < own->count(); ++i) own->item(i)->setCheckState(state);
    own->blockSignals(false);
  };
  if (box->isChecked()) {
    setAll(Qt::Checked);
    if (CountChecked(other) > 0 && own->count() > 0) runAllowed_ = true;
  } else if (byUser) {
    setAll(Qt::Unchecked);
    runAllowed_ = false;
  }
  UpdateCommandStates();
}

void TFormTesvaneMain::UpdateCommandStates() {
  const bool running = Running();
  btnRun->setEnabled(runAllowed_ && !running);
  btnClear->setEnabled(!running);
  actClose->setEnabled(!running);
  actOpen->setEnabled(!running);
  mnuReopen->setEnabled(!running);
  actRunScript->setEnabled(!running);
}

void TFormTesvaneMain::btnCalculateBatchClick() {
  if (Running()) return;
  if (FileData.SampleCount <= 0) {
    ShowMessage("There is no samples loaded.");
    return;
  }
  TRunListener quiet;
  if (!BuildRunJobs(FileData, RunData, CheckedPositions(cklstConditioned),
                    CheckedPositions(cklstConditioning), quiet))
    return;
  StartRun();
}

void TFormTesvaneMain::StartRun() {
  if (Running()) return;
  // The degree shown now serves the whole run.
  const TRunParameters parameters = ReadRunParameters(trkDegree->value());
  SetBusyCursor(true);
  worker_ = std::make_unique<TMyThread>(FileData, RunData, *listener_, parameters);
  UpdateCommandStates();
  mnuReopen->setEnabled(false);
  worker_->Start();
}

void TFormTesvaneMain::CancelButtonClick() {
  if (worker_) worker_->Terminate();
  btnCancel->setEnabled(false);
}

void TFormTesvaneMain::ToggleProgressBar() { ProgressBar1->setVisible(!ProgressBar1->isVisible()); }

void TFormTesvaneMain::ShowPendingRows() {
  std::vector<TSensitivityItem*> arrived;
  {
    std::lock_guard<std::mutex> guard(RunData.Lock);
    for (size_t i = rowItems_.size(); i < RunData.Results.size(); ++i)
      arrived.push_back(RunData.Results[i].get());
  }
  if (arrived.empty()) return;
  m_gridMainList->BeginUpdate();
  for (TSensitivityItem* item : arrived) AddResultRow(*item, QString::number(nextNumber_++));
  m_gridMainList->SetGutterStrings(rowNumbers_);
  m_gridMainList->EndUpdate();
}

void TFormTesvaneMain::FinishRun() {
  ShowPendingRows();
  if (worker_) {
    worker_->WaitFor();  // the worker has made its last call
    worker_.reset();
  }
  btnCancel->setEnabled(false);
  SetBusyCursor(false);
  if (rowItems_.empty()) {
    SetNavigator(0, 0, 0);
    EnableResultCommands(false);
  } else {
    EnableResultCommands(true);
    SetNavigator(1, static_cast<int>(rowItems_.size()), m_gridMainList->Row() + 1);
  }
  btnNavPrev->setEnabled(rowItems_.size() > 1);
  btnNavNext->setEnabled(rowItems_.size() > 1);
  SetStatus("Ready to perform calculations");
  UpdateCommandStates();
  if (closeWhenDone_) close();
}

void TFormTesvaneMain::RunScriptCommand() {
  if (Running()) return;
  const QString path = AbsolutePath(Services().OpenFile(
      this, "Open Pellian Script File", {"Pellian Script File (*.pelscript)"}, 0, "pelscript", {}));
  if (!path.isEmpty()) RunScript(path);
}

void TFormTesvaneMain::RunScript(const QString& path) {
  if (Running()) return;
  TScriptExecutor executor(S(path), FileData, RunData, *this);
  executor.Run();
}

bool TFormTesvaneMain::PickVariables(const TRandVarList& variables, int32_t maximum,
                                     TIntList& checkedIds) {
  const bool busy = busy_;
  SetBusyCursor(false);
  TRandVarPickerForm picker(this);
  picker.InitPicker(variables, maximum);
  const bool ok = Services().Exec(picker) == QDialog::Accepted;
  if (ok) checkedIds = picker.GetCheckedIds();
  SetBusyCursor(busy);
  return ok;
}

}  // namespace tesvane
