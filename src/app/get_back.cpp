#include "app/get_back.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "app/texts.h"

namespace tessary::app {

namespace {
constexpr int kMaxBackupsShown = 25;
}

TGetBackupForm::TGetBackupForm(QWidget* owner, const QString& programFolder)
    : ResultDialog(owner), programFolder_(programFolder) {
  setWindowTitle(texts::kBackupBlog);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  QList<QPushButton*> buttons;
  band_ = makeTopBand(this, texts::kBackupBand, {texts::kHelp, texts::kCancel, texts::kContinue}, buttons);
  help_ = buttons[0];
  cancel_ = buttons[1];
  continue_ = buttons[2];
  continue_->setDefault(true);
  outer->addWidget(band_);

  auto* fields = new QGridLayout;
  fields->setContentsMargins(8, 8, 8, 8);
  fields->setHorizontalSpacing(8);
  fields->setVerticalSpacing(6);
  location_ = new QLineEdit(this);
  location_->setAccessibleName(texts::kBackupLocation);
  choose_ = new QPushButton(texts::kChooseFolderButton, this);
  choose_->setAccessibleName(texts::kChooseBackupFolderHint);
  choose_->setToolTip(texts::kChooseBackupFolderHint);
  choose_->setAutoDefault(false);
  choose_->setFixedWidth(std::max(32, choose_->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16));
  count_ = new QComboBox(this);
  count_->setAccessibleName(texts::kBackupsToKeep);
  for (int i = 1; i <= kMaxBackupsShown; ++i) count_->addItem(QString::number(i));
  count_->setMaxVisibleItems(kMaxBackupsShown);
  auto* locationLabel = new QLabel(texts::kBackupLocation, this);
  locationLabel->setBuddy(location_);
  auto* countLabel = new QLabel(texts::kBackupsToKeep, this);
  countLabel->setBuddy(count_);
  fields->addWidget(locationLabel, 0, 0);
  fields->addWidget(location_, 0, 1);
  fields->addWidget(choose_, 0, 2);
  fields->addWidget(countLabel, 1, 0);
  fields->addWidget(count_, 1, 1, Qt::AlignLeft);
  fields->setColumnStretch(1, 1);
  outer->addLayout(fields);
  outer->addStretch(1);

  connect(continue_, &QPushButton::clicked, this, [this] {
    setResult01(1);
    accept();
  });
  connect(cancel_, &QPushButton::clicked, this, [this] {
    setResult01(0);
    reject();
  });
  connect(help_, &QPushButton::clicked, this, [this] {
    if (helpOpener_) helpOpener_(texts::kTopicBlogsBackup);
  });
  connect(choose_, &QPushButton::clicked, this, &TGetBackupForm::chooseFolder);
  setFixedSize(QSize(473, 132).expandedTo(minimumSizeHint()));
}

void TGetBackupForm::setSettings(const store::BackupSettings& settings) {
  settings_ = settings;
  location_->setText(QString::fromStdString(settings.location));
  const int keep = std::clamp(settings.backupsToKeep, 0, kMaxBackupsShown);
  count_->setCurrentIndex(keep - 1);
}

store::BackupSettings TGetBackupForm::settings() const {
  store::BackupSettings s = settings_;
  s.location = location_->text().toStdString();
  s.backupsToKeep = count_->currentIndex() + 1;
  return s;
}

void TGetBackupForm::chooseFolder() {
  const QString typed = location_->text();
  const QString start = !typed.isEmpty() && QFileInfo(typed).isDir() ? typed : programFolder_;
  QFileDialog d(this, texts::kBackupLocation, start);
  d.setAcceptMode(QFileDialog::AcceptOpen);
  d.setFileMode(QFileDialog::Directory);
  d.setOption(QFileDialog::ShowDirsOnly, true);
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return;
  location_->setText(QDir::toNativeSeparators(d.selectedFiles().first()));
}

}  // namespace tessary::app
