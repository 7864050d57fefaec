#include "export/exportdb2.h"

#include <chrono>
#include <thread>

#include "export/xml_export.h"
#include "util/date_time.h"
#include "util/files.h"

namespace tessary::export_ {
namespace {

// Closes the popup and the blog file when an export stops on an error.
class OpenExport {
 public:
  OpenExport(store::BlogDb& db, store::UserInterface& ui) : db_(db), ui_(ui) {}
  ~OpenExport() {
    if (done_) return;
    ui_.statusClose();
    try {
      db_.CloseBlog();
    } catch (...) {
    }
  }
  void done() { done_ = true; }

 private:
  store::BlogDb& db_;
  store::UserInterface& ui_;
  bool done_ = false;
};

// The name under which an export holds the session's blog store.
constexpr const char* kExportCommand = "Export Blog";

// Spreadsheets get passed around: the FTP password (option 505) goes into the
// options sheet masked. An empty one stays empty, so the sheet still tells
// whether a password is set.
constexpr int32_t kFtpPasswordOption = 505;
constexpr const char* kMaskedPassword = "********";

std::string maskFtpPassword(store::Table& options, const std::string& column, std::string text) {
  if (text.empty() || (column != "OptionValue" && column != "OptionMemo")) return text;
  return options.asInteger("OptionKey") == kFtpPasswordOption ? std::string(kMaskedPassword) : text;
}

std::string withTrailingSeparator(const std::string& folder) {
  return !folder.empty() && folder.back() == '/' ? folder : folder + "/";
}

}  // namespace

ExportDialogState initialExportState(const std::string& blogFile, const std::string& programFolder) {
  ExportDialogState s;
  s.blogFile = blogFile;
  s.fileType = ExportFileType::Excel;
  s.exportFileName = util::formatDateTime("yyyymmddhhnnss", util::now());
  s.exportFolder = programFolder;
  return s;
}

BlogExporter::BlogExporter(store::BlogDb& db, store::UserInterface& ui)
    : db_(db), ui_(ui), pause_([] { std::this_thread::sleep_for(std::chrono::milliseconds(500)); }) {}

std::optional<std::string> BlogExporter::exportButton(const ExportDialogState& state) {
  const store::BlogDb::RunScope run(db_, kExportCommand);
  if (!util::isBareFileName(state.exportFileName)) {
    ui_.showError("File export cancelled. The export file name \"" + state.exportFileName +
                  "\" is not a valid file name.");
    return std::nullopt;
  }
  const std::string folder = state.exportFolder.empty() ? std::string(".") : state.exportFolder;
  if (!util::directoryExists(folder) && !util::createDirectories(folder).ok()) {
    ui_.showMessage("File export cancelled. Unable to create directory: " + withTrailingSeparator(folder));
    return std::nullopt;
  }
  const std::string base = util::joinPath(folder, state.exportFileName);
  if (state.fileType == ExportFileType::Excel) return writeXls(state.blogFile, base + ".xls");
  return writeXml(state.blogFile, base + ".xml");
}

std::optional<std::string> BlogExporter::exportXml(const std::string& blogFile, const std::string& fileName) {
  const store::BlogDb::RunScope run(db_, kExportCommand);
  return writeXml(blogFile, fileName);
}

std::optional<std::string> BlogExporter::exportXls(const std::string& blogFile, const std::string& fileName) {
  const store::BlogDb::RunScope run(db_, kExportCommand);
  return writeXls(blogFile, fileName);
}

void BlogExporter::openBlog(const std::string& blogFile) {
  db_.CloseBlog();
  db_.OpenBlogForReading(blogFile);
}

void BlogExporter::finish() {
  db_.tblBlog().close();
  db_.tblCategory().close();
  db_.tblOptions().close();
  ui_.statusSetMessage("Complete...");
  if (pause_) pause_();
  ui_.statusClose();
  db_.CloseBlog();
}

std::optional<std::string> BlogExporter::writeXml(const std::string& blogFile, const std::string& fileName) {
  openBlog(blogFile);
  OpenExport guard(db_, ui_);
  // One read transaction for the whole walk instead of one per row.
  store::Transaction reading(db_.database());
  ui_.statusShow("");
  ui_.statusSetCaption("Exporting Blog as XML");
  const std::string text = buildXmlDocument(db_.tblBlog(), db_.tblCategory(), [this](int written) {
    ui_.statusSetMessage("Exporting Record  " + std::to_string(written));
  });
  reading.commit();
  const Status written = util::writeFileAtomic(fileName, text);
  if (!written.ok()) {
    ui_.statusClose();
    ui_.showError("The XML export was not written. " + written.message());
    return std::nullopt;  // the guard closes the blog file
  }
  finish();
  guard.done();
  return fileName;
}

std::optional<std::string> BlogExporter::writeXls(const std::string& blogFile, const std::string& fileName) {
  openBlog(blogFile);
  OpenExport guard(db_, ui_);
  store::Transaction reading(db_.database());
  ui_.statusShow("");
  ui_.statusSetCaption("Exporting Blog as XLS");
  exporter_.reset();
  ui_.statusSetMessage("Exporting Blog Entries");
  exporter_.WorksheetName = "Blog Entries";
  exporter_.exportTable(db_.tblBlog());
  ui_.statusSetMessage("Exporting Blog Categories");
  exporter_.WorksheetName = "Blog Categories";
  exporter_.exportTable(db_.tblCategory());
  ui_.statusSetMessage("Exporting Blog Options");
  exporter_.WorksheetName = "Blog Options";
  exporter_.CellText = maskFtpPassword;
  try {
    exporter_.exportTable(db_.tblOptions());
  } catch (...) {
    exporter_.CellText = nullptr;
    throw;
  }
  exporter_.CellText = nullptr;
  reading.commit();
  ui_.statusSetMessage("Writing " + fileName);
  const Status saved = exporter_.save(fileName);
  exporter_.reset();  // the workbook is not needed any more; free its memory
  if (!saved.ok()) {
    ui_.statusClose();
    ui_.showError("The spreadsheet export was not written. " + saved.message());
    return std::nullopt;
  }
  finish();
  guard.done();
  return fileName;
}

}  // namespace tessary::export_
