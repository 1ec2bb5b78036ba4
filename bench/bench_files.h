// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What both benchmarks need: a folder to work in, fresh random files and
// trees, fast, timing and medians.
#include <fcntl.h>
#include <sys/stat.h>
#include <climits>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace velmora::bench {

// The folder a benchmark works in, as an absolute path: `given` (made if
// missing) or, without one, a new folder named `prefix`-XXXXXX in the
// current one. Empty when there is none.
inline std::string BenchFolder(const char* given, const char* prefix) {
  std::string folder;
  if (given != nullptr) {
    folder = given;
    ::mkdir(folder.c_str(), 0755);
  } else {
    std::string templ = std::string(prefix) + "-XXXXXX";
    if (::mkdtemp(templ.data()) == nullptr) return {};
    folder = templ;
  }
  char absolute[PATH_MAX];
  if (::realpath(folder.c_str(), absolute) == nullptr) return {};
  return absolute;
}

// Fresh random content of `size` bytes: xorshift over a 1 MiB buffer, so
// writing it costs little next to what is measured. Forced to the disk
// when `sync` (a tree is synced once, whole).
inline void WriteRandomFile(const std::string& path, std::uint64_t size, bool sync = true) {
  static std::uint64_t state = 0x9E3779B97F4A7C15ull;
  static std::vector<std::uint64_t> buffer((1 << 20) / 8);
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) {
    std::perror(path.c_str());
    std::exit(1);
  }
  for (std::uint64_t done = 0; done < size;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size - done, buffer.size() * 8));
    for (std::size_t w = 0; w < (want + 7) / 8; ++w) {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      buffer[w] = state;
    }
    if (::write(fd, buffer.data(), want) != static_cast<ssize_t>(want)) {
      std::perror("write");
      std::exit(1);
    }
    done += want;
  }
  if (sync) ::fsync(fd);
  ::close(fd);
}

// `folders` folders of `per_folder` random files of 4 KiB each; with no
// folders, `per_folder` files in the root itself. Synced once, whole.
inline void WriteTree(const std::string& root, int folders = 100, int per_folder = 100) {
  ::mkdir(root.c_str(), 0755);
  for (int d = 0; d < std::max(folders, 1); ++d) {
    const std::string dir = folders == 0 ? root : root + "/d" + std::to_string(d);
    ::mkdir(dir.c_str(), 0755);
    for (int f = 0; f < per_folder; ++f) WriteRandomFile(dir + "/f" + std::to_string(f), 4096, false);
  }
  ::sync();
}

// A tree of mixed sizes totalling about `total` bytes, in folders of 100
// files: sizes log-normal (median 16 KiB, sigma 2.5 in natural log), cut at
// 1 MiB; a draw under one byte is an empty file. The same tree every time.
// Returns the number of files.
inline std::size_t WriteMixedTree(const std::string& root, std::uint64_t total) {
  std::mt19937_64 random(29);
  std::lognormal_distribution<double> size_of(std::log(16384.0), 2.5);
  ::mkdir(root.c_str(), 0755);
  std::size_t files = 0;
  for (std::uint64_t written = 0; written < total; ++files) {
    const std::string dir = root + "/d" + std::to_string(files / 100);
    if (files % 100 == 0) ::mkdir(dir.c_str(), 0755);
    const auto size = static_cast<std::uint64_t>(std::min(size_of(random), 1048576.0));
    WriteRandomFile(dir + "/f" + std::to_string(files % 100), size, false);
    written += size;
  }
  ::sync();
  return files;
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

inline double Seconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
}

inline std::string Quote(const std::string& path) { return "'" + path + "'"; }

}  // namespace velmora::bench
