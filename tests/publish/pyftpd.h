// A real FTP server for tests and benchmarks: the Debian pyftpdlib run by
// /usr/bin/python3 through ftp_server.py, on 127.0.0.1 or ::1 at a free port,
// with one writable user. Started by the constructor, stopped by its process
// id in the destructor. Free of GoogleTest so that the benchmark can use it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tessary::testing {

class PyFtpServer {
 public:
  static constexpr const char* kUser = "tess";
  static constexpr const char* kPassword = "secret";

  // script: the path of ftp_server.py; root: the folder the user sees as "/";
  // log: where the server's own messages go; tlsCert: a PEM file with the
  // certificate and its key for FTPS with TLS required, or empty.
  PyFtpServer(const std::string& script, const std::string& root, const std::string& host, const std::string& log,
              const std::string& tlsCert = "") {
    int fds[2];
    if (::pipe(fds) != 0) {
      error_ = "pipe failed";
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    std::vector<std::string> args = {"/usr/bin/python3", script, "--root", root, "--host", host,
                                     "--user", kUser, "--password", kPassword};
    if (!tlsCert.empty()) {
      args.push_back("--tls-cert");
      args.push_back(tlsCert);
    }
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
      pid_ = -1;
      ::close(fds[0]);
      error_ = "cannot start /usr/bin/python3";
      return;
    }
    // The port line comes within a second or so; wait at most 20 s.
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (text.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      pollfd p{fds[0], POLLIN, 0};
      if (::poll(&p, 1, 200) <= 0) continue;
      char buf[64];
      const ssize_t n = ::read(fds[0], buf, sizeof buf);
      if (n <= 0) break;
      text.append(buf, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    const size_t nl = text.find('\n');
    if (nl == std::string::npos || nl == 0) {
      error_ = "the FTP server did not start (see " + log + ")";
      stop();
      return;
    }
    port_ = text.substr(0, nl);
  }

  ~PyFtpServer() { stop(); }
  PyFtpServer(const PyFtpServer&) = delete;
  PyFtpServer& operator=(const PyFtpServer&) = delete;

  bool running() const { return pid_ > 0 && !port_.empty(); }
  const std::string& port() const { return port_; }
  const std::string& error() const { return error_; }

  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  std::string port_;
  std::string error_;
};

}  // namespace tessary::testing
