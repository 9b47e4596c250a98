// The game data in "gameinfo.db" and the campaign maps it names.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <set>

#include "content_util.h"

using namespace twtest;

namespace {

constexpr size_t kMapSize = 19488;

struct Tile {
  std::string name, img, eimg, item, pbase;
  int code = 0, value = 0, dx = 0, dy = 0, passable = 0, editor = 0, sortby = 0;
};

const std::vector<Tile>& tiles() {
  static std::vector<Tile> t;
  if (!t.empty()) return t;
  for (const auto& r : query("gameinfo.db",
                             "select type, name, code, value, img, eimg, dx, dy, passable, editor, sortby, item, pbase"
                             " from tiles order by type")) {
    Tile x;
    x.name = r[1]; x.code = std::stoi(r[2]); x.value = std::stoi(r[3]); x.img = r[4]; x.eimg = r[5];
    x.dx = std::stoi(r[6]); x.dy = std::stoi(r[7]); x.passable = std::stoi(r[8]); x.editor = std::stoi(r[9]);
    x.sortby = std::stoi(r[10]); x.item = r[11]; x.pbase = r[12];
    t.push_back(x);
  }
  return t;
}

int tile_named(const std::string& name) {
  for (size_t i = 0; i < tiles().size(); ++i)
    if (tiles()[i].name == name) return int(i);
  return -1;
}

struct Level {
  int number, sector, x, y, has_lock, lock_total, has_count, is_final, has_jewels, total_carts;
  std::string name, ach[3];
};

std::vector<Level> levels() {
  std::vector<Level> out;
  for (const auto& r : query("gameinfo.db",
                             "select number, sector, map_x, map_y, has_lock, lock_total, has_count, is_final,"
                             " has_jewels, total_carts, name, ach1, ach2, ach3 from levels order by number")) {
    Level l;
    int* f[] = {&l.number, &l.sector, &l.x, &l.y, &l.has_lock, &l.lock_total, &l.has_count, &l.is_final,
                &l.has_jewels, &l.total_carts};
    for (int i = 0; i < 10; ++i) *f[i] = std::stoi(r[i]);
    l.name = r[10];
    for (int i = 0; i < 3; ++i) l.ach[i] = r[11 + i];
    out.push_back(l);
  }
  return out;
}

bool unpack(const std::string& name, std::string& map) {
  std::string packed;
  bool more = false;
  return slurp(data_path(name + ".map"), packed) && inflate_all(packed, 119964, map, &more) && !more;
}

int cell(const std::string& m, int x, int y) {
  if (x < 2 || y < 2 || x > 125 || y > 125) return 16;
  return uint8_t(m[4 + y * 128 + x]);
}

// Walks from the player over passable cells; a lock opens once its keycard
// has been reached. Answers the cells reached.
std::set<int> reachable(const std::string& m, int start) {
  std::set<int> seen{start}, keys;
  for (bool grew = true; grew;) {
    grew = false;
    std::deque<int> q(seen.begin(), seen.end());
    while (!q.empty()) {
      int p = q.front();
      q.pop_front();
      const Tile& t = tiles()[cell(m, p % 128, p / 128)];
      if (t.item == "keycard") keys.insert(t.value & 0xf);
      const int d[4] = {1, -1, 128, -128};
      for (int k : d) {
        int n = p + k;
        const Tile& nt = tiles()[cell(m, n % 128, n / 128)];
        bool open = nt.passable || (nt.item == "lock" && keys.count(nt.value & 0xf));
        if (open && seen.insert(n).second) { q.push_back(n); grew = true; }
      }
    }
  }
  return seen;
}

// How many lines the text takes in the font when wrapped greedily at the
// width, as the labels lay it out.
int wrapped_lines(const char* font, const std::string& text, int width) {
  const rapidjson::Value& glyphs = catalogue()["fonts"][font]["glyphs"];
  auto advance = [&](const std::string& s) {
    int w = 0;
    for (unsigned char c : s) {
      std::string key = std::to_string(c);
      w += glyphs.HasMember(key.c_str()) ? glyphs[key.c_str()][6].GetInt() : glyphs["63"][6].GetInt();
    }
    return w;
  };
  int lines = 1;
  std::string line;
  for (size_t i = 0; i <= text.size();) {
    size_t sp = std::min(text.find(' ', i), text.size());
    std::string word = text.substr(i, sp - i), cand = line.empty() ? word : line + " " + word;
    if (!line.empty() && advance(cand) > width) {
      ++lines;
      line = word;
    } else {
      line = cand;
    }
    i = sp + 1;
  }
  return lines;
}

}  // namespace

TEST(GameInfo, TileTypesHaveWhatTheEditorAndWorldNeed) {
  ASSERT_EQ(tiles().size(), 256u);
  EXPECT_EQ(tiles()[1].name, "wall");
  EXPECT_EQ(tiles()[2].name, "floor");
  EXPECT_EQ(tiles()[16].name, "rock");
  EXPECT_EQ(tiles()[16].passable, 0);
  EXPECT_FALSE(tiles()[2].pbase.empty());
  const std::map<std::string, std::pair<int, int>> arrows = {
    {"arrow2", {0, 1}}, {"arrow4", {-1, 0}}, {"arrow6", {1, 0}}, {"arrow8", {0, -1}}};
  for (const auto& a : arrows) {
    int t = tile_named(a.first);
    ASSERT_GE(t, 0) << a.first;
    EXPECT_EQ(tiles()[t].value, 0x103);
    EXPECT_EQ(std::make_pair(tiles()[t].dx, tiles()[t].dy), a.second) << a.first;
  }
  std::set<int> kinds;
  std::set<std::string> items;
  for (const Tile& t : tiles()) {
    if (t.value >= 0x101 && t.value <= 0x10a) kinds.insert(t.value);
    if (!t.item.empty()) items.insert(t.item);
    if (t.value || !t.item.empty()) {
      EXPECT_NE(t.code, 0) << t.name;
    }
    if (t.editor) {
      EXPECT_FALSE(t.img.empty()) << t.name;
      EXPECT_TRUE(t.sortby >= 0 && t.sortby <= 100) << t.name;
    }
    if (!t.img.empty()) {
      EXPECT_TRUE(has_name("images", t.img)) << t.img;
    }
    if (!t.eimg.empty()) {
      EXPECT_TRUE(has_name("images", t.eimg)) << t.eimg;
    }
  }
  EXPECT_EQ(kinds.size(), 10u);
  EXPECT_EQ(items, (std::set<std::string>{"cartridge", "jewel", "keycard", "lock", "bomb"}));
}

TEST(GameInfo, AchievementsAndVolumesNameRealResources) {
  auto ach = query("gameinfo.db", "select idx, name, image from achievements");
  std::set<std::string> names;
  for (const auto& r : ach) {
    int idx = std::stoi(r[0]);
    EXPECT_TRUE(idx >= 1 && idx <= 31);
    EXPECT_LT(r[1].size(), 32u);
    EXPECT_TRUE(has_name("images", r[2])) << r[2];
    names.insert(r[1]);
  }
  for (const char* n : {"nodeaths", "cartridges", "jewels"}) EXPECT_TRUE(names.count(n)) << n;
  for (const Level& l : levels())
    for (const std::string& a : l.ach) EXPECT_TRUE(names.count(a)) << l.name << ": " << a;
  auto music = query("gameinfo.db", "select name from music"), sfx = query("gameinfo.db", "select name from sfx");
  EXPECT_EQ(music.size(), catalogue()["music"].MemberCount());
  for (const auto& r : music) EXPECT_TRUE(has_name("music", r[0])) << r[0];
  for (const auto& r : sfx) EXPECT_TRUE(has_name("samples", r[0])) << r[0];
}

TEST(Campaign, EightSectorsThatCanBeOpened) {
  std::vector<Level> ls = levels();
  ASSERT_FALSE(ls.empty());
  std::map<int, int> per_sector, carts_counted;
  int finals = 0;
  for (size_t i = 0; i < ls.size(); ++i) {
    const Level& l = ls[i];
    EXPECT_EQ(l.number, int(i) + 1);
    EXPECT_LT(l.name.size(), 32u);
    ++per_sector[l.sector];
    finals += l.is_final;
    if (l.has_count && !l.has_lock) carts_counted[l.sector] += l.total_carts;
    // The icon sits in its sector's band of the 213-wide map (bands are 160 high).
    EXPECT_GE(l.y, (10 - l.sector) * 160) << l.name;
    EXPECT_LT(l.y, (11 - l.sector) * 160) << l.name;
    EXPECT_TRUE(l.x >= 0 && l.x < 213) << l.name;
    // A locked level must not hold its sector shut.
    if (l.has_lock) {
      EXPECT_EQ(l.has_count, 0) << l.name;
    }
  }
  EXPECT_EQ(per_sector.size(), 8u);
  for (const auto& s : per_sector) EXPECT_GE(s.second, 3) << "sector " << s.first;
  EXPECT_EQ(finals, 1);
  EXPECT_EQ(ls.back().is_final, 1);
  for (const Level& l : ls) {
    if (l.has_lock) {
      EXPECT_LE(l.lock_total, carts_counted[l.sector]) << l.name << " can never open";
    }
  }
}

TEST(Campaign, EveryMapUnpacksAndCanBeWon) {
  for (const Level& l : levels()) {
    SCOPED_TRACE(l.name);
    std::string m;
    ASSERT_TRUE(unpack(l.name, m)) << "missing or not a zlib stream";
    ASSERT_EQ(m.size(), kMapSize);
    for (int slot = 0; slot < 8; ++slot) EXPECT_NE(std::memchr(&m[16388 + slot * 256], 0, 256), nullptr) << slot;
    EXPECT_STRNE(&m[16388 + 256], "") << "title";
    std::string music(&m[16388 + 4 * 256]);
    EXPECT_TRUE(music.rfind("mus-play", 0) == 0 && has_name("music", music)) << music;
    EXPECT_EQ(std::string(&m[16388 + 7 * 256]), l.name);
    int players = 0, exits = 0, carts = 0, jewels = 0, guards = 0, lights = 0, player = -1, exit = -1;
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x) {
        const Tile& t = tiles()[cell(m, x, y)];
        if (t.value == 0x101) { ++players; player = y * 128 + x; }
        if (t.value == 0x105) { ++exits; exit = y * 128 + x; }
        carts += t.item == "cartridge";
        jewels += t.item == "jewel";
        guards += t.value == 0x102;
        lights += t.value == 0x104;
      }
    ASSERT_EQ(players, 1);
    ASSERT_EQ(exits, 1);
    EXPECT_GT(carts, 0);
    EXPECT_GT(jewels, 0);
    EXPECT_GT(guards, 0);
    EXPECT_GT(lights, 0);
    EXPECT_EQ(carts, l.total_carts);
    // The level panel of the sector screen is 240 wide: one 80-wide cell per
    // cartridge, and the intro in a 220-wide label with room for four lines
    // of "font2" in its 102-high text area.
    EXPECT_LE(carts, 3);
    ASSERT_TRUE(catalogue()["fonts"].HasMember("font2"));
    EXPECT_LE(wrapped_lines("font2", &m[16388 + 2 * 256], 220) * catalogue()["fonts"]["font2"]["height"].GetInt(), 92)
        << "the intro overflows the level panel";
    EXPECT_EQ(jewels > 0, l.has_jewels == 1);
    // The camera opens on the player.
    float cam[2];
    std::memcpy(cam, &m[18444], 8);
    EXPECT_EQ(int(cam[0]) + int(cam[1]) * 128, player);
    std::set<int> reach = reachable(m, player);
    EXPECT_TRUE(reach.count(exit)) << "the exit cannot be reached on foot";
    // Every achievement can be earned: all cartridges and jewels lie on the way.
    for (int p = 0; p < 128 * 128; ++p) {
      const std::string& item = tiles()[cell(m, p % 128, p / 128)].item;
      if (item == "cartridge" || item == "jewel") {
        EXPECT_TRUE(reach.count(p)) << item << " at " << p % 128 << "," << p / 128;
      }
    }
  }
}
