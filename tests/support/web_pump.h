// Driving a game against the loopback web service until a condition holds.
#pragma once

#include <poll.h>

#include <functional>

// Runs step() until done() holds, waiting briefly on the loopback socket
// between steps; false after about 5 s.
inline bool pump_until(const std::function<void()>& step, const std::function<bool()>& done) {
  for (int i = 0; i < 5000; i++) {
    step();
    if (done()) return true;
    poll(nullptr, 0, 1);
  }
  return false;
}
