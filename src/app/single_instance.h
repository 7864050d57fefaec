// One copy of the program per user: the first copy listens on a local socket
// named after the user; a second start connects, hands over the blog file it
// was given (if any), and ends. A first copy that crashed leaves at most a
// dead socket file behind, which the next start finds unanswered and removes;
// a lock file (released by the system when its holder dies) keeps two starts
// at the same moment from both becoming the first.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>

namespace tessary::app {

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  // name: the server's name (one per user; tests pass their own).
  explicit SingleInstance(QString name, QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when this is the first copy (it now listens); false when another copy
  // answered and was handed `blogFile` (it then comes to the front).
  bool claim(const QString& blogFile);
  // What the first copy does when a later start reaches it.
  std::function<void(const QString& blogFile)> onActivate;

  static QString defaultName();

 private:
  bool handOver(const QString& blogFile);
  void readConnection();
  QString name_;
  QLocalServer* server_ = nullptr;
};

}  // namespace tessary::app
