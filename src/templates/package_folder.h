// A package spread over a folder, for authoring packages with ordinary tools:
//
//   description.txt            the description
//   template<k>-slice<s>.html  each non-empty slice s (1 to 9) of template k (1 to 6)
//   record<n>.txt              the content of reserved record n (7 to 9) when not empty
//   files.txt                  the embedded files' names, one a line, in package order
//   files/<name>               each embedded file
//
// Texts are taken byte for byte. Packing a folder that unpacking wrote gives the
// package back, in its canonical form (ten separators per template record).
#pragma once

#include <string>
#include <vector>

#include "util/progress_log.h"
#include "util/status.h"

namespace tessary::templates {

// Builds package lines from the folder. Without files.txt, every file in files/
// is embedded, in name order. Fails naming the file that cannot be read or the
// name in files.txt that is not a bare file name.
Status packTemplateFolder(const std::string& folder, std::vector<std::string>& lines);

// Writes the parts of the package lines into the folder (created when missing).
// A file record whose name is not a bare file name, or whose data is not valid
// hex, is reported in red and written nowhere. Fails when a file cannot be written.
Status unpackTemplatePackage(const std::vector<std::string>& lines, const std::string& folder, ProgressLog& log);

}  // namespace tessary::templates
