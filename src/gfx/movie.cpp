// IVF files of VP8 frames, decoded with libvpx.
#include "gfx/movie.h"

#include <vpx/vp8dx.h>
#include <vpx/vpx_decoder.h>

#include <cstdio>
#include <cstring>

#include "driver/driver.h"
#include "gfx/gfx.h"
#include "gfx/gl.h"

struct Movie {
  std::string bytes;
  size_t pos = 32;
  vpx_codec_ctx_t codec;
  bool codec_up = false;
  int width = 0, height = 0;
  double fps = 30;
  int frame_count = 0;
  int decoded = 0;
  double clock = 0;
  bool ended = false;
  std::vector<uint8_t> rgba;
  bool dirty = false;
  GLuint tex = 0;
  unsigned tex_generation = 0;  // the renderer generation that made tex
};

// The texture, unless it died with an older GL context.
static GLuint live_tex(const Movie* m) {
  return m->tex && m->tex_generation == gfx_gl_generation() ? m->tex : 0;
}

static uint32_t le32(const std::string& b, size_t at) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(b.data()) + at;
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

static uint16_t le16(const std::string& b, size_t at) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(b.data()) + at;
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

Movie* movie_open_bytes(const std::string& bytes) {
  Movie* m = new Movie;
  m->bytes = bytes;
  if (bytes.size() < 32 || bytes.compare(0, 4, "DKIF") != 0 ||
      bytes.compare(8, 4, "VP80") != 0) {
    std::fprintf(stderr, "movie_open: not an IVF file of VP8 frames\n");
    m->ended = true;
    return m;
  }
  size_t header = le16(bytes, 6);
  m->pos = header >= 32 ? header : 32;
  m->width = le16(bytes, 12);
  m->height = le16(bytes, 14);
  uint32_t rate = le32(bytes, 16), scale = le32(bytes, 20);
  if (rate > 0 && scale > 0) m->fps = static_cast<double>(rate) / scale;
  if (!(m->fps > 0.5 && m->fps < 1000)) m->fps = 30;
  m->frame_count = static_cast<int>(le32(bytes, 24));
  if (vpx_codec_dec_init(&m->codec, vpx_codec_vp8_dx(), nullptr, 0) !=
      VPX_CODEC_OK) {
    std::fprintf(stderr, "movie_open: the VP8 decoder failed to start\n");
    m->ended = true;
    return m;
  }
  m->codec_up = true;
  return m;
}

Movie* movie_open(const char* name) {
  std::string bytes = data_read(name ? name : "");
  if (bytes.empty())
    std::fprintf(stderr, "movie_open: cannot read %s\n", name ? name : "");
  return movie_open_bytes(bytes);
}

void movie_close(Movie* m) {
  if (!m) return;
  if (m->codec_up) vpx_codec_destroy(&m->codec);
  // A name from an older context may belong to another texture by now.
  GLuint tex = live_tex(m);
  if (tex && gfx_gl_ready()) glDeleteTextures(1, &tex);
  delete m;
}

static uint8_t clamp255(int v) {
  return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

static void to_rgba(Movie* m, const vpx_image_t* img) {
  int w = static_cast<int>(img->d_w), h = static_cast<int>(img->d_h);
  m->width = w;
  m->height = h;
  m->rgba.resize(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; y++) {
    const uint8_t* py = img->planes[0] + y * img->stride[0];
    const uint8_t* pu = img->planes[1] + (y / 2) * img->stride[1];
    const uint8_t* pv = img->planes[2] + (y / 2) * img->stride[2];
    uint8_t* out = &m->rgba[static_cast<size_t>(y) * w * 4];
    for (int x = 0; x < w; x++) {
      int c = (py[x] - 16) * 298, d = pu[x / 2] - 128, e = pv[x / 2] - 128;
      out[4 * x + 0] = clamp255((c + 409 * e + 128) >> 8);
      out[4 * x + 1] = clamp255((c - 100 * d - 208 * e + 128) >> 8);
      out[4 * x + 2] = clamp255((c + 516 * d + 128) >> 8);
      out[4 * x + 3] = 255;
    }
  }
  m->dirty = true;
}

// Decodes the next frame; false at the end of the data or on a broken frame.
static bool decode_next(Movie* m) {
  if (m->pos + 12 > m->bytes.size()) {
    if (m->pos < m->bytes.size())
      std::fprintf(stderr, "movie: truncated frame header after frame %d\n",
                   m->decoded);
    return false;
  }
  uint32_t size = le32(m->bytes, m->pos);
  if (size > m->bytes.size() - m->pos - 12) {
    std::fprintf(stderr, "movie: truncated frame %d\n", m->decoded + 1);
    return false;
  }
  const uint8_t* data =
      reinterpret_cast<const uint8_t*>(m->bytes.data()) + m->pos + 12;
  m->pos += 12 + size;
  if (vpx_codec_decode(&m->codec, data, size, nullptr, 0) != VPX_CODEC_OK) {
    std::fprintf(stderr, "movie: frame %d does not decode: %s\n",
                 m->decoded + 1, vpx_codec_error(&m->codec));
    return false;
  }
  vpx_codec_iter_t iter = nullptr;
  while (vpx_image_t* img = vpx_codec_get_frame(&m->codec, &iter))
    if (img->fmt == VPX_IMG_FMT_I420) to_rgba(m, img);
  m->decoded++;
  return true;
}

bool movie_advance(Movie* m, double seconds) {
  if (!m || m->ended) return false;
  m->clock += seconds;
  // Frame k (from 0) is due at k / fps and shows until (k + 1) / fps.
  while (m->decoded / m->fps <= m->clock) {
    if (!decode_next(m)) {
      m->ended = true;
      return false;
    }
  }
  return true;
}

bool movie_ended(const Movie* m) { return !m || m->ended; }
int movie_frames_decoded(const Movie* m) { return m ? m->decoded : 0; }
int movie_frame_count(const Movie* m) { return m ? m->frame_count : 0; }
int movie_width(const Movie* m) { return m ? m->width : 0; }
int movie_height(const Movie* m) { return m ? m->height : 0; }
double movie_fps(const Movie* m) { return m ? m->fps : 0; }

const std::vector<uint8_t>& movie_pixels(const Movie* m) {
  static const std::vector<uint8_t> none;
  return m ? m->rgba : none;
}

void movie_paint(Movie* m, float x, float y, float w, float h) {
  if (!m || m->rgba.empty() || !gfx_gl_ready()) return;
  if (gfx_sig_on()) {
    const float args[4] = {x, y, w, h};
    gfx_sig_draw(GFX_OP_MOVIE, args, 4);
    const void* id = m;
    gfx_sig_bytes(&id, sizeof id);
    gfx_sig_bytes(&m->decoded, sizeof m->decoded);
    gfx_sig_bytes(&m->dirty, sizeof m->dirty);
    return;
  }
  gfx_drew();
  m->tex = live_tex(m);
  if (!m->tex) {
    glGenTextures(1, &m->tex);
    m->tex_generation = gfx_gl_generation();
    glBindTexture(GL_TEXTURE_2D, m->tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    m->dirty = true;
  }
  glBindTexture(GL_TEXTURE_2D, m->tex);
  if (m->dirty) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, m->width, m->height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, m->rgba.data());
    m->dirty = false;
  }
  float c[4];
  gfx_color_get(c);
  glEnable(GL_TEXTURE_2D);
  glColor4fv(c);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(x, y);
  glTexCoord2f(1, 0);
  glVertex2f(x + w, y);
  glTexCoord2f(1, 1);
  glVertex2f(x + w, y + h);
  glTexCoord2f(0, 1);
  glVertex2f(x, y + h);
  glEnd();
  glDisable(GL_TEXTURE_2D);
}
