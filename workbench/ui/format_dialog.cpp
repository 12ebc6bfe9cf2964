#include "format_dialog.h"

#include "font_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QVBoxLayout>

namespace tesmira::wb {

TFrmFormat::TFrmFormat(TRepSectionSetting& entry, TRepSections& sections,
                       const TDisplaySettings& display, QWidget* parent)
    : QDialog(parent), entry_(entry), sections_(sections), state_(entry, display) {
  setObjectName("FrmFormat");
  setWindowTitle("Format");
  auto* l = new QVBoxLayout(this);
  auto* g = new QGridLayout;
  l->addLayout(g);
  cbxFormat = new QComboBox(this);
  cbxFormat->setObjectName("cbxFormat");
  edWidth = new QSpinBox(this);
  edWidth->setObjectName("edWidth");
  edWidth->setRange(0, 20);
  edPrecision = new QSpinBox(this);
  edPrecision->setObjectName("edPrecision");
  edPrecision->setRange(0, 18);
  chkPreview = new QCheckBox("Automatic Preview", this);
  chkPreview->setObjectName("chkPreview");
  g->addWidget(new QLabel("Number format:", this), 0, 0);
  g->addWidget(cbxFormat, 0, 1);
  g->addWidget(new QLabel("Width:", this), 1, 0);
  g->addWidget(edWidth, 1, 1);
  g->addWidget(new QLabel("Precision:", this), 2, 0);
  g->addWidget(edPrecision, 2, 1);
  g->addWidget(chkPreview, 3, 0, 1, 2);
  richPreview = NewPreviewPane(this, "richPreview");
  // The plain-text preview's columns line up only in a fixed-pitch font.
  QFont mono("DejaVu Sans Mono");
  mono.setStyleHint(QFont::Monospace);
  mono.setFixedPitch(true);
  richPreview->setFont(mono);
  l->addWidget(richPreview, 1);
  QPushButton* apply = AddPreviewButtons(this, l, "&Cancel");
  connect(apply, &QPushButton::clicked, this, [this] { PreviewClick(); });
  connect(cbxFormat, &QComboBox::currentIndexChanged, this, [this] { Changed(); });
  connect(edWidth, &QSpinBox::valueChanged, this, [this] { Changed(); });
  connect(edPrecision, &QSpinBox::valueChanged, this, [this] { Changed(); });
  connect(chkPreview, &QCheckBox::clicked, this, [this](bool on) {
    sections_.FormatPreview = on;
    if (on) PreviewClick();
  });
  resize(420, 360);
}

void TFrmFormat::Start() {
  starting_ = true;
  cbxFormat->clear();
  for (const std::string& item : state_.ListItems())
    cbxFormat->addItem(QString::fromStdString(item));
  cbxFormat->setCurrentIndex(state_.Position());
  edWidth->setValue(entry_.width);
  edPrecision->setValue(entry_.precision);
  chkPreview->setChecked(sections_.FormatPreview);
  starting_ = false;
  Changed();
}

void TFrmFormat::Changed() {
  if (starting_) return;
  const int position = cbxFormat->currentIndex();
  if (position < 0) return;
  int width = edWidth->value(), precision = edPrecision->value();
  state_.Change(position, width, precision);
  {
    const QSignalBlocker a(edWidth), b(edPrecision);
    edWidth->setValue(width);
    edPrecision->setValue(precision);
  }
  const bool edits = TFormatDialogState::EditsEnabled(position);
  edWidth->setEnabled(edits);
  edPrecision->setEnabled(edits);
  if (chkPreview->isChecked()) PreviewClick();
}

void TFrmFormat::PreviewClick() {
  if (Preview) Preview(richPreview);
}

void TFrmFormat::CancelClick() { reject(); }

void TFrmFormat::reject() {
  state_.Cancel();
  QDialog::reject();
}

}  // namespace tesmira::wb
