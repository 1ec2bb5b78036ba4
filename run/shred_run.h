// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The shred run behind "&Shred Now": report first, then destroy, then the
// result caption.
#include <string>
#include <vector>

#include "engine/item_outcome.h"
#include "engine/run_control.h"
#include "engine/shred_options.h"
#include "engine/wipe_file.h"
#include "fs/storage_class.h"
#include "fs/ui_text.h"
#include "report/not_shredded.h"
#include "report/report.h"

namespace velmora {

class ShredRunHost : public ReportClock, public RunControl {
 public:
  // Shows the window's state at once.
  virtual void Repaint() = 0;
};

// Something inside a listed folder that stayed for a reason of its own (a
// mount, a file in use, one that could not be opened or removed), by its
// full path; `item` the position of its listed folder, `error` the errno of
// the call that decided it (0: none did). What a stop came to is in
// partly_overwritten.
struct KeptInside {
  std::size_t item = 0;
  std::string path;
  ItemOutcome outcome = ItemOutcome::OpenFailed;
  int error = 0;
  bool operator==(const KeptInside&) const = default;
};

// Of a listed folder left unfinished: its files still there, of those its
// walk listed.
struct FilesLeft {
  std::size_t left = 0;
  std::size_t total = 0;
  bool operator==(const FilesLeft&) const = default;
};

// A file inside a listed folder that a stop came to: `path` in full, `item`
// the position of its listed folder. With no pass whole it is partly
// overwritten, under its own name; after `passes_done` whole passes it was
// removed.
struct PartlyOverwritten {
  std::size_t item = 0;
  std::string path;
  int passes_done = 0;
  bool operator==(const PartlyOverwritten&) const = default;
};

// What happened to each item, in list order. The window shows its mode's
// caption, and a warning for every item that was not shredded.
struct ShredRunResult {
  // Whether a report of this run is on the disk: the plan, replaced by what
  // was done when anything was left.
  bool report_written = false;
  std::vector<ItemOutcome> outcomes;
  std::vector<int> errors;           // per item: the errno of the call that decided its outcome (0: none)
  std::vector<FilesLeft> files_left;  // per item: folder mode's count
  std::vector<KeptInside> kept_inside;  // folder mode, in list order
  // Per item: what its storage may keep of the old data. Told only for
  // items shredded (None for the others).
  std::vector<StorageClass> storage;
  std::vector<PartlyOverwritten> partly_overwritten;  // folder mode, in list order
  // The passes each file got; per item, the passes made whole (file mode:
  // what a StoppedAfterPasses item got).
  int passes = 1;
  std::vector<int> passes_done;
};

// Per item of `result`: whether it was shredded.
std::vector<bool> ItemsShredded(const ShredRunResult& result);

// The items of `result` that were not shredded.
std::size_t ItemsLeft(const ShredRunResult& result);

// Whether nothing at all went in a run over at least one item: no item
// shredded, no file stopped after a whole pass (it went, with fewer passes
// than asked), and no file inside a listed folder that stayed.
bool NothingShredded(const ShredRunResult& result);

// What `result` left, in list order: each item not fully shredded (one
// stopped after some passes included), followed by what stayed inside it or
// a stop came to there, by path.
std::vector<NotShredded> WhatWasLeft(const ShredList& items, const ShredRunResult& result);

// The result page's caption of each mode, in English unless `words` looks
// the texts up (the technique's name among them) in another language.
std::string FileModeCaption(const ShredOptions& options, const TextLookup& words = English);
std::string FolderModeCaption(const ShredOptions& options, const TextLookup& words = English);

// Runs the whole shred with the passes and technique of `options`. In file
// mode each item's path goes through the engine once; in folder mode every
// listed folder is shredded, in list order. The report goes to `report`:
// the plan before anything is destroyed; where anything was left, the
// report of what was done replaces it at the end (its lines naming what was
// left are WhatWasLeft's, for standard error).
ShredRunResult RunShred(const ShredOptions& options, const ShredList& items, ReportSink& report,
                        ShredRunHost& host);

}  // namespace velmora
