// Commands on entries and categories. The command's options stand in for the
// entry editor: they fill the record the store hands to the editor, and the
// editor's Save rules for the page name apply as they do in the window.
#include <iostream>
#include <optional>

#include "cli/cli.h"
#include "cli/dialog_ui.h"
#include "store/blog_db.h"
#include "store/entries.h"
#include "util/date_time.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::cli {
namespace {

using store::BlogDb;
using store::BlogRec;

constexpr uint64_t kMaxTextFileBytes = uint64_t{64} << 20;

// The fields an editor run changes; absent ones keep their value.
struct EditorArgs {
  std::optional<std::string> title, text, pageName, coolUrl, teaser, keywords, description, sidebar, extra1, extra2,
      title1, title2;
  std::optional<int32_t> type;
  std::optional<util::DateTime> date;
  std::optional<int32_t> category, category2, category3;

  bool empty() const {
    return !title && !text && !pageName && !coolUrl && !teaser && !keywords && !description && !sidebar && !extra1 &&
           !extra2 && !title1 && !title2 && !type && !date && !category && !category2 && !category3;
  }
};

int32_t keyArgument(const std::string& text, const std::string& what) {
  int v = 0;
  if (!util::parseInt(text, v)) throw UsageError(what + " must be a whole number, not \"" + text + "\"");
  return v;
}

EditorArgs parseEditorArgs(Args& a, bool categoryMode) {
  EditorArgs e;
  e.title = a.option("--title");
  e.text = a.option("--text");
  if (auto file = a.option("--text-file")) {
    if (e.text) throw UsageError("give either --text or --text-file, not both");
    if (!util::fileExists(*file) && util::fileSize(*file) >= 0)
      throw std::runtime_error("Cannot read " + *file + ": not a plain file");
    std::string bytes;
    const Status st = util::readFile(*file, bytes, kMaxTextFileBytes);
    if (!st.ok()) throw std::runtime_error(st.message());
    e.text = std::move(bytes);
  }
  e.pageName = a.option("--page-name");
  e.teaser = a.option("--teaser");
  e.keywords = a.option("--keywords");
  e.description = a.option("--description");
  e.sidebar = a.option("--sidebar");
  e.extra1 = a.option("--extra1");
  e.extra2 = a.option("--extra2");
  e.title1 = a.option("--title1");
  e.title2 = a.option("--title2");
  if (categoryMode) return e;

  e.coolUrl = a.option("--cool-url");
  if (auto t = a.option("--type")) {
    const int32_t v = keyArgument(*t, "--type");
    if (v < 0 || v > 7) throw UsageError("--type must be 0 to 7 (0 Blog Entry ... 7 Free Format Page)");
    e.type = v;
  }
  if (auto d = a.option("--date")) {
    util::DateTime v = 0;
    if (!util::parseStorageText(util::trim(*d), v))
      throw UsageError("--date must be \"YYYY-MM-DD hh:nn:ss\", not \"" + *d + "\"");
    e.date = v;
  }
  if (auto c = a.option("--category")) e.category = keyArgument(*c, "--category");
  if (auto c = a.option("--category2")) e.category2 = keyArgument(*c, "--category2");
  if (auto c = a.option("--category3")) e.category3 = keyArgument(*c, "--category3");
  return e;
}

// The editor picks categories from the category table, so only stored keys
// (or -1 for none) can be chosen.
void checkCategory(BlogDb& blog, const std::optional<int32_t>& key, const char* option) {
  if (!key || *key == store::kNoCategory) return;
  store::Table& t = blog.tblCategory();
  const store::Table::Bookmark mark = t.bookmark();
  const bool found = store::findCategory(blog, *key);
  if (mark != 0) t.gotoBookmark(mark);
  if (!found)
    throw std::runtime_error(std::string(option) + ": no category has the key " + std::to_string(*key) + " in " +
                             blog.fileName());
}

void applyEditorArgs(const EditorArgs& e, BlogRec& r) {
  if (e.title) r.BlogTitle = *e.title;
  if (e.text) r.BlogText = *e.text;
  if (e.pageName) r.BlogPageName = *e.pageName;
  if (e.coolUrl) r.BlogCoolURL = *e.coolUrl;
  if (e.teaser) r.BlogTeaser = *e.teaser;
  if (e.keywords) r.BlogKeywords = *e.keywords;
  if (e.description) r.BlogMetaDesc = *e.description;
  if (e.sidebar) r.BlogSidebar = *e.sidebar;
  if (e.extra1) r.BlogExtra1 = *e.extra1;
  if (e.extra2) r.BlogExtra2 = *e.extra2;
  if (e.title1) r.BlogTitle1 = *e.title1;
  if (e.title2) r.BlogTitle2 = *e.title2;
  if (e.type) r.BlogPageType = *e.type;
  if (e.date) r.BlogDateTime = *e.date;
  if (e.category) r.BlogCategory = *e.category;
  if (e.category2) r.BlogCategory2 = *e.category2;
  if (e.category3) r.BlogCategory3 = *e.category3;
  store::applyEntrySaveRules(r);
}

int cmdAddEntry(Context& c) {
  const std::string file = c.args.positional("BLOG");
  const EditorArgs e = parseEditorArgs(c.args, false);
  c.args.finish();
  if (!e.title) throw UsageError("--title is required");
  OpenedBlog o(c, file);
  checkCategory(o.blog, e.category, "--category");
  checkCategory(o.blog, e.category2, "--category2");
  checkCategory(o.blog, e.category3, "--category3");
  o.ui.entryEditor = [&](BlogRec& r, bool) { applyEditorArgs(e, r); };
  if (!store::AddEntry(o.blog)) return kFailure;
  std::cout << "Added entry " << o.blog.tblBlog().currentRowId() << ": "
            << listingCell(o.blog.tblBlog().asString("BlogTitle")) << "\n";
  o.blog.CloseBlog();
  return kSuccess;
}

int cmdEditEntry(Context& c) {
  const std::string file = c.args.positional("BLOG");
  const int32_t key = keyArgument(c.args.positional("KEY"), "KEY");
  const EditorArgs e = parseEditorArgs(c.args, false);
  c.args.finish();
  if (e.empty()) throw UsageError("give at least one field to change");
  OpenedBlog o(c, file);
  if (!store::findEntry(o.blog, key))
    throw std::runtime_error("No entry has the key " + std::to_string(key) + " in " + file);
  checkCategory(o.blog, e.category, "--category");
  checkCategory(o.blog, e.category2, "--category2");
  checkCategory(o.blog, e.category3, "--category3");
  o.ui.entryEditor = [&](BlogRec& r, bool) { applyEditorArgs(e, r); };
  if (!store::EditEntry(o.blog)) return kFailure;
  o.blog.CloseBlog();
  return kSuccess;
}

int cmdRemoveEntry(Context& c) {
  const std::string file = c.args.positional("BLOG");
  const int32_t key = keyArgument(c.args.positional("KEY"), "KEY");
  c.args.finish();
  OpenedBlog o(c, file);
  if (!store::findEntry(o.blog, key))
    throw std::runtime_error("No entry has the key " + std::to_string(key) + " in " + file);
  if (!store::RemoveEntry(o.blog)) {
    std::cerr << "Entry " << key << " was not removed.\n";
    return kFailure;
  }
  o.blog.CloseBlog();
  return kSuccess;
}

int cmdAddCategory(Context& c) {
  const std::string file = c.args.positional("BLOG");
  const EditorArgs e = parseEditorArgs(c.args, true);
  c.args.finish();
  if (!e.title) throw UsageError("--title is required");
  OpenedBlog o(c, file);
  o.ui.entryEditor = [&](BlogRec& r, bool) { applyEditorArgs(e, r); };
  if (!store::AddCategory(o.blog)) return kFailure;
  std::cout << "Added category " << o.blog.tblCategory().currentRowId() << ": "
            << listingCell(o.blog.tblCategory().asString("CategoryTitle")) << "\n";
  o.blog.CloseBlog();
  return kSuccess;
}

int cmdEditCategory(Context& c) {
  const std::string file = c.args.positional("BLOG");
  const int32_t key = keyArgument(c.args.positional("KEY"), "KEY");
  const EditorArgs e = parseEditorArgs(c.args, true);
  c.args.finish();
  if (e.empty()) throw UsageError("give at least one field to change");
  OpenedBlog o(c, file);
  if (!store::findCategory(o.blog, key))
    throw std::runtime_error("No category has the key " + std::to_string(key) + " in " + file);
  o.ui.entryEditor = [&](BlogRec& r, bool) { applyEditorArgs(e, r); };
  if (!store::EditCategory(o.blog)) return kFailure;
  o.blog.CloseBlog();
  return kSuccess;
}

int cmdRemoveCategory(Context& c) {
  const std::string file = c.args.positional("BLOG");
  const int32_t key = keyArgument(c.args.positional("KEY"), "KEY");
  c.args.finish();
  OpenedBlog o(c, file);
  if (!store::findCategory(o.blog, key))
    throw std::runtime_error("No category has the key " + std::to_string(key) + " in " + file);
  if (!store::RemoveCategory(o.blog)) {
    std::cerr << "Category " << key << " was not removed.\n";
    return kFailure;
  }
  o.blog.CloseBlog();
  return kSuccess;
}

// A category column of the listing: -1 for none, whether the entry was stored
// with the marker or without any value (the sample entries of a new blog).
int32_t listedCategory(int32_t key) { return key > 0 ? key : store::kNoCategory; }

int cmdEntries(Context& c) {
  const std::string file = c.args.positional("BLOG");
  c.args.finish();
  OpenedBlog o(c, file);
  store::Table& t = o.blog.tblBlog();
  for (t.first(); !t.eof(); t.next()) {
    const BlogRec r = store::readBlogRec(t);
    std::cout << r.BlogKey << '\t' << util::formatDateTime("yyyy-mm-dd hh:nn:ss", r.BlogDateTime) << '\t'
              << r.BlogPageType << '\t' << listingCell(r.BlogTitle) << '\t' << listingCell(r.BlogPageName) << '\t'
              << listedCategory(r.BlogCategory) << '\t' << listedCategory(r.BlogCategory2) << '\t'
              << listedCategory(r.BlogCategory3) << '\n';
  }
  o.blog.CloseBlog();
  return kSuccess;
}

int cmdCategories(Context& c) {
  const std::string file = c.args.positional("BLOG");
  c.args.finish();
  OpenedBlog o(c, file);
  store::Table& t = o.blog.tblCategory();
  for (t.first(); !t.eof(); t.next())
    std::cout << t.asInteger("CategoryKey") << '\t' << listingCell(t.asString("CategoryTitle")) << '\t'
              << listingCell(t.asString("CategoryName")) << '\n';
  o.blog.CloseBlog();
  return kSuccess;
}

constexpr const char* kEntryOptions =
    "[--text T | --text-file F] [--type 0-7] [--date \"YYYY-MM-DD hh:nn:ss\"] [--page-name P] [--category K] "
    "[--category2 K] [--category3 K] [--cool-url U] [--teaser T] [--keywords K] [--description D] [--sidebar T] "
    "[--extra1 T] [--extra2 T] [--title1 T] [--title2 T]";
constexpr const char* kCategoryOptions =
    "[--page-name P] [--text T | --text-file F] [--teaser T] [--keywords K] [--description D] [--sidebar T] "
    "[--extra1 T] [--extra2 T] [--title1 T] [--title2 T]";

const RegisterCommand kAddEntry({"add-entry", std::string("add-entry BLOG --title T ") + kEntryOptions,
                                 "Add an entry; prints \"Added entry KEY: TITLE\".", cmdAddEntry});
const RegisterCommand kEditEntry({"edit-entry", std::string("edit-entry BLOG KEY [--title T] ") + kEntryOptions,
                                  "Change the given fields of an entry.", cmdEditEntry});
const RegisterCommand kRemoveEntry({"remove-entry", "remove-entry BLOG KEY",
                                    "Remove an entry (asks; --yes answers OK).", cmdRemoveEntry});
const RegisterCommand kAddCategory({"add-category", std::string("add-category BLOG --title T ") + kCategoryOptions,
                                    "Add a category; prints \"Added category KEY: TITLE\".", cmdAddCategory});
const RegisterCommand kEditCategory({"edit-category",
                                     std::string("edit-category BLOG KEY [--title T] ") + kCategoryOptions,
                                     "Change the given fields of a category.", cmdEditCategory});
const RegisterCommand kRemoveCategory({"remove-category", "remove-category BLOG KEY",
                                       "Remove a category and clear it from the entries that use it (asks; --yes "
                                       "answers OK).",
                                       cmdRemoveCategory});
const RegisterCommand kEntries({"entries", "entries BLOG",
                                "List the entries, newest first: BlogKey, date-time, type, title, page name, the "
                                "three categories (-1: none).",
                                cmdEntries});
const RegisterCommand kCategories({"categories", "categories BLOG",
                                   "List the categories: CategoryKey, title, page name.", cmdCategories});

}  // namespace
}  // namespace tessary::cli
