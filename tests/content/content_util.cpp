// Content-test helpers: read generated files, the data catalogue, packed maps and database rows.
#include "content_util.h"

#include <cstdio>
#include <sqlite3.h>
#include <zlib.h>

namespace twtest {

std::string data_path(const std::string& name) { return std::string(TW_DATA_DIR) + "/" + name; }

bool slurp(const std::string& path, std::string& out) {
  out.clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return true;
}

const rapidjson::Document& catalogue() {
  static rapidjson::Document doc;
  static bool loaded = false;
  if (!loaded) {
    std::string text;
    slurp(data_path("data.json"), text);
    doc.Parse(text.c_str());
    loaded = true;
  }
  return doc;
}

bool has_name(const char* cat, const std::string& name) {
  const rapidjson::Document& d = catalogue();
  if (!d.IsObject() || !d.HasMember(cat) || !d[cat].IsObject()) return false;
  return d[cat].HasMember(name.c_str());
}

bool inflate_all(const std::string& in, size_t limit, std::string& out, bool* more) {
  out.assign(limit + 1, '\0');
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = uInt(in.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = uInt(out.size());
  int rc = inflate(&z, Z_FINISH);
  size_t got = out.size() - z.avail_out;
  inflateEnd(&z);
  *more = got > limit;
  out.resize(got);
  return rc == Z_STREAM_END;
}

std::vector<std::vector<std::string>> query(const std::string& db, const std::string& sql) {
  std::vector<std::vector<std::string>> rows;
  sqlite3* h = nullptr;
  if (sqlite3_open_v2(data_path(db).c_str(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(h);
    return rows;
  }
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const void* p = sqlite3_column_blob(st, i);
        row.emplace_back(p ? static_cast<const char*>(p) : "", size_t(sqlite3_column_bytes(st, i)));
      }
      rows.push_back(row);
    }
  }
  sqlite3_finalize(st);
  sqlite3_close(h);
  return rows;
}

}  // namespace twtest
