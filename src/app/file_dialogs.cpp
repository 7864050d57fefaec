#include "app/file_dialogs.h"

#include <QFileDialog>

namespace tessary::app {

namespace {

QString ask(QWidget* owner, const QString& caption, const QString& filter, const QString& start,
            const QString& suffix, bool save) {
  QFileDialog d(owner, caption, start, filter);
  d.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  d.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (save) d.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!suffix.isEmpty()) d.setDefaultSuffix(suffix);
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return {};
  return d.selectedFiles().first();
}

}  // namespace

QString askFileToOpen(QWidget* owner, const QString& caption, const QString& filter, const QString& folder,
                      const QString& suffix) {
  return ask(owner, caption, filter, folder, suffix, false);
}

QString askFileToSave(QWidget* owner, const QString& caption, const QString& filter, const QString& start,
                      const QString& suffix) {
  return ask(owner, caption, filter, start, suffix, true);
}

}  // namespace tessary::app
