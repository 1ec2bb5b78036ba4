// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ext4 keeps a reserve from every writer, root included, and which free
// blocks it leaves is the allocator's choice: the small gaps between kept
// files, just where a small deleted file lay. For the administrator the
// free-space wipe lowers it to nothing while its blocks are filled. It is
// put back however the program ends: by the program itself, and, should the
// program die first (a crash, SIGKILL), by a watchdog process of its own.
#include <sys/types.h>

#include <optional>

#include "fs/unique_fd.h"

namespace velmora {

// The value in ext4's reserve file `file` (its sysfs attribute).
bool ReadExt4Reserve(int file, unsigned long long& clusters);
bool WriteExt4Reserve(int file, unsigned long long clusters);

// The reserve of the file system `fd` is on; false where it has none that
// can be read (not ext4, or not the administrator).
bool Ext4ReserveOf(int fd, unsigned long long& clusters);

// A forked child that execs nothing and holds only the read end of a pipe
// from the program and the reserve file: when the pipe closes without the
// program's word (the program ended in any way at all), it writes `saved`
// back into the file; then it exits. It ignores the signals a terminal or a
// session's end sends, in a session of its own.
class ReserveWatchdog {
 public:
  ReserveWatchdog(int file, unsigned long long saved);
  // Leave(false): the reserve may not be back, the watchdog writes it.
  ~ReserveWatchdog() { Leave(false); }
  ReserveWatchdog(const ReserveWatchdog&) = delete;
  ReserveWatchdog& operator=(const ReserveWatchdog&) = delete;

  bool started() const { return child_ > 0; }
  // Ends the watchdog and waits for it; `restored`: the program put the
  // value back itself, so it leaves without writing.
  void Leave(bool restored);

 private:
  pid_t child_ = -1;
  UniqueFd pipe_;  // the write end
};

// The reserve lowered to nothing for as long as this lives, and only while
// a watchdog stands by; put back at its end, however the fill ended.
class LoweredExt4Reserve {
 public:
  explicit LoweredExt4Reserve(int fd);
  ~LoweredExt4Reserve();
  LoweredExt4Reserve(const LoweredExt4Reserve&) = delete;
  LoweredExt4Reserve& operator=(const LoweredExt4Reserve&) = delete;
  bool lowered() const { return lowered_; }

 private:
  UniqueFd file_;
  unsigned long long saved_ = 0;
  std::optional<ReserveWatchdog> watchdog_;
  bool lowered_ = false;
};

}  // namespace velmora
