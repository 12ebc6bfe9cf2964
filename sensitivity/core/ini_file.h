// A small INI file: sections in square brackets, key=value lines. Section and
// key names compare without regard to ASCII case; the spelling first written
// is kept. Integers are decimal; booleans are written "1"/"0" and read as true
// for a non-zero integer. A missing key or a value that is not a number reads
// as the default. Every write goes to the file at once (written to a temporary
// file beside it and renamed). Lines end in CR LF; LF alone is accepted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tesvane {

class TIniFile {
 public:
  // Reads the file when it exists; a missing or unreadable file reads as empty.
  explicit TIniFile(std::string path);

  const std::string& FileName() const { return path_; }

  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  int32_t ReadInteger(const std::string& section, const std::string& key,
                      int32_t defaultValue) const;
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

  // Writes raise ESensitivityError naming the file when it cannot be written.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  void DeleteKey(const std::string& section, const std::string& key);

  // The file's text as it is written.
  std::string Text() const;

 private:
  struct TEntry {
    std::string Key;
    std::string Value;
  };
  struct TSection {
    std::string Name;
    std::vector<TEntry> Entries;
  };
  const TSection* FindSection(const std::string& section) const;
  TSection* FindSection(const std::string& section);
  const TEntry* FindEntry(const std::string& section, const std::string& key) const;
  void Load();
  void Save() const;

  std::string path_;
  std::vector<TSection> sections_;
};

// Parses a whole decimal integer (blanks around it allowed, optional sign).
bool ParseInt32(std::string_view text, int32_t& value);

}  // namespace tesvane
