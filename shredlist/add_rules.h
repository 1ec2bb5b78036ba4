// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Putting items on the shred list, and the protection rules that keep the
// program itself and the system's own folders off it.
#include <optional>
#include <string>
#include <vector>

#include "engine/shred_options.h"
#include "fs/ui_text.h"
#include "platform/chosen_files.h"
#include "platform/system_files.h"

namespace velmora {

enum class AddMessage {
  None,
  OwnExecutable,
  OnlyFolder,
  ProgramFolder,
  SystemFolder,
  WindowsFolder,
  TopSystemFolder,  // a folder the system itself lives in: /etc, /var, /home...
  HomeFolder,       // the user's own home folder itself
};

// A folder refused by identity, whatever path reaches it.
struct ProtectedFolder {
  FileIdentity identity;
  AddMessage message;
  bool operator==(const ProtectedFolder&) const = default;
};

// What the rules compare against, gathered once by the window.
struct AddContext {
  std::string program_folder;   // no trailing "/" unless it is "/"
  std::string executable_name;  // the running executable's file name
  std::string system_folder;
  std::string windows_folder;
  std::vector<std::string> mount_points;  // the roots of mounted file systems
  std::vector<ProtectedFolder> protected_folders;  // ReadProtectedFolders()
};

// The exact text of each refusal.
std::string MessageText(AddMessage message);

// What the window must do after an add, in this order: show the message,
// set "&Shred Now" (when set), show the list as it now stands.
struct AddOutcome {
  AddMessage message = AddMessage::None;
  std::optional<bool> remove_enabled;  // nothing: leave as it is
};

// The title of the file chooser.
inline constexpr const char* kFileChooserTitle = VELMORA_UI_TEXT("Velmora", "Choose A File ....");

// File mode. `chosen` is what the chooser handed back.
AddOutcome AddFiles(const ChosenFiles& chosen, const AddContext& context, ShredList& list);

// Folder mode. `chosen` is the folder browser's result ("" on cancel).
AddOutcome AddFolder(const std::string& chosen, const AddContext& context, ShredList& list,
                     std::string& folder_to_shred);

}  // namespace velmora
