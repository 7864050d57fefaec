#include "app/dialog_frame.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/texts.h"

namespace tessary::app {

void centreOn(QWidget* w, QWidget* owner) {
  if (!owner) return;
  const QRect o = owner->window()->frameGeometry();
  const QRect f = w->frameGeometry();
  w->move(o.center() - QPoint(f.width() / 2, f.height() / 2));
}

OptionDialogFrame::OptionDialogFrame(QWidget* owner, const QString& title, const QString& helpTopic, QSize openSize,
                                     QSize minSize)
    : QDialog(owner), helpTopic_(helpTopic) {
  setWindowTitle(title);
  setSizeGripEnabled(true);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);

  band_ = new BandWidget(this);
  band_->setTitle(title);
  auto* bandLayout = new QHBoxLayout(band_);
  bandLayout->setContentsMargins(4, 8, 4, 8);
  bandLayout->setSpacing(4);
  bandLayout->addStretch(1);
  help_ = new QPushButton(texts::kHelp, band_);
  cancel_ = new QPushButton(texts::kCancel, band_);
  save_ = new QPushButton(texts::kSave, band_);
  for (QPushButton* b : {help_, cancel_, save_}) {
    b->setAccessibleName(b->text());
    b->setAutoDefault(false);
    bandLayout->addWidget(b);
  }
  save_->setDefault(true);
  band_->setMinimumHeight(save_->sizeHint().height() + 24);
  outer->addWidget(band_);

  scroll_ = new QScrollArea(this);
  scroll_->setWidgetResizable(true);
  scroll_->setFrameShape(QFrame::NoFrame);
  fields_ = new QWidget(scroll_);
  scroll_->setWidget(fields_);
  outer->addWidget(scroll_, 1);

  connect(save_, &QPushButton::clicked, this, [this] {
    result_ = 1;
    accept();
  });
  connect(cancel_, &QPushButton::clicked, this, [this] {
    result_ = 0;
    reject();
  });
  connect(help_, &QPushButton::clicked, this, [this] {
    if (helpOpener_) helpOpener_(helpTopic_);
  });
  if (!minSize.isEmpty()) setMinimumSize(minSize);
  resize(openSize);
}

int OptionDialogFrame::exec() {
  result_ = 0;
  QDialog::exec();
  return result_;
}

void OptionDialogFrame::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  scroll_->horizontalScrollBar()->setValue(0);
  scroll_->verticalScrollBar()->setValue(0);
  if (!centred_) {
    centred_ = true;
    centreOn(this, parentWidget());
  }
}

}  // namespace tessary::app
