// Start-up, the single-instance refusal, every way out, and the web links.
#include <QMenuBar>
#include <QTest>
#include <QTranslator>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/qt_platform.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using testing::Exists;
using testing::WindowTest;
using StartUp = WindowTest;

TEST_F(StartUp, OptionsPageWithItsDefaults) {
  FrmMain& w = Open();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_FALSE(w.cmdNext->isEnabled());
  EXPECT_FALSE(w.cmdRemove->isEnabled());
  EXPECT_EQ(w.cboOverwriteNoOfTimes->currentText(), "3");
  EXPECT_EQ(w.cboOverwriteWith->currentText(), "Ones and Zeros");
  EXPECT_FALSE(w.OptFile->isChecked());
  EXPECT_FALSE(w.OptFolder->isChecked());
  EXPECT_EQ(w.ListFiles->topLevelItemCount(), 0);
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_TRUE(fakes.shell.addresses.empty());
}

TEST_F(StartUp, QtsOwnTextsSpeakTheUsersLanguageOursStayAsDesigned) {
  ASSERT_TRUE(InstallQtTranslations(*qApp, QLocale(QLocale::German, QLocale::Germany)))
      << "Qt's German translation is missing (qt6-translations-l10n)";
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Ja");
  FrmMain& w = Open();
  EXPECT_EQ(w.cmdExit->text(), "&Exit");
  EXPECT_EQ(w.OptFile->text(), "Shred File(s)");
  EXPECT_EQ(w.cboOverwriteWith->currentText(), "Ones and Zeros");
  EXPECT_EQ(w.mnuAbout->text(), "&About Software");
  EXPECT_EQ(w.NoExtension->headerItem()->text(0), "Files");
  for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
}

TEST_F(StartUp, SecondCopyIsRefusedWithoutTouchingTheFirstCopysReport) {
  testing::WriteText(env.report_path, "the running copy's report");
  fakes.instance.other_copy_running = true;
  FrmMain& w = Open();
  EXPECT_FALSE(loaded);
  EXPECT_EQ(fakes.dialogs.messages,
            (std::vector<ShownMessage>{{"Velmora Is Already Running", "Velmora", MessageIcon::Critical,
                                        MessageButtons::Ok}}));
  w.close();
  EXPECT_EQ(testing::ReadText(env.report_path), "the running copy's report");
  EXPECT_TRUE(fakes.shell.addresses.empty());
}

class WayOut : public WindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(WayOut, DeletesTheReportAndOpensTheFarewellPageOnce) {
  FrmMain& w = Open();
  w.show();
  testing::WriteText(env.report_path, "report");
  const std::string way = GetParam();
  if (way == "cmdExit") w.cmdExit->click();
  if (way == "cmdEx") w.cmdEx->click();
  if (way == "cmdFinish") w.cmdFinish->click();
  if (way == "mnuExit") w.mnuExit->trigger();
  if (way == "cmdExt") w.cmdExt->click();
  if (way == "closeBox") w.close();
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(Exists(env.report_path));
  EXPECT_EQ(fakes.shell.addresses, std::vector<std::string>{"https://home.test/thanks"});
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  w.close();  // a second close of a closed window opens nothing more
  EXPECT_EQ(fakes.shell.addresses.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(EveryExit, WayOut,
                         ::testing::Values("cmdExit", "cmdEx", "cmdFinish", "mnuExit", "cmdExt", "closeBox"));

TEST_F(StartUp, MenuExitWithoutAReportShowsNothing) {
  FrmMain& w = Open();
  w.show();
  w.mnuExit->trigger();
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_EQ(fakes.shell.addresses, std::vector<std::string>{"https://home.test/thanks"});
}

TEST_F(StartUp, HelpLinksOpenTheirAddressesAndLeaveThePageInFront) {
  FrmMain& w = Open();
  w.mnuOnline->trigger();
  w.mnuVisit->trigger();
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  w.mnuAbout->trigger();
  w.show();
  QTest::mouseClick(w.Label14, Qt::LeftButton);
  QTest::mouseClick(w.Label15, Qt::LeftButton);
  EXPECT_EQ(w.FrontPage(), Page::About);
  EXPECT_EQ(fakes.shell.addresses,
            (std::vector<std::string>{"https://home.test/features", "https://home.test/", "https://home.test/",
                                      "https://home.test/contact"}));
}

TEST_F(StartUp, EmptyAddressOpensNothing) {
  env.addresses.features.clear();
  FrmMain& w = Open();
  w.mnuOnline->trigger();
  EXPECT_TRUE(fakes.shell.addresses.empty());
  EXPECT_EQ(w.FrontPage(), Page::Selection);
}

// The real lock, with real processes.
TEST(InstanceLock, SecondHolderIsRefusedWhileTheFirstLives) {
  testing::TempDir dir;
  QString path = QString::fromStdString(dir / "velmora.lock");
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

TEST(InstanceLock, LockLeftByADeadProcessDoesNotBlockAStart) {
  testing::TempDir dir;
  QString path = QString::fromStdString(dir / "velmora.lock");
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
}  // namespace velmora
