#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store/blog_db.h"
#include "store/store_test_util.h"
#include "support/test_support.h"

namespace tessary::store {
namespace {

using testing::RecordingUI;

class LifecycleTest : public ::testing::Test {
 protected:
  void TearDown() override { util::setClock(nullptr); }

  std::vector<std::pair<int, std::string>> entries(BlogDb& blog) {
    std::vector<std::pair<int, std::string>> r;
    Table& t = blog.tblBlog();
    for (t.first(); !t.eof(); t.next()) r.emplace_back(t.asInteger("BlogPageType"), t.asString("BlogTitle"));
    return r;
  }
  int optionRows(BlogDb& blog, int key) {
    Statement st = blog.database().prepare("SELECT count(*) FROM tblOptions WHERE OptionKey = " + std::to_string(key));
    sqlite3_step(st.get());
    return sqlite3_column_int(st.get(), 0);
  }

  testing::TempDir dir;
  RecordingUI ui;
};

TEST_F(LifecycleTest, AllNoGivesSampleHomePageAndRecentInNavBar) {
  BlogDb blog(dir.path(), ui);
  ASSERT_TRUE(blog.CreateBlog(dir.file("b.zdb")));
  ASSERT_EQ(ui.questions.size(), 5u);
  EXPECT_EQ(ui.questions[0], "Question 1 of 5 \n\nWould you like to see \"Recent Entries\" on your home page?");
  EXPECT_EQ(entries(blog), (std::vector<std::pair<int, std::string>>{
                               {0, "Welcome to Tessary"}, {5, ""}, {4, ""}}));
  Table& t = blog.tblBlog();
  t.last();
  EXPECT_EQ(t.asString("BlogText"),
            "This is a sample home page.<p>You can change it by editing \"home page\" entry in the blog entry "
            "list.<p>Recent Entries can be found on [%linkto.index.recententries.css%]. ");
  EXPECT_TRUE(t.isNull("BlogCategory"));  // untouched columns stay null
  EXPECT_EQ(blog.options().ShowRecentOnHome, 0);
  EXPECT_EQ(blog.options().RecentInNavBar, 1);
  EXPECT_EQ(optionRows(blog, 999), 1);
  EXPECT_EQ(blog.tblOptions().recordCount(), 77);
  blog.CloseBlog();
  blog.OpenBlog(dir.file("b.zdb"));
  EXPECT_EQ(blog.options().RecentInNavBar, 1);
}

TEST_F(LifecycleTest, AllYesWithCancelledDialogsAndEqualTimes) {
  util::setClock([] { return util::encodeDate(2004, 3, 2); });  // every insertion at the same time
  ui.defaultAnswer = Answer::Yes;
  BlogDb blog(dir.path(), ui);
  ASSERT_TRUE(blog.CreateBlog(dir.file("b.zdb")));
  EXPECT_EQ(ui.dialogs, (std::vector<std::string>{"BasicOptions", "TemplateChooser"}));
  EXPECT_EQ(entries(blog), (std::vector<std::pair<int, std::string>>{
                               {0, "Welcome to Tessary"}, {2, "Links"}, {2, "About Me"}, {5, ""}, {4, ""}}));
  BlogOptionsRec defaults;
  SetDefaultOptions(defaults, dir.path());
  EXPECT_EQ(blog.options(), defaults);
  Table& t = blog.tblBlog();
  for (t.first(); !t.eof(); t.next()) EXPECT_DOUBLE_EQ(t.asDateTime("BlogDateTime"), util::encodeDate(2004, 3, 2));
}

TEST_F(LifecycleTest, SavedDialogChangesTheOptions) {
  ui.answers = {Answer::No, Answer::No, Answer::No, Answer::Yes, Answer::No};
  ui.onBasicOptions = [](BlogOptionsRec& r) {
    r.BlogTitle = "My Blog";
    return true;
  };
  BlogDb blog(dir.path(), ui);
  ASSERT_TRUE(blog.CreateBlog(dir.file("b.zdb")));
  blog.CloseBlog();
  blog.OpenBlog(dir.file("b.zdb"));
  EXPECT_EQ(blog.options().BlogTitle, "My Blog");
}

TEST_F(LifecycleTest, ExistingFileIsRefusedAndUntouched) {
  testing::writeFile(dir.file("b.zdb"), "precious");
  BlogDb blog(dir.path(), ui);
  EXPECT_FALSE(blog.CreateBlog(dir.file("b.zdb")));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "Blog already Exists -- choose \"Open Blog\" rather than \"Start a New Blog\".\n\n" +
                                dir.file("b.zdb"));
  EXPECT_EQ(testing::readFile(dir.file("b.zdb")), "precious");
  EXPECT_TRUE(ui.questions.empty());
}

TEST_F(LifecycleTest, OpeningTheCurrentVersionChangesNothing) {
  {
    BlogDb blog(dir.path(), ui);
    ASSERT_TRUE(blog.CreateBlog(dir.file("b.zdb")));
  }
  const std::string before = testing::readFile(dir.file("b.zdb"));
  for (int i = 0; i < 2; ++i) {
    BlogDb blog(dir.path(), ui);
    blog.OpenBlog(dir.file("b.zdb"));
    EXPECT_EQ(blog.fileVersion(), 85);
    blog.CloseBlog();
  }
  EXPECT_EQ(testing::readFile(dir.file("b.zdb")), before);
}

// A file as the oldest versions wrote it: no row 999, options under their old
// numbers, none of the columns added later.
TEST_F(LifecycleTest, FileWithoutVersionRowRunsEveryStep) {
  {
    Database db;
    db.create(dir.file("old.zdb"));
    db.createTable(testing::without(blogTableDef(),
                                    {"BlogTitle1", "BlogTitle2", "BlogMetaDesc", "BlogCategory2", "BlogCategory3"}));
    db.createTable(picturesTableDef());
    db.createTable(filesTableDef());
    db.createTable(optionsTableDef());
    db.createTable(categoryTableDef());
    db.createTable(testing::without(pagesTableDef(), {"PageCRCLocal"}));
    db.exec("INSERT INTO tblOptions (OptionKey, OptionName, OptionValue) VALUES (211, 'Index Page Name', 'home')");
    db.exec("INSERT INTO tblOptions (OptionKey, OptionName, OptionValue) VALUES (101, 'Blog Title', 'Old Blog')");
    db.exec("INSERT INTO tblOptions (OptionKey, OptionName, OptionValue) VALUES (612, 'Custom Tag 2', 'tag two')");
    db.exec("INSERT INTO tblBlog (BlogDateTime, BlogTitle) VALUES ('2003-08-01 10:00:00.000', 'kept')");
    db.exec("INSERT INTO tblCategory (CategoryTitle) VALUES ('lost')");
    db.exec("INSERT INTO tblPages (PageKey, PageCRCExisting) VALUES ('a.html', 5)");
  }
  BlogDb blog(dir.path(), ui);
  blog.OpenBlog(dir.file("old.zdb"));
  EXPECT_EQ(blog.fileVersion(), 85);
  const BlogOptionsRec& o = blog.options();
  EXPECT_EQ(o.IndexPageName, "home");  // moved from 211 to 241
  EXPECT_EQ(o.BlogTitle, "Old Blog");
  EXPECT_EQ(o.CustomTag[1], "tag two");
  EXPECT_EQ(o.ArchiveByCategory, 3);
  EXPECT_EQ(o.RecentPageName, "recent");
  EXPECT_EQ(o.ShowRecentOnHome, 1);
  EXPECT_TRUE(blog.tblBlog().hasField("BlogCategory3"));
  EXPECT_TRUE(blog.tblBlog().hasField("BlogMetaDesc"));
  EXPECT_TRUE(blog.tblPages().hasField("PageCRCLocal"));
  EXPECT_EQ(blog.tblBlog().recordCount(), 1);
  EXPECT_EQ(blog.tblCategory().recordCount(), 0);
  EXPECT_EQ(blog.tblPages().recordCount(), 1);
  EXPECT_EQ(optionRows(blog, 211), 0);
  EXPECT_EQ(optionRows(blog, 999), 1);
  EXPECT_TRUE(ui.errors.empty());
}

TEST_F(LifecycleTest, Version80LosesCategoriesAndMovesCustomTags) {
  {
    Database db;
    db.create(dir.file("v80.zdb"));
    db.createTable(testing::without(blogTableDef(), {"BlogCategory2", "BlogCategory3"}));
    db.createTable(picturesTableDef());
    db.createTable(filesTableDef());
    db.createTable(optionsTableDef());
    db.createTable(categoryTableDef());
    db.createTable(pagesTableDef());
    db.exec("INSERT INTO tblOptions (OptionKey, OptionName, OptionValue, OptionInteger) VALUES (999, 'Internal File Version', '80', 80)");
    db.exec("INSERT INTO tblOptions (OptionKey, OptionName, OptionValue, OptionInteger) VALUES (114, 'Archive by Category ', '', 0)");
    for (int n = 1; n <= 10; ++n)
      db.exec("INSERT INTO tblOptions (OptionKey, OptionName, OptionValue) VALUES (" + std::to_string(610 + n) +
              ", 'Custom Tag " + std::to_string(n) + "', 'value " + std::to_string(n) + "')");
    db.exec("INSERT INTO tblCategory (CategoryTitle) VALUES ('gone')");
    db.exec("INSERT INTO tblBlog (BlogDateTime, BlogTitle, BlogCategory) VALUES ('2003-08-01 10:00:00.000', 'e', 1)");
  }
  BlogDb blog(dir.path(), ui);
  blog.OpenBlog(dir.file("v80.zdb"));
  EXPECT_EQ(blog.tblCategory().recordCount(), 0);
  EXPECT_EQ(blog.options().ArchiveByCategory, 3);
  for (int n = 1; n <= 10; ++n) EXPECT_EQ(blog.options().CustomTag[static_cast<size_t>(n - 1)], "value " + std::to_string(n));
  Table& o = blog.tblOptions();
  ASSERT_TRUE(o.findKey(FieldValue(615)));
  EXPECT_EQ(o.asString("OptionMemo"), "value 5");
  EXPECT_EQ(o.asString("OptionValue"), "value 5");  // now the display value
  blog.tblBlog().first();
  EXPECT_EQ(blog.tblBlog().asInteger("BlogCategory"), 1);  // entries keep their number
  EXPECT_TRUE(blog.tblBlog().isNull("BlogCategory2"));
}

TEST_F(LifecycleTest, BadFilesAreRefusedWithTheirNameAndNotWritten) {
  BlogDb blog(dir.path(), ui);
  auto expectRefused = [&](const std::string& file, const std::string& what) {
    const std::string before = testing::readFile(file);
    try {
      blog.OpenBlog(file);
      FAIL() << file << " was opened";
    } catch (const StoreError& e) {
      EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(what), std::string::npos) << e.what();
    }
    EXPECT_FALSE(blog.isOpen());
    EXPECT_EQ(testing::readFile(file), before);
  };
  expectRefused(dir.file("missing.zdb"), "does not exist");
  testing::writeFile(dir.file("text.zdb"), "This is not a database at all, just some text.\n");
  expectRefused(dir.file("text.zdb"), "not a blog file");
  testing::writeFile(dir.file("empty.zdb"), "");
  expectRefused(dir.file("empty.zdb"), "not a blog file");
  ASSERT_EQ(testing::runCommand("sqlite3 " + dir.file("other.db") + " 'CREATE TABLE x(a)'"), 0);
  expectRefused(dir.file("other.db"), "not a blog file");

  {
    BlogDb good(dir.path(), ui);
    ASSERT_TRUE(good.CreateBlog(dir.file("good.zdb")));
    Table& t = good.tblBlog();
    for (int i = 0; i < 300; ++i) t.insertRecord({FieldValue(), util::encodeDate(2004, 1, 1), std::string(200, 'x'), std::string(3000, 'y')});
  }
  const std::string whole = testing::readFile(dir.file("good.zdb"));
  testing::writeFile(dir.file("cut.zdb"), whole.substr(0, whole.size() / 2));
  expectRefused(dir.file("cut.zdb"), "damaged");
  testing::writeFile(dir.file("cut2.zdb"), whole.substr(0, whole.size() / 2 + 100));
  expectRefused(dir.file("cut2.zdb"), "damaged");
  // The first page overwritten after the header: the schema cannot be read.
  std::string broken = whole;
  for (size_t i = 100; i < 4096; ++i) broken[i] = static_cast<char>(0xA5);
  testing::writeFile(dir.file("broken.zdb"), broken);
  expectRefused(dir.file("broken.zdb"), "broken.zdb");
}

TEST_F(LifecycleTest, ReadOnlyFileIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
  {
    BlogDb blog(dir.path(), ui);
    ASSERT_TRUE(blog.CreateBlog(dir.file("ro.zdb")));
  }
  ASSERT_EQ(chmod(dir.file("ro.zdb").c_str(), 0444), 0);
  BlogDb blog(dir.path(), ui);
  EXPECT_THROW(blog.OpenBlog(dir.file("ro.zdb")), StoreError);
  blog.OpenBlogForReading(dir.file("ro.zdb"));
  EXPECT_TRUE(blog.isOpen());
}

}  // namespace
}  // namespace tessary::store
