// Collects every resource name the game asks for, from the tools' list and the sources' literals.
#include "names_scan.h"

#include <cctype>
#include <sstream>

namespace twtest {

namespace {

std::string trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (c == sep) { out.push_back(cur); cur.clear(); }
    else cur += c;
  }
  out.push_back(cur);
  return out;
}

std::vector<std::string> value_list(const std::string& spec) {
  std::vector<std::string> out;
  for (std::string v : split(spec, ',')) {
    v = trim(v);
    size_t dots = v.find("..");
    if (dots != std::string::npos && dots > 0 && std::isdigit(static_cast<unsigned char>(v[0]))) {
      int a = std::stoi(v.substr(0, dots)), b = std::stoi(v.substr(dots + 2));
      for (int i = a; i <= b; ++i) out.push_back(std::to_string(i));
    } else {
      out.push_back(v);
    }
  }
  return out;
}

struct Factory {
  const char* name;
  int arg;             // which argument holds the image
  const char* format;  // how the argument becomes the image's name
};
const Factory kFactories[] = {
  {"gui_menu_button_small", 1, "%s"}, {"gui_menu_button", 1, "%s"}, {"gui_menu_tab", 2, "%s"},
  {"gui_tool_icon", 0, "%s"},         {"gui_map_arrow", 0, "map-arrow-%s-off"},
  {"gui_map_arrow", 0, "map-arrow-%s-on"},
};
const struct {
  const char* name;
  const char* catalogue;
} kLoaders[] = {
  {"gfx_img_load", "image"},  {"font_load", "font"},    {"res_sample_load", "sample"},
  {"sfx_play_here", "sample"}, {"sfx_play", "sample"}, {"music_play", "music"},
};

// The arguments of the call whose "(" is at open, as source text.
std::vector<std::string> call_args(const std::string& t, size_t open) {
  std::vector<std::string> args;
  std::string cur;
  int depth = 0;
  for (size_t i = open + 1; i < t.size(); ++i) {
    char c = t[i];
    if (c == '"' || c == '\'') {
      size_t j = i + 1;
      while (j < t.size() && t[j] != c) j += t[j] == '\\' ? 2 : 1;
      cur += t.substr(i, j - i + 1);
      i = j;
      continue;
    }
    if (c == '(' || c == '[' || c == '{') ++depth;
    if (c == ')' || c == ']' || c == '}') {
      if (depth == 0) { args.push_back(trim(cur)); return args; }
      --depth;
    }
    if (c == ',' && depth == 0) { args.push_back(trim(cur)); cur.clear(); continue; }
    cur += c;
  }
  return {};
}

// The text of a plain string literal argument; false for anything else.
bool literal(const std::string& arg, std::string& out) {
  if (arg.size() < 2 || arg.front() != '"' || arg.back() != '"') return false;
  out = arg.substr(1, arg.size() - 2);
  return out.find('"') == std::string::npos && out.find('\\') == std::string::npos;
}

bool ident_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

int conversions(const std::string& f) {
  int n = 0;
  for (size_t i = 0; i + 1 < f.size(); ++i)
    if (f[i] == '%') {
      if (f[i + 1] == 'd' || f[i + 1] == 's') ++n;
      ++i;
    }
  return n;
}

std::vector<std::string> expand(const std::string& f, const std::vector<std::vector<std::string>>& values) {
  if (int(values.size()) != conversions(f)) return {};
  std::vector<std::string> out{""};
  size_t k = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] == '%' && i + 1 < f.size()) {
      char c = f[++i];
      if (c == '%') {
        for (std::string& s : out) s += '%';
        continue;
      }
      std::vector<std::string> next;
      for (const std::string& s : out)
        for (const std::string& v : values[k]) next.push_back(s + v);
      out.swap(next);
      ++k;
      continue;
    }
    for (std::string& s : out) s += f[i];
  }
  return out;
}

std::vector<Wanted> parse_names(const std::string& text, const std::string& file, std::vector<std::string>& errors) {
  std::vector<Wanted> out;
  std::istringstream in(text);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    line = trim(line);
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> parts = split(line, ';');
    std::istringstream head(parts[0]);
    Wanted w;
    w.where = file + ":" + std::to_string(n);
    if (!(head >> w.catalogue >> w.format)) {
      errors.push_back(w.where + ": expected \"<catalogue> <name>\"");
      continue;
    }
    for (size_t i = 1; i < parts.size(); ++i) w.values.push_back(value_list(parts[i]));
    if (int(w.values.size()) != conversions(w.format)) {
      errors.push_back(w.where + ": \"" + w.format + "\" needs one value list per conversion");
      continue;
    }
    out.push_back(w);
  }
  return out;
}

std::vector<Wanted> scan_source(const std::string& t, const std::string& file) {
  std::vector<Wanted> out;
  auto line_of = [&](size_t pos) {
    int l = 1;
    for (size_t i = 0; i < pos && i < t.size(); ++i) l += t[i] == '\n';
    return file + ":" + std::to_string(l);
  };
  auto find_calls = [&](const std::string& name, auto&& on_call) {
    for (size_t p = t.find(name); p != std::string::npos; p = t.find(name, p + 1)) {
      if (p > 0 && ident_char(t[p - 1])) continue;
      size_t q = p + name.size();
      if (q < t.size() && ident_char(t[q])) continue;
      while (q < t.size() && std::isspace(static_cast<unsigned char>(t[q]))) ++q;
      if (q >= t.size() || t[q] != '(') continue;
      on_call(call_args(t, q), p);
    }
  };
  for (const auto& l : kLoaders)
    find_calls(l.name, [&](const std::vector<std::string>& args, size_t p) {
      std::string s;
      // An empty name asks for nothing (music_play("") fades the music out).
      if (!args.empty() && literal(args[0], s) && !s.empty()) out.push_back(Wanted{l.catalogue, s, {}, line_of(p)});
    });
  for (const Factory& f : kFactories)
    find_calls(f.name, [&](const std::vector<std::string>& args, size_t p) {
      std::string s;
      if (int(args.size()) > f.arg && literal(args[f.arg], s)) {
        std::vector<std::string> names = expand(f.format, {{s}});
        for (const std::string& n : names) out.push_back(Wanted{"image", n, {}, line_of(p)});
      }
    });
  return out;
}

}  // namespace twtest
