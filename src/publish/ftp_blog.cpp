#include "publish/ftp_blog.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <map>
#include <memory>

#include "generator/page_output.h"
#include "publish/ftpsend.h"
#include "publish/publish_plan.h"
#include "store/blog_db.h"
#include "util/date_time.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::publish {

namespace {

using store::Table;

// Row writes of a run are grouped into transactions that are committed at
// least once a second, so that thousands of rows do not cost a disk sync each.
// Only what a crash can safely repeat is grouped: a page marked published is
// sent again if its mark is lost; a deletion's outcome (its row removed) is
// committed before the next command, since the next run could not delete that
// file again. A commit that fails gives up its batch alone, writes a red line
// and raises; a run left by another error keeps what it stored.
class RowCommitter {
 public:
  RowCommitter(store::BlogDb& blog, ProgressLog& log)
      : blog_(blog), log_(log), since_(std::chrono::steady_clock::now()) {
    blog_.database().begin();
  }
  ~RowCommitter() {
    if (!open_) return;
    try {
      blog_.database().commit();
    } catch (...) {
      try {
        blog_.database().rollback();
      } catch (...) {
      }
    }
  }
  RowCommitter(const RowCommitter&) = delete;
  RowCommitter& operator=(const RowCommitter&) = delete;

  // A row that may wait for the next commit.
  void stored() {
    const auto now = std::chrono::steady_clock::now();
    if (++pending_ >= 256 || now - since_ >= std::chrono::milliseconds(900)) commitNow(true);
  }
  // A row that must be on disk before the run goes on.
  void storedAtOnce() { commitNow(true); }
  // The end of the walk.
  void finish() { commitNow(false); }

 private:
  void commitNow(bool reopen) {
    store::Database& db = blog_.database();
    try {
      db.commit();
    } catch (const std::exception& e) {
      open_ = false;
      try {
        db.rollback();
      } catch (...) {
      }
      const std::string message = "Cannot store the publishing state in " + blog_.fileName() + ": " + e.what();
      log_.AppendColouredLine(colours::kRed, "*** Error: " + message + " ***");
      throw store::StoreError(message);
    }
    open_ = false;
    pending_ = 0;
    since_ = std::chrono::steady_clock::now();
    if (reopen) {
      db.begin();
      open_ = true;
    }
  }

  store::BlogDb& blog_;
  ProgressLog& log_;
  bool open_ = true;
  int pending_ = 0;
  std::chrono::steady_clock::time_point since_;
};

void markPublished(Table& pages, int32_t crc) {
  pages.edit();
  pages.setInteger("PageCRCExisting", crc);
  pages.post();
}

// A PageKey that is not a bare file name would reach outside the folder; it is
// never sent, copied or deleted.
void reportBadName(ProgressLog& log, const std::string& name) {
  log.AppendColouredLine(colours::kRed, "..." + name + " is not a plain file name; skipped.");
}

// What a run does with one file: `remove` deletes a removed page at the
// destination and `send` publishes a new or changed one; each returns true on
// success and reports its own failure in the log. `lost`, when set, tells
// that the destination can no longer be reached.
struct PageActions {
  std::string sendLine;  // "...Uploading " or "...Copying "
  std::function<bool(const PlannedFile&)> remove;
  std::function<bool(const PlannedFile&)> send;
  std::function<bool()> lost;
};

// The first line of every run: what it is about to do.
PublishPlan announcePlan(store::BlogDb& blog, const std::string& outputFolder, ProgressLog& log) {
  PublishPlan plan = PlanPublish(blog, outputFolder);
  log.AppendLine("Publish plan: " + planTotals(plan) + ".");
  return plan;
}

// A run that would wipe much of the site asks first; false when the answer is No.
bool deletionsConfirmed(store::BlogDb& blog, ProgressLog& log, const PublishPlan& plan, int pageLimit) {
  const int deletions = publishedDeletionsWithin(plan, pageLimit);
  if (!isMassDeletion(deletions, plan.publishedCount)) return true;
  if (blog.ui().confirm(massDeletionQuestion(deletions, plan.publishedCount), store::Buttons::YesNo) ==
      store::Answer::Yes)
    return true;
  log.AppendColouredLine(colours::kRed, "Nothing will be deleted: the deletion of " + std::to_string(deletions) +
                                            " file(s) was not confirmed.");
  return false;
}

// The walk both runs share: the plan's steps in order, with the page limit and
// the counters; each success is stored in its row. Deletions come last and
// only when every upload of the run succeeded; when the destination can no
// longer be reached the rest is left for the next run.
void walkPlan(store::BlogDb& blog, ProgressLog& log, int pageLimit, const PublishPlan& plan, bool mayDelete,
              const PageActions& actions, PublishOutcome& out) {
  Table& pages = blog.tblPages();
  if (pages.indexName() != store::kDisplayKey) pages.setIndex(store::kDisplayKey);
  out.deletionsWithheld = plan.deletionsWithheld;
  if (out.deletionsWithheld)
    log.AppendColouredLine(colours::kRed,
                           "The last generation run did not finish: generate the pages again before publishing "
                           "deletions.");
  for (const std::string& name : plan.incomplete) {
    log.AppendColouredLine(colours::kRed, "..." + name +
                                              " skipped: its file in the output folder is not the one the last "
                                              "generation run produced.");
    ++out.incomplete;
  }
  RowCommitter committer(blog, log);
  int sendFailures = 0;
  bool postponed = false;
  for (size_t i = 0; i < plan.steps.size(); ++i) {
    const PlannedFile& f = plan.steps[i];
    if (f.step != PlanStep::Forget && actions.lost && actions.lost()) {
      const auto left = std::count_if(plan.steps.begin() + static_cast<std::ptrdiff_t>(i), plan.steps.end(),
                                      [](const PlannedFile& g) { return g.step != PlanStep::Forget; });
      log.AppendColouredLine(colours::kRed, "The connection to the server is lost: " + std::to_string(left) +
                                                " file(s) left for the next run.");
      out.skipped += static_cast<int>(left);
      break;
    }
    if (!pages.findKey(store::FieldValue(f.name))) continue;
    if (f.step == PlanStep::Forget) {
      log.AppendLine("...Keeping " + f.name + ": its name differs only in case from " + f.twin);
      pages.deleteRow();
      committer.storedAtOnce();
      continue;
    }
    const bool deletion = f.step == PlanStep::Delete;
    if (out.acted >= pageLimit || (deletion && !mayDelete)) {
      ++out.skipped;
      continue;
    }
    if (deletion && sendFailures > 0) {
      if (!postponed)
        log.AppendColouredLine(colours::kRed, "Deletions wait until every upload has succeeded: " +
                                                  std::to_string(plan.steps.size() - i) + " file(s) not deleted.");
      postponed = true;
      ++out.skipped;
      continue;
    }
    log.AppendLine((deletion ? "...Deleting " : actions.sendLine) + f.name);
    ++out.acted;
    if (!util::isBareFileName(f.name)) {
      reportBadName(log, f.name);
      ++out.errors;
    } else if (!(deletion ? actions.remove(f) : actions.send(f))) {
      ++out.errors;
      if (!deletion) ++sendFailures;
    } else if (deletion) {
      pages.deleteRow();
      committer.storedAtOnce();
    } else {
      markPublished(pages, f.crcNew);
      committer.stored();
    }
  }
  committer.finish();
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
    session->OnNotice = nullptr;
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

// A 550 reply to DELE that says the file is not there (rather than that it may
// not be deleted).
bool saysNotFound(const std::string& reply) {
  const std::string text = util::lowerAscii(reply);
  for (const char* words : {"no such file", "not found", "does not exist", "doesn't exist", "not exist"})
    if (text.find(words) != std::string::npos) return true;
  return false;
}

// The name a file is uploaded under before it is renamed into place: beside
// it, so that the rename stays within the directory, and with a suffix no web
// server runs as a script.
std::string temporaryUploadName(const std::string& name) { return name + kTemporaryUploadSuffix; }

std::string withoutSlashes(std::string s) {
  s = util::replaceAll(s, "/", "");
  return util::replaceAll(s, "\\", "");
}

PublishOutcome ftpRun(store::BlogDb& blog, const std::string& outputFolder, ProgressLog& log, int pageLimit,
                      const SessionSetup& setup) {
  PublishOutcome out;
  const PublishPlan plan = announcePlan(blog, outputFolder, log);
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
  const bool mayDelete = deletionsConfirmed(blog, log, plan, pageLimit);
  out.deletionsDeclined = !mayDelete;

  FtpRunState state(log);
  TFTPSend& ftp = *state.session;
  if (options.ShowFTPConversation == 1) {
    TFTPStatusObject* receiver = state.statusObject.get();
    ftp.OnStatus = [receiver](TFTPSend&, bool response, const std::string& value) {
      receiver->onStatus(response, value);
    };
  }
  ftp.OnNotice = [&log](const std::string& line) { log.AppendLine(line); };
  ftp.BinaryMode = true;
  ftp.PassiveMode = options.FTPPassive != 0;
  log.AppendLine("Logging on to " + options.FTPSite + " port " + options.FTPPort + " as user " + options.FTPUserid);
  if (!options.FTPUserid.empty()) {
    ftp.UserName = options.FTPUserid;
    ftp.Password = options.FTPPassword;
  }
  ftp.TargetHost = options.FTPSite;
  ftp.TargetPort = options.FTPPort;
  ftp.Timeout = store::ftpTimeoutSeconds(options) * 1000;
  ftp.Security = options.FTPSecurity == 2   ? TFTPSend::TLSMode::Required
                 : options.FTPSecurity == 1 ? TFTPSend::TLSMode::WhenOffered
                                            : TFTPSend::TLSMode::Plain;
  ftp.TrustedFingerprint = options.FTPCertificateFingerprint;
  if (setup) setup(ftp);
  if (!ftp.LogOn()) {
    if (ftp.CertificateRefused())
      log.AppendColouredLine(colours::kRed, "The server's certificate was refused. Its SHA-256 fingerprint is " +
                                                ftp.CertificateFingerprint() +
                                                "; once you have checked it, enter it as FTP Certificate "
                                                "Fingerprint to trust this certificate for this blog.");
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
  // Each file goes up under a temporary name beside its place and is renamed
  // over the old one once the server holds all of it, so a visitor never gets
  // half a page. A server that refuses the rename gets direct stores for the
  // rest of the run.
  bool byRename = true;
  auto failed = [&](const PlannedFile& f) {
    log.AppendLine("..." + f.name + " upload failed.");
    showFailureDetails(log, ftp);
    return false;
  };
  // Stores the file under remote and checks, where the server tells sizes,
  // that all of it arrived; a failure is reported and leaves nothing under a
  // temporary name.
  auto store = [&](const PlannedFile& f, const std::string& remote) {
    const int64_t size = util::fileSize(ftp.DirectFileName);
    if (!ftp.UploadFile(remote, false)) {
      failed(f);
      if (remote != f.name && !ftp.ControlLost()) ftp.RemoveFile(remote);
      return false;
    }
    int64_t held = 0;
    if (ftp.FileSize(remote, held) && held != size) {
      log.AppendLine("..." + f.name + ": the server holds " + std::to_string(held) + " of its " +
                     std::to_string(size) + " bytes.");
      failed(f);
      if (remote != f.name) ftp.RemoveFile(remote);
      return false;
    }
    if (ftp.ControlLost()) return failed(f);
    return true;
  };
  PageActions actions;
  actions.sendLine = "...Uploading ";
  actions.lost = [&] { return ftp.ControlLost(); };
  actions.remove = [&](const PlannedFile& f) {
    if (ftp.RemoveFile(f.name) || f.crcExisting == 0) return true;
    // Deleted already (a run that died before it could store the outcome).
    if (ftp.ResultCode() == 550 && saysNotFound(ftp.ResultString())) {
      log.AppendLine("..." + f.name + " was no longer on the server.");
      return true;
    }
    log.AppendLine("..." + f.name + " not deleted.");
    showFailureDetails(log, ftp);
    return false;
  };
  actions.send = [&](const PlannedFile& f) {
    ftp.DirectFileName = util::joinPath(outputFolder, f.name);
    if (byRename) {
      const std::string temporary = temporaryUploadName(f.name);
      if (!store(f, temporary)) return false;
      if (ftp.RenameFile(temporary, f.name)) return true;
      if (ftp.ControlLost()) return failed(f);
      log.AppendColouredLine(colours::kRed, "The server refused to rename " + temporary + " to " + f.name + " (" +
                                                ftp.ResultString() +
                                                "): files are stored directly under their names for the rest of "
                                                "this run.");
      byRename = false;
      ftp.RemoveFile(temporary);
    }
    return store(f, f.name);
  };
  walkPlan(blog, log, pageLimit, plan, mayDelete, actions, out);

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

// Writes the whole text into a file that this call creates: nothing that lies
// under the name (a file, a link pointing anywhere) is followed or reused.
bool writeTestFile(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
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
  const PublishPlan plan = announcePlan(blog, outputFolder, log);
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
  const bool mayDelete = deletionsConfirmed(blog, log, plan, pageLimit);
  out.deletionsDeclined = !mayDelete;
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
  // What a copy killed between writing a file and putting it in place left.
  for (const std::string& name : util::removeTemporaryLeftovers(destination))
    log.AppendLine("...Removed the unfinished file " + name + " of an earlier run");
  log.AppendLine("File Copy started.");

  PageActions actions;
  actions.sendLine = "...Copying ";
  actions.remove = [&](const PlannedFile& f) {
    const std::string target = destination + f.name;
    if (util::fileExists(target)) util::removeFile(target);
    if (util::fileExists(target) && f.crcExisting != 0) {
      log.AppendLine("..." + f.name + " not deleted.");
      return false;
    }
    return true;
  };
  actions.send = [&](const PlannedFile& f) {
    const std::string target = destination + f.name;
    if (!util::copyFileAtomic(util::joinPath(source, f.name), target).ok()) {
      log.AppendColouredLine(colours::kRed, "..." + f.name + " copy failed.");
      return false;
    }
    if (!util::fileExists(target)) {
      log.AppendLine("..." + f.name + " copy failed.");
      return false;
    }
    return true;
  };
  walkPlan(blog, log, pageLimit, plan, mayDelete, actions, out);

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
