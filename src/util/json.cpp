// JSON for var: RapidJSON's SAX reader tokenizes, a small handler builds the
// value from its events; the writer is our own, since it must follow var's
// number format and key order.
#include "util/json.h"

#include <rapidjson/error/en.h>
#include <rapidjson/stream.h>
#include <rapidjson/reader.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "util/error.h"
#include "util/var_impl.h"

namespace {

// Deeper documents are refused: freeing a value nests one call per level.
constexpr size_t kMaxDepth = 512;

// Reads a JSON number's text. Short decimals, the bulk of real documents,
// take the exact path: a significand below 2^53 and a power of ten up to
// 10^22 are both exact doubles, so one multiplication or division rounds
// correctly. Everything else goes to strtod. False for a number too large
// for a double.
bool read_number(const char* text, size_t len, double& out) {
  static const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = text;
  const char* end = text + len;
  bool minus = p < end && *p == '-';
  if (minus) ++p;
  uint64_t sig = 0;
  int digits = 0, scale = 0;
  for (; p < end && *p >= '0' && *p <= '9'; ++p) {
    if (sig || *p != '0') ++digits;
    sig = sig * 10 + static_cast<unsigned>(*p - '0');
    if (digits > 15) break;
  }
  if (p < end && *p == '.' && digits <= 15) {
    for (++p; p < end && *p >= '0' && *p <= '9'; ++p) {
      if (sig || *p != '0') ++digits;
      sig = sig * 10 + static_cast<unsigned>(*p - '0');
      ++scale;
      if (digits > 15) break;
    }
  }
  if (p == end && digits <= 15 && scale <= 22) {
    double d = static_cast<double>(sig);
    if (scale) d /= kPow10[scale];
    out = minus ? -d : d;
    return true;
  }
  char buf[128];
  std::string big;
  const char* z = buf;
  if (len < sizeof buf) {
    std::memcpy(buf, text, len);
    buf[len] = 0;
  } else {
    big.assign(text, len);
    z = big.c_str();
  }
  out = std::strtod(z, nullptr);
  return std::isfinite(out);
}

// True when the raw text of a string holds a \u escape of a low surrogate
// that no high one precedes. The reader accepts those and stores invalid
// UTF-8; a lone high surrogate it refuses itself.
bool lone_low_surrogate(const char* p, const char* end) {
  auto hex4 = [](const char* h) {
    unsigned v = 0;
    for (int i = 0; i < 4; ++i) {
      char c = h[i];
      v = v * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    return v;
  };
  while (p < end && *p != '"') {
    if (*p != '\\' || p + 1 >= end) {
      ++p;
      continue;
    }
    if (p[1] != 'u' || p + 6 > end) {
      p += 2;
      continue;
    }
    unsigned cp = hex4(p + 2);
    if (cp >= 0xdc00 && cp <= 0xdfff) return true;
    // A high surrogate's partner has been checked by the reader: skip both.
    p += cp >= 0xd800 && cp <= 0xdbff ? 12 : 6;
  }
  return false;
}

// Byte order of two keys; most differ in their first byte.
inline bool key_less(const std::string& a, const std::string& b) {
  if (!a.empty() && !b.empty() && a[0] != b[0])
    return static_cast<unsigned char>(a[0]) < static_cast<unsigned char>(b[0]);
  return a < b;
}

// Builds the value while the reader walks the text. The items of the open
// containers wait on one shared stack and move into their container, sized
// once, when it closes; dicts are sorted then. A stopped parse closes every
// open container the same way, so the root keeps everything read up to the
// error.
class Builder {
 public:
  // text: the document as given; copy: where the reader decodes it in place.
  Builder(var& root, const char* text, size_t len, const char* copy, size_t max_items)
      : root_(root), text_(text), end_(text + len), copy_(copy), max_items_(max_items) {}

  bool Null() { return add(var()); }
  bool Bool(bool b) { return add(var(b ? 1 : 0)); }
  bool Int(int i) { return add(var(static_cast<double>(i))); }
  bool Uint(unsigned u) { return add(var(static_cast<double>(u))); }
  bool Int64(int64_t i) { return add(var(static_cast<double>(i))); }
  bool Uint64(uint64_t u) { return add(var(static_cast<double>(u))); }
  bool Double(double d) { return add(var(d)); }
  // Numbers arrive as their text (the tokenizer has checked the grammar).
  bool RawNumber(const char* text, rapidjson::SizeType len, bool) {
    double d;
    if (!read_number(text, len, d)) return false;  // too large for a double
    return add(var(d));
  }
  bool String(const char* s, rapidjson::SizeType len, bool) {
    if (!checked(s, len)) return false;
    return add(var_adopt(new _var_string(s, len)));
  }
  bool StartObject() { return open(new _var_dict()); }
  bool Key(const char* s, rapidjson::SizeType len, bool) {
    if (!checked(s, len)) return false;
    if (skip_depth_) return true;
    keys_.emplace_back(s, len);
    return true;
  }
  bool EndObject(rapidjson::SizeType) { return close(); }
  bool StartArray() { return open(new _var_list()); }
  bool EndArray(rapidjson::SizeType) { return close(); }

  bool too_deep() const { return too_deep_; }
  size_t dropped() const { return dropped_; }
  bool bad_surrogate() const { return bad_surrogate_; }
  void finish() {
    // A dict stopped between a key and its value keeps the key as none.
    if (!stack_.empty() && stack_.back().obj->kind == VAR_DICT &&
        keys_.size() - stack_.back().firstKey > values_.size() - stack_.back().firstValue)
      values_.emplace_back();
    while (!stack_.empty()) close();
  }

 private:
  struct Open {
    var_object* obj;
    size_t firstValue, firstKey;
  };

  // A string decoded in place starts where its raw text started.
  bool checked(const char* s, size_t len) {
    for (size_t i = 0; i + 1 < len; ++i) {
      if (static_cast<unsigned char>(s[i]) == 0xed && (static_cast<unsigned char>(s[i + 1]) & 0xe0) == 0xa0 &&
          lone_low_surrogate(text_ + (s - copy_), end_)) {
        bad_surrogate_ = true;
        return false;
      }
    }
    return true;
  }
  // True when the value starting now is an item of the root list past
  // max_items_, or lies inside one: it is read, counted and never built.
  bool skipping() {
    if (skip_depth_) return true;
    if (stack_.size() != 1 || stack_[0].obj->kind != VAR_LIST) return false;
    if (values_.size() - stack_[0].firstValue < max_items_) return false;
    ++dropped_;
    return true;
  }
  bool add(var&& v) {
    if (skipping()) return true;
    if (stack_.empty()) {
      root_ = std::move(v);
    } else {
      values_.push_back(std::move(v));
    }
    return true;
  }
  bool open(var_object* fresh) {
    var container = var_adopt(fresh);
    if (stack_.size() + skip_depth_ >= kMaxDepth) {
      too_deep_ = true;
      return false;
    }
    if (skipping()) {
      ++skip_depth_;
      return true;
    }
    add(std::move(container));
    stack_.push_back({fresh, values_.size(), keys_.size()});
    return true;
  }
  bool close() {
    if (skip_depth_) {
      --skip_depth_;
      return true;
    }
    const Open top = stack_.back();
    stack_.pop_back();
    const size_t n = values_.size() - top.firstValue;
    auto first = values_.begin() + static_cast<long>(top.firstValue);
    if (top.obj->kind == VAR_LIST) {
      auto& items = static_cast<_var_list*>(top.obj)->items;
      items.reserve(n);
      items.insert(items.end(), std::make_move_iterator(first), std::make_move_iterator(values_.end()));
    } else {
      auto& m = static_cast<_var_dict*>(top.obj)->members;
      m.reserve(n);
      bool sorted = true;
      for (size_t i = 0; i < n; ++i) {
        m.emplace_back(std::move(keys_[top.firstKey + i]), std::move(values_[top.firstValue + i]));
        if (i && sorted && !key_less(m[i - 1].first, m[i].first)) sorted = false;
      }
      if (!sorted) sort_members(m);
      keys_.resize(top.firstKey);
    }
    values_.erase(first, values_.end());
    return true;
  }
  // Sorted by key; of equal keys the last one read wins.
  template <typename Members>
  static void sort_members(Members& m) {
    std::stable_sort(m.begin(), m.end(),
                     [](const _var_dict::member& a, const _var_dict::member& b) { return a.first < b.first; });
    size_t out = 0;
    for (size_t i = 0; i < m.size(); ++i) {
      if (i + 1 < m.size() && m[i + 1].first == m[i].first) continue;
      if (out != i) m[out] = std::move(m[i]);
      ++out;
    }
    m.erase(m.begin() + static_cast<long>(out), m.end());
  }

  var& root_;
  const char* text_;
  const char* end_;
  const char* copy_;
  std::vector<Open> stack_;
  std::vector<var> values_;
  std::vector<std::string> keys_;
  bool too_deep_ = false;
  bool bad_surrogate_ = false;
  size_t max_items_;
  size_t skip_depth_ = 0;  // levels open inside a skipped item
  size_t dropped_ = 0;
};

constexpr unsigned kParseFlags = rapidjson::kParseIterativeFlag | rapidjson::kParseNumbersAsStringsFlag |
                                 rapidjson::kParseInsituFlag;

// The text is decoded in place, in a copy that each thread keeps for the
// next parse: strings then need no second copy on the reader's stack.
thread_local std::vector<char> scratch;

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

// Writes the value; once a value nested too deep (only one that contains
// itself gets there) the writer logs it once and closes every open level
// without writing further items, so the text stays valid JSON.
struct Dumper {
  std::string& out;
  bool overflow = false;

  void dump(const var& v, size_t depth) {
    switch (v.kind()) {
      case VAR_NONE: out += "null"; return;
      case VAR_NUMBER: {
        double n = v.num();
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
      if (!overflow) tk_error("RecursionError: json_dump: nesting deeper than %zu levels", kMaxDepth);
      overflow = true;
      out += "null";
      return;
    }
    if (_var_list* l = var_as_list(v)) {
      out += '[';
      bool first = true;
      for (const var& item : l->items) {
        if (overflow) break;
        if (!first) out += ',';
        first = false;
        dump(item, depth + 1);
      }
      out += ']';
      return;
    }
    out += '{';
    bool first = true;
    for (const auto& m : var_as_dict(v)->members) {
      if (overflow) break;
      if (!first) out += ',';
      first = false;
      dump_string(m.first, out);
      out += ':';
      dump(m.second, depth + 1);
    }
    out += '}';
  }
};

}  // namespace

// The game's long-standing first line of a syntax error: the text ended
// before the document did, or the byte at this offset (counted from the
// first byte handed in) cannot go on from what came before it. The detail
// follows on a line of its own.
static void syntax_error_line(size_t at, bool at_end) {
  if (at_end)
    std::fprintf(stderr, "JSON_parser_end: syntax error\n");
  else
    std::fprintf(stderr, "JSON_parser_char: syntax error, byte %zu\n", at);
}

int json_parse(const char* text, size_t len, var& out, size_t max_items, size_t* dropped) {
  out = var();
  if (dropped) *dropped = 0;
  if (!text) len = 0;
  // Editors may put a UTF-8 byte order mark in front.
  size_t skipped = 0;
  if (len >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
    text += 3;
    len -= 3;
    skipped = 3;
  }
  std::vector<char> mine;
  std::vector<char>& copy = scratch.empty() ? scratch : mine;  // in use: a nested parse
  copy.assign(text ? text : "", (text ? text : "") + len);
  copy.push_back('\0');
  rapidjson::InsituStringStream stream(copy.data());
  Builder builder(out, text ? text : "", len, copy.data(), max_items);
  rapidjson::Reader reader;
  rapidjson::ParseResult ok = reader.Parse<kParseFlags>(stream, builder);
  builder.finish();
  if (dropped) *dropped = builder.dropped();
  const size_t stopped = stream.Tell();
  copy.clear();
  if (copy.capacity() > (8u << 20)) copy.shrink_to_fit();
  if (ok && stopped != len) {
    // The stream reads a NUL byte as its end; anything after it is garbage.
    syntax_error_line(stopped + skipped, false);
    tk_error("SyntaxError: json_parse: unexpected NUL byte at byte %zu", stopped + skipped);
    return 1;
  }
  if (!ok) {
    const size_t at = ok.Offset() + skipped;
    // Where the reader stopped, not where the error began: a cut escape
    // is reported at its backslash although the text ran out after it.
    syntax_error_line(at, stopped >= len);
    if (builder.bad_surrogate()) {
      tk_error("SyntaxError: json_parse: lone surrogate escape at byte %zu", at);
    } else if (builder.too_deep()) {
      tk_error("SyntaxError: json_parse: nesting deeper than %zu levels at byte %zu", kMaxDepth, at);
    } else if (ok.Offset() < len && text[ok.Offset()] == '\0') {
      // The reader takes a NUL for the end of the text and would call the
      // document empty or a string unclosed; it is a bad byte like any other.
      tk_error("SyntaxError: json_parse: unexpected NUL byte at byte %zu", at);
    } else {
      tk_error("SyntaxError: json_parse: %s at byte %zu", rapidjson::GetParseError_En(ok.Code()), at);
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
  Dumper{out}.dump(v, 0);
  return out;
}
