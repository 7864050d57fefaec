#include "publish/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace tessary::publish {

namespace {

std::string errnoString(int err) { return std::strerror(err); }

bool isAnyAddress(const std::string& ip) { return ip.empty() || ip == "0.0.0.0" || ip == "::"; }

// The well-known ports the client names by service, for systems without a services file.
const char* knownService(const std::string& port) {
  if (port == "ftp") return "21";
  if (port == "ftp-data") return "20";
  return nullptr;
}

struct AddrInfoList {
  addrinfo* head = nullptr;
  ~AddrInfoList() {
    if (head) ::freeaddrinfo(head);
  }
};

// Resolves host and port; IPv4 addresses first, each family in the resolver's order.
int resolve(const std::string& host, const std::string& port, int flags, AddrInfoList& list,
            std::vector<const addrinfo*>& out) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = flags;
  int rc = ::getaddrinfo(host.empty() ? nullptr : host.c_str(), port.c_str(), &hints, &list.head);
  if (rc == EAI_SERVICE || rc == EAI_NONAME) {
    if (const char* known = knownService(port)) {
      if (list.head) ::freeaddrinfo(list.head);
      list.head = nullptr;
      rc = ::getaddrinfo(host.empty() ? nullptr : host.c_str(), known, &hints, &list.head);
    }
  }
  if (rc != 0) return rc;
  for (const addrinfo* a = list.head; a; a = a->ai_next)
    if (a->ai_family == AF_INET || a->ai_family == AF_INET6) out.push_back(a);
  std::stable_sort(out.begin(), out.end(),
                   [](const addrinfo* a, const addrinfo* b) { return a->ai_family == AF_INET && b->ai_family != AF_INET; });
  return 0;
}

std::string numericHost(const sockaddr* sa, socklen_t len) {
  char host[NI_MAXHOST];
  if (::getnameinfo(sa, len, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0) return {};
  return host;
}

std::string numericPort(const sockaddr* sa, socklen_t len) {
  char serv[NI_MAXSERV];
  if (::getnameinfo(sa, len, nullptr, 0, serv, sizeof serv, NI_NUMERICSERV) != 0) return {};
  return serv;
}

int openSocket(int family) { return ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP); }

}  // namespace

bool isIPv4Address(const std::string& text) {
  in_addr a{};
  return ::inet_pton(AF_INET, text.c_str(), &a) == 1;
}

Socket::~Socket() { close(); }

Socket::Socket(Socket&& other) noexcept { *this = std::move(other); }

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = other.fd_;
    ipv6_ = other.ipv6_;
    error_ = other.error_;
    errorText_ = std::move(other.errorText_);
    buffer_ = std::move(other.buffer_);
    pos_ = other.pos_;
    skip_ = other.skip_;
    tls_ = std::move(other.tls_);
    certificateRefused_ = other.certificateRefused_;
    fingerprint_ = std::move(other.fingerprint_);
    other.fd_ = -1;
    other.buffer_.clear();
    other.pos_ = 0;
  }
  return *this;
}

bool Socket::fail(int code, std::string text) {
  error_ = code;
  errorText_ = std::move(text);
  return false;
}

bool Socket::ok() {
  error_ = 0;
  errorText_.clear();
  return true;
}

void Socket::close() {
  tls_.reset();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  buffer_.clear();
  pos_ = 0;
  skip_ = 0;
}

bool Socket::waitFor(short events, int timeoutMs) {
  pollfd p{fd_, events, 0};
  const Clock::time_point start = Clock::now();
  Clock::time_point end = start + std::chrono::milliseconds(std::max(timeoutMs, 0));
  if (deadline_ && *deadline_ < end) end = *deadline_;
  int noticed = 0;  // long-wait notices given
  for (;;) {
    const Clock::time_point now = Clock::now();
    if (now >= end) {
      const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count();
      return fail(kTimedOut, "timed out after " + std::to_string(waited) + " ms");
    }
    // Wait in slices, so that a long wait is reported while it lasts.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count() + 1;
    const auto toNotice =
        std::chrono::duration_cast<std::chrono::milliseconds>(start + std::chrono::milliseconds(longWaitMs) * (noticed + 1) - now).count();
    const int slice = static_cast<int>(std::max<int64_t>(1, std::min<int64_t>(left, std::max<int64_t>(toNotice, 1))));
    const int rc = ::poll(&p, 1, slice);
    if (rc > 0) return true;
    if (rc < 0 && errno != EINTR) return fail(errno, errnoString(errno));
    if (Clock::now() - start >= std::chrono::milliseconds(longWaitMs) * (noticed + 1)) {
      ++noticed;
      if (onLongWait) onLongWait(static_cast<int64_t>(noticed) * longWaitMs);
    }
  }
}

bool Socket::connect(const std::string& host, const std::string& port, const std::string& bindIp, int timeoutMs) {
  close();
  AddrInfoList list;
  std::vector<const addrinfo*> addrs;
  const int rc = resolve(host, port, 0, list, addrs);
  if (rc != 0) return fail(kNotResolved, "cannot resolve " + host + " port " + port + ": " + ::gai_strerror(rc));
  if (addrs.empty()) return fail(kNotResolved, "no address for " + host);
  for (const addrinfo* a : addrs) {
    const int fd = openSocket(a->ai_family);
    if (fd < 0) {
      fail(errno, errnoString(errno));
      continue;
    }
    fd_ = fd;
    ipv6_ = a->ai_family == AF_INET6;
    if (!isAnyAddress(bindIp)) {
      AddrInfoList local;
      std::vector<const addrinfo*> locals;
      const int lrc = resolve(bindIp, "0", AI_PASSIVE | AI_NUMERICHOST, local, locals);
      const addrinfo* match = nullptr;
      if (lrc == 0)
        for (const addrinfo* l : locals)
          if (l->ai_family == a->ai_family) match = l;
      if (!match || ::bind(fd_, match->ai_addr, match->ai_addrlen) != 0) {
        fail(match ? errno : EADDRNOTAVAIL, "cannot bind to " + bindIp + ": " + errnoString(match ? errno : EADDRNOTAVAIL));
        close();
        continue;
      }
    }
    if (::connect(fd_, a->ai_addr, a->ai_addrlen) == 0) return ok();
    if (errno != EINPROGRESS) {
      fail(errno, "cannot connect to " + host + " port " + port + ": " + errnoString(errno));
      close();
      continue;
    }
    if (!waitFor(POLLOUT, timeoutMs)) {
      errorText_ = "cannot connect to " + host + " port " + port + ": " + errorText_;
      close();
      continue;
    }
    int err = 0;
    socklen_t len = sizeof err;
    ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len);
    if (err == 0) return ok();
    fail(err, "cannot connect to " + host + " port " + port + ": " + errnoString(err));
    close();
  }
  return false;
}

bool Socket::listen(const std::string& ip, const std::string& port) {
  close();
  AddrInfoList list;
  std::vector<const addrinfo*> addrs;
  const int rc = resolve(isAnyAddress(ip) && ip != "::" ? "0.0.0.0" : ip, port, AI_PASSIVE | AI_NUMERICHOST, list, addrs);
  if (rc != 0 || addrs.empty()) return fail(kNotResolved, "cannot listen on " + ip + " port " + port);
  const addrinfo* a = addrs.front();
  fd_ = openSocket(a->ai_family);
  if (fd_ < 0) return fail(errno, errnoString(errno));
  ipv6_ = a->ai_family == AF_INET6;
  if (::bind(fd_, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd_, 4) != 0) {
    const int err = errno;
    close();
    return fail(err, "cannot listen on " + ip + " port " + port + ": " + errnoString(err));
  }
  return ok();
}

Socket Socket::accept(int timeoutMs) {
  if (fd_ < 0) {
    fail(EBADF, "not listening");
    return Socket();
  }
  if (!waitFor(POLLIN, timeoutMs)) {
    errorText_ = "no incoming connection: " + errorText_;
    return Socket();
  }
  const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) {
    fail(errno, errnoString(errno));
    return Socket();
  }
  ok();
  return Socket(fd, ipv6_);
}

bool Socket::setLinger(bool on, int milliseconds) {
  linger l{};
  l.l_onoff = on ? 1 : 0;
  l.l_linger = milliseconds / 1000;
  if (::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l) != 0) return fail(errno, errnoString(errno));
  return ok();
}

bool Socket::fill(int timeoutMs) {
  if (fd_ < 0) return fail(ENOTCONN, "not connected");
  if (pos_ > 0 && pos_ == buffer_.size()) {
    buffer_.clear();
    pos_ = 0;
  } else if (pos_ > 65536) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  char chunk[16384];
  while (tls_) {
    const long n = tls_->recv(chunk, sizeof chunk);
    if (n > 0) {
      buffer_.append(chunk, static_cast<size_t>(n));
      return ok();
    }
    if (n == TlsSession::kClosed) return fail(kClosedByPeer, "connection closed by the server");
    if (n == TlsSession::kFailed) return fail(EPROTO, "TLS: " + tls_->error());
    if (!waitFor(tls_->wantsWrite() ? POLLOUT : POLLIN, timeoutMs)) return false;
  }
  for (;;) {
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n > 0) {
      buffer_.append(chunk, static_cast<size_t>(n));
      return ok();
    }
    if (n == 0) return fail(kClosedByPeer, "connection closed by the server");
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return fail(errno, errnoString(errno));
    if (!waitFor(POLLIN, timeoutMs)) return false;
  }
}

std::string Socket::recvLine(int timeoutMs, size_t maxLength) {
  // Bounded: every pass either returns or grows the buffer, and the buffer
  // never holds more than maxLength bytes of an unfinished line.
  for (;;) {
    if (skip_ && pos_ < buffer_.size()) {
      if (buffer_[pos_] == skip_) ++pos_;
      skip_ = 0;
    }
    const size_t end = buffer_.find_first_of("\r\n", pos_);
    if (end != std::string::npos) {
      if (end - pos_ > maxLength) {
        fail(kLineTooLong, "reply line longer than " + std::to_string(maxLength) + " bytes");
        return {};
      }
      std::string line = buffer_.substr(pos_, end - pos_);
      skip_ = buffer_[end] == '\r' ? '\n' : '\r';
      pos_ = end + 1;
      ok();
      return line;
    }
    if (buffer_.size() - pos_ > maxLength) {
      fail(kLineTooLong, "reply line longer than " + std::to_string(maxLength) + " bytes");
      buffer_.clear();
      pos_ = 0;
      return {};
    }
    if (!fill(timeoutMs)) return {};
  }
}

void Socket::purge() {
  buffer_.clear();
  pos_ = 0;
  if (fd_ < 0) return;
  char chunk[16384];
  // Bounded: a peer that keeps sending is not drained for ever.
  for (int i = 0; i < 64; ++i) {
    const long n = tls_ ? tls_->recv(chunk, sizeof chunk) : static_cast<long>(::recv(fd_, chunk, sizeof chunk, 0));
    if (n <= 0) break;
  }
}

bool Socket::sendBytes(std::string_view bytes, int timeoutMs) {
  if (fd_ < 0) return fail(ENOTCONN, "not connected");
  size_t done = 0;
  while (tls_ && done < bytes.size()) {
    const long n = tls_->send(bytes.data() + done, std::min<size_t>(bytes.size() - done, 16384));
    if (n >= 0) {
      done += static_cast<size_t>(n);
    } else if (n == TlsSession::kAgain) {
      if (!waitFor(POLLOUT, timeoutMs)) return false;
    } else {
      return fail(EPROTO, "TLS: " + tls_->error());
    }
  }
  while (done < bytes.size()) {
    const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!waitFor(POLLOUT, timeoutMs)) return false;
      continue;
    }
    return fail(n < 0 ? errno : kClosedByPeer, n < 0 ? errnoString(errno) : "connection closed");
  }
  return ok();
}

bool Socket::sendFile(int fd, int timeoutMs) {
  std::vector<char> chunk(1 << 16);
  for (;;) {
    const ssize_t n = ::read(fd, chunk.data(), chunk.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno, "cannot read the local file: " + errnoString(errno));
    }
    if (n == 0) return ok();
    if (!sendBytes(std::string_view(chunk.data(), static_cast<size_t>(n)), timeoutMs)) return false;
  }
}

bool Socket::startTls(const TlsSettings& settings, const Socket* resumeFrom, int timeoutMs) {
  if (fd_ < 0) return fail(ENOTCONN, "not connected");
  certificateRefused_ = false;
  fingerprint_.clear();
  // Whatever was received in the clear before the handshake is not the server's TLS.
  buffer_.clear();
  pos_ = 0;
  tls_ = std::make_unique<TlsSession>(fd_, settings, resumeFrom && resumeFrom->tls_ ? resumeFrom->tls_.get() : nullptr);
  for (;;) {
    const long rc = tls_->handshake();
    if (rc == 0) return ok();
    if (rc == TlsSession::kAgain) {
      if (waitFor(tls_->wantsWrite() ? POLLOUT : POLLIN, timeoutMs)) continue;
      const std::string text = "TLS handshake: " + errorText_;
      close();
      return fail(kTimedOut, text);
    }
    certificateRefused_ = tls_->certificateRefused();
    fingerprint_ = tls_->peerFingerprint();
    const std::string text = tls_->error();
    close();
    return fail(EPROTO, text);
  }
}

bool Socket::endTls(int timeoutMs) {
  if (!tls_) return ok();
  for (;;) {
    const long rc = tls_->bye();
    if (rc == 0) return ok();
    if (rc != TlsSession::kAgain) return fail(EPROTO, "TLS: " + tls_->error());
    if (!waitFor(tls_->wantsWrite() ? POLLOUT : POLLIN, timeoutMs)) return false;
  }
}

void Socket::shutdownSend() {
  if (fd_ >= 0) ::shutdown(fd_, SHUT_WR);
}

std::string Socket::localAddress() const {
  sockaddr_storage ss{};
  socklen_t len = sizeof ss;
  if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&ss), &len) != 0) return {};
  return numericHost(reinterpret_cast<sockaddr*>(&ss), len);
}

std::string Socket::localPort() const {
  sockaddr_storage ss{};
  socklen_t len = sizeof ss;
  if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&ss), &len) != 0) return {};
  return numericPort(reinterpret_cast<sockaddr*>(&ss), len);
}

std::string Socket::peerAddress() const {
  sockaddr_storage ss{};
  socklen_t len = sizeof ss;
  if (fd_ < 0 || ::getpeername(fd_, reinterpret_cast<sockaddr*>(&ss), &len) != 0) return {};
  return numericHost(reinterpret_cast<sockaddr*>(&ss), len);
}

}  // namespace tessary::publish
