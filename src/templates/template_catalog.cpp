#include "templates/template_catalog.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "store/user_interface.h"
#include "templates/package.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::templates {

namespace fs = std::filesystem;

Status readFirstLine(const std::string& path, std::string& line) {
  line.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return Status::Error("Cannot open " + path + ": " + util::errnoText(errno));
  // The description record: its key, a separator and one text of a package.
  const size_t limit = kMaxSliceBytes + 2;
  char buf[8192];
  while (line.size() < limit) {
    in.read(buf, sizeof buf);
    const std::streamsize n = in.gcount();
    if (n <= 0) break;
    const std::string_view chunk(buf, static_cast<size_t>(n));
    const size_t end = chunk.find_first_of("\r\n");
    line.append(chunk.substr(0, end));
    if (end != std::string_view::npos) break;
  }
  if (in.bad()) return Status::Error("Cannot read " + path + ": " + util::errnoText(errno));
  if (line.size() > limit) line.resize(limit);
  return Status::OK();
}

int TemplateCatalog::insert(const std::string& name, const std::string& description, bool keep) {
  const int number = ++counter_;
  if (keep) descriptions_[number] = description;
  // Sorted without case; a name listed twice goes after the one there.
  const auto at = std::upper_bound(items_.begin(), items_.end(), name, [](const std::string& n, const Item& i) {
    return util::compareNoCase(n, i.name) < 0;
  });
  return static_cast<int>(items_.insert(at, Item{name, number}) - items_.begin());
}

Status TemplateCatalog::scan(const std::string& folder, store::UserInterface* ui) {
  if (ui) ui->statusShow("Looking for Templates...");
  Status result = Status::OK();
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.' || !util::endsWithNoCase(name, ".tem")) continue;
    std::error_code sec;
    if (!it->is_regular_file(sec)) continue;
    if (ui) ui->statusSetMessage("Found " + name);
    const int number = counter_ + 1;
    std::string description;
    if (number < kDescriptionLimit) {
      std::string first;
      result = readFirstLine(it->path().string(), first);
      if (!result.ok()) break;
      description = packageDescription({first});
    }
    insert(name, description, number < kDescriptionLimit);
  }
  if (ui) {
    ui->statusSetMessage("Complete...");
    ui->statusClose();
  }
  return result;
}

Status TemplateCatalog::add(const std::string& source, const std::string& folder, std::string* addedName) {
  // The file's folder, with a trailing separator, against the templates folder.
  std::error_code ec;
  const std::string from = fs::weakly_canonical(fs::absolute(source, ec).parent_path(), ec).string() + "/";
  std::string to = fs::weakly_canonical(fs::absolute(folder, ec), ec).string();
  if (to.empty() || to.back() != '/') to += '/';
  if (util::equalsNoCase(from, to))
    return Status::Error(
        "You have selected a template that is already in the Tessary Directory. Please choose again.");
  std::vector<std::string> lines;
  if (Status s = readPackageFile(source, lines, CheckWording::kChooser); !s.ok()) return s;
  const std::string name = util::changeExtension(util::fileNameOf(source), ".tem");
  if (!util::isBareFileName(name)) return Status::Error("Cannot add " + source + ": not a usable file name");
  if (Status s = util::writeFileAtomic(util::joinPath(folder, name), joinPackageLines(lines)); !s.ok()) return s;
  insert(name, packageDescription(lines), items_.size() + 1 < static_cast<size_t>(kDescriptionLimit));
  if (addedName) *addedName = name;
  return Status::OK();
}

std::string TemplateCatalog::descriptionAt(int index) const {
  if (index < 0 || index >= static_cast<int>(items_.size()) || index + 1 > kDescriptionLimit) return {};
  const auto it = descriptions_.find(items_[static_cast<size_t>(index)].number);
  return it == descriptions_.end() ? std::string() : it->second;
}

int TemplateCatalog::indexOf(const std::string& name) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (util::equalsNoCase(items_[i].name, name)) return static_cast<int>(i);
  return -1;
}

}  // namespace tessary::templates
