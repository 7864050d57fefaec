// Atomic writes under the fault seam, and the leftovers a killed write leaves.
#include "util/files.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "util/fault_injection.h"

namespace tessary::util {
namespace {

using testing::TempDir;

class FaultedFilesTest : public ::testing::Test {
 protected:
  void TearDown() override { disarmFaults(); }
  TempDir dir;
};

TEST_F(FaultedFilesTest, FailedWritesReportAFullDiskAndLeaveTheOldFileAlone) {
  const std::string path = dir.file("page.html");
  testing::writeFile(path, "old");
  testing::writeFile(dir.file("source"), "copied");
  for (const FaultKind kind : {FaultKind::FileWrite, FaultKind::FileRename}) {
    armFault({kind, 1, FaultAction::Fail});
    const Status st = writeFileAtomic(path, "new");
    EXPECT_EQ(st.message(), "Cannot write " + path + ": No space left on device");
    armFault({kind, 1, FaultAction::Fail});
    EXPECT_EQ(copyFileAtomic(dir.file("source"), path).message(),
              "Cannot write " + path + ": No space left on device");
    EXPECT_EQ(testing::readFile(path), "old");
    EXPECT_EQ(listFiles(dir.path()), (std::vector<std::string>{"page.html", "source"}));
  }
  armFault({FaultKind::Delete, 1, FaultAction::Fail});
  EXPECT_FALSE(removeFile(path).ok());
  EXPECT_TRUE(fileExists(path));
  disarmFaults();
  EXPECT_TRUE(writeFileAtomic(path, "new").ok());
  EXPECT_EQ(faultCalls(FaultKind::FileWrite), 1);
  EXPECT_EQ(faultCalls(FaultKind::FileRename), 1);
}

TEST(TemporaryLeftoverTest, OnlyTheExactPatternOfOurTemporaryFilesCounts) {
  for (const char* yes : {".index.html.tmp0123abcd", ".a.tmpffffffff", "..hidden.tmp00000000"})
    EXPECT_TRUE(isTemporaryLeftover(yes)) << yes;
  for (const char* no : {".htaccess", ".x.tmp", "index.html.tmp0123abcd", ".a.tmp0123ABCD", ".a.tmp0123abc",
                         ".a.tmp0123abcde", ".tmp01234567", "..tmp01234567", ".a.TMP01234567", ""})
    EXPECT_FALSE(isTemporaryLeftover(no)) << no;
}

TEST(TemporaryLeftoverTest, RemovingLeftoversTouchesNothingElse) {
  TempDir dir;
  testing::writeFile(dir.file(".a.html.tmp0123abcd"), "x");
  testing::writeFile(dir.file(".htaccess"), "x");
  testing::writeFile(dir.file("a.html"), "x");
  EXPECT_EQ(removeTemporaryLeftovers(dir.path()), std::vector<std::string>{".a.html.tmp0123abcd"});
  EXPECT_EQ(listFiles(dir.path()), (std::vector<std::string>{".htaccess", "a.html"}));
  EXPECT_TRUE(removeTemporaryLeftovers(dir.path() + "/missing").empty());
}

}  // namespace
}  // namespace tessary::util
