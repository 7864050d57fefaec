// Commands on the pictures and extra files a blog carries.
#include <iostream>

#include "cli/cli.h"
#include "cli/dialog_ui.h"
#include "store/blog_db.h"
#include "store/media.h"
#include "store/picture_check.h"
#include "util/files.h"

namespace tessary::cli {
namespace {

using store::BlogDb;

int cmdAddPicture(Context& c) {
  const std::string file = c.args.positional("BLOG");
  const std::string path = c.args.positional("FILE");
  c.args.finish();
  OpenedBlog o(c, file);
  if (!store::AddBlogPicture(o.blog, path)) return kFailure;
  const std::string name = o.blog.tblPictures().asString("BlogPictureName");
  std::cout << "Added picture " << name << "\n";
  // What the file really holds, whatever its name says.
  std::cerr << name << " holds "
            << store::describePicture(o.blog.tblPictures().blobBytes("BlogPicture"), util::extensionOf(name)) << "\n";
  o.blog.CloseBlog();
  return kSuccess;
}

int cmdAddFile(Context& c) {
  const std::string file = c.args.positional("BLOG");
  const std::string path = c.args.positional("FILE");
  c.args.finish();
  OpenedBlog o(c, file);
  if (!store::AddBlogFile(o.blog, path)) return kFailure;
  std::cout << "Added file " << o.blog.tblFiles().asString("BlogFileName") << "\n";
  o.blog.CloseBlog();
  return kSuccess;
}

int cmdRemovePicture(Context& c) {
  const std::string file = c.args.positional("BLOG");
  const std::string name = c.args.positional("NAME");
  c.args.finish();
  OpenedBlog o(c, file);
  if (!store::findPicture(o.blog, name)) throw std::runtime_error("No picture named " + name + " in " + file);
  if (!store::RemoveBlogPicture(o.blog)) {
    std::cerr << "The picture " << name << " was not removed.\n";
    return kFailure;
  }
  o.blog.CloseBlog();
  return kSuccess;
}

int cmdRemoveFile(Context& c) {
  const std::string file = c.args.positional("BLOG");
  const std::string name = c.args.positional("NAME");
  c.args.finish();
  OpenedBlog o(c, file);
  if (!store::findFile(o.blog, name)) throw std::runtime_error("No file named " + name + " in " + file);
  if (!store::RemoveBlogFile(o.blog)) {
    std::cerr << "The file " << name << " was not removed.\n";
    return kFailure;
  }
  o.blog.CloseBlog();
  return kSuccess;
}

int cmdSaveFile(Context& c) {
  const std::string file = c.args.positional("BLOG");
  const std::string name = c.args.positional("NAME");
  const std::string path = c.args.positional("PATH");
  c.args.finish();
  OpenedBlog o(c, file);
  if (!store::findFile(o.blog, name)) throw std::runtime_error("No file named " + name + " in " + file);
  // A folder as PATH means the stored name inside it, as a save dialog would propose.
  const std::string target =
      util::directoryExists(path) ? util::joinPath(path, o.blog.tblFiles().asString("BlogFileName")) : path;
  store::SaveBlogFileAs(o.blog, target);
  o.blog.CloseBlog();
  return kSuccess;
}

int cmdPictures(Context& c) {
  const std::string file = c.args.positional("BLOG");
  c.args.finish();
  OpenedBlog o(c, file);
  store::Table& t = o.blog.tblPictures();
  for (t.first(); !t.eof(); t.next())
    std::cout << listingCell(t.asString("BlogPictureName")) << '\t' << t.asInteger("BlogPictureSize") << '\t'
              << t.asInteger("BlogPictureWidth") << '\t' << t.asInteger("BlogPictureHeight") << '\t'
              << t.asString("BlogPictureDate") << '\t' << t.asInteger("BlogPictureCRC") << '\n';
  o.blog.CloseBlog();
  return kSuccess;
}

int cmdFiles(Context& c) {
  const std::string file = c.args.positional("BLOG");
  c.args.finish();
  OpenedBlog o(c, file);
  store::Table& t = o.blog.tblFiles();
  for (t.first(); !t.eof(); t.next())
    std::cout << listingCell(t.asString("BlogFileName")) << '\t' << t.asInteger("BlogFileSize") << '\t'
              << t.asString("BlogFileDate") << '\t' << t.asInteger("BlogFileCRC") << '\n';
  o.blog.CloseBlog();
  return kSuccess;
}

const RegisterCommand kAddPicture({"add-picture", "add-picture BLOG FILE",
                                   "Store a picture under its file name (asks before replacing one of the same "
                                   "name; --yes answers OK).",
                                   cmdAddPicture});
const RegisterCommand kRemovePicture({"remove-picture", "remove-picture BLOG NAME",
                                      "Remove a stored picture (asks; --yes answers OK).", cmdRemovePicture});
const RegisterCommand kPictures({"pictures", "pictures BLOG",
                                 "List the pictures: name, size, width, height, date added, CRC32.", cmdPictures});
const RegisterCommand kAddFile({"add-file", "add-file BLOG FILE",
                                "Store an extra file under its file name (asks before replacing one of the same "
                                "name; --yes answers OK).",
                                cmdAddFile});
const RegisterCommand kRemoveFile({"remove-file", "remove-file BLOG NAME",
                                   "Remove a stored extra file (asks; --yes answers OK).", cmdRemoveFile});
const RegisterCommand kSaveFile({"save-file", "save-file BLOG NAME PATH",
                                 "Write a stored extra file to PATH (a folder: under its stored name).", cmdSaveFile});
const RegisterCommand kFiles({"files", "files BLOG", "List the extra files: name, size, date added, CRC32.", cmdFiles});

}  // namespace
}  // namespace tessary::cli
