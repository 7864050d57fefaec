// The socket layer under the FTP client: blocking TCP connections over IPv4 and
// IPv6 in which every wait for the network (connecting, each piece of data
// received or sent, an incoming connection) is bounded by a time-out.
//
// A Socket owns one descriptor and closes it when destroyed. No call raises an
// exception for a network error: each returns success or failure and leaves a
// last-error code (0 after success; a time-out and a connection closed by the
// peer are errors) with a text for the log.
#pragma once

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "publish/tls.h"

namespace tessary::publish {

class Socket {
 public:
  // Error codes beside the system's errno values.
  static constexpr int kTimedOut = ETIMEDOUT;
  static constexpr int kClosedByPeer = ECONNRESET;
  static constexpr int kLineTooLong = EMSGSIZE;
  static constexpr int kNotResolved = -1000;  // the host or service name did not resolve

  Socket() = default;
  ~Socket();
  Socket(Socket&& other) noexcept;
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // Connects to host (a name or an IPv4/IPv6 address) at port (a number or a
  // service name such as "ftp"), trying the IPv4 addresses of a name before
  // its IPv6 ones, from the local address bindIp ("0.0.0.0" or empty: any)
  // with any local port. Waits at most timeoutMs for each address.
  bool connect(const std::string& host, const std::string& port, const std::string& bindIp, int timeoutMs);
  // Binds to ip ("0.0.0.0" or empty: any IPv4 address) and port (a number,
  // "0" for any free one, or a service name) and listens.
  bool listen(const std::string& ip, const std::string& port);
  // Waits at most timeoutMs for an incoming connection on a listening socket
  // and returns it; an unopened Socket (with lastError set here) when none came.
  Socket accept(int timeoutMs);
  // Lingering on close, given in milliseconds and applied in whole seconds
  // (the milliseconds divided by 1000, rounded down).
  bool setLinger(bool on, int milliseconds);

  // Reads one line, waiting at most timeoutMs for each piece of data. A line
  // ends at CR LF, LF, CR or LF CR; the end is not part of it. Returns an empty
  // line and sets the last error on a time-out, a closed connection, an error,
  // or when the line grows beyond maxLength bytes without an end.
  std::string recvLine(int timeoutMs, size_t maxLength);
  // Discards whatever received data waits unread.
  void purge();
  // Sends all of the bytes, waiting at most timeoutMs for each piece.
  bool sendBytes(std::string_view bytes, int timeoutMs);
  // Sends the rest of an open file descriptor from its current position.
  bool sendFile(int fd, int timeoutMs);
  // Runs the TLS handshake as the client on the open connection and checks the
  // server's certificate; from then on everything sent and received is
  // encrypted. resumeFrom: a connection whose TLS session to resume (servers
  // ask data connections to reuse the control connection's). On failure the
  // connection is closed.
  bool startTls(const TlsSettings& settings, const Socket* resumeFrom, int timeoutMs);
  // Sends TLS's close notification, so that the peer knows all data came.
  bool endTls(int timeoutMs);
  bool tlsActive() const { return tls_ != nullptr; }
  bool tlsResumed() const { return tls_ && tls_->resumed(); }
  // After startTls: whether the certificate check refused the server, and the
  // certificate's SHA-256 fingerprint.
  bool certificateRefused() const { return certificateRefused_; }
  const std::string& peerFingerprint() const { return fingerprint_; }

  // Ends the sending direction (the peer reads end of data), keeps reading open.
  void shutdownSend();
  void close();

  // A point in time that no wait passes, whatever time-out it was given: it
  // bounds a whole reply or a whole transfer. Empty: only the time-outs count.
  using Clock = std::chrono::steady_clock;
  void setDeadline(std::optional<Clock::time_point> deadline) { deadline_ = deadline; }
  // Called with the milliseconds waited so far each time a single wait passes
  // another longWaitMs, so that a person sees why nothing happens.
  int longWaitMs = 10000;
  std::function<void(int64_t waitedMs)> onLongWait;

  bool isOpen() const { return fd_ >= 0; }
  bool isIPv6() const { return ipv6_; }
  // Local and remote end as numeric address and decimal port; empty when unknown.
  std::string localAddress() const;
  std::string localPort() const;
  std::string peerAddress() const;

  int lastError() const { return error_; }
  const std::string& lastErrorText() const { return errorText_; }

 private:
  Socket(int fd, bool ipv6) : fd_(fd), ipv6_(ipv6) {}
  bool fail(int code, std::string text);
  bool ok();
  // Waits for the descriptor to become readable (POLLIN) or writable (POLLOUT).
  bool waitFor(short events, int timeoutMs);
  // Receives what is available into the buffer after waiting for data.
  bool fill(int timeoutMs);

  int fd_ = -1;
  bool ipv6_ = false;
  int error_ = 0;
  std::string errorText_;
  std::string buffer_;  // received, not yet consumed
  size_t pos_ = 0;      // consumed part of buffer_
  char skip_ = 0;       // the other half of a two-character line end, dropped when it comes next
  std::optional<Clock::time_point> deadline_;
  std::unique_ptr<TlsSession> tls_;
  bool certificateRefused_ = false;
  std::string fingerprint_;
};

// True when text is an IPv4 address in dotted decimal form.
bool isIPv4Address(const std::string& text);

}  // namespace tessary::publish
