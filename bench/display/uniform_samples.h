// A comma-separated sample file of independent uniform columns (column c in
// 10 c ... 10 c + 1), written once at path and kept for later runs.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

inline std::string UniformSampleFile(const std::filesystem::path& path, int columns, int samples,
                                     unsigned long long seed) {
  if (std::filesystem::exists(path)) return path.string();
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::string text;
  for (int c = 0; c < columns; ++c) text += (c ? ", v" : "v") + std::to_string(c);
  text += "\r\n";
  char buf[32];
  for (int s = 0; s < samples; ++s) {
    for (int c = 0; c < columns; ++c) {
      std::snprintf(buf, sizeof buf, "%s%.6f", c ? ", " : "", 10.0 * c + u(gen));
      text += buf;
    }
    text += "\r\n";
  }
  const std::filesystem::path temp = path.string() + ".tmp";
  std::ofstream(temp, std::ios::binary) << text;
  std::filesystem::rename(temp, path);
  return path.string();
}
