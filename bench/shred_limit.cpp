// SPDX-License-Identifier: GPL-3.0-or-later
// The least a shred of a tree can do, as a baseline for the folder figures:
// write over every regular file in place what the engine writes (its size,
// at least one fill block of PERIOD bytes, rounded up to the file system's
// block, PASSES times, each pass but the last forced to the device before
// the next), one syncfs, then remove the tree with as many threads as the
// engine uses. No checks, no report, no names scrubbed, no pattern built:
// what is left is only what any shred must pay for.
//
//   shred_limit TREE PERIOD PASSES WRITE_THREADS REMOVE_THREADS
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Tree {
  std::vector<std::string> files;                 // everything but folders
  std::vector<std::vector<std::string>> folders;  // by depth, the top at 0
};

bool Walk(const std::string& path, std::size_t depth, Tree& tree) {
  if (tree.folders.size() <= depth) tree.folders.resize(depth + 1);
  tree.folders[depth].push_back(path);
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return false;
  bool ok = true;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN) {
      struct stat st;
      if (::lstat((path + "/" + name).c_str(), &st) != 0) continue;
      type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_LNK;
    }
    if (type == DT_DIR)
      ok = Walk(path + "/" + name, depth + 1, tree) && ok;
    else
      tree.files.push_back(path + "/" + name);
  }
  ::closedir(dir);
  return ok;
}

// Calls `work(i)` for every i below `count` on `threads` threads.
void Parallel(std::size_t count, unsigned threads, const std::function<bool(std::size_t)>& work, bool& ok) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  auto drain = [&] {
    for (std::size_t i; (i = next++) < count;)
      if (!work(i)) failed = true;
  };
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t) helpers.emplace_back(drain);
  drain();
  for (std::thread& helper : helpers) helper.join();
  if (failed) ok = false;
}

// What the engine covers of a file: its length or the fill block's,
// whichever is longer, to the end of its block.
off_t Covered(const struct stat& st, off_t period) {
  const off_t block = st.st_blksize > 0 ? st.st_blksize : 4096;
  return (std::max(st.st_size, period) + block - 1) / block * block;
}

// PASSES passes over the open file from offset 0 to `covered`, the data
// forced to the device after each pass but the last.
bool WritePasses(int fd, off_t covered, int passes, const std::vector<char>& chunk) {
  for (int pass = 0; pass < passes; ++pass) {
    for (off_t at = 0; at < covered;) {
      const auto want = static_cast<std::size_t>(std::min<off_t>(covered - at, static_cast<off_t>(chunk.size())));
      if (::pwrite(fd, chunk.data(), want, at) != static_cast<ssize_t>(want)) return false;
      at += static_cast<off_t>(want);
    }
    if (pass + 1 < passes && ::fdatasync(fd) != 0) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: shred_limit TREE PERIOD PASSES WRITE_THREADS REMOVE_THREADS\n");
    return 2;
  }
  const std::string top = argv[1];
  const auto period = static_cast<off_t>(std::strtoul(argv[2], nullptr, 10));
  const int passes = std::max(1, std::atoi(argv[3]));
  const unsigned writers = std::max(1u, static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10)));
  const unsigned removers = std::max(1u, static_cast<unsigned>(std::strtoul(argv[5], nullptr, 10)));
  Tree tree;
  bool ok = Walk(top, 0, tree);
  const std::vector<char> chunk(1 << 20, 'x');
  Parallel(tree.files.size(), writers, [&](std::size_t i) {
    int fd = ::open(tree.files[i].c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return errno == ELOOP;  // a link is only removed
    struct stat st {};
    const bool written = ::fstat(fd, &st) == 0 && WritePasses(fd, Covered(st, period), passes, chunk);
    return ::close(fd) == 0 && written;
  }, ok);
  int root = ::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (root < 0 || ::syncfs(root) != 0) return 1;
  ::close(root);
  Parallel(tree.files.size(), removers, [&](std::size_t i) { return ::unlink(tree.files[i].c_str()) == 0; }, ok);
  // Each folder after what is in it: the deepest first, a level at a time.
  for (auto level = tree.folders.rbegin(); level != tree.folders.rend(); ++level)
    Parallel(level->size(), removers, [&](std::size_t i) { return ::rmdir((*level)[i].c_str()) == 0; }, ok);
  return ok ? 0 : 1;
}
