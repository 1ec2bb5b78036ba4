// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/writeback_pacer.h"

#include <fcntl.h>

#include <algorithm>
#include <ctime>

#include "engine/pass_bytes.h"
#include "platform/sys_calls.h"

namespace velmora {
namespace {

// Writeback is started in batches of this share of the window, so a few are
// always on their way to the device while the oldest is waited for.
constexpr std::uint64_t kBatchesPerWindow = 8;
constexpr std::uint64_t kMinBatch = std::uint64_t{1} << 20;

}  // namespace

std::chrono::steady_clock::time_point MonotonicNow() {
  struct timespec now {};
  if (Sys().clock_gettime(CLOCK_MONOTONIC, &now) != 0) return std::chrono::steady_clock::now();
  return std::chrono::steady_clock::time_point(std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec));
}

std::uint64_t WritebackWindow::Lead() const {
  double seconds = std::chrono::duration<double>(now_() - start_).count();
  if (timed_) seconds = std::max(std::chrono::duration<double>(waited_).count(), seconds / 4);
  if (acknowledged_ == 0 || seconds <= 0) return kMinWritebackLead;
  // Bytes per second the device has taken so far: a second's worth.
  const double per_second = static_cast<double>(acknowledged_) / seconds;
  if (per_second >= static_cast<double>(kMaxWritebackLead)) return kMaxWritebackLead;
  return std::max(kMinWritebackLead, static_cast<std::uint64_t>(per_second));
}

FileWriteback::FileWriteback(int fd, WriteProgress* next, bool pace, SteadyNow now)
    : fd_(fd), next_(next), pace_(pace), window_(now) {}

bool FileWriteback::StopRequested() {
  if (!stopped_ && next_ && next_->StopRequested()) stopped_ = true;
  return stopped_;
}

void FileWriteback::Acknowledge(std::uint64_t bytes) {
  acknowledged_ += bytes;
  window_.Acknowledged(bytes);
  if (next_ && bytes > 0) next_->Written(bytes);
}

void FileWriteback::StopPacing() {
  // From here on ranges count as written, as they would without pacing; the
  // final sync still decides whether the file is on the device.
  pace_ = false;
  started_.clear();
  open_ = {};
  Acknowledge(written_ - acknowledged_);
}

void FileWriteback::StartOpenBatch() {
  if (open_.to <= open_.from) return;
  // Only a start: the call returns once the pages are queued for the device.
  if (Sys().sync_file_range(fd_, open_.from, open_.to - open_.from, SYNC_FILE_RANGE_WRITE) != 0) {
    StopPacing();  // a file system without it
    return;
  }
  started_.push_back(open_);
  open_ = {};
}

void FileWriteback::WaitForOldest() {
  const Range oldest = started_.front();
  // WAIT_BEFORE and WRITE as well: a page the start skipped (locked, or
  // already under writeback then) is written and waited for too.
  const unsigned flags = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
  if (RetryOnEintr([&] { return Sys().sync_file_range(fd_, oldest.from, oldest.to - oldest.from, flags); }) != 0) {
    StopPacing();  // a write error: the final sync will report it
    return;
  }
  started_.pop_front();
  Acknowledge(static_cast<std::uint64_t>(oldest.to - oldest.from));
}

void FileWriteback::WroteRange(off_t offset, std::uint64_t bytes) {
  written_ += bytes;
  if (!pace_ || offset < 0) {
    acknowledged_ += bytes;
    if (next_) next_->WroteRange(offset, bytes);
    return;
  }
  if (open_.to > open_.from && open_.to != offset) StartOpenBatch();
  if (open_.to <= open_.from) open_ = {offset, offset};
  open_.to += static_cast<off_t>(bytes);
  if (!pace_) {
    StopPacing();
    return;
  }

  const std::uint64_t lead = window_.Lead();
  const std::uint64_t batch = std::max(kMinBatch, lead / kBatchesPerWindow);
  if (static_cast<std::uint64_t>(open_.to - open_.from) >= batch) StartOpenBatch();
  while (pace_ && written_ - acknowledged_ > lead) {
    if (started_.empty()) StartOpenBatch();
    if (started_.empty()) break;
    WaitForOldest();
  }
}

void FileWriteback::Synced() {
  started_.clear();
  open_ = {};
  Acknowledge(written_ - acknowledged_);
}

TreeWriteback::TreeWriteback(int fd, std::function<bool()> stop, std::function<void(Counts)> acknowledged,
                             SteadyNow now)
    : fd_(fd), stop_(std::move(stop)), on_acknowledged_(std::move(acknowledged)), now_(now), window_(now) {}

void TreeWriteback::Written(std::uint64_t bytes) {
  std::unique_lock lock(mutex_);
  unsynced_ += bytes;
  // Another thread syncing a batch holds the next writes back (StopRequested).
  if (unsynced_ < window_.Lead() || syncing_) return;
  SyncBatch(lock);
}

bool TreeWriteback::StopRequested() {
  {
    std::unique_lock lock(mutex_);
    // While a batch syncs, the cache may fill again only as far as the
    // window exceeds its least: on a device slower than that least, not at
    // all, so a Stop never waits for more than the sync in hand.
    const std::uint64_t overlap = window_.Lead() - kMinWritebackLead;
    synced_.wait(lock, [&] { return !syncing_ || unsynced_ < overlap; });
  }
  return stop_();
}

void TreeWriteback::FileBegins(off_t length) {
  if (length <= static_cast<off_t>(kPassChunk)) return;
  std::unique_lock lock(mutex_);
  // Its writer answers a Stop at its next write, so the wait ends then too.
  turn_.wait(lock, [this] { return !large_writing_; });
  large_writing_ = true;
  large_writer_ = std::this_thread::get_id();
}

void TreeWriteback::FileEnds() {
  std::lock_guard lock(mutex_);
  if (!large_writing_ || large_writer_ != std::this_thread::get_id()) return;
  large_writing_ = false;
  turn_.notify_one();
}

void TreeWriteback::FileDone(bool overwritten) {
  std::lock_guard lock(mutex_);
  ++done_.files_done;
  if (overwritten) ++done_.files_overwritten;
}

TreeWriteback::Counts TreeWriteback::Done() const {
  std::lock_guard lock(mutex_);
  return done_;
}

void TreeWriteback::SyncBatch(std::unique_lock<std::mutex>& lock) {
  syncing_ = true;
  const std::uint64_t bytes = unsynced_;
  unsynced_ = 0;
  // Every file settled before the sync starts is on the device after it.
  const Counts covered = done_;
  lock.unlock();
  const auto began = now_();
  const bool synced = Sys().syncfs(fd_) == 0;
  const auto waited = now_() - began;
  // Still the only syncer: reports keep their order.
  if (synced && on_acknowledged_) on_acknowledged_(covered);
  lock.lock();
  // A failed sync paces nothing; the tree's own sync before the removals
  // decides whether anything goes.
  if (synced) window_.AcknowledgedIn(bytes, waited);
  syncing_ = false;
  synced_.notify_all();
}

}  // namespace velmora
