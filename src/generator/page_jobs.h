// The pages of a generation run, finished and written on worker threads while
// the run's thread keeps the order of everything that has one.
//
// The run's thread builds each page up to its last step and hands it in as a
// PageDraft. What remains is the expensive tail: the page and site tags filled
// (FillPageTags), the commands resolved (ResolveCommands), the checksum, the
// comparison with the local copy and the temporary file written. Workers do
// that tail; the run's thread then takes the pages back strictly in the order
// they were handed in and applies each one through PageOutput::applyPage: its
// log lines, its counters, its tblPages row, its file renamed into place.
//
// So the run looks exactly as it does on one thread:
// - the [%RANDOM%] number of a page is drawn when it is handed in, in the
//   run's order;
// - the log the builders write to (log()) holds their lines back while pages
//   are in flight and writes them after the page handed in before them;
// - a page is planned (its spelling, its row) when it is handed in; one whose
//   spelling is still in flight waits until that page is applied, so every plan
//   sees the row a one-thread run would see;
// - a failure (a page that cannot be written, an exception from the tag
//   engine) is raised at that page's turn: nothing handed in after it is
//   applied, its file is never renamed into place, and the temporary files
//   written ahead are removed when the PageJobs goes. drain() applies what
//   was handed in before a failure of the run's own thread.
//
// Ownership: one PageJobs per run, on the run's thread; the PageOutput and the
// log outlive it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "generator/page_output.h"
#include "store/table.h"
#include "templates/tag_engine.h"
#include "util/ordered_jobs.h"
#include "util/progress_log.h"

namespace tessary::generator {

// An article's text as the blog file stores it, left for the pages that show
// it: its own page shows it whole, the archive page that lists it the start of
// it (CutTeaser). Whichever of them is finished first decodes and formats it,
// once; the other waits for that. A damaged text raises in both.
class LaterArticle {
 public:
  LaterArticle(store::StoredText stored, int32_t formatting)
      : stored_(std::move(stored)), formatting_(formatting) {}
  // AutoFormat of the text with the run's HTML formatting.
  const std::string& formatted() const;
  // CutTeaser of formatted().
  const std::string& teaser() const;

 private:
  void make() const;
  mutable store::StoredText stored_;  // dropped once decoded
  int32_t formatting_ = 0;
  mutable std::once_flag once_;
  mutable std::string formatted_, teaser_;
};

// A page handed to the run: its text and, when the text is still to be
// finished by the tag engine, the records to finish it with.
struct PageDraft {
  std::string text;
  // Null: the text is final (feeds, redirects, free-format pages, the site map).
  std::shared_ptr<const templates::templateGlobalVars> global;
  templates::templateEntryVars entry;
  templates::templatePageVars page;
  // When set: these slices of template `templ` are added to the text first,
  // their entry tags filled from `entry`, so that the whole page of a single
  // entry is assembled where it is finished. The package outlives the draft.
  const templates::TemplatePackage* package = nullptr;
  int templ = 0;
  std::vector<int> slices;
  // Not 0: the digest of everything the page is made of (see
  // PageOutput::BuiltVersion); what the page gives is then recorded with it.
  uint64_t inputs = 0;
  std::string inputsTeaser;  // recorded with them (PageOutput::recordedTeaser)
  // Set when the page was last built from these very inputs and its file still
  // holds that version (PageOutput::builtFrom): the version is handed in
  // instead of the text, which is left unbuilt.
  std::optional<PageOutput::BuiltVersion> known;
  // When set: the entry's text as the blog file stores it, decoded and
  // formatted (AutoFormat with the HTML formatting `entryTextFormatting`)
  // into entry.EntryText where the page is finished, off the run's thread.
  std::optional<store::StoredText> entryText;
  int32_t entryTextFormatting = 0;
  // When set: the article this page is made of; its formatted text goes into
  // entry.EntryText, and its teaser is what is recorded with the inputs.
  std::shared_ptr<const LaterArticle> article;

  // The entries a list page (a month, week or day page) shows, each slice
  // `listSlice` of template `listTempl` with that entry's tags filled, after
  // its `before` text; inserted at `listAt` of the text where the page is
  // finished. An entry's `text`, when set, is decoded and formatted into its
  // EntryText there; an `article`'s teaser is put before its EntryText (the
  // link to the article).
  struct ListedEntry {
    std::string before;
    templates::templateEntryVars entry;
    std::optional<store::StoredText> text;
    int32_t formatting = 0;
    std::shared_ptr<const LaterArticle> article;
  };
  const templates::TemplatePackage* listPackage = nullptr;
  int listTempl = 0, listSlice = 0;
  size_t listAt = 0;
  std::vector<ListedEntry> listed;

  // A page whose text is final.
  static PageDraft finished(std::string text) {
    PageDraft d;
    d.text = std::move(text);
    return d;
  }
  // A page to be finished with these records.
  static PageDraft toFinish(std::string text, std::shared_ptr<const templates::templateGlobalVars> global,
                            const templates::templateEntryVars& entry, const templates::templatePageVars& page) {
    PageDraft d;
    d.text = std::move(text);
    d.global = std::move(global);
    d.entry = entry;
    d.page = page;
    return d;
  }
};

// The draft's final text: as it stands, or assembled and finished by the tag
// engine with `number` for [%RANDOM%]; *usedNumber tells whether the text
// held that tag.
std::string finishedText(PageDraft draft, uint32_t number, bool* usedNumber = nullptr);

class PageJobs {
 public:
  // threads <= 1: every page is finished and applied on the calling thread
  // when it is handed in.
  PageJobs(PageOutput& output, ProgressLog& log, unsigned threads);
  // Waits for the workers, then drops the pages not applied (and their
  // temporary files).
  ~PageJobs();
  PageJobs(const PageJobs&) = delete;
  PageJobs& operator=(const PageJobs&) = delete;

  // Hands in one page. Returns false when its name is refused (the red line
  // follows at its turn). Raises the failure of a page handed in earlier.
  bool submit(const std::string& name, PageDraft draft, std::string_view source);
  // Applies every page handed in; raises the first failure. Nothing after a
  // failure.
  void drain();
  // The log in the run's order.
  ProgressLog& log() { return orderedLog_; }
  unsigned threads() const { return threads_; }

  // The thread count of a run: `wanted` when not 0, else TESSARY_PAGE_THREADS
  // when it holds a number from 1 up, else the number of cores.
  static unsigned threadsFor(unsigned wanted);

 private:
  class PageJob;
  // Writes a line at once when no page is in flight, else after the newest one.
  class OrderedLog : public ProgressLog {
   public:
    explicit OrderedLog(PageJobs& jobs) : jobs_(jobs) {}
    void ClearLog() override;
    void AppendLine(const std::string& text) override;
    void AppendColouredLine(Colour colour, const std::string& text) override;

   private:
    PageJobs& jobs_;
  };

  PageOutput& output_;
  ProgressLog& log_;
  const unsigned threads_;
  OrderedLog orderedLog_;
  // The spellings of the pages in flight, with their counts.
  std::unordered_map<std::string, int> inFlight_;
  util::OrderedJobs jobs_;
};

}  // namespace tessary::generator
