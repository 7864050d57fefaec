#include "store/blog_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "store/database.h"
#include "util/files.h"

namespace tessary::store {

namespace {

int openForLock(const std::string& fileName) {
  // O_NONBLOCK: a FIFO planted under the name must not hang the open.
  return ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

bool lockExclusive(int fd) {
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EINTR) return false;
  }
}

bool sameFile(int fd, const std::string& fileName) {
  struct stat a {}, b {};
  if (::fstat(fd, &a) != 0 || ::stat(fileName.c_str(), &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::string blogInUseMessage(const std::string& fileName) {
  return "Blog file " + fileName + " is in use by another Tessary program.";
}

BlogFileLock::~BlogFileLock() { release(); }

void BlogFileLock::release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool BlogFileLock::holds(const std::string& fileName) const { return fd_ >= 0 && sameFile(fd_, fileName); }

void BlogFileLock::acquire(const std::string& fileName) {
  if (holds(fileName)) return;
  release();
  // The holder may replace the file by a rename between our open and our lock
  // (a compaction): then the lock is on a file that no longer has the name, and
  // the name is taken again.
  for (int attempt = 0; attempt < 20; ++attempt) {
    const int fd = openForLock(fileName);
    if (fd < 0) return;
    if (!lockExclusive(fd)) {
      const int err = errno;
      ::close(fd);
      if (err == EWOULDBLOCK) throw StoreError(blogInUseMessage(fileName));
      return;  // a file system without flock: nothing to hold
    }
    if (sameFile(fd, fileName)) {
      fd_ = fd;
      return;
    }
    ::close(fd);
  }
  throw StoreError(blogInUseMessage(fileName));
}

Status BlogFileLock::renameOver(const std::string& replacement, const std::string& target) {
  const int fd = openForLock(replacement);
  if (fd < 0) return Status::Error("Cannot open " + replacement + ": " + util::errnoText(errno));
  if (!lockExclusive(fd)) {
    ::close(fd);
    return Status::Error(blogInUseMessage(replacement));
  }
  const Status moved = util::renameFile(replacement, target);
  if (!moved.ok()) {
    ::close(fd);
    return moved;
  }
  release();
  fd_ = fd;
  return Status::OK();
}

}  // namespace tessary::store
