// SPDX-License-Identifier: GPL-3.0-or-later
// Paths handed in from the command line and dropped on the list page: the
// same add rules, messages and list as single choices in the choosers, and
// one box for what could not be listed.
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <QFile>

#include "cli/cli_shred.h"
#include "shell/outcome_box.h"
#include "shell/path_intake.h"
#include "window_fixture.h"

namespace velmora::testing {
namespace {

// Each path with its reason, as the box shows them.
using Lines = std::vector<std::pair<std::string, std::string>>;
ShownMessage Unlisted(const Lines& lines) {
  std::string text = "These could not be put on the shred list:";
  for (const auto& [path, reason] : lines) text += "\n" + path + " " + reason;
  return Warning(text);
}
const std::string kFolder = "(a folder: choose Shred Folder(s))";
const std::string kFile = "(a file: choose Shred File(s))";
const std::string kMissing = "(not found)";
const ShownMessage kProgramRefused = Refusal("Velmora Application Cannot Be Shredded");

class GivenPaths : public WindowTest {
 protected:
  GivenPaths() {
    MakeDirs({dir / "docs", dir / "tree", dir / "tree2"});
    WriteText(dir / "docs/a.txt", "a");
    WriteText(dir / "docs/b.txt", "b");
  }
  FrmMain& StartWith(const Strings& paths, const std::string& cwd = "/") {
    FrmMain& w = Open();
    OpenListWithPaths(w, fakes.dialogs, paths, cwd);
    return w;
  }
};

TEST_F(GivenPaths, TwoFilesOpenTheListPageInFileModeAndShredNothingYet) {
  FrmMain& w = StartWith({"docs/a.txt", dir / "docs/b.txt"}, dir.path());
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_TRUE(Control<QRadioButton>(w, "OptFile")->isChecked());
  EXPECT_EQ(Text(w, "Label3"), "Select Files to Shred:");
  EXPECT_FALSE(w.options().FolderMode);
  EXPECT_EQ(w.options().OverwriteNoOfTimes, 3);
  // Single choices: the full path is what the user sees.
  EXPECT_EQ(Rows(w), (Strings{dir / "docs/a.txt", dir / "docs/b.txt"}));
  EXPECT_EQ(Listed(w), Rows(w));
  EXPECT_TRUE(Control(w, "cmdRemove")->isEnabled());
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_TRUE(fakes.dialogs.file_titles.empty()) << "no chooser is shown";
  EXPECT_TRUE(Exists(dir / "docs/a.txt"));
  EXPECT_FALSE(Exists(report_path));
}

TEST_F(GivenPaths, FoldersOnlyOpenFolderModeAndTheLastIsTheFolderToShred) {
  FrmMain& w = StartWith({dir / "tree/", dir / "tree2"});
  EXPECT_TRUE(Control<QRadioButton>(w, "OptFolder")->isChecked());
  EXPECT_EQ(Text(w, "Label3"), "Select a Folder to Shred:");
  EXPECT_TRUE(w.options().FolderMode);
  EXPECT_EQ(Listed(w), (Strings{dir / "tree", dir / "tree2"}));
  EXPECT_EQ(w.options().FolderToShred, dir / "tree2");
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

TEST_F(GivenPaths, FoldersAmongFilesAndMissingPathsAreNamedInOneBoxAfterTheRest) {
  FrmMain& w = StartWith({"tree", "docs/a.txt", "nothing-here", "docs/b.txt"}, dir.path());
  EXPECT_TRUE(Control<QRadioButton>(w, "OptFile")->isChecked());
  EXPECT_EQ(Listed(w), (Strings{dir / "docs/a.txt", dir / "docs/b.txt"}));
  EXPECT_EQ(fakes.dialogs.messages, Messages{Unlisted({{dir / "tree", kFolder}, {dir / "nothing-here", kMissing}})});
  EXPECT_TRUE(Control(w, "cmdRemove")->isEnabled());
}

TEST_F(GivenPaths, NothingThatExistsStillOpensFileModeWithAnEmptyList) {
  FrmMain& w = StartWith({dir / "gone"});
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_TRUE(Control<QRadioButton>(w, "OptFile")->isChecked());
  EXPECT_EQ(Control<QTreeWidget>(w, "ListFiles")->topLevelItemCount(), 0);
  EXPECT_FALSE(Control(w, "cmdRemove")->isEnabled());
  EXPECT_EQ(fakes.dialogs.messages, Messages{Unlisted({{dir / "gone", kMissing}})});
}

TEST_F(GivenPaths, RefusalsComeAsTheyComeAndTheBoxLast) {
  // The program's own file refuses and empties the list, as a single choice
  // does; the paths after it are still added.
  WriteText(dir / "prog/velmora", "program");
  FrmMain& w = StartWith({dir / "docs/a.txt", dir / "prog/velmora", dir / "missing", dir / "docs/b.txt"});
  EXPECT_EQ(fakes.dialogs.messages, (Messages{kProgramRefused, Unlisted({{dir / "missing", kMissing}})}));
  EXPECT_EQ(Listed(w), Strings{dir / "docs/b.txt"});
  EXPECT_TRUE(Control(w, "cmdRemove")->isEnabled());
  // A refusal that leaves the list empty leaves nothing to shred.
  OpenListWithPaths(w, fakes.dialogs, {dir / "prog/velmora"}, "/");
  EXPECT_FALSE(Control(w, "cmdRemove")->isEnabled());
}

// On the result page, a hand-over the rules refuse whole changes nothing
// (page, report, "&Shred Now"); one with a path listed does what the page's
// "Back" does (its report is shredded) and opens the list page with it.
TEST_F(GivenPaths, HandOverOnTheResultPageChangesNothingUnlessAPathIsListed) {
  WriteText(dir / "prog/velmora", "program");
  FrmMain& w = StartWith({dir / "docs/a.txt"});
  ShredNow(w);
  ASSERT_EQ(w.FrontPage(), Page::Final);
  TakeHandedOverPaths(w, fakes.dialogs, {dir / "prog/velmora", dir / "missing"});
  EXPECT_EQ(fakes.dialogs.messages, (Messages{kProgramRefused, Unlisted({{dir / "missing", kMissing}})}));
  EXPECT_EQ(w.FrontPage(), Page::Final);
  EXPECT_TRUE(Exists(report_path));
  EXPECT_TRUE(Control(w, "cmdRemove")->isEnabled());
  TakeHandedOverPaths(w, fakes.dialogs, {dir / "docs/b.txt"});
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_EQ(Listed(w), Strings{dir / "docs/b.txt"});
  EXPECT_FALSE(Exists(report_path));
}

TEST_F(GivenPaths, ProtectedFoldersAreRefusedWithTheirOwnMessages) {
  FrmMain& w = StartWith({"/", dir / "prog", dir / "tree", "/usr/bin/.."});
  EXPECT_TRUE(Control<QRadioButton>(w, "OptFolder")->isChecked());
  // "/usr/bin/.." is /usr itself, however it is spelled.
  EXPECT_EQ(fakes.dialogs.messages,
            (Messages{Refusal("Only Folder Can Be Shredded"), Refusal("Velmora Cannot Be Shredded"),
                      Refusal("Window Folder Cannot Be Shredded")}));
  EXPECT_EQ(Listed(w), Strings{dir / "tree"});
}

TEST_F(GivenPaths, NoPathsLeaveTheOptionsPageAlone) {
  FrmMain& w = StartWith({});
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_FALSE(Control<QRadioButton>(w, "OptFile")->isChecked() || Control<QRadioButton>(w, "OptFolder")->isChecked());
}

// Links, FIFOs, sockets and devices can never be shredded: they are refused
// on arrival with their reasons, on the box and on standard error alike.
TEST_F(GivenPaths, EveryKindThatCannotBeListedIsRefusedAtOnceWithItsReason) {
  ASSERT_EQ(::symlink((dir / "docs/a.txt").c_str(), (dir / "link").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "tree").c_str(), (dir / "folder-link").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  ::testing::internal::CaptureStderr();
  FrmMain& w = StartWith({dir / "docs/a.txt", dir / "link", dir / "folder-link", dir / "fifo", "/dev/null",
                          dir / "tree", dir / "gone"});
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(Control<QRadioButton>(w, "OptFile")->isChecked());
  EXPECT_EQ(Listed(w), Strings{dir / "docs/a.txt"});
  const ShownMessage box = Unlisted({{dir / "link", "(a link)"},
                                     {dir / "folder-link", "(a link)"},
                                     {dir / "fifo", "(not a regular file)"},
                                     {"/dev/null", "(not a regular file)"},
                                     {dir / "tree", kFolder},
                                     {dir / "gone", kMissing}});
  EXPECT_EQ(fakes.dialogs.messages, Messages{box});
  EXPECT_EQ(err, box.text + "\n");
  // Nothing refused was touched.
  EXPECT_TRUE(Exists(dir / "fifo"));
  EXPECT_TRUE(Exists(dir / "link"));
}

TEST_F(GivenPaths, FolderModeRefusesFilesAndLinksToFolders) {
  ASSERT_EQ(::symlink((dir / "tree").c_str(), (dir / "folder-link").c_str()), 0);
  // Folder mode is chosen only when every path is a folder; a drop in folder
  // mode meets the rest.
  FrmMain& w = StartWith({dir / "tree"});
  ASSERT_TRUE(Control<QRadioButton>(w, "OptFolder")->isChecked());
  AddDroppedPaths(w, fakes.dialogs, {dir / "folder-link", dir / "docs/b.txt", dir / "tree2"});
  EXPECT_EQ(Listed(w), (Strings{dir / "tree", dir / "tree2"}));
  EXPECT_EQ(fakes.dialogs.messages,
            Messages{Unlisted({{dir / "folder-link", "(a link)"}, {dir / "docs/b.txt", kFile}})});
}

// The user guide explains every reason the program can give, so a reason
// added without its explanation fails here.
TEST(UserGuide, ExplainsEveryReasonOfBothBoxes) {
  QFile file(VELMORA_GUIDE);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::string guide = file.readAll().toStdString();
  // Past the last outcome the words fall back to a known reason.
  for (int code = 1; code < 64; ++code) {
    const QString reason = QString::fromStdString(OutcomeReason(static_cast<ItemOutcome>(code))).toHtmlEscaped();
    EXPECT_NE(guide.find("<dt>" + reason.toStdString() + "</dt>"), std::string::npos) << reason.toStdString();
  }
  for (const std::string text : {"files left)", "more (see the report)", "Files Not Shredded Are:",
                                 "items could not be shredded; the report names them and says why.",
                                 "Nothing was shredded; the report names every item and says why.",
                                 "items could not be shredded.\"", "Nothing was shredded.\""})
    EXPECT_NE(guide.find(text), std::string::npos) << text;
  for (IntakeRefusal refusal : {IntakeRefusal::Missing, IntakeRefusal::Link, IntakeRefusal::NotRegularFile,
                                IntakeRefusal::Folder, IntakeRefusal::File})
    EXPECT_NE(guide.find(IntakeReason(refusal)), std::string::npos) << IntakeReason(refusal);
  for (const std::string reason : {kFolderWithoutFolders, kFileWithFolders})
    EXPECT_NE(guide.find("<dt>" + reason + "</dt>"), std::string::npos) << reason;
}

// ---- Drops on the list page ----------------------------------------------

class Drops : public GivenPaths {
 protected:
  // A drop as the window system delivers it; true when it was accepted.
  bool Drop(FrmMain& w, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Control<QFrame>(w, "fraResult"), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Control<QFrame>(w, "fraResult"), &drop);
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << "the source must never delete what was dropped";
    QApplication::processEvents();  // the add runs after the drop is over
    return drop.isAccepted();
  }
  static QUrl File(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }
};

TEST_F(Drops, FilesDroppedInFileModeAreAddedAsSingleChoices) {
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {dir / "docs/a.txt"});
  ASSERT_TRUE(Drop(w, {File(dir / "docs/A.TXT"), File(dir / "docs/b.txt")}));
  // A.TXT does not exist: it is named, not compared as a duplicate.
  EXPECT_EQ(Rows(w), (Strings{dir / "docs/a.txt", dir / "docs/b.txt"}));
  EXPECT_EQ(fakes.dialogs.messages, Messages{Unlisted({{dir / "docs/A.TXT", kMissing}})});
  ASSERT_TRUE(Drop(w, {File(dir / "docs/b.txt")}));  // a duplicate: skipped silently
  EXPECT_EQ(Control<QTreeWidget>(w, "NoExtension")->topLevelItemCount(), 2);
  EXPECT_EQ(fakes.dialogs.messages.size(), 1u);
}

TEST_F(Drops, WrongKindForTheModeIsNamedNotAdded) {
  FrmMain& w = OpenAtList(false);
  ASSERT_TRUE(Drop(w, {File(dir / "tree")}));
  EXPECT_EQ(fakes.dialogs.messages, Messages{Unlisted({{dir / "tree", kFolder}})});
  EXPECT_EQ(Control<QTreeWidget>(w, "ListFiles")->topLevelItemCount(), 0);

  fakes.dialogs.messages.clear();
  Control(w, "cmdBack")->click();
  ChooseMode(w, true);
  ASSERT_TRUE(Drop(w, {File(dir / "docs/a.txt"), File(dir / "tree")}));
  EXPECT_EQ(Listed(w), Strings{dir / "tree"});
  EXPECT_EQ(w.options().FolderToShred, dir / "tree");
  EXPECT_EQ(fakes.dialogs.messages, Messages{Unlisted({{dir / "docs/a.txt", kFile}})});
}

TEST_F(Drops, NamesThatAreNotValidUnicodeKeepTheirBytes) {
  const std::string odd = dir / "docs/caf\xe9.txt";
  WriteText(odd, "latin-1 name");
  FrmMain& w = OpenAtList(false);
  ASSERT_TRUE(Drop(w, {QUrl::fromEncoded(QByteArray("file://") + QByteArray::fromStdString(dir / "docs/caf%E9.txt"))}));
  ASSERT_EQ(w.shredList().size(), 1u);
  EXPECT_EQ(w.shredList()[0].path, odd);
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

TEST_F(Drops, AnEncodedNulNeverReachesTheRules) {
  FrmMain& w = OpenAtList(false);
  ASSERT_TRUE(Drop(w, {QUrl::fromEncoded(QByteArray("file://") + QByteArray::fromStdString(dir / "docs/a.txt%00b"))}));
  EXPECT_TRUE(w.shredList().empty());
  ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
  EXPECT_EQ(fakes.dialogs.messages[0].icon, MessageIcon::Exclamation);
}

TEST_F(Drops, RefusedWhereNoAddCouldHappen) {
  FrmMain& w = Open();
  EXPECT_FALSE(Drop(w, {File(dir / "docs/a.txt")})) << "the list page is not in front";
  ChooseMode(w, false);
  EXPECT_FALSE(Drop(w, {QUrl("https://example.org/a.txt")}));
  EXPECT_FALSE(Drop(w, {File(dir / "docs/a.txt"), QUrl("https://example.org/b.txt")}));
  EXPECT_FALSE(Drop(w, {QUrl("file://otherhost/etc/passwd")}));
  Control(w, "cmdAdd")->setEnabled(false);  // as while a run is going on
  EXPECT_FALSE(Drop(w, {File(dir / "docs/a.txt")}));
  EXPECT_TRUE(w.shredList().empty());
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

}  // namespace
}  // namespace velmora::testing
