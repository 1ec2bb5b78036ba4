#pragma once
// Where the running program lives, and the folders the protection rules
// guard (modRegistry's path readers).
#include <string>

namespace velmora {

// Set once at start-up by the readers below, then only read.
extern std::string SystemFolder;
extern std::string WindowsFolder;

// The system's own programs.
void ReadSystemFolder();
// The system's installation tree.
void ReadWindowsFolder();

struct ProgramPaths {
  std::string folder;           // no trailing "/" unless it is "/"
  std::string executable_name;  // the file name alone
};

// Read from /proc/self/exe; both empty when it cannot be read.
ProgramPaths ReadProgramPaths();

// Splits a full executable path into ProgramPaths.
ProgramPaths ProgramPathsOf(const std::string& executable_path);

}  // namespace velmora
