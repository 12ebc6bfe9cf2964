// What a user reads at the default sizes: every visible label, button, check
// box and group title as wide as its text, no window larger than 1280 x 860.
#include <gtest/gtest.h>

#include <QtCore/QFile>
#include <QtGui/QTextDocument>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QStyle>

#include "about_box.h"
#include "options_dialog.h"
#include "ui_test_support.h"
#include "var_picker.h"

namespace tesvane {
namespace {

using test::TWindowFixture;

QString Shown(QString text) {
  text.replace("&&", "\x01");
  text.remove('&');
  return text.replace("\x01", "&");
}

int TextWidth(const QFontMetrics& fm, const QString& text) {
  int width = 0;
  for (const QString& line : text.split('\n')) width = std::max(width, fm.horizontalAdvance(line));
  return width;
}

// The visible widgets of `window` whose text is wider than they are.
std::vector<std::string> CutTexts(QWidget& window) {
  std::vector<std::string> cut;
  auto report = [&](QWidget* w, const QString& text, int room, int need) {
    if (room < need)
      cut.push_back(w->metaObject()->className() + std::string(" \"") + text.toStdString() + "\" " +
                    std::to_string(room) + " < " + std::to_string(need));
  };
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (!w->isVisible() || w->width() <= 0) continue;
    QStyle* style = w->style();
    if (auto* label = qobject_cast<QLabel*>(w)) {
      const QString text = label->text();
      if (text.isEmpty() || label->wordWrap() || Qt::mightBeRichText(text)) continue;
      const int room = label->contentsRect().width() - 2 * label->margin();
      report(w, text, room, TextWidth(label->fontMetrics(), text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      const QString text = Shown(button->text());
      if (text.isEmpty()) continue;
      int extra = 0;
      if (qobject_cast<QCheckBox*>(w))
        extra = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
                style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
      else if (qobject_cast<QRadioButton*>(w))
        extra = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
                style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w);
      if (!button->icon().isNull()) extra += button->iconSize().width() + 4;
      report(w, text, button->width() - extra, TextWidth(button->fontMetrics(), text));
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
      const QString title = Shown(group->title());
      if (title.isEmpty()) continue;
      report(w, title, group->width(), TextWidth(group->fontMetrics(), title));
    }
  }
  return cut;
}

void ExpectWhole(QWidget& window, const char* name) {
  SCOPED_TRACE(name);
  QCoreApplication::processEvents();
  EXPECT_LE(window.frameGeometry().width(), 1280);
  EXPECT_LE(window.frameGeometry().height(), 860);
  const std::vector<std::string> cut = CutTexts(window);
  EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);
}

class WholeTextTest : public TWindowFixture {};

TEST_F(WholeTextTest, MainWindowAndDialogsShowTheirTextsWhole) {
  TFormTesvaneMain& w = Start();
  EXPECT_EQ(w.size(), QSize(800, 650));
  ExpectWhole(w, "main window, no file");
  w.PageControl1->setCurrentIndex(1);
  ExpectWhole(w, "details page, no file");

  // A file with a run: the variable names and results shown.
  w.OpenSampleFile(QString(TESVANE_TEST_DATA) + "/fixture.sae");
  Check(w.cklstConditioned, 0);
  for (int b : {1, 3, 4}) Check(w.cklstConditioning, b);
  w.PageControl1->setCurrentIndex(0);
  RunAndWait();
  ExpectWhole(w, "main window, results");
  w.PageControl1->setCurrentIndex(1);
  ExpectWhole(w, "details page, results");

  // A long name ends in "..." with the whole name as tooltip.
  const QString longName = QString(60, 'n');
  w.lblPredicted->SetFullText(longName);
  QCoreApplication::processEvents();
  EXPECT_TRUE(w.lblPredicted->text().endsWith("...")) << w.lblPredicted->text().toStdString();
  EXPECT_EQ(w.lblPredicted->toolTip(), longName);
  ExpectWhole(w, "details page, long name");

  // A long file name, cut with "...", its path as tooltip.
  const QString longFile = QString::fromStdString(Folder()) + "/" + QString(80, 'f') + ".sae";
  QFile::copy(QString(TESVANE_TEST_DATA) + "/fixture.sae", longFile);
  w.OpenSampleFile(longFile);
  QCoreApplication::processEvents();
  EXPECT_TRUE(w.lblFileName->text().endsWith("...")) << w.lblFileName->text().toStdString();
  EXPECT_EQ(w.lblFileName->toolTip(), longFile);
  ExpectWhole(w, "main window, long file name");

  TPagesDlg options(1, 10, &w);
  options.show();
  ExpectWhole(options, "options");
  TAboutBox about(&w);
  about.show();
  ExpectWhole(about, "about box");
  // A tool window with only a close button in its title bar.
  const Qt::WindowFlags flags = about.windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                        Qt::WindowContextHelpButtonHint));
  TRandVarPickerForm picker(&w);
  TRandVarList vars;
  for (int i = 0; i < 5; ++i)
    vars.Add(std::make_shared<TRandomVariable>(i, "variable" + std::to_string(i), "", 1, 0, ""));
  picker.InitPicker(vars, 3);
  picker.show();
  ExpectWhole(picker, "variable picker");
}

}  // namespace
}  // namespace tesvane
