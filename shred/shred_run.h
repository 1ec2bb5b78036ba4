#pragma once
// The shred run behind "&Shred Now": report first, then destroy, then the
// result caption.
#include <string>
#include <vector>

#include "shred/report.h"
#include "shred/shred_options.h"
#include "shred/wipe_file.h"

namespace velmora {

class ShredRunHost : public ReportClock {
 public:
  // Shows the window's state at once; the run does not yield otherwise.
  virtual void Repaint() = 0;
};

// What happened to each item, in list order (for tests and the curious; the
// window shows only the caption).
struct ShredRunResult {
  std::string caption;
  bool report_written = false;
  std::vector<bool> item_shredded;
};

std::string FileModeCaption(const ShredOptions& options);
std::string FolderModeCaption(const ShredOptions& options);

// Runs the whole shred with the pass-count position selected now. In file
// mode each item's path goes through the engine once; in folder mode every
// listed folder is shredded, in list order.
ShredRunResult RunShred(const ShredOptions& options, const ShredList& items, int position,
                        const std::string& report_path, ShredRunHost& host);

}  // namespace velmora
