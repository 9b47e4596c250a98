// Starts the engine's threads at a mapped priority and provides its re-entrant lock.
#include "sound/threads.h"

#include "platform/sys_lock.h"
#include "platform/sys_thread.h"

namespace vz_internal {

namespace {
struct StartRecord {
  IThread* body;
  void* value;
};

unsigned threadTrampoline(void* p) {
  StartRecord* r = static_cast<StartRecord*>(p);
  r->body->run(r->value);
  delete r;
  return 0;
}
}  // namespace

int mapThreadPriority(int32_t priority) {
  switch (priority) {
    case 0: return -2;
    case 1: return -1;
    case 2: return 0;
    case 3: return 1;
    case 4: return 2;
    default: return 0;
  }
}

bool startThread(IThread* body, void* value, int32_t priority, SysThread** handle) {
  if (handle) *handle = nullptr;
  if (!body) return false;
  StartRecord* r = new StartRecord{body, value};
  SysThread* t = sys_thread_create_suspended(threadTrampoline, r);
  if (!t) {
    delete r;
    return false;
  }
  sys_thread_set_priority(t, mapThreadPriority(priority));
  sys_thread_resume(t);
  if (handle) *handle = t;
  else sys_thread_detach(t);
  return true;
}

bool startThread(IThread* body, void* value, int32_t priority) {
  return startThread(body, value, priority, nullptr);
}

void joinThread(SysThread* handle) { sys_thread_join(handle); }

CWin32CriticalSection::CWin32CriticalSection() : section_(new SysCriticalSection) {}
CWin32CriticalSection::~CWin32CriticalSection() { delete section_; }
void CWin32CriticalSection::lock() { section_->enter(); }
void CWin32CriticalSection::unlock() { section_->leave(); }

ICriticalSection* createCriticalSection() { return new CWin32CriticalSection(); }

}  // namespace vz_internal
