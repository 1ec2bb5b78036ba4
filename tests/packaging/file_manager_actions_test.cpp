// SPDX-License-Identifier: GPL-3.0-or-later
// The "Shred with Velmora" actions for Dolphin (a KIO service menu), Nemo
// (a Nemo action) and Caja (a caja-actions action), and the desktop entry: read as the file managers read
// them, key files of groups and Key=Value lines.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace velmora {
namespace {

using Group = std::map<std::string, std::string>;
using KeyFile = std::map<std::string, Group>;

// Fails the test on any line that is neither a comment, a group, nor a
// Key=Value pair, and on a key given twice in one group.
KeyFile Read(const std::string& name) {
  std::ifstream in(std::string(VELMORA_PACKAGING_DIR) + "/" + name);
  EXPECT_TRUE(in.good()) << name;
  KeyFile file;
  std::string line, group;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line.front() == '[') {
      EXPECT_EQ(line.back(), ']') << name << ": " << line;
      group = line.substr(1, line.size() - 2);
      EXPECT_EQ(file.count(group), 0u) << name << ": group twice: " << group;
      file[group];
      continue;
    }
    const std::size_t eq = line.find('=');
    EXPECT_NE(eq, std::string::npos) << name << ": " << line;
    EXPECT_FALSE(group.empty()) << name << ": key before any group";
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    EXPECT_EQ(file[group].count(key), 0u) << name << ": key twice: " << key;
    file[group][key] = line.substr(eq + 1);
  }
  return file;
}

std::vector<std::string> Split(const std::string& text, char at) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, at);)
    if (!part.empty()) parts.push_back(part);
  return parts;
}

// Every selected item reaches velmora as an argument of its own: the Exec
// line is the program and the file-list code, nothing quoted around it.
void ExpectStartsVelmoraWithTheSelection(const std::string& exec) {
  EXPECT_EQ(Split(exec, ' '), (std::vector<std::string>{"velmora", "%F"})) << exec;
}

TEST(FileManagerActions, DolphinServiceMenuOffersShredForLocalFilesAndFolders) {
  KeyFile menu = Read("velmora-shred.desktop");
  ASSERT_EQ(menu.count("Desktop Entry"), 1u);
  Group& entry = menu["Desktop Entry"];
  EXPECT_EQ(entry["Type"], "Service");
  // all/all is every file and folder (all/allfiles would leave folders out).
  EXPECT_EQ(Split(entry["MimeType"], ';'), std::vector<std::string>{"all/all"});
  EXPECT_EQ(entry["X-KDE-ServiceTypes"], "KonqPopupMenu/Plugin");  // Plasma before 5.85
  // Only local items: a remote one would be a downloaded copy, not the file.
  EXPECT_EQ(entry["X-KDE-Protocols"], "file");
  const std::vector<std::string> actions = Split(entry["Actions"], ';');
  ASSERT_EQ(actions.size(), 1u);
  ASSERT_EQ(menu.count("Desktop Action " + actions[0]), 1u) << "the listed action has its group";
  Group& action = menu["Desktop Action " + actions[0]];
  EXPECT_EQ(action["Name"], "Shred with Velmora");
  EXPECT_EQ(action["Icon"], "velmora");
  ExpectStartsVelmoraWithTheSelection(action["Exec"]);
  EXPECT_EQ(menu.size(), 2u);
}

TEST(FileManagerActions, NemoActionOffersShredForAnyLocalSelection) {
  KeyFile file = Read("velmora.nemo_action");
  ASSERT_EQ(file.size(), 1u);
  Group& action = file["Nemo Action"];
  EXPECT_EQ(action["Name"], "Shred with Velmora");
  ExpectStartsVelmoraWithTheSelection(action["Exec"]);
  // Nemo escapes each path itself when no Quote is set.
  EXPECT_EQ(action.count("Quote"), 0u);
  EXPECT_EQ(action["Selection"], "notnone");
  // "any" counts only as the one entry, and then takes files and folders.
  EXPECT_EQ(action["Extensions"], "any;");
  EXPECT_EQ(action["UriScheme"], "file");
  EXPECT_EQ(action["Icon-Name"], "velmora");
  EXPECT_EQ(Split(action["Dependencies"], ';'), std::vector<std::string>{"velmora"});
  EXPECT_EQ(action.count("Active"), 0u);
}

TEST(FileManagerActions, CajaActionOffersShredForAnyLocalSelection) {
  KeyFile file = Read("velmora-caja.desktop");
  Group& entry = file["Desktop Entry"];
  EXPECT_EQ(entry["Type"], "Action");
  EXPECT_EQ(entry["Name"], "Shred with Velmora");
  EXPECT_EQ(entry["Icon"], "velmora");
  // In the selection's context menu only, not the folder's background.
  EXPECT_EQ(entry["TargetContext"], "true");
  EXPECT_EQ(entry["TargetLocation"], "false");
  const std::vector<std::string> profiles = Split(entry["Profiles"], ';');
  ASSERT_EQ(profiles.size(), 1u);
  Group& profile = file["X-Action-Profile " + profiles[0]];
  ExpectStartsVelmoraWithTheSelection(profile["Exec"]);
  EXPECT_EQ(Split(profile["MimeTypes"], ';'), std::vector<std::string>{"all/all"});
  EXPECT_EQ(Split(profile["Schemes"], ';'), std::vector<std::string>{"file"});
  EXPECT_EQ(profile["SelectionCount"], ">0");
  EXPECT_EQ(file.size(), 2u);
}

TEST(FileManagerActions, DesktopEntryTakesFilesButIsNoFileOpener) {
  KeyFile file = Read("velmora.desktop");
  Group& entry = file["Desktop Entry"];
  ExpectStartsVelmoraWithTheSelection(entry["Exec"]);
  // No MimeType: "Open With" must never offer to shred a file.
  EXPECT_EQ(entry.count("MimeType"), 0u);
}

}  // namespace
}  // namespace velmora
