// The plot frame's way out: image files, the clipboard and the printer.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>

#include "replacing_file.h"
#include "ui/gif_writer.h"
#include "ui/jpeg_writer.h"
#include "ui/print_dialog.h"
#include "ui/services.h"
#include "ui/tesplore_view.h"

namespace {

enum TExportClass { ExportBitmap, ExportPng, ExportGif, ExportTiff, ExportJpeg };

TExportClass ClassOf(const QString& file) {
  const QString ext = QFileInfo(file).suffix().toLower();
  if (ext.isEmpty() || ext == QStringLiteral("bmp")) return ExportBitmap;
  if (ext == QStringLiteral("png")) return ExportPng;
  if (ext == QStringLiteral("gif")) return ExportGif;
  if (ext == QStringLiteral("tif")) return ExportTiff;
  return ExportJpeg;
}

// The picture in one of the formats Qt writes; empty when it cannot.
QByteArray QtImageFile(const QImage& picture, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, format)) return {};
  return bytes;
}

QList<QRgb> ColourTable(const TColorRecord& colors) {
  const TPalette p = BuildPalette(colors);
  return QList<QRgb>(p.begin(), p.end());
}

}  // namespace

QImage TFrmTesploreView::ExportPicture(int depth) const {
  if (depth == 24) return m_image.convertToFormat(QImage::Format_RGB888);
  // Every pixel is a palette colour, so the 8-bit picture is exact.
  return m_image.convertToFormat(QImage::Format_Indexed8, ColourTable(m_document->Colours()),
                                 Qt::ThresholdDither | Qt::AvoidDither);
}

bool TFrmTesploreView::ExportImage(const QString& file) {
  if (!m_document) return false;
  const TExportClass kind = ClassOf(file);
  if (!Services().ExportOptions(m_settings, kind == ExportJpeg)) return false;
  const bool eightBits = kind == ExportBitmap || kind == ExportTiff;
  const bool resized = m_settings.NotWindowSize || eightBits;
  if (resized) {
    SetImageSize(m_settings.ImageWidth, m_settings.ImageHeight);
    Render(false);
  }
  const int depth = eightBits ? (m_depth == 24 ? 24 : 8) : m_depth;
  const QImage picture = ExportPicture(depth);
  if (resized) {
    SetImageSize(width(), height());
    Render(true);
  }
  QByteArray bytes;
  switch (kind) {
    case ExportBitmap: bytes = QtImageFile(picture, "BMP"); break;
    case ExportPng: bytes = QtImageFile(picture, "PNG"); break;
    case ExportTiff: bytes = QtImageFile(picture, "TIFF"); break;
    case ExportGif: bytes = GifFile(picture); break;
    case ExportJpeg: bytes = JpegFile(picture, m_settings.JPEGCompression); break;
  }
  std::string error;
  const bool ok = !bytes.isEmpty() &&
                  common::ReplaceFileContent(file.toStdString(),
                                             {bytes.constData(), std::size_t(bytes.size())}, error);
  if (!ok)
    ShowErrorBox(QStringLiteral("Cannot write the file \"%1\".").arg(QFileInfo(file).fileName()));
  return ok;
}

void TFrmTesploreView::CopyToClipboard() {
  QClipboard* clipboard = QApplication::clipboard();
  if (!clipboard) {
    Services().ErrorBox(QStringLiteral("Failed to copy image to clipboard!"),
                        QStringLiteral("Tesplore"));
    return;
  }
  clipboard->setImage(m_image);
}

void TFrmTesploreView::PrintPlot(const QString& caption) {
  if (!m_document) return;
  TPrintSettings print = ReadPrintSettings(m_settingsPath);
  QString title = m_printTitle;
  std::unique_ptr<QPrinter> printer = Services().ChoosePrinter(print, title);
  WritePrintSettings(m_settingsPath, print);
  if (!printer) return;
  m_printTitle = title;
  if (OnPrintStatus) OnPrintStatus(QStringLiteral("Preparing to print..."));
  const TColorRecord saved = m_document->Colours();
  const TRect whole = m_whole, plot = m_plot;
  const bool grayscale = print.BW;
  bool failed = false;
  if (grayscale) ApplyGrayscalePrintSet(m_document->Colours());
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    printer->setDocName(caption);
    QPainter painter;
    if (!painter.begin(printer.get())) throw std::runtime_error("printer");
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    TRect w{print.HMargin, print.VMargin, page.width() - print.HMargin,
            page.height() - print.VMargin};
    TCanvas c(painter);
    QFont big = PlotFont(PlotFonts[1]);
    big.setPointSizeF(big.pointSizeF() * 2);
    c.SetFont(big);
    c.SetTextColour(m_document->Colours().clr[ClrText]);
    if (print.Flags & PrintTitle) {
      c.TextOut(w.left + (w.Width() - c.TextWidth(title)) / 2, w.top, title);
      w.top += c.TextHeight(title);
    }
    c.SetFont(PlotFonts[1]);
    if (print.Flags & (PrintPlotType | PrintSampleCount)) {
      static const char* const names[5] = {"Cobwebs", "Marginals", "Scatter", "Density",
                                           "Histogram"};
      QString line;
      const int type = std::clamp(m_document->m_plotType, 0, 4);
      if (print.Flags & PrintPlotType) line += QString::fromLatin1(names[type]);
      if ((print.Flags & PrintPlotType) && (print.Flags & PrintSampleCount))
        line += QStringLiteral(": ");
      if (print.Flags & PrintSampleCount) {
        const long long shown = type == PlotCobwebs || type == PlotMarginals
                                    ? m_document->CountSelected()
                                    : static_cast<long long>(m_document->m_numSamples);
        line += QStringLiteral("%1 samples of %2")
                    .arg(shown)
                    .arg(m_document->Samples().GetNumSamplesInFile());
      }
      c.TextOut(w.left + (w.Width() - c.TextWidth(line)) / 2, w.top, line);
      w.top += 2 * c.TextHeight(line);
    }
    const double s = (print.Flags & PrintToFit) ? 1.0 : print.Scale * 0.01;
    double fx = 1.0, fy = 1.0;
    if (print.Flags & PrintPreserveRatio) {
      const double m = std::max(m_image.width(), m_image.height());
      fx = m_image.width() / m;
      fy = m_image.height() / m;
    }
    fx *= s;
    fy *= s;
    const int dx = static_cast<int>(w.Width() * (1 - fx) * 0.5),
              dy = static_cast<int>(w.Height() * (1 - fy) * 0.5);
    w = TRect{w.left + dx, w.top + dy, w.right - dx, w.bottom - dy};
    m_whole = w;
    m_plot = PlotLayout(w, PlotFonts, printer.get());
    if (OnPrintStatus) OnPrintStatus(QStringLiteral("Printing..."));
    m_grayscale = grayscale;
    Render(false, &painter);
    m_grayscale = false;
    failed = !painter.end();
    if (OnPrintStatus) OnPrintStatus(QStringLiteral("Finished!"));
  } catch (...) {
    failed = true;
  }
  m_whole = whole;
  m_plot = plot;
  QApplication::restoreOverrideCursor();
  if (grayscale) m_document->Colours() = saved;
  if (OnPrintStatus) OnPrintStatus(QString());
  if (failed) Services().ErrorBox(QStringLiteral("Printing error."), QStringLiteral("Tesplore"));
  Render(true);
}
