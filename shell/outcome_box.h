// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The warning box's words for what a shred run could not do; the reasons
// themselves are the one table in report/not_shredded.h.
#include <cstddef>
#include <string>

#include "engine/shred_options.h"
#include "report/not_shredded.h"
#include "run/shred_run.h"

namespace velmora {

// At most this many lines name what stayed inside one listed folder; the
// report names them all.
inline constexpr std::size_t kNamedInsidePerFolder = 20;

// The warning box's text for a run: "Some items could not be shredded:" and a
// line per item left ("<path> (<reason>)"), in list order, each listed
// folder followed by what stayed inside it, up to kNamedInsidePerFolder
// lines, then "<folder>: and <r> more (see the report)"; "" when every item
// was shredded. No error text: the report has it. In English unless `words`
// looks the texts up in the window's language.
std::string OutcomeBoxText(const ShredList& items, const ShredRunResult& result, const TextLookup& words = English);

// The report's lines for what `result` left, errors included, each ended by
// a new line: for standard error.
std::string WhatWasLeftText(const ShredList& items, const ShredRunResult& result);

}  // namespace velmora
