// Tag engine benchmark: builds list pages of about 30 KB and 300 KB from the
// built-in default template (slices 1, 3, 4 per entry, 5, 6) with the whole
// FillEntryTags + FillPageTags + ResolveCommands sequence, and reports the time
// per page and the throughput in MB of finished page text per second.
// Goal on the 2-core reference machine: >= 50 MB/s for both sizes.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "templates/package.h"
#include "templates/tag_engine.h"

using namespace tessary::templates;

namespace {

std::string prose(std::mt19937& rng, size_t bytes) {
  static const char* kWords[] = {"the",   "blog",  "entry", "static", "page",  "template", "archive", "month",
                                 "with",  "about", "river", "coffee", "book",  "friend",   "music",   "winter",
                                 "<p>",   "<b>",   "</b>",  "summer", "photo", "travel",   "garden",  "today"};
  std::uniform_int_distribution<size_t> pick(0, sizeof kWords / sizeof kWords[0] - 1);
  std::string s;
  while (s.size() < bytes) {
    s += kWords[pick(rng)];
    s += ' ';
  }
  s.resize(bytes);
  return s;
}

std::string links(const char* cssClass, int count, const char* joiner) {
  std::string s;
  for (int i = 0; i < count; ++i) {
    if (i) s += joiner;
    s += "<a href=\"page" + std::to_string(i) + ".html\" class=\"" + cssClass + "\">Link number " +
         std::to_string(i) + "</a>";
  }
  return s;
}

struct Result {
  double msPerPage;
  double mbPerSecond;
  size_t pageBytes;
};

Result run(const TemplatePackage& pkg, int entries, size_t textBytes) {
  std::mt19937 rng(1234);
  templateGlobalVars g;
  g.MainTitle = "My Blog";
  g.MainUrl = "https://example.org/";
  g.MainAbout = prose(rng, 400);
  g.NavbarColumn = links("navbtn", 8, "<br>");
  g.MonthLinksColumn = links("menulink", 24, "<br>");
  g.CategoryLinksColumn = links("menulink", 12, "<br>");
  g.Rss20FileName = "rss.xml";
  templatePageVars p;
  p.PageTitle = "March 2026";
  p.PageKind = kPageKindEntries;
  p.PageMenuTree = links("menulink", 2, " : ");
  p.PriorLink = links("menulink", 1, "");
  p.NextLink = links("menulink", 1, "");
  std::vector<templateEntryVars> list(static_cast<size_t>(entries));
  for (auto& e : list) {
    e.EntryTitle = "An entry about " + prose(rng, 30);
    e.EntryText = prose(rng, textBytes);
    e.EntryDateWords = "Saturday, 14 March 2026";
    e.EntryUrlRelated = links("entrylink", 1, "");
  }
  const templateEntryVars pageEntry;

  auto buildOnce = [&] {
    std::string page = FillEntryTags(pkg, 4, std::string(), kStartOfPage, pageEntry, p, g);
    page = FillEntryTags(pkg, 4, std::move(page), kBeforeEntries, pageEntry, p, g);
    for (const auto& e : list) page = FillEntryTags(pkg, 4, std::move(page), kEachEntry, e, p, g);
    page = FillEntryTags(pkg, 4, std::move(page), kAfterEntries, pageEntry, p, g);
    page = FillEntryTags(pkg, 4, std::move(page), kEndOfPage, pageEntry, p, g);
    page = FillPageTags(std::move(page), g, pageEntry, p);
    return ResolveCommands(page, g, pageEntry, p);
  };

  const size_t pageBytes = buildOnce().size();
  const auto start = std::chrono::steady_clock::now();
  int pages = 0;
  double seconds = 0;
  size_t total = 0;
  do {
    total += buildOnce().size();
    ++pages;
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  } while (seconds < 1.5);
  return {seconds * 1000 / pages, static_cast<double>(total) / 1e6 / seconds, pageBytes};
}

}  // namespace

int main() {
  TemplatePackage pkg;
  pkg.LoadBuiltInTemplatePackage();
  pkg.SplitTemplatePackage();
  bool ok = true;
  for (const int entries : {10, 100}) {
    const Result r = run(pkg, entries, 2800);
    std::printf("page of %6zu bytes (%3d entries): %8.3f ms per page, %7.1f MB/s\n", r.pageBytes, entries,
                r.msPerPage, r.mbPerSecond);
    ok = ok && r.mbPerSecond >= 50;
  }
  std::printf("goal >= 50 MB/s: %s\n", ok ? "met" : "NOT met");
  return 0;
}
