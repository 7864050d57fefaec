// One command at a time: a command started from a callback of a running
// generation (the log, as a window that pumps events while it appends lines
// would start it) is refused, and the running one completes as if nothing had
// been tried.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "generator/html_gen.h"
#include "generator/page_output.h"
#include "publish/ftp_blog.h"
#include "store/entries.h"
#include "support/test_support.h"
#include "util/files.h"

namespace tessary::generator {
namespace {

using testing::RecordingLog;
using testing::RecordingUI;
using testing::TempDir;

// Runs `onLine` once, on the first line of a page being built.
class ReentrantLog : public RecordingLog {
 public:
  void AppendLine(const std::string& text) override {
    RecordingLog::AppendLine(text);
    if (!fired && onLine && text.rfind("...building page", 0) == 0) {
      fired = true;
      onLine();
    }
  }
  std::function<void()> onLine;
  bool fired = false;
};

class RunGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    blog_ = std::make_unique<store::BlogDb>(dir_.path(), ui_);
    ASSERT_TRUE(blog_->CreateBlog(dir_.file("site.zdb")));
    ui_.questions.clear();
    ui_.dialogs.clear();
    out_ = dir_.path() + "/HTML/site/";
  }
  // Runs `start` and returns the message it was refused with ("" when it ran).
  static std::string refusal(const std::function<void()>& start) {
    try {
      start();
    } catch (const store::StoreError& e) {
      return e.what();
    }
    return "";
  }

  TempDir dir_;
  RecordingUI ui_;
  std::unique_ptr<store::BlogDb> blog_;
  std::string out_;
};

TEST_F(RunGuardTest, AGenerationStartedFromTheLogOfARunningOneIsRefused) {
  ReentrantLog log;
  Generator gen(*blog_, log);
  Generator second(*blog_, log);
  std::vector<std::string> refused;
  log.onLine = [&] {
    // The same generator (its output and package are in use) and another one.
    refused.push_back(refusal([&] { gen.GeneratePages(); }));
    refused.push_back(refusal([&] { second.GeneratePages(); }));
  };
  gen.GeneratePages();

  ASSERT_TRUE(log.fired);
  const std::string message = "Cannot start Generate Pages while Generate Pages is running.";
  EXPECT_EQ(refused, (std::vector<std::string>{message, message}));
  EXPECT_EQ(log.clears, 1);  // the refused runs did not even clear the log
  EXPECT_TRUE(log.contains("Done!"));
  EXPECT_FALSE(blog_->running());
  EXPECT_TRUE(util::fileExists(out_ + "index.html"));
  const RunCounters first = gen.counters();
  EXPECT_GT(first.pagesAddedOrChanged, 0);

  // A run without interference produces the same pages (none published yet, so
  // each is reported again) and finds no orphan: the first run tracked them all.
  RecordingLog quiet;
  Generator again(*blog_, quiet);
  again.GeneratePages();
  EXPECT_TRUE(quiet.contains("Done!"));
  EXPECT_EQ(again.counters().pagesAddedOrChanged, first.pagesAddedOrChanged);
  EXPECT_EQ(again.counters().pagesRemoved, 0);
}

TEST_F(RunGuardTest, OtherCommandsStartedFromTheLogOfARunAreRefusedWithTheirNames) {
  ReentrantLog log;
  Generator gen(*blog_, log);
  std::vector<std::string> refused;
  ui_.defaultAnswer = store::Answer::Yes;
  ui_.onEntryEditor = [](store::BlogRec&, bool) { return true; };
  log.onLine = [&] {
    refused.push_back(refusal([&] { MarkAllAsNew(*blog_); }));
    refused.push_back(refusal([&] { MarkAllAsPublished(*blog_); }));
    refused.push_back(refusal([&] { publish::PublishPages(*blog_, out_, log, publish::kPublishAllLimit); }));
    refused.push_back(refusal([&] { publish::PublishFileCopy(*blog_, out_, log, publish::kPublishAllLimit); }));
    refused.push_back(refusal([&] { store::AddEntry(*blog_); }));
    refused.push_back(refusal([&] { store::RemoveEntry(*blog_); }));
  };
  gen.GeneratePages();
  const std::string tail = " while Generate Pages is running.";
  EXPECT_EQ(refused, (std::vector<std::string>{
                         "Cannot start Mark All as New" + tail, "Cannot start Mark All as Published" + tail,
                         "Cannot start Publish to Web" + tail, "Cannot start Publish to Web" + tail,
                         "Cannot start Add Entry" + tail, "Cannot start Remove Entry" + tail}));
  EXPECT_TRUE(ui_.questions.empty());
  EXPECT_TRUE(ui_.dialogs.empty());
  EXPECT_TRUE(log.contains("Done!"));
  EXPECT_FALSE(blog_->running());
}

TEST_F(RunGuardTest, ARunThatEndsWithAnErrorReleasesTheBlog) {
  testing::writeFile(dir_.file("HTML"), "a file where the folder should be");
  RecordingLog log;
  Generator gen(*blog_, log);
  EXPECT_THROW(gen.GeneratePages(), OutputError);
  EXPECT_FALSE(blog_->running());
  ASSERT_TRUE(util::removeFile(dir_.file("HTML")).ok());
  gen.GeneratePages();
  EXPECT_TRUE(log.contains("Done!"));
}

}  // namespace
}  // namespace tessary::generator
