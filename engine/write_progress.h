// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the overwrite engine tells, while it writes, how far it has come, and
// learns between two writes that it should stop.
#include <sys/types.h>

#include <cstdint>

namespace velmora {

class WriteProgress {
 public:
  virtual ~WriteProgress() = default;
  // `bytes` more of the pattern are on the device (or, where nobody paces
  // the writeback, on their way to it).
  virtual void Written(std::uint64_t bytes) = 0;
  // The writer has just put [offset, offset + bytes) of the file in hand
  // into the page cache. A pacer starts its writeback and reports it once
  // the device has it; by default it simply counts.
  virtual void WroteRange(off_t offset, std::uint64_t bytes) {
    (void)offset;
    Written(bytes);
  }
  // Asked before each write: once true, the overwrite ends there.
  virtual bool StopRequested() { return false; }
  // The writes of one file begin, `length` bytes a pass; and end. A folder
  // shred lets one large file at a time write, so files finish in turn.
  virtual void FileBegins(off_t length) { (void)length; }
  virtual void FileEnds() {}
  // Pass `pass` of `passes` over the file in hand begins.
  virtual void PassBegins(int pass, int passes) { (void)pass, (void)passes; }
};

}  // namespace velmora
