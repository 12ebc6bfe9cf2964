#include "hand_over_windows.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include "tesmira/model_files.h"

namespace tesmira::wb {

namespace {

TPellianWindows* g_windows = nullptr;

void HookMainRect(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) {
  int l = 0, t = 0, r = 0, b = 0;
  if (g_windows) g_windows->MainRect(l, t, r, b);
  *left = l;
  *top = t;
  *right = r;
  *bottom = b;
}

void HookShowWindows(bool show) {
  if (g_windows) g_windows->ShowWindows(show);
}

void HookWait(int32_t ms) {
  if (g_windows) g_windows->Wait(ms);
}

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Drop: return true;
    default: return false;
  }
}

}  // namespace

TPellianWindows::TPellianWindows(QWidget& main, std::function<QWidget*()> second)
    : QObject(&main), main_(main), second_(std::move(second)) {
  g_windows = this;
  // The program's own window is not looked up: a started program counts as
  // up, and the main window keeps its rectangle when it ends.
  TPellianWindowHooks hooks{};
  hooks.getMainRect = HookMainRect;
  hooks.showWindows = HookShowWindows;
  hooks.wait = HookWait;
  SetPellianWindowHooks(&hooks);
}

TPellianWindows::~TPellianWindows() {
  if (g_windows != this) return;
  g_windows = nullptr;
  SetPellianWindowHooks(nullptr);
  if (handingOver_) qApp->removeEventFilter(this);
}

void TPellianWindows::MainRect(int& left, int& top, int& right, int& bottom) const {
  const QRect r = main_.frameGeometry();
  left = r.left();
  top = r.top();
  right = r.left() + r.width();
  bottom = r.top() + r.height();
}

void TPellianWindows::ShowWindows(bool show) {
  if (!show) {
    QWidget* second = second_ ? second_() : nullptr;
    hiddenSecond_ = second && second->isVisible() ? second : nullptr;
    if (hiddenSecond_) hiddenSecond_->hide();
    main_.hide();
    if (!handingOver_) qApp->installEventFilter(this);
    handingOver_ = true;
    return;
  }
  if (handingOver_) qApp->removeEventFilter(this);
  handingOver_ = false;
  main_.show();
  if (hiddenSecond_) hiddenSecond_->show();
  hiddenSecond_ = nullptr;
}

void TPellianWindows::Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

bool TPellianWindows::eventFilter(QObject* watched, QEvent* event) {
  if (handingOver_ && IsUserInput(event->type()) && watched->isWidgetType()) {
    auto* w = static_cast<QWidget*>(watched);
    QWidget* top = w->window();
    QWidget* second = second_ ? second_() : nullptr;
    if (top == &main_ || (second && top == second)) return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tesmira::wb
