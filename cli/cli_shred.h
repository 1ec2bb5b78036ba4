// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `velmora --shred [--folders] [--passes N] [--technique T] [--verbose]
// PATH...`: the window's run, without the window. The same rules keep the
// program and the system off the list, the same engine shreds, the same
// reasons say what was left; no report is written, nothing is opened, no
// setting is read or changed, and nothing is handed to a window that runs.
#include <cstdio>
#include <functional>
#include <string>

#include "cli/cli_command.h"
#include "engine/item_outcome.h"
#include "fs/storage_class.h"

namespace velmora {

// The English words of the window's warning box: the reason for each code,
// and the heading of its storage section.
struct ReasonTexts {
  // An item's reason; a file stopped after `passes_done` of `passes` passes
  // is named with them.
  std::function<std::string(ItemOutcome, int passes_done, int passes)> item;
  std::function<std::string(StorageRisk)> storage;
  std::string storage_heading;
};

// Where a run without a window writes, and what stops it.
struct CliStreams {
  std::FILE* out = stdout;  // --verbose lines, the free-space wipe's result
  std::FILE* err = stderr;  // what was left, the storage section, the progress line
  std::function<bool()> stop;
};

// The kind refusals of the command line, where the window has a mode.
inline constexpr const char* kFolderWithoutFolders = "(a folder: use --folders)";
inline constexpr const char* kFileWithFolders = "(not a folder: leave out --folders)";

// Runs `command` (Shred). Each item not fully shredded: "path (reason)" on
// `err`, as the report of what was done has it (the system's error where a
// call decided it, and what stayed inside a folder on lines of its own); then, once, the storage heading and a line per item shredded whose
// disk may keep old copies; with --verbose, "shredded: path" on `out` for
// each item shredded. Paths are printed absolute. 0 when every path was
// shredded, else 1.
int RunCliShred(const CliCommand& command, const ReasonTexts& texts, const CliStreams& streams);

}  // namespace velmora
