// The display program's start-up: the command line and the application object
// that keeps exceptions of event handlers from ending the program.
#pragma once

#include <QApplication>
#include <QStringList>

class TFrmTesplore;

// What the command line asks for: the program's own path alone opens nothing;
// one more argument is a file to open; "-loadmodularsample" (exactly so) and a
// file opens that file; anything else is invalid.
struct TCommandLine {
  bool valid = true;
  QString file;  // empty: nothing to open
};
TCommandLine ParseCommandLine(const QStringList& arguments);

// Opens the file of a valid line in the window; an invalid line shows "Invalid
// command line arguments" and returns false (the program then ends).
bool ProcessCommandLine(TFrmTesplore& window, const QStringList& arguments);

class TTesploreApplication : public QApplication {
 public:
  TTesploreApplication(int& argc, char** argv);
  // Exceptions of the program's own kinds are shown; the program goes on.
  bool notify(QObject* receiver, QEvent* event) override;
};

// The whole program: window, command line, event loop; returns 0.
int RunTesplore(int argc, char** argv);
