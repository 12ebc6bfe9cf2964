// The belief-net hand-over with a stand-in program: it gets the main
// window's rectangle and the two files, the workbench hides its windows and
// keeps handling events while the program is up, and shows them again after.
#include <QAction>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "list_editing.h"
#include "run_commands.h"
#include "window_fixture.h"

namespace tesmira::wb::test {
namespace {

class HandOverTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    std::filesystem::create_directories(dir_ / "prog" / "Pellian");
    std::filesystem::create_directories(dir_ / "models");
    std::filesystem::copy_file(TESMIRA_PELLIAN_STUB, dir_ / "prog" / "Pellian" / "Pellian");
    ::setenv("TESMIRA_STUB_MS", "1200", 1);
  }
  void TearDown() override {
    ::unsetenv("TESMIRA_STUB_MS");
    WindowTest::TearDown();
  }
  std::vector<std::string> StubArguments() {
    std::ifstream in(Path("prog/Pellian/Pellian.args"));
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
};

TEST_F(HandOverTest, TheProgramGetsTheRectangleWhileTheWorkbenchHidesAndStaysAlive) {
  WriteModel("models/m.tsm", {"a", "b"});
  // Started from the test's folder on a relative name, as from a shell.
  const QString shell = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(Path("")));
  auto& w = Open({"models/m.tsm"});
  QDir::setCurrent(shell);
  w.setGeometry(120, 90, 700, 500);
  w.show();
  QApplication::processEvents();
  auto* run = w.findChild<TRunCommands*>();
  run->ProgramFolder = Path("prog/");
  const QRect frame = w.frameGeometry();

  int ticks = 0, hiddenTicks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    ++ticks;
    if (!w.isVisible()) ++hiddenTicks;
  });
  timer.start(50);
  run->mitNewBbn->trigger();
  timer.stop();

  EXPECT_TRUE(f.prompt.Texts().empty()) << f.prompt.Texts().front();
  const std::vector<std::string> args = StubArguments();
  ASSERT_EQ(args.size(), 6u);
  EXPECT_EQ(args[0], Path("models/m.RVINFO"));
  EXPECT_EQ(args[1], Path("models/m.TPS"));
  EXPECT_EQ(args[2], std::to_string(frame.left()));
  EXPECT_EQ(args[3], std::to_string(frame.top()));
  EXPECT_EQ(args[4], std::to_string(frame.width()));
  EXPECT_EQ(args[5], std::to_string(frame.height()));
  EXPECT_TRUE(std::filesystem::exists(Path("models/m.TPS")));
  // The event loop ran while the program was up (not frozen), with the
  // windows hidden; they are back afterwards.
  EXPECT_GE(hiddenTicks, 10);
  EXPECT_TRUE(w.isVisible());
}

TEST_F(HandOverTest, AMissingProgramIsReportedAndTheWindowStays) {
  std::filesystem::remove(dir_ / "prog" / "Pellian" / "Pellian");
  const std::string model = WriteModel("models/m.tsm", {"a", "b"});
  auto& w = Open({QString::fromStdString(model)});
  w.show();
  auto* run = w.findChild<TRunCommands*>();
  run->ProgramFolder = Path("prog/");
  run->mitNewBbn->trigger();
  EXPECT_EQ(f.prompt.Texts(),
            std::vector<std::string>({"Unable to initialise Bayesian Belief Net module."}));
  EXPECT_TRUE(w.isVisible());
}

// Run > Tesplore and Run > Tesvane start the real programs of the program
// folder with the model's sample file, whatever the case of its extension.
TEST_F(HandOverTest, TheRunMenuStartsTheSiblingsOfTheProgramFolder) {
  for (const char* program : {"tesplore", "tesvane"})
    std::filesystem::copy_file(TESMIRA_PELLIAN_STUB, dir_ / "prog" / program);
  ::setenv("TESMIRA_STUB_MS", "0", 1);
  const std::string model = WriteModel("models/m.tsm", {"a", "b"});
  WriteText(Path("models/m.SAM"), "1\na\n0\n1\n1\n");
  WriteText(Path("models/m.sae"), "a\n1\n");
  auto& w = Open({QString::fromStdString(model)});
  w.show();
  QApplication::processEvents();
  auto& e = *w.findChild<TListEditing*>("ListEditing");
  e.ProgramFolder = Path("prog/");
  e.mitTesplore->trigger();
  e.mitTesvane->trigger();
  auto argumentsOf = [&](const std::string& program) {
    const std::string file = Path("prog/" + program + ".args");
    for (int i = 0; i < 100 && !std::filesystem::exists(file); ++i) QTest::qWait(50);
    QTest::qWait(50);
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
  };
  EXPECT_EQ(argumentsOf("tesplore"), Path("models/m.SAM"));
  EXPECT_EQ(argumentsOf("tesvane"), Path("models/m.sae"));
  EXPECT_TRUE(f.prompt.Texts().empty());
}

}  // namespace
}  // namespace tesmira::wb::test
