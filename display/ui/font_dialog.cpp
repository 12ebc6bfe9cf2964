#include "ui/font_dialog.h"

#include <QGridLayout>

#include "ui/dialog_buttons.h"

#include "ui/services.h"

TFrmFont::TFrmFont(QFont* fonts, std::function<void()> redraw, QWidget* parent)
    : QDialog(parent), m_fonts(fonts), m_copies{fonts[0], fonts[1]}, m_redraw(std::move(redraw)) {
  setObjectName(QStringLiteral("FrmFont"));
  setWindowTitle(QStringLiteral("Labels"));
  auto* grid = new QGridLayout(this);
  Labels = new QPushButton(QStringLiteral("Labels"), this);
  Variables = new QPushButton(QStringLiteral("Variables"), this);
  Label1 = new QLabel(this);
  Label2 = new QLabel(this);
  grid->addWidget(Labels, 0, 0);
  grid->addWidget(Label1, 0, 1, 1, 2);
  grid->addWidget(Variables, 1, 0);
  grid->addWidget(Label2, 1, 1, 1, 2);
  const auto row = AddDefaultAcceptCancel(grid, 2, this);
  Button2 = row[0];
  BitBtn1 = row[1];
  BitBtn2 = row[2];
  connect(Labels, &QPushButton::clicked, this, [this] { LabelsClick(0); });
  connect(Variables, &QPushButton::clicked, this, [this] { LabelsClick(1); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
  ShowFontNames();
}

void TFrmFont::ShowFontNames() {
  auto text = [](const QFont& f) {
    return f.family() + QStringLiteral(", ") + QString::number(f.pointSize());
  };
  Label1->setText(text(m_fonts[0]));
  Label2->setText(text(m_fonts[1]));
}

void TFrmFont::LabelsClick(int tag) {
  QFont chosen = m_fonts[tag];
  if (!Services().ChooseFont(chosen)) return;
  m_fonts[tag] = chosen;
  ShowFontNames();
  if (m_redraw) m_redraw();
}

void TFrmFont::Button2Click() {
  m_fonts[0] = m_fonts[1] = font();
  if (m_redraw) m_redraw();
  ShowFontNames();
}

void TFrmFont::BitBtn2Click() { reject(); }

void TFrmFont::reject() {
  m_fonts[0] = m_copies[0];
  m_fonts[1] = m_copies[1];
  if (m_redraw) m_redraw();
  QDialog::reject();
}
