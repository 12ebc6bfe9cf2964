// The texts and numbers the windows show of a result, the open command's
// checks, the options' checks and the script runner.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>

#include "file_commands.h"
#include "jobs.h"
#include "options.h"
#include "result_views.h"
#include "script_executor.h"
#include "test_support.h"

namespace tesvane {
namespace {

using test::TSettingsScope;
using test::TTempDir;
using test::WriteText;

TResultFormat Format(int32_t precision, int32_t numberFormat) {
  TResultFormat f;
  f.Precision = precision;
  f.FormatString = ResultFormatString(precision, numberFormat);
  return f;
}

TSensitivityItem Item(std::vector<std::string> names, int32_t basePos = 1) {
  TSensitivityItem item;
  item.Names = std::move(names);
  item.BasePos = basePos;
  return item;
}

TEST(ResultViews, NumbersFollowTheFormatInTheCLocaleWhateverTheUserLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  std::string saved = old ? old : "C";
  std::setlocale(LC_ALL, "de_DE.UTF-8");  // a comma locale when the machine has it
  EXPECT_EQ(FormatResult(123.456789, Format(4, 0)), "123.4568");
  EXPECT_EQ(FormatResult(123.45, Format(4, 1)), "1.2345e+02");
  EXPECT_EQ(FormatResult(-0.00012, Format(2, 1)), "-1.20e-04");
  EXPECT_EQ(FormatResult(2.5, Format(1, 0)), "2.5");
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(ResultViews, RowTextsFlagsAndDetails) {
  TSensitivityItem item = Item({"Y", "X", "Z"});
  item.MeanPredicted = 1.5f;
  item.VarPredicted = 4.0f;
  item.VarBase = 2.25f;
  item.LinearityIndex = -0.0001f;
  item.PartialCorrelation = 1.0f;
  item.FitStatus = -2;
  item.CorrRatio = 0.5f;
  item.SampleCount = 30;
  item.BaseDistinct = 20;
  const auto f4 = Format(4, 0);
  auto row = ResultRowTexts(item, f4);
  ASSERT_EQ(row.size(), 14u);
  EXPECT_EQ(row[0], "Y");
  EXPECT_EQ(row[1], "X");
  EXPECT_EQ(row[2], "1.5000");
  EXPECT_EQ(row[4], "2.0000");  // standard deviations, the square roots of the variances
  EXPECT_EQ(row[5], "1.5000");
  // Columns 10, 11, 12: a failed fit, a negative linearity index, |partial| > 1.
  EXPECT_TRUE(ResultCellFlagged(item, 10));
  EXPECT_TRUE(ResultCellFlagged(item, 11));
  EXPECT_FALSE(ResultCellFlagged(item, 12));  // exactly 1 is not red
  item.PartialCorrelation = 1.0001f;
  item.LinearityIndex = 0;
  item.FitStatus = 0;
  EXPECT_TRUE(ResultCellFlagged(item, 12));
  EXPECT_FALSE(ResultCellFlagged(item, 11));
  EXPECT_FALSE(ResultCellFlagged(item, 10));
  item.LinearityIndex = std::nanf("");
  EXPECT_TRUE(ResultCellFlagged(item, 11));
  for (int r = 1; r <= DetailRowCount; ++r)
    EXPECT_EQ(DetailRowFlagged(item, r), r >= 11 && r <= 13 && ResultCellFlagged(item, r - 1));

  auto details = DetailRows(item, f4);
  ASSERT_EQ(details.size(), 15u);
  EXPECT_EQ(details[0].Value, "30");
  EXPECT_EQ(details[2].Value, "YES");  // 20 distinct values are discrete
  EXPECT_EQ(details[3].Label, "E[Y]");
  EXPECT_EQ(details[6].Label, "Std[X]");
  EXPECT_EQ(details[6].Value, "1.5000");
  EXPECT_EQ(DetailLabels()[3], "E[Predicted variable]");
}

TEST(ResultViews, ExplanatoryNamesLeaveOutTheBase) {
  EXPECT_EQ(ExplanatoryText(Item({"Y", "B", "E1", "E2"})), "E1, E2");
  EXPECT_EQ(ExplanatoryText(Item({"Y", "B"})), "");
  // A variable paired with itself: the base is the predicted variable.
  EXPECT_EQ(ExplanatoryText(Item({"Y", "B"}, 0)), "B");
}

TEST(ResultViews, PolynomialTextAndItsPieces) {
  const auto f4 = Format(4, 0);
  EXPECT_EQ(PolynomialText({1.5, -0.25, 0.125}, "Y", "X", f4),
            "E[Y|X] = 1.5000 - 0.2500X + 0.1250X2");
  EXPECT_EQ(PolynomialText({-1.5, 2}, "Y", "X", f4), "E[Y|X] = -1.5000 + 2.0000X");
  // A base name made of digits and "e" is never mistaken for part of a number.
  auto pieces = PolynomialPieces({1e-5, 2, 3, 4}, "P", "e2", Format(2, 1));
  std::string names, exponents;
  for (const auto& p : pieces) {
    if (p.Kind == TPolyFragment::Name) names += p.Text + ";";
    if (p.Kind == TPolyFragment::Exponent) exponents += p.Text + ";";
  }
  EXPECT_EQ(names, "P;e2;e2;e2;e2;");
  EXPECT_EQ(exponents, "2;3;");
}

TEST(ResultViews, ExchangeSortKeepsEqualKeysAndSortsBothWays) {
  const std::vector<double> keys = {3, 1, 2, 1, 3};
  auto cmp = [&](int32_t a, int32_t b) {
    return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)]
               ? -1
               : (keys[static_cast<size_t>(a)] > keys[static_cast<size_t>(b)] ? 1 : 0);
  };
  auto up = ExchangeSortOrder(5, true, cmp);
  for (size_t r = 1; r < up.size(); ++r)
    EXPECT_LE(keys[static_cast<size_t>(up[r - 1])], keys[static_cast<size_t>(up[r])]);
  auto down = ExchangeSortOrder(5, false, cmp);
  for (size_t r = 1; r < down.size(); ++r)
    EXPECT_GE(keys[static_cast<size_t>(down[r - 1])], keys[static_cast<size_t>(down[r])]);
  // All keys equal: nothing moves.
  EXPECT_EQ(ExchangeSortOrder(3, true, [](int32_t, int32_t) { return 0; }),
            (std::vector<int32_t>{0, 1, 2}));
}

TEST(ResultViews, ChartPoints) {
  TSensitivityItem item = Item({"Y", "X"});
  item.BaseMin = -1.3;
  item.BaseMax = 2.9;
  item.MeanBase = 0.5f;
  item.MeanPredicted = 2.0f;
  item.RegressionCoef = -0.75f;
  item.PolyCoefs = {1, -2, 0.5, 0.25};
  auto fit = PolynomialFitPoints(item);
  ASSERT_EQ(fit.size(), 100u);
  EXPECT_EQ(fit.front().X, -1.3);
  EXPECT_EQ(fit.back().X, 2.9);  // exactly the maximum
  for (const auto& p : fit) {
    // Horner's rule and the plain power sum agree to rounding.
    const double x = p.X;
    EXPECT_NEAR(p.Y, 1 - 2 * x + 0.5 * x * x + 0.25 * x * x * x, 1e-12);
  }
  EXPECT_NEAR(fit[50].X, -1.3 + 50 * 4.2 / 99, 1e-12);
  auto line = RegressionLinePoints(item);
  ASSERT_EQ(line.size(), 2u);
  EXPECT_EQ(line[0].X, -1.3);
  EXPECT_EQ(line[1].X, 2.9);
  // The line passes through the means.
  const double slope = (line[1].Y - line[0].Y) / (line[1].X - line[0].X);
  EXPECT_NEAR(line[0].Y + slope * (0.5 - line[0].X), 2.0, 1e-12);
  EXPECT_EQ(ScatterPointCount(50, 100), 50);
  EXPECT_EQ(ScatterPointCount(1000000, 0), 1000000);
  EXPECT_EQ(ScatterPointCount(1000000, 10000), 10000);
  item.BaseDistinct = 20;
  EXPECT_FALSE(ShowPolynomialFit(item));
  item.BaseDistinct = 21;
  EXPECT_TRUE(ShowPolynomialFit(item));
}

TEST(FileCommands, RefusalsExtensionsAndRecentFiles) {
  TTempDir dir;
  WriteText(dir.File("DATA.SAE"), "a, b\n1, 2\n");
  WriteText(dir.File("x.txt"), "a\n");
  WriteText(dir.File("y.sam"), "");
  WriteText(dir.File("h.samhdr"), "");
  EXPECT_EQ(ClassifyOpenPath(dir.File("DATA.SAE")), TOpenKind::Text);
  EXPECT_EQ(ClassifyOpenPath(dir.File("x.txt")), TOpenKind::WrongExtension);
  EXPECT_EQ(ClassifyOpenPath(dir.File("y.sam")), TOpenKind::Sam);
  EXPECT_EQ(ClassifyOpenPath(dir.File("h.samhdr")), TOpenKind::Header);
  EXPECT_EQ(ClassifyOpenPath(dir.File("none.sae")), TOpenKind::Missing);
  EXPECT_EQ(OpenRefusalMessage(TOpenKind::Missing, "/p/a.sae"),
            "Error, file /p/a.sae does not exists!");
  EXPECT_EQ(ChangeExtension("/p/y.sam", ".sae"), "/p/y.sae");
  EXPECT_TRUE(IsFileLocked(dir.File("none.sae")));
  EXPECT_FALSE(IsFileLocked(dir.File("x.txt")));

  std::vector<std::string> list = {"/a", "/b"};
  EXPECT_FALSE(AddOpenedToRecentFiles(list, "/A", 5));  // held already, other case
  EXPECT_TRUE(AddOpenedToRecentFiles(list, "/c", 5));
  EXPECT_EQ(list, (std::vector<std::string>{"/c", "/a", "/b"}));
  RemoveFromRecentFiles(list, "/a");
  for (const char* p : {"/d", "/e", "/f"}) AddOpenedToRecentFiles(list, p, 4);
  EXPECT_EQ(list, (std::vector<std::string>{"/f", "/e", "/d", "/c"}));
  EXPECT_EQ(RecentFileCaption(0, "/f"), "&0: /f");
}

TEST(Options, EveryFieldIsCheckedBeforeAnythingIsTaken) {
  TOptionsTexts t;
  t.Groups = "20";
  t.RegressionSamples = "10000";
  t.DegreeMin = "0";
  t.DegreeMax = "5";
  TOptionsSettings o;
  EXPECT_EQ(CheckOptions(t, o), "");
  EXPECT_EQ(o.DegreeMin, 1);
  EXPECT_EQ(o.DegreeMax, 5);
  t.DegreeMin = "8";
  t.DegreeMax = "3";
  EXPECT_EQ(CheckOptions(t, o), "");
  EXPECT_EQ(o.DegreeMin, 3);
  EXPECT_EQ(o.DegreeMax, 8);
  TOptionsSettings untouched = o;
  t.Groups = "abc";
  EXPECT_EQ(CheckOptions(t, o), "'abc' is not a valid integer value");
  EXPECT_EQ(o.GroupCount, untouched.GroupCount);
  t.Groups = "0";
  EXPECT_NE(CheckOptions(t, o), "");
  t.Groups = "20";
  t.RegressionSamples = "-1";
  EXPECT_NE(CheckOptions(t, o), "");
  t.RegressionSamples = "0";
  t.DegreeMax = "21";
  EXPECT_NE(CheckOptions(t, o), "");
}

// A script host that records what the runner does to the window.
class TScriptRecorder : public TScriptHost {
 public:
  TFileData& Store;
  std::vector<std::pair<std::string, int32_t>> Results;
  std::vector<std::string> Messages;
  int Unloads = 0, Refreshes = 0, Runs = 0;
  explicit TScriptRecorder(TFileData& store) : Store(store) {}
  void UnloadSampleFile() override {
    ++Unloads;
    Store.Close();
    Store.Variables.FreeItems();
  }
  void RefreshAfterLoad() override { ++Refreshes; }
  void ShowResult(const std::string& m, int32_t kind) override { Results.emplace_back(m, kind); }
  void ShowMessage(const std::string& m) override { Messages.push_back(m); }
  void StartRun() override { ++Runs; }
};

class ScriptTest : public ::testing::Test {
 protected:
  TSettingsScope settings{false};
  TTempDir dir;
  TFileData store;
  TRunData run;
  TScriptRecorder host{store};

  void RunScript(const std::string& text) {
    WriteText(dir.File("s.pelscript"), text);
    TScriptExecutor(dir.File("s.pelscript"), store, run, host).Run();
  }
  std::string Load(const std::string& file, const std::string& names) {
    return "<pellian_script type=\"LOAD_SAMPLES\"><filename>" + file +
           "</filename><random_variable>" + names + "</random_variable></pellian_script>";
  }
};

TEST_F(ScriptTest, LoadPicksNamedColumnsInScriptOrderAndWarnsOfMissingOnes) {
  WriteText(dir.File("d.sae"), "y, x1, x2\n1, 2, 3\n4, 5, 7\n2, 2, 2\n");
  RunScript(Load(dir.File("d.sae"), "<v>Y</v><v>x2</v><v>zz</v>"));
  EXPECT_EQ(host.Unloads, 1);
  EXPECT_EQ(host.Refreshes, 1);
  EXPECT_EQ(store.Names, (std::vector<std::string>{"y", "x2"}));
  EXPECT_EQ(store.Samples[1], (std::vector<double>{3, 7, 2}));
  ASSERT_EQ(host.Results.size(), 1u);
  EXPECT_EQ(host.Results[0].first,
            "Some variables specified for loading were not found in the sample file.");
  EXPECT_EQ(host.Results[0].second, 1);
}

TEST_F(ScriptTest, HeaderVariablesArePickedByTheirPlaceAmongVariables) {
  auto single = [&](const std::string& name, float v0, float v1) {
    std::string bytes(8, '\0');
    std::memcpy(&bytes[0], &v0, 4);
    std::memcpy(&bytes[4], &v1, 4);
    WriteText(dir.File(name), bytes);
  };
  single("a.bin", 1, 2);
  single("b.bin", 3, 5);
  single("c.bin", 7, 11);
  auto var = [](const std::string& n, const std::string& f) {
    return "<random_variable><name>" + n + "</name><description/><is_functional>0</is_functional>" +
           "<type>0</type><binary_sample_filename>" + f +
           "</binary_sample_filename></random_variable>";
  };
  WriteText(dir.File("h.samhdr"), "<pellian_modular_sample_header><!-- made by hand -->" +
                                      var("A", "a.bin") + var("B", "b.bin") + var("C", "c.bin") +
                                      "<number_of_samples>2</number_of_samples>"
                                      "</pellian_modular_sample_header>");
  RunScript(Load(dir.File("h.samhdr"), "<v>C</v><v>A</v><v>b</v>"));
  EXPECT_EQ(store.Names, (std::vector<std::string>{"C", "A"}));  // exact case in a header
  EXPECT_EQ(store.Samples[0], (std::vector<double>{7, 11}));
  ASSERT_EQ(host.Results.size(), 1u);
  EXPECT_EQ(host.Results[0].second, 1);
}

TEST_F(ScriptTest, RefusalsLeaveTheWindowAlone) {
  WriteText(dir.File("d.rvinfo"), "a, b\n1, 2\n");
  struct TCase {
    std::string Script, Message;
  };
  const std::vector<TCase> cases = {
      {"<pellian_script type=\"load_samples\"/>", "No valid command found in the script file."},
      {"<pellian_script/>", "No script type found. Provided script file is corrupted."},
      {"<other type=\"LOAD_SAMPLES\"/>",
       "No script type found. Provided script file is corrupted."},
      {"<pellian_script type=\"LOAD_SAMPLES\"><random_variable/></pellian_script>",
       "No sample file name found. Provided script file is corrupted."},
      {"<pellian_script type=\"LOAD_SAMPLES\"><filename>x.sae</filename></pellian_script>",
       "No random variables names specified. Provided script file is corrupted."},
      {Load(dir.File("d.rvinfo"), "<v>a</v>"), "Wrong file extension"},
      {Load(dir.File("none.sae"), "<v>a</v>"),
       "Error, file " + dir.File("none.sae") + " does not exists!"},
  };
  for (const TCase& c : cases) {
    host.Results.clear();
    RunScript(c.Script);
    ASSERT_EQ(host.Results.size(), 1u) << c.Script;
    EXPECT_EQ(host.Results[0].first, c.Message);
    EXPECT_EQ(host.Results[0].second, 2);
  }
  EXPECT_EQ(host.Unloads, 0);
  WriteText(dir.File("s.pelscript"), "<pellian_script type=");
  EXPECT_THROW(TScriptExecutor(dir.File("s.pelscript"), store, run, host).Run(), ESensitivityError);
}

TEST_F(ScriptTest, NestingBeyondTheLimitIsRefusedWithAMessage) {
  auto nested = [](int levels) {
    std::string open, close;
    for (int k = 0; k < levels; ++k) {
      open += "<a>";
      close += "</a>";
    }
    return "<pellian_script type=\"LOAD_SAMPLES\">" + open + close + "</pellian_script>";
  };
  RunScript(nested(255));  // 256 levels with the root: read, then refused for its content
  ASSERT_EQ(host.Results.size(), 1u);
  EXPECT_EQ(host.Results[0].first, "No sample file name found. Provided script file is corrupted.");
  WriteText(dir.File("s.pelscript"), nested(256));
  try {
    TScriptExecutor(dir.File("s.pelscript"), store, run, host).Run();
    ADD_FAILURE() << "a script nested 257 levels deep was read";
  } catch (const ESensitivityError& e) {
    EXPECT_NE(std::string(e.what()).find("nested more than 256 levels deep"), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(host.Unloads, 0);
}

TEST_F(ScriptTest, CalcBuildsTheJobsOrStopsAtTheFirstBadOne) {
  RunScript("<pellian_script type=\"CALC_CORR_RATIO\"/>");
  EXPECT_EQ(host.Messages, (std::vector<std::string>{"There is no samples loaded."}));
  WriteText(dir.File("d.sae"), "y, x1, x2\n1, 2, 3\n4, 5, 7\n2, 2, 2\n3, 1, 0\n");
  RunScript(Load(dir.File("d.sae"), "<v>y</v><v>x1</v><v>x2</v>"));
  const std::string job1 =
      "<corr_ratio><base>X1</base><predicted>y</predicted>"
      "<explanatory><e>x2</e></explanatory></corr_ratio>";
  RunScript("<pellian_script type=\"CALC_CORR_RATIO\">" + job1 +
            "<corr_ratio><predicted>y</predicted><base>x2</base></corr_ratio></pellian_script>");
  EXPECT_EQ(host.Runs, 1);
  ASSERT_EQ(run.Jobs.size(), 2u);
  EXPECT_EQ(run.Jobs[0]->Vector(), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(run.Jobs[1]->Vector(), (std::vector<int32_t>{0, 2}));

  host.Results.clear();
  RunScript("<pellian_script type=\"CALC_CORR_RATIO\">" + job1 +
            "<corr_ratio><predicted>y</predicted><base>q</base></corr_ratio></pellian_script>");
  EXPECT_EQ(host.Runs, 1);  // nothing computed
  EXPECT_EQ(run.Jobs.size(), 1u);
  ASSERT_EQ(host.Results.size(), 1u);
  EXPECT_EQ(host.Results[0].first,
            "Name of the base variable q not found in the list of imported random "
            "variables.\r\nComputations aborted.");
  host.Results.clear();
  RunScript(
      "<pellian_script type=\"CALC_CORR_RATIO\"><corr_ratio><predicted/><base>y</base>"
      "</corr_ratio></pellian_script>");
  EXPECT_EQ(host.Results[0].first,
            "Predicted variable not specified.\r\nProvided script file is corrupted.");
}

}  // namespace
}  // namespace tesvane
