// The program options ("Tessary Options"): the background scheme and the three
// display fonts. The main window hands the four settings in, runs the dialog
// modally and takes them back when OptionsResult is 1.
#pragma once

#include <QComboBox>
#include <QLabel>

#include "app/dialog_frame.h"
#include "app/font_string.h"

namespace tessary::app {

class TProgramOptionsForm : public OptionDialogFrame {
  Q_OBJECT
 public:
  // initialFontString: the main window's font as it started, for "Reset".
  TProgramOptionsForm(QWidget* owner, const QString& initialFontString);

  // Background scheme: shown taken into 0 to 2, read back likewise.
  void setOptionsBack(int back);
  int OptionsBack() const;
  void setOptionsFontForm(const QString& s) { setRow(0, s); }
  void setOptionsFontLists(const QString& s) { setRow(1, s); }
  void setOptionFontEntryText(const QString& s) { setRow(2, s); }
  QString OptionsFontForm() const { return rows_[0].setting; }
  QString OptionsFontLists() const { return rows_[1].setting; }
  QString OptionFontEntryText() const { return rows_[2].setting; }
  int OptionsResult() const { return result01(); }

  QComboBox* backgroundList() const { return back_; }
  QLabel* sample(int row) const { return rows_[row].sample; }
  QPushButton* changeButton(int row) const { return rows_[row].change; }
  QPushButton* resetButton(int row) const { return rows_[row].reset; }

 private:
  struct Row {
    QLabel* sample = nullptr;
    QPushButton* change = nullptr;
    QPushButton* reset = nullptr;
    DisplayFont font;
    QString setting;
  };
  void setRow(int i, const QString& s);
  void changeRow(int i);

  QComboBox* back_;
  Row rows_[3];
  QString initialFontString_;
};

}  // namespace tessary::app
