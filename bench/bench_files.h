// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What both benchmarks need: a folder to work in, fresh random files, fast,
// and medians.
#include <fcntl.h>
#include <sys/stat.h>
#include <climits>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// Fresh random content of `size` bytes, forced to the disk: xorshift over a
// 1 MiB buffer, so writing it costs little next to what is measured.
inline void WriteRandomFile(const std::string& path, std::uint64_t size) {
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

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace velmora::bench
