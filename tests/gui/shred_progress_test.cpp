// SPDX-License-Identifier: GPL-3.0-or-later
// The run on its worker thread: the dialog past 500 ms, Stop, no input and
// no second run while it goes.

#include "window_fixture.h"

namespace velmora::testing {
namespace {

class WindowWorker : public WindowTest {
 protected:
  // The list page in file mode with `names` listed, the window shown.
  FrmMain& ListFiles(const Strings& names) {
    FrmMain& w = OpenAtList(false, /*shown=*/true);
    for (std::size_t i = 0; i < names.size(); ++i) {
      WriteFile(dir / names[i], RandomBytes(5000 + 1000 * i, 30 + i));
      AddFiles(w, {dir / names[i]});
    }
    return w;
  }
  bool Untouched(const std::string& name, std::size_t i) {
    return Exists(dir / name) && ReadFile(dir / name) == RandomBytes(5000 + 1000 * i, 30 + i);
  }
};

TEST_F(WindowWorker, DialogOnlyPastTheDelayThenItFollowsTheRunAndGoesWithIt) {
  FrmMain& w = ListFiles({"a", "b"});
  HeldRun run(w, dir / "a");
  ASSERT_TRUE(w.Running());
  EXPECT_EQ(w.runProgress().dialog(), nullptr);
  EXPECT_EQ(w.FrontPage(), Page::Result);

  QPointer<ShredProgressDialog> dialog = FireDelay(w);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowModality(), Qt::NonModal);
  EXPECT_EQ(dialog->windowTitle(), "Velmora");
  EXPECT_EQ(dialog->labelText(), "Shredding a: pass 1 of 3");
  EXPECT_EQ(dialog->stopButton()->text(), "&Stop");
  EXPECT_TRUE(dialog->stopButton()->isEnabled());
  EXPECT_EQ(dialog->minimum(), 0);
  EXPECT_EQ(dialog->maximum(), 1000);
  // "a" is written whole, but waits for its sync: not on the device yet,
  // so not on the bar either.
  EXPECT_EQ(dialog->value(), 0);

  run.End();
  EXPECT_TRUE(dialog.isNull() || !dialog->isVisible());
  EXPECT_EQ(w.runProgress().dialog(), nullptr);
  EXPECT_FALSE(w.runProgress().delay().isActive());
  EXPECT_EQ(w.FrontPage(), Page::Final);
  EXPECT_FALSE(Exists(dir / "a"));
  EXPECT_FALSE(Exists(dir / "b"));
  EXPECT_TRUE(fakes.dialogs.messages.empty());

  // A run that ends before the delay leaves nothing behind to fire.
  WriteFile(dir / "c", RandomBytes(100, 3));
  ShredAgain(w, false, {dir / "c"});
  EXPECT_FALSE(w.runProgress().delay().isActive());
  EXPECT_EQ(w.runProgress().dialog(), nullptr);
}

// Folder mode: the label names the phase and counts. Each row holds the run
// at one point: a file's write, the sync before the removals, a removal.
// From the sync on Stop is off (nothing left to save in the folder); a stop
// that comes anyway (a signal) leaves the next listed folder unreached.
TEST_F(WindowWorker, FolderModeLabelNamesThePhaseAndStopIsOffOnceEveryFileIsOverwritten) {
  using Call = HoldCallOn::Call;
  struct Row {
    Call call;
    std::string path;
    std::string label;
    bool stoppable;
  } rows[] = {
      {Call::Pwrite, "album/one", "Shredding album: 0 of 1 files overwritten", true},
      {Call::Syncfs, "album", "Forcing to the disk", false},
      {Call::Unlinkat, "album/", "Every file is overwritten: removing 0 of 3 entries", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    TempDir files;
    MakeDirs({files / "album", files / "later"});
    WriteFile(files / "album/one", RandomBytes(3000, 1));
    ASSERT_EQ(::symlink("one", (files / "album/link").c_str()), 0);
    WriteFile(files / "later/two", RandomBytes(3000, 2));
    FrmMain& w = OpenAtList(true, /*shown=*/true);
    fakes.dialogs.messages.clear();
    AddFolders(w, {files / "album", files / "later"});
    HeldRun run(w, row.call, files / row.path);
    QPointer<ShredProgressDialog> dialog = FireDelay(w);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->labelText().toStdString(), row.label);
    EXPECT_EQ(dialog->stopButton()->isEnabled(), row.stoppable);
    if (row.call == Call::Pwrite) {
      // The one file is counted: a real bar, nothing on the device yet.
      EXPECT_EQ(dialog->maximum(), 1000);
      EXPECT_EQ(dialog->value(), 0);
    }
    if (row.call == Call::Unlinkat) {
      EXPECT_EQ(dialog->maximum(), 1000);
      // A stop from outside (a signal) is answered at once, and in what
      // follows: the next folder is not started.
      w.runProgress().RequestStop();
      EXPECT_EQ(dialog->labelText(), "Stopping...");
      EXPECT_FALSE(dialog->stopButton()->isEnabled());
    }
    run.End();
    EXPECT_FALSE(Exists(files / "album"));
    if (row.call == Call::Unlinkat) {
      EXPECT_EQ(ReadFile(files / "later/two"), RandomBytes(3000, 2));
      ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
      EXPECT_EQ(fakes.dialogs.messages[0].text,
                "Some items could not be shredded:\n" + (files / "later") + " (stopped before it was reached)");
    } else {
      EXPECT_FALSE(Exists(files / "later"));
      EXPECT_TRUE(fakes.dialogs.messages.empty());
    }
  }
}

// Stop in the middle of a large file, in either mode: the run ends at the
// next write, the file keeps its name, partly overwritten, and the box says
// so; what was not reached is said too.
TEST_F(WindowWorker, StopInsideALargeFileLeavesItPartlyOverwrittenAndTheBoxSaysSo) {
  for (bool folder_mode : {false, true}) {
    SCOPED_TRACE(folder_mode ? "folder mode" : "file mode");
    TempDir files;
    const std::string big = folder_mode ? files / "album/big" : files / "big";
    const std::string next = folder_mode ? files / "later" : files / "next";
    MakeDir(files / "album");
    WriteFile(big, RandomBytes(6 << 20, 7));
    if (folder_mode) {
      MakeDir(next);
      WriteFile(next + "/two", RandomBytes(3000, 2));
    } else {
      WriteFile(next, RandomBytes(3000, 2));
    }
    FrmMain& w = OpenAtList(folder_mode, /*shown=*/true);
    fakes.dialogs.messages.clear();
    if (folder_mode)
      AddFolders(w, {files / "album", next});
    else
      AddFiles(w, {big, next});
    // Held before its third chunk is written: Stop is pressed there, the
    // chunk goes through, and no other starts.
    HeldRun run(w, HoldCallOn::Call::Pwrite, big, 2 << 20);
    QPointer<ShredProgressDialog> dialog = FireDelay(w);
    ASSERT_TRUE(dialog);
    QTest::mouseClick(dialog->stopButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->labelText(), "Stopping...");
    EXPECT_FALSE(dialog->stopButton()->isEnabled());
    run.End();

    ASSERT_TRUE(Exists(big));
    const Bytes now = ReadFile(big), before = RandomBytes(6 << 20, 7);
    ASSERT_EQ(now.size(), before.size());
    const std::size_t written = 3 << 20;
    const Bytes cover(written, 0xFF);  // "3" with Ones and Zeros: its first pass
    EXPECT_TRUE(std::equal(cover.begin(), cover.end(), now.begin()));
    EXPECT_TRUE(std::equal(now.begin() + written, now.end(), before.begin() + written));
    EXPECT_EQ(w.FrontPage(), Page::Final);
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    const std::string unfinished =
        folder_mode ? "\n" + (files / "album") + " (stopped before it was finished: 1 of 1 files left)" : "";
    EXPECT_EQ(fakes.dialogs.messages[0].text, "Some items could not be shredded:" + unfinished + "\n" + big +
                                                  " (stopped part way: partly overwritten)\n" + next +
                                                  " (stopped before it was reached)");
    EXPECT_EQ(Text(w, "lblResultCaption"), "Nothing was shredded; the report names every item and says why.");
    EXPECT_FALSE(Control<QLabel>(w, "lblResultNote")->isVisibleTo(&w));
  }
}

TEST_F(WindowWorker, StopAfterTheFirstOfThreeFilesLeavesTheOthersUntouched) {
  FrmMain& w = ListFiles({"a", "b", "c"});
  HeldRun run(w, dir / "a");
  QPointer<ShredProgressDialog> dialog = FireDelay(w);
  ASSERT_TRUE(dialog);
  // Esc on the active dialog, as a window system delivers it (through the
  // dialog's shortcut), is Stop.
  QApplication::setActiveWindow(dialog);
  QTest::keyClick(dialog, Qt::Key_Escape);
  // Stop neither hides nor resets the dialog; Escape and its close box
  // do not either while the run ends. "a" is held in the sync of its first
  // pass of three: its old content is gone, so it is forced and removed
  // without the other two.
  EXPECT_FALSE(dialog->stopButton()->isEnabled());
  QTest::keyClick(dialog, Qt::Key_Escape);
  dialog->close();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->wasCanceled());
  EXPECT_EQ(dialog->labelText(), "Stopping...");
  EXPECT_TRUE(w.Running());

  run.End();
  EXPECT_TRUE(dialog.isNull() || !dialog->isVisible());
  EXPECT_FALSE(Exists(dir / "a"));
  EXPECT_TRUE(Untouched("b", 1));
  EXPECT_TRUE(Untouched("c", 2));
  EXPECT_EQ(w.FrontPage(), Page::Final);
  EXPECT_EQ(Text(w, "lblResultCaption"), "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
  EXPECT_EQ(Control<QTreeWidget>(w, "ListFiles")->topLevelItemCount(), 0);
  EXPECT_EQ(fakes.dialogs.messages,
            Messages{Warning("Some items could not be shredded:\n" + (dir / "a") +
                             " (stopped after 1 of 3 passes: removed)\n" + (dir / "b") +
                             " (stopped before it was reached)\n" + (dir / "c") + " (stopped before it was reached)")});
  // "a" went, with fewer passes than asked: not fully shredded, but not
  // "nothing was shredded" either.
  EXPECT_EQ(Text(w, "lblResultNote"), "3 of 3 items could not be shredded; the report names them and says why.");
  EXPECT_EQ(ReadText(report_path).substr(ReadText(report_path).find("Are: ")),
            "Are: \r\n\r\n\r\nFiles Not Shredded Are: \r\n" + (dir / "a") +
                " (stopped after 1 of 3 passes: removed)\r\n" + (dir / "b") + " (stopped before it was reached)\r\n" +
                (dir / "c") + " (stopped before it was reached)\r\n");
}

TEST_F(WindowWorker, NoSecondRunFromADoubleClickAndNoOtherInputDuringTheRun) {
  FrmMain& w = ListFiles({"a", "b"});
  QSignalSpy ended(&w, &FrmMain::shredRunEnded);
  HoldCallOn hold(HoldCallOn::Call::Fdatasync, dir / "a");
  QTest::mouseClick(Control(w, "cmdRemove"), Qt::LeftButton);
  hold.WaitUntilHeld();
  // The second click of a double click, by mouse and by a direct call.
  QTest::mouseDClick(Control(w, "cmdRemove"), Qt::LeftButton);
  Control(w, "cmdRemove")->click();
  // Nothing else in the window moves either.
  QTest::mouseClick(Control(w, "cmdClear"), Qt::LeftButton);
  Control(w, "cmdBack")->setFocus();
  QTest::keyClick(Control(w, "cmdBack"), Qt::Key_Space);
  QTest::keyClick(&w, Qt::Key_C, Qt::AltModifier);
  EXPECT_EQ(Listed(w).size(), 2u);
  EXPECT_EQ(w.FrontPage(), Page::Result);

  hold.Release();
  WaitUntil([&] { return !ended.isEmpty(); });
  QCoreApplication::processEvents();
  EXPECT_FALSE(w.Running());
  EXPECT_EQ(ended.count(), 1);
  EXPECT_EQ(w.FrontPage(), Page::Final);
  EXPECT_FALSE(Exists(dir / "a"));
  EXPECT_FALSE(Exists(dir / "b"));
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  // The window takes input again.
  QTest::mouseClick(Control(w, "cmdBack1"), Qt::LeftButton);
  EXPECT_EQ(w.FrontPage(), Page::Selection);
}

TEST(ProgressText, LabelNamesTheFileOrFolderAndTheBarCountsThousandths) {
  EXPECT_EQ(ProgressLabel("/home/u/Documents/tax 2025.pdf"), "Shredding tax 2025.pdf");
  EXPECT_EQ(ProgressLabel("/home/u/album"), "Shredding album");
  // Folder mode: a count while the total is unknown, "n of total" once known.
  FolderStatus status;
  status.overwritten = 2;
  status.done = 3;
  EXPECT_EQ(FolderProgressLabel("/home/u/album", status), "Shredding album: 2 files overwritten");
  status.total = 5;
  EXPECT_EQ(FolderProgressLabel("/home/u/album", status), "Shredding album: 2 of 5 files overwritten");
  status.phase = FolderPhase::Forcing;
  EXPECT_EQ(FolderProgressLabel("/home/u/album", status), "Forcing to the disk");
  status.phase = FolderPhase::Removing;
  status.total = 12;
  EXPECT_EQ(FolderProgressLabel("/home/u/album", status), "Every file is overwritten: removing 3 of 12 entries");
  EXPECT_EQ(ProgressValue(0, 0), 0);
  EXPECT_EQ(ProgressValue(1, 3), 333);
  EXPECT_EQ(ProgressValue(5, 3), 1000);
  EXPECT_EQ(ProgressValue(std::uint64_t{1} << 62, std::uint64_t{1} << 63), 500);
}

}  // namespace
}  // namespace velmora::testing
