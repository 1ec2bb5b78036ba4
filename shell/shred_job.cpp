// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/shred_job.h"

#include <QThread>

#include <atomic>
#include <mutex>

namespace velmora {

// The run's host on the worker: the report's date and time as read at the
// click, no repaint (the window paints itself, its event loop is free), the
// stop flag and the latest progress.
class ShredJob::Host : public ShredRunHost {
 public:
  Host(std::string date, std::string time) : date_(std::move(date)), time_(std::move(time)) {}

  std::string ShortDateNow() override { return date_; }
  std::string ShortTimeNow() override { return time_; }
  void Repaint() override {}

  bool StopRequested() override { return Stopping(); }
  void Progress(std::uint64_t done, std::uint64_t planned, const std::string& item) override {
    std::lock_guard lock(mutex_);
    snapshot_.done = done;
    snapshot_.planned = planned;
    if (snapshot_.item != item) snapshot_.item = item;
  }
  void FilePass(int pass, int passes) override {
    std::lock_guard lock(mutex_);
    snapshot_.pass = pass;
    snapshot_.passes = passes;
  }
  void FolderProgress(const std::string& item, const FolderStatus& status) override {
    std::lock_guard lock(mutex_);
    if (snapshot_.item != item) snapshot_.item = item;
    snapshot_.folder = status;
  }

  void Stop() { stop_.store(true, std::memory_order_release); }
  bool Stopping() const { return stop_.load(std::memory_order_acquire); }
  RunSnapshot Snapshot() const {
    std::lock_guard lock(mutex_);
    return snapshot_;
  }

 private:
  const std::string date_, time_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  RunSnapshot snapshot_;
};

ShredJob::ShredJob(QObject* parent) : QObject(parent) {}

ShredJob::~ShredJob() {
  if (!thread_) return;
  // The program is ending under a run: stop it at its next write and wait.
  RequestStop();
  thread_->wait();
  delete thread_;
}

bool ShredJob::Start(ShredOrder order) {
  if (thread_) return false;
  host_ = std::make_unique<Host>(order.date, order.time);
  result_ = {};
  const std::uint64_t run = ++runs_;
  thread_ = QThread::create([this, host = host_.get(), order = std::move(order)] {
    result_ = RunShred(order.options, order.items, *order.report, *host);
  });
  // Queued to this thread; a run delivered early by Wait() is not delivered
  // again.
  connect(thread_, &QThread::finished, this, [this, run] {
    if (run == runs_) Deliver();
  });
  thread_->start();
  return true;
}

bool ShredJob::StartWork(std::function<void(RunControl&)> work) {
  if (thread_) return false;
  host_ = std::make_unique<Host>(std::string(), std::string());
  result_ = {};
  const std::uint64_t run = ++runs_;
  thread_ = QThread::create([host = host_.get(), work = std::move(work)] { work(*host); });
  connect(thread_, &QThread::finished, this, [this, run] {
    if (run == runs_) Deliver();
  });
  thread_->start();
  return true;
}

void ShredJob::RequestStop() {
  if (host_) host_->Stop();
}

bool ShredJob::StopRequested() const { return host_ && host_->Stopping(); }

RunSnapshot ShredJob::Snapshot() const { return host_ ? host_->Snapshot() : RunSnapshot{}; }

void ShredJob::Wait() { Deliver(); }

void ShredJob::Deliver() {
  if (!thread_) return;
  thread_->wait();
  thread_->deleteLater();
  thread_ = nullptr;
  emit Finished();
}

}  // namespace velmora
