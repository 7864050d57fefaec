#include "app/single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>

namespace tessary::app {

namespace {
constexpr int kConnectMs = 1000;
constexpr int kMessageBytes = 64 * 1024;
}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() {
  if (server_) server_->close();
}

QString SingleInstance::defaultName() {
  QString user = qEnvironmentVariable("USER");
  if (user.isEmpty()) user = qEnvironmentVariable("LOGNAME");
  if (user.isEmpty()) user = "user";
  return "tessary-" + user;
}

bool SingleInstance::handOver(const QString& blogFile) {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(kConnectMs)) return false;
  const QByteArray message = "open\n" + blogFile.toUtf8() + "\n";
  socket.write(message);
  socket.waitForBytesWritten(kConnectMs);
  // The first copy answers once it has the message, so the handover is not lost.
  socket.waitForReadyRead(kConnectMs);
  socket.disconnectFromServer();
  return true;
}

bool SingleInstance::claim(const QString& blogFile) {
  QLockFile lock(QDir::temp().filePath(name_ + ".lock"));
  lock.setStaleLockTime(0);  // staleness by the holder's process, not by age
  if (!lock.tryLock(5000)) {
    // Another start holds the lock for longer than any claim takes: hand over if it answers.
    return !handOver(blogFile);
  }
  if (handOver(blogFile)) return false;
  // Nobody answered: a socket file left by a copy that died is removed.
  QLocalServer::removeServer(name_);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name_)) {
    // The program still runs, only without the guard.
    delete server_;
    server_ = nullptr;
    return true;
  }
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::readConnection);
  return true;
}

void SingleInstance::readConnection() {
  while (QLocalSocket* s = server_->nextPendingConnection()) {
    connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
    connect(s, &QLocalSocket::readyRead, this, [this, s] {
      QByteArray buf = s->property("buf").toByteArray() + s->readAll();
      if (buf.size() > kMessageBytes) {
        s->abort();
        return;
      }
      s->setProperty("buf", buf);
      const QList<QByteArray> parts = buf.split('\n');
      if (parts.size() < 3 || parts[0] != "open") return;  // not all there yet
      s->write("ok\n");
      s->flush();
      s->setProperty("buf", QByteArray());
      if (onActivate) onActivate(QString::fromUtf8(parts[1]));
    });
  }
}

}  // namespace tessary::app
