#include "publish/ftp_blog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <memory>

#include "publish/ftpsend.h"
#include "store/blog_db.h"
#include "util/date_time.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::publish {

namespace {

using store::Table;

// Row writes of a run are grouped into transactions that are committed every
// so often and on every way out (an error included), so that thousands of rows
// do not cost a disk sync each and a run that ends early keeps what it stored.
class RowCommitter {
 public:
  explicit RowCommitter(store::Database& db) : db_(db), since_(std::chrono::steady_clock::now()) { db_.begin(); }
  ~RowCommitter() {
    try {
      db_.commit();
    } catch (...) {
      try {
        db_.rollback();
      } catch (...) {
      }
    }
  }
  RowCommitter(const RowCommitter&) = delete;
  RowCommitter& operator=(const RowCommitter&) = delete;

  void stored() {
    const auto now = std::chrono::steady_clock::now();
    if (++pending_ >= 256 || now - since_ > std::chrono::seconds(1)) {
      db_.commit();
      db_.begin();
      pending_ = 0;
      since_ = now;
    }
  }

 private:
  store::Database& db_;
  int pending_ = 0;
  std::chrono::steady_clock::time_point since_;
};

// The walk's view of one tblPages row.
struct PageRow {
  std::string name;
  int32_t crcNew = 0;
  int32_t crcExisting = 0;
};

PageRow readRow(Table& pages) {
  return {pages.asString("PageKey"), pages.asInteger("PageCRCNew"), pages.asInteger("PageCRCExisting")};
}

void markPublished(Table& pages, int32_t crc) {
  pages.edit();
  pages.setInteger("PageCRCExisting", crc);
  pages.post();
}

void startWalk(Table& pages) {
  if (pages.indexName() != store::kDisplayKey) pages.setIndex(store::kDisplayKey);
  pages.first();
}

// A PageKey that is not a bare file name would reach outside the folder; it is
// never sent, copied or deleted.
void reportBadName(ProgressLog& log, const std::string& name) {
  log.AppendColouredLine(colours::kRed, "..." + name + " is not a plain file name; skipped.");
}

// What a run does with one row: `remove` deletes a removed page at the
// destination and `send` publishes a new or changed one; each returns true on
// success and reports its own failure in the log.
struct PageActions {
  std::string sendLine;  // "...Uploading " or "...Copying "
  std::function<bool(const PageRow&)> remove;
  std::function<bool(const PageRow&)> send;
};

// The walk both runs share: every row of tblPages once, in PageKey order, with
// the page limit and the counters; each success is stored in its row at once.
void walkPages(store::BlogDb& blog, ProgressLog& log, int pageLimit, const PageActions& actions,
               PublishOutcome& out) {
  Table& pages = blog.tblPages();
  RowCommitter committer(blog.database());
  startWalk(pages);
  while (!pages.eof()) {
    const PageRow row = readRow(pages);
    const bool removedPage = row.crcNew == 0;
    if (!removedPage && row.crcNew == row.crcExisting) {  // unchanged: nothing, not counted
      pages.next();
      continue;
    }
    if (out.acted >= pageLimit) {
      ++out.skipped;
      pages.next();
      continue;
    }
    log.AppendLine((removedPage ? "...Deleting " : actions.sendLine) + row.name);
    ++out.acted;
    if (!util::isBareFileName(row.name)) {
      reportBadName(log, row.name);
      ++out.errors;
    } else if (!(removedPage ? actions.remove(row) : actions.send(row))) {
      ++out.errors;
    } else if (removedPage) {
      pages.deleteRow();  // the row that followed becomes current
      committer.stored();
      continue;
    } else {
      markPublished(pages, row.crcNew);
      committer.stored();
    }
    pages.next();
  }
}

// Receives the session's status events and shows the conversation in blue.
class TFTPStatusObject {
 public:
  explicit TFTPStatusObject(ProgressLog& log) : log_(log) {}
  void onStatus(bool response, const std::string& value) {
    // The password is never shown, whoever looks at the log.
    if (!response && util::startsWith(value, "PASS ") && value.size() > 5) {
      log_.AppendColouredLine(colours::kBlue, "  FTP = PASS ********");
      return;
    }
    log_.AppendColouredLine(colours::kBlue, "  FTP = " + value);
  }

 private:
  ProgressLog& log_;
};

// The session and its status object live for one run; the handler is detached
// before either is released, on every path.
struct FtpRunState {
  explicit FtpRunState(ProgressLog& log) : statusObject(std::make_unique<TFTPStatusObject>(log)),
                                           session(std::make_unique<TFTPSend>()) {}
  ~FtpRunState() {
    session->OnStatus = nullptr;
    session.reset();
    statusObject.reset();
  }
  std::unique_ptr<TFTPStatusObject> statusObject;
  std::unique_ptr<TFTPSend> session;
};

void showFailureDetails(ProgressLog& log, const TFTPSend& session) {
  for (const std::string& line : session.FullResult()) log.AppendColouredLine(colours::kRed, "  FTP  = " + line);
  log.AppendColouredLine(colours::kRed, "  FTP Data IP/Port     = " + session.DataIP() + " / " + session.DataPort());
}

std::string withoutSlashes(std::string s) {
  s = util::replaceAll(s, "/", "");
  return util::replaceAll(s, "\\", "");
}

PublishOutcome ftpRun(store::BlogDb& blog, const std::string& outputFolder, ProgressLog& log, int pageLimit,
                      const SessionSetup& setup) {
  PublishOutcome out;
  store::BlogOptionsRec& options = blog.options();
  if (util::charCount(options.FTPSite) < 3) {
    log.AppendColouredLine(colours::kRed, "*** Warning: Can not upload files yet - FTP information required.");
    log.AppendColouredLine(colours::kRed,
                           "*** Please visit the OPTIONS page for PUBLISHING OPTIONS and enter your FTP information "
                           "before trying to upload.");
    return out;
  }
  log.AppendColouredLine(colours::kBlack, "Publishing using FTP");
  if (options.FTPPort.empty()) options.FTPPort = "21";

  FtpRunState state(log);
  TFTPSend& ftp = *state.session;
  if (options.ShowFTPConversation == 1) {
    TFTPStatusObject* receiver = state.statusObject.get();
    ftp.OnStatus = [receiver](TFTPSend&, bool response, const std::string& value) {
      receiver->onStatus(response, value);
    };
  }
  ftp.BinaryMode = true;
  ftp.PassiveMode = options.FTPPassive != 0;
  log.AppendLine("Logging on to " + options.FTPSite + " port " + options.FTPPort + " as user " + options.FTPUserid);
  if (!options.FTPUserid.empty()) {
    ftp.UserName = options.FTPUserid;
    ftp.Password = options.FTPPassword;
  }
  ftp.TargetHost = options.FTPSite;
  ftp.TargetPort = options.FTPPort;
  if (setup) setup(ftp);
  if (!ftp.LogOn()) {
    log.AppendColouredLine(colours::kRed, "Logon failed");
    showFailureDetails(log, ftp);
    return out;
  }

  const std::string initial = ftp.CurrentDirectory();
  log.AppendLine("Initial directory is " + initial);
  const std::string target = options.FTPTargetDirectory;
  if (!target.empty()) {
    log.AppendLine("Changing to Directory " + target);
    if (!ftp.ChangeDirectory(target)) {
      log.AppendLine("Directory " + target + " does not exist.");
      if (!ftp.MakeDirectory(target)) {
        log.AppendColouredLine(colours::kRed, "Error creating Directory " + target);
        log.AppendColouredLine(colours::kRed, "Giving up!");
        showFailureDetails(log, ftp);
        ftp.LogOff();
        return out;
      }
      log.AppendLine("Created Directory " + target);
      log.AppendLine("Changing to Directory " + target);
      ftp.ParentDirectory();
      ftp.ChangeDirectory(target);
    }
  }
  const std::string current = ftp.CurrentDirectory();
  log.AppendLine("Current directory is now " + current);
  const std::string reduced = withoutSlashes(util::replaceAll(util::trim(current), initial, ""));
  const std::string trimmedTarget = util::trim(target);
  if (!util::equalsNoCase(reduced, withoutSlashes(trimmedTarget))) {
    const store::Answer answer =
        blog.ui().confirm("Current directory is now " + current + "\n\nand not " + trimmedTarget +
                              "\n\nso target directory may be wrong...\n\nProceed with upload?",
                          store::Buttons::OkCancel);
    if (answer != store::Answer::Ok) {
      ftp.LogOff();
      return out;
    }
  }

  ftp.DirectFile = true;
  PageActions actions;
  actions.sendLine = "...Uploading ";
  actions.remove = [&](const PageRow& row) {
    if (ftp.RemoveFile(row.name) || row.crcExisting == 0) return true;
    log.AppendLine("..." + row.name + " not deleted.");
    showFailureDetails(log, ftp);
    return false;
  };
  actions.send = [&](const PageRow& row) {
    ftp.DirectFileName = util::joinPath(outputFolder, row.name);
    if (ftp.UploadFile(row.name, false)) return true;
    log.AppendLine("..." + row.name + " upload failed.");
    showFailureDetails(log, ftp);
    return false;
  };
  walkPages(blog, log, pageLimit, actions, out);

  log.AppendLine("Logging out.");
  ftp.LogOff();
  if (out.skipped != 0) log.AppendLine(std::to_string(out.skipped) + " record(s) skipped.");
  if (out.errors != 0)
    log.AppendColouredLine(colours::kRed, "Upload complete with " + std::to_string(out.errors) + " error(s).");
  else
    log.AppendLine("Upload complete.");
  out.completed = true;
  return out;
}

// Writes the whole text into a new file (truncating one that exists).
bool writeTestFile(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  size_t done = 0;
  bool ok = true;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    done += static_cast<size_t>(n);
  }
  return ::close(fd) == 0 && ok;
}

PublishOutcome fileCopyRun(store::BlogDb& blog, const std::string& outputFolder, ProgressLog& log, int pageLimit) {
  PublishOutcome out;
  std::string destination = util::trim(blog.options().FileCopyDestination);
  const std::string source = util::trim(outputFolder);
  if (util::charCount(destination) < 2) {
    log.AppendColouredLine(colours::kRed,
                           "*** Please visit the OPTIONS page for PUBLISHING OPTIONS and enter your FILE COPY "
                           "information before trying to upload.");
    return out;
  }
  if (destination.back() != '/') destination += '/';
  log.AppendColouredLine(colours::kBlack, "Publishing using File Copy - Destination is " + destination);
  if (!util::createDirectories(destination).ok()) {
    log.AppendColouredLine(colours::kRed, "*** Unable to create destination directory.");
    return out;
  }
  const std::string testName = "~~~" + util::formatDateTime("yyyymmddhhnnss", util::now()) + ".$$$";
  const std::string testPath = destination + testName;
  log.AppendLine("Validating File Copy Destination...");
  log.AppendLine("...Publishing temporary file  - " + testName);
  if (util::fileExists(testPath)) util::removeFile(testPath);
  if (!writeTestFile(testPath, testPath)) {
    log.AppendColouredLine(colours::kRed, "*** Unable to write to destination directory.");
    return out;
  }
  log.AppendLine("...Removing temporary file  - " + testName);
  if (util::fileExists(testPath)) util::removeFile(testPath);
  log.AppendLine("Validation complete.");
  log.AppendLine("File Copy started.");

  PageActions actions;
  actions.sendLine = "...Copying ";
  actions.remove = [&](const PageRow& row) {
    const std::string target = destination + row.name;
    if (util::fileExists(target)) util::removeFile(target);
    if (util::fileExists(target) && row.crcExisting != 0) {
      log.AppendLine("..." + row.name + " not deleted.");
      return false;
    }
    return true;
  };
  actions.send = [&](const PageRow& row) {
    const std::string target = destination + row.name;
    if (!util::copyFileAtomic(util::joinPath(source, row.name), target).ok()) {
      log.AppendColouredLine(colours::kRed, "..." + row.name + " copy failed.");
      return false;
    }
    if (!util::fileExists(target)) {
      log.AppendLine("..." + row.name + " copy failed.");
      return false;
    }
    return true;
  };
  walkPages(blog, log, pageLimit, actions, out);

  if (out.skipped != 0) log.AppendLine(std::to_string(out.skipped) + " record(s) skipped.");
  if (out.errors != 0)
    log.AppendColouredLine(colours::kRed, "File Copy complete with " + std::to_string(out.errors) + " error(s).");
  else
    log.AppendLine("File Copy complete.");
  out.completed = true;
  return out;
}

// The name under which every publishing run holds the blog.
constexpr const char* kPublishCommand = "Publish to Web";

}  // namespace

PublishOutcome PublishFTP(store::BlogDb& blog, const std::string& outputFolder, ProgressLog& log, int pageLimit,
                          const SessionSetup& setup) {
  const store::BlogDb::RunScope run(blog, kPublishCommand);
  return ftpRun(blog, outputFolder, log, pageLimit, setup);
}

PublishOutcome PublishFileCopy(store::BlogDb& blog, const std::string& outputFolder, ProgressLog& log, int pageLimit) {
  const store::BlogDb::RunScope run(blog, kPublishCommand);
  return fileCopyRun(blog, outputFolder, log, pageLimit);
}

PublishOutcome PublishPages(store::BlogDb& blog, const std::string& outputFolder, ProgressLog& log, int pageLimit,
                            const SessionSetup& setup) {
  const store::BlogDb::RunScope run(blog, kPublishCommand);
  if (blog.options().PublishingLocation == 1) return fileCopyRun(blog, outputFolder, log, pageLimit);
  return ftpRun(blog, outputFolder, log, pageLimit, setup);
}

}  // namespace tessary::publish
