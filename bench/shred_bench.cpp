// SPDX-License-Identifier: GPL-3.0-or-later
// Measures the shredder against the everyday tools, side by side on one file
// system: ratios of medians over alternating runs, and peak memory.
//
//   shred_bench [FOLDER [tree|threads|free]]  FOLDER defaults to a new
//                                folder in the current one; "tree" measures the folder
//                                figures only, "free" the free-space wipe only,
//                                "threads" the folder shred at
//                                4, 8, 16 and 32 threads and by default
//   shred_bench --wipe PATH   (internal) shred one file in a fresh process
//
// The folder figures are also taken on a loop-mounted journaled ext4 image
// when run as root, so they do not hang on one machine's mount alone.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <atomic>
#include <map>
#include <mutex>

#include "bench_files.h"
#include "bench_report.h"
#include "engine/fill_block.h"
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
using velmora::bench::WriteRandomFile;

// Alternating runs per figure; VELMORA_BENCH_RUNS may ask for others.
int kRuns = 5;
constexpr int kDefaultPosition = 2;
constexpr std::uint64_t kGiB = 1ull << 30;

std::string g_self;


// `folders` folders of `per_folder` files of 4 KiB each; with no folders,
// `per_folder` files in the root itself.
void WriteTree(const std::string& root, int folders = 100, int per_folder = 100) {
  ::mkdir(root.c_str(), 0755);
  std::vector<char> block(4096);
  for (int d = 0; d < std::max(folders, 1); ++d) {
    std::string dir = folders == 0 ? root : root + "/d" + std::to_string(d);
    ::mkdir(dir.c_str(), 0755);
    for (int f = 0; f < per_folder; ++f) {
      for (auto& c : block) c = static_cast<char>(std::rand());
      int fd = ::open((dir + "/f" + std::to_string(f)).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || ::write(fd, block.data(), block.size()) != 4096) std::exit(1);
      ::close(fd);
    }
  }
  ::sync();
}

double Seconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }

// The limit program, built beside this one.
std::string LimitProgram() { return g_self.substr(0, g_self.rfind('/')) + "/shred_limit"; }

// What the engine writes over each 4 KiB file of the trees: the fill block at
// the default position, to the end of its last file-system block.
std::size_t BytesPerTreeFile(const std::string& folder) {
  struct stat st {};
  ::stat(folder.c_str(), &st);
  const off_t period = static_cast<off_t>(velmora::FillPattern(100 * kDefaultPosition).period());
  return static_cast<std::size_t>(velmora::RoundUpToBlock(std::max<off_t>(4096, period), st.st_blksize > 0 ? st.st_blksize : 4096));
}

// The least a shred of `tree` can do, on as many threads as the engine uses.
void RunLimit(const std::string& tree, std::size_t bytes) {
  Shell(Quote(LimitProgram()) + " " + Quote(tree) + " " + std::to_string(bytes) + " " +
        std::to_string(velmora::WorkPool::WaitingThreads()) + " " +
        std::to_string(velmora::WorkPool::WaitingThreads()));
}

// The run as the window makes it: the report first, every item, the
// journal checkpoint at the end.
class BenchHost : public velmora::ShredRunHost {
 public:
  std::string ShortDateNow() override { return "07/12/2026"; }
  std::string ShortTimeNow() override { return "09:41"; }
  void Repaint() override {}
};

bool RunAsTheWindow(const std::string& path, bool folder_mode, const std::string& report_folder) {
  BenchHost host;
  velmora::bench::BenchReport report(report_folder);
  velmora::ShredOptions options;
  options.FolderMode = folder_mode;
  velmora::ShredRunResult result = velmora::RunShred(options, {{path, path}}, kDefaultPosition, report, host);
  report.Delete();  // as the window's next run or its way out does
  return result.item_shredded == std::vector<bool>{true};
}

// Every call through the system-call seam, counted, in all and by name.
std::atomic<long> g_calls{0};
velmora::SysCalls g_real;
std::map<std::string, long> g_by_name;
std::mutex g_by_name_mutex;

void CountCall(const char* name) {
  ++g_calls;
  std::lock_guard<std::mutex> lock(g_by_name_mutex);
  ++g_by_name[name];
}

velmora::SysCalls Counting() {
  g_real = velmora::Sys();
  velmora::SysCalls c = g_real;
#define VELMORA_COUNT(member) \
  c.member = [](auto... args) { CountCall(#member); return g_real.member(args...); }
  VELMORA_COUNT(openat);
  VELMORA_COUNT(pwrite);
  VELMORA_COUNT(fdatasync);
  VELMORA_COUNT(fsync);
  VELMORA_COUNT(syncfs);
  VELMORA_COUNT(close);
  VELMORA_COUNT(unlinkat);
  VELMORA_COUNT(renameat);
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

// A file-mode run of one file stopped as the bar passes 54 %, as a user
// would: how long from the press to the end of the run, and how far the
// bar ever ran ahead of what the device acknowledged.
struct StoppedRun {
  double stop_ms = 0;
  double bar_lead_mib = 0;
  double cache_lead_mib = 0;  // how far the written pattern ran ahead of the device
};

StoppedRun StopPartWay(const std::string& path, const std::string& report_folder) {
  class StoppingHost : public BenchHost {
   public:
    bool StopRequested() override { return stop_at != std::chrono::steady_clock::time_point{}; }
    void Progress(std::uint64_t done, std::uint64_t planned, const std::string&) override {
      lead = std::max(lead, done > g_acknowledged ? done - g_acknowledged : 0);
      cache_lead = std::max(cache_lead, g_written - std::min(g_written, g_acknowledged));
      if (planned > 0 && done * 100 >= planned * 54 && !StopRequested()) stop_at = std::chrono::steady_clock::now();
    }
    std::chrono::steady_clock::time_point stop_at{};
    std::uint64_t lead = 0, cache_lead = 0;
  } host;
  velmora::bench::BenchReport report(report_folder);
  velmora::ScopedSysCalls ledger(Ledger());
  velmora::ShredRunResult result = velmora::RunShred({}, {{path, path}}, kDefaultPosition, report, host);
  const auto end = std::chrono::steady_clock::now();
  report.Delete();
  if (result.outcomes != std::vector<velmora::ItemOutcome>{velmora::ItemOutcome::StoppedPartWay}) {
    std::fprintf(stderr, "the stopped run did not leave %s partly overwritten\n", path.c_str());
    std::exit(1);
  }
  ::unlink(path.c_str());
  StoppedRun run;
  run.stop_ms = std::chrono::duration<double, std::milli>(end - host.stop_at).count();
  run.bar_lead_mib = static_cast<double>(host.lead) / (1 << 20);
  run.cache_lead_mib = static_cast<double>(host.cache_lead) / (1 << 20);
  return run;
}

// Peak resident memory, in MiB, of a whole run on `path` in a process of
// its own.
double PeakRssMiB(const std::string& path, bool folder_mode) {
  pid_t child = ::fork();
  if (child == 0) {
    ::execl(g_self.c_str(), g_self.c_str(), folder_mode ? "--shred-folder" : "--wipe", path.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(child, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "the engine failed on %s\n", path.c_str());
    std::exit(1);
  }
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A journaled ext4 image (the default mount: ordered data, no discard),
// loop-mounted in `folder` while this lives; only for root.
class LoopExt4 {
 public:
  explicit LoopExt4(const std::string& folder) : image_(folder + "/ext4.img"), point_(folder + "/ext4") {
    if (::geteuid() != 0 || ::mkdir(point_.c_str(), 0755) != 0) return;
    mounted_ = std::system(("truncate -s 1G " + Quote(image_) + " && mkfs.ext4 -q -F " + Quote(image_) +
                            " && mount -o loop " + Quote(image_) + " " + Quote(point_))
                               .c_str()) == 0;
  }
  ~LoopExt4() {
    if (mounted_) BestEffortShell("umount " + Quote(point_));
    ::unlink(image_.c_str());
    ::rmdir(point_.c_str());
  }
  LoopExt4(const LoopExt4&) = delete;
  LoopExt4& operator=(const LoopExt4&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& point() const { return point_; }

 private:
  static void BestEffortShell(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
  }
  std::string image_, point_;
  bool mounted_ = false;
};

struct TreeTimes {
  std::vector<double> engine, rm, limit, shred_each, flat_engine, flat_rm;
};

// Alternating runs of the folder figures, on trees made in `folder`: the
// whole folder-mode run, `rm -rf` and the limit on 100 folders of 100 files
// of 4 KiB; with `everything`, also `shred` on each file and the same run
// and `rm -rf` on 10,000 files in one folder.
TreeTimes TreeRuns(const std::string& folder, bool everything, const char* label) {
  const std::string tree = folder + "/tree";
  const std::size_t bytes = BytesPerTreeFile(folder);
  TreeTimes t;
  auto engine = [&] {
    if (!RunAsTheWindow(tree, true, folder)) std::exit(1);
  };
  auto rm = [&] { Shell("rm -rf " + Quote(tree)); };
  for (int i = 0; i < kRuns; ++i) {
    WriteTree(tree);
    t.engine.push_back(Seconds(engine));
    WriteTree(tree);
    t.rm.push_back(Seconds(rm));
    WriteTree(tree);
    t.limit.push_back(Seconds([&] { RunLimit(tree, bytes); }));
    std::printf("%s run %d: folder mode %.2fs, rm -rf %.2fs, limit %.2fs", label, i + 1, t.engine.back(),
                t.rm.back(), t.limit.back());
    if (everything) {
      WriteTree(tree);
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

// The folder shred alone (no report, no journal checkpoint) at 4, 8, 16 and
// 32 threads for every step and by default, alternating, on a tree and on a
// flat folder.
void ThreadSweep(const std::string& folder, const char* label) {
  const std::string tree = folder + "/tree";
  const std::vector<unsigned> counts = {4, 8, 16, 32, 0};
  for (const int flat : {0, 1}) {
    std::map<unsigned, std::vector<double>> times;
    for (int i = 0; i < kRuns; ++i) {
      std::printf("%s %s run %d:", label, flat ? "flat" : "tree", i + 1);
      for (unsigned threads : counts) {
        flat ? WriteTree(tree, 0, 10000) : WriteTree(tree);
        velmora::TreeShredOptions options;
        options.threads = threads;
        times[threads].push_back(Seconds([&] {
          if (velmora::ShredTree(tree, velmora::FillPattern(100 * kDefaultPosition), velmora::NoRunControl(), options)
                  .outcome != velmora::ItemOutcome::Shredded)
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

// Wiping 1 GiB of free space on a loop-mounted ext4 image against `dd`
// writing 1 GiB with conv=fdatasync on the same image: the wipe's time
// includes the removal of its fill and the sync after it. Needs root for
// the mount; prints why it was skipped otherwise.
void FreeSpaceVsDd(const std::string& folder) {
  if (::geteuid() != 0) {
    std::printf("free_space_vs_dd: skipped (loop-mounting the image needs root)\n");
    return;
  }
  const std::string image = folder + "/free.img", mnt = folder + "/free.mnt";
  Shell("truncate -s 1200M " + Quote(image) + " && mkfs.ext4 -q -F -m 0 -E nodiscard,lazy_itable_init=0,lazy_journal_init=0 " + Quote(image) +
        " && mkdir -p " + Quote(mnt) + " && mount -o loop,nodiscard " + Quote(image) + " " + Quote(mnt));
  // Ballast, so that 1 GiB (and a little room for dd's own metadata) is free.
  struct statvfs fs {};
  ::statvfs(mnt.c_str(), &fs);
  const std::uint64_t avail = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
  const std::uint64_t room = kGiB + (8 << 20);
  if (avail > room) Shell("fallocate -l " + std::to_string(avail - room) + " " + Quote(mnt + "/ballast"));
  Shell("sync");
  std::vector<double> wipe, dd;
  std::uint64_t overwritten = 0;
  for (int i = 0; i < kRuns; ++i) {
    wipe.push_back(Seconds([&] {
      velmora::FreeSpaceTarget target = velmora::PrepareFreeSpaceWipe(mnt);
      velmora::FreeSpaceResult r = velmora::WipeFreeSpace(target, velmora::NoRunControl());
      if (target.refusal != velmora::FreeSpaceRefusal::None || r.end != velmora::FreeSpaceEnd::Wiped) std::exit(1);
      overwritten = r.overwritten;
    }));
    dd.push_back(Seconds([&] {
      Shell("dd if=/dev/zero of=" + Quote(mnt + "/dd") + " bs=1M count=1024 conv=fdatasync status=none");
    }));
    Shell("rm " + Quote(mnt + "/dd") + " && sync");
    std::printf("free-space run %d: wipe of %.0f MiB %.2fs, dd 1 GiB %.2fs\n", i + 1, static_cast<double>(overwritten) / 1048576.0,
                wipe.back(), dd.back());
  }
  Shell("umount " + Quote(mnt) + " && rmdir " + Quote(mnt) + " && rm " + Quote(image));
  std::printf("free_space_vs_dd: %.3f\n", Median(wipe) / Median(dd));
}

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

// What a record of 100,000 stale lines in each of both records adds to the
// start.
double KeeperGarbageRecordMs(const std::string& folder) {
  std::string garbage, fill_garbage;
  for (int i = 0; i < 100000; ++i) {
    garbage += "note 2049 " + std::to_string(1000000 + i) + " 1700000000 0 " + folder + "/note.txt\n";
    fill_garbage += "fill 2049 " + std::to_string(1000000 + i) + " 2049 2 1700000000 0 0 0 0 " + folder +
                    "/gone/.velmora-free-space-abcdefghijkl\n";
  }
  return KeeperStartMs(folder, garbage, fill_garbage) - KeeperStartMs(folder, "", "");
}

}  // namespace

int main(int argc, char** argv) {
  velmora::IgnoreLeaseBreakSignal();  // before any thread: see platform/lease_signal.h
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  if (const char* runs = std::getenv("VELMORA_BENCH_RUNS"); runs != nullptr && std::atoi(runs) > 0)
    kRuns = std::atoi(runs);
  g_self = "/proc/self/exe";
  char self[4096];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) g_self.assign(self, static_cast<std::size_t>(n));

  if (argc == 3 && (std::strcmp(argv[1], "--wipe") == 0 || std::strcmp(argv[1], "--shred-folder") == 0)) {
    std::string path = argv[2];
    return RunAsTheWindow(path, std::strcmp(argv[1], "--shred-folder") == 0, path.substr(0, path.rfind('/'))) ? 0 : 1;
  }

  const std::string folder = velmora::bench::BenchFolder(argc > 1 ? argv[1] : nullptr, "velmora-bench");
  if (folder.empty()) return 1;
  const std::string big = folder + "/big.bin";
  const std::string tree = folder + "/tree";
  std::printf("bench folder: %s (%d alternating runs each)\n", folder.c_str(), kRuns);

  if (argc > 2 && std::strcmp(argv[2], "threads") == 0) {
    ThreadSweep(folder, "root fs");
    LoopExt4 loop(folder);
    if (loop.mounted()) ThreadSweep(loop.point(), "loop ext4");
    ::rmdir(folder.c_str());
    return 0;
  }
  if (argc > 2 && std::strcmp(argv[2], "free") == 0) {
    FreeSpaceVsDd(folder);
    return 0;
  }
  const bool tree_only = argc > 2 && std::strcmp(argv[2], "tree") == 0;
  const double keeper_garbage_ms = KeeperGarbageRecordMs(folder);
  std::vector<double> engine, run, dd, shred;
  for (int i = 0; i < (tree_only ? 0 : kRuns); ++i) {
    WriteRandomFile(big, kGiB);
    engine.push_back(Seconds([&] {
      if (velmora::WipeFile(big, *velmora::PatternForPosition(kDefaultPosition)) != velmora::WipeOutcome::Shredded)
        std::exit(1);
    }));
    WriteRandomFile(big, kGiB);
    run.push_back(Seconds([&] {
      if (!RunAsTheWindow(big, false, folder)) std::exit(1);
    }));
    WriteRandomFile(big, kGiB);
    dd.push_back(Seconds([&] {
      Shell("dd if=/dev/zero of=" + Quote(big) + " bs=1M count=1024 conv=notrunc,fdatasync status=none && rm " +
            Quote(big));
    }));
    WriteRandomFile(big, kGiB);
    shred.push_back(Seconds([&] { Shell("shred -n1 -u " + Quote(big)); }));
    std::printf("run %d: engine %.2fs, whole run %.2fs, dd %.2fs, shred %.2fs\n", i + 1, engine.back(), run.back(),
                dd.back(), shred.back());
  }

  const TreeTimes times = TreeRuns(folder, true, "tree");
  double loop_vs_limit = 0, loop_vs_rm = 0;
  {
    LoopExt4 loop(folder);
    if (loop.mounted()) {
      const TreeTimes on_loop = TreeRuns(loop.point(), false, "loop ext4 tree");
      loop_vs_limit = Median(on_loop.engine) / Median(on_loop.limit);
      loop_vs_rm = Median(on_loop.engine) / Median(on_loop.rm);
    }
  }
  auto tree_figures = [&] {
    std::printf("tree_threads: %u\n", velmora::WorkPool::WaitingThreads());
    std::printf("tree_vs_rm: %.3f\n", Median(times.engine) / Median(times.rm));
    std::printf("tree_vs_limit: %.3f\n", Median(times.engine) / Median(times.limit));
    std::printf("flat_tree_vs_rm: %.3f\n", Median(times.flat_engine) / Median(times.flat_rm));
    if (loop_vs_limit > 0) {
      std::printf("tree_vs_limit_loop: %.3f\n", loop_vs_limit);
      std::printf("tree_vs_rm_loop: %.3f\n", loop_vs_rm);
    } else {
      std::printf("tree_vs_limit_loop: skipped (needs root and a loop device)\n");
    }
    std::printf("tree_vs_shred_each: %.3f\n", Median(times.engine) / Median(times.shred_each));
  };

  // System calls per file of one folder run, through the seam.
  WriteTree(tree);
  g_calls = 0;
  {
    velmora::ScopedSysCalls counting(Counting());
    if (!RunAsTheWindow(tree, true, folder)) return 1;
  }
  const double calls_per_file = static_cast<double>(g_calls.load()) / (100 * 100);
  std::printf("calls per file by kind:");
  for (const auto& [name, count] : g_by_name) std::printf(" %s %.2f", name.c_str(), static_cast<double>(count) / 10000.0);
  std::printf("\n");

  if (tree_only) {
    tree_figures();
    std::printf("syscalls_per_file_tree: %.2f\n", calls_per_file);
    std::printf("keeper_start_ms_garbage_record: %.2f\n", keeper_garbage_ms);
    return 0;
  }
  // Stop part way through 3 GiB: fewer runs, each writes 3 GiB first.
  std::vector<double> stop_ms;
  double bar_lead = 0, cache_lead = 0;
  for (int i = 0; i < std::min(kRuns, 3); ++i) {
    WriteRandomFile(big, 3 * kGiB);
    StoppedRun stopped = StopPartWay(big, folder);
    stop_ms.push_back(stopped.stop_ms);
    bar_lead = std::max(bar_lead, stopped.bar_lead_mib);
    cache_lead = std::max(cache_lead, stopped.cache_lead_mib);
    std::printf("stop run %d: %.0f ms from Stop to the end, bar ahead of the device by %.1f MiB at most, "
                "the cache by %.1f MiB\n",
                i + 1, stopped.stop_ms, stopped.bar_lead_mib, stopped.cache_lead_mib);
  }

  WriteRandomFile(big, kGiB);
  double rss_1g = PeakRssMiB(big, false);
  WriteRandomFile(big, 4 * kGiB);
  double rss_4g = PeakRssMiB(big, false);
  ::unlink(big.c_str());
  WriteTree(tree, 1000, 100);
  double rss_tree = PeakRssMiB(tree, true);
  FreeSpaceVsDd(folder);
  ::rmdir(folder.c_str());

  std::printf("big_file_vs_dd: %.3f\n", Median(engine) / Median(dd));
  std::printf("big_file_vs_shred: %.3f\n", Median(engine) / Median(shred));
  std::printf("run_1g_vs_dd: %.3f\n", Median(run) / Median(dd));
  tree_figures();
  std::printf("syscalls_per_file_tree: %.2f\n", calls_per_file);
  std::printf("stop_latency_ms_3g: %.0f\n", Median(stop_ms));
  std::printf("bar_lead_mib: %.1f (the written pattern ran ahead of the device by %.1f MiB at most)\n", bar_lead,
              cache_lead);
  std::printf("peak_rss_mib_1g: %.1f\n", rss_1g);
  std::printf("peak_rss_mib_4g: %.1f\n", rss_4g);
  std::printf("peak_rss_mib_tree_100k: %.1f\n", rss_tree);
  std::printf("keeper_start_ms_garbage_record: %.2f\n", keeper_garbage_ms);
  return 0;
}
