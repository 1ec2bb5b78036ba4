// SPDX-License-Identifier: GPL-3.0-or-later
#include "shred/shred_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "shred/fill_block.h"
#include "shred/run_progress.h"
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

// A host that records what the run reports, and asks it to stop once
// `stop_after` reports past the start of an item have come in.
class WatchingHost : public FixedHost {
 public:
  struct Report {
    std::uint64_t done, planned;
    std::string item;
  };
  std::vector<Report> reports;
  int stop_after = -1;  // never
  int stop_questions = 0;

  bool StopRequested() override {
    ++stop_questions;
    return stop_after >= 0 && static_cast<int>(reports.size()) >= stop_after;
  }
  void Progress(std::uint64_t done, std::uint64_t planned, const std::string& item) override {
    reports.push_back({done, planned, item});
  }
};

std::uint64_t Planned(const std::string& path, std::size_t block) {
  struct stat st;
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  std::uint64_t length = std::max<std::uint64_t>(st.st_size, block);
  return (length + st.st_blksize - 1) / st.st_blksize * st.st_blksize;
}

TEST(ShredRunProgress, FileModeReportsWithinEachFileUpToThePlannedBytes) {
  TempDir dir;
  WriteFile(dir / "big", testing::RandomBytes((3 << 20) + 5, 1));
  WriteFile(dir / "small", Bytes(10, 2));
  WriteFile(dir / "ro", Bytes(10, 3), 0444);
  const std::size_t block = FillBlockLength(200);
  const std::uint64_t big = Planned(dir / "big", block);
  const std::uint64_t total = big + Planned(dir / "small", block) + Planned(dir / "ro", block);
  WatchingHost host;
  RunShred({}, {{dir / "big", "big"}, {dir / "small", "small"}, {dir / "ro", "ro"}}, 2, dir / "note.txt", host);

  ASSERT_FALSE(host.reports.empty());
  std::vector<std::string> items;
  std::uint64_t last = 0;
  bool inside_big = false;
  for (const auto& report : host.reports) {
    EXPECT_EQ(report.planned, total);
    EXPECT_GE(report.done, last);
    last = report.done;
    if (items.empty() || items.back() != report.item) items.push_back(report.item);
    inside_big |= report.item == dir / "big" && report.done > 0 && report.done < big;
  }
  EXPECT_EQ(items, (std::vector<std::string>{dir / "big", dir / "small", dir / "ro"}));
  EXPECT_TRUE(inside_big) << "no report while the big file was written";
  // The read-only file is left, but the bar still ends full.
  EXPECT_EQ(host.reports.back().done, total);
}

TEST(ShredRunProgress, ReportsOnlyWhenTheThousandthChangesOrAnItemBeginsOrEnds) {
  WatchingHost host;
  FileRunProgress progress(host, {600000, 400000});
  progress.BeginItem(0, "a");
  for (int i = 0; i < 700000; ++i) progress.Written(1);  // more than planned
  progress.EndItem();
  progress.BeginItem(1, "b");
  for (int i = 0; i < 4000; ++i) progress.Written(100);
  progress.EndItem();
  // Each begin and end, and one report per thousandth in between.
  EXPECT_EQ(host.reports.size(), 1u + 600u + 1u + 1u + 400u + 1u);
  EXPECT_EQ(host.reports.front().done, 0u);
  EXPECT_EQ(host.reports[600].done, 600000u);  // "a" never past its share
  EXPECT_EQ(host.reports[600].item, "a");
  EXPECT_EQ(host.reports.back().done, 1000000u);
  EXPECT_EQ(host.reports.back().item, "b");
}

TEST(ShredRunStop, FileModeFinishesTheFileInHandAndLeavesTheRestUntouched) {
  TempDir dir;
  ShredList items;
  for (std::string name : {"a", "b", "c"}) {
    WriteFile(dir / name, testing::RandomBytes(5000, name[0]));
    items.push_back({dir / name, name});
  }
  WatchingHost host;
  host.stop_after = 1;  // once "a" has begun
  CaptureRemovals capture;
  ShredRunResult result = RunShred({}, items, 2, dir / "note.txt", host);
  EXPECT_EQ(result.outcomes, (std::vector<ItemOutcome>{ItemOutcome::Shredded, ItemOutcome::StoppedBeforeReached,
                                                        ItemOutcome::StoppedBeforeReached}));
  EXPECT_FALSE(Exists(dir / "a"));
  ASSERT_EQ(capture.removed_files.size(), 1u);
  EXPECT_EQ(capture.removed_files[0].size(), Planned(dir / "b", FillBlockLength(200)));  // whole step done
  EXPECT_EQ(ReadFile(dir / "b"), testing::RandomBytes(5000, 'b'));
  EXPECT_EQ(ReadFile(dir / "c"), testing::RandomBytes(5000, 'c'));
  EXPECT_NE(ReadText(dir / "note.txt").find(dir / "c"), std::string::npos);
}

TEST(ShredRunStop, FolderModeStopsAfterTheFileInHandAndKeepsTheRestInTheirFolders) {
  TempDir dir;
  MakeDir(dir / "one");
  MakeDir(dir / "one/sub");
  MakeDir(dir / "two");
  const std::vector<std::string> files = {"one/x", "one/y", "one/sub/z"};
  for (std::size_t i = 0; i < files.size(); ++i) WriteFile(dir / files[i], testing::RandomBytes(3000, 10 + i));
  WriteFile(dir / "two/w", testing::RandomBytes(3000, 20));
  ShredOptions options;
  options.FolderMode = true;
  WatchingHost host;
  host.stop_after = 2;  // the folder's start, then its first file
  ShredRunResult result = RunShred(options, {{dir / "one", dir / "one"}, {dir / "two", dir / "two"}}, 2,
                                   dir / "note.txt", host);
  EXPECT_EQ(result.outcomes,
            (std::vector<ItemOutcome>{ItemOutcome::StoppedBeforeFinished, ItemOutcome::StoppedBeforeReached}));
  EXPECT_EQ(host.reports.front().item, dir / "one");
  int gone = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!Exists(dir / files[i]))
      ++gone;
    else
      EXPECT_EQ(ReadFile(dir / files[i]), testing::RandomBytes(3000, 10 + i)) << files[i];
  }
  EXPECT_EQ(gone, 1);
  EXPECT_EQ(ReadFile(dir / "two/w"), testing::RandomBytes(3000, 20));
}

}  // namespace
}  // namespace velmora
