// SPDX-License-Identifier: GPL-3.0-or-later
#include "shredlist/add_rules.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/mount_points.h"
#include "shredlist/program_paths.h"
#include "support/bind_mount.h"
#include "support/fake_system_files.h"
#include "support/temp_dir.h"

namespace velmora {
namespace {

using namespace std::string_literals;

FileIdentity Identity(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return {st.st_dev, st.st_ino};
}

AddContext Context() {
  AddContext c;
  c.program_folder = "/opt/velmora";
  c.executable_name = "velmora";
  c.system_folder = "/usr/bin";
  c.windows_folder = "/usr";
  c.mount_points = {"/", "/boot", "/media/usb stick"};
  return c;
}

TEST(AddFiles, SingleSelectionAppendsFullPathToBoth) {
  ShredList list;
  AddOutcome out = AddFiles(ChosenFiles("/home/u/a.txt"), Context(), list);
  EXPECT_EQ(out.message, AddMessage::None);
  EXPECT_EQ(out.remove_enabled, true);
  EXPECT_EQ(list, (ShredList{{"/home/u/a.txt", "/home/u/a.txt"}}));
}

TEST(AddFiles, MultipleSelectionJoinsFolderAndNamesInDialogOrder) {
  ShredList list;
  AddFiles({"/home/u", {"b.txt", "a.txt"}}, Context(), list);
  EXPECT_EQ(list, (ShredList{{"/home/u/b.txt", "b.txt"}, {"/home/u/a.txt", "a.txt"}}));
}

TEST(AddFiles, FolderEndingInSlashIsNotDoubled) {
  ShredList list;
  AddFiles({"/", {"x", "y"}}, Context(), list);
  EXPECT_EQ(list, (ShredList{{"/x", "x"}, {"/y", "y"}}));
}

// "Secret.txt" and "secret.txt" are two files on Linux: both go on the list.
TEST(AddFiles, DuplicatesAreTheSamePathExactlyAndStillEnableShredNow) {
  ShredList list = {{"/home/u/A.txt", "/home/u/A.txt"}};
  AddOutcome out = AddFiles(ChosenFiles("/home/u//./A.txt"), Context(), list);
  EXPECT_EQ(list.size(), 1u);
  EXPECT_EQ(out.remove_enabled, true);
  AddFiles({"/home/u", {"A.txt", "a.txt"}}, Context(), list);
  EXPECT_EQ(list, (ShredList{{"/home/u/A.txt", "/home/u/A.txt"}, {"/home/u/a.txt", "a.txt"}}));
}

// The protection rules hold by identity too: a folder or the program
// reached through an alias in the path is refused with the same message.
TEST(AddRulesByIdentity, AliasesOfProtectedFoldersAndOfTheProgramAreRefused) {
  testing::TempDir dir;
  testing::MakeDir(dir / "prog");
  testing::WriteFile(dir / "prog/velmora", {});
  ASSERT_EQ(::symlink(".", (dir / "up").c_str()), 0);
  AddContext c = Context();
  c.program_folder = dir / "prog";
  c.system_folder = "/usr/bin";
  ShredList list;
  std::string folder;
  EXPECT_EQ(AddFolder(dir / "up/prog", c, list, folder).message, AddMessage::ProgramFolder);
  EXPECT_EQ(AddFolder(dir / "up/up/prog/", c, list, folder).message, AddMessage::ProgramFolder);
  EXPECT_EQ(AddFolder("/usr/bin/../bin", c, list, folder).message, AddMessage::SystemFolder);
  EXPECT_EQ(AddFolder("/usr/bin/..", c, list, folder).message, AddMessage::WindowsFolder);
  EXPECT_TRUE(list.empty());
  list = {{"/earlier", "/earlier"}};
  AddOutcome own = AddFiles(dir / "up/prog/velmora", c, list);
  EXPECT_EQ(own.message, AddMessage::OwnExecutable);
  EXPECT_EQ(own.remove_enabled, false);
  EXPECT_TRUE(list.empty());
  // In a multiple selection too, under another name: a hard link, a link.
  ASSERT_EQ(::link((dir / "prog/velmora").c_str(), (dir / "prog/helper").c_str()), 0);
  ASSERT_EQ(::symlink("velmora", (dir / "prog/shortcut").c_str()), 0);
  testing::WriteFile(dir / "prog/notes", {});
  for (const char* alias : {"helper", "shortcut"}) {
    list = {{"/earlier", "/earlier"}};
    own = AddFiles({dir / "prog", {"notes", alias}}, c, list);
    EXPECT_EQ(own.message, AddMessage::OwnExecutable) << alias;
    EXPECT_EQ(own.remove_enabled, false) << alias;
    EXPECT_TRUE(list.empty()) << alias;
  }
}

// A drive mounted after the window opened, reached directly or through a
// link in its parent, is a drive's root all the same.
TEST(AddRulesByIdentity, MountRootIsRefusedLiveWhateverPathReachesIt) {
  testing::TempDir dir;
  testing::MakeDir(dir / "drive");
  testing::MakeDir(dir / "real");
  testing::MakeDir(dir / "real/usb");
  ASSERT_EQ(::symlink((dir / "real").c_str(), (dir / "alias").c_str()), 0);
  testing::BindMounts mounts;
  if (std::string why = mounts.Bind(dir / "drive", dir / "real/usb"); !why.empty()) GTEST_SKIP() << why;
  ShredList list;
  std::string folder;
  for (std::string chosen : {dir / "real/usb", dir / "alias/usb"})
    EXPECT_EQ(AddFolder(chosen, Context(), list, folder).message, AddMessage::OnlyFolder) << chosen;
  EXPECT_EQ(AddFolder(dir / "real", Context(), list, folder).message, AddMessage::None);
}

// The folders the system lives in and the user's home folder are refused
// by identity, whatever path reaches them; what is inside them is not. The
// system is described: no test comes near the real folders but one, below.
TEST(AddRulesByIdentity, SystemAndHomeFoldersAreRefusedAndWhatIsInsideIsNot) {
  testing::TempDir dir;
  for (const char* folder : {"etc", "etc/app", "var", "home", "home/u", "home/u/Documents", "root"})
    testing::MakeDir(dir / folder);
  ASSERT_EQ(::symlink((dir / "etc").c_str(), (dir / "alias").c_str()), 0);
  testing::FakeSystemFiles system;
  for (const char* folder : {"etc", "var", "home", "root"}) system.identities["/"s + folder] = Identity(dir / folder);
  system.identities["/home/u"] = Identity(dir / "home/u");
  ScopedSystemFiles described(system);
  AddContext c = Context();
  c.protected_folders = ReadProtectedFolders({"/home/u", "/root"});
  EXPECT_EQ(c.protected_folders.size(), 6u) << "only the folders that exist";
  const std::pair<const char*, const char*> cases[] = {
      {"etc", "System Folder Cannot Be Shredded"}, {"alias", "System Folder Cannot Be Shredded"},
      {"var/", "System Folder Cannot Be Shredded"}, {"home", "System Folder Cannot Be Shredded"},
      {"home/u", "Home Folder Cannot Be Shredded"}, {"root", "Home Folder Cannot Be Shredded"},  // root's home
      {"etc/app", ""},                              {"home/u/Documents", ""}};
  for (auto [chosen, text] : cases) {
    ShredList list;
    std::string folder;
    EXPECT_EQ(MessageText(AddFolder(dir / chosen, c, list, folder).message), text) << chosen;
    EXPECT_EQ(list.size(), *text ? 0u : 1u) << chosen;
  }
}

// The real /etc, seen through a read-only bind mount of the root file
// system: the same folder, so refused; /etc bound alone is a mount's root.
TEST(AddRulesByIdentity, TheRealEtcIsRefusedThroughABindMount) {
  testing::TempDir dir;
  testing::MakeDir(dir / "root");
  testing::MakeDir(dir / "etc");
  testing::BindMounts mounts;
  if (std::string why = mounts.Bind("/", dir / "root", true); !why.empty()) GTEST_SKIP() << why;
  if (std::string why = mounts.Bind("/etc", dir / "etc", true); !why.empty()) GTEST_SKIP() << why;
  AddContext c = Context();
  c.protected_folders = ReadProtectedFolders(UserHomeFolders());
  ShredList list;
  std::string folder;
  EXPECT_EQ(AddFolder(dir / "root/etc", c, list, folder).message, AddMessage::TopSystemFolder);
  EXPECT_EQ(AddFolder(dir / "etc", c, list, folder).message, AddMessage::OnlyFolder);
  EXPECT_TRUE(list.empty());
}

TEST(AddFiles, WholeTextOnlyNoPrefixMatch) {
  ShredList list = {{"/x/a b.txt", "/x/a b.txt"}};
  AddFiles(ChosenFiles("/x/a"), Context(), list);
  EXPECT_EQ(list.size(), 2u);
}

TEST(AddFiles, OwnExecutableInTheMiddleEmptiesTheWholeList) {
  ShredList list = {{"/earlier", "/earlier"}};
  AddOutcome out = AddFiles({"/anywhere", {"one", "velmora", "three"}}, Context(), list);
  EXPECT_EQ(out.message, AddMessage::OwnExecutable);
  EXPECT_EQ(MessageText(out.message), "Velmora Application Cannot Be Shredded");
  EXPECT_EQ(out.remove_enabled, false);
  EXPECT_TRUE(list.empty());
}

TEST(AddFiles, OwnExecutableAloneIsRefusedOnlyAtItsOwnPathAndCase) {
  ShredList list;
  EXPECT_EQ(AddFiles(ChosenFiles("/opt/velmora/velmora"), Context(), list).message, AddMessage::OwnExecutable);
  EXPECT_EQ(AddFiles(ChosenFiles("/elsewhere/velmora"), Context(), list).message, AddMessage::None);
  EXPECT_EQ(AddFiles(ChosenFiles("/opt/velmora/Velmora"), Context(), list).message, AddMessage::None);
  EXPECT_EQ(list.size(), 2u);
}

TEST(AddFiles, MalformedNamesInAMultipleSelectionAreSkipped) {
  ShredList list;
  AddOutcome out = AddFiles({"/home/u", {"", "a", "..", ".", "sub/b", "c"}}, Context(), list);
  EXPECT_EQ(out.message, AddMessage::None);
  EXPECT_EQ(list, (ShredList{{"/home/u/a", "a"}, {"/home/u/c", "c"}}));
  // A name with a slash could otherwise reach the program's own file.
  EXPECT_EQ(AddFiles({"/", {"opt/velmora/velmora"}}, Context(), list).message, AddMessage::None);
  EXPECT_EQ(list.size(), 2u);
}

TEST(AddFiles, OwnExecutableIsRecognisedThroughDoubledSlashesAndDotSteps) {
  ShredList list;
  EXPECT_EQ(AddFiles(ChosenFiles("/opt//velmora/./velmora"), Context(), list).message, AddMessage::OwnExecutable);
  EXPECT_EQ(AddFiles({"/opt/velmora/", {"velmora"}}, Context(), list).message, AddMessage::OwnExecutable);
  EXPECT_TRUE(list.empty());
}

TEST(AddFiles, CancelSetsShredNowByWhetherTheListHoldsAnything) {
  ShredList empty;
  EXPECT_EQ(AddFiles(ChosenFiles(), Context(), empty).remove_enabled, false);
  ShredList filled = {{"/a", "/a"}};
  EXPECT_EQ(AddFiles(ChosenFiles(), Context(), filled).remove_enabled, true);
  EXPECT_EQ(filled.size(), 1u);
}

TEST(AddFolder, RefusalsInOrderWithTheirExactTexts) {
  struct Case {
    std::string chosen;
    AddMessage message;
    std::string text;
  } cases[] = {
      {"/", AddMessage::OnlyFolder, "Only Folder Can Be Shredded"},
      {"/boot", AddMessage::OnlyFolder, "Only Folder Can Be Shredded"},
      {"/media/usb stick", AddMessage::OnlyFolder, "Only Folder Can Be Shredded"},
      {"/opt/velmora", AddMessage::ProgramFolder, "Velmora Cannot Be Shredded"},
      {"/usr/bin", AddMessage::SystemFolder, "Window System Folder Cannot Be Shredded"},
      {"/usr", AddMessage::WindowsFolder, "Window Folder Cannot Be Shredded"},
  };
  for (const Case& c : cases) {
    ShredList list = {{"/keep", "/keep"}};
    std::string folder = "/before";
    AddOutcome out = AddFolder(c.chosen, Context(), list, folder);
    EXPECT_EQ(out.message, c.message) << c.chosen;
    EXPECT_EQ(MessageText(out.message), c.text);
    EXPECT_EQ(out.remove_enabled, std::nullopt);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(folder, "/before");
  }
}

TEST(AddFolder, InsideAboveOrOtherCaseOfAProtectedFolderIsAccepted) {
  ShredList list;
  std::string folder;
  for (std::string chosen : {"/usr/share/doc/x", "/opt", "/USR", "/usr/bin/sub", "/boot/grub"}) {
    EXPECT_EQ(AddFolder(chosen, Context(), list, folder).message, AddMessage::None) << chosen;
    EXPECT_EQ(folder, chosen);
  }
}

TEST(AddFolder, TwoFoldersBothListedTheSecondIsFolderToShredNoDuplicateTest) {
  ShredList list;
  std::string folder;
  AddFolder("/home/u/a", Context(), list, folder);
  AddOutcome out = AddFolder("/home/u/a", Context(), list, folder);
  AddFolder("/home/u/b", Context(), list, folder);
  EXPECT_EQ(out.remove_enabled, true);
  EXPECT_EQ(list, (ShredList{{"/home/u/a", "/home/u/a"}, {"/home/u/a", "/home/u/a"}, {"/home/u/b", "/home/u/b"}}));
  EXPECT_EQ(folder, "/home/u/b");
}

TEST(AddFolder, CancelChangesNothing) {
  ShredList list;
  std::string folder = "/x";
  AddOutcome out = AddFolder("", Context(), list, folder);
  EXPECT_EQ(out.message, AddMessage::None);
  EXPECT_EQ(out.remove_enabled, std::nullopt);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(folder, "/x");
}

TEST(MountPoints, ParsesAndUnescapesMountInfo) {
  std::string text =
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "30 22 8:2 / /media/usb\\040stick rw - vfat /dev/sdb1 rw\n"
      "31 22 0:5 / /a\\134b rw - tmpfs tmpfs rw\n";
  EXPECT_EQ(ParseMountInfo(text), (std::vector<std::string>{"/", "/media/usb stick", "/a\\b"}));
  // A mount found by its id (statx's mount id), as the free-space wipe names it.
  EXPECT_EQ(MountPointWithId(text, 30), "/media/usb stick");
  EXPECT_EQ(MountPointWithId(text, 3), "");
  std::vector<std::string> live = ReadMountPoints();
  EXPECT_NE(std::find(live.begin(), live.end(), "/"), live.end());
}

}  // namespace
}  // namespace velmora
