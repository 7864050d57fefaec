#include "generator/page_builders.h"

#include <stdexcept>

#include "generator/entry_format.h"
#include "generator/html_gen.h"
#include "store/table.h"
#include "util/text.h"

namespace tessary::generator {
namespace {

// Templates and page kinds.
constexpr int kHomeTemplate = 2, kIndexTemplate = 3, kArchiveTemplate = 4, kArticleTemplate = 5,
              kStaticTemplate = 6;
constexpr int32_t kHomeKind = 2, kIndexKind = 3, kArchiveKind = 4, kArticleKind = 5, kStaticKind = 6,
                  kHiddenKind = 7;

int32_t noNext(char kind) { return kind == 'm' ? kNoNextMonth : kind == 'w' ? kNoNextWeek : kNoNextDay; }

bool longerThanOne(const std::string& s) { return s.size() > 1; }

std::string entrySource(const store::BlogRec& row) {
  return "entry " + std::to_string(row.BlogKey) + " \"" + row.BlogTitle + "\"";
}

std::string coolLink(const std::string& url, const std::string& caption) {
  if (url.empty()) return {};
  return "<A HREF=\"" + url + "\" target=\"_blank\" class=\"entrylink\">" + caption + "</A>";
}

// A category list shaped by option 276; the category pages also cut a trailing "<br>\n".
std::string shapeCategoryList(std::string list, int32_t style, bool cutTrailingBreak) {
  if (style == 1) return util::replaceAll(list, "<br>", "<p>");
  if (style != 2 && style != 3) return list;
  if (cutTrailingBreak && list.size() > 5 && util::endsWithNoCase(list, "<br>\n")) {
    list.resize(list.size() - 5);
  }
  list = util::replaceAll(list, "<br>", "<li>");
  if (list.empty()) return list;
  return style == 2 ? "<ul><li>" + list + "</ul>" : "<ol><li>" + list + "</ol>";
}

}  // namespace

std::vector<CategoryRow> readCategories(store::Table& t) {
  std::vector<CategoryRow> rows;
  if (t.isEmpty()) return rows;
  const auto mark = t.bookmark();
  for (t.first(); !t.eof(); t.next()) {
    CategoryRow c;
    c.key = t.asInteger("CategoryKey");
    c.title = t.asString("CategoryTitle");
    c.name = t.asString("CategoryName");
    c.text = t.asString("CategoryText");
    c.keywords = t.asString("CategoryKeywords");
    c.teaser = t.asString("CategoryTeaser");
    c.sidebar = t.asString("CategorySidebar");
    c.extra1 = t.asString("CategoryExtra1");
    c.extra2 = t.asString("CategoryExtra2");
    c.title1 = t.asString("CategoryTitle1");
    c.title2 = t.asString("CategoryTitle2");
    c.metaDesc = t.asString("CategoryMetaDesc");
    rows.push_back(std::move(c));
  }
  t.gotoBookmark(mark);
  return rows;
}

SitePages::SitePages(PageContext ctx)
    : ctx_(std::move(ctx)),
      mode_(archiveModeOf(ctx_.options.ArchiveByDate)),
      listLinks_(ctx_.names.prefix, ctx_.names.ext) {}

// ---- Page assembly -----------------------------------------------------------

std::string& SitePages::addSlice(std::string& text, int templ, int slice, const EntryVars& entry,
                                 const PageVars& page, const GlobalVars& global) const {
  text = templates::FillEntryTags(ctx_.package, templ, std::move(text), slice, entry, page, global);
  return text;
}

void SitePages::finishPage(const std::string& name, std::string& text, std::shared_ptr<const GlobalVars> global,
                           const EntryVars& entry, const PageVars& page, const std::string& source) {
  ctx_.write(name, PageDraft::toFinish(std::move(text), std::move(global), entry, page), source);
  text.clear();
}

void SitePages::finishSinglePage(const std::string& name, int templ, std::shared_ptr<const GlobalVars> global,
                                 const EntryVars& entry, const PageVars& page, const std::string& source) {
  PageDraft draft = PageDraft::toFinish({}, std::move(global), entry, page);
  draft.package = &ctx_.package;
  draft.templ = templ;
  draft.slices = {templates::kStartOfPage, templates::kArticle, templates::kEndOfPage};
  ctx_.write(name, std::move(draft), source);
}

void SitePages::writeFinished(const std::string& name, std::string text, const std::string& source) {
  ctx_.write(name, PageDraft::finished(std::move(text)), source);
}

const std::shared_ptr<const GlobalVars>& SitePages::sharedGlobals() {
  if (!sharedGlobals_) sharedGlobals_ = std::make_shared<const GlobalVars>(globals_);
  return sharedGlobals_;
}

void SitePages::standardMeta(PageVars& page) const {
  const auto& o = ctx_.options;
  page.PageKeywords = o.DefaultKeywords.empty() ? page.PageTitle : o.DefaultKeywords;
  page.PageDescription = page.PageTitle;
  if (o.ArchiveDefaultDescription == 1 && !o.DefaultDescription.empty()) {
    page.PageDescription = o.DefaultDescription + " " + page.PageTitle;
  }
}

std::string SitePages::standardMenuTree() const { return generator::standardMenuTree(links_); }

std::string SitePages::periodAddress(char kind, int32_t key) const {
  if (kind == 'w') return ctx_.names.weekPage(key);
  if (kind == 'd') return ctx_.names.dayPage(key);
  return ctx_.names.monthPage(key);
}

std::string SitePages::archiveAddress(const PeriodKeys& keys) const {
  switch (mode_) {
    case ArchiveMode::Daily: return ctx_.names.dayPage(keys.dayKey);
    case ArchiveMode::Weekly: return ctx_.names.weekPage(keys.weekKey);
    default: return ctx_.names.monthPage(keys.monthKey);
  }
}

std::string SitePages::archiveCaption(const PeriodKeys& keys) const {
  switch (mode_) {
    case ArchiveMode::Daily: return keys.dayCaption;
    case ArchiveMode::Weekly: return keys.weekCaption;
    default: return keys.monthCaption;
  }
}

const CategoryRow* SitePages::category(int32_t key) const {
  for (const auto& c : categories_) {
    if (c.key == key) return &c;
  }
  return nullptr;
}

// ---- Site-wide values --------------------------------------------------------

void SitePages::buildGlobals() {
  auto& o = ctx_.options;
  links_ = buildSiteLinks(o, ctx_.names.prefix, ctx_.names.ext);
  sharedGlobals_.reset();
  singlePageInputs_ = 0;
  GlobalVars& g = globals_;
  g = GlobalVars{};
  g.MainTitle = o.BlogTitle;
  g.MainUrl = o.BlogUrl;
  g.MainAbout = o.About;
  g.SiteLanguage = siteLanguageOf(o.SiteLanguage);
  g.ParentSiteLink = links_.ParentSiteLink;
  g.NavbarColumn = links_.NavbarColumn;
  g.NavbarRow = links_.NavbarRow;
  g.HomeLink = links_.HomeLink;
  g.HomeHref = links_.HomeHref;
  g.ArticleIndexLink = links_.ArticleIndexLink;
  g.ArticleIndexHref = links_.ArticleIndexHref;
  g.MonthIndexLink = links_.MonthIndexLink;
  g.MonthIndexHref = links_.MonthIndexHref;
  g.Rss20FileName = o.RSS20PageName;
  g.Rss091FileName = o.RSS091PageName;
  g.DefaultKeywords = o.DefaultKeywords;
  g.DefaultDescription = o.DefaultDescription;
  std::string* custom[] = {&g.CustomTag1, &g.CustomTag2, &g.CustomTag3, &g.CustomTag4, &g.CustomTag5,
                           &g.CustomTag6, &g.CustomTag7, &g.CustomTag8, &g.CustomTag9, &g.CustomTag10};
  for (size_t i = 0; i < o.CustomTag.size(); ++i) *custom[i] = o.CustomTag[i];
  templates::SetPageNamePrefix(ctx_.names.prefix);
  g.RecentLink = links_.RecentLink;
  g.RecentHref = links_.RecentHref;
}

// ---- List pass ---------------------------------------------------------------

SitePages::Slot* SitePages::slotFor(int32_t key) {
  auto it = slotIndex_.find(key);
  if (it != slotIndex_.end()) return &slots_[it->second];
  slotIndex_.emplace(key, slots_.size());
  slots_.push_back({key, {}});
  return &slots_.back();
}

void SitePages::listPassRow(const store::BlogRec& row, const PeriodKeys& keys) {
  const auto& o = ctx_.options;
  const int32_t type = row.BlogPageType;
  if (type == store::kStaticPage) {
    sharedGlobals_.reset();
    singlePageInputs_ = 0;
    listLinks_.addStaticPage(row, globals_.NavbarColumn, globals_.NavbarRow);
  }
  if (type == store::kArticlePage) {
    listLinks_.addArticle(row);
    std::string item = upperAnchor(ctx_.names.page(util::trim(row.BlogPageName)), "entrylink",
                                   util::trim(row.BlogTitle));
    const std::string teaser = util::trim(row.BlogTeaser);
    if (o.IncludeArticleTeasers == 1 && !teaser.empty()) item += " - " + teaser;
    std::string& list = articleIndexList_;
    if (o.ArticleIndexGrouping == 1 && (!anyArticle_ || keys.monthKey != lastArticleMonth_)) {
      if (articleListOpen_) {
        if (o.ArticleListStyle == 2) list += "</ul>";
        if (o.ArticleListStyle == 3) list += "</ol>";
        articleListOpen_ = false;
      }
      if (longerThanOne(list)) list += "<p>";
      list += keys.monthCaption + "<br>";
    }
    switch (o.ArticleListStyle) {
      case 1:
        if (longerThanOne(list)) list += "<p>";
        list += item;
        break;
      case 2:
      case 3:
        if (!articleListOpen_) {
          list += o.ArticleListStyle == 2 ? "<ul>" : "<ol>";
          articleListOpen_ = true;
        }
        list += "<li>" + item;
        break;
      default:  // 0 and values the option dialogs never store: line breaks
        if (longerThanOne(list)) list += "<br>";
        list += item;
    }
    anyArticle_ = true;
    lastArticleMonth_ = keys.monthKey;
  }
  if (type == store::kBlogEntry || type == store::kArticlePage) {
    listLinks_.addMonth(keys.monthKey, keys.monthCaption);
    ++entryRows_;
  }

  if (o.ArchiveByCategory == 3) return;
  bool listed;
  switch (o.ArchiveByCategory) {
    case 1: listed = type == store::kArticlePage; break;
    case 2: listed = type == store::kBlogEntry || type == store::kRedirectPage || type == store::kFreeFormatPage; break;
    default:
      listed = type == store::kBlogEntry || type == store::kArticlePage || type == store::kRedirectPage ||
               type == store::kFreeFormatPage;
  }
  std::string line;
  if (listed) {
    line = "<a href=\"" + EntryLocation(ctx_.names, mode_, row, keys) + "\" class=\"entrylink\">" +
           row.BlogTitle + "</a>";
    const std::string teaser = util::trim(row.BlogTeaser);
    if (o.IncludeCategoryTeasers == 1 && !teaser.empty()) line += " - " + teaser;
    line += "<br>\n";
  }
  auto addTo = [&](int32_t key) {
    Slot* slot = slotFor(key);
    slot->links += line;
  };
  if (row.BlogCategory >= 0) addTo(row.BlogCategory);
  if (row.BlogCategory2 > 0) addTo(row.BlogCategory2);
  if (row.BlogCategory3 > 0) addTo(row.BlogCategory3);
}

void SitePages::finishListPass(std::vector<CategoryRow> categories) {
  const auto& o = ctx_.options;
  if (articleListOpen_) {
    if (o.ArticleListStyle == 2) articleIndexList_ += "</ul>";
    if (o.ArticleListStyle == 3) articleIndexList_ += "</ol>";
    articleListOpen_ = false;
  }
  categories_ = std::move(categories);
  sharedGlobals_.reset();
  singlePageInputs_ = 0;
  GlobalVars& g = globals_;
  g.StaticLinksColumn = listLinks_.staticLinks().column;
  g.StaticLinksRow = listLinks_.staticLinks().row;
  g.ArticleLinksColumn = listLinks_.articleLinks().column;
  g.ArticleLinksRow = listLinks_.articleLinks().row;
  g.MonthLinksColumn = listLinks_.monthLinks().column;
  g.MonthLinksRow = listLinks_.monthLinks().row;
  g.ArticleIndexList = articleIndexList_;
  if (o.ArchiveByCategory != 3) {
    for (const auto& c : categories_) {
      appendCategoryLink(categoryLinks_, categoryListLink(c.name, c.title, c.teaser, o.IncludeCategoryTeasers == 1,
                                                          ctx_.names.prefix, ctx_.names.ext));
    }
    g.CategoryIndexLink = links_.CategoryIndexLink;
    g.CategoryLinksColumn = categoryLinks_.column;
    g.CategoryLinksRow = categoryLinks_.row;
  }
}

// ---- Index pages -------------------------------------------------------------

void SitePages::writeIndexPage(const std::string& title, const std::string& text,
                               std::shared_ptr<const GlobalVars> global, const std::string& name) {
  EntryVars entry;
  entry.EntryTitle = title;
  entry.EntryText = text;
  PageVars page;
  page.PageTitle = title;
  page.PageKind = kIndexKind;
  standardMeta(page);
  page.PageMenuTree = standardMenuTree();
  page.ParentLink = links_.HomeLink;
  page.ParentHref = links_.HomeHref;
  finishSinglePage(name, kIndexTemplate, std::move(global), entry, page);
}

std::shared_ptr<const GlobalVars> SitePages::globalsWithout(std::string GlobalVars::*column,
                                                            std::string GlobalVars::*row) {
  // Moved aside while the rest is copied: a large blog's link lists run to megabytes.
  std::string c, r;
  c.swap(globals_.*column);
  r.swap(globals_.*row);
  std::shared_ptr<const GlobalVars> global;
  try {
    global = std::make_shared<const GlobalVars>(globals_);
  } catch (...) {
    c.swap(globals_.*column);
    r.swap(globals_.*row);
    throw;
  }
  c.swap(globals_.*column);
  r.swap(globals_.*row);
  return global;
}

// The archive index lists the months, the article index the articles; each
// leaves its own list out of the page's link lists.
void SitePages::writeArchiveIndex() {
  const auto& o = ctx_.options;
  auto global = globalsWithout(&GlobalVars::MonthLinksColumn, &GlobalVars::MonthLinksRow);
  writeIndexPage(o.PageTitleArchiveByMonth, globals_.MonthLinksColumn, std::move(global),
                 ctx_.names.page(o.ArchiveIndexPageName));
}

void SitePages::writeArticleIndex() {
  const auto& o = ctx_.options;
  auto global = globalsWithout(&GlobalVars::ArticleLinksColumn, &GlobalVars::ArticleLinksRow);
  writeIndexPage(o.PageTitleArticleIndex, articleIndexList_, std::move(global),
                 ctx_.names.page(o.ArticleIndexPageName));
}

void SitePages::writeCategoryPages() {
  const auto& o = ctx_.options;
  if (o.ArchiveByCategory == 3) return;
  for (const auto& c : categories_) {
    EntryVars entry;
    entry.EntryTitle = util::trim(c.title);
    entry.EntryText = util::trim(c.text);
    entry.EntryTeaser = util::trim(c.teaser);
    entry.EntryKeywords = util::trim(c.keywords);
    entry.EntrySidebar = util::trim(c.sidebar);
    entry.EntryCustomField1 = util::trim(c.extra1);
    entry.EntryCustomField2 = util::trim(c.extra2);
    entry.EntryCustomTitle1 = util::trim(c.title1);
    entry.EntryCustomTitle2 = util::trim(c.title2);
    entry.EntryDescription = util::trim(c.metaDesc);
    auto it = slotIndex_.find(c.key);
    const std::string list = shapeCategoryList(it == slotIndex_.end() ? std::string() : slots_[it->second].links,
                                               o.CategoryListStyle, true);
    if (!entry.EntryText.empty()) entry.EntryText += "<p>";
    entry.EntryText += list;

    PageVars page;
    page.PageTitle = util::trim(c.title);
    page.PageKind = kIndexKind;
    const std::string keywords = util::trim(c.keywords);
    page.PageKeywords = !keywords.empty() ? keywords : !o.DefaultKeywords.empty() ? o.DefaultKeywords : page.PageTitle;
    const std::string desc = util::trim(c.metaDesc);
    page.PageDescription = desc.empty() ? page.PageTitle : desc;
    if (o.ArchiveDefaultDescription == 1 && !o.DefaultDescription.empty()) {
      page.PageDescription = o.DefaultDescription + " " + page.PageDescription;
    }
    page.PageMenuTree = standardMenuTree() + " : " + globals_.CategoryIndexLink;
    page.ParentLink = links_.HomeLink;
    page.ParentHref = links_.HomeHref;

    finishSinglePage(ctx_.names.page(util::trim(c.name)), kIndexTemplate, sharedGlobals(), entry, page,
                     "category \"" + c.title + "\"");
  }
}

void SitePages::writeCategoryIndex() {
  const auto& o = ctx_.options;
  if (o.ArchiveByCategory == 3) return;
  const std::string title = util::trim(o.PageTitleCategoryIndex);
  writeIndexPage(title, shapeCategoryList(globals_.CategoryLinksColumn, o.CategoryListStyle, false), sharedGlobals(),
                 ctx_.names.page(o.CategoryIndexPageName));
}

// ---- Archive pass ------------------------------------------------------------

void SitePages::startPeriodPage(ArchivePage& page, char kind, const PeriodState& st, const PeriodKeys& keys,
                                const EntryVars& entry) {
  page = ArchivePage{};
  page.vars.PageTitle = st.currentCaption;
  page.vars.PageKind = kArchiveKind;
  standardMeta(page.vars);
  page.monthKey = keys.monthKey;
  page.monthCaption = keys.monthCaption;
  addSlice(page.text, kArchiveTemplate, templates::kStartOfPage, entry, page.vars, globals_);
  if (kind != 'm' || mode_ == ArchiveMode::Monthly) {
    addSlice(page.text, kArchiveTemplate, templates::kBeforeEntries, entry, page.vars, globals_);
  }
}

void SitePages::finishPeriodPage(ArchivePage& page, char kind, const PeriodState& st, const EntryVars& entry) {
  const auto& o = ctx_.options;
  PageVars& v = page.vars;
  v.PageMenuTree = standardMenuTree();
  if (kind != 'm') {
    v.PageMenuTree += " : " + periodLink(ctx_.names.monthPage(page.monthKey), page.monthCaption);
  }
  if (st.prior != 0) {
    v.PriorHref = periodAddress(kind, st.prior);
    v.PriorLink = periodLinkWithBlank(v.PriorHref, st.priorCaption);
  }
  if (st.next != noNext(kind)) {
    v.NextHref = periodAddress(kind, st.next);
    v.NextLink = periodLinkWithBlank(v.NextHref, st.nextCaption);
  }
  v.ParentHref = periodAddress(kind, st.current);
  v.ParentLink = periodLinkWithBlank(v.ParentHref, st.currentCaption);

  // The entries go between the slices before and after them.
  const size_t listAt = page.text.size();
  if (kind == 'm' && mode_ != ArchiveMode::Monthly) {
    EntryVars list;
    list.EntryTitle = mode_ == ArchiveMode::Daily ? o.PageTitleDailyEntries : o.PageTitleWeeklyEntries;
    list.EntryText = page.periodLinks;
    addSlice(page.text, kArchiveTemplate, templates::kArticle, list, v, globals_);
  } else {
    addSlice(page.text, kArchiveTemplate, templates::kAfterEntries, entry, v, globals_);
  }
  addSlice(page.text, kArchiveTemplate, templates::kEndOfPage, entry, v, globals_);
  const PlannedPage* planned = plannedPage(kind);
  PageDraft draft = PageDraft::toFinish(std::move(page.text), sharedGlobals(), entry, v);
  draft.inputs = planned ? planned->inputs : 0;
  if (!page.listed.empty()) {
    draft.listPackage = &ctx_.package;
    draft.listTempl = kArchiveTemplate;
    draft.listSlice = templates::kEachEntry;
    draft.listAt = listAt;
    draft.listed = std::move(page.listed);
  }
  ctx_.write(periodAddress(kind, st.current), std::move(draft), {});
  page.text.clear();
  page.listed.clear();
}

void SitePages::advance(char kind, PeriodState& st, int32_t key, const std::string& caption, ArchivePage& page,
                        const PeriodKeys& keys, const EntryVars& entry) {
  if (key == st.current) return;
  st.next = key;
  st.nextCaption = caption;
  closePeriodPage(page, kind, st, entry);
  st.prior = st.current;
  st.priorCaption = st.currentCaption;
  st.current = key;
  st.currentCaption = caption;
  st.next = noNext(kind);
  st.nextCaption.clear();
  if (planned_) {
    KindPlan& plan = plans_[kindIndex(kind)];
    if (++plan.at >= plan.pages.size() || plan.pages[plan.at].key != key)
      throw std::logic_error("The archive pass met the period " + std::to_string(key) + " out of its plan");
  }
  openPeriodPage(page, kind, st, keys, entry);
}

void SitePages::openPeriodPage(ArchivePage& page, char kind, const PeriodState& st, const PeriodKeys& keys,
                               const EntryVars& entry) {
  if (!periodKnown(kind)) {
    startPeriodPage(page, kind, st, keys, entry);
    return;
  }
  page = ArchivePage{};
}

void SitePages::closePeriodPage(ArchivePage& page, char kind, const PeriodState& st, const EntryVars& entry) {
  const PlannedPage* planned = plannedPage(kind);
  if (!planned || !planned->known) {
    finishPeriodPage(page, kind, st, entry);
    return;
  }
  // Handed in with the records a built page has, so that it takes its turn
  // (and its [%RANDOM%] draw) as that page would.
  PageDraft draft = PageDraft::toFinish({}, sharedGlobals(), {}, {});
  draft.inputs = planned->inputs;
  draft.known = planned->known;
  ctx_.write(periodAddress(kind, st.current), std::move(draft), {});
}

void SitePages::startArchive(const PeriodKeys& keys, const EntryVars& entry) {
  month_ = {keys.monthKey, 0, kNoNextMonth, keys.monthCaption, {}, {}};
  week_ = {keys.weekKey, 0, kNoNextWeek, keys.weekCaption, {}, {}};
  day_ = {keys.dayKey, 0, kNoNextDay, keys.dayCaption, {}, {}};
  planArchive();
  openPeriodPage(monthPage_, 'm', month_, keys, entry);
  if (mode_ == ArchiveMode::Weekly) openPeriodPage(weekPage_, 'w', week_, keys, entry);
  if (mode_ == ArchiveMode::Daily) openPeriodPage(dayPage_, 'd', day_, keys, entry);
  archiveStarted_ = true;
}

// ---- Archive plan ------------------------------------------------------------

void SitePages::noteRow(const store::BlogRec& row, const PeriodKeys& keys, uint64_t digest) {
  if (digest == 0) digestsComplete_ = false;
  if (!digestsComplete_) return;
  noted_.push_back({row.BlogKey, row.BlogPageType, keys.monthKey, keys.weekKey, keys.dayKey, row.BlogDateTime,
                    digest, row.BlogPageType == store::kArticlePage ? row.BlogPageName : std::string()});
  // A page of a single entry may take a period page's file name before that
  // page's turn.
  switch (row.BlogPageType) {
    case store::kArticlePage:
    case store::kStaticPage:
    case store::kHiddenPage:
    case store::kRedirectPage: ownPageNames_.insert(util::lowerAscii(ctx_.names.page(row.BlogPageName))); break;
    case store::kFreeFormatPage:
      ownPageNames_.insert(util::lowerAscii(ctx_.names.freeFormatPage(row.BlogPageName)));
      break;
    default: break;
  }
}

const SitePages::PlannedPage* SitePages::plannedPage(char kind) const {
  if (!planned_) return nullptr;
  const KindPlan& plan = plans_[kindIndex(kind)];
  return plan.at < plan.pages.size() ? &plan.pages[plan.at] : nullptr;
}

void SitePages::planArchive() {
  planned_ = false;
  archivePos_ = 0;
  for (KindPlan& plan : plans_) plan = {};
  recordNeeded_.clear();
  textNeeded_.clear();
  if (!digestsComplete_ || noted_.empty() || !ctx_.siteInputs) return;
  const uint64_t site = ctx_.siteInputs();
  if (site == 0) return;
  util::Digest base;
  base.add(static_cast<int64_t>(site)).add(static_cast<int64_t>(singlePageInputs()));
  base.add(static_cast<int64_t>(mode_));
  recordNeeded_.assign(noted_.size(), false);
  textNeeded_.assign(noted_.size(), false);
  planKind('m', base.value());
  if (mode_ == ArchiveMode::Weekly) planKind('w', base.value());
  if (mode_ == ArchiveMode::Daily) planKind('d', base.value());
  planned_ = true;
}

// The archive pass for one kind, played over the noted rows: which rows open,
// fill and close each page, and so what each page is made of. A page starts
// with the record of the row that opens it (the oldest row for the first
// page), lists the blog entries and articles of its period (month pages in
// weekly or daily mode list only their weeks or days) and ends with the record
// of the row that opens the next period (of the newest row for the last page).
void SitePages::planKind(char kind, uint64_t base) {
  const size_t n = noted_.size();
  auto at = [&](size_t pos) -> const NotedRow& { return noted_[n - 1 - pos]; };
  auto keyOf = [kind](const NotedRow& r) { return kind == 'm' ? r.monthKey : kind == 'w' ? r.weekKey : r.dayKey; };
  auto captionOf = [kind](const NotedRow& r) {
    const PeriodKeys k = periodKeysOf(r.date);
    return kind == 'm' ? k.monthCaption : kind == 'w' ? k.weekCaption : k.dayCaption;
  };
  const bool listsEntries = kind != 'm' || mode_ == ArchiveMode::Monthly;
  struct Open {
    int32_t key = 0;
    std::string caption;
    size_t openerPos = 0;
    util::Digest members;
    int64_t count = 0;
  };
  struct Span {
    size_t openerPos, closerPos;
  };
  std::vector<PlannedPage>& pages = plans_[kindIndex(kind)].pages;
  std::vector<Span> spans;
  int32_t priorKey = 0;
  std::string priorCaption;
  Open cur{keyOf(at(0)), captionOf(at(0)), 0, {}, 0};
  auto close = [&](size_t closerPos, int32_t nextKey, const std::string& nextCaption) {
    util::Digest d;
    d.add(static_cast<int64_t>(base)).add(static_cast<int64_t>(kind));
    d.add(cur.key).add(cur.caption).add(priorKey).add(priorCaption).add(nextKey).add(nextCaption);
    d.add(static_cast<int64_t>(at(cur.openerPos).digest)).add(cur.count).add(cur.members);
    d.add(static_cast<int64_t>(at(closerPos).digest));
    pages.push_back({cur.key, d.value(), std::nullopt});
    spans.push_back({cur.openerPos, closerPos});
    priorKey = cur.key;
    priorCaption = cur.caption;
  };
  for (size_t pos = 0; pos < n; ++pos) {
    const NotedRow& r = at(pos);
    if (r.type != store::kBlogEntry && r.type != store::kArticlePage) continue;
    if (keyOf(r) != cur.key) {
      const std::string caption = captionOf(r);
      close(pos, keyOf(r), caption);
      cur = Open{keyOf(r), caption, pos, {}, 0};
    }
    cur.members.add(static_cast<int64_t>(r.digest));
    ++cur.count;
  }
  close(n - 1, noNext(kind), {});

  // A period met twice (rows out of date order) writes its file twice: such
  // pages are built and not recorded.
  std::unordered_map<int32_t, int> seen;
  for (const PlannedPage& p : pages) ++seen[p.key];
  for (size_t i = 0; i < pages.size(); ++i) {
    PlannedPage& p = pages[i];
    const std::string name = periodAddress(kind, p.key);
    if (seen[p.key] > 1) {
      p.inputs = 0;
    } else if (ownPageNames_.count(util::lowerAscii(name)) == 0 && ctx_.knownPage) {
      PageOutput::BuiltVersion version;
      if (ctx_.knownPage(name, p.inputs, version)) p.known = version;
    }
    // A page starts with the record of the row that opens it and ends with
    // that of the row that opens the next.
    const Span& s = spans[i];
    textNeeded_[s.openerPos] = true;
    textNeeded_[s.closerPos] = true;
    if (p.known) continue;
    // A page that is built needs the records it is made of.
    recordNeeded_[s.openerPos] = true;
    recordNeeded_[s.closerPos] = true;
    if (listsEntries)
      for (size_t pos = s.openerPos; pos < s.closerPos; ++pos) recordNeeded_[pos] = true;
  }
}

SitePages::RecordNeed SitePages::archiveRecord(const store::BlogRec& row) {
  if (!planned_) return RecordNeed::Whole;
  const size_t pos = ++archivePos_;
  if (pos >= noted_.size() || noted_[noted_.size() - 1 - pos].blogKey != row.BlogKey)
    throw std::logic_error("The archive pass met " + entrySource(row) + " out of its plan");
  const bool entry = row.BlogPageType == store::kBlogEntry || row.BlogPageType == store::kArticlePage;
  // The newest entries keep their records for the home pass.
  if (entry && archivedRows_ >= entryRows_ - rowsToKeep()) return RecordNeed::Whole;
  if (!recordNeeded_[pos]) return RecordNeed::None;
  return textNeeded_[pos] ? RecordNeed::Whole : RecordNeed::WithoutText;
}

bool SitePages::nextRowWithoutRecord(store::BlogRec& row, uint64_t& storedRow) const {
  if (!planned_) return false;
  const size_t pos = archivePos_ + 1;
  if (pos >= noted_.size()) return false;
  const NotedRow& n = noted_[noted_.size() - 1 - pos];
  if ((n.type != store::kBlogEntry && n.type != store::kArticlePage) ||
      archivedRows_ >= entryRows_ - rowsToKeep() || recordNeeded_[pos])
    return false;
  row = {};
  row.BlogKey = n.blogKey;
  row.BlogPageType = n.type;
  row.BlogDateTime = n.date;
  row.BlogPageName = n.pageName;
  storedRow = n.digest;
  return true;
}

// The home pass lists up to option 103 + 1 entries and offers the feeds up to
// option 404 (at most 100); beyond a bound, the rest is read again.
int64_t SitePages::rowsToKeep() const {
  constexpr int64_t kMostKept = 1000;
  const auto& o = ctx_.options;
  const int64_t feedItems = std::clamp<int64_t>(o.RSSItemEntries, 1, 100);
  return std::min(kMostKept, std::max(static_cast<int64_t>(o.IndexEntries) + 1, feedItems));
}

const SitePages::KeptEntry* SitePages::keptEntry(int32_t blogKey) const {
  const auto it = kept_.find(blogKey);
  return it == kept_.end() ? nullptr : &it->second;
}

bool SitePages::homePassNeedsText(const store::BlogRec& row) const {
  if (row.BlogPageType != store::kBlogEntry && row.BlogPageType != store::kArticlePage) return false;
  const bool shown = ctx_.options.IndexEntries >= listed_ || feed_.itemCounter() < feedSettings_.itemLimit;
  return shown && !keptEntry(row.BlogKey);
}

bool SitePages::textOnlyForOwnPage(const store::BlogRec& row) const {
  switch (row.BlogPageType) {
    case store::kStaticPage:
    case store::kHiddenPage: return true;
    case store::kArticlePage:
      // The newest entries keep their text for the home pass. (Without a
      // teaser of its own its archive entry shows the start of its text: the
      // run gives that.)
      return archivedRows_ < entryRows_ - rowsToKeep();
    default: return false;
  }
}

uint64_t SitePages::singlePageInputs() {
  if (singlePageInputs_ != 0) return singlePageInputs_;
  using G = GlobalVars;
  static constexpr std::string G::*kGlobals[] = {
      &G::MainTitle,         &G::MainUrl,          &G::MainAbout,          &G::MonthLinksColumn,
      &G::MonthLinksRow,     &G::StaticLinksColumn, &G::StaticLinksRow,    &G::NavbarColumn,
      &G::NavbarRow,         &G::ArticleLinksColumn, &G::GlobalSpare1,     &G::ArticleLinksRow,
      &G::ArticleIndexList,  &G::GlobalSpare2,     &G::ParentSiteLink,     &G::HomeLink,
      &G::HomeHref,          &G::ArticleIndexLink, &G::ArticleIndexHref,   &G::MonthIndexLink,
      &G::MonthIndexHref,    &G::Rss20FileName,    &G::Rss091FileName,     &G::DefaultKeywords,
      &G::DefaultDescription, &G::CustomTag1,      &G::CustomTag2,         &G::CustomTag3,
      &G::CustomTag4,        &G::CustomTag5,       &G::CustomTag6,         &G::CustomTag7,
      &G::CustomTag8,        &G::CustomTag9,       &G::CustomTag10,        &G::CategoryIndexLink,
      &G::CategoryLinksColumn, &G::CategoryLinksRow, &G::RecentLink,       &G::RecentHref,
      &G::SiteLanguage};
  // A value added to the record must be added here too.
  static_assert(sizeof(G) == std::size(kGlobals) * sizeof(std::string));
  util::Digest d;
  const GlobalVars& g = sharedGlobals() ? *sharedGlobals() : globals_;
  for (const auto field : kGlobals) d.add(g.*field);
  d.add(static_cast<int64_t>(categories_.size()));
  for (const CategoryRow& c : categories_) {
    d.add(c.key);
    for (const std::string* f : {&c.title, &c.name, &c.text, &c.keywords, &c.teaser, &c.sidebar, &c.extra1,
                                 &c.extra2, &c.title1, &c.title2, &c.metaDesc})
      d.add(*f);
  }
  static_assert(sizeof(CategoryRow) == sizeof(int64_t) + 11 * sizeof(std::string));
  singlePageInputs_ = d.value();
  return singlePageInputs_;
}

void SitePages::archiveEntryRow(const store::BlogRec& row, const PeriodKeys& keys, const EntryVars& entry,
                                std::optional<store::StoredText> laterText,
                                std::shared_ptr<const LaterArticle> article) {
  // A record without its text is only listed: it neither opens a period nor
  // is kept for the home pass.
  if ((laterText || article) && (archivedRows_ >= entryRows_ - rowsToKeep() || keys.monthKey != month_.current ||
                    (mode_ == ArchiveMode::Weekly && keys.weekKey != week_.current) ||
                    (mode_ == ArchiveMode::Daily && keys.dayKey != day_.current)))
    throw std::logic_error("The archive pass met " + entrySource(row) + " without its text, out of its plan");
  if (archivedRows_++ >= entryRows_ - rowsToKeep()) {
    kept_[row.BlogKey] = {row.BlogText, AutoFormat(row.BlogText, ctx_.options.HTMLFormatting), entry};
  }
  {
    advance('m', month_, keys.monthKey, keys.monthCaption, monthPage_, keys, entry);
    if (mode_ == ArchiveMode::Weekly) advance('w', week_, keys.weekKey, keys.weekCaption, weekPage_, keys, entry);
    if (mode_ == ArchiveMode::Daily) advance('d', day_, keys.dayKey, keys.dayCaption, dayPage_, keys, entry);

    const std::string anchor = entryAnchor(row.BlogKey);
    auto addEntry = [&](ArchivePage& page, char kind) {
      if (periodKnown(kind)) return;
      page.listed.push_back({anchor, entry, std::move(laterText), ctx_.options.HTMLFormatting, std::move(article)});
    };
    auto addPeriodLink = [&](const std::string& href, int32_t key, const std::string& caption) {
      if (monthPage_.lastLinked == key || periodKnown('m')) return;
      monthPage_.lastLinked = key;
      monthPage_.periodLinks += upperAnchor(href, "entrylink", caption) + "<BR>";
    };
    switch (mode_) {
      case ArchiveMode::Weekly:
        addEntry(weekPage_, 'w');
        addPeriodLink(ctx_.names.weekPage(keys.weekKey), keys.weekKey, keys.weekCaption);
        break;
      case ArchiveMode::Daily:
        addEntry(dayPage_, 'd');
        addPeriodLink(ctx_.names.dayPage(keys.dayKey), keys.dayKey, keys.dayCaption);
        break;
      default:
        addEntry(monthPage_, 'm');
    }
  }
}

void SitePages::finishArchive(const EntryVars& entry) {
  if (!archiveStarted_) return;
  month_.next = kNoNextMonth;
  week_.next = kNoNextWeek;
  day_.next = kNoNextDay;
  closePeriodPage(monthPage_, 'm', month_, entry);
  if (mode_ == ArchiveMode::Weekly) closePeriodPage(weekPage_, 'w', week_, entry);
  if (mode_ == ArchiveMode::Daily) closePeriodPage(dayPage_, 'd', day_, entry);
  archiveStarted_ = false;
  planned_ = false;
}

// ---- Pages of single entries -------------------------------------------------

namespace {

void singlePageMeta(PageVars& page, const store::BlogRec& row, const store::BlogOptionsRec& o) {
  page.PageKeywords = !row.BlogKeywords.empty()    ? row.BlogKeywords
                      : !o.DefaultKeywords.empty() ? o.DefaultKeywords
                                                   : page.PageTitle;
  page.PageDescription = !row.BlogMetaDesc.empty() ? row.BlogMetaDesc
                         : !page.PageTitle.empty() ? page.PageTitle
                                                   : o.DefaultDescription;
}

}  // namespace

// A page that takes the file name of the home page (or, for articles, of the
// archive or article index) says so in a green line and shows the state of the
// page it replaces.
void SitePages::nameCheck(const store::BlogRec& row, PageVars& page, bool indexPagesToo) {
  const auto& o = ctx_.options;
  if (util::equalsNoCase(row.BlogPageName, o.IndexPageName)) {
    ctx_.indexOverwrite = true;
    ctx_.log.AppendColouredLine(colours::kGreen, "*** This page will overwrite the Blog Index Page ***");
    page.PageKind = kHomeKind;
  }
  if (!indexPagesToo) return;
  if (util::equalsNoCase(row.BlogPageName, o.ArchiveIndexPageName)) {
    ctx_.log.AppendColouredLine(colours::kGreen, "*** This page will overwrite the Blog Index by Month Page ***");
    page.PageKind = kIndexKind;
  }
  if (util::equalsNoCase(row.BlogPageName, o.ArticleIndexPageName)) {
    ctx_.log.AppendColouredLine(colours::kGreen, "*** This page will overwrite the Blog Article Index Page ***");
    page.PageKind = kIndexKind;
  }
}

void SitePages::buildArticlePage(const store::BlogRec& row, const PeriodKeys& keys, EntryVars& entry) {
  const auto& o = ctx_.options;
  // The current entry record changes here for good: what the run builds next
  // from it (the end of the last archive page) shows the full text, not the teaser.
  entry.EntryText = AutoFormat(row.BlogText, o.HTMLFormatting);
  entry.EntryUrlRelated = coolLink(row.BlogCoolURL, o.CoolLinkCaption);

  PageVars page;
  page.PageTitle = entry.EntryTitle;
  page.PageKind = kArticleKind;
  const std::string parent = periodLink(archiveAddress(keys), archiveCaption(keys));
  page.PageMenuTree = standardMenuTree() + " : " + parent;
  page.ParentLink = parent;
  page.ParentHref = archiveAddress(keys);
  if (o.ArchiveByCategory != 3 && row.BlogCategory >= 0) {
    if (const CategoryRow* c = category(row.BlogCategory)) {
      const std::string link = categoryParentLink(c->name, c->title, ctx_.names.prefix, ctx_.names.ext);
      page.PageMenuTree = standardMenuTree() + " : " + link;
      page.ParentLink = link;
      page.ParentHref = util::trim(ctx_.names.prefix + c->name) + ctx_.names.ext;
    }
  }
  singlePageMeta(page, row, o);

  nameCheck(row, page, true);

  finishSinglePage(ctx_.names.page(row.BlogPageName), kArticleTemplate, sharedGlobals(), entry, page,
                   entrySource(row));
}

void SitePages::knownArticlePage(const store::BlogRec& row) {
  // Nothing of the page is built; the lines of a name taken from an index page
  // are written as for a page that is.
  PageVars page;
  nameCheck(row, page, true);
  finishSinglePage(ctx_.names.page(row.BlogPageName), kArticleTemplate, sharedGlobals(), EntryVars{}, page,
                   entrySource(row));
}

void SitePages::buildStaticPage(const store::BlogRec& row, const EntryVars& entry) {
  const auto& o = ctx_.options;
  PageVars page;
  page.PageTitle = entry.EntryTitle;
  page.PageKind = row.BlogPageType == store::kHiddenPage ? kHiddenKind : kStaticKind;
  page.PageMenuTree = standardMenuTree();
  page.ParentLink = links_.HomeLink;
  page.ParentHref = links_.HomeHref;
  singlePageMeta(page, row, o);
  nameCheck(row, page, false);
  finishSinglePage(ctx_.names.page(row.BlogPageName), kStaticTemplate, sharedGlobals(), entry, page,
                   entrySource(row));
}

void SitePages::buildRedirectPage(const store::BlogRec& row) {
  const std::string url = util::trim(row.BlogCoolURL);
  if (util::charCount(url) <= 1) {
    ctx_.log.AppendColouredLine(colours::kRed, "*** Error: no URL specified for redirect page ***");
    return;
  }
  // The address goes into attributes and into a script string: each gets it
  // escaped for its place, so no address breaks out of either.
  const std::string attribute = util::escapeAttributeValue(url);
  std::string script;
  for (char c : url) {
    switch (c) {
      case '\\': script += "\\\\"; break;
      case '\'': script += "\\'"; break;
      case '<': script += "\\x3C"; break;
      default: script += c;
    }
  }
  const std::string text = "<!DOCTYPE html><html lang=\"" + globals_.SiteLanguage +
                           "\"><head><meta charset=\"utf-8\"><title>Loading page...</title><meta "
                           "http-equiv=\"refresh\" content=\"2;URL=" +
                           attribute + "\"><script>url='" + script +
                           "'; if(document.images) { top.location.replace(url); }else { top.location.href=url; "
                           "}</script></head><body>Loading <a href=\"" +
                           attribute + "\">page</a>...</body></html>";
  writeFinished(ctx_.names.page(row.BlogPageName), text, entrySource(row));
}

void SitePages::buildFreeFormatPage(const store::BlogRec& row) {
  writeFinished(ctx_.names.freeFormatPage(row.BlogPageName), row.BlogText, entrySource(row));
}

// ---- Home pass ---------------------------------------------------------------

void SitePages::startHomePage(const EntryVars& homeEntry) {
  const auto& o = ctx_.options;
  listed_ = 0;
  homeEntry_ = homeEntry;
  homeVars_ = PageVars{};
  homeVars_.PageKind = kHomeKind;
  const std::string title = util::trim(homeEntry_.EntryTitle);
  homeVars_.PageTitle = title.empty() ? o.BlogTitle : title;
  standardMeta(homeVars_);
  homeText_.clear();
  addSlice(homeText_, kHomeTemplate, templates::kStartOfPage, homeEntry_, homeVars_, globals_);
  if (!homeEntry_.EntryText.empty()) {
    addSlice(homeText_, kHomeTemplate, templates::kArticle, homeEntry_, homeVars_, globals_);
  }
  if (o.ShowRecentOnHome == 1) {
    addSlice(homeText_, kHomeTemplate, templates::kBeforeEntries, homeEntry_, homeVars_, globals_);
  }
}

void SitePages::startFeeds(util::DateTime newestRowDate) {
  auto& o = ctx_.options;
  feedSettings_ = computeFeedSettings(o, ctx_.names.prefix, ctx_.names.ext, newestRowDate, ctx_.now,
                                      ctx_.utcOffsetMinutes);
  warnAboutFeedAddresses(o, feedSettings_, ctx_.log);
  feed_.start(feedSettings_);
}

void SitePages::startRecentPage(const EntryVars& recentEntry) {
  const auto& o = ctx_.options;
  recentEntry_ = recentEntry;
  recentVars_ = PageVars{};
  recentVars_.PageKind = kStaticKind;
  const std::string title = util::trim(recentEntry_.EntryTitle);
  recentVars_.PageTitle = title.empty() ? o.RecentPageTitle : title;
  standardMeta(recentVars_);
  recentText_.clear();
  addSlice(recentText_, kStaticTemplate, templates::kStartOfPage, recentEntry_, recentVars_, globals_);
  if (!recentEntry_.EntryText.empty()) {
    addSlice(recentText_, kStaticTemplate, templates::kArticle, recentEntry_, recentVars_, globals_);
  }
  addSlice(recentText_, kStaticTemplate, templates::kBeforeEntries, recentEntry_, recentVars_, globals_);
}

void SitePages::homePageRow(const store::BlogRec& row, const EntryVars& entry) {
  const auto& o = ctx_.options;
  if (row.BlogPageType != store::kBlogEntry && row.BlogPageType != store::kArticlePage) return;
  if (o.IndexEntries < listed_) return;
  ++listed_;
  if (o.ShowRecentOnHome == 1) {
    addSlice(homeText_, kHomeTemplate, templates::kEachEntry, entry, homeVars_, globals_);
  }
}

void SitePages::feedRow(const store::BlogRec& row, const PeriodKeys& keys, std::string_view text,
                        const std::string* formatted) {
  const auto& o = ctx_.options;
  FeedItem item;
  item.type = row.BlogPageType;
  if (item.type != store::kBlogEntry && item.type != store::kArticlePage) return;
  item.title = row.BlogTitle;
  item.link = feedSettings_.blogAddress + EntryPermalinkHref(ctx_.names, mode_, row, keys);
  item.date = row.BlogDateTime;
  if (feed_.itemCounter() < feedSettings_.itemLimit) {  // the texts only for items that make it
    item.formattedText = formatted ? *formatted : AutoFormat(text, o.HTMLFormatting);
    // A Markdown text's first lines are read without its markup.
    item.plainTeaser =
        CutTeaser(o.HTMLFormatting == kFormatMarkdown ? std::string_view(item.formattedText) : text);
    item.formattedTeaser = CutTeaser(item.formattedText);
    item.coolUrl = row.BlogCoolURL;
  }
  feed_.addItem(item);
}

void SitePages::recentPageRow(const store::BlogRec& row, const EntryVars& entry) {
  // The home page's step for this row has already raised the shared counter,
  // so the recent-entries page lists one entry fewer.
  if (row.BlogPageType != store::kBlogEntry && row.BlogPageType != store::kArticlePage) return;
  if (ctx_.options.IndexEntries < listed_) return;
  addSlice(recentText_, kStaticTemplate, templates::kEachEntry, entry, recentVars_, globals_);
}

bool SitePages::homePassDone() {
  if (ctx_.options.IndexEntries >= listed_ || feed_.itemCounter() < feedSettings_.itemLimit) return false;
  if (entryRows_ > feed_.itemCounter()) feed_.countItemsPastLimit(static_cast<int>(entryRows_ - feed_.itemCounter()));
  return true;
}

void SitePages::finishHomePage(const PeriodKeys* prior) {
  const auto& o = ctx_.options;
  homeVars_.PageMenuTree = standardMenuTree();
  if (o.ShowRecentOnHome == 1) {
    if (prior) {
      homeVars_.PriorHref = archiveAddress(*prior);
      homeVars_.PriorLink = periodLinkWithBlank(homeVars_.PriorHref, archiveCaption(*prior));
    }
    addSlice(homeText_, kHomeTemplate, templates::kAfterEntries, homeEntry_, homeVars_, globals_);
  }
  addSlice(homeText_, kHomeTemplate, templates::kEndOfPage, homeEntry_, homeVars_, globals_);
  if (!ctx_.indexOverwrite) {
    finishPage(ctx_.names.page(o.IndexPageName), homeText_, sharedGlobals(), homeEntry_, homeVars_);
  }
  homeText_.clear();
}

void SitePages::finishFeeds() {
  const auto& o = ctx_.options;
  // The feeds draw their numbers as a page does, through the same seam.
  feed_.finish([] { return util::toIntDef(templates::ResolveCommands("[%RANDOM%]"), 0); });
  if (o.RSS091Feed != 1) writeFinished(ctx_.names.feed(o.RSS091PageName), feed_.rss091());
  writeFinished(ctx_.names.feed(o.RSS20PageName), feed_.rss20());
}

void SitePages::finishRecentPage(const PeriodKeys* prior) {
  const auto& o = ctx_.options;
  recentVars_.PageMenuTree = standardMenuTree();
  if (prior) {
    recentVars_.PriorHref = archiveAddress(*prior);
    recentVars_.PriorLink = periodLinkWithBlank(recentVars_.PriorHref, archiveCaption(*prior));
  }
  addSlice(recentText_, kStaticTemplate, templates::kAfterEntries, recentEntry_, recentVars_, globals_);
  addSlice(recentText_, kStaticTemplate, templates::kEndOfPage, recentEntry_, recentVars_, globals_);
  finishPage(ctx_.names.page(o.RecentPageName), recentText_, sharedGlobals(), recentEntry_, recentVars_);
}

}  // namespace tessary::generator

// ---- The run's plug-in -------------------------------------------------------

namespace tessary::generator {
namespace {

// Plugs SitePages into the passes of a generation run. A fresh SitePages is
// made for every run when the site-wide values are built.
class SitePageBuilders : public PageBuilders {
 public:
  void beginSiteValues(Generator& g) override {
    PageContext ctx{g.options(),
                    g.names(),
                    g.package(),
                    [&g](const std::string& name, PageDraft draft, const std::string& source) {
                      g.submitPage(name, std::move(draft), source);
                    },
                    g.log(),
                    g.indexOverwrite,
                    util::now(),
                    util::utcOffsetMinutes(util::now()),
                    [&g] { return g.siteInputs(); },
                    [&g](const std::string& name, uint64_t digest, PageOutput::BuiltVersion& version) {
                      return g.knownPage(name, digest, version);
                    }};
    pages_ = std::make_unique<SitePages>(std::move(ctx));
    pages_->buildGlobals();
  }

  void listPassRow(Generator& g) override {
    pages_->listPassRow(g.row.rec, g.row.keys);
    pages_->noteRow(g.row.rec, g.row.keys, g.rowDigest);
  }
  void listPassEnd(Generator& g) override {
    pages_->finishListPass(readCategories(g.blog().tblCategory()));
  }

  void archiveIndexPage(Generator&) override { pages_->writeArchiveIndex(); }
  void articleIndexPage(Generator&) override { pages_->writeArticleIndex(); }
  void categoryPages(Generator&) override { pages_->writeCategoryPages(); }
  void categoryIndexPage(Generator&) override { pages_->writeCategoryIndex(); }

  void archiveStart(Generator& g) override { pages_->startArchive(g.row.keys, g.entryVars); }
  void archiveRow(Generator& g) override {
    pages_->archiveEntryRow(g.row.rec, g.row.keys, g.entryVars, std::move(g.laterText), g.laterArticle);
    g.laterText.reset();
  }
  void archiveEnd(Generator& g) override { pages_->finishArchive(g.entryVars); }
  bool archiveRowWithoutRecord(Generator& g) override {
    uint64_t storedRow = 0;
    if (!pages_->nextRowWithoutRecord(g.row.rec, storedRow)) return false;
    g.row.keys = periodKeysOf(g.row.rec.BlogDateTime);
    g.row.valid = true;
    g.row.noted = true;
    util::Digest inputs;
    if (g.row.rec.BlogPageType == store::kArticlePage &&
        (!singlePageInputs(g, inputs) || !g.takeKnownOwnPage(inputs, storedRow))) {
      g.row = {};
      return false;
    }
    pages_->takeRowWithoutRecord();
    return true;
  }
  ArchiveRecord archiveRecord(Generator& g) override {
    switch (pages_->archiveRecord(g.row.rec)) {
      case SitePages::RecordNeed::None: return ArchiveRecord::None;
      case SitePages::RecordNeed::WithoutText: return ArchiveRecord::WithoutText;
      default: return ArchiveRecord::Whole;
    }
  }
  void articlePage(Generator& g) override {
    if (g.row.noted)
      pages_->knownArticlePage(g.row.rec);
    else
      pages_->buildArticlePage(g.row.rec, g.row.keys, g.entryVars);
  }
  void staticPage(Generator& g) override { pages_->buildStaticPage(g.row.rec, g.entryVars); }
  void hiddenPage(Generator& g) override { pages_->buildStaticPage(g.row.rec, g.entryVars); }
  void redirectPage(Generator& g) override { pages_->buildRedirectPage(g.row.rec); }
  void freeFormatPage(Generator& g) override { pages_->buildFreeFormatPage(g.row.rec); }

  void homeStart(Generator& g) override { pages_->startHomePage(g.homeEntryVars); }
  void feedsStart(Generator& g) override { pages_->startFeeds(g.row.valid ? g.row.rec.BlogDateTime : 0); }
  void recentStart(Generator& g) override { pages_->startRecentPage(g.recentEntryVars); }
  bool homeRowNeedsText(Generator& g) override { return pages_->homePassNeedsText(g.row.rec); }
  bool singlePageInputs(Generator& g, util::Digest& inputs) override {
    if (!pages_->textOnlyForOwnPage(g.row.rec)) return false;
    inputs.add(static_cast<int64_t>(pages_->singlePageInputs()));
    return true;
  }
  void homeRow(Generator& g) override {
    const SitePages::KeptEntry* kept = pages_->keptEntry(g.row.rec.BlogKey);
    pages_->homePageRow(g.row.rec, kept ? kept->vars : g.entryVars);
    g.listedEntries = pages_->listedEntries();
  }
  void feedsRow(Generator& g) override {
    if (const SitePages::KeptEntry* kept = pages_->keptEntry(g.row.rec.BlogKey))
      pages_->feedRow(g.row.rec, g.row.keys, kept->text, &kept->formatted);
    else
      pages_->feedRow(g.row.rec, g.row.keys, g.row.rec.BlogText);
    g.feedItems = pages_->feedItems();
  }
  void recentRow(Generator& g) override {
    const SitePages::KeptEntry* kept = pages_->keptEntry(g.row.rec.BlogKey);
    pages_->recentPageRow(g.row.rec, kept ? kept->vars : g.entryVars);
  }
  bool homePassDone(Generator& g) override {
    if (!pages_->homePassDone()) return false;
    g.feedItems = pages_->feedItems();
    return true;
  }
  void homeEnd(Generator& g) override { pages_->finishHomePage(g.hasHomePriorPeriod ? &g.homePriorPeriod : nullptr); }
  void feedsEnd(Generator&) override { pages_->finishFeeds(); }
  void recentEnd(Generator& g) override {
    pages_->finishRecentPage(g.hasHomePriorPeriod ? &g.homePriorPeriod : nullptr);
  }

 private:
  std::unique_ptr<SitePages> pages_;
};

}  // namespace

std::unique_ptr<PageBuilders> makeSitePageBuilders() { return std::make_unique<SitePageBuilders>(); }

}  // namespace tessary::generator
