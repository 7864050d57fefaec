// The help viewer: the non-modal "Help Topics" window with the contents on the
// left and the selected topic on the right, and what it reads. The contents
// ("CONTENTS") and one rich-text document per topic (named by the topic name in
// capital letters) are resources of the program, under :/help/.
//
// At most one help window exists: showHelpTopic() closes the one that is open
// and opens a fresh one on the topic asked for. The main window owns it; while a
// modal dialog runs, the help window is placed above that dialog so that it
// stays usable (a dialog's "Help" button must lead somewhere the user can read).
#pragma once

#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTextBrowser>
#include <QWidget>
#include <optional>
#include <vector>

#include "app/background.h"

class QPrinter;

namespace tessary::app {

// One line of the contents: the item text (level digit, blank, title) and the
// topic name (empty when the item has no "|").
struct HelpContentsItem {
  QString itemText;
  QString topic;
  // 0 to 3 from the first character; -1 when it is no such digit.
  int level() const;
  // What the list shows: the item text from its second character, at most 99 characters.
  QString shownText() const;
};

inline constexpr int kHelpMaxEntries = 151;
inline constexpr int kHelpSearchedEntries = 150;

// Parses a contents text: only bracketed items count, each split at its first
// "|"; text between items is ignored; at most kHelpMaxEntries items are kept.
std::vector<HelpContentsItem> parseHelpContents(const QByteArray& text);

// The line to select for a topic name: the last exact match (letter case
// included) among the first 150 items, else 0.
int helpTopicIndex(const std::vector<HelpContentsItem>& items, const QString& topic);

// The program's contents resource, parsed.
const std::vector<HelpContentsItem>& helpContents();

// The document of a topic: nullopt when the name is empty or no resource has
// the name in capital letters; an empty resource gives an empty text.
std::optional<QByteArray> helpTopicDocument(const QString& topic);

// Draws the contents lines: 20 pixels high, the level's icon and indent,
// yellow and bold when selected, level 0 always bold.
class HelpContentsDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  static constexpr int kLineHeight = 20;
  static int textIndent(int level);
  static int iconIndent(int level);  // -1 for a level without an icon
  static const QColor& listColour();
  static const QColor& selectedColour();
};

class TTheHelpForm : public QWidget {
  Q_OBJECT
 public:
  explicit TTheHelpForm(QWidget* owner);

  // Selects the line of the topic name (see helpTopicIndex) and loads its topic.
  void selectTopic(const QString& topic);
  // Loads the topic of a list line into the text pane.
  void loadLine(int row);
  // Prints the topic shown to a printer that is already set up.
  void printTopic(QPrinter* printer);

  int selectedLine() const;
  QString shownTopic() const { return shownTopic_; }
  QListWidget* contentsList() const { return list_; }
  QTextBrowser* textPane() const { return text_; }
  QLineEdit* searchField() const { return search_; }
  QPushButton* printButton() const { return print_; }
  QPushButton* closeButton() const { return close_; }
  BandWidget* band() const { return band_; }

  // Shows only the lines whose title or topic text holds every word of the
  // query (letter case ignored); an empty query shows every line.
  void filterTopics(const QString& query);

  // The help window that is open now, if any.
  static TTheHelpForm* current();

 Q_SIGNALS:
  void topicShown(const QString& topic);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void printClicked();
  void showFirstMatch();

  BandWidget* band_;
  QLineEdit* search_;
  QListWidget* list_;
  QTextBrowser* text_;
  QPushButton* print_;
  QPushButton* close_;
  QString shownTopic_;
  std::vector<QString> searchTexts_;  // lower-case title and topic text per line
};

// Shows the help viewer on a topic, as the main window's "show help topic":
// closes the open help window, lets pending events run, opens a new one owned
// by owner on the topic and shows it without making it modal.
TTheHelpForm* showHelpTopic(QWidget* owner, const QString& topic);

// Makes F1 press the "Help" button of whichever window is active (the main
// window and the entry editor have their own F1). Installed once.
void installHelpKey();

}  // namespace tessary::app
