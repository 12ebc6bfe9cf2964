#include "ui/export_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/services.h"

bool IntegerField(const QLineEdit* edit, int& value) {
  bool ok = false;
  value = edit->text().trimmed().toInt(&ok);
  if (!ok) {
    Services().ErrorBox(QStringLiteral("'%1' is not a valid integer value").arg(edit->text()),
                        QStringLiteral("Tesplore"));
  }
  return ok;
}

TFrmBitmapExport::TFrmBitmapExport(TFrameSettings& settings, bool jpeg, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_settings(settings) {
  setObjectName(QStringLiteral("FrmBitmapExport"));
  setWindowTitle(QStringLiteral("Image export options"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Image size:"), this), 0, 0, 1, 4);
  Radio0 = new QRadioButton(QStringLiteral("Window size"), this);
  Radio1 = new QRadioButton(QStringLiteral("User defined"), this);
  grid->addWidget(Radio0, 1, 0, 1, 4);
  grid->addWidget(Radio1, 2, 0, 1, 4);
  EdWidth = new QLineEdit(QString::number(settings.ImageWidth), this);
  EdHeight = new QLineEdit(QString::number(settings.ImageHeight), this);
  Button1 = new QPushButton(QStringLiteral("<"), this);
  SetNarrowWidth(Button1, 24);
  grid->addWidget(EdWidth, 3, 0);
  grid->addWidget(new QLabel(QStringLiteral("x"), this), 3, 1);
  grid->addWidget(EdHeight, 3, 2);
  grid->addWidget(Button1, 3, 3);
  PopupMenu1 = new QMenu(this);
  for (const char* preset : {"320x240", "640x480", "800x600", "1024x768"}) {
    const QString caption = QString::fromLatin1(preset);
    PopupMenu1->addAction(caption, this, [this, caption] { PresetClick(caption); });
  }
  Label3 = new QLabel(QStringLiteral("JPEG compression:"), this);
  Compression = new QSlider(Qt::Horizontal, this);
  Compression->setRange(0, 100);
  Compression->setPageStep(10);
  Compression->setValue(settings.JPEGCompression);
  auto* high = new QLabel(QStringLiteral("high"), this);
  auto* low = new QLabel(QStringLiteral("low"), this);
  low->setAlignment(Qt::AlignRight);
  grid->addWidget(Label3, 4, 0, 1, 4);
  grid->addWidget(Compression, 5, 0, 1, 4);
  grid->addWidget(high, 6, 0);
  grid->addWidget(low, 6, 2, 1, 2);
  for (QWidget* w : std::initializer_list<QWidget*>{Label3, Compression, high, low})
    w->setVisible(jpeg);
  auto* buttons = new QHBoxLayout;
  BitBtn1 = new QPushButton(QStringLiteral("Export"), this);
  BitBtn1->setDefault(true);
  BitBtn2 = new QPushButton(QStringLiteral("&Cancel"), this);
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);
  grid->addLayout(buttons, 7, 0, 1, 4);

  (settings.NotWindowSize ? Radio1 : Radio0)->setChecked(true);
  connect(Radio0, &QRadioButton::toggled, this, [this] { Radio1Click(); });
  connect(Button1, &QPushButton::clicked, this, [this] {
    PopupMenu1->popup(mapToGlobal(Button1->geometry().bottomRight() + QPoint(1, 1)));
  });
  connect(Compression, &QSlider::valueChanged, this, [this] { CompressionChange(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
  Radio1Click();
  CompressionChange();
}

void TFrmBitmapExport::Radio1Click() {
  const bool user = Radio1->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{EdWidth, EdHeight, Button1})
    w->setEnabled(user);
}

void TFrmBitmapExport::PresetClick(const QString& caption) {
  EdWidth->setText(caption.section('x', 0, 0));
  EdHeight->setText(caption.section('x', 1, 1));
}

void TFrmBitmapExport::CompressionChange() {
  Compression->setToolTip(QStringLiteral("Quality: %1").arg(Compression->value()));
}

void TFrmBitmapExport::BitBtn1Click() {
  // Every field is checked before any is stored.
  int size[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    if (!IntegerField(i == 0 ? EdWidth : EdHeight, size[i])) return;
    if (size[i] < 16 || size[i] > 10000) {
      Services().ErrorBox(QStringLiteral("Width and height must lie between 16 and 10000."),
                          QStringLiteral("Tesplore"));
      return;
    }
  }
  m_settings.NotWindowSize = Radio1->isChecked();
  m_settings.ImageWidth = size[0];
  m_settings.ImageHeight = size[1];
  m_settings.JPEGCompression = Compression->value();
  accept();
}
