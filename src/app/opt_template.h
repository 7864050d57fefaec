// The template chooser ("Template Options"): lists the template packages of
// the templates folder, shows the description (and the preview picture, when
// the package holds a "preview.png") of the one selected, copies packages from
// elsewhere into the folder, and on Save hands back the options with the
// selected package as "Template File". Save with nothing selected keeps the
// present value.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/dialog_frame.h"
#include "store/blog_options.h"
#include "templates/template_catalog.h"

namespace tessary::store {
class UserInterface;
}

namespace tessary::app {

class TOptTemplateForm : public OptionDialogFrame {
  Q_OBJECT
 public:
  // Scans templatesFolder at once; ui shows the status popup while it does
  // (none when null).
  TOptTemplateForm(QWidget* owner, const QString& templatesFolder, store::UserInterface* ui);

  void setOptionsRec(const store::BlogOptionsRec& rec);
  store::BlogOptionsRec OptionsRec() const;
  int OptionsResult() const { return result01(); }

  QLineEdit* currentTemplate() const { return current_; }
  QComboBox* templateList() const { return list_; }
  QPlainTextEdit* description() const { return description_; }
  QLabel* preview() const { return preview_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* siteButton() const { return site_; }
  const templates::TemplateCatalog& catalog() const { return catalog_; }

 private:
  void fillList();
  void showSelected();
  void addTemplates();

  QString folder_;
  templates::TemplateCatalog catalog_;
  store::BlogOptionsRec rec_;
  QLineEdit* current_;
  QComboBox* list_;
  QPlainTextEdit* description_;
  QLabel* preview_;
  QPushButton* add_;
  QPushButton* site_;
};

// The picture a package holds as "preview.png" (the name without case), or a
// null pixmap when it holds none or cannot be read.
QPixmap packagePreview(const QString& packagePath);

}  // namespace tessary::app
