// What both exports share as a command: the pause before the popup closes and
// the refusal while another command holds the blog store.
#include <gtest/gtest.h>

#include <chrono>

#include "export/export_fixture.h"
#include "export/exportdb2.h"
#include "util/files.h"

namespace tessary::testing {
namespace {

using export_::BlogExporter;
using export_::ExportDialogState;
using export_::ExportFileType;

class ExportRunTest : public BlogFileTest {
 protected:
  ExportDialogState state(ExportFileType type) {
    ExportDialogState s;
    s.blogFile = blogFile_;
    s.fileType = type;
    s.exportFileName = type == ExportFileType::Xml ? "entries" : "workbook";
    s.exportFolder = dir_.file("out");
    return s;
  }
};

// The pause is the exporter's only wait: with it replaced, an export of a small
// blog takes a fraction of the half second the default waits.
TEST_F(ExportRunTest, BothExportsPauseOnceWithTheCompleteMessageShown) {
  addEntry(entry("one entry", "text"));
  for (const ExportFileType type : {ExportFileType::Xml, ExportFileType::Excel}) {
    SCOPED_TRACE(type == ExportFileType::Xml ? "xml" : "xls");
    store::BlogDb db(dir_.path(), ui_);
    BlogExporter exporter(db, ui_);
    int pauses = 0;
    exporter.setPause([&] {
      ++pauses;
      EXPECT_TRUE(ui_.statusOpen);
      EXPECT_EQ(ui_.status.back(), "Complete...");
    });
    ui_.status.clear();
    const int closes = ui_.statusCloses;
    const auto t0 = std::chrono::steady_clock::now();
    const auto file = exporter.exportButton(state(type));
    const auto took = std::chrono::steady_clock::now() - t0;
    ASSERT_TRUE(file);
    EXPECT_TRUE(util::fileExists(*file));
    EXPECT_EQ(pauses, 1);
    EXPECT_EQ(ui_.statusCloses, closes + 1);
    EXPECT_FALSE(ui_.statusOpen);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 400);
  }
}

TEST_F(ExportRunTest, AnExportWhileAnotherCommandRunsIsRefusedBeforeItOpensTheFile) {
  store::BlogDb db(dir_.path(), ui_);
  BlogExporter exporter(db, ui_);
  exporter.setPause({});
  {
    store::BlogDb::RunScope run(db, "Repair Blog");
    for (const ExportFileType type : {ExportFileType::Xml, ExportFileType::Excel}) {
      try {
        exporter.exportButton(state(type));
        ADD_FAILURE() << "the export ran";
      } catch (const store::StoreError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot start Export Blog while Repair Blog is running.");
      }
    }
    EXPECT_THROW(exporter.exportXml(blogFile_, dir_.file("direct.xml")), store::StoreError);
    EXPECT_FALSE(db.isOpen());
  }
  EXPECT_TRUE(ui_.status.empty());
  EXPECT_FALSE(util::directoryExists(dir_.file("out")));
  EXPECT_FALSE(db.running());
  // The exporter itself holds the store while it runs and lets it go afterwards.
  exporter.setPause([&] { EXPECT_EQ(db.runningCommand(), "Export Blog"); });
  EXPECT_TRUE(exporter.exportButton(state(ExportFileType::Xml)));
  EXPECT_FALSE(db.running());
}

}  // namespace
}  // namespace tessary::testing
