#include "conversion_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableView>

#include "dependence_panel.h"
#include "small_dialogs.h"
#include "tesmira/simulation.h"

namespace tesmira::wb {

namespace {

void PumpMessages() { QCoreApplication::processEvents(); }

}  // namespace

TConversionPanel::~TConversionPanel() {
  if (ownTransform_ && Transform) delete Transform.data();
}

bool TConversionPanel::MatrixViewChecked() { return p_.ShowMatrixCheckBox->isChecked(); }

void TConversionPanel::SetMatrixViewChecked(bool checked) {
  const QSignalBlocker quiet(p_.ShowMatrixCheckBox);
  p_.ShowMatrixCheckBox->setChecked(checked);
}

int TConversionPanel::VinesTypeIndex() { return p_.chkVinesType->currentIndex(); }

void TConversionPanel::SetVinesTypeIndex(int index) {
  const QSignalBlocker quiet(p_.chkVinesType);
  p_.chkVinesType->setCurrentIndex(index);
}

std::string TConversionPanel::CorrelationText() { return p_.m_edtDepRank->text().toStdString(); }

void TConversionPanel::SelectMatrixCell(int row, int column) {
  p_.gridDepends->setCurrentIndex(p_.gridModel->index(row - 1, column - 1));
  p_.gridDepends->setFocus();
}

void TConversionPanel::SetMatrixPanelEnabled(bool enabled) { p_.panDepMx->setEnabled(enabled); }

void TConversionPanel::SyncDependenceButtons() { p_.SyncDependenceButtons(false); }

void TConversionPanel::UpdateVineButtons() { p_.UpdateVineButtons(); }

void TConversionPanel::RefreshView() { p_.Refresh(); }

void TConversionPanel::DescribeSelection() { p_.treeDependsChange(); }

TVineToMatrixModal& TConversionPanel::TransformWindow() {
  if (!Transform) {
    Transform = new TVineToMatrixModal(p_.window());
    ownTransform_ = true;
  }
  return *Transform;
}

void TConversionPanel::BeginLongConversion() {
  hidden_ = p_.window();
  if (hidden_) hidden_->hide();
  SetMessagePumpHook(&PumpMessages);
}

void TConversionPanel::ShowProgressWindow() {
  TVineToMatrixModal& t = TransformWindow();
  if (hidden_) t.move(hidden_->geometry().center() - t.rect().center());
  t.Start();
}

bool TConversionPanel::ProgressFunc(int percent, int total) {
  return TransformWindow().ProgressFunc(percent, total);
}

void TConversionPanel::EndLongConversion() {
  SetMessagePumpHook(nullptr);
  if (Transform) Transform->hide();
  if (hidden_) hidden_->show();
  hidden_ = nullptr;
}

}  // namespace tesmira::wb
