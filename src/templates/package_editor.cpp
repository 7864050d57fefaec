#include "templates/package_editor.h"

#include <stdexcept>

#include "store/user_interface.h"
#include "templates/preview.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::templates {

using store::Answer;
using store::Buttons;

namespace {

// Only the first 300 characters after "A" and its separator name a file in the list.
constexpr size_t kFileNameLookAhead = 300;

bool validTemplate(int k) { return k >= 1 && k <= kTemplateCount; }
bool resettableTemplate(int k) { return k >= 2 && k <= kTemplateCount; }

// The names the reset and clear texts use for templates 2 to 6 (they differ for 4).
const char* const kResetNames[] = {"", "", "Home Page", "Archive Index", "Archive Entry", "Article", "Static"};
const char* const kClearNames[] = {"", "", "Home Page", "Archive Index", "Archive Entries", "Article", "Static"};

}  // namespace

// ---- Names and texts ------------------------------------------------------------------

const char* templateButtonCaption(int k) {
  static const char* const names[] = {"Default Layout",  "Home Page",     "Archive Index",
                                      "Archive Entries", "Article Pages", "Static Pages"};
  return validTemplate(k) ? names[k - 1] : "";
}

const char* templateLabel(int k) {
  static const char* const labels[] = {"Default Template",       "Index Template",   "Section Index Template",
                                       "Section Entry Template", "Article Template", "Static Template"};
  return validTemplate(k) ? labels[k - 1] : "";
}

const char* sliceTabCaption(int s) {
  static const char* const tabs[] = {"Start of Page", "Article",       "Before Entries",
                                     "Each Entry",    "After Entries", "End of Page"};
  return s >= 1 && s <= kTemplateCount ? tabs[s - 1] : "";
}

std::string resetQuestion(int k) { return resettableTemplate(k) ? resetHint(k) + "?" : ""; }
std::string clearQuestion(int k) { return resettableTemplate(k) ? clearHint(k) + "?" : ""; }
std::string resetHint(int k) {
  return resettableTemplate(k) ? "Reset " + std::string(kResetNames[k]) + " template to Default template" : "";
}
std::string clearHint(int k) {
  return resettableTemplate(k) ? "Clear " + std::string(kClearNames[k]) + " template" : "";
}

std::string withLineBreaksOf(std::string_view typed, std::string_view before) {
  bool loneLf = false;
  for (size_t i = 0; i < before.size() && !loneLf; ++i) loneLf = before[i] == '\n' && (i == 0 || before[i - 1] != '\r');
  if (loneLf) return std::string(typed);
  std::string out;
  out.reserve(typed.size() + typed.size() / 16);
  for (char c : typed) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// ---- Insertable items -----------------------------------------------------------------

namespace {

std::vector<std::string> buildItems(bool entryItemsOffered) {
  std::vector<std::string> items;
  auto heading = [&](const char* h) { items.emplace_back(h); };
  auto add = [&](std::initializer_list<const char*> names) {
    for (const char* n : names) items.emplace_back(n);
  };
  auto addCss = [&](std::initializer_list<const char*> names) {
    for (const char* n : names) items.push_back(std::string(n) + ".css");
  };
  // Entry values exist only where a slice is filled with an entry.
  auto addEntry = [&](std::initializer_list<const char*> names, const char* suffix) {
    for (const char* n : names) items.push_back((entryItemsOffered ? "" : "--- ") + std::string(n) + suffix);
  };
  heading("--- COMMANDS ---");
  add({"IFNOTBLANK~~field1~~result1", "IFBLANK~~field1~~result1", "RANDOM"});
  heading("--- PAGE TYPES (Resolves to TRUE or BLANK) ---");
  add({"ISHOMEPAGE", "ISINDEXPAGE", "ISENTRYPAGE", "ISARTICLEPAGE", "ISSTATICPAGE", "ISHIDDENPAGE"});
  const auto mainpage = {"mainpage.title", "mainpage.url", "mainpage.about"};
  heading("--- INDEX PAGE ITEMS ---");
  add(mainpage);
  heading("--- INDEX PAGE ITEMS (CSS) ---");
  addCss(mainpage);
  heading("--- CURRENT PAGE ITEMS ---");
  add({"thispage.title", "thispage.menutree", "thispage.metatag.keywords", "thispage.metatag.description"});
  heading("--- CURRENT PAGE ITEMS (CSS) ---");
  add({"thispage.title.css", "thispage.menutree.css", "links.navbar.column", "links.navbar.row"});
  heading("--- ENTRY ITEMS ---");
  addEntry({"entry.id", "entry.title", "entry.date", "entry.date.words", "entry.text", "entry.url.related",
            "entry.teaser", "entry.sidebar", "entry.custom.title.1", "entry.custom.field.1", "entry.custom.title.2",
            "entry.custom.field.2", "entry.permalink.href", "entry.metatag.keywords", "entry.metatag.description"},
           "");
  heading("--- ENTRY ITEMS (CSS) ---");
  addEntry({"entry.title", "entry.date", "entry.date.words", "entry.text", "entry.url.related", "entry.sidebar"},
           ".css");
  const auto lists = {"links.by.month.column",    "links.by.month.row",  "links.by.category.column",
                      "links.by.category.row",    "links.static.column", "links.static.row",
                      "links.articles.column",    "links.articles.row"};
  heading("-- LISTS OF ITEMS ---");
  add(lists);
  heading("-- LISTS OF ITEMS (CSS) ---");
  addCss(lists);
  const auto links = {"linkto.index.mainpage", "linkto.index.recententries", "linkto.index.articles",
                      "linkto.index.by.month", "linkto.prior",               "linkto.next",
                      "linkto.parent",         "linkto.index.category"};
  heading("--- LINKS TO ITEMS ---");
  add(links);
  heading("--- LINKS TO ITEMS (CSS) ---");
  addCss(links);
  heading("--- EXTERNAL LINKS ---");
  add({"linkto.parent.site"});
  heading("--- EXTERNAL LINKS (CSS) ---");
  add({"linkto.parent.site.css"});
  heading("--- HREF LINKS TO ITEMS ---");
  add({"linkto.index.mainpage.href", "linkto.index.recententries.href", "linkto.index.articles.href",
       "linkto.index.by.month.href", "linkto.prior.href", "linkto.next.href", "linkto.parent.href",
       "linkto.rss20.href", "linkto.rss091.href"});
  heading("--- CUSTOM FIELDS ---");
  for (int i = 1; i <= 10; ++i) items.push_back("custom.tag." + std::to_string(i));
  items.emplace_back();
  return items;
}

}  // namespace

const std::vector<std::string>& insertableItems(int slice) {
  static const std::vector<std::string> withEntries = buildItems(true);
  static const std::vector<std::string> withoutEntries = buildItems(false);
  return slice == kArticle || slice == kEachEntry ? withEntries : withoutEntries;
}

std::string insertionFor(std::string_view item) {
  // "-- LISTS OF ITEMS ---" is a heading too, though it starts with two dashes only.
  if (item.empty() || item.substr(0, 2) == "--") return {};
  return "[%" + std::string(item) + "%]";
}

// ---- The editor -----------------------------------------------------------------------

PackageEditor::PackageEditor(store::UserInterface& ui, PackageEditorDialogs dialogs)
    : ui_(ui), dialogs_(std::move(dialogs)), lines_(newPackageLines()), slices_(10) {
  rebuildFileList();
  takeSnapshot();
}

std::string PackageEditor::statusText() const { return fileName_.empty() ? kNewTemplatePackage : fileName_; }

std::string PackageEditor::joined() const {
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += "\r\n";
    text += lines_[i];
  }
  return text;
}

bool PackageEditor::modified() const { return !util::equalsNoCase(joined(), snapshot_); }
void PackageEditor::takeSnapshot() { snapshot_ = joined(); }

// A record is written back only when its boxes say something else than it does:
// showing a template changes nothing, and a package opened and saved unchanged
// is written byte for byte as it was read.
void PackageEditor::storeEdits() {
  if (description_ != packageDescription(lines_)) lines_[0] = encodeDescription(description_);
  if (!validTemplate(current_)) return;
  bool changed = false;
  for (int s = 1; s <= kTemplateCount; ++s) {
    std::string& slice = slices_[static_cast<size_t>(s)];
    const std::string& box = boxes_[static_cast<size_t>(s - 1)];
    if (slice != box) {
      slice = box;
      changed = true;
    }
  }
  if (changed) lines_[static_cast<size_t>(current_)] = encodeTemplateRecord(slices_);
}

void PackageEditor::showTemplate(int k) {
  if (!validTemplate(k)) return;
  storeEdits();
  current_ = k;
  labelled_ = k;
  ++shown_;
  slices_ = decodeTemplateRecord(lines_[static_cast<size_t>(k)]);
  for (int s = 1; s <= kTemplateCount; ++s) boxes_[static_cast<size_t>(s - 1)] = slices_[static_cast<size_t>(s)];
}

void PackageEditor::rebuildFileList() {
  files_.clear();
  for (size_t i = 0; i < lines_.size(); ++i) {
    const std::string_view line = lines_[i];
    if (line.empty() || line[0] != 'A') continue;
    const std::string_view rest = line.substr(std::min<size_t>(2, line.size())).substr(0, kFileNameLookAhead);
    files_.push_back({std::string(rest.substr(0, rest.find(kFieldSeparator))), i});
  }
}

void PackageEditor::resetToNew() {
  current_ = kNoTemplate;
  boxes_ = {};
  description_.clear();
  fileName_.clear();
  lines_ = newPackageLines();
  rebuildFileList();
  page_ = Page::kSlices;
  showTemplate(1);
  takeSnapshot();
}

void PackageEditor::start() { resetToNew(); }

bool PackageEditor::askToSaveChanges(const char* question) {
  if (!modified()) return true;
  switch (ui_.confirm(question, Buttons::YesNoCancel)) {
    case Answer::Yes:
      save();
      return !modified();
    case Answer::No:
      return true;
    default:
      return false;
  }
}

// New and Open leave no template current while they ask and choose; when they
// end without acting, the template on display becomes current again, so that
// what is typed into its boxes afterwards is still stored.
void PackageEditor::newPackage() {
  storeEdits();
  const int was = current_;
  current_ = kNoTemplate;
  if (!askToSaveChanges(kSaveBeforeNewQuestion)) {
    current_ = was;
    return;
  }
  resetToNew();
}

void PackageEditor::open() { openFile(std::nullopt); }

void PackageEditor::openFile(std::optional<std::string> path) {
  storeEdits();
  const int was = current_;
  current_ = kNoTemplate;
  if (!askToSaveChanges(kSaveBeforeNewQuestion))
    path.reset();
  else if (!path && dialogs_.openPackage)
    path = dialogs_.openPackage();
  if (!path) {
    current_ = was;
    return;
  }
  // Read first: a file that cannot be read leaves the package as it was.
  const int64_t size = util::fileSize(*path);
  if (size > 0 && static_cast<uint64_t>(size) > kMaxPackageBytes) {
    current_ = was;
    throw std::runtime_error(tooLargePackageMessage(*path, static_cast<uint64_t>(size), CheckWording::kEditor));
  }
  std::string bytes;
  if (Status s = util::readFile(*path, bytes, kMaxPackageBytes); !s.ok()) {
    current_ = was;
    throw std::runtime_error(s.message());
  }
  std::vector<std::string> read = splitPackageLines(bytes);
  const PackageCheck check = checkPackageLines(read);
  if (!check.ok()) {
    ui_.showError(damageMessage(check, *path, CheckWording::kEditor));
    resetToNew();
    return;
  }
  lines_ = std::move(read);
  fileName_ = *path;
  description_ = packageDescription(lines_);
  boxes_ = {};
  rebuildFileList();
  takeSnapshot();
  page_ = Page::kSlices;
  showTemplate(1);
}

void PackageEditor::writeTo(const std::string& path) {
  if (Status s = util::writeFileAtomic(path, joinPackageLines(lines_)); !s.ok()) throw std::runtime_error(s.message());
}

bool PackageEditor::save() {
  storeEdits();
  if (!modified()) return false;
  // A new package has nowhere to be written but where its author chooses.
  if (fileName_.empty()) return saveAs();
  writeTo(fileName_);
  takeSnapshot();
  return true;
}

bool PackageEditor::saveAs() {
  storeEdits();
  std::optional<std::string> path;
  if (dialogs_.savePackageAs) path = dialogs_.savePackageAs(fileName_);
  if (!path || path->empty()) return false;
  // The snapshot and the name follow the write, so a failed write leaves the package modified.
  writeTo(*path);
  fileName_ = *path;
  takeSnapshot();
  return true;
}

void PackageEditor::templateButton(int k) {
  if (!validTemplate(k)) return;
  page_ = Page::kSlices;
  showTemplate(k);
}

void PackageEditor::showDescriptionPage() {
  storeEdits();
  current_ = kNoTemplate;
  page_ = Page::kDescription;
}

void PackageEditor::showFilesPage() {
  storeEdits();
  current_ = kNoTemplate;
  page_ = Page::kFiles;
}

bool PackageEditor::resetTemplate(int k) {
  if (!resettableTemplate(k) || ui_.confirm(resetQuestion(k), Buttons::YesNoCancel) != Answer::Yes) return false;
  storeEdits();
  current_ = kNoTemplate;
  std::string record = lines_[1];
  record[0] = static_cast<char>('0' + k);
  lines_[static_cast<size_t>(k)] = std::move(record);
  page_ = Page::kSlices;
  showTemplate(k);
  return true;
}

bool PackageEditor::clearTemplate(int k) {
  if (!resettableTemplate(k) || ui_.confirm(clearQuestion(k), Buttons::YesNoCancel) != Answer::Yes) return false;
  storeEdits();
  current_ = kNoTemplate;
  // The key and nine empty slices: what the emptied boxes store.
  lines_[static_cast<size_t>(k)] = encodeTemplateRecord(SliceList{std::string(1, static_cast<char>('0' + k))});
  page_ = Page::kSlices;
  showTemplate(k);
  return true;
}

void PackageEditor::addFile() {
  if (!dialogs_.addFile) return;
  const std::optional<std::string> path = dialogs_.addFile();
  if (!path) return;
  const std::string hex = FileToHex(*path);
  lines_.push_back(encodeFileRecord(util::trim(util::fileNameOf(*path)), hex));
  rebuildFileList();
}

void PackageEditor::removeFile(size_t item) {
  if (item >= files_.size()) return;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(files_[item].line));
  rebuildFileList();
}

bool PackageEditor::extractFile(size_t item) {
  if (item >= files_.size()) return true;
  FileRecord record;
  if (!parseFileRecord(lines_[files_[item].line], record) || !dialogs_.extractFile) return true;
  // Only the bare name is offered, whatever the package says.
  const std::optional<std::string> path = dialogs_.extractFile(util::fileNameOf(record.name));
  if (!path) return true;
  if (HexToFile(record.hex, *path)) return true;
  ui_.showError("Error extracting " + record.name + " from template package to " + *path + ". Sorry.");
  return false;
}

bool PackageEditor::mayClose() {
  storeEdits();
  return askToSaveChanges(kSaveBeforeCloseQuestion);
}

std::string PackageEditor::preview(const std::string& programFolder) {
  storeEdits();
  return BuildTemplatePreview(programFolder, lines_, fileName_, ui_);
}

}  // namespace tessary::templates
