// Keeps the windows painted while a long command runs on the window's thread:
// the progress log and the status popup call pump() after each line or text,
// and pending window events run at most every kInterval, so a run of 10,000
// lines pays for a few hundred event rounds, not 10,000. Input to commands is
// blocked meanwhile by the main window (its commands are disabled).
#pragma once

#include <QElapsedTimer>
#include <functional>

namespace tessary::app {

class EventPump {
 public:
  static constexpr int kIntervalMs = 40;
  static EventPump& instance();

  // Runs pending events when the interval has passed (or always, when forced);
  // before that, the flush hooks put buffered text on screen.
  void pump(bool force = false);
  // Called before each round of events (the log puts its buffered lines in).
  void setFlushHook(std::function<void()> hook) { flush_ = std::move(hook); }

 private:
  EventPump();
  QElapsedTimer since_;
  std::function<void()> flush_;
  bool pumping_ = false;
};

}  // namespace tessary::app
