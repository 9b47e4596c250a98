// Starts the system's opener for an address, without a shell.
#pragma once

// Runs `opener address` in a new process (the address is one argument; no
// shell sees it). Answers the process id, or -1 when it could not start.
int shell_open(const char* opener, const char* address);
// Collects the opener when it has finished, without waiting; answers true
// when it is gone.
bool shell_reap(int pid);
