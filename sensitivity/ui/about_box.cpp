#include "about_box.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QFileInfo>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

#ifndef TESVANE_FILE_VERSION
#define TESVANE_FILE_VERSION "1.3.7.0"
#endif

namespace tesvane {

QString GetVersionText() {
  const QStringList parts = QString(TESVANE_FILE_VERSION).split('.');
  return parts.mid(0, 3).join('.');
}

QString CompiledOnText(const QDateTime& time, const QLocale& locale) {
  const QDateTime local = time.toLocalTime();
  return "Compiled on " + locale.toString(local, "dddd, d 'of' MMMM yyyy, ") +
         locale.toString(local.time(), QLocale::ShortFormat);
}

namespace {
// The logo: the program's name on a white field with a rising curve.
QPixmap Logo() {
  QPixmap pixmap(309, 104);
  pixmap.fill(Qt::white);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x80, 0, 0), 3));
  QPainterPath curve;
  curve.moveTo(10, 90);
  curve.cubicTo(90, 90, 120, 15, 299, 12);
  p.drawPath(curve);
  p.setPen(QColor(0x40, 0x40, 0x40));
  QFont f("DejaVu Sans");
  f.setPixelSize(28);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRect(0, 30, 309, 50), Qt::AlignCenter, "Tesvane");
  return pixmap;
}
}  // namespace

TAboutBox::TAboutBox(QWidget* parent, const QString& executable) : QDialog(parent) {
  setWindowTitle("About Tesvane...");
  // A tool window whose title bar has only the close button.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  auto* group = new QGroupBox("Program info");
  auto* gl = new QVBoxLayout(group);
  auto* product = new QLabel("Tesvane: Sensitivity Analysis Tool");
  QFont pf("Arial");
  pf.setPixelSize(13);
  pf.setBold(true);
  product->setFont(pf);
  product->setStyleSheet("color: #800000;");
  lblVersion = new QLabel("Version");
  lblDate = new QLabel("Compiled on");
  auto* logo = new QLabel();
  logo->setPixmap(Logo());
  gl->addWidget(product);
  gl->addWidget(lblVersion);
  gl->addWidget(lblDate);
  gl->addWidget(logo);
  auto* ok = new QPushButton("OK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  auto* row = new QHBoxLayout();
  row->addStretch();
  row->addWidget(ok);
  layout->addLayout(row);
  const QString exe = executable.isEmpty() ? QCoreApplication::applicationFilePath() : executable;
  lblDate->setText(CompiledOnText(QFileInfo(exe).lastModified()));
  lblVersion->setText("Version " + GetVersionText());
}

}  // namespace tesvane
