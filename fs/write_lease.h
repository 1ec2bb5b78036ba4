// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether anyone else has a file open, asked of the kernel before its first
// byte is overwritten. Linux grants a write lease only while the descriptor
// asking is the file's only open one, in any process, this one included: a
// program still writing it (whose writes would outlive ours, into the
// removed file), or reading it, is found here. While the lease is held,
// another program's open of the file waits until it is released (by the
// close), at most /proc/sys/fs/lease-break-time seconds; the kernel then
// takes it back and that open goes ahead.
namespace velmora {

enum class WriteLease {
  Held,        // ours until the descriptor is closed
  InUse,       // another descriptor stays open on it: leave the file
  NotOffered,  // no leases on this file system (EINVAL), or not the file's
               // owner without CAP_LEASE (EACCES): go ahead without one
  Failed,      // refused for another reason: leave the file
};

// Asks for a write lease on `fd` (open for writing). A refusal because the
// file is open elsewhere is asked again, five times over 100 ms: indexers
// and thumbnailers hold files open for milliseconds. Without
// LeaseBreakSignalIgnored() no lease is taken (NotOffered), since a broken
// one would end the process.
[[nodiscard]] WriteLease TakeWriteLease(int fd);

}  // namespace velmora
