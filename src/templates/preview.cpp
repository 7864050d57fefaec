#include "templates/preview.h"

#include <stdexcept>

#include "store/user_interface.h"
#include "templates/package.h"
#include "util/files.h"

namespace tessary::templates {
namespace {

std::string anchor(const std::string& text, const char* cssClass = "menulink") {
  return "<A HREF=\"#\" class=\"" + std::string(cssClass) + "\">" + text + "</A>";
}

std::string column(const std::string& text, const char* cssClass = "menulink") {
  return anchor(text, cssClass) + "<BR>" + anchor(text, cssClass);
}

std::string row(const std::string& text, const char* cssClass = "menulink") {
  return anchor(text, cssClass) + " | " + anchor(text, cssClass);
}

std::string repeated(const std::string& text, int times) {
  std::string out = text;
  for (int i = 1; i < times; ++i) out += " " + text;
  return out;
}

void writeOrThrow(const std::string& path, const std::string& bytes) {
  if (Status s = util::writeFileAtomic(path, bytes); !s.ok()) throw std::runtime_error(s.message());
}

struct PreviewPage {
  const char* file;
  const char* caption;
};

constexpr PreviewPage kPages[] = {
    {"1article.html", "Default Template with ARTICLE"},
    {"1entries.html", "Default Template with ENTRIES"},
    {"2article.html", "Home Page with ARTICLE"},
    {"2entries.html", "Home Page with ENTRIES"},
    {"3article.html", "Archive Index Template with ARTICLE"},
    {"3entries.html", "Archive Index Template with ENTRIES"},
    {"4article.html", "Archive Entry Template with ARTICLE"},
    {"4entries.html", "Archive Entry Template with ENTRIES"},
    {"5article.html", "Article Template with ARTICLE"},
    {"5entries.html", "Article Template with ENTRIES"},
    {"6article.html", "Static Template with ARTICLE"},
    {"6entries.html", "Static Template with ENTRIES"},
};

}  // namespace

templateEntryVars previewEntryVars() {
  templateEntryVars e;
  e.EntryId = "var_entry_id";
  e.EntryTitle = "var_entry_title";
  e.EntryDate = "var_entry_date";
  e.EntryDateWords = "var_entry_date_words";
  e.EntryText = "Var_entry_text";
  for (int i = 0; i < 8; ++i) e.EntryText += " var_entry_text";
  e.EntryText += "<p>Var_entry_text";
  for (int i = 0; i < 11; ++i) e.EntryText += " var_entry_text";
  e.EntryUrlRelated = anchor("var_entry_url_related", "entrylink");
  e.EntryTeaser = repeated("var_entry_BlogTeaser", 3);
  e.EntryKeywords = "var_entry_BlogKeywords";
  e.EntrySidebar = repeated("var_entry_BlogSidebar", 3);
  e.EntryCustomField1 = repeated("var_entry_BlogExtra1", 3);
  e.EntryCustomField2 = repeated("var_entry_BlogExtra2", 3);
  e.EntryCustomTitle1 = "var_entry_BlogTitle1";
  e.EntryCustomTitle2 = "var_entry_BlogTitle2";
  e.EntryDescription = "var_entry_BlogMetaDesc";
  e.EntryPermalinkHref = "var_entry_permalink_href";
  return e;
}

templatePageVars previewPageVars(int k) {
  templatePageVars p;
  p.PageTitle = "var_thispage_title";
  p.PageMenuTree = anchor("var_thispage_menutree") + " : " + anchor("var_thispage_menutree");
  p.PageKind = k;
  p.PriorLink = anchor("var_linkto_prior");
  p.PriorHref = "var_linkto_prior_href";
  p.NextLink = anchor("var_linkto_next");
  p.NextHref = "var_linkto_next_href";
  p.ParentLink = anchor("var_linkto_parent");
  p.ParentHref = "var_linkto_parent_href";
  p.PageKeywords = "var_KeywordsMetaTag";
  p.PageDescription = "var_DescriptionMetaTag";
  return p;
}

templateGlobalVars previewGlobalVars() {
  templateGlobalVars g;
  g.MainTitle = "var_mainpage_title";
  g.MainUrl = "var_mainpage_url";
  g.SiteLanguage = "en";
  g.MainAbout = repeated("var_mainpage_about", 4);
  g.MonthLinksColumn = column("var_links_by_month_column");
  g.MonthLinksRow = row("var_links_by_month_row");
  g.StaticLinksColumn = column("var_links_static_column");
  g.StaticLinksRow = row("var_links_static_row");
  g.NavbarColumn = column("var_navbar_column", "navbtn");
  g.NavbarRow = row("var_navbar_row", "navbtn");
  g.ArticleLinksColumn = column("var_links_articles_column");
  g.ArticleLinksRow = row("var_links_articles_row");
  g.ArticleIndexList = column("var_links_articles_list");
  g.ParentSiteLink = anchor("var_linkto_parent_site");
  g.HomeLink = anchor("var_linkto_index_mainpage");
  g.HomeHref = "var_linkto_index_mainpage_href";
  g.ArticleIndexLink = anchor("var_linkto_index_articles");
  g.ArticleIndexHref = "var_linkto_index_articles_href";
  g.MonthIndexLink = anchor("var_linkto_index_by_month");
  g.MonthIndexHref = "var_linkto_index_by_month_href";
  g.Rss20FileName = "rss.xml";
  g.Rss091FileName = "index.rss";
  g.DefaultKeywords = "var_BlogDefaultKeywordsMetaTag";
  g.DefaultDescription = "var_BlogDefaultDescriptionMetaTag";
  std::string* custom[] = {&g.CustomTag1, &g.CustomTag2, &g.CustomTag3, &g.CustomTag4, &g.CustomTag5,
                           &g.CustomTag6, &g.CustomTag7, &g.CustomTag8, &g.CustomTag9, &g.CustomTag10};
  for (int i = 0; i < 10; ++i) *custom[i] = "var_BlogCustomTags" + std::to_string(i + 1);
  g.CategoryIndexLink = "var_linkto_index_category";
  g.CategoryLinksColumn = "var_links_by_category_column";
  g.CategoryLinksRow = "var_links_by_category_row";
  g.RecentLink = "var_linkto_index_recententries";
  g.RecentHref = "var_linkto_index_recententries_href";
  return g;
}

std::string previewFolder(const std::string& programFolder) {
  return util::joinPath(util::joinPath(programFolder, "HTML"), "TemplatePreview") + "/";
}

std::string BuildTemplatePreview(const std::string& programFolder, const std::vector<std::string>& packageLines,
                                 const std::string& packageFileName, store::UserInterface& ui) {
  return BuildTemplatePreview(programFolder, packageLines, packageFileName, ui, LoadedTemplatePackage());
}

std::string BuildTemplatePreview(const std::string& programFolder, const std::vector<std::string>& packageLines,
                                 const std::string& packageFileName, store::UserInterface& ui,
                                 TemplatePackage& loaded) {
  // The status popup closes on every way out, a thrown file error included.
  struct StatusGuard {
    store::UserInterface& ui;
    bool open = true;
    void close() {
      if (open) ui.statusClose();
      open = false;
    }
    ~StatusGuard() { close(); }
  };
  ui.statusShow("Building Preview Pages");
  StatusGuard guard{ui};

  const std::string folder = previewFolder(programFolder);
  if (!util::createDirectories(folder).ok()) throw std::runtime_error("Cannot create " + folder);

  std::string name = util::fileNameOf(packageFileName);
  if (!util::isBareFileName(name)) name = "untitled.tem";
  const std::string copy = folder + name;
  writeOrThrow(copy, joinPackageLines(packageLines));
  // Like the generator, the preview reads the package back through the usual
  // checks; a damaged package has been reported and previews as far as it goes.
  loaded.OpenTemplatePackage(copy, ui);
  loaded.SplitTemplatePackage();

  for (size_t i = kMandatoryRecords; i < packageLines.size(); ++i) {
    FileRecord rec;
    if (!parseFileRecord(packageLines[i], rec)) continue;
    if (!util::isBareFileName(rec.name)) {
      ui.statusSetMessage("Skipped a file record on line " + std::to_string(i + 1) + ": its name \"" + rec.name +
                          "\" is not a bare file name");
      continue;
    }
    ui.statusSetMessage("Extracting " + rec.name);
    HexToFile(rec.hex, folder + rec.name);
  }

  const templateEntryVars entry = previewEntryVars();
  const templateGlobalVars global = previewGlobalVars();
  static constexpr int kArticleSlices[] = {1, 2, 6};
  static constexpr int kEntriesSlices[] = {1, 3, 4, 4, 4, 5, 6};
  for (int k = 1; k <= kTemplateCount; ++k) {
    const templatePageVars page = previewPageVars(k);
    auto build = [&](const int* slices, size_t count, const char* file) {
      std::string text;
      for (size_t i = 0; i < count; ++i) text = FillEntryTags(loaded, k, std::move(text), slices[i], entry, page, global);
      text = FillPageTags(std::move(text), global, entry, page);
      text = ResolveCommands(text, global, entry, page);
      ui.statusSetMessage(std::string("Building ") + file);
      writeOrThrow(folder + file, text);
    };
    build(kArticleSlices, std::size(kArticleSlices), kPages[2 * (k - 1)].file);
    build(kEntriesSlices, std::size(kEntriesSlices), kPages[2 * (k - 1) + 1].file);
  }

  ui.statusSetMessage("Building index.html");
  std::string index = "<HTML><BODY><B>Preview of " + name + "<P></B>";
  for (const PreviewPage& p : kPages)
    index += "<A HREF=\"" + std::string(p.file) + "\">" + p.caption + "</A><P>";
  index += "</BODY></HTML>";
  const std::string indexPath = folder + "index.html";
  writeOrThrow(indexPath, index);
  ui.statusSetMessage("Building Preview Pages - complete");
  guard.close();

  if (!util::fileExists(indexPath)) {
    ui.showMessage("Error: Index File is missing. Preview failed.\n\n" + indexPath);
    return {};
  }
  return indexPath;
}

}  // namespace tessary::templates
