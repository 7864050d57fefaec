// TtheMainForm: the application. It owns the session's blog store (the one open
// blog and its six tables) and generator state, shows the tables in four grids,
// holds the progress log and starts every command. It keeps the program's
// session settings (window place, background, fonts) and applies them.
//
// Commands run on the window's thread inside runCommand(): while one runs every
// command control is disabled (the progress log stays live), pending window
// events run at bounded intervals from the log and the status popup so the
// window keeps painting, and an error that escapes the command is shown in an
// error box; the window then returns to the state the command left. The grids
// show their own cached rows and reload only when a command has ended.
//
// The windows of later work (the entry editor, the blog option dialogs, the
// template chooser, the backup dialog, the category list, the template editor,
// the help viewer) are reached through the virtual seams below.
#pragma once

#include <QMainWindow>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <functional>
#include <memory>
#include <vector>

#include "app/background.h"
#include "app/font_string.h"
#include "app/grid_models.h"
#include "app/gui_ui.h"
#include "app/log_view.h"
#include "app/session_settings.h"
#include "generator/html_gen.h"
#include "store/blog_db.h"

class QMenu;

namespace tessary::app {

class TtheMainForm : public QMainWindow, public DialogSeams {
  Q_OBJECT
 public:
  enum Page { kPageBlogs = 0, kPageEntries, kPagePictures, kPageFiles, kPageOptions, kPagePublish };

  // programFolder: where blogs, packages, output folders and the INI file live.
  explicit TtheMainForm(const QString& programFolder, QWidget* parent = nullptr);
  ~TtheMainForm() override;

  // Start-up: reads the session settings and applies place, background and fonts.
  void loadSessionSettings();
  // Shows the window (maximised when the settings say so).
  void showAsSaved();
  // Writes the session settings (also done when the window closes).
  bool saveSessionSettings();

  // Opens a blog file as "Open Blog" does with a chosen file.
  void openBlogFile(const QString& path);
  // What a later start of the program hands over: the window comes to the
  // front and opens the blog file when none is open and no command runs.
  void activateFromOtherStart(const QString& blogFile);

  // ---- State, for the windows that follow and for tests -----------------------
  store::BlogDb& blog() { return blog_; }
  GuiUserInterface& ui() { return ui_; }
  const QString& programFolder() const { return programFolder_; }
  SessionSettings& settings() { return settings_; }
  bool blogOpen() const { return blog_.isOpen(); }
  bool busy() const { return busy_; }
  bool generated() const { return generated_; }
  int currentPage() const;
  void showPage(int page);
  LogView* progressLog() const { return log_; }
  QTableView* entryGrid() const { return grids_[0]; }
  QTableView* pictureGrid() const { return grids_[1]; }
  QTableView* fileGrid() const { return grids_[2]; }
  QTableView* optionGrid() const { return grids_[3]; }
  EntryGridModel* entryModel() const { return entryModel_; }
  OptionGridModel* optionModel() const { return optionModel_; }
  TableGridModel* pictureModel() const { return pictureModel_; }
  TableGridModel* fileModel() const { return fileModel_; }
  // A command button by caption, on a page (or the side bar / top panel: -1).
  QPushButton* button(const QString& caption, int page = -1) const;
  QToolButton* informationPicture() const { return picture_; }
  BandWidget* topPanel() const { return topPanel_; }
  QMenu* popupMenu() const { return popup_; }
  const QString& initialFontString() const { return initialFontString_; }
  const DisplayFont& formFont() const { return formFont_; }
  const DisplayFont& listsFont() const { return listsFont_; }
  // Applies a background scheme (kept as given; anything but 1 and 2 is grey).
  void setBackground(int back);

  // Runs a command: refused with a message while another runs; every error is
  // shown and ends only the command. Returns false when it was refused.
  bool runCommand(const QString& name, const std::function<void()>& command);

  // ---- Dialog seams ---------------------------------------------------------------
  bool runBasicOptions(store::BlogOptionsRec& rec) override;
  bool runTemplateChooser(store::BlogOptionsRec& rec) override;
  bool runEntryEditor(store::BlogRec& rec, bool categoryMode) override;
  bool runBackupDialog(store::BackupSettings& settings) override;
  virtual bool runAdvancedOptions(store::BlogOptionsRec& rec);
  virtual bool runRssOptions(store::BlogOptionsRec& rec);
  virtual bool runPublishingOptions(store::BlogOptionsRec& rec);
  virtual bool runCustomVariables(store::BlogOptionsRec& rec);
  virtual void runCategoryList();
  virtual void runTemplateEditor();
  virtual void showHelp(const QString& topic);

 Q_SIGNALS:
  // After every command, refused ones excepted (tests wait for it).
  void commandFinished(const QString& name);

 protected:
  void closeEvent(QCloseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

 private:
  // Building.
  void buildTopPanel();
  QWidget* buildSideBar();
  QWidget* buildPage(int page, const std::vector<const char*>& captions, QWidget* content);
  QTableView* buildGrid(TableGridModel* model, const QString& name);
  void buildMenu();
  void wireCommands();
  QPushButton* makeButton(const QString& caption, QWidget* parent);
  void on(const char* caption, int page, const std::function<void()>& handler);

  // State.
  void applyWindowState();
  void enterBlogOpen();
  void showBlogName();
  void enterNoBlog();
  void refreshGrids(bool all);
  void selectCurrentRows();
  void gridRowChosen(TableGridModel* model, int row);
  void applyFonts();

  // Commands.
  QString askOpenFile(const QString& caption, const QString& filter, const QString& suffix);
  QString askSaveFile(const QString& caption, const QString& filter, const QString& suffix, const QString& start);
  void cmdOpenBlog();
  void cmdNewBlog();
  void cmdCloseBlog(bool ask);
  void cmdRepairBlog();
  void cmdExportBlog();
  void cmdProgramOptions();
  void cmdAddPicture();
  void cmdViewPicture();
  void cmdAddFile();
  void cmdSaveFileAs();
  void cmdOptionDialog(const QString& name, bool (TtheMainForm::*dialog)(store::BlogOptionsRec&));
  void cmdOptionGridDoubleClick(const QModelIndex& index);
  void cmdPublish(int limit, const QString& name);
  void cmdFontCaptions();
  void cmdFontLists();
  void showProgramInformation();

  QString programFolder_;
  QString settingsPath_;
  GuiUserInterface ui_;
  store::BlogDb blog_;
  std::unique_ptr<generator::Generator> gen_;
  SessionSettings settings_;
  bool startMaximized_ = false;

  BandWidget* topPanel_ = nullptr;
  QMenu* popup_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QToolButton* picture_ = nullptr;
  LogView* log_ = nullptr;
  EntryGridModel* entryModel_ = nullptr;
  TableGridModel* pictureModel_ = nullptr;
  TableGridModel* fileModel_ = nullptr;
  OptionGridModel* optionModel_ = nullptr;
  QTableView* grids_[4] = {};
  std::vector<std::pair<int, QPushButton*>> buttons_;  // page (-1 side bar / top) and button

  QString initialFontString_;
  DisplayFont formFont_;
  DisplayFont listsFont_;

  bool generated_ = false;
  bool busy_ = false;
  bool exitRequested_ = false;
  bool syncingSelection_ = false;
  QString runningCommand_;
};

}  // namespace tessary::app
