// TLS for the socket layer (GnuTLS): the client side of one connection, with
// the server's certificate checked against the system's trusted certificates
// and the host name, or trusted by its SHA-256 fingerprint.
//
// A TlsSession belongs to one Socket, which drives it over its non-blocking
// descriptor: each call returns at once with kAgain when it must wait, and
// wantsWrite() tells for which direction.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tessary::publish {

struct TlsSettings {
  std::string hostName;             // the name (or address) the certificate must be for
  std::string trustedFingerprint;   // SHA-256 of a certificate trusted whatever the check says (hex, colons allowed)
  std::string extraTrustFile;       // certificates (PEM) trusted beside the system's; empty: the system's only
};

class TlsSession {
 public:
  static constexpr long kAgain = -1;   // try again once the descriptor is ready
  static constexpr long kClosed = -2;  // the peer ended the connection
  static constexpr long kFailed = -3;  // see error()

  // REQUIRES: fd is a connected non-blocking socket. resumeFrom: a session
  // whose TLS session this one resumes (the control connection's, for data
  // connections), or nullptr.
  TlsSession(int fd, const TlsSettings& settings, const TlsSession* resumeFrom);
  ~TlsSession();
  TlsSession(const TlsSession&) = delete;
  TlsSession& operator=(const TlsSession&) = delete;

  // One step of the handshake and, once it is done, the certificate check:
  // 0 when established, kAgain, or kFailed.
  long handshake();
  long recv(char* buffer, size_t size);
  long send(const char* data, size_t size);
  // Sends the close notification: 0 when sent, kAgain, or kFailed.
  long bye();
  bool wantsWrite() const;
  bool hasPending() const;

  const std::string& error() const { return error_; }
  // True when the last handshake failed on the certificate check.
  bool certificateRefused() const { return certificateRefused_; }
  // The SHA-256 fingerprint of the server's certificate, "AB:CD:...", once known.
  const std::string& peerFingerprint() const { return fingerprint_; }
  bool resumed() const;

 private:
  struct Impl;
  long failed(long rc);
  long checkCertificate();
  std::unique_ptr<Impl> impl_;
  TlsSettings settings_;
  std::string error_;
  std::string fingerprint_;
  bool certificateRefused_ = false;
};

// The fingerprint written as 64 upper-case hexadecimal digits without
// separators; empty when the text is not one.
std::string normalizedFingerprint(std::string_view text);

}  // namespace tessary::publish
