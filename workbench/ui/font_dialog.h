// The font dialog of the report's Fonts tab: the toolkit's font chooser with
// a preview pane of the section the entry stands for.
#pragma once

#include <QDialog>
#include <functional>

#include "report_sections.h"

class QBoxLayout;
class QFontDialog;
class QPushButton;
class QLabel;
class QTextEdit;
class QWidget;

namespace tesmira::wb {

QFont ToQFont(const TRepFont& font);
TRepFont FromQFont(const QFont& font, int32_t charset);

// The read-only preview pane of the font and format dialogs.
QTextEdit* NewPreviewPane(QWidget* parent, const char* name);
// "OK" (accept), cancelText (reject) and "Apply" (returned) at the bottom.
QPushButton* AddPreviewButtons(QDialog* dialog, QBoxLayout* layout, const char* cancelText);

class TFontTsmDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TFontTsmDialog(const TRepFont& font, QWidget* parent = nullptr);

  // Generates the preview with the font chosen so far (the report dialog).
  std::function<void(const TRepFont& font, QTextEdit* pane)> Preview;
  void PreviewFont();
  TRepFont SelectedFont() const;

  QFontDialog* fontDialog = nullptr;
  QWidget* TsmPanel = nullptr;
  QLabel* TsmLabel = nullptr;
  QTextEdit* TsmRich = nullptr;

 private:
  int32_t charset_;
};

}  // namespace tesmira::wb
