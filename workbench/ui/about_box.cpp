#include "about_box.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include "main_view.h"

#ifndef TESMIRA_BUILD_VERSION
#define TESMIRA_BUILD_VERSION "0.0.0.0"
#endif

namespace tesmira::wb {

QString BuildVersionText() { return TESMIRA_BUILD_VERSION; }

QString CompiledOnText(const QString& fileName) {
  const QDateTime when = QFileInfo(fileName).lastModified();
  return "Compiled on: " + QLocale(QLocale::English).toString(when, "dddd d 'of' MMM yyyy, hh:mm");
}

TAboutTesmira::TAboutTesmira(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutTesmira");
  setWindowTitle("About Tesmira");
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(352, 315);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
  // The contact block: neutral placeholders of the project.
  const std::pair<const char*, const char*> links[] = {
      {"Project home page", "https://example.org/tesmira"},
      {"Documentation", "https://example.org/tesmira/docs"},
      {"support@example.org", "mailto:support@example.org"}};
  int y = 150;
  for (const auto& [text, target] : links) {
    auto* label = new QLabel(text, this);
    label->setToolTip(target);
    label->setCursor(Qt::PointingHandCursor);
    label->setStyleSheet("color: blue; text-decoration: underline;");
    label->setFont(QFont("Tahoma", 9));
    label->move(60, y);
    // Clicks on a link reach the window, which opens the link's target.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    Links << label;
    y += 24;
  }
}

QString TAboutTesmira::HeadLine() const {
  return QString::fromStdString(VersionCaption()) + " (build " + BuildVersionText() + ")";
}

void TAboutTesmira::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  painter.setPen(Qt::black);
  // The logo: a small mark of our own.
  painter.setBrush(QColor(40, 90, 160));
  painter.drawRoundedRect(8, 8, 65, 65, 8, 8);
  painter.setPen(Qt::white);
  painter.setFont(QFont("Arial", 28, QFont::Bold));
  painter.drawText(QRect(8, 8, 65, 65), Qt::AlignCenter, "T");
  painter.setPen(Qt::black);
  QFont font("Arial", 9);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(101, 12 + painter.fontMetrics().ascent(), HeadLine());
  font.setBold(false);
  painter.setFont(font);
  const int ascent = painter.fontMetrics().ascent();
  painter.drawText(93, 32 + ascent, "   an uncertainty analysis program");
  painter.drawText(20, 90 + ascent, "Tesmira project");
  painter.drawText(20, 110 + ascent, "Questions, reports and suggestions:");
  painter.drawText(60, 288 + ascent, CompiledOnText(QCoreApplication::applicationFilePath()));
}

std::function<void(const QUrl&)>& TAboutTesmira::UrlOpener() {
  static std::function<void(const QUrl&)> opener = [](const QUrl& url) {
    QDesktopServices::openUrl(url);
  };
  return opener;
}

void TAboutTesmira::mousePressEvent(QMouseEvent* event) {
  for (QLabel* label : Links)
    if (label->geometry().contains(event->position().toPoint())) {
      UrlOpener()(QUrl(label->toolTip()));
      return;
    }
  accept();
}

}  // namespace tesmira::wb
