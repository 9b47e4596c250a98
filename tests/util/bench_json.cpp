// Prints JSON parse and dump throughput on a generated 1 MB community page,
// next to RapidJSON's own DOM parse of the same text.
#include <rapidjson/document.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "util/json.h"

namespace {

std::string make_page(size_t target) {
  var page = var::new_list();
  page.append(var_dict("type", "title", "text", "Newest maps"));
  page.append(var_dict("type", "tab", "text", "Top rated", "action", "qlink", "value", "@top"));
  for (long i = 0; json_dump(page).size() < target; ++i) {
    for (int k = 0; k < 64; ++k, ++i) {
      page.append(var_dict("type", "level", "id", std::to_string(100000 + i), "title",
                           "Tunnel number " + std::to_string(i) + " \"deep\"", "name",
                           "player_" + std::to_string(i % 977), "stars", (i % 50) / 10.0,
                           "u_stars", static_cast<int>(i % 6)));
      if (i % 16 == 0) page.append(var_dict("type", "text", "text", "Shared on day " + std::to_string(i)));
    }
  }
  return json_dump(page);
}

template <typename F>
double mb_per_s(size_t bytes, F&& f) {
  using clock = std::chrono::steady_clock;
  int runs = 0;
  auto start = clock::now();
  double secs = 0;
  do {
    f();
    ++runs;
    secs = std::chrono::duration<double>(clock::now() - start).count();
  } while (secs < 1.0 || runs < 3);
  return bytes * static_cast<double>(runs) / secs / 1e6;
}

}  // namespace

int main() {
  std::string text = make_page(1 << 20);
  var parsed;
  if (json_parse(text.data(), text.size(), parsed) != 0) return 1;

  double parse = mb_per_s(text.size(), [&] {
    var v;
    json_parse(text.data(), text.size(), v);
  });
  double dump = mb_per_s(text.size(), [&] { volatile size_t n = json_dump(parsed).size(); (void)n; });
  double dom = mb_per_s(text.size(), [&] {
    rapidjson::Document d;
    d.Parse<rapidjson::kParseFullPrecisionFlag>(text.data(), text.size());
  });
  std::printf("page: %zu bytes, %zu entries\n", text.size(), parsed.len());
  std::printf("json_parse: %.1f MB/s\n", parse);
  std::printf("json_dump: %.1f MB/s\n", dump);
  std::printf("rapidjson DOM parse: %.1f MB/s\n", dom);
  std::printf("json_parse / DOM parse: %.2f\n", parse / dom);
  return 0;
}
