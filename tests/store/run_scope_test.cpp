#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "store/entries.h"
#include "store/maintenance.h"
#include "store/media.h"
#include "store/open_blog_fixture.h"

namespace tessary::store {
namespace {

using testing::OpenBlogTest;

std::string onePixelGif() {
  const std::string one("\x01\0", 2), zero("\0\0", 2);
  return "GIF89a" + one + one + std::string("\0\0\0", 3) + "\x2C" + zero + zero + one + one +
         std::string("\0\x02\x02\x44\x01\0\x3B", 7);
}

class RunScopeTest : public OpenBlogTest {
 protected:
  // Every table's row count, to see that a refused command changed nothing.
  std::vector<int> counts() {
    std::vector<int> n;
    for (int i = 0; i < 6; ++i) n.push_back(blog_->table(i)->recordCount());
    return n;
  }
  std::string file(const std::string& name, const std::string& bytes) {
    const std::string path = dir_.file(name);
    testing::writeFile(path, bytes);
    return path;
  }
};

// While one command holds the blog, each command is refused with its own
// caption before it opens a dialog, asks or changes a row.
TEST_F(RunScopeTest, EveryCommandIsRefusedWhileAnotherRuns) {
  ui_.defaultAnswer = Answer::Ok;
  ui_.onEntryEditor = [](BlogRec& r, bool) {
    r.BlogTitle = "x";
    return true;
  };
  ui_.onBackupDialog = [](BackupSettings&) { return true; };
  ASSERT_TRUE(AddCategory(*blog_));
  ASSERT_TRUE(AddBlogFile(*blog_, file("a.zip", "zip bytes")));
  const std::string picture = file("p.gif", onePixelGif());
  const std::string extra = file("b.zip", "more bytes");
  ui_.dialogs.clear();
  ui_.questions.clear();
  const std::vector<int> before = counts();

  const struct {
    const char* caption;
    std::function<void()> start;
  } commands[] = {
      {"Add Entry", [&] { AddEntry(*blog_); }},
      {"Edit Entry", [&] { EditEntry(*blog_); }},
      {"Remove Entry", [&] { RemoveEntry(*blog_); }},
      {"Add Category", [&] { AddCategory(*blog_); }},
      {"Edit Category", [&] { EditCategory(*blog_); }},
      {"Remove Category", [&] { RemoveCategory(*blog_); }},
      {"Add Picture", [&] { AddBlogPicture(*blog_, picture); }},
      {"Remove Picture", [&] { RemoveBlogPicture(*blog_); }},
      {"Add File", [&] { AddBlogFile(*blog_, extra); }},
      {"Remove File", [&] { RemoveBlogFile(*blog_); }},
      {"Backup Blog", [&] { BackupBlog(*blog_); }},
      {"Compact Blog", [&] { CompactBlog(*blog_); }},
      {"Repair Blog", [&] { RepairBlog(*blog_, blogFile_); }},
  };
  {
    BlogDb::RunScope run(*blog_, "Generate Pages");
    EXPECT_TRUE(blog_->running());
    EXPECT_EQ(blog_->runningCommand(), "Generate Pages");
    for (const auto& c : commands) {
      try {
        c.start();
        ADD_FAILURE() << c.caption << " was not refused";
      } catch (const StoreError& e) {
        EXPECT_EQ(std::string(e.what()),
                  std::string("Cannot start ") + c.caption + " while Generate Pages is running.");
      }
      EXPECT_EQ(blog_->runningCommand(), "Generate Pages") << c.caption;
    }
  }
  EXPECT_TRUE(ui_.dialogs.empty());
  EXPECT_TRUE(ui_.questions.empty());
  EXPECT_TRUE(ui_.status.empty());
  EXPECT_TRUE(blog_->isOpen());
  EXPECT_EQ(counts(), before);
  EXPECT_FALSE(blog_->running());
  EXPECT_EQ(blog_->runningCommand(), "");
  // Afterwards every command runs again.
  EXPECT_TRUE(AddEntry(*blog_));
  EXPECT_TRUE(AddBlogPicture(*blog_, picture));
}

TEST_F(RunScopeTest, TheBlogIsReleasedWhenACommandEndsWithAnError) {
  // A store failure in the middle of a command: the row the editor was given
  // is gone when the editor returns.
  ui_.onEntryEditor = [this](BlogRec& r, bool) {
    blog_->database().exec("DELETE FROM tblBlog WHERE BlogKey = " + std::to_string(r.BlogKey));
    blog_->database().notifyDataChanged(tables::kBlog);
    blog_->tblBlog().first();
    return true;
  };
  EXPECT_THROW(EditEntry(*blog_), StoreError);
  EXPECT_FALSE(blog_->running());
  ui_.onEntryEditor = [](BlogRec& r, bool) {
    r.BlogTitle = "after the error";
    return true;
  };
  EXPECT_TRUE(AddEntry(*blog_));
}

// The entry editor's pickers have buttons that add a category, a picture or a
// file while the editor is open: those run, and the entry is saved afterwards.
TEST_F(RunScopeTest, ThePickersOfAnOpenEntryEditorCanAdd) {
  const std::string extra = file("linked.zip", "zip bytes");
  int32_t category = 0;
  ui_.onEntryEditor = [&](BlogRec& r, bool categoryMode) {
    if (categoryMode) {
      r.BlogTitle = "picked";
      return true;
    }
    EXPECT_FALSE(blog_->running());
    EXPECT_TRUE(AddCategory(*blog_));
    category = blog_->tblCategory().asInteger("CategoryKey");
    EXPECT_TRUE(AddBlogFile(*blog_, extra));
    r.BlogTitle = "with a new category";
    r.BlogCategory = category;
    return true;
  };
  ASSERT_TRUE(AddEntry(*blog_));
  EXPECT_FALSE(blog_->running());
  EXPECT_EQ(blog_->tblBlog().asString("BlogTitle"), "with a new category");
  EXPECT_EQ(blog_->tblBlog().asInteger("BlogCategory"), category);
  EXPECT_TRUE(findFile(*blog_, "linked.zip"));
}

}  // namespace
}  // namespace tessary::store
