// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a run without a window learns while it goes, and the progress line
// it shows on a terminal: one line on standard error that rewrites itself
// (done of planned, the phase, the rate, the time left), cleared before the
// run's own lines. Never in a pipe or a file, where it would be noise.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "run/shred_run.h"

namespace velmora {

// What the run last reported.
struct RunReport {
  std::uint64_t done = 0;
  std::uint64_t planned = 0;  // 0 when unknown
  std::string item;           // the listed path in hand; "" before the first
  int pass = 0, passes = 0;   // file mode: the pass over the file in hand begun last
  bool folder = false;        // a folder shred told where it stands
  FolderStatus status;
  bool stopping = false;
};

// The run's host: no report, nothing to repaint; Stop is whatever `stop`
// says (a signal caught), and what the run reports is kept for the line.
class CliRunHost : public ShredRunHost {
 public:
  explicit CliRunHost(std::function<bool()> stop) : stop_(std::move(stop)) {}

  std::string ShortDateNow() override { return {}; }
  std::string ShortTimeNow() override { return {}; }
  void Repaint() override {}
  bool StopRequested() override { return stop_(); }
  void Progress(std::uint64_t done, std::uint64_t planned, const std::string& item) override;
  void FolderProgress(const std::string& item, const FolderStatus& status) override;

  RunReport Report() const;

 private:
  std::function<bool()> stop_;
  mutable std::mutex mutex_;
  RunReport report_;
};

// The line for `now`, from what was reported and how fast the current
// phase has gone since `since` (when `done_since` was reached): "<verb>
// <name>: <done> of <planned>, <rate>, <time> left".
struct PhaseClock {
  std::string item;
  FolderPhase phase = FolderPhase::Overwriting;
  std::chrono::steady_clock::time_point since;
  std::uint64_t done_since = 0;
};
// The item is named by its last step, or in full (a mount point).
std::string ProgressText(const RunReport& report, const std::string& verb, bool full_name, PhaseClock& clock,
                         std::chrono::steady_clock::time_point now);

// Shows the line on `stream` while it lives, when `stream` is a terminal:
// once at once, then four times a second; cleared when it ends.
class ProgressLine {
 public:
  ProgressLine(const CliRunHost& host, std::FILE* stream, std::string verb, bool full_name = false);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

 private:
  void Show();
  void Tick();

  const CliRunHost& host_;
  std::FILE* stream_;
  const std::string verb_;
  const bool full_name_;
  PhaseClock clock_;
  std::string shown_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool ending_ = false;
  std::thread thread_;
};

}  // namespace velmora
