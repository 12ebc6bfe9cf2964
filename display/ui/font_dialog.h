// "Labels": the two fonts of the plots, the labels font and the variables font.
#pragma once

#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <functional>

class TFrmFont : public QDialog {
  Q_OBJECT
 public:
  // fonts: the two fonts, changed in place; redraw shows a change on the plot.
  // "&Cancel" puts back the fonts the dialog opened with.
  TFrmFont(QFont* fonts, std::function<void()> redraw, QWidget* parent = nullptr);

  void ShowFontNames();
  // The platform's font dialog for font tag (0 labels, 1 variables).
  void LabelsClick(int tag);
  // Both fonts become the dialog's own.
  void Button2Click();
  void BitBtn2Click();

  QLabel *Label1, *Label2;
  QPushButton *Labels, *Variables, *Button2, *BitBtn1, *BitBtn2;

 protected:
  void reject() override;

 private:
  QFont* m_fonts;
  QFont m_copies[2];
  std::function<void()> m_redraw;
};
