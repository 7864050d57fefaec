// What the template chooser lists: the template packages (*.tem) in the
// templates folder, sorted by name, each with a description number handed out
// in the order the packages were found or added (from 1), and the descriptions
// kept for the numbers 1 to 499 (later packages list with an empty one).
//
// Only a package's first line is read when it is listed, so a damaged package
// is listed; adding one from elsewhere checks it whole and refuses a damaged one.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "util/status.h"

namespace tessary::store {
class UserInterface;
}

namespace tessary::templates {

class TemplateCatalog {
 public:
  struct Item {
    std::string name;  // file name with extension, no folder
    int number = 0;    // description number
  };
  static constexpr int kDescriptionLimit = 500;  // numbers below it keep a description

  // Lists every regular, not hidden file whose name ends in ".tem" (any case)
  // in folder, reporting progress in the status popup of ui when given. Fails
  // with the file's error when a package's first line cannot be read; what was
  // found until then stays listed.
  Status scan(const std::string& folder, store::UserInterface* ui);

  // Copies the package at source into folder under its name with the extension
  // ".tem" (a file of that name is replaced) and lists it. Fails, changing
  // nothing, when source lies in folder itself, is damaged, or cannot be read
  // or written; the message is the one to show. addedName receives the new name.
  Status add(const std::string& source, const std::string& folder, std::string* addedName = nullptr);

  const std::vector<Item>& items() const { return items_; }
  // The description shown for the item at index (0-based list position): the
  // one kept for its number while the position is 500 or less, else empty.
  std::string descriptionAt(int index) const;
  // The first item of that name, compared without case; -1 when none.
  int indexOf(const std::string& name) const;

 private:
  // Lists name under the next number; keeps its description when keep is set.
  int insert(const std::string& name, const std::string& description, bool keep);

  std::vector<Item> items_;
  std::map<int, std::string> descriptions_;
  int counter_ = 0;
};

// The first line of a file (up to its first CR or LF), read with a bound.
Status readFirstLine(const std::string& path, std::string& line);

}  // namespace tessary::templates
