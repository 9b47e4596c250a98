#include "platform/sys_lock.h"
// The lock is header-only; this unit keeps the one-pair-per-concept layout.
