#include "store/blog_options.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>

#include "store/blog_db.h"
#include "support/test_support.h"

namespace tessary::store {
namespace {

TEST(OptionDefsTest, SeventySixOptionsEachSavedOnce) {
  EXPECT_EQ(optionDefs().size(), 76u);
  std::set<int> keys;
  for (const auto& d : optionDefs()) keys.insert(d.key);
  EXPECT_EQ(keys.size(), 76u);
  EXPECT_EQ(std::set<int>(saveOrder().begin(), saveOrder().end()), keys);
  EXPECT_EQ(saveOrder().size(), 76u);
  EXPECT_STREQ(optionDef(107)->name, "Site Language");
  EXPECT_STREQ(optionDef(114)->name, "Archive by Category ");
  EXPECT_STREQ(optionDef(263)->name, "\"Read This Article\" Caption");
  EXPECT_STREQ(optionDef(620)->name, "Custom Tag 10");
  EXPECT_EQ(optionDef(999), nullptr);
}

TEST(OptionDefsTest, DisplayValues) {
  BlogOptionsRec r;
  SetDefaultOptions(r, "/prog");
  auto show = [&](int key) { return displayValue(r, *optionDef(key)); };
  EXPECT_EQ(r.BackupLocation, "/prog");
  EXPECT_EQ(show(103), "5");
  r.IndexEntries = 0;
  EXPECT_EQ(show(103), "0");
  EXPECT_EQ(show(104), "Create Monthly Pages");
  r.ArchiveByDate = 3;
  EXPECT_EQ(show(104), "");
  r.About = std::string(50, 'a');
  EXPECT_EQ(show(105), std::string(50, 'a'));
  r.About = std::string(51, 'a');
  EXPECT_EQ(show(105), std::string(50, 'a') + "...");
  r.About = std::string(60, 'a');
  r.About.replace(49, 2, "\xC3\xA9");  // the 50th character is two bytes: never cut inside it
  EXPECT_EQ(show(105), std::string(49, 'a') + "\xC3\xA9...");
  EXPECT_EQ(show(505), "");
  r.FTPPassword = " ";
  EXPECT_EQ(show(505), "(entered)");
  r.FTPPassive = 2;
  EXPECT_EQ(show(506), "2");
  r.FTPPassive = 1;
  EXPECT_EQ(show(506), "On");
  EXPECT_EQ(show(268), "Line <BR>");
  EXPECT_EQ(show(412), "Do not create RSS 0.91 feed");
  EXPECT_EQ(show(201), "I will enter my own HTML code.");
  EXPECT_EQ(show(101), "Please enter a Title");
}

class OptionsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(blog.CreateBlog(dir.file("b.zdb"))); }
  int rows(const std::string& where) {
    Statement st = blog.database().prepare("SELECT count(*) FROM tblOptions WHERE " + where);
    sqlite3_step(st.get());
    return sqlite3_column_int(st.get(), 0);
  }
  testing::TempDir dir;
  testing::RecordingUI ui;
  BlogDb blog{dir.path(), ui};
};

TEST_F(OptionsFileTest, OnlyVersionRowLoadsDefaultsAndUnknownKeysSurvive) {
  blog.database().exec("DELETE FROM tblOptions WHERE OptionKey <> 999");
  blog.database().exec("INSERT INTO tblOptions (OptionKey, OptionName, OptionValue) VALUES (211, 'old', 'x')");
  blog.LoadOptions();
  BlogOptionsRec defaults;
  SetDefaultOptions(defaults, dir.path());
  EXPECT_EQ(blog.options(), defaults);
  blog.SaveOptions();
  EXPECT_EQ(rows("OptionKey = 211"), 1);
  EXPECT_EQ(rows("1"), 78);
  // Exactly one row per option key, whatever it held before.
  blog.database().exec("DROP INDEX tblOptions_DisplayKey");
  blog.database().exec("INSERT INTO tblOptions (OptionKey, OptionName, OptionValue) VALUES (101, 'Blog Title', 'dup')");
  blog.SaveOptions();
  EXPECT_EQ(rows("OptionKey = 101"), 1);
}

TEST_F(OptionsFileTest, KindsGoToTheirColumns) {
  blog.options().About = "about text";
  blog.options().IndexEntries = 7;
  blog.SaveOptions();
  Table& t = blog.tblOptions();
  ASSERT_TRUE(t.findKey(FieldValue(105)));
  EXPECT_EQ(t.asString("OptionMemo"), "about text");
  EXPECT_TRUE(t.isNull("OptionInteger"));
  ASSERT_TRUE(t.findKey(FieldValue(103)));
  EXPECT_EQ(t.asInteger("OptionInteger"), 7);
  EXPECT_EQ(t.asString("OptionValue"), "7");
  EXPECT_TRUE(t.isNull("OptionMemo"));
  ASSERT_TRUE(t.findKey(FieldValue(101)));
  EXPECT_TRUE(t.isNull("OptionInteger"));
  EXPECT_TRUE(t.isNull("OptionMemo"));
}

TEST_F(OptionsFileTest, FailedSaveLeavesEveryRowAsItWas) {
  blog.options().BlogTitle = "before";
  blog.SaveOptions();
  blog.database().exec(
      "CREATE TRIGGER failing BEFORE INSERT ON tblOptions WHEN NEW.OptionKey = 505 "
      "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
  blog.options().BlogTitle = "after";
  EXPECT_THROW(blog.SaveOptions(), StoreError);
  EXPECT_EQ(rows("OptionKey = 505"), 1);  // the row deleted before the failing insert is back
  EXPECT_EQ(rows("1"), 77);
  blog.database().exec("DROP TRIGGER failing");
  blog.LoadOptions();
  EXPECT_EQ(blog.options().BlogTitle, "before");
}

}  // namespace
}  // namespace tessary::store
