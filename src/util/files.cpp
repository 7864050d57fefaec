#include "util/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "util/fault_injection.h"

namespace tessary::util {

bool isBareFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || u < 32) return false;
  }
  return true;
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool directoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t fileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

std::string errnoText(int err) { return std::strerror(err); }

Status createDirectories(const std::string& path) {
  if (path.empty() || directoryExists(path)) return Status::OK();
  std::string partial;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t next = path.find('/', pos);
    if (next == std::string::npos) next = path.size();
    partial = path.substr(0, next);
    if (!partial.empty() && !directoryExists(partial)) {
      if (::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST)
        return Status::Error("Cannot create " + path + ": " + errnoText(errno));
    }
    pos = next + 1;
  }
  if (!directoryExists(path)) return Status::Error("Cannot create " + path);
  return Status::OK();
}

Status readFile(const std::string& path, std::string& out, uint64_t maxBytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Status::Error("Cannot read " + path + ": " + errnoText(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Status::Error("Cannot read " + path + ": not a file");
  }
  if (static_cast<uint64_t>(st.st_size) > maxBytes) {
    ::close(fd);
    return Status::Error("Cannot read " + path + ": the file is too large");
  }
  std::string data;
  data.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  char probe[4096];
  for (;;) {
    // Read into the buffer sized by fstat; a file that grew meanwhile goes on
    // through a small probe, so an exactly sized file is never copied again.
    const bool intoData = got < data.size();
    const ssize_t n = intoData ? ::read(fd, data.data() + got, data.size() - got) : ::read(fd, probe, sizeof probe);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      return Status::Error("Cannot read " + path + ": " + errnoText(err));
    }
    if (n == 0) break;
    if (!intoData) data.append(probe, static_cast<size_t>(n));
    got += static_cast<size_t>(n);
    if (got > maxBytes) {
      ::close(fd);
      return Status::Error("Cannot read " + path + ": the file is too large");
    }
  }
  ::close(fd);
  data.resize(got);
  out.swap(data);
  return Status::OK();
}

namespace {

constexpr std::string_view kTemporaryTag = ".tmp";
constexpr size_t kTemporaryDigits = 8;

std::string temporaryNameFor(const std::string& path) {
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".tmp%08llx", static_cast<unsigned long long>(rng() & 0xFFFFFFFFu));
  return joinPath(folderOf(path), "." + fileNameOf(path) + suffix);
}

// What a full disk reports, for a write the fault seam fails.
Status injectedWriteFailure(const std::string& path) {
  return Status::Error("Cannot write " + path + ": " + errnoText(ENOSPC));
}

Status writeAll(int fd, const char* p, size_t n, const std::string& path) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return Status::Error("Cannot write " + path + ": " + errnoText(errno));
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return Status::OK();
}

}  // namespace

Status writeTemporaryFile(const std::string& path, std::string_view bytes, std::string& temporary) {
  temporary.clear();
  if (faultPoint(FaultKind::FileWrite) == FaultAction::Fail) return injectedWriteFailure(path);
  const std::string tmp = temporaryNameFor(path);
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return Status::Error("Cannot write " + path + ": " + errnoText(errno));
  Status st = writeAll(fd, bytes.data(), bytes.size(), path);
  if (::close(fd) != 0 && st.ok()) st = Status::Error("Cannot write " + path + ": " + errnoText(errno));
  if (!st.ok()) {
    ::unlink(tmp.c_str());
    return st;
  }
  temporary = tmp;
  return st;
}

Status putTemporaryInPlace(const std::string& temporary, const std::string& path) {
  Status st;
  if (faultPoint(FaultKind::FileRename) == FaultAction::Fail) st = injectedWriteFailure(path);
  if (st.ok() && ::rename(temporary.c_str(), path.c_str()) != 0)
    st = Status::Error("Cannot write " + path + ": " + errnoText(errno));
  if (!st.ok()) ::unlink(temporary.c_str());
  return st;
}

Status writeFileAtomic(const std::string& path, std::string_view bytes) {
  std::string tmp;
  const Status st = writeTemporaryFile(path, bytes, tmp);
  return st.ok() ? putTemporaryInPlace(tmp, path) : st;
}

Status copyFileAtomic(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Status::Error("Cannot read " + from + ": " + errnoText(errno));
  if (faultPoint(FaultKind::FileWrite) == FaultAction::Fail) {
    ::close(in);
    return injectedWriteFailure(to);
  }
  const std::string tmp = temporaryNameFor(to);
  const int out = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (out < 0) {
    const int err = errno;
    ::close(in);
    return Status::Error("Cannot write " + to + ": " + errnoText(err));
  }
  Status st;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      st = Status::Error("Cannot read " + from + ": " + errnoText(errno));
      break;
    }
    if (n == 0) break;
    st = writeAll(out, buffer.data(), static_cast<size_t>(n), to);
    if (!st.ok()) break;
  }
  ::close(in);
  if (::close(out) != 0 && st.ok()) st = Status::Error("Cannot write " + to + ": " + errnoText(errno));
  if (st.ok() && faultPoint(FaultKind::FileRename) == FaultAction::Fail) st = injectedWriteFailure(to);
  if (st.ok() && ::rename(tmp.c_str(), to.c_str()) != 0)
    st = Status::Error("Cannot write " + to + ": " + errnoText(errno));
  if (!st.ok()) ::unlink(tmp.c_str());
  return st;
}

Status removeFile(const std::string& path) {
  if (faultPoint(FaultKind::Delete) == FaultAction::Fail)
    return Status::Error("Cannot delete " + path + ": " + errnoText(EACCES));
  if (::unlink(path.c_str()) != 0) return Status::Error("Cannot delete " + path + ": " + errnoText(errno));
  return Status::OK();
}

bool isTemporaryLeftover(std::string_view name) {
  // "." + a name of at least one character + ".tmp" + eight hexadecimal digits.
  const size_t tail = kTemporaryTag.size() + kTemporaryDigits;
  if (name.size() < 2 + tail || name[0] != '.') return false;
  const std::string_view suffix = name.substr(name.size() - tail);
  if (suffix.substr(0, kTemporaryTag.size()) != kTemporaryTag) return false;
  for (const char c : suffix.substr(kTemporaryTag.size()))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::vector<std::string> removeTemporaryLeftovers(const std::string& folder) {
  std::vector<std::string> removed;
  DIR* d = ::opendir(folder.c_str());
  if (!d) return removed;
  std::vector<std::string> found;
  while (dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (!isTemporaryLeftover(name)) continue;
    // Only a plain file of our own pattern; a link of that name is left alone.
    struct stat st {};
    if (::lstat(joinPath(folder, name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) found.push_back(name);
  }
  ::closedir(d);
  std::sort(found.begin(), found.end());
  for (const std::string& name : found)
    if (removeFile(joinPath(folder, name)).ok()) removed.push_back(name);
  return removed;
}

Status renameFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0)
    return Status::Error("Cannot rename " + from + " to " + to + ": " + errnoText(errno));
  return Status::OK();
}

std::string joinPath(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string r(folder);
  if (r.back() != '/') r += '/';
  r += name;
  return r;
}

std::string fileNameOf(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string folderOf(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string extensionOf(std::string_view path) {
  const std::string name = fileNameOf(path);
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string changeExtension(std::string_view path, std::string_view ext) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  std::string base(path);
  if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)) base.resize(dot);
  return base + std::string(ext);
}

std::string absolutePath(std::string_view path) {
  if (!path.empty() && path[0] == '/') return std::string(path);
  char buf[4096];
  if (!::getcwd(buf, sizeof buf)) return std::string(path);
  return joinPath(buf, path);
}

std::vector<std::string> listFiles(const std::string& folder) {
  std::vector<std::string> names;
  DIR* d = ::opendir(folder.c_str());
  if (!d) return names;
  while (dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (fileExists(joinPath(folder, name))) names.push_back(name);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tessary::util
