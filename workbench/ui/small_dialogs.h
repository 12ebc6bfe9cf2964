// Small windows of the workbench: the start-up logo, the transformation
// progress window, the plain progress window and the batch-creation dialog.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

namespace tesmira::wb {

// Borderless 640 x 480 logo on top of everything; closes itself after 6 s,
// or 26 s while a mouse button is held on it, or when the button is released.
class TLogoForm : public QWidget {
  Q_OBJECT
 public:
  explicit TLogoForm(QWidget* parent = nullptr);
  QTimer* Timer1 = nullptr;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TVineToMatrixModal : public QDialog {
  Q_OBJECT
 public:
  explicit TVineToMatrixModal(QWidget* parent = nullptr);
  // Updates the texts and the bar; false once Cancel was pressed.
  bool ProgressFunc(long long current, long long total);
  void Start();

  QLabel *ProgressLabel, *ElapsedLabel;
  QProgressBar* ConvertingProgressBar;
  QPushButton* CancelButton;

 protected:
  // Esc asks the conversion to stop, as Cancel does; the window stays until
  // the conversion has ended and its caller closes it.
  void reject() override;

 private:
  QElapsedTimer started_;
  bool cancelled_ = false;
};

class TProgressForm : public QDialog {
  Q_OBJECT
 public:
  explicit TProgressForm(QWidget* parent = nullptr);
  QLabel* m_lblMessage;
  QProgressBar* m_progressBar;
};
// Shown without waiting; the caller owns it.
TProgressForm* CreateProgressForm(QWidget* parent, const QString& caption, const QString& message);

class TFrmBatch : public QDialog {
  Q_OBJECT
 public:
  explicit TFrmBatch(QWidget* parent = nullptr);
  QLineEdit* edName;
  QSpinBox* edCount;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace tesmira::wb
