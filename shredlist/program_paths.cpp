// SPDX-License-Identifier: GPL-3.0-or-later
#include "shredlist/program_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace velmora {
namespace {

constexpr const char* kTopSystemFolders[] = {"/bin",  "/boot", "/dev",  "/etc",  "/home",   "/lib", "/lib32",
                                             "/lib64", "/libx32", "/media", "/mnt", "/opt", "/proc", "/root",
                                             "/run",  "/sbin", "/srv",  "/sys",  "/tmp",    "/var"};

}  // namespace

std::string ReadSystemFolder() { return SystemDirectory(); }
std::string ReadWindowsFolder() { return SystemRootDirectory(); }

std::vector<ProtectedFolder> ReadProtectedFolders(const std::vector<std::string>& homes) {
  std::vector<ProtectedFolder> folders;
  SystemFiles& system = CurrentSystemFiles();
  // The home folder first: /root is root's home, and that says more.
  for (const std::string& home : homes)
    if (std::optional<FileIdentity> id = home.empty() ? std::nullopt : system.Identity(home))
      folders.push_back({*id, AddMessage::HomeFolder});
  for (const char* folder : kTopSystemFolders)
    if (std::optional<FileIdentity> id = system.Identity(folder)) folders.push_back({*id, AddMessage::TopSystemFolder});
  return folders;
}

std::vector<std::string> UserHomeFolders() {
  std::vector<std::string> homes;
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') homes.emplace_back(home);
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && *found->pw_dir != '\0')
    homes.emplace_back(found->pw_dir);
  return homes;
}

AddContext RulesContextFor(const ProgramPaths& program, const std::vector<std::string>& mount_points) {
  return AddContext{program.folder, program.executable_name, ReadSystemFolder(), ReadWindowsFolder(), mount_points,
                    ReadProtectedFolders(UserHomeFolders())};
}

}  // namespace velmora
