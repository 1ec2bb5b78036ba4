// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-over between two real processes: the program started a second
// time with paths gives them to the copy that runs, and ends without a box.
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>

#include <thread>

#include "platform/qt_hand_over.h"
#include "platform/qt_platform.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using testing::Control;
using testing::MakeDir;
using testing::WindowTest;
using testing::WriteText;

class HandOverBetweenProcesses : public WindowTest {
 protected:
  HandOverBetweenProcesses() {
    MakeDir(run);
    ::chmod(run.c_str(), 0700);
    MakeDir(dir / "docs");
    MakeDir(dir / "home");
    WriteText(dir / "docs/x.txt", "x");
    WriteText(dir / "docs/y z.txt", "y");
  }

  // The built program, as a file manager starts it, in this test's runtime
  // folder and from `cwd`.
  void StartSecond(QProcess& second, const std::string& cwd, const QStringList& args) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(run));
    environment.insert("HOME", QString::fromStdString(dir / "home"));
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(dir / "home/.config"));
    environment.insert("XDG_STATE_HOME", QString::fromStdString(dir / "home/.state"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(environment);
    second.setWorkingDirectory(QString::fromStdString(cwd));
    second.start(VELMORA_PROGRAM, args);
    ASSERT_TRUE(second.waitForStarted());
  }

  const std::string run = dir / "run";
};

TEST_F(HandOverBetweenProcesses, PathsOfASecondStartAreListedByTheRunningCopy) {
  QtInstanceLock lock(QString::fromStdString(run + "/velmora.lock"));
  QtHandOver hand_over(QString::fromStdString(run + "/velmora.socket"));
  Platform platform{fakes.dialogs, fakes.shell, fakes.clock, fakes.settings, lock, hand_over};
  FrmMain w(platform, env);
  ASSERT_TRUE(w.StartUp());
  w.show();

  QProcess second;
  // Relative paths: made absolute against the second copy's own folder.
  StartSecond(second, dir / "docs", {"x.txt", "y z.txt"});
  WaitUntil([&] { return second.state() == QProcess::NotRunning && w.shredList().size() == 2; });
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(w.FrontPage(), Page::Result);
  EXPECT_TRUE(Control<QRadioButton>(w, "OptFile")->isChecked());
  EXPECT_EQ(Texts(Control<QTreeWidget>(w, "ListFiles")),
            (std::vector<std::string>{dir / "docs/x.txt", dir / "docs/y z.txt"}));
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_TRUE(testing::Exists(dir / "docs/x.txt")) << "nothing is shredded before Shred Now";

  // Closing removes the socket while the lock is still held.
  w.close();
  EXPECT_FALSE(testing::Exists(run + "/velmora.socket"));
}

// A socket left by a copy that died is taken over by the next copy that
// holds the lock; a peer that sends nonsense is dropped, nothing is listed.
TEST_F(HandOverBetweenProcesses, LeftoverSocketIsReplacedAndNonsenseIsIgnored) {
  const QString socket_path = QString::fromStdString(run + "/velmora.socket");
  WriteText(run + "/velmora.socket", "left by a copy that died");
  QtHandOver hand_over(socket_path);
  std::vector<std::vector<std::string>> received;
  hand_over.Listen([&](std::vector<std::string> paths) { received.push_back(std::move(paths)); });
  QLocalSocket peer;
  peer.connectToServer(socket_path);
  ASSERT_TRUE(peer.waitForConnected(5000));
  peer.write(QByteArray(64, 'z'));
  peer.flush();
  WaitUntil([&] { return peer.state() == QLocalSocket::UnconnectedState; });
  EXPECT_TRUE(received.empty());

  QtHandOver sender(socket_path);
  bool taken = false;
  std::thread second([&] { taken = sender.Send({"/a", std::string("/caf\xe9")}); });
  WaitUntil([&] { return !received.empty(); });
  second.join();
  EXPECT_TRUE(taken);
  EXPECT_EQ(received, (std::vector<std::vector<std::string>>{{"/a", std::string("/caf\xe9")}}));
}

}  // namespace
}  // namespace velmora
