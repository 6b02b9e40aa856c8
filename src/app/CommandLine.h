#pragma once

#include <string>
#include <vector>

// What the desktop program is asked to do by its command line.
struct CommandLineOptions {
  std::string file;  // opened as the (empty) document; empty for a new one
  std::string oscAddress;
  int oscPort = 0;  // 0: no remote control
};

struct ParsedCommandLine {
  enum Action { kRun, kHelp, kError };
  Action action = kRun;
  CommandLineOptions options;
  std::string error;  // for kError: what is wrong, one line
};

// Parses the arguments after the program name:
//   [--osc-port N] [--osc-bind ADDRESS] [-h | --help] [--] [FILE]
// Options also take the form --osc-port=N. The defaults are those of remote
// control (RemoteControl.h).
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text --help prints.
std::string UsageText();
