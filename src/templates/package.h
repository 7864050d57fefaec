// Template packages (.tem): the file format, its checks, the decoding of a
// template record into slices, the encoders the editor and the packer use, and
// the hex encoding of embedded files.
//
// A package is a list of lines ("package lines"), one record per line, fields
// separated by 0x01, line breaks inside texts stored as 0x03 (CR) and 0x02 (LF):
//
//   line 1      "0" 0x01 description
//   lines 2-7   key "1".."6" 0x01, then slices 1..9 each followed by 0x01
//               (template 1 is the Default Layout; 2 Home Page, 3 Archive Index,
//               4 Archive Entries, 5 Article Pages, 6 Static Pages)
//   lines 8-10  "7", "8", "9" 0x01: reserved, kept as read
//   line 11 ... "A" 0x01 name 0x01 HEXDATA 0x01: one embedded file per line
//
// A template record shorter than 50 characters stands for the Default Layout.
// The loaded package is process-wide (a generation run and the preview load into
// the same one); TemplatePackage is that state as a value so that tests and tools
// can hold their own.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "util/status.h"

namespace tessary::store {
class UserInterface;
}

namespace tessary::templates {

inline constexpr char kFieldSeparator = '\x01';
inline constexpr char kEncodedLF = '\x02';
inline constexpr char kEncodedCR = '\x03';
// A template record shorter than this is replaced by the Default Layout.
inline constexpr size_t kMinTemplateRecordLength = 50;
// The number of templates and of the mandatory leading records.
inline constexpr int kTemplateCount = 6;
inline constexpr int kMandatoryRecords = 10;
// Input from outside stays bounded. A package is read whole and every page
// copies its slices several times over, so a package file holds at most 64 MB
// (room for a good many pictures) and each text of its first ten records (the
// description, a slice, a reserved record) at most 4 MB, far more than any page
// needs. What is larger is refused with the package's usual messages.
inline constexpr uint64_t kMaxPackageBytes = 64ull * 1024 * 1024;
inline constexpr uint64_t kMaxSliceBytes = 4ull * 1024 * 1024;

// Entry 0 is the record's key, entries 1 to 9 the slices; at least ten entries.
using SliceList = std::vector<std::string>;

// Slice numbers by their meaning.
enum Slice : int {
  kStartOfPage = 1,
  kArticle = 2,
  kBeforeEntries = 3,
  kEachEntry = 4,
  kAfterEntries = 5,
  kEndOfPage = 6,
};

// ---- Lines -------------------------------------------------------------------

// Splits file bytes into lines at CR LF, a lone CR and a lone LF. A break at the
// very end does not start another line; an empty text has no lines.
std::vector<std::string> splitPackageLines(std::string_view bytes);
// Each line followed by CR LF, nothing else.
std::string joinPackageLines(const std::vector<std::string>& lines);

// ---- Checks ------------------------------------------------------------------

// The outcome of the structural check of package lines.
struct PackageCheck {
  enum Kind { kGood, kTooFewLines, kWrongKey, kTooLarge } kind = kGood;
  int record = 0;     // 1-based line number of the first wrong key or too large text
  int slice = 0;      // kTooLarge: the piece of that record (0 the key, 1.. the slices)
  uint64_t size = 0;  // kTooLarge: its size in bytes
  bool ok() const { return kind == kGood; }
};

// At least ten lines, line N beginning with the digit N-1, and no text of those
// ten records larger than kMaxSliceBytes. Nothing else is checked.
PackageCheck checkPackageLines(const std::vector<std::string>& lines);

// Who checks: the three places use their own wording of the same failures.
enum class CheckWording {
  kOpen,     // OpenTemplatePackage: "[path]" in brackets, "can not be used"
  kEditor,   // the editor's Open: no brackets, "can not be edited"
  kChooser,  // the chooser's "Add New Templates": no brackets, "can not be used"
};

// The message for a failed check (empty for a good one).
std::string damageMessage(const PackageCheck& check, const std::string& path, CheckWording wording);
// "Error. I can not find the [path] Template Package. Sorry"
std::string missingPackageMessage(const std::string& path);
// A package file larger than kMaxPackageBytes, in the wording asked for.
std::string tooLargePackageMessage(const std::string& path, uint64_t size, CheckWording wording);

// Reads a package file into lines and checks it. Returns the failure message in
// the wording asked for (missing, too large, unreadable, damaged); lines holds
// whatever was read (nothing when the file is too large to be read).
Status readPackageFile(const std::string& path, std::vector<std::string>& lines,
                       CheckWording wording = CheckWording::kOpen);

// ---- Texts and records -------------------------------------------------------

// LF -> 0x02, CR -> 0x03.
std::string encodeText(std::string_view text);
// 0x03 -> CR, then 0x02 -> LF.
std::string decodeText(std::string_view stored);

// The slice list of one raw template record: decode line breaks, split at 0x01
// (text after the last separator is dropped), pad to ten entries.
SliceList decodeTemplateRecord(std::string_view record);
// Entry 0, 0x01, slices 1..9 each followed by 0x01, line breaks encoded.
// Missing slices are written empty; entries past 9 are not written.
std::string encodeTemplateRecord(const SliceList& slices);
// "0" 0x01 and the encoded text.
std::string encodeDescription(std::string_view text);
// Everything from the third character of line 1 on, decoded ("" without lines).
std::string packageDescription(const std::vector<std::string>& lines);
// The ten lines "0" 0x01 ... "9" 0x01 of a new package.
std::vector<std::string> newPackageLines();

// An embedded file record.
struct FileRecord {
  std::string name;
  std::string hex;
};
// Parses a line as a file record: it must begin with "A" and be longer than 10
// characters. Drops the first two characters, takes the text up to the next
// separator as the name and the text up to the one after as the hex data.
bool parseFileRecord(std::string_view line, FileRecord& out);
// "A" 0x01 name 0x01 hex 0x01.
std::string encodeFileRecord(std::string_view name, std::string_view hex);

// ---- Hex ---------------------------------------------------------------------

// Two upper-case hex digits per byte.
std::string bytesToHex(std::string_view bytes);
// The hex text of the whole file. Throws std::runtime_error naming the file when
// it cannot be read.
std::string FileToHex(const std::string& path);
// Decodes pairs of hex digits (either case). The empty text when any pair is not
// a hex number or a digit is left over at the end.
std::string HexToString(std::string_view hex);
// Decodes like HexToString and writes the bytes to path (replacing a file there,
// through a temporary file). False, with nothing written, on invalid hex or when
// the file cannot be written.
bool HexToFile(std::string_view hex, const std::string& path);
// As HexToString, telling invalid hex apart from empty data.
bool decodeHex(std::string_view hex, std::string& out);

// ---- The loaded package ------------------------------------------------------

class TemplatePackage {
 public:
  TemplatePackage();

  // The package's records in file order.
  std::vector<std::string>& lines() { return lines_; }
  const std::vector<std::string>& lines() const { return lines_; }

  // Clears the lines, reads the file and checks it. On failure shows the
  // message through ui.showError and returns false; lines holds what was read.
  bool OpenTemplatePackage(const std::string& path, store::UserInterface& ui);
  // Replaces the lines by those of the built-in default package (unchecked).
  void LoadBuiltInTemplatePackage();
  // Fills the six slice lists from the lines.
  void SplitTemplatePackage();
  // Template k (1 to 6) decoded from the lines, with the Default Layout fallback.
  // A missing line counts as an empty record.
  SliceList ReadTemplateSlices(int k) const;

  // Template k's slice list as split (ten empty entries before the first split).
  const SliceList& slices(int k) const;
  // Slice s (1 to 9 or beyond) of template k; empty when out of range.
  const std::string& slice(int k, int s) const;

  // Writes the lines, each followed by CR LF, atomically.
  Status write(const std::string& path) const;

 private:
  std::vector<std::string> lines_;
  std::array<SliceList, kTemplateCount> slices_;
};

// The process-wide package that a generation run and the preview load.
TemplatePackage& LoadedTemplatePackage();

// The operations on the process-wide package, under their usual names.
bool OpenTemplatePackage(const std::string& path, store::UserInterface& ui);
void LoadBuiltInTemplatePackage();
void SplitTemplatePackage();
SliceList ReadTemplateSlices(int k);

// The bytes of the built-in default package (the resource TEMPLATE0).
std::string_view builtInTemplatePackageBytes();

// The name of the default package in the program folder.
inline constexpr const char* kDefaultTemplateFile = "@default.tem";

// Gives a program folder its "@default.tem": writes the built-in package there
// when the folder has none. Returns true in `written` when this call wrote it;
// an error naming the file when it could not be written (nothing else changes).
Status ensureDefaultTemplatePackage(const std::string& programFolder, bool& written);

}  // namespace tessary::templates
