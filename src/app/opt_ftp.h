// The publishing dialog ("FTP Options"): publish by FTP or by file copy, the
// FTP server's address, port, folder, user and password, passive mode, the
// conversation in the log, and the file copy's destination (options 501 to 599).
// "Test Connection" tries the values in the dialog (not yet saved) on a worker
// thread: log on, change to the target directory, log off; the window stays
// usable and shows the outcome when it comes.
#pragma once

#include <QPushButton>
#include <QTimer>
#include <memory>

#include "app/opt_common.h"

namespace tessary::app {

class TOptFtpForm : public BlogOptionsDialog {
  Q_OBJECT
 public:
  explicit TOptFtpForm(QWidget* owner, const QString& programFolder = {});
  ~TOptFtpForm() override;

  QLabel* destinationLabel() const { return destination_; }
  QPushButton* setDestinationButton() const { return setDestination_; }
  QPushButton* testButton() const { return test_; }
  // The outcome of the last connection test (empty while none has ended).
  QLabel* testOutcome() const { return outcome_; }
  bool testRunning() const { return check_ != nullptr; }
  // Each wait of the connection test, in milliseconds.
  void setTestTimeout(int ms) { testTimeoutMs_ = ms; }

 Q_SIGNALS:
  void testFinished(bool passed);

 private:
  void chooseDestination();
  void startTest();
  void pollTest();

  struct Check;
  QLabel* destination_;
  QPushButton* setDestination_;
  QPushButton* test_;
  QLabel* outcome_;
  QString programFolder_;
  std::shared_ptr<Check> check_;
  QTimer poll_;
  int testTimeoutMs_ = 15000;
};

}  // namespace tessary::app
