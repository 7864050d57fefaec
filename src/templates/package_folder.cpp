#include "templates/package_folder.h"

#include "templates/package.h"
#include "util/files.h"

namespace tessary::templates {
namespace {

std::string sliceFileName(int k, int s) {
  return "template" + std::to_string(k) + "-slice" + std::to_string(s) + ".html";
}

std::string recordFileName(int n) { return "record" + std::to_string(n) + ".txt"; }

// A text of the package (the description, a slice, a reserved record): no
// larger than a package may hold in one text.
Status readIfPresent(const std::string& path, std::string& out) {
  out.clear();
  if (!util::fileExists(path)) return Status::OK();
  return util::readFile(path, out, kMaxSliceBytes);
}

}  // namespace

Status packTemplateFolder(const std::string& folder, std::vector<std::string>& lines) {
  if (!util::directoryExists(folder)) return Status::Error("Cannot read the template folder " + folder);
  lines = newPackageLines();
  std::string text;
  if (Status s = readIfPresent(util::joinPath(folder, "description.txt"), text); !s.ok()) return s;
  lines[0] = encodeDescription(text);
  for (int k = 1; k <= kTemplateCount; ++k) {
    SliceList slices(10);
    slices[0] = std::to_string(k);
    for (int s = 1; s <= 9; ++s) {
      if (Status st = readIfPresent(util::joinPath(folder, sliceFileName(k, s)), slices[static_cast<size_t>(s)]);
          !st.ok())
        return st;
    }
    lines[static_cast<size_t>(k)] = encodeTemplateRecord(slices);
  }
  for (int n = 7; n <= 9; ++n) {
    if (Status s = readIfPresent(util::joinPath(folder, recordFileName(n)), text); !s.ok()) return s;
    std::string line(1, static_cast<char>('0' + n));
    line += kFieldSeparator;
    line += encodeText(text);
    lines[static_cast<size_t>(n)] = std::move(line);
  }

  const std::string filesFolder = util::joinPath(folder, "files");
  std::vector<std::string> names;
  const std::string manifest = util::joinPath(folder, "files.txt");
  if (util::fileExists(manifest)) {
    if (Status s = util::readFile(manifest, text, kMaxPackageBytes); !s.ok()) return s;
    for (const std::string& name : splitPackageLines(text)) {
      if (name.empty()) continue;
      if (!util::isBareFileName(name))
        return Status::Error("Cannot pack " + manifest + ": \"" + name + "\" is not a bare file name");
      names.push_back(name);
    }
  } else if (util::directoryExists(filesFolder)) {
    names = util::listFiles(filesFolder);
  }
  uint64_t total = 0;
  for (const std::string& name : names) {
    std::string bytes;
    if (Status s = util::readFile(util::joinPath(filesFolder, name), bytes, kMaxPackageBytes); !s.ok()) return s;
    total += bytes.size() * 2;
    if (total > kMaxPackageBytes) return Status::Error("Cannot pack " + folder + ": the package would be too large");
    lines.push_back(encodeFileRecord(name, bytesToHex(bytes)));
  }
  return Status::OK();
}

Status unpackTemplatePackage(const std::vector<std::string>& lines, const std::string& folder, ProgressLog& log) {
  if (Status s = util::createDirectories(folder); !s.ok()) return s;
  auto write = [&](const std::string& name, const std::string& bytes) {
    return util::writeFileAtomic(util::joinPath(folder, name), bytes);
  };
  if (Status s = write("description.txt", packageDescription(lines)); !s.ok()) return s;
  for (int k = 1; k <= kTemplateCount; ++k) {
    if (static_cast<size_t>(k) >= lines.size()) break;
    const SliceList slices = decodeTemplateRecord(lines[static_cast<size_t>(k)]);
    for (int s = 1; s <= 9; ++s) {
      const std::string& text = slices[static_cast<size_t>(s)];
      if (text.empty()) continue;
      if (Status st = write(sliceFileName(k, s), text); !st.ok()) return st;
    }
  }
  for (int n = 7; n <= 9; ++n) {
    if (static_cast<size_t>(n) >= lines.size() || lines[static_cast<size_t>(n)].size() <= 2) continue;
    if (Status s = write(recordFileName(n), decodeText(std::string_view(lines[static_cast<size_t>(n)]).substr(2)));
        !s.ok())
      return s;
  }

  std::string manifest;
  const std::string filesFolder = util::joinPath(folder, "files");
  bool madeFilesFolder = false;
  for (size_t i = kMandatoryRecords; i < lines.size(); ++i) {
    FileRecord rec;
    if (!parseFileRecord(lines[i], rec)) continue;
    const std::string where = "line " + std::to_string(i + 1);
    if (!util::isBareFileName(rec.name)) {
      log.AppendColouredLine(colours::kRed, "...Skipped the file record on " + where + ": its name \"" + rec.name +
                                                "\" is not a bare file name");
      continue;
    }
    std::string bytes;
    if (!decodeHex(rec.hex, bytes)) {
      log.AppendColouredLine(colours::kRed,
                             "...Skipped the file " + rec.name + " on " + where + ": its data is not valid hex");
      continue;
    }
    if (!madeFilesFolder) {
      if (Status s = util::createDirectories(filesFolder); !s.ok()) return s;
      madeFilesFolder = true;
    }
    if (Status s = util::writeFileAtomic(util::joinPath(filesFolder, rec.name), bytes); !s.ok()) return s;
    log.AppendLine("...Extracted " + rec.name + " (" + std::to_string(bytes.size()) + " bytes)");
    manifest += rec.name + "\n";
  }
  return write("files.txt", manifest);
}

}  // namespace tessary::templates
