#include "cursors.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>
#include <set>

namespace tesmira::wb::test {
namespace {

void EnsureApplication() {
  static int argc = 1;
  static char name[] = "workbench_ui_tests";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

TEST(Cursors, EverySlotHasItsOwnPictureAndOtherSlotsTheArrow) {
  EnsureApplication();
  const std::pair<int, const char*> table[] = {
      {5, "CURCHILD"},   {6, "CURCHILD1"},   {7, "CURSIBA"},      {8, "CURSIBA1"},
      {9, "CURSIBB"},    {10, "CURSIBB1"},   {11, "CURROOT"},     {12, "CURROOT1"},
      {13, "CURPARENT"}, {14, "CURPARENT1"}, {15, "CURPARCHILD"}, {16, "CURPARCHILD1"},
      {20, "CURCANCEL"}, {21, "CURNEWNODE"}, {22, "CURNEWLINK"},  {23, "CURCLOSELINK"},
      {24, "CURSELECT"}, {25, "CURMOVE"}};
  std::set<QByteArray> pictures;
  for (const auto& [slot, name] : table) {
    SCOPED_TRACE(name);
    ASSERT_NE(CursorResourceName(slot), nullptr);
    EXPECT_STREQ(CursorResourceName(slot), name);
    const QCursor cursor = ScreenCursor(slot);
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    const QImage image = cursor.pixmap().toImage();
    EXPECT_EQ(image.size(), QSize(32, 32));
    // Something is drawn, and not everything: the background stays clear.
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) > 0;
    EXPECT_GT(opaque, 20);
    EXPECT_LT(opaque, 32 * 32 / 2);
    pictures.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()),
                               static_cast<int>(image.sizeInBytes())));
  }
  EXPECT_EQ(pictures.size(), std::size(table));
  EXPECT_EQ(ScreenCursor(crChild).hotSpot(), QPoint(0, 0));
  EXPECT_EQ(ScreenCursor(crMove).hotSpot(), QPoint(16, 16));

  for (int slot : {0, 4, 17, 19, 26}) {
    EXPECT_EQ(CursorResourceName(slot), nullptr);
    EXPECT_EQ(ScreenCursor(slot).shape(), Qt::ArrowCursor) << slot;
  }
  EXPECT_TRUE(CursorPicture("CURUNKNOWN").isNull());
  EXPECT_TRUE(CursorPicture(nullptr).isNull());
}

}  // namespace
}  // namespace tesmira::wb::test
