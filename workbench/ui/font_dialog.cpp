#include "font_dialog.h"

#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace tesmira::wb {

QFont ToQFont(const TRepFont& font) {
  QFont f(QString::fromStdString(font.name));
  if (font.size > 0) f.setPointSize(font.size);
  f.setBold(font.bold);
  f.setItalic(font.italic);
  f.setUnderline(font.underline);
  return f;
}

TRepFont FromQFont(const QFont& font, int32_t charset) {
  TRepFont f;
  f.name = font.family().toStdString();
  f.size = font.pointSize() > 0 ? font.pointSize() : 12;
  f.bold = font.bold();
  f.italic = font.italic();
  f.underline = font.underline();
  f.charset = charset;
  return f;
}

QTextEdit* NewPreviewPane(QWidget* parent, const char* name) {
  auto* pane = new QTextEdit(parent);
  pane->setObjectName(name);
  pane->setReadOnly(true);
  pane->setFrameStyle(0);
  pane->setLineWrapMode(QTextEdit::NoWrap);
  pane->setPlainText("(Click on Apply button to see the preview.)");
  return pane;
}

QPushButton* AddPreviewButtons(QDialog* dialog, QBoxLayout* layout, const char* cancelText) {
  auto* b = new QHBoxLayout;
  b->addStretch(1);
  auto* ok = new QPushButton("OK", dialog);
  ok->setObjectName("butOK");
  ok->setDefault(true);
  auto* cancel = new QPushButton(cancelText, dialog);
  cancel->setObjectName("butCancel");
  auto* apply = new QPushButton("Apply", dialog);
  apply->setObjectName("butApply");
  b->addWidget(ok);
  b->addWidget(cancel);
  b->addWidget(apply);
  layout->addLayout(b);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  return apply;
}

TFontTsmDialog::TFontTsmDialog(const TRepFont& font, QWidget* parent)
    : QDialog(parent), charset_(font.charset) {
  setObjectName("FontTsmDialog");
  setWindowTitle("Font");
  auto* l = new QVBoxLayout(this);
  fontDialog = new QFontDialog(ToQFont(font), this);
  fontDialog->setWindowFlags(Qt::Widget);
  fontDialog->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  l->addWidget(fontDialog);
  TsmPanel = new QWidget(this);
  TsmPanel->setObjectName("TsmPanel");
  TsmPanel->setMinimumHeight(198);
  auto* p = new QVBoxLayout(TsmPanel);
  TsmLabel = new QLabel("Preview: (click Apply to refresh)", TsmPanel);
  TsmLabel->setObjectName("TsmLabel");
  TsmRich = NewPreviewPane(TsmPanel, "TsmRich");
  QFont mono("MS LineDraw");
  mono.setStyleHint(QFont::Monospace);
  TsmRich->setFont(mono);
  p->addWidget(TsmLabel);
  p->addWidget(TsmRich, 1);
  l->addWidget(TsmPanel, 1);
  QPushButton* apply = AddPreviewButtons(this, l, "Cancel");
  connect(apply, &QPushButton::clicked, this, [this] { PreviewFont(); });
}

TRepFont TFontTsmDialog::SelectedFont() const {
  return FromQFont(fontDialog->currentFont(), charset_);
}

void TFontTsmDialog::PreviewFont() {
  if (Preview) Preview(SelectedFont(), TsmRich);
}

}  // namespace tesmira::wb
