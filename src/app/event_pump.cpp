#include "app/event_pump.h"

#include <QCoreApplication>

namespace tessary::app {

EventPump& EventPump::instance() {
  static EventPump pump;
  return pump;
}

EventPump::EventPump() { since_.start(); }

void EventPump::pump(bool force) {
  if (pumping_) return;  // a line written while events run (a nested repaint) waits for the next round
  if (!force && since_.elapsed() < kIntervalMs) return;
  pumping_ = true;
  if (flush_) flush_();
  QCoreApplication::processEvents(QEventLoop::AllEvents, 25);
  pumping_ = false;
  since_.restart();
}

}  // namespace tessary::app
