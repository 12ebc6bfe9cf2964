// The "About Tesmira" window: version and build, a one-line description,
// the executable's date and a contact block with links.
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;

namespace tesmira::wb {

// The build number configured by CMake ("2.2.0.0").
QString BuildVersionText();
// "Compiled on: " + the date of the file, as "dddd d of MMM yyyy, hh:mm" in English.
QString CompiledOnText(const QString& fileName);

class TAboutTesmira : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutTesmira(QWidget* parent = nullptr);
  QString HeadLine() const;  // version caption + " (build ...)"
  QList<QLabel*> Links;
  // Opens a link's target; the desktop's handler by default.
  static std::function<void(const QUrl&)>& UrlOpener();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace tesmira::wb
