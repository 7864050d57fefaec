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

#include <cstdint>
#include <functional>
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
  int Timeout = 300000;  // milliseconds, for each wait
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
  TFTPStatus OnStatus;
  // Raised with a line for the log when the session does something other than
  // the server asked (a passive reply that named another host).
  std::function<void(const std::string& line)> OnNotice;

  int ResultCode() const { return resultCode_; }
  const std::string& ResultString() const { return resultString_; }
  const std::vector<std::string>& FullResult() const { return fullResult_; }
  const std::string& DataIP() const { return dataIP_; }
  const std::string& DataPort() const { return dataPort_; }
  bool CanResume() const { return canResume_; }

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
  bool StoreData(const std::string& command, int64_t restartOffset);
  void ParsePassiveReply();
  void ParseExtendedPassiveReply();
  void status(bool response, const std::string& value);

  Socket control_;
  Socket data_;
  int resultCode_ = 0;
  std::string resultString_;
  std::vector<std::string> fullResult_;
  std::string dataIP_;
  std::string dataPort_;
  bool canResume_ = false;
};

}  // namespace tessary::publish
