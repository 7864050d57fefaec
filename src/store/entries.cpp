#include "store/entries.h"

#include "util/date_time.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::store {

namespace {

int32_t integerOr(Table& t, const char* field, int32_t absent) {
  return t.hasField(field) ? t.asInteger(field) : absent;
}

std::string textOf(Table& t, const char* field) { return t.hasField(field) ? t.asString(field) : std::string(); }

void setTextIfPresent(Table& t, const char* field, const std::string& value) {
  if (t.hasField(field)) t.setString(field, value);
}

// A page name becomes a file in the output folder (with prefix and extension),
// so it must be a bare file name. Empty is fine: the generator then does not
// make a page of its own.
bool usablePageName(const std::string& name) { return name.empty() || util::isBareFileName(name); }

std::string badPageNameMessage(const std::string& name) {
  return "The page name \"" + name +
         "\" cannot be used: a page name must be a file name without a folder (no \"/\", no \"\\\", not \".\" "
         "or \"..\", no control characters). Nothing was saved.";
}

// Runs the editor until it is cancelled or returns a record that can be stored.
// A refused record goes back into the editor, so that what the user typed is
// not lost.
bool runEditor(BlogDb& blog, BlogRec& rec, bool categoryMode) {
  for (;;) {
    BlogRec copy = rec;
    if (!blog.ui().runEntryEditor(copy, categoryMode)) return false;
    rec = copy;
    if (usablePageName(rec.BlogPageName)) return true;
    blog.ui().showError(badPageNameMessage(rec.BlogPageName));
  }
}

std::string keyText(int32_t n) { return std::to_string(n); }

}  // namespace

BlogRec readBlogRec(Table& t) {
  BlogRec r;
  r.BlogKey = t.asInteger("BlogKey");
  r.BlogDateTime = t.asDateTime("BlogDateTime");
  r.BlogTitle = t.asString("BlogTitle");
  r.BlogText = t.asString("BlogText");
  r.BlogCategory = t.asInteger("BlogCategory");
  r.BlogCoolURL = t.asString("BlogCoolURL");
  r.BlogPageType = t.asInteger("BlogPageType");
  r.BlogPageName = t.asString("BlogPageName");
  r.BlogTeaser = t.asString("BlogTeaser");
  r.BlogKeywords = t.asString("BlogKeywords");
  r.BlogSidebar = t.asString("BlogSidebar");
  r.BlogExtra1 = t.asString("BlogExtra1");
  r.BlogExtra2 = t.asString("BlogExtra2");
  r.BlogTitle1 = textOf(t, "BlogTitle1");
  r.BlogTitle2 = textOf(t, "BlogTitle2");
  r.BlogMetaDesc = textOf(t, "BlogMetaDesc");
  r.BlogCategory2 = integerOr(t, "BlogCategory2", 0);
  r.BlogCategory3 = integerOr(t, "BlogCategory3", 0);
  return r;
}

void writeBlogRec(Table& t, const BlogRec& r) {
  t.setDateTime("BlogDateTime", r.BlogDateTime);
  t.setString("BlogTitle", r.BlogTitle);
  t.setString("BlogText", r.BlogText);
  t.setInteger("BlogCategory", r.BlogCategory);
  t.setString("BlogCoolURL", r.BlogCoolURL);
  t.setInteger("BlogPageType", r.BlogPageType);
  t.setString("BlogPageName", r.BlogPageName);
  t.setString("BlogKeywords", r.BlogKeywords);
  t.setString("BlogTeaser", r.BlogTeaser);
  t.setString("BlogSidebar", r.BlogSidebar);
  t.setString("BlogExtra1", r.BlogExtra1);
  t.setString("BlogExtra2", r.BlogExtra2);
  setTextIfPresent(t, "BlogTitle1", r.BlogTitle1);
  setTextIfPresent(t, "BlogTitle2", r.BlogTitle2);
  setTextIfPresent(t, "BlogMetaDesc", r.BlogMetaDesc);
  if (t.hasField("BlogCategory2")) t.setInteger("BlogCategory2", r.BlogCategory2);
  if (t.hasField("BlogCategory3")) t.setInteger("BlogCategory3", r.BlogCategory3);
}

BlogRec readCategoryRec(Table& t) {
  BlogRec r;
  r.BlogKey = t.asInteger("CategoryKey");
  r.BlogPageType = kArticlePage;
  r.BlogTitle = t.asString("CategoryTitle");
  r.BlogText = t.asString("CategoryText");
  r.BlogPageName = t.asString("CategoryName");
  r.BlogTeaser = t.asString("CategoryTeaser");
  r.BlogKeywords = t.asString("CategoryKeywords");
  r.BlogSidebar = t.asString("CategorySidebar");
  r.BlogExtra1 = t.asString("CategoryExtra1");
  r.BlogExtra2 = t.asString("CategoryExtra2");
  r.BlogTitle1 = t.asString("CategoryTitle1");
  r.BlogTitle2 = t.asString("CategoryTitle2");
  r.BlogMetaDesc = t.asString("CategoryMetaDesc");
  return r;
}

void writeCategoryRec(Table& t, const BlogRec& r) {
  t.setString("CategoryTitle", r.BlogTitle);
  t.setString("CategoryName", r.BlogPageName);
  t.setString("CategoryText", r.BlogText);
  t.setString("CategoryKeywords", r.BlogKeywords);
  t.setString("CategoryTeaser", r.BlogTeaser);
  t.setString("CategorySidebar", r.BlogSidebar);
  t.setString("CategoryExtra1", r.BlogExtra1);
  t.setString("CategoryExtra2", r.BlogExtra2);
  t.setString("CategoryTitle1", r.BlogTitle1);
  t.setString("CategoryTitle2", r.BlogTitle2);
  t.setString("CategoryMetaDesc", r.BlogMetaDesc);
}

bool hasPageName(int32_t type) {
  return type == kArticlePage || type == kStaticPage || type == kHiddenPage || type == kRedirectPage ||
         type == kFreeFormatPage;
}

void applyEntrySaveRules(BlogRec& rec) {
  if (hasPageName(rec.BlogPageType)) {
    if (util::charCount(rec.BlogPageName) < 2) rec.BlogPageName = util::formatDateTime("yyyymmddhhnnss", util::now());
  } else {
    rec.BlogPageName.clear();
  }
}

bool findEntry(BlogDb& blog, int32_t blogKey) { return blogKey > 0 && blog.tblBlog().gotoBookmark(blogKey); }

bool findCategory(BlogDb& blog, int32_t categoryKey) {
  Table& t = blog.tblCategory();
  if (!util::equalsNoCase(t.indexName(), kDisplayKey)) t.setIndex(kDisplayKey);
  return t.findKey(FieldValue(categoryKey));
}

// The commands that open the entry editor check at the start that no other
// command runs, but hold the blog only after the editor: its pickers have
// buttons that add a category, a picture or a file while it is open.

bool AddEntry(BlogDb& blog) {
  blog.requireIdle("Add Entry");
  BlogRec rec = newBlogRec();
  if (!runEditor(blog, rec, false)) return false;
  BlogDb::RunScope run(blog, "Add Entry");
  Table& t = blog.tblBlog();
  t.insert();
  writeBlogRec(t, rec);
  t.post();
  return true;
}

bool EditEntry(BlogDb& blog) {
  blog.requireIdle("Edit Entry");
  Table& t = blog.tblBlog();
  if (!hasCurrentRow(t)) return false;
  BlogRec rec = readBlogRec(t);
  const Table::Bookmark row = t.bookmark();
  if (!runEditor(blog, rec, false)) return false;
  BlogDb::RunScope run(blog, "Edit Entry");
  // The editor may have moved the shared cursor (its pickers act on other
  // tables, but a front end may scroll the grid): write to the row it was given.
  if (t.bookmark() != row && !t.gotoBookmark(row))
    throw StoreError("Entry " + keyText(rec.BlogKey) + " no longer exists; the changes were not saved");
  t.edit();
  writeBlogRec(t, rec);
  t.post();
  return true;
}

bool RemoveEntry(BlogDb& blog) {
  BlogDb::RunScope run(blog, "Remove Entry");
  Table& t = blog.tblBlog();
  if (!hasCurrentRow(t)) return false;
  const std::string question = "Remove Blog Entry? \n\n" + t.asString("BlogTitle") + " (" +
                               util::formatDateTime("yyyy-mm-dd hh:nn:ss", t.asDateTime("BlogDateTime")) + ").";
  if (blog.ui().confirm(question, Buttons::OkCancel) != Answer::Ok) return false;
  t.deleteRow();
  return true;
}

bool AddCategory(BlogDb& blog) {
  blog.requireIdle("Add Category");
  Table& t = blog.tblCategory();
  if (t.recordCount() >= kMaxCategories) {
    blog.ui().showMessage("Tessary allows a maximum of " + std::to_string(kMaxCategories) + " categories.");
    return false;
  }
  BlogRec rec = newBlogRec();
  rec.BlogPageType = kArticlePage;
  rec.BlogPageName = "c" + util::formatDateTime("yyyymmddhhnnss", rec.BlogDateTime);
  if (!runEditor(blog, rec, true)) return false;
  BlogDb::RunScope run(blog, "Add Category");
  t.insert();
  writeCategoryRec(t, rec);
  t.post();
  return true;
}

bool EditCategory(BlogDb& blog) {
  blog.requireIdle("Edit Category");
  Table& t = blog.tblCategory();
  if (!hasCurrentRow(t)) return false;
  BlogRec rec = readCategoryRec(t);
  const Table::Bookmark row = t.bookmark();
  if (!runEditor(blog, rec, true)) return false;
  BlogDb::RunScope run(blog, "Edit Category");
  if (t.bookmark() != row && !t.gotoBookmark(row))
    throw StoreError("Category " + keyText(rec.BlogKey) + " no longer exists; the changes were not saved");
  t.edit();
  writeCategoryRec(t, rec);
  t.post();
  return true;
}

namespace {

// Closes the status popup however the walk ends.
class StatusPopup {
 public:
  StatusPopup(UserInterface& ui, const std::string& caption, const std::string& message) : ui_(ui) {
    ui_.statusShow(message);
    ui_.statusSetCaption(caption);
  }
  ~StatusPopup() { close(); }
  void set(const std::string& message) { ui_.statusSetMessage(message); }
  void close() {
    if (open_) ui_.statusClose();
    open_ = false;
  }
  StatusPopup(const StatusPopup&) = delete;
  StatusPopup& operator=(const StatusPopup&) = delete;

 private:
  UserInterface& ui_;
  bool open_ = true;
};

}  // namespace

bool RemoveCategory(BlogDb& blog) {
  // Held through the scan, the questions and the clearing: both walks move the
  // current row of tblBlog.
  BlogDb::RunScope run(blog, "Remove Category");
  Table& cats = blog.tblCategory();
  Table& entries = blog.tblBlog();
  if (!hasCurrentRow(cats)) return false;
  UserInterface& ui = blog.ui();

  const Table::Bookmark categoryRow = cats.bookmark();
  const std::string title = cats.asString("CategoryTitle");
  const int32_t k = cats.asInteger("CategoryKey");
  int used = 0;
  {
    StatusPopup popup(ui, "Checking Blog...", "Checking Blog for existing category \"" + title + "\"...");
    const Table::Bookmark entryRow = entries.bookmark();
    int read = 0;
    for (entries.first(); !entries.eof(); entries.next()) {
      ++read;
      if (entries.asInteger("BlogCategory") == k) ++used;
      popup.set("Checking Record  " + std::to_string(read) + ". Found " + std::to_string(used) + " so far...");
    }
    if (entryRow != 0) entries.gotoBookmark(entryRow);
    popup.set("Complete...");
  }
  cats.gotoBookmark(categoryRow);

  if (used > 0 && ui.warn("Category \"" + title + "\" is being used on " + std::to_string(used) + " entries." + "\n\n" +
                              "Continue?",
                          Buttons::OkCancel) != Answer::Ok)
    return false;
  if (ui.confirm("Remove Category \" " + title + "\"", Buttons::OkCancel) != Answer::Ok) return false;

  // The category and its uses go together: a failure while clearing the entries
  // rolls the deletion back, so no entry is left pointing at a missing category.
  Transaction tx(blog.database());
  cats.deleteRow();
  if (used > 0) {
    StatusPopup popup(ui, "Updating Blog...", "Removing category \"" + title + "\" from entries...");
    const Table::Bookmark entryRow = entries.bookmark();
    int read = 0, cleared = 0;
    for (entries.first(); !entries.eof(); entries.next()) {
      ++read;
      if (entries.asInteger("BlogCategory") == k) {
        entries.edit();
        entries.setInteger("BlogCategory", kNoCategory);
        entries.post();
        ++cleared;
      }
      popup.set("Checking Record  " + std::to_string(read) + ". Cleared " + std::to_string(cleared) +
                " so far...");
    }
    if (entryRow != 0) entries.gotoBookmark(entryRow);
    popup.set("Complete...");
  }
  tx.commit();
  return true;
}

}  // namespace tessary::store
