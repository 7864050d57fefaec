// The open blog: the database, its six tables (each with its current row) and
// the current options. One BlogDb lives as long as the session of a front end;
// it holds at most one blog file open at a time. Every operation that shows a
// message, asks or opens a dialog does it through the UserInterface.
#pragma once

#include <memory>
#include <string>

#include "store/blog_lock.h"
#include "store/blog_options.h"
#include "store/blog_rec.h"
#include "store/database.h"
#include "store/table.h"
#include "store/user_interface.h"

namespace tessary::store {

class BlogDb {
 public:
  // programFolder: the folder of the executable (default of option 190 and of
  // backups); ui: where messages and questions go. Both outlive the BlogDb.
  BlogDb(std::string programFolder, UserInterface& ui);
  ~BlogDb();
  BlogDb(const BlogDb&) = delete;
  BlogDb& operator=(const BlogDb&) = delete;

  // Creates a new blog file, asks the five questions and inserts the sample
  // entries. Returns false (after telling the user) when the file exists.
  bool CreateBlog(const std::string& fileName);
  // Opens a blog file, upgrades it to the current version, loads its options.
  // Raises StoreError (with the file named) when it cannot; nothing stays open then.
  //
  // Every way of opening takes the blog file's lock (blog_lock.h) first and
  // holds it until CloseBlog: while another Tessary program has the file open
  // the open is refused at once with "Blog file NAME is in use by another
  // Tessary program." (NAME as passed here). Readers for the exports are
  // refused too: what they would read may be half of another program's run.
  void OpenBlog(const std::string& fileName);
  // Opens without upgrade and without loading options into the current options,
  // for readers such as the exports. Read-only when readOnly is set.
  void OpenBlogForReading(const std::string& fileName, bool readOnly = true);
  // Posts pending edits of existing rows, closes the tables and the database,
  // and lets go of the blog file's lock.
  void CloseBlog();
  // Closes as CloseBlog does but keeps the blog file locked: for maintenance
  // that works on the file itself (a compacted copy, compaction in place) and
  // then opens it again with OpenBlog, which takes the held lock over.
  void disconnect();
  BlogFileLock& fileLock() { return lock_; }

  bool isOpen() const { return db_.isOpen(); }
  const std::string& fileName() const { return db_.fileName(); }
  const std::string& programFolder() const { return programFolder_; }
  UserInterface& ui() { return *ui_; }
  void setUserInterface(UserInterface& ui) { ui_ = &ui; }

  Database& database() { return db_; }
  Table& tblBlog() { return *tblBlog_; }
  Table& tblPictures() { return *tblPictures_; }
  Table& tblFiles() { return *tblFiles_; }
  Table& tblOptions() { return *tblOptions_; }
  Table& tblCategory() { return *tblCategory_; }
  Table& tblPages() { return *tblPages_; }
  // The six tables in their fixed order.
  Table* table(int i);

  // The current options: until the first blog is opened every field is 0 or
  // empty; closing a blog keeps them.
  BlogOptionsRec& options() { return options_; }
  void LoadOptions();
  void SaveOptions();

  // The OptionInteger of row 999, or 1 when the row is missing.
  int fileVersion();

  // One command at a time. A command (a generation run, a publishing run, an
  // entry or category change, a maintenance step, an export) owns the tables'
  // current rows, the options and the open transactions while it runs; a
  // second one started meanwhile (from a log or popup callback, a timer of the
  // window) would pull them from under it. A command holds a RunScope for its
  // duration; the scope is released on every way out, exceptions included.
  class RunScope {
   public:
    // Raises StoreError "Cannot start <command> while <running> is running."
    // when another command holds the blog.
    RunScope(BlogDb& blog, std::string command);
    ~RunScope();
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

   private:
    BlogDb& blog_;
  };
  // Raises as RunScope does, without taking the blog: for a command that opens
  // a dialog whose own buttons run commands (the entry editor's pickers add
  // categories, pictures and files) and takes its scope after the dialog.
  void requireIdle(const std::string& command) const;
  bool running() const { return !runningCommand_.empty(); }
  // The name of the command that holds the blog; empty when none.
  const std::string& runningCommand() const { return runningCommand_; }

 private:
  void openTables();
  void closeTables();
  void writeVersionRow();
  void insertSampleEntry(int32_t type, const char* title, const char* text, const char* pageName);
  void upgrade();
  void rescueOldCustomTags();
  void restructureBlog(const std::vector<FieldDef>& fields);
  void recreateTable(const TableDef& def, Table& table);

  std::string programFolder_;
  UserInterface* ui_;
  BlogFileLock lock_;  // outlives db_'s connection: declared before it
  Database db_;
  std::unique_ptr<Table> tblBlog_, tblPictures_, tblFiles_, tblOptions_, tblCategory_, tblPages_;
  BlogOptionsRec options_;
  std::string runningCommand_;
};

}  // namespace tessary::store
