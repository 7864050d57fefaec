// The protocol the blog option dialogs share. Writing OptionsRec hands the
// dialog a copy of the current options and shows the fields it owns; reading it
// returns that copy with the owned fields taken from the controls and every
// other field as it came in. OptionsResult is 1 after Save, 0 otherwise.
//
// A dialog binds each option it owns to a control once, with how a value is
// shown and read back; the common rules of the controls live here:
//   text box   the text; a box the user did not edit gives the value back exactly
//   multi-line the text, line breaks included (likewise kept when not edited)
//   list       the index of the chosen item; a value that is not an index shows
//              no selection and, with no item chosen, is kept as it was
//   check box  checked gives 1, unchecked 0; shown checked when exactly 1 unless
//              the binding says otherwise
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>
#include <vector>

#include "app/dialog_frame.h"
#include "store/blog_options.h"

namespace tessary::app {

class BlogOptionsDialog : public OptionDialogFrame {
  Q_OBJECT
 public:
  BlogOptionsDialog(QWidget* owner, const QString& title, const QString& helpTopic, QSize openSize, QSize minSize);

  void setOptionsRec(const store::BlogOptionsRec& rec);
  store::BlogOptionsRec OptionsRec() const;
  int OptionsResult() const { return result01(); }

  // The option numbers this dialog owns, in the order they were bound.
  std::vector<int> ownedKeys() const;
  // The control that shows an option (nullptr when the dialog does not own it).
  QWidget* control(int key) const;

 protected:
  using Show = std::function<void(const store::BlogOptionsRec&)>;
  using Read = std::function<void(store::BlogOptionsRec&)>;

  // The grid of the field area: labels in column 0, controls in column 1.
  QGridLayout* grid() const { return grid_; }
  // Adds a label and its control in a new row (an empty label leaves column 0
  // free); the control's accessible name is the label, or its own caption.
  int addRow(const QString& label, QWidget* control, Qt::Alignment align = {});
  // A line of smaller text under the previous row's control.
  QLabel* addHint(const QString& text);
  // A section label in bold, after a horizontal rule unless it is the first;
  // the controls that follow carry it as their accessible description.
  void addSection(const QString& label);

  QLineEdit* bindText(int key, const QString& label, int maxLength = 0);
  QPlainTextEdit* bindMemo(int key, const QString& label);
  QComboBox* bindList(int key, const QString& label, const QStringList& items);
  QCheckBox* bindCheck(int key, const QString& label, const QString& caption,
                       std::function<bool(int32_t)> shownChecked = {});
  // Any other control, with its own rules.
  void bind(int key, QWidget* control, Show show, Read read);

 private:
  struct Binding {
    int key;
    QWidget* control;
    Show show;
    Read read;
  };
  std::vector<Binding> bindings_;
  store::BlogOptionsRec rec_;
  QGridLayout* grid_;
  int sections_ = 0;
  QString section_;  // the section the next rows belong to
};

// A list as wide as its longest item while there is room, narrower when the
// window is (its items are then cut rather than the window scrolled).
void fitList(QComboBox* list);
// The items "1" to "n".
QStringList numberItems(int n);
// The items of a constant array of texts.
template <size_t N>
QStringList itemList(const char* const (&items)[N]) {
  QStringList out;
  for (const char* s : items) out << QString::fromUtf8(s);
  return out;
}

// Runs a blog option dialog of type D modally on rec, as the launchers do:
// created owned by owner, given the copy, shown; on Save rec becomes the copy
// it hands back. Returns true after Save.
template <class D, class... Args>
bool runBlogOptionsDialog(QWidget* owner, HelpOpener help, store::BlogOptionsRec& rec, Args&&... args) {
  D dialog(owner, std::forward<Args>(args)...);
  dialog.setHelpOpener(std::move(help));
  dialog.setOptionsRec(rec);
  dialog.exec();
  if (dialog.OptionsResult() != 1) return false;
  rec = dialog.OptionsRec();
  return true;
}

}  // namespace tessary::app
