// Digests and text encodings.
#pragma once

#include <cstddef>
#include <string>

// The MD5 digest of the bytes as 32 lower-case hexadecimal digits.
std::string md5_hex(const std::string& bytes);
std::string md5_hex(const void* bytes, size_t len);

// Standard base64 (RFC 4648 alphabet, "=" filling the last group).
std::string base64_encode(const std::string& bytes);
// The inverse. Blanks and line breaks are skipped and the "=" filling may be
// missing; any other byte outside the alphabet logs a ValueError line and
// gives an empty result.
std::string base64_decode(const std::string& text);

// URL escaping: letters and digits are copied, every other byte becomes "%"
// and two lower-case hexadecimal digits (the blank is %20).
std::string url_escape(const std::string& text);
std::string url_escape(const char* bytes, size_t len);

// A copy of text with every occurrence of pattern replaced, scanning left to
// right without overlaps; an empty pattern changes nothing.
std::string str_replace_all(const std::string& text, const std::string& pattern,
                            const std::string& replacement);
