// A small INI file shared by the three programs: sections in square brackets,
// key=value lines. Section and key names compare without regard to ASCII case;
// the spelling first written is kept. Values are raw text (commas and blanks
// inside are kept; blanks around are trimmed). Integers are decimal; booleans
// are written "1"/"0" and read as true for a non-zero integer. A missing key or
// a value that is not a number reads as the default. Lines the class does not
// understand (comments, lines without "=") stay where they were. Lines end in
// CR LF; LF alone is accepted.
//
// By default every write goes to the file at once; with SetAutoSave(false) the
// writes collect in memory until UpdateFile(). The file is always written to a
// temporary file beside it and renamed, so it is replaced only by a whole one.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace common {

// Raised when the file cannot be written; the text names the file.
class EIniFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TIniFile {
 public:
  // Reads the file when it exists; a missing or unreadable file reads as empty.
  explicit TIniFile(std::string path);

  const std::string& FileName() const { return path_; }

  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  // Keys of a section in file order (empty when the section is missing).
  std::vector<std::string> ReadSection(const std::string& section) const;

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  int32_t ReadInteger(const std::string& section, const std::string& key,
                      int32_t defaultValue) const;
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

  // Writes raise EIniFileError when auto-save is on and the file cannot be written.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  void DeleteKey(const std::string& section, const std::string& key);
  void EraseSection(const std::string& section);

  void SetAutoSave(bool on) { autoSave_ = on; }
  // Writes the file now; raises EIniFileError when it cannot be written.
  void UpdateFile() const;

  // The file's text as it is written.
  std::string Text() const;

 private:
  // One line of a section: an entry when Key is set, else a kept raw line.
  struct TLine {
    bool IsEntry = false;
    std::string Key;
    std::string Value;  // the value of an entry, or the raw text of a kept line
  };
  struct TSection {
    std::string Name;
    std::vector<TLine> Lines;
    // Place in Lines of each entry, by its name in lower case.
    std::unordered_map<std::string, size_t> Entries;

    TLine* Find(const std::string& key);
    void Add(TLine line);
    void Reindex();
  };
  const TSection* FindSection(const std::string& section) const;
  TSection* FindSection(const std::string& section);
  TSection& AddSection(const std::string& section);
  void ReindexSections();
  const TLine* FindEntry(const std::string& section, const std::string& key) const;
  void Load();
  void Changed();

  std::string path_;
  std::vector<std::string> preamble_;  // kept lines before the first section
  std::vector<TSection> sections_;
  // Place in sections_ of each section, by its name in lower case.
  std::unordered_map<std::string, size_t> sectionIndex_;
  bool autoSave_ = true;
};

// Parses a whole decimal integer (blanks around it allowed, optional sign).
bool ParseInt32(std::string_view text, int32_t& value);

// ASCII case-insensitive comparison of two names.
bool SameNameAscii(std::string_view a, std::string_view b);

}  // namespace common
