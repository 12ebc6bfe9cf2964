#include "navigation.h"

#include <gtest/gtest.h>

#include "model_fixture.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"

namespace tesmira::wb {
namespace {

class NavigationTest : public test::ModelTest {};

TEST_F(NavigationTest, NavEntryNamesBothEndsAndTheWayBackFromALink) {
  AddVariable("l");
  ASSERT_GT(WriteTSMFile(Path("link.tsm").c_str()), 0);
  ASSERT_TRUE(Init_data());
  AddVariable("own");
  AddFormula("f", "own+l");
  ASSERT_GT(LoadTSMFile(Path("link.tsm").c_str(), TsmLink), 0);
  const std::string model = Path("m.tsm");

  // To the model's own variable: no file to return to.
  TNavEntry own = MakeNavEntry(model, ObjFormula, 1, ObjRandomVariable, 1);
  EXPECT_EQ(own.TargetName, "own");
  EXPECT_EQ(own.TargetKind, ObjRandomVariable);
  EXPECT_EQ(own.OriginName, "f");
  EXPECT_EQ(own.OriginKind, ObjFormula);
  EXPECT_EQ(own.ReturnFile, "");
  EXPECT_EQ(LinkedFileOf(ObjRandomVariable, 1), "");

  // To a linked variable: the way back reopens the model.
  const int linked = ObjectNumberByName(ObjRandomVariable, "L");
  ASSERT_EQ(linked, 2);
  TNavEntry back = MakeNavEntry(model, ObjFormula, 1, ObjRandomVariable, linked);
  EXPECT_EQ(back.TargetName, "l");
  EXPECT_EQ(back.ReturnFile, model);
  EXPECT_NE(LinkedFileOf(ObjRandomVariable, linked).find("link.tsm"), std::string::npos);

  // A target kind of 0 is the origin itself.
  TNavEntry self = MakeNavEntry(model, ObjFormula, 1, 0, 0);
  EXPECT_EQ(self.TargetName, "f");
  EXPECT_EQ(self.TargetKind, ObjFormula);
  EXPECT_EQ(ObjectNumberByName(ObjFormula, "F"), 1);
  EXPECT_EQ(ObjectNumberByName(ObjFormula, "g"), 0);
}

}  // namespace
}  // namespace tesmira::wb
