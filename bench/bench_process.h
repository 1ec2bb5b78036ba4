// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Programs run as processes of their own: timed from start to exit, and
// the peak memory of a process read by the process itself.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace velmora::bench {

// Runs `argv` (no shell) and waits for it: its exit status, or -1 when it
// could not start or did not exit normally. Standard output and error go to
// /dev/null when `quiet`; `cpu_ms`, when given, gets the processor time it
// used (user and system).
inline int Spawn(const std::vector<std::string>& argv, bool quiet = false, double* cpu_ms = nullptr) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (quiet) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  pid_t child = 0;
  const int failed = ::posix_spawn(&child, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return -1;
  int status = 0;
  struct rusage usage {};
  if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status)) return -1;
  auto ms = [](const timeval& t) { return 1000.0 * static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1000; };
  if (cpu_ms != nullptr) *cpu_ms = ms(usage.ru_utime) + ms(usage.ru_stime);
  return WEXITSTATUS(status);
}

// This process's peak resident memory so far, in KiB (VmHWM), or -1. Unlike
// a child's ru_maxrss, which keeps the parent's peak across the exec, it
// counts only what this program has used since its own start.
inline long PeakRssKiB() {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  long kib = -1;
  char line[256];
  while (std::fgets(line, sizeof line, status) != nullptr)
    if (std::strncmp(line, "VmHWM:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
  std::fclose(status);
  return kib;
}

}  // namespace velmora::bench
