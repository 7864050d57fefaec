// The export of a blog file as an XML document or a spreadsheet workbook, with
// the defaults of the export dialog: the spreadsheet type, the program folder,
// and the time of the run as the file name.
#include <iostream>

#include "cli/cli.h"
#include "export/exportdb2.h"
#include "store/blog_db.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::cli {
namespace {

// On a terminal every message replaces the last; elsewhere the per-entry
// counter of the XML export would fill the output, so only every 1000th goes on.
class ExportStatus : public store::UserInterface {
 public:
  explicit ExportStatus(ConsoleUserInterface& ui) : ui_(ui) {}
  void showMessage(const std::string& text) override { ui_.showMessage(text); }
  void showError(const std::string& text) override { ui_.showError(text); }
  store::Answer confirm(const std::string& text, store::Buttons b) override { return ui_.confirm(text, b); }
  store::Answer warn(const std::string& text, store::Buttons b) override { return ui_.warn(text, b); }
  // The console has no window title: the popup opens with its caption as the
  // first line when it was shown without a message.
  void statusShow(const std::string& text) override {
    opened_ = !text.empty();
    if (opened_) ui_.statusShow(text);
  }
  void statusSetCaption(const std::string& caption) override {
    if (opened_) return;
    opened_ = true;
    ui_.statusShow(caption);
  }
  void statusSetMessage(const std::string& text) override {
    if (util::startsWith(text, "Exporting Record  ") && ++records_ % 1000 != 0) return;
    ui_.statusSetMessage(text);
  }
  void statusClose() override { ui_.statusClose(); }

 private:
  ConsoleUserInterface& ui_;
  long records_ = 0;
  bool opened_ = false;
};

int cmdExport(Context& c) {
  const std::string blogFile = c.args.positional("BLOG.zdb");
  const std::string type = util::lowerAscii(c.args.option("--type").value_or("xls"));
  const std::optional<std::string> dir = c.args.option("--dir");
  const std::optional<std::string> name = c.args.option("--name");
  c.args.finish();
  if (type != "xls" && type != "xml") throw UsageError("--type is xls or xml");

  ExportStatus ui(c.ui);
  export_::ExportDialogState state = export_::initialExportState(blogFile, c.programFolder);
  state.fileType = type == "xml" ? export_::ExportFileType::Xml : export_::ExportFileType::Excel;
  if (dir) state.exportFolder = util::absolutePath(*dir);
  if (name) state.exportFileName = *name;

  store::BlogDb blog(c.programFolder, ui);
  export_::BlogExporter exporter(blog, ui);
  exporter.setPause({});  // the console has nothing to keep on screen
  const std::optional<std::string> written = exporter.exportButton(state);
  if (!written) return kFailure;
  std::cout << util::absolutePath(*written) << "\n";
  return kSuccess;
}

const RegisterCommand kExport({"export", "export BLOG.zdb [--type xls|xml] [--dir DIR] [--name NAME]",
                               "Export a blog file as an Excel 97-2003 workbook (entries, categories, options; "
                               "the default) or an XML document (entries only) into DIR (default: the program "
                               "folder) as NAME.xls or NAME.xml (default: the time as yyyymmddhhnnss). Prints the "
                               "file written.",
                               cmdExport});

}  // namespace
}  // namespace tessary::cli
