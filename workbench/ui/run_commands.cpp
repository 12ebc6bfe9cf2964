#include "run_commands.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTableView>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolBar>
#include <cstring>

#include "dependence_fill.h"
#include "dependence_panel.h"
#include "hand_over_windows.h"
#include "ini_file.h"
#include "list_editing.h"
#include "main_window.h"
#include "model/short_string.h"
#include "model_helpers.h"
#include "report_dialog.h"
#include "report_printer.h"
#include "rtf_reader.h"
#include "simulation_dialog.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "utilities.h"
#include "workbench.h"

namespace tesmira::wb {

namespace {

// Width in points of a text in a report font: the font's metrics on a device
// of 72 dots per inch, where a dot is a point.
double TextPoints(const std::string& text, const TRepFont& font) {
  static const QImage device = [] {
    QImage image(1, 1, QImage::Format_Mono);
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    return image;
  }();
  QFont f(QString::fromStdString(font.name));
  f.setPointSizeF(font.size > 0 ? font.size : 12);
  f.setBold(font.bold);
  f.setItalic(font.italic);
  f.setUnderline(font.underline);
  return QFontMetricsF(f, &device).horizontalAdvance(QString::fromStdString(text));
}

}  // namespace

// ---- the report panel as a target ------------------------------------------------------

void TPanelReportTarget::Clear() {
  edit_->clear();
  if (rtf_) rtf_->clear();
}

void TPanelReportTarget::SetVisible(bool visible) { edit_->setVisible(visible); }

void TPanelReportTarget::AppendLines(const std::vector<std::string>& lines) {
  QString text;
  for (const std::string& l : lines) {
    if (!text.isEmpty() || edit_->document()->characterCount() > 1) text += '\n';
    text += QString::fromStdString(l);
  }
  QTextCursor c(edit_->document());
  c.movePosition(QTextCursor::End);
  c.insertText(text);
}

void TPanelReportTarget::LoadRtf(const std::string& bytes) {
  if (rtf_) *rtf_ = bytes;
  // Headings, emphasis and tables as the document has them.
  FillRtfDocument(bytes, *edit_->document());
}

int64_t TPanelReportTarget::TextLength() const { return edit_->document()->characterCount() - 1; }

void TPanelReportTarget::SetCaret(int64_t position) {
  QTextCursor c(edit_->document());
  c.setPosition(static_cast<int>(std::clamp<int64_t>(position, 0, TextLength())));
  edit_->setTextCursor(c);
}

void TPanelReportTarget::SetModified(bool modified) { edit_->document()->setModified(modified); }

void TPanelReportTarget::ScrollToLine(int line) {
  const QTextBlock b = edit_->document()->findBlockByLineNumber(line);
  if (!b.isValid()) return;
  QTextCursor c(b);
  edit_->setTextCursor(c);
  edit_->ensureCursorVisible();
}

void TTextEditReportTarget::Clear() { edit_->clear(); }

void TTextEditReportTarget::SetVisible(bool visible) { edit_->setVisible(visible); }

void TTextEditReportTarget::AppendLines(const std::vector<std::string>& lines) {
  QStringList text;
  for (const std::string& l : lines) text << QString::fromStdString(l);
  edit_->append(text.join('\n'));
}

void TTextEditReportTarget::LoadRtf(const std::string& bytes) {
  FillRtfDocument(bytes, *edit_->document());
}

int64_t TTextEditReportTarget::TextLength() const {
  return edit_->document()->characterCount() - 1;
}

void TTextEditReportTarget::SetCaret(int64_t position) {
  QTextCursor c(edit_->document());
  c.setPosition(static_cast<int>(std::clamp<int64_t>(position, 0, TextLength())));
  edit_->setTextCursor(c);
  edit_->ensureCursorVisible();
}

// ---- the commands ----------------------------------------------------------------------

TRunCommands::TRunCommands(TFrmTesmiraMain& window, TWorkbench& wb, QString settingsPath)
    : QObject(&window),
      Starter(std::make_unique<TQtProgramStarter>()),
      ProgramFolder(QCoreApplication::applicationDirPath().toStdString() + "/"),
      w_(window),
      wb_(wb),
      settingsPath_(std::move(settingsPath)),
      handOver_(new TPellianWindows(window, [this]() -> QWidget* { return simulation_; })) {
  setObjectName("RunCommands");
  if (!settingsPath_.isEmpty()) {
    common::TIniFile ini(settingsPath_.toStdString());
    Sections.LoadFromIni(ini);
  }
  Build();
}

TRunCommands::~TRunCommands() {
  delete handOver_;
  // The dialogs save their settings and refer to the sections.
  delete simulation_;
  delete report_;
  if (settingsPath_.isEmpty()) return;
  try {
    common::TIniFile ini(settingsPath_.toStdString());
    Sections.SaveToIni(ini);
  } catch (const std::exception&) {
    // A settings file that cannot be written keeps its old values.
  }
}

void TRunCommands::Build() {
  auto add = [this](QMenu* menu, const QString& text, auto slot,
                    const QKeySequence& key = {}) -> QAction* {
    QAction* a = menu->addAction(text);
    if (!key.isEmpty()) a->setShortcut(key);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  QMenu* run = w_.mnuRun;
  // Simulate heads the menu; the sibling programs' items are the list
  // editing's.
  QAction* first = run->actions().isEmpty() ? nullptr : run->actions().front();
  mitSimulate = new QAction("Simulate", run);
  mitSimulate->setShortcut(QKeySequence(Qt::Key_F12));
  connect(mitSimulate, &QAction::triggered, this, [this] { SimulateClick(); });
  run->insertAction(first, mitSimulate);
  if (first) run->insertSeparator(first);
  run->menuAction()->setVisible(true);
  connect(run, &QMenu::aboutToShow, this, [this] { MenuClick(); });

  QMenu* rep = w_.mnuReport;
  mitReportGen = add(rep, "Generate...", [this] { ReportGenerateClick(); });
  mitReportView = add(rep, "&View", [this] { ReportViewClick(); });
  rep->addSeparator();
  mitReportPrint = add(rep, "Print", [this] { PrintClick(false); });
  mitReportSaveAs = add(rep, "Save As", [this] { w_.SaveAsClick(); });
  rep->menuAction()->setVisible(true);
  connect(rep, &QMenu::aboutToShow, this, [this] { MenuClick(); });

  mitModelRun = add(w_.mnuModel, "Run", [this] { SimulateClick(); });
  // File > Print... comes before the recent files.
  mitFilePrint = new QAction("Print...", this);
  mitFilePrint->setShortcut(QKeySequence("Ctrl+P"));
  connect(mitFilePrint, &QAction::triggered, this, [this] { PrintClick(false); });
  w_.mnuFile->insertAction(w_.MRU[0], mitFilePrint);
  w_.mnuFile->insertSeparator(w_.MRU[0]);

  // The belief-net items of the Dependence menu.
  QMenu* dep = w_.mnuDependence;
  QMenu* addNew = nullptr;
  QMenu* exportMenu = nullptr;
  for (QAction* a : dep->actions())
    if (a->menu() && a->text() == "&Add New")
      addNew = a->menu();
    else if (a->menu() && a->text() == "Export")
      exportMenu = a->menu();
  if (!addNew) addNew = dep->addMenu("&Add New");
  if (!exportMenu) exportMenu = dep->addMenu("Export");
  mitNewBbn = add(addNew, "Bayesian Belief Net", [this] { BeliefNetClick(false); });
  mitExportBbn = add(exportMenu, "Bayesian Belief Net", [this] { BeliefNetClick(true); });
  dep->menuAction()->setVisible(true);

  // The toolbar's places for Simulate and the report view (checkable: shown
  // pressed while the report panel is shown) take their commands.
  connect(w_.toolRun, &QAction::triggered, this, [this] { SimulateClick(); });
  w_.toolRun->setObjectName("toolRun");
  w_.toolRun->setVisible(true);
  connect(w_.toolRep, &QAction::triggered, this, [this] { ReportViewClick(); });
  w_.toolRep->setObjectName("toolRep");
  w_.toolRep->setVisible(true);
  w_.toolRep->setEnabled(false);
  BuildReportPopup();
}

void TRunCommands::BuildReportPopup() {
  QTextEdit* pane = w_.richReport;
  popRichReport = new QMenu(pane);
  popRichReport->setObjectName("popRichReport");
  auto add = [this, pane](const QString& text, auto slot, const QKeySequence& key = {}) {
    QAction* a = popRichReport->addAction(text);
    a->setShortcut(key);
    a->setShortcutContext(Qt::WidgetShortcut);
    pane->addAction(a);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  add(
      "Cut", [pane] { pane->cut(); }, QKeySequence::Cut);
  add(
      "Copy", [pane] { pane->copy(); }, QKeySequence::Copy);
  add(
      "Paste", [pane] { pane->paste(); }, QKeySequence::Paste);
  add("Delete", [pane] { pane->textCursor().removeSelectedText(); });
  add(
      "Select All", [pane] { pane->selectAll(); }, QKeySequence::SelectAll);
  popRichReport->addSeparator();
  mitRepWrap = add("Word Wrap", [pane, this] {
    pane->setLineWrapMode(mitRepWrap->isChecked() ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  });
  mitRepWrap->setCheckable(true);
  add("Print...", [this] { PrintClick(true); });
  pane->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(pane, &QWidget::customContextMenuRequested, this, [this, pane](QPoint p) {
    mitRepWrap->setChecked(pane->lineWrapMode() != QTextEdit::NoWrap);
    popRichReport->popup(pane->viewport()->mapToGlobal(p));
  });
}

void TRunCommands::MenuClick() {
  const int kind = wb_.CurrentFileKind;
  mitSimulate->setEnabled(wb_.FileOpen);
  mitModelRun->setEnabled(wb_.FileOpen);
  mitNewBbn->setEnabled(wb_.FileOpen && kind != FileKindSampleFile);
  w_.toolRun->setEnabled(mitSimulate->isEnabled() && w_.mnuRun->isEnabled());
  mitReportGen->setEnabled(kind == FileKindOutputFile || wb_.ReportAvailable);
  const bool reportPanel = w_.VisiblePanel() == PanelReport;
  mitReportPrint->setEnabled(reportPanel);
  mitReportSaveAs->setEnabled(reportPanel);
  // A generated report (of a run or of an opened output file) can be viewed.
  const bool viewable = wb_.ReportAvailable || w_.ReportTag > 0;
  mitReportView->setEnabled(viewable);
  w_.toolRep->setEnabled(viewable);
}

TFrmSimulation& TRunCommands::SimulationDialog() {
  if (!simulation_) {
    simulation_ = new TFrmSimulation(wb_, &w_, settingsPath_, &w_);
    simulation_->Launch = [this](TSiblingProgram program, const std::string& file) {
      if (program == TSiblingProgram::Display)
        LaunchDisplayProgram(wb_.Prompt(), *Starter, ProgramFolder, file);
      else if (program == TSiblingProgram::Sensitivity)
        LaunchSensitivityProgram(wb_.Prompt(), *Starter, ProgramFolder, file);
      else
        LaunchProbabilisticInversion(wb_.Prompt(), *Starter, ProgramFolder, file);
    };
  }
  return *simulation_;
}

TFrmReport& TRunCommands::ReportDialog() {
  if (!report_) {
    report_ = new TFrmReport(wb_, Sections, &w_);
    report_->Generate = [this](int format) {
      TPanelReportTarget target(w_.richReport, &w_.LastReportStream);
      TReportContext ctx;
      ctx.sections = &Sections;
      ctx.modelFileName = wb_.CurrentFileName;
      ctx.measureText = &TextPoints;
      ctx.isSampleChecked = [this](const std::string& name, bool rows) {
        return report_->IsSampleChecked(name, rows);
      };
      std::string document;
      ctx.officeDocument = &document;
      ctx.openDocument = [this](const std::string& path) { return Starter->OpenDocument(path); };
      // Whatever happens the panel shows what there is; only a written
      // report changes its tag.
      try {
        wb::GenerateReport(format, 0, target, ctx);
      } catch (...) {
        MenuClick();
        w_.ChangePanel(PanelReport);
        throw;
      }
      w_.ReportTag = format + 1;
      w_.ReportDocument = document;
      // Only a full RTF report is kept as its bytes: the others may be edited.
      w_.richReport->setReadOnly(format == 1);
      MenuClick();
      w_.ChangePanel(PanelReport);
    };
    report_->Preview = [this](int format, int section, QTextEdit* pane) {
      TTextEditReportTarget target(pane);
      TReportContext ctx;
      ctx.sections = &Sections;
      ctx.modelFileName = wb_.CurrentFileName;
      ctx.measureText = &TextPoints;
      ctx.targetIsReportPanel = false;
      wb::GenerateReport(format, section, target, ctx);
    };
  }
  return *report_;
}

void TRunCommands::SimulateClick() {
  if (!mitSimulate->isEnabled() && !wb_.FileOpen) return;
  Simulate(wb_, *this);
}

void TRunCommands::BeliefNetClick(bool exportTo) { RunBayesianBeliefNet(wb_, *this, exportTo); }

void TRunCommands::ReportGenerateClick() {
  TFrmReport& dialog = ReportDialog();
  dialog.PrepareReportDialog();
  if (ExecReport)
    ExecReport(dialog);
  else
    dialog.exec();
  MenuClick();
}

void TRunCommands::ReportViewClick() {
  if (!wb_.ReportAvailable && w_.ReportTag <= 0) return;
  w_.ChangePanel(PanelReport);
}

void TRunCommands::PrintClick(bool fromPane) {
  if (!fromPane && w_.VisiblePanel() != PanelReport) return;
  const QString title = "Tesmira data report for the " +
                        QString::fromStdString(ExtractFileName(wb_.CurrentFileName)) + " model";
  QPrinter printer;
  if (ChoosePrinter) {
    if (!ChoosePrinter(printer)) return;
  } else {
    QPrintDialog dialog(&printer, &w_);
    dialog.setOptions({});
    if (dialog.exec() != QDialog::Accepted) return;
  }
  if (w_.ReportTag == 1)
    PrintPlainReport(w_.richReport->toPlainText(), w_.richReport->font(), printer, title);
  else if (!w_.LastReportStream.empty()) {
    QTextDocument document;
    FillRtfDocument(w_.LastReportStream, document);
    PrintRichReport(document, printer, title);
  } else {
    PrintRichReport(*w_.richReport->document(), printer, title);
  }
}

// ---- ISimulateHost ------------------------------------------------------------------------

void TRunCommands::CommitActiveEdit() {
  if (QWidget* f = QApplication::focusWidget()) f->clearFocus();
}

void TRunCommands::ClearUserDefinedQuantiles() {
  if (simulation_) simulation_->ClearUserDefinedQuantiles();
}

bool TRunCommands::CheckDistributionFiles() {
  auto* editing = w_.findChild<TListEditing*>("ListEditing");
  return editing == nullptr || wb::CheckDistributionFiles(wb_, *editing, false, -1);
}

bool TRunCommands::CurrentMatrixIncomplete() { return !CheckMatrixCells(MatrixMembers(), false); }

void TRunCommands::UncheckMatrixView() {
  TDependencePanel* panel = w_.DependencePanel();
  if (panel && panel->ShowMatrixCheckBox->isEnabled()) panel->ShowMatrixCheckBox->setChecked(false);
}

bool TRunCommands::FormulasPanelVisible() { return w_.VisiblePanel() == PanelFormulas; }

void TRunCommands::ShowVariablesPanel() { w_.ChangePanel(PanelVariables); }

void TRunCommands::SaveModelAs() { w_.SaveAsClick(true); }

bool TRunCommands::ConfirmDiscardReport() { return w_.ConfirmDiscardReport(true, false); }

int TRunCommands::ShowSimulationDialog() {
  TFrmSimulation& d = SimulationDialog();
  d.BeliefNetMode = false;
  if (ExecSimulation) return ExecSimulation(d);
  return d.exec();
}

void TRunCommands::RepaintVariableList() {
  if (w_.listVar && w_.listVar->isVisible()) w_.listVar->viewport()->update();
}

void TRunCommands::AddEmptyFormulaIfNeeded() {
  if (w_.VisiblePanel() != PanelFormulas || Get_TSMObjectsNumber(ObjFormula) > 0) return;
  TUdf udf;
  std::memset(&udf, 0, sizeof udf);
  SetShortString(udf.name, UniqueObjectName("F", 6));
  if (Create_TSMObject(ObjFormula, &udf) > 0) w_.UpdateView(ViewFormulas);
}

bool TRunCommands::RunForBeliefNet() { return SimulationDialog().RunForBeliefNet(); }

bool TRunCommands::LaunchBeliefNet(const std::string& file, bool useExisting) {
  return LaunchPellian(ProgramFolder.c_str(), file.c_str(), useExisting);
}

}  // namespace tesmira::wb
