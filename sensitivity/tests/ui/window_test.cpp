// The main window with real widgets: start-up, opening, runs, the result
// list, details, charts, exports, dialogs and scripts.
#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QTemporaryDir>
#include <QtGui/QClipboard>
#include <QtGui/QImage>
#include <QtGui/QTextCursor>
#include <QtGui/QTextDocument>
#include <cmath>

#include "about_box.h"
#include "jobs.h"
#include "options_dialog.h"
#include "result_views.h"
#include "settings.h"
#include "ui_test_support.h"
#include "var_picker.h"

namespace tesvane {
namespace {

using test::ReadText;
using test::TWindowFixture;
using test::WriteText;

QString Fixture() { return QString(TESVANE_TEST_DATA) + "/fixture.sae"; }

class WindowTest : public TWindowFixture {};

TEST_F(WindowTest, StartUpWritesDefaultsAndShowsTheDesignedState) {
  QFile::remove(QString::fromStdString(Ini()));
  TFormTesvaneMain& w = Start();
  EXPECT_EQ(w.width(), 800);
  EXPECT_EQ(w.height(), 650);
  EXPECT_EQ(w.pos(), QPoint(50, 50));
  EXPECT_EQ(w.edtDegree->text(), "3");
  EXPECT_EQ(w.trkDegree->minimum(), 1);
  EXPECT_EQ(w.trkDegree->maximum(), 10);
  EXPECT_TRUE(w.mnuReopen->actions().isEmpty());
  EXPECT_FALSE(w.btnRun->isEnabled());
  EXPECT_FALSE(w.btnCancel->isEnabled());
  EXPECT_EQ(w.windowTitle(), "Tesvane- [No sample file loaded]");
  EXPECT_EQ(w.statusPanel1->text(), "Ready to perform calculations");
  const std::string ini = ReadText(Ini());
  EXPECT_NE(ini.find("No of recent files=0"), std::string::npos);
  EXPECT_NE(ini.find("No of groups=20"), std::string::npos);
  EXPECT_NE(ini.find("Col16=70"), std::string::npos);
}

TEST_F(WindowTest, MissingCommandLineFileIsReportedOnceOnly) {
  const QString missing = QString::fromStdString(Folder()) + "/gone.sae";
  TFormTesvaneMain& w = Start(missing);
  QTRY_COMPARE(services.Boxes.size(), size_t(1));
  EXPECT_EQ(services.Boxes[0].Text, "Error, file " + missing + " does not exists!");
  // Another activation, a dialog closed: nothing opens again.
  QEvent activate(QEvent::WindowActivate);
  QCoreApplication::sendEvent(&w, &activate);
  w.actAbout->trigger();
  QCoreApplication::sendEvent(&w, &activate);
  QTest::qWait(20);
  EXPECT_EQ(services.Boxes.size(), 1u);
}

// A small file whose columns are known: y = a^2 + b, four variables.
QString SmallFile(const std::string& folder, const std::string& name = "small.sae") {
  std::string text = "y, a, b, c\n";
  for (int i = 0; i < 60; ++i) {
    const double a = -1.5 + i * 0.05, b = std::sin(i * 0.7), c = (i % 7) * 0.5;
    text += std::to_string(a * a + b) + ", " + std::to_string(a) + ", " + std::to_string(b) + ", " +
            std::to_string(c) + "\n";
  }
  WriteText(folder + "/" + name, text);
  return QString::fromStdString(folder + "/" + name);
}

TEST_F(WindowTest, OpeningRefusalsConversionAndReaderFailure) {
  TFormTesvaneMain& w = Start();
  const std::string dir = Folder();
  const QString upper = SmallFile(dir, "DATA.SAE");
  w.OpenSampleFile(upper);
  EXPECT_EQ(w.windowTitle(), "Tesvane - " + upper);
  EXPECT_EQ(w.cklstConditioned->count(), 4);
  EXPECT_EQ(w.lblVarCount->text(), "4 variables");
  EXPECT_EQ(w.lblSampleCount->text(), "60 samples per variable");
  EXPECT_EQ(w.lblFileName->FullText(), "DATA.SAE");
  Check(w.cklstConditioned, 0);
  Check(w.cklstConditioning, 1);
  RunAndWait();
  ASSERT_EQ(w.ShownResultCount(), 1);

  // A wrong extension keeps the file and the results.
  WriteText(dir + "/x.txt", "a, b\n1, 2\n");
  w.OpenSampleFile(QString::fromStdString(dir + "/x.txt"));
  EXPECT_EQ(services.Texts().last(), "Wrong file extension");
  EXPECT_EQ(w.windowTitle(), "Tesvane - " + upper);
  EXPECT_EQ(w.ShownResultCount(), 1);

  // A ".sam" file is converted and its ".sae" shown.
  WriteText(dir + "/y.sam",
            "; remark\r\n2  ; Number of input variables\r\na\r\nb\r\n"
            "1  ; Number of output variables\r\ny\r\n3    ;* Number of samples per variable\r\n"
            "1\r\n2\r\n3\r\n4\r\n5\r\n7\r\n8\r\n9\r\n9\r\n");
  w.OpenSampleFile(QString::fromStdString(dir + "/y.sam"));
  EXPECT_EQ(w.windowTitle(), QString::fromStdString("Tesvane - " + dir + "/y.sae"));
  EXPECT_EQ(w.lblVarCount->text(), "3 variables");
  EXPECT_EQ(w.ShownResultCount(), 0);

  // A reader failure: the no-file state and the reader's reason.
  WriteText(dir + "/bad.sae", "a, b\n1, x\n");
  w.OpenSampleFile(QString::fromStdString(dir + "/bad.sae"));
  EXPECT_TRUE(services.Texts().last().startsWith(
      QString::fromStdString("The format of file " + dir + "/bad.sae is not correct")));
  EXPECT_EQ(w.windowTitle(), "Tesvane - [No sample file loaded]");
  EXPECT_EQ(w.cklstConditioned->count(), 0);
  EXPECT_EQ(FileData.SampleCount, 0);
  EXPECT_FALSE(w.ckSelAllConditioned->isEnabled());
}

TEST_F(WindowTest, RunAndSelectAllRules) {
  TFormTesvaneMain& w = Start();
  const QString file = SmallFile(Folder());
  w.OpenSampleFile(file);
  EXPECT_FALSE(w.btnRun->isEnabled());
  Check(w.cklstConditioned, 0);
  Check(w.cklstConditioning, 1);
  EXPECT_TRUE(w.btnRun->isEnabled());
  Check(w.cklstConditioned, 0, false);
  EXPECT_FALSE(w.btnRun->isEnabled());
  // The user's "Select all" checks every entry; one entry unchecked unchecks the box only.
  QTest::mouseClick(w.ckSelAllConditioned, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(w.cklstConditioned->item(3)->checkState(), Qt::Checked);
  EXPECT_TRUE(w.btnRun->isEnabled());
  Check(w.cklstConditioned, 2, false);
  EXPECT_FALSE(w.ckSelAllConditioned->isChecked());
  EXPECT_EQ(w.cklstConditioned->item(3)->checkState(), Qt::Checked);
  // Both boxes checked: a newly opened file comes fully checked and runnable.
  QTest::mouseClick(w.ckSelAllConditioned, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseClick(w.ckSelAllConditioning, Qt::LeftButton, {}, QPoint(5, 5));
  w.OpenSampleFile(file);
  EXPECT_EQ(w.cklstConditioning->item(3)->checkState(), Qt::Checked);
  EXPECT_TRUE(w.btnRun->isEnabled());
  // The user unchecks a box: its list empties and Run is off.
  QTest::mouseClick(w.ckSelAllConditioning, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(w.cklstConditioning->item(0)->checkState(), Qt::Unchecked);
  EXPECT_FALSE(w.btnRun->isEnabled());
  // Run without samples.
  w.UnloadSampleFile();
  w.btnCalculateBatchClick();
  EXPECT_EQ(services.Texts().last(), "There is no samples loaded.");
}

TEST_F(WindowTest, SixRowsInJobOrderShowTheCoreItems) {
  TFormTesvaneMain& w = Start();
  w.OpenSampleFile(Fixture());
  Check(w.cklstConditioned, 0);
  Check(w.cklstConditioned, 2);
  for (int b : {1, 3, 4}) Check(w.cklstConditioning, b);
  RunAndWait();
  ASSERT_EQ(w.ShownResultCount(), 6);
  TNiceGrid* g = w.m_gridMainList;
  const char* pairs[6][2] = {{"y", "x1"},  {"y", "x3"},  {"y", "x4"},
                             {"x2", "x1"}, {"x2", "x3"}, {"x2", "x4"}};
  for (int r = 0; r < 6; ++r) {
    EXPECT_EQ(g->Cells(0, r), pairs[r][0]) << g->Cells(0, r).toStdString() << " row " << r;
    EXPECT_EQ(g->Cells(1, r), pairs[r][1]);
    EXPECT_EQ(g->GutterStrings().value(r), QString::number(r + 1));
    TSensitivityItem& item = *RunData.Results[static_cast<size_t>(r)];
    const std::vector<double> v = item.GetResults();
    for (int c = 2; c < 14; ++c) {
      double expected = v[static_cast<size_t>(c - 2)];
      if (c == 4 || c == 5) expected = std::sqrt(expected);
      char text[64];
      std::snprintf(text, sizeof text, "%.4f", expected);
      EXPECT_EQ(g->Cells(c, r).toStdString(), text) << r << " " << c;
    }
  }
  EXPECT_TRUE(w.actExportResults->isEnabled());
  EXPECT_EQ(w.NavigatorMin(), 1);
  EXPECT_EQ(w.NavigatorMax(), 6);
  EXPECT_EQ(w.NavigatorPosition(), 6);  // the last row is current
  // A second run numbers on.
  RunAndWait();
  EXPECT_EQ(w.ShownResultCount(), 12);
  EXPECT_EQ(g->GutterStrings().value(11), "12");
  // Clear: the next result is numbered 1 again.
  QTest::mouseClick(w.btnClear, Qt::LeftButton);
  EXPECT_EQ(w.ShownResultCount(), 0);
  EXPECT_FALSE(w.actExportResults->isEnabled());
  Check(w.cklstConditioned, 2, false);
  Check(w.cklstConditioning, 3, false);
  Check(w.cklstConditioning, 4, false);
  RunAndWait();
  EXPECT_EQ(g->GutterStrings(), QStringList{"1"});
}

// Results with chosen values, shown as a run would show them.
TSensitivityItem* AddItem(TFormTesvaneMain& w, std::vector<std::string> names,
                          std::function<void(TSensitivityItem&)> set) {
  auto item = std::make_unique<TSensitivityItem>();
  item->Names = std::move(names);
  item->BasePos = 1;
  for (size_t i = 0; i < item->Names.size(); ++i)
    item->VariableIds.push_back(static_cast<int32_t>(i));
  set(*item);
  TSensitivityItem* raw = item.get();
  {
    std::lock_guard<std::mutex> guard(RunData.Lock);
    const int32_t k = static_cast<int32_t>(raw->Names.size());
    TSquareMatrix corr(k), cof(k);
    for (int32_t i = 0; i < k; ++i)
      for (int32_t j = 0; j < k; ++j) {
        corr(i, j) = i == j ? 1 : 0.1 * (i + j);
        cof(i, j) = 10 * i + j;
      }
    raw->MatrixIndex = static_cast<int32_t>(RunData.CorrMatrices.size());
    RunData.CorrMatrices.emplace_back(std::move(corr));
    RunData.CofactorMatrices.emplace_back(std::move(cof));
    RunData.Results.push_back(std::move(item));
  }
  w.ShowPendingRows();
  return raw;
}

TEST_F(WindowTest, RedCellsAndSorting) {
  TFormTesvaneMain& w = Start();
  AddItem(w, {"b", "X"}, [](TSensitivityItem& i) {
    i.Correlation = 0.50001f;
    i.LinearityIndex = -0.0001f;
  });
  AddItem(w, {"A", "X"}, [](TSensitivityItem& i) {
    i.Correlation = 0.50002f;
    i.PartialCorrelation = 1.0001f;
    i.FitStatus = -1;
  });
  AddItem(w, {"a", "X"}, [](TSensitivityItem& i) {
    i.Correlation = 0.4f;
    i.PartialCorrelation = 1.0f;
  });
  TNiceGrid* g = w.m_gridMainList;
  // Flags by row: linearity (col 11), correlation ratio and partial (cols 10, 12).
  EXPECT_TRUE(ResultCellFlagged(*w.ResultAtRow(0), 11));
  EXPECT_TRUE(ResultCellFlagged(*w.ResultAtRow(1), 10));
  EXPECT_TRUE(ResultCellFlagged(*w.ResultAtRow(1), 12));
  EXPECT_FALSE(ResultCellFlagged(*w.ResultAtRow(2), 12));
  g->resize(1400, 200);
  QImage image(g->size(), QImage::Format_RGB32);
  g->render(&image);
  int red = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y) == QColor(231, 75, 75)) ++red;
  EXPECT_GT(red, 0);

  // Correlation column (c = 6): ascending first, by the stored value.
  w.SortResultList(6);
  EXPECT_EQ(g->Cells(0, 0), "a");
  EXPECT_EQ(g->Cells(0, 1), "b");  // 0.50001 before 0.50002, both print 0.5000
  EXPECT_EQ(g->Cells(0, 2), "A");
  EXPECT_EQ(g->GutterStrings(), (QStringList{"3", "1", "2"}));
  EXPECT_EQ(w.ResultAtRow(2)->PredictedName(), "A");
  EXPECT_EQ(RunData.Results[2]->PredictedName(), "A");
  w.SortResultList(6);
  EXPECT_EQ(g->Cells(0, 0), "A");
  // The corner: descending first, then ascending.
  w.SortResultList(-1);
  EXPECT_EQ(g->GutterStrings(), (QStringList{"3", "2", "1"}));
  w.SortResultList(-1);
  EXPECT_EQ(g->GutterStrings(), (QStringList{"1", "2", "3"}));
  // Names equal but for case are never exchanged with each other.
  w.SortResultList(0);
  EXPECT_EQ(g->GutterStrings(), (QStringList{"2", "3", "1"}));
  // The details follow the item at the current row after a sort.
  g->SelectRow(0);
  w.ResultListDoubleClick();
  EXPECT_EQ(w.lblPredicted->FullText(), "A");
  EXPECT_EQ(w.PageControl1->currentIndex(), 1);
}

TEST_F(WindowTest, DetailsPolynomialMatrixAndNavigator) {
  TFormTesvaneMain& w = Start();
  EXPECT_EQ(w.NavigatorPosition(), -1);
  w.NavigatorStep(1);  // nothing at -1
  EXPECT_EQ(w.NavigatorPosition(), -1);
  AddItem(w, {"Y", "X"}, [](TSensitivityItem& i) {
    i.PolyCoefs = {1.5, -0.25, 0.125};
    i.FitStatus = -2;
  });
  AddItem(w, {"P", "B", "E1", "E2"}, [](TSensitivityItem& i) {
    i.PolyCoefs = {1, 2, 3, 4};
    i.LinearityIndex = -1;
  });
  w.FinishRun();
  w.UpDown1ChangingEx(1);
  EXPECT_EQ(w.rchedtPolynomial->toPlainText(), "E[Y|X] = 1.5000 - 0.2500X + 0.1250X2");
  QTextDocument* doc = w.rchedtPolynomial->document();
  auto formatAt = [&](int position) {
    QTextCursor c(doc);
    c.setPosition(position + 1);
    return c.charFormat();
  };
  EXPECT_EQ(formatAt(2).fontWeight(), QFont::Bold);  // Y
  EXPECT_EQ(formatAt(4).fontWeight(), QFont::Bold);  // X
  EXPECT_NE(formatAt(9).fontWeight(), QFont::Bold);  // a digit
  const int two = static_cast<int>(w.rchedtPolynomial->toPlainText().size()) - 1;
  const QTextCharFormat exponent = formatAt(two);
  EXPECT_EQ(exponent.foreground().color(), QColor(Qt::red));
  EXPECT_EQ(exponent.fontPointSize(), 6);
  EXPECT_GT(exponent.baselineOffset(), 0);
  EXPECT_EQ(formatAt(two - 1).fontWeight(), QFont::Bold);  // the X of X2
  EXPECT_TRUE(w.lblExplanatoryCaption->isHidden());
  EXPECT_EQ(w.m_gridCorrMatrix->ColCount(), 2);
  // Flags of the detail grid are the list's.
  EXPECT_TRUE(DetailRowFlagged(*w.ResultAtRow(0), 11));

  w.NavigatorStep(1);
  EXPECT_EQ(w.NavigatorPosition(), 2);
  EXPECT_EQ(w.lblExplanatory->FullText(), "E1, E2");
  EXPECT_FALSE(w.lblExplanatoryCaption->isHidden());
  TNiceGrid* m = w.m_gridCorrMatrix;
  ASSERT_EQ(m->ColCount(), 4);
  EXPECT_EQ(m->Columns()[2]->GetTitle(), "E1");
  EXPECT_EQ(m->GutterStrings(), (QStringList{"P", "B", "E1", "E2"}));
  EXPECT_EQ(m->Cells(1, 0), "0.1000");
  w.ComboBox1->setCurrentIndex(1);  // the cofactors of the same item
  // Row i, column j >= i shows m(j, i); row j, column i shows m(i, j).
  EXPECT_EQ(m->Cells(3, 1), "31.0000");
  EXPECT_EQ(m->Cells(1, 3), "13.0000");
  w.ComboBox1->setCurrentIndex(0);
  EXPECT_EQ(m->Cells(3, 1), "0.4000");
  w.NavigatorStep(1);  // refused at the last item
  EXPECT_EQ(w.NavigatorPosition(), 2);
  EXPECT_EQ(w.lblItemNo->text(), "2");
}

TEST_F(WindowTest, ChartsOfAnItem) {
  TFormTesvaneMain& w = Start();
  w.OpenSampleFile(SmallFile(Folder()));
  Check(w.cklstConditioned, 0);
  Check(w.cklstConditioning, 1);
  Check(w.cklstConditioning, 3);
  RunAndWait();
  w.UpDown1ChangingEx(1);
  const TSensitivityItem& item = *w.ResultAtRow(0);
  const QList<QPointF> line = w.MainChart->LineSeries()->points();
  ASSERT_EQ(line.size(), 2);
  EXPECT_EQ(line[0].x(), item.BaseMin);
  EXPECT_EQ(line[1].x(), item.BaseMax);
  EXPECT_EQ(w.MainChart->PointSeries()->count(), 60);
  EXPECT_EQ(w.MainChart->Title(), "Regression of y on a");
  const QList<QPointF> fit = w.Chart1->LineSeries()->points();
  ASSERT_EQ(fit.size(), 100);
  EXPECT_EQ(fit.back().x(), item.BaseMax);
  EXPECT_DOUBLE_EQ(fit[10].y(), HornerValue(item.PolyCoefs, fit[10].x()));
  EXPECT_EQ(w.Chart1->PointSeries()->count(), 20);
  EXPECT_TRUE(w.Chart1->LineSeries()->isVisible());  // 60 distinct values
  // Scale from the regression plot: both left axes alike.
  EXPECT_EQ(w.Chart1->AxisY()->min(), w.MainChart->AxisY()->min());
  w.actScaleFromRegression->trigger();
  EXPECT_FALSE(w.actScaleFromRegression->isChecked());
  // The second item's base has 7 distinct values: no polynomial fit.
  w.UpDown1ChangingEx(2);
  EXPECT_FALSE(w.Chart1->LineSeries()->isVisible());
  EXPECT_EQ(w.Chart1->Title(), "Conditional expectation E[y|c] plot");
  // Dot sizes.
  w.scatterDot[0]->trigger();
  EXPECT_EQ(w.MainChart->DotSize(), 1);
  EXPECT_TRUE(w.scatterDot[0]->isChecked());
  // A sample limit of 0 draws every sample, 10 draws 10.
  TIniFile ini(SettingsFileName());
  ini.WriteInteger("Parameters", "No of samples for regression plot", 10);
  w.UpDown1ChangingEx(1);
  EXPECT_EQ(w.MainChart->PointSeries()->count(), 10);
  ini.WriteInteger("Parameters", "No of samples for regression plot", 0);
  w.UpDown1ChangingEx(2);
  EXPECT_EQ(w.MainChart->PointSeries()->count(), 60);
}

TEST_F(WindowTest, NoUsableSamplesEmptiesTheConditionalChartUnderTheNewTitles) {
  TFormTesvaneMain& w = Start();
  AddItem(w, {"Y", "X"}, [](TSensitivityItem& i) {
    i.UsableCount = 5;
    i.CondExpX = {1, 2};
    i.CondExpY = {3, 4};
    i.PolyCoefs = {0, 1};
  });
  AddItem(w, {"Q", "Z"}, [](TSensitivityItem& i) { i.UsableCount = 0; });
  w.FinishRun();
  w.UpDown1ChangingEx(1);
  EXPECT_EQ(w.Chart1->PointSeries()->count(), 2);
  EXPECT_TRUE(w.Chart1->Foot()->isHidden());
  w.UpDown1ChangingEx(2);
  EXPECT_EQ(w.Chart1->PointSeries()->count(), 0);
  EXPECT_EQ(w.Chart1->Title(), "Conditional expectation E[Q|Z] plot");
  EXPECT_FALSE(w.Chart1->Foot()->isHidden());
}

TEST_F(WindowTest, ChartAndResultExports) {
  TFormTesvaneMain& w = Start();
  w.OpenSampleFile(SmallFile(Folder()));
  Check(w.cklstConditioned, 0);
  Check(w.cklstConditioning, 1);
  RunAndWait();
  w.UpDown1ChangingEx(1);
  const std::string dir = Folder();
  services.SaveAnswers = {{QString::fromStdString(dir + "/s.png"), 0},
                          {QString::fromStdString(dir + "/s"), 1},
                          {QString::fromStdString(dir + "/s.bmp"), 2},
                          {QString::fromStdString(dir + "/s.gif"), 0}};
  for (int i = 0; i < 4; ++i) w.ExportChart(w.MainChart);
  const QImage shown = w.MainChart->RenderImage().convertToFormat(QImage::Format_RGB888);
  QImage png(QString::fromStdString(dir + "/s.png"));
  ASSERT_FALSE(png.isNull());
  EXPECT_EQ(png.convertToFormat(QImage::Format_RGB888), shown);
  EXPECT_NE(ReadText(dir + "/s.svg").find("<svg"), std::string::npos);
  EXPECT_FALSE(QImage(QString::fromStdString(dir + "/s.bmp"), "BMP").isNull());
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(dir + "/s.gif")));
  EXPECT_TRUE(services.Texts().last().startsWith("Nothing was written"));
  // Cancelling after an export writes nothing.
  w.ExportChart(w.Chart1);

  // CSV: a locked target asks again; no extension gets ".csv".
  QDir().mkpath(QString::fromStdString(dir + "/held.csv"));
  services.SaveAnswers = {{QString::fromStdString(dir + "/held.csv"), 0},
                          {QString::fromStdString(dir + "/r"), 0}};
  w.ExportResults();
  EXPECT_EQ(services.Texts().last(),
            QString::fromStdString("File " + dir +
                                   "/held.csv is open in another application. Close it or choose "
                                   "different file name"));
  const std::string csv = ReadText(dir + "/r.csv");
  const std::string first = csv.substr(0, csv.find("\r\n"));
  EXPECT_EQ(first,
            "Id, Names|Predicted variable, Names|Base variable, Standard statistic|E[Predicted "
            "variable], Standard statistic|E[Base variable], Standard statistic|Std[Predicted "
            "variable], Standard statistic|Std[Base variable], Extended statistic|Product moment "
            "correlation, Extended statistic|Rank correlation, Extended statistic|Regression "
            "coefficient, Extended statistic|Correlation ratio, Extended statistic|Linearity "
            "index, Extended statistic|Partial correlation coefficient, Extended "
            "statistic|Partial regression coefficient, Extended statistic|Multiple correlation "
            "coefficient");
  std::string second = "1";
  for (int c = 0; c < 14; ++c) second += ", " + w.m_gridMainList->Cells(c, 0).toStdString();
  EXPECT_EQ(csv.substr(first.size() + 2, second.size()), second);
  services.SaveAnswers = {{QString::fromStdString(dir + "/r.txt"), 0}};
  w.ExportResults();
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(dir + "/r.txt")));
}

TEST_F(WindowTest, OptionsCheckEverythingBeforeWriting) {
  TFormTesvaneMain& w = Start();
  AddItem(w, {"Y", "X"}, [](TSensitivityItem& i) { i.MeanPredicted = 123.45f; });
  w.FinishRun();
  const std::string before = ReadText(Ini());
  services.DialogAnswer = [](QDialog& d) {
    static_cast<TPagesDlg&>(d).GroupsEdit()->setText("abc");
    return int(QDialog::Accepted);
  };
  w.OptionsCommand();
  EXPECT_EQ(services.Texts().last(), "'abc' is not a valid integer value");
  EXPECT_EQ(ReadText(Ini()), before);
  // Scientific format, degree range swapped, a column hidden.
  services.DialogAnswer = [](QDialog& d) {
    auto& o = static_cast<TPagesDlg&>(d);
    o.FormatBox()->setCurrentIndex(1);
    o.MinEdit()->setText("8");
    o.MaxEdit()->setText("3");
    o.ColumnList()->item(5)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(o.AllColumnsBox()->isChecked());
    return int(QDialog::Accepted);
  };
  w.OptionsCommand();
  EXPECT_EQ(w.m_gridMainList->Cells(2, 0), "1.2345e+02");
  EXPECT_EQ(w.m_gridMainList->GutterStrings(), QStringList{"1"});
  EXPECT_EQ(w.trkDegree->minimum(), 3);
  EXPECT_EQ(w.trkDegree->maximum(), 8);
  EXPECT_EQ(w.lblDegMax->text(), "8");
  EXPECT_FALSE(w.m_gridMainList->Columns()[7]->Visible);
  TIniFile ini(SettingsFileName());
  EXPECT_FALSE(ini.ReadBool("ListView", "ColHide8", true));
  EXPECT_EQ(ini.ReadInteger("Parameters", "Degree max", 0), 8);
  // Cancel changes nothing.
  const std::string after = ReadText(Ini());
  services.DialogAnswer = nullptr;
  w.OptionsCommand();
  EXPECT_EQ(ReadText(Ini()), after);
}

// A file big enough that a run of ten jobs takes a while.
QString BigFile(const std::string& folder, int samples) {
  std::string text = "y, a, b, c, d, e, f, g, h, i, j\n";
  uint32_t state = 12345;
  auto next = [&]() {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / 16777216.0;
  };
  for (int n = 0; n < samples; ++n) {
    for (int c = 0; c < 11; ++c) text += (c ? ", " : "") + std::to_string(next());
    text += "\n";
  }
  WriteText(folder + "/big.sae", text);
  return QString::fromStdString(folder + "/big.sae");
}

TEST_F(WindowTest, CancelStopsBetweenJobsAndClosingDuringARunEnds) {
  TFormTesvaneMain& w = Start();
  w.OpenSampleFile(BigFile(Folder(), 60000));
  Check(w.cklstConditioned, 0);
  QTest::mouseClick(w.ckSelAllConditioning, Qt::LeftButton, {}, QPoint(5, 5));
  Check(w.cklstConditioning, 0, false);  // ten base variables: ten jobs
  QTest::mouseClick(w.btnRun, Qt::LeftButton);
  EXPECT_TRUE(w.Running());
  EXPECT_FALSE(w.btnRun->isEnabled());
  EXPECT_FALSE(w.actOpen->isEnabled());
  EXPECT_FALSE(w.actRunScript->isEnabled());
  // Cancel while the worker still prepares the batch (the button's handler;
  // the button itself is enabled by the worker's first posted call).
  w.CancelButtonClick();
  EXPECT_FALSE(w.btnCancel->isEnabled());
  WaitForRun();
  EXPECT_LT(w.ShownResultCount(), 10);
  EXPECT_EQ(static_cast<size_t>(w.ShownResultCount()), RunData.Results.size());
  EXPECT_FALSE(w.btnCancel->isEnabled());
  EXPECT_FALSE(w.ProgressBar1->isVisible());
  EXPECT_EQ(w.statusPanel1->text(), "Ready to perform calculations");
  EXPECT_TRUE(w.btnRun->isEnabled());

  // Closing during a run: the window closes once the current job is done.
  QTest::mouseClick(w.btnRun, Qt::LeftButton);
  EXPECT_TRUE(w.Running());
  w.close();
  EXPECT_TRUE(w.isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 30000);
  EXPECT_FALSE(w.Running());
}

TEST_F(WindowTest, ScriptsLoadAndComputeThroughTheWindow) {
  TFormTesvaneMain& w = Start();
  const std::string dir = Folder();
  WriteText(dir + "/load.pelscript",
            "<pellian_script type=\"LOAD_SAMPLES\"><filename>" + Fixture().toStdString() +
                "</filename><random_variable><v>Y</v><v>x2</v><v>zz</v></random_variable>"
                "</pellian_script>");
  services.OpenAnswers = {QString::fromStdString(dir + "/load.pelscript")};
  w.actRunScript->trigger();
  EXPECT_EQ(services.OpenTitles.back(), "Open Pellian Script File");
  EXPECT_EQ(FileData.Names, (std::vector<std::string>{"y", "x2"}));
  EXPECT_EQ(w.cklstConditioning->count(), 2);
  EXPECT_EQ(w.windowTitle(), "Tesvane - " + Fixture());
  ASSERT_FALSE(services.Boxes.empty());
  EXPECT_EQ(services.Boxes.back().Caption, "Pellian Script Result");
  EXPECT_EQ(services.Boxes.back().Icon, QMessageBox::Warning);

  WriteText(dir + "/calc.pelscript",
            "<pellian_script type=\"CALC_CORR_RATIO\">"
            "<corr_ratio><predicted>y</predicted><base>x2</base></corr_ratio>"
            "<corr_ratio><predicted>X2</predicted><base>y</base></corr_ratio></pellian_script>");
  w.RunScript(QString::fromStdString(dir + "/calc.pelscript"));
  WaitForRun();
  ASSERT_EQ(w.ShownResultCount(), 2);
  // The core's results for the same jobs.
  TRunParameters p = ReadRunParameters(w.trkDegree->value());
  for (int r = 0; r < 2; ++r) {
    TJobResult expected = ComputeJobItemByItem(FileData, *RunData.Jobs[static_cast<size_t>(r)], p);
    const std::vector<std::string> texts = ResultRowTexts(*expected.Item);
    for (int c = 0; c < 14; ++c)
      EXPECT_EQ(w.m_gridMainList->Cells(c, r).toStdString(), texts[static_cast<size_t>(c)]);
  }
}

TEST_F(WindowTest, RecentFilesDegreeEditAndEveryCommand) {
  TFormTesvaneMain& w = Start();
  const std::string dir = Folder();
  const QString file = SmallFile(dir);
  services.OpenAnswers = {file, QString::fromStdString(dir + "/none.sae"), file.toUpper()};
  for (int i = 0; i < 3; ++i) w.actOpen->trigger();
  // A failed open joins the list; the same path in other letters does not.
  ASSERT_EQ(w.RecentFiles().size(), 2u);
  EXPECT_EQ(w.RecentFiles()[0], dir + "/none.sae");
  EXPECT_EQ(w.mnuReopen->actions()[0]->text().toStdString(), "&0: " + dir + "/none.sae");
  w.mnuReopen->actions()[0]->trigger();
  EXPECT_EQ(services.Texts().last().toStdString(), "File " + dir + "/none.sae does not exist.");
  EXPECT_EQ(w.RecentFiles().size(), 1u);
  w.mnuReopen->actions()[0]->trigger();
  EXPECT_EQ(w.windowTitle(), "Tesvane - " + file);

  // Letters typed into the degree edit are refused with the range.
  QTest::keyClick(w.edtDegree, Qt::Key_A);
  EXPECT_EQ(services.Texts().last(), "Please enter an integer between 1 and 10");
  w.edtDegree->setText("5");
  EXPECT_EQ(w.trkDegree->value(), 5);
  w.edtDegree->setText("50");
  EXPECT_EQ(w.trkDegree->value(), 5);
  w.trkDegree->setValue(4);
  EXPECT_EQ(w.edtDegree->text(), "4");

  // Every command once, results loaded.
  Check(w.cklstConditioned, 0);
  Check(w.cklstConditioning, 1);
  Check(w.cklstConditioning, 2);
  RunAndWait();
  w.UpDown1ChangingEx(1);
  services.SaveAnswers = {{QString::fromStdString(dir + "/a.png"), 0},
                          {QString::fromStdString(dir + "/b.png"), 0},
                          {QString::fromStdString(dir + "/c.csv"), 0}};
  for (QAction* a : {w.actCopyScatter, w.actCopyCondExp, w.actCopyResults, w.actCopyMatrixAll,
                     w.actCopyMatrixSel, w.actExportScatter, w.actExportCondExp, w.actExportResults,
                     w.actOptions, w.actHelp, w.actPdfHelp, w.actAbout}) {
    EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    a->trigger();
  }
  for (QMenu* m : {w.mnuScatter, w.mnuCondExp, w.mnuResults, w.mnuMatrix})
    for (QAction* a : m->actions())
      if (!a->menu()) a->trigger();
  for (QAction* a : w.condDot) a->trigger();
  EXPECT_EQ(w.Chart1->DotSize(), 3);
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(dir + "/a.png")));
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(dir + "/c.csv")));
  EXPECT_EQ(services.Documents.size(), 2u);
  EXPECT_TRUE(services.Documents[0].endsWith("TesvaneHelp.html"));
  EXPECT_FALSE(QApplication::clipboard()->text().isEmpty());
  // Close (Ctrl+W) and Exit.
  w.actClose->trigger();
  EXPECT_EQ(w.windowTitle(), "Tesvane - [No sample file loaded]");
  EXPECT_EQ(w.ShownResultCount(), 0);
  w.actExit->trigger();
  EXPECT_FALSE(w.isVisible());
  EXPECT_NE(ReadText(Ini()).find("File1=" + dir + "/small.sae"), std::string::npos);
}

TEST_F(WindowTest, PickerAtLoadAndHiddenColumnsAtStart) {
  WriteText(Ini(), "[General settings]\r\nImport selected=1\r\n[ListView]\r\nColHide5=0\r\n");
  TFormTesvaneMain& w = Start();
  EXPECT_FALSE(w.m_gridMainList->Columns()[4]->Visible);  // Std of the predicted variable
  EXPECT_TRUE(w.m_gridMainList->Columns()[3]->Visible);
  services.DialogAnswer = [](QDialog& d) {
    auto& picker = static_cast<TRandVarPickerForm&>(d);
    EXPECT_EQ(picker.CountLabel()->text(), "4 random variables selected");
    picker.ClickEntry(1);
    return int(QDialog::Accepted);
  };
  w.OpenSampleFile(SmallFile(Folder()));
  EXPECT_EQ(services.Dialogs, 1);
  EXPECT_EQ(FileData.Names, (std::vector<std::string>{"y", "b", "c"}));
  EXPECT_EQ(w.cklstConditioned->count(), 3);
}

TEST_F(WindowTest, MatrixOfARunEqualsTheCoreAndChartLookIsKeptAtClose) {
  TFormTesvaneMain& w = Start();
  w.OpenSampleFile(Fixture());
  Check(w.cklstConditioned, 0);
  for (int b : {1, 2, 3}) Check(w.cklstConditioning, b);
  RunAndWait();
  w.UpDown1ChangingEx(2);
  w.ComboBox1->setCurrentIndex(1);
  TNiceGrid* m = w.m_gridCorrMatrix;
  ASSERT_EQ(m->ColCount(), 4);
  EXPECT_EQ(m->GutterStrings(), (QStringList{"y", "x2", "x1", "x3"}));
  TJobResult core =
      ComputeJobItemByItem(FileData, *RunData.Jobs[1], ReadRunParameters(w.trkDegree->value()));
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      // The core's cofactors, rounded to the shown precision.
      const double shown = m->Cells(j, i).toDouble();
      EXPECT_NEAR(shown, core.Cofactors(i, j), 5e-5 + 1e-6 * std::fabs(core.Cofactors(i, j)))
          << i << " " << j;
    }
  // A click on a legend check box hides its series, another shows it again.
  QCheckBox* box = w.MainChart->LegendBox(w.MainChart->LineSeries());
  ASSERT_NE(box, nullptr);
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_FALSE(w.MainChart->LineSeries()->isVisible());
  EXPECT_FALSE(box->isChecked());
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_TRUE(w.MainChart->LineSeries()->isVisible());
  w.scatterDot[2]->trigger();
  w.condDot[0]->trigger();
  w.trkDegree->setValue(5);
  w.close();
  TIniFile ini(SettingsFileName());
  EXPECT_EQ(ini.ReadInteger("Parameters", "Series1 dot size", 0), 3);
  EXPECT_EQ(ini.ReadInteger("Parameters", "LineSeries1 dot size", 0), 1);
  EXPECT_EQ(ini.ReadInteger("Parameters", "Degree of polynomial", 0), 5);
  EXPECT_EQ(ini.ReadInteger("Parameters", "Matrix type", 0), 1);
}

TEST(VariablePicker, TextsColoursAndOkButton) {
  test::App();
  TRandVarList vars;
  for (int i = 0; i < 100; ++i)
    vars.Add(std::make_shared<TRandomVariable>(i, std::string("v").append(std::to_string(100 - i)),
                                               "about", 1, 0, ""));
  TRandVarPickerForm picker;
  picker.InitPicker(vars, 69);
  const QColor text = picker.palette().color(QPalette::WindowText);
  struct TCase {
    int Checked;
    QString Label;
    QColor Color;
    bool Ok;
  };
  const std::vector<TCase> cases = {
      {0, "Please, select at least 1 variable (0 selected)", Qt::red, false},
      {1, "1 random variable selected", text, false},
      {2, "2 random variables selected", text, true},
      {68, "68 random variables selected", text, true},
      {69, "Maximum number of variables reached (69 selected)", QColor(0x80, 0, 0), true},
      {70, "Please, deselect some variables (70 selected)", Qt::red, false},
      {100, "Please, deselect some variables (100 selected)", Qt::red, false}};
  for (const TCase& c : cases) {
    for (int i = 0; i < 100; ++i)
      picker.List()->topLevelItem(i)->setCheckState(0, i < c.Checked ? Qt::Checked : Qt::Unchecked);
    EXPECT_EQ(picker.CountLabel()->text(), c.Label);
    EXPECT_EQ(picker.CountLabel()->palette().color(QPalette::WindowText), c.Color) << c.Checked;
    EXPECT_EQ(picker.OkButton()->isEnabled(), c.Ok) << c.Checked;
  }
  // Details, grayed box, sort and the ids in display order.
  picker.List()->setCurrentItem(picker.List()->topLevelItem(1));
  EXPECT_EQ(picker.NodeTypeLabel()->text(), "Node type: functional / output");
  EXPECT_EQ(picker.DistributionLabel()->text(), "Distribution type: continunous");
  picker.ClickEntry(0);
  EXPECT_EQ(picker.SelectAllBox()->checkState(), Qt::PartiallyChecked);
  picker.SortByName();
  const TIntList ids = picker.GetCheckedIds();
  ASSERT_EQ(ids.Count(), 99);
  EXPECT_EQ(ids.Items[0], 99);  // "v1" first in ascending order
}

TEST(AboutBox, VersionAndDate) {
  test::App();
  EXPECT_EQ(GetVersionText(), "1.3.7");
  const QDateTime when(QDate(2026, 3, 2), QTime(14, 5));
  EXPECT_EQ(CompiledOnText(when, QLocale(QLocale::English, QLocale::UnitedKingdom)),
            "Compiled on Monday, 2 of March 2026, 14:05");
  TAboutBox box;
  EXPECT_EQ(box.windowTitle(), "About Tesvane...");
  EXPECT_EQ(box.VersionLabel()->text(), "Version 1.3.7");
}

}  // namespace
}  // namespace tesvane
