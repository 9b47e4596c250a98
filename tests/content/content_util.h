// Reading the generated data directory in the content tests.
#pragma once
#include <rapidjson/document.h>
#include <string>
#include <vector>

namespace twtest {

std::string data_path(const std::string& name);
bool slurp(const std::string& path, std::string& out);
// data.json, parsed once.
const rapidjson::Document& catalogue();
bool has_name(const char* catalogue_name, const std::string& name);
// Inflates a zlib stream; false when it is not one. out holds at most limit
// bytes; *more is set when the stream had more than that.
bool inflate_all(const std::string& in, size_t limit, std::string& out, bool* more);

// Rows of a query on a database of the data directory, every column as text.
std::vector<std::vector<std::string>> query(const std::string& db, const std::string& sql);

}  // namespace twtest
