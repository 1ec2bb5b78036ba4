// SPDX-License-Identifier: GPL-3.0-or-later
// Measures the shredder against the everyday tools, side by side on one file
// system: ratios of medians over alternating runs, and peak memory.
//
//   shred_bench [FOLDER [GROUP...]]  FOLDER defaults to a new folder in the
//                current one; the groups (all but "threads" by default):
//                file passes tree loop small mixed stop slow memory free
//                cli calls keeper, and "threads": the folder shred at 4, 8,
//                16 and 32 threads and by default ("loop-threads": only on
//                the loop-mounted image)
//   shred_bench --wipe PATH | --shred-folder PATH
//                (internal) one run in a fresh process, which then prints
//                its own peak memory
//
// Every figure runs at the pass-count position "1" unless its name says
// otherwise. Run as root, the bench also takes figures on loop-mounted
// journaled ext4 images and on a device capped at 4 MiB/s.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "bench_devices.h"
#include "bench_files.h"
#include "bench_process.h"
#include "bench_report.h"
#include "engine/fill_block.h"
#include "engine/pass_positions.h"
#include "engine/wipe_file.h"
#include "freespace/free_space_leftover.h"
#include "freespace/free_space_wipe.h"
#include "platform/lease_signal.h"
#include "platform/sys_calls.h"
#include "report/report_keeper.h"
#include "run/shred_run.h"
#include "tree/tree_shred.h"
#include "tree/work_pool.h"

namespace {

using velmora::bench::Median;
using velmora::bench::Quote;
using velmora::bench::Seconds;
using velmora::bench::Shell;
using velmora::bench::Spawn;
using velmora::bench::WriteRandomFile;
using velmora::bench::WriteTree;

// Alternating runs per figure; VELMORA_BENCH_RUNS may ask for others.
int kRuns = 5;
constexpr std::uint64_t kGiB = 1ull << 30;
constexpr std::uint64_t kMiB = 1ull << 20;

std::string g_self;

// A pass-count position and a technique, as the options page offers them
// (the indexes of their lists).
struct Choice {
  int position = 0;   // "1"
  int technique = 0;  // "Ones and Zeros"
};
constexpr Choice kOnePass{};
constexpr Choice kThreePasses{2, 0};
constexpr Choice kTwoRandomPasses{1, 1};  // "2", "Random Chars"

int Passes(Choice choice) { return *velmora::PassCountAt(choice.position); }

// The figures, printed together at the end in the order they were taken.
std::vector<std::string> g_figures;

void Figure(const std::string& name, const char* format, double value, const std::string& note = {}) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  g_figures.push_back(name + ": " + text + (note.empty() ? "" : " (" + note + ")"));
}
void Skipped(const std::string& name, const std::string& why) { g_figures.push_back(name + ": skipped (" + why + ")"); }

std::string BenchDir() { return g_self.substr(0, g_self.rfind('/')); }

// The least a shred of `tree` can do at `choice`, as a process of its own,
// on as many threads as the engine uses.
std::vector<std::string> LimitCommand(const std::string& tree, Choice choice) {
  const auto period = velmora::FillPattern(*velmora::RepeatFactor(choice.position)).period();
  const std::string threads = std::to_string(velmora::WorkPool::WaitingThreads());
  return {BenchDir() + "/shred_limit", tree, std::to_string(period), std::to_string(Passes(choice)), threads, threads};
}
void RunLimit(const std::string& tree, Choice choice) {
  if (Spawn(LimitCommand(tree, choice)) != 0) {
    std::fprintf(stderr, "shred_limit failed on %s\n", tree.c_str());
    std::exit(1);
  }
}

// The run as the window makes it: the report first, every item, the
// journal checkpoint at the end.
class BenchHost : public velmora::ShredRunHost {
 public:
  std::string ShortDateNow() override { return "07/12/2026"; }
  std::string ShortTimeNow() override { return "09:41"; }
  void Repaint() override {}
};

velmora::ShredOptions OptionsFor(bool folder_mode, Choice choice) {
  velmora::ShredOptions options;
  options.FolderMode = folder_mode;
  velmora::ChoosePasses(options, choice.position, choice.technique);
  return options;
}

// `ended`, when given, gets the time the run ended, before the report's
// own shred.
velmora::ShredRunResult RunShredAs(const std::string& path, bool folder_mode, const std::string& report_folder,
                                   Choice choice, BenchHost& host,
                                   std::chrono::steady_clock::time_point* ended = nullptr) {
  velmora::bench::BenchReport report(report_folder);
  velmora::ShredRunResult result =
      velmora::RunShred(OptionsFor(folder_mode, choice), {{path, path}}, report, host);
  if (ended != nullptr) *ended = std::chrono::steady_clock::now();
  report.Delete();  // as the window's next run or its way out does
  return result;
}

void RunAsTheWindow(const std::string& path, bool folder_mode, const std::string& report_folder,
                    Choice choice = kOnePass) {
  BenchHost host;
  if (ItemsShredded(RunShredAs(path, folder_mode, report_folder, choice, host)) != std::vector<bool>{true}) {
    std::fprintf(stderr, "the run did not shred %s\n", path.c_str());
    std::exit(1);
  }
}

// ---------------------------------------------------------------- files

void DdPasses(const std::string& path, int passes) {
  for (int pass = 0; pass < passes; ++pass)
    Shell("dd if=/dev/zero of=" + Quote(path) + " bs=1M count=1024 conv=notrunc,fdatasync status=none");
  Shell("rm " + Quote(path));
}

// 1 GiB at "1": the engine alone, the whole run, `dd` and `shred`.
void FileFigures(const std::string& folder) {
  const std::string big = folder + "/big.bin";
  std::vector<double> engine, run, dd, shred;
  for (int i = 0; i < kRuns; ++i) {
    WriteRandomFile(big, kGiB);
    engine.push_back(Seconds([&] {
      if (velmora::WipeFile(big, *velmora::PatternForPosition(kOnePass.position)) != velmora::WipeOutcome::Shredded)
        std::exit(1);
    }));
    WriteRandomFile(big, kGiB);
    run.push_back(Seconds([&] { RunAsTheWindow(big, false, folder); }));
    WriteRandomFile(big, kGiB);
    dd.push_back(Seconds([&] { DdPasses(big, 1); }));
    WriteRandomFile(big, kGiB);
    shred.push_back(Seconds([&] { Shell("shred -n1 -u " + Quote(big)); }));
    std::printf("file run %d: engine %.2fs, whole run %.2fs, dd %.2fs, shred %.2fs\n", i + 1, engine.back(),
                run.back(), dd.back(), shred.back());
  }
  Figure("big_file_vs_dd", "%.3f", Median(engine) / Median(dd));
  Figure("big_file_vs_shred", "%.3f", Median(engine) / Median(shred));
  Figure("run_1g_vs_dd", "%.3f", Median(run) / Median(dd));
}

// 1 GiB through the whole run at "3" against three `dd` passes, and at "2"
// with "Random Chars" against two.
void PassesFileFigures(const std::string& folder) {
  const std::string big = folder + "/big.bin";
  std::vector<double> three, dd3, random, dd2;
  for (int i = 0; i < kRuns; ++i) {
    WriteRandomFile(big, kGiB);
    three.push_back(Seconds([&] { RunAsTheWindow(big, false, folder, kThreePasses); }));
    WriteRandomFile(big, kGiB);
    dd3.push_back(Seconds([&] { DdPasses(big, 3); }));
    WriteRandomFile(big, kGiB);
    random.push_back(Seconds([&] { RunAsTheWindow(big, false, folder, kTwoRandomPasses); }));
    WriteRandomFile(big, kGiB);
    dd2.push_back(Seconds([&] { DdPasses(big, 2); }));
    std::printf("passes run %d: \"3\" %.2fs, dd x3 %.2fs, \"2\" random %.2fs, dd x2 %.2fs\n", i + 1, three.back(),
                dd3.back(), random.back(), dd2.back());
  }
  Figure("passes3_file_vs_dd", "%.3f", Median(three) / Median(dd3));
  Figure("random_pass_vs_dd", "%.3f", Median(random) / Median(dd2));
}

// ---------------------------------------------------------------- trees

struct TreeTimes {
  std::vector<double> engine, limit, rm, shred_each, flat_engine, flat_rm;
};

enum TreeExtras { kLimitOnly = 0, kWithRm = 1, kEverything = 3 };

// Alternating runs of a folder-mode run at `choice` and `shred_limit` at the
// same, on trees `write` makes at `tree`; with kWithRm also `rm -rf`, with
// kEverything also `shred` on each file and the run and `rm -rf` on 10,000
// files in one folder.
TreeTimes TreeRuns(const std::string& folder, const std::function<void(const std::string&)>& write, Choice choice,
                   TreeExtras extras, const char* label) {
  const std::string tree = folder + "/tree";
  auto engine = [&] { RunAsTheWindow(tree, true, folder, choice); };
  auto rm = [&] { Shell("rm -rf " + Quote(tree)); };
  TreeTimes t;
  for (int i = 0; i < kRuns; ++i) {
    write(tree);
    t.engine.push_back(Seconds(engine));
    write(tree);
    t.limit.push_back(Seconds([&] { RunLimit(tree, choice); }));
    std::printf("%s run %d: folder mode %.2fs, limit %.2fs", label, i + 1, t.engine.back(), t.limit.back());
    if (extras & kWithRm) {
      write(tree);
      t.rm.push_back(Seconds(rm));
      std::printf(", rm -rf %.2fs", t.rm.back());
    }
    if (extras == kEverything) {
      write(tree);
      t.shred_each.push_back(Seconds([&] {
        Shell("find " + Quote(tree) + " -type f -exec shred -n1 -u {} + && rm -rf " + Quote(tree));
      }));
      WriteTree(tree, 0, 10000);
      t.flat_engine.push_back(Seconds(engine));
      WriteTree(tree, 0, 10000);
      t.flat_rm.push_back(Seconds(rm));
      std::printf(", shred each %.2fs, flat: folder mode %.2fs, rm -rf %.2fs", t.shred_each.back(),
                  t.flat_engine.back(), t.flat_rm.back());
    }
    std::printf("\n");
  }
  return t;
}

void TenThousand(const std::string& tree) { WriteTree(tree); }
void ThousandFiles(const std::string& tree) { WriteTree(tree, 10, 100); }
// Prints where one run's time went, through the seam (below).
double CountedRun(const std::string& folder, int files, const std::function<void(const std::string&)>& write);

void TreeFigures(const std::string& folder) {
  const TreeTimes t = TreeRuns(folder, TenThousand, kOnePass, kEverything, "tree");
  Figure("tree_threads", "%.0f", velmora::WorkPool::WaitingThreads());
  Figure("tree_vs_rm", "%.3f", Median(t.engine) / Median(t.rm));
  Figure("tree_vs_limit", "%.3f", Median(t.engine) / Median(t.limit));
  Figure("flat_tree_vs_rm", "%.3f", Median(t.flat_engine) / Median(t.flat_rm));
  Figure("tree_vs_shred_each", "%.3f", Median(t.engine) / Median(t.shred_each));
}

void LoopTreeFigures(const std::string& folder) {
  velmora::bench::LoopExt4 loop(folder);
  if (!loop.mounted()) return Skipped("tree_vs_limit_loop", "needs root and a loop device");
  CountedRun(loop.point(), 10000, TenThousand);
  const TreeTimes t = TreeRuns(loop.point(), TenThousand, kOnePass, kWithRm, "loop ext4 tree");
  Figure("tree_vs_limit_loop", "%.3f", Median(t.engine) / Median(t.limit));
  Figure("tree_vs_rm_loop", "%.3f", Median(t.engine) / Median(t.rm));
}

void PassesTreeFigures(const std::string& folder) {
  const TreeTimes t = TreeRuns(folder, TenThousand, kThreePasses, kLimitOnly, "tree at \"3\"");
  Figure("passes3_tree_vs_limit", "%.3f", Median(t.engine) / Median(t.limit));
}

// What a run costs whatever it shreds: the run and the limit on an empty
// folder, in milliseconds, medians.
std::pair<double, double> FixedCostMs(const std::string& folder) {
  const std::string tree = folder + "/tree";
  const TreeTimes t = TreeRuns(folder, [](const std::string& empty) { ::mkdir(empty.c_str(), 0755); }, kOnePass,
                               kLimitOnly, "empty folder");
  return {1000 * Median(t.engine), 1000 * Median(t.limit)};
}

void SmallTreeFigures(const std::string& folder) {
  CountedRun(folder, 1000, ThousandFiles);
  const auto [run_ms, limit_ms] = FixedCostMs(folder);
  const TreeTimes t = TreeRuns(folder, ThousandFiles, kOnePass, kLimitOnly, "1,000 files");
  char note[128];
  std::snprintf(note, sizeof note, "medians %.3f s and %.3f s; on an empty folder %.0f ms and %.0f ms",
                Median(t.engine), Median(t.limit), run_ms, limit_ms);
  Figure("small_tree_vs_limit", "%.3f", Median(t.engine) / Median(t.limit), note);
}

// 2 GiB (VELMORA_BENCH_MIXED_MIB asks for another size) of files of mixed
// sizes.
void MixedTreeFigures(const std::string& folder) {
  std::uint64_t total = 2 * kGiB;
  if (const char* mib = std::getenv("VELMORA_BENCH_MIXED_MIB"); mib != nullptr && std::atoll(mib) > 0)
    total = static_cast<std::uint64_t>(std::atoll(mib)) * kMiB;
  std::size_t files = 0;
  const TreeTimes t = TreeRuns(
      folder, [&](const std::string& tree) { files = velmora::bench::WriteMixedTree(tree, total); }, kOnePass,
      kLimitOnly, "mixed tree");
  Figure("mixed_tree_vs_limit", "%.3f", Median(t.engine) / Median(t.limit),
         std::to_string(total / kMiB) + " MiB in " + std::to_string(files) + " files");
}

// The folder shred alone (no report, no journal checkpoint) at 4, 8, 16 and
// 32 threads for every step and by default, alternating, on a tree and on a
// flat folder.
void ThreadSweep(const std::string& folder, const char* label) {
  const std::string tree = folder + "/tree";
  const std::vector<unsigned> counts = {4, 8, 16, 32, 0};
  const velmora::FillPattern pattern(*velmora::RepeatFactor(kOnePass.position));
  for (const int flat : {0, 1}) {
    std::map<unsigned, std::vector<double>> times;
    for (int i = 0; i < kRuns; ++i) {
      std::printf("%s %s run %d:", label, flat ? "flat" : "tree", i + 1);
      for (unsigned threads : counts) {
        flat ? WriteTree(tree, 0, 10000) : WriteTree(tree);
        velmora::TreeShredOptions options;
        options.threads = threads;
        times[threads].push_back(Seconds([&] {
          if (velmora::ShredTree(tree, pattern, velmora::NoRunControl(), options).outcome !=
              velmora::ItemOutcome::Shredded)
            std::exit(1);
        }));
        std::printf(" %u: %.2fs", threads, times[threads].back());
      }
      std::printf("\n");
    }
    std::printf("%s %s medians (0 is the default):", label, flat ? "flat" : "tree");
    for (unsigned threads : counts) std::printf(" %u: %.2fs", threads, Median(times[threads]));
    std::printf("\n");
  }
}

// ---------------------------------------------------------------- calls

// Every call through the system-call seam, counted, in all and by name,
// with the time spent in it (summed over the threads).
struct CallTally {
  long calls = 0;
  double ms = 0;
};
std::atomic<long> g_calls{0};
velmora::SysCalls g_real;
std::map<std::string, CallTally> g_by_name;
std::mutex g_by_name_mutex;

template <typename Call>
auto CountCall(const char* name, Call call) {
  const auto start = std::chrono::steady_clock::now();
  auto result = call();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  ++g_calls;
  std::lock_guard<std::mutex> lock(g_by_name_mutex);
  ++g_by_name[name].calls;
  g_by_name[name].ms += ms;
  return result;
}

velmora::SysCalls Counting() {
  g_real = velmora::Sys();
  velmora::SysCalls c = g_real;
#define VELMORA_COUNT(member) \
  c.member = [](auto... args) { return CountCall(#member, [&] { return g_real.member(args...); }); }
  VELMORA_COUNT(openat);
  VELMORA_COUNT(pwrite);
  VELMORA_COUNT(fdatasync);
  VELMORA_COUNT(fsync);
  VELMORA_COUNT(syncfs);
  VELMORA_COUNT(close);
  VELMORA_COUNT(unlinkat);
  VELMORA_COUNT(rename_noreplace);
  VELMORA_COUNT(checkpoint_journal);
  VELMORA_COUNT(statx);
  VELMORA_COUNT(lseek);
  VELMORA_COUNT(getdents64);
  VELMORA_COUNT(fchmod);
  VELMORA_COUNT(fstatfs);
  VELMORA_COUNT(flistxattr);
  VELMORA_COUNT(fgetxattr);
  VELMORA_COUNT(fsetxattr);
  VELMORA_COUNT(fremovexattr);
  VELMORA_COUNT(uname);
  VELMORA_COUNT(setlease);
  VELMORA_COUNT(nanosleep);
  VELMORA_COUNT(chmod);
  VELMORA_COUNT(geteuid);
  VELMORA_COUNT(mkdirat);
  VELMORA_COUNT(linkat);
  VELMORA_COUNT(sync_file_range);
#undef VELMORA_COUNT
  return c;
}

// One folder run on `files` files `write` made, through the counting seam:
// prints the calls per file and the time in each kind; the calls per file.
double CountedRun(const std::string& folder, int files, const std::function<void(const std::string&)>& write) {
  const std::string tree = folder + "/tree";
  write(tree);
  g_calls = 0;
  g_by_name.clear();
  double seconds = 0;
  {
    velmora::ScopedSysCalls counting(Counting());
    seconds = Seconds([&] { RunAsTheWindow(tree, true, folder); });
  }
  std::printf("%d files, %.3f s, calls per file by kind (and ms in them, over all threads):", files, seconds);
  for (const auto& [name, tally] : g_by_name)
    std::printf(" %s %.2f (%.1f)", name.c_str(), static_cast<double>(tally.calls) / files, tally.ms);
  std::printf("\n");
  return static_cast<double>(g_calls.load()) / files;
}

// System calls per file of one folder run of 10,000 files, through the seam.
void CallFigures(const std::string& folder) {
  Figure("syscalls_per_file_tree", "%.2f", CountedRun(folder, 10000, TenThousand));
}

// ---------------------------------------------------------------- stop

// What the device has acknowledged of the file in hand, from the calls
// through the seam: the ranges sync_file_range waited for, everything once
// fdatasync returns. One file, one thread.
std::uint64_t g_written = 0, g_acknowledged = 0;

velmora::SysCalls Ledger() {
  g_real = velmora::Sys();
  g_written = g_acknowledged = 0;
  velmora::SysCalls c = g_real;
  c.pwrite = [](int fd, const void* buf, size_t count, off_t offset) {
    ssize_t done = g_real.pwrite(fd, buf, count, offset);
    if (done > 0) g_written = std::max<std::uint64_t>(g_written, static_cast<std::uint64_t>(offset + done));
    return done;
  };
  c.sync_file_range = [](int fd, off_t offset, off_t nbytes, unsigned flags) {
    int result = g_real.sync_file_range(fd, offset, nbytes, flags);
    if (result == 0 && (flags & SYNC_FILE_RANGE_WAIT_AFTER))
      g_acknowledged = std::max<std::uint64_t>(g_acknowledged, static_cast<std::uint64_t>(offset + nbytes));
    return result;
  };
  c.fdatasync = [](int fd) {
    const std::uint64_t written = g_written;
    int result = g_real.fdatasync(fd);
    if (result == 0) g_acknowledged = std::max(g_acknowledged, written);
    return result;
  };
  return c;
}

using Clock = std::chrono::steady_clock;

// A file-mode run of one file at "1", stopped as a user would when `press`
// says so (asked at every progress report, with the bar's share and the
// time since the start): how long from the press to the end of the run,
// and how far the bar ever ran ahead of what the device acknowledged.
struct StoppedRun {
  double stop_ms = -1;  // -1: the run ended before the press
  double bar_lead_mib = 0;
  double cache_lead_mib = 0;  // how far the written pattern ran ahead of the device
};

StoppedRun StopPartWay(const std::string& path, const std::string& report_folder,
                       const std::function<bool(double share, double seconds)>& press) {
  class StoppingHost : public BenchHost {
   public:
    explicit StoppingHost(const std::function<bool(double, double)>& p) : press_(p) {}
    bool StopRequested() override { return stop_at != Clock::time_point{}; }
    void Progress(std::uint64_t done, std::uint64_t planned, const std::string&) override {
      lead = std::max(lead, done > g_acknowledged ? done - g_acknowledged : 0);
      cache_lead = std::max(cache_lead, g_written - std::min(g_written, g_acknowledged));
      const double share = planned > 0 ? static_cast<double>(done) / static_cast<double>(planned) : 0;
      const auto now = Clock::now();
      if (!StopRequested() && press_(share, std::chrono::duration<double>(now - start).count())) stop_at = now;
    }
    const std::function<bool(double, double)>& press_;
    Clock::time_point start = Clock::now(), stop_at{};
    std::uint64_t lead = 0, cache_lead = 0;
  } host(press);
  velmora::ScopedSysCalls ledger(Ledger());
  Clock::time_point end;
  const velmora::ShredRunResult result = RunShredAs(path, false, report_folder, kOnePass, host, &end);
  ::unlink(path.c_str());
  StoppedRun run;
  if (result.outcomes == std::vector<velmora::ItemOutcome>{velmora::ItemOutcome::StoppedPartWay})
    run.stop_ms = std::chrono::duration<double, std::milli>(end - host.stop_at).count();
  run.bar_lead_mib = static_cast<double>(host.lead) / kMiB;
  run.cache_lead_mib = static_cast<double>(host.cache_lead) / kMiB;
  return run;
}

// 3 GiB stopped as the bar passes 54 %: fewer runs, each writes 3 GiB first.
void StopFigures(const std::string& folder) {
  const std::string big = folder + "/big.bin";
  std::vector<double> stop_ms;
  double bar_lead = 0, cache_lead = 0;
  for (int i = 0; i < std::min(kRuns, 3); ++i) {
    WriteRandomFile(big, 3 * kGiB);
    const StoppedRun stopped = StopPartWay(big, folder, [](double share, double) { return share >= 0.54; });
    if (stopped.stop_ms < 0) std::exit(1);
    stop_ms.push_back(stopped.stop_ms);
    bar_lead = std::max(bar_lead, stopped.bar_lead_mib);
    cache_lead = std::max(cache_lead, stopped.cache_lead_mib);
    std::printf("stop run %d: %.0f ms from Stop to the end, bar ahead of the device by %.1f MiB at most, "
                "the cache by %.1f MiB\n",
                i + 1, stopped.stop_ms, stopped.bar_lead_mib, stopped.cache_lead_mib);
  }
  Figure("stop_latency_ms_3g", "%.0f", Median(stop_ms));
  char note[96];
  std::snprintf(note, sizeof note, "the written pattern ran ahead of the device by %.1f MiB at most", cache_lead);
  Figure("bar_lead_mib", "%.1f", bar_lead, note);
}

// In a child process under the write cap: a run on 96 MiB stopped 3 s after
// its start. The milliseconds from the press to the end, -1 when the run
// ended first, -2 when the child could not join the cap.
double SlowStopOnce(const std::string& path, const std::string& folder, const velmora::bench::WriteLimit& limit) {
  int result[2];
  if (::pipe(result) != 0) return -2;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(result[0]);
    double ms = -2;
    if (limit.Join()) ms = StopPartWay(path, folder, [](double, double seconds) { return seconds >= 3; }).stop_ms;
    const bool sent = ::write(result[1], &ms, sizeof ms) == static_cast<ssize_t>(sizeof ms);
    ::_exit(sent ? 0 : 1);
  }
  ::close(result[1]);
  double ms = -2;
  if (child < 0 || ::read(result[0], &ms, sizeof ms) != static_cast<ssize_t>(sizeof ms)) ms = -2;
  ::close(result[0]);
  if (child > 0) ::waitpid(child, nullptr, 0);
  return ms;
}

void SlowStopFigures(const std::string& folder) {
  velmora::bench::LoopExt4 loop(folder, 256, "slow");
  if (!loop.mounted()) return Skipped("stop_latency_ms_slow", "needs root and a loop device");
  struct stat device {};
  ::stat(loop.point().c_str(), &device);
  velmora::bench::WriteLimit limit(device.st_dev, 4 * kMiB);
  if (!limit.set()) return Skipped("stop_latency_ms_slow", "no write cap on the loop device: " + limit.how());
  const std::string file = loop.point() + "/slow.bin";
  std::vector<double> stop_ms;
  for (int i = 0; i < std::min(kRuns, 3); ++i) {
    WriteRandomFile(file, 96 * kMiB);
    const double ms = SlowStopOnce(file, loop.point(), limit);
    ::unlink(file.c_str());
    if (ms < 0) return Skipped("stop_latency_ms_slow", ms == -1 ? "the run ended before Stop" : "could not join the cap");
    stop_ms.push_back(ms);
    std::printf("slow stop run %d: %.0f ms from Stop to the end\n", i + 1, ms);
  }
  Figure("stop_latency_ms_slow", "%.0f", Median(stop_ms), "4 MiB/s through " + limit.how());
}

// ---------------------------------------------------------------- memory

// Peak resident memory, in MiB, of a whole run on `path` in a process of
// its own, as that process reads it of itself at its end.
double PeakRssMiB(const std::string& path, bool folder_mode) {
  const std::string command =
      Quote(g_self) + (folder_mode ? " --shred-folder " : " --wipe ") + Quote(path);
  FILE* child = ::popen(command.c_str(), "r");
  long kib = -1;
  if (child == nullptr || std::fscanf(child, "peak_kib %ld", &kib) != 1 || ::pclose(child) != 0 || kib < 0) {
    std::fprintf(stderr, "the engine failed on %s\n", path.c_str());
    std::exit(1);
  }
  return static_cast<double>(kib) / 1024.0;
}

void MemoryFigures(const std::string& folder) {
  const std::string big = folder + "/big.bin", tree = folder + "/tree";
  WriteRandomFile(big, kGiB);
  Figure("peak_rss_mib_1g", "%.1f", PeakRssMiB(big, false));
  WriteRandomFile(big, 4 * kGiB);
  Figure("peak_rss_mib_4g", "%.1f", PeakRssMiB(big, false));
  WriteTree(tree, 1000, 100);
  Figure("peak_rss_mib_tree_100k", "%.1f", PeakRssMiB(tree, true));
}

// ---------------------------------------------------------------- free space

// Ballast on the image at `mnt`, so that 1 GiB (and a little room for dd's
// own metadata) is free.
void LeaveOneGiBFree(const std::string& mnt) {
  struct statvfs fs {};
  ::statvfs(mnt.c_str(), &fs);
  const std::uint64_t avail = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
  const std::uint64_t room = kGiB + 8 * kMiB;
  if (avail > room) Shell("fallocate -l " + std::to_string(avail - room) + " " + Quote(mnt + "/ballast"));
  Shell("sync");
}

// Wiping 1 GiB of free space on a loop-mounted ext4 image against `dd`
// writing 1 GiB with conv=fdatasync on the same image: the wipe's time
// includes the removal of its fill and the sync after it. A fresh image's
// first write is slow, so a first pair is run and dropped, and the pairs
// alternate which goes first. Needs root for the mount.
void FreeSpaceFigures(const std::string& folder) {
  if (::geteuid() != 0) return Skipped("free_space_vs_dd", "loop-mounting the image needs root");
  const std::string image = folder + "/free.img", mnt = folder + "/free.mnt";
  Shell("truncate -s 1200M " + Quote(image) + " && mkfs.ext4 -q -F -m 0 -E nodiscard,lazy_itable_init=0,lazy_journal_init=0 " +
        Quote(image) + " && mkdir -p " + Quote(mnt) + " && mount -o loop,nodiscard " + Quote(image) + " " + Quote(mnt));
  LeaveOneGiBFree(mnt);
  std::vector<double> wipe, dd;
  std::uint64_t overwritten = 0;
  auto wipe_once = [&] {
    return Seconds([&] {
      velmora::FreeSpaceTarget target = velmora::PrepareFreeSpaceWipe(mnt);
      velmora::FreeSpaceResult r = velmora::WipeFreeSpace(target, velmora::NoRunControl());
      if (target.refusal != velmora::FreeSpaceRefusal::None || r.end != velmora::FreeSpaceEnd::Wiped) std::exit(1);
      overwritten = r.overwritten;
    });
  };
  auto dd_once = [&] {
    const double s = Seconds([&] {
      Shell("dd if=/dev/zero of=" + Quote(mnt + "/dd") + " bs=1M count=1024 conv=fdatasync status=none");
    });
    Shell("rm " + Quote(mnt + "/dd") + " && sync");
    return s;
  };
  for (int i = -1; i < kRuns; ++i) {  // run -1: the warm-up, dropped
    const bool wipe_first = i % 2 == 0;
    const double first = wipe_first ? wipe_once() : dd_once(), second = wipe_first ? dd_once() : wipe_once();
    const double w = wipe_first ? first : second, d = wipe_first ? second : first;
    std::printf("free-space run %d%s: wipe of %.0f MiB %.2fs, dd 1 GiB %.2fs (%s first)\n", i + 1,
                i < 0 ? " (warm-up, dropped)" : "", static_cast<double>(overwritten) / kMiB, w, d,
                wipe_first ? "wipe" : "dd");
    if (i < 0) continue;
    wipe.push_back(w);
    dd.push_back(d);
  }
  Shell("umount " + Quote(mnt) + " && rmdir " + Quote(mnt) + " && rm " + Quote(image));
  Figure("free_space_vs_dd", "%.3f", Median(wipe) / Median(dd));
}

// ---------------------------------------------------------------- the command line

std::string VelmoraProgram() { return BenchDir() + "/../app/velmora"; }

// The 10,000-file tree through `velmora --shred --folders --passes 1` as a
// process against `shred_limit` as a process; and the time to shred one
// empty file, from the process's start to its exit (a first run dropped).
void CliFigures(const std::string& folder) {
  const std::string tree = folder + "/tree", empty = folder + "/empty";
  auto shred_empty = [&] {
    WriteRandomFile(empty, 0, false);
    return Spawn({VelmoraProgram(), "--shred", "--passes", "1", empty}, true);
  };
  if (const int status = shred_empty(); status != 0) {
    ::unlink(empty.c_str());
    const std::string why = "velmora --shred on an empty file ended with " + std::to_string(status);
    Skipped("cli_tree_vs_limit", why);
    return Skipped("cli_start_ms", why);
  }
  std::vector<double> start, cpu(11);
  for (int i = 0; i < 11; ++i) {
    WriteRandomFile(empty, 0, false);
    start.push_back(1000 * Seconds([&] {
      if (Spawn({VelmoraProgram(), "--shred", "--passes", "1", empty}, false, &cpu[i]) != 0) std::exit(1);
    }));
  }
  std::vector<double> cli, limit;
  for (int i = 0; i < kRuns; ++i) {
    WriteTree(tree);
    cli.push_back(Seconds([&] {
      if (Spawn({VelmoraProgram(), "--shred", "--folders", "--passes", "1", tree}) != 0) std::exit(1);
    }));
    WriteTree(tree);
    limit.push_back(Seconds([&] { RunLimit(tree, kOnePass); }));
    std::printf("cli run %d: velmora --shred %.2fs, limit %.2fs\n", i + 1, cli.back(), limit.back());
  }
  Figure("cli_tree_vs_limit", "%.3f", Median(cli) / Median(limit));
  char note[96];
  std::snprintf(note, sizeof note, "median of 11 after one dropped; %.1f ms of processor time", Median(cpu));
  Figure("cli_start_ms", "%.1f", Median(start), note);
}

// ---------------------------------------------------------------- keeper

// The start's look for what killed sessions left (the report keeper's
// first Delete, and the free-space fill's leftovers), in milliseconds,
// median of the runs.
double KeeperStartMs(const std::string& folder, const std::string& record, const std::string& fill_record) {
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) {
    velmora::bench::BenchRecord store(record), fill_store(fill_record);
    velmora::ReportKeeper keeper({folder, folder + "/state"}, store);
    velmora::FillKeeper fills(fill_store);
    times.push_back(1000 * Seconds([&] {
                      keeper.Delete();
                      fills.RemoveLeftovers();
                    }));
  }
  return Median(times);
}

// What a record of 100,000 stale lines in each of both records (the
// report's, the free-space fill's) adds to the start.
void KeeperFigures(const std::string& folder) {
  std::string garbage, fill_garbage;
  for (int i = 0; i < 100000; ++i) {
    garbage += "note 2049 " + std::to_string(1000000 + i) + " 1700000000 0 " + folder + "/note.txt\n";
    fill_garbage += "fill 2049 " + std::to_string(1000000 + i) + " 2049 2 1700000000 0 0 0 0 " + folder +
                    "/gone/.velmora-free-space-abcdefghijkl\n";
  }
  Figure("keeper_start_ms_garbage_record", "%.2f",
         KeeperStartMs(folder, garbage, fill_garbage) - KeeperStartMs(folder, "", ""));
}

// ---------------------------------------------------------------- main

const std::vector<std::pair<const char*, void (*)(const std::string&)>> kGroups = {
    {"keeper", KeeperFigures}, {"file", FileFigures},   {"passes", PassesFileFigures},
    {"tree", TreeFigures},     {"loop", LoopTreeFigures}, {"small", SmallTreeFigures},
    {"mixed", MixedTreeFigures}, {"passes", PassesTreeFigures}, {"calls", CallFigures},
    {"stop", StopFigures},     {"slow", SlowStopFigures}, {"memory", MemoryFigures},
    {"cli", CliFigures},       {"free", FreeSpaceFigures},
};

void ThreadFigures(const std::string& folder, bool loop_only) {
  if (!loop_only) ThreadSweep(folder, "root fs");
  velmora::bench::LoopExt4 loop(folder);
  if (loop.mounted()) ThreadSweep(loop.point(), "loop ext4");
}

// One run as the window makes it, in this fresh process; then this
// process's own peak memory.
int RunAndTellPeak(const std::string& path, bool folder_mode) {
  RunAsTheWindow(path, folder_mode, path.substr(0, path.rfind('/')));
  std::printf("peak_kib %ld\n", velmora::bench::PeakRssKiB());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  velmora::IgnoreLeaseBreakSignal();  // before any thread: see platform/lease_signal.h
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  if (const char* runs = std::getenv("VELMORA_BENCH_RUNS"); runs != nullptr && std::atoi(runs) > 0)
    kRuns = std::atoi(runs);
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return 1;
  g_self.assign(self, static_cast<std::size_t>(n));

  if (argc == 3 && (std::strcmp(argv[1], "--wipe") == 0 || std::strcmp(argv[1], "--shred-folder") == 0))
    return RunAndTellPeak(argv[2], std::strcmp(argv[1], "--shred-folder") == 0);

  const std::string folder = velmora::bench::BenchFolder(argc > 1 ? argv[1] : nullptr, "velmora-bench");
  if (folder.empty()) return 1;
  std::printf("bench folder: %s (%d alternating runs each)\n", folder.c_str(), kRuns);
  const std::set<std::string> asked(argv + std::min(argc, 2), argv + argc);
  if (asked.count("threads") || asked.count("loop-threads")) {
    ThreadFigures(folder, asked.count("threads") == 0);
  } else {
    for (const auto& [group, figures] : kGroups)
      if (asked.empty() || asked.count(group)) figures(folder);
  }
  ::unlink((folder + "/big.bin").c_str());
  ::unlink((folder + "/empty").c_str());
  ::rmdir(folder.c_str());
  for (const std::string& line : g_figures) std::printf("%s\n", line.c_str());
  return 0;
}
