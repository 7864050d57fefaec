// The backup dialog ("Backup Blog"): the folder the backups go to ("Backup
// Location", with "..." for the system's folder chooser) and the "Number of
// Backups to keep" (1 to 25). It takes a copy of the two settings and hands the
// copy back after "Continue"; "Cancel" leaves them as they were.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "app/background.h"
#include "app/dialog_frame.h"
#include "store/user_interface.h"

namespace tessary::app {

class TGetBackupForm : public ResultDialog {
  Q_OBJECT
 public:
  // programFolder: where the folder chooser starts when the typed location is no folder.
  TGetBackupForm(QWidget* owner, const QString& programFolder);

  // Shows the settings: the count held within 0 to 25 selects the item count - 1
  // (0 selects nothing).
  void setSettings(const store::BackupSettings& settings);
  // The settings as the controls hold them: an unselected count is 0.
  store::BackupSettings settings() const;
  void setHelpOpener(HelpOpener opener) { helpOpener_ = std::move(opener); }

  BandWidget* band() const { return band_; }
  QLineEdit* locationEdit() const { return location_; }
  QPushButton* chooseFolderButton() const { return choose_; }
  QComboBox* countList() const { return count_; }
  QPushButton* continueButton() const { return continue_; }
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* helpButton() const { return help_; }

 private:
  void chooseFolder();

  QString programFolder_;
  store::BackupSettings settings_;
  BandWidget* band_;
  QPushButton *continue_, *cancel_, *help_, *choose_;
  QLineEdit* location_;
  QComboBox* count_;
  HelpOpener helpOpener_;
};

}  // namespace tessary::app
