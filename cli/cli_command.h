// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of a run without a window: `velmora --shred ...` and
// `velmora --wipe-free-space FOLDER`. Read without Qt, before anything of
// the window exists, so a script's run starts at once and needs no display.
#include <string>
#include <vector>

#include "engine/pass_positions.h"

namespace velmora {

struct CliCommand {
  enum class Action {
    None,           // no option of these runs: the window's command line
    Shred,          // --shred
    WipeFreeSpace,  // --wipe-free-space
    Help,           // --help beside one of these options
    UsageError,     // `error` says what is wrong
  };
  Action action = Action::None;
  bool folders = false;                   // --folders
  int position = kDefaultPassPosition;    // --passes, as a position of the pass-count list
  std::string technique = "Ones and Zeros";  // --technique, as the options page names it
  bool verbose = false;                   // --verbose
  std::vector<std::string> paths;         // byte for byte as given, in order
  std::string error;                      // UsageError: one line, without "velmora: "
};

// Reads argv, argv[0] included. None unless an option of a run without a
// window comes before any "--".
CliCommand ParseCliCommand(int argc, const char* const* argv);

// The two usage lines, each ended by a newline.
std::string CliUsage();

// The part of --help about runs without a window, with examples.
std::string CliHelp();

}  // namespace velmora
