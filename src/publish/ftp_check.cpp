#include "publish/ftp_check.h"

#include "publish/ftpsend.h"

namespace tessary::publish {

namespace {
std::string lastReply(const TFTPSend& ftp) {
  std::string out;
  for (const std::string& line : ftp.FullResult()) {
    if (!out.empty()) out += '\n';
    out += line;
  }
  return out.empty() ? ftp.ResultString() : out;
}
}  // namespace

FtpCheckResult CheckFtpConnection(const store::BlogOptionsRec& options, int timeoutMs) {
  FtpCheckResult result;
  TFTPSend ftp;
  ftp.Timeout = timeoutMs;
  ftp.PassiveMode = options.FTPPassive != 0;
  ftp.TargetHost = options.FTPSite;
  ftp.TargetPort = options.FTPPort.empty() ? "21" : options.FTPPort;
  if (!options.FTPUserid.empty()) {
    ftp.UserName = options.FTPUserid;
    ftp.Password = options.FTPPassword;
  }
  if (!ftp.LogOn()) {
    result.outcome = FtpCheckResult::kLogOnFailed;
    result.reply = lastReply(ftp);
    return result;
  }
  if (!options.FTPTargetDirectory.empty() && !ftp.ChangeDirectory(options.FTPTargetDirectory)) {
    result.outcome = FtpCheckResult::kDirectoryFailed;
    result.reply = lastReply(ftp);
    ftp.LogOff();
    return result;
  }
  result.directory = ftp.CurrentDirectory();
  result.outcome = FtpCheckResult::kPassed;
  result.reply = lastReply(ftp);
  ftp.LogOff();
  return result;
}

}  // namespace tessary::publish
