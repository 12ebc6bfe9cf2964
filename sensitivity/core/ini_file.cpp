#include "ini_file.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sample_store.h"

namespace tesvane {

namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

bool ParseInt32(std::string_view text, int32_t& value) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  int32_t v = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || ptr != text.data() + text.size()) return false;
  value = v;
  return true;
}

TIniFile::TIniFile(std::string path) : path_(std::move(path)) { Load(); }

void TIniFile::Load() {
  sections_.clear();
  std::ifstream in(path_, std::ios::binary);
  if (!in) return;
  std::string line;
  TSection* current = nullptr;
  while (std::getline(in, line)) {
    std::string_view l = TrimBlanks(line);
    if (l.empty() || l.front() == ';') continue;
    if (l.front() == '[') {
      size_t close = l.find(']');
      std::string name(l.substr(1, close == std::string_view::npos ? l.size() - 1 : close - 1));
      current = FindSection(name);
      if (current == nullptr) {
        sections_.push_back(TSection{name, {}});
        current = &sections_.back();
      }
      continue;
    }
    size_t eq = l.find('=');
    if (eq == std::string_view::npos || current == nullptr) continue;
    std::string key(TrimBlanks(l.substr(0, eq)));
    std::string value(TrimBlanks(l.substr(eq + 1)));
    bool found = false;
    for (auto& e : current->Entries) {
      if (SameTextAscii(e.Key, key)) {  // the first occurrence counts
        found = true;
        break;
      }
    }
    if (!found) current->Entries.push_back(TEntry{key, value});
  }
}

std::string TIniFile::Text() const {
  std::string out;
  for (size_t i = 0; i < sections_.size(); ++i) {
    if (i > 0) out += "\r\n";
    out += "[" + sections_[i].Name + "]\r\n";
    for (const auto& e : sections_[i].Entries) out += e.Key + "=" + e.Value + "\r\n";
  }
  return out;
}

void TIniFile::Save() const {
  namespace fs = std::filesystem;
  std::string tmp = path_ + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    std::string text = Text();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
      std::error_code ec;
      fs::remove(tmp, ec);
      throw ESensitivityError("Cannot write the settings file " + path_);
    }
  }
  std::error_code ec;
  fs::rename(tmp, path_, ec);
  if (ec) {
    fs::remove(tmp, ec);
    throw ESensitivityError("Cannot write the settings file " + path_);
  }
}

const TIniFile::TSection* TIniFile::FindSection(const std::string& section) const {
  for (const auto& s : sections_)
    if (SameTextAscii(s.Name, section)) return &s;
  return nullptr;
}

TIniFile::TSection* TIniFile::FindSection(const std::string& section) {
  for (auto& s : sections_)
    if (SameTextAscii(s.Name, section)) return &s;
  return nullptr;
}

const TIniFile::TEntry* TIniFile::FindEntry(const std::string& section,
                                            const std::string& key) const {
  const TSection* s = FindSection(section);
  if (s == nullptr) return nullptr;
  for (const auto& e : s->Entries)
    if (SameTextAscii(e.Key, key)) return &e;
  return nullptr;
}

bool TIniFile::SectionExists(const std::string& section) const {
  return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  return FindEntry(section, key) != nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  const TEntry* e = FindEntry(section, key);
  return e == nullptr ? defaultValue : e->Value;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t defaultValue) const {
  const TEntry* e = FindEntry(section, key);
  int32_t v = 0;
  if (e == nullptr || !ParseInt32(e->Value, v)) return defaultValue;
  return v;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key,
                        bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  // Line breaks would split the entry; they are written as blanks.
  std::string v = value;
  for (char& c : v)
    if (c == '\r' || c == '\n') c = ' ';
  TSection* s = FindSection(section);
  if (s == nullptr) {
    sections_.push_back(TSection{section, {}});
    s = &sections_.back();
  }
  bool found = false;
  for (auto& e : s->Entries) {
    if (SameTextAscii(e.Key, key)) {
      e.Value = v;
      found = true;
      break;
    }
  }
  if (!found) s->Entries.push_back(TEntry{key, v});
  Save();
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
  TSection* s = FindSection(section);
  if (s == nullptr) return;
  for (auto it = s->Entries.begin(); it != s->Entries.end(); ++it) {
    if (SameTextAscii(it->Key, key)) {
      s->Entries.erase(it);
      Save();
      return;
    }
  }
}

}  // namespace tesvane
