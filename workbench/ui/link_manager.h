// "Tesmira Link Manager": the stay-on-top tool window listing the model's
// linked files, with Add Link, Merge, Remove and "..." (change the file of
// the selected link).
#pragma once

#include <QString>
#include <QWidget>

class QPushButton;
class QToolButton;
class QTreeWidget;

namespace tesmira::wb {

class TFrmTesmiraMain;

class TFrmLink : public QWidget {
  Q_OBJECT
 public:
  TFrmLink(TFrmTesmiraMain& main, const QString& settingsPath, QWidget* parent = nullptr);
  ~TFrmLink() override;

  void FillLinkList();
  void AddLinkClick();
  void MergeClick();
  void RemoveClick();
  void BrowseClick();

  QTreeWidget* listLink;
  QToolButton *butVarAdd, *butMerge, *butRemove;
  QPushButton* butBrowse;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Keeps the window inside the screen's usable area and off the main
  // window's menu bar, whose clicks it would otherwise take.
  void KeepClearOfMenu();
  std::vector<int> SelectedLinks() const;
  void UpdateButtons();
  void PlaceBrowseButton();
  TFrmTesmiraMain& main_;
  QString settingsPath_;
  bool shown_ = false;  // a window never shown has no place worth keeping
};

}  // namespace tesmira::wb
