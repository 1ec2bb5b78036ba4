// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line: `velmora [OPTION]... [PATH]...`. It is read before the
// window exists, so that --help and --version need no display.
#include <string>
#include <vector>

namespace velmora {

struct CommandLine {
  enum class Action { Run, Help, Version, Error };
  Action action = Action::Run;
  std::vector<std::string> paths;  // byte for byte as given, in order
  std::string output;              // what Help, Version and Error print
};

// Reads argv, argv[0] included. Qt's own options (-platform, -style and the
// like) are let through for QApplication, which takes them out itself.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// For an action other than Run: prints its output (help and version to
// standard output, an error to standard error) and returns the exit status.
int FinishWithoutWindow(const CommandLine& command);

// How many leading arguments QApplication may see: none from "--" on, so a
// path spelled like one of Qt's options is not taken for one.
int QtArgumentCount(int argc, char** argv);

}  // namespace velmora
