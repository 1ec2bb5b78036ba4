// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/stop_signals.h"

#include <signal.h>

#include <atomic>

namespace velmora {
namespace {

// Read from the run's threads, written by the handler on any thread.
std::atomic<int> g_caught{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch a lock-free atomic");

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RecordStopSignal(int signal) {
  int none = 0;
  g_caught.compare_exchange_strong(none, signal);
}

}  // namespace

bool CatchStopSignals() {
  struct sigaction action{};
  action.sa_handler = RecordStopSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  bool all = true;
  for (int signal : kStopSignals) {
    // A signal ignored when the program started stays ignored: `nohup`
    // asks exactly that of SIGHUP, and a shell of SIGINT for a job it puts
    // in the background.
    struct sigaction before{};
    if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    all = ::sigaction(signal, &action, nullptr) == 0 && all;
  }
  return all;
}

int CaughtStopSignal() { return g_caught.load(); }

int EndBySignal(int signal) {
  struct sigaction action{};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(signal);
  return 128 + signal;
}

}  // namespace velmora
