// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-over between two real processes: the program started a second
// time with paths gives them to the copy that runs, and ends without a box.
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <QDataStream>
#include <cstring>
#include <thread>

#include "platform/qt_hand_over.h"
#include "platform/qt_platform.h"
#include "window_fixture.h"

namespace velmora::testing {
namespace {

// A socket at `path`, bound (as a copy that died leaves it, once closed)
// or connected (a peer that never says a word); -1 when that failed.
int Socket(const std::string& path, bool bound) {
  sockaddr_un address{AF_UNIX, {}};
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const auto* at = reinterpret_cast<const sockaddr*>(&address);
  if ((bound ? ::bind(fd, at, sizeof address) : ::connect(fd, at, sizeof address)) == 0) return fd;
  ::close(fd);
  return -1;
}

bool ClosedByPeer(int fd) {
  char byte = 0;
  return ::recv(fd, &byte, 1, MSG_DONTWAIT | MSG_PEEK) == 0;
}

class HandOverBetweenProcesses : public WindowTest {
 protected:
  HandOverBetweenProcesses() {
    MakeDir(run);
    ::chmod(run.c_str(), 0700);
    MakeDirs({dir / "docs", dir / "home"});
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
  EXPECT_EQ(Listed(w), (Strings{dir / "docs/x.txt", dir / "docs/y z.txt"}));
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_TRUE(Exists(dir / "docs/x.txt")) << "nothing is shredded before Shred Now";

  // Closing removes the socket while the lock is still held.
  w.close();
  EXPECT_FALSE(Exists(run + "/velmora.socket"));
}

// A socket left by a copy that died is taken over by the next copy that
// holds the lock, and nothing else at its path; a peer that sends nonsense
// is dropped, nothing is listed.
TEST_F(HandOverBetweenProcesses, LeftoverSocketIsReplacedAndNonsenseIsIgnored) {
  const QString socket_path = QString::fromStdString(run + "/velmora.socket");
  WriteText(run + "/velmora.socket", "the user's own file");
  std::vector<Strings> received;
  QtHandOver(socket_path).Listen([](Strings) {});  // off: not its socket
  EXPECT_EQ(ReadText(run + "/velmora.socket"), "the user's own file");
  ::unlink((run + "/velmora.socket").c_str());
  ::close(Socket(run + "/velmora.socket", true));
  QtHandOver hand_over(socket_path);
  hand_over.Listen([&](Strings paths) { received.push_back(std::move(paths)); });
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
  EXPECT_EQ(received, (std::vector<Strings>{{"/a", std::string("/caf\xe9")}}));
}

// A thousand idle connections (peers that never say a word) do not knock
// the listener out: at most 16 are open at once, each for 2 s, the socket
// file stays; an accept that fails for want of descriptors is tried again;
// a real hand-over is still answered.
TEST_F(HandOverBetweenProcesses, AThousandIdleConnectionsDoNotKnockTheListenerOut) {
  rlimit limit{}, raised{}, none{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  raised = none = {std::min<rlim_t>(limit.rlim_max, 4096), limit.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &raised), 0);
  const QString path = QString::fromStdString(run + "/velmora.socket");
  QtHandOver hand_over(path);
  std::vector<Strings> received;
  hand_over.Listen([&](Strings paths) { received.push_back(std::move(paths)); });
  std::vector<int> idle(1000);
  for (int& peer : idle) ASSERT_GE(peer = Socket(run + "/velmora.socket", false), 0);
  WaitUntil([&] {
    EXPECT_LE(hand_over.listener()->open_connections(), HandOverListener::kMaxConnections);
    return std::all_of(idle.begin(), idle.end(), ClosedByPeer);
  });
  for (int peer : idle) ::close(peer);
  EXPECT_TRUE(Exists(run + "/velmora.socket"));
  // Out of descriptors while a hand-over waits: tried again once there are.
  QLocalSocket peer;
  peer.connectToServer(path);
  ASSERT_TRUE(peer.waitForConnected(5000));
  none.rlim_cur = static_cast<rlim_t>(::dup(0));  // the lowest free descriptor
  ::close(static_cast<int>(none.rlim_cur));
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
  for (int i = 0; i < 20; ++i) QApplication::processEvents();
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
  QByteArray message;
  QDataStream(&message, QIODevice::WriteOnly) << quint32{0x564c4d31} << QList<QByteArray>{"/a"};
  peer.write(message);
  WaitUntil([&] { return !received.empty(); });
  EXPECT_EQ(received, (std::vector<Strings>{{"/a"}}));
}

}  // namespace
}  // namespace velmora::testing
