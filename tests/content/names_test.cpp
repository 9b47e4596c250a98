// Every resource name that the code or the names list asks for is in
// "data.json".
#include <dirent.h>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

#include "content_util.h"
#include "names_scan.h"

using namespace twtest;

namespace {

void list_sources(const std::string& dir, std::vector<std::string>& out) {
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) names.push_back(e->d_name);
  closedir(d);
  for (const std::string& n : names) {
    if (n == "." || n == "..") continue;
    std::string p = dir + "/" + n;
    struct stat st;
    if (stat(p.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) list_sources(p, out);
    else if (n.size() > 2 && (n.rfind(".cpp") == n.size() - 4 || n.rfind(".h") == n.size() - 2)) out.push_back(p);
  }
}

const char* catalogue_of(const std::string& kind) {
  if (kind == "image") return "images";
  if (kind == "font") return "fonts";
  if (kind == "sample") return "samples";
  if (kind == "music") return "music";
  return nullptr;
}

}  // namespace

TEST(NameScan, FindsLoaderAndFactoryLiterals) {
  const std::string src =
      "int n = gfx_img_load(\"logo\"); font_load( \"font2\" );\n"
      "sfx_play(\"map-scroll\", 0, 0); sfx_play_here(\"gui-ping\"); music_play(name);\n"
      "gui_menu_button(\"Play\", \"icon-play\", 1, 180, \"play\");\n"
      "gui_menu_button_small(\"Locked\", \"icon-lock\");\n"
      "gui_menu_tab(\"Audio\", \"tab-1\", \"icon-audio\", 257, f(1, 2));\n"
      "gui_map_arrow(\"up\", 18); my_gfx_img_load(\"not-me\");\n"
      "snprintf(buf, n, \"sector-%d\", i); gfx_img_load(\"sector-x%s%s\");\n";
  std::set<std::string> got;
  for (const Wanted& w : scan_source(src, "x.cpp")) got.insert(w.catalogue + ":" + w.format);
  EXPECT_EQ(got, (std::set<std::string>{"image:logo", "font:font2", "sample:map-scroll", "sample:gui-ping",
                                        "image:icon-play", "image:icon-lock", "image:icon-audio",
                                        "image:map-arrow-up-off", "image:map-arrow-up-on", "image:sector-x%s%s"}));
}

TEST(NameScan, ExpandsFormatsOverTheirValues) {
  std::vector<std::string> errors;
  auto w = parse_names("image sector-%d%s ; 0..2 ; ,-blur\nimage %s%s-focus ; a,b ; ,-c\nbad\nimage x%d\n", "n",
                       errors);
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(errors.size(), 2u);
  EXPECT_EQ(expand(w[0].format, w[0].values),
            (std::vector<std::string>{"sector-0", "sector-0-blur", "sector-1", "sector-1-blur", "sector-2",
                                      "sector-2-blur"}));
  EXPECT_EQ(expand(w[1].format, w[1].values),
            (std::vector<std::string>{"a-focus", "a-c-focus", "b-focus", "b-c-focus"}));
  EXPECT_EQ(expand("100%% %d", {{"1"}}), std::vector<std::string>{"100% 1"});
}

TEST(Names, EveryNameAskedForIsInTheCatalogue) {
  ASSERT_TRUE(catalogue().IsObject());
  std::string text;
  ASSERT_TRUE(slurp(std::string(TW_SOURCE_DIR) + "/tools/names.txt", text));
  std::vector<std::string> errors;
  std::vector<Wanted> wanted = parse_names(text, "tools/names.txt", errors);
  for (const std::string& e : errors) ADD_FAILURE() << e;
  std::set<std::string> formats;
  for (const Wanted& w : wanted)
    if (!w.values.empty()) formats.insert(w.catalogue + ":" + w.format);

  std::vector<std::string> files;
  list_sources(std::string(TW_SOURCE_DIR) + "/src", files);
  for (const std::string& f : files) {
    std::string src;
    if (!slurp(f, src)) continue;
    for (Wanted& w : scan_source(src, f.substr(std::string(TW_SOURCE_DIR).size() + 1))) {
      if (conversions(w.format) > 0) {
        EXPECT_TRUE(formats.count(w.catalogue + ":" + w.format))
            << w.where << ": the format \"" << w.format << "\" has no expansion in tools/names.txt";
        continue;
      }
      wanted.push_back(w);
    }
  }
  for (const Wanted& w : wanted) {
    const char* cat = catalogue_of(w.catalogue);
    if (!cat) {
      ADD_FAILURE() << w.where << ": unknown catalogue \"" << w.catalogue << "\"";
      continue;
    }
    for (const std::string& name : w.values.empty() ? std::vector<std::string>{w.format} : expand(w.format, w.values))
      EXPECT_TRUE(has_name(cat, name)) << w.where << ": \"" << name << "\" is missing from the " << cat
                                       << " of data.json";
  }
}
