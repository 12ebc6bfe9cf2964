#include "list_editing.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "batch_sample_selection.h"
#include "fake_starter.h"
#include "tesmira/distributions.h"
#include "window_fixture.h"

namespace tesmira::wb {
namespace {

using test::WindowTest;

class ListEditingTest : public WindowTest {
 protected:
  TListEditing& Editing(TFrmTesmiraMain& w) { return *w.findChild<TListEditing*>("ListEditing"); }
  std::vector<int> Selected(QTableView* v) {
    std::vector<int> rows;
    for (const QModelIndex& i : v->selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  void Select(QTableView* v, const std::vector<int>& rows) {
    v->clearSelection();
    for (int r : rows)
      v->selectionModel()->select(v->model()->index(r, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
};

TEST_F(ListEditingTest, DropOnTheViewportReordersTheModel) {
  auto& w = Open();
  w.OpenGivenFile(WriteModel("m.tsm", {"A", "B", "C", "D", "E", "F"}));
  w.show();
  Select(w.listVar, {0, 4});
  QWidget* viewport = w.listVar->viewport();
  const QPoint target = w.listVar->visualRect(w.listVar->model()->index(2, 1)).center();
  QMimeData data;
  data.setData("application/x-tesmira-list-drag", "0");
  QDragEnterEvent enter(target, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(target), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &drop);
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"B", "C", "A", "E", "D", "F"}));
  EXPECT_EQ(Selected(w.listVar), (std::vector<int>{2, 3}));
  EXPECT_TRUE(w.Workbench().Modified);
  // A drag from the other list is refused.
  QMimeData other;
  other.setData("application/x-tesmira-list-drag", "1");
  QDragEnterEvent foreign(target, Qt::MoveAction, &other, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &foreign);
  EXPECT_FALSE(foreign.isAccepted());
}

TEST_F(ListEditingTest, HeaderClicksSortAndNotSortedRestores) {
  auto& w = Open();
  w.OpenGivenFile(WriteModel("m.tsm", {"c", "a", "b"}));
  w.show();
  QHeaderView* header = w.listVar->horizontalHeader();
  const QPoint name(header->sectionViewportPosition(1) + 5, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, name);
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(header->model()->headerData(1, Qt::Horizontal).toString(), "Name <");
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, name);
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"c", "b", "a"}));
  EXPECT_EQ(header->model()->headerData(1, Qt::Horizontal).toString(), "Name >");
  Editing(w).SortClick(TObjectList::Variables, 3);
  Editing(w).butNatural[0]->click();
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_EQ(header->model()->headerData(1, Qt::Horizontal).toString(), "Name");
  EXPECT_FALSE(w.Workbench().Modified);
}

TEST_F(ListEditingTest, TypingSearchesNamesAndRestarts) {
  auto& w = Open();
  w.OpenGivenFile(WriteModel("m.tsm", {"alpha", "alps", "beta"}));
  w.show();
  w.listVar->setFocus();
  QTest::keyClicks(w.listVar, "alp");
  EXPECT_EQ(Selected(w.listVar), std::vector<int>{0});
  QTest::keyClicks(w.listVar, "s");
  EXPECT_EQ(Selected(w.listVar), std::vector<int>{1});
  QTest::keyClicks(w.listVar, "b");  // "alpsb" matches nothing: "b" alone
  EXPECT_EQ(Selected(w.listVar), std::vector<int>{2});
}

TEST_F(ListEditingTest, CopyPasteThroughTheClipboard) {
  auto& w = Open();
  w.OpenGivenFile(WriteModel("m.tsm", {"x", "y", "z"}, {{"f", "x+1"}}));
  w.show();
  TListEditing& e = Editing(w);
  w.listVar->setFocus();
  w.listVar->selectAll();
  e.mitCopy->trigger();
  const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
  ASSERT_TRUE(clip->hasFormat(PrivateClipboardFormat(1)));
  EXPECT_EQ(clip->data(PrivateClipboardFormat(1)).size(), 4 + 3 * 2176);
  w.NewModelOfType(0);
  w.ChangePanel(PanelVariables);
  w.listVar->setFocus();
  e.PasteClick(false);
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"x1", "y1", "z1"}));
  EXPECT_EQ(Selected(w.listVar), (std::vector<int>{0, 1, 2}));
  // Cut asks nothing for variables and can be undone.
  Select(w.listVar, {1});
  e.mitCut->trigger();
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"x1", "z1"}));
  w.mitUndo->trigger();
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"x1", "y1", "z1"}));
  EXPECT_TRUE(f.prompt.shown.empty());
}

TEST_F(ListEditingTest, SelectionCommandsAndDeleteKey) {
  Init_data();
  for (const char* n : {"n1", "n2"}) AddVariable(n);
  TExtendedRandomVariable u = Normal("u1");
  u.distribution.distType = DistUniform;
  Create_TSMObject(ObjRandomVariable, &u);
  AddVariable("n3");
  Mark_AllTSMObjectsSelected(true);
  ASSERT_GT(WriteTSMFile(Path("m.tsm").c_str()), 0);
  Init_data();
  auto& w = Open();
  w.OpenGivenFile(Path("m.tsm"));
  w.show();
  TListEditing& e = Editing(w);
  Select(w.listVar, {1});
  w.listVar->selectionModel()->setCurrentIndex(w.listVar->model()->index(1, 1),
                                               QItemSelectionModel::NoUpdate);
  e.SelectSameValueClick(1);  // "Distribution": the Normal variables
  EXPECT_EQ(Selected(w.listVar), (std::vector<int>{0, 1, 3}));
  e.mitInvertSelection->trigger();
  EXPECT_EQ(Selected(w.listVar), (std::vector<int>{2}));
  w.listVar->setFocus();
  f.prompt.answers = {TAnswer::Yes};
  QTest::keyClick(w.listVar, Qt::Key_Delete);
  EXPECT_EQ(f.prompt.shown.back().text, "Are you sure you want to delete random variable \"u1\"?");
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"n1", "n2", "n3"}));
  EXPECT_EQ(Selected(w.listVar), (std::vector<int>{2}));
}

TEST_F(ListEditingTest, AddBatchAndVerify) {
  auto& w = Open();
  w.NewModelOfType(0);
  w.ChangePanel(PanelVariables);
  TListEditing& e = Editing(w);
  e.butAdd[0]->click();
  e.butAdd[0]->click();
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"V1", "V2"}));
  e.BatchDialog = [](std::string& name, int& count, int maximum) {
    EXPECT_EQ(name, "V2");
    EXPECT_EQ(maximum, 998);
    name = "A*";
    count = 2;
    return true;
  };
  e.BatchCreateClick();
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"V1", "V2", "A1", "A2"}));
  EXPECT_EQ(Selected(w.listVar), (std::vector<int>{2, 3}));
  w.ChangePanel(PanelFormulas);
  e.butVerify[1]->click();
  EXPECT_EQ(f.prompt.shown.back().text, "Formula/UDF check OK.");
}

TEST_F(ListEditingTest, CreateFromSampleFileAsksForTheVariables) {
  const std::string sam = Path("s.sam");
  WriteText(sam, "2\na\nb\n1\ny\n1    ;* n\n1\n2\n3\n");
  auto& w = Open();
  w.NewModelOfType(0);
  w.ChangePanel(PanelVariables);
  TListEditing& e = Editing(w);
  QMenu* menu = e.butBatch[0]->menu();
  ASSERT_TRUE(menu->actions().contains(e.mitCreateFromSampleFile));
  emit menu->aboutToShow();
  ASSERT_TRUE(e.mitCreateFromSampleFile->isEnabled());
  // The real dialog, answered without waiting: "b" unchecked, then Select.
  std::vector<std::string> listed;
  std::vector<bool> checkedAtFirst;
  e.SampleSelectionDialog = [&](const std::vector<std::string>& names, std::vector<char>& checked) {
    TBatchSampleSelectionFrm dialog(&w);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Select Sample Variables");
    dialog.AddSampleNames(names);
    for (int i = 0; i < dialog.m_lstSampleRandVars->count(); ++i) {
      listed.push_back(dialog.m_lstSampleRandVars->item(i)->text().toStdString());
      checkedAtFirst.push_back(dialog.m_lstSampleRandVars->item(i)->checkState() == Qt::Checked);
    }
    dialog.m_lstSampleRandVars->item(1)->setCheckState(Qt::Unchecked);
    QTest::mouseClick(dialog.m_btnSelect, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    checked = dialog.Selected();
    return true;
  };
  f.chooser.openAnswers = {{sam}};
  e.mitCreateFromSampleFile->trigger();
  EXPECT_EQ(listed, (std::vector<std::string>{"a", "b", "y"}));
  EXPECT_EQ(checkedAtFirst, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(Names(w.listVar), (std::vector<std::string>{"a", "y"}));
  EXPECT_EQ(Selected(w.listVar), (std::vector<int>{0, 1}));
  emit menu->aboutToShow();
  EXPECT_FALSE(e.mitCreateFromSampleFile->isEnabled());

  TBatchSampleSelectionFrm cancelled(&w);
  cancelled.AddSampleNames({"a"});
  QTest::mouseClick(cancelled.m_btnCancel, Qt::LeftButton);
  EXPECT_EQ(cancelled.result(), QDialog::Rejected);
}

TEST_F(ListEditingTest, RunMenuStartsTheSiblingPrograms) {
  std::filesystem::create_directories(dir_ / "a.tsm.d");
  const std::string m = WriteModel("a.tsm.d/m.tsm", {"x"});
  WriteText(Path("a.tsm.d/m.sam"), "1\nx\n0\n1\n1\n");
  auto& w = Open();
  w.OpenGivenFile(m);
  test::FakeStarter starter;
  starter.openWorks = false;
  TListEditing& e = Editing(w);
  e.SetProgramStarter(&starter);
  e.ProgramFolder = "/prog/";
  e.mitTesvane->trigger();
  ASSERT_EQ(starter.started.size(), 1u);
  EXPECT_EQ(starter.started[0].first, "/prog/tesvane");
  EXPECT_EQ(starter.started[0].second, std::vector<std::string>{Path("a.tsm.d/m.sae")});
  starter.startWorks = false;
  e.mitTesplore->trigger();
  // The user's sample file is never handed to the desktop.
  EXPECT_TRUE(starter.opened.empty());
  EXPECT_TRUE(f.prompt.shown.back().text.starts_with("Display program was not found."));
  e.mitHelpIndex->trigger();
  EXPECT_EQ(f.prompt.shown.back().text,
            "TesmiraHelp.html file was not found or no application is installed to open it");
}

}  // namespace
}  // namespace tesmira::wb
