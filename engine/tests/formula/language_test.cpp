// The formula language: operators, precedence, functions, constants, numbers
// and every message, evaluated as the single formula "f" of a run with the
// inputs a = 2, b = 3, c = 5.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <fstream>
#include <string>

#include "fake_environment.h"
#include "formula/compiler.h"

namespace tesmira::formula {
namespace {

using fake::SetRun;

struct Outcome {
  bool ok = false;
  double value = 0;
  std::string message;
};

Outcome Evaluate(const std::string& text, std::vector<std::string> inputs = {"a", "b", "c"},
                 std::vector<double> values = {2, 3, 5}) {
  SetRun run;
  run.env.formulas = {{"f", text}};
  run.inputs = inputs;
  Outcome out;
  if (!run.Prepare()) {
    out.message = run.message;
    return out;
  }
  if (!run.Sample(values)) {
    out.message = run.message;
    return out;
  }
  out.ok = true;
  out.value = run.Output(0);
  return out;
}

const double kPi = 3.14159265358979323846;

struct ValueCase {
  const char* text;
  double expected;
};

void ExpectValues(std::initializer_list<ValueCase> cases) {
  for (const ValueCase& c : cases) {
    Outcome out = Evaluate(c.text);
    ASSERT_TRUE(out.ok) << c.text << ": " << out.message;
    EXPECT_NEAR(out.value, c.expected, 1e-12 * std::max(1.0, std::fabs(c.expected))) << c.text;
  }
}

TEST(FormulaLanguage, OperatorsPrecedenceAndPowers) {
  ExpectValues({
      // precedence: "^" first, then "/", "*", "-", "+"; one operation per step
      {"2*3+4", 10},
      {"2+3*4", 14},
      {"2^3^2", 64},
      {"-2^2", -4},
      {"8/2/2", 2},
      {"1-2-3", -4},
      {"2*3/4", 1.5},
      {"8/2*4", 16},  // "/" before "*"
      {"1-2+3", 2},
      {"a*(-b)", -6},
      {"a+-b", -1},
      {"-(a+b)*c", -25},
      {"((a))", 2},
      {"A + B", 5},  // blanks removed, case ignored
      {"[0-3]", 3},
      {"sq[0-2]", 4},
      // powers
      {"(0-2)^3", -8},
      {"(0-2)^2", 4},
      {"0^0", 0},
      {"0^(0-1)", 0},
      {"4^0.5", 2},
  });
}

TEST(FormulaLanguage, NumbersAndConstants) {
  ExpectValues({
      // numbers: point separator, signed exponent inside the number
      {"1e5", 100000},
      {"1e-5", 0.00001},
      {"2*1e-5", 0.00002},
      {"1e+2", 100},
      {"2e+0.5", 2.5},  // no number: the sign stays an operator
      {"1e-5-1", 0.00001 - 1},
      {"1.5e3", 1500},
      {"1e", 1},
      {".5", 0.5},
      {"5.", 5},
      {".", 0},
      {"", 0},
      {"   ", 0},
      // constants
      {"pi", kPi},
      {"<<", -1.7e38},
      {">>", 1.7e38},
  });
}

TEST(FormulaLanguage, OneArgumentFunctions) {
  ExpectValues({
      {"sq(3)", 9},
      {"srt(16)", 4},
      {"srt(0)", 0},
      {"exp(1)", std::exp(1.0)},
      {"exp(0-800)", 0},
      {"ln(1)", 0},
      {"ln(exp(2))", 2},
      {"lg10(1000)", 3},
      {"sin(pi/2)", 1},
      {"cos(0)", 1},
      {"tg(pi/4)", 1},
      {"ctg(pi/4)", 1},
      {"atan(1)", kPi / 4},
      {"gam(5)", 24},
      {"gam(0)", -777},
      {"lgam(5)", std::log(24.0)},
      {"sum(a)", 2},
      {"prod(a)", 2},
      {"prev0(7)", 7},
      {"srt[0-16]", 4},
      // boundaries
      {"ln(2e-9)", std::log(2e-9)},
      {"lg10(2e-9)", std::log10(2e-9)},
      {"exp(88.02)", std::exp(88.02)},
      {"lgam(0-1)", 0},
      {"lgam(1)", 0},
      {"gam(0.5)", std::sqrt(kPi)},
      {"sq(0-3)", 9},
      {"atan(0)", 0},
      {"tg(0)", 0},
      {"prev(5)", 5},  // no formula named: the argument
  });
}

TEST(FormulaLanguage, MultiArgumentFunctions) {
  ExpectValues({
      {"max{1,pi,2}", kPi},
      {"min{3,1,2}", 1},
      {"max{a,b+c,c}", 8},
      {"i#{0,0.5,2,3,1}", 1},
      {"i2{0,0.5,0.7,3,1}", 1},
      {"i3{0,0.5,0.7,3,1}", 0},
      {"i0{0,0.5,0.7,3,1}", 2},
      {"i#{1,2}", 0},
      // boundaries
      {"i#{1,1,2,2}", 2},  // both ends belong to the range
      {"i1{1,0,3,2}", 0},
      {"max{2,2}", 2},
      {"max{1,,2}", 2},  // an empty operand is 0
  });
}

TEST(FormulaLanguage, IntermediateValuesCannotBeNamedByTheUser) {
  // A variable named _1 is the variable, never the first intermediate value.
  Outcome out = Evaluate("(10)+_1", {"_1"}, {5});
  ASSERT_TRUE(out.ok) << out.message;
  EXPECT_EQ(out.value, 15);
  // Without such a variable the name is unknown.
  out = Evaluate("(10)+_1");
  EXPECT_EQ(out.message, "Can`t interpret \"..+_1\"");
  // A reduced span followed by a digit is no intermediate value either.
  out = Evaluate("(1)+(2)1");
  EXPECT_EQ(out.message, "Can`t interpret \"..+..1\"");
}

TEST(FormulaLanguage, VariableNamesWithOperatorCharacters) {
  // The whole text is looked up when an operand of its operation is unknown.
  Outcome out = Evaluate("x-y", {"x-y"}, {7});
  ASSERT_TRUE(out.ok) << out.message;
  EXPECT_EQ(out.value, 7);
  // An exponent's sign belongs to the number only when the number ends there.
  out = Evaluate("1e-5x", {"5x"}, {2});
  ASSERT_TRUE(out.ok) << out.message;
  EXPECT_EQ(out.value, -1);
  // Variables come before constants.
  out = Evaluate("pi", {"pi"}, {4});
  EXPECT_EQ(out.value, 4);
}

struct MessageCase {
  const char* text;
  const char* message;
};

TEST(FormulaLanguage, Messages) {
  const MessageCase cases[] = {
      {"a*-b", "Can`t interpret \"a*\""},
      {"*a", "Can`t interpret \"*a\""},
      {"a+", "Can`t interpret \"a+\""},
      {"x+1", "Can`t interpret \"x+1\""},
      {"x", "Can`t interpret \"x\""},
      {"sin(x)", "Can`t interpret \"(x)\""},
      {"(a,b)", "Can`t interpret \"(a,b)\""},
      {"(1)2", "Can`t interpret \"..2\""},
      {"(a+b", "Closing bracket is expected  \")\""},
      {"a+b)", "Opening bracket is expected  \"(\""},
      {"[a", "Closing bracket is expected  \"]\""},
      {"a}", "Opening bracket is expected  \"{\""},
      {"(a)]", "Opening bracket is expected  \"[\""},
      {"(a])", "Opening bracket is expected  \"[\""},
      {"foo(a)", "Incorrect function name \"foo(a)\""},
      {"2(3)", "Incorrect function name \"2(3)\""},
      {"sin{a,b}", "Incorrect function name \"sin{a,b}\""},
      {"max(a)", "Incorrect function name \"max(a)\""},
      {"ix{1,2,3}", "Incorrect function name \"ix{1,2,3}\""},
      {"sin()", "No argument for function \"sin()\""},
      {"[]", "No argument for function \"[]\""},
      {"max{}", "No argument for function \"max{}\""},
      {"max{a}", "Number of parameters does not match the \"MAX\" function 1"},
      {"min{a}", "Number of parameters does not match the \"MIN\" function 1"},
      {"vary{1,2}", "Incorrect number of parameters for the \"VARY\" function 2"},
      {"i4{0,0.5,0.7,3,1}", "Number of parameters does not match the indicative function 5"},
      {"i#{1}", "Number of parameters does not match the indicative function 1"},
      {"i1234567{0,1,2}", "Number of parameters does not match the indicative function 3"},
      {"i2147483647{0,1,2}", "Number of parameters does not match the indicative function 3"},
      {"i2147483648{0,1,2}", "Incorrect function name \"i2147483648{0,1,2}\""},
      {"i1#{0,1,2}", "Incorrect function name \"i1#{0,1,2}\""},
      // messages of the computation
      {"ln(0)", "Incorrect argument of \"Ln\" function   0.00"},
      {"lg10(0-1)", "Incorrect argument of \"Lg10\" function  -1.00"},
      {"srt(0-4)", "Negative argument of \"Sqrt\" function  -4.00"},
      {"exp(100)", "Overflow: arg of \"Exp\" > 88.03 \"exp(100)\""},
      {"exp(88.03)", "Overflow: arg of \"Exp\" > 88.03 \"exp(88.03)\""},
      {"ln(1e-9)", "Incorrect argument of \"Ln\" function   0.00"},
      {"ln(0-1234.567)", "Incorrect argument of \"Ln\" function -1234.57"},
      {"ln(0-0.125)", "Incorrect argument of \"Ln\" function  -0.13"},  // half up
      {"srt(0-2.625)", "Negative argument of \"Sqrt\" function  -2.63"},
      {"tg(pi/2)", "Overflow calculating \"Tg\" function \"tg(..)\""},
      {"ctg(0)", "Overflow calculating \"Ctg\" function \"ctg(0)\""},
      {"(0-8)^(1/3)", "Incorrect operand of \"^\" operator  -8.00"},
      {"vary{3,1,1}", "Incorrect arguments for the \"VARY\" function \"vary{3,1,1}\""},
      {"vary{1,3,0}", "Incorrect arguments for the \"VARY\" function \"vary{1,3,0}\""},
      {"a/(b-3)", "Division by zero \"a/..\" in udf # 1 f : `a/(b-3)`"},
  };
  for (const MessageCase& c : cases) {
    Outcome out = Evaluate(c.text);
    EXPECT_FALSE(out.ok) << c.text;
    EXPECT_EQ(out.message, c.message) << c.text;
  }
}

TEST(FormulaLanguage, DisplayCopyUsesThreeDotsFromStepTen) {
  // Ten reductions before the failing one: its span shows "..." for step 10.
  Outcome out = Evaluate("(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)*ln(0)");
  EXPECT_EQ(out.message, "Incorrect argument of \"Ln\" function   0.00");
  out = Evaluate("(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+foo(1+1)");
  EXPECT_EQ(out.message, "Incorrect function name \"foo(...)\"");
  out = Evaluate("(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+ctg(0*1)");
  EXPECT_EQ(out.message, "Overflow calculating \"Ctg\" function \"ctg(...)\"");
}

TEST(FormulaLanguage, TooManyIntermediateValuesFailClearly) {
  std::string text = "1";
  for (int i = 0; i < 96; ++i) text += "+1";
  Outcome out = Evaluate(text);
  ASSERT_TRUE(out.ok) << out.message;
  EXPECT_EQ(out.value, 97);
  out = Evaluate(text + "+1");
  EXPECT_EQ(out.message, "Formula needs more than 96 intermediate values");
}

TEST(FormulaLanguage, NumberSyntax) {
  EXPECT_EQ(ReadFormulaNumber("12.5e2"), 1250.0);
  EXPECT_EQ(ReadFormulaNumber("1e-5"), 1e-5);
  EXPECT_EQ(ReadFormulaNumber("1E5"), 1e5);
  EXPECT_EQ(ReadFormulaNumber("1e-400"), 0.0);
  EXPECT_FALSE(ReadFormulaNumber("1e400"));
  EXPECT_FALSE(ReadFormulaNumber("1,5"));
  EXPECT_FALSE(ReadFormulaNumber("1.5x"));
  EXPECT_FALSE(ReadFormulaNumber("inf"));
  EXPECT_FALSE(ReadFormulaNumber("nan"));
  EXPECT_FALSE(ReadFormulaNumber("e5"));
  EXPECT_FALSE(ReadFormulaNumber(""));
  // A number too large for a double is no number.
  Outcome out = Evaluate("1e400");
  EXPECT_EQ(out.message, "Can`t interpret \"1e400\"");
}

TEST(FormulaLanguage, CheckModesComputeOnlyWhatTheyShould) {
  // Checking one formula: operations are not computed, multi-argument functions are.
  fake::FakeEnvironment env;
  env.formulas = {{"f", "ln(0)+1/0+max{2,7}"}};
  SetProgram program;
  double v = -1;
  ASSERT_TRUE(program.Evaluate(env, SetMode::CheckOne, 0, false, {}, nullptr, v))
      << program.Message();
  EXPECT_EQ(v, 0);
  ASSERT_TRUE(program.Evaluate(env, SetMode::CheckOne, 0, true, "max{2,7}", nullptr, v));
  EXPECT_EQ(v, 7);
  // A plain bracket is a one-argument function too: 0 in check mode.
  ASSERT_TRUE(program.Evaluate(env, SetMode::CheckOne, 0, true, "max{(5),3}", nullptr, v));
  EXPECT_EQ(v, 3);
  ASSERT_TRUE(program.Evaluate(env, SetMode::CheckOne, 0, true, "(5)", nullptr, v));
  EXPECT_EQ(v, 0);
  // Checking the whole set computes operations; "/" and "ln" give 1, "exp" reports its overflow.
  ASSERT_TRUE(program.Evaluate(env, SetMode::CheckSet, 0, false, {}, nullptr, v))
      << program.Message();
  EXPECT_EQ(v, 9);
  env.formulas[0].text = "exp(100)";
  EXPECT_FALSE(program.Evaluate(env, SetMode::CheckSet, 0, false, {}, nullptr, v));
  EXPECT_EQ(program.Message(), "Overflow: arg of \"Exp\" > 88.03 \"exp(100)\"");
  EXPECT_TRUE(program.Evaluate(env, SetMode::CheckOne, 0, false, {}, nullptr, v));
  // Unknown names are found by every check.
  EXPECT_FALSE(program.Evaluate(env, SetMode::CheckOne, 0, true, "q+1", nullptr, v));
  EXPECT_EQ(program.Message(), "Can`t interpret \"q+1\"");
  // The model's variables are known in checks, with the value 0.
  env.variables = {{"q", 3}};
  env.formulas[0].text = "q";
  EXPECT_TRUE(program.Evaluate(env, SetMode::CheckSet, -1, false, {}, nullptr, v));
  EXPECT_TRUE(program.Evaluate(env, SetMode::CheckOne, -1, true, "q*2+1", nullptr, v));
}

TEST(FormulaLanguage, AgreesWithTheStepByStepRewritingOfTheText) {
  // Texts with the outcome of rewriting them step by step, worked out apart
  // from this evaluator: every operator, bracket kind, function and message.
  std::ifstream in(std::string(TESMIRA_FORMULA_TEST_DATA) + "/rewriting_cases.tsv",
                   std::ios::binary);
  ASSERT_TRUE(in) << "rewriting_cases.tsv";
  std::string line;
  int cases = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
    ASSERT_NE(t2, std::string::npos) << line;
    std::string text = line.substr(0, t1), kind = line.substr(t1 + 1, t2 - t1 - 1),
                expected = line.substr(t2 + 1);
    Outcome out = Evaluate(text);
    if (kind == "OK") {
      double value = 0;
      ASSERT_EQ(std::from_chars(expected.data(), expected.data() + expected.size(), value).ec,
                std::errc())
          << line;
      ASSERT_TRUE(out.ok) << text << ": " << out.message;
      EXPECT_NEAR(out.value, value, 1e-12 * std::max(1.0, std::fabs(value))) << text;
    } else {
      EXPECT_FALSE(out.ok) << text;
      EXPECT_EQ(out.message, expected) << text;
    }
    ++cases;
  }
  EXPECT_GT(cases, 150);
}

TEST(FormulaLanguage, ArbitraryTextsEndWithAValueOrAMessage) {
  // Random texts over the language's characters: every one compiles and runs
  // to a value or a message without touching memory it does not own.
  const std::string alphabet = "ab1.e+-*/^()[]{},#i_xsqrtmaxvy0 ";
  uint32_t state = 12345;
  auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  for (int i = 0; i < 1500; ++i) {
    std::string text;
    int length = static_cast<int>(next() % 40);
    for (int k = 0; k < length; ++k) text.push_back(alphabet[next() % alphabet.size()]);
    Outcome out = Evaluate(text);
    EXPECT_TRUE(out.ok || !out.message.empty()) << text;
    EXPECT_LE(out.message.size(), 255u);
  }
}

}  // namespace
}  // namespace tesmira::formula
