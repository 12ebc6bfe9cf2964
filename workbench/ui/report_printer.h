// Printing a report: plain text in a fixed-pitch font paged at its form
// feeds, rich text as its document lays itself out.
#pragma once

#include <QString>

class QFont;
class QPrinter;
class QTextDocument;

namespace tesmira::wb {

// The text's pages are separated by form feeds; the job carries the title.
void PrintPlainReport(const QString& text, const QFont& font, QPrinter& printer,
                      const QString& title);
void PrintRichReport(const QTextDocument& document, QPrinter& printer, const QString& title);

}  // namespace tesmira::wb
