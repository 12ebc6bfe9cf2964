#pragma once

#include "ut/strings.h"

namespace ut {

// Splits a raw command line into tokens: blanks and tabs separate, double
// quotes group (and are never part of a token), there is no escape character.
// Returns false, with tokens empty, when a quote is left open.
bool tokenize_command_line(const String& command_line, StringVector& tokens);

}  // namespace ut
