// The export of a blog file: the state of the export dialog and its Export
// button, which writes the file's entries as an XML document or its entries,
// categories and options as a spreadsheet workbook. The export reads the blog
// file through the session's BlogDb while no blog is open there, without
// upgrading it, and leaves it closed again.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "export/dataset_to_excel.h"
#include "store/blog_db.h"
#include "store/user_interface.h"

namespace tessary::export_ {

enum class ExportFileType { Excel, Xml };

inline constexpr const char* kExcelFileTypeText = "Excel Spreadsheet - (Entries, Categories, Options)";
inline constexpr const char* kXmlFileTypeText = "XML Document - (Entries Only)";

// What the dialog holds while it is open.
struct ExportDialogState {
  std::string blogFile;
  ExportFileType fileType = ExportFileType::Excel;
  std::string exportFileName;  // without extension
  std::string exportFolder;
};

// The state as the dialog opens: the spreadsheet type, the local time of
// opening as "yyyymmddhhnnss", the program folder.
ExportDialogState initialExportState(const std::string& blogFile, const std::string& programFolder);

class BlogExporter {
 public:
  // db: the session's blog store (its blog closed); ui: where the status popup
  // and messages go. Both outlive the exporter.
  BlogExporter(store::BlogDb& db, store::UserInterface& ui);

  // What "wait half a second" does before the popup closes; the default sleeps.
  void setPause(std::function<void()> pause) { pause_ = std::move(pause); }
  Dataset2Excel& exporter() { return exporter_; }

  // The Export button: makes sure the export folder exists, then runs the export
  // of the chosen type. Returns the full name of the file written; nothing when
  // the user was told why no file was written. A blog file that cannot be read
  // raises the store's error, with the popup closed and the blog file closed.
  std::optional<std::string> exportButton(const ExportDialogState& state);

  // The two exports. REQUIRES: the folder of fileName exists.
  std::optional<std::string> exportXml(const std::string& blogFile, const std::string& fileName);
  std::optional<std::string> exportXls(const std::string& blogFile, const std::string& fileName);
  // exportButton and both exports hold the blog store as the command "Export
  // Blog" (StoreError, before anything is opened, while another command holds
  // it). Both exports wait through the pause after "Complete..." and then close
  // the popup.

 private:
  std::optional<std::string> writeXml(const std::string& blogFile, const std::string& fileName);
  std::optional<std::string> writeXls(const std::string& blogFile, const std::string& fileName);
  void openBlog(const std::string& blogFile);
  void finish();

  store::BlogDb& db_;
  store::UserInterface& ui_;
  std::function<void()> pause_;
  Dataset2Excel exporter_;
};

}  // namespace tessary::export_
