#include "tokenizer.h"

#include <algorithm>

namespace tesmira::wb {

const char* const kTokKindNames[7] = {"unknown", "id", "func1", "func1abs", "func2", "num", "symb"};

namespace {

bool IsIdStart(char c) {
  return c == '%' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdChar(char c) { return IsIdStart(c) || IsDigit(c); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

// Reads a real number from text at i (0-based), skipping blanks between its
// characters; returns the index after its last character, or i when nothing
// reads as a number.
std::size_t ReadNumber(std::string_view text, std::size_t i) {
  std::size_t n = text.size();
  std::size_t end = i;  // after the last character taken
  std::size_t k = i;
  auto skip = [&] {
    while (k < n && text[k] == ' ') ++k;
  };
  bool digits = false;
  while (k < n && IsDigit(text[k])) {
    digits = true;
    end = ++k;
    skip();
  }
  if (k < n && text[k] == '.') {
    std::size_t dot = k;
    ++k;
    skip();
    bool fraction = false;
    while (k < n && IsDigit(text[k])) {
      fraction = true;
      end = ++k;
      skip();
    }
    if (!digits && !fraction) return i;
    if (!fraction) end = dot + 1;
    digits = true;
  }
  if (!digits) return i;
  k = end;
  skip();
  if (k < n && (text[k] == 'e' || text[k] == 'E')) {
    ++k;
    skip();
    if (k < n && (text[k] == '+' || text[k] == '-')) {
      ++k;
      skip();
    }
    std::size_t expEnd = 0;
    while (k < n && IsDigit(text[k])) {
      expEnd = ++k;
      skip();
    }
    if (expEnd != 0) end = expEnd;
  }
  return end;
}

}  // namespace

int NextToken(int position, std::string_view text, TTok& token) {
  if (position < 1 || static_cast<std::size_t>(position) > text.size()) return 0;
  std::size_t start = static_cast<std::size_t>(position - 1);
  std::size_t p = start;
  std::size_t n = text.size();
  char c = text[p];
  if (IsIdStart(c)) {
    token.kind = TokId;
    while (p < n && (IsIdChar(text[p]) || text[p] == ' ')) ++p;
    if (p < n && (text[p] == '(' || text[p] == '[' || text[p] == '{')) {
      token.kind = text[p] == '(' ? TokFunc1 : text[p] == '[' ? TokFunc1Abs : TokFunc2;
      ++p;
    }
  } else if (IsDigit(c) || (c == '.' && p + 1 < n && IsDigit(text[p + 1]))) {
    token.kind = TokNum;
    p = ReadNumber(text, p);
  } else {
    token.kind = TokSymb;
    ++p;
  }
  token.text = std::string(text.substr(start, p - start));
  return static_cast<int>(p) + 1;
}

bool TokensMatch(const TTok& token, const TTok& pattern) {
  return (pattern.kind == TokUnknown || pattern.kind == token.kind) &&
         SameText(token.text, pattern.text);
}

void NormalizeToken(const TTok& token, TTok& normalized) {
  normalized.kind = token.kind;
  normalized.text = token.text;
  RemoveBlanks(normalized.text);
}

int RemoveBlanks(std::string& text) {
  auto it = std::remove(text.begin(), text.end(), ' ');
  int removed = static_cast<int>(text.end() - it);
  text.erase(it, text.end());
  return removed;
}

int FindToken(const TTok& pattern, std::string_view text) {
  TTok pat, tok, norm;
  NormalizeToken(pattern, pat);
  for (int p = 1; (p = NextToken(p, text, tok)) != 0;) {
    NormalizeToken(tok, norm);
    if (TokensMatch(norm, pat)) return p - static_cast<int>(norm.text.size());
  }
  return 0;
}

void ReplaceToken(const TTok& pattern, std::string_view replacement, std::string_view text,
                  std::string& newText, bool& changed) {
  newText.clear();
  changed = false;
  TTok pat, tok, norm;
  NormalizeToken(pattern, pat);
  for (int p = 1; (p = NextToken(p, text, tok)) != 0;) {
    NormalizeToken(tok, norm);
    if (TokensMatch(norm, pat)) {
      newText += replacement;
      changed = true;
    } else {
      newText += tok.text;
    }
  }
}

}  // namespace tesmira::wb
