// Commands of the site generator: generate the site, the preview path, the two
// Mark All commands and the page-tracking rows.
#include <sqlite3.h>

#include <iostream>

#include "cli/cli.h"
#include "generator/html_gen.h"
#include "generator/page_output.h"
#include "store/blog_db.h"

namespace tessary::cli {
namespace {

using store::BlogDb;

}  // namespace

void printUnpublishedNote(BlogDb& blog, const std::string& file) {
  // One query, not a read of every row (each its own read transaction).
  store::Database& db = blog.database();
  store::Statement st = db.prepare(
      "SELECT count(*), coalesce(sum(coalesce(PageCRCExisting, 0) = 0), 0) FROM tblPages "
      "WHERE coalesce(PageCRCNew, 0) <> 0 AND coalesce(PageCRCNew, 0) <> coalesce(PageCRCExisting, 0)");
  if (sqlite3_step(st.get()) != SQLITE_ROW) db.fail("Cannot read table tblPages");
  const long differ = static_cast<long>(sqlite3_column_int64(st.get(), 0));
  const long never = static_cast<long>(sqlite3_column_int64(st.get(), 1));
  if (differ == 0) return;
  std::cout << differ << (differ == 1 ? " file of the site differs" : " files of the site differ")
            << " from the published copy (" << never
            << " never published); a file is reported as changed until it is published: tessary-cli "
            << "publish " << file << " (or mark-all-published " << file << ")\n";
}

namespace {

int cmdGenerate(Context& c) {
  const std::string file = c.args.positional("BLOG.zdb");
  c.args.finish();
  BlogDb blog(c.programFolder, c.ui);
  blog.OpenBlog(file);
  generator::Generator gen(blog, c.log);
  gen.GeneratePages();
  printUnpublishedNote(blog, file);
  blog.CloseBlog();
  return kSuccess;
}

int cmdPreviewPath(Context& c) {
  const std::string file = c.args.positional("BLOG.zdb");
  c.args.finish();
  BlogDb blog(c.programFolder, c.ui);
  blog.OpenBlog(file);
  generator::Generator gen(blog, c.log);
  const generator::PreviewResult r = generator::PreviewPages(gen);
  blog.CloseBlog();
  if (!r.ok) {
    std::cout << r.message << "\n";
    return kFailure;
  }
  std::cout << r.path << "\n";
  return kSuccess;
}

int cmdMarkAllNew(Context& c) {
  const std::string file = c.args.positional("BLOG.zdb");
  c.args.finish();
  BlogDb blog(c.programFolder, c.ui);
  blog.OpenBlog(file);
  const bool done = generator::MarkAllAsNew(blog);
  blog.CloseBlog();
  return done ? kSuccess : kFailure;
}

int cmdMarkAllPublished(Context& c) {
  const std::string file = c.args.positional("BLOG.zdb");
  c.args.finish();
  BlogDb blog(c.programFolder, c.ui);
  blog.OpenBlog(file);
  const bool done = generator::MarkAllAsPublished(blog);
  blog.CloseBlog();
  return done ? kSuccess : kFailure;
}

int cmdPages(Context& c) {
  const std::string file = c.args.positional("BLOG.zdb");
  c.args.finish();
  BlogDb blog(c.programFolder, c.ui);
  blog.OpenBlog(file);
  store::Table& t = blog.tblPages();
  for (t.first(); !t.eof(); t.next())
    std::cout << t.asString("PageKey") << "\t" << t.asInteger("PageCRCExisting") << "\t" << t.asInteger("PageCRCNew")
              << "\t" << t.asInteger("PageCRCLocal") << "\n";
  blog.CloseBlog();
  return kSuccess;
}

const RegisterCommand kGenerate({"generate", "generate BLOG.zdb",
                                 "Generate the site into <program folder>/HTML/<blog name>/, printing the log.",
                                 cmdGenerate});
const RegisterCommand kPreviewPath({"preview-path", "preview-path BLOG.zdb",
                                    "Print the home page that Preview Pages opens (exit 1 when it is missing).",
                                    cmdPreviewPath});
const RegisterCommand kMarkAllNew({"mark-all-new", "mark-all-new BLOG.zdb",
                                   "Mark every page as not published (asks; answer with --yes).", cmdMarkAllNew});
const RegisterCommand kMarkAllPublished({"mark-all-published", "mark-all-published BLOG.zdb",
                                         "Mark every page as published and forget orphans (asks; answer with --yes).",
                                         cmdMarkAllPublished});
const RegisterCommand kPages({"pages", "pages BLOG.zdb",
                              "Print the page-tracking rows: PageKey, PageCRCExisting, PageCRCNew, PageCRCLocal.",
                              cmdPages});

}  // namespace
}  // namespace tessary::cli
