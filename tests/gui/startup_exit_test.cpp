// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the single-instance refusal, every way out, and the web links.
#include <sys/wait.h>
#include <QTextBrowser>

#include <csignal>

#include "platform/close_signals.h"
#include "platform/qt_platform.h"
#include "shell/close_requests.h"
#include "shell/user_guide.h"
#include "support/capture.h"
#include "window_fixture.h"

namespace velmora::testing {
namespace {

class StartUp : public WindowTest {
 protected:
  // Shown, built without a web site: a guide of `html` instead.
  FrmMain& OpenWithOnlyAGuide(const std::string& html) {
    env.addresses = {};
    env.guide = dir / "guide.html";
    WriteText(env.guide, html);
    return OpenShown();
  }
  // Paths a second copy hands over, as its message arrives.
  void HandOver(const Strings& paths) {
    fakes.hand_over.Deliver(paths);
    QApplication::processEvents();
  }
};

TEST_F(StartUp, OptionsPageWithItsDefaults) {
  FrmMain& w = Open();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_FALSE(Control(w, "cmdNext")->isEnabled());
  EXPECT_FALSE(Control(w, "cmdRemove")->isEnabled());
  EXPECT_EQ(Control<QComboBox>(w, "cboOverwriteNoOfTimes")->currentText(), "3");
  EXPECT_EQ(Control<QComboBox>(w, "cboOverwriteWith")->currentText(), "Ones and Zeros");
  EXPECT_FALSE(Control<QRadioButton>(w, "OptFile")->isChecked());
  EXPECT_FALSE(Control<QRadioButton>(w, "OptFolder")->isChecked());
  EXPECT_EQ(Control<QTreeWidget>(w, "ListFiles")->topLevelItemCount(), 0);
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_TRUE(fakes.shell.addresses.empty());
}

TEST_F(StartUp, QtsOwnTextsSpeakTheUsersLanguageOursStayAsDesigned) {
  ASSERT_TRUE(InstallQtTranslations(*qApp, QLocale(QLocale::German, QLocale::Germany)))
      << "Qt's German translation is missing (qt6-translations-l10n)";
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Ja");
  FrmMain& w = Open();
  EXPECT_EQ(Text(w, "cmdExit"), "&Exit");
  EXPECT_EQ(Text(w, "OptFile"), "Shred File(s)");
  EXPECT_EQ(Control<QComboBox>(w, "cboOverwriteWith")->currentText(), "Ones and Zeros");
  EXPECT_EQ(Text(w, "mnuAbout"), "&About Software");
  EXPECT_EQ(Control<QTreeWidget>(w, "NoExtension")->headerItem()->text(0), "Files");
  RemoveTranslators();
}

TEST_F(StartUp, SecondCopyIsRefusedWithoutTouchingTheFirstCopysReport) {
  SettingsRecord record(fakes.settings, kReportIdentityKey);
  ReportKeeper running_copy({env.program.folder, env.state_folder}, record);
  ASSERT_TRUE(running_copy.Write("the running copy's report"));
  fakes.instance.other_copy_running = true;
  FrmMain& w = Open();
  EXPECT_FALSE(loaded);
  EXPECT_EQ(fakes.dialogs.messages, Messages{Refusal("Velmora Is Already Running")});
  w.close();
  EXPECT_EQ(ReadText(report_path), "the running copy's report");
  EXPECT_TRUE(fakes.shell.addresses.empty());
}

TEST_F(StartUp, ReportLeftByAKilledSessionIsShreddedAtTheNextStart) {
  SettingsRecord record(fakes.settings, kReportIdentityKey);
  ReportKeeper killed_session({env.program.folder, env.state_folder}, record);
  const std::string report = "Velmora\r\n...\r\n" + (dir / "secret.pdf") + "\r\n";
  ASSERT_TRUE(killed_session.Write(report));
  CaptureRemovals capture;
  Open();
  ASSERT_TRUE(loaded);
  EXPECT_FALSE(Exists(report_path));
  ASSERT_EQ(capture.removed_files.size(), 1u);
  EXPECT_EQ(capture.removed_files[0], ExpectedCover(0, report.size(), FsBlock(dir.path())));
}

class WayOut : public WindowTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void LeaveBy(FrmMain& w) {
    const std::string way = GetParam();
    if (way.starts_with("cmd")) Control(w, GetParam())->click();
    if (way == "mnuExit") Control<QAction>(w, "mnuExit")->trigger();
    if (way == "closeBox") w.close();
  }
};

TEST_P(WayOut, DeletesTheReportAndOpensTheFarewellPageOnce) {
  FrmMain& w = OpenShown();
  ShredAFile(w);
  const std::size_t report_size = ReadFile(report_path).size();
  CaptureRemovals capture;
  LeaveBy(w);
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(Exists(report_path));
  // Overwritten before its name went.
  ASSERT_EQ(capture.removed_files.size(), 1u);
  EXPECT_EQ(capture.removed_files[0], ExpectedCover(0, report_size, FsBlock(dir.path())));
  EXPECT_EQ(fakes.shell.addresses, Strings{"https://home.test/thanks"});
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_EQ(fakes.instance.releases, 1);
  w.close();  // a second close of a closed window opens nothing more
  EXPECT_EQ(fakes.shell.addresses.size(), 1u);
  EXPECT_EQ(fakes.instance.releases, 1);
}

TEST_P(WayOut, LeavesTheUsersOwnNoteBesideTheProgramAlone) {
  WriteText(report_path, "my own notes");
  FrmMain& w = OpenShown();
  ShredAFile(w);
  EXPECT_TRUE(Exists(state_report_path));
  LeaveBy(w);
  EXPECT_EQ(ReadText(report_path), "my own notes");
  EXPECT_FALSE(Exists(state_report_path));
  // Nor at the next start.
  window.reset();
  Open();
  EXPECT_EQ(ReadText(report_path), "my own notes");
}

INSTANTIATE_TEST_SUITE_P(EveryExit, WayOut,
                         ::testing::Values("cmdExit", "cmdEx", "cmdFinish", "mnuExit", "cmdExt", "closeBox"));

// kill, Ctrl+C and a closed terminal, through the real handlers.
class SignalClose : public WindowTest, public ::testing::WithParamInterface<int> {
 protected:
  FrmMain& OpenWithSignals() {
    FrmMain& w = OpenShown();
    ConnectCloseRequests(*qApp, w, signals_);
    EXPECT_TRUE(signals_.active());
    return w;
  }
  CloseSignals signals_;
};

TEST_P(SignalClose, OnTheResultPageRunsTheCloseStepOnce) {
  WriteFile(dir / "f", RandomBytes(100, 1));
  FrmMain& w = OpenWithSignals();
  ChooseMode(w, false);
  AddFiles(w, {dir / "f"});
  ShredNow(w);
  ASSERT_TRUE(Exists(report_path));
  ASSERT_EQ(::raise(GetParam()), 0);
  WaitUntil([&] { return !w.isVisible(); });
  EXPECT_FALSE(Exists(report_path));
  EXPECT_EQ(fakes.shell.addresses, Strings{"https://home.test/thanks"});
  EXPECT_EQ(fakes.instance.releases, 1);
  EXPECT_FALSE(fakes.instance.held);
  // A second signal, and the quit that follows, do nothing more.
  ASSERT_EQ(::raise(SIGTERM), 0);
  QTest::qWait(0);
  QCoreApplication::processEvents();
  w.AboutToQuit();
  EXPECT_EQ(fakes.shell.addresses.size(), 1u);
  EXPECT_EQ(fakes.instance.releases, 1);
}

INSTANTIATE_TEST_SUITE_P(TermIntHup, SignalClose, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

// kill (SIGTERM) or the close box (0) in the middle of a run.
using SignalOrCloseBoxMidRun = SignalClose;

TEST_P(SignalOrCloseBoxMidRun, StopsAfterTheFileInHandThenCloses) {
  FrmMain& w = OpenWithSignals();
  ChooseMode(w, false);
  ListThreeFiles(w);
  HeldRun run(w, dir / "a");
  ASSERT_TRUE(Exists(report_path));
  ShredProgressDialog* dialog = ShowProgress(w);
  ASSERT_NE(dialog, nullptr);
  if (GetParam() != 0)
    ASSERT_EQ(::raise(GetParam()), 0);
  else
    w.close();
  // It acts as Stop; nothing closes under the file in hand.
  WaitUntil([&] { return !dialog->stopButton()->isEnabled(); });
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(fakes.shell.addresses.empty());
  run.hold.Release();
  WaitUntil([&] { return !w.isVisible(); });
  EXPECT_FALSE(Exists(dir / "a"));
  EXPECT_EQ(ReadFile(dir / "b"), RandomBytes(4000, 'b'));
  EXPECT_EQ(ReadFile(dir / "c"), RandomBytes(4000, 'c'));
  EXPECT_FALSE(Exists(report_path));
  EXPECT_EQ(fakes.shell.addresses, Strings{"https://home.test/thanks"});
  EXPECT_EQ(fakes.instance.releases, 1);
  // No box holds up the way out.
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(TermOrCloseBox, SignalOrCloseBoxMidRun, ::testing::Values(SIGTERM, 0));

TEST_F(StartUp, SignalWhileTheReminderAsksEndsTheStartWithoutTheWindow) {
  fakes.settings.values["LastUpdate"] = fakes.clock.today.addDays(-20).toString(Qt::ISODate);
  fakes.dialogs.while_shown = [this] { window->CloseRequested(); };
  window = std::make_unique<FrmMain>(fakes.platform(), env);
  EXPECT_FALSE(window->StartUp());
  EXPECT_EQ(fakes.dialogs.messages.size(), 1u);
  EXPECT_EQ(fakes.shell.addresses, Strings{"https://home.test/thanks"});
  EXPECT_EQ(fakes.instance.releases, 1);
}

TEST_F(StartUp, QuitInTheMiddleOfARunWaitsForItThenRunsTheCloseStep) {
  FrmMain& w = OpenAtList(false, /*shown=*/true);
  ListThreeFiles(w);
  HeldRun run(w, dir / "a");
  // No event loop runs after quit: the run's end is waited for right there.
  run.hold.Release();
  w.AboutToQuit();
  EXPECT_FALSE(w.Running());
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(Exists(dir / "a"));
  // Where the stop found the run, a file is either gone or as it was.
  for (std::string name : {"b", "c"})
    EXPECT_TRUE(!Exists(dir / name) || ReadFile(dir / name) == RandomBytes(4000, name[0]));
  EXPECT_FALSE(Exists(report_path));
  EXPECT_EQ(fakes.shell.addresses, Strings{"https://home.test/thanks"});
  EXPECT_EQ(fakes.instance.releases, 1);
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  QCoreApplication::processEvents();  // the worker's own end, queued, changes nothing
  EXPECT_EQ(fakes.shell.addresses.size(), 1u);
}

TEST_F(StartUp, EndOfSessionOnlyRemovesTheReport) {
  FrmMain& w = OpenShown();
  ShredAFile(w);
  ASSERT_TRUE(Exists(report_path));
  w.SessionCommitting();
  EXPECT_FALSE(Exists(report_path));
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(fakes.shell.addresses.empty());
  EXPECT_EQ(fakes.instance.releases, 0);
  w.AboutToQuit();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(fakes.shell.addresses, Strings{"https://home.test/thanks"});
  EXPECT_EQ(fakes.instance.releases, 1);
}

TEST_F(StartUp, MenuExitWithoutAReportShowsNothing) {
  FrmMain& w = OpenShown();
  Control<QAction>(w, "mnuExit")->trigger();
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_EQ(fakes.shell.addresses, Strings{"https://home.test/thanks"});
}

TEST_F(StartUp, HelpLinksOpenTheirAddressesAndLeaveThePageInFront) {
  FrmMain& w = Open();
  Control<QAction>(w, "mnuOnline")->trigger();
  Control<QAction>(w, "mnuVisit")->trigger();
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  Control<QAction>(w, "mnuAbout")->trigger();
  w.show();
  QTest::mouseClick(Control<LinkLabel>(w, "Label14"), Qt::LeftButton);
  QTest::mouseClick(Control<LinkLabel>(w, "Label15"), Qt::LeftButton);
  EXPECT_EQ(w.FrontPage(), Page::About);
  EXPECT_EQ(fakes.shell.addresses, (Strings{"https://home.test/features", "https://home.test/", "https://home.test/",
                                            "https://home.test/contact"}));
}

TEST_F(StartUp, EmptyAddressOpensNothing) {
  env.addresses.features.clear();
  FrmMain& w = Open();
  Control<QAction>(w, "mnuOnline")->trigger();
  EXPECT_TRUE(fakes.shell.addresses.empty());
  EXPECT_EQ(w.FrontPage(), Page::Selection);
}

// A build configured without a web site: the farewell opens nothing, the
// Help items open the user guide, the about page shows no dead links.
TEST_F(StartUp, WithoutAddressesHelpOpensTheGuideAndTheCloseOpensNothing) {
  FrmMain& w = OpenWithOnlyAGuide("<html><body><h1>The guide</h1></body></html>");
  Control<QAction>(w, "mnuOnline")->trigger();
  Control<QAction>(w, "mnuVisit")->trigger();
  EXPECT_EQ(fakes.shell.files, (Strings{env.guide, env.guide}));
  Control<QAction>(w, "mnuAbout")->trigger();
  EXPECT_FALSE(Control<LinkLabel>(w, "Label14")->isVisible());
  EXPECT_FALSE(Control<LinkLabel>(w, "Label15")->isVisible());
  Control<QAction>(w, "mnuExit")->trigger();
  EXPECT_FALSE(w.isVisible());
  EXPECT_TRUE(fakes.shell.addresses.empty());
}

// No browser took the guide, or no guide file is installed: the program
// shows it itself.
TEST_F(StartUp, GuideNobodyCanOpenIsShownInAWindowOfItsOwn) {
  fakes.shell.file_fails = true;
  FrmMain& w = OpenWithOnlyAGuide("<html><body><h1>The guide on disk</h1></body></html>");
  Control<QAction>(w, "mnuOnline")->trigger();
  auto* shown = w.findChild<QWidget*>("GuideWindow");
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(shown->isVisible());
  EXPECT_TRUE(shown->findChild<QTextBrowser*>("GuideText")->toPlainText().contains("The guide on disk"));
  // Over the window (up to the width of a window frame), not in a corner.
  EXPECT_LE((shown->geometry().center() - w.geometry().center()).manhattanLength(), 8);
  QPointer<QWidget> guide = shown;
  QTest::keyClick(shown->findChild<QTextBrowser*>("GuideText"), Qt::Key_Escape);
  EXPECT_TRUE(guide.isNull() || !guide->isVisible()) << "Esc closes it";

  env.guide.clear();  // left out of the installation: the built-in copy
  fakes.shell.files.clear();
  FrmMain other(fakes.platform(), env);
  Control<QAction>(other, "mnuVisit")->trigger();
  EXPECT_TRUE(fakes.shell.files.empty());
  auto* built_in = other.findChild<QWidget*>("GuideWindow");
  ASSERT_NE(built_in, nullptr);
  EXPECT_TRUE(built_in->findChild<QTextBrowser*>("GuideText")->toPlainText().contains("What file-level shredding cannot promise"));
}

// An installed program finds the guide under its own prefix; one run from a
// build tree finds the source's copy.
TEST(UserGuide, InstalledBesideThePrefixOrTheSourcesCopy) {
  TempDir dir;
  MakeDirs({dir / "usr", dir / "usr/bin"});
  EXPECT_EQ(UserGuidePath(dir / "usr/bin"), "") << "not installed: the copy built in";
  MakeDirs({dir / "usr/share", dir / "usr/share/doc", dir / "usr/share/doc/velmora"});
  WriteText(dir / "usr/share/doc/velmora/guide.html", "<html></html>");
  EXPECT_EQ(UserGuidePath(dir / "usr/bin"), dir / "usr/share/doc/velmora/guide.html");
  const std::string from_build_tree = UserGuidePath(dir / "build/app");
  EXPECT_EQ(from_build_tree.substr(from_build_tree.size() - std::string("/docs/guide.html").size()), "/docs/guide.html");
  EXPECT_TRUE(Exists(from_build_tree));
}

// ---- Paths handed from a second copy --------------------------------------

TEST_F(StartUp, SecondCopyWithPathsHandsThemOverAndEndsWithoutABox) {
  fakes.instance.other_copy_running = true;
  window = std::make_unique<FrmMain>(fakes.platform(), env);
  EXPECT_FALSE(window->StartUp({"/home/u/a.txt", "/home/u/b c"}));
  EXPECT_EQ(fakes.hand_over.sent, (std::vector<Strings>{{"/home/u/a.txt", "/home/u/b c"}}));
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_FALSE(fakes.hand_over.listening) << "only the copy holding the lock listens";

  // A running copy that does not take them: the "Velmora Is Already Running" box, naming them.
  fakes.hand_over.running_copy_takes = false;
  window = std::make_unique<FrmMain>(fakes.platform(), env);
  EXPECT_FALSE(window->StartUp({"/home/u/a.txt", "/home/u/b c"}));
  // Without paths nothing is handed over.
  window = std::make_unique<FrmMain>(fakes.platform(), env);
  EXPECT_FALSE(window->StartUp());
  EXPECT_EQ(fakes.hand_over.sent.size(), 2u);
  const ShownMessage running = Refusal("Velmora Is Already Running");
  ShownMessage unsent = running;
  unsent.text += "\n\n/home/u/a.txt (could not be handed to the running Velmora)\n/home/u/b c (could not be "
                 "handed to the running Velmora)";
  EXPECT_EQ(fakes.dialogs.messages, (Messages{unsent, running}));
}

// A copy that could make no lock does not know it is alone: it must not
// take over (and so remove) the socket of a copy that may be running.
TEST_F(StartUp, WithoutTheLockNoHandOverIsTakenOver) {
  fakes.instance.cannot_lock = true;
  Open();
  EXPECT_TRUE(loaded);
  EXPECT_FALSE(fakes.hand_over.listening);
}

TEST_F(StartUp, RunningCopyTakesHandedPathsAsTheCommandLineOrAsADrop) {
  MakeDirs({dir / "docs", dir / "tree"});
  WriteText(dir / "docs/a.txt", "a");
  WriteText(dir / "docs/b.txt", "b");
  FrmMain& w = Open();
  ASSERT_TRUE(fakes.hand_over.listening);
  w.show();
  // Options page: the mode comes from the paths, the list page is shown.
  HandOver({dir / "tree"});
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_TRUE(Control<QRadioButton>(w, "OptFolder")->isChecked());
  EXPECT_EQ(Listed(w), Strings{dir / "tree"});
  // List page, also under the about page: taken as a drop, in the mode
  // already chosen, with the same box.
  Control<QAction>(w, "mnuAbout")->trigger();
  HandOver({dir / "docs/a.txt", dir / "docs"});
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_EQ(Listed(w), (Strings{dir / "tree", dir / "docs"}));
  EXPECT_EQ(fakes.dialogs.messages, Messages{Warning("These could not be put on the shred list:\n" +
                                                     (dir / "docs/a.txt") + " (a file: choose Shred File(s))")});
  // Any other page: as the command line.
  Control(w, "cmdBack")->click();
  Control<QAction>(w, "mnuAbout")->trigger();
  HandOver({dir / "docs/a.txt", dir / "docs/b.txt"});
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_TRUE(Control<QRadioButton>(w, "OptFile")->isChecked());
  EXPECT_EQ(Listed(w), (Strings{dir / "docs/a.txt", dir / "docs/b.txt"}));
  EXPECT_TRUE(Control(w, "cmdRemove")->isEnabled());
  // Closing stops the hand-over before the lock goes.
  w.close();
  EXPECT_FALSE(fakes.hand_over.listening);
  EXPECT_EQ(fakes.instance.releases, 1);
}

TEST_F(StartUp, HandedPathsWaitForAnOpenBoxAndForARun) {
  WriteText(dir / "a.txt", "a");
  WriteText(dir / "b.txt", "b");
  FrmMain& w = OpenAtList(false, /*shown=*/true);
  // Delivered while a box of the window is open: nothing changes under it.
  std::size_t listed_while_shown = 99;
  bool delivered = false;
  fakes.dialogs.while_shown = [&] {
    if (std::exchange(delivered, true)) return;
    HandOver({dir / "a.txt"});
    listed_while_shown = w.shredList().size();
  };
  AddFiles(w, {dir / "prog/velmora"});  // refused with a box
  EXPECT_EQ(listed_while_shown, 0u);
  QApplication::processEvents();
  EXPECT_EQ(Listed(w), Strings{dir / "a.txt"});

  // Delivered during a run: taken once the run has ended, on the result page
  // as the command line would.
  HeldRun run(w, dir / "a.txt");
  HandOver({dir / "b.txt"});
  EXPECT_TRUE(w.Running());
  EXPECT_EQ(Listed(w), Strings{dir / "a.txt"});
  run.End();
  QApplication::processEvents();
  EXPECT_FALSE(Exists(dir / "a.txt"));
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_EQ(Listed(w), Strings{dir / "b.txt"});
  EXPECT_TRUE(Exists(dir / "b.txt"));
}

// The real lock, with real processes.
class InstanceLock : public InTempDir {
 protected:
  const QString path = QString::fromStdString(dir / "velmora.lock");
};

TEST_F(InstanceLock, SecondHolderIsRefusedWhileTheFirstLives) {
  QtInstanceLock first(path);
  ASSERT_TRUE(first.TryAcquire());
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  pid_t child = ::fork();
  if (child == 0) {
    QtInstanceLock second(path);
    char verdict = second.TryAcquire() ? 'y' : 'n';
    [[maybe_unused]] auto n = ::write(pipe_fds[1], &verdict, 1);
    ::_exit(0);
  }
  char verdict = '?';
  ASSERT_EQ(::read(pipe_fds[0], &verdict, 1), 1);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(verdict, 'n');
}

TEST_F(InstanceLock, ReleasedLockLetsTheNextCopyStart) {
  QtInstanceLock first(path);
  ASSERT_TRUE(first.TryAcquire());
  first.Release();
  EXPECT_FALSE(Exists(dir / "velmora.lock"));
  QtInstanceLock next(path);
  EXPECT_TRUE(next.TryAcquire());
}

TEST_F(InstanceLock, LockLeftByADeadProcessDoesNotBlockAStart) {
  pid_t child = ::fork();
  if (child == 0) {
    QtInstanceLock crashed(path);
    crashed.TryAcquire();
    ::_exit(0);  // dies holding the lock: no unlock runs
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(Exists(dir / "velmora.lock"));
  QtInstanceLock next(path);
  EXPECT_TRUE(next.TryAcquire());
}

}  // namespace
}  // namespace velmora::testing
