#pragma once

// Services that answer the program's dialogs as a test tells them and keep
// what they were asked.

#include <gtest/gtest.h>
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPrinter>
#include <QStringList>
#include <functional>

#include "ui/services.h"

struct TestServices : ITesploreServices {
  void ErrorBox(const QString& message, const QString& caption) override {
    boxes << caption + "|" + message;
  }
  void InfoBox(const QString& message, const QString& caption) override {
    boxes << caption + "|" + message;
  }
  QString OpenFile(const QString&, const QString&, const QString&) override { return open; }
  QString SaveFile(const QString&, const QString&, const QString& proposed,
                   const QString&) override {
    proposals << proposed;
    return saveProposed ? proposed : save;
  }
  bool ExportOptions(TFrameSettings& s, bool jpeg) override {
    exportAsked << jpeg;
    if (!exportAnswer) return false;
    s.NotWindowSize = userDefined;
    s.ImageWidth = width;
    s.ImageHeight = height;
    s.JPEGCompression = quality;
    return true;
  }
  std::unique_ptr<QPrinter> ChoosePrinter(TPrintSettings& s, QString& title) override {
    if (pdf.isEmpty()) return nullptr;
    s = print;
    if (!printTitle.isEmpty()) title = printTitle;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);
    return printer;
  }
  // Dialogs are answered by answer (cancelled without one).
  int Exec(QDialog& dialog) override {
    dialogs << dialog.windowTitle();
    return answer ? answer(dialog) : QDialog::Rejected;
  }
  bool ChooseColor(QColor& c) override {
    coloursAsked << c;
    if (!colour.isValid()) return false;
    c = colour;
    return true;
  }
  bool ChooseFont(QFont& f) override {
    fontsAsked << f.family();
    if (!fontAnswer) return false;
    f = font;
    return true;
  }
  void OpenDocument(const QString& path) override { documents << path; }
  QStringList dialogs, fontsAsked, documents;
  std::function<int(QDialog&)> answer;
  QList<QColor> coloursAsked;
  QColor colour;
  QFont font;
  bool fontAnswer = false;
  QStringList boxes, proposals;
  QString open, save;
  bool saveProposed = false;  // the save chooser takes the proposed name
  QList<bool> exportAsked;
  bool exportAnswer = true, userDefined = false;
  int width = 800, height = 600, quality = 50;
  QString pdf, printTitle;
  TPrintSettings print;
};
