// Paths handed in from the command line: the
// same add rules, messages and list as single choices in the choosers, and
// one box for what could not be listed.
#include "shell/path_intake.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using testing::Exists;
using testing::MakeDir;
using testing::WindowTest;
using testing::WriteText;

ShownMessage Unlisted(const std::vector<std::string>& paths) {
  std::string text = "These could not be put on the shred list:";
  for (const std::string& path : paths) text += "\n" + path;
  return {text, "Velmora", MessageIcon::Exclamation, MessageButtons::Ok};
}

ShownMessage Refusal(const std::string& text) { return {text, "Velmora", MessageIcon::Critical, MessageButtons::Ok}; }

class GivenPaths : public WindowTest {
 protected:
  GivenPaths() {
    MakeDir(dir / "docs");
    MakeDir(dir / "tree");
    MakeDir(dir / "tree2");
    WriteText(dir / "docs/a.txt", "a");
    WriteText(dir / "docs/b.txt", "b");
  }
  FrmMain& StartWith(const std::vector<std::string>& paths, const std::string& cwd = "/") {
    FrmMain& w = Open();
    OpenListWithPaths(w, fakes.dialogs, paths, cwd);
    return w;
  }
};

TEST_F(GivenPaths, TwoFilesOpenTheListPageInFileModeAndShredNothingYet) {
  FrmMain& w = StartWith({"docs/a.txt", dir / "docs/b.txt"}, dir.path());
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_TRUE(w.OptFile->isChecked());
  EXPECT_EQ(w.Label3->text(), "Select Files to Shred:");
  EXPECT_FALSE(w.options().FolderMode);
  EXPECT_EQ(w.options().OverwriteNoOfTimes, 3);
  // Single choices: the full path is what the user sees.
  EXPECT_EQ(Texts(w.NoExtension), (std::vector<std::string>{dir / "docs/a.txt", dir / "docs/b.txt"}));
  EXPECT_EQ(Texts(w.ListFiles), Texts(w.NoExtension));
  EXPECT_TRUE(w.cmdRemove->isEnabled());
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_TRUE(fakes.dialogs.file_titles.empty()) << "no chooser is shown";
  EXPECT_TRUE(Exists(dir / "docs/a.txt"));
  EXPECT_FALSE(Exists(env.report_path));
}

TEST_F(GivenPaths, FoldersOnlyOpenFolderModeAndTheLastIsTheFolderToShred) {
  FrmMain& w = StartWith({dir / "tree/", dir / "tree2"});
  EXPECT_TRUE(w.OptFolder->isChecked());
  EXPECT_EQ(w.Label3->text(), "Select a Folder to Shred:");
  EXPECT_TRUE(w.options().FolderMode);
  EXPECT_EQ(Texts(w.ListFiles), (std::vector<std::string>{dir / "tree", dir / "tree2"}));
  EXPECT_EQ(w.options().FolderToShred, dir / "tree2");
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

TEST_F(GivenPaths, FoldersAmongFilesAndMissingPathsAreNamedInOneBoxAfterTheRest) {
  FrmMain& w = StartWith({"tree", "docs/a.txt", "nothing-here", "docs/b.txt"}, dir.path());
  EXPECT_TRUE(w.OptFile->isChecked());
  EXPECT_EQ(Texts(w.ListFiles), (std::vector<std::string>{dir / "docs/a.txt", dir / "docs/b.txt"}));
  EXPECT_EQ(fakes.dialogs.messages, std::vector<ShownMessage>{Unlisted({dir / "tree", dir / "nothing-here"})});
  EXPECT_TRUE(w.cmdRemove->isEnabled());
}

TEST_F(GivenPaths, NothingThatExistsStillOpensFileModeWithAnEmptyList) {
  FrmMain& w = StartWith({dir / "gone"});
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_TRUE(w.OptFile->isChecked());
  EXPECT_EQ(w.ListFiles->topLevelItemCount(), 0);
  EXPECT_FALSE(w.cmdRemove->isEnabled());
  EXPECT_EQ(fakes.dialogs.messages, std::vector<ShownMessage>{Unlisted({dir / "gone"})});
}

TEST_F(GivenPaths, RefusalsComeAsTheyComeAndTheBoxLast) {
  // The program's own file refuses and empties the list, as a single choice
  // does; the paths after it are still added.
  WriteText(dir / "prog/velmora", "program");
  FrmMain& w = StartWith({dir / "docs/a.txt", dir / "prog/velmora", dir / "missing", dir / "docs/b.txt"});
  EXPECT_EQ(fakes.dialogs.messages, (std::vector<ShownMessage>{Refusal("Velmora Application Cannot Be Shredded"),
                                                               Unlisted({dir / "missing"})}));
  EXPECT_EQ(Texts(w.ListFiles), std::vector<std::string>{dir / "docs/b.txt"});
  EXPECT_TRUE(w.cmdRemove->isEnabled());
}

TEST_F(GivenPaths, ProtectedFoldersAreRefusedWithTheirOwnMessages) {
  FrmMain& w = StartWith({"/", dir / "prog", dir / "tree", "/usr/bin/.."});
  EXPECT_TRUE(w.OptFolder->isChecked());
  // "/usr/bin/.." is /usr itself, however it is spelled.
  EXPECT_EQ(fakes.dialogs.messages,
            (std::vector<ShownMessage>{Refusal("Only Folder Can Be Shredded"), Refusal("Velmora Cannot Be Shredded"),
                                       Refusal("Window Folder Cannot Be Shredded")}));
  EXPECT_EQ(Texts(w.ListFiles), std::vector<std::string>{dir / "tree"});
}

TEST_F(GivenPaths, NoPathsLeaveTheOptionsPageAlone) {
  FrmMain& w = StartWith({});
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_FALSE(w.OptFile->isChecked() || w.OptFolder->isChecked());
}

}  // namespace
}  // namespace velmora
