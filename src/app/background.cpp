#include "app/background.h"

#include <QPainter>
#include <QPaintEvent>

namespace tessary::app {

namespace {

int gScheme = 0;

struct Scheme {
  QColor base, line;
};

Scheme schemeOf(int scheme) {
  switch (scheme) {
    case 1: return {QColor(214, 228, 212), QColor(188, 208, 186)};
    case 2: return {QColor(228, 217, 200), QColor(206, 190, 166)};
    default: return {QColor(224, 226, 230), QColor(202, 205, 212)};
  }
}

}  // namespace

QPixmap backgroundTile(int scheme) {
  const Scheme s = schemeOf(scheme);
  constexpr int kSize = 48;
  QImage img(kSize, kSize, QImage::Format_RGB32);
  // A quiet grain: each pixel a little lighter or darker than the base, from a
  // fixed sequence, so the tile is the same on every start.
  uint32_t seed = 0x2545F491u + static_cast<uint32_t>(scheme == 1 || scheme == 2 ? scheme : 0);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int d = static_cast<int>((seed >> 24) % 7) - 3;
      img.setPixel(x, y, qRgb(std::clamp(s.base.red() + d, 0, 255), std::clamp(s.base.green() + d, 0, 255),
                              std::clamp(s.base.blue() + d, 0, 255)));
    }
  }
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  // Faint diagonal strokes that meet across tile edges.
  QPen pen(s.line);
  pen.setWidthF(1.0);
  p.setPen(pen);
  for (int k = -kSize; k < kSize; k += 12) p.drawLine(QPointF(k, kSize), QPointF(k + kSize, 0));
  p.end();
  return QPixmap::fromImage(img);
}

QColor bandTextColour(int scheme) {
  switch (scheme) {
    case 1: return QColor(30, 64, 34);
    case 2: return QColor(74, 48, 22);
    default: return QColor(36, 44, 58);
  }
}

BandWidget::BandWidget(QWidget* parent) : QWidget(parent), scheme_(gScheme) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void BandWidget::setTitle(const QString& title) {
  title_ = title;
  setAccessibleName(title);
  update();
}

void BandWidget::setScheme(int scheme) {
  scheme_ = scheme;
  update();
}

void BandWidget::setCurrentScheme(int scheme) { gScheme = scheme; }
int BandWidget::currentScheme() { return gScheme; }

void BandWidget::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.fillRect(e->rect(), QBrush(backgroundTile(scheme_)));
  p.setPen(schemeOf(scheme_).line.darker(115));
  p.drawLine(0, height() - 1, width(), height() - 1);
  if (!title_.isEmpty()) {
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() > 0 ? f.pointSizeF() * 1.6 : 14);
    f.setBold(true);
    p.setFont(f);
    p.setPen(bandTextColour(scheme_));
    const int margin = fontMetrics().height() / 2 + 4;
    p.drawText(rect().adjusted(margin, 0, -margin, 0), Qt::AlignLeft | Qt::AlignVCenter, title_);
  }
}

}  // namespace tessary::app
