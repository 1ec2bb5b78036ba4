// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The shred run on a worker thread, so the window's event loop keeps going.
// The core runs there as it is; what it reports (bytes done, the item in
// hand, where a folder shred stands) is kept under a lock for the window's
// thread to read, and Stop is a flag the core asks between two writes.
#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "run/shred_run.h"

class QThread;

namespace velmora {

// Everything the run reads, taken from the window when "&Shred Now" is
// pressed: the worker never touches the window or the platform layer.
struct ShredOrder {
  ShredOptions options;
  ShredList items;
  ReportSink* report = nullptr;  // written on the worker, before anything is destroyed
  std::string date, time;  // the report's, read on the window's thread
};

// What the run last reported.
struct RunSnapshot {
  std::uint64_t done = 0;
  std::uint64_t planned = 0;  // 0 when unknown (folder mode)
  std::string item;           // the listed path in hand; "" before the first
  int pass = 1, passes = 1;   // file mode: the pass over the item in hand
  FolderStatus folder;        // folder mode: where the folder in hand stands
};

class ShredJob : public QObject {
  Q_OBJECT
 public:
  explicit ShredJob(QObject* parent = nullptr);
  ~ShredJob() override;  // a run still going is stopped and waited for

  // Starts a run; false (and nothing started) while one is going.
  bool Start(ShredOrder order);
  // Starts other work on the worker the same way (a free-space wipe): one at
  // a time, with the same Stop, progress and Finished. Its result is the
  // work's own; Result() stays empty.
  bool StartWork(std::function<void(RunControl&)> work);
  bool Running() const { return thread_ != nullptr; }

  // Asks the run to end at its next write (see shred_run.h for what then
  // stays). Safe to call at any time.
  void RequestStop();
  bool StopRequested() const;
  RunSnapshot Snapshot() const;

  // Blocks until the worker has ended and delivers Finished at once: for
  // the quit of the program, when no event loop will deliver it.
  void Wait();

  // The last run's result; read it in a slot of Finished.
  const ShredRunResult& Result() const { return result_; }

 signals:
  // On the window's thread, once per run, after the worker has ended.
  void Finished();

 private:
  class Host;
  void Deliver();

  std::unique_ptr<Host> host_;
  QThread* thread_ = nullptr;
  std::uint64_t runs_ = 0;
  ShredRunResult result_;
};

}  // namespace velmora
