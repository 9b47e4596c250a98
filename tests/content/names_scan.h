// Finds the resource names the game asks for: in the list kept beside the
// content tools, and as string literals in the C++ sources.
#pragma once
#include <string>
#include <vector>

namespace twtest {

// A name wanted from one catalogue ("image", "font", "sample", "music"); a
// format with one value list per conversion when it has conversions.
struct Wanted {
  std::string catalogue, format;
  std::vector<std::vector<std::string>> values;
  std::string where;  // file:line
};

// Parses the names list; bad lines are reported in errors.
std::vector<Wanted> parse_names(const std::string& text, const std::string& file, std::vector<std::string>& errors);

// Every name a format gives over its value lists ("%d" and "%s" take the
// next list, "%%" is a percent sign). Empty when the lists do not match the
// conversions.
std::vector<std::string> expand(const std::string& format, const std::vector<std::vector<std::string>>& values);
int conversions(const std::string& format);

// The literal names passed to the loaders and players, and the image
// arguments of the widget factories, in one source text.
std::vector<Wanted> scan_source(const std::string& text, const std::string& file);

}  // namespace twtest
