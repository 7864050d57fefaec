// Installing a package's files: the files embedded in a template package
// (stylesheets, pictures...) are written beside the generated pages, because
// the templates refer to them by bare file name, and tracked in tblPages like
// generated pages so that publishing sends a package file only when it changed.
// A picture or extra file stored in the blog under the same name (compared
// without case) takes precedence: the package's file is then neither written
// nor tracked.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "store/blog_db.h"
#include "templates/package.h"
#include "util/progress_log.h"

namespace tessary::templates {

// Where installed files go: the generation run's tracked output.
class TemplateFileSink {
 public:
  virtual ~TemplateFileSink() = default;
  // Tracks one file like a generated page (counted into the run's files added
  // or changed) and writes it when needed. onFirstFailure is called when the
  // first write fails; a second attempt follows silently. Returns false when
  // the name is refused (not a bare file name; nothing is written then).
  virtual bool installTemplateFile(const std::string& name, std::string_view bytes,
                                   const std::function<void()>& onFirstFailure) = 0;
};

// True when the blog holds a picture or an extra file of that name (without case).
bool blogHasPictureOrFile(store::BlogDb& blog, const std::string& name);

// Installs every file record of the package's lines in order, logging each
// step; a failed write shows "Error extracting <name> from template package.
// Sorry." through the blog's user interface and the run goes on. An empty file
// is logged and skipped (no output file of checksum 0 can be tracked as produced).
void InstallTemplateFiles(const TemplatePackage& package, store::BlogDb& blog, ProgressLog& log,
                          TemplateFileSink& sink);

}  // namespace tessary::templates
