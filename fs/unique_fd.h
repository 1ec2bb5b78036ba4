// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Owns one file descriptor and closes it exactly once.
#include "platform/sys_calls.h"

#include <utility>

namespace velmora {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

  // Closes now and reports whether close succeeded. close is not retried on
  // EINTR: on Linux the descriptor is gone either way.
  bool Close() {
    if (fd_ < 0) return true;
    int rc = Sys().close(std::exchange(fd_, -1));
    return rc == 0;
  }
  void Reset() { Close(); }
  // Gives the descriptor up without closing it.
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_ = -1;
};

}  // namespace velmora
