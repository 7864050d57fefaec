#include "publish/ftpsend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "util/files.h"
#include "util/text.h"

namespace tessary::publish {

namespace {

// The greeting may be preceded by preliminary (1xx) replies; a server that
// sends nothing else is not waited on for ever.
constexpr int kMaxPreliminaryReplies = 100;

std::string localHostName() {
  char buf[256] = {};
  if (::gethostname(buf, sizeof buf - 1) != 0) return "localhost";
  return buf;
}

bool allDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// "0.5 s" below ten seconds, "30 s" from there on.
std::string secondsText(std::chrono::steady_clock::duration d) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
  if (ms >= 10000) return std::to_string((ms + 500) / 1000) + " s";
  return std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100) + " s";
}

int decimalOrZero(const std::string& s) {
  const std::string t = util::trim(s);
  if (!allDigits(t) || t.size() > 9) return 0;
  return std::stoi(t);
}

class FileCloser {
 public:
  explicit FileCloser(int fd) : fd_(fd) {}
  ~FileCloser() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;

 private:
  int fd_;
};

}  // namespace

// What an upload sends: an open local file or the bytes of DataStream, from an offset.
struct TFTPSend::Source {
  int fd = -1;
  std::string_view bytes;
};

// Keeps every wait of both connections within a time from now (or within an
// earlier bound already set) until it ends.
class TFTPSend::Bound {
 public:
  Bound(TFTPSend& session, int64_t milliseconds) : session_(session), saved_(session.bound_) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max<int64_t>(milliseconds, 0));
    if (!session_.bound_ || end < *session_.bound_) session_.bound_ = end;
    apply();
  }
  ~Bound() {
    session_.bound_ = saved_;
    apply();
  }
  Bound(const Bound&) = delete;
  Bound& operator=(const Bound&) = delete;

 private:
  void apply() {
    session_.control_.setDeadline(session_.bound_);
    session_.data_.setDeadline(session_.bound_);
  }
  TFTPSend& session_;
  std::optional<std::chrono::steady_clock::time_point> saved_;
};

TFTPSend::TFTPSend() : Password("anonymous@" + localHostName()) {
  auto longWait = [this](int64_t waitedMs) {
    notice("Still waiting for " + waitingFor_ + " after " + secondsText(std::chrono::milliseconds(waitedMs)) + ".");
  };
  control_.onLongWait = longWait;
  data_.onLongWait = longWait;
}

TFTPSend::~TFTPSend() = default;

void TFTPSend::status(bool response, const std::string& value) {
  if (OnStatus) OnStatus(*this, response, value);
}

void TFTPSend::notice(const std::string& line) {
  if (OnNotice) OnNotice(line);
}

std::string TFTPSend::readFailure(std::chrono::steady_clock::duration waited) const {
  switch (control_.lastError()) {
    case Socket::kLineTooLong:
      return "reply line longer than " + std::to_string(kMaxReplyLineBytes / 1024) + " KiB";
    case Socket::kTimedOut:
      return "timed out after " + secondsText(waited) + " waiting for " + waitingFor_;
    case Socket::kClosedByPeer:
      return "the server closed the connection while we waited for " + waitingFor_;
    default:
      return control_.lastErrorText() + " waiting for " + waitingFor_;
  }
}

int TFTPSend::ReadReply() {
  fullResult_.clear();
  if (controlLost_) {
    resultCode_ = 0;
    resultString_.clear();
    fullResult_ = {lostReason_};
    return 0;
  }
  // The whole reply, however slowly it trickles in, within one time-out.
  const auto start = std::chrono::steady_clock::now();
  auto end = start + std::chrono::milliseconds(std::max(Timeout, 0));
  if (bound_ && *bound_ < end) end = *bound_;
  control_.setDeadline(end);
  std::string code;
  for (int lines = 0;; ++lines) {
    std::string line;
    std::string failure;
    if (lines >= kMaxReplyLines) {
      failure = "reply longer than " + std::to_string(kMaxReplyLines) + " lines";
    } else {
      line = control_.recvLine(Timeout, kMaxReplyLineBytes);
      if (control_.lastError() != 0) failure = readFailure(std::chrono::steady_clock::now() - start);
    }
    if (code.empty() && line.size() > 3 && (line[3] == ' ' || line[3] == '-')) code = line.substr(0, 3);
    resultString_ = line;
    if (!failure.empty()) {
      // A reply cut off by a time-out, a closed connection or the bounds is no
      // reply: its first line's code must not pass for the server's answer,
      // and the conversation cannot go on (a late reply would answer the
      // next command).
      status(true, line);
      fullResult_.push_back(failure);
      controlLost_ = true;
      lostReason_ = failure;
      code.clear();
      break;
    }
    fullResult_.push_back(line);
    status(true, line);
    if (!code.empty() && line.size() > 3 && line.compare(0, 3, code) == 0 && line[3] == ' ') break;
  }
  control_.setDeadline(bound_);
  resultCode_ = allDigits(code) ? std::stoi(code) : 0;
  return resultCode_;
}

int TFTPSend::SendCommand(const std::string& command) {
  const std::string verb = command.substr(0, command.find(' '));
  waitingFor_ = "the reply to " + (verb == "PASS" ? verb : command);
  if (!controlLost_) {
    control_.purge();
    if (!control_.sendBytes(command + "\r\n", Timeout)) {
      controlLost_ = true;
      lostReason_ = "cannot send " + verb + ": " + control_.lastErrorText();
    }
  }
  if (controlLost_) {
    resultCode_ = 0;
    resultString_.clear();
    fullResult_ = {lostReason_};
    return 0;
  }
  status(false, command);
  return ReadReply();
}

bool TFTPSend::LogOn() {
  canResume_ = false;
  control_.longWaitMs = data_.longWaitMs = std::max(NoticeAfter, 1);
  controlLost_ = false;
  currentType_.clear();
  protectData_ = false;
  certificateRefused_ = false;
  fingerprint_.clear();
  lostReason_.clear();
  control_.close();
  const Bound bound(*this, 2 * static_cast<int64_t>(Timeout));
  waitingFor_ = "the connection to " + TargetHost;
  if (!control_.connect(TargetHost, TargetPort, IPInterface, Timeout)) {
    // Not a reply, but the one line that tells what went wrong.
    resultCode_ = 0;
    resultString_ = control_.lastErrorText();
    fullResult_ = {resultString_};
    return false;
  }
  waitingFor_ = "the greeting";
  int code = ReadReply();
  for (int i = 0; i < kMaxPreliminaryReplies && code / 100 == 1; ++i) code = ReadReply();
  if (code / 100 != 2) return false;
  if (Security != TLSMode::Plain && !StartTls()) return false;

  bool loggedIn = false;
  code = SendCommand("USER " + UserName);
  if (code / 100 == 2) {
    loggedIn = true;
  } else if (code / 100 == 3) {
    code = SendCommand("PASS " + Password);
    if (code / 100 == 2) {
      loggedIn = true;
    } else if (code / 100 == 3) {
      code = SendCommand("ACCT " + Account);
      loggedIn = code / 100 == 2;
    }
  }
  if (!loggedIn) return false;

  currentType_ = SendCommand("TYPE I") / 100 == 2 ? "I" : "";
  SendCommand("STRU F");
  SendCommand("MODE S");
  if (SendCommand("REST 0") == 350 && SendCommand("REST 1") == 350) {
    SendCommand("REST 0");
    canResume_ = true;
  }
  return true;
}

TlsSettings TFTPSend::tlsSettings() const { return {TargetHost, TrustedFingerprint, ExtraTrustFile}; }

bool TFTPSend::StartTls() {
  const int code = SendCommand("AUTH TLS");
  if (code / 100 != 2) {
    if (controlLost_) return false;
    if (Security == TLSMode::Required) {
      fullResult_.push_back("The server does not offer TLS, which this blog requires: the logon stops here.");
      return false;
    }
    notice("The server does not offer TLS: logging on in plain FTP.");
    return true;
  }
  waitingFor_ = "the TLS handshake";
  if (!control_.startTls(tlsSettings(), nullptr, Timeout)) {
    certificateRefused_ = control_.certificateRefused();
    fingerprint_ = control_.peerFingerprint();
    controlLost_ = true;
    lostReason_ = control_.lastErrorText();
    fullResult_ = {lostReason_};
    resultCode_ = 0;
    return false;
  }
  fingerprint_ = control_.peerFingerprint();
  if (SendCommand("PBSZ 0") / 100 == 2 && SendCommand("PROT P") / 100 == 2) {
    protectData_ = true;
    return true;
  }
  if (controlLost_) return false;
  if (Security == TLSMode::Required) {
    fullResult_.push_back("The server does not protect the data connections, which this blog requires.");
    return false;
  }
  notice("The server does not protect the data connections: files go in clear.");
  return true;
}

bool TFTPSend::LogOff() {
  const int code = controlLost_ ? 0 : SendCommand("QUIT");
  control_.close();
  data_.close();
  return code / 100 == 2;
}

std::string TFTPSend::CurrentDirectory() {
  if (SendCommand("PWD") / 100 != 2) return {};
  const std::string& s = resultString_;
  const size_t open = s.find('"');
  if (open == std::string::npos) return util::trim(s);
  const size_t close = s.find('"', open + 1);
  return util::trim(s.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1));
}

bool TFTPSend::ChangeDirectory(const std::string& directory) { return SendCommand("CWD " + directory) / 100 == 2; }

bool TFTPSend::ParentDirectory() { return SendCommand("CDUP") / 100 == 2; }

bool TFTPSend::MakeDirectory(const std::string& directory) { return SendCommand("MKD " + directory) / 100 == 2; }

bool TFTPSend::RemoveFile(const std::string& name) { return SendCommand("DELE " + name) / 100 == 2; }

bool TFTPSend::RenameFile(const std::string& from, const std::string& to) {
  return SendCommand("RNFR " + from) / 100 == 3 && SendCommand("RNTO " + to) / 100 == 2;
}

bool TFTPSend::FileSize(const std::string& name, int64_t& size) {
  if (SendCommand("SIZE " + name) != 213) return false;
  const size_t blank = resultString_.find_last_of(' ');
  const std::string digits = util::trim(blank == std::string::npos ? std::string() : resultString_.substr(blank + 1));
  if (!allDigits(digits) || digits.size() >= 18) return false;
  size = std::stoll(digits);
  return true;
}

void TFTPSend::ParsePassiveReply() {
  const std::string s = util::trim(resultString_);
  std::string text;
  const size_t open = s.find('('), close = s.find(')');
  if (open != std::string::npos && close != std::string::npos) {
    text = close > open ? s.substr(open + 1, close - open - 1) : std::string();
  } else {
    const size_t blank = s.find_last_of(' ');
    text = blank == std::string::npos ? s : s.substr(blank + 1);
  }
  std::vector<std::string> parts = util::split(text, ',');
  parts.resize(std::max<size_t>(parts.size(), 6));
  for (auto& p : parts) p = util::trim(p);
  dataIP_ = parts[0] + "." + parts[1] + "." + parts[2] + "." + parts[3];
  dataPort_ = std::to_string(decimalOrZero(parts[4]) * 256 + decimalOrZero(parts[5]));
}

void TFTPSend::ParseExtendedPassiveReply() {
  const std::string& s = resultString_;
  std::string text;
  const size_t open = s.find('(');
  const size_t close = open == std::string::npos ? std::string::npos : s.find(')', open + 1);
  if (open == std::string::npos) text = s;
  else if (close == std::string::npos) text = s.substr(open + 1);
  else text = s.substr(open + 1, close - open - 1);
  text = util::trim(text);
  if (!text.empty()) text.pop_back();
  size_t start = text.size();
  while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9') --start;
  dataPort_ = text.substr(start);
}

bool TFTPSend::OpenDataConnection() {
  const std::string family = control_.isIPv6() ? "2" : "1";
  if (PassiveMode) {
    bool extended = false;
    if (!ForceOldPort && SendCommand("EPSV " + family) / 100 == 2) {
      ParseExtendedPassiveReply();
      dataIP_ = TargetHost;
      extended = true;
    }
    if (!extended) {
      if (control_.isIPv6()) return false;
      if (SendCommand("PASV") / 100 != 2) return false;
      ParsePassiveReply();
      // Only the port is taken from the reply: the data connection goes to the
      // host the control connection reached, whatever address the reply names.
      const std::string peer = control_.peerAddress();
      if (!peer.empty() && dataIP_ != peer) {
        if (OnNotice) OnNotice("The server's passive reply named " + dataIP_ + "; connecting to " + peer + " instead.");
        dataIP_ = peer;
      }
    }
    data_.close();
    waitingFor_ = "the data connection to " + dataIP_ + " port " + dataPort_;
    if (!data_.connect(dataIP_, dataPort_, IPInterface, Timeout)) {
      fullResult_.push_back("data connection: " + data_.lastErrorText());
      return false;
    }
    return true;
  }

  data_.close();
  if (!data_.listen(control_.localAddress(), ForceDefaultPort ? "ftp-data" : "0")) {
    fullResult_.push_back("data connection: " + data_.lastErrorText());
    return false;
  }
  data_.setLinger(true, 10);
  dataIP_ = data_.localAddress();
  dataPort_ = data_.localPort();
  if (!ForceOldPort && SendCommand("EPRT |" + family + "|" + dataIP_ + "|" + dataPort_ + "|") / 100 == 2) return true;
  if (!isIPv4Address(dataIP_)) return false;
  const int port = decimalOrZero(dataPort_);
  return SendCommand("PORT " + util::replaceAll(dataIP_, ".", ",") + "," + std::to_string(port / 256) + "," +
                     std::to_string(port % 256)) /
             100 ==
         2;
}

bool TFTPSend::AcceptDataConnection() {
  if (PassiveMode) return true;
  waitingFor_ = "the server's data connection";
  Socket accepted = data_.accept(Timeout);
  if (!accepted.isOpen()) {
    fullResult_.push_back("data connection: " + data_.lastErrorText());
    return false;
  }
  // The listening socket closes abortively; the accepted one inherits that
  // setting, and an abortive close would throw away data not yet delivered.
  accepted.setLinger(false, 0);
  data_ = std::move(accepted);
  return true;
}

bool TFTPSend::SendData(Source& source) {
  if (!AcceptDataConnection()) {
    data_.close();
    return false;
  }
  if (protectData_) {
    waitingFor_ = "the TLS handshake of the data connection";
    if (!data_.startTls(tlsSettings(), &control_, Timeout)) {
      const std::string failure = "data connection: " + data_.lastErrorText();
      data_.close();
      waitingFor_ = "the reply after the data";
      ReadReply();
      fullResult_.push_back(failure);
      return false;
    }
  }
  waitingFor_ = "the server to take the data";
  bool sent = source.fd >= 0 ? data_.sendFile(source.fd, Timeout) : data_.sendBytes(source.bytes, Timeout);
  if (sent && protectData_) sent = data_.endTls(Timeout);
  const std::string dataFailure = sent ? std::string() : "data connection: " + data_.lastErrorText();
  data_.close();
  waitingFor_ = "the reply after the data";
  const int code = ReadReply();
  if (!sent) fullResult_.push_back(dataFailure);
  return sent && code / 100 == 2;
}

bool TFTPSend::StoreData(const std::string& command, int64_t restartOffset) {
  Source source;
  int64_t size = 0;
  int fd = -1;
  if (DirectFile) {
    if (!util::fileExists(DirectFileName)) return false;
    fd = ::open(DirectFileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "Cannot open " + DirectFileName);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      const int err = errno;
      ::close(fd);
      throw std::system_error(err, std::generic_category(), "Cannot read " + DirectFileName);
    }
    size = st.st_size;
    source.fd = fd;
  } else {
    size = static_cast<int64_t>(DataStream.size());
    source.bytes = DataStream;
  }
  FileCloser closer(fd);
  // The whole upload is bounded too: a server that takes a byte now and then
  // does not hold the run beyond what the file's size can explain.
  const Bound bound(*this, 2 * static_cast<int64_t>(Timeout) + size * 1000 / kMinimumRateBytesPerSecond);

  if (!OpenDataConnection()) {
    data_.close();
    return false;
  }
  // The type stays set on the server; it is sent again only when it changes.
  const char* type = BinaryMode ? "I" : "A";
  if (currentType_ != type) currentType_ = SendCommand(std::string("TYPE ") + type) / 100 == 2 ? type : "";
  if (!canResume_) restartOffset = 0;
  if (size > 0 && size == restartOffset) {
    data_.close();
    return true;
  }
  if (size < restartOffset) restartOffset = 0;
  // No ALLO: servers that need space reserved are long gone, and every
  // command costs a round trip per file.
  // A restart marker applies to the next transfer only, so a transfer from
  // the start needs none.
  if (canResume_ && restartOffset > 0 && SendCommand("REST " + std::to_string(restartOffset)) / 100 != 3) {
    data_.close();
    return false;
  }
  if (fd >= 0) {
    if (::lseek(fd, restartOffset, SEEK_SET) < 0)
      throw std::system_error(errno, std::generic_category(), "Cannot read " + DirectFileName);
  } else {
    source.bytes = source.bytes.substr(static_cast<size_t>(restartOffset));
  }
  if (SendCommand(command) / 100 != 1) {
    data_.close();
    return false;
  }
  return SendData(source);
}

bool TFTPSend::UploadFile(const std::string& name, bool resume) {
  int64_t offset = 0;
  if (resume && canResume_ && !FileSize(name, offset)) offset = 0;
  return StoreData("STOR " + name, offset);
}

}  // namespace tessary::publish
