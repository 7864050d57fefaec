// The publishing runs: bring a web server (by FTP) or a destination folder (by
// file copy) in line with the pages of the last generation run. Both walk the
// page-tracking table tblPages of the open blog in PageKey order, send what
// changed since it was last published, delete what the blog no longer
// produces, and store each success in the row at once, so that the next run
// sends only what changed since. Every step is a line in the progress log.
//
// The generator and the publishers meet only in the output folder and in the
// rows of tblPages; a run reads the options of the open blog when it starts.
#pragma once

#include <functional>
#include <string>

#include "util/progress_log.h"

namespace tessary::store {
class BlogDb;
}

namespace tessary::publish {

class TFTPSend;

// An FTP upload goes to the file's name followed by this, then is renamed.
inline constexpr const char* kTemporaryUploadSuffix = ".tessary-upload";

// The page limits of "Publish to Web" and "Publish Next 10".
inline constexpr int kPublishAllLimit = 999999;
inline constexpr int kPublishNextLimit = 10;

// How a run ended, for front ends that report an exit status: completed is
// false when the run stopped before its walk (missing settings, logon failure,
// directory trouble, a cancelled confirmation).
struct PublishOutcome {
  bool completed = false;
  int acted = 0;
  int errors = 0;
  int skipped = 0;
  // Pages not sent because their local copy is not the one the last
  // generation run recorded (PageCRCLocal differs from PageCRCNew).
  int incomplete = 0;
  // The last generation run did not finish: removed pages were not deleted.
  bool deletionsWithheld = false;
  // A mass deletion was asked about and not confirmed: nothing was deleted.
  bool deletionsDeclined = false;
};

// Adjusts the FTP session after the run has configured it from the options and
// before it logs on (a shorter time-out, a local address).
using SessionSetup = std::function<void(TFTPSend&)>;

// The FTP run: logs on to option 501 at port 502 as 504/505, changes to (or
// creates) the directory 503, uploads new and changed pages, deletes removed
// ones, at most pageLimit of them. Asks through blog.ui() when the server's
// directory is not the one expected. Raises for faults of the blog file and for
// a local file that exists but cannot be read.
PublishOutcome PublishFTP(store::BlogDb& blog, const std::string& outputFolder, ProgressLog& log, int pageLimit,
                          const SessionSetup& setup = {});

// The file-copy run into the folder of option 512: a write test of the
// destination, then the same walk with copies and deletions.
PublishOutcome PublishFileCopy(store::BlogDb& blog, const std::string& outputFolder, ProgressLog& log, int pageLimit);

// "Publish to Web" and "Publish Next 10": the file-copy run when option 511 is
// 1, the FTP run otherwise.
PublishOutcome PublishPages(store::BlogDb& blog, const std::string& outputFolder, ProgressLog& log, int pageLimit,
                            const SessionSetup& setup = {});

}  // namespace tessary::publish
