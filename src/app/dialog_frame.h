// The common frame of the option dialogs: a resizable window centred on its
// owner, a top band with the tiled background, the title in large type and the
// buttons Save, Cancel and Help placed from the right with 4-pixel gaps, and a
// scrolling field area that starts scrolled to its top-left corner. Save sets
// the result 1 and closes, Cancel (or closing the window) 0.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QScrollArea>
#include <functional>

#include "app/background.h"

namespace tessary::app {

// Opens the help viewer on a topic; the main window provides it.
using HelpOpener = std::function<void(const QString& topic)>;

// A modal window that gives back 1 (Save, Continue, Select, Insert) or 0
// (Cancel, Escape, closing it), and centres itself on its owner's window the
// first time it shows.
class ResultDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ResultDialog(QWidget* owner) : QDialog(owner) {}
  int result01() const { return result_; }
  // Runs modally from a result of 0; returns result01().
  int exec() override;

 protected:
  void setResult01(int result) { result_ = result; }
  void showEvent(QShowEvent* e) override;

 private:
  int result_ = 0;
  bool centred_ = false;
};

class OptionDialogFrame : public ResultDialog {
  Q_OBJECT
 public:
  OptionDialogFrame(QWidget* owner, const QString& title, const QString& helpTopic, QSize openSize, QSize minSize);

  // The widget that holds the fields, inside the scrolling area.
  QWidget* fieldArea() const { return fields_; }
  QPushButton* saveButton() const { return save_; }
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* helpButton() const { return help_; }
  BandWidget* band() const { return band_; }
  void setHelpOpener(HelpOpener opener) { helpOpener_ = std::move(opener); }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  BandWidget* band_;
  QScrollArea* scroll_;
  QWidget* fields_;
  QPushButton *save_, *cancel_, *help_;
  QString helpTopic_;
  HelpOpener helpOpener_;
};

// A dialog's top band: the title at the left, the buttons with these captions
// from the left to the right edge, 4 pixels apart and 4 from the edge.
BandWidget* makeTopBand(QWidget* parent, const QString& title, const QStringList& captions,
                        QList<QPushButton*>& buttons);

// Centres a window on its owner's window.
void centreOn(QWidget* w, QWidget* owner);

}  // namespace tessary::app
