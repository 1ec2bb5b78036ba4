// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_hand_over.h"

#include <QDataStream>
#include <QLocalSocket>

namespace velmora {
namespace {

// One message: a tag, then the paths as byte strings. The running copy
// answers one byte once it has taken them.
constexpr quint32 kTag = 0x564c4d31;  // "VLM1"
constexpr char kTaken = 'y';
// More than any command line can carry: a peer that sends more is dropped.
constexpr qint64 kMaxMessage = qint64{8} * 1024 * 1024;
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
  if (path_.isEmpty() || server_ != nullptr) return;
  receive_ = std::move(receive);
  // Only the holder of the instance lock gets here: a socket left by a copy
  // that died is its own to remove.
  QLocalServer::removeServer(path_);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path_)) {
    delete server_;
    server_ = nullptr;
    return;
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
      Read(socket);
    }
  });
}

void QtHandOver::Read(QLocalSocket* socket) {
  // Whatever does not start as a hand-over, or grows past any command line,
  // is not waited for.
  QDataStream head(socket->peek(sizeof(quint32)));
  quint32 tag = 0;
  head >> tag;
  if (socket->bytesAvailable() > kMaxMessage ||
      (socket->bytesAvailable() >= static_cast<qint64>(sizeof(quint32)) && tag != kTag)) {
    socket->abort();
    return;
  }
  QDataStream in(socket);
  in.setVersion(QDataStream::Qt_6_0);
  in.startTransaction();
  QList<QByteArray> paths;
  in >> tag >> paths;
  if (!in.commitTransaction()) return;  // the rest is still on its way
  socket->write(&kTaken, 1);
  socket->flush();
  socket->disconnectFromServer();
  std::vector<std::string> out;
  for (const QByteArray& path : paths) out.emplace_back(path.constData(), static_cast<std::size_t>(path.size()));
  if (receive_) receive_(std::move(out));
}

void QtHandOver::Close() {
  // Closing the server removes the socket file: done before the lock goes,
  // so that it can never remove the socket of a copy started after us.
  delete server_;
  server_ = nullptr;
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
