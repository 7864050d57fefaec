// Backup and compaction of a blog of 10,000 entries and 200 pictures of about
// 200 KB, timed against a plain copy of the blog file with cp in the same run;
// and the time to add a 20 MB extra file. Goals: backup and compaction at most
// 3 times the copy; adding the 20 MB file at most 1 s.
//
// Usage: bench_maintenance [folder]   (default: a new folder under /tmp, removed at the end)
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include "store/blog_db.h"
#include "store/compaction.h"
#include "store/maintenance.h"
#include "store/media.h"
#include "util/date_time.h"
#include "util/files.h"

using namespace tessary;

namespace {

class QuietUI : public store::UserInterface {
 public:
  void showMessage(const std::string&) override {}
  void showError(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
  store::Answer confirm(const std::string&, store::Buttons) override { return store::Answer::No; }
  void statusShow(const std::string&) override {}
  void statusSetMessage(const std::string&) override { ++statusMessages; }
  void statusClose() override {}
  bool runBackupDialog(store::BackupSettings&) override { return true; }
  int statusMessages = 0;
};

// Processor time of this process and of the children it waited for (cp).
double cpuSeconds() {
  double total = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage u{};
    getrusage(who, &u);
    total += u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  }
  return total;
}

double loadAverage() {
  double l[1] = {0};
  return getloadavg(l, 1) == 1 ? l[0] : -1;
}

// Wall-clock seconds of f; the processor time it used goes to *cpu when given
// (on a busy machine the two differ by the time spent waiting for a core or the disk).
double seconds(const std::function<void()>& f, double* cpu = nullptr) {
  const double c0 = cpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  f();
  if (cpu) *cpu = cpuSeconds() - c0;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Picture-like bytes: a JPEG frame around incompressible data, as real photos are.
std::string photo(std::mt19937_64& rng, size_t size) {
  std::string s = "\xFF\xD8\xFF\xC0";
  s += std::string("\x00\x11\x08\x02\x00\x03\x00\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00", 17);
  s += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
  while (s.size() + 2 < size) {
    const auto c = static_cast<char>(rng() % 255);  // never 0xFF inside the scan
    s += c;
  }
  s += "\xFF\xD9";
  return s;
}

std::string words(std::mt19937_64& rng, size_t size) {
  static const char* kWords[] = {"blog", "entry", "the", "a", "picture", "summer", "garden", "of", "and", "today",
                                 "walked", "river", "light", "<p>", "<b>", "</b>", "house", "friends"};
  std::string s;
  while (s.size() < size) {
    s += kWords[rng() % (sizeof kWords / sizeof kWords[0])];
    s += ' ';
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const bool ownFolder = argc < 2;
  std::string folder = ownFolder ? std::string() : argv[1];
  if (ownFolder) {
    char tmpl[] = "/tmp/bench-maintenance-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    folder = tmpl;
  }
  const std::string blogFile = util::joinPath(folder, "bench.zdb");
  QuietUI ui;
  store::BlogDb blog(folder, ui);
  std::mt19937_64 rng(1);

  // The blog: 10,000 entries and 200 pictures of about 200 KB.
  const double build = seconds([&] {
    blog.CreateBlog(blogFile);
    store::Table& entries = blog.tblBlog();
    store::Transaction tx(blog.database());
    const util::DateTime start = util::encodeDate(2015, 1, 1);
    for (int i = 0; i < 10000; ++i)
      entries.insertRecord({store::FieldValue(), start + i * 0.37, "Entry number " + std::to_string(i),
                            words(rng, 600 + rng() % 1200), -1, "", 0});
    store::Table& pictures = blog.tblPictures();
    for (int i = 0; i < 200; ++i) {
      pictures.insert();
      pictures.setString("BlogPictureName", "photo" + std::to_string(i) + ".jpg");
      pictures.setString("BlogPicture", photo(rng, 180000 + rng() % 40000));
      pictures.setDateTime("BlogPictureDate", util::now());
      pictures.post();
    }
    tx.commit();
  });
  const int64_t blogSize = util::fileSize(blogFile);
  std::printf("blog: 10000 entries, 200 pictures, %.1f MB, built in %.2f s\n", blogSize / 1048576.0, build);

  const std::string copyTarget = util::joinPath(folder, "copy.zdb");
  const std::string cp = "cp '" + blogFile + "' '" + copyTarget + "'";
  // Best of three of each, wall clock and processor time.
  struct Best {
    double wall = 1e9, cpu = 1e9;
    void take(double w, double c) {
      wall = std::min(wall, w);
      cpu = std::min(cpu, c);
    }
  } copy, copySynced, backup, compact;
  for (int i = 0; i < 3; ++i) {
    double c = 0;
    double w = seconds([&] {
      if (std::system(cp.c_str()) != 0) std::abort();
    }, &c);
    copy.take(w, c);
    // The store syncs its copy before the rename; cp does not. This baseline does.
    w = seconds([&] {
      if (std::system(cp.c_str()) != 0) std::abort();
      store::syncFileToDisk(copyTarget);
    }, &c);
    copySynced.take(w, c);
    w = seconds([&] {
      if (!store::BackupBlog(blog)) std::abort();
    }, &c);
    backup.take(w, c);
    w = seconds([&] {
      if (!store::CompactBlog(blog)) std::abort();
    }, &c);
    compact.take(w, c);
  }
  std::printf("load average at the start of the timings: %.1f\n", loadAverage());
  std::printf("cp of the blog file:     %6.3f s wall, %6.3f s processor (best of 3)\n", copy.wall, copy.cpu);
  std::printf("cp, then fsync the copy:  %6.3f s wall, %6.3f s processor\n", copySynced.wall, copySynced.cpu);
  std::printf("backup (compacted copy): %6.3f s wall = %.2f x cp, %.2f x cp+fsync (goal <= 3); %6.3f s processor\n",
              backup.wall, backup.wall / copy.wall, backup.wall / copySynced.wall, backup.cpu);
  std::printf("compaction in place:     %6.3f s wall = %.2f x cp, %.2f x cp+fsync (goal <= 3); %6.3f s processor\n",
              compact.wall, compact.wall / copy.wall, compact.wall / copySynced.wall, compact.cpu);
  std::printf("status popup messages during the runs: %d\n", ui.statusMessages);

  // Adding a 20 MB extra file: incompressible (an archive, a video) and text.
  const std::string big = util::joinPath(folder, "big.zip");
  std::string bytes(20u << 20, '\0');
  for (char& c : bytes) c = static_cast<char>(rng());
  if (!util::writeFileAtomic(big, bytes).ok()) return 1;
  double addBinaryCpu = 0, addTextCpu = 0;
  const double addBinary = seconds([&] {
    if (!store::AddBlogFile(blog, big)) std::abort();
  }, &addBinaryCpu);
  const std::string text = util::joinPath(folder, "big.txt");
  if (!util::writeFileAtomic(text, words(rng, 20u << 20)).ok()) return 1;
  const double addText = seconds([&] {
    if (!store::AddBlogFile(blog, text)) std::abort();
  }, &addTextCpu);
  std::printf("add a 20 MB file (random bytes): %6.3f s wall (goal <= 1); %6.3f s processor\n", addBinary,
              addBinaryCpu);
  std::printf("add a 20 MB file (text):         %6.3f s wall (goal <= 1); %6.3f s processor\n", addText, addTextCpu);

  blog.CloseBlog();
  if (ownFolder) std::filesystem::remove_all(folder);
  return 0;
}
