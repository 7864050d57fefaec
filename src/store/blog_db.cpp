#include "store/blog_db.h"

#include "util/date_time.h"
#include "util/files.h"

namespace tessary::store {

const char* entryTypeText(int32_t type) {
  static const char* kTexts[8] = {"Blog Entry",  "Article Page",        "Static Page",   "Hidden Page",
                                  "Home Page",   "Recent Entries Page", "Redirect page", "Free Format Page"};
  return type >= 0 && type < 8 ? kTexts[type] : "";
}

BlogRec newBlogRec() {
  BlogRec r;
  r.BlogDateTime = util::now();
  return r;
}

BlogDb::BlogDb(std::string programFolder, UserInterface& ui)
    : programFolder_(std::move(programFolder)), ui_(&ui) {
  tblBlog_ = std::make_unique<Table>(db_, blogTableDef());
  tblPictures_ = std::make_unique<Table>(db_, picturesTableDef());
  tblFiles_ = std::make_unique<Table>(db_, filesTableDef());
  tblOptions_ = std::make_unique<Table>(db_, optionsTableDef());
  tblCategory_ = std::make_unique<Table>(db_, categoryTableDef());
  tblPages_ = std::make_unique<Table>(db_, pagesTableDef());
}

BlogDb::~BlogDb() {
  try {
    CloseBlog();
  } catch (...) {
  }
}

Table* BlogDb::table(int i) {
  Table* all[6] = {tblBlog_.get(), tblPictures_.get(), tblFiles_.get(),
                   tblOptions_.get(), tblCategory_.get(), tblPages_.get()};
  return i >= 0 && i < 6 ? all[i] : nullptr;
}

void BlogDb::openTables() {
  for (int i = 0; i < 6; ++i) {
    Table* t = table(i);
    if (!t->isOpen()) t->open();
  }
  for (int i = 0; i < 6; ++i) table(i)->first();
}

void BlogDb::closeTables() {
  for (int i = 0; i < 6; ++i) table(i)->close();
}

void BlogDb::writeVersionRow() {
  Table& t = tblOptions();
  Transaction tx(db_);
  if (t.findKey(FieldValue(kVersionOptionKey))) t.deleteRow();
  t.insertRecord({kVersionOptionKey, "Internal File Version", std::to_string(kCurrentFileVersion),
                  kCurrentFileVersion, FieldValue::null()});
  tx.commit();
}

void BlogDb::requireIdle(const std::string& command) const {
  if (running()) throw StoreError("Cannot start " + command + " while " + runningCommand_ + " is running.");
}

BlogDb::RunScope::RunScope(BlogDb& blog, std::string command) : blog_(blog) {
  if (command.empty()) command = "a command";
  blog_.requireIdle(command);
  blog_.runningCommand_ = std::move(command);
}

BlogDb::RunScope::~RunScope() { blog_.runningCommand_.clear(); }

void BlogDb::LoadOptions() { store::LoadOptions(tblOptions(), options_, programFolder_); }

void BlogDb::SaveOptions() { store::SaveOptions(tblOptions(), options_); }

int BlogDb::fileVersion() {
  Table& t = tblOptions();
  const Table::Bookmark mark = t.bookmark();
  int v = 1;
  if (t.findKey(FieldValue(kVersionOptionKey))) v = t.asInteger("OptionInteger");
  if (mark != 0) t.gotoBookmark(mark);
  return v;
}

void BlogDb::insertSampleEntry(int32_t type, const char* title, const char* text, const char* pageName) {
  Table& t = tblBlog();
  t.insert();
  t.setDateTime("BlogDateTime", util::now());
  t.setInteger("BlogPageType", type);
  t.setString("BlogTitle", title);
  t.setString("BlogText", text);
  t.setString("BlogPageName", pageName);
  t.post();
}

bool BlogDb::CreateBlog(const std::string& fileName) {
  CloseBlog();
  if (util::fileExists(fileName) || util::directoryExists(fileName)) {
    ui_->showMessage("Blog already Exists -- choose \"Open Blog\" rather than \"Start a New Blog\".\n\n" +
                     util::absolutePath(fileName));
    return false;
  }
  db_.create(fileName);
  try {
    lock_.acquire(fileName);
    // The tables, the version row and every option row appear together or not at all.
    {
      Transaction tx(db_);
      const TableDef* before[4] = {&blogTableDef(), &picturesTableDef(), &filesTableDef(), &optionsTableDef()};
      for (int i = 0; i < 4; ++i) {
        if (!db_.tableExists(before[i]->name)) db_.createTable(*before[i]);
        table(i)->open();
      }
      writeVersionRow();
      if (!db_.tableExists(tables::kCategory)) db_.createTable(categoryTableDef());
      tblCategory().open();
      if (!db_.tableExists(tables::kPages)) db_.createTable(pagesTableDef());
      tblPages().open();
      openTables();
      SetDefaultOptions(options_, programFolder_);
      LoadOptions();
      SaveOptions();
      tx.commit();
    }

    if (ui_->confirm("Question 1 of 5 \n\nWould you like to see \"Recent Entries\" on your home page?",
                     Buttons::YesNo) == Answer::Yes) {
      insertSampleEntry(kHomePage, "", "", "");
      insertSampleEntry(kRecentEntriesPage, "", "", "");
    } else {
      options_.ShowRecentOnHome = 0;
      options_.RecentInNavBar = 1;
      SaveOptions();
      insertSampleEntry(kHomePage, "",
                        "This is a sample home page.<p>You can change it by editing \"home page\" entry in the blog "
                        "entry list.<p>Recent Entries can be found on [%linkto.index.recententries.css%]. ",
                        "");
      insertSampleEntry(kRecentEntriesPage, "", "", "");
    }
    if (ui_->confirm("Question 2 of 5 \n\nWould you like to insert an \"About\" page for your Blog?",
                     Buttons::YesNo) == Answer::Yes)
      insertSampleEntry(kStaticPage, "About Me", "Please enter some information here...", "about");
    if (ui_->confirm("Question 3 of 5 \n\nWould you like to insert a \"Links\" page for your Blog?",
                     Buttons::YesNo) == Answer::Yes)
      insertSampleEntry(kStaticPage, "Links", "Please enter favorite links here...", "links");
    if (ui_->confirm("Question 4 of 5 \n\nWould you like to set basic options for your Blog?", Buttons::YesNo) ==
        Answer::Yes) {
      BlogOptionsRec copy = options_;
      if (ui_->runBasicOptions(copy)) {
        options_ = copy;
        SaveOptions();
      }
    }
    if (ui_->confirm("Question 5 of 5 \n\nWould you like to choose a template for your Blog?", Buttons::YesNo) ==
        Answer::Yes) {
      BlogOptionsRec copy = options_;
      if (ui_->runTemplateChooser(copy)) {
        options_ = copy;
        SaveOptions();
      }
    }
    insertSampleEntry(kBlogEntry, "Welcome to Tessary",
                      "This is a sample entry.<p>You can delete it by selecting it and clicking on <i>Remove "
                      "Entry</i>.",
                      "");
    tblBlog().first();
  } catch (...) {
    closeTables();
    db_.close();
    lock_.release();
    throw;
  }
  return true;
}

void BlogDb::OpenBlog(const std::string& fileName) {
  disconnect();
  try {
    lock_.acquire(fileName);
    db_.open(fileName);
    openTables();
    upgrade();
    LoadOptions();
  } catch (...) {
    closeTables();
    db_.close();
    lock_.release();
    throw;
  }
}

void BlogDb::OpenBlogForReading(const std::string& fileName, bool readOnly) {
  disconnect();
  try {
    lock_.acquire(fileName);
    db_.open(fileName, readOnly ? Database::Mode::ReadOnly : Database::Mode::ReadWrite);
    openTables();
  } catch (...) {
    closeTables();
    db_.close();
    lock_.release();
    throw;
  }
}

void BlogDb::CloseBlog() {
  disconnect();
  lock_.release();
}

void BlogDb::disconnect() {
  if (!db_.isOpen()) {
    closeTables();
    return;
  }
  for (int i = 0; i < 6; ++i) {
    Table* t = table(i);
    if (!t->isOpen()) continue;
    if (t->state() == Table::State::Edit) t->post();
    else if (t->state() == Table::State::Insert) t->cancel();
  }
  closeTables();
  db_.close();
}

void BlogDb::recreateTable(const TableDef& def, Table& t) {
  t.close();
  db_.deleteTable(def.name);
  db_.createTable(def);
  t.open();
}

void BlogDb::restructureBlog(const std::vector<FieldDef>& fields) {
  Table& t = tblBlog();
  t.close();
  const Status st = db_.addColumns(tables::kBlog, fields);
  if (!st.ok()) ui_->showError("Error upgrading tblBlog: " + st.message());
  t.open();
}

// Files before version 81 kept the custom tags in OptionValue. A row whose
// OptionMemo is still null gives its OptionValue; a row already moved keeps its
// memo (the first ladder step saves the options before the custom tags are
// moved, and would otherwise replace them by empty texts).
void BlogDb::rescueOldCustomTags() {
  Table& t = tblOptions();
  for (int n = 1; n <= 10; ++n)
    if (t.findKey(FieldValue(610 + n)) && t.isNull("OptionMemo"))
      options_.CustomTag[static_cast<size_t>(n - 1)] = t.asString("OptionValue");
}

void BlogDb::upgrade() {
  const int v = fileVersion();
  if (v == kCurrentFileVersion) return;
  const TableDef& blog = blogTableDef();

  if (v < 75) {
    static const int kMoves[9][2] = {{211, 241}, {215, 242}, {212, 251}, {216, 252}, {213, 261},
                                     {217, 262}, {218, 263}, {231, 265}, {232, 266}};
    Table& t = tblOptions();
    for (const auto& move : kMoves) {
      if (t.findKey(FieldValue(move[0]))) {
        t.edit();
        t.setInteger("OptionKey", move[1]);
        t.post();
      }
    }
    LoadOptions();
    rescueOldCustomTags();
    SaveOptions();
  }
  if (v < 78) {
    Table& t = tblPages();
    t.close();
    const Status st = db_.addColumns(tables::kPages, {*pagesTableDef().field("PageCRCLocal")});
    if (!st.ok()) {
      ui_->showMessage("Error upgrading tblPages: " + st.message() + "\n\n" + "Recreating...");
      db_.deleteTable(tables::kPages);
      db_.createTable(pagesTableDef());
    }
    t.open();
  }
  if (v < 79) restructureBlog({*blog.field("BlogTitle1"), *blog.field("BlogTitle2")});
  if (v < 80) restructureBlog({*blog.field("BlogMetaDesc")});
  if (v < 81) {
    LoadOptions();
    options_.ArchiveByCategory = 3;
    rescueOldCustomTags();
    SaveOptions();
    recreateTable(categoryTableDef(), tblCategory());
  }
  if (v < 82) {
    LoadOptions();
    options_.PublishingLocation = 0;
    options_.FileCopyDestination.clear();
    options_.ShowRecentOnHome = 1;
    options_.RecentPageName = "recent";
    options_.RecentLinkCaption = "Recent Entries";
    options_.RecentPageTitle = "Recent Entries";
    options_.RecentInNavBar = 0;
    SaveOptions();
  }
  if (v < 83) {
    LoadOptions();
    options_.ArticleListStyle = 0;
    options_.CategoryListStyle = 0;
    SaveOptions();
  }
  if (v < 85) {
    restructureBlog({*blog.field("BlogCategory2"), *blog.field("BlogCategory3")});
    LoadOptions();
    SaveOptions();
  }
  writeVersionRow();
  openTables();
}

}  // namespace tessary::store
