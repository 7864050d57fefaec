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

BandWidget* makeTopBand(QWidget* parent, const QString& title, const QStringList& captions,
                        QList<QPushButton*>& buttons) {
  auto* band = new BandWidget(parent);
  band->setTitle(title);
  auto* layout = new QHBoxLayout(band);
  layout->setContentsMargins(4, 8, 4, 8);
  layout->setSpacing(4);
  layout->addStretch(1);
  int height = 0;
  for (const QString& c : captions) {
    auto* b = new QPushButton(c, band);
    b->setAccessibleName(c);
    b->setAutoDefault(false);
    layout->addWidget(b);
    buttons << b;
    height = std::max(height, b->sizeHint().height());
  }
  band->setMinimumHeight(height + 24);
  return band;
}

OptionDialogFrame::OptionDialogFrame(QWidget* owner, const QString& title, const QString& helpTopic, QSize openSize,
                                     QSize minSize)
    : ResultDialog(owner), helpTopic_(helpTopic) {
  setWindowTitle(title);
  setSizeGripEnabled(true);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);

  QList<QPushButton*> buttons;
  band_ = makeTopBand(this, title, {texts::kHelp, texts::kCancel, texts::kSave}, buttons);
  help_ = buttons[0];
  cancel_ = buttons[1];
  save_ = buttons[2];
  save_->setDefault(true);
  outer->addWidget(band_);

  scroll_ = new QScrollArea(this);
  scroll_->setWidgetResizable(true);
  scroll_->setFrameShape(QFrame::NoFrame);
  fields_ = new QWidget(scroll_);
  scroll_->setWidget(fields_);
  outer->addWidget(scroll_, 1);

  connect(save_, &QPushButton::clicked, this, [this] {
    setResult01(1);
    accept();
  });
  connect(cancel_, &QPushButton::clicked, this, [this] {
    setResult01(0);
    reject();
  });
  connect(help_, &QPushButton::clicked, this, [this] {
    if (helpOpener_) helpOpener_(helpTopic_);
  });
  if (!minSize.isEmpty()) setMinimumSize(minSize);
  resize(openSize);
}

int ResultDialog::exec() {
  result_ = 0;
  QDialog::exec();
  return result_;
}

void ResultDialog::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!centred_) {
    centred_ = true;
    centreOn(this, parentWidget());
  }
}

void OptionDialogFrame::showEvent(QShowEvent* e) {
  ResultDialog::showEvent(e);
  scroll_->horizontalScrollBar()->setValue(0);
  scroll_->verticalScrollBar()->setValue(0);
}

}  // namespace tessary::app
