// Recognising a quantile file's resolution by its lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "simulation/distribution_probe.h"

namespace {

std::string Write(const std::string& name, int lines, const std::string& eol,
                  const std::string& bad = "") {
  std::string path = (std::filesystem::temp_directory_path() / name).string();
  std::ofstream out(path, std::ios::binary);
  for (int i = 0; i < lines; ++i) {
    if (i == 3 && !bad.empty())
      out << bad << eol;
    else
      out << i << ".000000  " << 0.25 * i << eol;
  }
  return path;
}

TEST(DistributionProbe, LineCountGivesTheType) {
  struct Case {
    int lines;
    const char* eol;
    const char* bad;
    int type;
  } cases[] = {
      {101, "\r\n", "", 11},   {150, "\n", "", 11},        {1001, "\n", "", 14},
      {1500, "\r\n", "", 14},  {10001, "\n", "", 15},      {40, "\n", "", 11},
      {500, "\n", "", 0},      {101, "\n", "0.500000", 0}, {101, "\n", "0.5000 xyz", 0},
      {1001, "\n", "   ", 14},
  };
  for (const Case& c : cases) {
    std::string path = Write("tesmira_probe.dis", c.lines, c.eol, c.bad);
    EXPECT_EQ(tesmira::ProbeDistributionFile(path), c.type)
        << c.lines << " lines, bad line '" << c.bad << "'";
    std::filesystem::remove(path);
  }
  EXPECT_EQ(tesmira::ProbeDistributionFile("/nonexistent/file.dis"), 0);
}

}  // namespace
