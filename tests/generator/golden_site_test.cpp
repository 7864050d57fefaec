// Whole-site golden files: the sample blog generated with the built-in package
// in each archive mode, compared file by file and byte for byte with
// tests/golden/<case>/. The run's log is kept beside the pages (log.txt, the
// output folder replaced by "<out>/"), and files.txt lists every file of the
// output folder (the package's pictures are listed, not stored).
//
// To regenerate after an intended change: TESSARY_UPDATE_GOLDEN=1 test_generator
// --gtest_filter='GoldenSite*', then read the diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "generator/sample_blog.h"
#include "support/test_support.h"
#include "templates/tag_engine.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::generator {
namespace {

using testing::RecordingLog;
using testing::RecordingUI;
using testing::TempDir;

bool isPicture(const std::string& name) {
  const std::string ext = util::lowerAscii(util::extensionOf(name));
  return ext == ".gif" || ext == ".jpg" || ext == ".jpeg" || ext == ".png";
}

// Every case runs on one thread and on four (the pages finished and written
// by workers): the same golden files judge both.
struct GoldenCase {
  const char* name;
  int32_t archiveByDate;
  unsigned threads = 1;
};

class GoldenSiteTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenSiteTest, SiteMatchesGoldenFiles) {
  const GoldenCase c = GetParam();
  const std::string golden = std::string(TESSARY_TEST_DATA_DIR) + "/golden/" + c.name;
  const bool update = std::getenv("TESSARY_UPDATE_GOLDEN") != nullptr;

  testing::PinnedSite site;
  site.blog().options().ArchiveByDate = c.archiveByDate;
  site.blog().SaveOptions();
  RecordingLog log;
  site.generate(log, c.threads);
  const std::string out = site.outputFolder();

  std::string logText;
  for (const auto& l : log.lines) {
    if (l.coloured) logText += l.colour == colours::kRed ? "[red] " : l.colour == colours::kGreen ? "[green] " : "[colour] ";
    logText += util::replaceAll(l.text, out, "<out>/") + "\n";
  }
  std::map<std::string, std::string> produced{{"log.txt", logText}};
  std::string listing;
  for (const auto& f : util::listFiles(out)) {
    listing += f + "\n";
    if (!isPicture(f)) produced[f] = testing::readFile(out + f);
  }
  produced["files.txt"] = listing;

  if (update && c.threads == 1) {
    std::filesystem::remove_all(golden);
    util::createDirectories(golden);
    for (const auto& [name, bytes] : produced) testing::writeFile(golden + "/" + name, bytes);
    GTEST_SKIP() << "golden files written to " << golden;
  }
  ASSERT_TRUE(util::directoryExists(golden)) << "no golden files; run with TESSARY_UPDATE_GOLDEN=1";
  std::vector<std::string> expectedNames = util::listFiles(golden);
  std::vector<std::string> producedNames;
  for (const auto& [name, bytes] : produced) producedNames.push_back(name);
  EXPECT_EQ(producedNames, expectedNames);
  for (const auto& [name, bytes] : produced) {
    if (!util::fileExists(golden + "/" + name)) continue;
    EXPECT_EQ(bytes, testing::readFile(golden + "/" + name)) << c.name << "/" << name;
  }
}

INSTANTIATE_TEST_SUITE_P(ArchiveModes, GoldenSiteTest,
                         ::testing::Values(GoldenCase{"monthly", 0}, GoldenCase{"weekly", 1},
                                           GoldenCase{"daily", 2}, GoldenCase{"monthly", 0, 4},
                                           GoldenCase{"weekly", 1, 4}, GoldenCase{"daily", 2, 4}),
                         [](const auto& info) {
                           const GoldenCase& c = info.param;
                           return std::string(c.name) + (c.threads == 1 ? "" : "_" + std::to_string(c.threads) + "threads");
                         });

}  // namespace
}  // namespace tessary::generator
