// Tesplore, the display program of the suite.
#include "ui/start_up.h"

int main(int argc, char** argv) { return RunTesplore(argc, argv); }
