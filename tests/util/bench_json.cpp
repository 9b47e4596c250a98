// JSON parse and dump throughput on two generated shapes (a 1 MB community
// page and a 2 MB resource catalogue), next to RapidJSON's own DOM parse
// and writer on the same text, with their ratios.
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "json_shapes.h"
#include "util/json.h"

namespace {

// Best throughput of one short timed round (at least three runs, 0.2 s).
template <typename F>
double round_mb_per_s(size_t bytes, F&& f) {
  using clock = std::chrono::steady_clock;
  int runs = 0;
  auto start = clock::now();
  double secs = 0;
  do {
    f();
    ++runs;
    secs = std::chrono::duration<double>(clock::now() - start).count();
  } while (secs < 0.2 || runs < 3);
  return bytes * static_cast<double>(runs) / secs / 1e6;
}

// The two sides take turns for five rounds and each keeps its best, so a
// burst of load on a shared machine does not fall on one side only.
template <typename F, typename G>
void side_by_side(size_t bytes, F&& ours, G&& theirs, double& a, double& b) {
  a = b = 0;
  for (int round = 0; round < 5; ++round) {
    a = std::max(a, round_mb_per_s(bytes, ours));
    b = std::max(b, round_mb_per_s(bytes, theirs));
  }
}

int bench(const char* name, const var& shape) {
  const std::string text = json_dump(shape);
  var parsed;
  if (json_parse(text.data(), text.size(), parsed) != 0) return 1;
  rapidjson::Document doc;
  doc.Parse<rapidjson::kParseFullPrecisionFlag>(text.data(), text.size());
  if (doc.HasParseError()) return 1;

  double parse, dom, dump, writer;
  side_by_side(
      text.size(),
      [&] {
        var v;
        json_parse(text.data(), text.size(), v);
      },
      [&] {
        rapidjson::Document d;
        d.Parse<rapidjson::kParseFullPrecisionFlag>(text.data(), text.size());
      },
      parse, dom);
  side_by_side(
      text.size(), [&] { volatile size_t n = json_dump(parsed).size(); (void)n; },
      [&] {
        rapidjson::StringBuffer buf;
        rapidjson::Writer<rapidjson::StringBuffer> w(buf);
        doc.Accept(w);
        volatile size_t n = buf.GetSize();
        (void)n;
      },
      dump, writer);
  std::printf("%s: %zu bytes\n", name, text.size());
  std::printf("  json_parse: %.1f MB/s, rapidjson DOM parse: %.1f MB/s, ratio %.2f\n", parse, dom,
              parse / dom);
  std::printf("  json_dump: %.1f MB/s, rapidjson writer: %.1f MB/s, ratio %.2f\n", dump, writer,
              dump / writer);
  return 0;
}

}  // namespace

int main() {
  if (bench("page", json_shapes::page(1 << 20))) return 1;
  if (bench("catalogue", json_shapes::catalogue(2 << 20))) return 1;
  return 0;
}
