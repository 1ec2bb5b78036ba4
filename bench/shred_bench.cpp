// Measures the shredder against the everyday tools, side by side on one file
// system: ratios of medians over alternating runs, and peak memory.
//
//   shred_bench [FOLDER]      FOLDER defaults to a new folder in the current one
//   shred_bench --wipe PATH   (internal) shred one file in a fresh process
#include <fcntl.h>
#include <sys/resource.h>
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

#include "shred/fill_block.h"
#include "shred/tree_shred.h"
#include "shred/wipe_file.h"

namespace {

constexpr int kRuns = 5;
constexpr int kDefaultPosition = 2;
constexpr std::uint64_t kGiB = 1ull << 30;

std::string g_self;

// Fresh random content, fast: xorshift over a 1 MiB buffer.
void WriteRandomFile(const std::string& path, std::uint64_t size) {
  static std::uint64_t state = 0x9E3779B97F4A7C15ull;
  std::vector<std::uint64_t> buffer((1 << 20) / 8);
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) {
    std::perror(path.c_str());
    std::exit(1);
  }
  for (std::uint64_t done = 0; done < size;) {
    for (auto& word : buffer) {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      word = state;
    }
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size - done, buffer.size() * 8));
    if (::write(fd, buffer.data(), want) != static_cast<ssize_t>(want)) {
      std::perror("write");
      std::exit(1);
    }
    done += want;
  }
  ::fsync(fd);
  ::close(fd);
}

void WriteTree(const std::string& root) {
  ::mkdir(root.c_str(), 0755);
  std::vector<char> block(4096);
  for (int d = 0; d < 100; ++d) {
    std::string dir = root + "/d" + std::to_string(d);
    ::mkdir(dir.c_str(), 0755);
    for (int f = 0; f < 100; ++f) {
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

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Peak resident memory, in MiB, of shredding `path` in a process of its own.
double PeakRssMiB(const std::string& path) {
  pid_t child = ::fork();
  if (child == 0) {
    ::execl(g_self.c_str(), g_self.c_str(), "--wipe", path.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(child, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "the engine failed on %s\n", path.c_str());
    std::exit(1);
  }
  return usage.ru_maxrss / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  g_self = "/proc/self/exe";
  char self[4096];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) g_self.assign(self, static_cast<std::size_t>(n));

  if (argc == 3 && std::strcmp(argv[1], "--wipe") == 0)
    return velmora::WipeFile(argv[2], kDefaultPosition) == velmora::WipeOutcome::Shredded ? 0 : 1;

  std::string folder;
  if (argc > 1) {
    folder = argv[1];
    ::mkdir(folder.c_str(), 0755);
  } else {
    char templ[] = "velmora-bench-XXXXXX";
    if (::mkdtemp(templ) == nullptr) return 1;
    folder = templ;
  }
  const std::string big = folder + "/big.bin";
  const std::string tree = folder + "/tree";
  std::printf("bench folder: %s (%d alternating runs each)\n", folder.c_str(), kRuns);

  std::vector<double> engine, dd, shred;
  for (int run = 0; run < kRuns; ++run) {
    WriteRandomFile(big, kGiB);
    engine.push_back(Seconds([&] {
      if (velmora::WipeFile(big, kDefaultPosition) != velmora::WipeOutcome::Shredded) std::exit(1);
    }));
    WriteRandomFile(big, kGiB);
    dd.push_back(Seconds([&] {
      Shell("dd if=/dev/zero of=" + Quote(big) + " bs=1M count=1024 conv=notrunc,fdatasync status=none && rm " +
            Quote(big));
    }));
    WriteRandomFile(big, kGiB);
    shred.push_back(Seconds([&] { Shell("shred -n1 -u " + Quote(big)); }));
    std::printf("run %d: engine %.2fs, dd %.2fs, shred %.2fs\n", run + 1, engine.back(), dd.back(), shred.back());
  }

  std::vector<double> folder_mode, rm;
  velmora::FillPattern pattern(100 * kDefaultPosition);
  for (int run = 0; run < kRuns; ++run) {
    WriteTree(tree);
    folder_mode.push_back(Seconds([&] {
      if (!velmora::ShredTree(tree, pattern).folder_removed) std::exit(1);
    }));
    WriteTree(tree);
    rm.push_back(Seconds([&] { Shell("rm -rf " + Quote(tree)); }));
    std::printf("tree run %d: folder mode %.2fs, rm -rf %.2fs\n", run + 1, folder_mode.back(), rm.back());
  }

  WriteRandomFile(big, kGiB);
  double rss_1g = PeakRssMiB(big);
  WriteRandomFile(big, 4 * kGiB);
  double rss_4g = PeakRssMiB(big);
  ::rmdir(folder.c_str());

  std::printf("big_file_vs_dd: %.3f\n", Median(engine) / Median(dd));
  std::printf("big_file_vs_shred: %.3f\n", Median(engine) / Median(shred));
  std::printf("tree_vs_rm: %.3f\n", Median(folder_mode) / Median(rm));
  std::printf("peak_rss_mib_1g: %.1f\n", rss_1g);
  std::printf("peak_rss_mib_4g: %.1f\n", rss_4g);
  return 0;
}
