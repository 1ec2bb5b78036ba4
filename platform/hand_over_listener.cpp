// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hand_over_listener.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/sys_calls.h"

namespace velmora {
namespace {

// More than any command line can carry: a peer that sends more is dropped.
constexpr qsizetype kMaxMessage = qsizetype{8} * 1024 * 1024;
// A failed accept (out of descriptors or memory) is tried again after this.
constexpr int kRetryAcceptMs = 200;
constexpr char kTaken = 'y';

bool MakeAddress(const std::string& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

// Whether a running copy answers at the socket `path`.
bool Answers(const std::string& path) {
  sockaddr_un address;
  if (!MakeAddress(path, address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool answered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return answered;
}

void Answer(int fd) { BestEffort(::write(fd, &kTaken, 1)); }

void SayOnce(const std::string& path, const char* why) {
  std::fprintf(stderr, "velmora: %s %s; paths of a second start cannot be handed over.\n", path.c_str(), why);
  std::fflush(stderr);
}

}  // namespace

struct HandOverListener::Connection {
  int fd = -1;
  QByteArray data;
  QSocketNotifier* notifier = nullptr;
  QTimer* timer = nullptr;
};

HandOverListener::HandOverListener(Parser parse, std::function<void(std::vector<std::string>)> receive)
    : parse_(std::move(parse)), receive_(std::move(receive)) {}

HandOverListener::~HandOverListener() { Close(); }

bool HandOverListener::Listen(const QString& path) {
  const std::string local = path.toLocal8Bit().toStdString();
  struct stat st {};
  if (::lstat(local.c_str(), &st) == 0) {
    // A socket a copy that died left is ours to replace; nothing else is.
    if (!S_ISSOCK(st.st_mode) || st.st_uid != ::geteuid()) {
      SayOnce(local, "is not Velmora's socket and is left as it is");
      return false;
    }
    if (Answers(local)) {
      SayOnce(local, "is answered by another program");
      return false;
    }
    if (::unlink(local.c_str()) != 0 && errno != ENOENT) {
      SayOnce(local, "cannot be replaced");
      return false;
    }
  }
  if (!Bind(local)) {
    SayOnce(local, "cannot be listened at");
    return false;
  }
  notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { Accept(); });
  return true;
}

bool HandOverListener::Bind(const std::string& path) {
  sockaddr_un address;
  if (!MakeAddress(path, address)) return false;
  fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  struct stat st {};
  if (fd_ < 0 || ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::chmod(path.c_str(), 0600) != 0 || ::lstat(path.c_str(), &st) != 0 || ::listen(fd_, SOMAXCONN) != 0) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return false;
  }
  path_ = path;
  device_ = st.st_dev;
  inode_ = st.st_ino;
  return true;
}

void HandOverListener::Accept() {
  for (;;) {
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return;
      // Out of descriptors or memory: wait, and try again; the socket stays.
      notifier_->setEnabled(false);
      QTimer::singleShot(kRetryAcceptMs, this, [this] {
        if (notifier_) notifier_->setEnabled(true);
      });
      return;
    }
    ucred peer{};
    socklen_t size = sizeof peer;
    if (open_connections() >= kMaxConnections ||
        ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::geteuid()) {
      ::close(fd);
      continue;
    }
    auto connection = std::make_unique<Connection>();
    Connection* c = connection.get();
    c->fd = fd;
    c->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    c->timer = new QTimer(this);
    c->timer->setSingleShot(true);
    connect(c->notifier, &QSocketNotifier::activated, this, [this, c] { Read(c); });
    connect(c->timer, &QTimer::timeout, this, [this, c] { Drop(c); });
    c->timer->start(kConnectionMs);
    connections_.push_back(std::move(connection));
  }
}

void HandOverListener::Read(Connection* c) {
  if (!Holds(c)) return;
  char buffer[64 << 10];
  ssize_t n = 0;
  while ((n = ::read(c->fd, buffer, sizeof buffer)) > 0) {
    c->data.append(buffer, static_cast<qsizetype>(n));
    if (c->data.size() > kMaxMessage) return Drop(c);
  }
  if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return Drop(c);
  std::vector<std::string> paths;
  bool bad = false;
  if (!parse_(c->data, paths, bad)) {
    if (bad || n == 0) Drop(c);  // nonsense, or the peer left before its message was whole
    return;
  }
  Answer(c->fd);
  Drop(c);
  // A copy: taking the paths may end the program, and this listener with it.
  if (auto receive = receive_) receive(std::move(paths));
}

bool HandOverListener::Holds(const Connection* c) const {
  return std::any_of(connections_.begin(), connections_.end(), [c](const auto& p) { return p.get() == c; });
}

void HandOverListener::Drop(Connection* c) {
  auto it = std::find_if(connections_.begin(), connections_.end(), [c](const auto& p) { return p.get() == c; });
  if (it == connections_.end()) return;
  std::unique_ptr<Connection> gone = std::move(*it);
  connections_.erase(it);
  gone->notifier->setEnabled(false);
  gone->notifier->deleteLater();
  gone->timer->stop();
  gone->timer->deleteLater();
  ::close(gone->fd);
}

void HandOverListener::Close() {
  while (!connections_.empty()) Drop(connections_.back().get());
  if (fd_ < 0) return;
  delete notifier_;
  notifier_ = nullptr;
  // Removed only while the name still holds our socket.
  struct stat st {};
  if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_) ::unlink(path_.c_str());
  ::close(fd_);
  fd_ = -1;
}

}  // namespace velmora
