// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/lease_signal.h"

#include <signal.h>

#include <atomic>

namespace velmora {
namespace {
std::atomic<bool> ignored{false};
}  // namespace

bool IgnoreLeaseBreakSignal() {
  struct sigaction action {};
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  if (::sigaction(SIGIO, &action, nullptr) != 0) return false;
  ignored = true;
  return true;
}

bool LeaseBreakSignalIgnored() { return ignored; }

}  // namespace velmora
