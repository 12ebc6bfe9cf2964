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

#include <cstdint>
#include <map>
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

struct TRtfTableRow {
  std::vector<int> cellRight;  // "\cellx" edges in twips
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
