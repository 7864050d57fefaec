// The export dialog ("Export Blog As..."): a chosen blog file written out as a
// spreadsheet (entries, categories, options) or an XML document (entries). It
// stays open until "Close", so several exports run from one opening; each
// writes the file named by the time the dialog opened. The export itself is
// the core's; the dialog holds its state and shows the popup.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialog_frame.h"
#include "export/exportdb2.h"
#include "store/blog_db.h"

namespace tessary::app {

class TExportBlogForm1 : public QDialog {
  Q_OBJECT
 public:
  // blog: the session's blog store, with no blog open; it is used for the
  // export and left closed. programFolder: the export folder at start.
  TExportBlogForm1(QWidget* owner, store::BlogDb& blog, store::UserInterface& ui, const QString& blogFile,
                   const QString& programFolder);

  void setHelpOpener(HelpOpener opener) { helpOpener_ = std::move(opener); }
  // The state as the controls hold it now.
  export_::ExportDialogState state() const;
  // The full name of the last file written, empty when none.
  QString lastWritten() const { return lastWritten_; }

  QComboBox* fileTypeList() const { return fileType_; }
  QLineEdit* fileNameEdit() const { return fileName_; }
  QLineEdit* folderEdit() const { return folder_; }
  QPushButton* exportButton() const { return export_; }
  QPushButton* folderButton() const { return chooseFolder_; }
  bool exporting() const { return exporting_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void reject() override;

 private:
  void exportClicked();
  void chooseFolder();

  store::BlogDb& blog_;
  store::UserInterface& ui_;
  QString programFolder_;
  QLineEdit* blogFile_;
  QComboBox* fileType_;
  QLineEdit* fileName_;
  QLineEdit* folder_;
  QPushButton* export_;
  QPushButton* chooseFolder_;
  QPushButton* close_;
  QPushButton* help_;
  HelpOpener helpOpener_;
  QString lastWritten_;
  bool exporting_ = false;
  bool centred_ = false;
};

}  // namespace tessary::app
