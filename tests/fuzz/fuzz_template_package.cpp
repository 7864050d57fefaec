// Feeds arbitrary bytes to the package reader as a .tem file: the line split, the
// checks, the decoding of the six templates with the Default Layout fallback,
// the file records and their hex data, and the filling of the decoded slices.
// None of it may crash, read out of bounds or loop.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "templates/package.h"
#include "templates/tag_engine.h"

using namespace tessary::templates;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  TemplatePackage package;
  package.lines() = splitPackageLines(bytes);
  const PackageCheck check = checkPackageLines(package.lines());
  (void)damageMessage(check, "fuzz.tem", CheckWording::kOpen);
  (void)packageDescription(package.lines());
  package.SplitTemplatePackage();
  for (int k = 1; k <= kTemplateCount; ++k) {
    const SliceList& slices = package.slices(k);
    if (slices.size() < 10) __builtin_trap();
    // The editor's encoding gives the same slices back.
    SliceList again = decodeTemplateRecord(encodeTemplateRecord(slices));
    for (size_t s = 0; s < 10; ++s)
      if (again[s] != slices[s]) __builtin_trap();
  }
  for (const std::string& line : package.lines()) {
    FileRecord record;
    if (!parseFileRecord(line, record)) continue;
    std::string decoded;
    if (decodeHex(record.hex, decoded) && bytesToHex(decoded).size() != record.hex.size()) __builtin_trap();
  }
  templateEntryVars entry;
  entry.EntryText = "text";
  std::string page;
  for (int s = 1; s <= 6; ++s) page = FillEntryTags(package, 2, page, s, entry, {}, {});
  (void)FillPageTags(page, {}, entry, {});
  return 0;
}
