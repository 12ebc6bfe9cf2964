// Numbers in the result grids are shown whole or as "###", never cut so that
// a negative number reads as a positive one or a large one as a small one.
#include <gtest/gtest.h>

#include <QtGui/QFontMetrics>
#include <cmath>

#include "grid_sizing.h"
#include "options_dialog.h"
#include "ui_test_support.h"

namespace tesvane {
namespace {

using test::TWindowFixture;

class NumbersShownTest : public TWindowFixture {
 protected:
  // y falls with x by about 3131.66; "big" has a mean of about -2.1e28.
  QString StoreWithLargeValues() {
    std::string csv = "y, big, x\n";
    for (int i = 0; i < 200; ++i) {
      const double x = std::sin(i * 0.7) * 3;
      csv += std::to_string(-3131.66 * x + 10 * std::cos(i)) + ", " +
             std::to_string(-2.1e28 + 1e27 * std::cos(i * 1.3)) + ", " + std::to_string(x) + "\n";
    }
    test::WriteText(Folder() + "/large.csv", csv);
    return QString::fromStdString(Folder() + "/large.csv");
  }

  // Every data cell shows its own text or "###"; a shown text fits its cell;
  // "###" only stands for a text that would not fit. Returns how many cells
  // show "###".
  static int CheckCells(TNiceGrid& g, const char* name) {
    int hashes = 0;
    for (int c = 0; c < g.ColCount(); ++c) {
      if (!g.Columns()[c]->Visible) continue;
      const QFontMetrics fm(g.Columns()[c]->Font());
      for (int r = 0; r < g.RowCount(); ++r) {
        const QString text = g.Cells(c, r), shown = g.ShownText(c, r);
        if (text.isEmpty()) continue;
        SCOPED_TRACE(std::string(name) + " cell " + std::to_string(c) + "," + std::to_string(r) +
                     " " + text.toStdString());
        if (shown == "###") {
          ++hashes;
          EXPECT_GT(fm.horizontalAdvance(text), g.TextRoom(c));
        } else {
          EXPECT_EQ(shown.toStdString(), text.toStdString());
        }
        EXPECT_LE(fm.horizontalAdvance(shown), g.TextRoom(c));
      }
    }
    return hashes;
  }
};

TEST_F(NumbersShownTest, NegativeHugeAndScientificNumbersAreWholeOrHashes) {
  TFormTesvaneMain& w = Start();
  w.resize(800, 650);
  w.OpenSampleFile(StoreWithLargeValues());
  for (int i = 0; i < 3; ++i) {
    Check(w.cklstConditioned, i);
    Check(w.cklstConditioning, i);
  }
  RunAndWait();
  ASSERT_EQ(w.ShownResultCount(), 9);
  TNiceGrid& list = *w.m_gridMainList;
  // General: -9999.9999 fits, so every number of y and x is whole; the means
  // of "big" (29 digits) are too wide for any sized column.
  const int generalHashes = CheckCells(list, "list");
  EXPECT_GT(generalHashes, 0);
  for (int r = 0; r < list.RowCount(); ++r)
    for (int c = 2; c < 14; ++c) {
      if (std::fabs(list.Cells(c, r).toDouble()) < 10000) {
        EXPECT_EQ(list.ShownText(c, r).toStdString(), list.Cells(c, r).toStdString())
            << c << "," << r;
      }
    }
  // The regression coefficient of y on x keeps its minus sign.
  bool negativeShown = false;
  for (int r = 0; r < list.RowCount(); ++r) negativeShown |= list.ShownText(8, r).startsWith("-31");
  EXPECT_TRUE(negativeShown);
  // Header words fit their columns.
  const QFontMetrics header(list.HeaderFont());
  for (int c = 0; c < list.ColCount(); ++c)
    for (const QString& line : TitleLines(list.Columns()[c]->GetTitle()))
      EXPECT_LE(header.horizontalAdvance(line), list.ColWidths(c) - 3) << line.toStdString();

  w.PageControl1->setCurrentIndex(1);
  for (int item = 1; item <= 9; ++item) {
    w.UpDown1ChangingEx(item);
    CheckCells(*w.m_gridDetailResults, "details");
    CheckCells(*w.m_gridCorrMatrix, "matrix");
  }

  // Scientific: every number fits, also -2.1e+28.
  services.DialogAnswer = [](QDialog& d) {
    static_cast<TPagesDlg&>(d).FormatBox()->setCurrentIndex(1);
    return int(QDialog::Accepted);
  };
  w.OptionsCommand();
  EXPECT_TRUE(list.Cells(2, 3).contains("e+28")) << list.Cells(2, 3).toStdString();
  EXPECT_EQ(CheckCells(list, "scientific list"), 0);
  EXPECT_EQ(CheckCells(*w.m_gridCorrMatrix, "scientific matrix"), 0);

  // A column the user makes narrower than its number shows "###".
  list.SetColWidths(2, 30);
  EXPECT_EQ(list.ShownText(2, 0), "###");
  EXPECT_EQ(list.ShownText(0, 0), list.Cells(0, 0));  // names are text, not numbers
}

TEST_F(NumbersShownTest, GutterWidensForLargeRowNumbers) {
  TFormTesvaneMain& w = Start();
  TSensitivityItem item;
  item.Names = {"a", "b"};
  TNiceGrid& list = *w.m_gridMainList;
  const QFontMetrics fm(list.GutterFont());
  for (const char* number : {"1", "99", "4724", "100000"}) {
    w.AddResultRow(item, number);
    // The caption's rectangle is 3 pixels narrower than the gutter.
    EXPECT_LE(fm.horizontalAdvance(number), list.GutterWidth() - 3) << number;
  }
}

}  // namespace
}  // namespace tesvane
