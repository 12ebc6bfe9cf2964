#include "report_printer.h"

#include <QFont>
#include <QPrinter>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <algorithm>

#include "rtf_reader.h"

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

void FillRtfDocument(const std::string& rtf, QTextDocument& doc) {
  const TRtfDocument r = ReadRtf(rtf);
  doc.clear();
  QTextCursor cursor(&doc);
  bool first = true;
  auto paragraph = [&](const TRtfParagraph& p) {
    QTextBlockFormat block;
    block.setAlignment(p.alignment == 1   ? Qt::AlignRight
                       : p.alignment == 2 ? Qt::AlignHCenter
                       : p.alignment == 3 ? Qt::AlignJustify
                                          : Qt::AlignLeft);
    if (first)
      cursor.setBlockFormat(block);
    else
      cursor.insertBlock(block);
    first = false;
    for (const TRtfRun& run : p.runs) {
      QTextCharFormat f;
      const auto font = r.fonts.find(run.font);
      if (font != r.fonts.end()) f.setFontFamilies({QString::fromStdString(font->second)});
      f.setFontPointSize(run.halfPoints / 2.0);
      f.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
      f.setFontItalic(run.italic);
      f.setFontUnderline(run.underline);
      cursor.insertText(QString::fromStdString(run.text), f);
    }
  };
  for (const TRtfBlock& b : r.blocks) {
    if (!b.isTable) {
      paragraph(b.paragraph);
      continue;
    }
    std::size_t columns = 0;
    for (const TRtfTableRow& row : b.rows) columns = std::max(columns, row.cells.size());
    if (b.rows.empty() || columns == 0) continue;
    if (!first) cursor.insertBlock();
    first = false;
    QTextTable* table =
        cursor.insertTable(static_cast<int>(b.rows.size()), static_cast<int>(columns));
    for (std::size_t i = 0; i < b.rows.size(); ++i)
      for (std::size_t c = 0; c < b.rows[i].cells.size(); ++c) {
        QTextCursor cell =
            table->cellAt(static_cast<int>(i), static_cast<int>(c)).firstCursorPosition();
        cell.insertText(QString::fromStdString(b.rows[i].CellText(c)));
      }
    cursor.movePosition(QTextCursor::End);
  }
}

void PrintRichReport(const QTextDocument& document, QPrinter& printer, const QString& title) {
  printer.setDocName(title);
  document.print(&printer);
}

}  // namespace tesmira::wb
