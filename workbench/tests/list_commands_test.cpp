#include "list_commands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "fake_starter.h"
#include "launchers.h"
#include "model_fixture.h"
#include "model_helpers.h"
#include "tesmira/distributions.h"

namespace tesmira::wb {
namespace {

using test::ModelTest;

class ListCommands : public ModelTest {};

std::string Letters(const std::vector<int>& order) {
  std::string s;
  for (int i : order) s += static_cast<char>('A' + i);
  return s;
}

TEST(DragReorder, MovesSelectedItemsAroundTheTarget) {
  struct Case {
    std::vector<int> selected;
    int target;
    const char* order;
    const char* marks;
  };
  const Case cases[] = {
      {{0, 4}, 2, "BCAEDF", "001100"},
      {{4}, 2, "ABECDF", "001000"},
      {{0, 3, 4}, 2, "BCADEF", "001110"},
      {{0, 1}, 3, "CDABEF", "001100"},  // nearest first keeps their order
      {{1}, -1, "ACDEFB", "000001"},    // no highlighted item: the last
  };
  for (const Case& c : cases) {
    std::vector<int> order{0, 1, 2, 3, 4, 5};
    std::vector<char> marks(6, 0);
    for (int s : c.selected) marks[static_cast<std::size_t>(s)] = 1;
    DragReorder(order, marks, c.target);
    std::string m;
    for (char x : marks) m += x ? '1' : '0';
    EXPECT_EQ(Letters(order), c.order) << c.target;
    EXPECT_EQ(m, c.marks) << c.target;
  }
}

TEST_F(ListCommands, DropReordersTheModelAndMarksItModified) {
  for (const char* n : {"A", "B", "C", "D", "E", "F"}) AddVariable(n);
  std::vector<char> marks{1, 0, 0, 0, 1, 0};
  marks = DropOnList(wb, ObjRandomVariable, marks, 2, false);
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"B", "C", "A", "E", "D", "F"}));
  EXPECT_EQ(marks, (std::vector<char>{0, 0, 1, 1, 0, 0}));
  EXPECT_TRUE(wb.Modified);
  EXPECT_FALSE(wb.Undo.CanUndo());
}

TEST_F(ListCommands, SortMarksFlipAndNaturalOrderComesBack) {
  struct V {
    const char* name;
    int type;
    const char* description;
  };
  for (V v : {V{"c", DistNormal, "zeta"}, V{"A", DistUniform, "beta"}, V{"b", DistNormal, "Alpha"},
              V{"d", DistConstant, "alpha"}}) {
    TExtendedRandomVariable rv = Normal(v.name);
    rv.distribution.distType = static_cast<uint8_t>(v.type);
    SetShortString(rv.description, v.description);
    ASSERT_GT(Create_TSMObject(ObjRandomVariable, &rv), 0);
  }
  TListSortState state;
  SortList(ObjRandomVariable, state, 1);
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"A", "b", "c", "d"}));
  EXPECT_EQ(SortedCaption("Name", 1, state), "Name <");
  SortList(ObjRandomVariable, state, 1);
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"d", "c", "b", "A"}));
  EXPECT_EQ(SortedCaption("Name", 1, state), "Name >");
  EXPECT_EQ(SortedCaption("Description", 3, state), "Description");
  // Another column keeps the direction (descending here).
  SortList(ObjRandomVariable, state, 3);
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"c", "A", "b", "d"}));
  SortListBy(ObjRandomVariable, state, 2, true);
  EXPECT_TRUE(state.Ascending);
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"d", "b", "c", "A"}));
  EXPECT_NE(SortKey(ObjRandomVariable, 0, 2).find("Constant"), std::string::npos);
  SortList(ObjRandomVariable, state, -1);
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"c", "A", "b", "d"}));
  EXPECT_EQ(state.Column, -1);
  EXPECT_FALSE(wb.Modified);
}

TEST(TypeAhead, ExtendsThenRestartsWithTheTypedLetter) {
  const std::vector<std::string> names{"alpha", "Abba", "beta", "alps"};
  std::string text;
  EXPECT_EQ(TypeAheadFind(names, text, "A", 0), 0);
  EXPECT_EQ(text, "a");
  EXPECT_EQ(TypeAheadFind(names, text, "l", 0), 0);
  EXPECT_EQ(TypeAheadFind(names, text, "p", 1), 3);  // cyclic from the start row
  EXPECT_EQ(text, "alp");
  EXPECT_EQ(TypeAheadFind(names, text, "b", 3), 2);  // "alpb" matches nothing: "b" alone
  EXPECT_EQ(text, "b");
  EXPECT_EQ(TypeAheadFind(names, text, "z", 0), -1);
}

TEST(Counter, Texts) {
  EXPECT_EQ(CounterCaption(0, -1, 0), "none of 0 total");
  EXPECT_EQ(CounterCaption(0, -1, 7), "none of 7 total");
  EXPECT_EQ(CounterCaption(1, 2, 7), "3 of 7 total");
  EXPECT_EQ(CounterCaption(3, 0, 7), "|3| of 7 total");
}

TEST_F(ListCommands, SelectSameValueByColumn) {
  AddVariable("n1");
  TExtendedRandomVariable u = Normal("u1");
  u.distribution.distType = DistUniform;
  SetShortString(u.description, "Same");
  Create_TSMObject(ObjRandomVariable, &u);
  TExtendedRandomVariable n2 = Normal("m1");
  SetShortString(n2.description, "same");
  Create_TSMObject(ObjRandomVariable, &n2);
  EXPECT_EQ(SelectSameValue(ObjRandomVariable, 0, 1), (std::vector<char>{1, 0, 1}));
  EXPECT_EQ(SelectSameValue(ObjRandomVariable, 0, 0), (std::vector<char>{1, 0, 0}));
  EXPECT_EQ(SelectSameValue(ObjRandomVariable, 1, 2), (std::vector<char>{0, 1, 1}));
  EXPECT_EQ(SelectSameValue(ObjRandomVariable, 1, 3), (std::vector<char>{1, 1, 1}));
}

TEST_F(ListCommands, ClipboardBlockCopiesAndPastesWithFreshNames) {
  AddVariable("x", 1);
  AddVariable("y2", 2);
  AddVariable("z", 3);
  const std::string block = BuildClipboardBlock(ObjRandomVariable, {0, 1, 2});
  EXPECT_EQ(block.size(), 4u + 3u * 2176u);
  EXPECT_EQ(block.substr(0, 4), std::string("\x03\0\0\0", 4));
  ASSERT_TRUE(Init_data());
  const std::vector<int> rows = PasteClipboardBlock(wb, ObjRandomVariable, block, -1);
  EXPECT_EQ(rows, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"x1", "y3", "z1"}));
  const double y3 = Fetch_extended_random_variable(0, "y3")->distribution.u.params[0];
  EXPECT_EQ(y3, 2);
  EXPECT_TRUE(wb.Modified);
  // Pasted at row 1 of the three: the next three take rows 1..3.
  EXPECT_EQ(PasteClipboardBlock(wb, ObjRandomVariable, block, 1), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Names(ObjRandomVariable)[1], "x2");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"x1", "y3", "z1"}));
}

TEST_F(ListCommands, FormulaPasteClearsATakenName) {
  AddFormula("f", "1+2");
  const std::string block = BuildClipboardBlock(ObjFormula, {0});
  EXPECT_EQ(block.size(), 4u + 403u);
  ASSERT_EQ(PasteClipboardBlock(wb, ObjFormula, block, -1).size(), 1u);
  ASSERT_EQ(Get_TSMObjectsNumber(ObjFormula), 2);
  EXPECT_NE(Names(ObjFormula)[1], "f");
  EXPECT_EQ(ShortStringView(static_cast<TUdf*>(Get_TSMObject(2, ObjFormula))->text), "1+2");
}

TEST_F(ListCommands, InvalidClipboardBlocksPasteNothing) {
  AddVariable("x");
  const std::string good = BuildClipboardBlock(ObjRandomVariable, {0});
  auto withCount = [&](uint32_t n) {
    std::string b = good;
    std::memcpy(b.data(), &n, 4);
    return b;
  };
  std::string longName = good;
  longName[4] = static_cast<char>(200);
  std::string badType = good;
  badType[4 + 33] = 16;
  std::string longDescription = good;
  longDescription[4 + 291] = static_cast<char>(101);
  const std::string blocks[] = {good.substr(0, good.size() - 1),
                                withCount(0),
                                withCount(1001),
                                withCount(2),
                                longName,
                                badType,
                                longDescription,
                                "ab"};
  ASSERT_TRUE(Init_data());
  for (const std::string& b : blocks) {
    EXPECT_FALSE(ParseClipboardBlock(ObjRandomVariable, b).has_value());
    EXPECT_TRUE(PasteClipboardBlock(wb, ObjRandomVariable, b, -1).empty());
  }
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 0);
  EXPECT_FALSE(wb.Undo.CanUndo());
}

TEST_F(ListCommands, RenameFormulas) {
  AddVariable("v");
  AddFormula("a", "1");
  AddFormula("g", "a+sin(a)+a(2)");
  AddFormula("MyRate", "2");
  // A clash with a variable: the warning, no undo step.
  EXPECT_FALSE(RenameListObject(wb, ObjFormula, 0, "v"));
  EXPECT_EQ(f.prompt.Texts().back(), "Function with name \"v\" already exists");
  EXPECT_FALSE(wb.Undo.CanUndo());
  EXPECT_TRUE(wb.Undo.Recording());
  // References follow; a call of a function named a stays.
  EXPECT_TRUE(RenameListObject(wb, ObjFormula, 0, "b"));
  EXPECT_EQ(FormulaText("g"), "b+sin(b)+a(2)");
  EXPECT_EQ(f.prompt.Texts().back(), "Name reference was updated in UDF(s) named: \"g\".");
  // Undo gives back the name as it was written.
  EXPECT_TRUE(RenameListObject(wb, ObjFormula, 2, "Rate"));
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Names(ObjFormula)[2], "MyRate");
}

TEST_F(ListCommands, NamingAnUnnamedFormulaLeavesNoUndoStep) {
  TUdf u;
  std::memset(&u, 0, sizeof u);
  ASSERT_GT(Create_TSMObject(ObjFormula, &u), 0);
  EXPECT_EQ(ShortStringView(static_cast<TUdf*>(Get_TSMObject(1, ObjFormula))->name), "");
  EXPECT_TRUE(RenameListObject(wb, ObjFormula, 0, "first one"));
  EXPECT_EQ(Names(ObjFormula)[0], "first_one");
  EXPECT_FALSE(wb.Undo.CanUndo());
  EXPECT_TRUE(wb.Undo.Recording());
}

TEST_F(ListCommands, RenameVariableWarnsOnAClashAndNamesLinkedFormulas) {
  AddVariable("x");
  AddFormula("l1", "x*2");
  AddFormula("l2", "x+1");
  ASSERT_GT(WriteTSMFile(Path("link.tsm").c_str()), 0);
  ASSERT_TRUE(Init_data());
  AddVariable("x");
  AddVariable("w");
  ASSERT_GT(LoadTSMFile(Path("link.tsm").c_str(), TsmLink), 0);
  EXPECT_FALSE(RenameListObject(wb, ObjRandomVariable, 0, "w"));
  EXPECT_EQ(f.prompt.Texts().back(), "Random variable with name \"w\" already exists!");
  EXPECT_TRUE(RenameListObject(wb, ObjRandomVariable, 0, "y"));
  EXPECT_EQ(f.prompt.Texts().back(),
            "Name reference update failed in UDF(s) named: \"l1\", \"l2\" due to the linked "
            "status.");
  EXPECT_EQ(FormulaText("l1"), "x*2");
}

TEST_F(ListCommands, AddAndDeleteWithUndo) {
  EXPECT_EQ(NewVariableType(0, 0), DistUniform);
  EXPECT_EQ(NewVariableType(1, 3), DistConstant);
  EXPECT_EQ(NewVariableType(DistNormal, 3), DistNormal);
  EXPECT_EQ(AddObject(wb, ObjRandomVariable, DistUniform), 0);
  EXPECT_EQ(AddObject(wb, ObjRandomVariable, DistConstant), 1);
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"V1", "V2"}));
  EXPECT_EQ(Fetch_extended_random_variable(0, "V1")->distribution.distType, DistUniform);
  EXPECT_EQ(AddObject(wb, ObjFormula, 0), 0);
  EXPECT_EQ(AddObject(wb, ObjFormula, 0), 1);
  EXPECT_NE(Names(ObjFormula)[0], Names(ObjFormula)[1]);

  f.prompt.answers = {TAnswer::No};
  EXPECT_FALSE(DeleteObjects(wb, ObjRandomVariable, {0}, true, false));
  EXPECT_EQ(f.prompt.Texts().back(), "Are you sure you want to delete random variable \"V1\"?");
  EXPECT_TRUE(DeleteObjects(wb, ObjRandomVariable, {0, 1}, true, false));
  EXPECT_EQ(f.prompt.Texts().back(), "Are you sure you want to delete selected random variables?");
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 0);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Delete Random Variable");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"V1", "V2"}));
  // Cut asks only for several formulas.
  const std::size_t asked = f.prompt.shown.size();
  EXPECT_TRUE(DeleteObjects(wb, ObjFormula, {1}, false, true));
  EXPECT_EQ(f.prompt.shown.size(), asked);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Cut UDF");
}

TEST_F(ListCommands, SwapListKindTurnsConstantsAndFormulas) {
  AddFormula("k", "2.5");
  AddFormula("e", "x+1");
  TExtendedRandomVariable c = Normal("c");
  c.distribution.distType = DistConstant;
  c.distribution.u.params[0] = 4;
  Create_TSMObject(ObjRandomVariable, &c);
  EXPECT_TRUE(SwapListKind(wb, ObjFormula, {0, 1}));
  EXPECT_EQ(Names(ObjFormula), (std::vector<std::string>{"e"}));  // not a number: stays
  ASSERT_NE(Fetch_extended_random_variable(0, "k"), nullptr);
  const double k = Fetch_extended_random_variable(0, "k")->distribution.u.params[0];
  EXPECT_EQ(k, 2.5);
  EXPECT_TRUE(SwapListKind(wb, ObjRandomVariable, {0}));
  EXPECT_EQ(FormulaText("c"), "4");
  EXPECT_TRUE(wb.Modified);
}

TEST_F(ListCommands, BatchNamesAndLimit) {
  AddVariable("A1");
  EXPECT_EQ(BatchNames("A*", 2), (std::vector<std::string>{"A2", "A3"}));
  EXPECT_EQ(BatchNames("A*B", 2), (std::vector<std::string>{"A1B1", "A2B1"}));
  EXPECT_EQ(BatchNames("my var", 1), (std::vector<std::string>{"my_var1"}));
  TExtendedRandomVariable source = Normal("s");
  EXPECT_EQ(BatchCreateVariables(wb, source, "A*B", 2), 2);
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"A1", "A1B1", "A2B1"}));
  for (int i = 0; i < 995; ++i) AddVariable(std::string("n").append(std::to_string(i)));
  EXPECT_EQ(BatchCountLimit(), 2);
}

TEST_F(ListCommands, CreateFromDistributionFilesStoresRelativePaths) {
  wb.CurrentFileName = Path("m.tsm");
  std::filesystem::create_directories(dir_ / "d");
  EXPECT_EQ(CreateFromDistributionFiles(wb, {Path("d/q.DIS"), Path("r.dis")}), 2);
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"q1", "r1"}));
  TExtendedRandomVariable* q = Fetch_extended_random_variable(0, "q1");
  EXPECT_EQ(q->distribution.distType, DistFile100);
  EXPECT_EQ(GetDistributionFileName(*q), "d/q.DIS");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 0);
}

struct FakeEditor : IVariableEditor {
  std::vector<int> shown;
  int browses = 0;
  void ShowVariable(int row) override { shown.push_back(row); }
  bool Browse() override {
    ++browses;
    return false;
  }
};

TEST_F(ListCommands, DistributionCheckRelinksWithYesToAll) {
  wb.CurrentFileName = Path("m.tsm");
  WriteText(Path("a.dis"), "1\n");
  WriteText(Path("b.dis"), "1\n");
  for (const char* n : {"a", "b"}) {
    TExtendedRandomVariable rv = Normal(n);
    rv.distribution.distType = DistFile100;
    SetDistributionFileName(rv, std::string("/gone/") + n + ".dis");
    Create_TSMObject(ObjRandomVariable, &rv);
  }
  FakeEditor editor;
  f.prompt.answers = {TAnswer::YesToAll};
  EXPECT_TRUE(CheckDistributionFiles(wb, editor, true, -1));
  const auto texts = f.prompt.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0],
            "Random Variable check has failed for `a`:\n\r\"/gone/a.dis\" is not found.\n\r"
            "Do you want to use \"" +
                Path("a.dis") + "\" instead?");
  EXPECT_EQ(f.prompt.shown[0].buttons, unsigned(BtnYesNoCancel | BtnNoToAll | BtnYesToAll));
  EXPECT_EQ(texts[1], "Following files were automatically relinked:\n\r\n\r/gone/b.dis -> b.dis");
  EXPECT_EQ(GetDistributionFileName(*Fetch_extended_random_variable(0, "a")), "a.dis");
  EXPECT_EQ(GetDistributionFileName(*Fetch_extended_random_variable(0, "b")), "b.dis");
  EXPECT_EQ(editor.shown.front(), 0);
}

TEST_F(ListCommands, SilentDistributionCheckFailsOnAnyMissingFile) {
  wb.CurrentFileName = Path("m.tsm");
  WriteText(Path("a.dis"), "1\n");  // a replacement exists: still a failure
  TExtendedRandomVariable rv = Normal("a");
  rv.distribution.distType = DistFile100;
  SetDistributionFileName(rv, "/gone/a.dis");
  Create_TSMObject(ObjRandomVariable, &rv);
  FakeEditor editor;
  EXPECT_FALSE(CheckDistributionFiles(wb, editor, false, -1));
  ASSERT_EQ(f.prompt.shown.size(), 1u);
  EXPECT_EQ(f.prompt.shown[0].kind, TMessageKind::Warning);
  EXPECT_TRUE(f.prompt.shown[0].text.ends_with(
      "Simulation is canceled\n\rPlease update the variable`s definition"));
  EXPECT_EQ(GetDistributionFileName(*Fetch_extended_random_variable(0, "a")), "/gone/a.dis");
  // Without file-based variables the interactive check reports OK.
  ASSERT_TRUE(Init_data());
  f.prompt.shown.clear();
  EXPECT_TRUE(CheckDistributionFiles(wb, editor, true, -1));
  EXPECT_EQ(f.prompt.Texts(), (std::vector<std::string>{"Random Variable check OK."}));
}

TEST_F(ListCommands, DistributionCheckAsksToSetAMissingName) {
  TExtendedRandomVariable rv = Normal("s");
  rv.distribution.distType = DistSampleFile;
  Create_TSMObject(ObjRandomVariable, &rv);
  FakeEditor editor;
  f.prompt.answers = {TAnswer::Yes};
  CheckDistributionFiles(wb, editor, true, -1);
  EXPECT_EQ(f.prompt.Texts().front(),
            "Random Variable check has failed for `s`:\n\rSample file  is not specified.\n\rDo "
            "you want to set it now?");
  EXPECT_EQ(editor.browses, 1);
}

TEST_F(ListCommands, LaunchersFindTheSampleFilesInEitherCase) {
  std::filesystem::create_directories(dir_ / "a.tsm.d");
  const std::string model = Path("a.tsm.d/m.tsm");
  EXPECT_EQ(CurrentSampleFile(model), "");
  // The engine names its sample file ".SAM", the dialog ".sam".
  WriteText(Path("a.tsm.d/m.SAM"), "x");
  EXPECT_EQ(CurrentSampleFile(model), Path("a.tsm.d/m.SAM"));
  EXPECT_EQ(CurrentSampleFile(Path("a.tsm.d/m.tso")), Path("a.tsm.d/m.SAM"));
  WriteText(Path("a.tsm.d/m.sam"), "x");
  EXPECT_EQ(CurrentSampleFile(model), Path("a.tsm.d/m.sam"));  // the exact name first
  WriteText(Path("a.tsm.d/m.SAE"), "x");
  test::FakePrompt prompt;
  test::FakeStarter starter;
  EXPECT_TRUE(LaunchSensitivityProgram(prompt, starter, "/p/", CurrentSampleFile(model)));
  EXPECT_TRUE(LaunchDisplayProgram(prompt, starter, "/p/", CurrentSampleFile(model)));
  EXPECT_EQ(starter.started, (std::vector<std::pair<std::string, std::vector<std::string>>>{
                                 {"/p/tesvane", {Path("a.tsm.d/m.SAE")}},
                                 {"/p/tesplore", {Path("a.tsm.d/m.sam")}}}));
  EXPECT_TRUE(prompt.Texts().empty());
}

// A missing program is reported; the user's sample file is never handed to
// the desktop's default application.
TEST_F(ListCommands, MissingProgramsAreReportedWithoutADesktopFallback) {
  test::FakePrompt prompt;
  test::FakeStarter starter;
  starter.startWorks = false;
  EXPECT_FALSE(LaunchDisplayProgram(prompt, starter, "/p/", Path("m.sam")));
  EXPECT_FALSE(LaunchSensitivityProgram(prompt, starter, "/p/", ""));
  EXPECT_TRUE(starter.opened.empty());
  EXPECT_EQ(prompt.Texts(),
            (std::vector<std::string>{
                "Display program was not found. Please move tesplore to\r\n/p/ folder\r\nor make "
                "association of *.sam files with other application.",
                "Sensitivity Analysis program was not found. Please move tesvane to\r\n/p/ "
                "folder\r\n"}));
  EXPECT_FALSE(LoadHelpDocument(prompt, starter, Path(""), ContextHelpTopic(10)));
  EXPECT_EQ(prompt.Texts().back(),
            "TesmiraHelp.html file was not found or no application is installed to open it");
}

TEST_F(ListCommands, ProbabilisticInversionRunsItsScriptWithThreeArguments) {
  const std::string folder = Path("");
  const std::string sae = Path("m.sae");
  const std::string missing =
      "Probabilistic Inversion program was not found. Please move probinv_transient.vbs and "
      "ProbabilisticInversion.xls to\r\n" +
      folder + " folder\r\n";
  test::FakePrompt prompt;
  test::FakeStarter starter;
  starter.executable = "/usr/bin/wscript";
  // No script: nothing is started or opened.
  EXPECT_FALSE(LaunchProbabilisticInversion(prompt, starter, folder, sae));
  EXPECT_TRUE(starter.started.empty());
  EXPECT_TRUE(starter.opened.empty());
  WriteText(Path("probinv_transient.vbs"), "x");
  EXPECT_TRUE(LaunchProbabilisticInversion(prompt, starter, folder, sae));
  EXPECT_EQ(starter.started,
            (std::vector<std::pair<std::string, std::vector<std::string>>>{
                {"/usr/bin/wscript", {Path("probinv_transient.vbs"), sae, folder}}}));
  // Without a script host the script itself is opened; then the message.
  starter.executable.clear();
  EXPECT_TRUE(LaunchProbabilisticInversion(prompt, starter, folder, sae));
  EXPECT_EQ(starter.opened, std::vector<std::string>{Path("probinv_transient.vbs")});
  starter.openWorks = false;
  EXPECT_FALSE(LaunchProbabilisticInversion(prompt, starter, folder, sae));
  EXPECT_EQ(prompt.Texts(), (std::vector<std::string>{missing, missing}));
}

TEST_F(ListCommands, ThousandObjectsStayFast) {
  for (int i = 0; i < 1000; ++i)
    AddVariable(std::string("v").append(std::to_string((i * 7919) % 1000)));
  for (int i = 0; i < 500; ++i) AddFormula(std::string("f").append(std::to_string(i)), "1");
  using Clock = std::chrono::steady_clock;
  auto ms = [](Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
  };
  TListSortState state;
  auto t = Clock::now();
  SortList(ObjRandomVariable, state, 1);
  const double sort = ms(t);
  t = Clock::now();
  SortList(ObjRandomVariable, state, -1);
  const double restore = ms(t);
  std::vector<char> marks(1000, 0);
  for (int i = 0; i < 1000; i += 2) marks[static_cast<std::size_t>(i)] = 1;
  t = Clock::now();
  DropOnList(wb, ObjRandomVariable, marks, 500, false);
  const double drag = ms(t);
  std::vector<int> all(1000);
  for (int i = 0; i < 1000; ++i) all[static_cast<std::size_t>(i)] = i;
  t = Clock::now();
  PasteClipboardBlock(wb, ObjFormula,
                      BuildClipboardBlock(ObjFormula, {all.begin(), all.begin() + 500}), -1);
  const double formulas = ms(t);
  t = Clock::now();
  DeleteObjects(wb, ObjRandomVariable, all, false, false);
  wb.Undo.Undo();
  const double deleteUndo = ms(t);
  t = Clock::now();
  const std::string block = BuildClipboardBlock(ObjRandomVariable, all);
  ASSERT_TRUE(Init_data());
  EXPECT_EQ(PasteClipboardBlock(wb, ObjRandomVariable, block, -1).size(), 1000u);
  const double copyPaste = ms(t);
  std::printf(
      "1000 objects (ms): sort %.1f, restore %.1f, drag 500 %.1f, delete+undo %.1f, "
      "copy+paste 1000 variables %.1f, 500 formulas %.1f\n",
      sort, restore, drag, deleteUndo, copyPaste, formulas);
  EXPECT_LT(sort + restore + drag, 3000);  // generous under the sanitizers
}

}  // namespace
}  // namespace tesmira::wb
