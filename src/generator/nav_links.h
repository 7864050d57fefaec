// The navigation of the generated site: the exact HTML of the navigation bar,
// of the link lists (static pages, articles, months, categories), of the links
// to the index pages and of the per-page menu tree and prior, next and parent
// links. Everything here is a function of plain values (options, names, the
// fields of one row), so that each form can be checked on its own; the page
// builders put the results into the tag records.
//
// Three class names appear: "menulink" (index and menu links), "navbtn" (the
// navigation bar) and "entrylink" (links to entries, months and categories).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/blog_options.h"
#include "store/blog_rec.h"

namespace tessary::generator {

// "<A HREF=\"" + href + "\" class=\"" + cls + "\">" + caption + "</A>".
std::string upperAnchor(std::string_view href, std::string_view cls, std::string_view caption);
// The same in lower case: "<a href=\"...\" class=\"...\">...</a>".
std::string lowerAnchor(std::string_view href, std::string_view cls, std::string_view caption);

// A period link: lower-case anchor with class "menulink" to a month, week or day page.
std::string periodLink(std::string_view address, std::string_view caption);
// The same followed by one blank (prior, next and parent links of archive pages).
std::string periodLinkWithBlank(std::string_view address, std::string_view caption);

// The site-wide values built before the list pass.
struct SiteLinks {
  std::string ParentSiteLink;
  std::string NavbarColumn, NavbarRow;
  std::string HomeLink, HomeHref;
  std::string ArticleIndexLink, ArticleIndexHref;
  std::string MonthIndexLink, MonthIndexHref;
  std::string RecentLink, RecentHref;
  std::string CategoryIndexLink;
};

// Builds the navigation bar (without its static pages) and the index links.
// An empty option 290 is set to "Main Site" in `options` first.
SiteLinks buildSiteLinks(store::BlogOptionsRec& options, const std::string& prefix,
                         const std::string& ext);

// A list shown in two forms: a column and a row.
struct LinkList {
  std::string column;
  std::string row;
};

// Grows the link lists of the list pass, one row at a time (newest first).
class ListPassLinks {
 public:
  ListPassLinks(std::string prefix, std::string ext) : prefix_(std::move(prefix)), ext_(std::move(ext)) {}

  // A static page (type 2): the static links and the navigation bar.
  void addStaticPage(const store::BlogRec& row, std::string& navbarColumn, std::string& navbarRow);
  // An article (type 1): the article links.
  void addArticle(const store::BlogRec& row);
  // A blog entry or article: its month when it differs from the last one added.
  void addMonth(int32_t monthKey, std::string_view monthCaption);

  const LinkList& staticLinks() const { return static_; }
  const LinkList& articleLinks() const { return articles_; }
  const LinkList& monthLinks() const { return months_; }

 private:
  std::string prefix_, ext_;
  LinkList static_, articles_, months_;
  int32_t lastMonth_ = 0;
  bool anyMonth_ = false;
};

// The link of a static page in the static links ("menulink"): its own page, or
// its Cool URL when its text is shorter than 5 characters and the Cool URL
// longer than 5. The navigation bar shows the same link with class "navbtn".
std::string staticPageLink(const store::BlogRec& row, const std::string& prefix, const std::string& ext,
                           std::string_view cls = "menulink");
// Whether the link of this row depends on its text (a static page with a
// Cool URL longer than 5 characters): the list pass then reads the text.
bool staticLinkNeedsText(const store::BlogRec& row);

// One category's line in the category link lists: the entrylink anchor, the
// teaser when asked for and not empty, and a line feed.
std::string categoryListLink(std::string_view categoryName, std::string_view categoryTitle,
                             std::string_view categoryTeaser, bool withTeaser,
                             const std::string& prefix, const std::string& ext);
void appendCategoryLink(LinkList& list, const std::string& link);

// The menulink to a category page, as an article's parent: anchor + "\n".
std::string categoryParentLink(std::string_view categoryName, std::string_view categoryTitle,
                               const std::string& prefix, const std::string& ext);

// HomeLink, or ParentSiteLink + " : " + HomeLink when there is a parent site.
std::string standardMenuTree(const SiteLinks& links);

}  // namespace tessary::generator
