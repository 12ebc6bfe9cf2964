#include "main_view.h"

#include "ini_file.h"
#include "model_fixture.h"
#include "utilities.h"

namespace tesmira::wb::test {
namespace {

TEST(MainView, WindowTitles) {
  struct Case {
    bool open;
    const char* file;
    int kind, type;
    const char *caption, *title;
  };
  // clang-format off
  const Case cases[] = {
      {false, "", 0, 2, "Tesmira v2.2 - no file", "Tesmira"},
      {true, "", 2, 2, "Tesmira v2.2 -  [Input] Formula Model", " - Tesmira"},
      {true, "/d/m.tsm", 5, 3, "Tesmira v2.2 - /d/m.tsm [Input] Zozivor Model", "m.tsm - Tesmira"},
      {true, "/d/m.tso", 3, 2, "Tesmira v2.2 - /d/m.tso [Output] Formula Model", "m.tso - Tesmira"},
      {true, "/d/m.sam", 4, 2, "Tesmira v2.2 - /d/m.sam [Sample] Formula Model", "m.sam - Tesmira"},
      {true, "/d/m.x", 1, 1, "Tesmira v2.2 - /d/m.x [?] Zozivor Model", "m.x - Tesmira"},
  };
  // clang-format on
  for (const Case& c : cases) {
    TWindowTitles t = BuildWindowTitles(c.open, c.file, c.kind, c.type);
    EXPECT_EQ(t.Caption, c.caption);
    EXPECT_EQ(t.Title, c.title);
  }
}

TEST(MainView, ViewMaskStepsRunInTheirOrder) {
  using S = TViewStep;
  EXPECT_EQ(DecodeViewMask(0x53D),
            (std::vector<S>{S::Caption, S::VariableList, S::FormulaList, S::Dependence,
                            S::LinkManager, S::ChoosePanel, S::GraphRebuild}));
  EXPECT_EQ(DecodeViewMask(0x6A2),
            (std::vector<S>{S::LinkManager, S::EnsureSelection, S::GraphRebuild, S::GraphState}));
  EXPECT_TRUE(ViewSelectsFirstItem(0x53D));
  EXPECT_FALSE(ViewSelectsFirstItem(0x04));
  EXPECT_FALSE(ViewSelectsFirstItem(0x45));
}

TEST(MainView, RecentFiles) {
  std::array<std::string, 4> mru{"a", "b", "c", ""};
  EXPECT_FALSE(AddToRecentFiles(mru, ""));
  EXPECT_TRUE(AddToRecentFiles(mru, "C"));
  EXPECT_EQ(mru, (std::array<std::string, 4>{"C", "a", "b", ""}));
  AddToRecentFiles(mru, "d");
  AddToRecentFiles(mru, "e");
  EXPECT_EQ(mru, (std::array<std::string, 4>{"e", "d", "C", "a"}));
}

TEST(MainView, SaveButton) {
  EXPECT_TRUE(SaveButtonEnabled(true, 2, true, true, 0));
  EXPECT_FALSE(SaveButtonEnabled(true, 2, false, true, 0));
  EXPECT_TRUE(SaveButtonEnabled(true, 0, false, false, 0));  // never saved
  EXPECT_FALSE(SaveButtonEnabled(true, 3, false, true, 0));
  EXPECT_TRUE(SaveButtonEnabled(true, 3, false, true, 2));
}

TEST(MainView, DurationsAndProgress) {
  EXPECT_EQ(FormatDuration(3725), "1 h 2 m 5 s");
  EXPECT_EQ(FormatDuration(3600), "60 m 0 s");
  EXPECT_EQ(FormatDuration(60), "60 s");
  EXPECT_EQ(FormatDuration(61), "1 m 1 s");
  TProgressTexts t = TransformProgressTexts(0, 100, 3);
  EXPECT_EQ(t.Progress, "Conversion complete : 0 %");
  EXPECT_EQ(t.Elapsed, "Elapsed: 3 sec.");
  t = TransformProgressTexts(25, 100, 10);
  EXPECT_EQ(t.Elapsed, "Elapsed: 10 sec.  Remaining: ~31 sec.");
  EXPECT_EQ(TransformProgressTexts(100, 100, 1).Progress, "Conversion complete : 99 %");
}

class MainViewModel : public ModelTest {};

TEST_F(MainViewModel, ListTextsAndIndexCaptions) {
  for (int i = 0; i < 10; ++i) AddVariable(std::string("v").append(std::to_string(i)));
  AddFormula("f", "v1+v2");
  EXPECT_EQ(FormatIndexCaption(ObjRandomVariable, 3), " 3");
  EXPECT_EQ(FormatIndexCaption(ObjFormula, 1), "1");
  EXPECT_EQ(ObjectListCell(ObjRandomVariable, 2, 0), " 3");
  EXPECT_EQ(ObjectListCell(ObjRandomVariable, 2, 1), "v2");
  EXPECT_EQ(ObjectListCell(ObjRandomVariable, 2, 2), "Normal");
  EXPECT_EQ(ObjectListCell(ObjRandomVariable, 2, 4), "");
  EXPECT_EQ(ObjectListCell(ObjFormula, 0, 2), "v1+v2");
  EXPECT_EQ(ObjectListCell(ObjRandomVariable, 20, 0), "idx 21 is nil");
}

TEST_F(MainViewModel, EmptyUnusedFormulasAreRemoved) {
  AddVariable("a");
  AddFormula("used", "");
  AddFormula("user", "used+a");
  AddFormula("spare", "");
  EXPECT_FALSE(IsEmptyUnusedFormula(1));
  EXPECT_TRUE(IsEmptyUnusedFormula(3));
  EXPECT_EQ(RemoveEmptyFormulas(), 1);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjFormula), 2);
}

TEST_F(MainViewModel, FormulaCheckAnswers) {
  AddVariable("a");
  AddFormula("ok", "a*2");
  EXPECT_TRUE(CheckFormulaSet(f.wb, true, false));
  EXPECT_TRUE(f.prompt.shown.empty());
  AddFormula("bad", "a+");
  f.prompt.answers = {TAnswer::Yes, TAnswer::No};
  EXPECT_FALSE(CheckFormulaSet(f.wb, true, false));
  EXPECT_EQ(f.ui.panels, std::vector<TPanel>{TPanel::Formulas});
  EXPECT_EQ(f.ui.selections.back(), std::make_pair(TObjectList::Formulas, 1));
  EXPECT_EQ(f.prompt.shown[0].text.rfind("A diagnostic error:\n\rbad: ", 0), 0u);
  EXPECT_NE(f.prompt.shown[0].text.find("\n\rWould you like to edit this udf?."),
            std::string::npos);
  EXPECT_FALSE(CheckFormulaSet(f.wb, false, false));
  EXPECT_EQ(f.prompt.shown[1].text.rfind("Formula/UDF check failed with message:\n\rbad: ", 0), 0u);
}

TEST_F(MainViewModel, SampleFileVariables) {
  const std::string sam = Path("s.sam");
  WriteText(sam, "2\na\nb\n1\ny\n1    ;* n\n1\n2\n3\n");
  EXPECT_EQ(CreateVariablesFromSampleFile(f.wb, sam), 3);
  ASSERT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 3);
  auto* y = static_cast<TExtendedRandomVariable*>(Get_TSMObject(3, ObjRandomVariable));
  EXPECT_EQ(ShortStringView(y->distribution.name), "y");
  EXPECT_EQ(y->samplePosition, 2);
  EXPECT_EQ(ShortStringView(y->distribution.u.sample.sampleFile), sam);
  EXPECT_TRUE(f.wb.Modified);
  EXPECT_TRUE(f.wb.Undo.Undo());
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 0);
  WriteText(sam, "x");
  EXPECT_EQ(CreateVariablesFromSampleFile(f.wb, sam), -1);
  EXPECT_EQ(f.prompt.Texts().back(), "Wrong or corrupt format of the sample file.");
}

TEST_F(MainViewModel, SampleFileBatchAsksForTheNames) {
  const std::string sam = Path("s.sam");
  WriteText(sam, "2\na\nb\n1\ny\n1    ;* n\n1\n2\n3\n");
  f.wb.CurrentFileName = Path("m.tsm");
  EXPECT_TRUE(SampleFileBatchEnabled());
  // The open dialog or the choice cancelled: nothing changes.
  int asked = 0;
  TSampleNameChoice cancel = [&](const std::vector<std::string>&, std::vector<char>&) {
    ++asked;
    return false;
  };
  EXPECT_EQ(BatchCreateFromSampleFile(f.wb, cancel), -1);
  EXPECT_EQ(asked, 0);
  f.chooser.openAnswers = {{sam}};
  EXPECT_EQ(BatchCreateFromSampleFile(f.wb, cancel), -1);
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(f.wb.Modified);

  // "b" unchecked: the others keep their places in the file.
  f.chooser.openAnswers = {{sam}};
  TSampleNameChoice dropB = [](const std::vector<std::string>& names, std::vector<char>& checked) {
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "y"}));
    EXPECT_EQ(checked, (std::vector<char>{1, 1, 1}));
    checked[1] = 0;
    return true;
  };
  EXPECT_EQ(BatchCreateFromSampleFile(f.wb, dropB), 2);
  EXPECT_EQ(f.chooser.lastOptions.InitialFolder, ExtractFileFolder(Path("m.tsm")));
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"a", "y"}));
  auto* y = static_cast<TExtendedRandomVariable*>(Get_TSMObject(2, ObjRandomVariable));
  EXPECT_EQ(y->samplePosition, 2);
  EXPECT_EQ(ShortStringView(y->distribution.u.sample.sampleFile), "s.sam");
  EXPECT_FALSE(SampleFileBatchEnabled());
  // One undo group for the batch.
  EXPECT_TRUE(f.wb.Undo.Undo());
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 0);
}

TEST_F(MainViewModel, LinkWindowPlace) {
  const std::string ini = Path("t.INI");
  WriteText(ini, "[LinkWindow]\nTop=5000\nLeft=20\nWidth=10\nHeight=300\n");
  TWindowPlace p = ReadLinkWindowPlace(common::TIniFile(ini), 1280, 1024);
  EXPECT_EQ(p.Top, 924);
  EXPECT_EQ(p.Left, 20);
  EXPECT_EQ(p.Width, 50);
  EXPECT_EQ(p.Height, 300);
  WriteText(ini, "[LinkWindow]\nTop=-1\nLeft=20\nWidth=400\n");
  p = ReadLinkWindowPlace(common::TIniFile(ini), 1280, 1024);
  EXPECT_EQ(p.Width, -1);
  EXPECT_EQ(p.Left, -1);
}

}  // namespace
}  // namespace tesmira::wb::test
