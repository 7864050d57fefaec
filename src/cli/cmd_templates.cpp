// Commands on template packages: check, preview, unpack into a folder, pack a folder.
#include <iostream>

#include "cli/cli.h"
#include "templates/package.h"
#include "templates/package_folder.h"
#include "templates/preview.h"
#include "util/files.h"

namespace tessary::cli {
namespace {

int cmdTemplateCheck(Context& c) {
  const std::string file = c.args.positional("PACKAGE.tem");
  c.args.finish();
  templates::TemplatePackage package;
  if (!package.OpenTemplatePackage(util::absolutePath(file), c.ui)) return kFailure;
  std::cout << "OK\n";
  return kSuccess;
}

int cmdTemplatePreview(Context& c) {
  const std::string file = c.args.positional("PACKAGE.tem");
  c.args.finish();
  const std::string path = util::absolutePath(file);
  std::vector<std::string> lines;
  if (Status s = templates::readPackageFile(path, lines, templates::CheckWording::kEditor); !s.ok()) {
    c.ui.showError(s.message());
    return kFailure;
  }
  const std::string index = templates::BuildTemplatePreview(c.programFolder, lines, path, c.ui);
  if (index.empty()) return kFailure;
  std::cout << index << "\n";
  return kSuccess;
}

int cmdTemplateUnpack(Context& c) {
  const std::string file = c.args.positional("PACKAGE.tem");
  const std::string folder = c.args.positional("DIR");
  c.args.finish();
  std::vector<std::string> lines;
  if (Status s = templates::readPackageFile(util::absolutePath(file), lines); !s.ok()) {
    c.ui.showError(s.message());
    return kFailure;
  }
  if (Status s = templates::unpackTemplatePackage(lines, folder, c.log); !s.ok()) {
    c.ui.showError(s.message());
    return kFailure;
  }
  std::cout << "Unpacked " << file << " into " << util::absolutePath(folder) << "\n";
  return kSuccess;
}

int cmdTemplatePack(Context& c) {
  const std::string folder = c.args.positional("DIR");
  const std::string file = c.args.positional("PACKAGE.tem");
  c.args.finish();
  std::vector<std::string> lines;
  if (Status s = templates::packTemplateFolder(folder, lines); !s.ok()) {
    c.ui.showError(s.message());
    return kFailure;
  }
  if (Status s = util::writeFileAtomic(file, templates::joinPackageLines(lines)); !s.ok()) {
    c.ui.showError(s.message());
    return kFailure;
  }
  std::cout << "Packed " << util::absolutePath(folder) << " into " << file << " (" << lines.size() - 10
            << " embedded files)\n";
  return kSuccess;
}

const RegisterCommand kCheck({"template-check", "template-check PACKAGE.tem",
                              "Check a template package; print OK or the damage and exit 1.", cmdTemplateCheck});
const RegisterCommand kPreview({"template-preview", "template-preview PACKAGE.tem",
                                "Build the preview pages of a package in HTML/TemplatePreview; print the index page.",
                                cmdTemplatePreview});
const RegisterCommand kUnpack({"template-unpack", "template-unpack PACKAGE.tem DIR",
                               "Write a package's description, slices and embedded files as files into DIR.",
                               cmdTemplateUnpack});
const RegisterCommand kPack({"template-pack", "template-pack DIR PACKAGE.tem",
                             "Assemble a package from a folder written by template-unpack.", cmdTemplatePack});

}  // namespace
}  // namespace tessary::cli
