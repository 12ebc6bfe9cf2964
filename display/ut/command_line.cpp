#include "ut/command_line.h"

namespace ut {

bool tokenize_command_line(const String& command_line, StringVector& tokens) {
  tokens.clear();
  String line(command_line);
  line.trim();
  line += ' ';
  String token;
  bool inside_quotes = false;
  bool token_pending = true;
  for (char c : line) {
    if (c == '"') {
      inside_quotes = !inside_quotes;
    } else if (inside_quotes || (c != ' ' && c != '\t')) {
      token += c;
      token_pending = true;
    } else if (token_pending) {
      tokens.push_back(token);
      token.clear();
      token_pending = false;
    }
  }
  if (inside_quotes) {
    tokens.clear();
    return false;
  }
  return true;
}

}  // namespace ut
