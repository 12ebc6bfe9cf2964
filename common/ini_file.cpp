#include "ini_file.h"

#include <charconv>
#include <filesystem>
#include <fstream>

#include "replacing_file.h"

namespace common {

namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// The name under which a section or key is indexed: ASCII letters in lower
// case, so that equal keys are those SameNameAscii finds equal.
std::string IndexName(std::string_view name) {
  std::string s(name);
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

bool SameNameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

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

TIniFile::TLine* TIniFile::TSection::Find(const std::string& key) {
  auto it = Entries.find(IndexName(key));
  return it == Entries.end() ? nullptr : &Lines[it->second];
}

void TIniFile::TSection::Add(TLine line) {
  if (line.IsEntry) Entries.emplace(IndexName(line.Key), Lines.size());
  Lines.push_back(std::move(line));
}

void TIniFile::TSection::Reindex() {
  Entries.clear();
  for (size_t i = 0; i < Lines.size(); ++i)
    if (Lines[i].IsEntry) Entries.emplace(IndexName(Lines[i].Key), i);
}

TIniFile::TSection& TIniFile::AddSection(const std::string& section) {
  sectionIndex_.emplace(IndexName(section), sections_.size());
  sections_.push_back(TSection{section, {}, {}});
  return sections_.back();
}

void TIniFile::ReindexSections() {
  sectionIndex_.clear();
  for (size_t i = 0; i < sections_.size(); ++i)
    sectionIndex_.emplace(IndexName(sections_[i].Name), i);
}

void TIniFile::Load() {
  preamble_.clear();
  sections_.clear();
  sectionIndex_.clear();
  std::ifstream in(path_, std::ios::binary);
  if (!in) return;
  std::string line;
  TSection* current = nullptr;
  while (std::getline(in, line)) {
    std::string_view l = TrimBlanks(line);
    if (l.empty()) continue;  // blank lines are written anew between sections
    if (l.front() == '[') {
      size_t close = l.find(']');
      std::string name(l.substr(1, close == std::string_view::npos ? l.size() - 1 : close - 1));
      current = FindSection(name);
      if (current == nullptr) current = &AddSection(name);
      continue;
    }
    size_t eq = l.find('=');
    if (eq == std::string_view::npos || l.front() == ';' || l.front() == '#') {
      if (current == nullptr)
        preamble_.emplace_back(l);
      else
        current->Add(TLine{false, {}, std::string(l)});
      continue;
    }
    std::string key(TrimBlanks(l.substr(0, eq)));
    std::string value(TrimBlanks(l.substr(eq + 1)));
    if (current == nullptr) {
      preamble_.emplace_back(l);
      continue;
    }
    // The first occurrence of a key counts; later ones are dropped.
    if (current->Find(key) == nullptr) current->Add(TLine{true, key, value});
  }
}

std::string TIniFile::Text() const {
  std::string out;
  for (const auto& p : preamble_) out += p + "\r\n";
  for (size_t i = 0; i < sections_.size(); ++i) {
    if (i > 0 || !preamble_.empty()) out += "\r\n";
    out += "[" + sections_[i].Name + "]\r\n";
    for (const auto& e : sections_[i].Lines)
      out += e.IsEntry ? e.Key + "=" + e.Value + "\r\n" : e.Value + "\r\n";
  }
  return out;
}

void TIniFile::UpdateFile() const {
  std::string error;
  if (!ReplaceFileContent(path_, Text(), error))
    throw EIniFileError("Cannot write the settings file " + path_);
}

void TIniFile::Changed() {
  if (autoSave_) UpdateFile();
}

const TIniFile::TSection* TIniFile::FindSection(const std::string& section) const {
  auto it = sectionIndex_.find(IndexName(section));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

TIniFile::TSection* TIniFile::FindSection(const std::string& section) {
  auto it = sectionIndex_.find(IndexName(section));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const TIniFile::TLine* TIniFile::FindEntry(const std::string& section,
                                           const std::string& key) const {
  const TSection* s = FindSection(section);
  if (s == nullptr) return nullptr;
  auto it = s->Entries.find(IndexName(key));
  return it == s->Entries.end() ? nullptr : &s->Lines[it->second];
}

bool TIniFile::SectionExists(const std::string& section) const {
  return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  return FindEntry(section, key) != nullptr;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
  std::vector<std::string> keys;
  if (const TSection* s = FindSection(section))
    for (const auto& e : s->Lines)
      if (e.IsEntry) keys.push_back(e.Key);
  return keys;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  const TLine* e = FindEntry(section, key);
  return e == nullptr ? defaultValue : e->Value;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t defaultValue) const {
  const TLine* e = FindEntry(section, key);
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
  if (s == nullptr) s = &AddSection(section);
  if (TLine* e = s->Find(key))
    e->Value = v;
  else
    s->Add(TLine{true, key, v});
  Changed();
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
  auto it = s->Entries.find(IndexName(key));
  if (it == s->Entries.end()) return;
  s->Lines.erase(s->Lines.begin() + static_cast<std::ptrdiff_t>(it->second));
  s->Reindex();
  Changed();
}

void TIniFile::EraseSection(const std::string& section) {
  auto it = sectionIndex_.find(IndexName(section));
  if (it == sectionIndex_.end()) return;
  sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(it->second));
  ReindexSections();
  Changed();
}

}  // namespace common
