// The entry editor's tag texts and the four small dialogs of its HTML toolbar
// ("Insert Font Tag", "Insert HREF Tag", "Insert Image Tag", "Insert Table
// Tag"). Each dialog only collects its fields; the text it stands for is built
// by the functions below, which are also what the picture and file insertion
// of the editor use. S is always the selection the text replaces (it follows
// the tag, or sits inside it, as each function says).
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <cstdint>
#include <string>

#include "app/dialog_frame.h"

namespace tessary::app {

// ---- The texts ----------------------------------------------------------------------

// A whole decimal number (blanks around it allowed), or `fallback`.
int wholeNumberOr(const QString& text, int fallback);

// "<FONT" + FACE, COLOR and SIZE for the values that are not empty after
// trimming (each written trimmed) + ">" + s + "</FONT>".
QString fontTagText(const QString& face, const QString& colour, const QString& size, const QString& s);
// "<A HREF=\"url\" class=\"entrylink\"" [+ " TARGET=\"_blank\""] + ">" + caption + "</A>", both trimmed.
QString linkTagText(const QString& url, const QString& caption, bool newWindow);
// "<IMG SRC=\"file\"" (also when empty) [ALT] [ALIGN="..." for 1 to 5] [HSPACE, VSPACE when
// not 0; text that is no whole number counts as 0] + ">" + s.
QString imageTagText(const QString& file, const QString& alt, int align, const QString& hspace,
                     const QString& vspace, const QString& s);
// A table of rows by columns of empty cells, one tag a line (CR LF), with a line
// break before and after it, then s.
QString tableTagText(int rows, int columns, int padding, int spacing, int border, const QString& s);

// What the picture picker hands back: the chosen picture's name and stored
// size, and the values typed beside its grid.
struct PictureChoice {
  std::string name;            // BlogPictureName
  int32_t storedHeight = -1;   // BlogPictureHeight
  int32_t storedWidth = -1;    // BlogPictureWidth
  std::string altText;
  int align = 0;               // 0 None, 1 Left, 2 Right, 3 Top, 4 Middle, 5 Bottom
  int height = -1;             // -1: none typed
  int width = -1;
  int hspace = 0;
  int vspace = 0;
};
// "<IMG SRC=\"name\"" [ALT] [ALIGN=LEFT.. without quotes] [HEIGHT= typed, else stored,
// when above 0] [WIDTH= likewise] [HSPACE, VSPACE when not 0] + ">" + s.
QString pictureTagText(const PictureChoice& p, const QString& s);

// What the file picker hands back.
struct FileChoice {
  std::string name;      // BlogFileName
  std::string linkText;  // as typed; empty means the file name
};
// "<A HREF=\"name\" class=\"entrylink\">" + (link text or name) + "</A>" + s.
QString fileTagText(const FileChoice& f, const QString& s);

// ---- The dialogs --------------------------------------------------------------------

// The frame the four share: fields in a form, then OK (the default button),
// Cancel and Help; modal, centred on `centreOver` when it first shows.
class TagDialog : public QDialog {
  Q_OBJECT
 public:
  TagDialog(QWidget* owner, const QString& title, QWidget* centreOver);
  void setHelpOpener(HelpOpener opener) { helpOpener_ = std::move(opener); }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* helpButton() const { return help_; }

 protected:
  QFormLayout* form() const { return form_; }
  // A labelled one-line field whose accessible name is its caption.
  QLineEdit* addLine(const QString& caption, const QString& start = {});
  QSpinBox* addNumber(const QString& caption, int min, int max, int start);
  void showEvent(QShowEvent* e) override;

 private:
  QFormLayout* form_;
  QPushButton *ok_, *cancel_, *help_;
  QWidget* centreOver_;
  HelpOpener helpOpener_;
  bool centred_ = false;
};

class TFontTagForm : public TagDialog {
  Q_OBJECT
 public:
  TFontTagForm(QWidget* owner, QWidget* centreOver);
  QString tagText(const QString& s) const;
  QLineEdit* faceEdit() const { return face_; }
  QLineEdit* colourEdit() const { return colour_; }
  QLineEdit* sizeEdit() const { return size_; }

 private:
  QLineEdit *face_, *colour_, *size_;
};

class THrefTagForm : public TagDialog {
  Q_OBJECT
 public:
  // The caption starts as the selection.
  THrefTagForm(QWidget* owner, QWidget* centreOver, const QString& selection);
  QString tagText() const;
  QLineEdit* urlEdit() const { return url_; }
  QLineEdit* captionEdit() const { return caption_; }
  QCheckBox* newWindowBox() const { return newWindow_; }

 private:
  QLineEdit *url_, *caption_;
  QCheckBox* newWindow_;
};

class TImageTagForm : public TagDialog {
  Q_OBJECT
 public:
  TImageTagForm(QWidget* owner, QWidget* centreOver);
  QString tagText(const QString& s) const;
  int align() const;
  QLineEdit* fileEdit() const { return file_; }
  QLineEdit* altEdit() const { return alt_; }
  QLineEdit* hspaceEdit() const { return hspace_; }
  QLineEdit* vspaceEdit() const { return vspace_; }
  QRadioButton* alignButton(int i) const { return align_[i]; }

 private:
  QLineEdit *file_, *alt_, *hspace_, *vspace_;
  QRadioButton* align_[6];
};

class TTableTagForm : public TagDialog {
  Q_OBJECT
 public:
  TTableTagForm(QWidget* owner, QWidget* centreOver);
  QString tagText(const QString& s) const;
  QSpinBox* rowsBox() const { return rows_; }
  QSpinBox* columnsBox() const { return columns_; }
  QSpinBox* paddingBox() const { return padding_; }
  QSpinBox* spacingBox() const { return spacing_; }
  QSpinBox* borderBox() const { return border_; }

 private:
  QSpinBox *rows_, *columns_, *padding_, *spacing_, *border_;
};

}  // namespace tessary::app
