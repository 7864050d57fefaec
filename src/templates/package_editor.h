// The template package editor's state and commands, without any window: the
// package being edited as package lines, its file name, the template whose six
// slices are on display, and the snapshot that tells whether it changed. The
// window ("Template Packager") holds the text boxes and the file list; before a
// command it hands the boxes' texts to the editor (sliceBoxes, descriptionBox),
// after it shows what the editor holds.
//
// Two steps recur in every command:
//   store edits      the description box goes into line 1; when a template is
//                    current, the six slice boxes go into slices 1 to 6 of its
//                    slice list, and the list (key and slices 7 to 9 as read) is
//                    written back into its line. A text that did not change
//                    leaves its line as it was read.
//   show template k  store edits, make k current, decode line k+1 (no Default
//                    Layout fallback: a cleared template shows empty) and put
//                    slices 1 to 6 into the boxes.
//
// Questions go to the UserInterface (Yes/No/Cancel), file choices to the
// dialogs the window provides (an unset or cancelled dialog chooses nothing).
// A file that cannot be read or written throws std::runtime_error naming it; the
// package lines then stay as they were.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "templates/package.h"

namespace tessary::store {
class UserInterface;
}

namespace tessary::templates {

// The file dialogs of the editor; each returns the chosen path, or nothing when cancelled.
struct PackageEditorDialogs {
  std::function<std::optional<std::string>()> openPackage;
  // Offers the package's present file name (empty for a new package).
  std::function<std::optional<std::string>(const std::string& fileName)> savePackageAs;
  std::function<std::optional<std::string>()> addFile;
  // Offers the embedded file's own name.
  std::function<std::optional<std::string>(const std::string& name)> extractFile;
};

// One item of the file list: the name shown and the package line it stands for.
struct PackageFileItem {
  std::string name;
  size_t line = 0;
};

class PackageEditor {
 public:
  enum class Page { kSlices, kDescription, kFiles };
  static constexpr int kNoTemplate = 0;

  // ui must outlive the editor.
  PackageEditor(store::UserInterface& ui, PackageEditorDialogs dialogs);

  // ---- What the window shows ------------------------------------------------------
  // The six slice boxes (slices 1 to 6) and the description box.
  std::array<std::string, kTemplateCount>& sliceBoxes() { return boxes_; }
  std::string& descriptionBox() { return description_; }
  const std::vector<std::string>& lines() const { return lines_; }
  const std::string& fileName() const { return fileName_; }
  // 1 to 6, or kNoTemplate.
  int currentTemplate() const { return current_; }
  const SliceList& currentSlices() const { return slices_; }
  // The template whose label the slices page shows (the last one shown).
  int labelledTemplate() const { return labelled_; }
  Page page() const { return page_; }
  // How many times a template was shown (the window then selects the first slice tab).
  unsigned templatesShown() const { return shown_; }
  // The file name, or "New Template Package".
  std::string statusText() const;
  // Rebuilt from the lines: one item per line beginning with "A", in package order.
  const std::vector<PackageFileItem>& fileList() const { return files_; }
  // The present lines differ from the snapshot, letter case (ASCII) aside.
  bool modified() const;

  // ---- The recurring steps --------------------------------------------------------
  void storeEdits();
  void showTemplate(int k);

  // ---- Commands -------------------------------------------------------------------
  // Opening the window: a new package without the question, template 1 shown.
  void start();
  void newPackage();
  void open();
  // Open with the file already chosen (after the question about changes).
  void openFile(std::optional<std::string> path);
  // Writes the package when it is modified; without a file name that is Save As.
  // Returns true when the package was written.
  bool save();
  bool saveAs();
  // The template buttons: the slices page with template k (1 to 6).
  void templateButton(int k);
  void showDescriptionPage();
  void showFilesPage();
  // Templates 2 to 6, after their question; true when the template changed.
  // Reset copies the Default Layout's record under key k; Clear leaves key k and
  // nine empty slices, which the generator replaces by the Default Layout.
  bool resetTemplate(int k);
  bool clearTemplate(int k);
  void addFile();
  // By index into fileList(); an index out of range does nothing.
  void removeFile(size_t item);
  // Returns false when the data could not be written (after a message).
  bool extractFile(size_t item);
  // Closing: store edits and, when modified, ask; true when the window may close.
  bool mayClose();
  // Stores the edits and builds the preview pages in the program folder; the
  // index page's path, or empty when it is missing (after a message).
  std::string preview(const std::string& programFolder);

 private:
  // Yes, No or Cancel on unsaved changes; true when the command may go on.
  bool askToSaveChanges(const char* question);
  void takeSnapshot();
  void resetToNew();
  void rebuildFileList();
  // The package lines as the snapshot and the comparison see them.
  std::string joined() const;
  void writeTo(const std::string& path);

  store::UserInterface& ui_;
  PackageEditorDialogs dialogs_;
  std::vector<std::string> lines_;
  std::string fileName_;
  int current_ = kNoTemplate;
  int labelled_ = 1;
  SliceList slices_;
  std::array<std::string, kTemplateCount> boxes_;
  std::string description_;
  Page page_ = Page::kSlices;
  std::string snapshot_;
  std::vector<PackageFileItem> files_;
  unsigned shown_ = 0;
};

// ---- Names and texts ------------------------------------------------------------------

// The editor's button of template k (1 to 6): "Default Layout", "Home Page", ...
const char* templateButtonCaption(int k);
// The label the first tab shows for template k: "Default Template", "Index Template", ...
const char* templateLabel(int k);
// The caption of the tab of slice s (1 to 6): "Start of Page", "Article", ...
const char* sliceTabCaption(int s);
// The question and the hint of the reset and clear buttons of templates 2 to 6.
std::string resetQuestion(int k);
std::string clearQuestion(int k);
std::string resetHint(int k);
std::string clearHint(int k);

inline constexpr const char* kNewTemplatePackage = "New Template Package";
inline constexpr const char* kSaveBeforeNewQuestion = "Save Changes before closing current Template Package?";
inline constexpr const char* kSaveBeforeCloseQuestion = "Save Changes before closing Template Package?";

// A box's text as typed (lines broken by LF) with the line breaks of the text it
// was filled with: CR LF unless that text broke its lines with a lone LF.
std::string withLineBreaksOf(std::string_view typed, std::string_view before);

// ---- Insertable items -----------------------------------------------------------------

inline constexpr size_t kInsertableItemCount = 114;
// The items of the list in the tab of slice s (1 to 6), headings included. In
// the tabs other than "Article" and "Each Entry" the entry items are headings.
const std::vector<std::string>& insertableItems(int slice);
// What Insert puts in front of the selection for an item: "[%" + item + "%]", or
// nothing for a heading (beginning with "--") and for the empty last item.
std::string insertionFor(std::string_view item);

}  // namespace tessary::templates
