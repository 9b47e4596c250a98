// A re-entrant lock: the thread that holds it may take it again, and every
// enter needs its leave.
#pragma once
#include <mutex>

class SysCriticalSection {
 public:
  void enter() { mutex_.lock(); }
  void leave() { mutex_.unlock(); }

 private:
  std::recursive_mutex mutex_;
};
