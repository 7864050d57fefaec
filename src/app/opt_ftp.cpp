#include "app/opt_ftp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <atomic>
#include <thread>

#include "app/opt_texts.h"
#include "publish/ftp_check.h"

namespace tessary::app {

using namespace opttexts;

// What the worker and the window share: the worker writes the result and then
// sets done; the window reads it only after done. The worker holds its own
// reference, so a window closed meanwhile leaves it nothing dangling.
struct TOptFtpForm::Check {
  std::atomic<bool> done{false};
  publish::FtpCheckResult result;
  std::string host;
  std::string directory;
};

TOptFtpForm::TOptFtpForm(QWidget* owner, const QString& programFolder)
    : BlogOptionsDialog(owner, kFtpTitle, kTopicFtp, QSize(667, 428), QSize(520, 360)),
      programFolder_(programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder) {
  auto* location = new QComboBox(fieldArea());
  location->addItems(itemList(kPublishingLocationItems));
  fitList(location);
  // A value other than 0 or 1 shows the first item.
  bind(
      511, location,
      [location](const store::BlogOptionsRec& rec) {
        location->setCurrentIndex(rec.PublishingLocation == 1 ? 1 : 0);
      },
      [location](store::BlogOptionsRec& rec) { rec.PublishingLocation = location->currentIndex() == 1 ? 1 : 0; });
  addRow(kPublishingLocation, location);

  addSection(kFtpOptions);
  bindText(501, kFtpHost);
  bindText(502, kFtpPort)->setMaximumWidth(120);
  grid()->itemAtPosition(grid()->rowCount() - 1, 1)->setAlignment(Qt::AlignLeft);
  bindText(503, kFtpTargetDirectory);
  bindText(504, kFtpUserid);
  bindText(505, kFtpPassword)->setEchoMode(QLineEdit::Password);
  bindCheck(506, kPassiveTransfers, kUsePassiveMode, [](int32_t v) { return v > 0; });
  bindCheck(507, kShowFtpConversation, kShowFtpCommands, [](int32_t v) { return v != 0; });
  bindList(508, kFtpSecurity, itemList(kFtpSecurityItems));
  bindText(509, kFtpFingerprint);
  addHint(kFtpFingerprintHint);
  bindText(510, kFtpTimeout)->setMaximumWidth(120);
  grid()->itemAtPosition(grid()->rowCount() - 1, 1)->setAlignment(Qt::AlignLeft);
  test_ = new QPushButton(kTestConnection, fieldArea());
  test_->setAccessibleName(kTestConnection);
  test_->setAutoDefault(false);
  addRow({}, test_, Qt::AlignLeft);
  outcome_ = new QLabel(fieldArea());
  outcome_->setWordWrap(true);
  outcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  outcome_->setAccessibleName(kTestConnection);
  addRow({}, outcome_);

  addSection(kFileCopyOptions);
  setDestination_ = new QPushButton(kSetDestination, fieldArea());
  setDestination_->setAccessibleName(kSetDestination);
  setDestination_->setAutoDefault(false);
  destination_ = new QLabel(fieldArea());
  destination_->setAccessibleName(kDestinationFolder);
  destination_->setWordWrap(true);
  destination_->setTextFormat(Qt::PlainText);
  const int row = addRow({}, setDestination_, Qt::AlignLeft);
  grid()->removeWidget(setDestination_);
  grid()->addWidget(setDestination_, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
  grid()->addWidget(destination_, row, 1);
  bind(
      512, destination_,
      [this](const store::BlogOptionsRec& rec) { destination_->setText(QString::fromStdString(rec.FileCopyDestination)); },
      [this](store::BlogOptionsRec& rec) { rec.FileCopyDestination = destination_->text().toStdString(); });
  grid()->setRowStretch(grid()->rowCount(), 1);

  connect(setDestination_, &QPushButton::clicked, this, &TOptFtpForm::chooseDestination);
  connect(test_, &QPushButton::clicked, this, &TOptFtpForm::startTest);
  poll_.setInterval(50);
  connect(&poll_, &QTimer::timeout, this, &TOptFtpForm::pollTest);
}

TOptFtpForm::~TOptFtpForm() = default;

void TOptFtpForm::chooseDestination() {
  QString start = destination_->text();
  // Too short to be a folder: start in the program's folder.
  if (start.size() < 2) start = QDir(programFolder_).absolutePath() + QDir::separator();
  const QString chosen = QFileDialog::getExistingDirectory(this, kSetDestination, start);
  if (!chosen.isEmpty()) destination_->setText(chosen);
}

void TOptFtpForm::startTest() {
  if (check_) return;
  const store::BlogOptionsRec options = OptionsRec();
  auto check = std::make_shared<Check>();
  check->host = options.FTPSite;
  check->directory = options.FTPTargetDirectory;
  check_ = check;
  test_->setEnabled(false);
  outcome_->setText(QString(kTesting).arg(QString::fromStdString(options.FTPSite)));
  const int timeout = testTimeoutMs_;
  std::thread([check, options, timeout] {
    check->result = publish::CheckFtpConnection(options, timeout);
    check->done.store(true, std::memory_order_release);
  }).detach();
  poll_.start();
}

void TOptFtpForm::pollTest() {
  if (!check_ || !check_->done.load(std::memory_order_acquire)) return;
  poll_.stop();
  const std::shared_ptr<Check> check = std::move(check_);
  const publish::FtpCheckResult& r = check->result;
  const QString host = QString::fromStdString(check->host);
  const QString directory = QString::fromStdString(check->directory);
  QString text;
  if (r.ok())
    text = directory.isEmpty() ? QString(kTestPassedNoDirectory).arg(host)
                               : QString(kTestPassed).arg(host, QString::fromStdString(r.directory));
  else
    text = r.outcome == publish::FtpCheckResult::kLogOnFailed ? QString(kTestFailedLogOn).arg(host)
                                                              : QString(kTestFailedDirectory).arg(directory);
  if (!r.ok())
    text += "\n" + (r.reply.empty() ? QString(kNoReply) : QString(kServerReplied).arg(QString::fromStdString(r.reply)));
  outcome_->setText(text);
  test_->setEnabled(true);
  Q_EMIT testFinished(r.ok());
}

}  // namespace tessary::app
