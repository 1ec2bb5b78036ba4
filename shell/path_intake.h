// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paths handed in from outside the choosers, from the command line or a drop
// on the list page, put on the shred list through the window exactly as one
// path chosen alone in the file chooser or the folder browser would be.
#include <string>
#include <vector>

#include "shredlist/given_paths.h"

namespace velmora {

class Dialogs;
class FrmMain;

// The command line, once the start-up sequence is done: the list page as if
// the mode had been chosen and "&Next >>" pressed (folder mode when every
// path is a folder, file mode otherwise), then each path in order, then one
// box naming what could not be listed.
void OpenListWithPaths(FrmMain& window, Dialogs& dialogs, const std::vector<std::string>& given,
                       const std::string& cwd);

// A drop on the list page, in the mode already selected.
void AddDroppedPaths(FrmMain& window, Dialogs& dialogs, const std::vector<std::string>& paths);

// Absolute paths a second copy of the program handed over: on the list page
// as a drop is taken, on any other page as the command line takes them (on
// the result page after what its "Back" does). When the rules accept none
// of them, the boxes name the refusals and the window stays as it was.
void TakeHandedOverPaths(FrmMain& window, Dialogs& dialogs, const std::vector<std::string>& paths);

// The bracketed reason a path handed in is not listed.
std::string IntakeReason(IntakeRefusal refusal);

// The box that names what could not be listed: the heading, then one line
// per path, "<path> (<reason>)". The same lines go to standard error, in
// English; the box has them in the language `words` looks up.
std::string UnlistedMessage(const std::vector<UnlistedPath>& unlisted, const TextLookup& words = English);

}  // namespace velmora
