// The template package editor (TTemplatePackagerForm, "Template Packager"): a
// modal window over the core's PackageEditor, which holds the package and runs
// every command. The window shows the editor's state: a band with "Help" and
// "Close", a file bar ("New", "Open", "Save", "Save As...", "Preview"), the six
// template buttons (the last five with reset and clear), "Description" and
// "Images and Files" on the left, one of three pages in the middle (the six
// slice tabs, the description, the embedded files) and a status line with the
// package's file name.
//
// The slice boxes highlight HTML, the engine's tags and commands, and tag names
// the engine does not know; Ctrl+F finds text in the slice on display.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QSyntaxHighlighter>
#include <QTabWidget>
#include <QTextCharFormat>
#include <QToolButton>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>

#include "app/background.h"
#include "app/gui_ui.h"
#include "app/session_settings.h"
#include "templates/package_editor.h"

namespace tessary::app {

// Marks up a slice: HTML tags and comments, [%...%] tags the engine fills,
// commands (IFBLANK, IFNOTBLANK, RANDOM) and tags of names it does not know.
class TemplateHighlighter : public QSyntaxHighlighter {
  Q_OBJECT
 public:
  explicit TemplateHighlighter(QTextDocument* document);
  enum Kind { kHtml, kComment, kVariable, kCommand, kUnknown };
  const QTextCharFormat& format(Kind kind) const { return formats_[kind]; }

 protected:
  void highlightBlock(const QString& text) override;

 private:
  std::array<QTextCharFormat, 5> formats_;
};

// The ways out of the window, set by the caller; each has a working default.
struct TemplatePackagerSeams {
  std::function<void(const QString& topic)> help;
  // Opens the preview's index page; QDesktopServices::openUrl when unset.
  std::function<bool(const QUrl&)> openUrl;
};

class TTemplatePackagerForm : public QDialog {
  Q_OBJECT
 public:
  // programFolder: where the dialogs start and the preview is built.
  TTemplatePackagerForm(QWidget* owner, const QString& programFolder, TemplatePackagerSeams seams = {});
  ~TTemplatePackagerForm() override;

  // Placed like the entry editor was last placed.
  void applyPlace(const WindowPlace& place, const QSize& desktop);
  // Shows the window modally until it closes.
  void run();

  templates::PackageEditor& editor() { return *editor_; }
  // "Open" with this file already chosen.
  void openPackage(const QString& path);
  // ---- Controls, for tests -------------------------------------------------------
  QPushButton* bandButton(const QString& caption) const;
  QPushButton* fileBarButton(const QString& caption) const;
  QPushButton* templateButton(int k) const { return templateButtons_[size_t(k - 1)]; }
  QToolButton* resetButton(int k) const { return resetButtons_[size_t(k - 2)]; }
  QToolButton* clearButton(int k) const { return clearButtons_[size_t(k - 2)]; }
  QPushButton* descriptionButton() const { return descriptionButton_; }
  QPushButton* filesButton() const { return filesButton_; }
  QStackedWidget* pages() const { return pages_; }
  QTabWidget* sliceTabs() const { return tabs_; }
  QPlainTextEdit* sliceBox(int s) const { return boxes_[size_t(s - 1)]; }
  QComboBox* itemList(int s) const { return items_[size_t(s - 1)]; }
  QPushButton* insertButton(int s) const { return inserts_[size_t(s - 1)]; }
  QLabel* templateLabel() const { return label_; }
  QPlainTextEdit* descriptionBox() const { return description_; }
  QListWidget* fileList() const { return files_; }
  QPushButton* addFileButton() const { return addFile_; }
  QPushButton* extractFileButton() const { return extractFile_; }
  QPushButton* removeFileButton() const { return removeFile_; }
  QLabel* statusLine() const { return status_; }
  QLineEdit* findField() const { return find_; }
  TemplateHighlighter* highlighter(int s) const { return highlighters_[size_t(s - 1)]; }

 public Q_SLOTS:
  void reject() override;

 private:
  QWidget* buildSlicesPage();
  QWidget* buildDescriptionPage();
  QWidget* buildFilesPage();
  QWidget* buildTemplateColumn();
  QPushButton* makeButton(const QString& caption, QWidget* parent);
  // Runs a command of the editor between handing it the boxes and showing its
  // state; a file error is shown with the file's path.
  void command(const std::function<void()>& run);
  void pullBoxes();
  void showState();
  void insertItem(int slice);
  void findNext();
  void preview();
  QString askSaveFile(const QString& caption, const QString& filter, const QString& suffix, const QString& start);

  QString programFolder_;
  TemplatePackagerSeams seams_;
  GuiUserInterface ui_;
  std::unique_ptr<templates::PackageEditor> editor_;
  bool startMaximized_ = false;

  BandWidget* band_ = nullptr;
  QList<QPushButton*> bandButtons_, fileBar_;
  std::array<QPushButton*, 6> templateButtons_{};
  std::array<QToolButton*, 5> resetButtons_{}, clearButtons_{};
  QPushButton *descriptionButton_ = nullptr, *filesButton_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QLabel* label_ = nullptr;
  std::array<QPlainTextEdit*, 6> boxes_{};
  std::array<TemplateHighlighter*, 6> highlighters_{};
  std::array<QComboBox*, 6> items_{};
  std::array<QPushButton*, 6> inserts_{};
  // The texts the boxes were filled with: an untouched box gives back its
  // slice exactly as read (line breaks and all).
  std::array<QString, 7> shown_;
  QPlainTextEdit* description_ = nullptr;
  QListWidget* files_ = nullptr;
  QPushButton *addFile_ = nullptr, *extractFile_ = nullptr, *removeFile_ = nullptr;
  QLineEdit* find_ = nullptr;
  QLabel* findStatus_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace tessary::app
