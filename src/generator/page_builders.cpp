// The first, simplest page builders: the home page, the archive index and the
// month pages, enough to exercise the generation run end to end. The builders
// of every page kind replace this file.
#include "generator/entry_format.h"
#include "generator/html_gen.h"

namespace tessary::generator {
namespace {

using templates::templateEntryVars;
using templates::templatePageVars;

std::string menuLink(const std::string& href, const std::string& caption) {
  return "<A HREF=\"" + href + "\" class=\"menulink\">" + caption + "</A>";
}

void standardMeta(const Generator& g, store::BlogOptionsRec& o, templatePageVars& p) {
  (void)g;
  p.PageKeywords = o.DefaultKeywords.empty() ? p.PageTitle : o.DefaultKeywords;
  p.PageDescription = p.PageTitle;
}

class BasicPageBuilders : public PageBuilders {
 public:
  void beginSiteValues(Generator& g) override {
    store::BlogOptionsRec& o = g.options();
    const SiteNames n = g.names();
    auto& v = g.globalVars;
    v.MainTitle = o.BlogTitle;
    v.MainUrl = o.BlogUrl;
    v.MainAbout = o.About;
    v.HomeHref = n.page(o.IndexPageName);
    v.HomeLink = menuLink(v.HomeHref, o.IndexPageCaption);
    v.MonthIndexHref = n.page(o.ArchiveIndexPageName);
    v.MonthIndexLink = menuLink(v.MonthIndexHref, o.ArchiveIndexCaption);
    v.Rss20FileName = o.RSS20PageName;
    v.Rss091FileName = o.RSS091PageName;
    lastMonth_ = 0;
  }

  void listPassRow(Generator& g) override {
    const store::BlogRec& r = g.row.rec;
    if (r.BlogPageType != store::kBlogEntry && r.BlogPageType != store::kArticlePage) return;
    if (g.row.keys.monthKey == lastMonth_) return;
    lastMonth_ = g.row.keys.monthKey;
    g.globalVars.MonthLinksColumn += "<A HREF=\"" + g.names().monthPage(lastMonth_) + "\" class=\"entrylink\">" +
                                     g.row.keys.monthCaption + "</A><BR>";
  }

  void archiveIndexPage(Generator& g) override {
    store::BlogOptionsRec& o = g.options();
    templateEntryVars e;
    e.EntryTitle = o.PageTitleArchiveByMonth;
    e.EntryText = g.globalVars.MonthLinksColumn;
    templatePageVars p;
    p.PageTitle = o.PageTitleArchiveByMonth;
    p.PageKind = templates::kPageKindIndex;
    p.PageMenuTree = g.globalVars.HomeLink;
    standardMeta(g, o, p);
    std::string text;
    for (int s : {1, 2, 6}) text = g.addSlice(3, std::move(text), s, e, p, g.globalVars);
    g.WritePage(g.names().page(o.ArchiveIndexPageName), g.finishPage(std::move(text), g.globalVars, e, p));
  }

  void archiveStart(Generator& g) override {
    g.archive.month = {0, {}, g.row.keys.monthKey, g.row.keys.monthCaption, kNoNextMonth, {}};
    startMonth(g);
  }

  void archiveRow(Generator& g) override {
    if (g.row.keys.monthKey != g.archive.month.key) {
      g.archive.month.nextKey = g.row.keys.monthKey;
      g.archive.month.nextCaption = g.row.keys.monthCaption;
      finishMonth(g);
      g.archive.month = {g.archive.month.key, g.archive.month.caption, g.row.keys.monthKey,
                         g.row.keys.monthCaption, kNoNextMonth, {}};
      startMonth(g);
    }
    g.buffers.month += entryAnchor(g.row.rec.BlogKey);
    g.buffers.month = g.addSlice(4, std::move(g.buffers.month), 4, g.entryVars, g.monthPageVars, g.globalVars);
  }

  void archiveEnd(Generator& g) override {
    g.archive.month.nextKey = kNoNextMonth;
    finishMonth(g);
  }

  void homeStart(Generator& g) override {
    store::BlogOptionsRec& o = g.options();
    auto& p = g.homePageVars;
    p = {};
    p.PageKind = templates::kPageKindHome;
    p.PageTitle = o.BlogTitle;
    p.PageMenuTree = g.globalVars.HomeLink;
    standardMeta(g, o, p);
    std::string& text = g.buffers.home;
    text = g.addSlice(2, {}, 1, g.homeEntryVars, p, g.globalVars);
    if (!g.homeEntryVars.EntryText.empty()) text = g.addSlice(2, std::move(text), 2, g.homeEntryVars, p, g.globalVars);
    if (o.ShowRecentOnHome == 1) text = g.addSlice(2, std::move(text), 3, g.homeEntryVars, p, g.globalVars);
  }

  void homeRow(Generator& g) override {
    const int32_t type = g.row.rec.BlogPageType;
    if (type != store::kBlogEntry && type != store::kArticlePage) return;
    if (g.options().IndexEntries < g.listedEntries) return;
    ++g.listedEntries;
    if (g.options().ShowRecentOnHome == 1)
      g.buffers.home = g.addSlice(2, std::move(g.buffers.home), 4, g.entryVars, g.homePageVars, g.globalVars);
  }

  void homeEnd(Generator& g) override {
    store::BlogOptionsRec& o = g.options();
    std::string& text = g.buffers.home;
    if (o.ShowRecentOnHome == 1) text = g.addSlice(2, std::move(text), 5, g.homeEntryVars, g.homePageVars, g.globalVars);
    text = g.addSlice(2, std::move(text), 6, g.homeEntryVars, g.homePageVars, g.globalVars);
    if (!g.indexOverwrite)
      g.WritePage(g.names().page(o.IndexPageName), g.finishPage(text, g.globalVars, g.homeEntryVars, g.homePageVars));
  }

 private:
  void startMonth(Generator& g) {
    auto& p = g.monthPageVars;
    p = {};
    p.PageTitle = g.archive.month.caption;
    p.PageKind = templates::kPageKindEntries;
    standardMeta(g, g.options(), p);
    g.buffers.month = g.addSlice(4, {}, 1, g.entryVars, p, g.globalVars);
    g.buffers.month = g.addSlice(4, std::move(g.buffers.month), 3, g.entryVars, p, g.globalVars);
  }

  void finishMonth(Generator& g) {
    const SiteNames n = g.names();
    auto& p = g.monthPageVars;
    const ArchivePeriod& m = g.archive.month;
    p.PageMenuTree = g.globalVars.HomeLink;
    if (m.priorKey != 0) {
      p.PriorHref = n.monthPage(m.priorKey);
      p.PriorLink = "<a href=\"" + p.PriorHref + "\" class=\"menulink\">" + m.priorCaption + "</a> ";
    }
    if (m.nextKey != kNoNextMonth) {
      p.NextHref = n.monthPage(m.nextKey);
      p.NextLink = "<a href=\"" + p.NextHref + "\" class=\"menulink\">" + m.nextCaption + "</a> ";
    }
    p.ParentHref = n.monthPage(m.key);
    p.ParentLink = "<a href=\"" + p.ParentHref + "\" class=\"menulink\">" + m.caption + "</a> ";
    std::string text = g.addSlice(4, std::move(g.buffers.month), 5, g.entryVars, p, g.globalVars);
    text = g.addSlice(4, std::move(text), 6, g.entryVars, p, g.globalVars);
    g.WritePage(n.monthPage(m.key), g.finishPage(std::move(text), g.globalVars, g.entryVars, p));
  }

  int32_t lastMonth_ = 0;
};

}  // namespace

std::unique_ptr<PageBuilders> makeSitePageBuilders() { return std::make_unique<BasicPageBuilders>(); }

}  // namespace tessary::generator
