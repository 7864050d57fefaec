#include "templates/install.h"

#include <sqlite3.h>

namespace tessary::templates {

namespace {

bool nameExists(store::Database& db, const char* sql, const std::string& name) {
  store::Statement st = db.prepare(sql);
  sqlite3_bind_text64(st.get(), 1, name.data(), name.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  const int rc = sqlite3_step(st.get());
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) db.fail("Cannot search by name");
  return rc == SQLITE_ROW;
}

}  // namespace

bool blogHasPictureOrFile(store::BlogDb& blog, const std::string& name) {
  // The name indexes of both tables compare without case; the tables' current
  // rows are left where they are.
  store::Database& db = blog.database();
  return nameExists(db, "SELECT 1 FROM tblPictures WHERE BlogPictureName = ? COLLATE NOCASE LIMIT 1", name) ||
         nameExists(db, "SELECT 1 FROM tblFiles WHERE BlogFileName = ? COLLATE NOCASE LIMIT 1", name);
}

void InstallTemplateFiles(const TemplatePackage& package, store::BlogDb& blog, ProgressLog& log,
                          TemplateFileSink& sink) {
  log.AppendLine("Processing Template Package...");
  for (const std::string& line : package.lines()) {
    FileRecord record;
    if (!parseFileRecord(line, record)) continue;
    log.AppendLine("...Extracting Template File " + record.name);
    if (blogHasPictureOrFile(blog, record.name)) {
      log.AppendLine("...Note: Template file " + record.name + " is overriden by Pictures or Files");
      continue;
    }
    std::string bytes;
    if (decodeHex(record.hex, bytes) && bytes.empty()) {
      // An empty file is valid, but its checksum 0 is the one that marks a
      // file as not produced: it is neither written nor tracked.
      log.AppendLine("...Template file " + record.name + " is empty and is not written");
      continue;
    }
    const std::string message = "Error extracting " + record.name + " from template package. Sorry.";
    sink.installTemplateFile(record.name, bytes, [&] { blog.ui().showError(message); });
  }
  log.AppendLine("Processing Template Package complete...");
}

}  // namespace tessary::templates
