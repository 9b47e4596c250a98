// Any byte string through the JSON reader. Whatever it builds must dump to
// valid JSON, and after one round the dump is stable (the first round may
// round numbers to the six decimals of "%f").
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "util/json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  var v;
  int status = json_parse(reinterpret_cast<const char*>(data), size, v);
  std::string once = json_dump(v);
  (void)status;
  var again;
  if (json_parse(once.data(), once.size(), again) != 0) {
    std::fprintf(stderr, "dump is not JSON: %s\n", once.c_str());
    std::abort();
  }
  std::string twice = json_dump(again);
  var third;
  json_parse(twice.data(), twice.size(), third);
  if (json_dump(third) != twice) {
    std::fprintf(stderr, "dump is not stable: %s\n", twice.c_str());
    std::abort();
  }
  return 0;
}
