// Printing a report: plain text in a fixed-pitch font paged at its form
// feeds, rich text as its document lays itself out.
#pragma once

#include <QString>
#include <string>

class QFont;
class QPrinter;
class QTextDocument;

namespace tesmira::wb {

// The text's pages are separated by form feeds; the job carries the title.
void PrintPlainReport(const QString& text, const QFont& font, QPrinter& printer,
                      const QString& title);
// The report's rich text (as the writer emits it) as a document: paragraphs
// with their runs' fonts, tables as tables.
void FillRtfDocument(const std::string& rtf, QTextDocument& document);
void PrintRichReport(const QTextDocument& document, QPrinter& printer, const QString& title);

}  // namespace tesmira::wb
