#include "store/entries.h"

#include <gtest/gtest.h>

#include "store/open_blog_fixture.h"
#include "util/date_time.h"

namespace tessary::store {
namespace {

using testing::OpenBlogTest;

class EntriesTest : public OpenBlogTest {
 protected:
  int32_t addEntry(const std::string& title, int32_t category = kNoCategory, int32_t category2 = kNoCategory) {
    ui_.onEntryEditor = [&](BlogRec& r, bool) {
      r.BlogTitle = title;
      r.BlogCategory = category;
      r.BlogCategory2 = category2;
      return true;
    };
    EXPECT_TRUE(AddEntry(*blog_));
    ui_.onEntryEditor = nullptr;
    return blog_->tblBlog().asInteger("BlogKey");
  }
  int32_t addCategory(const std::string& title) {
    ui_.onEntryEditor = [&](BlogRec& r, bool) {
      r.BlogTitle = title;
      return true;
    };
    EXPECT_TRUE(AddCategory(*blog_));
    ui_.onEntryEditor = nullptr;
    return blog_->tblCategory().asInteger("CategoryKey");
  }
  BlogRec entry(int32_t key) {
    EXPECT_TRUE(findEntry(*blog_, key));
    return readBlogRec(blog_->tblBlog());
  }
  void emptyTable(Table& t) {
    for (t.first(); !t.isEmpty();) t.deleteRow();
  }
};

TEST_F(EntriesTest, AddEntryHandsTheEditorANewRecordAndStoresWhatItSaved) {
  BlogRec seen;
  ui_.onEntryEditor = [&](BlogRec& r, bool categoryMode) {
    EXPECT_FALSE(categoryMode);
    seen = r;
    r.BlogTitle = "Title";
    r.BlogText = "Some <b>text</b>";
    r.BlogPageType = kArticlePage;
    r.BlogPageName = "article";
    r.BlogCategory3 = 7;
    r.BlogTitle2 = "Custom";
    r.BlogMetaDesc = "Desc";
    r.BlogKey = 12345;  // the store assigns the key, whatever the editor says
    return true;
  };
  ASSERT_TRUE(AddEntry(*blog_));
  EXPECT_EQ(seen.BlogKey, -1);
  EXPECT_EQ(seen.BlogDateTime, clock_);
  EXPECT_EQ(seen.BlogPageType, kBlogEntry);
  EXPECT_EQ(seen.BlogCategory, -1);
  EXPECT_EQ(seen.BlogCategory2, -1);
  EXPECT_EQ(seen.BlogCategory3, -1);

  const BlogRec stored = readBlogRec(blog_->tblBlog());
  EXPECT_NE(stored.BlogKey, 12345);
  EXPECT_GT(stored.BlogKey, 3);
  EXPECT_EQ(stored.BlogTitle, "Title");
  EXPECT_EQ(stored.BlogText, "Some <b>text</b>");
  EXPECT_EQ(stored.BlogPageName, "article");
  EXPECT_EQ(stored.BlogCategory3, 7);
  EXPECT_EQ(stored.BlogTitle2, "Custom");
  EXPECT_EQ(stored.BlogMetaDesc, "Desc");
  EXPECT_EQ(blog_->tblBlog().recordCount(), 4);
}

TEST_F(EntriesTest, CancelInTheEditorChangesNothing) {
  ui_.onEntryEditor = [](BlogRec& r, bool) {
    r.BlogTitle = "changed";
    return false;
  };
  EXPECT_FALSE(AddEntry(*blog_));
  EXPECT_EQ(blog_->tblBlog().recordCount(), 3);
  blog_->tblBlog().first();
  const BlogRec before = readBlogRec(blog_->tblBlog());
  EXPECT_FALSE(EditEntry(*blog_));
  EXPECT_EQ(readBlogRec(blog_->tblBlog()), before);
  EXPECT_FALSE(AddCategory(*blog_));
  EXPECT_EQ(blog_->tblCategory().recordCount(), 0);
}

TEST_F(EntriesTest, EditEntryKeepsTheKeyAndWritesTheReturnedColumns) {
  const int32_t key = addEntry("Before", 4, 5);
  ui_.onEntryEditor = [&](BlogRec& r, bool) {
    EXPECT_EQ(r.BlogKey, key);
    EXPECT_EQ(r.BlogTitle, "Before");
    EXPECT_EQ(r.BlogCategory2, 5);
    r.BlogTitle = "After";
    r.BlogDateTime = util::encodeDateTime({2001, 2, 3, 4, 5, 6, 0});
    r.BlogCategory2 = kNoCategory;
    return true;
  };
  ASSERT_TRUE(findEntry(*blog_, key));
  ASSERT_TRUE(EditEntry(*blog_));
  const BlogRec r = entry(key);
  EXPECT_EQ(r.BlogKey, key);
  EXPECT_EQ(r.BlogTitle, "After");
  EXPECT_EQ(r.BlogCategory, 4);
  EXPECT_EQ(r.BlogCategory2, -1);
  EXPECT_EQ(util::formatDateTime("yyyy-mm-dd hh:nn:ss", r.BlogDateTime), "2001-02-03 04:05:06");
  EXPECT_EQ(blog_->tblBlog().recordCount(), 4);
}

TEST_F(EntriesTest, AfterAWalkToTheEndTheLastRowIsStillTheOneEdited) {
  Table& t = blog_->tblBlog();
  for (t.first(); !t.eof(); t.next()) {
  }
  const int32_t last = t.asInteger("BlogKey");
  ui_.onEntryEditor = [](BlogRec& r, bool) {
    r.BlogTitle = "edited";
    return true;
  };
  ASSERT_TRUE(EditEntry(*blog_));
  EXPECT_EQ(entry(last).BlogTitle, "edited");
}

TEST_F(EntriesTest, OperationsOnEmptyTablesDoNothing) {
  emptyTable(blog_->tblBlog());
  ui_.defaultAnswer = Answer::Ok;
  ui_.onEntryEditor = [](BlogRec&, bool) { return true; };
  EXPECT_FALSE(EditEntry(*blog_));
  EXPECT_FALSE(RemoveEntry(*blog_));
  EXPECT_FALSE(EditCategory(*blog_));
  EXPECT_FALSE(RemoveCategory(*blog_));
  EXPECT_TRUE(ui_.dialogs.empty());
  EXPECT_TRUE(ui_.questions.empty());
  EXPECT_TRUE(ui_.status.empty());
}

TEST_F(EntriesTest, RemoveEntryAsksWithTitleAndDateAndDeletesOnlyAfterOk) {
  setNow(2024, 3, 4, 5, 6, 7);
  const int32_t key = addEntry("Going");
  ui_.answers = {Answer::Cancel, Answer::Ok};
  ASSERT_TRUE(findEntry(*blog_, key));
  EXPECT_FALSE(RemoveEntry(*blog_));
  ASSERT_EQ(ui_.questions.size(), 1u);
  EXPECT_EQ(ui_.questions[0], "Remove Blog Entry? \n\nGoing (2024-03-04 05:06:07).");
  EXPECT_TRUE(findEntry(*blog_, key));
  EXPECT_TRUE(RemoveEntry(*blog_));
  EXPECT_FALSE(findEntry(*blog_, key));
  EXPECT_EQ(blog_->tblBlog().recordCount(), 3);
}

TEST_F(EntriesTest, TheEditorsSaveRulesForThePageName) {
  setNow(2024, 1, 31, 15, 45, 0);
  BlogRec r = newBlogRec();
  r.BlogPageType = kStaticPage;
  r.BlogPageName = "x";
  applyEntrySaveRules(r);
  EXPECT_EQ(r.BlogPageName, "20240131154500");
  r.BlogPageName = "ab";
  applyEntrySaveRules(r);
  EXPECT_EQ(r.BlogPageName, "ab");
  for (int32_t type : {kBlogEntry, kHomePage, kRecentEntriesPage}) {
    r.BlogPageType = type;
    r.BlogPageName = "about";
    applyEntrySaveRules(r);
    EXPECT_EQ(r.BlogPageName, "");
  }
  for (int32_t type : {kArticlePage, kHiddenPage, kRedirectPage, kFreeFormatPage}) {
    r.BlogPageType = type;
    r.BlogPageName = "";
    applyEntrySaveRules(r);
    EXPECT_EQ(r.BlogPageName.size(), 14u);
  }
}

TEST_F(EntriesTest, APageNameThatIsNoFileNameGoesBackToTheEditor) {
  int runs = 0;
  ui_.onEntryEditor = [&](BlogRec& r, bool) {
    ++runs;
    if (runs == 1) {
      r.BlogTitle = "Kept text";
      r.BlogPageType = kStaticPage;
      r.BlogPageName = "../outside";
      return true;
    }
    EXPECT_EQ(r.BlogTitle, "Kept text");  // what the user typed comes back
    EXPECT_EQ(r.BlogPageName, "../outside");
    if (runs == 2) {
      r.BlogPageName = "inside";
      return true;
    }
    return false;
  };
  ASSERT_TRUE(AddEntry(*blog_));
  EXPECT_EQ(runs, 2);
  ASSERT_EQ(ui_.errors.size(), 1u);
  EXPECT_NE(ui_.errors[0].find("\"../outside\""), std::string::npos);
  EXPECT_EQ(blog_->tblBlog().asString("BlogPageName"), "inside");

  // Cancelled after the refusal: nothing stored.
  runs = 0;
  ui_.onEntryEditor = [&](BlogRec& r, bool) {
    ++runs;
    r.BlogPageName = "a\\b";
    return runs == 1;
  };
  EXPECT_FALSE(AddCategory(*blog_));
  EXPECT_EQ(blog_->tblCategory().recordCount(), 0);
}

TEST_F(EntriesTest, AddCategoryProposesATimedPageNameAndMapsTheFields) {
  setNow(2024, 1, 31, 15, 45, 0);
  ui_.onEntryEditor = [&](BlogRec& r, bool categoryMode) {
    EXPECT_TRUE(categoryMode);
    EXPECT_EQ(r.BlogKey, -1);
    EXPECT_EQ(r.BlogPageType, kArticlePage);
    EXPECT_EQ(r.BlogPageName, "c20240131154500");
    r.BlogTitle = "Travel";
    r.BlogText = "About travel";
    r.BlogTeaser = "teaser";
    r.BlogKeywords = "kw";
    r.BlogSidebar = "side";
    r.BlogExtra1 = "e1";
    r.BlogExtra2 = "e2";
    r.BlogTitle1 = "t1";
    r.BlogTitle2 = "t2";
    r.BlogMetaDesc = "md";
    return true;
  };
  ASSERT_TRUE(AddCategory(*blog_));
  Table& t = blog_->tblCategory();
  EXPECT_EQ(t.asString("CategoryTitle"), "Travel");
  EXPECT_EQ(t.asString("CategoryName"), "c20240131154500");
  EXPECT_EQ(t.asString("CategoryText"), "About travel");
  EXPECT_EQ(t.asString("CategoryTeaser"), "teaser");
  EXPECT_EQ(t.asString("CategoryKeywords"), "kw");
  EXPECT_EQ(t.asString("CategorySidebar"), "side");
  EXPECT_EQ(t.asString("CategoryExtra1"), "e1");
  EXPECT_EQ(t.asString("CategoryExtra2"), "e2");
  EXPECT_EQ(t.asString("CategoryTitle1"), "t1");
  EXPECT_EQ(t.asString("CategoryTitle2"), "t2");
  EXPECT_EQ(t.asString("CategoryMetaDesc"), "md");

  // A second one in the same second gets the same proposal; duplicates are kept.
  ui_.onEntryEditor = [](BlogRec& r, bool) { return r.BlogPageName == "c20240131154500"; };
  ASSERT_TRUE(AddCategory(*blog_));
  EXPECT_EQ(t.recordCount(), 2);

  // Editing reads the mapping back with type 1 and keeps the key.
  const int32_t key = t.asInteger("CategoryKey");
  ui_.onEntryEditor = [&](BlogRec& r, bool) {
    EXPECT_EQ(r.BlogKey, key);
    EXPECT_EQ(r.BlogPageType, kArticlePage);
    r.BlogTitle = "Renamed";
    return true;
  };
  ASSERT_TRUE(EditCategory(*blog_));
  ASSERT_TRUE(findCategory(*blog_, key));
  EXPECT_EQ(t.asString("CategoryTitle"), "Renamed");
}

TEST_F(EntriesTest, AtMost500Categories) {
  Table& t = blog_->tblCategory();
  {
    Transaction tx(blog_->database());
    for (int i = 0; i < 499; ++i) t.insertRecord({FieldValue(), "cat " + std::to_string(i), "c" + std::to_string(i)});
    tx.commit();
  }
  ui_.onEntryEditor = [](BlogRec&, bool) { return true; };
  EXPECT_TRUE(AddCategory(*blog_));
  EXPECT_EQ(t.recordCount(), 500);
  EXPECT_TRUE(ui_.messages.empty());
  ui_.dialogs.clear();
  EXPECT_FALSE(AddCategory(*blog_));
  EXPECT_TRUE(ui_.dialogs.empty());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0], "Tessary allows a maximum of 500 categories.");
  EXPECT_EQ(t.recordCount(), 500);
}

TEST_F(EntriesTest, RemovingAnUnusedCategoryAsksOnlyOnce) {
  const int32_t k = addCategory("Lonely");
  ui_.defaultAnswer = Answer::Ok;
  ASSERT_TRUE(findCategory(*blog_, k));
  ASSERT_TRUE(RemoveCategory(*blog_));
  ASSERT_EQ(ui_.questions.size(), 1u);
  EXPECT_EQ(ui_.questions[0], "Remove Category \" Lonely\"");
  EXPECT_EQ(blog_->tblCategory().recordCount(), 0);
  EXPECT_EQ(ui_.captions, std::vector<std::string>{"Checking Blog..."});
  EXPECT_EQ(ui_.status.front(), "Checking Blog for existing category \"Lonely\"...");
  EXPECT_EQ(ui_.status[1], "Checking Record  1. Found 0 so far...");
  EXPECT_EQ(ui_.status.back(), "Complete...");
  EXPECT_FALSE(ui_.statusOpen);
}

// The usage question comes as a warning box, the removal question as a plain
// question; Cancel on the warning keeps the category and its entries.
TEST_F(EntriesTest, TheUsageOfACategoryIsAskedAsAWarning) {
  const int32_t k = addCategory("Busy");
  const int32_t a = addEntry("a", k);
  const std::string usage = "Category \"Busy\" is being used on 1 entries.\n\nContinue?";
  ASSERT_TRUE(findCategory(*blog_, k));
  ui_.answers = {Answer::Cancel};
  EXPECT_FALSE(RemoveCategory(*blog_));
  EXPECT_EQ(ui_.warnings, std::vector<std::string>{usage});
  EXPECT_EQ(ui_.questions, std::vector<std::string>{usage});
  EXPECT_TRUE(findCategory(*blog_, k));
  EXPECT_EQ(entry(a).BlogCategory, k);

  ui_.warnings.clear();
  ui_.questions.clear();
  ui_.answers = {Answer::Ok, Answer::Ok};
  ASSERT_TRUE(findCategory(*blog_, k));
  EXPECT_TRUE(RemoveCategory(*blog_));
  EXPECT_EQ(ui_.warnings, std::vector<std::string>{usage});
  EXPECT_EQ(ui_.questions, (std::vector<std::string>{usage, "Remove Category \" Busy\""}));
  EXPECT_EQ(entry(a).BlogCategory, kNoCategory);
}

TEST_F(EntriesTest, RemovingACategoryUsedThreeTimesClearsOnlyTheFirstCategoryColumn) {
  const int32_t k = addCategory("Busy");
  const int32_t other = addCategory("Other");
  const int32_t a = addEntry("a", k), b = addEntry("b", k, k), c = addEntry("c", k);
  const int32_t d = addEntry("d", other, k);
  ui_.status.clear();
  ui_.defaultAnswer = Answer::Ok;
  ASSERT_TRUE(findCategory(*blog_, k));
  ASSERT_TRUE(RemoveCategory(*blog_));

  ASSERT_EQ(ui_.questions.size(), 2u);
  EXPECT_EQ(ui_.questions[0], "Category \"Busy\" is being used on 3 entries.\n\nContinue?");
  EXPECT_EQ(ui_.questions[1], "Remove Category \" Busy\"");
  EXPECT_EQ(ui_.captions, (std::vector<std::string>{"Checking Blog...", "Updating Blog..."}));
  // Seven entries: the three samples and four of ours.
  EXPECT_NE(std::find(ui_.status.begin(), ui_.status.end(), "Checking Record  7. Found 3 so far..."),
            ui_.status.end());
  EXPECT_NE(std::find(ui_.status.begin(), ui_.status.end(), "Removing category \"Busy\" from entries..."),
            ui_.status.end());
  EXPECT_EQ(ui_.status[ui_.status.size() - 2], "Checking Record  7. Cleared 3 so far...");
  EXPECT_EQ(ui_.status.back(), "Complete...");
  EXPECT_EQ(ui_.statusCloses, 2);

  EXPECT_EQ(entry(a).BlogCategory, -1);
  EXPECT_EQ(entry(b).BlogCategory, -1);
  EXPECT_EQ(entry(b).BlogCategory2, k);  // the alternate categories keep the number
  EXPECT_EQ(entry(c).BlogCategory, -1);
  EXPECT_EQ(entry(d).BlogCategory, other);
  EXPECT_EQ(entry(d).BlogCategory2, k);
  EXPECT_FALSE(findCategory(*blog_, k));
  EXPECT_TRUE(findCategory(*blog_, other));
}

TEST_F(EntriesTest, CancelAtEitherQuestionKeepsTheCategoryAndItsEntries) {
  const int32_t k = addCategory("Busy");
  const int32_t a = addEntry("a", k);
  for (const auto& answers : {std::deque<Answer>{Answer::Cancel}, std::deque<Answer>{Answer::Ok, Answer::Cancel}}) {
    ui_.answers = answers;
    ASSERT_TRUE(findCategory(*blog_, k));
    EXPECT_FALSE(RemoveCategory(*blog_));
    EXPECT_TRUE(findCategory(*blog_, k));
    EXPECT_EQ(entry(a).BlogCategory, k);
  }
}

// A failure in the middle of clearing the entries must not leave the category
// deleted with entries still pointing at it.
class FailingClearUI : public testing::CaptionRecordingUI {
 public:
  void statusSetMessage(const std::string& text) override {
    RecordingUI::statusSetMessage(text);
    if (text.find("Cleared 1 so far") != std::string::npos) throw StoreError("disk I/O error");
  }
};

TEST_F(EntriesTest, AFailureWhileClearingKeepsTheCategory) {
  const int32_t k = addCategory("Busy");
  const int32_t a = addEntry("a", k), b = addEntry("b", k);
  FailingClearUI failing;
  failing.defaultAnswer = Answer::Ok;
  blog_->setUserInterface(failing);
  ASSERT_TRUE(findCategory(*blog_, k));
  EXPECT_THROW(RemoveCategory(*blog_), StoreError);
  blog_->setUserInterface(ui_);
  EXPECT_FALSE(failing.statusOpen);
  EXPECT_TRUE(findCategory(*blog_, k));
  EXPECT_EQ(entry(a).BlogCategory, k);
  EXPECT_EQ(entry(b).BlogCategory, k);
  // And the blog file agrees after a reopen.
  blog_->OpenBlog(blogFile_);
  EXPECT_TRUE(findCategory(*blog_, k));
  EXPECT_EQ(entry(a).BlogCategory, k);
}

TEST_F(EntriesTest, TwoEntriesAtTheSameTimeAreBothListed) {
  const int32_t a = addEntry("first");
  const int32_t b = addEntry("second");
  EXPECT_EQ(entry(a).BlogDateTime, entry(b).BlogDateTime);
  Table& t = blog_->tblBlog();
  t.first();
  EXPECT_EQ(t.asInteger("BlogKey"), b);  // equal times list the later insertion first
  t.next();
  EXPECT_EQ(t.asInteger("BlogKey"), a);
}

}  // namespace
}  // namespace tessary::store
