#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files/input_table.h"
#include "files/sample_files.h"
#include "model/sim_blocks.h"
#include "tesmira/files.h"
#include "tesmira/model.h"

namespace tesmira {
namespace {

namespace fs = std::filesystem;

TEST(InputSampleTable, DrawsSamplesByCumulativeProbability) {
  Init_Model_data();
  fs::path dir =
      fs::temp_directory_path() / (std::string("tesmira_tpp_").append(std::to_string(::getpid())));
  fs::create_directories(dir);
  ASSERT_TRUE(SetModelFileName((dir / "model.tsm").string().c_str()));
  {
    std::ofstream sam(dir / "in.sam", std::ios::binary);
    sam << "2\r\na\r\nb\r\n0\r\n3    ;* n\r\n1\r\n10\r\n2\r\n20\r\n 3.0E+00 \r\n30\r\n";
    std::ofstream prb(dir / "in.prb", std::ios::binary);  // found without regard to case
    prb << "0.2\r\n0,3\r\nnot a number\r\n0.5\r\n";
  }
  TSampleList fileIn, fileOut, runIn, runOut;
  TextLineReader reader;
  ASSERT_EQ(ReadSampleFileHeader((dir / "in.sam").string(), &fileIn, &fileOut, reader), 3);
  fileIn.entries[0].objectIndex = 2;  // column a feeds the run's entry 2
  fileIn.entries[1].objectIndex = 7;  // beyond the run's list: ignored
  ClearSampleList(runIn);
  ClearSampleList(runOut);
  runIn.count = 2;
  InputSampleTable& t = RunInputTable();
  ASSERT_TRUE(t.Convert("in.sam", fileIn, fileOut, reader, 3));
  EXPECT_EQ(t.Path(), (dir / "in.TPP").string());
  ASSERT_EQ(t.Cumulative().size(), 3u);
  EXPECT_FLOAT_EQ(t.Cumulative()[0], 0.2f);
  EXPECT_FLOAT_EQ(t.Cumulative()[1], 0.5f);
  EXPECT_EQ(t.Cumulative()[2], 1.0f);
  EXPECT_EQ(fs::file_size(dir / "in.TPP"), (6u + 3u) * 4u);
  EXPECT_EQ(t.Draw(0.1, fileIn, fileOut, runIn, runOut, false), 1);
  EXPECT_EQ(EntryValue(runIn.entries[1]), 1.0);
  EXPECT_EQ(t.Draw(0.3, fileIn, fileOut, runIn, runOut, false), 2);
  EXPECT_EQ(EntryValue(runIn.entries[1]), 2.0);
  EXPECT_EQ(t.Draw(0.99, fileIn, fileOut, runIn, runOut, false), 3);
  EXPECT_EQ(EntryValue(runIn.entries[1]), 3.0);
  EXPECT_EQ(EntryValue(runIn.entries[0]), 0.0);
  t.Delete();
  EXPECT_FALSE(fs::exists(dir / "in.TPP"));
  // Without a probability file nothing is built.
  TextLineReader again;
  ReadSampleFileHeader((dir / "in.sam").string(), &fileIn, &fileOut, again);
  EXPECT_FALSE(t.Convert((dir / "other.sam").string(), fileIn, fileOut, again, 3));
  // A header of no columns and a huge sample count builds nothing.
  {
    std::ofstream sam(dir / "none.sam", std::ios::binary);
    sam << "0\r\n0\r\n2000000000    ;* n\r\n";
    std::ofstream prb(dir / "none.prb", std::ios::binary);
    prb << "1\r\n";
  }
  TextLineReader empty;
  ASSERT_EQ(ReadSampleFileHeader((dir / "none.sam").string(), &fileIn, &fileOut, empty),
            2000000000);
  EXPECT_FALSE(t.Convert("none.sam", fileIn, fileOut, empty, 2000000000));
  EXPECT_TRUE(t.Cumulative().empty());
  t.Delete();
  fs::remove_all(dir);
  End_model_data();
}

}  // namespace
}  // namespace tesmira
