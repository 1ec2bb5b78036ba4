#include "shred/shred_run.h"

#include <gtest/gtest.h>

#include "shred/fill_block.h"
#include "support/capture.h"
#include "support/fixed_host.h"
#include "support/temp_dir.h"

namespace velmora {
namespace {

using testing::Bytes;
using testing::CaptureRemovals;
using testing::Exists;
using testing::FixedHost;
using testing::MakeDir;
using testing::ReadFile;
using testing::ReadText;
using testing::TempDir;
using testing::WriteFile;

const char* kHeader = "Velmora\r\n07/12/2026\r\n09:41\r\n\r\n";

TEST(ShredRun, CaptionsAreExact) {
  ShredOptions options;
  EXPECT_EQ(FileModeCaption(options), "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
  options.OverwriteWith = "Random Chars";
  options.OverwriteNoOfTimes = 10;
  EXPECT_EQ(FolderModeCaption(options),
            "Velmora has shred the File(s)/Folder with Random Chars Technique and 10 Number of times");
}

TEST(ShredRun, FileModeThreeFilesReportedThenShreddedInListOrder) {
  TempDir dir;
  MakeDir(dir / "prog");
  ShredList items;
  for (std::string name : {"a", "b", "c"}) {
    WriteFile(dir / name, testing::RandomBytes(2000, name[0]));
    items.push_back({dir / name, name});
  }
  FixedHost host;
  CaptureRemovals capture;
  ShredOptions options;
  ShredRunResult result = RunShred(options, items, 2, dir / "prog/note.txt", host);
  EXPECT_EQ(result.caption, "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
  EXPECT_EQ(result.item_shredded, (std::vector<bool>{true, true, true}));
  for (std::string name : {"a", "b", "c"}) EXPECT_FALSE(Exists(dir / name));
  EXPECT_EQ(ReadText(dir / "prog/note.txt"),
            std::string(kHeader) +
                "Technique Used: Ones and Zeros\r\nFiles Overwritten: 3 times\r\n\r\n"
                "Files Have Been Shredded Are: \r\n\r\n" +
                (dir / "a") + "\r\n" + (dir / "b") + "\r\n" + (dir / "c") + "\r\n");
  EXPECT_EQ(host.calls, (std::vector<std::string>{"date", "time", "repaint"}));
  ASSERT_EQ(capture.removed_files.size(), 3u);
}

TEST(ShredRun, BareNameIsNeverShreddedInTheWorkingDirectory) {
  TempDir dir;
  TempDir cwd;
  MakeDir(dir / "sub");
  WriteFile(dir / "sub/same", Bytes(10, 1));
  WriteFile(cwd / "same", Bytes(10, 2));
  char old[4096];
  ASSERT_NE(::getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(::chdir(cwd.path().c_str()), 0);
  FixedHost host;
  RunShred({}, {{dir / "sub/same", "same"}}, 0, dir / "note.txt", host);
  ASSERT_EQ(::chdir(old), 0);
  EXPECT_FALSE(Exists(dir / "sub/same"));
  EXPECT_EQ(ReadFile(cwd / "same"), Bytes(10, 2));
}

TEST(ShredRun, UnopenableFileStaysAndTheOthersAreStillShredded) {
  TempDir dir;
  WriteFile(dir / "a", Bytes(10, 1));
  WriteFile(dir / "ro", Bytes(10, 2), 0444);
  WriteFile(dir / "c", Bytes(10, 3));
  FixedHost host;
  ShredRunResult result =
      RunShred({}, {{dir / "a", "a"}, {dir / "ro", "ro"}, {dir / "c", "c"}}, 1, dir / "note.txt", host);
  EXPECT_EQ(result.item_shredded, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(ReadFile(dir / "ro"), Bytes(10, 2));
  EXPECT_NE(ReadText(dir / "note.txt").find(dir / "ro"), std::string::npos);
}

TEST(ShredRun, FolderModeShredsEveryListedFolderInOrder) {
  TempDir dir;
  MakeDir(dir / "one");
  MakeDir(dir / "two");
  WriteFile(dir / "one/x", Bytes(100, 1));
  WriteFile(dir / "two/y", Bytes(100, 2), 0444);
  ShredOptions options;
  options.FolderMode = true;
  options.OverwriteWith = "Random Chars";
  options.OverwriteNoOfTimes = 7;
  options.FolderToShred = dir / "two";
  FixedHost host;
  CaptureRemovals capture;
  ShredRunResult result =
      RunShred(options, {{dir / "one", dir / "one"}, {dir / "two", dir / "two"}}, 4, dir / "note.txt", host);
  EXPECT_EQ(result.caption,
            "Velmora has shred the File(s)/Folder with Random Chars Technique and 7 Number of times");
  EXPECT_FALSE(Exists(dir / "one"));
  EXPECT_FALSE(Exists(dir / "two"));
  ASSERT_EQ(capture.removed_files.size(), 2u);
  Bytes block = BuildFillBlock(400);
  for (const Bytes& seen : capture.removed_files)
    EXPECT_TRUE(std::equal(block.begin(), block.end(), seen.begin()));
  EXPECT_EQ(ReadText(dir / "note.txt"),
            std::string(kHeader) +
                "Technique Used: Random Chars\r\nFiles Overwritten: 7 times\r\n\r\n"
                "Files Have Been Shredded Are: \r\n\r\n" +
                (dir / "one") + "\r\n" + (dir / "two") + "\r\n");
}

TEST(ShredRun, FolderModeWithAMissingFolderStillEndsWithTheCaption) {
  TempDir dir;
  ShredOptions options;
  options.FolderMode = true;
  FixedHost host;
  ShredRunResult result = RunShred(options, {{dir / "gone", dir / "gone"}}, 2, dir / "note.txt", host);
  EXPECT_EQ(result.item_shredded, (std::vector<bool>{false}));
  EXPECT_EQ(result.caption, FolderModeCaption(options));
}

TEST(ShredRun, ReportFailureDoesNotStopTheShred) {
  TempDir dir;
  WriteFile(dir / "a", Bytes(10, 1));
  FixedHost host;
  ShredRunResult result = RunShred({}, {{dir / "a", "a"}}, 2, dir / "no/such/note.txt", host);
  EXPECT_FALSE(result.report_written);
  EXPECT_FALSE(Exists(dir / "a"));
}

}  // namespace
}  // namespace velmora
