// What the belief-net hand-over needs of the workbench's windows: the main
// window's rectangle for the other program, hiding and showing the main
// window and the simulation dialog, and waiting with the event loop running
// so that the workbench is not frozen while the other program is up. Input
// that reaches the workbench's windows during the hand-over is ignored.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace tesmira::wb {

class TPellianWindows : public QObject {
 public:
  // second: the other window to hide with the main one (none when it does
  // not exist yet).
  TPellianWindows(QWidget& main, std::function<QWidget*()> second);
  ~TPellianWindows() override;

  // The engine's hooks call these.
  void MainRect(int& left, int& top, int& right, int& bottom) const;
  void ShowWindows(bool show);
  void Wait(int ms);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& main_;
  std::function<QWidget*()> second_;
  QPointer<QWidget> hiddenSecond_;
  bool handingOver_ = false;
};

}  // namespace tesmira::wb
