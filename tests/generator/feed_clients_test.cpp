// The feeds of the sample blog read by two independent readers: xmllint
// (well-formedness, without fetching the document type) and the feedparser
// module of Debian's Python (no bozo flag, the items with their titles and links).
#include <gtest/gtest.h>

#include "generator/sample_blog.h"
#include "support/test_support.h"

namespace tessary::generator {
namespace {

using testing::RecordingLog;

const char* const kReader = R"PY(
import sys, feedparser
d = feedparser.parse(sys.argv[1])
print("bozo=%d" % (1 if d.bozo else 0))
print("version=%s" % d.version)
print("title=%s" % d.feed.get("title", ""))
print("items=%d" % len(d.entries))
for e in d.entries:
    print("%s|%s" % (e.get("title", ""), e.get("link", "")))
)PY";

TEST(FeedClientsTest, BothFeedsAreWellFormedAndParse) {
  testing::PinnedSite site;
  RecordingLog log;
  site.generate(log);
  const std::string out = site.outputFolder();
  ASSERT_FALSE(log.contains("*** Warning: RSS feed files will not validate - data missing"));

  const std::string script = site.programFolder() + "/read_feed.py";
  testing::writeFile(script, kReader);
  auto key = [&](const char* title) { return std::to_string(testing::keyOfEntry(site.blog(), title)); };
  const std::string base = "http://www.example.com/blog/";
  const std::string items = "items=7\n"
                            "Week across months|" + base + "200403.html#e" + key("Week across months") + "\n"
                            "Spring|" + base + "200403.html#e" + key("Spring") + "\n"
                            "Bread baking|" + base + "bread.html\n"
                            "Late February|" + base + "200402.html#e" + key("Late February") + "\n"
                            "Trip to the coast|" + base + "coast.html\n"
                            "Soup & \"bread\"|" + base + "200402.html#e" + key("Soup & \"bread\"") + "\n"
                            "First steps|" + base + "200402.html#e" + key("First steps") + "\n";
  for (const auto& [file, version] : {std::pair{"index.rss", "rss091n"}, std::pair{"rss.xml", "rss20"}}) {
    const std::string path = out + file;
    ASSERT_TRUE(util::fileExists(path)) << path;
    std::string output;
    EXPECT_EQ(testing::runCommand("xmllint --noout --nonet '" + path + "' 2>&1", &output), 0) << output;
    EXPECT_EQ(output, "");
    ASSERT_EQ(testing::runCommand("/usr/bin/python3 '" + script + "' '" + path + "'", &output), 0) << output;
    EXPECT_EQ(output, std::string("bozo=0\nversion=") + version + "\ntitle=Sea & Soup\n" + items) << file;
  }
}

}  // namespace
}  // namespace tessary::generator
