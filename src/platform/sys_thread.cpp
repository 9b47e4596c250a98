// POSIX threads that wait until resumed, with best-effort priority through nice values.
#include "platform/sys_thread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>

struct SysThread {
  pthread_t id;
  SysThreadProc proc;
  void* arg;
  int priority = 0;
  bool resumed = false;
  std::mutex mutex;
  std::condition_variable wake;
  // The body may outlive a detached handle: the last of the two frees it.
  int owners = 2;
};

static void release(SysThread* t) {
  bool last;
  {
    std::lock_guard<std::mutex> g(t->mutex);
    last = --t->owners == 0;
  }
  if (last) delete t;
}

static void* trampoline(void* p) {
  SysThread* t = static_cast<SysThread*>(p);
  int priority;
  {
    std::unique_lock<std::mutex> g(t->mutex);
    t->wake.wait(g, [t] { return t->resumed; });
    priority = t->priority;
  }
  // A nice value of -5 per step; failure (no privilege) keeps the default.
  if (priority != 0) {
    pid_t tid = static_cast<pid_t>(syscall(SYS_gettid));
    setpriority(PRIO_PROCESS, static_cast<id_t>(tid), -5 * priority);
  }
  SysThreadProc proc = t->proc;
  void* arg = t->arg;
  proc(arg);
  release(t);
  return nullptr;
}

SysThread* sys_thread_create_suspended(SysThreadProc proc, void* arg) {
  if (!proc) return nullptr;
  SysThread* t = new SysThread;
  t->proc = proc;
  t->arg = arg;
  if (pthread_create(&t->id, nullptr, trampoline, t) != 0) {
    delete t;
    return nullptr;
  }
  return t;
}

void sys_thread_set_priority(SysThread* t, int priority) {
  if (!t) return;
  std::lock_guard<std::mutex> g(t->mutex);
  t->priority = priority;
}

void sys_thread_resume(SysThread* t) {
  if (!t) return;
  {
    std::lock_guard<std::mutex> g(t->mutex);
    t->resumed = true;
  }
  t->wake.notify_all();
}

void sys_thread_join(SysThread* t) {
  if (!t) return;
  sys_thread_resume(t);  // a thread never resumed would wait for ever
  pthread_join(t->id, nullptr);
  release(t);
}

void sys_thread_detach(SysThread* t) {
  if (!t) return;
  pthread_detach(t->id);
  release(t);
}

void sys_sleep(unsigned ms) {
  struct timespec ts;
  ts.tv_sec = ms / 1000;
  ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}
