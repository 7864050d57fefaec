// The template preview: every template of a package filled twice with
// placeholder values ("var_entry_title" and the like), once as a page showing one
// article and once as a page listing entries, plus an index page linking the
// twelve pages, all in <program folder>/HTML/TemplatePreview/.
#pragma once

#include <string>
#include <vector>

#include "templates/tag_engine.h"

namespace tessary::store {
class UserInterface;
}

namespace tessary::templates {

class TemplatePackage;

// The placeholder records of the preview for template k (PageKind = k).
templateEntryVars previewEntryVars();
templatePageVars previewPageVars(int k);
templateGlobalVars previewGlobalVars();

// "<program folder>/HTML/TemplatePreview/".
std::string previewFolder(const std::string& programFolder);

// Builds the preview of the package lines (the editor's, with its unsaved edits
// already stored into them). packageFileName is the package's file (its folder
// part is dropped; "untitled.tem" when empty). The package copy is written to the
// preview folder and loaded into `loaded` (the process-wide package by default).
// Returns the full path of the index page to open in a browser; when the index
// page is missing at the end, shows "Error: Index File is missing. Preview
// failed." and returns the empty text. Throws std::runtime_error with "Cannot
// create " + folder, or with the file error, when a folder or file cannot be written.
std::string BuildTemplatePreview(const std::string& programFolder, const std::vector<std::string>& packageLines,
                                 const std::string& packageFileName, store::UserInterface& ui);
std::string BuildTemplatePreview(const std::string& programFolder, const std::vector<std::string>& packageLines,
                                 const std::string& packageFileName, store::UserInterface& ui,
                                 TemplatePackage& loaded);

}  // namespace tessary::templates
