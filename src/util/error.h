// Diagnostics of the utility library: "%s:%d: %s\n" on stderr, the message
// kept as the last error. Messages name an error class first
// ("TypeError: ...", "IndexError: ...").
#pragma once
#include <string>

void tk_error_at(const char* file, int line, const char* fmt, ...)
    __attribute__((format(printf, 3, 4)));
#define tk_error(...) tk_error_at(__FILE__, __LINE__, __VA_ARGS__)
// The last message, empty when none has been logged.
const std::string& tk_last_error();
void tk_clear_error();
