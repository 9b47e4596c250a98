// The engine's update thread start and its re-entrant lock.
#pragma once
#include <cstdint>

#include "sound/ref_counted.h"

struct SysThread;
class SysCriticalSection;

namespace vz_internal {

class IThread : public virtual vavozovu::IRefCounted {
 public:
  virtual void run(void* value) = 0;
};

// Platform priority for an engine priority 0..4: -2..+2; anything else 0.
int mapThreadPriority(int32_t priority);

// Starts body->run(value) on a new thread: created suspended, given its
// priority, then resumed. False when body is null or no thread starts.
bool startThread(IThread* body, void* value, int32_t priority);
// The same, handing out the thread so that its owner can join it.
bool startThread(IThread* body, void* value, int32_t priority, SysThread** handle);
void joinThread(SysThread* handle);

class ICriticalSection : public vavozovu::IRefCounted {
 public:
  virtual void lock() = 0;
  virtual void unlock() = 0;
};

class CWin32CriticalSection : public ICriticalSection {
 public:
  CWin32CriticalSection();
  ~CWin32CriticalSection() override;
  void lock() override;
  void unlock() override;

 private:
  SysCriticalSection* section_;
};

ICriticalSection* createCriticalSection();

// Holds a critical section for a scope.
class CLockGuard {
 public:
  explicit CLockGuard(ICriticalSection* cs) : cs_(cs) {
    if (cs_) cs_->lock();
  }
  ~CLockGuard() {
    if (cs_) cs_->unlock();
  }
  CLockGuard(const CLockGuard&) = delete;
  CLockGuard& operator=(const CLockGuard&) = delete;

 private:
  ICriticalSection* cs_;
};

}  // namespace vz_internal
