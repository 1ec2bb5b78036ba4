// Whole runs through the buttons: files gone, report bytes, result page.
#include "window_fixture.h"

namespace velmora {
namespace {

using testing::Bytes;
using testing::Exists;
using testing::Nul;
using testing::ReadFile;
using testing::ReadText;
using testing::WindowTest;
using testing::WriteFile;

using WindowRun = WindowTest;

TEST_F(WindowRun, FileModeTwoFilesTogetherAndOneAlone) {
  testing::MakeDir(dir / "docs");
  WriteFile(dir / "docs/a.txt", testing::RandomBytes(3000, 1));
  WriteFile(dir / "docs/b.txt", testing::RandomBytes(3000, 2));
  WriteFile(dir / "alone.bin", testing::RandomBytes(70000, 3));
  WriteFile(dir / "untouched", testing::RandomBytes(100, 4));
  FrmMain& w = OpenAtList(false);
  fakes.dialogs.file_choices = {dir / "docs" + Nul() + "a.txt" + Nul() + "b.txt", dir / "alone.bin"};
  w.cmdAdd->click();
  w.cmdAdd->click();
  ShredNow(w);

  EXPECT_EQ(w.FrontPage(), Page::Final);
  EXPECT_EQ(w.lblResultCaption->text(), "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
  EXPECT_FALSE(Exists(dir / "docs/a.txt"));
  EXPECT_FALSE(Exists(dir / "docs/b.txt"));
  EXPECT_FALSE(Exists(dir / "alone.bin"));
  EXPECT_EQ(ReadFile(dir / "untouched"), testing::RandomBytes(100, 4));
  EXPECT_EQ(w.ListFiles->topLevelItemCount(), 0);
  EXPECT_EQ(w.NoExtension->topLevelItemCount(), 0);
  EXPECT_TRUE(w.cmdRemove->isEnabled());
  EXPECT_EQ(ReadText(env.report_path),
            "Velmora\r\n07/12/2026\r\n09:41\r\n\r\nTechnique Used: Ones and Zeros\r\n"
            "Files Overwritten: 3 times\r\n\r\nFiles Have Been Shredded Are: \r\n\r\n" +
                (dir / "docs/a.txt") + "\r\n" + (dir / "docs/b.txt") + "\r\n" + (dir / "alone.bin") + "\r\n");

  w.cmdLog->click();
  EXPECT_EQ(fakes.shell.files, std::vector<std::string>{env.report_path});
}

TEST_F(WindowRun, FolderModeShredsTheTreeAndLeavesLinkTargetsAlone) {
  testing::MakeDir(dir / "outside");
  WriteFile(dir / "outside/keep", testing::RandomBytes(500, 9));
  testing::MakeDir(dir / "tree");
  testing::MakeDir(dir / "tree/sub");
  WriteFile(dir / "tree/sub/f", testing::RandomBytes(500, 5), 0444);
  ASSERT_EQ(::symlink((dir / "outside/keep").c_str(), (dir / "tree/link").c_str()), 0);
  FrmMain& w = Open();
  w.OptFolder->click();
  w.cboOverwriteWith->setCurrentIndex(1);
  w.cboOverwriteNoOfTimes->setCurrentIndex(5);
  w.cmdNext->click();
  fakes.dialogs.folder_choices = {dir / "tree"};
  w.cmdAdd->click();
  ShredNow(w);

  EXPECT_EQ(w.lblResultCaption->text(),
            "Velmora has shred the File(s)/Folder with Random Chars Technique and 10 Number of times");
  EXPECT_FALSE(Exists(dir / "tree"));
  EXPECT_EQ(ReadFile(dir / "outside/keep"), testing::RandomBytes(500, 9));
  EXPECT_EQ(ReadText(env.report_path),
            "Velmora\r\n07/12/2026\r\n09:41\r\n\r\nTechnique Used: Random Chars\r\n"
            "Files Overwritten: 10 times\r\n\r\nFiles Have Been Shredded Are: \r\n\r\n" +
                (dir / "tree") + "\r\n");
}

TEST_F(WindowRun, PassCountPositionIsReadAtTheMomentOfTheRun) {
  // The list page is reached with "3"; the engine still follows the list.
  WriteFile(dir / "f", Bytes(10, 1));
  FrmMain& w = OpenAtList(false);
  fakes.dialogs.file_choices = {dir / "f"};
  w.cmdAdd->click();
  w.cboOverwriteNoOfTimes->setCurrentIndex(0);
  ShredNow(w);
  EXPECT_FALSE(Exists(dir / "f"));
  EXPECT_EQ(w.lblResultCaption->text(), "Velmora has shred the Ones and Zeros Technique and 3 Number of times");
}

}  // namespace
}  // namespace velmora
