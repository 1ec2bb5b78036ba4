// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps an overwrite close behind the device. Without it the pattern lands
// in the page cache at memory speed, progress runs far ahead of the disk,
// and the final sync (which Stop cannot shorten) holds the rest. With it,
// what progress counts is what the device has acknowledged, the cache never
// holds more than a bounded lead of unwritten pattern, and the final sync is
// short.
#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "engine/write_progress.h"

namespace velmora {

// The most pattern that may wait in the cache for the device...
inline constexpr std::uint64_t kMaxWritebackLead = std::uint64_t{64} << 20;
// ...and the least, so a slow start does not turn pacing into a sync per write.
inline constexpr std::uint64_t kMinWritebackLead = std::uint64_t{8} << 20;

using SteadyNow = std::chrono::steady_clock::time_point (*)();

// CLOCK_MONOTONIC (the steady clock) as the system-call table reads it.
std::chrono::steady_clock::time_point MonotonicNow();

// How much may wait for the device: one second of the speed it has shown
// so far, within [kMinWritebackLead, kMaxWritebackLead]; the least until
// it has shown any, so a slow device never holds more than a Stop can wait
// for.
class WritebackWindow {
 public:
  explicit WritebackWindow(SteadyNow now = &MonotonicNow) : now_(now), start_(now()) {}
  void Acknowledged(std::uint64_t bytes) { acknowledged_ += bytes; }
  // `bytes` the device took while a sync waited `waited` for them. From the
  // first of these on, the speed is what the syncs waited, not the time
  // since the start (which counts the walk and the writes into the cache),
  // but never more than four times that: a sync that found its pages
  // already written back says little of the device.
  void AcknowledgedIn(std::uint64_t bytes, std::chrono::steady_clock::duration waited) {
    acknowledged_ += bytes;
    waited_ += waited;
    timed_ = true;
  }
  std::uint64_t Lead() const;

 private:
  SteadyNow now_;
  std::chrono::steady_clock::time_point start_;
  std::uint64_t acknowledged_ = 0;
  std::chrono::steady_clock::duration waited_{};
  bool timed_ = false;
};

// One open file's overwrite. Paced (file mode): each written range has its
// writeback started in batches (sync_file_range WRITE), and the oldest
// batches are waited for (WAIT_BEFORE | WRITE | WAIT_AFTER) whenever more
// than the window waits; `next` hears of bytes as they are acknowledged.
// Not paced (folder mode, where the tree paces with syncfs): each range
// goes on to `next` as written. Either way it counts what was written and
// remembers a stop `next` asked for.
class FileWriteback : public WriteProgress {
 public:
  FileWriteback(int fd, WriteProgress* next, bool pace, SteadyNow now = &MonotonicNow);

  void Written(std::uint64_t bytes) override { WroteRange(-1, bytes); }
  void WroteRange(off_t offset, std::uint64_t bytes) override;
  bool StopRequested() override;
  void FileBegins(off_t length) override {
    if (next_) next_->FileBegins(length);
  }
  void FileEnds() override {
    if (next_) next_->FileEnds();
  }
  void PassBegins(int pass, int passes) override {
    if (next_) next_->PassBegins(pass, passes);
  }

  // The file was forced to the disk whole: the rest is acknowledged too.
  void Synced();

  std::uint64_t written() const { return written_; }
  std::uint64_t acknowledged() const { return acknowledged_; }
  bool stopped() const { return stopped_; }

 private:
  struct Range {
    off_t from = 0, to = 0;
  };
  void StopPacing();
  void StartOpenBatch();
  void WaitForOldest();
  void Acknowledge(std::uint64_t bytes);

  const int fd_;
  WriteProgress* const next_;
  bool pace_;
  Range open_;                  // written, its writeback not started yet
  std::deque<Range> started_;   // writeback started, not yet acknowledged
  std::uint64_t written_ = 0;
  std::uint64_t acknowledged_ = 0;
  bool stopped_ = false;
  WritebackWindow window_;
};

// A folder shred's overwrite, shared by its threads: files are closed right
// after their writes, so the writeback of a whole batch is forced with
// one syncfs once about a window's worth waits, never a call per file.
// While a batch syncs, writers go on only as far as the window exceeds its
// least, so what a sync in hand holds stays within about two seconds of the
// device. Files longer than a write go one at a time, so they finish in
// turn rather than all together at the end. Files are counted as done when
// the sync that covered them returns.
class TreeWriteback : public WriteProgress {
 public:
  struct Counts {
    std::uint64_t files_done = 0;         // settled, and what was written of them is on the device
    std::uint64_t files_overwritten = 0;  // of those, overwritten whole
  };

  // `fd` is anything on the file system; `stop` answers StopRequested;
  // `acknowledged` hears the counts after each sync of a batch (from the
  // thread that synced, one sync at a time).
  TreeWriteback(int fd, std::function<bool()> stop, std::function<void(Counts)> acknowledged,
                SteadyNow now = &MonotonicNow);

  void Written(std::uint64_t bytes) override;
  // Holds the write back while the cache is far enough ahead of a sync.
  bool StopRequested() override;
  void FileBegins(off_t length) override;
  void FileEnds() override;

  // A file is finished with (overwritten or not); from any thread.
  void FileDone(bool overwritten);

  // What is settled so far, synced or not: the tree's own one sync follows.
  Counts Done() const;

 private:
  void SyncBatch(std::unique_lock<std::mutex>& lock);

  const int fd_;
  std::function<bool()> stop_;
  std::function<void(Counts)> on_acknowledged_;
  mutable std::mutex mutex_;
  std::condition_variable synced_;
  bool syncing_ = false;  // one sync at a time; writers far past the window wait for it
  std::condition_variable turn_;
  bool large_writing_ = false;  // a file longer than one write is being written
  std::thread::id large_writer_;
  std::uint64_t unsynced_ = 0;
  Counts done_;
  SteadyNow now_;
  WritebackWindow window_;
};

}  // namespace velmora
