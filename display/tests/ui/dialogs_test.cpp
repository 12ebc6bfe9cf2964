#include <QDateTime>
#include <QFile>

#include "plot_fixture.h"
#include "test_services.h"
#include "ui/about_box.h"
#include "ui/color_dialog.h"
#include "ui/export_dialog.h"
#include "ui/font_dialog.h"
#include "ui/interface_dialog.h"
#include "ui/print_dialog.h"
#include "ut/exception.h"
#include "ut/version.h"

namespace {

class DialogTest : public plots::PlotTest {
 protected:
  void SetUp() override {
    PlotTest::SetUp();
    SetServices(&services);
  }
  void TearDown() override { SetServices(nullptr); }
  TestServices services;
};

TEST_F(DialogTest, ExportOptionsChecksEveryFieldBeforeStoring) {
  TFrameSettings s;
  s.ImageWidth = 640;
  s.ImageHeight = 480;
  TFrmBitmapExport dialog(s, false, nullptr);
  EXPECT_EQ(dialog.windowTitle(), "Image export options");
  EXPECT_FALSE(dialog.Compression->isVisibleTo(&dialog));
  EXPECT_TRUE(dialog.Radio0->isChecked());
  EXPECT_FALSE(dialog.EdWidth->isEnabled());
  EXPECT_FALSE(dialog.Button1->isEnabled());

  // A preset fills both fields and leaves the radio buttons alone.
  dialog.PopupMenu1->actions()[3]->trigger();
  EXPECT_EQ(dialog.EdWidth->text(), "1024");
  EXPECT_EQ(dialog.EdHeight->text(), "768");
  EXPECT_TRUE(dialog.Radio0->isChecked());
  dialog.Radio1->click();
  EXPECT_TRUE(dialog.EdWidth->isEnabled());
  EXPECT_TRUE(dialog.Button1->isEnabled());

  dialog.Compression->setValue(75);
  EXPECT_EQ(dialog.Compression->toolTip(), "Quality: 75");

  struct Case {
    const char *width, *height, *box;
  };
  const Case bad[] = {
      {"1024", "7x", "Tesplore|'7x' is not a valid integer value"},
      {"abc", "768", "Tesplore|'abc' is not a valid integer value"},
      {"15", "768", "Tesplore|Width and height must lie between 16 and 10000."},
      {"1024", "10001", "Tesplore|Width and height must lie between 16 and 10000."},
  };
  for (const Case& c : bad) {
    services.boxes.clear();
    dialog.EdWidth->setText(c.width);
    dialog.EdHeight->setText(c.height);
    dialog.BitBtn1->click();
    EXPECT_EQ(services.boxes, QStringList{c.box}) << c.width << " " << c.height;
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(s.ImageWidth, 640);  // nothing stored
    EXPECT_FALSE(s.NotWindowSize);
  }
  dialog.EdWidth->setText("16");
  dialog.EdHeight->setText(" 10000");
  dialog.BitBtn1->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(s.NotWindowSize);
  EXPECT_EQ(s.ImageWidth, 16);
  EXPECT_EQ(s.ImageHeight, 10000);
  EXPECT_EQ(s.JPEGCompression, 75);

  TFrmBitmapExport jpeg(s, true, nullptr);
  EXPECT_TRUE(jpeg.Compression->isVisibleTo(&jpeg));
  EXPECT_TRUE(jpeg.Radio1->isChecked());
  EXPECT_EQ(jpeg.Compression->toolTip(), "Quality: 75");
}

TEST_F(DialogTest, PrintOptionsFlagsScaleAndMargins) {
  TPrintSettings s;
  s.Flags = 31;
  s.Scale = 40;
  s.HMargin = 7;
  QString title = QStringLiteral("model");
  TFrmPrint dialog(s, title, nullptr, nullptr);
  EXPECT_EQ(dialog.windowTitle(), "Print Options");
  for (int i = 0; i < 5; ++i)
    EXPECT_TRUE(dialog.Chk[static_cast<std::size_t>(i)]->isChecked()) << i;
  EXPECT_FALSE(dialog.Chk[5]->isChecked());
  EXPECT_EQ(dialog.Edit1->text(), "model");
  EXPECT_EQ(dialog.UpDown1->value(), 40);
  EXPECT_EQ(dialog.UpDown1->singleStep(), 5);
  // "To Fit" takes the scale away.
  EXPECT_FALSE(dialog.UpDown1->isEnabled());
  dialog.Chk[3]->click();
  EXPECT_TRUE(dialog.UpDown1->isEnabled());
  dialog.Chk[3]->click();
  EXPECT_FALSE(dialog.UpDown1->isEnabled());

  dialog.Chk[0]->click();
  dialog.Chk[1]->click();
  dialog.Chk[5]->click();
  dialog.Edit1->setText("Run 3");
  // A bad margin stores nothing, not even the fields before it.
  dialog.Edit2->setText("12");
  dialog.Edit3->setText("1.5");
  dialog.BitBtn1->click();
  EXPECT_EQ(services.boxes, QStringList{"Tesplore|'1.5' is not a valid integer value"});
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(s.Flags, 31);
  EXPECT_EQ(s.HMargin, 7);
  EXPECT_EQ(title, "model");

  dialog.Edit3->setText("20");
  dialog.BitBtn1->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(s.Flags, 28);
  EXPECT_EQ(s.HMargin, 12);
  EXPECT_EQ(s.VMargin, 20);
  EXPECT_TRUE(s.BW);
  EXPECT_EQ(s.Scale, 40);
  EXPECT_EQ(title, "Run 3");
}

TEST_F(DialogTest, FontDialogShowsChangesAndCancelRestores) {
  QFont fonts[2] = {QFont(QStringLiteral("DejaVu Sans"), 8),
                    QFont(QStringLiteral("DejaVu Serif"), 9)};
  int redraws = 0;
  TFrmFont dialog(
      fonts, [&] { ++redraws; }, nullptr);
  EXPECT_EQ(dialog.windowTitle(), "Labels");
  EXPECT_EQ(dialog.Label1->text(), "DejaVu Sans, 8");
  EXPECT_EQ(dialog.Label2->text(), "DejaVu Serif, 9");

  dialog.Labels->click();  // the font dialog cancelled: nothing changes
  EXPECT_EQ(services.fontsAsked, QStringList{"DejaVu Sans"});
  EXPECT_EQ(redraws, 0);
  services.fontAnswer = true;
  services.font = QFont(QStringLiteral("DejaVu Sans Mono"), 14);
  dialog.Labels->click();
  EXPECT_EQ(dialog.Label1->text(), "DejaVu Sans Mono, 14");
  EXPECT_EQ(fonts[0].family(), "DejaVu Sans Mono");
  EXPECT_EQ(redraws, 1);
  dialog.Variables->click();
  EXPECT_EQ(dialog.Label2->text(), "DejaVu Sans Mono, 14");

  dialog.BitBtn2->click();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(fonts[0], QFont(QStringLiteral("DejaVu Sans"), 8));
  EXPECT_EQ(fonts[1], QFont(QStringLiteral("DejaVu Serif"), 9));
  EXPECT_EQ(redraws, 3);

  // "Default": both take the dialog's own font; Accept keeps them.
  TFrmFont again(fonts, nullptr, nullptr);
  again.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
  again.Button2->click();
  EXPECT_EQ(again.Label1->text(), "DejaVu Sans, 11");
  EXPECT_EQ(again.Label2->text(), "DejaVu Sans, 11");
  again.BitBtn1->click();
  EXPECT_EQ(fonts[1].pointSize(), 11);
}

TEST_F(DialogTest, InterfaceSettingsDefaultCancelAndAccept) {
  std::int32_t threshold = 9, undo = 40;
  {
    TFrmInterfaceSettings dialog(threshold, undo, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Interace settings");
    EXPECT_EQ(dialog.UpDown1->value(), 9);
    EXPECT_EQ(dialog.UpDown2->value(), 40);
    dialog.Button2->click();
    EXPECT_EQ(dialog.UpDown1->value(), 5);
    EXPECT_EQ(dialog.UpDown2->value(), 13);
    dialog.BitBtn2->click();
  }
  EXPECT_EQ(threshold, 9);
  EXPECT_EQ(undo, 40);
  TFrmInterfaceSettings dialog(threshold, undo, nullptr);
  dialog.UpDown1->setValue(150);  // the arrows stop at 100
  dialog.UpDown2->setValue(0);
  dialog.BitBtn1->click();
  EXPECT_EQ(threshold, 100);
  EXPECT_EQ(undo, 0);
}

TEST_F(DialogTest, AboutBoxVersionAndBuildTime) {
  const std::string exe = dir.Write("prog", std::string("\x7f"
                                                        "ELF....") +
                                                ut::kVersionMarker + std::string("2.3.0.0") +
                                                std::string(1, '\0') + "tail");
  QFile file(QString::fromStdString(exe));
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2025, 3, 3), QTime(14, 5)),
                               QFileDevice::FileModificationTime));
  file.close();
  TFrmAbout about(nullptr, QString::fromStdString(exe),
                  QLocale(QLocale::English, QLocale::UnitedKingdom));
  EXPECT_EQ(about.windowTitle(), "About Tesplore");
  EXPECT_EQ(about.m_lblAppNameVersion->text(), "Tesplore  2.3");
  EXPECT_EQ(about.Label2->text(), "Part of the Tesmira software suite");
  EXPECT_EQ(about.lblCompiled->text(), "Built on Monday 3 of March 2025, 14:05");

  const std::string bare = dir.Write("bare", "no marker here");
  try {
    TFrmAbout none(nullptr, QString::fromStdString(bare));
    ADD_FAILURE() << "an about box without a version";
  } catch (const ut::Exception& e) {
    EXPECT_EQ(e.message(), "The application exe file does not contain version information");
    EXPECT_EQ(e.function_name(), "GetAppVersion");
  }
}

class ColorDialogTest : public DialogTest {
 protected:
  std::unique_ptr<TTFrmColor> Dialog() {
    record = ColorPreset(PresetDefaultColor);
    record.clr[9] = 0x123456;
    return std::make_unique<TTFrmColor>(record, [this] { ++redraws; });
  }
  static QStringList Captions(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
  }
  TColorRecord record;
  int redraws = 0;
};

TEST_F(ColorDialogTest, ListsPagesAndLevelCaptions) {
  auto dialog = Dialog();
  ASSERT_EQ(dialog->ListView1->count(), 20);
  ASSERT_EQ(dialog->ListView2->count(), 20);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(TTFrmColor::ItemColor(dialog->ListView1->item(i)), record.val[i]) << i;
    EXPECT_EQ(TTFrmColor::ItemColor(dialog->ListView2->item(i)), record.var[i]) << i;
  }
  EXPECT_EQ(dialog->ListView2->item(7)->text(), "# 7");
  EXPECT_EQ(dialog->PageControl1->tabText(3), "Density && Histogram");
  for (int i = 0; i < 9; ++i) EXPECT_EQ(dialog->PanelColor(i), record.clr[i]) << i;
  EXPECT_FALSE(dialog->Panel[5]->isVisibleTo(dialog.get()));
  dialog->ShowPage(PlotHistogram);
  EXPECT_EQ(dialog->PageControl1->currentIndex(), 3);
  dialog->ShowPage(PlotScatter);
  EXPECT_EQ(dialog->PageControl1->currentIndex(), 2);

  const QLocale saved;
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(Captions(dialog->ListView1).mid(0, 5),
            (QStringList{"0.00 - 0.25", "0.25 - 0.50", "0.50 - 0.75", "0.75 - 1.00", "not used"}));
  dialog->TrackBar1->setValue(3);
  EXPECT_EQ(Captions(dialog->ListView1).mid(0, 4),
            (QStringList{"0.00 - 0.33", "0.33 - 0.67", "0.67 - 1.00", "not used"}));
  EXPECT_EQ(record.ColormapSize, 3);
  dialog->TrackBar2->setValue(4);
  EXPECT_EQ(record.ScattDot, 4);
  QLocale::setDefault(saved);
}

TEST_F(ColorDialogTest, SwatchesSwapAndColoursChosen) {
  auto dialog = Dialog();
  const TColorRecord before = record;
  // A drop of swatch 0 on swatch 5 exchanges them and shows at once.
  dialog->ListView1->setCurrentRow(0);
  dialog->ListDragDrop(dialog->ListView1, 5);
  EXPECT_EQ(record.val[0], before.val[5]);
  EXPECT_EQ(record.val[5], before.val[0]);
  EXPECT_EQ(TTFrmColor::ItemColor(dialog->ListView1->item(0)), before.val[5]);
  EXPECT_EQ(record.var[0], before.var[0]);

  // Double-click: the chosen colour; a cancelled choice keeps the swatch.
  dialog->ListView2->setCurrentRow(2);
  dialog->ListDblClick(dialog->ListView2);
  EXPECT_EQ(record.var[2], before.var[2]);
  services.colour = QColor(0x12, 0x34, 0x56);
  dialog->ListDblClick(dialog->ListView2);
  EXPECT_EQ(record.var[2], 0x563412);

  // Element panels: the tag's element only; element 9 is never touched.
  services.colour = QColor(0xff, 0, 0);
  dialog->Panel[7]->click();
  EXPECT_EQ(record.clr[7], 0x0000ff);
  EXPECT_EQ(dialog->PanelColor(7), 0x0000ff);
  dialog->PresetColors->actions()[1]->trigger();  // Default Grayscale
  const TColorRecord gray = ColorPreset(PresetDefaultGrayscale);
  EXPECT_TRUE(std::equal(gray.Values(), gray.Values() + 41, record.Values()));
  EXPECT_TRUE(std::equal(gray.clr, gray.clr + 9, record.clr));
  EXPECT_EQ(record.clr[9], 0x123456);
  EXPECT_GE(redraws, 4);

  // Cancel puts back the record the dialog opened with.
  dialog->BitBtn2->click();
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(record, before);
  EXPECT_EQ(dialog->PresetColors->actions().size(), 4);
  EXPECT_FALSE(dialog->PresetColors->actions()[2]->isVisible());
}

TEST_F(ColorDialogTest, PaletteFilesRoundTripAndOutOfRangeLevels) {
  auto dialog = Dialog();
  dialog->TrackBar1->setValue(7);
  dialog->TrackBar2->setValue(3);
  services.colour = QColor(1, 2, 3);
  dialog->ListView1->setCurrentRow(4);
  dialog->ListDblClick(dialog->ListView1);
  dialog->Panel[0]->click();
  const TColorRecord saved = record;
  services.save = QString::fromStdString(dir.File("set.pal"));
  dialog->Button3->click();
  dialog->PresetColors->actions()[1]->trigger();
  ASSERT_NE(record, saved);
  services.open = services.save;
  dialog->Button4->click();
  EXPECT_EQ(record, saved);
  EXPECT_EQ(dialog->TrackBar1->value(), 7);
  EXPECT_EQ(dialog->TrackBar2->value(), 3);

  // Levels and dot size outside 1 ... 20 load as 1.
  std::string text = "1.000000\r\n25\r\n0\r\n";
  for (int i = 0; i < 49; ++i) text += "0000FF\r\n";
  services.open = QString::fromStdString(dir.Write("bad.pal", text));
  dialog->Button4->click();
  EXPECT_EQ(record.ColormapSize, 1);
  EXPECT_EQ(record.ScattDot, 1);
  EXPECT_EQ(record.val[19], 0x0000ff);
  EXPECT_EQ(record.clr[8], 0x0000ff);
  EXPECT_EQ(record.clr[9], 0x123456);

  // A missing file changes nothing.
  const TColorRecord now = record;
  services.open = QString::fromStdString(dir.File("none.pal"));
  dialog->Button4->click();
  EXPECT_EQ(record, now);
}

}  // namespace
