#include "app/get_file.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/file_dialogs.h"
#include "store/entries.h"
#include "store/media.h"

namespace tessary::app {

TGetFileForm::TGetFileForm(QWidget* owner, store::BlogDb& blog)
    : TablePickerFrame(owner, blog,
                       new TableGridModel(blog, kTableFiles,
                                          {{texts::kColFileName, "BlogFileName", 300},
                                           {texts::kColDateAdded, "BlogFileDate", 150},
                                           {texts::kColFileSize, "BlogFileSize", 100}}),
                       texts::kInsertAFile, texts::kInsertFileBand, texts::kTopicExtraFiles,
                       {texts::kInsert, texts::kCancel, texts::kHelp}) {
  auto* l = new QVBoxLayout(body());
  l->setContentsMargins(0, 0, 0, 8);
  l->setSpacing(4);
  l->addWidget(gridWithAddButton(texts::kAddFileHint,
                                 [this] {
                                   const QString f = askFileToOpen(this, texts::kAddFile, texts::kFilterD,
                                                                  QString::fromStdString(blog_.programFolder()));
                                   if (!f.isEmpty()) store::AddBlogFile(blog_, f.toStdString());
                                 }),
               1);
  linkText_ = new QLineEdit(body());
  linkText_->setAccessibleName(texts::kLinkText);
  auto* caption = new QLabel(texts::kLinkText, body());
  caption->setBuddy(linkText_);
  auto* box = new QVBoxLayout;
  // The link text box is the window's width less 8 pixels wide.
  box->setContentsMargins(4, 0, 4, 0);
  box->setSpacing(2);
  box->addWidget(caption);
  box->addWidget(linkText_);
  l->addLayout(box);

  insertButton()->setDefault(true);
  connect(insertButton(), &QPushButton::clicked, this, [this] { acceptIfRow(); });
  connect(bandButton(texts::kCancel), &QPushButton::clicked, this, [this] { cancel(); });
  fixSize({622, 279});
}

std::optional<FileChoice> TGetFileForm::choice() const {
  store::Table& t = blog_.tblFiles();
  if (!t.isOpen() || !store::hasCurrentRow(t)) return std::nullopt;
  return FileChoice{t.asString("BlogFileName"), linkText_->text().toStdString()};
}

}  // namespace tessary::app
