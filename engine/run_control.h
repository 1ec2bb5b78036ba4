// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a running shred reports progress and learns that the user wants it to
// stop. The run may be on a worker thread: implementations must be safe to
// call from it while the window's thread reads what they record.
#include <cstdint>
#include <string>

namespace velmora {

// Where a folder shred stands, for the window's label and bar.
enum class FolderPhase {
  Overwriting,  // files are being overwritten; Stop ends it between two writes
  Forcing,      // every file is overwritten: the one sync before the removals
  Removing,     // every file is overwritten and on the disk: the names go
};

struct FolderStatus {
  FolderPhase phase = FolderPhase::Overwriting;
  // Overwriting: files settled, and what was written of them on the device;
  // Removing: entries handled.
  std::uint64_t done = 0;
  // Overwriting: of those, the files overwritten whole.
  std::uint64_t overwritten = 0;
  // Overwriting: the files in the tree, once every folder has been read (0
  // until then); Removing: the entries to remove, the folder included.
  std::uint64_t total = 0;
  // False once Stop can save nothing more in this folder.
  bool stoppable = true;
};

class RunControl {
 public:
  virtual ~RunControl() = default;
  // Asked between files and between two writes of a file; once true, no
  // new write is started.
  virtual bool StopRequested() { return false; }
  // `done` of `planned` bytes are overwritten (planned is 0 when unknown, as
  // in folder mode); `item` is the listed path being worked on.
  virtual void Progress(std::uint64_t done, std::uint64_t planned, const std::string& item) {
    (void)done, (void)planned, (void)item;
  }
  // File mode: pass `pass` of `passes` over the item in hand begins.
  virtual void FilePass(int pass, int passes) { (void)pass, (void)passes; }
  // Folder mode: where the listed folder `item` stands. From any of the
  // walk's threads.
  virtual void FolderProgress(const std::string& item, const FolderStatus& status) { (void)item, (void)status; }
};

// A control that never stops and ignores progress.
inline RunControl& NoRunControl() {
  static RunControl none;
  return none;
}

}  // namespace velmora
