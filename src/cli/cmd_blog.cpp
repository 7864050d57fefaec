// Commands on the blog file itself: create, open and inspect, options.
#include <iostream>
#include <utility>
#include <vector>

#include "cli/cli.h"
#include "generator/html_gen.h"
#include "publish/ftp_blog.h"
#include "store/blog_db.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::cli {
namespace {

using store::BlogDb;

std::string entryCount(BlogDb& blog) {
  const int64_t n = blog.tblBlog().recordCount();
  return std::to_string(n) + (n == 1 ? " entry" : " entries");
}

// What a new blog holds, one line an entry; the sample entry's own text speaks
// of the desktop window, so the command that removes it is named.
void printNewEntries(BlogDb& blog, const std::string& file) {
  store::Table& t = blog.tblBlog();
  int32_t sample = 0;
  for (t.first(); !t.eof(); t.next()) {
    const int32_t key = static_cast<int32_t>(t.asInteger("BlogKey"));
    const int32_t type = static_cast<int32_t>(t.asInteger("BlogPageType"));
    const std::string title = t.asString("BlogTitle");
    std::cout << "  entry " << key << ": " << store::entryTypeText(type) << (title.empty() ? "" : " \"" + title + "\"")
              << "\n";
    if (type == store::kBlogEntry) sample = key;
  }
  if (sample != 0)
    std::cout << "Hint for the command line: the sample entry " << sample << " is removed with tessary-cli --yes "
              << "remove-entry " << file << " " << sample << "\n";
}

int cmdNew(Context& c) {
  const std::string file = c.args.positional("BLOG.zdb");
  std::string answers = c.args.option("--answers").value_or("NNNNN");
  c.args.finish();
  if (answers.size() != 5 || answers.find_first_not_of("YNyn") != std::string::npos)
    throw UsageError("--answers takes five letters Y or N");
  c.ui.scriptAnswers(answers);
  BlogDb blog(c.programFolder, c.ui);
  if (!blog.CreateBlog(file)) return kFailure;
  std::cout << "Created " << util::absolutePath(file) << " with " << entryCount(blog) << ":\n";
  printNewEntries(blog, file);
  blog.CloseBlog();
  return kSuccess;
}

int cmdInfo(Context& c) {
  const std::string file = c.args.positional("BLOG.zdb");
  c.args.finish();
  BlogDb blog(c.programFolder, c.ui);
  blog.OpenBlog(file);
  std::cout << "version\t" << blog.fileVersion() << "\n";
  for (int i = 0; i < 6; ++i) {
    store::Table* t = blog.table(i);
    std::cout << t->name() << "\t" << t->recordCount() << "\n";
  }
  blog.CloseBlog();
  return kSuccess;
}

int cmdOptions(Context& c) {
  const std::string file = c.args.positional("BLOG.zdb");
  c.args.finish();
  BlogDb blog(c.programFolder, c.ui);
  blog.OpenBlog(file);
  store::Table& t = blog.tblOptions();
  for (t.first(); !t.eof(); t.next())
    std::cout << t.asString("OptionKey") << "\t" << t.asString("OptionName") << "\t" << t.asString("OptionValue")
              << "\n";
  blog.CloseBlog();
  return kSuccess;
}

// The labels that `options` prints for a list or check option, by number.
std::vector<std::pair<int, std::string>> optionLabels(const store::OptionDef& def) {
  std::vector<std::pair<int, std::string>> labels;
  store::BlogOptionsRec probe;
  for (int n = 0; n < 16; ++n) {
    probe.*(def.integer) = n;
    const std::string label = store::displayValue(probe, def);
    if (!label.empty() && label != std::to_string(n)) labels.emplace_back(n, label);
  }
  return labels;
}

// An integer option's value: a number, or the label `options` prints for it
// (compared without case and surrounding blanks).
bool integerOptionValue(const store::OptionDef& def, const std::string& text, int& value) {
  if (util::parseInt(text, value)) return true;
  for (const auto& [n, label] : optionLabels(def))
    if (util::equalsNoCase(util::trim(label), util::trim(text))) {
      value = n;
      return true;
    }
  return false;
}

std::string integerOptionHelp(const store::OptionDef& def) {
  std::string help = "option " + std::to_string(def.key) + " (" + def.name + ") takes a number";
  const auto labels = optionLabels(def);
  for (size_t i = 0; i < labels.size(); ++i)
    help += (i == 0 ? " or one of: " : ", ") + std::to_string(labels[i].first) + " \"" + labels[i].second + "\"";
  return help;
}

int cmdSetOption(Context& c) {
  const std::string file = c.args.positional("BLOG.zdb");
  const std::string keyText = c.args.positional("KEY");
  const std::string value = c.args.positional("VALUE");
  c.args.finish();
  int key = 0;
  if (!util::parseInt(keyText, key)) throw UsageError("KEY must be an option number (tessary-cli options lists them)");
  const store::OptionDef* def = store::optionDef(key);
  if (!def) throw UsageError("no option has the number " + keyText);
  BlogDb blog(c.programFolder, c.ui);
  blog.OpenBlog(file);
  store::BlogOptionsRec copy = blog.options();
  if (def->kind == store::OptionKind::Integer) {
    int v = 0;
    if (!integerOptionValue(*def, value, v)) throw UsageError(integerOptionHelp(*def));
    copy.*(def->integer) = v;
  } else {
    store::optionTextRef(copy, *def) = value;
  }
  blog.options() = copy;
  blog.SaveOptions();
  blog.CloseBlog();
  return kSuccess;
}

int cmdDemo(Context& c) {
  const std::optional<std::string> publishTo = c.args.option("--publish-to");
  c.args.finish();
  const std::string file = util::joinPath(c.programFolder, "demo.zdb");
  setHintBlogFile(file);
  BlogDb blog(c.programFolder, c.ui);
  if (!util::fileExists(file)) {
    c.ui.scriptAnswers("YYYNN");
    if (!blog.CreateBlog(file)) return kFailure;
    std::cout << "Created the demo blog " << file << " with " << entryCount(blog) << ":\n";
    printNewEntries(blog, file);
    blog.CloseBlog();
  }
  blog.OpenBlog(file);
  std::cout << "Opened the demo blog " << file << " (internal file version " << blog.fileVersion() << ")\n";
  for (int i = 0; i < 6; ++i)
    std::cout << "  " << blog.table(i)->name() << ": " << blog.table(i)->recordCount() << " rows\n";
  generator::Generator gen(blog, c.log);
  gen.GeneratePages();
  std::cout << "Generated the demo site in " << gen.outputFolder() << "\n";
  if (!publishTo) printUnpublishedNote(blog, file);
  if (publishTo) {
    // Publish by file copy for this run only; the demo blog's saved options stay as they are.
    blog.options().PublishingLocation = 1;
    blog.options().FileCopyDestination = util::absolutePath(*publishTo);
    const publish::PublishOutcome out =
        publish::PublishPages(blog, gen.outputFolder(), c.log, publish::kPublishAllLimit);
    if (!out.completed || out.errors != 0) {
      blog.CloseBlog();
      return kFailure;
    }
  }
  blog.CloseBlog();
  return kSuccess;
}

const RegisterCommand kNew({"new", "new BLOG.zdb [--answers YNYNN]",
                            "Start a new blog; the five letters answer the five questions (default NNNNN).", cmdNew});
const RegisterCommand kInfo({"info", "info BLOG.zdb",
                             "Open (and so upgrade) a blog; print its file version and the rows of each table.",
                             cmdInfo});
const RegisterCommand kOptions({"options", "options BLOG.zdb",
                                "Print every option row: OptionKey, OptionName, OptionValue.", cmdOptions});
const RegisterCommand kSetOption({"set-option", "set-option BLOG.zdb KEY VALUE",
                                  "Set one option and save: a text, or for a list or check option its number or "
                                  "the label that \"options\" prints (\"Yes\", \"Publish using File Copy\").",
                                  cmdSetOption});
const RegisterCommand kDemo({"demo", "demo [--publish-to DIR]",
                             "Create demo.zdb in the program folder when missing, open it and generate its site; "
                             "--publish-to copies the changed pages into DIR.",
                             cmdDemo});

}  // namespace
}  // namespace tessary::cli
