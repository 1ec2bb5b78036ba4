// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Old copies of directory blocks live on in an ext4 journal, and a folder's
// freed blocks keep whatever was last checkpointed to them. Checkpointing the
// journal writes the scrubbed state home; zeroing it wipes the old copies.
// Both need privileges an ordinary user may not have: best effort, silent.

namespace velmora {

// Writes every committed change of fd's file system to its home location,
// then, when `zero_out`, overwrites the journal with zeros. False when the
// file system or the caller's privileges do not allow it.
bool CheckpointJournal(int fd, bool zero_out);

}  // namespace velmora
