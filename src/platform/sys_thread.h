// Threads that start suspended, take a priority and then run: the shape the
// sound engine's update thread expects. Priorities are -2 (lowest) to +2
// (highest) and are applied on a best-effort basis (raising a thread above
// normal needs privileges that a player rarely has).
#pragma once

struct SysThread;
typedef unsigned (*SysThreadProc)(void* arg);

// Creates a thread that waits until sys_thread_resume; null on failure.
SysThread* sys_thread_create_suspended(SysThreadProc proc, void* arg);
// Records the priority the thread takes when it is resumed.
void sys_thread_set_priority(SysThread* thread, int priority);
void sys_thread_resume(SysThread* thread);
// Waits for the thread to end and frees the handle.
void sys_thread_join(SysThread* thread);
// Lets the thread run on by itself and frees the handle.
void sys_thread_detach(SysThread* thread);

// Sleeps for a number of milliseconds.
void sys_sleep(unsigned ms);
