// Generation benchmark: synthetic blogs through the store (entries over 8 years,
// 20 categories, texts of about 1.5 KB) in three shapes — 70 % blog entries,
// 25 % articles and 5 % static pages; all articles; the same mix with ten static
// pages — at 1,000, 10,000 and 100,000 entries, each on tmpfs (/dev/shm) and on
// disk (a folder under /tmp). For each it times, as wall and CPU time:
//   the full run (every file new), and the best of it and two more, each over a
//   fresh copy of the blog into an empty folder,
//   `cp -r` of its output folder (the minimum of five),
//   a run with nothing changed after the site was marked as published (it must
//   write no file),
//   a run after one entry changed (it must write only the files that show that
//   entry; they are named),
// and reports the inflate calls of the full run against the number of texts,
// the peak memory of the four steps, and the ratios against the goals: full run <= 3 x the copy,
// no-change run <= 0.5 x the full run, cost linear in the number of entries
// (the factor per x10 entries). Each case runs in a child process of its own, so
// that its peak memory and CPU time are its own.
//
// Usage: bench_generate [ENTRIES...] [--mixed] [--all-articles] [--ten-static]
//                       [--tmpfs-only] [--disk-only] [--keep]
// Without ENTRIES: 1000 10000 100000 (100,000 last). Without a shape: all three.
// A case whose output would not fit (the mixed shape at 100,000 entries grows
// with the square of the blog) is skipped with a line that says so.
#include <dlfcn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench_blog.h"
#include "generator/html_gen.h"
#include "generator/page_output.h"
#include "store/blog_db.h"
#include "util/files.h"

using namespace tessary;

using bench::BlogShape;
using bench::prose;
using bench::QuietUI;

// Every inflate of the run passes here: the count of decompressed values.
namespace {
std::atomic<long> inflateCalls{0};
}
extern "C" int inflateInit_(z_streamp strm, const char* version, int streamSize) {
  using Real = int (*)(z_streamp, const char*, int);
  static Real real = [] {
    Real fn = nullptr;
    void* sym = dlsym(RTLD_NEXT, "inflateInit_");
    std::memcpy(&fn, &sym, sizeof fn);
    return fn;
  }();
  ++inflateCalls;
  return real(strm, version, streamSize);
}

namespace {

class CountingLog : public ProgressLog {
 public:
  void ClearLog() override { lines = 0; }
  void AppendLine(const std::string&) override { ++lines; }
  void AppendColouredLine(Colour, const std::string&) override { ++lines; }
  long lines = 0;
};

// Wall and CPU time (user + system) of one step.
struct Cost {
  double wall = 0, cpu = 0;
};

double cpuSeconds(int who) {
  rusage ru{};
  getrusage(who, &ru);
  return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

template <class F>
Cost measure(F&& step, int who = RUSAGE_SELF) {
  const double cpu0 = cpuSeconds(who);
  const auto t0 = std::chrono::steady_clock::now();
  step();
  Cost c;
  c.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  c.cpu = cpuSeconds(who) - cpu0;
  return c;
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

// What a case sends back to the parent.
struct Result {
  bool ok = false;
  Cost full, fullBest, copy, noChange, oneChange;
  long files = 0, texts = 0, inflatesFull = 0, inflatesNoChange = 0, noChangeWritten = 0, oneChangeWritten = 0,
       takenUnchanged = 0, peakKb = 0;
  double megabytes = 0;
  char changedFiles[600] = {};
};

int countTexts(store::BlogDb& blog) {
  int n = 0;
  store::Table& t = blog.tblBlog();
  for (t.first(); !t.eof(); t.next()) n += t.isNull("BlogText") ? 0 : 1;
  return n;
}

// One case, in the child: the blog (built once per shape and size, then copied),
// the four steps.
Result runCase(const std::string& root, const std::string& blogStore, int count, BlogShape shape) {
  Result r;
  QuietUI ui;
  CountingLog log;
  std::mt19937 rng(7);
  const std::string folder = root + "/run";
  std::filesystem::remove_all(folder);
  (void)util::createDirectories(folder);
  const std::string file = folder + "/bench.zdb";
  store::BlogDb blog(folder, ui);
  if (util::fileExists(blogStore)) {
    std::filesystem::copy_file(blogStore, file);
    blog.OpenBlog(file);
  } else {
    const auto t0 = std::chrono::steady_clock::now();
    if (!blog.CreateBlog(file)) return r;
    bench::fillBenchmarkBlog(blog, count, shape, rng);
    blog.CloseBlog();
    std::filesystem::copy_file(file, blogStore);
    blog.OpenBlog(file);
    std::printf("    blog of %d entries (%s) built in %.1f s\n", count, bench::shapeName(shape),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  r.texts = countTexts(blog);

  generator::Generator gen(blog, log);
  const std::string out = gen.outputFolderOfBlog();

  auto before = snapshot(out);
  long inflates0 = inflateCalls;
  r.full = measure([&] { gen.GeneratePages(); });
  r.inflatesFull = inflateCalls - inflates0;
  auto after = snapshot(out);
  r.files = static_cast<long>(after.size());
  int64_t bytes = 0;
  for (const auto& [name, st] : after) bytes += st.size;
  r.megabytes = bytes / 1e6;

  r.copy.wall = r.copy.cpu = 1e9;
  for (int i = 0; i < 5; ++i) {
    const std::string copy = root + "/copy";
    std::filesystem::remove_all(copy);
    const Cost c = measure(
        [&] {
          if (std::system(("cp -r '" + out + "' '" + copy + "'").c_str()) != 0) std::printf("    cp -r failed\n");
        },
        RUSAGE_CHILDREN);
    if (c.wall < r.copy.wall) r.copy = c;
    std::filesystem::remove_all(copy);
  }

  generator::MarkAllAsPublished(blog);
  before = after;
  inflates0 = inflateCalls;
  r.noChange = measure([&] { gen.GeneratePages(); });
  r.inflatesNoChange = inflateCalls - inflates0;
  r.takenUnchanged = gen.pagesTakenUnchanged();
  after = snapshot(out);
  r.noChangeWritten = static_cast<long>(written(before, after).size());

  {  // the newest blog entry (or article) gets a new text
    store::Table& t = blog.tblBlog();
    for (t.first(); !t.eof(); t.next()) {
      const int type = t.asInteger("BlogPageType");
      if (type == 0 || (shape == BlogShape::AllArticles && type == 1)) break;
    }
    t.edit();
    t.setString("BlogText", prose(rng, 1500));
    t.post();
  }
  generator::MarkAllAsPublished(blog);
  before = after;
  r.oneChange = measure([&] { gen.GeneratePages(); });
  after = snapshot(out);
  const auto changed = written(before, after);
  r.oneChangeWritten = static_cast<long>(changed.size());
  std::string list;
  for (const auto& f : changed) list += (list.empty() ? "" : " ") + f;
  std::snprintf(r.changedFiles, sizeof r.changedFiles, "%s", list.c_str());

  // The peak of the steps above; then two more full runs, each over a fresh
  // copy of the blog into an empty folder: the best of the three full runs is
  // steadier than the first alone.
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  r.peakKb = self.ru_maxrss;
  r.fullBest = r.full;
  for (int i = 0; i < 2; ++i) {
    blog.CloseBlog();
    std::filesystem::remove_all(out);
    std::filesystem::remove(file);
    std::filesystem::copy_file(blogStore, file);
    blog.OpenBlog(file);
    generator::Generator again(blog, log);
    const Cost c = measure([&] { again.GeneratePages(); });
    if (c.wall < r.fullBest.wall) r.fullBest = c;
  }
  blog.CloseBlog();
  std::filesystem::remove_all(folder);
  r.ok = true;
  return r;
}

struct Case {
  BlogShape shape;
  int entries;
  bool tmpfs;
  Result result;
  long peakKb = 0;
  bool ran = false;
};

double freeBytes(const std::string& path) {
  struct statvfs st {};
  if (::statvfs(path.c_str(), &st) != 0) return 0;
  return static_cast<double>(st.f_bavail) * static_cast<double>(st.f_frsize);
}

void printCost(const char* what, const Cost& c) {
  std::printf("    %-26s wall %8.3f s   cpu %8.3f s\n", what, c.wall, c.cpu);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  std::vector<BlogShape> shapes;
  bool tmpfs = true, disk = true, keep = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--mixed") shapes.push_back(BlogShape::Mixed);
    else if (a == "--all-articles") shapes.push_back(BlogShape::AllArticles);
    else if (a == "--ten-static") shapes.push_back(BlogShape::TenStaticPages);
    else if (a == "--tmpfs-only") disk = false;
    else if (a == "--disk-only") tmpfs = false;
    else if (a == "--keep") keep = true;
    else if (std::atoi(a.c_str()) > 0) sizes.push_back(std::atoi(a.c_str()));
    else {
      std::fprintf(stderr, "usage: %s [ENTRIES...] [--mixed] [--all-articles] [--ten-static] [--tmpfs-only] "
                           "[--disk-only] [--keep]\n", argv[0]);
      return 2;
    }
  }
  if (sizes.empty()) sizes = {1000, 10000, 100000};
  std::sort(sizes.begin(), sizes.end());
  if (shapes.empty()) shapes = {BlogShape::Mixed, BlogShape::AllArticles, BlogShape::TenStaticPages};

  // Folders of our own: several benchmarks may run at once on one machine.
  char shmPattern[] = "/dev/shm/tessary-bench-generate-XXXXXX";
  char diskPattern[] = "/tmp/tessary-bench-generate-XXXXXX";
  if (!::mkdtemp(shmPattern) || !::mkdtemp(diskPattern)) return 1;
  const std::string shmRoot = shmPattern, diskRoot = diskPattern;
  // The blogs are built once (on disk) and copied for every case.
  const std::string blogs = diskRoot + "/blogs";
  (void)util::createDirectories(blogs);

  std::vector<Case> cases;
  for (int n : sizes)
    for (BlogShape s : shapes) {
      if (tmpfs) cases.push_back({s, n, true, {}, 0, false});
      if (disk) cases.push_back({s, n, false, {}, 0, false});
    }

  bool failed = false;
  for (Case& c : cases) {
    const std::string root = c.tmpfs ? shmRoot : diskRoot;
    std::printf("%s, %d entries, %s (%s):\n", bench::shapeName(c.shape), c.entries, c.tmpfs ? "tmpfs" : "disk",
                root.c_str());
    // The output of a smaller case of the same shape, grown as that shape grows.
    double estimate = 0;
    for (const Case& smaller : cases)
      if (smaller.ran && smaller.shape == c.shape && smaller.entries < c.entries) {
        const double f = static_cast<double>(c.entries) / smaller.entries;
        estimate = smaller.result.megabytes * 1e6 * (c.shape == BlogShape::Mixed ? f * f : f);
      }
    if (estimate > 0.25 * freeBytes(root) || estimate > 4e9) {
      std::printf("    skipped: about %.1f GB of output expected, more than this machine should hold for it\n",
                  estimate / 1e9);
      continue;
    }
    int pipeFd[2];
    if (::pipe(pipeFd) != 0) return 1;
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(pipeFd[0]);
      const std::string store = blogs + "/" + std::to_string(static_cast<int>(c.shape)) + "-" +
                                std::to_string(c.entries) + ".zdb";
      const Result r = runCase(root, store, c.entries, c.shape);
      std::fflush(stdout);
      const bool sent = ::write(pipeFd[1], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
      ::_exit(sent && r.ok ? 0 : 1);
    }
    ::close(pipeFd[1]);
    Result r;
    const bool got = ::read(pipeFd[0], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
    ::close(pipeFd[0]);
    int status = 0;
    rusage ru{};
    ::wait4(child, &status, 0, &ru);
    if (!got || !r.ok) {
      std::printf("    FAIL: the case did not complete\n");
      failed = true;
      continue;
    }
    c.result = r;
    c.peakKb = r.peakKb > 0 ? r.peakKb : ru.ru_maxrss;
    c.ran = true;
    std::printf("    %ld files, %.1f MB; %ld texts, %ld inflate calls in the full run (%.2f per text), %ld in the "
                "no-change run, which took %ld pages of single entries as they were\n",
                r.files, r.megabytes, r.texts, r.inflatesFull, r.texts ? double(r.inflatesFull) / r.texts : 0.0,
                r.inflatesNoChange, r.takenUnchanged);
    printCost("full run", r.full);
    printCost("full run, best of 3", r.fullBest);
    printCost("cp -r (minimum of 5)", r.copy);
    printCost("no-change run", r.noChange);
    printCost("after one entry changed", r.oneChange);
    std::printf("    full = %.2f x copy (best of 3: %.2f; goal <= 3); no-change = %.2f x full (goal <= 0.5); peak "
                "memory %ld MB\n",
                r.full.wall / r.copy.wall, r.fullBest.wall / r.copy.wall, r.noChange.wall / r.full.wall, c.peakKb / 1024);
    std::printf("    one entry changed: %ld files written: %s\n", r.oneChangeWritten, r.changedFiles);
    if (r.noChangeWritten != 0) {
      std::printf("    FAIL: the no-change run wrote %ld files\n", r.noChangeWritten);
      failed = true;
    }
  }

  // Growth: the factor per x10 entries, wall and CPU, of the full and the no-change run.
  std::printf("\ngrowth per x10 entries (linear = 10):\n");
  for (const Case& big : cases) {
    if (!big.ran) continue;
    for (const Case& small : cases) {
      if (!small.ran || small.shape != big.shape || small.tmpfs != big.tmpfs || small.entries * 10 != big.entries)
        continue;
      const Result &a = small.result, &b = big.result;
      std::printf("  %-16s %-5s %6d -> %6d: full wall x%.1f cpu x%.1f, no-change wall x%.1f cpu x%.1f, output "
                  "x%.1f, peak memory x%.1f\n",
                  bench::shapeName(big.shape), big.tmpfs ? "tmpfs" : "disk", small.entries, big.entries,
                  b.full.wall / a.full.wall, b.full.cpu / a.full.cpu, b.noChange.wall / a.noChange.wall,
                  b.noChange.cpu / a.noChange.cpu, b.megabytes / a.megabytes,
                  static_cast<double>(big.peakKb) / static_cast<double>(small.peakKb));
    }
  }
  if (!keep) {
    std::filesystem::remove_all(shmRoot);
    std::filesystem::remove_all(diskRoot);
  }
  return failed ? 1 : 0;
}
