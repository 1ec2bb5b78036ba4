// SPDX-License-Identifier: GPL-3.0-or-later
#include "shredlist/add_rules.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "fs/path_text.h"

namespace velmora {
namespace {

// On Linux "Secret.txt" and "secret.txt" are two files: a duplicate is the
// same path exactly, once doubled slashes and "." steps are taken out.
bool IsListed(const ShredList& list, const std::string& path) {
  const std::string wanted = WithoutEmptySteps(path);
  return std::any_of(list.begin(), list.end(),
                     [&](const ShredListItem& item) { return WithoutEmptySteps(item.path) == wanted; });
}

// Whether two paths reach the very same file or folder (device and inode),
// whatever links or aliases lead there.
bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// Whether `path` is, right now, the root of a mount: asked of the path as
// given and of where it leads, so neither a link nor a mount made after the
// window opened gets a file system's root onto the list.
bool IsMountRootNow(const std::string& path) {
  for (int follow : {AT_SYMLINK_NOFOLLOW, 0}) {
    struct statx x;
    if (::statx(AT_FDCWD, path.c_str(), follow | AT_NO_AUTOMOUNT, STATX_BASIC_STATS, &x) == 0 &&
        (x.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (x.stx_attributes & STATX_ATTR_MOUNT_ROOT))
      return true;
  }
  return false;
}

// The message of the protected folder `path` leads to, if it is one.
AddMessage ProtectedMessage(const std::string& path, const std::vector<ProtectedFolder>& folders) {
  struct stat st;
  if (folders.empty() || ::stat(path.c_str(), &st) != 0) return AddMessage::None;
  const FileIdentity identity{st.st_dev, st.st_ino};
  for (const ProtectedFolder& folder : folders)
    if (folder.identity == identity) return folder.message;
  return AddMessage::None;
}

// A name from a multiple selection must be a file's name, nothing more: a
// chooser never hands back "" or a name with a "/" in it, and such a name
// would reach beyond the chosen folder.
bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

std::string MessageText(AddMessage message) {
  switch (message) {
    case AddMessage::None: return "";
    case AddMessage::OwnExecutable: return VELMORA_UI_TEXT("Velmora", "Velmora Application Cannot Be Shredded");
    case AddMessage::OnlyFolder: return VELMORA_UI_TEXT("Velmora", "Only Folder Can Be Shredded");
    case AddMessage::ProgramFolder: return VELMORA_UI_TEXT("Velmora", "Velmora Cannot Be Shredded");
    //: Said of /usr/bin: the system's folder of programs ("Window" is the
    //: message's own English).
    case AddMessage::SystemFolder: return VELMORA_UI_TEXT("Velmora", "Window System Folder Cannot Be Shredded");
    //: Said of /usr, the system's own folder.
    case AddMessage::WindowsFolder: return VELMORA_UI_TEXT("Velmora", "Window Folder Cannot Be Shredded");
    //: Said of the folders the system itself lives in (/etc, /var, /boot...).
    case AddMessage::TopSystemFolder: return VELMORA_UI_TEXT("Velmora", "System Folder Cannot Be Shredded");
    //: Said of the user's own home folder itself.
    case AddMessage::HomeFolder: return VELMORA_UI_TEXT("Velmora", "Home Folder Cannot Be Shredded");
  }
  return "";
}

AddOutcome AddFiles(const ChosenFiles& chosen, const AddContext& context, ShredList& list) {
  AddOutcome outcome;
  if (chosen.names.empty()) {  // cancelled
    outcome.remove_enabled = !list.empty();
    return outcome;
  }
  const bool alone = chosen.Alone();
  const std::string own_path = JoinPath(context.program_folder, context.executable_name);

  const std::string own_compared = WithoutEmptySteps(own_path);

  for (const std::string& name : chosen.names) {
    if (alone ? name.empty() : !IsPlainName(name)) continue;
    const std::string candidate = alone ? name : JoinPath(chosen.folder, name);
    if (IsListed(list, candidate)) continue;
    // In a multiple selection the bare name decides too, whatever folder;
    // every candidate is also the program's own file under any other name
    // (a hard link, a link, an alias in the path).
    const bool own = (!alone && name == context.executable_name) || WithoutEmptySteps(candidate) == own_compared ||
                     SameFile(candidate, own_path);
    if (own) {
      outcome.message = AddMessage::OwnExecutable;
      outcome.remove_enabled = false;
      list.clear();
      return outcome;
    }
    list.push_back({candidate, name});
  }
  outcome.remove_enabled = true;
  return outcome;
}

AddOutcome AddFolder(const std::string& chosen, const AddContext& context, ShredList& list,
                     std::string& folder_to_shred) {
  AddOutcome outcome;
  if (chosen.empty()) return outcome;
  const auto& mounts = context.mount_points;
  // Each rule by the path as typed, then by identity: an alias such as a
  // link "up -> ." in the path reaches the same folder all the same.
  if (chosen == "/" || std::find(mounts.begin(), mounts.end(), chosen) != mounts.end() || IsMountRootNow(chosen))
    outcome.message = AddMessage::OnlyFolder;
  else if (chosen == context.program_folder || SameFile(chosen, context.program_folder))
    outcome.message = AddMessage::ProgramFolder;
  else if (chosen == context.system_folder || SameFile(chosen, context.system_folder))
    outcome.message = AddMessage::SystemFolder;
  else if (chosen == context.windows_folder || SameFile(chosen, context.windows_folder))
    outcome.message = AddMessage::WindowsFolder;
  else
    outcome.message = ProtectedMessage(chosen, context.protected_folders);
  if (outcome.message != AddMessage::None) return outcome;

  folder_to_shred = chosen;
  list.push_back({chosen, chosen});
  outcome.remove_enabled = true;
  return outcome;
}

}  // namespace velmora
