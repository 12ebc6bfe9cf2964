#include <gtest/gtest.h>

#include <string>

#include "model/short_string.h"
#include "model/store.h"
#include "model_fixture.h"
#include "tesmira/files.h"
#include "tesmira/model.h"

namespace {

std::string Ext(int kind) {
  char buf[256];
  FileKindExtension(kind, buf);
  return buf;
}

std::string Derived(const char* base, int kind) {
  char buf[256];
  DerivedFileName(base, kind, buf);
  return buf;
}

class FileNamesTest : public FreshModelTest {
 protected:
};

TEST_F(FileNamesTest, ExtensionsByKindAndModelType) {
  EXPECT_EQ(Ext(1), ".120");
  EXPECT_EQ(Ext(2), ".220");
  EXPECT_EQ(Ext(7), ".DIS");
  EXPECT_EQ(Ext(18), ".SAM");
  EXPECT_EQ(Ext(19), ".TPS");
  EXPECT_EQ(Ext(26), ".SAE");
  EXPECT_EQ(Ext(27), ".PRB");
  EXPECT_EQ(Ext(0), "");
  EXPECT_EQ(Ext(28), "");
  SetModelType(ModelTypeZoziVor);
  EXPECT_EQ(Ext(1), ".130");
  EXPECT_EQ(Ext(2), ".220");
  SetModelType(ModelTypeFaultTree);
  EXPECT_EQ(Ext(2), ".210");
}

TEST_F(FileNamesTest, FolderAndDerivedNames) {
  ASSERT_TRUE(SetModelFileName("/home/ana/models/run.tsm"));
  char buf[256];
  ModelFolder(buf);
  EXPECT_STREQ(buf, "/home/ana/models/");
  EXPECT_EQ(Derived("run", 18), "/home/ana/models/run.SAM");
  ASSERT_TRUE(SetModelFileName("C:\\data\\m.tsm"));  // written with "/"
  EXPECT_EQ(Derived("m", 7), "C:/data/m.DIS");
  // A drive folder of two characters gets no separator.
  tesmira::SetShortString(tesmira::Model()->folder, "C:");
  ModelFolder(buf);
  EXPECT_STREQ(buf, "C:");
  EXPECT_EQ(Derived("run", 18), "C:run.SAM");
  ASSERT_TRUE(SetModelFileName("plain.tsm"));
  EXPECT_EQ(Derived("plain", 18), "plain.SAM");
  // A name beyond 255 characters is refused, never cut.
  ASSERT_TRUE(SetModelFileName(("/" + std::string(250, 'd') + "/m.tsm").c_str()));
  EXPECT_FALSE(DerivedFileName("model", 18, buf));
  EXPECT_STREQ(buf, "");
  EXPECT_FALSE(SetModelFileName(("/" + std::string(300, 'd') + "/m.tsm").c_str()));
}

TEST_F(FileNamesTest, BaseNamesAndNameCharacters) {
  char buf[256];
  BaseName("model.v2.tsm", buf);
  EXPECT_STREQ(buf, "model");
  BaseName("model", buf);
  EXPECT_STREQ(buf, "model");
  for (char c : std::string("!#$&@_09AZaz")) EXPECT_TRUE(IsNameChar(c)) << c;
  for (char c : std::string(" .+-*/()%^~")) EXPECT_FALSE(IsNameChar(c)) << c;
}

}  // namespace
