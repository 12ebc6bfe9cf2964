// A file saved through a temporary file replaces its target only when whole.
#include "replacing_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace common {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(ReplacingFile, TheTargetChangesOnCommitOnly) {
  const fs::path dir = fs::temp_directory_path() / ("replacing_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path target = dir / "t.txt";
  std::ofstream(target, std::ios::binary) << "old";
  {
    TReplacingFile file(target.string());  // given up half-way
    ASSERT_TRUE(file.IsOpen());
    file.Stream() << "half";
    file.Stream().flush();
    EXPECT_EQ(Read(target), "old");
  }
  EXPECT_EQ(Read(target), "old");
  {
    TReplacingFile file(target.string());
    file.Stream() << "new";
    file.Stream().setstate(std::ios::badbit);  // a write that failed
    std::string error;
    EXPECT_FALSE(file.Commit(error));
  }
  EXPECT_EQ(Read(target), "old");
  {
    TReplacingFile file(target.string());
    file.Stream() << "new";
    std::string error;
    EXPECT_TRUE(file.Commit(error)) << error;
  }
  EXPECT_EQ(Read(target), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  fs::remove_all(dir);
}

TEST(ReplacingFile, ContentReplacesTheWholeFile) {
  const fs::path dir = fs::temp_directory_path() / ("content_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path target = dir / "t.bin";
  std::ofstream(target, std::ios::binary) << "a longer old content";
  std::string error;
  ASSERT_TRUE(ReplaceFileContent(target.string(), std::string_view("n\0w", 3), error)) << error;
  EXPECT_EQ(Read(target), std::string("n\0w", 3));
  // Neither a missing folder nor a folder in the target's place is written.
  EXPECT_FALSE(ReplaceFileContent((dir / "no" / "t.bin").string(), "x", error));
  fs::create_directories(dir / "sub" / "x");
  EXPECT_FALSE(ReplaceFileContent((dir / "sub").string(), "x", error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(fs::is_directory(dir / "sub" / "x"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace common
