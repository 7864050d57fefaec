// A small blog with every kind of entry, for the whole-site tests: three
// categories, blog entries and articles in February and March 2004 (the last
// one in a week that belongs to April), static, hidden, redirect and free-format pages, and the
// home-page and recent-entries entries a new blog starts with.
#pragma once

#include <string>

#include "store/blog_db.h"
#include "store/table.h"
#include "util/date_time.h"

namespace tessary::testing {

struct SampleEntry {
  int32_t type;
  util::CivilTime when;
  const char* title;
  const char* pageName;
  const char* text;
  int32_t category = -1;
  const char* teaser = "";
  const char* coolUrl = "";
  int32_t category2 = -1;
};

inline void insertCategory(store::BlogDb& blog, const char* title, const char* name, const char* text,
                           const char* teaser) {
  store::Table& t = blog.tblCategory();
  t.insert();
  t.setString("CategoryTitle", title);
  t.setString("CategoryName", name);
  t.setString("CategoryText", text);
  t.setString("CategoryTeaser", teaser);
  t.post();
}

inline void insertEntry(store::BlogDb& blog, const SampleEntry& e) {
  store::Table& t = blog.tblBlog();
  t.insert();
  t.setDateTime("BlogDateTime", util::encodeDateTime(e.when));
  t.setInteger("BlogPageType", e.type);
  t.setString("BlogTitle", e.title);
  t.setString("BlogPageName", e.pageName);
  t.setString("BlogText", e.text);
  t.setInteger("BlogCategory", e.category);
  t.setInteger("BlogCategory2", e.category2);
  t.setInteger("BlogCategory3", -1);
  t.setString("BlogTeaser", e.teaser);
  t.setString("BlogCoolURL", e.coolUrl);
  t.post();
}

// The BlogKey of the entry with this title, -1 when there is none.
inline int32_t keyOfEntry(store::BlogDb& blog, const std::string& title) {
  store::Table& t = blog.tblBlog();
  for (t.first(); !t.eof(); t.next()) {
    if (t.asString("BlogTitle") == title) return t.asInteger("BlogKey");
  }
  return -1;
}

// Replaces the entries of a freshly created blog by the sample entries and adds
// three categories (keys 1, 2 and 3).
inline void fillSampleBlog(store::BlogDb& blog) {
  store::Table& rows = blog.tblBlog();
  rows.first();
  while (!rows.isEmpty()) {
    rows.first();
    rows.deleteRow();
  }
  insertCategory(blog, "Travel", "travel", "Journeys near and far.", "Where we went");
  insertCategory(blog, "Kitchen", "kitchen", "", "What we cooked");
  insertCategory(blog, "Notes & Ideas", "notes", "Loose thoughts.", "");
  const SampleEntry entries[] = {
      {store::kStaticPage, {2004, 1, 5, 8, 0}, "About", "about",
       "I write about travel and food.\r\n\r\nMostly on weekends.", 3},
      {store::kBlogEntry, {2004, 2, 2, 9, 15}, "First steps", "", "The blog starts today.\r\nWelcome!", 3},
      {store::kBlogEntry, {2004, 2, 14, 19, 30}, "Soup & \"bread\"", "",
       "Leek soup with <b>fresh</b> bread.", 2, "A winter soup"},
      {store::kArticlePage, {2004, 2, 20, 12, 0}, "Trip to the coast", "coast",
       "We drove to the coast.\r\n\r\nThe sea was grey and wild.", 1, "Grey sea, wild wind",
       "http://www.example.org/coast"},
      {store::kBlogEntry, {2004, 2, 27, 7, 45}, "Late February", "", "Snow again.", -1},
      {store::kHiddenPage, {2004, 2, 28, 10, 0}, "Draft list", "drafts", "Not linked anywhere."},
      {store::kBlogEntry, {2004, 3, 31, 21, 5}, "Week across months", "",
       "The last day of March, in the first week of April.", 1, "", "", 2},
      {store::kRedirectPage, {2004, 3, 2, 9, 0}, "Old address", "old", "", 1, "", "http://www.example.org/new"},
      {store::kFreeFormatPage, {2004, 3, 3, 9, 0}, "Robots", "robots.txt", "User-agent: *\r\nDisallow:\r\n"},
      {store::kStaticPage, {2004, 3, 4, 9, 0}, "Links", "links", "", -1, "", "http://www.example.org/links"},
      {store::kArticlePage, {2004, 3, 10, 16, 20}, "Bread baking", "bread",
       "Flour, water, salt and time.\r\nLots of time.", 2},
      {store::kBlogEntry, {2004, 3, 18, 11, 0}, "Spring", "", "The first warm day. [%entry.title%] indeed.", 3},
      {store::kHomePage, {2004, 1, 1, 0, 0}, "", "", "Welcome to our kitchen and our travels."},
      {store::kRecentEntriesPage, {2004, 1, 1, 0, 1}, "What is new", "", ""},
  };
  for (const auto& e : entries) insertEntry(blog, e);

  store::BlogOptionsRec& o = blog.options();
  o.BlogTitle = "Sea & Soup";
  o.BlogUrl = "http://www.example.com/blog/";
  o.About = "Two people, one kitchen, many trips.";
  o.HTMLFormatting = 1;
  o.RSS091Feed = 0;
  o.ArticleIndexLink = 1;
  blog.SaveOptions();
}

}  // namespace tessary::testing

#include <cstdlib>
#include <ctime>

#include "support/test_support.h"
#include "templates/tag_engine.h"
#include "util/files.h"

namespace tessary::testing {

// The clock (at `now`), the time zone (UTC) and the random number pinned, so
// that a run gives the same bytes on every machine; the clock and the random
// source are restored when it goes.
class PinnedRun {
 public:
  explicit PinnedRun(util::CivilTime now) {
    setenv("TZ", "UTC", 1);
    tzset();
    util::setClock([now] { return util::encodeDateTime(now); });
    previousRandom_ = templates::SetRandomSource([] { return 4242u; });
  }
  ~PinnedRun() {
    templates::SetRandomSource(previousRandom_);
    util::setClock({});
  }
  PinnedRun(const PinnedRun&) = delete;
  PinnedRun& operator=(const PinnedRun&) = delete;

 private:
  templates::RandomSource previousRandom_;
};

// The sample blog in a temporary program folder, its runs pinned (PinnedRun).
class PinnedSite {
 public:
  PinnedSite() {
    ui_.answers = {store::Answer::Yes};  // recent entries on the home page; no sample pages
    blog_ = std::make_unique<store::BlogDb>(dir_.path(), ui_);
    blog_->CreateBlog(dir_.file("sample.zdb"));
    fillSampleBlog(*blog_);
  }
  ~PinnedSite() { blog_->CloseBlog(); }

  store::BlogDb& blog() { return *blog_; }
  const std::string& programFolder() const { return dir_.path(); }
  // The output folder of the blog, ending in "/".
  std::string outputFolder() const { return dir_.path() + "/HTML/sample/"; }
  // One generation run; threads as Generator::setPageThreads takes them.
  void generate(ProgressLog& log, unsigned threads = 0);

 private:
  PinnedRun pinned_{{2004, 3, 20, 10, 0, 0, 0}};
  TempDir dir_;
  RecordingUI ui_;
  std::unique_ptr<store::BlogDb> blog_;
};

}  // namespace tessary::testing

#include "generator/html_gen.h"

inline void tessary::testing::PinnedSite::generate(ProgressLog& log, unsigned threads) {
  generator::Generator g(*blog_, log);
  g.setPageThreads(threads);
  g.GeneratePages();
}
