// The entry, category, picture, file and maintenance commands of tessary-cli,
// run as a user runs them.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace tessary::cli {
namespace {

class StoreCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(run("new " + blog), 0); }
  // stdout only, unless err is given (then stderr goes there).
  int run(const std::string& args, std::string* out = nullptr, bool withErrors = false) {
    return testing::runCommand(testing::cliPath() + " --program-folder " + dir.path() + " " + args +
                                   (withErrors ? " 2>&1" : " 2>/dev/null"),
                               out);
  }
  testing::TempDir dir;
  std::string blog = dir.file("b.zdb");
};

TEST_F(StoreCommandsTest, EntriesAndCategories) {
  std::string out;
  ASSERT_EQ(run("add-category " + blog + " --title Travel --page-name travel", &out), 0);
  EXPECT_EQ(out, "Added category 1: Travel\n");
  ASSERT_EQ(run("add-entry " + blog +
                    " --title 'On the road' --type 1 --date '2024-02-03 04:05:06' --page-name road --category 1 "
                    "--category2 1 --text 'Hello'",
                &out),
            0);
  EXPECT_EQ(out, "Added entry 4: On the road\n");
  // A blog entry gets no page name, whatever was given.
  ASSERT_EQ(run("add-entry " + blog + " --title Plain --page-name ignored --date '2024-02-03 04:05:06'", &out), 0);
  EXPECT_EQ(out, "Added entry 5: Plain\n");
  ASSERT_EQ(run("entries " + blog, &out), 0);
  EXPECT_NE(out.find("4\t2024-02-03 04:05:06\t1\tOn the road\troad\t1\t1\t-1\n"), std::string::npos) << out;
  EXPECT_NE(out.find("5\t2024-02-03 04:05:06\t0\tPlain\t\t-1\t-1\t-1\n"), std::string::npos) << out;
  EXPECT_LT(out.find("5\t2024"), out.find("4\t2024"));  // equal times: the later one first
  // The sample entries of a new blog were stored without categories: listed as none, like the others.
  EXPECT_NE(out.find("\tWelcome to Tessary\t\t-1\t-1\t-1\n"), std::string::npos) << out;

  ASSERT_EQ(run("edit-entry " + blog + " 4 --title 'Off the road'"), 0);
  ASSERT_EQ(run("categories " + blog, &out), 0);
  EXPECT_EQ(out, "1\tTravel\ttravel\n");
  // Removing asks; without --yes the answer is Cancel.
  EXPECT_EQ(run("remove-category " + blog + " 1"), 1);
  ASSERT_EQ(run("--yes remove-category " + blog + " 1", &out, true), 0);
  EXPECT_NE(out.find("is being used on 1 entries."), std::string::npos) << out;
  ASSERT_EQ(run("entries " + blog, &out), 0);
  EXPECT_NE(out.find("4\t2024-02-03 04:05:06\t1\tOff the road\troad\t-1\t1\t-1\n"), std::string::npos) << out;
  ASSERT_EQ(run("--yes remove-entry " + blog + " 5"), 0);
  ASSERT_EQ(run("entries " + blog, &out), 0);
  EXPECT_EQ(out.find("Plain"), std::string::npos);

  EXPECT_EQ(run("add-entry " + blog), 2);                                 // --title missing
  EXPECT_EQ(run("add-entry " + blog + " --title x --type 8"), 2);         // no such type
  EXPECT_EQ(run("add-entry " + blog + " --title x --date yesterday"), 2);
  EXPECT_EQ(run("edit-entry " + blog + " 4"), 2);                         // nothing to change
  EXPECT_EQ(run("add-entry " + blog + " --title x --category 99", &out, true), 1);
  EXPECT_NE(out.find("no category has the key 99"), std::string::npos);
  EXPECT_EQ(run("edit-entry " + blog + " 77 --title x", &out, true), 1);
  EXPECT_NE(out.find("No entry has the key 77"), std::string::npos);
  EXPECT_EQ(run("add-entry " + blog + " --title x --type 2 --page-name ../up", &out, true), 1);
  EXPECT_NE(out.find("cannot be used"), std::string::npos);
}

TEST_F(StoreCommandsTest, PicturesAndFiles) {
  std::string png = std::string("\x89PNG\r\n\x1A\n", 8);
  png += std::string("\0\0\0\x0DIHDR\0\0\0\x03\0\0\0\x02\x08\x02\0\0\0\0\0\0\0", 25);
  png += std::string("\0\0\0\0IEND\0\0\0\0", 12);
  testing::writeFile(dir.file("pic.png"), png);
  testing::writeFile(dir.file("notes.txt"), "some notes");
  std::string out;
  ASSERT_EQ(run("add-picture " + blog + " " + dir.file("pic.png"), &out), 0);
  EXPECT_EQ(out, "Added picture pic.png\n");
  ASSERT_EQ(run("pictures " + blog, &out), 0);
  EXPECT_EQ(out.rfind("pic.png\t" + std::to_string(png.size()) + "\t3\t2\t", 0), 0u) << out;
  EXPECT_EQ(run("add-picture " + blog + " " + dir.file("notes.txt"), &out, true), 1);
  EXPECT_NE(out.find("not a picture"), std::string::npos);
  // A whole picture under another format's name is stored; the command says what it holds.
  testing::writeFile(dir.file("shot.jpg"), png);
  ASSERT_EQ(run("add-picture " + blog + " " + dir.file("shot.jpg"), &out), 0);
  EXPECT_EQ(out, "Added picture shot.jpg\n");
  ASSERT_EQ(run("--yes add-picture " + blog + " " + dir.file("shot.jpg"), &out, true), 0);
  EXPECT_NE(out.find("shot.jpg holds a PNG picture of 3 x 2 pixels, not a JPEG one as its name says"),
            std::string::npos)
      << out;
  testing::writeFile(dir.file("empty.txt"), "");
  ASSERT_EQ(run("add-file " + blog + " " + dir.file("empty.txt"), &out), 0);
  EXPECT_EQ(out, "Added file empty.txt\n");
  ASSERT_EQ(run("--yes remove-picture " + blog + " shot.jpg"), 0);
  ASSERT_EQ(run("--yes remove-file " + blog + " empty.txt"), 0);

  ASSERT_EQ(run("add-file " + blog + " " + dir.file("notes.txt")), 0);
  ASSERT_EQ(run("save-file " + blog + " NOTES.TXT " + dir.file("out.txt")), 0);
  EXPECT_EQ(testing::readFile(dir.file("out.txt")), "some notes");
  ASSERT_EQ(run("files " + blog, &out), 0);
  EXPECT_EQ(out.rfind("notes.txt\t10\t", 0), 0u);
  EXPECT_EQ(run("remove-file " + blog + " notes.txt"), 1);  // cancelled
  ASSERT_EQ(run("--yes remove-file " + blog + " notes.txt"), 0);
  ASSERT_EQ(run("--yes remove-picture " + blog + " PIC.PNG"), 0);
  ASSERT_EQ(run("files " + blog, &out), 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(run("remove-file " + blog + " gone.txt", &out, true), 1);
  EXPECT_NE(out.find("No file named gone.txt"), std::string::npos);
}

TEST_F(StoreCommandsTest, BackupCompactRepair) {
  std::string out;
  ASSERT_EQ(run("backup " + blog + " --location " + dir.file("bk") + " --keep 2", &out), 0);
  EXPECT_EQ(out, dir.file("bk/b.~1") + "\n");
  EXPECT_EQ(run("backup " + blog + " --keep 26"), 2);
  ASSERT_EQ(run("compact " + blog, &out, true), 0);
  EXPECT_NE(out.find("Compacting Blog File complete"), std::string::npos);
  ASSERT_EQ(run("repair " + blog, &out), 0);
  EXPECT_NE(out.find("tblBlog: 3 rows copied, 0 rows lost"), std::string::npos) << out;
  EXPECT_TRUE(testing::readFile(dir.file("b.old")).size() > 0);
  testing::writeFile(dir.file("x.txt"), "not a blog");
  EXPECT_EQ(run("repair " + dir.file("x.txt"), &out, true), 1);
  EXPECT_NE(out.find("not a version 2 Tessary file"), std::string::npos);
}

}  // namespace
}  // namespace tessary::cli
