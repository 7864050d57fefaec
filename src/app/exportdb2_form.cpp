#include "app/exportdb2_form.h"

#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>

#include "app/background.h"
#include "app/gui_ui.h"
#include "app/texts.h"

namespace tessary::app {

TExportBlogForm1::TExportBlogForm1(QWidget* owner, store::BlogDb& blog, store::UserInterface& ui,
                                   const QString& blogFile, const QString& programFolder)
    : QDialog(owner), blog_(blog), ui_(ui), programFolder_(programFolder) {
  setWindowTitle(texts::kExportDialogTitle);
  setSizeGripEnabled(true);
  const export_::ExportDialogState initial =
      export_::initialExportState(blogFile.toStdString(), programFolder.toStdString());

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  QList<QPushButton*> bandButtons;
  outer->addWidget(makeTopBand(this, texts::kExportBandTitle, {texts::kHelp, texts::kClose}, bandButtons));
  help_ = bandButtons[0];
  close_ = bandButtons[1];

  auto* body = new QWidget(this);
  auto* form = new QFormLayout(body);
  form->setContentsMargins(16, 16, 16, 16);
  form->setHorizontalSpacing(10);
  form->setVerticalSpacing(12);
  form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);

  blogFile_ = new QLineEdit(QString::fromStdString(initial.blogFile), body);
  blogFile_->setReadOnly(true);
  blogFile_->setFrame(false);
  blogFile_->setToolTip(blogFile_->text());
  blogFile_->setAccessibleName(texts::kBlogFileLabel);
  form->addRow(texts::kBlogFileLabel, blogFile_);

  fileType_ = new QComboBox(body);
  fileType_->addItems({export_::kExcelFileTypeText, export_::kXmlFileTypeText});
  fileType_->setAccessibleName(texts::kFileTypeLabel);
  form->addRow(texts::kFileTypeLabel, fileType_);

  fileName_ = new QLineEdit(QString::fromStdString(initial.exportFileName), body);
  fileName_->setAccessibleName(texts::kExportFileNameLabel);
  form->addRow(texts::kExportFileNameLabel, fileName_);

  auto* folderRow = new QWidget(body);
  auto* folderLayout = new QHBoxLayout(folderRow);
  folderLayout->setContentsMargins(0, 0, 0, 0);
  folderLayout->setSpacing(4);
  folder_ = new QLineEdit(QString::fromStdString(initial.exportFolder), folderRow);
  folder_->setAccessibleName(texts::kExportFolderLabel);
  chooseFolder_ = new QPushButton(texts::kChooseFolder, folderRow);
  chooseFolder_->setToolTip(texts::kChooseFolderHint);
  chooseFolder_->setAccessibleName(texts::kChooseFolderHint);
  chooseFolder_->setAutoDefault(false);
  folderLayout->addWidget(folder_, 1);
  folderLayout->addWidget(chooseFolder_);
  form->addRow(texts::kExportFolderLabel, folderRow);
  for (QWidget* w : {static_cast<QWidget*>(fileType_), static_cast<QWidget*>(fileName_),
                     static_cast<QWidget*>(folder_)})
    if (auto* l = qobject_cast<QLabel*>(form->labelForField(w == folder_ ? folderRow : w))) l->setBuddy(w);

  export_ = new QPushButton(texts::kExport, body);
  export_->setDefault(true);
  auto* exportRow = new QHBoxLayout;
  exportRow->addStretch(1);
  exportRow->addWidget(export_);
  form->addRow(exportRow);
  outer->addWidget(body, 1);

  export_->setAccessibleName(export_->text());

  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  connect(help_, &QPushButton::clicked, this, [this] {
    if (helpOpener_) helpOpener_(texts::kTopicExport);
  });
  connect(export_, &QPushButton::clicked, this, &TExportBlogForm1::exportClicked);
  connect(chooseFolder_, &QPushButton::clicked, this, &TExportBlogForm1::chooseFolder);
  resize(std::max(560, sizeHint().width()), sizeHint().height());
}

export_::ExportDialogState TExportBlogForm1::state() const {
  export_::ExportDialogState s;
  s.blogFile = blogFile_->text().toStdString();
  s.fileType = fileType_->currentIndex() == 1 ? export_::ExportFileType::Xml : export_::ExportFileType::Excel;
  s.exportFileName = fileName_->text().toStdString();
  s.exportFolder = folder_->text().toStdString();
  return s;
}

void TExportBlogForm1::exportClicked() {
  if (exporting_) return;
  exporting_ = true;
  for (QWidget* w : std::initializer_list<QWidget*>{export_, close_, help_, chooseFolder_, fileType_, fileName_, folder_})
    w->setEnabled(false);
  try {
    export_::BlogExporter exporter(blog_, ui_);
    // The half-second pause before the popup closes keeps the windows painted.
    exporter.setPause([] {
      QEventLoop loop;
      QTimer::singleShot(500, &loop, &QEventLoop::quit);
      loop.exec(QEventLoop::ExcludeUserInputEvents);
    });
    if (auto written = exporter.exportButton(state())) lastWritten_ = QString::fromStdString(*written);
  } catch (const std::exception& e) {
    showErrorBox(this, QString::fromUtf8(e.what()));
  }
  for (QWidget* w : std::initializer_list<QWidget*>{export_, close_, help_, chooseFolder_, fileType_, fileName_, folder_})
    w->setEnabled(true);
  exporting_ = false;
}

void TExportBlogForm1::chooseFolder() {
  QFileDialog dialog(this, texts::kExportFolderLabel, programFolder_);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString chosen = QDir::cleanPath(dialog.selectedFiles().first());
  if (!QDir(chosen).exists()) {
    const auto answer = QMessageBox::question(this, texts::kExportBandTitle,
                                              QString(texts::kCreateFolderQuestion).arg(chosen));
    if (answer != QMessageBox::Yes) return;
    if (!QDir().mkpath(chosen)) {
      ui_.showMessage("File export cancelled. Unable to create directory: " + chosen.toStdString() + "/");
      return;
    }
  }
  folder_->setText(chosen);
}

void TExportBlogForm1::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!centred_) {
    centred_ = true;
    centreOn(this, parentWidget());
  }
}

void TExportBlogForm1::closeEvent(QCloseEvent* e) {
  if (exporting_) {
    e->ignore();
    return;
  }
  QDialog::closeEvent(e);
}

void TExportBlogForm1::reject() {
  if (!exporting_) QDialog::reject();
}

}  // namespace tessary::app
