// The three commands that keep blog files healthy: a backup (a compacted copy
// of the open blog in the backup folder, older copies rotated as name.~1 ...
// name.~N), compaction of the open blog in place, and the repair of a damaged
// blog file into a new one. Progress goes to the status popup; questions,
// messages and the backup dialog go through the blog's UserInterface.
#pragma once

#include <string>

#include "store/blog_db.h"
#include "store/progress_handlers.h"
#include "store/repair.h"

namespace tessary::store {

inline constexpr int kMaxBackups = 25;

// Handlers that show compaction and repair in the status popup
// ("Compacting Blog File 42%", "Repairing Blog File complete").
ProgressHandlers compactionPopup(UserInterface& ui);
ProgressHandlers repairPopup(UserInterface& ui);

// The name of backup number n of a blog file: its extension replaced by ".~n"
// (My.Blog.zdb -> My.Blog.~1).
std::string backupFileName(const std::string& target, int n);

// Runs the backup dialog, rotates the older backups with the count that was in
// effect before the dialog, and writes a compacted copy of the blog to
// <folder>/<name>.~1. Returns true when the backup was written (the blog is
// open again); false after Cancel or when the folder cannot be created (the
// options are then as they were). A failure of the copy raises StoreError after
// the blog was reopened (when the file is still sound).
// REQUIRES: a blog is open.
bool BackupBlog(BlogDb& blog);

// Compacts the open blog file in place (the file is replaced by an atomic
// rename) and opens it again. Raises StoreError as BackupBlog does.
// REQUIRES: a blog is open.
bool CompactBlog(BlogDb& blog);

// Repairs the blog file at path; afterwards no blog is open. A path whose
// extension is not ".zdb" (any case) is refused with a message; a file another
// Tessary program has open raises StoreError (blog_lock.h). On success the
// damaged file is kept beside it as oldCopyName(path) (earlier copies stay) and
// the repaired file takes its place; on failure the file stays as it was, the
// rows that could be read are left in path.new, and the log is shown. Returns
// the repair's result (ok false and an empty log when the file was refused).
RepairResult RepairBlog(BlogDb& blog, const std::string& path);

// Where a repair keeps the damaged file: the first free name of name.old,
// name.old1, name.old2, ... (the highest number is the latest), so that a later
// repair never deletes what an earlier one kept.
std::string oldCopyName(const std::string& path);

}  // namespace tessary::store
