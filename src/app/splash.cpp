#include "app/splash.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialog_frame.h"
#include "app/texts.h"

namespace tessary::app {

namespace {
int gShowing = 0;
}

QPixmap productPicture(QSize size, qreal dpr) {
  QPixmap pm(size * dpr);
  pm.setDevicePixelRatio(dpr);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, size.width(), size.height());
  g.setColorAt(0, QColor(38, 70, 110));
  g.setColorAt(1, QColor(22, 40, 66));
  p.fillRect(QRect(QPoint(0, 0), size), g);
  // A loose mosaic of tiles, the program's mark, at the right.
  const int t = size.height() / 7;
  const QColor tiles[] = {QColor(233, 196, 106), QColor(244, 162, 97), QColor(42, 157, 143),
                          QColor(168, 218, 220), QColor(231, 111, 81)};
  int n = 0;
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4 - row; ++col) {
      QColor c = tiles[(row * 3 + col * 2 + n++) % 5];
      c.setAlpha(row == 0 ? 230 : 200 - row * 30);
      p.setPen(Qt::NoPen);
      p.setBrush(c);
      const int x = size.width() - (col + 1) * (t + 6) - 16;
      const int y = size.height() - (row + 1) * (t + 6) - 16;
      p.drawRoundedRect(QRect(x, y, t, t), 4, 4);
    }
  }
  QFont f("DejaVu Sans");
  f.setPixelSize(size.height() / 5);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  const int margin = std::max(8, size.height() / 10);
  p.drawText(QRect(margin, margin, size.width() - 2 * margin, size.height() / 3), Qt::AlignLeft | Qt::AlignVCenter,
             texts::kAppTitle);
  if (size.height() >= 150) {
    f.setPixelSize(std::max(10, size.height() / 16));
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(210, 222, 238));
    p.drawText(QRect(26, 20 + size.height() / 3, size.width() - 48, size.height() / 8),
               Qt::AlignLeft | Qt::AlignTop, "Write a blog. Publish plain HTML.");
  }
  return pm;
}

SplashWindow::SplashWindow(QWidget* owner, bool withClose)
    : QDialog(owner, withClose ? Qt::Dialog : (Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)) {
  setWindowTitle(texts::kCaption);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(withClose ? 12 : 0, withClose ? 12 : 0, withClose ? 12 : 0, withClose ? 12 : 0);
  layout->setSpacing(8);
  auto* picture = new QLabel(this);
  picture->setPixmap(productPicture(QSize(420, 220), devicePixelRatioF()));
  picture->setAccessibleName(texts::kCaption);
  layout->addWidget(picture);
  auto* label = new QLabel(texts::kCaption, this);
  label->setAlignment(Qt::AlignCenter);
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  label->setContentsMargins(0, withClose ? 0 : 6, 0, withClose ? 0 : 8);
  layout->addWidget(label);
  if (withClose) {
    auto* close = new QPushButton(texts::kClose, this);
    close->setAccessibleName(texts::kClose);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);
  } else {
    setStyleSheet("SplashWindow { background: white; border: 1px solid #808080; }");
  }
}

bool SplashWindow::showing() { return gShowing > 0; }

void SplashWindow::showEvent(QShowEvent* e) {
  ++gShowing;
  QDialog::showEvent(e);
  adjustSize();
  centreOn(this, parentWidget());
}

void SplashWindow::hideEvent(QHideEvent* e) {
  gShowing = std::max(0, gShowing - 1);
  QDialog::hideEvent(e);
}

}  // namespace tessary::app
