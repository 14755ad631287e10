// The game's command line: its own options, and the window system's passed on.
#pragma once

#include <string>
#include <vector>

struct CommandLine {
  bool help = false;
  bool version = false;
  int fullScreen = -1;          // 1 --fullscreen, 0 --windowed, -1 as the settings say
  std::string data;             // --data DIR
  std::string checkLevels;      // --check-levels FILE: list its problems, open no window
  std::string replay;           // --replay FILE: watch it, then the title
  std::vector<char *> glutArgs; // the program name and GLUT's own options, null-terminated
  std::string error;            // why the line cannot be used; empty when it can
};

CommandLine ParseCommandLine(int argc, char **argv);
const char *CommandLineUsage();
const char *TethrixVersion();
