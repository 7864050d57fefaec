#include "templates/package.h"

#include <stdexcept>

#include "store/user_interface.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::templates {

// ---- Lines -------------------------------------------------------------------

std::vector<std::string> splitPackageLines(std::string_view bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  const size_t n = bytes.size();
  while (start < n) {
    size_t i = start;
    while (i < n && bytes[i] != '\r' && bytes[i] != '\n') ++i;
    lines.emplace_back(bytes.substr(start, i - start));
    if (i < n && bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  return lines;
}

std::string joinPackageLines(const std::vector<std::string>& lines) {
  size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  std::string out;
  out.reserve(total);
  for (const auto& l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

// ---- Checks ------------------------------------------------------------------

PackageCheck checkPackageLines(const std::vector<std::string>& lines) {
  PackageCheck c;
  if (lines.size() < static_cast<size_t>(kMandatoryRecords)) {
    c.kind = PackageCheck::kTooFewLines;
    return c;
  }
  for (int n = 0; n < kMandatoryRecords; ++n) {
    const std::string& line = lines[static_cast<size_t>(n)];
    if (line.empty() || line[0] != static_cast<char>('0' + n)) {
      c.kind = PackageCheck::kWrongKey;
      c.record = n + 1;
      return c;
    }
  }
  // The texts of the ten records, piece by piece between the separators.
  for (int n = 0; n < kMandatoryRecords; ++n) {
    const std::string_view line = lines[static_cast<size_t>(n)];
    if (line.size() <= kMaxSliceBytes) continue;
    size_t start = 0;
    for (int piece = 0;; ++piece) {
      const size_t sep = line.find(kFieldSeparator, start);
      const size_t end = sep == std::string_view::npos ? line.size() : sep;
      if (end - start > kMaxSliceBytes) {
        c.kind = PackageCheck::kTooLarge;
        c.record = n + 1;
        c.slice = piece;
        c.size = end - start;
        return c;
      }
      if (sep == std::string_view::npos) break;
      start = sep + 1;
    }
  }
  return c;
}

std::string missingPackageMessage(const std::string& path) {
  return "Error. I can not find the [" + path + "] Template Package. Sorry";
}

std::string damageMessage(const PackageCheck& check, const std::string& path, CheckWording wording) {
  if (check.ok()) return {};
  const std::string shown = wording == CheckWording::kOpen ? "[" + path + "]" : path;
  const std::string ending =
      wording == CheckWording::kEditor ? " and can not be edited. Sorry" : " and can not be used. Sorry";
  if (check.kind == PackageCheck::kTooFewLines) return "Error. Template Package " + shown + " is damaged" + ending;
  if (check.kind == PackageCheck::kTooLarge) {
    // Records 2 to 7 are templates of slices; the others hold one text after the key.
    const bool isTemplate = check.record >= 2 && check.record <= 1 + kTemplateCount;
    const std::string what =
        isTemplate ? "slice " + std::to_string(check.slice) + " holds " : std::string("its text holds ");
    return "Error. Template Package " + shown + " is too large at record " + std::to_string(check.record) + " (" +
           what + std::to_string(check.size) + " bytes; a " + (isTemplate ? "slice" : "text") + " holds at most " +
           std::to_string(kMaxSliceBytes >> 20) + " MB)" + ending;
  }
  return "Error. Template Package " + shown + " is damaged at record " + std::to_string(check.record) + ending;
}

std::string tooLargePackageMessage(const std::string& path, uint64_t size, CheckWording wording) {
  const std::string shown = wording == CheckWording::kOpen ? "[" + path + "]" : path;
  const std::string ending =
      wording == CheckWording::kEditor ? " and can not be edited. Sorry" : " and can not be used. Sorry";
  return "Error. Template Package " + shown + " is too large (" + std::to_string(size) +
         " bytes; a package holds at most " + std::to_string(kMaxPackageBytes >> 20) + " MB)" + ending;
}

Status readPackageFile(const std::string& path, std::vector<std::string>& lines, CheckWording wording) {
  lines.clear();
  if (!util::fileExists(path)) return Status::Error(missingPackageMessage(path));
  const int64_t size = util::fileSize(path);
  if (size > 0 && static_cast<uint64_t>(size) > kMaxPackageBytes)
    return Status::Error(tooLargePackageMessage(path, static_cast<uint64_t>(size), wording));
  std::string bytes;
  if (Status s = util::readFile(path, bytes, kMaxPackageBytes); !s.ok())
    return Status::Error("Error. Template Package [" + path + "] can not be read (" + s.message() + "). Sorry");
  lines = splitPackageLines(bytes);
  const PackageCheck check = checkPackageLines(lines);
  if (!check.ok()) return Status::Error(damageMessage(check, path, wording));
  return Status::OK();
}

// ---- Texts and records -------------------------------------------------------

std::string encodeText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\n')
      c = kEncodedLF;
    else if (c == '\r')
      c = kEncodedCR;
  }
  return out;
}

std::string decodeText(std::string_view stored) {
  std::string out(stored);
  for (char& c : out) {
    if (c == kEncodedCR)
      c = '\r';
    else if (c == kEncodedLF)
      c = '\n';
  }
  return out;
}

SliceList decodeTemplateRecord(std::string_view record) {
  const std::string text = decodeText(record);
  SliceList slices;
  size_t start = 0;
  for (;;) {
    const size_t sep = text.find(kFieldSeparator, start);
    if (sep == std::string::npos) break;
    slices.push_back(text.substr(start, sep - start));
    start = sep + 1;
  }
  while (slices.size() < 10) slices.emplace_back();
  return slices;
}

std::string encodeTemplateRecord(const SliceList& slices) {
  std::string out = slices.empty() ? std::string() : slices[0];
  out += kFieldSeparator;
  for (size_t s = 1; s <= 9; ++s) {
    if (s < slices.size()) out += slices[s];
    out += kFieldSeparator;
  }
  return encodeText(out);
}

std::string encodeDescription(std::string_view text) {
  std::string out = "0";
  out += kFieldSeparator;
  out += encodeText(text);
  return out;
}

std::string packageDescription(const std::vector<std::string>& lines) {
  if (lines.empty() || lines[0].size() <= 2) return {};
  return decodeText(std::string_view(lines[0]).substr(2));
}

std::vector<std::string> newPackageLines() {
  std::vector<std::string> lines;
  for (int n = 0; n < kMandatoryRecords; ++n) {
    std::string l(1, static_cast<char>('0' + n));
    l += kFieldSeparator;
    lines.push_back(std::move(l));
  }
  return lines;
}

bool parseFileRecord(std::string_view line, FileRecord& out) {
  if (line.size() <= 10 || line[0] != 'A') return false;
  const std::string_view rest = line.substr(2);
  const size_t first = rest.find(kFieldSeparator);
  if (first == std::string_view::npos) {
    // The appended separators end both fields: the whole rest is the name.
    out.name.assign(rest);
    out.hex.clear();
    return true;
  }
  out.name.assign(rest.substr(0, first));
  const size_t second = rest.find(kFieldSeparator, first + 1);
  out.hex.assign(second == std::string_view::npos ? rest.substr(first + 1)
                                                  : rest.substr(first + 1, second - first - 1));
  return true;
}

std::string encodeFileRecord(std::string_view name, std::string_view hex) {
  std::string out = "A";
  out += kFieldSeparator;
  out += name;
  out += kFieldSeparator;
  out += hex;
  out += kFieldSeparator;
  return out;
}

// ---- Hex ---------------------------------------------------------------------

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string bytesToHex(std::string_view bytes) {
  std::string out(bytes.size() * 2, '0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out[2 * i] = kHexDigits[b >> 4];
    out[2 * i + 1] = kHexDigits[b & 15];
  }
  return out;
}

std::string FileToHex(const std::string& path) {
  std::string bytes;
  if (Status s = util::readFile(path, bytes, kMaxPackageBytes / 2); !s.ok()) throw std::runtime_error(s.message());
  return bytesToHex(bytes);
}

bool decodeHex(std::string_view hex, std::string& out) {
  out.clear();
  if (hex.size() % 2 != 0) return false;
  out.resize(hex.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) {
    const int hi = hexValue(hex[2 * i]);
    const int lo = hexValue(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) {
      out.clear();
      return false;
    }
    out[i] = static_cast<char>((hi << 4) | lo);
  }
  return true;
}

std::string HexToString(std::string_view hex) {
  std::string out;
  decodeHex(hex, out);
  return out;
}

bool HexToFile(std::string_view hex, const std::string& path) {
  std::string bytes;
  if (!decodeHex(hex, bytes)) return false;
  return util::writeFileAtomic(path, bytes).ok();
}

// ---- The loaded package ------------------------------------------------------

TemplatePackage::TemplatePackage() {
  for (auto& s : slices_) s.assign(10, std::string());
}

bool TemplatePackage::OpenTemplatePackage(const std::string& path, store::UserInterface& ui) {
  const Status s = readPackageFile(path, lines_, CheckWording::kOpen);
  if (!s.ok()) {
    ui.showError(s.message());
    return false;
  }
  return true;
}

SliceList TemplatePackage::ReadTemplateSlices(int k) const {
  static const std::string kNone;
  auto line = [this](size_t index) -> const std::string& { return index < lines_.size() ? lines_[index] : kNone; };
  const size_t index = k >= 1 && k <= kTemplateCount ? static_cast<size_t>(k) : 1;
  const std::string& raw = line(index);
  // The threshold counts characters; only a record of fewer bytes can be short.
  const bool tooShort = raw.size() < kMinTemplateRecordLength ||
                        (raw.size() < 4 * kMinTemplateRecordLength && util::charCount(raw) < kMinTemplateRecordLength);
  return decodeTemplateRecord(tooShort ? line(1) : raw);
}

void TemplatePackage::SplitTemplatePackage() {
  for (int k = 1; k <= kTemplateCount; ++k) slices_[static_cast<size_t>(k - 1)] = ReadTemplateSlices(k);
}

const SliceList& TemplatePackage::slices(int k) const {
  if (k < 1 || k > kTemplateCount) k = 1;
  return slices_[static_cast<size_t>(k - 1)];
}

const std::string& TemplatePackage::slice(int k, int s) const {
  static const std::string kNone;
  const SliceList& list = slices(k);
  if (s < 1 || static_cast<size_t>(s) >= list.size()) return kNone;
  return list[static_cast<size_t>(s)];
}

Status TemplatePackage::write(const std::string& path) const {
  return util::writeFileAtomic(path, joinPackageLines(lines_));
}

}  // namespace tessary::templates
