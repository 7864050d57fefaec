// A scripted FTP server on loopback, run on a thread of the test: it gives the
// replies a real server will not give (odd greetings, rejected commands,
// silence, garbage, closed connections) and records every command it receives
// and every file stored. It serves one control connection; every wait is
// bounded, so a test never hangs on it.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tessary::testing {

class ScriptedFtpServer {
 public:
  static constexpr int kWaitMs = 10000;

  explicit ScriptedFtpServer(bool ipv6 = false) : ipv6_(ipv6) { listen_ = listenOn(0); }
  ~ScriptedFtpServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    for (int fd : {listen_, ctl_, data_, dataListen_})
      if (fd >= 0) ::close(fd);
  }
  ScriptedFtpServer(const ScriptedFtpServer&) = delete;
  ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

  bool listening() const { return listen_ >= 0; }
  std::string port() const { return std::to_string(portOf(listen_)); }
  std::string host() const { return ipv6_ ? "::1" : "127.0.0.1"; }

  // The first thing sent, raw (line ends included).
  void greet(std::string raw) { greeting_ = std::move(raw); }
  // The raw reply to a command, found by the whole command line first, then by
  // its verb. "<silent>" sends nothing, "<close>" closes the connection. In a
  // reply "{pasv}" becomes h1,h2,h3,h4,p1,p2 ("{pasvport}" only p1,p2) and "{epsv}" the port of a new
  // data listener. "STOR-DATA" "<close>" closes everything once the data
  // connection is open, "<keep N>" keeps only N bytes; "STOR-END" is the
  // reply after the data. RNFR, RNTO, SIZE and DELE act on the files stored.
  void on(const std::string& key, std::string raw) { onEach(key, {std::move(raw)}); }
  // Replies given in turn to the same command; the last one repeats.
  void onEach(const std::string& key, std::vector<std::string> raws) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[key] = std::move(raws);
  }
  void start() { thread_ = std::thread([this] { run(); }); }
  // Waits (bounded) until the session is over.
  void join() {
    if (thread_.joinable()) thread_.join();
  }

  std::vector<std::string> commands() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
  }
  // Files whose data arrived, counted as their transfers end.
  int stores() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stores_;
  }
  std::map<std::string, std::string> stored() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stored_;
  }
  bool received(const std::string& command) const {
    for (const auto& c : commands())
      if (c == command) return true;
    return false;
  }

 private:
  int listenOn(int port) const {
    const int fd = ::socket(ipv6_ ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    int rc;
    if (ipv6_) {
      sockaddr_in6 a{};
      a.sin6_family = AF_INET6;
      a.sin6_addr = in6addr_loopback;
      a.sin6_port = htons(static_cast<uint16_t>(port));
      rc = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    } else {
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      a.sin_port = htons(static_cast<uint16_t>(port));
      rc = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    if (rc != 0 || ::listen(fd, 4) != 0) {
      ::close(fd);
      return -1;
    }
    return fd;
  }

  static int portOf(int fd) {
    sockaddr_storage ss{};
    socklen_t len = sizeof ss;
    if (fd < 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len) != 0) return 0;
    if (ss.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&ss)->sin6_port);
    return ntohs(reinterpret_cast<sockaddr_in*>(&ss)->sin_port);
  }

  // Waits for fd to become readable in short slices, watching the stop flag.
  bool readable(int fd, int timeoutMs) const {
    for (int waited = 0; waited < timeoutMs && !stop_; waited += 50) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 50) > 0) return true;
    }
    return false;
  }

  int acceptOn(int fd) const {
    if (fd < 0 || !readable(fd, kWaitMs)) return -1;
    return ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
  }

  bool findReply(const std::string& key, std::string& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = replies_.find(key);
    if (it == replies_.end() || it->second.empty()) return false;
    out = it->second.front();
    if (it->second.size() > 1) it->second.erase(it->second.begin());
    return true;
  }

  bool readLine(std::string& line) {
    for (int guard = 0; guard < 100000; ++guard) {
      const size_t nl = buffer_.find("\r\n");
      if (nl != std::string::npos) {
        line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 2);
        return true;
      }
      if (!readable(ctl_, kWaitMs)) return false;
      char chunk[4096];
      const ssize_t n = ::recv(ctl_, chunk, sizeof chunk, 0);
      if (n <= 0) return false;
      buffer_.append(chunk, static_cast<size_t>(n));
    }
    return false;
  }

  void send(const std::string& raw) {
    if (!raw.empty()) ::send(ctl_, raw.data(), raw.size(), MSG_NOSIGNAL);
  }

  std::string newDataListener() {
    if (dataListen_ >= 0) ::close(dataListen_);
    dataListen_ = listenOn(0);
    return std::to_string(portOf(dataListen_));
  }

  std::string expand(std::string reply) {
    size_t at;
    if ((at = reply.find("{epsv}")) != std::string::npos) reply.replace(at, 6, newDataListener());
    if ((at = reply.find("{pasvport}")) != std::string::npos) {
      const int port = std::stoi(newDataListener());
      reply.replace(at, 10, std::to_string(port / 256) + "," + std::to_string(port % 256));
    }
    if ((at = reply.find("{pasv}")) != std::string::npos) {
      const int port = std::stoi(newDataListener());
      reply.replace(at, 6, "127,0,0,1," + std::to_string(port / 256) + "," + std::to_string(port % 256));
    }
    return reply;
  }

  // Active mode: connect to the client now, before replying, as real servers do.
  bool connectBack(const std::string& ip, int port) {
    if (data_ >= 0) ::close(data_);
    const bool v6 = ip.find(':') != std::string::npos;
    data_ = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int rc = -1;
    if (v6) {
      sockaddr_in6 a{};
      a.sin6_family = AF_INET6;
      a.sin6_port = htons(static_cast<uint16_t>(port));
      if (::inet_pton(AF_INET6, ip.c_str(), &a.sin6_addr) == 1)
        rc = ::connect(data_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    } else {
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_port = htons(static_cast<uint16_t>(port));
      if (::inet_pton(AF_INET, ip.c_str(), &a.sin_addr) == 1)
        rc = ::connect(data_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    return rc == 0;
  }

  std::string defaultReply(const std::string& verb, const std::string& line) {
    if (verb == "USER") return "331 Password required\r\n";
    if (verb == "PASS") return "230 Logged in\r\n";
    if (verb == "ACCT") return "230 Account accepted\r\n";
    if (verb == "TYPE" || verb == "STRU" || verb == "MODE") return "200 OK\r\n";
    if (verb == "REST") return "350 Restarting\r\n";
    if (verb == "ALLO") return "202 No storage allocation necessary\r\n";
    if (verb == "PWD") return "257 \"/\" is the current directory\r\n";
    if (verb == "CWD" || verb == "CDUP") return "250 OK\r\n";
    const std::string arg = line.size() > verb.size() + 1 ? line.substr(verb.size() + 1) : std::string();
    if (verb == "DELE") {
      std::lock_guard<std::mutex> lock(mutex_);
      stored_.erase(arg);
      return "250 OK\r\n";
    }
    // Renames and sizes work on what was stored in this session.
    if (verb == "RNFR") {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!stored_.count(arg)) return "550 No such file\r\n";
      renameFrom_ = arg;
      return "350 Ready for RNTO\r\n";
    }
    if (verb == "RNTO") {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!stored_.count(renameFrom_)) return "503 RNFR first\r\n";
      stored_[arg] = stored_[renameFrom_];
      stored_.erase(renameFrom_);
      return "250 Renamed\r\n";
    }
    if (verb == "SIZE") {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = stored_.find(arg);
      return it == stored_.end() ? "550 No such file\r\n" : "213 " + std::to_string(it->second.size()) + "\r\n";
    }
    if (verb == "MKD") return "257 Created\r\n";
    if (verb == "QUIT") return "221 Goodbye\r\n";
    if (verb == "EPSV") return "229 Entering Extended Passive Mode (|||{epsv}|)\r\n";
    if (verb == "PASV") return "227 Entering Passive Mode ({pasv})\r\n";
    if (verb == "STOR") return "150 Opening data connection\r\n";
    if (verb == "EPRT") {
      // EPRT |f|ip|port|
      const std::string arg = line.substr(5);
      std::vector<std::string> parts;
      size_t from = 1;
      for (size_t bar; (bar = arg.find('|', from)) != std::string::npos; from = bar + 1)
        parts.push_back(arg.substr(from, bar - from));
      if (parts.size() < 3) return "501 Bad EPRT\r\n";
      return connectBack(parts[1], std::atoi(parts[2].c_str())) ? "200 EPRT OK\r\n" : "425 Cannot connect\r\n";
    }
    if (verb == "PORT") {
      int h[6] = {};
      if (std::sscanf(line.c_str() + 5, "%d,%d,%d,%d,%d,%d", &h[0], &h[1], &h[2], &h[3], &h[4], &h[5]) != 6)
        return "501 Bad PORT\r\n";
      const std::string ip = std::to_string(h[0]) + "." + std::to_string(h[1]) + "." + std::to_string(h[2]) + "." +
                             std::to_string(h[3]);
      return connectBack(ip, h[4] * 256 + h[5]) ? "200 PORT OK\r\n" : "425 Cannot connect\r\n";
    }
    return "500 Unknown command\r\n";
  }

  // Returns false when the session should end.
  bool transfer(const std::string& name) {
    if (data_ < 0) {
      data_ = acceptOn(dataListen_);
      if (data_ < 0) {
        send("425 No data connection\r\n");
        return true;
      }
    }
    std::string reply;
    if (findReply("STOR-DATA", reply) && reply == "<close>") return false;
    // "<keep N>": only the first N bytes are kept, as a server that cut the data short.
    size_t keep = std::string::npos;
    if (reply.rfind("<keep ", 0) == 0) keep = std::stoul(reply.substr(6));
    std::string bytes;
    for (int guard = 0; guard < 100000 && readable(data_, kWaitMs); ++guard) {
      char chunk[16384];
      const ssize_t n = ::recv(data_, chunk, sizeof chunk, 0);
      if (n <= 0) break;
      bytes.append(chunk, static_cast<size_t>(n));
    }
    ::close(data_);
    data_ = -1;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stored_[name] = bytes.substr(0, keep);
      ++stores_;
    }
    std::string end = "226 Transfer complete\r\n";
    findReply("STOR-END", end);
    if (end == "<close>") return false;
    if (end != "<silent>") send(end);
    return true;
  }

  void run() {
    ctl_ = acceptOn(listen_);
    if (ctl_ < 0) return;
    send(greeting_);
    std::string line;
    while (!stop_ && readLine(line)) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        commands_.push_back(line);
      }
      std::string verb = line.substr(0, line.find(' '));
      for (char& ch : verb) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      std::string scripted;
      const bool found = findReply(line, scripted) || findReply(verb, scripted);
      const std::string reply = expand(found ? scripted : defaultReply(verb, line));
      if (reply == "<silent>") continue;
      if (reply == "<close>") break;
      send(reply);
      if (verb == "STOR" && !reply.empty() && reply[0] == '1' && !transfer(line.size() > 5 ? line.substr(5) : ""))
        break;
      if (verb == "QUIT") break;
    }
    ::shutdown(ctl_, SHUT_RDWR);
  }

  bool ipv6_;
  int listen_ = -1, ctl_ = -1, data_ = -1, dataListen_ = -1;
  std::string greeting_ = "220 Scripted server ready\r\n";
  std::map<std::string, std::vector<std::string>> replies_;
  std::string buffer_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> commands_;
  std::map<std::string, std::string> stored_;
  std::string renameFrom_;
  int stores_ = 0;
};

}  // namespace tessary::testing
