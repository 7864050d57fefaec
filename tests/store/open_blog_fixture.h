// A fresh blog in a temporary folder for the tests of the store's operations:
// created with every question answered No (three sample entries), opened with
// a recording user interface, and the clock pinned.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "store/blog_db.h"
#include "support/test_support.h"
#include "util/date_time.h"

namespace tessary::testing {

// Records the status popup's captions as well.
class CaptionRecordingUI : public RecordingUI {
 public:
  void statusSetCaption(const std::string& caption) override { captions.push_back(caption); }
  std::vector<std::string> captions;
};

class OpenBlogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    util::setClock([this] { return clock_; });
    blogFile_ = dir_.file("blog.zdb");
    blog_ = std::make_unique<store::BlogDb>(dir_.path(), ui_);
    ASSERT_TRUE(blog_->CreateBlog(blogFile_));
    ui_.questions.clear();
    ui_.messages.clear();
    ui_.dialogs.clear();
  }
  void TearDown() override {
    blog_.reset();
    util::setClock(nullptr);
  }
  void setNow(int y, int mo, int d, int h, int mi, int s) { clock_ = util::encodeDateTime({y, mo, d, h, mi, s, 0}); }

  TempDir dir_;
  CaptionRecordingUI ui_;
  std::string blogFile_;
  std::unique_ptr<store::BlogDb> blog_;
  util::DateTime clock_ = util::encodeDateTime({2024, 1, 31, 15, 45, 0, 0});
};

}  // namespace tessary::testing
