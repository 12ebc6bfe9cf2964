#include "report_printer.h"

#include <QFont>
#include <QPrinter>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace tesmira::wb {

void PrintPlainReport(const QString& text, const QFont& font, QPrinter& printer,
                      const QString& title) {
  printer.setDocName(title);
  QTextDocument doc;
  doc.setDefaultFont(font);
  QTextCursor cursor(&doc);
  const QStringList pages = text.split(QChar('\f'));
  for (qsizetype p = 0; p < pages.size(); ++p) {
    QString page = pages[p];
    if (page.startsWith('\n')) page.remove(0, 1);
    if (page.endsWith('\n')) page.chop(1);
    QTextBlockFormat block;
    if (p > 0) {
      block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
      cursor.insertBlock(block);
    } else {
      cursor.setBlockFormat(block);
    }
    QTextBlockFormat plain;
    const QStringList lines = page.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (i > 0) cursor.insertBlock(plain);
      cursor.insertText(lines[i]);
    }
  }
  doc.print(&printer);
}

void PrintRichReport(const QTextDocument& document, QPrinter& printer, const QString& title) {
  printer.setDocName(title);
  document.print(&printer);
}

}  // namespace tesmira::wb
