#include "doc/command_line_args.h"

TCommandLine ParseCommandLine(const QStringList& arguments) {
  TCommandLine line;
  if (arguments.size() == 2) {
    line.file = arguments[1];
  } else if (arguments.size() == 3 && arguments[1] == QStringLiteral("-loadmodularsample")) {
    line.file = arguments[2];
  } else if (arguments.size() != 1) {
    line.valid = false;
  }
  return line;
}
