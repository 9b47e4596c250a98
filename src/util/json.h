// JSON reader and writer for var.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include "util/var.h"

// Parses the text into out. Answers 0 on success, 1 on a syntax error, when
// out keeps the part built so far. true and false read as the numbers 1 and
// 0; an escaped NUL stays in its string; nesting deeper than 512 levels and
// an escaped surrogate without its partner are refused as syntax errors. A
// leading UTF-8 byte order mark is skipped. A syntax error writes
// "JSON_parser_end: syntax error" when the text ends before the document,
// else "JSON_parser_char: syntax error, byte N" with the offset of the
// first byte that cannot follow, then one line of detail.
// When the document is a list, only its first max_items items are built;
// the rest are still read, so a syntax error anywhere is still one, and
// their number goes to *dropped when asked for.
int json_parse(const char* text, size_t len, var& out, size_t max_items = SIZE_MAX, size_t* dropped = nullptr);
// json_parse with the status dropped.
var json_load(const std::string& text);
// Compact JSON: no blanks, dict members in ascending byte order of the keys,
// whole numbers as "%ld", others as "%f" with trailing zeros cut. A value
// that contains itself is cut at the first level too deep, with one
// RecursionError line.
std::string json_dump(const var& v);
