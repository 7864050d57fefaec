// Times both exports of a 10,000-entry blog built through the store.
// Goals on the reference machine: XML within 1 s, XLS within 3 s.
// Usage: bench_export [FOLDER]  (default: a fresh folder under /tmp, removed afterwards;
// a blog built earlier in FOLDER is used again)
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "export/exportdb2.h"
#include "store/blog_db.h"
#include "store/database.h"
#include "util/files.h"

namespace {

using namespace tessary;

class QuietUI : public store::UserInterface {
 public:
  void showMessage(const std::string& t) override { std::fprintf(stderr, "%s\n", t.c_str()); }
  void showError(const std::string& t) override { std::fprintf(stderr, "%s\n", t.c_str()); }
  store::Answer confirm(const std::string&, store::Buttons) override { return store::Answer::No; }
  void statusShow(const std::string&) override {}
  void statusSetMessage(const std::string&) override {}
  void statusClose() override {}
};

constexpr int kEntries = 10000;
constexpr int kCategories = 25;

void buildBlog(const std::string& folder, const std::string& file, QuietUI& ui) {
  store::BlogDb db(folder, ui);
  if (!db.CreateBlog(file)) std::exit(1);
  {
    store::Transaction tx(db.database());
    store::Table& cat = db.tblCategory();
    for (int i = 1; i <= kCategories; ++i) {
      cat.insert();
      cat.setString("CategoryTitle", "Category " + std::to_string(i) + " & friends");
      cat.setString("CategoryName", "category" + std::to_string(i));
      cat.post();
    }
    store::Table& t = db.tblBlog();
    std::string body;
    for (int i = 0; i < 40; ++i) body += "A paragraph of text with <b>markup</b>, an \"entity\" & caf\xC3\xA9 in it.\r\n";
    for (int i = 0; i < kEntries; ++i) {
      t.insert();
      t.setDateTime("BlogDateTime", 40000.0 + i * 0.37);
      t.setString("BlogTitle", "Entry number " + std::to_string(i) + " <about> things");
      t.setString("BlogText", std::to_string(i) + " " + body);
      t.setString("BlogTeaser", "Teaser of entry " + std::to_string(i));
      t.setString("BlogKeywords", "alpha, beta, gamma");
      t.setInteger("BlogCategory", 1 + i % kCategories);
      t.setInteger("BlogCategory2", i % 3 == 0 ? 1 + (i * 7) % kCategories : -1);
      t.setInteger("BlogCategory3", -1);
      t.setInteger("BlogPageType", i % 10 == 0 ? 1 : 0);
      t.post();
    }
    tx.commit();
  }
  db.CloseBlog();
}

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  bool temporary = argc < 2;
  if (temporary) {
    char tmpl[] = "/tmp/tessary_bench_export_XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    folder = tmpl;
  } else {
    folder = argv[1];
    if (!util::createDirectories(folder).ok()) return 1;
  }
  const std::string file = util::joinPath(folder, "bench.zdb");
  QuietUI ui;

  auto start = std::chrono::steady_clock::now();
  if (!util::fileExists(file)) {
    buildBlog(folder, file, ui);
    std::printf("build %d entries: %.2f s\n", kEntries, seconds(start));
  }

  store::BlogDb db(folder, ui);
  export_::BlogExporter exporter(db, ui);
  exporter.setPause({});
  int failures = 0;
  for (const auto& [type, name, goal] : {std::tuple{export_::ExportFileType::Xml, "xml", 1.0},
                                         std::tuple{export_::ExportFileType::Excel, "xls", 3.0}}) {
    export_::ExportDialogState s = export_::initialExportState(file, folder);
    s.fileType = type;
    s.exportFileName = "bench";
    start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    const auto written = exporter.exportButton(s);
    const double t = seconds(start);
    // Processor time as well: on a shared machine the wall time also counts other processes' turns.
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    if (!written) return 1;
    std::printf("export %s: %.3f s (processor %.3f s; goal %.1f s) %s, %lld bytes\n", name, t, cpu, goal,
                t <= goal ? "ok" : "SLOW", static_cast<long long>(util::fileSize(*written)));
    failures += t > goal;
  }
  if (temporary) std::filesystem::remove_all(folder);
  return failures == 0 ? 0 : 2;
}
