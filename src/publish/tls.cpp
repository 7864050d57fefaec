#include "publish/tls.h"

#include <arpa/inet.h>
#include <gnutls/gnutls.h>
#include <gnutls/crypto.h>
#include <gnutls/x509.h>

#include <cctype>

namespace tessary::publish {

namespace {

bool isAddressLiteral(const std::string& host) {
  unsigned char buf[16];
  return ::inet_pton(AF_INET, host.c_str(), buf) == 1 || ::inet_pton(AF_INET6, host.c_str(), buf) == 1;
}

std::string hexWithColons(const unsigned char* bytes, size_t n) {
  static const char* kDigits = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    if (i) out += ':';
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
  }
  return out;
}

}  // namespace

std::string normalizedFingerprint(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ':' || std::isspace(static_cast<unsigned char>(c))) continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return {};
    out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return out.size() == 64 ? out : std::string();
}

// The trusted certificates, loaded once for a control connection and shared
// by its data connections (loading the system's store takes milliseconds).
struct Credentials {
  gnutls_certificate_credentials_t value = nullptr;
  ~Credentials() {
    if (value) gnutls_certificate_free_credentials(value);
  }
};

struct TlsSession::Impl {
  std::shared_ptr<Credentials> credentials;
  gnutls_session_t session = nullptr;
  bool established = false;
  std::string resumedFingerprint;  // the certificate the control connection accepted
  ~Impl() {
    if (session) gnutls_deinit(session);
  }
};

TlsSession::TlsSession(int fd, const TlsSettings& settings, const TlsSession* resumeFrom)
    : impl_(std::make_unique<Impl>()), settings_(settings) {
  int rc = 0;
  if (resumeFrom && resumeFrom->impl_->credentials) {
    impl_->credentials = resumeFrom->impl_->credentials;
    if (resumeFrom->impl_->established) impl_->resumedFingerprint = resumeFrom->fingerprint_;
  } else {
    impl_->credentials = std::make_shared<Credentials>();
    rc = gnutls_certificate_allocate_credentials(&impl_->credentials->value);
    if (rc >= 0) {
      gnutls_certificate_set_x509_system_trust(impl_->credentials->value);  // a count, or an error without a store
      if (!settings.extraTrustFile.empty()) {
        const int n = gnutls_certificate_set_x509_trust_file(impl_->credentials->value,
                                                             settings.extraTrustFile.c_str(), GNUTLS_X509_FMT_PEM);
        if (n < 0) rc = n;
      }
    }
  }
  if (rc >= 0) rc = gnutls_init(&impl_->session, GNUTLS_CLIENT | GNUTLS_NONBLOCK);
  if (rc >= 0) rc = gnutls_set_default_priority(impl_->session);
  if (rc >= 0) rc = gnutls_credentials_set(impl_->session, GNUTLS_CRD_CERTIFICATE, impl_->credentials->value);
  if (rc >= 0 && !settings.hostName.empty() && !isAddressLiteral(settings.hostName))
    rc = gnutls_server_name_set(impl_->session, GNUTLS_NAME_DNS, settings.hostName.data(), settings.hostName.size());
  if (rc >= 0 && resumeFrom && resumeFrom->impl_->established) {
    gnutls_datum_t data{};
    if (gnutls_session_get_data2(resumeFrom->impl_->session, &data) >= 0) {
      gnutls_session_set_data(impl_->session, data.data, data.size);
      gnutls_free(data.data);
    }
  }
  if (rc < 0) {
    error_ = std::string("cannot set up TLS: ") + gnutls_strerror(rc);
    if (impl_->session) gnutls_deinit(impl_->session);
    impl_->session = nullptr;
    return;
  }
  gnutls_transport_set_int(impl_->session, fd);
  gnutls_handshake_set_timeout(impl_->session, 0);  // the socket layer bounds the waits
}

TlsSession::~TlsSession() = default;

long TlsSession::failed(long rc) {
  error_ = gnutls_strerror(static_cast<int>(rc));
  return kFailed;
}

long TlsSession::handshake() {
  if (!impl_->session) return kFailed;
  certificateRefused_ = false;
  const int rc = gnutls_handshake(impl_->session);
  if (rc == GNUTLS_E_AGAIN || rc == GNUTLS_E_INTERRUPTED) return kAgain;
  if (rc < 0) {
    if (gnutls_error_is_fatal(rc) == 0) return kAgain;
    error_ = std::string("TLS handshake failed: ") + gnutls_strerror(rc);
    return kFailed;
  }
  return checkCertificate();
}

long TlsSession::checkCertificate() {
  unsigned int count = 0;
  const gnutls_datum_t* chain = gnutls_certificate_get_peers(impl_->session, &count);
  if (!chain || count == 0) {
    error_ = "the server sent no certificate";
    certificateRefused_ = true;
    return kFailed;
  }
  unsigned char digest[32];
  gnutls_hash_fast(GNUTLS_DIG_SHA256, chain[0].data, chain[0].size, digest);
  fingerprint_ = hexWithColons(digest, sizeof digest);
  // A data connection to the server whose certificate the control connection accepted.
  if (!impl_->resumedFingerprint.empty() && impl_->resumedFingerprint == fingerprint_) {
    impl_->established = true;
    return 0;
  }

  unsigned int status = 0;
  const int rc = gnutls_certificate_verify_peers3(impl_->session,
                                                  settings_.hostName.empty() ? nullptr : settings_.hostName.c_str(),
                                                  &status);
  if (rc >= 0 && status == 0) {
    impl_->established = true;
    return 0;
  }
  // A certificate the person has looked at and entered for this blog.
  const std::string trusted = normalizedFingerprint(settings_.trustedFingerprint);
  if (!trusted.empty() && trusted == normalizedFingerprint(fingerprint_)) {
    impl_->established = true;
    return 0;
  }
  std::string why = rc < 0 ? gnutls_strerror(rc) : "";
  gnutls_datum_t text{};
  if (rc >= 0 && gnutls_certificate_verification_status_print(status, GNUTLS_CRT_X509, &text, 0) >= 0) {
    why.assign(reinterpret_cast<const char*>(text.data), text.size);
    gnutls_free(text.data);
  }
  error_ = "the server's certificate is not trusted (" + why + ")";
  certificateRefused_ = true;
  return kFailed;
}

long TlsSession::recv(char* buffer, size_t size) {
  const ssize_t n = gnutls_record_recv(impl_->session, buffer, size);
  if (n > 0) return static_cast<long>(n);
  if (n == 0 || n == GNUTLS_E_PREMATURE_TERMINATION) return kClosed;
  if (n == GNUTLS_E_AGAIN || n == GNUTLS_E_INTERRUPTED) return kAgain;
  if (gnutls_error_is_fatal(static_cast<int>(n)) == 0) return kAgain;  // warnings, a renegotiation request
  return failed(n);
}

long TlsSession::send(const char* data, size_t size) {
  const ssize_t n = gnutls_record_send(impl_->session, data, size);
  if (n >= 0) return static_cast<long>(n);
  if (n == GNUTLS_E_AGAIN || n == GNUTLS_E_INTERRUPTED) return kAgain;
  return failed(n);
}

long TlsSession::bye() {
  const int rc = gnutls_bye(impl_->session, GNUTLS_SHUT_WR);
  if (rc == GNUTLS_E_AGAIN || rc == GNUTLS_E_INTERRUPTED) return kAgain;
  return rc < 0 ? failed(rc) : 0;
}

bool TlsSession::wantsWrite() const { return impl_->session && gnutls_record_get_direction(impl_->session) == 1; }

bool TlsSession::hasPending() const { return impl_->session && gnutls_record_check_pending(impl_->session) > 0; }

bool TlsSession::resumed() const { return impl_->session && gnutls_session_is_resumed(impl_->session) != 0; }

}  // namespace tessary::publish
