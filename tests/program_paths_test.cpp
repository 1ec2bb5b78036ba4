// SPDX-License-Identifier: GPL-3.0-or-later
#include "shredlist/program_paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace velmora {
namespace {

TEST(ProgramPaths, SystemAndWindowsFoldersAreSetByTheirReaders) {
  EXPECT_EQ(ReadSystemFolder(), "/usr/bin");
  EXPECT_EQ(ReadWindowsFolder(), "/usr");
}

TEST(ProgramPaths, SplitsTheExecutablePath) {
  ProgramPaths p = ProgramPathsOf("/opt/velmora/bin/velmora");
  EXPECT_EQ(p.folder, "/opt/velmora/bin");
  EXPECT_EQ(p.executable_name, "velmora");
  ProgramPaths root = ProgramPathsOf("/velmora");
  EXPECT_EQ(root.folder, "/");
  EXPECT_EQ(root.executable_name, "velmora");
}

TEST(ProgramPaths, ReadsTheRunningTestItself) {
  ProgramPaths p = ReadProgramPaths();
  EXPECT_EQ(p.executable_name, "program_paths_test");
  EXPECT_EQ(::access((p.folder + "/" + p.executable_name).c_str(), X_OK), 0);
}

}  // namespace
}  // namespace velmora
