#include <QClipboard>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <filesystem>
#include <set>
#include <string>

#include "plot_fixture.h"
#include "test_services.h"
#include "ui/tesplore_view.h"

namespace {

class ExportTest : public plots::PlotTest {
 protected:
  void SetUp() override {
    PlotTest::SetUp();
    SetServices(&services);
    doc = Doc({"a", "b", "c"},
              {plots::Spread(300, 0, 1), plots::Spread(300, 5, 9), plots::Spread(300, -1, 1)});
    frame = std::make_unique<TFrmTesploreView>(nullptr, dir.File("f.INI"));
    frame->SetDocument(doc.get());
    frame->resize(640, 480);
    frame->SetImageSize(640, 480);
    frame->Render(false);
  }
  void TearDown() override { SetServices(nullptr); }
  QString Path(const char* name) { return QString::fromStdString(dir.File(name)); }
  static QByteArray Bytes(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }

  TestServices services;
  std::unique_ptr<SampleDataView> doc;
  std::unique_ptr<TFrmTesploreView> frame;
};

TEST_F(ExportTest, BitmapsAreEightBitWithThePaletteAtTheExportSize) {
  const TPalette palette = BuildPalette(colors);
  for (const char* name : {"PLOT.BMP", "plot"}) {
    ASSERT_TRUE(frame->ExportImage(Path(name))) << name;
    QImageReader reader(Path(name), "BMP");
    const QImage img = reader.read();
    ASSERT_FALSE(img.isNull()) << name;
    EXPECT_EQ(img.format(), QImage::Format_Indexed8) << name;
    EXPECT_EQ(img.size(), QSize(800, 600)) << name;  // also without "User defined"
    ASSERT_EQ(img.colorTable().size(), 256);
    for (int i = 0; i < PaletteOwn; ++i)
      EXPECT_EQ(img.colorTable()[i], palette[static_cast<std::size_t>(i)]) << i;
  }
  EXPECT_EQ(frame->Image().size(), QSize(640, 480));  // the screen picture comes back

  doc->m_plotType = PlotScatter;
  frame->Render(false);
  ASSERT_TRUE(frame->ExportImage(Path("s.bmp")));
  EXPECT_EQ(QImage(Path("s.bmp")).size(), QSize(800, 600));
  // 24 bits per pixel in the file header.
  const QByteArray bytes = Bytes(Path("s.bmp"));
  ASSERT_GT(bytes.size(), 30);
  EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);

  services.exportAnswer = false;
  EXPECT_FALSE(frame->ExportImage(Path("no.bmp")));
  EXPECT_FALSE(QFile::exists(Path("no.bmp")));
}

TEST_F(ExportTest, OtherFormatsReadBackAsThePicture) {
  const QImage picture = frame->Image().convertToFormat(QImage::Format_RGB32);
  for (const char* name : {"p.png", "p.gif"}) {
    ASSERT_TRUE(frame->ExportImage(Path(name))) << name;
    const QImage back = QImage(Path(name)).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(back, picture) << name;  // the window's size, every pixel
  }
  ASSERT_TRUE(frame->ExportImage(Path("p.tif")));
  const QImage tif = QImage(Path("p.tif"));
  ASSERT_FALSE(tif.isNull());
  EXPECT_EQ(tif.size(), QSize(800, 600));

  services.quality = 90;
  ASSERT_TRUE(frame->ExportImage(Path("q90.jpg")));
  services.quality = 10;
  ASSERT_TRUE(frame->ExportImage(Path("q10.jpeg")));
  const QByteArray j90 = Bytes(Path("q90.jpg")), j10 = Bytes(Path("q10.jpeg"));
  ASSERT_GT(j10.size(), 2);
  EXPECT_EQ(static_cast<unsigned char>(j10[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(j10[1]), 0xD8);
  EXPECT_LT(j10.size(), j90.size());
  EXPECT_EQ(QImage(Path("q10.jpeg")).size(), QSize(640, 480));
  // Decoded, a higher quality stays closer to the plot (mean channel error;
  // one-pixel coloured lines lose colour to chroma subsampling even at 90).
  auto error = [&](const char* name) {
    const QImage j = QImage(Path(name)).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(j.size(), picture.size());
    double sum = 0;
    for (int y = 0; y < j.height(); ++y) {
      for (int x = 0; x < j.width(); ++x) {
        const QRgb a = j.pixel(x, y), b = picture.pixel(x, y);
        sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
               std::abs(qBlue(a) - qBlue(b));
      }
    }
    return sum / (3.0 * j.width() * j.height());
  };
  const double e90 = error("q90.jpg"), e10 = error("q10.jpeg");
  EXPECT_LT(e90, 16.0);
  EXPECT_LT(e90, e10);
  services.boxes.clear();
  EXPECT_FALSE(frame->ExportImage(Path("missing/q.jpg")));
  EXPECT_EQ(services.boxes.size(), 1);
  EXPECT_EQ(services.exportAsked.back(), true);

  // A scatter plot of more colours than a GIF holds still reads back.
  doc->m_plotType = PlotScatter;
  frame->Render(false);
  ASSERT_TRUE(frame->ExportImage(Path("s.gif")));
  EXPECT_EQ(QImage(Path("s.gif")).size(), QSize(640, 480));
}

TEST_F(ExportTest, EveryFormatReplacesItsTargetOnlyWhenWhole) {
  const auto names = [&] {
    std::set<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      found.insert(e.path().filename().string());
    return found;
  };
  const std::set<std::string> before = names();
  for (const char* name : {"r.bmp", "r.png", "r.tif", "r.gif", "r.jpg"}) {
    // An older file of the name is replaced by a whole picture.
    dir.Write(name, "old");
    ASSERT_TRUE(frame->ExportImage(Path(name))) << name;
    EXPECT_FALSE(QImage(Path(name)).isNull()) << name;
    // A target that cannot be replaced (a folder) stays, with the error box.
    const std::string folder = std::string("d") + name;
    std::filesystem::create_directories(dir.path() / folder / "x");
    services.boxes.clear();
    EXPECT_FALSE(frame->ExportImage(Path(folder.c_str()))) << name;
    EXPECT_EQ(services.boxes.size(), 1) << name;
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / folder / "x")) << name;
  }
  // Nothing but the targets is left beside them.
  std::set<std::string> expected = before;
  for (const char* name : {"r.bmp", "r.png", "r.tif", "r.gif", "r.jpg"}) {
    expected.insert(name);
    expected.insert(std::string("d") + name);
  }
  EXPECT_EQ(names(), expected);
}

TEST_F(ExportTest, ClipboardHoldsThePicture) {
  frame->CopyToClipboard();
  EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
            frame->Image().convertToFormat(QImage::Format_RGB32));
}

TEST_F(ExportTest, PrintingToPdf) {
  services.pdf = Path("page.pdf");
  services.print.Flags = 1 | 2 | 4 | 8;
  services.print.BW = true;
  const TColorRecord before = colors;
  frame->PrintPlot("Tesplore - t [Cobwebs]");
  EXPECT_TRUE(services.boxes.isEmpty()) << services.boxes.join(";").toStdString();
  EXPECT_EQ(colors, before);  // the screen colours come back
  EXPECT_GT(Bytes(services.pdf).size(), 1000);
  EXPECT_EQ(frame->PlotRect(),
            PlotLayout(TRect{0, 0, 640, 480}, PlotFonts, const_cast<QImage*>(&frame->Image())));
  // Rasterised, the page shows only grays.
  QProcess ppm;
  ppm.start("pdftoppm", {"-r", "30", "-png", "-singlefile", services.pdf, Path("page")});
  if (ppm.waitForFinished(30000) && ppm.exitCode() == 0) {
    const QImage page(Path("page.png"));
    ASSERT_FALSE(page.isNull());
    int colourful = 0;
    for (int y = 0; y < page.height(); ++y) {
      for (int x = 0; x < page.width(); ++x) {
        const QRgb p = page.pixel(x, y);
        colourful +=
            std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)}) > 8;
      }
    }
    EXPECT_EQ(colourful, 0);
  }
  // A printer that cannot be written: the error box, the screen restored.
  services.pdf = Path("no/such/dir/page.pdf");
  frame->PrintPlot("x");
  EXPECT_EQ(services.boxes, QStringList{"Tesplore|Printing error."});
  EXPECT_EQ(frame->WholeRect(), (TRect{0, 0, 640, 480}));
}

TEST_F(ExportTest, CancelledPrintStillWritesThePrintSection) {
  const std::string ini = dir.File("f.INI");
  QFile::remove(QString::fromStdString(ini));
  frame->PrintPlot("x");  // the print options cancelled
  const TPrintSettings read = ReadPrintSettings(ini);
  EXPECT_EQ(read.Flags, 15);
  EXPECT_EQ(read.Scale, 90);
  EXPECT_TRUE(Bytes(QString::fromStdString(ini)).contains("[Print]"));
  EXPECT_TRUE(services.boxes.isEmpty());
}

TEST_F(ExportTest, PictureRowsSpreadOverTheCacheSets) {
  // Rows of an odd number of 64-byte lines, also after the clipboard shared
  // the picture and at the widths whose plain rows are 4096 bytes long.
  for (int w : {640, 1023, 1024, 2048}) {
    frame->SetImageSize(w, 300);
    frame->CopyToClipboard();
    frame->Render(false);
    const QImage& picture = frame->Image();
    EXPECT_EQ(picture.width(), w);
    EXPECT_GE(picture.bytesPerLine(), 4 * w);
    EXPECT_EQ(picture.bytesPerLine() % 128, 64) << w;
  }
}

}  // namespace
