// Backup, compaction and repair of blog files.
#include <iostream>

#include "cli/cli.h"
#include "cli/dialog_ui.h"
#include "store/maintenance.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::cli {
namespace {

int cmdBackup(Context& c) {
  const std::string file = c.args.positional("BLOG");
  const auto location = c.args.option("--location");
  const auto keepText = c.args.option("--keep");
  c.args.finish();
  std::optional<int> keep;
  if (keepText) {
    int v = 0;
    if (!util::parseInt(*keepText, v) || v < 1 || v > store::kMaxBackups)
      throw UsageError("--keep must be a number from 1 to 25");
    keep = v;
  }
  OpenedBlog o(c, file);
  o.ui.backupDialog = [&](store::BackupSettings& s) {
    if (location) s.location = util::absolutePath(*location);
    if (keep) s.backupsToKeep = *keep;
  };
  if (!store::BackupBlog(o.blog)) return kFailure;
  const std::string folder = util::trim(o.blog.options().BackupLocation).empty() ? c.programFolder
                                                                                  : o.blog.options().BackupLocation;
  std::cout << store::backupFileName(util::joinPath(folder, util::fileNameOf(file)), 1) << "\n";
  o.blog.CloseBlog();
  return kSuccess;
}

int cmdCompact(Context& c) {
  const std::string file = c.args.positional("BLOG");
  c.args.finish();
  OpenedBlog o(c, file);
  const int64_t before = util::fileSize(file);
  store::CompactBlog(o.blog);
  o.blog.CloseBlog();
  std::cout << file << ": " << before << " bytes before, " << util::fileSize(file) << " bytes after\n";
  return kSuccess;
}

int cmdRepair(Context& c) {
  const std::string file = c.args.positional("BLOG");
  c.args.finish();
  ArgumentDialogs ui(c.ui);
  store::BlogDb blog(c.programFolder, ui);
  const store::RepairResult r = store::RepairBlog(blog, file);
  std::cout << util::trimLeft(r.log);
  return r.ok ? kSuccess : kFailure;
}

const RegisterCommand kBackup({"backup", "backup BLOG [--location DIR] [--keep N]",
                               "Write a compacted copy of the blog to DIR/<name>.~1, keeping N older copies "
                               "(the backup dialog's two values; the count takes effect from the next backup).",
                               cmdBackup});
const RegisterCommand kCompact({"compact", "compact BLOG", "Compact the blog file in place.", cmdCompact});
const RegisterCommand kRepair({"repair", "repair BLOG",
                               "Copy every readable row of a damaged blog file into a new one; prints the repair "
                               "log. On success the damaged file is kept as .old.",
                               cmdRepair});

}  // namespace
}  // namespace tessary::cli
