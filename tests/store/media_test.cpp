#include "store/media.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "store/open_blog_fixture.h"
#include "store/picture_check.h"
#include "util/crc32.h"
#include "util/files.h"

namespace tessary::store {
namespace {

using testing::OpenBlogTest;

std::string be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}
std::string le16(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string be16(uint16_t v) { return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }

std::string pngChunk(const std::string& type, const std::string& data) {
  return be32(static_cast<uint32_t>(data.size())) + type + data + be32(0);
}

std::string png(uint32_t w, uint32_t h) {
  return std::string("\x89PNG\r\n\x1A\n", 8) +
         pngChunk("IHDR", be32(w) + be32(h) + std::string("\x08\x02\x00\x00\x00", 5)) +
         pngChunk("IDAT", "compressed pixels") + pngChunk("IEND", "");
}

// A JPEG with an APP0 segment, a frame header (baseline 0xC0 or another kind),
// a scan with stuffed and restart bytes, and the end marker.
std::string jpeg(uint16_t w, uint16_t h, unsigned char frame = 0xC0) {
  std::string s = "\xFF\xD8";
  s += "\xFF\xE0" + be16(16) + std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14);
  s += std::string("\xFF") + static_cast<char>(frame) + be16(11) + "\x08" + be16(h) + be16(w) +
       std::string("\x01\x01\x11\x00", 4);
  s += "\xFF\xDA" + be16(8) + std::string("\x01\x01\x00\x00\x3F\x00", 6);
  s += std::string("\x12\x34\xFF\x00\x56\xFF\xD0\x78\x9A", 9);
  s += "\xFF\xD9";
  return s;
}

std::string gif(uint16_t w, uint16_t h) {
  return "GIF89a" + le16(w) + le16(h) + std::string("\0\0\0", 3) + "\x2C" + le16(0) + le16(0) + le16(w) + le16(h) +
         std::string("\0\x02\x02\x44\x01\0\x3B", 7);
}

class MediaTest : public OpenBlogTest {
 protected:
  std::string file(const std::string& name, const std::string& bytes) {
    const std::string path = dir_.file(name);
    testing::writeFile(path, bytes);
    return path;
  }
};

TEST_F(MediaTest, APngIsStoredWithItsSizeBytesAndChecksum) {
  const std::string bytes = png(300, 200);
  ASSERT_TRUE(AddBlogPicture(*blog_, file("chart.png", bytes)));
  Table& t = blog_->tblPictures();
  EXPECT_EQ(t.asString("BlogPictureName"), "chart.png");
  EXPECT_EQ(t.blobBytes("BlogPicture"), bytes);
  EXPECT_EQ(t.asInteger("BlogPictureWidth"), 300);
  EXPECT_EQ(t.asInteger("BlogPictureHeight"), 200);
  EXPECT_EQ(t.asInteger("BlogPictureSize"), static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(t.asInteger("BlogPictureCRC"), util::crcToStored(util::CalculateCRC32String(bytes)));
  EXPECT_EQ(t.asDateTime("BlogPictureDate"), clock_);
  EXPECT_EQ(t.asString("BlogPictureType"), "0");
  EXPECT_TRUE(t.isNull("BlogPictureCategory"));
  EXPECT_TRUE(ui_.errors.empty());
  EXPECT_TRUE(ui_.questions.empty());
}

TEST_F(MediaTest, SizesByExtension) {
  ASSERT_TRUE(AddBlogPicture(*blog_, file("a.gif", gif(64, 48))));
  EXPECT_EQ(blog_->tblPictures().asInteger("BlogPictureWidth"), 64);
  EXPECT_EQ(blog_->tblPictures().asInteger("BlogPictureHeight"), 48);
  ASSERT_TRUE(AddBlogPicture(*blog_, file("b.jpg", jpeg(640, 480))));
  EXPECT_EQ(blog_->tblPictures().asInteger("BlogPictureWidth"), 640);
  EXPECT_EQ(blog_->tblPictures().asInteger("BlogPictureHeight"), 480);
  // ".jpeg" is not read: -1 and -1.
  ASSERT_TRUE(AddBlogPicture(*blog_, file("c.jpeg", jpeg(640, 480))));
  EXPECT_EQ(blog_->tblPictures().asInteger("BlogPictureWidth"), -1);
  EXPECT_EQ(blog_->tblPictures().asInteger("BlogPictureHeight"), -1);
  // A JPEG without a baseline frame header (progressive here) gives 0 and 0.
  ASSERT_TRUE(AddBlogPicture(*blog_, file("d.jpg", jpeg(640, 480, 0xC2))));
  EXPECT_EQ(blog_->tblPictures().asInteger("BlogPictureWidth"), 0);
  EXPECT_EQ(blog_->tblPictures().asInteger("BlogPictureHeight"), 0);
  EXPECT_EQ(blog_->tblPictures().recordCount(), 4);
}

// What the name promises is not what counts: a whole picture is stored whatever
// its extension says, and its size is read by what it holds.
TEST_F(MediaTest, APictureWhoseContentDiffersFromItsNameIsStoredWithItsRealSize) {
  const std::string bytes = png(300, 200);
  ASSERT_TRUE(AddBlogPicture(*blog_, file("chart.jpg", bytes)));
  Table& t = blog_->tblPictures();
  EXPECT_EQ(t.asString("BlogPictureName"), "chart.jpg");
  EXPECT_EQ(t.blobBytes("BlogPicture"), bytes);
  EXPECT_EQ(t.asInteger("BlogPictureWidth"), 300);
  EXPECT_EQ(t.asInteger("BlogPictureHeight"), 200);
  EXPECT_TRUE(ui_.errors.empty());
  ASSERT_TRUE(AddBlogPicture(*blog_, file("anim.png", gif(64, 48))));
  EXPECT_EQ(t.asInteger("BlogPictureWidth"), 64);
  EXPECT_EQ(t.asInteger("BlogPictureHeight"), 48);
  ASSERT_TRUE(AddBlogPicture(*blog_, file("photo.gif", jpeg(640, 480))));
  EXPECT_EQ(t.asInteger("BlogPictureWidth"), 640);
  // Extensions that are not read keep -1 and -1 whatever the content.
  ASSERT_TRUE(AddBlogPicture(*blog_, file("chart.jpeg", bytes)));
  EXPECT_EQ(t.asInteger("BlogPictureWidth"), -1);
  // A picture cut short is still refused, whatever its name.
  EXPECT_FALSE(AddBlogPicture(*blog_, file("cut.jpg", bytes.substr(0, bytes.size() - 12))));
  EXPECT_EQ(ui_.errors.size(), 1u);
  EXPECT_EQ(t.recordCount(), 4);
}

TEST(PictureDescriptionTest, SaysWhatTheBytesHold) {
  EXPECT_EQ(describePicture(png(300, 200), ".png"), "a PNG picture of 300 x 200 pixels");
  EXPECT_EQ(describePicture(png(300, 200), ".JPG"),
            "a PNG picture of 300 x 200 pixels, not a JPEG one as its name says");
  EXPECT_EQ(describePicture(gif(7, 9), ".gif"), "a GIF picture of 7 x 9 pixels");
  EXPECT_EQ(describePicture(jpeg(640, 480, 0xC2), ".jpeg"), "a JPEG picture (its size is not read)");
  EXPECT_EQ(describePicture(std::string("BM") + std::string(62, '\0'), ".bmp"), "a BMP picture (its size is not read)");
  EXPECT_EQ(describePicture("text", ".txt"), "no picture");
}

TEST_F(MediaTest, ReplacingAsksWithTheStoredNameAndKeepsTheNewName) {
  setNow(2024, 1, 31, 15, 45, 0);
  ASSERT_TRUE(AddBlogPicture(*blog_, file("photo.jpg", jpeg(10, 10))));
  const util::DateTime added = clock_;
  setNow(2024, 2, 1, 8, 0, 0);
  testing::TempDir other;
  const std::string newer = other.file("Photo.JPG");
  testing::writeFile(newer, jpeg(20, 20));

  ui_.answers = {Answer::Cancel};
  EXPECT_FALSE(AddBlogPicture(*blog_, newer));
  ASSERT_EQ(ui_.questions.size(), 1u);
  EXPECT_EQ(ui_.questions[0], "Replace Blog Picture? \n\nphoto.jpg\n\n ( Added 2024-01-31 15:45:00).");
  Table& t = blog_->tblPictures();
  ASSERT_TRUE(findPicture(*blog_, "PHOTO.jpg"));
  EXPECT_EQ(t.asString("BlogPictureName"), "photo.jpg");
  EXPECT_EQ(t.asDateTime("BlogPictureDate"), added);

  ui_.answers = {Answer::Ok};
  ASSERT_TRUE(AddBlogPicture(*blog_, newer));
  EXPECT_EQ(t.recordCount(), 1);
  t.first();
  EXPECT_EQ(t.asString("BlogPictureName"), "Photo.JPG");
  EXPECT_EQ(t.asInteger("BlogPictureWidth"), 20);
  EXPECT_EQ(t.asDateTime("BlogPictureDate"), clock_);
}

TEST_F(MediaTest, BadPicturesAreRefusedWithAMessageAndNothingIsLost) {
  const std::string good = png(5, 5);
  ASSERT_TRUE(AddBlogPicture(*blog_, file("keep.png", good)));
  testing::TempDir bad;
  auto make = [&](const std::string& name, const std::string& bytes) {
    const std::string path = bad.file(name);
    testing::writeFile(path, bytes);
    return path;
  };
  const std::string fullJpeg = jpeg(8, 8);
  const std::string fullGif = gif(8, 8);
  ::mkdir(bad.file("folder.png").c_str(), 0777);
  ::mkfifo(bad.file("pipe.png").c_str(), 0666);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {make("keep.png", "just some text, no picture"), "not a picture"},
      {make("cut.png", good.substr(0, good.size() - 12)), "cut short"},
      {make("cut.jpg", fullJpeg.substr(0, fullJpeg.size() - 2)), "cut short"},
      {make("cut.gif", fullGif.substr(0, fullGif.size() - 1)), "cut short"},
      {make("empty.png", ""), "empty"},
      {bad.file("missing.png"), "No such file"},
      {bad.file("folder.png"), "folder"},
      {bad.file("pipe.png"), "not a plain file"},
      {make("back\\slash.png", good), "cannot be a file name"},
      {make(std::string(121, 'n') + ".png", good), "cannot be a file name"},
  };
  size_t errors = 0;
  for (const auto& [path, why] : cases) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(AddBlogPicture(*blog_, path));
    ASSERT_EQ(ui_.errors.size(), ++errors);
    EXPECT_NE(ui_.errors.back().find(why), std::string::npos) << ui_.errors.back();
    EXPECT_NE(ui_.errors.back().find("could not be stored"), std::string::npos);
  }
  EXPECT_TRUE(ui_.questions.empty());
  Table& t = blog_->tblPictures();
  EXPECT_EQ(t.recordCount(), 1);
  ASSERT_TRUE(findPicture(*blog_, "keep.png"));
  EXPECT_EQ(t.blobBytes("BlogPicture"), good);
}

TEST_F(MediaTest, AStoreFailureWhileReplacingKeepsTheOldRowAndSaysSo) {
  const std::string oldBytes = png(5, 5);
  ASSERT_TRUE(AddBlogPicture(*blog_, file("pic.png", oldBytes)));
  ASSERT_TRUE(AddBlogFile(*blog_, file("notes.txt", "old notes")));
  // The delete of the old row succeeds, the insert of the new one fails.
  blog_->database().exec("CREATE TRIGGER no_pictures BEFORE INSERT ON tblPictures BEGIN SELECT RAISE(ABORT, 'disk full'); END");
  blog_->database().exec("CREATE TRIGGER no_files BEFORE INSERT ON tblFiles BEGIN SELECT RAISE(ABORT, 'disk full'); END");
  testing::TempDir other;
  testing::writeFile(other.file("pic.png"), png(9, 9));
  testing::writeFile(other.file("notes.txt"), "new notes");
  ui_.defaultAnswer = Answer::Ok;

  EXPECT_FALSE(AddBlogPicture(*blog_, other.file("pic.png")));
  ASSERT_EQ(ui_.errors.size(), 1u);
  EXPECT_NE(ui_.errors[0].find("could not be stored"), std::string::npos);
  EXPECT_NE(ui_.errors[0].find("disk full"), std::string::npos);
  EXPECT_EQ(blog_->tblPictures().recordCount(), 1);
  EXPECT_EQ(blog_->tblPictures().asString("BlogPictureName"), "pic.png");  // the old row is current again
  EXPECT_EQ(blog_->tblPictures().blobBytes("BlogPicture"), oldBytes);

  EXPECT_FALSE(AddBlogFile(*blog_, other.file("notes.txt")));
  EXPECT_EQ(ui_.errors.size(), 2u);
  ASSERT_TRUE(findFile(*blog_, "notes.txt"));
  EXPECT_EQ(blog_->tblFiles().blobBytes("BlogFile"), "old notes");
  EXPECT_EQ(blog_->tblFiles().recordCount(), 1);
}

TEST_F(MediaTest, ExtraFilesTakeAnyContentEvenNothing) {
  const std::string bytes = std::string("MZ\0\x01\x02binary", 11);
  ASSERT_TRUE(AddBlogFile(*blog_, file("tool.exe", bytes)));
  ASSERT_TRUE(AddBlogFile(*blog_, file("copy.exe", bytes)));
  Table& t = blog_->tblFiles();
  ASSERT_TRUE(findFile(*blog_, "tool.exe"));
  const int32_t crc = t.asInteger("BlogFileCRC");
  EXPECT_EQ(crc, util::crcToStored(util::CalculateCRC32String(bytes)));
  EXPECT_EQ(t.asInteger("BlogFileSize"), 11);
  ASSERT_TRUE(findFile(*blog_, "COPY.EXE"));
  EXPECT_EQ(t.asInteger("BlogFileCRC"), crc);  // same content, same checksum

  // An empty file is a file like any other (a placeholder a page links, say).
  ASSERT_TRUE(AddBlogFile(*blog_, file("empty.txt", "")));
  EXPECT_EQ(t.recordCount(), 3);
  EXPECT_EQ(t.asString("BlogFileName"), "empty.txt");
  EXPECT_EQ(t.asInteger("BlogFileSize"), 0);
  EXPECT_EQ(t.asInteger("BlogFileCRC"), util::crcToStored(util::CalculateCRC32String("")));
  EXPECT_EQ(t.blobBytes("BlogFile"), "");
  EXPECT_TRUE(ui_.errors.empty());

  ui_.answers = {Answer::Cancel};
  EXPECT_FALSE(AddBlogFile(*blog_, file("tool.exe", "other")));
  EXPECT_EQ(ui_.questions.back().rfind("Replace Blog File? \n\ntool.exe\n\n ( Added ", 0), 0u);
  ASSERT_TRUE(findFile(*blog_, "tool.exe"));
  EXPECT_EQ(t.blobBytes("BlogFile"), bytes);
}

TEST_F(MediaTest, RemoveAndSaveAs) {
  EXPECT_FALSE(RemoveBlogPicture(*blog_));
  EXPECT_FALSE(RemoveBlogFile(*blog_));
  EXPECT_FALSE(SaveBlogFileAs(*blog_, dir_.file("out.bin")));
  EXPECT_FALSE(util::fileExists(dir_.file("out.bin")));
  EXPECT_TRUE(ui_.questions.empty());

  setNow(2024, 5, 6, 7, 8, 9);
  ASSERT_TRUE(AddBlogPicture(*blog_, file("p.gif", gif(1, 1))));
  ASSERT_TRUE(AddBlogFile(*blog_, file("f.zip", "PK zip bytes")));

  testing::writeFile(dir_.file("out.bin"), "to be replaced");
  ASSERT_TRUE(SaveBlogFileAs(*blog_, dir_.file("out.bin")));
  EXPECT_EQ(testing::readFile(dir_.file("out.bin")), "PK zip bytes");
  EXPECT_EQ(suggestedSavePath(*blog_), dir_.file("f.zip"));
  EXPECT_THROW(SaveBlogFileAs(*blog_, dir_.file("no/such/folder/out.bin")), StoreError);

  ui_.answers = {Answer::Cancel, Answer::Ok, Answer::Ok};
  EXPECT_FALSE(RemoveBlogPicture(*blog_));
  EXPECT_EQ(ui_.questions[0], "Remove Blog Picture? \n\np.gif\n\n ( Added 2024-05-06 07:08:09).");
  EXPECT_TRUE(RemoveBlogPicture(*blog_));
  EXPECT_TRUE(RemoveBlogFile(*blog_));
  EXPECT_EQ(ui_.questions[2], "Remove Blog File? \n\nf.zip\n\n ( Added 2024-05-06 07:08:09).");
  EXPECT_TRUE(blog_->tblPictures().isEmpty());
  EXPECT_TRUE(blog_->tblFiles().isEmpty());
}

TEST(PictureCheckTest, StructureIsWalkedToTheEnd) {
  EXPECT_TRUE(checkPictureBytes(png(1, 1), ".PNG").ok());
  EXPECT_TRUE(checkPictureBytes(jpeg(1, 1), ".Jpg").ok());
  EXPECT_TRUE(checkPictureBytes(gif(1, 1), ".gif").ok());
  // A thumbnail inside APP1 carries its own end marker; the main picture is still cut.
  std::string thumb = "\xFF\xD8\xFF\xD9";
  std::string withThumb = "\xFF\xD8\xFF\xE1" + be16(static_cast<uint16_t>(2 + thumb.size())) + thumb +
                          jpeg(4, 4).substr(2);
  EXPECT_TRUE(checkPictureBytes(withThumb, ".jpg").ok());
  EXPECT_FALSE(checkPictureBytes(withThumb.substr(0, withThumb.size() - 5), ".jpg").ok());
  // Data after the end is tolerated (cameras append their own).
  EXPECT_TRUE(checkPictureBytes(jpeg(1, 1) + "trailer", ".jpg").ok());
  // A chunk length pointing past the end.
  std::string longChunk = png(1, 1);
  longChunk.replace(33, 4, be32(0x7FFFFFF0));
  EXPECT_FALSE(checkPictureBytes(longChunk, ".png").ok());
  // Other extensions accept any recognised picture, and only those.
  EXPECT_TRUE(checkPictureBytes(png(1, 1), ".bin").ok());
  EXPECT_TRUE(checkPictureBytes("<?xml version=\"1.0\"?>\n<svg xmlns=\"x\"><rect/></svg>", ".svg").ok());
  EXPECT_FALSE(checkPictureBytes("<html><body>no</body></html>", ".svg").ok());
  std::string bmp = "BM" + std::string("\x40\0\0\0", 4) + std::string(30, '\0');
  EXPECT_FALSE(checkPictureBytes(bmp, ".bmp").ok());  // says 64 bytes, has 36
  bmp.resize(64, '\0');
  EXPECT_TRUE(checkPictureBytes(bmp, ".bmp").ok());
  // Every prefix of a picture is refused, and none hangs.
  const std::string full = jpeg(3, 3);
  for (size_t n = 0; n < full.size(); ++n) EXPECT_FALSE(checkPictureBytes(full.substr(0, n), ".jpg").ok()) << n;
  const std::string g = gif(3, 3);
  for (size_t n = 0; n < g.size(); ++n) EXPECT_FALSE(checkPictureBytes(g.substr(0, n), ".gif").ok()) << n;
}

}  // namespace
}  // namespace tessary::store
