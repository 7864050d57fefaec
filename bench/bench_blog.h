// The benchmark blog, shared by the benchmarks that need one: entries over 8
// years (70 % blog entries, 25 % articles, 5 % static pages, or all articles),
// 20 categories, texts of about 1,500 bytes from a fixed word list and seed, so
// every benchmark builds the same blog.
#pragma once

#include <algorithm>
#include <random>
#include <string>

#include "store/blog_db.h"
#include "store/table.h"
#include "util/date_time.h"

namespace tessary::bench {

class QuietUI : public store::UserInterface {
 public:
  void showMessage(const std::string&) override {}
  void showError(const std::string&) override {}
  store::Answer confirm(const std::string&, store::Buttons) override { return store::Answer::Yes; }
  void statusShow(const std::string&) override {}
  void statusSetMessage(const std::string&) override {}
  void statusClose() override {}
};

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

// The mix of entry types: 70 % blog entries, 25 % articles, 5 % static pages
// (every page's navigation bar lists every static page, so the output grows with
// the square of the blog); all articles; or the mix with ten static pages only.
enum class BlogShape { Mixed, AllArticles, TenStaticPages };

inline const char* shapeName(BlogShape shape) {
  switch (shape) {
    case BlogShape::AllArticles: return "all articles";
    case BlogShape::TenStaticPages: return "ten static pages";
    default: return "70/25/5";
  }
}

// Fills a freshly created blog (its sample entries removed) with the categories
// and `count` entries. rng continues to be used by the caller afterwards.
inline void fillBenchmarkBlog(store::BlogDb& blog, int count, BlogShape shape, std::mt19937& rng) {
  blog.database().exec("DELETE FROM tblBlog");  // the sample entries
  blog.database().notifyDataChanged("tblBlog");
  {
    store::Transaction tx(blog.database());
    store::Table& cats = blog.tblCategory();
    for (int c = 0; c < 20; ++c) {
      cats.insert();
      cats.setString("CategoryTitle", "Category " + std::to_string(c));
      cats.setString("CategoryName", "cat" + std::to_string(c));
      cats.setString("CategoryText", prose(rng, 200));
      cats.post();
    }
    store::Table& t = blog.tblBlog();
    const util::DateTime start = util::encodeDate(2016, 1, 1);
    const double span = 8 * 365.25;
    std::uniform_int_distribution<int> cat(1, 20), kind(0, 99);
    for (int i = 0; i < count; ++i) {
      const int k = kind(rng);
      int type = k < 70 ? 0 : k < 95 ? 1 : 2;
      if (shape == BlogShape::AllArticles) type = 1;
      // Ten static pages spread over the blog, the others entries and articles.
      if (shape == BlogShape::TenStaticPages) type = i % std::max(1, count / 10) == 5 ? 2 : k < 75 ? 0 : 1;
      t.insert();
      t.setDateTime("BlogDateTime", start + span * i / count + 0.375);
      t.setInteger("BlogPageType", type);
      t.setString("BlogTitle", "Entry number " + std::to_string(i));
      t.setString("BlogText", prose(rng, 1500));
      if (type != 0) t.setString("BlogPageName", "page" + std::to_string(i));
      t.setInteger("BlogCategory", cat(rng));
      t.setInteger("BlogCategory2", -1);
      t.setInteger("BlogCategory3", -1);
      t.post();
    }
    tx.commit();
  }
}

inline void fillBenchmarkBlog(store::BlogDb& blog, int count, bool allArticles, std::mt19937& rng) {
  fillBenchmarkBlog(blog, count, allArticles ? BlogShape::AllArticles : BlogShape::Mixed, rng);
}

}  // namespace tessary::bench
