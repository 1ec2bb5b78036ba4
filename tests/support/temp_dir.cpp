// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/temp_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "platform/lease_signal.h"

namespace velmora::testing {
namespace {
// Every test that shreds works in a TempDir, so this runs, before main and
// any thread, wherever the engine may take a file's write lease.
[[maybe_unused]] const bool kLeaseBreaksIgnored = IgnoreLeaseBreakSignal();
}  // namespace

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/velmora-test-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = buffer.data();
}

TempDir::~TempDir() {
  // Tests leave read-only and unreadable folders behind on purpose.
  std::string command = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
  [[maybe_unused]] int rc = std::system(command.c_str());
}

Bytes RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 engine(seed);
  Bytes out(size);
  for (auto& b : out) b = static_cast<std::uint8_t>(engine());
  return out;
}

void WriteFile(const std::string& path, const Bytes& bytes, mode_t mode) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ::chmod(path.c_str(), mode);
}

void WriteText(const std::string& path, const std::string& text) {
  WriteFile(path, Bytes(text.begin(), text.end()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path) {
  Bytes b = ReadFile(path);
  return std::string(b.begin(), b.end());
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

void MakeDir(const std::string& path, mode_t mode) {
  if (::mkdir(path.c_str(), 0755) != 0) throw std::runtime_error("mkdir " + path);
  ::chmod(path.c_str(), mode);
}

void MakeDirs(std::initializer_list<std::string> paths) {
  for (const std::string& path : paths) MakeDir(path);
}

int OpenDescriptorCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

std::string PathOfFd(int fd) {
  char link[4096];
  const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link);
  return n > 0 ? std::string(link, static_cast<std::size_t>(n)) : std::string();
}

std::size_t FsBlock(const std::string& path) {
  struct stat st;
  ::stat(path.c_str(), &st);
  return static_cast<std::size_t>(st.st_blksize);
}

}  // namespace velmora::testing

namespace velmora::testing {

bool SetImmutable(const std::string& path, bool on) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (done) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return done;
}

}  // namespace velmora::testing
