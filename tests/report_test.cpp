// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report.h"

#include <gtest/gtest.h>

#include "support/fixed_host.h"
#include "support/report_in_folder.h"
#include "support/temp_dir.h"

#include <sys/stat.h>
#include <unistd.h>

namespace velmora::testing {
namespace {

using Report = InTempDir;

TEST_F(Report, ExactBytesWithTwoItems) {
  FixedHost host;
  ShredOptions options;  // "Ones and Zeros", 3
  ShredList items = {{"/home/u/a.txt", "a.txt"}, {"/home/u/b c.txt", "b c.txt"}};
  ReportInFolder report(dir.path());
  ASSERT_TRUE(WriteReport(report, options, items, host));
  EXPECT_EQ(ReadText(dir / "note.txt"),
            "Velmora\r\n07/12/2026\r\n09:41\r\n\r\nTechnique Used: Ones and Zeros\r\n"
            "Files Overwritten: 3 times\r\n\r\nFiles Have Been Shredded Are: \r\n\r\n"
            "/home/u/a.txt\r\n/home/u/b c.txt\r\n");
  EXPECT_EQ(host.calls, (std::vector<std::string>{"date", "time"}));
}

TEST_F(Report, EmptyListStopsAfterTheNinthLine) {
  ShredOptions options;
  options.OverwriteWith = "Random Chars";
  options.OverwriteNoOfTimes = 10;
  EXPECT_EQ(FormatReport("d", "t", options, {}),
            "Velmora\r\nd\r\nt\r\n\r\nTechnique Used: Random Chars\r\n"
            "Files Overwritten: 10 times\r\n\r\nFiles Have Been Shredded Are: \r\n\r\n");
}

TEST_F(Report, SecondRunReplacesTheFirst) {
  FixedHost host;
  ShredOptions options;
  ReportInFolder report(dir.path());
  WriteReport(report, options, {{"/a/very/long/first/path", "x"}}, host);
  options.OverwriteNoOfTimes = 1;
  WriteReport(report, options, {{"/b", "b"}}, host);
  EXPECT_EQ(ReadText(dir / "note.txt"), ShreddedReport("Ones and Zeros", 1, {"/b"}));
}

TEST_F(Report, LinkPlantedAtTheReportPathIsNotFollowed) {
  WriteText(dir / "precious", "keep me");
  ASSERT_EQ(::symlink((dir / "precious").c_str(), (dir / "note.txt").c_str()), 0);
  FixedHost host;
  ReportInFolder report(dir.path());
  EXPECT_FALSE(WriteReport(report, {}, {}, host));
  EXPECT_EQ(ReadText(dir / "precious"), "keep me");
}

TEST_F(Report, UnwritableFolderFailsQuietly) {
  FixedHost host;
  ReportInFolder report(dir / "missing");
  EXPECT_FALSE(WriteReport(report, {}, {}, host));
}

TEST_F(Report, DeleteRemovesItAndAMissingReportIsNoFailure) {
  FixedHost host;
  ReportInFolder keeper(dir.path(), dir / "state");
  WriteReport(keeper, {}, {}, host);
  ASSERT_TRUE(Exists(dir / "note.txt"));
  EXPECT_TRUE(keeper.Delete());
  EXPECT_FALSE(Exists(dir / "note.txt"));
  EXPECT_TRUE(keeper.Delete());
  EXPECT_FALSE(Exists(dir / "note.txt"));
}

TEST_F(Report, PathJoinsWithOneSlash) {
  EXPECT_EQ(ReportPathIn("/opt/velmora"), "/opt/velmora/note.txt");
  EXPECT_EQ(ReportPathIn("/"), "/note.txt");
}

}  // namespace
}  // namespace velmora::testing

#include "platform/program_location.h"
#include "report/report_location.h"

namespace velmora::testing {
namespace {

TEST(ReportLocation, ProgramFolderWhenTheUsersOwnElseTheStateFolder) {
  TempDir dir;
  MakeDir(dir / "prog");
  EXPECT_EQ(ReportFolders(dir / "prog", dir / "state/velmora", ::geteuid()),
            (std::vector<std::string>{dir / "prog", dir / "state/velmora"}));
  EXPECT_EQ(ReportFolders(dir / "prog", dir / "state/velmora", ::geteuid() + 1),
            std::vector<std::string>{dir / "state/velmora"});
  EXPECT_EQ(ReportFolders(dir / "gone", dir / "state/velmora", ::geteuid()),
            std::vector<std::string>{dir / "state/velmora"});
  // Choosing touches nothing: no probe beside the program, no state folder.
  EXPECT_EQ(::rmdir((dir / "prog").c_str()), 0);
  EXPECT_FALSE(Exists(dir / "state"));
  // The state folder is made private to the user when it is first needed.
  EXPECT_TRUE(MakePrivateFolders(dir / "state/velmora"));
  struct stat st;
  ASSERT_EQ(::stat((dir / "state/velmora").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(ReportLocation, SystemFoldersAreEveryPrefixTheSystemOwns) {
  for (const char* system : {"/", "/usr", "/usr/bin", "/usr/local/bin/", "/bin", "/sbin", "/lib", "/lib64",
                             "/libx32/x", "/opt", "/opt/velmora/bin", "/etc", "/etc/velmora"})
    EXPECT_TRUE(IsSystemFolder(system)) << system;
  for (const char* users : {"/home/u/velmora", "/home/u/usr/bin", "/usrx", "/optical", "/tmp/build", "/srv/lib"})
    EXPECT_FALSE(IsSystemFolder(users)) << users;
}

TEST(ReportLocation, StateFolderFollowsXdgStateHomeThenHome) {
  const char* old_state = std::getenv("XDG_STATE_HOME");
  const char* old_home = std::getenv("HOME");
  std::string saved_state = old_state ? old_state : "", saved_home = old_home ? old_home : "";
  ::setenv("XDG_STATE_HOME", "/s", 1);
  ::setenv("HOME", "/h", 1);
  EXPECT_EQ(UserStateFolder(), "/s/velmora");
  ::unsetenv("XDG_STATE_HOME");
  EXPECT_EQ(UserStateFolder(), "/h/.local/state/velmora");
  if (old_state) ::setenv("XDG_STATE_HOME", saved_state.c_str(), 1);
  if (old_home) ::setenv("HOME", saved_home.c_str(), 1);
}

}  // namespace
}  // namespace velmora::testing
