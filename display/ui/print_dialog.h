// "Print Options": what a printed page shows around the plot, its scale,
// margins and colours.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <array>

#include "doc/settings.h"

class QPrinter;

// Print flag bits, one per check box Chk1 ... Chk5.
enum : std::int32_t {
  PrintTitle = 1,
  PrintPlotType = 2,
  PrintSampleCount = 4,
  PrintToFit = 8,
  PrintPreserveRatio = 16,
};

class TFrmPrint : public QDialog {
  Q_OBJECT
 public:
  // Filled from settings and title; "Print" stores the fields back after
  // checking all of them. printer: the one "Printer..." sets up (may be null).
  TFrmPrint(TPrintSettings& settings, QString& title, QPrinter* printer, QWidget* parent = nullptr);

  // The scale is editable only without "To Fit".
  void Chk4Click();
  void BitBtn1Click();

  QLineEdit* Edit1;               // the title text
  std::array<QCheckBox*, 6> Chk;  // Chk1 ... Chk6
  QSpinBox* UpDown1;              // the scale in percent (Edit4 with its arrows)
  QLineEdit *Edit2, *Edit3;       // horizontal and vertical margins
  QPushButton *BitBtn1, *BitBtn2, *Button1;

 private:
  TPrintSettings& m_settings;
  QString& m_title;
};
