// A reader of the rich-text subset that the report writer emits: groups,
// control words, "\'xx" bytes of code page 1252, "\uN" characters,
// paragraphs with bold, italic, underline, font and size runs, and tables
// built from "\trowd", "\cellx", "\cell" and "\row". The font table's names
// are kept; the stylesheet, colour table, information group, page headers and
// every "\*" destination are skipped. A field shows its result.
//
// The report panel and the preview panes turn the document into what they
// display; tests use it to check the writer's output by structure:
//
//   TRtfDocument doc = ReadRtf(bytes);
//   for (const TRtfBlock& b : doc.blocks)
//     if (b.isTable) ... b.rows[r].CellText(c) ...
//     else ... b.paragraph.Text() ... b.paragraph.runs[i].bold ...
//
// Malformed input never fails: unbalanced braces are tolerated and unknown
// control words ignored.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tesmira::wb {

struct TRtfRun {
  std::string text;  // UTF-8
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int font = 0;         // number in the font table
  int halfPoints = 24;  // "\fs"
};

struct TRtfParagraph {
  std::vector<TRtfRun> runs;
  int alignment = 0;  // 0 left, 1 right, 2 centre, 3 justified
  std::string Text() const;
};

// The "\cellx" edges of a row in twips. A row without its own "\trowd" takes
// the edges of the row before and may add to them; such rows share one list,
// each seeing its first size() entries, so that a long table holds the edges
// once instead of once per row.
class TRtfCellEdges {
 public:
  using value_type = int;
  using const_iterator = const int*;
  using iterator = const_iterator;

  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  int operator[](size_t i) const { return (*values_)[i]; }
  int back() const { return (*values_)[count_ - 1]; }
  const int* begin() const { return values_ ? values_->data() : nullptr; }
  const int* end() const { return begin() + count_; }
  std::vector<int> Values() const { return std::vector<int>(begin(), end()); }
  // Appends an edge; the shared list is copied only when another row has
  // already added to it past this row's edges.
  void push_back(int edge);

  friend bool operator==(const TRtfCellEdges& a, const std::vector<int>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
  }

 private:
  std::shared_ptr<std::vector<int>> values_;
  size_t count_ = 0;
};

struct TRtfTableRow {
  TRtfCellEdges cellRight;
  std::vector<std::vector<TRtfParagraph>> cells;
  // The cell's paragraphs joined by line feeds.
  std::string CellText(size_t cell) const;
};

struct TRtfBlock {
  bool isTable = false;
  TRtfParagraph paragraph;         // a paragraph outside tables
  std::vector<TRtfTableRow> rows;  // consecutive rows form one table
};

struct TRtfDocument {
  std::vector<TRtfBlock> blocks;
  std::map<int, std::string> fonts;  // font table: number -> name
  std::map<int, int> charsets;       // font table: number -> "\fcharset"
  // Paragraphs as lines; a table row as its cells joined by tabs.
  std::string PlainText() const;
};

TRtfDocument ReadRtf(std::string_view bytes);

// The Unicode character of a code page 1252 byte (undefined bytes map to
// themselves).
char32_t Cp1252ToUnicode(uint8_t byte);
// The code page 1252 byte of a character, or -1 when it has none.
int UnicodeToCp1252(char32_t c);

}  // namespace tesmira::wb
