#include "ui/interface_dialog.h"

#include <QGridLayout>

#include <QLabel>
#include "ui/dialog_buttons.h"

TFrmInterfaceSettings::TFrmInterfaceSettings(std::int32_t& threshold, std::int32_t& undoSize,
                                             QWidget* parent)
    : QDialog(parent), m_threshold(threshold), m_undoSize(undoSize) {
  setObjectName(QStringLiteral("FrmInterfaceSettings"));
  setWindowTitle(QStringLiteral("Interace settings"));
  auto* grid = new QGridLayout(this);
  UpDown1 = new QSpinBox(this);
  UpDown2 = new QSpinBox(this);
  for (QSpinBox* b : {UpDown1, UpDown2}) b->setRange(0, 100);
  UpDown1->setToolTip(
      QStringLiteral("Specifies the minimum number of pixels that mouse has be moved for "
                     "selection mechanism to work."));
  grid->addWidget(new QLabel(QStringLiteral("Mouse selection threshold:"), this), 0, 0, 1, 2);
  grid->addWidget(UpDown1, 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Undo buffer size:"), this), 1, 0, 1, 2);
  grid->addWidget(UpDown2, 1, 2);
  const auto row = AddDefaultAcceptCancel(grid, 2, this);
  Button2 = row[0];
  BitBtn1 = row[1];
  BitBtn2 = row[2];
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
  UpDown1->setValue(threshold);
  UpDown2->setValue(undoSize);
}

void TFrmInterfaceSettings::Button2Click() {
  UpDown1->setValue(5);
  UpDown2->setValue(13);
}

void TFrmInterfaceSettings::BitBtn1Click() {
  m_threshold = UpDown1->value();
  m_undoSize = UpDown2->value();
  accept();
}
