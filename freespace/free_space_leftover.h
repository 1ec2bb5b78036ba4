// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fill folder outlives its session only when the session is killed in
// the middle of a free-space wipe, and then it holds the disk full. Its
// identity (device and inode, and its parent's) is kept in a record from the
// moment it is made until it is gone, so the next start removes it; and
// never anything else: the name must be one of ours, the parent and the
// folder the very ones recorded, the folder no link and on the parent's
// mount, and inside it only our fill files are removed.
#include <string>
#include <vector>

#include "freespace/free_space_wipe.h"
#include "report/report_keeper.h"

namespace velmora {

// One line per folder, the path percent-encoded; only the newest
// kMaxRecordEntries. Lines that do not parse are dropped; a record beyond
// the bounds of fs/record_lines.h gives nothing at all.
std::string FormatFillRecord(const std::vector<FillIdentity>& folders);
std::vector<FillIdentity> ParseFillRecord(const std::string& record);

// A recorded entry waits through this many starts for its disk to be
// mounted again, then it is dropped.
inline constexpr unsigned kMaxFillWaits = 8;

enum class LeftoverFill {
  Gone,     // nothing holds the name any more
  NotOurs,  // something else holds it now: left alone
  Removed,  // our fill folder, removed now
  Kept,     // ours, but it could not be removed (tried again next time)
  Away,     // its folder is not there: a disk not mounted now, say
};

// Puts ext4's reserve recorded with `id` back, as the administrator, when
// the file system the fill was on is mounted now and its reserve is lower.
void RestoreRecordedReserve(const FillIdentity& id);

LeftoverFill RemoveLeftoverFill(const FillIdentity& id);

// The record of fill folders, kept between sessions in `store` (the window
// keeps it in its settings, as the report's).
class FillKeeper {
 public:
  explicit FillKeeper(ReportRecordStore& store) : store_(store) {}

  // Before the first byte of the fill is written.
  void Remember(const FillIdentity& id);
  // Once the folder is gone.
  void Forget(const FillIdentity& id);
  // Removes every recorded folder still ours, and puts back a reserve left
  // lowered; true when none is left. An entry whose disk is away waits
  // through kMaxFillWaits starts.
  bool RemoveLeftovers();

 private:
  ReportRecordStore& store_;
};

}  // namespace velmora
