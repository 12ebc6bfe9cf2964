#include "open_dialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "elide.h"
#include "file_commands.h"

namespace tesmira::wb {

TOpenTsmDialog::TOpenTsmDialog(QWidget* parent) : QFileDialog(parent) {
  setOption(QFileDialog::DontUseNativeDialog);
  auto* panel = new QWidget(this);
  panel->setObjectName("TsmPanel");
  auto* box = new QVBoxLayout(panel);
  box->setContentsMargins(6, 6, 6, 6);
  auto* top = new QHBoxLayout;
  TsmLabel = new QLabel(panel);
  TsmLabel->setObjectName("TsmLabel");
  PreviewButton = new QToolButton(panel);
  PreviewButton->setObjectName("PreviewButton");
  PreviewButton->setCheckable(true);
  PreviewButton->setChecked(true);
  PreviewButton->setText("P");
  PreviewButton->setToolTip("Preview");
  top->addWidget(TsmLabel, 1);
  top->addWidget(PreviewButton);
  Memo = new QPlainTextEdit(panel);
  Memo->setObjectName("Memo");
  Memo->setReadOnly(true);
  Memo->setFrameShape(QFrame::NoFrame);
  Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  Memo->setMinimumWidth(220);
  box->addLayout(top);
  box->addWidget(Memo, 1);
  if (auto* grid = qobject_cast<QGridLayout*>(layout()))
    grid->addWidget(panel, 0, grid->columnCount(), grid->rowCount(), 1);
  // A file name longer than the panel is cut with "..." and shown whole in
  // the tool tip; the panel does not grow with it.
  TsmLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  resize(sizeHint().expandedTo(QSize(780, 460)));
  connect(this, &QFileDialog::currentChanged, this, &TOpenTsmDialog::UpdatePreview);
  connect(PreviewButton, &QToolButton::toggled, this, [this] { UpdatePreview(current_); });
  SetLabel("Select Tesmira File.");
}

void TOpenTsmDialog::UpdatePreview(const QString& fileName) {
  current_ = fileName;
  if (!PreviewButton->isChecked()) {
    Memo->hide();
    SetLabel("Preview is disabled.");
    return;
  }
  QFileInfo info(fileName);
  if (fileName.isEmpty() || !info.exists() || !info.isFile()) {
    Memo->clear();
    SetLabel("Select Tesmira File.");
    return;
  }
  Memo->clear();
  Memo->show();
  if (info.fileName().contains('.')) {
    std::vector<std::string> lines;
    bool ok = false;
    try {
      ok = BuildFilePreview(fileName.toStdString(), lines);
    } catch (const std::exception&) {
      ok = false;
    }
    if (!ok) {
      SetLabel("Select Tesmira File.");
      return;
    }
    QStringList text;
    for (const std::string& l : lines) text << QString::fromStdString(l);
    Memo->setPlainText(text.join('\n'));
  }
  SetLabel(info.fileName() + ":");
}

void TOpenTsmDialog::SetLabel(const QString& text) {
  const int room =
      std::max(TsmLabel->width(), Memo->minimumWidth() - PreviewButton->sizeHint().width());
  TsmLabel->setText(ElideText(TsmLabel->fontMetrics(), text, room));
  TsmLabel->setToolTip(text);
}

}  // namespace tesmira::wb
