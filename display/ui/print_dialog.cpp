#include "ui/print_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

#include "ui/export_dialog.h"

TFrmPrint::TFrmPrint(TPrintSettings& settings, QString& title, QPrinter* printer, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_title(title) {
  setObjectName(QStringLiteral("FrmPrint"));
  setWindowTitle(QStringLiteral("Print Options"));
  auto* outer = new QGridLayout(this);
  const char* captions[6] = {"Title",  "Plot type",      "# of samples",
                             "To Fit", "Preserve ratio", "Use default grayscale palette"};
  for (std::size_t i = 0; i < Chk.size(); ++i)
    Chk[i] = new QCheckBox(QString::fromLatin1(captions[i]), this);

  auto* print = new QGroupBox(QStringLiteral("Print"), this);
  auto* p = new QGridLayout(print);
  Edit1 = new QLineEdit(title, print);
  p->addWidget(Chk[0], 0, 0);
  p->addWidget(Edit1, 0, 1);
  p->addWidget(Chk[1], 1, 0, 1, 2);
  p->addWidget(Chk[2], 2, 0, 1, 2);
  outer->addWidget(print, 0, 0, 1, 3);

  auto* scale = new QGroupBox(QStringLiteral("Scale and Position"), this);
  auto* s = new QGridLayout(scale);
  s->addWidget(new QLabel(QStringLiteral("Scale"), scale), 0, 0);
  s->addWidget(Chk[3], 1, 0);
  UpDown1 = new QSpinBox(scale);
  UpDown1->setRange(1, 100);
  UpDown1->setSingleStep(5);
  UpDown1->setValue(100);
  s->addWidget(UpDown1, 1, 1);
  s->addWidget(new QLabel(QStringLiteral("%"), scale), 1, 2);
  s->addWidget(Chk[4], 2, 0, 1, 3);
  s->addWidget(new QLabel(QStringLiteral("Margins"), scale), 3, 0);
  Edit2 = new QLineEdit(scale);
  Edit3 = new QLineEdit(scale);
  s->addWidget(new QLabel(QStringLiteral("Horizontal"), scale), 4, 0);
  s->addWidget(Edit2, 4, 1);
  s->addWidget(new QLabel(QStringLiteral("pixels"), scale), 4, 2);
  s->addWidget(new QLabel(QStringLiteral("Vertical"), scale), 5, 0);
  s->addWidget(Edit3, 5, 1);
  s->addWidget(new QLabel(QStringLiteral("pixels"), scale), 5, 2);
  outer->addWidget(scale, 1, 0, 1, 3);

  auto* colours = new QGroupBox(QStringLiteral("Colors"), this);
  (new QVBoxLayout(colours))->addWidget(Chk[5]);
  outer->addWidget(colours, 2, 0, 1, 3);

  BitBtn1 = new QPushButton(QStringLiteral("Print"), this);
  BitBtn1->setDefault(true);
  BitBtn2 = new QPushButton(QStringLiteral("&Cancel"), this);
  Button1 = new QPushButton(QStringLiteral("Printer..."), this);
  outer->addWidget(BitBtn1, 3, 0);
  outer->addWidget(BitBtn2, 3, 1);
  outer->addWidget(Button1, 3, 2);

  // FormCreate.
  UpDown1->setValue(settings.Scale);
  Edit2->setText(QString::number(settings.HMargin));
  Edit3->setText(QString::number(settings.VMargin));
  for (int i = 0; i < 5; ++i)
    Chk[static_cast<std::size_t>(i)]->setChecked(settings.Flags & (1 << i));
  Chk[5]->setChecked(settings.BW);
  Chk4Click();

  connect(Chk[3], &QCheckBox::toggled, this, [this] { Chk4Click(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
  Button1->setEnabled(printer != nullptr);
  connect(Button1, &QPushButton::clicked, this, [this, printer] {
    // Sets the printer up; whether it was confirmed does not matter here.
    QPrintDialog dialog(printer, this);
    dialog.exec();
  });
}

void TFrmPrint::Chk4Click() { UpDown1->setEnabled(!Chk[3]->isChecked()); }

void TFrmPrint::BitBtn1Click() {
  // Every field is checked before any is stored.
  int h = 0, v = 0;
  if (!IntegerField(Edit2, h) || !IntegerField(Edit3, v)) return;
  m_settings.Scale = UpDown1->value();
  m_title = Edit1->text();
  m_settings.HMargin = h;
  m_settings.VMargin = v;
  m_settings.Flags = 0;
  for (int i = 0; i < 5; ++i) {
    if (Chk[static_cast<std::size_t>(i)]->isChecked()) m_settings.Flags |= 1 << i;
  }
  m_settings.BW = Chk[5]->isChecked();
  accept();
}
