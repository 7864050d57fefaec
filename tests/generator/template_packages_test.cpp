// The template packages shipped beside "@default.tem": each one built into the
// program folder is sound, starts with its description, carries a preview.png
// and small embedded files, and generates the sample blog in every archive mode
// without a red line, with its own stylesheet and the site's language.
//
// With TESSARY_SITE_PAGES_DIR set, the generated pages are kept under
// <dir>/<package>-<mode>/ for tests/generator/package_sites_html_check.sh.
#include <gtest/gtest.h>

#include <cstdlib>

#include "generator/sample_blog.h"
#include "support/test_support.h"
#include "templates/package.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::generator {
namespace {

using testing::RecordingLog;

const char* const kPackages[] = {"Reading", "Magazine", "Minimal"};

std::string packagePath(const std::string& name) { return std::string(TESSARY_PROGRAM_DIR) + "/" + name + ".tem"; }

TEST(TemplatePackages, EachIsSoundWithDescriptionPreviewAndSmallFiles) {
  for (const std::string name : kPackages) {
    SCOPED_TRACE(name);
    std::vector<std::string> lines;
    ASSERT_TRUE(templates::readPackageFile(packagePath(name), lines).ok());
    ASSERT_TRUE(templates::checkPackageLines(lines).ok());
    const std::string description = templates::packageDescription(lines);
    EXPECT_TRUE(util::startsWith(description, name + ": ")) << description;
    EXPECT_EQ(description.find('\n'), std::string::npos);

    std::map<std::string, std::string> files;
    for (size_t i = 10; i < lines.size(); ++i) {
      templates::FileRecord record;
      ASSERT_TRUE(templates::parseFileRecord(lines[i], record)) << "line " << i + 1;
      std::string bytes;
      ASSERT_TRUE(templates::decodeHex(record.hex, bytes)) << record.name;
      files[record.name] = bytes;
    }
    ASSERT_TRUE(files.count("preview.png"));
    EXPECT_TRUE(util::startsWith(files["preview.png"], "\x89PNG\r\n\x1a\n"));
    ASSERT_TRUE(files.count(util::lowerAscii(name) + ".css"));
    // Every generated site gets a copy of these.
    size_t total = 0;
    for (const auto& [file, bytes] : files) total += bytes.size();
    EXPECT_LT(total, 40u * 1024u);

    // Every page template starts a complete document in the site's language and
    // never loads anything from elsewhere.
    for (int k = 1; k <= 6; ++k) {
      const std::string record = templates::decodeText(lines[static_cast<size_t>(k)]);
      if (record.size() < 50) continue;
      EXPECT_NE(record.find("<html lang=\"[%site.language%]\">"), std::string::npos) << "template " << k;
      EXPECT_NE(record.find("<main id=\"content\""), std::string::npos) << "template " << k;
      EXPECT_NE(record.find("href=\"#content\""), std::string::npos) << "template " << k;
      EXPECT_EQ(record.find("<script"), std::string::npos) << "template " << k;
      EXPECT_EQ(record.find("://"), std::string::npos) << "template " << k << " refers to another site";
    }
    for (const auto& [file, bytes] : files) {
      EXPECT_EQ(bytes.find("@import"), std::string::npos) << file;
      EXPECT_EQ(bytes.find("url("), std::string::npos) << file;
    }
  }
}

TEST(TemplatePackages, EachGeneratesTheSampleBlogInEveryArchiveMode) {
  const char* keep = std::getenv("TESSARY_SITE_PAGES_DIR");
  const std::pair<const char*, int32_t> modes[] = {{"monthly", 0}, {"weekly", 1}, {"daily", 2}};
  for (const std::string name : kPackages) {
    for (const auto& [mode, archiveByDate] : modes) {
      SCOPED_TRACE(name + " " + mode);
      testing::PinnedSite site;
      ASSERT_TRUE(util::copyFileAtomic(packagePath(name), site.programFolder() + "/" + name + ".tem").ok());
      site.blog().options().TemplateFile = name + ".tem";
      site.blog().options().ArchiveByDate = archiveByDate;
      site.blog().SaveOptions();
      RecordingLog log;
      site.generate(log);
      for (const auto& l : log.lines) EXPECT_FALSE(l.coloured && l.colour == colours::kRed) << l.text;
      const std::string out = site.outputFolder();
      const std::string home = testing::readFile(out + "index.html");
      EXPECT_NE(home.find("<html lang=\"en\">"), std::string::npos);
      EXPECT_NE(home.find(util::lowerAscii(name) + ".css"), std::string::npos);
      EXPECT_EQ(home.find("[%"), std::string::npos) << "a tag or command left over";
      EXPECT_TRUE(util::fileExists(out + util::lowerAscii(name) + ".css"));
      if (keep == nullptr) continue;
      const std::string dir = std::string(keep) + "/" + name + "-" + mode + "/";
      ASSERT_TRUE(util::createDirectories(dir).ok());
      for (const auto& f : util::listFiles(out)) {
        if (util::endsWithNoCase(f, ".html")) testing::writeFile(dir + f, testing::readFile(out + f));
      }
    }
  }
}

}  // namespace
}  // namespace tessary::generator
