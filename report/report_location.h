// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the report may go. Beside the program only when that folder is the
// user's own and not part of the system: an installed program in /usr/bin
// must not collect reports (root could write there, and a stale one would
// outlive the package). Everywhere else the user's state folder for Velmora.
#include <sys/types.h>

#include <string>
#include <vector>

namespace velmora {

// Whether `folder` is a system folder: "/", or at or below /usr, /bin,
// /sbin, /lib* (lib, lib64, libx32...), /opt or /etc.
bool IsSystemFolder(const std::string& folder);

// Whether the report may be kept in `program_folder`: it exists, `user`
// owns it, and neither it nor the folder it really is (links resolved) is a
// system folder.
bool MayKeepReportBeside(const std::string& program_folder, uid_t user);

// The folders a report may go to, best first: the program's folder when
// allowed, then `state_folder` (when known).
std::vector<std::string> ReportFolders(const std::string& program_folder, const std::string& state_folder,
                                       uid_t user);

// mkdir -p, each folder it makes private to the user. False when `path`
// is not a folder afterwards.
bool MakePrivateFolders(const std::string& path);

}  // namespace velmora
