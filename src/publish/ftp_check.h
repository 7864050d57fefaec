// A trial of the FTP settings, as the publishing dialog offers it before they
// are saved: log on, change to the target directory (when one is given), log
// off. Nothing is uploaded, made or deleted.
#pragma once

#include <string>

#include "store/blog_options.h"

namespace tessary::publish {

struct FtpCheckResult {
  enum Outcome { kPassed, kLogOnFailed, kDirectoryFailed } outcome = kLogOnFailed;
  // The last reply of the server (empty when none came), and the directory
  // the session ended in when it passed.
  std::string reply;
  std::string directory;
  bool ok() const { return outcome == kPassed; }
};

// Blocks for at most a few waits of timeoutMs each; run it off the window's thread.
// Uses host, port (empty means 21), target directory, user (empty means
// anonymous), password and passive mode from options.
FtpCheckResult CheckFtpConnection(const store::BlogOptionsRec& options, int timeoutMs);

}  // namespace tessary::publish
