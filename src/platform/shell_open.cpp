// The system opener, started without a shell.
#include "platform/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

int shell_open(const char* opener, const char* address) {
  if (!opener || !address) return -1;
  char* argv[] = {const_cast<char*>(opener), const_cast<char*>(address),
                  nullptr};
  pid_t pid;
  if (posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ) != 0)
    return -1;
  return static_cast<int>(pid);
}

bool shell_reap(int pid) {
  if (pid <= 0) return true;
  int status;
  pid_t r = waitpid(pid, &status, WNOHANG);
  return r == pid || (r < 0 && errno == ECHILD);
}
