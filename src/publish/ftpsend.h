// TFTPSend: a blocking FTP client session (RFC 959, with EPSV and EPRT of
// RFC 2428) of exactly the kind the publisher needs: log on, read the working
// directory, change, make and leave directories, upload files, delete files,
// log off. One control connection; one data connection per transfer.
//
// Network trouble never raises: every operation returns success or failure and
// the last reply (ResultCode, ResultString, FullResult) stays readable, as do
// DataIP and DataPort of the last data connection. The session owns both
// connections and closes them when destroyed, without sending QUIT.
//
// The configuration properties are plain public fields, set by the user of the
// session before LogOn; the results are read through the accessors.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "publish/socket.h"

namespace tessary::publish {

class TFTPSend {
 public:
  // Raised for every command sent (response false, the line without its end)
  // and every reply line read (response true).
  using TFTPStatus = std::function<void(TFTPSend& sender, bool response, const std::string& value)>;

  // A reply line longer than this, or a reply of more lines, counts as a failed read.
  static constexpr size_t kMaxReplyLineBytes = 64 * 1024;
  static constexpr int kMaxReplyLines = 1000;

  TFTPSend();
  ~TFTPSend();
  TFTPSend(const TFTPSend&) = delete;
  TFTPSend& operator=(const TFTPSend&) = delete;

  // Connection settings.
  std::string TargetHost = "127.0.0.1";
  std::string TargetPort = "ftp";
  std::string IPInterface = "0.0.0.0";
  // Milliseconds. Each wait for the network, each whole reply and each data
  // connection takes at most this long; the whole logon at most twice this,
  // and a whole upload at most twice this plus one second per
  // kMinimumRateBytesPerSecond bytes of the file.
  int Timeout = 300000;
  static constexpr int64_t kMinimumRateBytesPerSecond = 16 * 1024;
  std::string UserName = "anonymous";
  std::string Password;  // "anonymous@" + the local host name
  std::string Account;
  // Source of an upload: the local file DirectFileName when DirectFile is set,
  // else the bytes of DataStream.
  bool DirectFile = false;
  std::string DirectFileName;
  std::string DataStream;
  bool PassiveMode = true;
  bool ForceDefaultPort = false;
  bool ForceOldPort = false;
  bool BinaryMode = true;
  // Explicit TLS (RFC 4217): after the greeting, AUTH TLS, then PBSZ 0 and
  // PROT P, so that the logon and every data connection are encrypted.
  // WhenOffered goes on in plain FTP when the server refuses AUTH TLS;
  // Required then ends the logon before USER, so the password never goes out
  // in clear. A certificate that fails the check (the system's trusted
  // certificates and TargetHost) is refused unless its SHA-256 fingerprint is
  // TrustedFingerprint.
  enum class TLSMode { Plain = 0, WhenOffered = 1, Required = 2 };
  TLSMode Security = TLSMode::Plain;
  std::string TrustedFingerprint;
  std::string ExtraTrustFile;  // certificates (PEM) trusted beside the system's
  TFTPStatus OnStatus;
  // Raised with a line for the log when the session does something other than
  // the server asked (a passive reply that named another host), and when a
  // wait for the server passes ten seconds.
  std::function<void(const std::string& line)> OnNotice;
  // How long a wait lasts before OnNotice says so (and again after each such span).
  int NoticeAfter = 10000;  // milliseconds

  int ResultCode() const { return resultCode_; }
  const std::string& ResultString() const { return resultString_; }
  const std::vector<std::string>& FullResult() const { return fullResult_; }
  const std::string& DataIP() const { return dataIP_; }
  const std::string& DataPort() const { return dataPort_; }
  bool CanResume() const { return canResume_; }
  // True once the control connection failed (closed, timed out, an
  // unreadable reply): the conversation cannot go on, and every further
  // command fails without being sent, until the next LogOn.
  bool ControlLost() const { return controlLost_; }
  // The control connection runs over TLS (and so, after PROT P, do the data
  // connections).
  bool ControlEncrypted() const { return control_.tlsActive(); }
  bool DataProtected() const { return protectData_; }
  // The last logon failed because the server's certificate was refused; its
  // SHA-256 fingerprint ("AB:CD:...").
  bool CertificateRefused() const { return certificateRefused_; }
  const std::string& CertificateFingerprint() const { return fingerprint_; }

  // Connects, reads the greeting, runs the logon sequence (USER, PASS, ACCT),
  // sets up the session and tests REST. True when logged in.
  bool LogOn();
  // Sends QUIT and closes the control connection whatever the reply; true on 2xx.
  bool LogOff();
  // PWD; the quoted path of a 2xx reply, empty on any other reply.
  std::string CurrentDirectory();
  bool ChangeDirectory(const std::string& directory);
  bool ParentDirectory();
  bool MakeDirectory(const std::string& directory);
  bool RemoveFile(const std::string& name);
  // RNFR from, then RNTO to; true when both were accepted.
  bool RenameFile(const std::string& from, const std::string& to);
  // SIZE name (RFC 3659); true with the size on a 213 reply that holds one.
  bool FileSize(const std::string& name, int64_t& size);
  // STOR name from the configured source. With resume set (and the server
  // accepting REST) the transfer continues after the remote file's size.
  // A missing local file fails before anything is sent; a local file that
  // exists but cannot be opened raises std::system_error.
  bool UploadFile(const std::string& name, bool resume);

  // Sends the line with CR LF and returns the reply code.
  int SendCommand(const std::string& command);
  // Reads one whole reply; returns its code, 0 when none could be read.
  int ReadReply();

 private:
  struct Source;
  bool OpenDataConnection();
  bool AcceptDataConnection();
  bool SendData(Source& source);
  bool StartTls();
  TlsSettings tlsSettings() const;
  bool StoreData(const std::string& command, int64_t restartOffset);
  void ParsePassiveReply();
  void ParseExtendedPassiveReply();
  void status(bool response, const std::string& value);
  void notice(const std::string& line);
  // The line the failure details show for a read of the control connection that failed.
  std::string readFailure(std::chrono::steady_clock::duration waited) const;
  // Bounds every wait of both connections until the returned guard ends.
  class Bound;

  Socket control_;
  Socket data_;
  int resultCode_ = 0;
  std::string resultString_;
  std::vector<std::string> fullResult_;
  std::string dataIP_;
  std::string dataPort_;
  bool canResume_ = false;
  bool controlLost_ = false;
  bool protectData_ = false;
  std::string currentType_;  // the TYPE the server last accepted ("I", "A"), empty when unknown
  bool certificateRefused_ = false;
  std::string fingerprint_;
  std::string lostReason_;
  std::string waitingFor_;  // "the reply to EPSV", for the log and the failure details
  std::optional<std::chrono::steady_clock::time_point> bound_;
};

}  // namespace tessary::publish
