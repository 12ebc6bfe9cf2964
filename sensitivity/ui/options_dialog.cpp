#include "options_dialog.h"

#include <QtWidgets/QFormLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QVBoxLayout>

#include "settings.h"

namespace tesvane {

namespace {
// clang-format off
const char* const ColumnEntries[12] = {
    "E[Predicted variable]", "E[Base variable]", "Std[Predicted variable]",
    "Std[Base variable]", "Correlation", "Rank correlation", "Regression coefficient",
    "Correlation ratio", "Linearity index", "Partial correlation coefficient",
    "Partial regression coefficient", "Multiple correlation coefficient"};
// clang-format on

// Clicking into a degree edit selects its whole text.
class TSelectAllEdit : public QLineEdit {
 protected:
  void mousePressEvent(QMouseEvent* e) override {
    QLineEdit::mousePressEvent(e);
    selectAll();
  }
};
}  // namespace

TPagesDlg::TPagesDlg(int32_t degreeMin, int32_t degreeMax, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Options");
  TIniFile ini(SettingsFileName());
  auto* program = new QGroupBox("Program settings");
  auto* pf = new QFormLayout(program);
  ckImport = new QCheckBox("Import only selected variables");
  pf->addRow(ckImport);
  cbFormat = new QComboBox();
  cbFormat->addItems({"General", "Scientific"});
  pf->addRow("Number format", cbFormat);
  udPrecision = new QSpinBox();
  udPrecision->setRange(1, 15);
  // The edit is read-only: only the arrows change the precision.
  udPrecision->findChild<QLineEdit*>()->setReadOnly(true);
  pf->addRow("Precision", udPrecision);
  auto* plot = new QGroupBox("Plot parameters");
  auto* lf = new QFormLayout(plot);
  edtGroups = new QLineEdit();
  edtSamples = new QLineEdit();
  lf->addRow("Number of points in conditional expectation plot", edtGroups);
  lf->addRow("Number of samples loaded to regression plot (0 = all)", edtSamples);
  auto* degree = new QGroupBox("Degree of the polynomial");
  auto* df = new QFormLayout(degree);
  edtMin = new TSelectAllEdit();
  edtMax = new TSelectAllEdit();
  df->addRow("Minimum ", edtMin);
  df->addRow("Maximum", edtMax);
  auto* columns = new QGroupBox("Select columns to view");
  auto* cl = new QVBoxLayout(columns);
  CheckBox1 = new QCheckBox("Select all columns");
  CheckListBox1 = new QListWidget();
  for (const char* e : ColumnEntries) {
    auto* item = new QListWidgetItem(e, CheckListBox1);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  }
  cl->addWidget(CheckBox1);
  cl->addWidget(CheckListBox1);
  btnSave = new QPushButton("Save");
  btnSave->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  connect(btnSave, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* leftCol = new QVBoxLayout();
  leftCol->addWidget(program);
  leftCol->addWidget(plot);
  leftCol->addWidget(degree);
  auto* body = new QHBoxLayout();
  body->addLayout(leftCol);
  body->addWidget(columns);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch();
  buttons->addWidget(btnSave);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body);
  layout->addLayout(buttons);

  // Filling, from the settings file.
  edtGroups->setText(QString::number(ini.ReadInteger(ini::Parameters, ini::NoOfGroups, 20)));
  udPrecision->setValue(ini.ReadInteger(ini::Parameters, ini::Precision, 4));
  cbFormat->setCurrentIndex(ini.ReadInteger(ini::Parameters, ini::NumberFormat, 0) == 0 ? 0 : 1);
  ckImport->setChecked(ini.ReadBool(ini::GeneralSettings, ini::ImportSelected, true));
  edtMin->setText(QString::number(degreeMin));
  edtMax->setText(QString::number(degreeMax));
  edtSamples->setText(
      QString::number(ini.ReadInteger(ini::Parameters, ini::SamplesForRegressionPlot, 10000)));
  for (int k = 0; k < 12; ++k)
    CheckListBox1->item(k)->setCheckState(
        ini.ReadBool(ini::ListView, "ColHide" + std::to_string(k + 3), true) ? Qt::Checked
                                                                             : Qt::Unchecked);
  SyncAllColumns();
  connect(CheckListBox1, &QListWidget::itemChanged, this, [this]() {
    if (!syncing_) SyncAllColumns();
  });
  connect(CheckBox1, &QCheckBox::clicked, this, [this](bool checked) {
    // Unchecked by the user: every entry off; checked: every entry on.
    syncing_ = true;
    for (int k = 0; k < 12; ++k)
      CheckListBox1->item(k)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    syncing_ = false;
  });
}

void TPagesDlg::SyncAllColumns() {
  bool all = true;
  for (int k = 0; k < 12; ++k) all = all && CheckListBox1->item(k)->checkState() == Qt::Checked;
  CheckBox1->setChecked(all);
}

TOptionsTexts TPagesDlg::Texts() const {
  TOptionsTexts t;
  t.Groups = edtGroups->text().toStdString();
  t.RegressionSamples = edtSamples->text().toStdString();
  t.DegreeMin = edtMin->text().toStdString();
  t.DegreeMax = edtMax->text().toStdString();
  t.Precision = udPrecision->value();
  t.NumberFormat = cbFormat->currentIndex();
  t.ImportSelected = ckImport->isChecked();
  for (int k = 0; k < 12; ++k)
    t.ColumnShown[static_cast<size_t>(k)] = CheckListBox1->item(k)->checkState() == Qt::Checked;
  return t;
}

}  // namespace tesvane
