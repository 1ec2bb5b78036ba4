// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_hand_over.h"

#include <QDataStream>
#include <QtEndian>
#include <QLocalSocket>

namespace velmora {
namespace {

// One message: a tag, then the paths as byte strings. The running copy
// answers one byte once it has taken them (hand_over_listener.cpp).
constexpr quint32 kTag = 0x564c4d31;  // "VLM1"
constexpr char kTaken = 'y';
constexpr int kConnectMs = 2000;
// The running copy answers from its event loop, which a busy moment may hold
// up; past this the second copy says the program is already running.
constexpr int kAnswerMs = 10000;

}  // namespace

QtHandOver::QtHandOver(QString socket_path) : path_(std::move(socket_path)) {
  if (path_.isEmpty()) path_ = DefaultSocketPath();
}

QString QtHandOver::DefaultSocketPath() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (runtime.isEmpty()) return {};
  return QString::fromLocal8Bit(runtime) + "/velmora.socket";
}

void QtHandOver::Listen(std::function<void(std::vector<std::string>)> receive) {
  if (path_.isEmpty() || listener_) return;
  // Only the holder of the instance lock gets here: a socket left by a copy
  // that died is its own to replace, and nothing else at that path.
  listener_ = std::make_unique<HandOverListener>(&QtHandOver::ParseMessage, std::move(receive));
  if (!listener_->Listen(path_)) listener_.reset();
}

bool QtHandOver::ParseMessage(const QByteArray& data, std::vector<std::string>& paths, bool& bad) {
  // Read by hand, not through QDataStream, which would reserve room for
  // whatever count a peer claims. Whatever does not start as a hand-over is
  // not waited for.
  qsizetype at = 0;
  auto number = [&](quint32& out) {
    if (data.size() - at < 4) return false;
    out = qFromBigEndian<quint32>(data.constData() + at);
    at += 4;
    return true;
  };
  quint32 tag = 0, count = 0;
  bad = false;
  if (!number(tag)) return false;
  bad = tag != kTag;
  if (bad || !number(count)) return false;
  for (quint32 i = 0; i < count; ++i) {
    quint32 size = 0;
    if (!number(size)) return false;
    if (size == 0xffffffffu) size = 0;  // a null byte string
    if (data.size() - at < static_cast<qsizetype>(size)) return false;
    paths.emplace_back(data.constData() + at, size);
    at += static_cast<qsizetype>(size);
  }
  return true;
}

void QtHandOver::Close() {
  // Done before the lock goes, so that it can never remove the socket of a
  // copy started after us.
  listener_.reset();
}

bool QtHandOver::Send(const std::vector<std::string>& paths) {
  if (path_.isEmpty()) return false;
  QLocalSocket socket;
  socket.connectToServer(path_);
  if (!socket.waitForConnected(kConnectMs)) return false;
  QByteArray message;
  QDataStream out(&message, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  QList<QByteArray> list;
  for (const std::string& path : paths) list.append(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
  out << kTag << list;
  socket.write(message);
  if (!socket.waitForBytesWritten(kConnectMs) && socket.bytesToWrite() > 0) return false;
  while (socket.bytesAvailable() < 1)
    if (!socket.waitForReadyRead(kAnswerMs)) return false;
  char answer = 0;
  return socket.read(&answer, 1) == 1 && answer == kTaken;
}

}  // namespace velmora
