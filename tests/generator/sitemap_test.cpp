// The site map: which addresses make one, how names become locations, and
// that what a run writes is valid against the protocol's schema.
#include <gtest/gtest.h>

#include <cstdlib>

#include "generator/sitemap.h"
#include "support/test_support.h"
#include "util/files.h"

namespace tessary::generator {
namespace {

TEST(SitemapTest, OnlyAbsoluteWebAddressesMakeOne) {
  EXPECT_TRUE(isAbsoluteWebAddress("http://www.example.com/blog"));
  EXPECT_TRUE(isAbsoluteWebAddress(" HTTPS://example.com/ "));
  EXPECT_FALSE(isAbsoluteWebAddress(""));
  EXPECT_FALSE(isAbsoluteWebAddress("www.example.com"));
  EXPECT_FALSE(isAbsoluteWebAddress("/blog/"));
  EXPECT_FALSE(isAbsoluteWebAddress("http://"));
  EXPECT_FALSE(isAbsoluteWebAddress("http:///path"));
  EXPECT_FALSE(isAbsoluteWebAddress("ftp://example.com/"));
}

TEST(SitemapTest, NamesBecomeEscapedLocations) {
  const std::string xml = sitemapXml("http://example.com/a&b", {{"my page.html", util::encodeDate(2004, 3, 2)},
                                                                 {"caf\xc3\xa9.html", 0},
                                                                 {"x<y>.html", util::encodeDate(2010, 12, 31)}});
  EXPECT_NE(xml.find("<url><loc>http://example.com/a&amp;b/my%20page.html</loc><lastmod>2004-03-02</lastmod></url>"),
            std::string::npos)
      << xml;
  EXPECT_NE(xml.find("<url><loc>http://example.com/a&amp;b/caf%C3%A9.html</loc></url>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<loc>http://example.com/a&amp;b/x%3Cy%3E.html</loc><lastmod>2010-12-31</lastmod>"),
            std::string::npos);
  EXPECT_EQ(xml.find("//my"), std::string::npos) << "one slash between address and name";
  EXPECT_EQ(sitemapXml("https://e.org/", {}),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n</urlset>\n");
}

// The generated site maps of the golden blogs (one per archive mode) pass the schema.
TEST(SitemapTest, GoldenSiteMapsAreValid) {
  const std::string dir = TESSARY_TEST_DATA_DIR;
  if (std::system("xmllint --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint is not installed";
  for (const char* mode : {"monthly", "weekly", "daily"}) {
    const std::string file = dir + "/golden/" + mode + "/sitemap.xml";
    ASSERT_TRUE(util::fileExists(file)) << file;
    const std::string cmd =
        "xmllint --noout --schema '" + dir + "/generator/sitemap-0.9.xsd' '" + file + "' > /dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << file;
  }
  // A broken one is refused, so the check above means something.
  testing::TempDir tmp;
  const std::string bad = tmp.file("sitemap.xml");
  ASSERT_TRUE(util::writeFileAtomic(bad, sitemapXml("relative/", {{"a.html", 0}})).ok());
  const std::string cmd = "xmllint --noout --schema '" + dir + "/generator/sitemap-0.9.xsd' '" + bad + "' > /dev/null 2>&1";
  EXPECT_NE(std::system(cmd.c_str()), 0);
}

}  // namespace
}  // namespace tessary::generator
