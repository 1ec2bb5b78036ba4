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

// One line per folder, the path percent-encoded; lines that do not parse
// are dropped.
std::string FormatFillRecord(const std::vector<FillIdentity>& folders);
std::vector<FillIdentity> ParseFillRecord(const std::string& record);

enum class LeftoverFill {
  Gone,     // nothing holds the name any more
  NotOurs,  // something else holds it now: left alone
  Removed,  // our fill folder, removed now
  Kept,     // ours, but it could not be removed (tried again next time)
};

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
  // Removes every recorded folder still ours; true when none is left.
  bool RemoveLeftovers();

 private:
  ReportRecordStore& store_;
};

}  // namespace velmora
