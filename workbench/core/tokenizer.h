// A small tokenizer of formula texts for finding and replacing names without
// evaluating the formulas. Its token rules are its own: an identifier takes
// the blanks inside and after it, and a name directly followed by "(", "["
// or "{" is one token with the bracket.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tesmira::wb {

enum TTokKind : uint8_t {
  TokUnknown = 0,  // patterns only: matches a token of any kind
  TokId = 1,
  TokFunc1 = 2,     // name(
  TokFunc1Abs = 3,  // name[
  TokFunc2 = 4,     // name{
  TokNum = 5,
  TokSymb = 6,
};

extern const char* const kTokKindNames[7];

struct TTok {
  uint8_t kind = TokUnknown;
  std::string text;
};

// Reads the token at position (1-based); returns the position after it, or
// 0 when the position lies beyond the end of the text.
int NextToken(int position, std::string_view text, TTok& token);
// The position (1-based) of the first token matching the pattern; 0 when none.
int FindToken(const TTok& pattern, std::string_view text);
// Every token matching the pattern replaced by replacement; changed tells
// whether any was.
void ReplaceToken(const TTok& pattern, std::string_view replacement, std::string_view text,
                  std::string& newText, bool& changed);
bool TokensMatch(const TTok& token, const TTok& pattern);
void NormalizeToken(const TTok& token, TTok& normalized);
// Removes every blank; returns how many were removed.
int RemoveBlanks(std::string& text);

}  // namespace tesmira::wb
