#include "generator/page_jobs.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "generator/entry_format.h"
#include "util/text.h"

namespace tessary::generator {

namespace {

// Pages in flight at most: enough to keep the workers busy while the run's
// thread builds the next page, few enough that memory stays flat. A period
// page of a large blog lists a thousand entries and takes a worker as long as
// hundreds of single pages: a shorter line fills up behind it and leaves the
// run's thread waiting (at 128, a third of a second in a 100,000-entry run).
constexpr size_t kPagesInFlight = 1024;

struct LogLine {
  bool clear = false;
  bool coloured = false;
  Colour colour;
  std::string text;
};

void writeLine(ProgressLog& log, const LogLine& line) {
  if (line.clear)
    log.ClearLog();
  else if (line.coloured)
    log.AppendColouredLine(line.colour, line.text);
  else
    log.AppendLine(line.text);
}

}  // namespace

void LaterArticle::make() const {
  std::call_once(once_, [this] {
    std::string formatted = AutoFormat(stored_.decode(), formatting_);
    teaser_ = CutTeaser(formatted);
    formatted_ = std::move(formatted);
    stored_ = {};
  });
}

const std::string& LaterArticle::formatted() const {
  make();
  return formatted_;
}

const std::string& LaterArticle::teaser() const {
  make();
  return teaser_;
}

std::string finishedText(PageDraft draft, uint32_t number, bool* usedNumber) {
  if (usedNumber) *usedNumber = false;
  if (draft.article) draft.entry.EntryText = draft.article->formatted();
  if (draft.entryText) draft.entry.EntryText = AutoFormat(draft.entryText->decode(), draft.entryTextFormatting);
  if (draft.listPackage && !draft.listed.empty()) {
    // A month page may list thousands of entries: the page is assembled once,
    // in room reserved for about all of it, not grown and copied entry by entry.
    constexpr size_t kRoomPerEntry = 2048;  // the slice and the short values
    const size_t at = std::min(draft.listAt, draft.text.size());
    size_t room = draft.text.size();
    for (const PageDraft::ListedEntry& e : draft.listed)
      room += e.before.size() + e.entry.EntryText.size() + (e.text ? 4 * e.text->storedSize() : 0) + kRoomPerEntry;
    std::string page;
    page.reserve(room);
    page.append(draft.text, 0, at);
    for (PageDraft::ListedEntry& e : draft.listed) {
      if (e.text) e.entry.EntryText = AutoFormat(e.text->decode(), e.formatting);
      if (e.article) e.entry.EntryText.insert(0, e.article->teaser());
      page += e.before;
      templates::FillEntryTagsInto(page, *draft.listPackage, draft.listTempl, draft.listSlice, e.entry);
    }
    page.append(draft.text, at, std::string::npos);
    draft.text = std::move(page);
  }
  if (draft.package)
    for (int s : draft.slices) templates::FillEntryTagsInto(draft.text, *draft.package, draft.templ, s, draft.entry);
  if (!draft.global) return std::move(draft.text);
  return templates::ResolveCommandsWithNumber(
      templates::FillPageTags(std::move(draft.text), *draft.global, draft.entry, draft.page), number, usedNumber);
}

class PageJobs::PageJob : public util::OrderedJobs::Job {
 public:
  PageJob(PageJobs& owner, PageOutput::PagePlan plan, PageDraft draft, uint32_t number)
      : owner_(owner), plan_(std::move(plan)), draft_(std::move(draft)), number_(number) {}

  void run() override {
    inputs_ = draft_.inputs;
    teaser_ = std::move(draft_.inputsTeaser);
    if (plan_.refused) return;
    if (draft_.article) teaser_ = draft_.article->teaser();
    if (draft_.known) {
      // Built from these inputs before, and its file holds that version: the
      // text it would give is that version's, which needs no writing.
      file_.crc = draft_.known->crc;
      file_.size = draft_.known->size;
      draft_ = {};
      return;
    }
    bool usedNumber = false;
    const std::string text = finishedText(std::move(draft_), number_, &usedNumber);
    // A page that shows its [%RANDOM%] number follows from more than its inputs.
    if (usedNumber) inputs_ = 0;
    draft_ = {};
    file_ = PageOutput::preparePage(plan_, text);
  }

  void apply() override {
    if (!plan_.refused) {
      const auto it = owner_.inFlight_.find(plan_.name);
      if (it != owner_.inFlight_.end() && --it->second == 0) owner_.inFlight_.erase(it);
    }
    if (owner_.output_.applyPage(plan_, file_)) owner_.output_.recordInputs(plan_, inputs_, file_, teaser_);
    for (const LogLine& line : after_) writeLine(owner_.log_, line);
  }

  void discard() noexcept override { PageOutput::discardPage(file_); }
  // A page known unchanged, a refused name: nothing to build or write.
  bool quick() const override { return plan_.refused || draft_.known.has_value(); }

  // A line the builders wrote after this page was handed in (the run's thread).
  void addLineAfter(LogLine line) { after_.push_back(std::move(line)); }

 private:
  PageJobs& owner_;
  const PageOutput::PagePlan plan_;
  PageDraft draft_;
  const uint32_t number_;
  PageOutput::PageFile file_;
  uint64_t inputs_ = 0;
  std::string teaser_;
  std::vector<LogLine> after_;
};

PageJobs::PageJobs(PageOutput& output, ProgressLog& log, unsigned threads)
    : output_(output),
      log_(log),
      threads_(threads < 1 ? 1 : threads),
      orderedLog_(*this),
      jobs_(threads_ > 1 ? threads_ : 0, kPagesInFlight) {}

PageJobs::~PageJobs() = default;

unsigned PageJobs::threadsFor(unsigned wanted) {
  if (wanted > 0) return wanted;
  if (const char* env = std::getenv("TESSARY_PAGE_THREADS")) {
    int n = 0;
    if (util::parseInt(env, n) && n >= 1) return static_cast<unsigned>(n);
  }
  return util::OrderedJobs::coreCount();
}

bool PageJobs::submit(const std::string& name, PageDraft draft, std::string_view source) {
  // Drawn here, in the run's order, whichever thread finishes the page.
  const uint32_t number = draft.global ? templates::DrawRandomNumber() : 0;
  PageOutput::PagePlan plan = output_.planPage(name, source);
  if (!plan.refused && inFlight_.count(plan.name) != 0) {
    // A page of the same spelling is in flight: its row and its file must be
    // in place before this page is compared with them.
    jobs_.drain();
    plan = output_.planPage(name, source);
  }
  const bool refused = plan.refused;
  if (!refused) ++inFlight_[plan.name];
  jobs_.submit(std::make_unique<PageJob>(*this, std::move(plan), std::move(draft), number));
  return !refused;
}

void PageJobs::drain() { jobs_.drain(); }

void PageJobs::OrderedLog::ClearLog() {
  if (auto* job = static_cast<PageJob*>(jobs_.jobs_.newest()))
    job->addLineAfter({true, false, {}, {}});
  else
    jobs_.log_.ClearLog();
}

void PageJobs::OrderedLog::AppendLine(const std::string& text) {
  if (auto* job = static_cast<PageJob*>(jobs_.jobs_.newest()))
    job->addLineAfter({false, false, {}, text});
  else
    jobs_.log_.AppendLine(text);
}

void PageJobs::OrderedLog::AppendColouredLine(Colour colour, const std::string& text) {
  if (auto* job = static_cast<PageJob*>(jobs_.jobs_.newest()))
    job->addLineAfter({false, true, colour, text});
  else
    jobs_.log_.AppendColouredLine(colour, text);
}

}  // namespace tessary::generator
