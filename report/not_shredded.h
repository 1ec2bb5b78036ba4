// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a run left, in words: the one table of reasons the warning box, the
// report, standard error and the command line all say; in English unless a
// TextLookup gives the window's language.
#include <cstddef>
#include <string>
#include <vector>

#include "engine/item_outcome.h"
#include "engine/shred_options.h"
#include "fs/ui_text.h"

namespace velmora {

// One thing a run did not shred: a listed item, or a name inside a listed
// folder (on lines of its own, under its folder's).
struct NotShredded {
  std::size_t item = 0;  // the position of its listed item
  std::string path;
  ItemOutcome outcome = ItemOutcome::OpenFailed;
  int error = 0;                // the errno of the call that decided it (0: none did)
  std::size_t files_left = 0;   // a folder stopped before it was finished:
  std::size_t files_total = 0;  // its files still there, of those listed
  int passes_done = 0;          // a file stopped after whole passes:
  int passes = 0;               // how many of how many
  bool inside = false;          // a name inside a listed folder
  bool operator==(const NotShredded&) const = default;
};

// The bracketed reason for an outcome ("" for Shredded): "(read-only)". A
// file stopped after `passes_done` of `passes` passes says so; without them
// its reason reads "<k> of <P>".
std::string OutcomeReason(ItemOutcome outcome, int passes_done = 0, int passes = 0,
                          const TextLookup& words = English);

// "<path> (<reason>)", a stopped folder's reason with its count; with
// `with_error`, the system's English words for the error where a call
// decided it: "/home/u/a.bin (could not be opened: Permission denied)".
std::string NotShreddedLine(const NotShredded& left, bool with_error, const TextLookup& words = English);

// The report of what was done: the nine lines of the plan (FormatReport),
// the items shredded, one blank line, "Files Not Shredded Are: " and a
// line per thing left, with its error; CR LF throughout.
std::string FormatDoneReport(const std::string& date, const std::string& time, const ShredOptions& options,
                             const ShredList& shredded, const std::vector<NotShredded>& left);

}  // namespace velmora
