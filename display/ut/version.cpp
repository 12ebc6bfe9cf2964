#include "ut/version.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace ut {
namespace {

// The marker and the version as one NUL-terminated text in the read-only data.
[[gnu::used]] const char kEmbeddedVersion[] = "@(#)TESMIRA-FILE-VERSION 2.3.0.0";

constexpr std::size_t kChunk = 1 << 20;

// Parses "major.minor.build.release" (each 0..65535) at text.
bool parse_version(std::string_view text, int& major, int& minor) {
  unsigned parts[4];
  const char* p = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < 4; ++i) {
    auto r = std::from_chars(p, end, parts[i]);
    if (r.ec != std::errc() || parts[i] > 65535) return false;
    p = r.ptr;
    if (i < 3) {
      if (p == end || *p != '.') return false;
      ++p;
    }
  }
  major = static_cast<int>(parts[0]);
  minor = static_cast<int>(parts[1]);
  return true;
}

}  // namespace

const char* program_version_text() { return kEmbeddedVersion + sizeof(kVersionMarker) - 1; }

bool get_file_version(const String& path, int& major, int& minor) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  const std::string_view marker(kVersionMarker);
  const std::size_t keep = marker.size() + 32;  // marker plus the longest version text
  std::vector<char> buf;
  buf.reserve(kChunk + keep);
  bool found = false;
  for (;;) {
    std::size_t old = buf.size();
    buf.resize(old + kChunk);
    std::size_t got = std::fread(buf.data() + old, 1, kChunk, f);
    buf.resize(old + got);
    std::string_view view(buf.data(), buf.size());
    std::size_t at = view.find(marker);
    while (at != std::string_view::npos) {
      std::string_view rest = view.substr(at + marker.size());
      std::size_t nul = rest.find('\0');
      if (nul == std::string_view::npos && got == kChunk) break;  // version cut by the chunk
      int ma, mi;
      if (parse_version(rest.substr(0, nul), ma, mi)) {
        major = ma;
        minor = mi;
        found = true;
        break;
      }
      at = view.find(marker, at + 1);
    }
    if (found || got < kChunk) break;
    if (buf.size() > keep) buf.erase(buf.begin(), buf.end() - static_cast<std::ptrdiff_t>(keep));
  }
  std::fclose(f);
  return found;
}

}  // namespace ut
