#include "generator/nav_links.h"

#include <gtest/gtest.h>

namespace tessary::generator {
namespace {

store::BlogOptionsRec defaults() {
  store::BlogOptionsRec o;
  o.IndexPageName = "index";
  o.IndexPageCaption = "Blog Home";
  o.ArchiveIndexPageName = "archive";
  o.ArchiveIndexCaption = "Archives";
  o.ArticleIndexPageName = "articles";
  o.ArticleIndexCaption = "Articles";
  o.CategoryIndexPageName = "category";
  o.CategoryIndexCaption = "Category Index";
  o.CategoryIndexInNavBar = 1;
  o.RecentPageName = "recent";
  o.RecentLinkCaption = "Recent Entries";
  return o;
}

TEST(NavLinksTest, DefaultOptionsGiveTheHomeLinkAndNavigationBar) {
  auto o = defaults();
  const SiteLinks l = buildSiteLinks(o, "", ".html");
  EXPECT_EQ(l.HomeLink, "<A HREF=\"index.html\" class=\"menulink\">Blog Home</A>");
  EXPECT_EQ(l.HomeHref, "index.html");
  EXPECT_EQ(l.NavbarColumn,
            "<A HREF=\"index.html\" class=\"navbtn\">Blog Home</A><BR>"
            "<A HREF=\"archive.html\" class=\"navbtn\">Archives</A><BR>"
            "<A HREF=\"category.html\" class=\"navbtn\">Category Index</A>");
  EXPECT_EQ(l.NavbarRow,
            "<A HREF=\"index.html\" class=\"navbtn\">Blog Home</A> | "
            "<A HREF=\"archive.html\" class=\"navbtn\">Archives</A> | "
            "<A HREF=\"category.html\" class=\"navbtn\">Category Index</A>");
  EXPECT_EQ(l.RecentLink, "<A HREF=\"recent.html\" class=\"navbtn\">Recent Entries</A>");
  EXPECT_EQ(l.CategoryIndexLink, "<A HREF=\"category.html\" class=\"menulink\">Category Index</A>");
  EXPECT_EQ(l.ParentSiteLink, "");
  EXPECT_EQ(o.ParentSiteCaption, "Main Site");
  EXPECT_EQ(standardMenuTree(l), l.HomeLink);
}

TEST(NavLinksTest, ParentSiteAndOptionalNavbarItemsInOrder) {
  auto o = defaults();
  o.ParentSiteURL = "http://example.org/";
  o.RecentInNavBar = 1;
  o.ArticleIndexLink = 1;
  const SiteLinks l = buildSiteLinks(o, "b-", ".htm");
  EXPECT_EQ(l.ParentSiteLink, "<A HREF=\"http://example.org/\" class=\"menulink\">Main Site</A>");
  EXPECT_EQ(standardMenuTree(l), l.ParentSiteLink + " : " + l.HomeLink);
  EXPECT_EQ(l.NavbarRow,
            "<A HREF=\"http://example.org/\" class=\"navbtn\">Main Site</A> | "
            "<A HREF=\"b-index.htm\" class=\"navbtn\">Blog Home</A> | "
            "<A HREF=\"b-archive.htm\" class=\"navbtn\">Archives</A> | "
            "<A HREF=\"b-recent.htm\" class=\"navbtn\">Recent Entries</A> | "
            "<A HREF=\"b-articles.htm\" class=\"navbtn\">Articles</A> | "
            "<A HREF=\"b-category.htm\" class=\"navbtn\">Category Index</A>");
  EXPECT_EQ(l.NavbarColumn.substr(0, 67),
            "<A HREF=\"http://example.org/\" class=\"navbtn\">Main Site</A><BR><A HR");
}

TEST(NavLinksTest, IgnoringCategoriesEmptiesTheCategoryIndexLink) {
  auto o = defaults();
  o.ArchiveByCategory = 3;
  const SiteLinks l = buildSiteLinks(o, "", ".html");
  EXPECT_EQ(l.CategoryIndexLink, "");
  EXPECT_EQ(l.NavbarColumn.find("category.html"), std::string::npos);
}

store::BlogRec staticPage(const std::string& title, const std::string& name, const std::string& text,
                          const std::string& cool = "") {
  store::BlogRec r;
  r.BlogPageType = store::kStaticPage;
  r.BlogTitle = title;
  r.BlogPageName = name;
  r.BlogText = text;
  r.BlogCoolURL = cool;
  return r;
}

TEST(NavLinksTest, StaticLinksUseTheCoolUrlOnlyForNearlyEmptyPages) {
  auto o = defaults();
  SiteLinks l = buildSiteLinks(o, "", ".html");
  ListPassLinks links("", ".html");
  links.addStaticPage(staticPage(" About ", " about ", "Long text"), l.NavbarColumn, l.NavbarRow);
  links.addStaticPage(staticPage("Away", "away", "abcd", "http:/x"), l.NavbarColumn, l.NavbarRow);
  links.addStaticPage(staticPage("Five", "five", "abcde", "http://y"), l.NavbarColumn, l.NavbarRow);
  EXPECT_EQ(links.staticLinks().column,
            "<A HREF=\"about.html\" class=\"menulink\">About</A><BR>"
            "<A HREF=\"http:/x\" class=\"menulink\">Away</A><BR>"
            "<A HREF=\"five.html\" class=\"menulink\">Five</A>");
  EXPECT_EQ(links.staticLinks().row,
            "<A HREF=\"about.html\" class=\"menulink\">About</A> | "
            "<A HREF=\"http:/x\" class=\"menulink\">Away</A> | "
            "<A HREF=\"five.html\" class=\"menulink\">Five</A>");
  EXPECT_NE(l.NavbarColumn.find("Category Index</A><BR><A HREF=\"about.html\" class=\"navbtn\">About</A><BR>"
                                "<A HREF=\"http:/x\" class=\"navbtn\">Away</A>"),
            std::string::npos);
  // A Cool URL of five characters does not count.
  EXPECT_EQ(staticPageLink(staticPage("T", "t", "", "12345"), "", ".html"),
            "<A HREF=\"t.html\" class=\"menulink\">T</A>");
}

TEST(NavLinksTest, ArticleAndMonthLinks) {
  ListPassLinks links("", ".html");
  store::BlogRec a;
  a.BlogTitle = "First ";
  a.BlogPageName = "first";
  links.addArticle(a);
  a.BlogTitle = "Second";
  a.BlogPageName = " second";
  links.addArticle(a);
  EXPECT_EQ(links.articleLinks().column,
            "<A HREF=\"first.html\" class=\"entrylink\">First</A><br>"
            "<A HREF=\"second.html\" class=\"entrylink\">Second</A>");
  EXPECT_EQ(links.articleLinks().row,
            "<A HREF=\"first.html\" class=\"entrylink\">First</A> | "
            "<A HREF=\"second.html\" class=\"entrylink\">Second</A>");

  links.addMonth(200403, "March 2004");
  links.addMonth(200403, "March 2004");
  links.addMonth(200401, "January 2004");
  EXPECT_EQ(links.monthLinks().column,
            "<A HREF=\"200403.html\" class=\"entrylink\">March 2004</A><BR>"
            "<A HREF=\"200401.html\" class=\"entrylink\">January 2004</A><BR>");
  EXPECT_EQ(links.monthLinks().row,
            "<A HREF=\"200403.html\" class=\"entrylink\">March 2004</A>  | "
            "<A HREF=\"200401.html\" class=\"entrylink\">January 2004</A> ");
}

TEST(NavLinksTest, CategoryLinksAndParentLinks) {
  LinkList list;
  appendCategoryLink(list, categoryListLink(" food ", "Food", " Eat ", true, "", ".html"));
  appendCategoryLink(list, categoryListLink("travel", "Travel", "Go", false, "", ".html"));
  EXPECT_EQ(list.column,
            "<a href=\"food.html\" class=\"entrylink\">Food</a> - Eat\n<br>"
            "<a href=\"travel.html\" class=\"entrylink\">Travel</a>\n");
  EXPECT_EQ(list.row,
            "<a href=\"food.html\" class=\"entrylink\">Food</a> - Eat\n | "
            "<a href=\"travel.html\" class=\"entrylink\">Travel</a>\n");
  EXPECT_EQ(categoryParentLink("food", " Food ", "p", ".htm"),
            "<a href=\"pfood.htm\" class=\"menulink\">Food</a>\n");
  EXPECT_EQ(periodLinkWithBlank("200401.html", "January 2004"),
            "<a href=\"200401.html\" class=\"menulink\">January 2004</a> ");
}

}  // namespace
}  // namespace tessary::generator
