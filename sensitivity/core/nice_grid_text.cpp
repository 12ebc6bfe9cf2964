// Clipboard texts (tab-separated, CR LF) and the CSV export of the result
// grid.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "nice_grid_core.h"
#include "replacing_file.h"

namespace tesvane {

namespace {

std::string TitleText(const std::string& title) {
  std::string s = title;
  std::replace(s.begin(), s.end(), ';', ' ');
  return s;
}

// A field holding the separator, a quote or a line break would shift the
// columns of the file; such a field is quoted with its quotes doubled.
std::string CsvQuoted(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

}  // namespace

std::string TNiceGridCore::CopyText() const {
  const TNiceRect& s = selectArea_;
  std::string text;
  if (s.Left < 0 || s.Top < 0) return text;
  for (int r = s.Top; r <= s.Bottom && r < rowCount_; ++r) {
    for (int c = s.Left; c <= s.Right && c < ColCount(); ++c) {
      if (!columns_[c]->Visible) continue;
      if (c != s.Left) text += '\t';
      text += SafeGetCell(c, r);
    }
    text += "\r\n";
  }
  return text;
}

std::string TNiceGridCore::CopyAllText() const {
  std::string text;
  for (const auto& column : columns_) text += '\t' + TitleText(column->Title);
  text += "\r\n";
  for (int r = 0; r < rowCount_; ++r) {
    if (static_cast<size_t>(r) < gutterStrings_.size()) text += gutterStrings_[r];
    for (int c = 0; c < ColCount(); ++c) text += '\t' + SafeGetCell(c, r);
    text += "\r\n";
  }
  return text;
}

void TNiceGridCore::CopyToClipboard() {
  if (selectArea_.Left < 0 || selectArea_.Top < 0) return;
  host_.SetClipboardText(CopyText());
}

void TNiceGridCore::CopyAllToClipboard() { host_.SetClipboardText(CopyAllText()); }

void TNiceGridCore::CutToClipboard() {
  if (selectArea_.Left < 0 || selectArea_.Top < 0) return;
  host_.SetClipboardText(CopyText());
  ClearSelection();
}

void TNiceGridCore::PasteFromClipboard() {
  std::string text;
  if (!host_.ClipboardText(text)) return;
  PasteText(text);
}

void TNiceGridCore::PasteText(const std::string& text) {
  if (!InGrid(col_, row_)) return;
  const TNiceRect s = selectArea_;
  if (s.Left < 0 || s.Top < 0) return;
  HideEditor();
  const bool wasUpdating = updating_;
  updating_ = true;
  std::vector<std::vector<std::string>> lines;
  size_t fieldCount = 1;
  for (const auto& line : SplitLines(text)) {
    lines.push_back(SplitFields(line));
    fieldCount = std::max(fieldCount, lines.back().size());
  }
  for (auto& fields : lines) fields.resize(fieldCount);

  if (s.Left == s.Right && s.Top == s.Bottom) {
    for (size_t n = 0; n < lines.size() && row_ + static_cast<int>(n) < rowCount_; ++n) {
      int c = col_;
      for (const auto& field : lines[n]) {
        while (c < ColCount() && !columns_[c]->Visible) ++c;
        if (c >= ColCount()) break;
        WriteCellWithEvents(c, row_ + static_cast<int>(n), field);
        ++c;
      }
    }
  } else if (!lines.empty()) {
    for (int r = s.Top; r <= s.Bottom && r < rowCount_; ++r) {
      const auto& fields = lines[(r - s.Top) % lines.size()];
      size_t f = 0;
      for (int c = s.Left; c <= s.Right && c < ColCount(); ++c) {
        if (!columns_[c]->Visible) continue;
        WriteCellWithEvents(c, r, fields[f]);
        f = (f + 1) % fieldCount;
      }
    }
  }
  updating_ = wasUpdating;
  InvalidateCellArea();
}

std::string TNiceGridCore::CsvText() const {
  std::string text = "Id";
  for (const auto& column : columns_) text += ", " + CsvQuoted(TitleText(column->Title));
  text += "\r\n";
  for (int r = 0; r < rowCount_; ++r) {
    text += std::to_string(r + 1);
    for (int c = 0; c < ColCount(); ++c) text += ", " + CsvQuoted(SafeGetCell(c, r));
    text += "\r\n";
  }
  return text;
}

void TNiceGridCore::ExportToCsv(const std::string& fileName) const {
  const std::string text = CsvText();
  common::TReplacingFile file(fileName);
  if (!file.IsOpen())
    throw ENiceGridError("Cannot create file " + fileName + ": " + std::strerror(errno));
  file.Stream().write(text.data(), static_cast<std::streamsize>(text.size()));
  std::string error;
  if (!file.Commit(error)) {
    if (error.empty()) throw ENiceGridError("Cannot write file " + fileName + ".");
    throw ENiceGridError("Cannot create file " + fileName + ": " + error);
  }
}

}  // namespace tesvane
