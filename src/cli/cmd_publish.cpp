// publish: "Publish to Web" and "Publish Next 10" from the command line. The
// blog's option 511 chooses FTP or file copy; the pages come from the output
// folder of the last generation run (<program folder>/HTML/<blog name>/).
#include <iostream>

#include "cli/cli.h"
#include "generator/html_gen.h"
#include "publish/ftp_blog.h"
#include "publish/publish_plan.h"
#include "store/blog_db.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::cli {
namespace {

int cmdPublish(Context& c) {
  const std::string file = c.args.positional("BLOG.zdb");
  int limit = publish::kPublishAllLimit;
  if (auto text = c.args.option("--limit")) {
    if (!util::parseInt(*text, limit) || limit < 1) throw UsageError("--limit takes a whole number of pages, 1 or more");
  }
  const bool dryRun = c.args.flag("--dry-run");
  c.args.finish();
  store::BlogDb blog(c.programFolder, c.ui);
  blog.OpenBlog(file);
  const std::string output = generator::Generator(blog, c.log).outputFolderOfBlog();
  if (!util::directoryExists(output)) {
    std::cerr << "Nothing to publish: the output folder " << output
              << " does not exist. Generate the pages first.\n";
    blog.CloseBlog();
    return kFailure;
  }
  if (dryRun) {
    // The plan alone: no connection, nothing at the destination, no row changed.
    const publish::PublishPlan plan = publish::PlanPublish(blog, output);
    for (const publish::PlannedFile& f : plan.steps) {
      if (f.step == publish::PlanStep::Send) std::cout << "send " << f.name << "\n";
      if (f.step == publish::PlanStep::Delete) std::cout << "delete " << f.name << "\n";
    }
    std::cout << publish::planTotals(plan) << "\n";
    blog.CloseBlog();
    return kSuccess;
  }
  const publish::PublishOutcome outcome = publish::PublishPages(blog, output, c.log, limit);
  blog.CloseBlog();
  // Pages held back (an unfinished generation run, an incomplete local copy)
  // leave the destination behind the blog: the user has to act.
  const bool whole = outcome.completed && outcome.errors == 0 && outcome.incomplete == 0 && !outcome.deletionsWithheld &&
                     !outcome.deletionsDeclined;
  return whole ? kSuccess : kFailure;
}

const RegisterCommand kPublish({"publish", "publish BLOG.zdb [--limit N] [--dry-run] [--yes]",
                                "Publish the generated pages that changed (by FTP, or by file copy when option 511 "
                                "is 1); --limit 10 is \"Publish Next 10\"; --dry-run prints what would be sent and "
                                "deleted and changes nothing; --yes answers the directory and mass-deletion "
                                "questions.",
                                cmdPublish});

}  // namespace
}  // namespace tessary::cli
