// The entry editor (TBlogEntryForm): the modal window in which one entry, or in
// category mode one category, is written. The caller sets myBlogFunction (1
// entry, 3 category), myBlogResult 0 and myBlogRec, runs it, and takes
// myBlogRec back when myBlogResult is 1. The editor never touches the blog: the
// category titles it shows and the three pickers it opens ("Select Category",
// "Insert a Picture", "Insert a File") come in as functions from the caller;
// one left unset chooses nothing. What Save does to the record is the store's
// applyEntrySaveRules.
//
// Its five pages: "Basic Entry" (date, time, title, the text with its HTML
// toolbar, categories, link, page name, entry type), "Meta Tags", "Side Bar",
// "Custom Fields 1" and "Custom Fields 2".
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/background.h"
#include "app/dialog_frame.h"
#include "app/session_settings.h"
#include "app/tag_dialogs.h"
#include "store/blog_rec.h"

namespace tessary::app {

// ---- The date and time fields ----------------------------------------------------------

enum class OverwriteKind { Date, Time };

// What a character typed at `position` of the field becomes: itself when it is
// allowed there, else the field's replacement; a null QChar past the end
// (dates: 10 characters "yyyy-mm-dd", times: 8 characters "hh:nn:ss").
QChar overwriteCharacter(OverwriteKind kind, int position, QChar typed);

// "yyyy-mm-dd" and "hh:nn:ss" of a date-time.
QString dateFieldText(util::DateTime value);
QString timeFieldText(util::DateTime value);
// The date-time of the two fields' texts: the year is 2000 when not a number and
// held within 1899 to 2999; the month 1 when not a number, held within 1 to 12;
// the day 1 when not a number, held within 1 to 31 and then to the month's days;
// hours, minutes and seconds 0 when not a number, held within 0 to 23 and 0 to 59.
util::DateTime readDateTimeFields(const QString& date, const QString& time);

// A one-line field typed over, character by character: Delete and Backspace do
// nothing, a typed or pasted character replaces the one at the caret (the rule
// above) and nothing is inserted past the end.
class OverwriteField : public QLineEdit {
  Q_OBJECT
 public:
  OverwriteField(OverwriteKind kind, QWidget* parent);
  // Types one character at the caret as the rule says.
  void typeCharacter(QChar c);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;

 private:
  OverwriteKind kind_;
};

// ---- What the pickers hand back ---------------------------------------------------------

struct CategoryChoice {
  int32_t key = store::kNoCategory;
  std::string title;
};

// The editor's ways out to the blog, set by the caller.
struct EntryEditorSeams {
  // "Select Category": the chosen category, or nothing.
  std::function<std::optional<CategoryChoice>()> selectCategory;
  // "Insert a Picture": the chosen picture with the picker's values, or nothing.
  std::function<std::optional<PictureChoice>()> insertPicture;
  // "Insert a File": the chosen file with its link text, or nothing.
  std::function<std::optional<FileChoice>()> insertFile;
  // The title of a category, nothing when the blog has no such category.
  std::function<std::optional<std::string>(int32_t key)> categoryTitle;
  // Opens a link with the system's program (default: the desktop's URL handler).
  std::function<void(const QString& url)> openUrl;
  HelpOpener help;
};

// ---- The editor ---------------------------------------------------------------------------

class TBlogEntryForm : public QDialog {
  Q_OBJECT
 public:
  enum Function { kEntryMode = 1, kCategoryMode = 3 };
  enum Page { kPageBasic = 0, kPageMeta, kPageSideBar, kPageCustom1, kPageCustom2 };

  explicit TBlogEntryForm(QWidget* owner, EntryEditorSeams seams = {});

  // ---- The three properties ---------------------------------------------------------------
  // Fills the controls from the record (the record is kept for the fields not shown).
  void setMyBlogRec(const store::BlogRec& rec);
  // The kept record with the controls copied back into it.
  store::BlogRec myBlogRec() const;
  void setMyBlogFunction(int function);
  int myBlogFunction() const { return function_; }
  void setMyBlogResult(int result) { result_ = result; }
  int myBlogResult() const { return result_; }

  // ---- Session settings -------------------------------------------------------------------
  // The "Entry" place: top and left when 0 or more and below the desktop's height
  // and width; height raised to 400 and width to 600, each applied when below the
  // desktop's; InitMax makes the window open maximised.
  void applyPlace(const WindowPlace& place, const QSize& desktop);
  // The place to keep after the window closed: InitMax always, the other four
  // only when it was not maximised (else they stay as in `before`).
  WindowPlace keptPlace(const WindowPlace& before) const;
  // The captions-and-buttons font string on the whole window, the entry-text one
  // on the title, text, date, time, URL, entry type and page name fields.
  void applyFonts(const QString& formFont, const QString& entryTextFont);
  // Shows modally (maximised when the place says so); returns myBlogResult.
  int run();

  // ---- The controls, for the tests ---------------------------------------------------------
  BandWidget* band() const { return band_; }
  QTabWidget* pages() const { return pages_; }
  QPushButton* saveButton() const { return save_; }
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* helpButton() const { return help_; }
  OverwriteField* dateEdit() const { return date_; }
  OverwriteField* timeEdit() const { return time_; }
  QLineEdit* titleEdit() const { return title_; }
  QPlainTextEdit* textEdit() const { return text_; }
  QLabel* categoryLabel() const { return categoryLabel_; }
  QPushButton* categoryButton() const { return categoryButton_; }
  QToolButton* clearCategoriesButton() const { return clearButton_; }
  QPushButton* alternateButton(int which) const { return which == 2 ? second_ : third_; }
  QLineEdit* urlEdit() const { return url_; }
  QPushButton* urlButton() const { return urlButton_; }
  QLineEdit* pageNameEdit() const { return pageName_; }
  QComboBox* entryTypeList() const { return entryType_; }
  QLineEdit* keywordsEdit() const { return keywords_; }
  QLineEdit* metaDescEdit() const { return metaDesc_; }
  QPlainTextEdit* teaserEdit() const { return teaser_; }
  QPlainTextEdit* sidebarEdit() const { return sidebar_; }
  QLineEdit* customTitleEdit(int n) const { return n == 1 ? title1_ : title2_; }
  QPlainTextEdit* customTextEdit(int n) const { return n == 1 ? extra1_ : extra2_; }
  // A toolbar button by its hint; nullptr when there is none.
  QToolButton* toolButton(const QString& hint) const;
  bool wordWrap() const { return wordWrap_; }
  // The three working category keys (primary, second, third).
  int32_t workingCategory(int which) const;

 public:
  void setVisible(bool visible) override;
  void reject() override;

 private:
  // A text field whose record text is given back unchanged when the user did
  // not change what it showed (line breaks shown as one, written back as CR LF).
  struct TextSlot {
    QWidget* widget = nullptr;
    std::string original;
    QString shown;
  };
  QWidget* buildBasicPage();
  QWidget* buildToolbar(QWidget* parent);
  QWidget* buildTwoFieldPage(const char* lineCaption, QLineEdit*& line, const char* textCaption,
                             QPlainTextEdit*& text);
  QPlainTextEdit* makeMemo(QWidget* parent, const QString& name);
  QLineEdit* makeLine(QWidget* parent, const QString& name);
  QToolButton* addToolButton(QWidget* parent, const QString& hint, const QString& glyph,
                             const std::function<void()>& action, int style = 0);
  void fillText(QWidget* w, const std::string& value);
  std::string readText(QWidget* w) const;

  void entryTypeChanged();
  void updatePageNameEnabled();
  void showCategories();
  void showCategory(int which, const QString& title);
  QString titleOf(int32_t key) const;
  void chooseCategory(int which);
  void clearCategories();
  void openLink();
  void replaceSelection(const QString& text);
  QString selection() const;
  void insertFontTag();
  void insertLink();
  void insertImageTag();
  void insertTableTag();
  void insertPicture();
  void insertFile();
  void toggleWordWrap();
  void save();
  void cancel();
  // True when the controls hold something else than they were filled with.
  bool changed() const;
  // Asks before what the user typed is thrown away; true to go on.
  bool mayDiscard();

  EntryEditorSeams seams_;
  store::BlogRec rec_;
  store::BlogRec filled_;  // the record as the controls showed it when filled
  int function_ = kEntryMode;
  int result_ = 0;
  int32_t categories_[3] = {store::kNoCategory, store::kNoCategory, store::kNoCategory};
  bool filling_ = false;
  bool wordWrap_ = true;
  bool startMaximized_ = false;
  bool firstShow_ = true;
  std::vector<TextSlot> slots_;

  BandWidget* band_;
  QPushButton *save_, *cancel_, *help_;
  QTabWidget* pages_;
  OverwriteField *date_, *time_;
  QLabel *dateLabel_, *timeLabel_;
  QLineEdit* title_;
  QPlainTextEdit* text_;
  QLabel* categoryCaption_;
  QLabel* categoryLabel_;
  QPushButton* categoryButton_;
  QToolButton* clearButton_;
  QLabel *secondLabel_, *thirdLabel_;
  QPushButton *second_, *third_;
  QWidget* urlRow_;
  QLineEdit* url_;
  QPushButton* urlButton_;
  QLineEdit* pageName_;
  QLabel* entryTypeLabel_;
  QComboBox* entryType_;
  QLineEdit *keywords_, *metaDesc_;
  QLabel *keywordsCount_, *metaDescCount_;
  QPlainTextEdit *teaser_, *sidebar_;
  QLineEdit *title1_, *title2_;
  QPlainTextEdit *extra1_, *extra2_;
  std::vector<QToolButton*> tools_;
  QToolButton *wrapOn_, *wrapOff_;
};

}  // namespace tessary::app
