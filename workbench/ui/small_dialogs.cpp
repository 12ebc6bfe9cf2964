#include "small_dialogs.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "main_view.h"

namespace tesmira::wb {

TLogoForm::TLogoForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint) {
  setObjectName("LogoForm");
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(640, 480);
  if (parent) move(parent->geometry().center() - rect().center());
  Timer1 = new QTimer(this);
  Timer1->setSingleShot(true);
  Timer1->setInterval(6000);
  connect(Timer1, &QTimer::timeout, this, &QWidget::close);
  Timer1->start();
}

void TLogoForm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, QColor(30, 60, 120));
  g.setColorAt(1, QColor(10, 20, 50));
  p.fillRect(rect(), g);
  p.setPen(Qt::white);
  p.setFont(QFont("DejaVu Sans", 48, QFont::Bold));
  p.drawText(rect().adjusted(0, -60, 0, -60), Qt::AlignCenter, "Tesmira");
  p.setFont(QFont("DejaVu Sans", 14));
  p.drawText(rect().adjusted(0, 60, 0, 60), Qt::AlignCenter,
             QString::fromStdString(VersionCaption()) + "  -  uncertainty analysis");
}

void TLogoForm::mousePressEvent(QMouseEvent*) { Timer1->start(26000); }
void TLogoForm::mouseReleaseEvent(QMouseEvent*) { close(); }

TVineToMatrixModal::TVineToMatrixModal(QWidget* parent) : QDialog(parent) {
  setObjectName("VineToMatrixModal");
  setWindowTitle("Transform in progress, please wait...");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  auto* box = new QVBoxLayout(this);
  ProgressLabel = new QLabel("Conversion complete : 100 %", this);
  ConvertingProgressBar = new QProgressBar(this);
  ElapsedLabel = new QLabel("Elapsed:  s.          Remaining:    s", this);
  CancelButton = new QPushButton("Cancel", this);
  box->addWidget(ProgressLabel);
  box->addWidget(ConvertingProgressBar);
  box->addWidget(ElapsedLabel);
  box->addWidget(CancelButton, 0, Qt::AlignRight);
  connect(CancelButton, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

void TVineToMatrixModal::reject() { cancelled_ = true; }

void TVineToMatrixModal::Start() {
  cancelled_ = false;
  ProgressLabel->setText("Conversion complete : 0 %");
  ConvertingProgressBar->setValue(1);
  started_.start();
  show();
  raise();
}

bool TVineToMatrixModal::ProgressFunc(long long current, long long total) {
  if (!started_.isValid()) started_.start();
  const TProgressTexts t = TransformProgressTexts(current, total, started_.elapsed() / 1000);
  ElapsedLabel->setText(QString::fromStdString(t.Elapsed));
  ProgressLabel->setText(QString::fromStdString(t.Progress));
  ConvertingProgressBar->setMaximum(static_cast<int>(std::max(1LL, total)));
  ConvertingProgressBar->setValue(static_cast<int>(std::clamp(current, 0LL, std::max(1LL, total))));
  QApplication::processEvents();
  return !cancelled_;
}

TProgressForm::TProgressForm(QWidget* parent) : QDialog(parent) {
  setObjectName("ProgressForm");
  setFixedSize(336, 48);
  auto* box = new QVBoxLayout(this);
  m_lblMessage = new QLabel(this);
  m_lblMessage->setFixedWidth(320);
  m_progressBar = new QProgressBar(this);
  box->addWidget(m_lblMessage);
  box->addWidget(m_progressBar);
}

TProgressForm* CreateProgressForm(QWidget* parent, const QString& caption, const QString& message) {
  auto* form = new TProgressForm(parent);
  form->setWindowTitle(caption);
  form->m_lblMessage->setText(message);
  form->show();
  return form;
}

TFrmBatch::TFrmBatch(QWidget* parent) : QDialog(parent) {
  setObjectName("FrmBatch");
  setWindowTitle("Batch Create Variables");
  auto* form = new QFormLayout(this);
  edName = new QLineEdit(this);
  edCount = new QSpinBox(this);
  edCount->setRange(1, 100000);
  edCount->setValue(1);
  form->addRow("Name:", edName);
  form->addRow("Number:", edCount);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("Create", this);
  ok->setDefault(true);
  auto* cancel = new QPushButton("&Cancel", this);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  form->addRow(buttons);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmBatch::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  edName->setFocus();
}

}  // namespace tesmira::wb
