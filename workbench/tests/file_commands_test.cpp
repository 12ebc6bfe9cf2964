#include "file_commands.h"

#include <sys/stat.h>

#include "model_fixture.h"
#include "undo_items.h"
#include "utilities.h"
#include "workbench.h"

namespace tesmira::wb {
namespace {

using test::ModelTest;
using FileCommands = ModelTest;
using Strings = std::vector<std::string>;

// A DOS random-variable file of Normal variables (138-byte records).
std::string LegacyVariables(const Strings& names) {
  std::string file;
  for (const std::string& name : names) {
    std::string rec(138, '\0');
    rec[1] = static_cast<char>(name.size());
    rec.replace(2, name.size(), name);
    rec[12] = 3;
    const unsigned char one[6] = {0x81, 0, 0, 0, 0, 0};
    rec.replace(13, 6, reinterpret_cast<const char*>(one), 6);
    rec.replace(19, 6, reinterpret_cast<const char*>(one), 6);
    file += rec;
  }
  return file;
}

struct FileCommandsWithModel : FileCommands {
  // Saves a model of two variables and a formula as name; returns its path.
  std::string SaveModel(const std::string& name) {
    AddVariable("a");
    AddVariable("b");
    AddFormula("s", "a+b");
    std::string path = Path(name);
    EXPECT_TRUE(WriteModelFile(wb, path));
    return path;
  }
  int Load(int mode, const Strings& files, std::string* text = nullptr, bool* replaced = nullptr) {
    TOpenDialog dialog;
    if (mode == LoadListed) {
      dialog.Files = files;
    } else {
      f.chooser.openAnswers.push_back(files);
    }
    std::string result;
    int n = LoadModelFiles(wb, dialog, mode, result, replaced);
    EXPECT_TRUE(dialog.Files.empty());
    if (text) *text = result;
    return n;
  }
};

TEST_F(FileCommandsWithModel, OpeningAModifiedModelAsksFirst) {
  std::string m = SaveModel("m.tsm");
  wb.Modified = true;
  f.prompt.answers = {TAnswer::Cancel};
  EXPECT_EQ(Load(LoadOpen, {m}), 0);
  EXPECT_EQ(f.chooser.openCalls, 0);
  EXPECT_EQ(
      f.prompt.Texts(),
      (Strings{
          "The contents of the model file m.tsm has been changed. Do you want to save the file?"}));
  EXPECT_EQ(Names(1), (Strings{"a", "b"}));

  f.prompt.answers = {TAnswer::No};
  std::string text;
  bool replaced = false;
  EXPECT_EQ(Load(LoadOpen, {m}, &text, &replaced), 1);  // the current file reloads
  EXPECT_TRUE(replaced);
  EXPECT_EQ(text, m);
  EXPECT_EQ(wb.CurrentFileName, m);
  EXPECT_EQ(wb.CurrentFileKind, FileKindModelFile);
  EXPECT_FALSE(wb.Modified);
  EXPECT_TRUE(wb.FileOpen);
  EXPECT_EQ(Names(1), (Strings{"a", "b"}));
}

TEST_F(FileCommandsWithModel, MergeAndLinkRefuseTheOpenOrLinkedFile) {
  std::string other = SaveModel("other.tsm");
  ASSERT_TRUE(NewModel(wb));
  std::string m = SaveModel("x.tsm");
  f.prompt.shown.clear();
  EXPECT_EQ(Load(LoadMerge, {m}), 0);
  EXPECT_EQ(Load(LoadLink, {m}), 0);
  EXPECT_EQ(f.prompt.Texts(),
            (Strings{"The file x.tsm is already  open.", "The file x.tsm is already  open."}));

  // other.tsm holds objects of the same names: linking it warns about them.
  f.prompt.shown.clear();
  EXPECT_EQ(Load(LoadLink, {other}), 1);
  EXPECT_TRUE(wb.Modified);
  EXPECT_EQ(f.prompt.Texts(), (Strings{"Some of the files linked to x.tsm contain objects with "
                                       "duplicate names, - ignored"}));
  f.prompt.shown.clear();
  EXPECT_EQ(Load(LoadLink, {other}), 0);
  EXPECT_EQ(f.prompt.Texts(), (Strings{"The file other.tsm is already  linked."}));
  f.prompt.shown.clear();
  EXPECT_EQ(Load(LoadMerge, {other}), 1);  // merging replaces the link
  EXPECT_EQ(GetLinkedFilesNumber(), 0);
}

TEST_F(FileCommandsWithModel, MissingUnreadableAndReadOnlyFiles) {
  std::string m = SaveModel("m.tsm");
  std::string bad = Path("bad.tsm");
  WriteText(bad, "not a model");
  std::string cut = Path("cut.tsm");
  std::filesystem::copy_file(m, cut);
  std::filesystem::resize_file(cut, 480);  // the directory is cut short
  std::string locked = Path("locked.tsm");
  std::filesystem::copy_file(m, locked);
  chmod(locked.c_str(), 0444);
  f.prompt.shown.clear();
  EXPECT_EQ(Load(LoadListed, {Path("gone.tsm")}), 0);
  EXPECT_EQ(wb.CurrentFileName, m);  // the current model is kept
  EXPECT_EQ(Names(1), (Strings{"a", "b"}));
  EXPECT_EQ(Load(LoadListed, {bad}), 0);
  EXPECT_EQ(Load(LoadListed, {cut}), 0);
  EXPECT_EQ(Load(LoadListed, {locked}), 0);
  EXPECT_EQ(f.prompt.Texts(),
            (Strings{"This file does not exist", "The file bad.tsm doesn`t contain valid data",
                     "There was a problem reading the file. The file cut.tsm is locked, corrupt "
                     "or has an unexpected format",
                     "The file \"locked.tsm\" is read-only.  Please make sure you \r\ngain writing "
                     "permission to this file and try to open it again."}));
}

TEST_F(FileCommandsWithModel, SaveAsCompletesTheExtensionAndAsksBeforeOverwriting) {
  SaveModel("m.tsm");
  int hooked = 0;
  wb.AfterSaveHook = [&](const std::string&) { return ++hooked > 0; };
  f.chooser.saveAnswers = {Path("plain"), Path("with.dot"), Path("plain.tsm"), Path("plain.tsm")};
  EXPECT_EQ(SaveModelAs(wb, true), Path("plain.tsm"));
  EXPECT_EQ(SaveModelAs(wb, true), Path("with.dot"));
  EXPECT_TRUE(FileExists(Path("with.dot")));
  f.prompt.answers = {TAnswer::No, TAnswer::Yes};
  EXPECT_EQ(SaveModelAs(wb, true), "");
  EXPECT_EQ(SaveModelAs(wb, true), Path("plain.tsm"));
  EXPECT_EQ(f.prompt.Texts(), (Strings{"The file plain.tsm already exists. Overwrite?",
                                       "The file plain.tsm already exists. Overwrite?"}));
  EXPECT_EQ(hooked, 3);
  EXPECT_EQ(wb.CurrentFileName, Path("plain.tsm"));
  EXPECT_EQ(SaveModelAs(wb, false), Path("plain.tsm"));  // Save uses the model's name
  EXPECT_EQ(f.chooser.saveCalls, 4);
}

TEST_F(FileCommandsWithModel, AFailedWriteKeepsTheNameAndTheModifiedFlag) {
  std::string m = SaveModel("m.tsm");
  wb.Modified = true;
  f.chooser.saveAnswers = {Path("no/such/folder/n.tsm")};
  EXPECT_EQ(SaveModelAs(wb, true), "");
  EXPECT_EQ(wb.CurrentFileName, m);
  EXPECT_TRUE(wb.Modified);
  EXPECT_EQ(f.prompt.Texts().back(), "There was a problem writing the file n.tsm");

  // A hook that fails makes the save fail too.
  wb.AfterSaveHook = [](const std::string&) { return false; };
  EXPECT_FALSE(WriteModelFile(wb, m));
  EXPECT_TRUE(wb.Modified);
}

TEST_F(FileCommands, SaveQuestion) {
  AddVariable("a");
  EXPECT_EQ(ConfirmSaveModel(wb), TAnswer::Yes);  // not modified: no question
  EXPECT_TRUE(f.prompt.shown.empty());
  wb.Modified = true;

  // Cancel: nothing is saved and no dialog opens.
  f.prompt.answers = {TAnswer::Cancel};
  EXPECT_EQ(ConfirmSaveModel(wb), TAnswer::Cancel);
  EXPECT_EQ(f.chooser.saveCalls, 0);

  // Yes for a model without a name asks for one; cancelling it is Cancel.
  EXPECT_EQ(ConfirmSaveModel(wb), TAnswer::Cancel);
  EXPECT_EQ(f.chooser.saveCalls, 1);
  f.chooser.saveAnswers = {Path("named")};
  EXPECT_EQ(ConfirmSaveModel(wb), TAnswer::Yes);
  EXPECT_EQ(wb.CurrentFileName, Path("named.tsm"));
  EXPECT_FALSE(wb.Modified);

  // A write that fails asks whether to go on.
  wb.Modified = true;
  wb.CurrentFileName = Path("no/such/folder/m.tsm");
  f.prompt.answers = {TAnswer::Yes, TAnswer::Cancel};
  EXPECT_EQ(ConfirmSaveModel(wb), TAnswer::Cancel);
  EXPECT_EQ(f.prompt.Texts().back(), "There was a problem writing file. Do you want to proceed?");
  EXPECT_TRUE(wb.Modified);
}

TEST_F(FileCommands, CancelOnTheSaveQuestionNeverOpensAChooser) {
  wb.Modified = true;
  f.prompt.answers = {TAnswer::Cancel, TAnswer::Cancel, TAnswer::Cancel};
  EXPECT_FALSE(NewModelAfterPrompt(wb));
  EXPECT_FALSE(CloseModel(wb));
  TOpenDialog dialog;
  std::string text;
  EXPECT_EQ(LoadModelFiles(wb, dialog, LoadOpen, text), 0);
  EXPECT_EQ(f.chooser.saveCalls + f.chooser.openCalls, 0);
  EXPECT_TRUE(wb.Modified);
}

TEST_F(FileCommands, NewModelClearsTheState) {
  AddVariable("a");
  wb.CurrentFileName = "x.tsm";
  wb.Modified = wb.FileOpen = true;
  ASSERT_TRUE(NewModel(wb));
  EXPECT_EQ(Get_TSMObjectsNumber(0), 0);
  EXPECT_EQ(wb.CurrentFileName, "");
  EXPECT_FALSE(wb.Modified || wb.FileOpen);
}

TEST_F(FileCommandsWithModel, ThreeLegacyFilesConvert) {
  Strings files;
  for (const char* n : {"ONE", "TWO", "THREE"}) {
    files.push_back(Path(std::string(n) + ".RAN"));
    WriteText(files.back(), LegacyVariables({"p", "q"}));
  }
  files.push_back(Path("missing.RAN"));  // not named in mode 4
  std::string text;
  EXPECT_EQ(Load(LoadConvert, files, &text), 3);
  EXPECT_EQ(text, "3 DOS files converted");
  for (const char* n : {"ONE", "TWO", "THREE"}) {
    std::string target = Path(std::string(n) + ".tsm");
    EXPECT_EQ(DOSTargetName(Path(std::string(n) + ".RAN")), target);
    ASSERT_TRUE(FileExists(target)) << target;
    ASSERT_GT(LoadTSMFile(target.c_str(), LoadOpen), 0);
    EXPECT_EQ(Names(1), (Strings{"p", "q"}));
    ASSERT_TRUE(Init_data());
  }
  EXPECT_TRUE(f.prompt.shown.empty());
}

TEST_F(FileCommandsWithModel, ImportingALegacyFileNamesTheModelAfterItsTarget) {
  std::string ran = Path("OLD.RAN");
  WriteText(ran, LegacyVariables({"v"}));
  EXPECT_EQ(Load(LoadOpen, {ran}), 1);
  EXPECT_EQ(wb.CurrentFileName, Path("OLD.tsm"));
  EXPECT_EQ(Names(1), (Strings{"v"}));
  EXPECT_FALSE(FileExists(Path("OLD.tsm")));  // imported, not written
}

TEST_F(FileCommandsWithModel, Previews) {
  std::string m = SaveModel("m.tsm");
  Strings lines;
  ASSERT_TRUE(BuildFilePreview(m, lines));
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], "Tesmira input file with");
  EXPECT_EQ(lines[1], "  -  2 Random variables");
  EXPECT_EQ(lines[2], "  -  1 Formula");
  EXPECT_EQ(lines[3], "Total number of the data objects: 3");
  EXPECT_EQ(lines[4], "Model type: FORMULA");
  EXPECT_EQ(lines.back(), "Datafile design version: 2.0");

  std::string sam = Path("s.sam");
  WriteText(sam, "2\r\nin1\r\nin2\r\n3\r\nout1\r\nout2\r\nout3\r\n4\r\n");
  ASSERT_TRUE(BuildFilePreview(sam, lines));
  EXPECT_EQ(lines, (Strings{"Tesmira sample file with", "  - 4 samples for each of",
                            "  - 2 input and 3 output variables from this list:", " in1\tout1",
                            " in2\tout2", " \tout3", "Sample file version: 1"}));

  WriteText(Path("x.txt"), "hello");
  EXPECT_FALSE(BuildFilePreview(Path("x.txt"), lines));
  EXPECT_EQ(lines, (Strings{"Unknown file type"}));
}

TEST_F(FileCommands, OverflowWarningGoesThroughThePrompt) {
  for (int i = 0; i < MaxVariables; ++i) AddVariable(std::string("v").append(std::to_string(i)));
  TExtendedRandomVariable rv = Normal("extra");
  {
    CurrentUndoGroup g(wb.Undo);
    g.AddItem(std::make_unique<TUndoRanVar>(UndoDelete, 1, rv));
    g.Push();
  }
  wb.Undo.Undo();  // re-creating fails: the model is full
  ASSERT_EQ(f.prompt.shown.size(), 1u);
  EXPECT_EQ(f.prompt.shown[0].kind, TMessageKind::Warning);
  EXPECT_EQ(f.prompt.shown[0].text,
            "Can`t create any more random variables.\n\rTesmira supports only max. 1000 variables");
}

}  // namespace
}  // namespace tesmira::wb
