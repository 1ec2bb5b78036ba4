// SPDX-License-Identifier: GPL-3.0-or-later
// Paths handed in from the command line or a drop: made absolute, looked at
// without following links, sorted into what the add rules get and what the
// user is told could not be listed.
#include "shredlist/given_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace velmora::testing {
namespace {

using namespace std::string_literals;

struct AbsoluteRow {
  const char* given;
  const char* cwd;
  const char* expected;
};

class AbsolutePathText : public ::testing::TestWithParam<AbsoluteRow> {};

TEST_P(AbsolutePathText, IsMadeAbsoluteWithoutTrailingSlashOrEmptySteps) {
  EXPECT_EQ(AbsolutePath(GetParam().given, GetParam().cwd), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AbsolutePathText,
    ::testing::Values(AbsoluteRow{"a.txt", "/home/u", "/home/u/a.txt"},
                      AbsoluteRow{"docs/", "/home/u", "/home/u/docs"},
                      AbsoluteRow{"docs///", "/home/u", "/home/u/docs"},
                      AbsoluteRow{"/srv//data/./x", "/home/u", "/srv/data/x"},
                      AbsoluteRow{"./a b", "/home/u", "/home/u/a b"},
                      AbsoluteRow{".", "/home/u", "/home/u"},
                      AbsoluteRow{"/", "/home/u", "/"},
                      AbsoluteRow{"///", "/home/u", "/"},
                      AbsoluteRow{"x", "/", "/x"},
                      // Without a working folder a relative path stays as it is.
                      AbsoluteRow{"a.txt", "", "a.txt"},
                      AbsoluteRow{"", "/home/u", ""}));

// "link/.." is the folder above the link's target, not the folder holding
// the link: text alone cannot take a ".." out.
TEST(AbsolutePath, DotDotIsResolvedOnDiskThroughLinks) {
  TempDir dir;
  MakeDirs({dir / "real", dir / "real/inner", dir / "other"});
  ASSERT_EQ(::symlink((dir / "real/inner").c_str(), (dir / "other/link").c_str()), 0);
  char* real_dir = ::realpath(dir.path().c_str(), nullptr);
  const std::string base = real_dir;
  std::free(real_dir);
  EXPECT_EQ(AbsolutePath(dir / "other/link/../x.txt", "/"), base + "/real/x.txt");
  EXPECT_EQ(AbsolutePath(dir / "other/link/..", "/"), base + "/real");
  EXPECT_EQ(AbsolutePath("../..", dir / "real/inner"), base);
  // The last step itself is never followed.
  EXPECT_EQ(AbsolutePath(dir / "real/../other/link", "/"), base + "/other/link");
  // A ".." under a folder that does not exist stays, and names nothing.
  const std::string unresolved = AbsolutePath(dir / "gone/../x", "/");
  EXPECT_EQ(unresolved, dir / "gone/../x");
  EXPECT_EQ(KindOf(unresolved), PathKind::Missing);
}

TEST(KindOf, LooksWithoutFollowingLinks) {
  TempDir dir;
  MakeDir(dir / "folder");
  WriteText(dir / "file", "x");
  ASSERT_EQ(::symlink((dir / "folder").c_str(), (dir / "link-to-folder").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (dir / "dangling").c_str()), 0);
  EXPECT_EQ(KindOf(dir / "folder"), PathKind::Folder);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(KindOf(dir / "file"), PathKind::File);
  EXPECT_EQ(KindOf(dir / "link-to-folder"), PathKind::Link);
  EXPECT_EQ(KindOf(dir / "dangling"), PathKind::Link);
  EXPECT_EQ(KindOf(dir / "fifo"), PathKind::Special);
  EXPECT_EQ(KindOf("/dev/null"), PathKind::Special);
  EXPECT_EQ(KindOf(dir / "missing"), PathKind::Missing);
  // A NUL would cut the path short: the file before it must not be taken.
  EXPECT_EQ(KindOf(dir / "file\0tail"s), PathKind::Missing);
  EXPECT_EQ(KindOf("relative"), PathKind::Missing);
  // A ".." left in (it could not be resolved) is not looked through.
  EXPECT_EQ(KindOf(dir / "folder/../file"), PathKind::Missing);
  EXPECT_EQ(KindOf(""), PathKind::Missing);
}

TEST(PlanIntake, ModeDecidesWhatIsListedEachRefusalHasItsReasonAndTheOrderIsKept) {
  TempDir dir;
  MakeDirs({dir / "f1", dir / "f2"});
  WriteText(dir / "a", "x");
  WriteText(dir / "b", "x");
  ASSERT_EQ(::symlink((dir / "f1").c_str(), (dir / "to-f1").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  const auto paths = LookAtPaths({"a", "f1", "gone", "b/", "f2", "to-f1", "fifo"}, dir.path());
  EXPECT_FALSE(AllFolders(paths));
  using R = IntakeRefusal;
  const IntakePlan files = PlanIntake(paths, false);
  EXPECT_EQ(files.add, (std::vector<std::string>{dir / "a", dir / "b"}));
  EXPECT_EQ(files.unlisted, (std::vector<UnlistedPath>{{dir / "f1", R::Folder},
                                                       {dir / "gone", R::Missing},
                                                       {dir / "f2", R::Folder},
                                                       {dir / "to-f1", R::Link},
                                                       {dir / "fifo", R::NotRegularFile}}));
  const IntakePlan folders = PlanIntake(paths, true);
  EXPECT_EQ(folders.add, (std::vector<std::string>{dir / "f1", dir / "f2"}));
  // A link to a folder is a link in folder mode too: it is never followed.
  EXPECT_EQ(folders.unlisted, (std::vector<UnlistedPath>{{dir / "a", R::File},
                                                         {dir / "gone", R::Missing},
                                                         {dir / "b", R::File},
                                                         {dir / "to-f1", R::Link},
                                                         {dir / "fifo", R::NotRegularFile}}));

  EXPECT_TRUE(AllFolders(LookAtPaths({"f1", "f2/"}, dir.path())));
  EXPECT_FALSE(AllFolders({}));
}

}  // namespace
}  // namespace velmora::testing
