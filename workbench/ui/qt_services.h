// The Qt side of the workbench's prompts and file choosers: message boxes and
// non-native file dialogs (with the model-file preview panel for opening).
#pragma once

#include <QString>

#include "services.h"

class QWidget;

namespace tesmira::wb {

// "text|*.a;*.b|text|*.c" -> Qt's "text (*.a *.b);;text (*.c)".
QString ConvertFilter(const std::string& filter);

class TQtPrompt : public IPrompt {
 public:
  explicit TQtPrompt(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  TAnswer Ask(TMessageKind kind, const std::string& text, unsigned buttons) override;
  TAnswer AskTitled(TMessageKind kind, const std::string& title, const std::string& text,
                    unsigned buttons) override;

 private:
  QWidget* parent_;
};

class TQtFileChooser : public IFileChooser {
 public:
  explicit TQtFileChooser(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  bool ChooseOpen(const TFileDialogOptions& options, std::vector<std::string>& names) override;
  bool ChooseSave(const TFileDialogOptions& options, std::string& name) override;

 private:
  QWidget* parent_;
};

}  // namespace tesmira::wb
