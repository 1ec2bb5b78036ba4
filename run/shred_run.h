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
#include "report/report.h"

namespace velmora {

class ShredRunHost : public ReportClock, public RunControl {
 public:
  // Shows the window's state at once.
  virtual void Repaint() = 0;
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

// What happened to each item, in list order. The window shows the caption,
// and a warning for every item that was not shredded.
struct ShredRunResult {
  std::string caption;
  bool report_written = false;
  std::vector<ItemOutcome> outcomes;
  std::vector<bool> item_shredded;  // outcomes[i] == ItemOutcome::Shredded
  // Per item: what its storage may keep of the old data. Told only for
  // items shredded (None for the others).
  std::vector<StorageClass> storage;
  std::vector<PartlyOverwritten> partly_overwritten;  // folder mode, in list order
  // The passes each file got; per item, the passes made whole (file mode:
  // what a StoppedAfterPasses item got).
  int passes = 1;
  std::vector<int> passes_done;
};

std::string FileModeCaption(const ShredOptions& options);
std::string FolderModeCaption(const ShredOptions& options);

// Runs the whole shred with the passes and technique of `options`. In file
// mode each item's path goes through the engine once; in folder mode every
// listed folder is shredded, in list order. The report goes to `report`.
ShredRunResult RunShred(const ShredOptions& options, const ShredList& items, ReportSink& report,
                        ShredRunHost& host);

}  // namespace velmora
