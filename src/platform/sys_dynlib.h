// Loading shared libraries and looking up their exports.
#pragma once

// A handle for the library, or null when it cannot be loaded. The library
// stays loaded until the process ends.
void* sys_load_library(const char* path);
// The address of an exported symbol, or null.
void* sys_get_proc_address(void* library, const char* name);
