// The dependence panel's controls as the structure conversions see them, and
// the progress of a long conversion: the main window hidden, the transform
// window shown and fed, the message pump installed so that Cancel works.
#pragma once

#include <QPointer>
#include <QWidget>

#include "structure_conversion.h"

namespace tesmira::wb {

class TDependencePanel;
class TVineToMatrixModal;

class TConversionPanel : public IConversionPanel {
 public:
  explicit TConversionPanel(TDependencePanel& panel) : p_(panel) {}
  ~TConversionPanel() override;

  bool MatrixViewChecked() override;
  void SetMatrixViewChecked(bool checked) override;
  int VinesTypeIndex() override;
  void SetVinesTypeIndex(int index) override;
  std::string CorrelationText() override;
  void SelectMatrixCell(int row, int column) override;
  void SetMatrixPanelEnabled(bool enabled) override;
  void SyncDependenceButtons() override;
  void UpdateVineButtons() override;
  void RefreshView() override;
  void DescribeSelection() override;
  void BeginLongConversion() override;
  void ShowProgressWindow() override;
  bool ProgressFunc(int percent, int total) override;
  void EndLongConversion() override;

  // The application's transform window; without one the panel makes its own.
  QPointer<TVineToMatrixModal> Transform;

 private:
  TVineToMatrixModal& TransformWindow();

  TDependencePanel& p_;
  QPointer<QWidget> hidden_;
  bool ownTransform_ = false;
};

}  // namespace tesmira::wb
