// Sends developer debug text to stderr at once.
#include "platform/sys_debug.h"

#include <cstdio>

void sys_output_debug_string(const char* text) {
  if (!text) return;
  fputs(text, stderr);
  fflush(stderr);
}
