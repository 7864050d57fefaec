// Generation benchmark: builds a synthetic blog through the store (10,000
// entries over 8 years: 70 % blog entries, 25 % articles, 5 % static pages; 20
// categories; texts of about 1.5 KB) and times
//   1. the first run (every file new), then the same again before publishing
//      (every page still reported as changed; no file may be written),
//   2. a run with nothing changed after the site was marked as published (it
//      must write 0 files),
//   3. a run after one entry changed (it must rewrite only the files that show
//      that entry; they are listed),
// reporting files and MB per second and the peak memory. Then the tracking
// alone: ResetNewChecksums, the WritePage lookups and RemoveOrphans of a
// no-change run over 20,000 tracked files (goal: at most 1 s together).
//
// Usage: bench_generate [ENTRIES] [--all-articles] [--keep]
// Peak memory also shows in `/usr/bin/time -v build/bench/bench_generate`.
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "generator/html_gen.h"
#include "generator/page_output.h"
#include "store/blog_db.h"
#include "util/date_time.h"
#include "util/files.h"
#include "bench_blog.h"

using namespace tessary;

using bench::prose;
using bench::QuietUI;

namespace {

class CountingLog : public ProgressLog {
 public:
  void ClearLog() override { lines = 0; }
  void AppendLine(const std::string&) override { ++lines; }
  void AppendColouredLine(Colour, const std::string&) override { ++lines; }
  long lines = 0;
};

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct FileState {
  ino_t inode;
  int64_t size;
};

std::map<std::string, FileState> snapshot(const std::string& folder) {
  std::map<std::string, FileState> files;
  for (const std::string& name : util::listFiles(folder)) {
    struct stat st {};
    if (::stat((folder + name).c_str(), &st) == 0) files[name] = {st.st_ino, static_cast<int64_t>(st.st_size)};
  }
  return files;
}

// The files that are new or were replaced (atomic writes give a new inode).
std::vector<std::string> written(const std::map<std::string, FileState>& before,
                                 const std::map<std::string, FileState>& after) {
  std::vector<std::string> names;
  for (const auto& [name, st] : after) {
    const auto it = before.find(name);
    if (it == before.end() || it->second.inode != st.inode) names.push_back(name);
  }
  return names;
}

long peakKb() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

void report(const char* what, double secs, const std::vector<std::string>& files, const std::string& folder) {
  int64_t bytes = 0;
  for (const auto& f : files) bytes += util::fileSize(folder + f);
  std::printf("%-34s %7.2f s  %6zu files written  %8.1f MB  %8.0f files/s  %6.1f MB/s  peak %ld MB\n", what, secs,
              files.size(), bytes / 1e6, secs > 0 ? files.size() / secs : 0.0, secs > 0 ? bytes / 1e6 / secs : 0.0,
              peakKb() / 1024);
}

}  // namespace

int main(int argc, char** argv) {
  int count = 10000;
  bool allArticles = false, keep = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--all-articles") == 0) allArticles = true;
    else if (std::strcmp(argv[i], "--keep") == 0) keep = true;
    else count = std::atoi(argv[i]);
  }
  // A folder of its own: several benchmarks may run at once on one machine.
  char pattern[] = "/tmp/tessary-bench-generate-XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  const std::string folder = pattern;
  const std::string file = folder + "/bench.zdb";
  QuietUI ui;
  CountingLog log;
  std::mt19937 rng(7);

  store::BlogDb blog(folder, ui);
  if (!blog.CreateBlog(file)) return 1;
  auto t0 = std::chrono::steady_clock::now();
  bench::fillBenchmarkBlog(blog, count, allArticles, rng);
  std::printf("blog of %d entries (%s) built in %.2f s\n", count, allArticles ? "all articles" : "70/25/5", seconds(t0));

  // 0. The run's own work (three passes over the entries, template files,
  // tracking) with builders that build nothing.
  {
    generator::Generator bare(blog, log, std::make_unique<generator::PageBuilders>());
    t0 = std::chrono::steady_clock::now();
    bare.GeneratePages();
    std::printf("%-34s %7.2f s  (three passes over %d entries, no pages)\n", "run without page builders", seconds(t0),
                count);
    blog.database().exec("DELETE FROM tblPages");
    std::filesystem::remove_all(bare.outputFolderOfBlog());
  }

  generator::Generator gen(blog, log);
  const std::string out = gen.outputFolderOfBlog();

  // 1. First run.
  auto before = snapshot(out);
  t0 = std::chrono::steady_clock::now();
  gen.GeneratePages();
  double secs = seconds(t0);
  auto after = snapshot(out);
  report("first run", secs, written(before, after), out);
  std::printf("  %zu files in the output folder, %ld log lines\n", after.size(), log.lines);
  const double firstRun = secs;

  // A plain copy of the output folder for scale: the minimum of five (copies
  // onto this disk are noisy).
  double copyMin = 1e9;
  for (int i = 0; i < 5; ++i) {
    const std::string copy = folder + "/copy";
    std::filesystem::remove_all(copy);
    t0 = std::chrono::steady_clock::now();
    if (std::system(("cp -r '" + out + "' '" + copy + "'").c_str()) != 0) std::printf("  cp -r failed\n");
    copyMin = std::min(copyMin, seconds(t0));
    std::filesystem::remove_all(copy);
  }
  std::printf("%-34s %7.2f s  (minimum of 5); first run = %.1f x the copy (goal <= 3)\n", "cp -r of the output folder",
              copyMin, firstRun / copyMin);

  // 1b. Again before publishing: every page still reads as changed, but the
  // local copies already hold it, so nothing is written.
  before = after;
  t0 = std::chrono::steady_clock::now();
  gen.GeneratePages();
  secs = seconds(t0);
  after = snapshot(out);
  const auto again = written(before, after);
  report("second run (not yet published)", secs, again, out);
  std::printf("  = %.2f x the first run\n", secs / firstRun);
  if (!again.empty()) std::printf("  FAIL: the second run wrote %zu files\n", again.size());

  // 2. Published, nothing changed.
  generator::MarkAllAsPublished(blog);
  before = after;
  t0 = std::chrono::steady_clock::now();
  gen.GeneratePages();
  secs = seconds(t0);
  after = snapshot(out);
  const auto none = written(before, after);
  report("no-change run (after publishing)", secs, none, out);
  std::printf("  = %.2f x the first run (goal <= 0.5)\n", secs / firstRun);
  if (!none.empty()) std::printf("  FAIL: the no-change run wrote %zu files\n", none.size());

  // 3. One entry changed: the newest blog entry.
  {
    store::Table& t = blog.tblBlog();
    for (t.first(); !t.eof(); t.next())
      if (t.asInteger("BlogPageType") == 0 || allArticles) break;
    std::printf("changing entry %d \"%s\"\n", t.asInteger("BlogKey"), t.asString("BlogTitle").c_str());
    t.edit();
    t.setString("BlogText", prose(rng, 1500));
    t.post();
  }
  generator::MarkAllAsPublished(blog);
  before = after;
  t0 = std::chrono::steady_clock::now();
  gen.GeneratePages();
  secs = seconds(t0);
  after = snapshot(out);
  const auto changed = written(before, after);
  report("run after one entry changed", secs, changed, out);
  std::string list;
  for (const auto& f : changed) list += " " + f;
  std::printf("  rewritten:%s\n", list.c_str());

  // 4. The tracking alone over 20,000 tracked files, nothing changed.
  {
    const std::string trackOut = folder + "/tracking/";
    (void)util::createDirectories(trackOut);
    blog.database().exec("DELETE FROM tblPages");
    const int files = 20000;
    auto pageText = [](int i) { return "<html>page " + std::to_string(i) + "</html>"; };
    {
      generator::PageOutput o(blog, log, trackOut);
      o.ResetNewChecksums();
      for (int i = 0; i < files; ++i) o.WritePage("p" + std::to_string(i) + ".html", pageText(i));
      o.RemoveOrphans();
    }
    generator::MarkAllAsPublished(blog);
    t0 = std::chrono::steady_clock::now();
    generator::PageOutput o(blog, log, trackOut);
    o.ResetNewChecksums();
    const double reset = seconds(t0);
    auto t1 = std::chrono::steady_clock::now();
    for (int i = 0; i < files; ++i) o.WritePage("p" + std::to_string(i) + ".html", pageText(i));
    const double lookups = seconds(t1);
    t1 = std::chrono::steady_clock::now();
    o.RemoveOrphans();
    o.commit();
    const double orphans = seconds(t1);
    std::printf("tracking of %d files, no change: reset %.3f s + lookups %.3f s + orphans %.3f s = %.3f s "
                "(goal <= 1 s), %d written\n",
                files, reset, lookups, orphans, reset + lookups + orphans, o.counters().pagesAddedOrChanged);
  }
  std::printf("peak memory %ld MB\n", peakKb() / 1024);
  blog.CloseBlog();
  if (!keep) std::filesystem::remove_all(folder);
  return none.empty() ? 0 : 1;
}
