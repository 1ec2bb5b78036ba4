// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a running shred reports progress and learns that the user wants it to
// stop. The run may be on a worker thread: implementations must be safe to
// call from it while the window's thread reads what they record.
#include <cstdint>
#include <string>

namespace velmora {

class RunControl {
 public:
  virtual ~RunControl() = default;
  // Asked between files; once true, no new file is started.
  virtual bool StopRequested() { return false; }
  // `done` of `planned` bytes are overwritten (planned is 0 when unknown, as
  // in folder mode); `item` is the listed path being worked on.
  virtual void Progress(std::uint64_t done, std::uint64_t planned, const std::string& item) {
    (void)done, (void)planned, (void)item;
  }
};

// A control that never stops and ignores progress.
inline RunControl& NoRunControl() {
  static RunControl none;
  return none;
}

}  // namespace velmora
