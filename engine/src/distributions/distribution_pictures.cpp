#include "distributions/distribution_texts.h"

namespace tesmira {

namespace {

struct Picture {
  int count;
  const char* lines[8];
};

// Code page 437 lines drawn for a line-drawing font: 0xC4 horizontal, 0xB3
// vertical, 0xDA 0xBF 0xC0 0xD9 0xB4 corners and tee, Greek letters 0xE0
// alpha, 0xE1 beta, 0xE2 capital gamma, 0xE3 pi, 0xE5 sigma, 0xE6 mu, 0xE7
// tau, 0xEC infinity, 0xF2 >=, 0xF3 <=, 0xFB square root. Lines are padded
// with blanks to 47 characters (48 for the Discrete type); empty lines are
// empty strings.
// clang-format off
const Picture kPictures[] = {
    // type 1
    {5, {
      "",
      "           If X is CONSTANT distributed:       ",
      "",
      "                Pr(X = CONSTANT) = 1           ",
      "",
    }},
    // type 2
    {6, {
      "",
      "                                1              ",
      "              density f(x) = \xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""           ",
      "                              b - a            ",
      "",
      "              for x in [a,b]                   ",
    }},
    // type 3
    {6, {
      "",
      "                               1               ",
      "          density f(x) = \xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""-       ",
      "                         x*(ln(B)-ln(A))       ",
      "",
      "            for x in [a,b]                     ",
    }},
    // type 4
    {8, {
      "",
      "     density f(x) =                            ",
      "                      \xDA""                \xBF""       ",
      "            1         \xB3""  1  \xDA"" x - \xE6"" \xBF""2 \xB3""       ",
      "         \xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""  EXP \xB3""- \xC4""  \xB3"" \xC4""\xC4""\xC4""\xC4""\xC4"" \xB3""  \xB3""       ",
      "         \xE5""*\xFB""(2\xE3"")      \xB3""  2  \xC0""   \xE5""   \xD9""  \xB3""       ",
      "                      \xC0""                \xD9""       ",
      "              for x in [-\xEC"",\xEC""] and \xE5"" > 0        ",
    }},
    // type 5
    {8, {
      "  density f(x) =                               ",
      "                \xDA""                \xBF""             ",
      "      1         \xB3""   1\xDA""ln(x) - \xE6""\xBF""2\xB3""             ",
      "   \xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4"" EXP\xB3"" - \xC4""\xB3""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xB3"" \xB3"" * 1     (x) ",
      "   x*\xE5""*\xFB""(2\xE3"")    \xB3""   2\xC0""    \xE5""    \xD9"" \xB3""    (0,\xEC"")    ",
      "                \xC0""                \xD9""             ",
      "             for x in (0,\xEC"") and \xE5"" > 0          ",
      "     MEDIAN=EXP(\xE6"");  ERRORFACT=EXP(1.6449*\xE5"")   ",
    }},
    // type 6
    {4, {
      "",
      "   density f(x) = \xE7"" * EXP( -\xE7"" * (x - b) )      ",
      "                                               ",
      "         with \xE7"" > 0, b \xF2"" 0 & x \xF2"" b             ",
    }},
    // type 7
    {7, {
      "",
      "                   \xE0""                           ",
      "                  \xE1""          \xE0""-1               ",
      "  density f(x) = \xC4""\xC4""\xC4""\xC4"" * (x-b)   * EXP(-\xE1""*(x-b))",
      "                 \xE2""(\xE0"")                          ",
      "                                               ",
      "       with \xE0"" > 0, \xE1"" > 0, b \xF2"" 0 & x \xF2"" b        ",
    }},
    // type 8
    {7, {
      "",
      "                       \xDA""   \xBF""\xE1""-1       \xDA""   \xBF""\xE1""   ",
      "                  \xE1""    \xB3""x-b\xB3""          \xB3""x-b\xB3""    ",
      "  density f(x) = \xC4""\xC4""\xC4"" * \xB3""\xC4""\xC4""\xC4""\xB3"" * EXP( - \xB3""\xC4""\xC4""\xC4""\xB3"" )  ",
      "                  n    \xB3"" n \xB3""          \xB3"" n \xB3""    ",
      "                       \xC0""   \xD9""          \xC0""   \xD9""    ",
      "          with \xE1"" > 0, n > 0, b \xF2"" 0             ",
    }},
    // type 9
    {8, {
      "",
      "  density f(x) =                               ",
      "                        \xDA""   \xBF""\xE0""-1  \xDA""   \xBF""\xE1""-1     ",
      "           1       1    \xB3""x-a\xB3""     \xB3""b-x\xB3""        ",
      "         \xC4""\xC4""\xC4""\xC4""\xC4""\xC4"" * \xC4""\xC4""\xC4"" * \xB3""\xC4""\xC4""\xC4""\xB3""   * \xB3""\xC4""\xC4""\xC4""\xB3""        ",
      "         B(\xE0"",\xE1"")   b-a   \xB3""b-a\xB3""     \xB3""b-a\xB3""        ",
      "                        \xC0""   \xD9""     \xC0""   \xD9""        ",
      "           with \xE0"" > 0, \xE1"" > 0, x in [a, b]      ",
    }},
    // type 10
    {8, {
      "                 \xDA""   2*(x-a)                   ",
      "                 \xB3"" \xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""  for a \xF3"" x \xF3"" m  ",
      "                 \xB3"" (m-a)*(b-a)                 ",
      "  density f(x) = \xB4""                             ",
      "                 \xB3""   2*(b-x)                   ",
      "                 \xB3"" \xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""\xC4""  for m \xF3"" x \xF3"" b  ",
      "                 \xC0"" (b-m)*(b-a)                 ",
      "           with a \xF3"" m < b or a < m \xF3"" b         ",
    }},
    // type 11, 14, 15
    {2, {
      "",
      "      Enter the distribution filename          ",
    }},
    // type 12
    {8, {
      "     A Tesmira model file can not have         ",
      "   sample file-based variables mixed with      ",
      "   other types of input objects. Therefore,    ",
      "   you should select and delete all sample     ",
      "   file-based variables before introducing     ",
      "   variables of any other distribution type.   ",
      "",
      " Enter the associated probabilities filename:  ",
    }},
    // type 13
    {1, {
      "      Enter the value / probability pairs       ",
    }},
};
// clang-format on

}  // namespace

int DistributionPictureLines(int type, const char* const** lines) {
  int index;
  if (type >= 1 && type <= 10)
    index = type - 1;
  else if (type == 11 || type == 14 || type == 15)
    index = 10;
  else if (type == 12)
    index = 11;
  else if (type == 13)
    index = 12;
  else
    return 0;
  *lines = kPictures[index].lines;
  return kPictures[index].count;
}

}  // namespace tesmira
