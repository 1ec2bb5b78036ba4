// SPDX-License-Identifier: GPL-3.0-or-later
#include "freespace/ext4_reserve.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>

#include "fs/record_lines.h"

namespace velmora {
namespace {

// The program's word to the watchdog: the reserve is back, leave it.
constexpr char kLeave = 'q';

// Every descriptor but `a` and `b` closed.
void CloseAllBut(int a, int b) {
  const unsigned low = static_cast<unsigned>(a < b ? a : b), high = static_cast<unsigned>(a < b ? b : a);
  if (low > 0) ::close_range(0, low - 1, 0);
  if (high > low + 1) ::close_range(low + 1, high - 1, 0);
  ::close_range(high + 1, UINT_MAX, 0);
}

// The watchdog's whole life, after fork: only calls safe in a child of a
// program with threads.
[[noreturn]] void Watch(int pipe_read, int file, const char* text, std::size_t length) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  for (int signal : {SIGINT, SIGHUP, SIGTERM, SIGQUIT, SIGPIPE, SIGTSTP, SIGTTIN, SIGTTOU})
    ::sigaction(signal, &ignore, nullptr);
  ::setsid();
  CloseAllBut(pipe_read, file);
  char word = 0;
  ssize_t got = 0;
  do got = ::read(pipe_read, &word, 1);
  while (got < 0 && errno == EINTR);
  if (got != 1 || word != kLeave) {
    ssize_t put = 0;
    do put = ::pwrite(file, text, length, 0);
    while (put < 0 && errno == EINTR);
  }
  ::_exit(0);
}

}  // namespace

bool ReadExt4Reserve(int file, unsigned long long& clusters) {
  char text[32];
  const ssize_t n = RetryOnEintr([&] { return ::pread(file, text, sizeof text - 1, 0); });
  if (n <= 0) return false;
  std::string_view value(text, static_cast<std::size_t>(n));
  while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) value.remove_suffix(1);
  return ReadNumber(value, clusters);
}

bool WriteExt4Reserve(int file, unsigned long long clusters) {
  const std::string text = std::to_string(clusters) + "\n";
  return RetryOnEintr([&] { return Sys().pwrite(file, text.data(), text.size(), 0); }) ==
         static_cast<ssize_t>(text.size());
}

bool Ext4ReserveOf(int fd, unsigned long long& clusters) {
  UniqueFd file(Sys().open_ext4_reserve(fd, O_RDONLY));
  return file.valid() && ReadExt4Reserve(file.get(), clusters);
}

ReserveWatchdog::ReserveWatchdog(int file, unsigned long long saved) {
  // Made before the fork: the child allocates nothing.
  const std::string text = std::to_string(saved) + "\n";
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return;
  child_ = ::fork();
  if (child_ == 0) Watch(ends[0], file, text.data(), text.size());
  ::close(ends[0]);
  if (child_ < 0) {
    ::close(ends[1]);
    return;
  }
  pipe_ = UniqueFd(ends[1]);
}

void ReserveWatchdog::Leave(bool restored) {
  if (child_ <= 0) return;
  if (restored) BestEffort(RetryOnEintr([&] { return ::write(pipe_.get(), &kLeave, 1); }));
  pipe_.Reset();
  BestEffort(RetryOnEintr([&] { return ::waitpid(child_, nullptr, 0); }));
  child_ = -1;
}

LoweredExt4Reserve::LoweredExt4Reserve(int fd) : file_(Sys().open_ext4_reserve(fd, O_RDWR)) {
  if (!file_.valid() || !ReadExt4Reserve(file_.get(), saved_) || saved_ == 0) return;
  // No watchdog, no lowering: a reserve left at nothing is worse than a few
  // blocks not filled.
  watchdog_.emplace(file_.get(), saved_);
  if (!watchdog_->started()) return;
  lowered_ = WriteExt4Reserve(file_.get(), 0);
}

LoweredExt4Reserve::~LoweredExt4Reserve() {
  const bool restored = lowered_ && WriteExt4Reserve(file_.get(), saved_);
  // Should the program fail to put it back, the watchdog tries; should both
  // fail, ext4 computes its reserve again at the next mount.
  if (watchdog_) watchdog_->Leave(restored || !lowered_);
}

}  // namespace velmora
