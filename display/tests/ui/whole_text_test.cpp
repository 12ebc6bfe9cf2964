// The main window and every dialog at their default sizes show every label,
// button and group title whole, and fit a 1280 x 860 screen.
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

#include "main_window_fixture.h"
#include "ui/about_box.h"
#include "ui/color_dialog.h"
#include "ui/export_dialog.h"
#include "ui/font_dialog.h"
#include "ui/interface_dialog.h"
#include "ui/picker_dialog.h"
#include "ui/print_dialog.h"

namespace {

// The text as shown: without the mnemonic marks.
QString Shown(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return text;
}

int Widest(const QFontMetrics& fm, const QString& text) {
  int w = 0;
  for (const QString& line : text.split(QLatin1Char('\n')))
    w = std::max(w, fm.horizontalAdvance(line));
  return w;
}

// The visible texts of window narrower than their texts, one line each.
QStringList CutTexts(QWidget& window) {
  QStringList cut;
  auto check = [&](QWidget* w, const QString& text, int room) {
    const int need = Widest(w->fontMetrics(), Shown(text));
    if (!text.isEmpty() && room < need) {
      cut << QStringLiteral("%1 \"%2\": %3 < %4")
                 .arg(window.windowTitle(), Shown(text))
                 .arg(room)
                 .arg(need);
    }
  };
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (!w->isVisible()) continue;
    if (auto* label = qobject_cast<QLabel*>(w)) {
      if (!label->wordWrap() && label->pixmap().isNull())
        check(label, label->text(), label->contentsRect().width() - 2 * label->margin());
    } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
      check(box, box->title(), box->width());
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      auto* tool = qobject_cast<QToolButton*>(w);
      if (tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull())
        continue;  // a picture with the caption as its tip
      int room = button->width();
      if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
        room -= w->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
                w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
      } else if (qobject_cast<QPushButton*>(w)) {
        room -= 2 * w->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w);
      }
      check(button, button->text(), room);
    }
  }
  const QSize size = window.frameGeometry().size();
  if (size.width() > 1280 || size.height() > 860) {
    cut << QStringLiteral("%1 is %2 x %3")
               .arg(window.windowTitle())
               .arg(size.width())
               .arg(size.height());
  }
  return cut;
}

QStringList Shown(QWidget& window) {
  window.show();
  QApplication::processEvents();
  QStringList cut = CutTexts(window);
  window.hide();
  return cut;
}

// Everything the program shows, in the font given.
QStringList CutTextsOfEveryWindow(const QString& samples) {
  QStringList cut;
  {
    TFrmTesplore window;
    window.show();
    QApplication::processEvents();
    cut << CutTexts(window);
    window.LoadAndShowSampleFile(samples);
    for (QAction* plot : window.m_actPlot) {
      plot->trigger();
      QApplication::processEvents();
      cut << CutTexts(window);
    }
    window.chkCrossDensity->click();
    window.m_actPlot[PlotCobwebs]->trigger();
    QApplication::processEvents();
    cut << CutTexts(window);
  }
  TColorRecord colours = ColorPreset(PresetDefaultColor);
  TTFrmColor colour(colours, [] {});
  for (int page = 0; page < colour.PageControl1->count(); ++page) {
    colour.PageControl1->setCurrentIndex(page);
    cut << Shown(colour);
  }
  QFont fonts[2] = {PlotFonts[0], PlotFonts[1]};
  TFrmFont font(fonts, [] {});
  cut << Shown(font);
  std::int32_t threshold = 5, undo = 13;
  TFrmInterfaceSettings interface(threshold, undo);
  cut << Shown(interface);
  TFrmAbout about;
  cut << Shown(about);
  TFrameSettings frame;
  for (bool jpeg : {false, true}) {
    TFrmBitmapExport exportOptions(frame, jpeg);
    cut << Shown(exportOptions);
  }
  TPrintSettings print;
  QString title = QStringLiteral("model");
  QPrinter printer;
  TFrmPrint printOptions(print, title, &printer);
  cut << Shown(printOptions);
  TFrmTesploreRandVarPicker picker;
  cut << Shown(picker);
  return cut;
}

// In the platform's font and in the wider ones of Debian's desktops.
TEST_F(MainWindowTest, EveryTextShowsWhole) {
  const QString samples = Samples("m.sae", 3, 300);
  const QFont platform = QApplication::font();
  for (int points : {0, 10, 11}) {
    if (points > 0) QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), points));
    const QStringList cut = CutTextsOfEveryWindow(samples);
    EXPECT_TRUE(cut.isEmpty()) << points << " pt:\n" << cut.join('\n').toStdString();
  }
  QApplication::setFont(platform);
}

}  // namespace
