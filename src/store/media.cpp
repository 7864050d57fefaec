#include "store/media.h"

#include "store/entries.h"
#include "store/picture_check.h"
#include "util/crc32.h"
#include "util/date_time.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::store {

namespace {

// The columns of tblPictures or tblFiles, so that one algorithm serves both.
struct MediaKind {
  bool picture;
  const char* noun;  // "Picture" or "File", as the questions name it
  const char* addCommand;
  const char* removeCommand;
  const char* nameCol;
  const char* blobCol;
  const char* crcCol;
  const char* dateCol;
  const char* sizeCol;
};

const MediaKind kPictureKind{true,          "Picture",        "Add Picture",     "Remove Picture", "BlogPictureName",
                             "BlogPicture", "BlogPictureCRC", "BlogPictureDate", "BlogPictureSize"};
const MediaKind kFileKind{false,      "File",        "Add File",     "Remove File", "BlogFileName",
                          "BlogFile", "BlogFileCRC", "BlogFileDate", "BlogFileSize"};

Table& tableOf(BlogDb& blog, const MediaKind& k) { return k.picture ? blog.tblPictures() : blog.tblFiles(); }

std::string addedText(Table& t, const MediaKind& k) {
  return " ( Added " + util::formatDateTime("yyyy-mm-dd hh:nn:ss", t.asDateTime(k.dateCol)) + ").";
}

std::string lowerNoun(const MediaKind& k) { return k.picture ? "picture" : "file"; }

void tellNotStored(BlogDb& blog, const MediaKind& k, const std::string& path, const std::string& why) {
  blog.ui().showError("The " + lowerNoun(k) + " " + path + " could not be stored: " + why +
                      ". Nothing was changed in the blog.");
}

// The extension decides whether a size is read (".jpg", ".gif", ".png"; ".jpeg"
// and every other extension keep -1 and -1); the content decides how, so that a
// PNG named ".jpg" gets its real size rather than none.
void fillPictureSize(Table& t, const std::string& path, const std::string& bytes) {
  const std::string ext = util::lowerAscii(util::extensionOf(path));
  if (ext != ".jpg" && ext != ".gif" && ext != ".png") return;
  uint16_t w = 0, h = 0;
  readPictureSize(bytes, w, h);
  t.setInteger("BlogPictureHeight", h);
  t.setInteger("BlogPictureWidth", w);
}

bool addMedia(BlogDb& blog, const MediaKind& k, const std::string& path) {
  BlogDb::RunScope run(blog, k.addCommand);
  const std::string name = util::fileNameOf(path);
  if (!util::isBareFileName(name) || util::charCount(name) > kMaxStoredNameChars) {
    tellNotStored(blog, k, path,
                  "its name cannot be a file name on the published site (it must be at most " +
                      std::to_string(kMaxStoredNameChars) + " characters, without \"/\", \"\\\" or control characters)");
    return false;
  }
  // Read and check everything before asking, so that nothing is replaced by a
  // file that cannot be stored.
  std::string bytes;
  if (util::directoryExists(path)) {
    tellNotStored(blog, k, path, "it is a folder");
    return false;
  }
  // A pipe or a device would block the read or never end: only plain files.
  if (!util::fileExists(path) && util::fileSize(path) >= 0) {
    tellNotStored(blog, k, path, "it is not a plain file");
    return false;
  }
  const Status read = util::readFile(path, bytes, kMaxStoredFileBytes);
  if (!read.ok()) {
    tellNotStored(blog, k, path,
                  util::endsWith(read.message(), "too large")
                      ? "the file is larger than " + std::to_string(kMaxStoredFileBytes >> 20) + " MB"
                      : read.message());
    return false;
  }
  // An empty extra file is stored like any other; an empty picture is none
  // (the picture check says so).
  if (k.picture) {
    const Status ok = checkPictureBytes(bytes, util::extensionOf(path));
    if (!ok.ok()) {
      tellNotStored(blog, k, path, ok.message());
      return false;
    }
  }

  Table& t = tableOf(blog, k);
  if (!util::equalsNoCase(t.indexName(), kDisplayKey)) t.setIndex(kDisplayKey);
  const Table::Bookmark before = t.bookmark();
  const bool replacing = t.findKey(FieldValue(name));
  const Table::Bookmark oldRow = replacing ? t.bookmark() : 0;
  if (replacing) {
    const std::string question = std::string("Replace Blog ") + k.noun + "? \n\n" + t.asString(k.nameCol) +
                                 "\n\n" + addedText(t, k);
    if (blog.ui().confirm(question, Buttons::OkCancel) != Answer::Ok) return false;
  }

  try {
    Transaction tx(blog.database());
    if (replacing) t.deleteRow();
    t.insert();
    t.setString(k.nameCol, name);
    t.setString(k.blobCol, bytes);
    t.setInteger(k.crcCol, util::crcToStored(util::CalculateCRC32String(bytes)));
    t.setDateTime(k.dateCol, util::now());
    t.setInteger(k.sizeCol, static_cast<int64_t>(bytes.size()));
    if (k.picture) {
      t.setString("BlogPictureType", "0");
      t.setInteger("BlogPictureHeight", -1);
      t.setInteger("BlogPictureWidth", -1);
      fillPictureSize(t, path, bytes);
    }
    // The checksum is of the stored bytes: the column holds a lossless zlib
    // stream of exactly these bytes, so they need not be read back.
    t.post();
    tx.commit();
  } catch (const std::exception& e) {
    if (t.state() != Table::State::Browse) t.cancel();
    if (!t.gotoBookmark(oldRow != 0 ? oldRow : before)) t.first();
    tellNotStored(blog, k, path, e.what());
    return false;
  }
  return true;
}

bool removeMedia(BlogDb& blog, const MediaKind& k) {
  BlogDb::RunScope run(blog, k.removeCommand);
  Table& t = tableOf(blog, k);
  if (!hasCurrentRow(t)) return false;
  const std::string question =
      std::string("Remove Blog ") + k.noun + "? \n\n" + t.asString(k.nameCol) + "\n\n" + addedText(t, k);
  if (blog.ui().confirm(question, Buttons::OkCancel) != Answer::Ok) return false;
  t.deleteRow();
  return true;
}

bool findMedia(BlogDb& blog, const MediaKind& k, const std::string& name) {
  Table& t = tableOf(blog, k);
  if (!util::equalsNoCase(t.indexName(), kDisplayKey)) t.setIndex(kDisplayKey);
  return t.findKey(FieldValue(name));
}

}  // namespace

bool AddBlogPicture(BlogDb& blog, const std::string& path) { return addMedia(blog, kPictureKind, path); }
bool AddBlogFile(BlogDb& blog, const std::string& path) { return addMedia(blog, kFileKind, path); }
bool RemoveBlogPicture(BlogDb& blog) { return removeMedia(blog, kPictureKind); }
bool RemoveBlogFile(BlogDb& blog) { return removeMedia(blog, kFileKind); }
bool findPicture(BlogDb& blog, const std::string& name) { return findMedia(blog, kPictureKind, name); }
bool findFile(BlogDb& blog, const std::string& name) { return findMedia(blog, kFileKind, name); }

bool SaveBlogFileAs(BlogDb& blog, const std::string& path) {
  Table& t = blog.tblFiles();
  if (!hasCurrentRow(t)) return false;
  const Status st = util::writeFileAtomic(path, t.blobBytes("BlogFile"));
  if (!st.ok()) throw StoreError(st.message());
  return true;
}

std::string suggestedSavePath(BlogDb& blog) {
  Table& t = blog.tblFiles();
  const std::string name = !hasCurrentRow(t) ? std::string() : t.asString("BlogFileName");
  return util::joinPath(blog.programFolder(), name);
}

}  // namespace tessary::store
