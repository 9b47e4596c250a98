// Build unit of the re-entrant lock, kept so each platform header has its source file.
#include "platform/sys_lock.h"
// The lock is header-only; this unit keeps the one-pair-per-concept layout.
