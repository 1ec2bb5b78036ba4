// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/write_lease.h"

#include <fcntl.h>
#include <time.h>

#include <cerrno>

#include "platform/lease_signal.h"
#include "platform/sys_calls.h"

namespace velmora {
namespace {

constexpr int kRetries = 5;
constexpr long kPauseNs = 20'000'000;  // 5 x 20 ms

// One ask: 0, or the errno of the refusal.
int AskOnce(int fd) {
  return RetryOnEintr([fd] { return Sys().setlease(fd, F_WRLCK); }) == 0 ? 0 : errno;
}

void Pause() {
  struct timespec wanted {0, kPauseNs};
  // Woken early by a signal, the next ask simply comes sooner.
  BestEffort(Sys().nanosleep(&wanted, nullptr));
}

}  // namespace

WriteLease TakeWriteLease(int fd) {
  if (!LeaseBreakSignalIgnored()) return WriteLease::NotOffered;
  int error = AskOnce(fd);
  for (int retry = 0; error == EAGAIN && retry < kRetries; ++retry) {
    Pause();
    error = AskOnce(fd);
  }
  switch (error) {
    case 0: return WriteLease::Held;
    case EAGAIN: return WriteLease::InUse;
    case EINVAL:
    case EACCES: return WriteLease::NotOffered;
    default: return WriteLease::Failed;
  }
}

}  // namespace velmora
