// "Interace settings": the mouse selection threshold and the undo history size.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QSpinBox>
#include <cstdint>

class TFrmInterfaceSettings : public QDialog {
  Q_OBJECT
 public:
  // "Accept" stores the two values; "&Cancel" leaves them.
  TFrmInterfaceSettings(std::int32_t& threshold, std::int32_t& undoSize, QWidget* parent = nullptr);

  // Shows the defaults, 5 and 13, without storing them.
  void Button2Click();
  void BitBtn1Click();

  QSpinBox *UpDown1, *UpDown2;  // with their edits Edit1, Edit2
  QPushButton *Button2, *BitBtn1, *BitBtn2;

 private:
  std::int32_t& m_threshold;
  std::int32_t& m_undoSize;
};
