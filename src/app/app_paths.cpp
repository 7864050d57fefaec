#include "app/app_paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include "templates/package.h"
#include "util/files.h"

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

bool ensureShippedTemplates(const QString& programFolder, const QString& shippedFolder) {
  const QDir shipped(shippedFolder);
  const QDir program(programFolder);
  if (!shipped.exists() || QDir::cleanPath(shipped.absolutePath()) == QDir::cleanPath(program.absolutePath())) return true;
  bool ok = true;
  for (const QString& name : shipped.entryList({"*.tem"}, QDir::Files, QDir::Name)) {
    const QString target = program.filePath(name);
    if (QFile::exists(target)) continue;
    ok = util::copyFileAtomic(shipped.filePath(name).toStdString(), target.toStdString()).ok() && ok;
  }
  return ok;
}

QString shippedTemplateFolder(const QString& executableFolder) {
  return QDir::cleanPath(QDir(executableFolder).filePath("../share/tessary/templates"));
}

}  // namespace tessary::app
