// Crash trials: every file write, rename, delete and commit point of a
// generation run (the first one, and one after a publish and edits) and of a
// file-copy publish is failed (as a full disk would) or
// turned into a kill (the process ends there), one point per trial. Afterwards
// the blog file is sound and opens, the next generation run and publish
// complete, the output folder and the destination equal those of runs that were
// never interrupted, and a run without changes writes and sends nothing.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "generator/html_gen.h"
#include "generator/sample_blog.h"
#include "publish/ftp_blog.h"
#include "support/test_support.h"
#include "util/crc32.h"
#include "util/fault_injection.h"
#include "util/files.h"

namespace tessary::publish {
namespace {

using testing::RecordingLog;
using testing::RecordingUI;
using testing::TempDir;
using util::FaultAction;
using util::FaultKind;

using Folder = std::map<std::string, std::string>;  // file name -> content

Folder snapshot(const std::string& folder) {
  Folder f;
  for (const std::string& name : util::listFiles(folder)) f[name] = testing::readFile(util::joinPath(folder, name));
  return f;
}

const char* kindName(FaultKind k) {
  switch (k) {
    case FaultKind::Commit: return "Commit";
    case FaultKind::FileWrite: return "FileWrite";
    case FaultKind::FileRename: return "FileRename";
    case FaultKind::Delete: return "Delete";
  }
  return "?";
}

// One session over a blog file in a program folder: the blog open, file copy
// into <folder>/dest.
struct Session {
  explicit Session(const std::string& folder) : folder(folder), blog(folder, ui) {
    blog.OpenBlog(folder + "/sample.zdb");
    blog.options().PublishingLocation = 1;
    blog.options().FileCopyDestination = folder + "/dest";
  }
  ~Session() {
    if (blog.isOpen()) blog.CloseBlog();
  }
  // Returns the counters of a run that completed; raises otherwise.
  generator::RunCounters generate() {
    generator::Generator g(blog, log);
    g.GeneratePages();
    return g.counters();
  }
  PublishOutcome publish() { return PublishFileCopy(blog, output(), log, kPublishAllLimit); }
  std::string output() const { return folder + "/HTML/sample/"; }
  std::string integrity() {
    store::Statement st = blog.database().prepare("PRAGMA integrity_check");
    return sqlite3_step(st.get()) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0))
                                                : "no answer";
  }

  std::string folder;
  RecordingUI ui;
  RecordingLog log;
  store::BlogDb blog;
};

// Regenerate: a generation run over a site generated and published before.
enum class Stage { Generate, Regenerate, Publish };

struct Trial {
  Stage stage;
  FaultKind kind;
  FaultAction action;
};

std::string trialName(const ::testing::TestParamInfo<Trial>& info) {
  const Trial& t = info.param;
  return std::string(t.stage == Stage::Generate     ? "Generate"
                     : t.stage == Stage::Regenerate ? "Regenerate"
                                                    : "Publish") +
         kindName(t.kind) +
         (t.action == FaultAction::Exit ? "Kill" : "Fail");
}

class CrashTrialTest : public ::testing::TestWithParam<Trial> {
 protected:
  void SetUp() override {
    // The sample blog with a picture and an extra file, the clock and the
    // random number pinned so that every run gives the same bytes.
    store::BlogDb& b = site_.blog();
    store::Table& pictures = b.tblPictures();
    pictures.insert();
    pictures.setString("BlogPictureName", "photo.gif");
    pictures.setString("BlogPicture", "GIF89a picture bytes");
    pictures.setInteger("BlogPictureCRC", util::crcToStored(util::CalculateCRC32String("GIF89a picture bytes")));
    pictures.post();
    store::Table& files = b.tblFiles();
    files.insert();
    files.setString("BlogFileName", "notes.txt");
    files.setString("BlogFile", "an extra file");
    files.setInteger("BlogFileCRC", util::crcToStored(util::CalculateCRC32String("an extra file")));
    files.post();
    b.CloseBlog();
    ASSERT_EQ(testing::runCommand("mkdir -p '" + base_.path() + "' && cp '" + site_.programFolder() + "/sample.zdb' '" +
                                  base_.path() + "/'"),
              0);
    if (GetParam().stage != Stage::Generate) {
      // Before the trial: a site generated and published once, then an article
      // removed. For the publish under trial the site is generated again, so
      // that it copies changed pages and deletes removed ones; for the run
      // under trial the newest entry is edited too, so that it changes pages,
      // leaves others as they were and finds an orphan.
      Session s(base_.path());
      s.generate();
      ASSERT_EQ(s.publish().errors, 0);
      const int32_t key = testing::keyOfEntry(s.blog, "Bread baking");
      ASSERT_GE(key, 0);
      s.blog.database().exec("DELETE FROM tblBlog WHERE BlogKey = " + std::to_string(key));
      s.blog.database().notifyDataChanged("tblBlog");
      if (GetParam().stage == Stage::Publish) {
        s.generate();
      } else {
        store::Table& t = s.blog.tblBlog();
        t.first();
        t.edit();
        t.setString("BlogText", "A new text of the newest entry.");
        t.post();
      }
    }
    // The references: the runs without interruption.
    TempDir ref;
    copyBase(ref.path());
    Session s(ref.path());
    if (GetParam().stage != Stage::Publish) s.generate();
    ASSERT_EQ(s.publish().errors, 0);
    referenceOutput_ = snapshot(s.output());
    referenceDestination_ = snapshot(ref.path() + "/dest");
    ASSERT_FALSE(referenceOutput_.empty());
    // The points of the stage under trial.
    TempDir count;
    copyBase(count.path());
    Session c(count.path());
    util::resetFaultCounts();
    runStage(c);
    points_ = util::faultCalls(GetParam().kind);
  }
  void TearDown() override { util::disarmFaults(); }

  void copyBase(const std::string& to) {
    ASSERT_EQ(testing::runCommand("cp -a '" + base_.path() + "/.' '" + to + "/'"), 0);
  }
  void runStage(Session& s) {
    if (GetParam().stage == Stage::Publish) s.publish();
    else s.generate();
  }

  // One trial at point n; returns an empty text when every check held, else
  // what went wrong.
  std::string trial(int64_t n) {
    const Trial& t = GetParam();
    TempDir dir;
    copyBase(dir.path());
    const util::FaultPlan plan{t.kind, n, t.action, 137};
    if (t.action == FaultAction::Exit) {
      std::fflush(nullptr);
      const pid_t child = ::fork();
      if (child < 0) return "fork failed";
      if (child == 0) {
        try {
          Session s(dir.path());
          util::armFault(plan);
          runStage(s);
        } catch (...) {
        }
        ::_exit(0);
      }
      int status = 0;
      if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return "the trial process did not end";
      // A commit point can move with the clock (batches are time-bounded).
      if (WEXITSTATUS(status) != 137) ++notReached_;
    } else {
      try {
        Session s(dir.path());
        util::armFault(plan);
        runStage(s);
      } catch (...) {
      }
      util::disarmFaults();
    }
    try {
      Session s(dir.path());
      if (s.integrity() != "ok") return "integrity check: " + s.integrity();
      s.generate();
      if (!s.log.contains("Done!")) return "the next generation run did not finish";
      if (snapshot(s.output()) != referenceOutput_) return "the output folder differs";
      PublishOutcome out = s.publish();
      if (!out.completed || out.errors != 0 || out.incomplete != 0 || out.deletionsWithheld)
        return "the next publish did not complete cleanly";
      if (snapshot(dir.path() + "/dest") != referenceDestination_) return "the destination differs";
      util::resetFaultCounts();
      const generator::RunCounters c = s.generate();
      out = s.publish();
      if (c.pagesAddedOrChanged != 0 || c.filesAddedOrChanged != 0 || c.picturesAddedOrChanged != 0 ||
          out.acted != 0 || util::faultCalls(FaultKind::FileWrite) != 0)
        return "a run without changes wrote or sent something";
    } catch (const std::exception& e) {
      return std::string("raised: ") + e.what();
    }
    return {};
  }

  testing::PinnedSite site_;
  TempDir base_;
  Folder referenceOutput_, referenceDestination_;
  int64_t points_ = 0;
  int notReached_ = 0;
};

TEST_P(CrashTrialTest, EveryPointRecoversToTheSiteOfAnUninterruptedRun) {
  int passed = 0;
  for (int64_t n = 1; n <= points_; ++n) {
    const std::string problem = trial(n);
    EXPECT_EQ(problem, "") << "at point " << n << " of " << points_;
    passed += problem.empty();
  }
  std::printf("[ FIGURES  ] %s: %lld points, %d passed (%d not reached)\n", trialName({GetParam(), 0}).c_str(),
              static_cast<long long>(points_), passed, notReached_);
  RecordProperty("points", static_cast<int>(points_));
  RecordProperty("passed", passed);
}

std::vector<Trial> allTrials() {
  std::vector<Trial> all;
  for (const Stage s : {Stage::Generate, Stage::Regenerate, Stage::Publish})
    for (const FaultKind k : {FaultKind::FileWrite, FaultKind::FileRename, FaultKind::Delete, FaultKind::Commit})
      for (const FaultAction a : {FaultAction::Exit, FaultAction::Fail}) all.push_back({s, k, a});
  return all;
}

INSTANTIATE_TEST_SUITE_P(Points, CrashTrialTest, ::testing::ValuesIn(allTrials()), trialName);

}  // namespace
}  // namespace tessary::publish
