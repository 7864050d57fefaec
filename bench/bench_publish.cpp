// Publishing by FTP to pyftpdlib on loopback: 2,000 files of about 10 KB, then
// 5 of them changed and published again, in plain FTP and over TLS (FTPS with
// TLS required, a self-signed certificate trusted by its fingerprint); the
// same with lftp's reverse mirror (one transfer at a time, ftp:ssl-force for
// TLS) for comparison when lftp is installed. Each run uses a fresh server
// folder; the medians of several runs are reported.
//
//   bench_publish [runs]     (default 3)
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "../tests/publish/pyftpd.h"
#include "publish/ftp_blog.h"
#include "publish/ftpsend.h"
#include "store/blog_db.h"
#include "util/crc32.h"
#include "util/files.h"

namespace {

using namespace tessary;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 2000;
constexpr int kChanged = 5;

class QuietUI : public store::UserInterface {
 public:
  void showMessage(const std::string&) override {}
  void showError(const std::string& text) override { std::cerr << text << "\n"; }
  store::Answer confirm(const std::string&, store::Buttons b) override {
    return b == store::Buttons::OkCancel ? store::Answer::Ok : store::Answer::No;
  }
  void statusShow(const std::string&) override {}
  void statusSetMessage(const std::string&) override {}
  void statusClose() override {}
};

// Counts the files a run sent.
class CountingLog : public NullProgressLog {
 public:
  void AppendLine(const std::string& text) override { uploads += text.rfind("...Uploading ", 0) == 0; }
  int uploads = 0;
};

std::string fileName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "page%04d.html", i);
  return name;
}

std::string content(int i, int version) {
  std::string s = "<html><body><h1>Page " + std::to_string(i) + " version " + std::to_string(version) + "</h1>";
  while (s.size() < 10000) s += "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit " + std::to_string(i) + ".</p>";
  return s + "</body></html>";
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

std::string commandOutput(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    ::pclose(p);
  }
  return out;
}

struct Timings {
  std::vector<double> oursFirst, oursAgain, lftpFirst, lftpAgain;
  int againSent = -1;
};

void setRow(store::Table& pages, const std::string& name, int32_t crc) {
  if (pages.findKey(name)) {
    pages.edit();
    pages.setInteger("PageCRCNew", crc);
    pages.setInteger("PageCRCLocal", crc);
    pages.post();
  } else {
    pages.insertRecord({name, 0, crc, crc});
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::string script =
      (std::filesystem::path(__FILE__).parent_path().parent_path() / "tests/publish/ftp_server.py").string();
  char pattern[] = "/tmp/bench-publish-XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  const std::string dir = pattern;
  const std::string output = dir + "/HTML/site/";
  util::createDirectories(output);

  // The server's certificate for the TLS runs, and its fingerprint.
  const std::string cert = dir + "/server.pem";
  if (std::system(("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
                   "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout " + dir + "/server.key -out " +
                   dir + "/server.crt >/dev/null 2>&1 && cat " + dir + "/server.crt " + dir + "/server.key > " + cert)
                      .c_str()) != 0) {
    std::cerr << "cannot make a certificate with openssl\n";
    return 1;
  }
  std::string fingerprint = commandOutput("openssl x509 -noout -fingerprint -sha256 -in " + dir + "/server.crt");
  fingerprint = fingerprint.substr(fingerprint.find('=') + 1);

  QuietUI ui;
  store::BlogDb blog(dir, ui);
  if (!blog.CreateBlog(dir + "/site.zdb")) return 1;
  {
    store::Transaction t(blog.database());
    for (int i = 0; i < kFiles; ++i) {
      const std::string c = content(i, 0);
      util::writeFileAtomic(output + fileName(i), c);
      setRow(blog.tblPages(), fileName(i), util::crcToStored(util::CalculateCRC32String(c)));
    }
    t.commit();
  }
  const bool haveLftp = std::system("command -v lftp >/dev/null 2>&1") == 0;
  Timings timings[2];

  for (int run = 0; run < runs; ++run) {
    for (int tls = 0; tls < 2; ++tls) {
      Timings& t = timings[tls];
      const std::string tag = std::to_string(run) + (tls ? "-tls" : "");
      // Fresh start: every page unpublished, the first version of every file.
      blog.database().exec("UPDATE tblPages SET PageCRCExisting = 0");
      blog.database().notifyDataChanged("tblPages");
      for (int i = 0; i < kChanged; ++i) {
        const std::string c = content(i * 397, 0);
        util::writeFileAtomic(output + fileName(i * 397), c);
        setRow(blog.tblPages(), fileName(i * 397), util::crcToStored(util::CalculateCRC32String(c)));
      }

      const std::string root = dir + "/server-ours-" + tag;
      util::createDirectories(root);
      testing::PyFtpServer server(script, root, "127.0.0.1", dir + "/ftpd.log", tls ? cert : "");
      if (!server.running()) {
        std::cerr << server.error() << "\n";
        return 1;
      }
      store::BlogOptionsRec& o = blog.options();
      o.FTPSite = "127.0.0.1";
      o.FTPPort = server.port();
      o.FTPUserid = testing::PyFtpServer::kUser;
      o.FTPPassword = testing::PyFtpServer::kPassword;
      o.FTPPassive = 1;
      o.PublishingLocation = 0;
      o.FTPSecurity = tls ? 2 : 0;
      o.FTPCertificateFingerprint = tls ? fingerprint : "";

      CountingLog log;
      auto t0 = Clock::now();
      publish::PublishPages(blog, output, log, publish::kPublishAllLimit);
      auto t1 = Clock::now();
      if (log.uploads != kFiles) std::cerr << "first publish sent " << log.uploads << " files\n";
      t.oursFirst.push_back(seconds(t0, t1));

      for (int i = 0; i < kChanged; ++i) {
        const std::string c = content(i * 397, run + 1);
        util::writeFileAtomic(output + fileName(i * 397), c);
        setRow(blog.tblPages(), fileName(i * 397), util::crcToStored(util::CalculateCRC32String(c)));
      }
      CountingLog again;
      t0 = Clock::now();
      publish::PublishPages(blog, output, again, publish::kPublishAllLimit);
      t1 = Clock::now();
      t.againSent = again.uploads;
      t.oursAgain.push_back(seconds(t0, t1));
      server.stop();

      if (haveLftp) {
        // The same files, their first version, into a fresh folder.
        const std::string mirrorSource = dir + "/mirror-" + tag;
        util::createDirectories(mirrorSource);
        for (int i = 0; i < kFiles; ++i) util::writeFileAtomic(mirrorSource + "/" + fileName(i), content(i, 0));
        const std::string lroot = dir + "/server-lftp-" + tag;
        util::createDirectories(lroot);
        testing::PyFtpServer lserver(script, lroot, "127.0.0.1", dir + "/ftpd.log", tls ? cert : "");
        const std::string settings = tls ? "set ftp:ssl-force true; set ftp:ssl-protect-data true; "
                                           "set ssl:verify-certificate false; "
                                         : "set ftp:ssl-allow false; ";
        const std::string cmd = "lftp -u " + std::string(testing::PyFtpServer::kUser) + "," +
                                testing::PyFtpServer::kPassword + " -p " + lserver.port() + " -e '" + settings +
                                "set cmd:interactive false; mirror -R --parallel=1 " + mirrorSource +
                                " /; quit' 127.0.0.1 >/dev/null 2>&1";
        t0 = Clock::now();
        const int rc1 = std::system(cmd.c_str());
        t1 = Clock::now();
        t.lftpFirst.push_back(seconds(t0, t1));
        ::sleep(1);  // a newer modification time for the changed files
        for (int i = 0; i < kChanged; ++i)
          util::writeFileAtomic(mirrorSource + "/" + fileName(i * 397), content(i * 397, run + 1));
        t0 = Clock::now();
        const int rc2 = std::system(cmd.c_str());
        t1 = Clock::now();
        t.lftpAgain.push_back(seconds(t0, t1));
        if (rc1 != 0 || rc2 != 0) std::cerr << "lftp failed\n";
        if (util::listFiles(lroot).size() != static_cast<size_t>(kFiles)) std::cerr << "lftp did not send every file\n";
      }
    }
  }
  blog.CloseBlog();
  std::filesystem::remove_all(dir);

  std::printf("publish %d files of ~10 KB to pyftpdlib on loopback, median of %d runs\n", kFiles, runs);
  for (int tls = 0; tls < 2; ++tls) {
    const Timings& t = timings[tls];
    std::printf("%s\n", tls ? "FTPS (TLS required):" : "plain FTP:");
    std::printf("  ours: first publish %.2f s, republish of %d changed files %.3f s (sent %d)\n", median(t.oursFirst),
                kChanged, median(t.oursAgain), t.againSent);
    if (haveLftp)
      std::printf("  lftp mirror -R --parallel=1: first %.2f s, again %.3f s\n", median(t.lftpFirst),
                  median(t.lftpAgain));
    else
      std::printf("  lftp not installed: comparison skipped\n");
  }
  return 0;
}
