// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/journal_scrub.h"

#include "platform/sys_calls.h"

namespace velmora {
namespace {
constexpr unsigned kCheckpointZeroOut = 0x2;
}  // namespace

bool CheckpointJournal(int fd, bool zero_out) {
  return Sys().checkpoint_journal(fd, zero_out ? kCheckpointZeroOut : 0) == 0;
}

}  // namespace velmora
