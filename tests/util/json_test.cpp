// Tests of JSON reading and writing: every kind, syntax errors, nesting limits, hostile values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>

#include "util/error.h"
#include "json_shapes.h"
#include "util/json.h"

namespace {
// Parses and hides the syntax-error line the parser writes.
int parse_quiet(const std::string& text, var& out, size_t max_items = SIZE_MAX) {
  testing::internal::CaptureStderr();
  int rc = json_parse(text.data(), text.size(), out, max_items);
  testing::internal::GetCapturedStderr();
  return rc;
}
// What the parser writes on stderr refusing a text ("accepted" if it takes it).
std::string refusal(const std::string& text, var& out) {
  testing::internal::CaptureStderr();
  int rc = json_parse(text.data(), text.size(), out);
  std::string err = testing::internal::GetCapturedStderr();
  return rc == 1 ? err : "accepted";
}
bool starts_with(const std::string& s, const std::string& head) { return s.rfind(head, 0) == 0; }
}  // namespace

TEST(JsonParse, BuildsEveryKind) {
  var v;
  std::string text = R"( {"n": -12, "f": 0.1, "big": 12345678901234, "s": "a\"b\\c\u00e9\n",
      "l": [1, [], {}], "t": true, "no": false, "nul": null} )";
  ASSERT_EQ(json_parse(text.data(), text.size(), v), 0);
  EXPECT_TRUE(v.is_dict());
  EXPECT_EQ(v["n"].num(), -12);
  EXPECT_EQ(v["f"].num(), 0.1);
  EXPECT_EQ(v["big"].num(), 12345678901234.0);
  EXPECT_EQ(v["s"].str(), "a\"b\\c\xc3\xa9\n");
  EXPECT_EQ(v["l"].len(), 3u);
  EXPECT_TRUE(v["l"][1].is_list());
  EXPECT_TRUE(v["l"][2].is_dict());
  EXPECT_EQ(v["t"].num(), 1);
  EXPECT_TRUE(v["no"].is_number());
  EXPECT_EQ(v["no"].num(), 0);
  EXPECT_TRUE(v.has("nul"));
  EXPECT_TRUE(v["nul"].is_none());
}

TEST(JsonParse, ScalarRootsAndEscapedNul) {
  var v;
  ASSERT_EQ(json_parse("7", 1, v), 0);
  EXPECT_EQ(v.num(), 7);
  std::string text = "\"a\\u0000b\"";
  ASSERT_EQ(json_parse(text.data(), text.size(), v), 0);
  EXPECT_EQ(v.str(), std::string("a\0b", 3));
  // Only len bytes are read: the text need not end in NUL.
  ASSERT_EQ(json_parse("[1]]]]", 3, v), 0);
  EXPECT_EQ(v.len(), 1u);
}

TEST(JsonParse, SyntaxErrorKeepsThePartBuilt) {
  var v;
  std::string err = refusal("[1, {\"a\": 2, \"b\": [3, 4", v);
  EXPECT_TRUE(starts_with(err, "JSON_parser_end: syntax error\n")) << err;
  EXPECT_EQ(tk_last_error().rfind("SyntaxError", 0), 0u);
  ASSERT_TRUE(v.is_list());
  EXPECT_EQ(v[0].num(), 1);
  EXPECT_EQ(v[1]["a"].num(), 2);
  EXPECT_EQ(v[1]["b"][0].num(), 3);
  // Every text cut short says the end came too soon; every byte that
  // cannot follow is named by its offset, a byte order mark counted.
  const std::string doc = "\xEF\xBB\xBF{\"a\": [1, -2.5e3, \"x\\u00e9\", true, null], \"b\": {}}";
  for (size_t cut = 3; cut < doc.size(); cut++)
    EXPECT_TRUE(starts_with(refusal(doc.substr(0, cut), v), "JSON_parser_end: syntax error\n")) << cut;
  auto char_error = [](size_t at) { return "JSON_parser_char: syntax error, byte " + std::to_string(at) + "\n"; };
  bool in_text = false;
  for (size_t at = 3; at <= doc.size(); at++) {
    // A NUL is a bad byte anywhere, inside a text and after the document
    // too; within an escape it names the escape, as any bad byte there does.
    std::string nul = doc + ' ';
    nul[at] = '\0';
    size_t esc = doc.rfind('\\', at), named = at > esc && at < esc + 6 ? esc : at;
    EXPECT_TRUE(starts_with(refusal(nul, v), char_error(named))) << at;
    if (named == at) {
      EXPECT_EQ(tk_last_error(), "SyntaxError: json_parse: unexpected NUL byte at byte " + std::to_string(at));
    }
    bool quote = doc[at] == '"' && doc[at - 1] != '\\';
    if (in_text || quote) {  // inside a text any byte may follow
      in_text = in_text != quote;
      continue;
    }
    std::string bad = doc + ' ';
    bad[at] = '#';
    EXPECT_TRUE(starts_with(refusal(bad, v), char_error(at))) << at;
  }

  EXPECT_EQ(parse_quiet("", v), 1);
  EXPECT_TRUE(v.is_none());
  EXPECT_EQ(parse_quiet("{\"a\":1} x", v), 1);
  EXPECT_EQ(v["a"].num(), 1);
  EXPECT_EQ(parse_quiet("[NaN]", v), 1);
  // A number beyond a double is an error, not an infinity; zero with any
  // exponent is zero.
  EXPECT_EQ(parse_quiet("[2, 1e400]", v), 1);
  EXPECT_EQ(v.len(), 1u);
  ASSERT_EQ(parse_quiet("[0e91, -0.0e-400, 5e-324]", v), 0);
  EXPECT_EQ(v[0].num(), 0);
  EXPECT_EQ(v[1].num(), 0);
  EXPECT_EQ(v[2].num(), 5e-324);
  testing::internal::CaptureStderr();
  EXPECT_TRUE(json_load("nope").is_none());
  EXPECT_EQ(json_load("[1,2,").len(), 2u);
  testing::internal::GetCapturedStderr();
}

// Every number reads as the double nearest its text, whatever its count of
// digits, its decimals and its exponent.
TEST(JsonParse, NumbersReadAsTheNearestDouble) {
  // Sixteen digits above 2^53: the digits alone no longer fit a double.
  std::vector<std::string> texts = {"95.14242627359937", "9.845756703740103", "91943.44306190379"};
  uint64_t seed = 12345;
  for (int digits = 1; digits <= 20; ++digits) {
    for (int k = 0; k < 200; ++k) {
      std::string d;
      for (int i = 0; i < digits; ++i) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        d += static_cast<char>('1' + (seed >> 33) % 9);
      }
      const int point = k % (digits + 1);
      std::string text = (k & 1 ? "-" : "") + d.substr(0, point ? point : 1);
      if (point && point < digits) text += "." + d.substr(static_cast<size_t>(point));
      if (k % 5 == 4) text += "e" + std::to_string(k - 20);
      texts.push_back(text);
    }
  }
  for (const std::string& text : texts) {
    var v;
    ASSERT_EQ(parse_quiet(text, v), 0) << text;
    EXPECT_EQ(v.num(), std::strtod(text.c_str(), nullptr)) << text;
  }
}

TEST(JsonParse, RefusesExcessiveNesting) {
  var v;
  std::string deep(100000, '[');
  EXPECT_EQ(parse_quiet(deep, v), 1);
  EXPECT_TRUE(v.is_list());  // the outer levels were kept and free cleanly
  // 512 levels read; one more is refused.
  for (size_t levels : {size_t{512}, size_t{513}}) {
    std::string text(levels, '[');
    text += std::string(levels, ']');
    EXPECT_EQ(parse_quiet(text, v), levels > 512 ? 1 : 0) << levels;
  }
}

// A list read for its first items only builds exactly those, as a whole
// parse builds them, counts the rest and still checks their syntax.
TEST(JsonParse, AHeadOfAListBuildsOnlyItsFirstItems) {
  const std::string text = R"([{"a":[1,{"b":2}],"z":"x"},[3,[4]],5,"s",{"k":{"m":[6]}},null,[]])";
  var whole;
  ASSERT_EQ(json_parse(text.data(), text.size(), whole), 0);
  const size_t n = whole.len();
  for (size_t cap = 0; cap <= n + 1; cap++) {
    var head;
    size_t dropped = 99;
    ASSERT_EQ(json_parse(text.data(), text.size(), head, cap, &dropped), 0) << cap;
    size_t kept = std::min(cap, n);
    var expect = var::new_list();
    for (size_t i = 0; i < kept; i++) expect.append(whole[static_cast<int>(i)]);
    EXPECT_EQ(json_dump(head), json_dump(expect)) << cap;
    EXPECT_EQ(dropped, n - kept) << cap;
    std::string broken = text.substr(0, text.size() - 1) + ",}]";
    EXPECT_EQ(parse_quiet(broken, head, cap), 1) << cap;
  }
  // Other roots, and lists inside the kept items, are whole.
  var dict;
  ASSERT_EQ(json_parse("{\"l\":[1,2,3]}", 13, dict, 1), 0);
  EXPECT_EQ(json_dump(dict), "{\"l\":[1,2,3]}");
}

TEST(JsonDump, CompactSortedAndNumberForms) {
  var d = var_dict("b", var_list(1, 2.5, -0.125), "a", "x", "\xc3\xa9", var(), "B", 100000);
  EXPECT_EQ(json_dump(d), "{\"B\":100000,\"a\":\"x\",\"b\":[1,2.5,-0.125],\"\xc3\xa9\":null}");
  EXPECT_EQ(json_dump(var(1.0 / 3)), "0.333333");
  EXPECT_EQ(json_dump(var(3.0)), "3");
  EXPECT_EQ(json_dump(var(-7)), "-7");
  EXPECT_EQ(json_dump(var(0.5)), "0.5");
  EXPECT_EQ(json_dump(var(1e-9)), "0.0");
  EXPECT_EQ(json_dump(var::new_dict()), "{}");
  EXPECT_EQ(json_dump(var::new_list()), "[]");
  EXPECT_EQ(json_dump(var()), "null");
  EXPECT_EQ(json_dump(var(-9223372036854775808.0)), "-9223372036854775808");
  EXPECT_EQ(json_dump(var(9223372036854775808.0)), "9223372036854775808.0");
}

TEST(JsonDump, AlwaysValidJson) {
  double inf = std::numeric_limits<double>::infinity();
  var l = var_list(std::nan(""), inf, -inf, 1e19, -1e300);
  std::string text = json_dump(l);
  EXPECT_EQ(text.substr(0, 20), "[null,null,null,1000");
  EXPECT_NE(text.find("10000000000000000000.0"), std::string::npos);
  var back;
  ASSERT_EQ(json_parse(text.data(), text.size(), back), 0);
  EXPECT_EQ(back[3].num(), 1e19);
  EXPECT_EQ(back[4].num(), -1e300);

  // A value that holds itself is cut off instead of recursing forever.
  var self = var::new_list();
  self.append(self);
  testing::internal::CaptureStderr();
  std::string cut = json_dump(self);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(tk_last_error().rfind("RecursionError", 0), 0u);
  ASSERT_EQ(json_parse(cut.data(), cut.size(), back), 0);
  self.set(0, var());  // break the cycle so the list is freed
}

TEST(JsonRoundTrip, BinaryStringsAndControlBytes) {
  std::string bytes;
  for (int c = 0; c < 256; ++c) bytes += static_cast<char>(c);
  var d = var_dict("data", var(bytes), "k\"\n", 1);
  std::string text = json_dump(d);
  EXPECT_EQ(text.find('\n'), std::string::npos);
  var back;
  ASSERT_EQ(json_parse(text.data(), text.size(), back), 0);
  EXPECT_EQ(back["data"].str(), bytes);
  EXPECT_EQ(back["k\"\n"].num(), 1);
  EXPECT_EQ(json_dump(back), text);
  // Only the quote, the backslash and control bytes are escaped.
  const std::map<int, std::string> escapes = {{'"', "\\\""}, {'\\', "\\\\"}, {'\b', "\\b"},
                                              {'\t', "\\t"}, {'\n', "\\n"}, {'\f', "\\f"}, {'\r', "\\r"}};
  for (int c = 0; c < 256; ++c) {
    char plain[8];
    std::snprintf(plain, sizeof plain, c < 0x20 ? "\\u%04x" : "%c", c);
    auto it = escapes.find(c);
    std::string want = it != escapes.end() ? it->second : plain;
    EXPECT_EQ(json_dump(var(std::string(1, static_cast<char>(c)))), "\"" + want + "\"") << c;
  }
}

TEST(JsonRoundTrip, OutboxEntryText) {
  var payload = var_dict("action", "scores", "post", var_dict("stars", "3", "lid", "x"));
  var entry = var_dict("name", "web", "data", payload, "ts", 1700000000L, "n", 1);
  EXPECT_EQ(json_dump(entry),
            "{\"data\":{\"action\":\"scores\",\"post\":{\"lid\":\"x\",\"stars\":\"3\"}},"
            "\"n\":1,\"name\":\"web\",\"ts\":1700000000}");
}

TEST(JsonHostile, SelfContainingValueStopsAtTheFirstOverflow) {
  // Two references to itself: without a stop the writer would branch
  // 2^512 ways.
  var self = var::new_list();
  self.append(self);
  self.append(self);
  testing::internal::CaptureStderr();
  std::string cut = json_dump(self);
  std::string err = testing::internal::GetCapturedStderr();
  size_t lines = 0;
  for (size_t at = err.find("RecursionError"); at != std::string::npos; at = err.find("RecursionError", at + 1))
    ++lines;
  EXPECT_EQ(lines, 1u);
  var back;
  EXPECT_EQ(json_parse(cut.data(), cut.size(), back), 0);
  self.set(0, var());
  self.set(1, var());
}

TEST(JsonHostile, ByteOrderMarkAndLoneSurrogates) {
  var v;
  std::string bom = "\xEF\xBB\xBF{\"a\":1}";
  ASSERT_EQ(json_parse(bom.data(), bom.size(), v), 0);
  EXPECT_EQ(v["a"].num(), 1);

  // Every hex digit of an escape counts, in either case: a high surrogate
  // with its partner reads beside raw surrogate-like bytes, a low one alone
  // is refused.
  for (char h : std::string("0123456789abcdefABCDEF")) {
    SCOPED_TRACE(h);
    EXPECT_EQ(parse_quiet(std::string("[\"\\ud8") + h + "0\\udc00\xED\xB0\x80\"]", v), 0);
    EXPECT_EQ(parse_quiet(std::string("[\"\xED\xB0\x80\\udc") + h + "0\"]", v), 1);
  }
  EXPECT_EQ(parse_quiet("[\"\\udbff\\udfff\xED\xB0\x80\"]", v), 0);
  EXPECT_EQ(parse_quiet("[\"\\udfff\"]", v), 1);
  for (const char* lone : {"[\"\\udc00\"]", "[\"\\ud800\"]", "{\"k\\uDFFF\":1}", "[\"a\\ud800x\"]"}) {
    SCOPED_TRACE(lone);
    EXPECT_EQ(parse_quiet(lone, v), 1);
  }
  // A proper pair, and raw bytes that merely look like a surrogate (strings
  // are binary safe), still read.
  ASSERT_EQ(parse_quiet("[\"\\ud83d\\ude00\", \"\xED\xB0\x80\"]", v), 0);
  EXPECT_EQ(v[0].str(), "\xF0\x9F\x98\x80");
  EXPECT_EQ(v[1].str(), "\xED\xB0\x80");
}

TEST(JsonRoundTrip, BenchmarkShapesAndUnsortedDuplicateKeys) {
  for (const var& shape : {json_shapes::page(64 << 10), json_shapes::catalogue(128 << 10)}) {
    const std::string text = json_dump(shape);
    var back;
    ASSERT_EQ(json_parse(text.data(), text.size(), back), 0);
    EXPECT_EQ(json_dump(back), text);
  }
  var v;
  std::string dup = "{\"b\":1,\"a\":2,\"b\":3,\"\":4}";
  ASSERT_EQ(json_parse(dup.data(), dup.size(), v), 0);
  EXPECT_EQ(json_dump(v), "{\"\":4,\"a\":2,\"b\":3}");
  EXPECT_EQ(v.keys(), (std::vector<std::string>{"", "a", "b"}));
}
