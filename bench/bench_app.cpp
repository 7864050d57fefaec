// Desktop window benchmark: builds a synthetic blog the way bench_generate does
// (10,000 entries over 8 years: 70 % blog entries, 25 % articles, 5 % static
// pages; 20 categories; texts of about 1.5 KB), then drives the real main
// window headless and times
//   1. opening the blog until the entry grid has painted its first rows
//      (minimum and median of 5; the blog is closed between with "Close Blog"),
//   2. scrolling the entry grid from top to bottom a page at a time at
//      1366x768, each step repainted at once (worst step and total),
//   3. "Generate Pages" from the window against `tessary-cli generate` of the
//      same blog in the same run: a warm-up run of each, then 3 alternating
//      rounds, each run on a fresh copy of the blog and an empty output folder;
//      the log lines of both are compared,
//   4. the memory of the window with the blog open (VmRSS, VmHWM) after the
//      opening and after the generation runs,
// and prints a table of results against their goals.
//
// Usage: bench_app [ENTRIES] [--dir FOLDER]
//   --dir FOLDER  where the working folder is made (default: the system's
//                 temporary folder; /dev/shm keeps a noisy disk out of it).
// Runs under QT_QPA_PLATFORM=offscreen unless another platform is set.
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTextDocument>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/app_paths.h"
#include "app/application.h"
#include "app/mainform.h"
#include "store/blog_db.h"
#include "util/date_time.h"
#include "bench_blog.h"

extern char** environ;

using namespace tessary;

using bench::QuietUI;

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// The blog of bench_generate, mixed shape.
bool buildBlog(const std::string& programFolder, const std::string& file, int count) {
  QuietUI ui;
  std::mt19937 rng(7);
  store::BlogDb blog(programFolder, ui);
  if (!blog.CreateBlog(file)) return false;
  bench::fillBenchmarkBlog(blog, count, false, rng);
  blog.CloseBlog();
  return true;
}

// A field of /proc/self/status in kB (VmRSS, VmHWM), -1 when unreadable.
long statusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + key.size());
  return -1;
}

// Sets VmHWM back to the present VmRSS, so the peak reported is the window's
// and not the blog building's. False when the kernel refuses.
bool resetPeak() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
  out.flush();
  return static_cast<bool>(out);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n == 0 ? 0.0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Counts the paint events of a widget that happen while the model has rows.
class PaintWatch : public QObject {
 public:
  PaintWatch(QWidget* target, const QAbstractItemModel* model) : model_(model) { target->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && model_->rowCount() > 0) ++paintsWithRows;
    return false;
  }
  int paintsWithRows = 0;

 private:
  const QAbstractItemModel* model_;
};

// Answers any message box a command opens, so that an unexpected question
// cannot stop the run; the texts are reported.
class BoxWatch {
 public:
  BoxWatch() {
    timer_.setInterval(200);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        texts.push_back(box->text().toStdString());
        std::fprintf(stderr, "unexpected message box: %s\n", texts.back().c_str());
        QAbstractButton* b = box->escapeButton() ? box->escapeButton() : box->defaultButton();
        if (b) b->click();
        else box->reject();
      } else {
        texts.push_back("(a window: " + modal->windowTitle().toStdString() + ")");
        std::fprintf(stderr, "unexpected modal window: %s\n", texts.back().c_str());
        modal->close();
      }
    });
    timer_.start();
  }
  std::vector<std::string> texts;

 private:
  QTimer timer_;
};

void settle(int rounds = 5) {
  for (int i = 0; i < rounds; ++i) QCoreApplication::processEvents();
}

bool replaceFile(const QString& from, const QString& to) {
  QFile::remove(to);
  return QFile::copy(from, to);
}

long countLines(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray all = f.readAll();
  long n = all.count('\n');
  if (!all.isEmpty() && !all.endsWith('\n')) ++n;
  return n;
}

struct CliRun {
  bool ok = false;
  double secs = 0;
  long stdoutLines = 0;
  long stderrLines = 0;
  long peakKb = 0;
};

// `tessary-cli --program-folder FOLDER generate BLOG`, its output in files.
CliRun runCli(const std::string& cli, const QString& folder, const QString& blogFile, const QString& outputs) {
  CliRun r;
  const std::string out = (outputs + "/cli-stdout.txt").toStdString();
  const std::string err = (outputs + "/cli-stderr.txt").toStdString();
  const std::string pf = folder.toStdString(), blog = blogFile.toStdString();
  std::vector<char*> argv = {const_cast<char*>(cli.c_str()), const_cast<char*>("--program-folder"),
                             const_cast<char*>(pf.c_str()), const_cast<char*>("generate"),
                             const_cast<char*>(blog.c_str()), nullptr};
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  const auto t0 = Clock::now();
  const int rc = posix_spawn(&pid, cli.c_str(), &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) {
    std::fprintf(stderr, "cannot start %s: %s\n", cli.c_str(), std::strerror(rc));
    return r;
  }
  int status = 0;
  rusage ru{};
  if (::wait4(pid, &status, 0, &ru) != pid) return r;
  r.secs = seconds(t0);
  r.peakKb = ru.ru_maxrss;
  r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!r.ok) std::fprintf(stderr, "tessary-cli generate ended with status %d\n", status);
  r.stdoutLines = countLines(QString::fromStdString(out));
  r.stderrLines = countLines(QString::fromStdString(err));
  return r;
}

struct Verdict {
  std::string what, measured, goal;
  bool pass;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int count = 10000;
  QString base = QDir::tempPath();
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) base = QString::fromLocal8Bit(argv[++i]);
    else if (argv[i][0] != '-') count = std::atoi(argv[i]);
  }
  app::TessaryApplication application(argc, argv);

  const std::string cli = std::string(TESSARY_BIN_DIR) + "/tessary-cli";
  if (::access(cli.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "%s is missing: build the tessary-cli target\n", cli.c_str());
    return 1;
  }
  // A folder of its own: several benchmarks may run at once on one machine.
  QTemporaryDir work(QDir(base).filePath("tessary-bench-app-XXXXXX"));
  if (!work.isValid()) {
    std::fprintf(stderr, "cannot make a working folder in %s\n", qPrintable(base));
    return 1;
  }
  const QDir root(work.path());
  for (const char* sub : {"master", "gui", "cli"}) root.mkpath(sub);
  const QString master = root.filePath("master/bench.zdb");
  const QString guiFolder = root.filePath("gui"), cliFolder = root.filePath("cli");
  const QString guiBlog = root.filePath("gui/bench.zdb"), cliBlog = root.filePath("cli/bench.zdb");
  if (!app::ensureDefaultTemplate(guiFolder) || !app::ensureDefaultTemplate(cliFolder)) {
    std::fprintf(stderr, "cannot write @default.tem\n");
    return 1;
  }

  auto t0 = Clock::now();
  if (!buildBlog(root.filePath("master").toStdString(), master.toStdString(), count)) {
    std::fprintf(stderr, "cannot build the blog\n");
    return 1;
  }
  std::printf("blog of %d entries (70/25/5) built in %.2f s, %.1f MB, in %s\n", count, seconds(t0),
              QFile(master).size() / 1e6, qPrintable(work.path()));
  ::malloc_trim(0);
  const bool peakReset = resetPeak();
  std::printf("before the window: VmRSS %ld MB%s\n", statusKb("VmRSS") / 1024,
              peakReset ? " (VmHWM reset to it)" : " (VmHWM could not be reset: it includes the blog building)");

  std::vector<Verdict> verdicts;
  BoxWatch boxes;
  app::TtheMainForm w(guiFolder);
  w.resize(1366, 768);
  w.show();
  settle(20);
  std::printf("window %dx%d on platform \"%s\"\n", w.width(), w.height(), qPrintable(QGuiApplication::platformName()));

  // ---- 1. Opening ----------------------------------------------------------------
  QTableView* grid = w.entryGrid();
  if (!replaceFile(master, guiBlog)) return 1;
  std::vector<double> opens, commands;
  int forced = 0;
  for (int run = 0; run < 5; ++run) {
    PaintWatch watch(grid->viewport(), w.entryModel());
    const auto start = Clock::now();
    w.openBlogFile(guiBlog);
    commands.push_back(seconds(start));
    QElapsedTimer limit;
    limit.start();
    while (watch.paintsWithRows == 0 && limit.elapsed() < 5000) QCoreApplication::processEvents();
    if (watch.paintsWithRows == 0) {  // nothing painted on its own: make it
      ++forced;
      grid->viewport()->repaint();
    }
    opens.push_back(seconds(start));
    if (!w.blogOpen() || w.entryModel()->rowCount() != count) {
      std::fprintf(stderr, "the blog did not open (%d rows)\n", w.entryModel()->rowCount());
      return 1;
    }
    if (run < 4) {
      w.button("Close Blog", 1)->click();
      settle();
      if (w.blogOpen()) {
        std::fprintf(stderr, "Close Blog did not close the blog\n");
        return 1;
      }
    }
  }
  std::printf("open blog: runs");
  for (size_t i = 0; i < opens.size(); ++i) std::printf(" %.3f", opens[i]);
  std::printf(" s; of which the Open command %.3f s (median)%s\n", median(commands),
              forced ? "; the paint had to be forced" : "");
  {
    char m[96];
    std::snprintf(m, sizeof m, "min %.3f s, median %.3f s", *std::min_element(opens.begin(), opens.end()),
                  median(opens));
    verdicts.push_back({"open blog until first rows painted", m, "<= 0.300 s", median(opens) <= 0.3});
  }
  const long rssOpen = statusKb("VmRSS"), hwmOpen = statusKb("VmHWM");

  // ---- 2. Scrolling ----------------------------------------------------------------
  w.showPage(app::TtheMainForm::kPageEntries);
  w.resize(1366, 768);
  settle(20);
  {
    QScrollBar* bar = grid->verticalScrollBar();
    bar->setValue(0);
    grid->viewport()->repaint();
    settle();
    int steps = 0;
    double worst = 0, total = 0;
    while (bar->value() < bar->maximum()) {
      const auto start = Clock::now();
      bar->setValue(std::min(bar->value() + bar->pageStep(), bar->maximum()));
      grid->viewport()->repaint();
      QCoreApplication::processEvents();
      const double dt = seconds(start);
      worst = std::max(worst, dt);
      total += dt;
      ++steps;
    }
    std::printf("scroll: %d steps of %d rows (viewport %dx%d), mean %.2f ms\n", steps, bar->pageStep(),
                grid->viewport()->width(), grid->viewport()->height(), steps ? total / steps * 1e3 : 0.0);
    char m[96];
    std::snprintf(m, sizeof m, "worst %.2f ms, total %.3f s", worst * 1e3, total);
    verdicts.push_back({"scroll entry grid top to bottom", m, "worst < 50 ms", worst < 0.05});
  }

  // ---- 3. Generate Pages: window and command line ---------------------------------
  auto guiRun = [&](double& longestGap) {
    w.button("Close Blog", 0)->click();
    settle();
    QDir(QDir(guiFolder).filePath("HTML")).removeRecursively();
    if (!replaceFile(master, guiBlog)) return -1.0;
    w.openBlogFile(guiBlog);
    w.showPage(app::TtheMainForm::kPagePublish);
    settle(20);
    // The longest time the window went without running its events.
    QElapsedTimer sinceTick;
    Clock::time_point runStart;
    double gap = 0;
    QTimer tick;
    tick.setInterval(10);
    std::vector<std::string> stalls;  // the gaps over 50 ms: when, and how far the log had got
    QObject::connect(&tick, &QTimer::timeout, [&] {
      const double g = sinceTick.nsecsElapsed() / 1e9;
      gap = std::max(gap, g);
      if (g > 0.05) {
        char s[96];
        std::snprintf(s, sizeof s, "%.0f ms ending at %.2f s (log block %d)", g * 1e3, seconds(runStart),
                      w.progressLog()->document()->blockCount());
        stalls.push_back(s);
      }
      sinceTick.restart();
    });
    if (longestGap >= 0) tick.start();
    sinceTick.start();
    runStart = Clock::now();
    w.button("Generate Pages", 5)->click();
    const double secs = seconds(runStart);
    if (longestGap >= 0) {
      const double last = sinceTick.nsecsElapsed() / 1e9;
      if (last > 0.05) {
        char s[64];
        std::snprintf(s, sizeof s, "%.0f ms at the end of the run", last * 1e3);
        stalls.push_back(s);
      }
      longestGap = std::max(gap, last);
      for (const std::string& s : stalls) std::printf("  window without events for %s\n", s.c_str());
    }
    tick.stop();
    settle();
    return secs;
  };
  auto cliRun = [&] {
    QDir(QDir(cliFolder).filePath("HTML")).removeRecursively();
    if (!replaceFile(master, cliBlog)) return CliRun{};
    return runCli(cli, cliFolder, cliBlog, root.path());
  };
  double gapWarm = 0;
  const double guiWarm = guiRun(gapWarm);
  const CliRun cliWarm = cliRun();
  std::printf("generate, warm-up: window %.2f s, tessary-cli %.2f s; the window went %.0f ms at most without "
              "running its events\n",
              guiWarm, cliWarm.secs, gapWarm * 1e3);
  if (guiWarm < 0 || !cliWarm.ok) return 1;
  std::vector<double> guiTimes, cliTimes;
  CliRun lastCli = cliWarm;
  for (int round = 0; round < 3; ++round) {
    double noGap = -1;
    if (round % 2 == 0) {
      guiTimes.push_back(guiRun(noGap));
      lastCli = cliRun();
      cliTimes.push_back(lastCli.secs);
    } else {
      lastCli = cliRun();
      cliTimes.push_back(lastCli.secs);
      guiTimes.push_back(guiRun(noGap));
    }
    std::printf("generate, round %d: window %.2f s, tessary-cli %.2f s\n", round + 1, guiTimes.back(),
                cliTimes.back());
    if (!lastCli.ok) return 1;
  }
  const long guiLines = w.progressLog()->lines().size();
  const long guiFiles = QDir(QDir(guiFolder).filePath("HTML/bench")).entryList(QDir::Files).size();
  const long cliFiles = QDir(QDir(cliFolder).filePath("HTML/bench")).entryList(QDir::Files).size();
  std::printf("log lines: window %ld, tessary-cli stdout %ld (stderr %ld); files written: window %ld, "
              "tessary-cli %ld; tessary-cli peak memory %ld MB\n",
              guiLines, lastCli.stdoutLines, lastCli.stderrLines, guiFiles, cliFiles, lastCli.peakKb / 1024);
  {
    const double g = *std::min_element(guiTimes.begin(), guiTimes.end());
    const double c = *std::min_element(cliTimes.begin(), cliTimes.end());
    char m[96];
    std::snprintf(m, sizeof m, "%.2f s / %.2f s = %.2fx", g, c, g / c);
    verdicts.push_back({"Generate Pages: window / CLI (min of 3)", m, "<= 1.25x", g / c <= 1.25});
    std::snprintf(m, sizeof m, "window %ld, CLI %ld", guiLines, lastCli.stdoutLines);
    verdicts.push_back({"log lines after the run", m, "equal", guiLines == lastCli.stdoutLines});
  }

  // ---- 4. Memory --------------------------------------------------------------------
  const long rssGen = statusKb("VmRSS"), hwmGen = statusKb("VmHWM");
  {
    char m[96];
    std::snprintf(m, sizeof m, "VmRSS %ld MB, VmHWM %ld MB", rssOpen / 1024, hwmOpen / 1024);
    verdicts.push_back({"memory, blog open", m, "<= 150 MB", hwmOpen <= 150 * 1024});
    std::snprintf(m, sizeof m, "VmRSS %ld MB, VmHWM %ld MB", rssGen / 1024, hwmGen / 1024);
    verdicts.push_back({"memory, after Generate Pages", m, "<= 150 MB", hwmGen <= 150 * 1024});
  }
  if (!boxes.texts.empty()) {
    char m[32];
    std::snprintf(m, sizeof m, "%zu", boxes.texts.size());
    verdicts.push_back({"unexpected message boxes", m, "0", false});
  }

  std::printf("\n%-42s %-34s %-14s %s\n", "measure", "measured", "goal", "result");
  for (const Verdict& v : verdicts)
    std::printf("%-42s %-34s %-14s %s\n", v.what.c_str(), v.measured.c_str(), v.goal.c_str(),
                v.pass ? "PASS" : "OVER");

  w.button("Close Blog", 0)->click();
  settle();
  w.close();
  return 0;
}
