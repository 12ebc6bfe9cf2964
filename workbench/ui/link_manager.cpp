#include "link_manager.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "cp437.h"
#include "ini_file.h"
#include "main_view.h"
#include "main_window.h"
#include "model_helpers.h"
#include "tesmira/model_files.h"

namespace tesmira::wb {

TFrmLink::TFrmLink(TFrmTesmiraMain& main, const QString& settingsPath, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      main_(main),
      settingsPath_(settingsPath) {
  setObjectName("FrmLink");
  setWindowTitle("Tesmira Link Manager");
  resize(420, 220);
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QToolBar(this);
  auto tool = [this, bar](const char* text, const char* name) {
    auto* b = new QToolButton(bar);
    b->setText(text);
    b->setObjectName(name);
    bar->addWidget(b);
    return b;
  };
  butVarAdd = tool("Add Link", "butVarAdd");
  butMerge = tool("Merge", "butMerge");
  butRemove = tool("Remove", "butRemove");
  listLink = new QTreeWidget(this);
  listLink->setObjectName("listLink");
  listLink->setHeaderLabels({"File Name", "Path"});
  listLink->setColumnWidth(0, 100);
  listLink->setRootIsDecorated(false);
  listLink->setSelectionMode(QAbstractItemView::ExtendedSelection);
  listLink->setSelectionBehavior(QAbstractItemView::SelectRows);
  listLink->setSortingEnabled(false);
  box->addWidget(listLink, 1);
  box->addWidget(bar);
  butBrowse = new QPushButton("...", listLink->viewport());
  butBrowse->setObjectName("butBrowse");
  butBrowse->setFixedWidth(24);
  butBrowse->hide();
  connect(butVarAdd, &QToolButton::clicked, this, &TFrmLink::AddLinkClick);
  connect(butMerge, &QToolButton::clicked, this, &TFrmLink::MergeClick);
  connect(butRemove, &QToolButton::clicked, this, &TFrmLink::RemoveClick);
  connect(butBrowse, &QPushButton::clicked, this, &TFrmLink::BrowseClick);
  connect(listLink, &QTreeWidget::itemSelectionChanged, this, [this] {
    UpdateButtons();
    PlaceBrowseButton();
  });

  const QRect screen = QGuiApplication::primaryScreen()
                           ? QGuiApplication::primaryScreen()->availableGeometry()
                           : QRect(0, 0, 1024, 768);
  common::TIniFile ini(settingsPath_.toStdString());
  const TWindowPlace place = ReadLinkWindowPlace(ini, screen.width(), screen.height());
  if (place.Top != -1) setGeometry(place.Left, place.Top, place.Width, place.Height);
  FillLinkList();
  main_.SetLinkManager(this);
}

TFrmLink::~TFrmLink() {
  main_.SetLinkManager(nullptr);
  if (!shown_) return;
  common::TIniFile ini(settingsPath_.toStdString());
  ini.WriteInteger("LinkWindow", "Top", geometry().top());
  ini.WriteInteger("LinkWindow", "Left", geometry().left());
  ini.WriteInteger("LinkWindow", "Width", geometry().width());
  ini.WriteInteger("LinkWindow", "Height", geometry().height());
  ini.UpdateFile();
}

void TFrmLink::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  shown_ = true;
  KeepClearOfMenu();
}

void TFrmLink::KeepClearOfMenu() {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QRect frame = frameGeometry();
  const QSize extra = frame.size() - size();  // the frame around the client area
  QSize client = size().boundedTo(area.size() - extra);
  QRect place(frame.topLeft(), client + extra);
  const QMenuBar* bar = main_.menuBar();
  if (bar && bar->isVisible()) {
    const QRect menu(bar->mapToGlobal(QPoint(0, 0)), bar->size());
    if (place.intersects(menu)) place.moveTop(menu.bottom() + 1);
  }
  if (place.bottom() > area.bottom()) {
    // Shorter, down to what the list and the tool bar need.
    const int least = std::max({50, minimumHeight(), minimumSizeHint().height()});
    client.setHeight(std::max(least, client.height() - (place.bottom() - area.bottom())));
    place.setSize(client + extra);
  }
  place.moveLeft(std::clamp(place.left(), area.left(),
                            std::max(area.left(), area.right() + 1 - place.width())));
  place.moveTop(std::clamp(place.top(), area.top(),
                           std::max(area.top(), area.bottom() + 1 - place.height())));
  if (place.size() != frame.size()) resize(client);
  if (place.topLeft() != frame.topLeft()) move(place.topLeft());
}

void TFrmLink::FillLinkList() {
  listLink->clear();
  const int count = GetLinkedFilesNumber();
  for (int i = 1; i <= count; ++i) {
    char name[1024] = {};
    GetLinkedFile(i, 0, name);
    const QString path = QString::fromStdString(Cp437ToUtf8(name));
    QFileInfo info(path);
    auto* item = new QTreeWidgetItem(listLink);
    item->setText(0, info.fileName());
    QString folder = path.left(path.size() - info.fileName().size());
    item->setText(1, folder);
    // Names and folders longer than their columns show whole in tool tips.
    item->setToolTip(0, item->text(0));
    item->setToolTip(1, folder);
    if (!info.exists()) item->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxWarning));
  }
  UpdateButtons();
  PlaceBrowseButton();
}

std::vector<int> TFrmLink::SelectedLinks() const {
  std::vector<int> links;
  for (int i = 0; i < listLink->topLevelItemCount(); ++i)
    if (listLink->topLevelItem(i)->isSelected()) links.push_back(i + 1);
  return links;
}

void TFrmLink::UpdateButtons() {
  const bool any = !SelectedLinks().empty();
  butMerge->setEnabled(any);
  butRemove->setEnabled(any);
}

void TFrmLink::PlaceBrowseButton() {
  QTreeWidgetItem* current = listLink->currentItem();
  if (!current || !current->isSelected()) {
    butBrowse->hide();
    butBrowse->move(0, 0);
    return;
  }
  const QRect row = listLink->visualItemRect(current);
  butBrowse->setFixedHeight(std::max(row.height(), 16));
  butBrowse->move(listLink->viewport()->width() - butBrowse->width(), row.top());
  butBrowse->show();
}

void TFrmLink::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceBrowseButton();
}

void TFrmLink::AddLinkClick() {
  SetModified(main_.Workbench(), true);
  main_.LinkOrMergeClick(true);
  FillLinkList();
  if (listLink->topLevelItemCount() > 0) listLink->setCurrentItem(listLink->topLevelItem(0));
  UpdateButtons();
}

void TFrmLink::BrowseClick() {
  QTreeWidgetItem* current = listLink->currentItem();
  if (!current) return;
  const int row = listLink->indexOfTopLevelItem(current);
  if (RelinkFile(main_.Workbench(), row + 1)) {
    SetModified(main_.Workbench(), true);
    ResolveLinkedDistributionFiles(main_.Workbench());
    main_.UpdateView(ViewCaption | ViewModelObjects | ViewGraph | ViewGraphRebuild);
  }
  FillLinkList();
  if (row < listLink->topLevelItemCount()) listLink->setCurrentItem(listLink->topLevelItem(row));
  UpdateButtons();
}

void TFrmLink::RemoveClick() {
  SetModified(main_.Workbench(), true);
  main_.SyncSelection(true);
  RemoveLinks(main_.Workbench(), SelectedLinks());
  main_.UpdateView(ViewCaption | ViewModelObjects | ViewGraph | ViewGraphRebuild);
  FillLinkList();
  main_.SyncSelection(false);
  main_.UpdateView(ViewEnsureSelection);
  main_.Workbench().ReportAvailable = false;
}

void TFrmLink::MergeClick() {
  main_.SyncSelection(true);
  MergeLinks(main_.Workbench(), SelectedLinks());
  SetModified(main_.Workbench(), true);
  main_.UpdateView(ViewModelObjects);
  FillLinkList();
  main_.SyncSelection(false);
  main_.Workbench().ReportAvailable = false;
}

}  // namespace tesmira::wb
