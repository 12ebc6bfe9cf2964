// The worker's calls carried to the GUI thread. Every call is posted and
// returns at once, so the worker never waits for the GUI thread; result rows
// are coalesced: one posted call adds every row that has arrived since.
#pragma once

#include <QtCore/QMetaObject>
#include <atomic>

#include "main_window.h"
#include "worker.h"

namespace tesvane {

class TGuiRunListener : public TRunListener {
 public:
  explicit TGuiRunListener(TFormTesvaneMain* window) : window_(window) {}

  void ToggleProgressBar() override {
    Post([](TFormTesvaneMain* w) { w->ToggleProgressBar(); });
  }
  void EnableCancel(bool enabled) override {
    Post([enabled](TFormTesvaneMain* w) {
      w->btnCancel->setEnabled(enabled && !w->closing() && !w->CancelRequested());
    });
  }
  void SetStatus(const std::string& text) override {
    Post([text](TFormTesvaneMain* w) { w->SetStatus(text); });
  }
  void SetProgress(int32_t percent) override {
    Post([percent](TFormTesvaneMain* w) { w->SetProgress(percent); });
  }
  void RepaintStatusBar() override {}
  void AddResultRow(int32_t) override {
    if (!rowsPending_.exchange(true))
      Post([this](TFormTesvaneMain* w) {
        rowsPending_ = false;
        w->ShowPendingRows();
      });
  }
  void ShowMessage(const std::string& text) override {
    Post([text](TFormTesvaneMain* w) { w->ShowMessage(text); });
  }
  void FinishRun() override {
    Post([](TFormTesvaneMain* w) { w->FinishRun(); });
  }

 private:
  template <class F>
  void Post(F f) {
    TFormTesvaneMain* w = window_;
    QMetaObject::invokeMethod(
        w, [w, f]() { w->Guard([&]() { f(w); }); }, Qt::QueuedConnection);
  }

  TFormTesvaneMain* window_;
  std::atomic<bool> rowsPending_{false};
};

}  // namespace tesvane
