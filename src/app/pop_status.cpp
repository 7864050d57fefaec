#include "app/pop_status.h"

#include <QPointer>
#include <QVBoxLayout>

#include "app/event_pump.h"
#include "app/texts.h"

namespace tessary::app {

namespace {
QPointer<TStatusForm> gCurrent;
}

TStatusForm::TStatusForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      label_(new QLabel(this)),
      owner_(owner) {
  setWindowTitle(texts::kStatus);
  setModal(false);
  label_->setWordWrap(true);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label_->setTextInteractionFlags(Qt::NoTextInteraction);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 8, 12, 8);
  layout->addWidget(label_);
  // 414 by 67 at the normal text size; larger type gets the room it needs.
  setMinimumSize(414, 67);
  resize(414, 67);
}

void TStatusForm::setStatusMessage(const QString& text) {
  label_->setText(text);
  label_->setAccessibleName(text);
  EventPump::instance().pump();
}

void TStatusForm::centreOnOwner() {
  adjustSize();
  if (!owner_) return;
  const QRect o = owner_->window()->frameGeometry();
  move(o.center() - QPoint(width() / 2, height() / 2));
}

TStatusForm* TStatusForm::showStatus(QWidget* owner, const QString& text) {
  if (!gCurrent) gCurrent = new TStatusForm(owner);
  gCurrent->label_->setText(text);
  gCurrent->centreOnOwner();
  gCurrent->show();
  gCurrent->raise();
  EventPump::instance().pump(true);
  return gCurrent;
}

void TStatusForm::setMessage(const QString& text) {
  if (gCurrent) gCurrent->setStatusMessage(text);
}

void TStatusForm::setCaption(const QString& caption) {
  if (gCurrent) gCurrent->setWindowTitle(caption);
}

void TStatusForm::closeStatus() {
  if (!gCurrent) return;
  TStatusForm* f = gCurrent;
  gCurrent = nullptr;
  f->close();
  f->deleteLater();
}

TStatusForm* TStatusForm::current() { return gCurrent; }

}  // namespace tessary::app
