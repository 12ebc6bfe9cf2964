#include "tokenizer.h"

#include <gtest/gtest.h>

#include <vector>

namespace tesmira::wb {
namespace {

std::vector<std::pair<int, std::string>> Tokens(std::string_view text) {
  std::vector<std::pair<int, std::string>> v;
  TTok t;
  for (int p = 1; (p = NextToken(p, text, t)) != 0;) v.emplace_back(t.kind, t.text);
  return v;
}

using Toks = std::vector<std::pair<int, std::string>>;

TEST(Tokenizer, SplitsTexts) {
  struct {
    const char* text;
    Toks tokens;
  } cases[] = {
      {"a+b1*sin(b)",
       {{TokId, "a"},
        {TokSymb, "+"},
        {TokId, "b1"},
        {TokSymb, "*"},
        {TokFunc1, "sin("},
        {TokId, "b"},
        {TokSymb, ")"}}},
      {"a b+1", {{TokId, "a b"}, {TokSymb, "+"}, {TokNum, "1"}}},
      {".5*x", {{TokNum, ".5"}, {TokSymb, "*"}, {TokId, "x"}}},
      {".x", {{TokSymb, "."}, {TokId, "x"}}},
      {"3.5+x", {{TokNum, "3.5"}, {TokSymb, "+"}, {TokId, "x"}}},
      {"1e-5*y", {{TokNum, "1e-5"}, {TokSymb, "*"}, {TokId, "y"}}},
      {"2E+10", {{TokNum, "2E+10"}}},
      {"2e", {{TokNum, "2"}, {TokId, "e"}}},
      {"1 2.5", {{TokNum, "1 2.5"}}},
      {"abs[x]+t{1,2}",
       {{TokFunc1Abs, "abs["},
        {TokId, "x"},
        {TokSymb, "]"},
        {TokSymb, "+"},
        {TokFunc2, "t{"},
        {TokNum, "1"},
        {TokSymb, ","},
        {TokNum, "2"},
        {TokSymb, "}"}}},
      {"%v_1 (", {{TokFunc1, "%v_1 ("}}},
      {"", {}},
  };
  for (auto& c : cases) EXPECT_EQ(Tokens(c.text), c.tokens) << c.text;
  TTok t;
  EXPECT_EQ(NextToken(4, "abc", t), 0);
  EXPECT_EQ(NextToken(0, "abc", t), 0);
}

TEST(Tokenizer, FindsTokens) {
  struct {
    TTok pattern;
    const char* text;
    int position;
  } cases[] = {
      {{TokId, "X"}, "2*x+1", 3},
      {{TokUnknown, "sin("}, "a+sin(b)", 3},
      {{TokId, "sin"}, "a+sin(b)", 0},
      {{TokId, "ab"}, "a b+1", 2},  // after the token, minus its normalised length
      {{TokId, "b"}, "a+b1", 0},
      {{TokNum, "1e-5"}, "x*1e-5", 3},
  };
  for (auto& c : cases) EXPECT_EQ(FindToken(c.pattern, c.text), c.position) << c.text;
}

TEST(Tokenizer, ReplacesWholeTokens) {
  struct {
    TTok pattern;
    const char* replacement;
    const char* text;
    const char* result;
    bool changed;
  } cases[] = {
      {{TokId, "b"}, "d", "a+b1*sin(b)", "a+b1*sin(d)", true},
      {{TokId, "B"}, "d", "b*b + B", "d*d+ d", true},  // a matching name loses its blanks
      {{TokId, "sin"}, "cos", "sin(x)", "sin(x)", false},
      {{TokId, "ab"}, "c", "a b+1", "c+1", true},
      {{TokId, "q"}, "r", "", "", false},
  };
  for (auto& c : cases) {
    std::string out = "stale";
    bool changed = !c.changed;
    ReplaceToken(c.pattern, c.replacement, c.text, out, changed);
    EXPECT_EQ(out, c.result) << c.text;
    EXPECT_EQ(changed, c.changed) << c.text;
  }
}

TEST(Tokenizer, Blanks) {
  std::string s = " a b  c ";
  EXPECT_EQ(RemoveBlanks(s), 5);
  EXPECT_EQ(s, "abc");
  TTok n;
  NormalizeToken({TokFunc1, "s in ("}, n);
  EXPECT_EQ(n.kind, TokFunc1);
  EXPECT_EQ(n.text, "sin(");
  EXPECT_STREQ(kTokKindNames[TokFunc1Abs], "func1abs");
}

}  // namespace
}  // namespace tesmira::wb
