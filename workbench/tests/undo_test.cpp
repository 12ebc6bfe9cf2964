#include "undo.h"

#include <gtest/gtest.h>

#include "fakes.h"
#include "pairing_choices.h"
#include "undo_items.h"

namespace tesmira::wb {
namespace {

using test::FakeWorkbench;

// An item that logs its applications into a shared journal.
struct LogItem : TUndoItem {
  std::string name;
  std::vector<std::string>* log;
  bool fail = false;
  LogItem(std::string n, std::vector<std::string>* l, bool f = false)
      : name(std::move(n)), log(l), fail(f) {}
  std::string Caption(bool undo) const override { return name + (undo ? "" : "'"); }
  bool Apply(TWorkbench&, bool undo, bool isLast) override {
    log->push_back((undo ? "u" : "r") + name + (isLast ? "*" : ""));
    return !fail;
  }
  bool Reselect(TWorkbench&, bool, bool isLast) override {
    log->push_back("sel" + name + (isLast ? "*" : ""));
    return true;
  }
};

struct History : ::testing::Test {
  FakeWorkbench f;
  std::vector<std::string> log;
  TUndo& undo = f.wb.Undo;

  void PushAction(const std::string& name) {
    CurrentUndoGroup g(undo);
    g.AddItem(std::make_unique<LogItem>(name, &log));
    g.Push();
  }
};

TEST_F(History, DepthThirteenForgetsTheOldest) {
  EXPECT_EQ(undo.GetDepth(), 13);
  for (int i = 1; i <= 14; ++i) PushAction(std::string("A").append(std::to_string(i)));
  int undone = 0;
  while (undo.Undo()) ++undone;
  EXPECT_EQ(undone, 13);
  EXPECT_EQ(log.front(), "uA14*");
  EXPECT_EQ(log[log.size() - 2], "uA2*");  // A1 is gone
  EXPECT_EQ(f.ui.quantileClears, 13);
}

TEST_F(History, DepthZeroKeepsNothing) {
  undo.SetDepth(0);
  PushAction("A");
  EXPECT_FALSE(undo.CanUndo());
  EXPECT_FALSE(undo.CanRedo());
  EXPECT_EQ(undo.ActionCaption(true), "");
  EXPECT_EQ(undo.ActionCaption(false), "");
  EXPECT_FALSE(undo.Undo());
  EXPECT_FALSE(undo.Redo());
  EXPECT_EQ(f.ui.quantileClears, 0);
}

TEST_F(History, PushAfterUndoCutsRedo) {
  for (const char* a : {"A", "B", "C"}) PushAction(a);
  ASSERT_TRUE(undo.Undo());
  ASSERT_TRUE(undo.Undo());
  EXPECT_TRUE(undo.CanRedo());
  PushAction("D");
  EXPECT_FALSE(undo.CanRedo());
  log.clear();
  ASSERT_TRUE(undo.Undo());
  ASSERT_TRUE(undo.Undo());
  EXPECT_FALSE(undo.CanUndo());
  EXPECT_EQ(log, (std::vector<std::string>{"uD*", "selD*", "uA*", "selA*"}));
}

TEST_F(History, SetDepthKeepsOrClears) {
  PushAction("A");
  undo.SetDepth(13);
  EXPECT_TRUE(undo.CanUndo());
  undo.SetDepth(5);
  EXPECT_FALSE(undo.CanUndo());
  EXPECT_EQ(undo.GetDepth(), 5);
  PushAction("B");
  undo.ClearHistory();
  EXPECT_FALSE(undo.CanUndo());
}

TEST_F(History, EmptyGroupsAndSuspendedRecordingAreNotKept) {
  {
    CurrentUndoGroup g(undo);
    g.Push();
  }
  {
    CurrentUndoGroup g(undo);
    g.AddItem(std::make_unique<LogItem>("X", &log));
  }  // never pushed
  undo.DisableRecording();
  PushAction("Y");
  undo.EnableRecording();
  EXPECT_FALSE(undo.CanUndo());
}

TEST_F(History, GroupOrderCaptionsAndFailure) {
  {
    CurrentUndoGroup g(undo);
    g.AddItem(std::make_unique<LogItem>("1", &log));
    g.AddItem(std::make_unique<LogItem>("2", &log));
    g.AddItem(std::make_unique<LogItem>("3", &log));
    g.Push();
    g.AddItem(std::make_unique<LogItem>("late", &log));  // the group is gone
  }
  EXPECT_EQ(undo.ActionCaption(true), "3");
  EXPECT_EQ(undo.LastUndoGroup()->Count(), 3u);
  ASSERT_TRUE(undo.Undo());
  EXPECT_EQ(log, (std::vector<std::string>{"u3", "u2", "u1*", "sel3", "sel2", "sel1*"}));
  EXPECT_EQ(undo.ActionCaption(false), "3'");
  log.clear();
  ASSERT_TRUE(undo.Redo());
  EXPECT_EQ(log, (std::vector<std::string>{"r1", "r2", "r3*", "sel1", "sel2", "sel3*"}));

  // A failing item stops the group without reselecting; the position moves.
  {
    CurrentUndoGroup g(undo);
    g.AddItem(std::make_unique<LogItem>("ok", &log));
    g.AddItem(std::make_unique<LogItem>("gone", &log, true));
    g.Push();
  }
  log.clear();
  EXPECT_FALSE(undo.Undo());
  EXPECT_EQ(log, (std::vector<std::string>{"ugone"}));
  EXPECT_TRUE(undo.CanRedo());
}

TEST_F(History, PendingGroupNests) {
  EXPECT_EQ(CurrentUndoGroup::Pending(), nullptr);
  {
    CurrentUndoGroup outer(undo);
    EXPECT_EQ(CurrentUndoGroup::Pending(), &outer);
    {
      CurrentUndoGroup inner(undo);
      EXPECT_EQ(CurrentUndoGroup::Pending(), &inner);
      inner.Discard();
      EXPECT_EQ(CurrentUndoGroup::Pending(), &outer);
    }
    EXPECT_EQ(CurrentUndoGroup::Pending(), &outer);
  }
  EXPECT_EQ(CurrentUndoGroup::Pending(), nullptr);
}

TEST_F(History, AnAddItemReadsTheSameOnBothSides) {
  struct AddItem : TUndoItem {
    std::string Caption(bool) const override { return "Add Random Variable"; }
    bool Apply(TWorkbench&, bool, bool) override { return true; }
  };
  CurrentUndoGroup g(undo);
  g.AddItem(std::make_unique<AddItem>());
  g.Push();
  EXPECT_EQ(undo.ActionCaption(true), "Add Random Variable");
  undo.Undo();
  EXPECT_EQ(undo.ActionCaption(false), "Add Random Variable");
}

// ---- pairing choices --------------------------------------------------------

TEST(PairingChoices, FindAddAndTruncate) {
  FakeWorkbench f;
  TWorkbench& wb = f.wb;
  EXPECT_EQ(FindPairingChoice(wb, 1, 1), -1);
  AddPairingChoice(wb, 1, 1, 10);
  AddPairingChoice(wb, 2, 1, 20);
  AddPairingChoice(wb, 2, 2, 21);
  AddPairingChoice(wb, 3, 1, 30);
  EXPECT_EQ(FindPairingChoice(wb, 2, 2), 21);
  EXPECT_EQ(FindPairingChoice(wb, 3, 2), -1);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Transcend");

  wb.Undo.ClearHistory();
  TruncatePairingChoices(wb, 4);  // above every level: nothing recorded
  EXPECT_FALSE(wb.Undo.CanUndo());
  EXPECT_EQ(wb.PairingChoices.size(), 4u);

  const TPairingChoices all = wb.PairingChoices;
  TruncatePairingChoices(wb, 2);
  EXPECT_EQ(wb.PairingChoices, (TPairingChoices{{1, 1, 10}}));
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(wb.PairingChoices, all);
  EXPECT_EQ(f.ui.vineRebuilds, 1);
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_EQ(wb.PairingChoices, (TPairingChoices{{1, 1, 10}}));
  // Applying records nothing: one step back and forth, no new step.
  EXPECT_TRUE(wb.Undo.CanUndo());
  EXPECT_FALSE(wb.Undo.CanRedo());
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_FALSE(wb.Undo.CanUndo());

  TruncatePairingChoices(wb, -1);
  EXPECT_TRUE(wb.PairingChoices.empty());
}

TEST(PairingChoices, UndoOfAnAddRemovesIt) {
  FakeWorkbench f;
  AddPairingChoice(f.wb, 1, 2, 3);
  ASSERT_TRUE(f.wb.Undo.Undo());
  EXPECT_TRUE(f.wb.PairingChoices.empty());
  ASSERT_TRUE(f.wb.Undo.Redo());
  EXPECT_EQ(f.wb.PairingChoices, (TPairingChoices{{1, 2, 3}}));
}

}  // namespace
}  // namespace tesmira::wb
