// The report-data interface over a simulated model.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "../simulation/simulation_fixture.h"
#include "model/sim_blocks.h"
#include "model_builder.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/report.h"
#include "tesmira/simulation.h"

using example::AddFormula;
using example::AddVariable;
using example::Link;

namespace {

std::string Text(const unsigned char* s) {
  return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}

void SetText(unsigned char* s, const std::string& t) {
  s[0] = static_cast<unsigned char>(t.size());
  std::memcpy(s + 1, t.data(), t.size());
}

class ReportData : public SimulationTest {
 protected:
  // Three inputs (b uniform on 0..1), two formulas, rank correlation.
  void Simulate(int correlationKind, bool userQuantiles) {
    AddVariable("a", DistNormal, 0, 1);
    AddVariable("b", DistUniform, 0, 1);
    AddVariable("c", DistExponential, 1);
    ASSERT_TRUE(Link("a", "b", 0.5, CopulaNormal));
    ASSERT_TRUE(Link("a", "c", 0.3, CopulaNormal));
    AddFormula("f_one", "b");
    AddFormula("a_rather_long_name", "a+c");
    if (userQuantiles) {
      for (int k = 1; k <= 2; ++k) {
        double x = 0.25 * k;
        ASSERT_EQ(Process_user_quantiles("f_one", &k, &x, 2), 1);
      }
      int32_t k = 0;
      ASSERT_EQ(Process_user_quantiles("f_one", &k, nullptr, 3), 1);
    }
    TRunRequest r = DefaultRunRequest;
    r.runs = 20;
    r.seed = 7;
    r.correlationKind = static_cast<uint8_t>(correlationKind);
    r.userQuantiles = userQuantiles ? 1 : 0;
    ASSERT_EQ(Run_simul(&r), RunCompleted);
  }

  static TRepObjectData Cell(int id, int row, int column, int selected = 0) {
    TRepObjectData d{};
    d.sectionId = static_cast<uint8_t>(id);
    d.row = row;
    d.column = column;
    d.selectedOutput = selected;
    return d;
  }
};

TEST_F(ReportData, NoResultsLeaveTheRecordUntouched) {
  for (int id = 0; id <= 22; ++id) {
    TRepSectionInfo info;
    std::memset(&info, 0xAB, sizeof info);
    info.sectionId = static_cast<uint8_t>(id);
    TRepSectionInfo before = info;
    EXPECT_EQ(Rep_get_section_info(&info), 0) << id;
    EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0) << id;
  }
  EXPECT_EQ(Rep_get_section_info(nullptr), -1);
  EXPECT_EQ(Rep_get_table_info(nullptr), -1);
  EXPECT_EQ(Rep_get_object_data(nullptr), -1);
}

TEST_F(ReportData, SectionTreeAndSiblings) {
  Simulate(0, false);
  // Walking the tree by first child and next sibling from section 1.
  std::string walk;
  auto visit = [&](auto& self, int id) -> void {
    for (; id != 0; id = Rep_get_next_section(id)) {
      TRepSectionInfo info{};
      info.sectionId = static_cast<uint8_t>(id);
      Rep_get_section_info(&info);
      walk += std::to_string(id) + " ";
      if (info.firstChild) self(self, info.firstChild);
    }
  };
  visit(visit, 1);
  EXPECT_EQ(walk, "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 ");

  TRepSectionInfo info{};
  info.sectionId = 11;
  EXPECT_EQ(Rep_get_section_info(&info), 1);
  EXPECT_EQ(info.count, 4);
  EXPECT_EQ(Text(info.title), "Simulaton Data And Results");
  EXPECT_EQ(info.titled, 1);
  EXPECT_EQ(info.kind, RepHeading);

  info = {};
  info.sectionId = 17;  // no correlations asked for
  EXPECT_EQ(Rep_get_section_info(&info), 0);
  EXPECT_EQ(Text(info.title), "Correlation matrix");
  info.sectionId = 21;
  EXPECT_EQ(Rep_get_section_info(&info), 0);
  info.sectionId = 23;
  EXPECT_EQ(Rep_get_section_info(&info), -1);
  EXPECT_EQ(Rep_get_next_section(128 + 3), 4);
}

TEST_F(ReportData, SummaryTableAndNames) {
  Simulate(2, true);
  TRepSectionInfo info{};
  info.sectionId = 17;
  EXPECT_EQ(Rep_get_section_info(&info), 1);
  EXPECT_EQ(Text(info.title), "Rank Correlation matrix");

  TRepTableInfo t{};
  t.sectionId = 4;
  ASSERT_EQ(Rep_get_table_info(&t), 1);
  EXPECT_EQ(t.rows, 3);
  EXPECT_EQ(t.columns, 8);
  t.sectionId = 5;
  EXPECT_EQ(Rep_get_table_info(&t), -1);

  // clang-format off
  struct { int id, row, col; const char* text; } texts[] = {
      {3, 3, 1, "Random Seed: 7"},
      {15, 4, 1, "Output Options: Rank Correlation"},
      {15, 5, 1, "Quantile Options: 100 percentiles generated"},
      {4, 1, 1, "Variable  "}, {4, 1, 2, " 5%-quant."}, {4, 1, 5, "   Mean   "},
      {4, 1, 8, "Err.Factor"}, {4, 2, 1, "f_one     "}, {4, 3, 1, "a_rather_long_name"},
      {16, 1, 4, " 5% Perc"}, {18, 1, 1, " Nr."}, {18, 5, 1, "   1"}, {18, 1, 7, "    2"},
      {20, 1, 4, "perc. 0.01:"}, {20, 1, 102, "perc. 0.99:"},
      {22, 1, 2, " P^(X<=x) "},
  };
  // clang-format on
  for (const auto& c : texts) {
    TRepObjectData d = Cell(c.id, c.row, c.col, 1);
    ASSERT_EQ(Rep_get_object_data(&d), 1) << c.id << " " << c.row << " " << c.col;
    EXPECT_EQ(d.cellKind, RepCellText);
    EXPECT_EQ(Text(d.text), c.text);
    EXPECT_EQ(d.character, ' ');
  }

  // The median of b, an output through f_one, is near 0.5 (1/sqrt(2000) ~ 0.02).
  TRepObjectData d = Cell(4, 2, 6);
  ASSERT_EQ(Rep_get_object_data(&d), 1);
  EXPECT_EQ(d.cellKind, RepCellStatistic);
  EXPECT_NEAR(d.number, 0.5, 0.07);

  // Row 1 of section 6: percentage headers 5..95.
  for (int c = 2; c <= 20; ++c) {
    d = Cell(6, 1, c);
    ASSERT_EQ(Rep_get_object_data(&d), 1);
    EXPECT_EQ(d.cellKind, RepCellPercentHeader);
    EXPECT_EQ(d.integer, 5 * (c - 1));
  }
  d = Cell(6, 4, 1);
  EXPECT_EQ(Rep_get_object_data(&d), 0) << "row beyond the outputs";

  // Correlation of a with b (rank 0.5 asked for).
  d = Cell(18, 2, 4);
  ASSERT_EQ(Rep_get_object_data(&d), 1);
  EXPECT_EQ(d.cellKind, RepCellCorrelation);
  EXPECT_NEAR(d.number, 0.5, 0.1);
}

TEST_F(ReportData, NameLookups) {
  Simulate(2, true);
  // Section 16: an input k at row k + 1, an output k at n_in + k + 1.
  TRepObjectData d = Cell(16, 0, 1);
  SetText(d.text, "b");
  ASSERT_EQ(Rep_get_object_data(&d), 1);
  EXPECT_EQ(d.row, 3);
  EXPECT_EQ(Text(d.text), "b         ");
  d = Cell(16, 0, 1);
  SetText(d.text, "f_one");
  ASSERT_EQ(Rep_get_object_data(&d), 1);
  EXPECT_EQ(d.row, 5);
  // Section 4 has outputs only: an input name leaves the row at 0.
  d = Cell(4, 0, 1);
  SetText(d.text, "a");
  EXPECT_EQ(Rep_get_object_data(&d), 0);
  EXPECT_EQ(d.row, 0);

  // Section 22 without a selected output and without a name.
  d = Cell(22, 1, 1, 0);
  EXPECT_EQ(Rep_get_object_data(&d), -1);
  d = Cell(22, 2, 2, 0);
  SetText(d.text, "f_one");
  ASSERT_EQ(Rep_get_object_data(&d), 1);
  EXPECT_EQ(d.selectedOutput, 1);
  EXPECT_FLOAT_EQ(d.number, 0.25f);
  d = Cell(22, 3, 1, 1);
  ASSERT_EQ(Rep_get_object_data(&d), 1);
  EXPECT_EQ(d.cellKind, RepCellInteger);
  EXPECT_EQ(d.integer, 2);
  d = Cell(22, 4, 1, 1);
  EXPECT_EQ(Rep_get_object_data(&d), 0) << "beyond the two quantiles";

  TRepTableInfo t{};
  t.sectionId = 22;
  t.selectedOutput = 1;
  ASSERT_EQ(Rep_get_table_info(&t), 1);
  EXPECT_EQ(t.rows, 3);
  EXPECT_EQ(Text(t.header), "f_one :");
  t.selectedOutput = 2;  // no user quantiles
  ASSERT_EQ(Rep_get_table_info(&t), 1);
  EXPECT_EQ(t.rows, 0);
  EXPECT_EQ(Text(t.header), "");
}

// The model name's length byte comes from the output file: a damaged one is
// cut to the 8 characters its field holds, never read past the block's end.
TEST_F(ReportData, ModelNameLengthIsKeptToItsField) {
  Simulate(0, false);
  TSampleData* block = tesmira::SampleDataBlock();
  ASSERT_NE(block, nullptr);
  block->modelName[0] = 0xFF;
  std::memcpy(block->modelName + 1, "abcdefgh", 8);
  TRepObjectData d = Cell(3, 1, 1);
  ASSERT_EQ(Rep_get_object_data(&d), 1);
  EXPECT_EQ(Text(d.text), "Input model file name: abcdefgh");
}

TEST_F(ReportData, AnOpenedOutputFileLeavesTheInputsPercentilesEmpty) {
  Simulate(2, false);
  // Right after the run every entry has its table: a, uniform b, c; f_one, sum.
  auto percentile = [](int row, int column) {
    TRepObjectData d = Cell(16, row, column);
    EXPECT_EQ(Rep_get_object_data(&d), 1) << row << " " << column;
    return d;
  };
  EXPECT_EQ(percentile(3, 5).cellKind, RepCellStatistic);
  EXPECT_NEAR(percentile(3, 5).number, 0.5, 0.07);  // the median of b
  const double outputMedian = percentile(5, 5).number;
  const std::string output = Path("model.tso");
  ASSERT_GT(WriteTSOFile(output.c_str()), 0);

  ASSERT_TRUE(Init_data());
  void* header = nullptr;
  ASSERT_EQ(GetFileHeader(output.c_str(), &header), TsmKindOutput);
  ASSERT_GT(LoadTSMFile(output.c_str(), TsmOpen), 0);
  // The output file holds the outputs' tables only: the inputs' percentile
  // cells are empty, their means stay, the outputs' percentiles are read back.
  for (int row = 2; row <= 4; ++row) {
    for (int column = 4; column <= 6; ++column)
      EXPECT_EQ(percentile(row, column).cellKind, RepCellNone) << row << " " << column;
    EXPECT_EQ(percentile(row, 2).cellKind, RepCellStatistic);
  }
  EXPECT_EQ(percentile(5, 5).cellKind, RepCellStatistic);
  EXPECT_DOUBLE_EQ(percentile(5, 5).number, outputMedian);
  TRepObjectData d = Cell(4, 2, 6);
  ASSERT_EQ(Rep_get_object_data(&d), 1);
  EXPECT_EQ(d.cellKind, RepCellStatistic);
}

}  // namespace
