#include "generator/nav_links.h"

#include "util/text.h"

namespace tessary::generator {
namespace {

std::string anchor(std::string_view open, std::string_view href, std::string_view cls,
                   std::string_view caption, std::string_view close) {
  std::string s;
  s.reserve(open.size() + href.size() + cls.size() + caption.size() + close.size() + 12);
  s += open;
  s += href;
  s += "\" class=\"";
  s += cls;
  s += "\">";
  s += caption;
  s += close;
  return s;
}

bool longerThanOne(const std::string& s) { return s.size() > 1; }

}  // namespace

std::string upperAnchor(std::string_view href, std::string_view cls, std::string_view caption) {
  return anchor("<A HREF=\"", href, cls, caption, "</A>");
}

std::string lowerAnchor(std::string_view href, std::string_view cls, std::string_view caption) {
  return anchor("<a href=\"", href, cls, caption, "</a>");
}

std::string periodLink(std::string_view address, std::string_view caption) {
  return lowerAnchor(address, "menulink", caption);
}

std::string periodLinkWithBlank(std::string_view address, std::string_view caption) {
  return periodLink(address, caption) + " ";
}

SiteLinks buildSiteLinks(store::BlogOptionsRec& o, const std::string& prefix, const std::string& ext) {
  SiteLinks l;
  if (o.ParentSiteCaption.empty()) o.ParentSiteCaption = "Main Site";
  if (!o.ParentSiteURL.empty()) l.ParentSiteLink = upperAnchor(o.ParentSiteURL, "menulink", o.ParentSiteCaption);

  // The navigation bar: parent site, home, archive index, then the optional links.
  if (!o.ParentSiteURL.empty()) {
    const std::string parent = upperAnchor(o.ParentSiteURL, "navbtn", o.ParentSiteCaption);
    l.NavbarColumn = parent + "<BR>";
    l.NavbarRow = parent + " | ";
  }
  auto navbarItem = [&](const std::string& name, const std::string& caption, bool separatorBefore) {
    const std::string link = upperAnchor(prefix + name + ext, "navbtn", caption);
    if (separatorBefore) {
      l.NavbarColumn += "<BR>";
      l.NavbarRow += " | ";
    }
    l.NavbarColumn += link;
    l.NavbarRow += link;
  };
  navbarItem(o.IndexPageName, o.IndexPageCaption, false);
  navbarItem(o.ArchiveIndexPageName, o.ArchiveIndexCaption, true);
  if (o.RecentInNavBar == 1) navbarItem(o.RecentPageName, o.RecentLinkCaption, true);
  if (o.ArticleIndexLink == 1) navbarItem(o.ArticleIndexPageName, o.ArticleIndexCaption, true);
  if (o.ArchiveByCategory != 3 && o.CategoryIndexInNavBar == 1) {
    navbarItem(o.CategoryIndexPageName, o.CategoryIndexCaption, true);
  }

  l.HomeHref = prefix + o.IndexPageName + ext;
  l.HomeLink = upperAnchor(l.HomeHref, "menulink", o.IndexPageCaption);
  l.ArticleIndexHref = prefix + o.ArticleIndexPageName + ext;
  l.ArticleIndexLink = upperAnchor(l.ArticleIndexHref, "menulink", o.ArticleIndexCaption);
  l.MonthIndexHref = prefix + o.ArchiveIndexPageName + ext;
  l.MonthIndexLink = upperAnchor(l.MonthIndexHref, "menulink", o.ArchiveIndexCaption);
  l.RecentHref = prefix + o.RecentPageName + ext;
  l.RecentLink = upperAnchor(l.RecentHref, "navbtn", o.RecentLinkCaption);
  if (o.ArchiveByCategory != 3) {
    l.CategoryIndexLink =
        upperAnchor(prefix + o.CategoryIndexPageName + ext, "menulink", o.CategoryIndexCaption);
  }
  return l;
}

std::string staticPageLink(const store::BlogRec& row, const std::string& prefix, const std::string& ext,
                           std::string_view cls) {
  const std::string title = util::trim(row.BlogTitle);
  if (util::charCount(row.BlogText) < 5 && util::charCount(row.BlogCoolURL) > 5) {
    return upperAnchor(util::trim(row.BlogCoolURL), cls, title);
  }
  return upperAnchor(prefix + util::trim(row.BlogPageName) + ext, cls, title);
}

bool staticLinkNeedsText(const store::BlogRec& row) {
  return row.BlogPageType == store::kStaticPage && util::charCount(row.BlogCoolURL) > 5;
}

void ListPassLinks::addStaticPage(const store::BlogRec& row, std::string& navbarColumn,
                                  std::string& navbarRow) {
  const std::string link = staticPageLink(row, prefix_, ext_);
  const std::string navLink = staticPageLink(row, prefix_, ext_, "navbtn");
  if (longerThanOne(navbarColumn)) navbarColumn += "<BR>";
  navbarColumn += navLink;
  if (longerThanOne(navbarRow)) navbarRow += " | ";
  navbarRow += navLink;
  if (longerThanOne(static_.column)) static_.column += "<BR>";
  static_.column += link;
  if (longerThanOne(static_.row)) static_.row += " | ";
  static_.row += link;
}

void ListPassLinks::addArticle(const store::BlogRec& row) {
  const std::string link =
      upperAnchor(prefix_ + util::trim(row.BlogPageName) + ext_, "entrylink", util::trim(row.BlogTitle));
  if (longerThanOne(articles_.column)) articles_.column += "<br>";
  articles_.column += link;
  if (longerThanOne(articles_.row)) articles_.row += " | ";
  articles_.row += link;
}

void ListPassLinks::addMonth(int32_t monthKey, std::string_view monthCaption) {
  if (anyMonth_ && monthKey == lastMonth_) return;
  anyMonth_ = true;
  lastMonth_ = monthKey;
  const std::string link = upperAnchor(prefix_ + std::to_string(monthKey) + ext_, "entrylink", monthCaption);
  months_.column += link + "<BR>";
  if (longerThanOne(months_.row)) months_.row += " | ";
  months_.row += link + " ";
}

std::string categoryListLink(std::string_view categoryName, std::string_view categoryTitle,
                             std::string_view categoryTeaser, bool withTeaser,
                             const std::string& prefix, const std::string& ext) {
  std::string link =
      lowerAnchor(prefix + util::trim(categoryName) + ext, "entrylink", util::trim(categoryTitle));
  const std::string teaser = util::trim(categoryTeaser);
  if (withTeaser && !teaser.empty()) link += " - " + teaser;
  link += "\n";
  return link;
}

void appendCategoryLink(LinkList& list, const std::string& link) {
  if (!list.column.empty()) list.column += "<br>";
  list.column += link;
  if (!list.row.empty()) list.row += " | ";
  list.row += link;
}

std::string categoryParentLink(std::string_view categoryName, std::string_view categoryTitle,
                               const std::string& prefix, const std::string& ext) {
  return lowerAnchor(prefix + util::trim(categoryName) + ext, "menulink", util::trim(categoryTitle)) + "\n";
}

std::string standardMenuTree(const SiteLinks& links) {
  if (links.ParentSiteLink.empty()) return links.HomeLink;
  return links.ParentSiteLink + " : " + links.HomeLink;
}

}  // namespace tessary::generator
