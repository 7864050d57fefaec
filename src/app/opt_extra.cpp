#include "app/opt_extra.h"

#include <QFontDialog>
#include <QGridLayout>

#include "app/texts.h"

namespace tessary::app {

TProgramOptionsForm::TProgramOptionsForm(QWidget* owner, const QString& initialFontString)
    : OptionDialogFrame(owner, texts::kTessaryOptions, texts::kTopicProgramOptions, QSize(667, 360), QSize(520, 360)),
      initialFontString_(initialFontString) {
  auto* grid = new QGridLayout(fieldArea());
  grid->setContentsMargins(16, 16, 16, 16);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(14);

  auto* backLabel = new QLabel(texts::kBackgroundScheme, fieldArea());
  back_ = new QComboBox(fieldArea());
  back_->addItems({texts::kGrey, texts::kGreen, texts::kBrown});
  back_->setAccessibleName(texts::kBackgroundScheme);
  backLabel->setBuddy(back_);
  grid->addWidget(backLabel, 0, 0);
  grid->addWidget(back_, 0, 1, Qt::AlignLeft);

  const char* labels[3] = {texts::kCaptionsAndButtons, texts::kLists, texts::kEntryTextArea};
  const char* samples[3] = {texts::kSampleCaptions, texts::kSampleList, texts::kSampleEntryText};
  for (int i = 0; i < 3; ++i) {
    Row& r = rows_[i];
    auto* label = new QLabel(labels[i], fieldArea());
    r.sample = new QLabel(samples[i], fieldArea());
    r.sample->setFrameShape(QFrame::StyledPanel);
    r.sample->setMinimumHeight(r.sample->sizeHint().height() + 8);
    // The sample gives way to the buttons when the window is narrow.
    r.sample->setMinimumWidth(120);
    r.sample->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    r.sample->setAccessibleName(labels[i]);
    r.sample->setAccessibleDescription(samples[i]);
    r.font.font = r.sample->font();
    r.change = new QPushButton(texts::kChange, fieldArea());
    r.reset = new QPushButton(texts::kReset, fieldArea());
    r.change->setAccessibleName(QStringLiteral("%1: %2").arg(texts::kChange, labels[i]));
    r.reset->setAccessibleName(QStringLiteral("%1: %2").arg(texts::kReset, labels[i]));
    r.change->setAutoDefault(false);
    r.reset->setAutoDefault(false);
    grid->addWidget(label, 1 + i, 0);
    grid->addWidget(r.sample, 1 + i, 1);
    grid->addWidget(r.change, 1 + i, 2);
    grid->addWidget(r.reset, 1 + i, 3);
    connect(r.change, &QPushButton::clicked, this, [this, i] { changeRow(i); });
    connect(r.reset, &QPushButton::clicked, this, [this, i] { setRow(i, initialFontString_); });
  }
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(4, 1);
}

void TProgramOptionsForm::setOptionsBack(int back) { back_->setCurrentIndex(std::clamp(back, 0, 2)); }

int TProgramOptionsForm::OptionsBack() const { return std::clamp(back_->currentIndex(), 0, 2); }

void TProgramOptionsForm::setRow(int i, const QString& s) {
  Row& r = rows_[i];
  r.setting = s;
  applyFontString(r.font, s);
  applyDisplayFont(r.sample, r.font);
}

void TProgramOptionsForm::changeRow(int i) {
  Row& r = rows_[i];
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, r.font.font, this, texts::kChange);
  if (!ok) return;
  r.font.font = chosen;
  r.setting = fontString(r.font);
  applyDisplayFont(r.sample, r.font);
}

}  // namespace tessary::app
