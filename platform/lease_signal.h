// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A write lease that another program breaks (by opening the file) is
// announced with SIGIO, whose default action ends the process. The shredder
// takes leases only once that signal is ignored.
namespace velmora {

// Ignores SIGIO for the whole process. Call once at start-up, before any
// thread exists (threads made later inherit the disposition). False when
// the disposition could not be set.
bool IgnoreLeaseBreakSignal();

// Whether IgnoreLeaseBreakSignal succeeded in this process.
bool LeaseBreakSignalIgnored();

}  // namespace velmora
