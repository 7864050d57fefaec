// One writer per blog file. Every front end holds a BlogFileLock on the blog
// file for as long as it has the blog open (the desktop application from Open
// Blog to Close Blog, a command of tessary-cli for its run); a second Tessary
// program that tries to open the same file is refused at once.
//
// The lock is flock(LOCK_EX) on a descriptor of the blog file itself, so no
// file of its own appears beside the blog, and the system drops it when the
// process ends, however it ends. On Linux flock locks and the fcntl record
// locks SQLite uses are independent of each other, so the lock never disturbs
// SQLite's own locking. Since closing any descriptor of a file drops the
// process's fcntl locks on it, the lock's descriptor is closed only when no
// connection of ours has the file open.
//
// A flock belongs to the file (the inode), not to its name: maintenance that
// replaces the blog file by a rename moves the lock to the new file before the
// rename (renameOver), so the name is never unlocked in between.
#pragma once

#include <string>

#include "util/status.h"

namespace tessary::store {

class BlogFileLock {
 public:
  BlogFileLock() = default;
  ~BlogFileLock();
  BlogFileLock(const BlogFileLock&) = delete;
  BlogFileLock& operator=(const BlogFileLock&) = delete;

  // Locks fileName. Raises StoreError "Blog file NAME is in use by another
  // Tessary program." (NAME as given) when another open file holds the lock,
  // also one of this process. A file that cannot be opened at all is not
  // locked and no error is raised: opening the blog then says what is wrong.
  // A lock held on another file is released first.
  void acquire(const std::string& fileName);
  void release();
  bool held() const { return fd_ >= 0; }
  // True when the lock is held on the file that fileName names now.
  bool holds(const std::string& fileName) const;

  // Renames `replacement` over the locked file `target`, the lock moving with
  // it: the replacement is locked first, the old file unlocked after the
  // rename. On failure nothing changed and the old file stays locked.
  // REQUIRES: no connection of ours has target or replacement open.
  Status renameOver(const std::string& replacement, const std::string& target);

 private:
  int fd_ = -1;
};

// The message of a refused opener.
std::string blogInUseMessage(const std::string& fileName);

}  // namespace tessary::store
