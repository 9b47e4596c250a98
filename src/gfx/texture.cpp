// Textures and atlas images named in "data.json".
#include <stb_image.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "driver/driver.h"
#include "gfx/gfx.h"
#include "gfx/gl.h"

bool gfx_texturing_on();

// Worker threads that decode the textures ahead at start-up.
constexpr size_t TEX_PREFETCH_THREADS = 2;

namespace {
struct Tex {
  std::string name;
  std::string file;      // data directory file; empty for program textures
  bool nearest = false;
  int w = 0, h = 0;
  GLuint id = 0;
  std::vector<uint8_t> pixels;  // kept until uploaded (program textures: kept)
  // Per block of TEX_BLOCK by TEX_BLOCK texels: 1 when every texel in it is
  // opaque, so that the images lying in such blocks draw without blending.
  std::vector<uint8_t> opaque_blocks;
  int blocks_w = 0;
};
struct Img {
  std::string name;
  int tex = 0;
  float x = 0, y = 0, w = 0, h = 0;
  // Every texel that drawing it samples is opaque: drawn at full alpha it
  // replaces what lies under it, and blending would only cost time.
  bool opaque = false;
};

constexpr int TEX_BLOCK = 8;

// The decoded texels of a picture with its map of opaque blocks.
struct Texels {
  std::vector<uint8_t> pixels;
  int w = 0, h = 0;
  std::vector<uint8_t> opaque_blocks;
  int blocks_w = 0;
};

void find_opaque_blocks(Texels& t) {
  t.opaque_blocks.clear();
  t.blocks_w = 0;
  if (t.pixels.empty() || t.w <= 0 || t.h <= 0) return;
  t.blocks_w = (t.w + TEX_BLOCK - 1) / TEX_BLOCK;
  int blocks_h = (t.h + TEX_BLOCK - 1) / TEX_BLOCK;
  t.opaque_blocks.assign(static_cast<size_t>(t.blocks_w) * blocks_h, 1);
  for (int y = 0; y < t.h; y++) {
    const uint8_t* row = &t.pixels[static_cast<size_t>(y) * t.w * 4];
    uint8_t* blocks = &t.opaque_blocks[static_cast<size_t>(y / TEX_BLOCK) * t.blocks_w];
    for (int x = 0; x < t.w; x++)
      if (row[4 * x + 3] != 255) blocks[x / TEX_BLOCK] = 0;
  }
}

void set_texels(Tex& t, Texels&& x) {
  t.pixels = std::move(x.pixels);
  t.w = x.w;
  t.h = x.h;
  t.opaque_blocks = std::move(x.opaque_blocks);
  t.blocks_w = x.blocks_w;
}

// The image's rectangle and the ring of texels that filtering reads around
// it lie in opaque blocks only.
bool image_opaque(const Tex& t, const Img& img) {
  if (t.opaque_blocks.empty()) return false;
  int x0 = std::max(0, static_cast<int>(std::floor(img.x)) - 1);
  int y0 = std::max(0, static_cast<int>(std::floor(img.y)) - 1);
  int x1 = std::min(t.w, static_cast<int>(std::ceil(img.x + img.w)) + 1);
  int y1 = std::min(t.h, static_cast<int>(std::ceil(img.y + img.h)) + 1);
  if (x1 <= x0 || y1 <= y0) return false;
  for (int by = y0 / TEX_BLOCK; by <= (y1 - 1) / TEX_BLOCK; by++)
    for (int bx = x0 / TEX_BLOCK; bx <= (x1 - 1) / TEX_BLOCK; bx++)
      if (!t.opaque_blocks[static_cast<size_t>(by) * t.blocks_w + bx]) return false;
  return true;
}
std::vector<Tex> g_tex(1);
std::vector<Img> g_img(1);

var section(const char* name) {
  return g_driver ? g_driver->data[name] : var();
}

// Decodes the bytes of the data directory file `file` (named in the
// diagnostics).
bool decode_bytes(const std::string& file, const std::string& bytes, std::vector<uint8_t>* out, int* w, int* h) {
  if (bytes.empty()) {
    std::fprintf(stderr, "gfx_tex_load: cannot read %s\n", file.c_str());
    return false;
  }
  int n = 0;
  stbi_uc* px = stbi_load_from_memory(
      reinterpret_cast<const stbi_uc*>(bytes.data()),
      static_cast<int>(bytes.size()), w, h, &n, 4);
  if (!px) {
    std::fprintf(stderr, "gfx_tex_load: cannot decode %s: %s\n", file.c_str(),
                 stbi_failure_reason());
    return false;
  }
  out->assign(px, px + static_cast<size_t>(*w) * *h * 4);
  stbi_image_free(px);
  return true;
}

// Decoding ahead: the textures of "data.json" are decoded by a few worker
// threads while the window opens and the game data loads, so start-up waits
// for the largest picture at most instead of for every one in turn.
struct Prefetch {
  struct Item {
    std::string file, path;
    off_t size = 0;
    Texels texels;
    bool ok = false, done = false, taken = false;
  };
  std::vector<Item> items;
  std::mutex m;
  std::condition_variable cv;
  std::vector<std::thread> workers;
  std::atomic<size_t> next{0};
  bool started = false;

  void work() {
    for (size_t i; (i = next++) < items.size();) {
      Item& it = items[i];
      std::string bytes;
      driver_read_file(it.path, &bytes);
      Texels t;
      bool ok = decode_bytes(it.file, bytes, &t.pixels, &t.w, &t.h);
      // The opaque blocks are found here too: on the largest picture they
      // would cost start-up as much as a small picture's decoding.
      if (ok) find_opaque_blocks(t);
      std::lock_guard<std::mutex> g(m);
      it.texels = std::move(t);
      it.ok = ok;
      it.done = true;
      cv.notify_all();
    }
  }
  // The decoded pixels of the file, waited for; false when the file was not
  // decoded ahead (or was taken already). *ok tells whether it decoded.
  bool take(const std::string& file, Texels* out, bool* ok) {
    std::unique_lock<std::mutex> g(m);
    for (Item& it : items) {
      if (it.file != file || it.taken) continue;
      cv.wait(g, [&] { return it.done; });
      it.taken = true;
      *out = std::move(it.texels);
      *ok = it.ok;
      return true;
    }
    return false;
  }
  ~Prefetch() {
    for (std::thread& t : workers)
      if (t.joinable()) t.join();
  }
};
Prefetch g_prefetch;

bool decode(const std::string& file, Texels* out) {
  bool ok = false;
  if (g_prefetch.take(file, out, &ok)) return ok;
  if (!decode_bytes(file, data_read(file), &out->pixels, &out->w, &out->h)) return false;
  find_opaque_blocks(*out);
  return true;
}

void upload(Tex& t) {
  if (t.pixels.empty() && !t.file.empty()) {
    Texels x;
    if (!decode(t.file, &x)) return;
    set_texels(t, std::move(x));
  }
  if (t.pixels.empty()) return;
  glGenTextures(1, &t.id);
  glBindTexture(GL_TEXTURE_2D, t.id);
  GLint filter = t.nearest ? GL_NEAREST : GL_LINEAR;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, t.w, t.h, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, t.pixels.data());
  if (!t.file.empty()) {
    t.pixels.clear();
    t.pixels.shrink_to_fit();
  }
}
}  // namespace

void gfx_textures_lost() {
  for (Tex& t : g_tex) {
    if (t.id && gfx_gl_ready()) glDeleteTextures(1, &t.id);
    t.id = 0;
  }
}

void gfx_tex_prefetch() {
  Prefetch& p = g_prefetch;
  if (p.started) return;
  p.started = true;
  var textures = section("textures");
  if (!textures.is_dict()) return;
  for (const std::string& key : textures.keys()) {
    var file = textures[key]["file"];
    if (!file.is_string()) continue;
    Prefetch::Item it;
    it.file = file.str();
    it.path = data_path(it.file);
    struct stat st;
    it.size = stat(it.path.c_str(), &st) == 0 ? st.st_size : 0;
    p.items.push_back(std::move(it));
  }
  // The largest first: it is the one start-up would wait for.
  std::stable_sort(p.items.begin(), p.items.end(),
                   [](const Prefetch::Item& a, const Prefetch::Item& b) { return a.size > b.size; });
  unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  size_t n = std::min<size_t>({p.items.size(), cores, TEX_PREFETCH_THREADS});
  for (size_t i = 0; i < n; i++) p.workers.emplace_back([] { g_prefetch.work(); });
}

int gfx_tex_load(const char* name) {
  if (!name || !*name) return 0;
  for (size_t i = 1; i < g_tex.size(); i++)
    if (g_tex[i].name == name) return static_cast<int>(i);
  std::fprintf(stderr, "trying load tex %s\n", name);
  var entry = section("textures")[name];
  if (!entry.is_dict() || !entry["file"].is_string()) {
    std::fprintf(stderr, "gfx_tex_load: no texture %s\n", name);
    return 0;
  }
  Tex t;
  t.name = name;
  t.file = entry["file"].str();
  t.nearest = entry["filter"] == "nearest";
  Texels x;
  if (!decode(t.file, &x)) return 0;
  set_texels(t, std::move(x));
  g_tex.push_back(std::move(t));
  int index = static_cast<int>(g_tex.size() - 1);
  if (gfx_gl_ready()) upload(g_tex[index]);
  return index;
}

bool gfx_tex_bind(int tex) {
  if (!gfx_gl_ready()) return false;
  if (tex <= 0 || tex >= static_cast<int>(g_tex.size())) {
    glBindTexture(GL_TEXTURE_2D, 0);
    return false;
  }
  Tex& t = g_tex[tex];
  if (!t.id) upload(t);
  if (!t.id) return false;
  glBindTexture(GL_TEXTURE_2D, t.id);
  return true;
}

void gfx_tex_size(int tex, int* w, int* h) {
  bool ok = tex > 0 && tex < static_cast<int>(g_tex.size());
  *w = ok ? g_tex[tex].w : 0;
  *h = ok ? g_tex[tex].h : 0;
}

int gfx_img_load(const char* name) {
  if (!name || !*name) return 0;
  for (size_t i = 1; i < g_img.size(); i++)
    if (g_img[i].name == name) return static_cast<int>(i);
  var entry = section("images")[name];
  var rect = entry["rect"];
  if (!entry.is_dict() || !rect.is_list() || rect.len() != 4) {
    std::fprintf(stderr, "gfx_img_load: no image %s\n", name);
    return 0;
  }
  int tex = gfx_tex_load(var_str(entry["tex"]).c_str());
  if (!tex) {
    std::fprintf(stderr, "gfx_img_load: image %s has no texture\n", name);
    return 0;
  }
  Img img;
  img.name = name;
  img.tex = tex;
  img.x = static_cast<float>(rect[0].num());
  img.y = static_cast<float>(rect[1].num());
  img.w = static_cast<float>(rect[2].num());
  img.h = static_cast<float>(rect[3].num());
  img.opaque = image_opaque(g_tex[tex], img);
  g_img.push_back(img);
  return static_cast<int>(g_img.size() - 1);
}

static const Img* img_at(int img) {
  if (img <= 0 || img >= static_cast<int>(g_img.size())) return nullptr;
  return &g_img[img];
}

float gfx_img_aspect(int img) {
  const Img* i = img_at(img);
  if (!i) return 1.0f;
  return std::max(1.0f, i->w) / std::max(1.0f, i->h);
}

void gfx_img_size(int img, int* w, int* h) {
  const Img* i = img_at(img);
  *w = i ? static_cast<int>(i->w) : 0;
  *h = i ? static_cast<int>(i->h) : 0;
}

int gfx_img_tex(int img) {
  const Img* i = img_at(img);
  return i ? i->tex : 0;
}

// Texture coordinates of the part of the image.
bool gfx_img_uv(int img, float u0, float v0, float u1, float v1, float uv[4]) {
  const Img* i = img_at(img);
  if (!i) return false;
  int tw = 0, th = 0;
  gfx_tex_size(i->tex, &tw, &th);
  if (tw <= 0 || th <= 0) return false;
  uv[0] = (i->x + u0 * i->w) / tw;
  uv[1] = (i->y + v0 * i->h) / th;
  uv[2] = (i->x + u1 * i->w) / tw;
  uv[3] = (i->y + v1 * i->h) / th;
  return true;
}

void gfx_img_draw_part(int img, float x, float y, float w, float h, float u0,
                       float v0, float u1, float v1) {
  if (!gfx_gl_ready()) return;
  if (!gfx_texturing_on()) {
    gfx_rect(x, y, w, h);
    return;
  }
  if (GfxRecording* r = gfx_recording()) {
    float uv[4], c[4];
    gfx_color_get(c);
    if (gfx_img_uv(img, u0, v0, u1, v1, uv)) r->add(gfx_img_tex(img), true, x, y, w, h, uv, c);
    return;
  }
  if (gfx_sig_on()) {
    const float args[9] = {static_cast<float>(img), x, y, w, h, u0, v0, u1, v1};
    gfx_sig_draw(GFX_OP_IMAGE, args, 9);
    return;
  }
  float uv[4];
  if (!gfx_img_uv(img, u0, v0, u1, v1, uv) || !gfx_tex_bind(gfx_img_tex(img)))
    return;
  float c[4];
  gfx_color_get(c);
  gfx_drew();
  const Img* i = img_at(img);
  bool unblended = i && i->opaque && c[3] >= 1.0f && glIsEnabled(GL_BLEND);
  if (unblended) glDisable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glColor4fv(c);
  glBegin(GL_QUADS);
  glTexCoord2f(uv[0], uv[1]);
  glVertex2f(x, y);
  glTexCoord2f(uv[2], uv[1]);
  glVertex2f(x + w, y);
  glTexCoord2f(uv[2], uv[3]);
  glVertex2f(x + w, y + h);
  glTexCoord2f(uv[0], uv[3]);
  glVertex2f(x, y + h);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  if (unblended) glEnable(GL_BLEND);
}

void gfx_img_draw(int img, float x, float y, float w, float h) {
  gfx_img_draw_part(img, x, y, w, h, 0, 0, 1, 1);
}
