// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A temporary folder per test, and small helpers for exact file contents.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace velmora::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();  // removes everything below, whatever its modes
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A test with a temporary folder of its own.
class InTempDir : public ::testing::Test {
 protected:
  TempDir dir;
};

using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::size_t size, unsigned seed = 1);
void WriteFile(const std::string& path, const Bytes& bytes, mode_t mode = 0644);
void WriteText(const std::string& path, const std::string& text);
Bytes ReadFile(const std::string& path);
std::string ReadText(const std::string& path);
bool Exists(const std::string& path);  // without following a last link
void MakeDir(const std::string& path, mode_t mode = 0755);
// Each folder in turn, so a parent comes before what it holds.
void MakeDirs(std::initializer_list<std::string> paths);
// The number of descriptors this process holds open.
int OpenDescriptorCount();
// The path an open descriptor stands for, as the kernel tells it ("" when
// it cannot).
std::string PathOfFd(int fd);
// The block size of the file system `path` is on.
std::size_t FsBlock(const std::string& path);
// Sets or clears the immutable flag (root, on a file system that has it).
bool SetImmutable(const std::string& path, bool on);

}  // namespace velmora::testing
