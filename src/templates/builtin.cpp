// The built-in default package and the process-wide loaded package. The bytes of
// the default package are generated at build time from resources/default-template/
// (see layer.cmake) into template0_data.cpp.
#include "templates/package.h"
#include "util/files.h"

namespace tessary::templates {

namespace generated {
extern const unsigned char kTemplate0Data[];
extern const size_t kTemplate0Size;
}  // namespace generated

std::string_view builtInTemplatePackageBytes() {
  return {reinterpret_cast<const char*>(generated::kTemplate0Data), generated::kTemplate0Size};
}

Status ensureDefaultTemplatePackage(const std::string& programFolder, bool& written) {
  written = false;
  const std::string path = util::joinPath(programFolder, kDefaultTemplateFile);
  if (util::fileExists(path)) return Status::OK();
  if (Status s = util::writeFileAtomic(path, builtInTemplatePackageBytes()); !s.ok()) return s;
  written = true;
  return Status::OK();
}

void TemplatePackage::LoadBuiltInTemplatePackage() { lines_ = splitPackageLines(builtInTemplatePackageBytes()); }

TemplatePackage& LoadedTemplatePackage() {
  static TemplatePackage package;
  return package;
}

bool OpenTemplatePackage(const std::string& path, store::UserInterface& ui) {
  return LoadedTemplatePackage().OpenTemplatePackage(path, ui);
}

void LoadBuiltInTemplatePackage() { LoadedTemplatePackage().LoadBuiltInTemplatePackage(); }

void SplitTemplatePackage() { LoadedTemplatePackage().SplitTemplatePackage(); }

SliceList ReadTemplateSlices(int k) { return LoadedTemplatePackage().ReadTemplateSlices(k); }

}  // namespace tessary::templates
