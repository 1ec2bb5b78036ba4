// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/close_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <cerrno>

#include "platform/sys_calls.h"

namespace velmora {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

volatile sig_atomic_t g_write_fd = -1;
struct sigaction g_previous[kSignalCount];

// Async-signal-safe: one write, errno kept. A full pipe already holds a
// request, so a lost byte loses nothing.
void OnSignal(int number) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(number);
  if (g_write_fd >= 0) {
    [[maybe_unused]] ssize_t n = ::write(g_write_fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

CloseSignals::CloseSignals(QObject* parent) : QObject(parent) {
  int fds[2];
  if (g_write_fd >= 0 || ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  read_fd_ = fds[0];
  g_write_fd = fds[1];
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < kSignalCount; ++i) ::sigaction(kSignals[i], &action, &g_previous[i]);
  notifier_ = new QSocketNotifier(read_fd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &CloseSignals::Drain);
}

CloseSignals::~CloseSignals() {
  if (!notifier_) return;
  for (int i = 0; i < kSignalCount; ++i) ::sigaction(kSignals[i], &g_previous[i], nullptr);
  const int write_fd = g_write_fd;
  g_write_fd = -1;
  ::close(write_fd);
  delete notifier_;
  ::close(read_fd_);
}

void CloseSignals::Drain() {
  unsigned char bytes[64];
  for (;;) {
    const ssize_t n = RetryOnEintr([&] { return ::read(read_fd_, bytes, sizeof bytes); });
    if (n <= 0) return;
    for (ssize_t i = 0; i < n; ++i) emit received(bytes[i]);
  }
}

}  // namespace velmora
