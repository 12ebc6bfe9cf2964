// The display program's command line: what it asks the program to open.
#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for: the program's own path alone opens nothing;
// one more argument is a file to open; "-loadmodularsample" (exactly so) and a
// file opens that file; anything else is invalid.
struct TCommandLine {
  bool valid = true;
  QString file;  // empty: nothing to open
};
TCommandLine ParseCommandLine(const QStringList& arguments);
