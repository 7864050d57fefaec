#include "publish/publish_plan.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <set>

#include "generator/page_output.h"
#include "generator/site_naming.h"
#include "store/blog_db.h"
#include "store/blog_options.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::publish {

namespace {

// A text option as the generation run used it: its default when left empty.
std::string optionOrDefault(const store::BlogOptionsRec& options, int key) {
  const store::OptionDef* def = store::optionDef(key);
  if (!def) return {};
  const std::string value = store::optionText(options, *def);
  return value.empty() ? std::string(def->textDefault) : value;
}

// The texts of one column of a table, by SQL (the table layer would read the blobs too).
void collectColumn(store::Database& db, const std::string& sql, const std::function<void(const std::string&)>& take) {
  store::Statement st = db.prepare(sql);
  for (int rc; (rc = sqlite3_step(st.get())) != SQLITE_DONE;) {
    if (rc != SQLITE_ROW) db.fail("Cannot read the blog file for the publish plan");
    const unsigned char* p = sqlite3_column_text(st.get(), 0);
    if (p) take(std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(sqlite3_column_bytes(st.get(), 0))));
  }
}

// Which group each name of the site belongs to, by the blog's names.
class Grouping {
 public:
  explicit Grouping(store::BlogDb& blog) {
    const store::BlogOptionsRec& o = blog.options();
    const generator::SiteNames names{generator::sanitizePagePrefix(o.PageNamePrefix),
                                     generator::pageExtensionOf(o.HTMLExtension)};
    ext_ = names.ext;
    for (int key : {241, 251, 261, 271, 246}) index_.insert(fold(names.page(optionOrDefault(o, key))));
    for (int key : {401, 402}) index_.insert(fold(names.feed(optionOrDefault(o, key))));
    store::Database& db = blog.database();
    collectColumn(db, "SELECT CategoryName FROM tblCategory",
                  [&](const std::string& n) { index_.insert(fold(names.page(util::trim(n)))); });
    collectColumn(db, "SELECT BlogPictureName FROM tblPictures", [&](const std::string& n) { support_.insert(fold(n)); });
    collectColumn(db, "SELECT BlogFileName FROM tblFiles", [&](const std::string& n) { support_.insert(fold(n)); });
    collectColumn(db, "SELECT BlogPageName FROM tblBlog WHERE BlogPageType = 7",
                  [&](const std::string& n) { pages_.insert(fold(names.freeFormatPage(n))); });
  }

  SendGroup of(const std::string& name) const {
    const std::string f = fold(name);
    if (index_.count(f)) return SendGroup::Index;
    if (support_.count(f)) return SendGroup::Support;
    if (pages_.count(f) || util::endsWithNoCase(name, ext_)) return SendGroup::Page;
    return SendGroup::Support;  // template files: stylesheets, pictures
  }

 private:
  static std::string fold(const std::string& s) { return util::lowerAscii(s); }
  std::string ext_;
  std::set<std::string> index_, support_, pages_;
};

}  // namespace

PublishPlan PlanPublish(store::BlogDb& blog, const std::string& outputFolder) {
  PublishPlan plan;
  plan.deletionsWithheld =
      generator::lastGenerationState(blog.database()) == generator::LastGeneration::Incomplete;
  const Grouping grouping(blog);

  struct Row {
    std::string name;
    int32_t crcNew, crcExisting, crcLocal;
  };
  std::vector<Row> rows;
  store::Table& pages = blog.tblPages();
  if (pages.indexName() != store::kDisplayKey) pages.setIndex(store::kDisplayKey);
  // The live rows by name folded to lower case: a removed page whose name
  // differs only in case from a live one is that live page's file where names
  // are compared without case, and is never deleted.
  std::map<std::string, std::string> live;
  for (pages.first(); !pages.eof(); pages.next()) {
    rows.push_back({pages.asString("PageKey"), pages.asInteger("PageCRCNew"), pages.asInteger("PageCRCExisting"),
                    pages.asInteger("PageCRCLocal")});
    if (rows.back().crcNew != 0) live.emplace(util::lowerAscii(rows.back().name), rows.back().name);
  }

  std::vector<PlannedFile> sends, forgets, deletes;
  for (const Row& r : rows) {
    if (r.crcExisting != 0) ++plan.publishedCount;
    PlannedFile f;
    f.name = r.name;
    f.crcNew = r.crcNew;
    f.crcExisting = r.crcExisting;
    if (r.crcNew == 0) {
      if (plan.deletionsWithheld) continue;
      if (const auto twin = live.find(util::lowerAscii(r.name)); twin != live.end()) {
        f.step = PlanStep::Forget;
        f.twin = twin->second;
        forgets.push_back(std::move(f));
        continue;
      }
      f.step = PlanStep::Delete;
      deletes.push_back(std::move(f));
      continue;
    }
    if (r.crcNew == r.crcExisting) continue;  // unchanged
    if (r.crcLocal != r.crcNew) {
      plan.incomplete.push_back(r.name);
      continue;
    }
    f.step = PlanStep::Send;
    f.group = grouping.of(r.name);
    if (util::isBareFileName(r.name)) f.bytes = std::max<int64_t>(0, util::fileSize(util::joinPath(outputFolder, r.name)));
    sends.push_back(std::move(f));
  }
  std::stable_sort(sends.begin(), sends.end(),
                   [](const PlannedFile& a, const PlannedFile& b) { return a.group < b.group; });
  for (const PlannedFile& f : sends) {
    ++plan.sendCount;
    ++(f.crcExisting == 0 ? plan.newCount : plan.changedCount);
    plan.sendBytes += f.bytes;
  }
  plan.deleteCount = static_cast<int>(deletes.size());
  plan.steps = std::move(sends);
  plan.steps.insert(plan.steps.end(), forgets.begin(), forgets.end());
  plan.steps.insert(plan.steps.end(), deletes.begin(), deletes.end());
  return plan;
}

std::string planTotals(const PublishPlan& plan) {
  return std::to_string(plan.sendCount) + " file(s) to send (" + std::to_string(plan.newCount) + " new, " +
         std::to_string(plan.changedCount) + " changed, " + std::to_string(plan.sendBytes) + " bytes), " +
         std::to_string(plan.deleteCount) + " file(s) to delete";
}

int publishedDeletionsWithin(const PublishPlan& plan, int pageLimit) {
  int acted = 0, deletions = 0;
  for (const PlannedFile& f : plan.steps) {
    if (f.step == PlanStep::Forget) continue;
    if (acted++ >= pageLimit) break;
    if (f.step == PlanStep::Delete && f.crcExisting != 0) ++deletions;
  }
  return deletions;
}

bool isMassDeletion(int deletions, int published) {
  return deletions > kMassDeletionFiles && static_cast<int64_t>(deletions) * 4 > published;
}

std::string massDeletionQuestion(int deletions, int published) {
  return "This publish will delete " + std::to_string(deletions) + " of the " + std::to_string(published) +
         " files on the server. Continue?";
}

}  // namespace tessary::publish
