#pragma once
// Where the report goes: beside the program when a file can be created
// there, else in the user's state folder for Velmora (an installed program
// in /usr/bin cannot write beside itself).
#include <string>

namespace velmora {

// True when a new file can really be created in `folder` (tried, then removed).
bool CanCreateFileIn(const std::string& folder);

// The folder for the report: `program_folder` if writable, else
// `state_folder`, created (private to the user) when missing.
std::string ChooseReportFolder(const std::string& program_folder, const std::string& state_folder);

}  // namespace velmora
