// The function words and constants of the formula language.
#pragma once

#include <cstdint>
#include <string_view>

#include "formula/program.h"

namespace tesmira::formula {

// The one-argument words in Fn1Code order; the empty word is the plain bracket.
inline constexpr std::string_view kOneArgumentWords[Fn1Count] = {
    "",    "sq",   "srt", "exp",  "ln",  "lg10", "sin",  "cos",  "tg",
    "ctg", "atan", "sum", "prod", "gam", "lgam", "prev", "prev0"};

// The Fn1Code of a one-argument word, or -1.
inline int OneArgumentFunction(std::string_view name) {
  for (int i = 0; i < Fn1Count; ++i)
    if (kOneArgumentWords[i] == name) return i;
  return -1;
}

struct MultiWord {
  enum Word { Max, Min, Vary, Indicator } word = Max;
  int32_t k = 0;  // the indicator's k; 0 for "#"
};

// max, min, vary, i# and i followed by a decimal integer.
inline bool ParseMultiWord(std::string_view name, MultiWord& out) {
  if (name == "max") return out = {MultiWord::Max, 0}, true;
  if (name == "min") return out = {MultiWord::Min, 0}, true;
  if (name == "vary") return out = {MultiWord::Vary, 0}, true;
  if (name.size() < 2 || name[0] != 'i') return false;
  std::string_view rest = name.substr(1);
  if (rest == "#") return out = {MultiWord::Indicator, 0}, true;
  // Any decimal integer that fits an int32.
  int64_t k = 0;
  for (char c : rest) {
    if (c < '0' || c > '9') return false;
    k = k * 10 + (c - '0');
    if (k > INT32_MAX) return false;
  }
  out = {MultiWord::Indicator, static_cast<int32_t>(k)};
  return true;
}

}  // namespace tesmira::formula
