// The link manager's place: written at exit only when it was shown, and
// restored inside the usable area and off the main window's menu bar.
#include <QMenuBar>
#include <QScreen>
#include <QTableView>
#include <QTest>

#include "ini_file.h"
#include "link_manager.h"
#include "window_fixture.h"

namespace tesmira::wb::test {
namespace {

TEST_F(WindowTest, LinkManagerPlaceIsWrittenOnlyWhenShownAndKeptOffTheMenu) {
  auto& w = Open();
  w.show();
  w.NewModelOfType(0);
  QApplication::processEvents();
  const QRect menu(w.menuBar()->mapToGlobal(QPoint(0, 0)), w.menuBar()->size());
  ASSERT_FALSE(menu.isEmpty());
  const QRect area = w.screen()->availableGeometry();

  {  // Never shown: the settings file keeps no place.
    TFrmLink link(w, settings);
  }
  EXPECT_EQ(common::TIniFile(settings.toStdString()).ReadInteger("LinkWindow", "Top", -1), -1);

  const struct {
    int top, left, width, height;
  } stored[] = {
      {0, 0, 420, 220}, {menu.top() + 2, menu.left() + 30, 300, 150}, {5000, 5000, 10000, 10000}};
  for (const auto& s : stored) {
    {
      common::TIniFile ini(settings.toStdString());
      ini.WriteInteger("LinkWindow", "Top", s.top);
      ini.WriteInteger("LinkWindow", "Left", s.left);
      ini.WriteInteger("LinkWindow", "Width", s.width);
      ini.WriteInteger("LinkWindow", "Height", s.height);
      ini.UpdateFile();
    }
    QRect shown, client;
    {
      TFrmLink link(w, settings);
      w.ManageLinksClick();
      ASSERT_TRUE(link.isVisible());
      shown = link.frameGeometry();
      client = link.geometry();
      EXPECT_FALSE(shown.intersects(menu)) << s.top << " " << s.left;
      EXPECT_TRUE(area.contains(shown)) << s.top << " " << s.left;
      w.ManageLinksClick();
      EXPECT_FALSE(link.isVisible());
    }
    // The place it was shown at is the one written (the client area, as
    // it is restored).
    common::TIniFile ini(settings.toStdString());
    EXPECT_EQ(ini.ReadInteger("LinkWindow", "Top", -1), client.top());
    EXPECT_EQ(ini.ReadInteger("LinkWindow", "Left", -1), client.left());
    EXPECT_EQ(ini.ReadInteger("LinkWindow", "Width", -1), client.width());
  }
}

}  // namespace
}  // namespace tesmira::wb::test
