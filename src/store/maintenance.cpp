#include "store/maintenance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "store/compaction.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::store {

namespace {

ProgressHandlers popupHandlers(UserInterface& ui, const std::string& prefix) {
  ProgressHandlers h;
  h.onStart = [&ui, prefix] { ui.statusShow(prefix); };
  h.onProgress = [&ui, prefix](int percent) { ui.statusSetMessage(prefix + std::to_string(percent) + "%"); };
  h.onEnd = [&ui, prefix](bool ok) {
    if (ok) ui.statusSetMessage(prefix + "complete");
    ui.statusClose();
  };
  return h;
}

// After a failed store step the blog is opened again when its file is still
// sound, so that a full disk does not leave the user without the blog.
void reopenIfSound(BlogDb& blog, const std::string& fileName) {
  try {
    blog.OpenBlog(fileName);
  } catch (...) {
    blog.CloseBlog();
  }
}

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Makes room for the new backup number 1. A rename that fails is ignored and
// the rotation goes on.
void rotateBackups(const std::string& target, int keep) {
  for (int k = kMaxBackups; k >= keep; --k) {
    const std::string name = backupFileName(target, k);
    if (util::fileExists(name)) (void)util::removeFile(name);
  }
  for (int k = keep - 1; k >= 1; --k) {
    const std::string from = backupFileName(target, k);
    if (util::fileExists(from)) (void)util::renameFile(from, backupFileName(target, k + 1));
  }
}

}  // namespace

std::string oldCopyName(const std::string& path) {
  for (int k = 0;; ++k) {
    const std::string name = util::changeExtension(path, ".old" + (k == 0 ? std::string() : std::to_string(k)));
    if (!util::fileExists(name) && !util::directoryExists(name)) return name;
  }
}

ProgressHandlers compactionPopup(UserInterface& ui) { return popupHandlers(ui, "Compacting Blog File "); }
ProgressHandlers repairPopup(UserInterface& ui) { return popupHandlers(ui, "Repairing Blog File "); }

std::string backupFileName(const std::string& target, int n) {
  return util::changeExtension(target, ".~" + std::to_string(n));
}

bool BackupBlog(BlogDb& blog) {
  BlogDb::RunScope run(blog, "Backup Blog");
  if (!blog.isOpen()) throw StoreError("No blog is open to back up");
  UserInterface& ui = blog.ui();
  BlogOptionsRec& options = blog.options();
  const std::string location0 = options.BackupLocation;
  const int keep0 = options.BackupsToKeep;

  BackupSettings settings{location0, keep0};
  if (!ui.runBackupDialog(settings)) return false;
  options.BackupLocation = settings.location;
  options.BackupsToKeep = settings.backupsToKeep;

  // An empty location means the default place, the program folder.
  std::string folder = util::trim(settings.location).empty() ? blog.programFolder() : settings.location;
  if (folder.empty()) folder = ".";
  const std::string dir = folder.back() == '/' ? folder : folder + "/";
  if (!util::directoryExists(dir) && !util::createDirectories(dir).ok()) {
    options.BackupLocation = location0;
    options.BackupsToKeep = keep0;
    ui.showMessage("File backup cancelled. Unable to create directory: " + dir);
    return false;
  }
  const std::string blogFile = blog.fileName();
  const std::string target = dir + util::fileNameOf(blogFile);
  // A blog opened from one of its own backups must not be rotated away or overwritten.
  for (int k = 1; k <= kMaxBackups; ++k) {
    if (sameFile(backupFileName(target, k), blogFile)) {
      options.BackupLocation = location0;
      options.BackupsToKeep = keep0;
      ui.showMessage("File backup cancelled. The blog file " + blogFile +
                     " is itself one of the backups in " + dir + "; choose another backup location.");
      return false;
    }
  }

  if (!util::equalsNoCase(location0, settings.location) || keep0 != settings.backupsToKeep) blog.SaveOptions();

  // The count in effect before the dialog rotates; a changed count applies from
  // the next backup on. Counts outside 1 to 25 act as the nearest end. The new
  // copy is complete on disk (as name.~1.tmp) before the older ones move, so a
  // copy that fails or a program killed on the way never costs an older backup.
  const int keep = std::clamp(keep0, 1, kMaxBackups);
  blog.disconnect();
  try {
    writeCompactedCopy(blogFile, backupFileName(target, 1), compactionPopup(ui),
                       [&] { rotateBackups(target, keep); });
  } catch (...) {
    reopenIfSound(blog, blogFile);
    throw;
  }
  blog.OpenBlog(blogFile);
  ui.showMessage("File backup was successfully.");
  return true;
}

bool CompactBlog(BlogDb& blog) {
  BlogDb::RunScope run(blog, "Compact Blog");
  if (!blog.isOpen()) throw StoreError("No blog is open to compact");
  const std::string name = blog.fileName();
  // The blog stays locked through the replacement and is opened again under
  // the same lock: no other program can slip in between.
  blog.disconnect();
  try {
    compactInPlace(name, compactionPopup(blog.ui()), &blog.fileLock());
  } catch (...) {
    reopenIfSound(blog, name);
    throw;
  }
  blog.OpenBlog(name);
  blog.ui().showMessage("File compress was successfully.");
  return true;
}

RepairResult RepairBlog(BlogDb& blog, const std::string& path) {
  BlogDb::RunScope run(blog, "Repair Blog");
  UserInterface& ui = blog.ui();
  if (util::lowerAscii(util::extensionOf(path)) != ".zdb") {
    ui.showMessage("File selected is not a version 2 Tessary file.");
    return RepairResult{};
  }
  blog.CloseBlog();
  // The file is repaired and replaced under its lock: refused while another
  // program has it open, and no program opens it before the repaired file is
  // in place.
  BlogFileLock lock;
  lock.acquire(path);
  const std::string work = util::changeExtension(path, ".new");
  RepairResult result = repairBlogFile(path, work, repairPopup(ui));
  if (!result.ok) {
    if (util::fileExists(work))
      result.log += "The rows that could be read were written to " + work + "; " + path + " was not changed.\n";
    ui.showMessage("Some problems could not be repaired. See repair log:" + result.log);
    return result;
  }
  // Keep the damaged file without ever leaving path missing: a second name for
  // it (or a copy), then the repaired file renamed over path. An earlier
  // repair's copy may hold rows this one could not read: it stays.
  const std::string old = oldCopyName(path);
  if (::link(path.c_str(), old.c_str()) != 0) {
    const Status st = util::copyFileAtomic(path, old);
    if (!st.ok()) throw StoreError(st.message());
  }
  // A journal left beside the damaged file belongs to it, never to the new one.
  const std::string journal = path + "-journal";
  if (util::fileExists(journal)) (void)util::renameFile(journal, old + "-journal");
  const Status moved = lock.renameOver(work, path);
  if (!moved.ok()) throw StoreError(moved.message());
  syncFolderToDisk(util::folderOf(path));
  if (result.replaced.empty())
    ui.showMessage("All data repaired successfully.");
  else
    ui.showMessage("All data repaired successfully. Some values could not be read and were replaced; see repair log:" +
                   result.log);
  return result;
}

}  // namespace tessary::store
