#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>

#include "ini_file.h"

#include "about_box.h"
#include "application.h"
#include "inplace_name_editor.h"
#include "link_manager.h"
#include "list_editing.h"
#include "main_view.h"
#include "model_helpers.h"
#include "options_dialog.h"
#include "run_commands.h"
#include "small_dialogs.h"
#include "tesmira_windows.h"
#include "undo_items.h"
#include "window_fixture.h"

namespace tesmira::wb::test {
namespace {

std::string Description(const std::string& file) {
  void* header = nullptr;
  Init_data();
  LoadTSMFile(file.c_str(), TsmOpen);
  GetFileHeader(file.c_str(), &header);
  return std::string(ShortStringView(CurrentFileHeader()->description));
}

TEST_F(WindowTest, StartsWithoutFileAndNewMakesAnEmptyFormulaModel) {
  auto& w = Open();
  EXPECT_EQ(w.windowTitle(), "Tesmira v2.2 - no file");
  EXPECT_FALSE(w.Workbench().FileOpen);
  EXPECT_FALSE(w.listVar->isVisibleTo(&w));
  QStringList menus;
  for (QAction* a : w.menuBar()->actions())
    if (a->isVisible()) menus << a->text();
  EXPECT_EQ(menus, QStringList({"&File", "&Edit", "&Model", "&Run", "&Dependence", "&Report",
                                "&Options", "&Help"}));

  w.show();
  EXPECT_EQ(w.mitNewFormula->shortcut(), QKeySequence("Ctrl+N"));
  w.mitNewFormula->trigger();
  EXPECT_EQ(w.windowTitle(), "Tesmira v2.2 -  [Input] Formula Model");
  EXPECT_TRUE(w.listVar->isVisibleTo(&w));
  EXPECT_EQ(w.VisiblePanel(), PanelVariables);
}

TEST_F(WindowTest, StartUpCreatesTheApplicationWindowsAndShowsOnlyTheMain) {
  TTesmiraWindows windows(f.prompt, f.chooser, settings, {});
  windows.main.show();
  const std::pair<QWidget*, const char*> expected[] = {
      {&windows.main, "Tesmira v2.2 - no file"},
      {&windows.batch, "Batch Create Variables"},
      {&windows.link, "Tesmira Link Manager"},
      {&windows.options, "Options"},
      {&windows.report, "Generate Report"},
      {&windows.simulation, "Run Simulation"},
      {&windows.transform, "Transform in progress, please wait..."}};
  // The run commands use the dialogs made at start-up.
  auto* run = windows.main.findChild<TRunCommands*>();
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(&run->ReportDialog(), &windows.report);
  EXPECT_EQ(&run->SimulationDialog(), &windows.simulation);
  for (const auto& [window, caption] : expected) {
    EXPECT_EQ(window->windowTitle(), caption);
    EXPECT_EQ(window->isVisible(), window == &windows.main) << caption;
  }
  EXPECT_EQ(ApplicationTitle(), "Tesmira");
  // The main window reaches the link manager: Manage Links shows it.
  windows.main.NewModelOfType(0);
  windows.main.ManageLinksClick();
  EXPECT_TRUE(windows.link.isVisible());
  // Batch > Create asks through the batch dialog made at start-up.
  QWidget* asked = nullptr;
  QTimer::singleShot(0, [&] {
    asked = QApplication::activeModalWidget();
    if (auto* d = qobject_cast<QDialog*>(asked)) d->reject();
  });
  windows.main.findChild<TListEditing*>("ListEditing")->BatchCreateClick();
  EXPECT_EQ(asked, &windows.batch);
}

TEST_F(WindowTest, AboutBoxTextsLinksAndClose) {
  TAboutTesmira about;
  EXPECT_EQ(about.windowTitle(), "About Tesmira");
  EXPECT_EQ(about.size(), QSize(352, 315));
  EXPECT_EQ(about.HeadLine(), "Tesmira v2.2 (build 2.2.0.0)");
  const std::string stamped = Path("stamped");
  WriteText(stamped, "x");
  QFile file(QString::fromStdString(stamped));
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2026, 3, 5), QTime(14, 7)),
                               QFileDevice::FileModificationTime));
  file.close();
  EXPECT_EQ(CompiledOnText(file.fileName()), "Compiled on: Thursday 5 of Mar 2026, 14:07");

  // A link opens its target; a click elsewhere closes the box.
  QList<QUrl> opened;
  const auto desktop = TAboutTesmira::UrlOpener();
  TAboutTesmira::UrlOpener() = [&](const QUrl& url) { opened << url; };
  ASSERT_EQ(about.Links.size(), 3);
  about.show();
  QLabel* mail = about.Links.back();
  EXPECT_TRUE(mail->toolTip().startsWith("mailto:"));
  QTest::mouseClick(&about, Qt::LeftButton, {}, mail->geometry().center());
  TAboutTesmira::UrlOpener() = desktop;
  EXPECT_EQ(opened, QList<QUrl>{QUrl(mail->toolTip())});
  EXPECT_TRUE(about.isVisible());
  QTest::mouseClick(&about, Qt::LeftButton, {}, QPoint(5, 300));
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST_F(WindowTest, LaterPanelsAndMenusTakeTheirPlaces) {
  auto& w = Open();
  for (QMenu* m : {w.mnuRun, w.mnuDependence, w.mnuReport}) m->menuAction()->setVisible(true);
  QStringList menus;
  for (QAction* a : w.menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, QStringList({"&File", "&Edit", "&Model", "&Run", "&Dependence", "&Report",
                                "&Options", "&Help"}));

  // The dependence panel's page is in place and its item shows.
  EXPECT_TRUE(w.mitViewDep->isVisible());
  EXPECT_TRUE(w.toolDep->isVisible());
  EXPECT_TRUE(w.mitViewDual->isVisible());  // the graph panel is there from the start
  QWidget* page = w.PanelPage(PanelDependence);
  ASSERT_NE(page, nullptr);

  w.show();
  w.NewModelOfType(0);
  EXPECT_TRUE(w.mitViewDep->isEnabled());
  EXPECT_FALSE(w.mitViewDual->isEnabled());  // a formula model has no graph
  w.mitViewDep->trigger();
  EXPECT_EQ(w.VisiblePanel(), PanelDependence);
  EXPECT_TRUE(page->isVisible());
  EXPECT_TRUE(w.toolDep->isChecked());
  w.toolVar->trigger();
  EXPECT_EQ(w.VisiblePanel(), PanelVariables);
  EXPECT_FALSE(page->isVisible());
  EXPECT_TRUE(w.mitViewVar->isChecked());

  // A ZoziVor model shows its graph panel.
  w.NewModelOfType(1);
  EXPECT_EQ(w.VisiblePanel(), PanelZoziVor);
  EXPECT_TRUE(w.mitViewDual->isChecked());
}

TEST_F(WindowTest, NewWithModifiedModelAndCancelChangesNothing) {
  auto& w = Open();
  w.NewModelOfType(1);
  AddVariable("a");
  SetModified(w.Workbench(), true);
  {
    CurrentUndoGroup group(w.Workbench().Undo);
    group.AddItem(std::make_unique<TUndoRanVar>(0x20, 1, Normal("a")));
    group.Push();
  }
  ASSERT_TRUE(w.Workbench().Undo.CanUndo());
  f.prompt.answers = {TAnswer::Cancel};
  w.NewModelOfType(0);
  EXPECT_EQ(f.prompt.shown.size(), 1u);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 1);
  EXPECT_EQ(GetHeaderModelType(), 3);
  EXPECT_TRUE(w.Workbench().Undo.CanUndo());
  EXPECT_TRUE(w.Workbench().Modified);
}

TEST_F(WindowTest, OpenShowsTheModelAndKeepsRecentFiles) {
  auto& w = Open();
  const std::string m = WriteModel("m.tsm", {"alpha", "beta"}, {{"f", "alpha+beta"}});
  f.chooser.openAnswers = {{m}};
  w.OpenClick();
  EXPECT_EQ(ApplicationTitle(), "m.tsm - Tesmira");
  EXPECT_EQ(w.windowTitle().toStdString(), "Tesmira v2.2 - " + m + " [Input] Formula Model");
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"alpha", "beta"}));
  EXPECT_EQ(w.MRU[0]->toolTip().toStdString(), m);

  // A file already listed moves up whatever its letter case; a fifth drops the oldest.
  std::vector<std::string> others;
  for (const char* n : {"b.tsm", "c.tsm", "d.tsm"}) others.push_back(WriteModel(n, {"x"}));
  for (const std::string& o : others) w.OpenGivenFile(o);
  EXPECT_TRUE(w.AddToMRU(Path("M.TSM")));
  EXPECT_EQ(w.MRU[0]->toolTip().toStdString(), Path("M.TSM"));
  EXPECT_EQ(w.MRU[1]->toolTip().toStdString(), others[2]);
  EXPECT_EQ(w.MRU[3]->toolTip().toStdString(), others[0]);
  w.OpenGivenFile(WriteModel("e.tsm", {"y"}));
  EXPECT_EQ(w.MRU[3]->toolTip().toStdString(), others[1]);

  // A cancelled Open changes nothing.
  const auto title = w.windowTitle();
  f.chooser.openAnswers = {{}};
  w.OpenClick();
  EXPECT_EQ(w.windowTitle(), title);
}

TEST_F(WindowTest, DroppingFilesOpensTheFirst) {
  auto& w = Open();
  const std::string a = WriteModel("a.tsm", {"one"});
  const std::string b = WriteModel("b.tsm", {"two"});
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(a)),
                QUrl::fromLocalFile(QString::fromStdString(b))});
  w.DropFiles(&data);
  EXPECT_EQ(w.Workbench().CurrentFileName, a);
  EXPECT_EQ(Names(w.listVar), std::vector<std::string>{"one"});
}

TEST_F(WindowTest, SaveWritesTheCaseDescriptionAndKeepsModifiedOnFailure) {
  auto& w = Open();
  const std::string m = WriteModel("m.tsm", {"a"});
  w.OpenGivenFile(m);
  w.show();
  w.edModelDescription->setFocus();
  QTest::keyClicks(w.edModelDescription, "case one");
  EXPECT_TRUE(w.Workbench().Modified);
  w.FileMenuClick();
  EXPECT_TRUE(w.mitSave->isEnabled());
  w.SaveClick();
  EXPECT_FALSE(w.Workbench().Modified);

  // A paste marks the model modified too.
  QApplication::clipboard()->setText("!");
  w.edModelDescription->paste();
  EXPECT_TRUE(w.Workbench().Modified);
  // A file that cannot be written: the model stays modified.
  w.Workbench().CurrentFileName = Path("gone/m.tsm");
  w.SaveClick();
  EXPECT_TRUE(w.Workbench().Modified);
  const auto texts = f.prompt.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "There was a problem writing the file m.tsm"),
            texts.end());
  win.reset();
  EXPECT_EQ(Description(m).substr(0, 8), "case one");
}

TEST_F(WindowTest, SaveWithAnInvalidFormulaAsks) {
  auto& w = Open();
  const std::string m = WriteModel("m.tsm", {"a"}, {{"f", "a+"}});
  w.OpenGivenFile(m);
  for (TAnswer answer : {TAnswer::Cancel, TAnswer::No}) {
    SetModified(w.Workbench(), true);
    f.prompt.shown.clear();
    f.prompt.answers = {answer};
    w.SaveClick();
    ASSERT_EQ(f.prompt.shown.size(), 1u);
    EXPECT_EQ(f.prompt.shown[0].text.rfind("A diagnostic error:\n\rf: ", 0), 0u);
    EXPECT_EQ(w.Workbench().Modified, answer == TAnswer::Cancel);
  }
}

TEST_F(WindowTest, ExtractWritesTheSelectionAndKeepsTheModelsFile) {
  auto& w = Open();
  const std::string m = WriteModel("m.tsm", {"a", "b", "c"});
  w.OpenGivenFile(m);
  SetModified(w.Workbench(), true);
  w.listVar->clearSelection();
  w.listVar->selectionModel()->select(w.listVar->model()->index(0, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  w.listVar->selectionModel()->select(w.listVar->model()->index(2, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  const std::string extract = Path("part.tsm");
  f.chooser.saveAnswers = {extract};
  w.ExtractClick(false);
  EXPECT_EQ(f.chooser.lastOptions.InitialName, "m_extract");
  EXPECT_EQ(w.Workbench().CurrentFileName, m);
  EXPECT_TRUE(w.Workbench().Modified);
  w.SaveClick();
  EXPECT_FALSE(w.Workbench().Modified);
  win.reset();
  Init_data();
  ASSERT_GT(LoadTSMFile(extract.c_str(), TsmOpen), 0);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 2);
  Init_data();
  ASSERT_GT(LoadTSMFile(m.c_str(), TsmOpen), 0);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 3);
}

TEST_F(WindowTest, ExitAsksTheSaveQuestionAndCancelKeepsRunning) {
  auto& w = Open();
  w.show();
  w.NewClick();
  SetModified(w.Workbench(), true);
  f.prompt.answers = {TAnswer::Cancel};
  w.mitExit->trigger();
  EXPECT_TRUE(w.isVisible());
  ASSERT_EQ(f.prompt.shown.size(), 1u);
  EXPECT_NE(f.prompt.shown[0].text.find("Do you want to save the file?"), std::string::npos);
  f.prompt.answers = {TAnswer::No};
  w.mitExit->trigger();
  EXPECT_FALSE(w.isVisible());
}

TEST_F(WindowTest, SettingsWrittenAtExitAreReadAtTheNextStart) {
  {
    auto& w = Open();
    w.setGeometry(50, 60, 700, 500);
    w.AddToMRU("/x/one.tsm");
    TDisplaySettings d;
    d.fpformat = 1;
    d.fpwidth = 9;
    SetCurrentDisplaySettings(d);
    w.Workbench().Undo.SetDepth(40);
    w.listFor->setColumnWidth(2, 321);
    win.reset();
  }
  SetCurrentDisplaySettings(TDisplaySettings{});
  auto& w = Open();
  EXPECT_EQ(w.geometry(), QRect(50, 60, 700, 500));
  EXPECT_EQ(w.MRU[0]->toolTip(), "/x/one.tsm");
  EXPECT_TRUE(w.MRU[0]->isVisible() || !w.isVisible());
  EXPECT_FALSE(w.MRU[1]->isVisible());
  EXPECT_EQ(CurrentDisplaySettings().fpformat, 1);
  EXPECT_EQ(CurrentDisplaySettings().fpwidth, 9);
  EXPECT_EQ(w.Workbench().Undo.GetDepth(), 40);
  EXPECT_EQ(w.listFor->columnWidth(2), 321);
  EXPECT_EQ(w.listVar->columnWidth(3), 200);
}

TEST_F(WindowTest, ReportWrapColumnFourAndAnUnseenFormulaSplitHoldAcrossStarts) {
  {
    common::TIniFile ini(settings.toStdString());
    ini.WriteBool("Report", "WordWrap", true);
    ini.WriteInteger("VarWindow", "ColWidth4", 77);
    ini.WriteInteger("ForWindow", "ColWidth4", 88);
    ini.WriteInteger("ForWindow", "Split", 345);
  }
  {
    auto& w = Open();  // the formula panel is never shown
    w.show();
    QApplication::processEvents();
    EXPECT_NE(w.richReport->lineWrapMode(), QTextEdit::NoWrap);
    EXPECT_EQ(w.listVar->columnWidth(4), 77);
    EXPECT_EQ(w.listFor->columnWidth(4), 88);
    w.richReport->setLineWrapMode(QTextEdit::NoWrap);
    win.reset();
  }
  common::TIniFile ini(settings.toStdString());
  EXPECT_FALSE(ini.ReadBool("Report", "WordWrap", true));
  EXPECT_EQ(ini.ReadInteger("VarWindow", "ColWidth4", -1), 77);
  EXPECT_EQ(ini.ReadInteger("ForWindow", "ColWidth4", -1), 88);
  EXPECT_EQ(ini.ReadInteger("ForWindow", "Split", -1), 345);
  EXPECT_EQ(Open().richReport->lineWrapMode(), QTextEdit::NoWrap);
}

TEST_F(WindowTest, ButtonBarSteps) {
  auto& w = Open();
  w.OpenGivenFile(WriteModel("m.tsm", {"a", "b", "c"}));
  auto selected = [&] {
    std::vector<int> rows;
    for (const QModelIndex& i : w.listVar->selectionModel()->selectedRows())
      rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
  };
  w.listVar->clearSelection();
  w.NavButtons[2]->click();  // ">" without a selection
  EXPECT_EQ(selected(), std::vector<int>{1});
  w.NavButtons[3]->click();
  EXPECT_EQ(selected(), std::vector<int>{2});
  w.NavButtons[2]->click();  // ">" on the last
  EXPECT_EQ(selected(), std::vector<int>{2});
  w.listVar->selectAll();
  w.NavButtons[0]->click();
  EXPECT_EQ(selected(), std::vector<int>{0});
  w.NavButtons[1]->click();  // "<" on the first
  EXPECT_EQ(selected(), std::vector<int>{0});
  // Typed characters are characters: "!" and "q" do not step.
  w.show();
  w.listVar->setFocus();
  QTest::keyClicks(w.listVar, "!q\"");
  EXPECT_EQ(selected(), std::vector<int>{0});
  QTest::keyClick(w.listVar, Qt::Key_PageDown);
  EXPECT_EQ(selected(), std::vector<int>{1});
}

TEST_F(WindowTest, ListAndDetailsShowTheSameRowsAndSelection) {
  auto& w = Open();
  w.OpenGivenFile(WriteModel("m.tsm", {"a", "b", "c"}));
  w.show();
  w.listVar->selectRow(1);
  QMenu* menu = w.butVarView->menu();
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text(), "List");
  EXPECT_EQ(menu->actions()[1]->text(), "Details");
  EXPECT_TRUE(menu->actions()[1]->isChecked());

  w.butVarView->click();  // the button switches the style
  EXPECT_FALSE(w.ListDetails(TObjectList::Variables));
  EXPECT_TRUE(w.listVarNames->isVisible());
  EXPECT_FALSE(w.listVar->isVisible());
  EXPECT_TRUE(menu->actions()[0]->isChecked());
  EXPECT_TRUE(w.ListDetails(TObjectList::Formulas));  // each list has its own style
  QAbstractItemModel* m = w.listVarNames->model();
  EXPECT_EQ(m->index(2, w.listVarNames->modelColumn()).data().toString(), "c");
  EXPECT_TRUE(w.listVarNames->selectionModel()->isSelected(m->index(1, 1)));
  // Keys and the button bar act on the shown view.
  w.listVarNames->setFocus();
  QTest::keyClick(w.listVarNames, Qt::Key_PageDown);
  EXPECT_TRUE(w.listVar->selectionModel()->isRowSelected(2, {}));

  menu->actions()[1]->trigger();
  EXPECT_TRUE(w.listVar->isVisible());
  EXPECT_FALSE(w.listVarNames->isVisible());
  EXPECT_TRUE(w.listVar->selectionModel()->isRowSelected(2, {}));
}

TEST_F(WindowTest, F2EditsTheSelectedNameInPlace) {
  auto& w = Open();
  w.OpenGivenFile(WriteModel("m.tsm", {"a", "b"}, {{"f", "a+b"}}));
  w.show();
  for (QWidget* logo : w.findChildren<QWidget*>("LogoForm")) logo->close();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  w.listVar->selectRow(1);
  w.listVar->setFocus();
  QLineEdit* ed = w.edInplace;
  // "q" is a character, not F2.
  QTest::keyClick(w.listVar, Qt::Key_Q);
  EXPECT_FALSE(ed->isVisible());
  QTest::keyClick(w.listVar, Qt::Key_F2);
  ASSERT_TRUE(ed->isVisible());
  EXPECT_TRUE(ed->hasFocus());
  EXPECT_EQ(ed->text(), "b");
  // Over the item's name, one pixel above it; at least the text's width + 20.
  const QRect cell = w.listVar->visualRect(w.listVar->model()->index(1, 1));
  EXPECT_EQ(ed->geometry().topLeft(),
            w.listVar->viewport()->mapTo(&w, cell.topLeft() - QPoint(0, 1)));
  EXPECT_EQ(ed->height(), cell.height() + 2);
  EXPECT_EQ(ed->minimumWidth(), w.fontMetrics().horizontalAdvance("b") + 20);
  // It grows with its text.
  ed->setText(QString(40, 'x'));
  EXPECT_EQ(ed->width(), w.fontMetrics().horizontalAdvance(QString(40, 'x')) + 10);

  // Escape leaves the name as it was and gives the list the focus.
  QTest::keyClick(ed, Qt::Key_Escape);
  EXPECT_FALSE(ed->isVisible());
  EXPECT_TRUE(w.listVar->hasFocus());
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(w.mitUndo->isEnabled());

  // Enter renames (blanks become underscores) through the undoable rename.
  QTest::keyClick(w.listVar, Qt::Key_F2);
  ed->selectAll();
  QTest::keyClicks(ed, "new b");
  QTest::keyClick(ed, Qt::Key_Return);
  EXPECT_FALSE(ed->isVisible());
  EXPECT_TRUE(w.listVar->hasFocus());
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"a", "new_b"}));
  EXPECT_EQ(FormulaText("f"), "a+new_b");
  EXPECT_TRUE(w.Workbench().Modified);
  EXPECT_TRUE(w.mitUndo->isEnabled());

  // A name in use is refused with the warning; the list keeps the old name.
  w.listVar->selectRow(0);
  w.listVar->setFocus();
  QTest::keyClick(w.listVar, Qt::Key_F2);
  ASSERT_TRUE(ed->isVisible());
  QTest::keyClicks(ed, "new_b");
  QTest::keyClick(ed, Qt::Key_Return);
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"a", "new_b"}));
  ASSERT_FALSE(f.prompt.shown.empty());
  EXPECT_EQ(f.prompt.shown.back().text, "Random variable with name \"new_b\" already exists!");

  // Leaving the editor for another control commits the name of the item
  // that was being edited; the formula list works the same way.
  w.ChangePanel(PanelFormulas);
  w.listFor->selectRow(0);
  w.listFor->setFocus();
  QTest::keyClick(w.listFor, Qt::Key_F2);
  ASSERT_TRUE(ed->isVisible());
  EXPECT_EQ(ed->text(), "f");
  QTest::keyClicks(ed, "g");
  w.edModelDescription->setFocus();
  EXPECT_FALSE(ed->isVisible());
  EXPECT_EQ(Names(w.listFor), (std::vector<std::string>{"g"}));

  // Without a selection F2 starts nothing.
  w.listVar->clearSelection();
  EXPECT_FALSE(w.EditSelectedName(TObjectList::Variables));
}

TEST_F(WindowTest, AThousandObjectsOpenAndScrollQuickly) {
  std::vector<std::string> vars;
  std::vector<std::pair<std::string, std::string>> formulas;
  for (int i = 1; i <= 1000; ++i) {
    vars.push_back(std::string("v").append(std::to_string(i)));
    formulas.push_back({std::string("f").append(std::to_string(i)),
                        std::string("v").append(std::to_string(i)) + "*2"});
  }
  const std::string m = WriteModel("big.tsm", vars, formulas);
  auto& w = Open();
  w.resize(900, 640);
  w.show();
  QElapsedTimer timer;
  timer.start();
  w.OpenGivenFile(m);
  QApplication::processEvents();
  ASSERT_EQ(w.listVar->model()->rowCount(), 1000);
  for (int step = 0; step < 20; ++step) {
    QTest::keyClick(w.listVar, Qt::Key_PageDown);
    QApplication::processEvents();
  }
  w.listVar->scrollToBottom();
  w.listVar->selectRow(999);
  w.ChangePanel(PanelFormulas);
  w.listFor->scrollToBottom();
  w.listFor->selectRow(500);
  QApplication::processEvents();
  // The lists ask the engine only for the rows they show, so this takes
  // about a second in a sanitizer build with every selection step filling the
  // editor frame (milliseconds in an optimised one). The bound leaves room for
  // a machine running the whole suite in parallel.
  EXPECT_LT(timer.elapsed(), 10000);
  EXPECT_EQ(w.listVar->selectionModel()->selectedRows().front().row(), 999);
  EXPECT_EQ(w.listFor->model()->index(999, 1).data().toString(), "f1000");
}

TEST_F(WindowTest, ButtonBarKeysOutsideTheLists) {
  auto& w = Open();
  w.OpenGivenFile(WriteModel("m.tsm", {"a", "b", "c"}));
  w.show();
  auto selected = [&] { return w.listVar->selectionModel()->selectedRows().front().row(); };
  w.listVar->selectRow(0);
  // In the case description Page Down steps, Home stays with the text.
  w.edModelDescription->setFocus();
  QTest::keyClick(w.edModelDescription, Qt::Key_PageDown);
  EXPECT_EQ(selected(), 1);
  QTest::keyClick(w.edModelDescription, Qt::Key_Home);
  EXPECT_EQ(selected(), 1);
  // Elsewhere End and Home go to the last and the first item.
  w.edModelDescription->clearFocus();
  QTest::keyClick(&w, Qt::Key_End);
  EXPECT_EQ(selected(), 2);
  QTest::keyClick(&w, Qt::Key_PageUp);
  EXPECT_EQ(selected(), 1);
  QTest::keyClick(&w, Qt::Key_Home);
  EXPECT_EQ(selected(), 0);
  // A list's own Page Down steps once.
  w.listVar->setFocus();
  QTest::keyClick(w.listVar, Qt::Key_PageDown);
  EXPECT_EQ(selected(), 1);
}

TEST_F(WindowTest, CommandLine) {
  const std::string sam = Path("f.sam");
  WriteText(sam, "3\nx1\nx2\nx3\n2\ny1\ny2\n1    ;* samples\n1\n2\n3\n4\n5\n");
  {
    auto& w = Open({QString::fromStdString(sam)});
    (void)w;
  }
  struct Case {
    QStringList args;
    bool imported;
  };
  const Case cases[] = {
      {{"-import_sam_file_for_udf", QString::fromStdString(sam)}, true},
      {{"-IMPORT_SAM_FILE_FOR_UDF", QString::fromStdString(sam)}, false},
      {{"-import_sam_file_for_udf", QString::fromStdString(Path("none.sam"))}, false},
      {{"-import_sam_file_for_udf", QString::fromStdString(sam), "x"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    auto& w = Open(c.args);
    EXPECT_EQ(w.ShowLogoAllowed(), !c.imported);
    w.ProcessCommandLine();
    if (c.imported) {
      EXPECT_EQ(GetHeaderModelType(), 2);
      EXPECT_EQ(w.VisiblePanel(), PanelFormulas);
      ASSERT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 5);
      for (int i = 1; i <= 5; ++i) {
        auto* rv = static_cast<TExtendedRandomVariable*>(Get_TSMObject(i, ObjRandomVariable));
        EXPECT_EQ(rv->distribution.distType, 12);
        EXPECT_EQ(rv->samplePosition, i - 1);
      }
    } else {
      EXPECT_FALSE(w.Workbench().FileOpen);
    }
    win.reset();
    Init_data();
  }
  // One existing model file is opened.
  const std::string m = WriteModel("m.tsm", {"a"});
  auto& w = Open({QString::fromStdString(m)});
  w.ProcessCommandLine();
  EXPECT_EQ(w.Workbench().CurrentFileName, m);
}

TEST_F(WindowTest, OptionsDialog) {
  TFrmOptions o;
  o.Load(TDisplaySettings{}, 13, true);
  o.cbxFormat->setCurrentIndex(1);
  o.udWidth->setValue(10);
  o.udPrecision->setValue(3);
  EXPECT_EQ(o.labPi->text(), "     3.142");
  o.DefaultClick();
  EXPECT_EQ(o.udUndo->value(), 60);
  EXPECT_EQ(o.Display().fpformat, 2);  // Default changes only the controls
  EXPECT_EQ(o.UndoDepth(), 13);
  o.udWidth->setValue(4);
  o.chkObjIdx->setChecked(false);
  o.AcceptClick();
  EXPECT_EQ(o.result(), 1);
  EXPECT_EQ(o.Display().fpwidth, 4);
  EXPECT_EQ(o.Display().fpformat, 2);
  EXPECT_EQ(o.UndoDepth(), 60);
  EXPECT_FALSE(o.ShowIndexes());
}

TEST_F(WindowTest, SmallWindows) {
  TLogoForm* logo = new TLogoForm;
  EXPECT_EQ(logo->Timer1->interval(), 6000);
  EXPECT_EQ(logo->size(), QSize(640, 480));
  QTest::mousePress(logo, Qt::LeftButton);
  EXPECT_EQ(logo->Timer1->interval(), 26000);
  logo->show();
  QTest::mouseRelease(logo, Qt::LeftButton);
  EXPECT_FALSE(logo->isVisible());
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  TVineToMatrixModal modal;
  EXPECT_TRUE(modal.ProgressFunc(0, 100));
  EXPECT_EQ(modal.ProgressLabel->text(), "Conversion complete : 0 %");
  EXPECT_TRUE(modal.ProgressFunc(100, 100));
  EXPECT_EQ(modal.ProgressLabel->text(), "Conversion complete : 99 %");
  modal.CancelButton->click();
  EXPECT_FALSE(modal.ProgressFunc(50, 100));

  // Esc on the focused control stops the conversion as Cancel does; the
  // window stays until the conversion's caller closes it.
  TVineToMatrixModal escaped;
  escaped.Start();
  EXPECT_TRUE(escaped.ProgressFunc(10, 100));
  QWidget* focused = escaped.focusWidget() ? escaped.focusWidget() : escaped.CancelButton;
  QTest::keyClick(focused, Qt::Key_Escape);
  EXPECT_TRUE(escaped.isVisible());
  EXPECT_FALSE(escaped.ProgressFunc(20, 100));
  escaped.Start();  // a new conversion starts uncancelled
  EXPECT_TRUE(escaped.ProgressFunc(20, 100));
}

TEST_F(WindowTest, AnEscapingExceptionShowsTheErrorBox) {
  std::vector<std::string> errors;
  auto keep = TTesmiraApplication::ErrorSink();
  TTesmiraApplication::ErrorSink() = [&](const std::string& e) { errors.push_back(e); };
  EXPECT_FALSE(TTesmiraApplication::Guard([]() -> bool { throw std::runtime_error("boom"); }));
  EXPECT_TRUE(TTesmiraApplication::Guard([] { return true; }));
  EXPECT_EQ(errors, std::vector<std::string>{"boom"});
  TTesmiraApplication::ErrorSink() = keep;
}

TEST_F(WindowTest, LinkManagerKeepsTheLinkWhenTheNewChoiceIsCancelled) {
  common::TIniFile ini(settings.toStdString());
  ini.WriteInteger("LinkWindow", "Top", 5000);
  ini.WriteInteger("LinkWindow", "Left", 10);
  ini.UpdateFile();
  auto& w = Open();
  const std::string a = WriteModel("a.tsm", {"ext_a"});
  const std::string b = WriteModel("b.tsm", {"ext_b"});
  w.NewClick();
  AddVariable("own");
  w.UpdateView(ViewVariables);
  TFrmLink link(w, settings);
  EXPECT_EQ(ReadLinkWindowPlace(ini, 1280, 1024).Top, 924);
  f.chooser.openAnswers = {{a}, {b}};
  w.LinkOrMergeClick(true);
  w.LinkOrMergeClick(true);
  link.FillLinkList();
  ASSERT_EQ(link.listLink->topLevelItemCount(), 2);

  // "..." on a link whose file is gone, then Cancel: nothing changes.
  std::filesystem::rename(a, Path("moved.tsm"));
  link.listLink->setCurrentItem(link.listLink->topLevelItem(0));
  f.chooser.openAnswers = {{}};
  link.BrowseClick();
  ASSERT_EQ(link.listLink->topLevelItemCount(), 2);
  EXPECT_EQ(link.listLink->topLevelItem(0)->text(0), "a.tsm");
  std::filesystem::rename(Path("moved.tsm"), a);

  // Merge of both: the later first; the own variable stays.
  link.listLink->selectAll();
  link.MergeClick();
  EXPECT_EQ(GetLinkedFilesNumber(), 0);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 3);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(IsLinkedTSMObject(i, ObjRandomVariable), 0);
}

}  // namespace
}  // namespace tesmira::wb::test
