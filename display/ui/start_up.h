// The display program's start-up: the command line and the application object
// that keeps exceptions of event handlers from ending the program.
#pragma once

#include <QApplication>
#include <QStringList>

#include "doc/command_line_args.h"

class TFrmTesplore;

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
