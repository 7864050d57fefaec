// Generation against Hugo, side by side in one run: the benchmark blog
// (bench_blog.h) is written once more as a Hugo site of the same entries, with a
// minimal theme of its own that makes the same kinds of pages, and both builds
// run into an empty folder on tmpfs (/dev/shm), paired run by run in alternating
// order. Each build is a child process of its own (ours forked like
// bench_generate's cases, Hugo executed), so that its wall time, CPU time
// (user + system, both cores) and peak memory are its own. Printed: both sites'
// file counts and MB, every run, the medians, and ours / Hugo against the goal
// <= 0.3.
//
// Usage: bench_hugo [ENTRIES...] [--mixed] [--all-articles] [--ten-static]
//                   [--runs N] [--keep]
// Without ENTRIES: 1000 10000 (100000 only when asked). Without a shape: mixed
// (70/25/5) and all articles. --keep leaves both sites and outputs in place.
// Without `hugo` on PATH the program says so and ends with success: the
// comparison is optional, nothing else needs Hugo.
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench_blog.h"
#include "generator/html_gen.h"
#include "store/blog_db.h"
#include "util/date_time.h"

using namespace tessary;
namespace fs = std::filesystem;

using bench::BlogShape;
using bench::QuietUI;

namespace {

const char* const kBlogUrl = "https://example.org/";

class QuietLog : public ProgressLog {
 public:
  void ClearLog() override {}
  void AppendLine(const std::string&) override {}
  void AppendColouredLine(Colour, const std::string&) override {}
};

// The path of `hugo` on PATH, or empty.
std::string findOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (!path) return {};
  std::string dirs = path;
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
    const std::string candidate = dir + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0 && fs::is_regular_file(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

std::string firstLineOf(const std::string& command) {
  std::string line;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[256];
    if (std::fgets(buf, sizeof buf, p)) line = buf;
    ::pclose(p);
  }
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

void writeText(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out << text;
}

std::string two(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

std::string isoDate(util::DateTime d) {
  const util::CivilTime t = util::decodeDateTime(d);
  return std::to_string(t.year) + "-" + two(t.month) + "-" + two(t.day) + "T" + two(t.hour) + ":" + two(t.minute) +
         ":" + two(t.second) + "Z";
}

std::string monthKey(util::DateTime d) {
  const util::CivilTime t = util::decodeDateTime(d);
  return std::to_string(t.year) + "-" + two(t.month);
}

std::string monthTitle(const std::string& key) {
  static const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                  "July",    "August",   "September", "October", "November", "December"};
  const int m = std::atoi(key.c_str() + 5);
  return std::string(kMonths[std::clamp(m, 1, 12) - 1]) + " " + key.substr(0, 4);
}

// The theme: the pages our default template package makes, in Hugo's terms.
//   home (index.html): the newest six entries and articles; RSS of the newest ten
//   a month (months taxonomy term): its entries in full, its articles as teasers
//   a category (categories taxonomy term): its text and a link to every entry
//   the archive and the category index (the two taxonomy lists)
//   the article index (articles section), the recent entries (a page of its own)
//   an article or a static page (single page); blog entries get no page
//   the navigation bar on every page: three links and every static page
const std::map<std::string, std::string>& themeFiles() {
  static const std::map<std::string, std::string> files = {
      {"layouts/_default/baseof.html",
       "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
       "<title>{{ .Title }}</title>\n<meta name=\"keywords\" content=\"{{ .Title }}\">\n"
       "<meta name=\"description\" content=\"{{ .Title }}\">\n<meta name=\"generator\" content=\"Hugo\">\n"
       "<link rel=\"stylesheet\" href=\"/default.css\">\n<link rel=\"icon\" href=\"/favicon.svg\" "
       "type=\"image/svg+xml\">\n</head>\n<body>\n<a class=\"skip\" href=\"#content\">Skip to the content</a>\n"
       "<table class=\"layout\">\n<tr><td class=\"masthead\" colspan=\"2\"><span class=\"maintitle\">"
       "{{ site.Title }}</span></td></tr>\n<tr><td class=\"leftcolumn\">\n{{ partialCached \"nav.html\" . }}"
       "</td>\n<td class=\"content\" id=\"content\">\n<div class=\"menutree\"><a href=\"/index.html\" "
       "class=\"menulink\">Blog Home</a>&nbsp;&rsaquo;&nbsp;<span class=\"pagetitle\">{{ .Title }}</span></div>\n"
       "{{ block \"main\" . }}{{ end }}\n</td></tr>\n<tr><td class=\"footer\" colspan=\"2\">made with Hugo</td>"
       "</tr>\n</table>\n</body>\n</html>\n"},
      {"layouts/partials/nav.html",
       "<nav class=\"navbar\" aria-label=\"Site\">\n<a href=\"/index.html\" class=\"navbtn\">Blog Home</a><br>\n"
       "<a href=\"/months.html\" class=\"navbtn\">Archives</a><br>\n"
       "<a href=\"/categories.html\" class=\"navbtn\">Category Index</a><br>\n"
       "{{ range (where site.RegularPages \"Section\" \"pages\") }}<a href=\"{{ .RelPermalink }}\" "
       "class=\"navbtn\">{{ .Title }}</a><br>\n{{ end }}</nav>\n"},
      {"layouts/partials/entry.html",
       "<a id=\"e{{ .Params.key }}\"></a>\n<div class=\"entry\">\n<h2 class=\"entryheading\"><img class=\"tag\" "
       "src=\"/tag.gif\" width=\"15\" height=\"15\" alt=\"\"><span class=\"entrytitle\">{{ .Title }}</span></h2>\n"
       "<div class=\"dateline\"><span class=\"entrydate\">{{ .Date.Format \"January 2, 2006 15:04\" }}</span>"
       "</div>\n{{ if eq .Section \"articles\" }}<div class=\"entrytext\">{{ .Summary }}\n<a href=\""
       "{{ .RelPermalink }}\" class=\"entrylink\">(Read Article)</a></div>\n{{ else }}<div class=\"entrytext\">"
       "{{ .Content }}\n</div>\n{{ end }}<div class=\"related\"></div>\n</div>\n"},
      {"layouts/index.html",
       "{{ define \"main\" }}{{ range first 6 (where site.RegularPages \"Section\" \"in\" (slice \"posts\" "
       "\"articles\")) }}{{ partial \"entry.html\" . }}{{ end }}{{ end }}\n"},
      {"layouts/_default/recent.html",
       "{{ define \"main\" }}{{ range first 5 (where site.RegularPages \"Section\" \"in\" (slice \"posts\" "
       "\"articles\")) }}{{ partial \"entry.html\" . }}{{ end }}{{ end }}\n"},
      {"layouts/_default/single.html",
       "{{ define \"main\" }}<div class=\"entry\">\n<h1 class=\"entryheading\"><span class=\"entrytitle\">"
       "{{ .Title }}</span></h1>\n<div class=\"entrytext\">{{ .Content }}\n</div>\n<div class=\"related\"></div>\n"
       "</div>\n<div class=\"pagenav\"></div>\n{{ end }}\n"},
      {"layouts/_default/list.html",
       "{{ define \"main\" }}<div class=\"entry\">\n<h1 class=\"entryheading\"><span class=\"entrytitle\">"
       "{{ .Title }}</span></h1>\n<div class=\"entrytext\">\n{{ range .Pages }}<a href=\"{{ .RelPermalink }}\" "
       "class=\"entrylink\">{{ .Title }}</a><br>\n{{ end }}</div>\n</div>\n{{ end }}\n"},
      {"layouts/_default/terms.html",
       "{{ define \"main\" }}<div class=\"entry\">\n<h1 class=\"entryheading\"><span class=\"entrytitle\">"
       "{{ .Title }}</span></h1>\n<div class=\"entrytext\">\n{{ range .Pages }}<a href=\"{{ .RelPermalink }}\" "
       "class=\"entrylink\">{{ .Title }}</a><br>\n{{ end }}</div>\n</div>\n{{ end }}\n"},
      {"layouts/_default/term.html",
       "{{ define \"main\" }}{{ if eq .Data.Plural \"months\" }}{{ range .Pages.ByDate }}"
       "{{ partial \"entry.html\" . }}{{ end }}{{ else }}<div class=\"entry\">\n<h1 class=\"entryheading\">"
       "<span class=\"entrytitle\">{{ .Title }}</span></h1>\n<div class=\"entrytext\">{{ .Content }}<p>\n"
       "{{ range .Pages }}<a href=\"{{ with .Params.link }}{{ . }}{{ else }}{{ .RelPermalink }}{{ end }}\" "
       "class=\"entrylink\">{{ .Title }}</a><br>\n{{ end }}</div>\n</div>\n{{ end }}{{ end }}\n"},
  };
  return files;
}

const char* const kHugoConfig =
    "baseURL = \"https://example.org/\"\n"
    "title = \"Please enter a Title\"\n"
    "languageCode = \"en-us\"\n"
    "uglyURLs = true\n"
    "disableKinds = [\"404\", \"robotsTXT\"]\n"
    "rssLimit = 10\n"
    "summaryLength = 45\n"
    "[taxonomies]\n  category = \"categories\"\n  month = \"months\"\n"
    "[outputs]\n  home = [\"HTML\", \"RSS\"]\n  section = [\"HTML\"]\n  taxonomy = [\"HTML\"]\n"
    "  term = [\"HTML\"]\n  page = [\"HTML\"]\n";

// The Hugo site of the blog: one content file per entry (the text as HTML, as
// ours takes it), the categories and months as taxonomies with their titles and
// texts, the theme above. Blog entries are listed but get no page of their own.
void writeHugoSite(store::BlogDb& blog, const fs::path& site) {
  writeText(site / "config.toml", kHugoConfig);
  for (const auto& [name, text] : themeFiles()) writeText(site / name, text);
  // The template package's five pictures and its style sheet, by size.
  const std::pair<const char*, size_t> statics[] = {{"default.css", 5948}, {"clear.gif", 51}, {"favicon.svg", 170},
                                                    {"leftside.jpg", 1476}, {"tag.gif", 114}, {"xml.gif", 151}};
  for (const auto& [name, size] : statics) writeText(site / "static" / name, std::string(size, '.'));

  const fs::path content = site / "content";
  writeText(content / "posts/_index.html",
            "+++\ntitle = \"Entries\"\n[_build]\nrender = \"never\"\nlist = \"never\"\n"
            "[cascade._build]\nrender = \"never\"\nlist = \"always\"\n+++\n");
  writeText(content / "pages/_index.html",
            "+++\ntitle = \"Pages\"\n[_build]\nrender = \"never\"\nlist = \"never\"\n+++\n");
  writeText(content / "articles/_index.html", "+++\ntitle = \"Articles\"\n+++\n");
  writeText(content / "categories/_index.html", "+++\ntitle = \"Category Index\"\n+++\n");
  writeText(content / "months/_index.html", "+++\ntitle = \"Archives\"\n+++\n");
  writeText(content / "recent.html", "+++\ntitle = \"Recent Entries\"\nlayout = \"recent\"\n+++\n");

  std::map<int, std::string> categoryNames;
  store::Table& cats = blog.tblCategory();
  for (cats.first(); !cats.eof(); cats.next()) {
    const std::string name = cats.asString("CategoryName");
    categoryNames[cats.asInteger("CategoryKey")] = name;
    writeText(content / "categories" / name / "_index.html",
              "+++\ntitle = \"" + cats.asString("CategoryTitle") + "\"\n+++\n" + cats.asString("CategoryText") + "\n");
  }
  std::map<std::string, bool> months;
  store::Table& t = blog.tblBlog();
  for (t.first(); !t.eof(); t.next()) {
    const int type = t.asInteger("BlogPageType");
    const int key = t.asInteger("BlogKey");
    const util::DateTime date = t.asDateTime("BlogDateTime");
    const std::string month = monthKey(date);
    std::string front = "+++\ntitle = \"" + t.asString("BlogTitle") + "\"\ndate = " + isoDate(date) +
                        "\nkey = " + std::to_string(key) + "\n";
    if (type != 2) {
      const auto cat = categoryNames.find(t.asInteger("BlogCategory"));
      if (cat != categoryNames.end()) front += "categories = [\"" + cat->second + "\"]\n";
      front += "months = [\"" + month + "\"]\n";
      months[month] = true;
    }
    if (type == 0) front += "link = \"/months/" + month + ".html#e" + std::to_string(key) + "\"\n";
    const char* section = type == 0 ? "posts" : type == 1 ? "articles" : "pages";
    const std::string name = type == 0 ? "e" + std::to_string(key) : t.asString("BlogPageName");
    writeText(content / section / (name + ".html"), front + "+++\n" + t.asString("BlogText") + "\n");
  }
  for (const auto& [month, used] : months)
    writeText(content / "months" / month / "_index.html", "+++\ntitle = \"" + monthTitle(month) + "\"\n+++\n");
}

struct Tree {
  long files = 0;
  double megabytes = 0;
};

Tree treeOf(const fs::path& folder) {
  Tree tree;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    if (it->is_regular_file()) {
      ++tree.files;
      tree.megabytes += static_cast<double>(it->file_size()) / 1e6;
    }
  return tree;
}

// One build: wall time from fork to reaped child, the child's CPU time and peak memory.
struct Run {
  bool ok = false;
  double wall = 0, cpu = 0;
  long peakKb = 0;
};

template <class Child>
Run runChild(Child&& child) {
  Run r;
  std::fflush(stdout);
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) return r;
  if (pid == 0) ::_exit(child());
  int status = 0;
  rusage ru{};
  if (::wait4(pid, &status, 0, &ru) != pid) return r;
  r.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  r.cpu = ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
  r.peakKb = ru.ru_maxrss;
  r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return r;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct Outcome {
  BlogShape shape = BlogShape::Mixed;
  int entries = 0;
  bool ran = false;
  Tree ours, hugo;
  double oursWall = 0, oursCpu = 0, hugoWall = 0, hugoCpu = 0, wallRatio = 0, cpuRatio = 0;
  long oursPeakKb = 0, hugoPeakKb = 0;
};

double freeBytes(const std::string& path) {
  struct statvfs st {};
  if (::statvfs(path.c_str(), &st) != 0) return 0;
  return static_cast<double>(st.f_bavail) * static_cast<double>(st.f_frsize);
}

bool runCase(Outcome& o, const fs::path& root, const std::string& hugo, int runs) {
  const fs::path caseRoot = root / (std::to_string(static_cast<int>(o.shape)) + "-" + std::to_string(o.entries));
  const fs::path programFolder = caseRoot / "ours", pristine = caseRoot / "pristine.zdb";
  const fs::path blogFile = programFolder / "bench.zdb", ourOut = programFolder / "HTML" / "bench";
  const fs::path site = caseRoot / "hugo-site", hugoOut = caseRoot / "hugo-public", cache = caseRoot / "hugo-cache";
  fs::create_directories(programFolder);

  // The blog and the Hugo site, in a child: the parent stays small, so that
  // the forked runs below start from a small process.
  const auto setup0 = std::chrono::steady_clock::now();
  const Run setup = runChild([&] {
    QuietUI ui;
    std::mt19937 rng(7);
    store::BlogDb blog(programFolder.string(), ui);
    if (!blog.CreateBlog(pristine.string())) return 1;
    bench::fillBenchmarkBlog(blog, o.entries, o.shape, rng);
    blog.options().BlogUrl = kBlogUrl;  // so that ours writes sitemap.xml, as Hugo does
    blog.SaveOptions();
    writeHugoSite(blog, site);
    blog.CloseBlog();
    return 0;
  });
  if (!setup.ok) {
    std::printf("    FAIL: the blog or the Hugo site could not be built\n");
    return false;
  }
  std::printf("    blog and Hugo site built in %.1f s\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - setup0).count());

  auto ours = [&] {
    fs::remove_all(programFolder / "HTML");
    fs::remove(blogFile);
    fs::copy_file(pristine, blogFile);  // every run a full run: no page tracked yet
    return runChild([&] {
      QuietUI ui;
      QuietLog log;
      store::BlogDb blog(programFolder.string(), ui);
      blog.OpenBlog(blogFile.string());
      generator::Generator gen(blog, log);
      gen.GeneratePages();
      blog.CloseBlog();
      return 0;
    });
  };
  const std::string hugoLog = (caseRoot / "hugo.log").string();
  auto theirs = [&] {
    fs::remove_all(hugoOut);
    fs::remove_all(cache);
    return runChild([&] {
      const int fd = ::open(hugoLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) {
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        ::close(fd);
      }
      const std::string s = site.string(), d = hugoOut.string(), c = cache.string();
      ::execl(hugo.c_str(), "hugo", "--quiet", "--source", s.c_str(), "--destination", d.c_str(), "--cacheDir",
              c.c_str(), static_cast<char*>(nullptr));
      return 127;
    });
  };

  std::vector<double> ow, oc, hw, hc, rw, rc;
  std::vector<long> op, hp;
  for (int i = 0; i < runs; ++i) {
    // Alternating order, so that neither build always runs on a warmer machine.
    Run a, b;
    if (i % 2 == 0) {
      a = ours();
      b = theirs();
    } else {
      b = theirs();
      a = ours();
    }
    if (!a.ok || !b.ok) {
      std::printf("    FAIL: run %d: %s did not complete\n", i + 1, !a.ok ? "our build" : "hugo (see its log)");
      if (!b.ok) std::printf("    hugo: %s\n", firstLineOf("cat '" + hugoLog + "'").c_str());
      return false;
    }
    std::printf("    run %d (%s first): ours wall %6.3f s cpu %6.3f s %4ld MB | hugo wall %6.3f s cpu %6.3f s "
                "%4ld MB | ours/hugo wall %.2f cpu %.2f\n",
                i + 1, i % 2 == 0 ? "ours" : "hugo", a.wall, a.cpu, a.peakKb / 1024, b.wall, b.cpu, b.peakKb / 1024,
                a.wall / b.wall, a.cpu / b.cpu);
    ow.push_back(a.wall), oc.push_back(a.cpu), hw.push_back(b.wall), hc.push_back(b.cpu);
    rw.push_back(a.wall / b.wall), rc.push_back(a.cpu / b.cpu);
    op.push_back(a.peakKb), hp.push_back(b.peakKb);
  }
  o.ours = treeOf(ourOut);
  o.hugo = treeOf(hugoOut);
  o.oursWall = median(ow), o.oursCpu = median(oc), o.hugoWall = median(hw), o.hugoCpu = median(hc);
  o.wallRatio = median(rw), o.cpuRatio = median(rc);
  o.oursPeakKb = *std::max_element(op.begin(), op.end());
  o.hugoPeakKb = *std::max_element(hp.begin(), hp.end());
  std::printf("    output: ours %ld files, %.1f MB (rss.xml %s, sitemap.xml %s) | hugo %ld files, %.1f MB\n",
              o.ours.files, o.ours.megabytes, fs::exists(ourOut / "rss.xml") ? "yes" : "NO",
              fs::exists(ourOut / "sitemap.xml") ? "yes" : "NO", o.hugo.files, o.hugo.megabytes);
  std::printf("    median of %d: ours wall %.3f s cpu %.3f s | hugo wall %.3f s cpu %.3f s\n", runs, o.oursWall,
              o.oursCpu, o.hugoWall, o.hugoCpu);
  std::printf("    ours / hugo (median of the paired ratios): wall %.2f, cpu %.2f (goal <= 0.3: %s); peak memory "
              "ours %ld MB, hugo %ld MB\n",
              o.wallRatio, o.cpuRatio, o.wallRatio <= 0.3 ? "met" : "not met", o.oursPeakKb / 1024,
              o.hugoPeakKb / 1024);
  o.ran = true;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  std::vector<BlogShape> shapes;
  int runs = 3;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--mixed") shapes.push_back(BlogShape::Mixed);
    else if (a == "--all-articles") shapes.push_back(BlogShape::AllArticles);
    else if (a == "--ten-static") shapes.push_back(BlogShape::TenStaticPages);
    else if (a == "--keep") keep = true;
    else if (a == "--runs" && i + 1 < argc && std::atoi(argv[i + 1]) > 0) runs = std::min(25, std::atoi(argv[++i]));
    else if (std::atoi(a.c_str()) > 0) sizes.push_back(std::atoi(a.c_str()));
    else {
      std::fprintf(stderr, "usage: %s [ENTRIES...] [--mixed] [--all-articles] [--ten-static] [--runs N] [--keep]\n",
                   argv[0]);
      return 2;
    }
  }
  const std::string hugo = findOnPath("hugo");
  if (hugo.empty()) {
    std::printf("bench_hugo: skipped, `hugo` is not on PATH (Debian: apt-get install hugo)\n");
    return 0;
  }
  if (sizes.empty()) sizes = {1000, 10000};
  std::sort(sizes.begin(), sizes.end());
  if (shapes.empty()) shapes = {BlogShape::Mixed, BlogShape::AllArticles};

  char pattern[] = "/dev/shm/tessary-bench-hugo-XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  const fs::path root = pattern;
  const char* threads = std::getenv("TESSARY_PAGE_THREADS");
  std::printf("Full build into an empty folder on tmpfs (%s), ours against %s (%s), %u cores, ours with %s page "
              "threads; %d runs each, paired in alternating order.\n",
              pattern, firstLineOf("'" + hugo + "' version").c_str(), hugo.c_str(),
              std::thread::hardware_concurrency(), threads ? threads : "all", runs);
  std::printf(
      "Same entries in both (titles, dates, texts as HTML, one category each), the same kinds of pages: month "
      "archive pages (a Hugo taxonomy), category pages and the category index (a taxonomy), article index, home, "
      "recent entries, a page per article and static page, a navigation bar listing every static page, rss.xml "
      "(ours, newest 10) and index.xml (Hugo, home only, newest 10), sitemap.xml in both.\n"
      "What differs: Hugo builds its navigation bar once (partialCached), uses its own markup (similar, not the "
      "same), teasers by words (45) where ours cuts at 256 characters, folders per taxonomy and section where ours "
      "is flat, no previous/next links on month pages; its static files are placeholders of ours' sizes. Ours is "
      "forked (opening the blog file included), Hugo executed (reading its content files included).\n");

  std::vector<Outcome> outcomes;
  bool failed = false;
  for (int n : sizes)
    for (BlogShape s : shapes) {
      Outcome o;
      o.shape = s;
      o.entries = n;
      std::printf("%s, %d entries:\n", bench::shapeName(s), n);
      // The mixed shape's output grows with the square of the blog.
      double estimate = 0;
      for (const Outcome& smaller : outcomes)
        if (smaller.ran && smaller.shape == s && smaller.entries < n) {
          const double f = static_cast<double>(n) / smaller.entries;
          estimate = std::max(smaller.ours.megabytes, smaller.hugo.megabytes) * 1e6 *
                     (s == BlogShape::Mixed ? f * f : f);
        }
      if (estimate > 4e9 || 3 * estimate > freeBytes(root.string())) {
        std::printf("    skipped: about %.1f GB of output expected for each site, more than this machine should hold "
                    "for it\n",
                    estimate / 1e9);
        continue;
      }
      if (!runCase(o, root, hugo, runs)) failed = true;
      outcomes.push_back(o);
      if (!keep) fs::remove_all(root / (std::to_string(static_cast<int>(s)) + "-" + std::to_string(n)));
    }

  std::printf("\nsummary (medians; goal: ours <= 0.3 x hugo):\n");
  std::printf("  %-16s %7s  %15s %15s  %13s %13s  %9s %9s  %10s\n", "shape", "entries", "files ours/hugo",
              "MB ours/hugo", "wall ours", "wall hugo", "wall o/h", "cpu o/h", "MB RSS o/h");
  for (const Outcome& o : outcomes) {
    if (!o.ran) continue;
    std::printf("  %-16s %7d  %7ld/%-7ld %7.1f/%-7.1f  %11.3f s %11.3f s  %9.2f %9.2f  %5ld/%-5ld\n",
                bench::shapeName(o.shape), o.entries, o.ours.files, o.hugo.files, o.ours.megabytes, o.hugo.megabytes,
                o.oursWall, o.hugoWall, o.wallRatio, o.cpuRatio, o.oursPeakKb / 1024, o.hugoPeakKb / 1024);
  }
  if (keep) std::printf("kept: %s\n", pattern);
  else fs::remove_all(root);
  return failed ? 1 : 0;
}
