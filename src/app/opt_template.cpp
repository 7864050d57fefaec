#include "app/opt_template.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPixmap>
#include <QUrl>

#include "app/gui_ui.h"
#include "app/opt_texts.h"
#include "app/texts.h"
#include "templates/package.h"
#include "util/text.h"

// Resources of a static library are registered by name, outside any namespace.
static void registerAppResources() { Q_INIT_RESOURCE(app); }

namespace tessary::app {

using namespace opttexts;

namespace {
constexpr QSize kPreviewSize(160, 120);
}

QPixmap packagePreview(const QString& packagePath) {
  std::vector<std::string> lines;
  if (!templates::readPackageFile(packagePath.toStdString(), lines, templates::CheckWording::kChooser).ok()) return {};
  for (size_t i = templates::kMandatoryRecords; i < lines.size(); ++i) {
    templates::FileRecord file;
    if (!templates::parseFileRecord(lines[i], file) || !util::equalsNoCase(file.name, "preview.png")) continue;
    std::string bytes;
    QPixmap picture;
    if (templates::decodeHex(file.hex, bytes))
      picture.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<uint>(bytes.size()), "PNG");
    return picture;
  }
  return {};
}

TOptTemplateForm::TOptTemplateForm(QWidget* owner, const QString& templatesFolder, store::UserInterface* ui)
    : OptionDialogFrame(owner, kTemplateTitle, kTopicTemplate, QSize(640, 420), QSize(520, 360)),
      folder_(templatesFolder) {
  auto* grid = new QGridLayout(fieldArea());
  grid->setContentsMargins(16, 12, 16, 16);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(8);
  grid->setColumnStretch(1, 1);

  auto* currentLabel = new QLabel(kCurrentTemplate, fieldArea());
  current_ = new QLineEdit(fieldArea());
  current_->setReadOnly(true);
  current_->setAccessibleName(kCurrentTemplate);
  currentLabel->setBuddy(current_);
  grid->addWidget(currentLabel, 0, 0);
  grid->addWidget(current_, 0, 1, 1, 2);

  site_ = new QPushButton(kSiteButton, fieldArea());
  site_->setAccessibleName(kSiteButton);
  site_->setAutoDefault(false);
  grid->addWidget(site_, 1, 1, 1, 2, Qt::AlignLeft);

  auto* listLabel = new QLabel(kSelectTemplate, fieldArea());
  list_ = new QComboBox(fieldArea());
  list_->setAccessibleName(kSelectTemplate);
  list_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list_->setMinimumContentsLength(12);
  listLabel->setBuddy(list_);
  add_ = new QPushButton(kAddNewTemplates, fieldArea());
  add_->setAccessibleName(kAddNewTemplates);
  add_->setAutoDefault(false);
  grid->addWidget(listLabel, 2, 0);
  grid->addWidget(list_, 2, 1, 1, 2);
  grid->addWidget(add_, 3, 1, 1, 2, Qt::AlignLeft);

  auto* descriptionLabel = new QLabel(kDescription, fieldArea());
  description_ = new QPlainTextEdit(fieldArea());
  description_->setReadOnly(true);
  description_->setAccessibleName(kDescription);
  description_->setTabChangesFocus(true);
  descriptionLabel->setBuddy(description_);
  preview_ = new QLabel(fieldArea());
  preview_->setAccessibleName(kPreview);
  preview_->setFixedSize(kPreviewSize);
  preview_->setAlignment(Qt::AlignCenter);
  preview_->setVisible(false);
  grid->addWidget(descriptionLabel, 4, 0, Qt::AlignTop);
  auto* row = new QHBoxLayout;
  row->setSpacing(8);
  row->addWidget(description_, 1);
  row->addWidget(preview_, 0, Qt::AlignTop);
  grid->addLayout(row, 4, 1, 1, 2);
  grid->setRowStretch(4, 1);

  connect(list_, &QComboBox::currentIndexChanged, this, [this] { showSelected(); });
  connect(add_, &QPushButton::clicked, this, &TOptTemplateForm::addTemplates);
  connect(site_, &QPushButton::clicked, this, [] { QDesktopServices::openUrl(QUrl(texts::kProjectPage)); });

  const Status scanned = catalog_.scan(folder_.toStdString(), ui);
  fillList();
  list_->setCurrentIndex(-1);
  if (!scanned.ok()) showErrorBox(this, QString::fromStdString(scanned.message()));
}

void TOptTemplateForm::fillList() {
  const QSignalBlocker block(list_);
  list_->clear();
  for (const auto& item : catalog_.items()) list_->addItem(QString::fromStdString(item.name));
}

void TOptTemplateForm::setOptionsRec(const store::BlogOptionsRec& rec) {
  rec_ = rec;
  current_->setText(QString::fromStdString(rec.TemplateFile));
  current_->setCursorPosition(0);
  list_->setCurrentIndex(catalog_.indexOf(rec.TemplateFile));
  showSelected();
}

store::BlogOptionsRec TOptTemplateForm::OptionsRec() const {
  store::BlogOptionsRec out = rec_;
  const int i = list_->currentIndex();
  if (i >= 0 && i < static_cast<int>(catalog_.items().size()))
    out.TemplateFile = catalog_.items()[static_cast<size_t>(i)].name;
  return out;
}

void TOptTemplateForm::showSelected() {
  description_->clear();
  preview_->clear();
  preview_->setVisible(false);
  const int i = list_->currentIndex();
  if (i < 0) return;
  description_->setPlainText(QString::fromStdString(catalog_.descriptionAt(i)));
  const QString name = QString::fromStdString(catalog_.items()[static_cast<size_t>(i)].name);
  QPixmap picture = packagePreview(folder_ + "/" + name);
  // The default package carries no picture (its files go into every site):
  // the program has one of it.
  if (picture.isNull() && name.compare("@default.tem", Qt::CaseInsensitive) == 0) {
    registerAppResources();
    picture = QPixmap(QStringLiteral(":/icons/default-template-preview.png"));
  }
  if (picture.isNull()) return;
  preview_->setPixmap(picture.scaled(kPreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  preview_->setVisible(true);
}

void TOptTemplateForm::addTemplates() {
  QFileDialog d(this, kAddNewTemplates, {}, kTemplateFilter);
  d.setAcceptMode(QFileDialog::AcceptOpen);
  d.setFileMode(QFileDialog::ExistingFile);
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return;
  const QString chosen = d.selectedFiles().first();
  // The selection stays on the package it was on; the new one is not selected.
  const int was = list_->currentIndex();
  const int wasNumber = was >= 0 ? catalog_.items()[static_cast<size_t>(was)].number : 0;
  const Status added = catalog_.add(chosen.toStdString(), folder_.toStdString());
  if (!added.ok()) {
    if (added.message() == kAlreadyInFolder)
      QMessageBox::information(this, texts::kAppTitle, QString::fromStdString(added.message()));
    else
      showErrorBox(this, QString::fromStdString(added.message()));
    return;
  }
  fillList();
  int keep = -1;
  for (size_t k = 0; k < catalog_.items().size(); ++k)
    if (was >= 0 && catalog_.items()[k].number == wasNumber) keep = static_cast<int>(k);
  list_->setCurrentIndex(keep);
  showSelected();
}

}  // namespace tessary::app
