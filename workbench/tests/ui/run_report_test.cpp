// The Run and Report commands on the main window: menus, toolbar, shortcuts,
// the report dialog with its format and font dialogs, and printing.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextTable>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "dependence_panel.h"
#include "font_dialog.h"
#include "format_dialog.h"
#include "ini_file.h"
#include "report_dialog.h"
#include "report_printer.h"
#include "run_commands.h"
#include "simulation_dialog.h"
#include "tesmira/simulation.h"
#include "utilities.h"
#include "window_fixture.h"

namespace tesmira::wb::test {
namespace {

struct FakeStarter : IProgramStarter {
  std::vector<std::pair<std::string, std::vector<std::string>>> started;
  bool StartProgram(const std::string& program, const std::vector<std::string>& args) override {
    started.emplace_back(program, args);
    return true;
  }
  std::vector<std::string> opened;
  bool OpenDocument(const std::string& path) override {
    opened.push_back(path);
    return false;  // no application for the format
  }
  std::string FindExecutable(const std::string&) override { return ""; }
};

QAction* Find(QMenu* menu, const QString& text) {
  for (QAction* a : menu->actions()) {
    if (a->text() == text) return a;
    if (a->menu())
      if (QAction* inner = Find(a->menu(), text)) return inner;
  }
  return nullptr;
}

int PdfPages(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  const std::string pdf = s.str();
  int pages = 0;
  for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos;
       at = pdf.find("/Type /Page", at + 1))
    if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
  return pages;
}

class RunReportTest : public WindowTest {
 protected:
  TFrmTesmiraMain& OpenModel(const std::string& name = "m.tsm") {
    const std::string file = WriteModel(name, {"a", "b", "c"}, {{"f", "a+b"}, {"g", "b*c"}});
    auto& w = Open();
    w.OpenGivenFile(file);
    run = w.findChild<TRunCommands*>();
    starter = new FakeStarter;
    run->Starter.reset(starter);
    run->ExecSimulation = [this](TFrmSimulation&) {
      ++simulations;
      return 1;
    };
    run->ExecReport = [this](TFrmReport&) {
      ++reports;
      return 0;
    };
    run->ChoosePrinter = [this](QPrinter& p) {
      ++printDialogs;
      p.setOutputFormat(QPrinter::PdfFormat);
      p.setOutputFileName(QString::fromStdString(Path("out.pdf")));
      return true;
    };
    return w;
  }
  // A run of the open model, so that the report has data.
  void RunModel() {
    SyncNodes();
    TRunRequest r = DefaultRunRequest;
    r.runs = 1;
    r.options = 0;
    ASSERT_EQ(Run_simul(&r), RunCompleted);
    wb_().ReportAvailable = true;
  }
  TWorkbench& wb_() { return win->Workbench(); }

  TRunCommands* run = nullptr;
  FakeStarter* starter = nullptr;
  int simulations = 0, reports = 0, printDialogs = 0;
};

TEST_F(RunReportTest, EveryCommandIsReachableWithItsShortcut) {
  auto& w = OpenModel();
  w.show();
  EXPECT_EQ(run->mitSimulate->shortcut(), QKeySequence(Qt::Key_F12));
  run->mitSimulate->trigger();
  EXPECT_EQ(simulations, 1);
  run->mitModelRun->trigger();
  w.toolRun->trigger();
  EXPECT_EQ(simulations, 3);
  EXPECT_EQ(w.toolRun->objectName(), "toolRun");
  EXPECT_TRUE(w.tbMain->actions().contains(w.toolRun));
  EXPECT_TRUE(w.tbMain->actions().contains(w.toolRep));

  // Report commands follow ReportAvailable and the visible panel.
  w.mnuReport->aboutToShow();
  EXPECT_FALSE(run->mitReportGen->isEnabled());
  EXPECT_FALSE(w.toolRep->isEnabled());
  RunModel();
  w.mnuReport->aboutToShow();
  EXPECT_TRUE(run->mitReportGen->isEnabled());
  EXPECT_TRUE(run->mitReportView->isEnabled());
  EXPECT_FALSE(run->mitReportPrint->isEnabled());
  run->mitReportGen->trigger();
  EXPECT_EQ(reports, 1);
  w.toolRep->trigger();
  EXPECT_EQ(w.VisiblePanel(), PanelReport);
  EXPECT_TRUE(w.toolRep->isChecked());  // pressed while the report is shown
  w.mnuReport->aboutToShow();
  EXPECT_TRUE(run->mitReportPrint->isEnabled());
  EXPECT_TRUE(run->mitReportSaveAs->isEnabled());

  w.richReport->setPlainText("page 1\n\fpage 2\n\fpage 3");
  w.ReportTag = 1;
  EXPECT_EQ(run->mitFilePrint->shortcut(), QKeySequence("Ctrl+P"));
  run->mitFilePrint->trigger();
  EXPECT_EQ(printDialogs, 1);
  EXPECT_EQ(PdfPages(Path("out.pdf")), 3);

  QStringList pop;
  for (QAction* a : run->popRichReport->actions())
    if (!a->isSeparator()) pop << a->text();
  EXPECT_EQ(pop,
            QStringList({"Cut", "Copy", "Paste", "Delete", "Select All", "Word Wrap", "Print..."}));
  run->mitRepWrap->setChecked(true);
  run->mitRepWrap->trigger();  // toggles back off
  EXPECT_EQ(w.richReport->lineWrapMode(), QTextEdit::NoWrap);

  EXPECT_EQ(Find(w.mnuDependence, "Bayesian Belief Net"), run->mitNewBbn);
  EXPECT_NE(run->mitExportBbn, nullptr);
  EXPECT_EQ(w.mnuRun->actions().front(), run->mitSimulate);
  EXPECT_NE(Find(w.mnuRun, "&Tesplore"), nullptr);
  EXPECT_NE(Find(w.mnuRun, "Tesvane"), nullptr);
}

TEST_F(RunReportTest, VariableListShowsTheSavedDescriptionsDuringTheDialog) {
  auto& w = OpenModel();
  TExtendedRandomVariable* a = Fetch_extended_random_variable(0, "a");
  SetShortString(a->description, "before");
  std::string shown;
  run->ExecSimulation = [&](TFrmSimulation&) {
    SetShortString(a->description, "during");
    shown = w.listVar->model()->index(0, 3).data().toString().toStdString();
    return 1;
  };
  w.ChangePanel(PanelVariables);
  run->mitSimulate->trigger();
  EXPECT_EQ(shown, "before");
  EXPECT_EQ(ShortStringView(a->description), "before");
}

TEST_F(RunReportTest, ContentListGreysSubsectionsAndWarnsAboutAnEmptyModel) {
  OpenModel();
  RunModel();
  TFrmReport& d = run->ReportDialog();
  d.PrepareReportDialog();
  int data = -1;
  for (int i = 0; i < d.chkContent->count(); ++i)
    if (d.chkContent->item(i)->text().endsWith("Simulaton Data And Results")) data = i;
  ASSERT_GE(data, 0);
  EXPECT_EQ(d.chkContent->item(data)->text().toStdString(), "  5. Simulaton Data And Results");
  d.chkContent->item(data)->setCheckState(Qt::Unchecked);
  EXPECT_EQ(d.chkContent->item(data)->text().toStdString(), "  ... Simulaton Data And Results");
  for (int i = data + 1; i < d.chkContent->count(); ++i) {
    EXPECT_EQ(d.chkContent->item(i)->text().indexOf("    ... "), 0)
        << d.chkContent->item(i)->text().toStdString();
    EXPECT_FALSE(d.chkContent->item(i)->flags() & Qt::ItemIsEnabled);
  }
  EXPECT_GE(d.chkContent->count() - data - 1, 4);  // the user quantiles come with their run
  EXPECT_FALSE(run->Sections.IsSectionVisible(11, true));
  EXPECT_FALSE(d.listSelSamp->isEnabled());
  EXPECT_EQ(d.listSelSamp->count(), 5);

  // An output file without its model: the warning names the model file.
  Init_data();
  wb_().CurrentFileName = Path("m.tso");
  d.PrepareReportDialog();
  EXPECT_EQ(d.labWarning->text().toStdString(),
            "Part of the report sections is unavaliable because the input model file was not "
            "found.\nInput filename:\n" +
                Path("m.tsm"));
}

TEST_F(RunReportTest, StoredPlainTextFormatSurvivesTheDialog) {
  {
    common::TIniFile ini(settings.toStdString());
    ini.WriteInteger("Report", "Format", 0);
  }
  OpenModel();
  EXPECT_EQ(run->Sections.Format, 0);
  TFrmReport& d = run->ReportDialog();
  d.PrepareReportDialog();
  EXPECT_TRUE(d.radPlain->isChecked());
  EXPECT_EQ(run->Sections.Format, 0);
  EXPECT_EQ(d.radWord->text().toStdString(), "Office document (req. word processor)");
  d.radRtf->setChecked(true);
  EXPECT_EQ(run->Sections.Format, 1);
}

TEST_F(RunReportTest, FormatListAndFormatDialog) {
  OpenModel();
  RunModel();
  TFrmReport& d = run->ReportDialog();
  TRepSections& s = run->Sections;
  {
    TRepSectionSetting& e = s.Entries[static_cast<std::size_t>(s.AddSection(18))];
    e.format = 1;
    e.width = 12;
    e.precision = 4;
  }
  d.PrepareReportDialog();  // may add entries: look the section up afterwards
  TRepSectionSetting& entry = s.Entries[static_cast<std::size_t>(s.IndexOfSection(18))];
  ASSERT_EQ(d.listFormat->topLevelItemCount(), 1);
  EXPECT_EQ(d.listFormat->topLevelItem(0)->text(0).toStdString(),
            "Product Moment Correlation Matrix");
  EXPECT_EQ(d.listFormat->topLevelItem(0)->text(1).toStdString(), "fixed, w:12, p:4");

  std::vector<int> previews;
  d.Preview = [&](int, int section, QTextEdit*) { previews.push_back(section); };
  d.ExecFormat = [&](TFrmFormat& f) {
    EXPECT_EQ(f.cbxFormat->itemText(0).toStdString(), "Table Default (Scientific)");
    EXPECT_TRUE(QFontInfo(f.richPreview->font()).fixedPitch());  // plain-text columns line up
    f.chkPreview->setChecked(true);
    const std::size_t before = previews.size();
    f.cbxFormat->setCurrentIndex(0);
    EXPECT_EQ(f.edWidth->value(), 5);
    EXPECT_EQ(f.edPrecision->value(), 2);
    EXPECT_EQ(entry.format, FormatTableDefault);
    f.cbxFormat->setCurrentIndex(3);
    const std::size_t afterList = previews.size();
    f.edWidth->setValue(7);
    f.edWidth->setValue(8);
    EXPECT_EQ(previews.size(), afterList + 2);  // one preview per width change
    EXPECT_GT(afterList, before);
    EXPECT_EQ(entry.width, 8);
    f.CancelClick();
    return f.result();
  };
  d.listFormat->setCurrentItem(d.listFormat->topLevelItem(0));
  d.SetFormat();
  EXPECT_EQ(entry.format, 1);
  EXPECT_EQ(entry.width, 12);
  EXPECT_EQ(entry.precision, 4);
  ASSERT_FALSE(previews.empty());
  EXPECT_EQ(previews.back(), 18);
  EXPECT_EQ(d.listFormat->topLevelItem(0)->text(1).toStdString(), "fixed, w:12, p:4");
}

TEST_F(RunReportTest, LinedrawFontPreviewsTheSummaryTable) {
  OpenModel();
  RunModel();
  TFrmReport& d = run->ReportDialog();
  run->Sections.EnsureStyleFonts();
  d.radRtf->setChecked(true);
  d.PrepareReportDialog();
  QTreeWidgetItem* linedraw = nullptr;
  for (int i = 0; i < d.listFont->topLevelItemCount(); ++i)
    if (d.listFont->topLevelItem(i)->text(0) == "Linedraw") linedraw = d.listFont->topLevelItem(i);
  ASSERT_NE(linedraw, nullptr);
  EXPECT_EQ(linedraw->text(1).toStdString(), "DejaVu Sans Mono, 9");
  d.listFont->setCurrentItem(linedraw);
  std::vector<int> previews;
  d.Preview = [&](int format, int section, QTextEdit* pane) {
    EXPECT_EQ(format, 1);
    EXPECT_NE(pane, nullptr);
    previews.push_back(section);
  };
  d.ExecFont = [](TFontTsmDialog& f) {
    EXPECT_EQ(f.TsmLabel->text().toStdString(), "Preview: (click Apply to refresh)");
    f.PreviewFont();
    return static_cast<int>(QDialog::Rejected);
  };
  d.SetFont();
  EXPECT_EQ(previews, std::vector<int>{4});
  const int i = run->Sections.IndexOfSection(StyleLinedraw);
  EXPECT_EQ(run->Sections.Entries[static_cast<std::size_t>(i)].font->name, "DejaVu Sans Mono");
}

TEST_F(RunReportTest, GenerateWritesThePlainTextReportIntoThePanel) {
  auto& w = OpenModel();
  RunModel();
  TFrmReport& d = run->ReportDialog();
  d.PrepareReportDialog();
  d.radPlain->setChecked(true);
  d.GenerateClick();
  EXPECT_EQ(d.windowTitle().toStdString(), "Generate Report");
  EXPECT_EQ(w.ReportTag, 1);
  EXPECT_EQ(w.VisiblePanel(), PanelReport);
  EXPECT_TRUE(w.richReport->toPlainText().contains("Summary Report"));
  EXPECT_FALSE(w.richReport->isReadOnly());

  // A failing generation leaves the tag alone and still shows the panel.
  w.ReportTag = 2;
  d.Generate = [](int) { throw std::runtime_error("no report data"); };
  d.GenerateClick();
  EXPECT_EQ(w.ReportTag, 2);
  EXPECT_EQ(f.prompt.Texts().back(), "no report data");
  EXPECT_EQ(d.windowTitle().toStdString(), "Generate Report");
}

TEST_F(RunReportTest, RichTextReportShowsItsTextAndPrints) {
  auto& w = OpenModel();
  RunModel();
  TFrmReport& d = run->ReportDialog();
  d.PrepareReportDialog();
  d.radRtf->setChecked(true);
  d.GenerateClick();
  EXPECT_EQ(w.ReportTag, 2);
  ASSERT_EQ(w.LastReportStream.rfind("{\\rtf", 0), 0u);
  const QString text = w.richReport->toPlainText();
  EXPECT_FALSE(text.startsWith("{\\rtf"));
  EXPECT_TRUE(text.contains("Summary Report"));
  EXPECT_TRUE(w.richReport->isReadOnly());
  // The panel shows the document's headings in bold and its tables as tables.
  bool boldHeading = false;
  for (QTextBlock b = w.richReport->document()->begin(); b.isValid(); b = b.next())
    if (b.text().trimmed() == "1. Summary Report")
      boldHeading =
          b.charFormat().fontWeight() == QFont::Bold ||
          (b.begin() != b.end() && b.begin().fragment().charFormat().fontWeight() == QFont::Bold);
  EXPECT_TRUE(boldHeading);
  int tables = 0;
  for (QTextFrame* frame : w.richReport->document()->rootFrame()->childFrames())
    tables += qobject_cast<QTextTable*>(frame) != nullptr;
  EXPECT_GT(tables, 0);
  QTextDocument doc;
  FillRtfDocument(w.LastReportStream, doc);
  EXPECT_TRUE(doc.toPlainText().contains("Summary Report"));
  run->PrintClick(false);
  EXPECT_EQ(printDialogs, 1);
  EXPECT_GE(PdfPages(Path("out.pdf")), 1);
}

TEST_F(RunReportTest, OfficeReportOfAnOpenedOutputFileIsKeptBesideIt) {
  auto& w = OpenModel();
  RunModel();
  const std::string output = Path("m.tso");
  ASSERT_GT(WriteTSOFile(output.c_str()), 0);
  f.prompt.shown.clear();
  w.OpenGivenFile(output);
  ASSERT_EQ(wb_().CurrentFileKind, FileKindOutputFile);
  EXPECT_TRUE(f.prompt.Texts().empty());  // the run's own objects are no duplicates
  wb_().ReportAvailable = false;
  w.mnuReport->aboutToShow();
  EXPECT_FALSE(run->mitReportView->isEnabled());

  TFrmReport& d = run->ReportDialog();
  d.PrepareReportDialog();
  d.radWord->setChecked(true);
  EXPECT_FALSE(d.panWord->isVisibleTo(&d));  // no template is applied
  d.GenerateClick();
  EXPECT_EQ(w.ReportTag, 3);
  const std::string document = w.ReportDocument;
  EXPECT_EQ(document.rfind(Path("m-report."), 0), 0u) << document;
  EXPECT_TRUE(std::filesystem::exists(document));
  EXPECT_EQ(starter->opened, std::vector<std::string>{document});
  EXPECT_TRUE(w.richReport->toPlainText().contains(QString::fromStdString(document)));
  EXPECT_FALSE(w.richReport->isReadOnly());
  w.mnuReport->aboutToShow();
  EXPECT_TRUE(run->mitReportView->isEnabled());
  EXPECT_TRUE(w.toolRep->isEnabled());

  // Save As offers the document itself.
  w.ChangePanel(PanelReport);
  const std::string copy = Path("kept");
  f.chooser.saveAnswers.push_back(copy);
  w.SaveAsClick();
  const std::string saved = copy + std::filesystem::path(document).extension().string();
  EXPECT_EQ(w.ReportDocument, saved);
  std::ifstream a(document, std::ios::binary), b(saved, std::ios::binary);
  std::stringstream sa, sb;
  sa << a.rdbuf();
  sb << b.rdbuf();
  EXPECT_FALSE(sa.str().empty());
  EXPECT_EQ(sa.str(), sb.str());

  // The documents outlive the window and the program's objects.
  win.reset();
  End_data();
  EXPECT_TRUE(std::filesystem::exists(document));
  EXPECT_TRUE(std::filesystem::exists(saved));
}

TEST(ReportPrinter, PlainTextPagesAtFormFeeds) {
  static int argc = 1;
  static char name[] = "t";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);
  const std::string file =
      (std::filesystem::temp_directory_path() / ("h20print" + std::to_string(::getpid()) + ".pdf"))
          .string();
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(file));
  PrintPlainReport("one\n\ftwo\n\fthree", QFont("Monospace"), printer, "Tesmira data report");
  EXPECT_EQ(PdfPages(file), 3);
  std::filesystem::remove(file);
}

TEST_F(RunReportTest, SimulateStopsOnAMissingFileOrAnIncompleteMatrix) {
  auto& w = OpenModel();
  w.show();
  SyncNodes();
  // A distribution-file variable without its file never reaches the dialog.
  TExtendedRandomVariable* a = Fetch_extended_random_variable(0, "a");
  const uint8_t type = a->distribution.distType;
  a->distribution.distType = DistFile100;
  run->mitSimulate->trigger();
  EXPECT_EQ(simulations, 0);
  ASSERT_FALSE(f.prompt.shown.empty());
  EXPECT_NE(f.prompt.shown.back().text.find("Simulation is canceled"), std::string::npos);
  a->distribution.distType = type;

  // A correlation matrix with an empty cell: the warning, no dialog.
  auto* panel = w.DependencePanel();
  panel->mitNewMatrix->trigger();
  ASSERT_EQ(GetDependenceType(nullptr), DepCorrelationMatrix);
  w.toolRun->trigger();
  EXPECT_EQ(simulations, 0);
  EXPECT_EQ(f.prompt.shown.back().text,
            "Some correlation matrix cells are still not filled or invalid. Simulation is "
            "canceled");
  const std::vector<void*> members = panel->gridModel->Members();
  ASSERT_EQ(members.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = i + 1; j < 3; ++j)
      ASSERT_TRUE(CMatrix_SetCell(members[i], members[j], 0.2));
  w.toolRun->trigger();
  EXPECT_EQ(simulations, 1);
}

TEST_F(RunReportTest, SimulateLeavesTheMatrixView) {
  auto& w = OpenModel();
  w.show();
  SyncNodes();
  ASSERT_TRUE(Attach("b", "a"));
  ASSERT_TRUE(Attach("c", "b"));
  SetCurrentDependenceStructureRoot(Node("a"), nullptr);
  ASSERT_EQ(SetDependenceType(nullptr, DepDVine), 1);
  ASSERT_TRUE(Vine_SetCorrValue(Node("a"), 1, 0.3));
  ASSERT_TRUE(Vine_SetCorrValue(Node("b"), 1, 0.4));
  w.ChangePanel(PanelDependence);
  auto* panel = w.DependencePanel();
  QTest::mouseClick(panel->chkDepVines, Qt::LeftButton);
  QCheckBox* box = panel->ShowMatrixCheckBox;
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
  ASSERT_TRUE(box->isChecked());
  ASSERT_TRUE(box->isEnabled());
  bool checkedInDialog = true;
  run->ExecSimulation = [&](TFrmSimulation&) {
    checkedInDialog = box->isChecked();
    return 1;
  };
  run->mitSimulate->trigger();
  EXPECT_FALSE(checkedInDialog);
}

TEST_F(RunReportTest, ModelChangesClearTheUserDefinedQuantiles) {
  auto& w = OpenModel();
  w.show();
  TFrmSimulation& d = run->SimulationDialog();
  const std::string file = Path("m.tsm");
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"add a formula",
       [&] {
         w.ChangePanel(PanelFormulas);
         QTest::mouseClick(w.findChild<QToolButton*>("butForAdd"), Qt::LeftButton);
       }},
      {"undo", [&] { w.mitUndo->trigger(); }},
      {"redo", [&] { w.mitRedo->trigger(); }},
      {"open", [&] { w.OpenGivenFile(file); }},
      {"new", [&] { w.NewModelOfType(0); }},
  };
  for (const auto& [what, change] : changes) {
    d.chkUDQuantiles->setEnabled(true);
    d.chkUDQuantiles->setChecked(true);
    f.prompt.answers = {TAnswer::No};  // a modified model is not saved
    change();
    EXPECT_FALSE(d.chkUDQuantiles->isChecked()) << what;
  }
}

}  // namespace
}  // namespace tesmira::wb::test
