// The shared INI class: names without regard to case, raw values, kept lines,
// collected writes and whole-file replacement.
#include "ini_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace common {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ini_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, ec);
    fs::remove_all(dir_, ec);
  }
  std::string File(const char* name) const { return (dir_ / name).string(); }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  fs::path dir_;
};

TEST_F(IniFileTest, ReadsRawValuesWithoutRegardToCase) {
  const std::string path = File("a.ini");
  Write(path, "[MRU]\nFile1= /data/a,b.sam \nN=12\nBad=1x\nB=0\n[mru]\nFile1=ignored\n");
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("mru", "FILE1", ""), "/data/a,b.sam");  // commas kept, blanks trimmed
  EXPECT_EQ(ini.ReadInteger("MRU", "n", 0), 12);
  EXPECT_EQ(ini.ReadInteger("MRU", "Bad", 7), 7);
  EXPECT_FALSE(ini.ReadBool("MRU", "B", true));
  EXPECT_TRUE(ini.ReadBool("MRU", "Missing", true));
  EXPECT_EQ(ini.ReadSection("Mru"), (std::vector<std::string>{"File1", "N", "Bad", "B"}));
  EXPECT_TRUE(ini.ReadSection("none").empty());
}

TEST_F(IniFileTest, ForeignLinesAndSectionsSurviveAWrite) {
  const std::string path = File("b.ini");
  Write(path, "; made by hand\r\n[Own]\r\nX=1\r\n; note\r\nstray line\r\n[Foreign]\r\nK=v\r\n");
  TIniFile ini(path);
  ini.WriteInteger("own", "x", 2);
  ini.WriteString("Own", "Y", "a\r\nb");  // a line break cannot split the entry
  EXPECT_EQ(Read(path),
            "; made by hand\r\n\r\n[Own]\r\nX=2\r\n; note\r\nstray line\r\nY=a  b\r\n"
            "\r\n[Foreign]\r\nK=v\r\n");
  ini.DeleteKey("OWN", "y");
  ini.EraseSection("foreign");
  EXPECT_EQ(Read(path), "; made by hand\r\n\r\n[Own]\r\nX=2\r\n; note\r\nstray line\r\n");
}

TEST_F(IniFileTest, LookUpsAfterDeletingFindTheKeysAndSectionsThatFollow) {
  const std::string path = File("e.ini");
  Write(path, "[A]\r\nk1=1\r\n;c\r\nK2=2\r\nk3=3\r\nk2=dup\r\n[B]\r\nx=4\r\n[C]\r\ny=5\r\n");
  TIniFile ini(path);
  ini.SetAutoSave(false);
  ini.DeleteKey("a", "K1");
  EXPECT_EQ(ini.ReadString("A", "k2", ""), "2");  // the first of equal keys still counts
  EXPECT_EQ(ini.ReadInteger("A", "K3", 0), 3);
  ini.WriteInteger("A", "k3", 30);
  ini.WriteInteger("A", "k1", 10);  // comes back at the end of the section
  ini.EraseSection("b");
  EXPECT_FALSE(ini.ValueExists("B", "x"));
  EXPECT_EQ(ini.ReadInteger("c", "Y", 0), 5);
  ini.WriteInteger("C", "z", 6);
  ini.WriteInteger("b", "x", 7);
  EXPECT_EQ(ini.Text(),
            "[A]\r\n;c\r\nK2=2\r\nk3=30\r\nk1=10\r\n\r\n[C]\r\ny=5\r\nz=6\r\n\r\n[b]\r\nx=7\r\n");
}

TEST_F(IniFileTest, CollectedWritesReachTheFileOnUpdate) {
  const std::string path = File("c.ini");
  TIniFile ini(path);
  ini.SetAutoSave(false);
  ini.WriteInteger("S", "A", 1);
  ini.WriteBool("S", "B", true);
  EXPECT_FALSE(fs::exists(path));
  ini.UpdateFile();
  EXPECT_EQ(Read(path), "[S]\r\nA=1\r\nB=1\r\n");
  EXPECT_EQ(TIniFile(path).ReadInteger("s", "a", 0), 1);
}

TEST_F(IniFileTest, AFailedWriteLeavesTheOldFileAndSaysSo) {
  if (::geteuid() == 0) {
    // root writes into read-only folders; use a folder that does not exist instead
    TIniFile ini(File("missing/d.ini"));
    EXPECT_THROW(ini.WriteInteger("S", "A", 1), EIniFileError);
    return;
  }
  const std::string path = File("d.ini");
  Write(path, "[S]\r\nA=1\r\n");
  TIniFile ini(path);
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_THROW(ini.WriteInteger("S", "A", 2), EIniFileError);
  EXPECT_EQ(Read(path), "[S]\r\nA=1\r\n");
}

}  // namespace
}  // namespace common
