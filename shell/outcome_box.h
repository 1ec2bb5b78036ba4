// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The words for what a shred run could not do: one place maps the engine's
// codes to the reasons the warning box shows.
#include <string>
#include <vector>

#include "engine/item_outcome.h"
#include "engine/shred_options.h"
#include "run/shred_run.h"

namespace velmora {

// The bracketed reason for an item that was not shredded ("" for Shredded).
// A file stopped after `passes_done` of `passes` passes says so; without
// them its reason reads "<k> of <P>".
std::string OutcomeReason(ItemOutcome outcome, int passes_done = 0, int passes = 0);

// The warning box's text for a run: "Some items could not be shredded:" and a
// line per item left ("<path> (<reason>)"), in list order, each listed
// folder followed by the files inside it a stop came to; "" when every item
// was shredded.
std::string OutcomeBoxText(const ShredList& items, const ShredRunResult& result);

}  // namespace velmora
