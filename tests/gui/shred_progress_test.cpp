// SPDX-License-Identifier: GPL-3.0-or-later
// The run on its worker thread: the dialog past 500 ms, Stop, no input and
// no second run while it goes.
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include "shell/shred_progress.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using testing::Exists;
using testing::HoldSyncOf;
using testing::ReadFile;
using testing::RandomBytes;
using testing::WindowTest;
using testing::WriteFile;

class WindowWorker : public WindowTest {
 protected:
  // The list page in file mode with `names` listed, the window shown.
  FrmMain& ListFiles(const std::vector<std::string>& names) {
    FrmMain& w = OpenAtList(false);
    w.show();
    for (std::size_t i = 0; i < names.size(); ++i) {
      WriteFile(dir / names[i], RandomBytes(5000 + 1000 * i, 30 + i));
      fakes.dialogs.file_choices = {dir / names[i]};
      w.cmdAdd->click();
    }
    return w;
  }
  bool Untouched(const std::string& name, std::size_t i) {
    return Exists(dir / name) && ReadFile(dir / name) == RandomBytes(5000 + 1000 * i, 30 + i);
  }
  // Fires the dialog's delay by hand, as if 500 ms had passed.
  ShredProgressDialog* FireDelay(FrmMain& w) {
    QTimer& delay = w.runProgress().delay();
    EXPECT_TRUE(delay.isActive());
    EXPECT_TRUE(delay.isSingleShot());
    EXPECT_EQ(delay.interval(), 500);
    delay.stop();
    QMetaObject::invokeMethod(&delay, "timeout");
    return w.runProgress().dialog();
  }
};

TEST_F(WindowWorker, DialogOnlyPastTheDelayThenItFollowsTheRunAndGoesWithIt) {
  FrmMain& w = ListFiles({"a", "b"});
  QSignalSpy ended(&w, &FrmMain::shredRunEnded);
  HoldSyncOf hold(dir / "a");
  w.cmdRemove->click();
  hold.WaitUntilHeld();
  ASSERT_TRUE(w.Running());
  EXPECT_EQ(w.runProgress().dialog(), nullptr);
  EXPECT_EQ(w.FrontPage(), Page::Result);

  QPointer<ShredProgressDialog> dialog = FireDelay(w);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
  EXPECT_EQ(dialog->windowTitle(), "Velmora");
  EXPECT_EQ(dialog->labelText(), "Shredding a");
  EXPECT_EQ(dialog->stopButton()->text(), "&Stop");
  EXPECT_TRUE(dialog->stopButton()->isEnabled());
  EXPECT_EQ(dialog->minimum(), 0);
  EXPECT_EQ(dialog->maximum(), 1000);
  // "a" is written whole (it waits for its sync): its share of the run.
  struct stat a, b;
  ASSERT_EQ(::stat((dir / "a").c_str(), &a), 0);
  ASSERT_EQ(::stat((dir / "b").c_str(), &b), 0);
  const auto share = [](const struct stat& st) {
    return (std::max<std::uint64_t>(st.st_size, 10840) + st.st_blksize - 1) / st.st_blksize * st.st_blksize;
  };
  const std::uint64_t a_share = share(a);
  EXPECT_EQ(dialog->value(), static_cast<int>(a_share * 1000 / (a_share + share(b))));

  hold.Release();
  WaitUntil([&] { return !ended.isEmpty(); });
  EXPECT_TRUE(dialog.isNull() || !dialog->isVisible());
  EXPECT_EQ(w.runProgress().dialog(), nullptr);
  EXPECT_FALSE(w.runProgress().delay().isActive());
  EXPECT_EQ(w.FrontPage(), Page::Final);
  EXPECT_FALSE(Exists(dir / "a"));
  EXPECT_FALSE(Exists(dir / "b"));
  EXPECT_TRUE(fakes.dialogs.messages.empty());

  // A run that ends before the delay leaves nothing behind to fire.
  w.cmdBack1->click();
  w.cmdNext->click();
  WriteFile(dir / "c", RandomBytes(100, 3));
  fakes.dialogs.file_choices = {dir / "c"};
  w.cmdAdd->click();
  ShredNow(w);
  EXPECT_FALSE(w.runProgress().delay().isActive());
  EXPECT_EQ(w.runProgress().dialog(), nullptr);
}

TEST_F(WindowWorker, FolderModeShowsTheListedFolderAndABusyBar) {
  testing::MakeDir(dir / "album");
  WriteFile(dir / "album/one", RandomBytes(3000, 1));
  FrmMain& w = OpenAtList(true);
  w.show();
  fakes.dialogs.folder_choices = {dir / "album"};
  w.cmdAdd->click();
  QSignalSpy ended(&w, &FrmMain::shredRunEnded);
  // The run's end reaches the window only through its event loop, so the
  // delay can be fired first, however fast the worker is.
  w.cmdRemove->click();
  ShredProgressDialog* dialog = FireDelay(w);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->labelText(), "Shredding album");
  EXPECT_EQ(dialog->minimum(), 0);
  EXPECT_EQ(dialog->maximum(), 0);
  WaitUntil([&] { return !ended.isEmpty(); });
  EXPECT_FALSE(Exists(dir / "album"));
}

TEST_F(WindowWorker, StopAfterTheFirstOfThreeFilesLeavesTheOthersUntouched) {
  FrmMain& w = ListFiles({"a", "b", "c"});
  QSignalSpy ended(&w, &FrmMain::shredRunEnded);
  HoldSyncOf hold(dir / "a");
  w.cmdRemove->click();
  hold.WaitUntilHeld();
  QPointer<ShredProgressDialog> dialog = FireDelay(w);
  ASSERT_TRUE(dialog);
  QTest::mouseClick(dialog->stopButton(), Qt::LeftButton);
  // Stop neither hides nor resets the dialog; Escape and its close box
  // do not either while the file in hand is finished.
  EXPECT_FALSE(dialog->stopButton()->isEnabled());
  QTest::keyClick(dialog, Qt::Key_Escape);
  dialog->close();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->wasCanceled());
  EXPECT_EQ(dialog->labelText(), "Shredding a");
  EXPECT_TRUE(w.Running());

  hold.Release();
  WaitUntil([&] { return !ended.isEmpty(); });
  EXPECT_TRUE(dialog.isNull() || !dialog->isVisible());
  EXPECT_FALSE(Exists(dir / "a"));
  EXPECT_TRUE(Untouched("b", 1));
  EXPECT_TRUE(Untouched("c", 2));
  EXPECT_EQ(w.FrontPage(), Page::Final);
  EXPECT_EQ(w.lblResultCaption->text(), "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
  EXPECT_EQ(w.ListFiles->topLevelItemCount(), 0);
  EXPECT_EQ(fakes.dialogs.messages,
            (std::vector<ShownMessage>{{"Some items could not be shredded:\n" + (dir / "b") +
                                            " (stopped before it was reached)\n" + (dir / "c") +
                                            " (stopped before it was reached)",
                                        "Velmora", MessageIcon::Exclamation, MessageButtons::Ok}}));
  EXPECT_EQ(testing::ReadText(report_path).substr(testing::ReadText(report_path).find("Are: ")),
            "Are: \r\n\r\n" + (dir / "a") + "\r\n" + (dir / "b") + "\r\n" + (dir / "c") + "\r\n");
}

TEST_F(WindowWorker, NoSecondRunFromADoubleClickAndNoOtherInputDuringTheRun) {
  FrmMain& w = ListFiles({"a", "b"});
  QSignalSpy ended(&w, &FrmMain::shredRunEnded);
  HoldSyncOf hold(dir / "a");
  QTest::mouseClick(w.cmdRemove, Qt::LeftButton);
  hold.WaitUntilHeld();
  // The second click of a double click, by mouse and by a direct call.
  QTest::mouseDClick(w.cmdRemove, Qt::LeftButton);
  w.cmdRemove->click();
  // Nothing else in the window moves either.
  QTest::mouseClick(w.cmdClear, Qt::LeftButton);
  w.cmdBack->setFocus();
  QTest::keyClick(w.cmdBack, Qt::Key_Space);
  QTest::keyClick(&w, Qt::Key_C, Qt::AltModifier);
  EXPECT_EQ(Texts(w.ListFiles).size(), 2u);
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
  QTest::mouseClick(w.cmdBack1, Qt::LeftButton);
  EXPECT_EQ(w.FrontPage(), Page::Selection);
}

TEST(ProgressText, LabelNamesTheFileOrFolderAndTheBarCountsThousandths) {
  EXPECT_EQ(ProgressLabel("/home/u/Documents/tax 2025.pdf"), "Shredding tax 2025.pdf");
  EXPECT_EQ(ProgressLabel("/home/u/album"), "Shredding album");
  EXPECT_EQ(ProgressValue(0, 0), 0);
  EXPECT_EQ(ProgressValue(1, 3), 333);
  EXPECT_EQ(ProgressValue(5, 3), 1000);
  EXPECT_EQ(ProgressValue(std::uint64_t{1} << 62, std::uint64_t{1} << 63), 500);
}

}  // namespace
}  // namespace velmora
