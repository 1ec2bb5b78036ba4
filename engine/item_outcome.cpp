// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/item_outcome.h"

#include "engine/wipe_file.h"

namespace velmora {

ItemOutcome OutcomeOfFile(WipeOutcome outcome) {
  switch (outcome) {
    case WipeOutcome::Shredded: return ItemOutcome::Shredded;
    case WipeOutcome::NotRegularFile: return ItemOutcome::NotRegularFile;
    case WipeOutcome::ReadOnly: return ItemOutcome::ReadOnly;
    case WipeOutcome::OpenFailed: return ItemOutcome::OpenFailed;
    case WipeOutcome::WriteFailed: return ItemOutcome::WriteFailed;
    case WipeOutcome::SyncFailed: return ItemOutcome::SyncFailed;
    case WipeOutcome::RemoveFailed: return ItemOutcome::RemoveFailed;
    case WipeOutcome::Link: return ItemOutcome::Link;
    case WipeOutcome::MountPoint: return ItemOutcome::MountPoint;
    case WipeOutcome::InUse: return ItemOutcome::InUse;
    case WipeOutcome::Gone: return ItemOutcome::NotFound;
    case WipeOutcome::Changed:
    case WipeOutcome::OtherLinks: return ItemOutcome::Changed;
    case WipeOutcome::StoppedPartWay: return ItemOutcome::StoppedPartWay;
    case WipeOutcome::StoppedBeforeStart: return ItemOutcome::StoppedBeforeReached;
    case WipeOutcome::StoppedAfterPasses: return ItemOutcome::StoppedAfterPasses;
  }
  return ItemOutcome::OpenFailed;
}

}  // namespace velmora
