// Store benchmark: create a blog, insert 10,000 entries of about 2 KB of text in
// one batch, close, reopen, walk every entry in DisplayKey order reading every
// column. Reports the times and the file size against the raw text size.
// Goals on the 2-core reference machine: insert <= 2 s, walk <= 0.5 s,
// file <= 60 % of the raw text.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "store/blog_db.h"
#include "util/files.h"

using namespace tessary;

namespace {

class QuietUI : public store::UserInterface {
 public:
  void showMessage(const std::string&) override {}
  void showError(const std::string&) override {}
  store::Answer confirm(const std::string&, store::Buttons) override { return store::Answer::No; }
  void statusShow(const std::string&) override {}
  void statusSetMessage(const std::string&) override {}
  void statusClose() override {}
};

// Text that compresses like prose: words drawn from a small vocabulary.
std::string prose(std::mt19937& rng, size_t bytes) {
  static const char* kWords[] = {"the",  "blog",   "entry",  "static", "page",   "template", "archive", "month",
                                 "with", "about",  "garden", "today",  "photo",  "travel",   "river",   "coffee",
                                 "book", "friend", "music",  "winter", "summer", "<p>",      "<b>",     "</b>"};
  std::string s;
  std::uniform_int_distribution<size_t> pick(0, sizeof kWords / sizeof kWords[0] - 1);
  while (s.size() < bytes) {
    s += kWords[pick(rng)];
    s += ' ';
  }
  s.resize(bytes);
  return s;
}

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  const std::string folder = "/tmp/tessary-bench-store";
  (void)util::createDirectories(folder);
  const std::string file = folder + "/bench.zdb";
  std::remove(file.c_str());
  QuietUI ui;
  std::mt19937 rng(42);
  size_t rawBytes = 0;

  store::BlogDb blog(folder, ui);
  if (!blog.CreateBlog(file)) return 1;
  auto t0 = std::chrono::steady_clock::now();
  {
    store::Transaction tx(blog.database());
    store::Table& t = blog.tblBlog();
    const double start = util::encodeDate(2018, 1, 1);
    for (int i = 0; i < count; ++i) {
      const std::string title = "Entry number " + std::to_string(i);
      const std::string text = prose(rng, 2048);
      const std::string teaser = prose(rng, 120);
      rawBytes += title.size() + text.size() + teaser.size();
      t.insertRecord({store::FieldValue(), start + i * 0.29, title, text, -1, "", 0, "", "keywords", teaser});
    }
    tx.commit();
  }
  const double insertTime = seconds(t0);
  blog.CloseBlog();

  blog.OpenBlog(file);
  t0 = std::chrono::steady_clock::now();
  size_t readBytes = 0;
  int rows = 0;
  store::Table& t = blog.tblBlog();
  for (t.first(); !t.eof(); t.next()) {
    for (const auto& f : store::blogTableDef().fields) readBytes += t.asString(f.name).size();
    ++rows;
  }
  const double walkTime = seconds(t0);
  blog.CloseBlog();
  const int64_t size = util::fileSize(file);
  std::printf("entries            %d\n", rows);
  std::printf("insert (one batch) %.3f s   (goal <= 2 s)\n", insertTime);
  std::printf("walk all columns   %.3f s   (goal <= 0.5 s), %zu bytes read\n", walkTime, readBytes);
  std::printf("file size          %lld bytes = %.1f %% of %zu raw text bytes (goal <= 60 %%)\n",
              static_cast<long long>(size), 100.0 * static_cast<double>(size) / static_cast<double>(rawBytes),
              rawBytes);
  std::remove(file.c_str());
  return 0;
}
