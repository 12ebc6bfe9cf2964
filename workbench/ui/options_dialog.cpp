#include "options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <numbers>

namespace tesmira::wb {

TFrmOptions::TFrmOptions(QWidget* parent) : QDialog(parent) {
  setObjectName("FrmOptions");
  setWindowTitle("Options");
  auto* grid = new QGridLayout(this);
  auto spin = [this](int max, const char* name) {
    auto* s = new QSpinBox(this);
    s->setRange(0, max);
    s->setObjectName(name);
    return s;
  };
  auto label = [this](const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(name);
    l->setFont(QFont("DejaVu Sans Mono"));
    return l;
  };
  cbxQuantiles = new QComboBox(this);
  cbxQuantiles->addItems({"100", "1000", "10000"});
  cbxQuantiles->setToolTip(
      "Warning! Setting this parameter to 1000 or 10000 will significantly increase the "
      "program's RAM memory usage.");
  cbxFormat = new QComboBox(this);
  cbxFormat->addItems({"Scientific", "Fixed", "General"});
  udWidth = spin(20, "udWidth");
  udPrecision = spin(18, "udPrecision");
  udPrecision2 = spin(4, "udPrecision2");
  udUndo = spin(100, "udUndo");
  labPi3 = label("labPi3");
  labPi = label("labPi");
  labPi2 = label("labPi2");
  labPiMx = label("labPiMx");
  chkObjIdx = new QCheckBox("Display Object Indexes", this);
  int row = 0;
  grid->addWidget(new QLabel("Quantiles per Distribution:", this), row, 0);
  grid->addWidget(cbxQuantiles, row++, 1);
  grid->addWidget(new QLabel("Number Format:", this), row, 0);
  grid->addWidget(cbxFormat, row++, 1);
  grid->addWidget(new QLabel("Width:", this), row, 0);
  grid->addWidget(udWidth, row++, 1);
  grid->addWidget(new QLabel("Precision:", this), row, 0);
  grid->addWidget(udPrecision, row++, 1);
  grid->addWidget(new QLabel("p*1E-10=", this), row, 0);
  grid->addWidget(labPi3, row++, 1);
  grid->addWidget(new QLabel("p=", this), row, 0);
  grid->addWidget(labPi, row++, 1);
  grid->addWidget(new QLabel("p*1E10=", this), row, 0);
  grid->addWidget(labPi2, row++, 1);
  grid->addWidget(new QLabel("Correlation Number Format:", this), row++, 0);
  grid->addWidget(new QLabel("Precision:", this), row, 0);
  grid->addWidget(udPrecision2, row++, 1);
  grid->addWidget(new QLabel("1/p=", this), row, 0);
  grid->addWidget(labPiMx, row++, 1);
  grid->addWidget(new QLabel("Undo buffer size:", this), row, 0);
  grid->addWidget(udUndo, row++, 1);
  grid->addWidget(chkObjIdx, row++, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  butOK = new QPushButton("Accept", this);
  butOK->setDefault(true);
  butCancel = new QPushButton("&Cancel", this);
  butDefult = new QPushButton("Default", this);
  buttons->addWidget(butOK);
  buttons->addWidget(butCancel);
  buttons->addWidget(butDefult);
  grid->addLayout(buttons, row, 0, 1, 2);
  connect(butOK, &QPushButton::clicked, this, &TFrmOptions::AcceptClick);
  connect(butCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(butDefult, &QPushButton::clicked, this, &TFrmOptions::DefaultClick);
  connect(cbxFormat, &QComboBox::currentIndexChanged, this, &TFrmOptions::RefreshSamples);
  for (QSpinBox* s : {udWidth, udPrecision, udPrecision2})
    connect(s, &QSpinBox::valueChanged, this, &TFrmOptions::RefreshSamples);
}

void TFrmOptions::Load(const TDisplaySettings& display, int undoDepth, bool showIndexes) {
  stored_ = display;
  undo_ = undoDepth;
  indexes_ = showIndexes;
  cbxQuantiles->setCurrentIndex(std::clamp(display.quantperdistrib, 0, 2));
  cbxFormat->setCurrentIndex(std::clamp(display.fpformat, 0, 2));
  udWidth->setValue(display.fpwidth);
  udPrecision->setValue(display.fpprecision);
  udPrecision2->setValue(display.fpprecisionCMX);
  udUndo->setValue(undoDepth);
  chkObjIdx->setChecked(showIndexes);
  RefreshSamples();
}

void TFrmOptions::RefreshSamples() {
  const int letter = std::max(0, cbxFormat->currentIndex());
  const double pi = std::numbers::pi;
  auto fmt = [&](double v) {
    return QString::fromStdString(
        FormatNumberAs(v, letter, udWidth->value(), udPrecision->value()));
  };
  labPi->setText(fmt(pi));
  labPi2->setText(fmt(pi * 1E10));
  labPi3->setText(fmt(pi * 1E-10));
  labPiMx->setText(QString::fromStdString(FormatNumberAs(1 / pi, 1, 0, udPrecision2->value())));
}

void TFrmOptions::DefaultClick() {
  cbxQuantiles->setCurrentIndex(0);
  cbxFormat->setCurrentIndex(2);
  udWidth->setValue(0);
  udPrecision->setValue(5);
  udPrecision2->setValue(2);
  udUndo->setValue(60);
  RefreshSamples();
}

void TFrmOptions::AcceptClick() {
  stored_.quantperdistrib = cbxQuantiles->currentIndex();
  stored_.fpformat = std::min(cbxFormat->currentIndex(), 2);
  stored_.fpwidth = udWidth->value();
  stored_.fpprecision = udPrecision->value();
  stored_.fpprecisionCMX = udPrecision2->value();
  undo_ = udUndo->value();
  indexes_ = chkObjIdx->isChecked();
  done(1);
}

}  // namespace tesmira::wb
