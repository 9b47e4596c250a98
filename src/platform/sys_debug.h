// The debugger output line: text for a developer, written to stderr.
#pragma once

void sys_output_debug_string(const char* text);
