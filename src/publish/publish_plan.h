// The publish plan: what a publishing run will do, worked out from tblPages
// and the output folder alone, without any connection or look at the
// destination. The runs follow it step by step; a dry run prints it.
//
// The order keeps a site whole while it is being sent: first the files pages
// only refer to (template files, pictures, extra files), then the pages, then
// the pages that link everything (the home page, the indexes, the category
// pages, the feeds), and the deletions last, once every upload succeeded. So a
// visitor never follows a new link to a file that is not there yet, and a file
// is never removed while a page still on the server may link to it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary::store {
class BlogDb;
}

namespace tessary::publish {

enum class PlanStep {
  Send,    // new or changed: upload or copy it
  Delete,  // no longer produced: delete it at the destination, then the row
  Forget,  // no longer produced, but its name differs only in case from a live
           // file that is that file where names are compared without case: the
           // row goes, the destination is not touched
};

// The three groups of files sent, in the order they go.
enum class SendGroup { Support = 0, Page = 1, Index = 2 };

struct PlannedFile {
  std::string name;  // PageKey
  PlanStep step = PlanStep::Send;
  SendGroup group = SendGroup::Support;
  int32_t crcNew = 0;
  int32_t crcExisting = 0;
  int64_t bytes = 0;   // of the local file to send (0 when it is missing)
  std::string twin;    // Forget: the live spelling
};

struct PublishPlan {
  // Every step in the order a run takes it: the sends by group (PageKey order
  // within a group), then the forgotten rows, then the deletions in PageKey order.
  std::vector<PlannedFile> steps;
  int sendCount = 0;
  int newCount = 0;
  int changedCount = 0;
  int64_t sendBytes = 0;
  int deleteCount = 0;
  // Rows recorded as published (PageCRCExisting not 0): the files on the server.
  int publishedCount = 0;
  // Pages not sent because their local copy is not the one the last generation
  // run recorded (PageCRCLocal differs from PageCRCNew).
  std::vector<std::string> incomplete;
  // The last generation run did not finish: removed pages are left alone.
  bool deletionsWithheld = false;
};

// Reads tblPages, the blog's pictures, files, categories and options and the
// sizes of the files in the output folder; changes nothing. Raises for faults
// of the blog file.
PublishPlan PlanPublish(store::BlogDb& blog, const std::string& outputFolder);

// "3 file(s) to send (2 new, 1 changed, 1234 bytes), 1 file(s) to delete"
std::string planTotals(const PublishPlan& plan);

// The deletions of files recorded as published that a run with this page
// limit reaches.
int publishedDeletionsWithin(const PublishPlan& plan, int pageLimit);

// A run that would delete more than 50 files and more than a quarter of the
// files on the server asks first.
inline constexpr int kMassDeletionFiles = 50;
bool isMassDeletion(int deletions, int published);
std::string massDeletionQuestion(int deletions, int published);

}  // namespace tessary::publish
