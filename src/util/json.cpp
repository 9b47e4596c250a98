// JSON for var: RapidJSON's SAX reader tokenizes, a small handler builds the
// value from its events; the writer is our own, since it must follow var's
// number format and key order.
#include "util/json.h"

#include <rapidjson/error/en.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "util/error.h"
#include "util/var_impl.h"

namespace {

// Deeper documents are refused: freeing a value nests one call per level.
constexpr size_t kMaxDepth = 512;

// Builds the value while the reader walks the text. Every container joins
// its parent as soon as it opens, so after a syntax error the root already
// holds everything read up to that point.
class Builder {
 public:
  explicit Builder(var& root) : root_(root) {}

  bool Null() { return add(var()); }
  bool Bool(bool b) { return add(var(b ? 1 : 0)); }
  // Numbers arrive as their text (the tokenizer has checked the grammar)
  // and are converted by strtod, which rounds correctly.
  bool Int(int i) { return add(var(static_cast<double>(i))); }
  bool Uint(unsigned u) { return add(var(static_cast<double>(u))); }
  bool Int64(int64_t i) { return add(var(static_cast<double>(i))); }
  bool Uint64(uint64_t u) { return add(var(static_cast<double>(u))); }
  bool Double(double d) { return add(var(d)); }
  bool RawNumber(const char* text, rapidjson::SizeType len, bool) {
    std::string number(text, len);
    double d = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(d)) return false;  // too large for a double
    return add(var(d));
  }
  bool String(const char* s, rapidjson::SizeType len, bool) { return add(var(s, len)); }
  bool StartObject() { return open(var::new_dict()); }
  bool Key(const char* s, rapidjson::SizeType len, bool) {
    key_.assign(s, len);
    return true;
  }
  bool EndObject(rapidjson::SizeType) { return close(); }
  bool StartArray() { return open(var::new_list()); }
  bool EndArray(rapidjson::SizeType) { return close(); }

  bool too_deep() const { return too_deep_; }

 private:
  bool add(var v) {
    if (stack_.empty()) {
      root_ = std::move(v);
      return true;
    }
    var& top = stack_.back();
    if (_var_list* l = var_as_list(top)) {
      l->items.push_back(std::move(v));
    } else {
      // Keys usually come sorted (our own dumps are), so try the end first.
      auto& m = var_as_dict(top)->members;
      if (m.empty() || m.rbegin()->first < key_) {
        m.emplace_hint(m.end(), key_, std::move(v));
      } else {
        m[key_] = std::move(v);
      }
    }
    return true;
  }
  bool open(var container) {
    if (stack_.size() >= kMaxDepth) {
      too_deep_ = true;
      return false;
    }
    add(container);
    stack_.push_back(std::move(container));
    return true;
  }
  bool close() {
    stack_.pop_back();
    return true;
  }

  var& root_;
  std::vector<var> stack_;
  std::string key_;
  bool too_deep_ = false;
};

constexpr unsigned kParseFlags = rapidjson::kParseIterativeFlag | rapidjson::kParseNumbersAsStringsFlag;

void dump_string(const std::string& s, std::string& out) {
  static const char hex[] = "0123456789abcdef";
  out += '"';
  size_t run = 0;  // start of the bytes that need no escape
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(s, run, i - run);
    run = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        out += "\\u00";
        out += hex[c >> 4];
        out += hex[c & 15];
    }
  }
  out.append(s, run, std::string::npos);
  out += '"';
}

void dump(const var& v, std::string& out, size_t depth) {
  switch (v.kind()) {
    case VAR_NONE: out += "null"; return;
    case VAR_NUMBER: {
      double n = var_as_number(v)->n;
      // JSON has no NaN or infinity.
      if (std::isfinite(n)) {
        var_format_number(n, out);
      } else {
        out += "null";
      }
      return;
    }
    case VAR_STRING: dump_string(var_as_string(v)->s, out); return;
    default: break;
  }
  if (depth >= kMaxDepth) {
    // Only a value that contains itself gets here from our own parser.
    tk_error("RecursionError: json_dump: nesting deeper than %zu levels", kMaxDepth);
    out += "null";
    return;
  }
  if (_var_list* l = var_as_list(v)) {
    out += '[';
    bool first = true;
    for (const var& item : l->items) {
      if (!first) out += ',';
      first = false;
      dump(item, out, depth + 1);
    }
    out += ']';
    return;
  }
  out += '{';
  bool first = true;
  for (const auto& m : var_as_dict(v)->members) {
    if (!first) out += ',';
    first = false;
    dump_string(m.first, out);
    out += ':';
    dump(m.second, out, depth + 1);
  }
  out += '}';
}

}  // namespace

int json_parse(const char* text, size_t len, var& out) {
  out = var();
  if (!text) len = 0;
  Builder builder(out);
  rapidjson::MemoryStream stream(text ? text : "", len);
  rapidjson::Reader reader;
  rapidjson::ParseResult ok = reader.Parse<kParseFlags>(stream, builder);
  if (ok && stream.Tell() != len) {
    // The stream reads a NUL byte as its end; anything after it is garbage.
    tk_error("SyntaxError: json_parse: unexpected NUL byte at byte %zu", stream.Tell());
    return 1;
  }
  if (!ok) {
    if (builder.too_deep()) {
      tk_error("SyntaxError: json_parse: nesting deeper than %zu levels at byte %zu", kMaxDepth,
               ok.Offset());
    } else {
      tk_error("SyntaxError: json_parse: %s at byte %zu", rapidjson::GetParseError_En(ok.Code()),
               ok.Offset());
    }
    return 1;
  }
  return 0;
}

var json_load(const std::string& text) {
  var out;
  json_parse(text.data(), text.size(), out);
  return out;
}

std::string json_dump(const var& v) {
  std::string out;
  dump(v, out, 0);
  return out;
}
