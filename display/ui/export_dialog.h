// "Image export options": the size and JPEG quality of an image export.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "doc/settings.h"

class TFrmBitmapExport : public QDialog {
  Q_OBJECT
 public:
  // Filled from settings; the quality row is shown only for JPEG output.
  // "Export" stores the fields into settings after checking all of them.
  TFrmBitmapExport(TFrameSettings& settings, bool jpeg, QWidget* parent = nullptr);

  // Enables the size fields and the preset button with "User defined".
  void Radio1Click();
  // A preset item: its "WxH" caption into the two fields.
  void PresetClick(const QString& caption);
  void CompressionChange();
  void BitBtn1Click();

  QRadioButton *Radio0, *Radio1;
  QLineEdit *EdWidth, *EdHeight;
  QPushButton* Button1;
  QMenu* PopupMenu1;
  QLabel* Label3;
  QSlider* Compression;
  QPushButton *BitBtn1, *BitBtn2;

 private:
  TFrameSettings& m_settings;
};

// Reads an integer field; a text that is no integer shows "'<text>' is not a
// valid integer value" and gives false.
bool IntegerField(const QLineEdit* edit, int& value);
