// A replaced file changes only when its new content is complete.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "busy_file.h"
#include "files/buffered_file.h"
#include "model_fixture.h"

namespace tesmira {
namespace {

namespace fs = std::filesystem;

using ReplaceFile = ModelFolderTest;

// Files in the folder other than the given ones (left-over temporary files).
int Strays(const fs::path& dir, std::initializer_list<const char*> known) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    bool listed = false;
    for (const char* k : known) listed = listed || e.path().filename() == k;
    n += listed ? 0 : 1;
  }
  return n;
}

TEST_F(ReplaceFile, NewContentArrivesOnCloseOnly) {
  WriteAll(Path("a.txt"), "old");
  fs::permissions(Path("a.txt"), fs::perms::owner_read | fs::perms::owner_write);
  {
    BufferedFile f;
    ASSERT_EQ(f.Replace(Path("a.txt")), 0);
    f.Write("new content", 11);
    ASSERT_TRUE(f.Flush());
    EXPECT_EQ(ReadAll(Path("a.txt")), "old");
    ASSERT_TRUE(f.Close());
  }
  EXPECT_EQ(ReadAll(Path("a.txt")), "new content");
  EXPECT_EQ(fs::status(Path("a.txt")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  {
    BufferedFile f;  // given up half-way: the previous file stays
    ASSERT_EQ(f.Replace(Path("a.txt")), 0);
    f.Write("half", 4);
  }
  EXPECT_EQ(ReadAll(Path("a.txt")), "new content");
  EXPECT_EQ(Strays(dir_, {"a.txt"}), 0);
}

TEST_F(ReplaceFile, ALinkKeepsPointingAtTheReplacedFile) {
  WriteAll(Path("real.txt"), "old");
  fs::create_symlink(Path("real.txt"), Path("link.txt"));
  BufferedFile f;
  ASSERT_EQ(f.Replace(Path("link.txt")), 0);
  f.Write("new", 3);
  ASSERT_TRUE(f.Close());
  EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
  EXPECT_EQ(ReadAll(Path("real.txt")), "new");
  EXPECT_EQ(Strays(dir_, {"real.txt", "link.txt"}), 0);
}

TEST_F(ReplaceFile, ABusyFileIsNotReplaced) {
  BusyFile busy(dir_ / "busy");
  const std::string before = ReadAll(Path("busy"));
  BufferedFile f;
  EXPECT_EQ(f.Replace(Path("busy")), ETXTBSY);
  EXPECT_EQ(ReadAll(Path("busy")), before);
  EXPECT_EQ(Strays(dir_, {"busy"}), 0);
}

TEST_F(ReplaceFile, ADeviceIsWrittenInPlace) {
  if (!fs::exists("/dev/full")) GTEST_SKIP();
  fs::create_symlink("/dev/full", Path("full"));
  BufferedFile f;
  ASSERT_EQ(f.Replace(Path("full")), 0);
  f.Write("x", 1);
  EXPECT_FALSE(f.Close());  // the device's write failure is seen
  EXPECT_TRUE(fs::is_symlink(Path("full")));
}

TEST_F(ReplaceFile, BytesReplacedInTheMiddle) {
  WriteAll(Path("b.txt"), "count=7;rest");
  ASSERT_TRUE(ReplaceFileBytes(Path("b.txt"), 6, 1, "12345"));
  EXPECT_EQ(ReadAll(Path("b.txt")), "count=12345;rest");
  EXPECT_FALSE(ReplaceFileBytes(Path("b.txt"), 100, 1, "x"));
  EXPECT_EQ(ReadAll(Path("b.txt")), "count=12345;rest");
  EXPECT_EQ(Strays(dir_, {"b.txt"}), 0);
}

}  // namespace
}  // namespace tesmira
