#include "app/app_paths.h"

#include <QDir>
#include <QTemporaryFile>

#include "templates/package.h"

namespace tessary::app {

bool folderIsWritable(const QString& folder) {
  if (!QDir(folder).exists()) return false;
  QTemporaryFile probe(QDir(folder).filePath(".tessary-write-test-XXXXXX"));
  return probe.open();
}

QString chooseProgramFolder(const QString& executableFolder, const QString& userDataFolder) {
  // An installed program never writes beside itself, not even for root.
  const QString exe = QDir::cleanPath(executableFolder);
  const bool installed = exe == "/usr" || exe.startsWith("/usr/");
  if (!installed && folderIsWritable(exe)) return exe;
  QDir().mkpath(userDataFolder);
  return QDir::cleanPath(userDataFolder);
}

bool ensureDefaultTemplate(const QString& programFolder) {
  bool written = false;
  return templates::ensureDefaultTemplatePackage(programFolder.toStdString(), written).ok();
}

}  // namespace tessary::app
