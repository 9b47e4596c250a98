// The 2D renderer: the view, the colour state, textures and atlas images
// named in "data.json", the triangle batch and the clip stack.
//
// Coordinates are view units: the view is 640 by 640 units centred in the
// window (gfx_fit_view widens it to the window's shape), y grows downwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Event;

struct GfxView {
  // The view rectangle in view units (after gfx_fit_view: x0 <= 0, the
  // 640 by 640 square centred).
  float x0 = 0, y0 = 0, w = 640, h = 640;
  // The size in pixels of what is drawn into: the window, or an off-screen
  // target while a transition captures.
  int target_w = 640, target_h = 640;
};

extern GfxView g_view;

// Creates the renderer for a new video mode (GL state, extension loader);
// textures are loaded again on their next use. Answers 0 on success.
int gfx_init(int window_w, int window_h);
// Frees the GL objects (the catalogues keep their names and indexes).
void gfx_deinit();

// Sets the view size (normally 640 by 640).
void gfx_set_view(float w, float h);
// After the view size is set to 640 by 640, scales the view to the window:
// the square stays whole and centred, the longer side of the window shows
// more.
void gfx_fit_view();
// Sets up the projection and the viewport for drawing one frame of 2D
// widgets in view units; the modelview matrix becomes the identity.
void gfx_project();
// Turns the pointer words of an event from window pixels into view units.
void gfx_event_to_view(Event* e);
void gfx_window_to_view(float wx, float wy, float* vx, float* vy);

// Colour state: the tint of everything drawn.
void gfx_color(float r, float g, float b, float a);
// 0xRRGGBB and an alpha from 0 to 1.
void gfx_color_rgb(uint32_t rgb, float a);
void gfx_color_get(float out[4]);
// Texturing on (default) or off; off, images draw as plain quads.
void gfx_texturing(bool on);
void gfx_clear(float r, float g, float b, float a);
// After the buffers were swapped: what the target holds is no longer known.
void gfx_frame_shown();

// Textures of "data.json": the index of the named texture, loaded on first
// use; 0 when none (with a diagnostic line).
int gfx_tex_load(const char* name);
// Starts decoding every texture of "data.json" in worker threads, once, so
// that gfx_tex_load later only waits for what is not done yet.
void gfx_tex_prefetch();
// Binds the texture (decoding it again after a new video mode); 0 unbinds.
// Answers false when it has no pixels.
bool gfx_tex_bind(int tex);
void gfx_tex_size(int tex, int* w, int* h);

// Atlas images of "data.json".
int gfx_img_load(const char* name);
float gfx_img_aspect(int img);
void gfx_img_size(int img, int* w, int* h);
int gfx_img_tex(int img);
// Draws the image over the rectangle, tinted by the colour state.
void gfx_img_draw(int img, float x, float y, float w, float h);
// Draws the part (u0, v0)-(u1, v1) of the image, in fractions of its
// rectangle, over the screen rectangle.
void gfx_img_draw_part(int img, float x, float y, float w, float h, float u0,
                       float v0, float u1, float v1);
void gfx_rect(float x, float y, float w, float h);  // plain quad in the colour

// The triangle batch: images as textured triangles, drawn together.
void tri_batch_img(int img, float x, float y, float w, float h, uint32_t rgb);
void tri_batch_flush();

// A recorded picture: while it records, the triangle batch, images and plain
// quads draw nothing and are kept instead, each with the colour and the
// texturing it would have been drawn with, in the coordinates it was given.
// draw() draws them again, in the same order, under the transform current
// then, so a picture that many frames show is built once. Text and movies
// are not recorded: they draw at once.
class GfxRecording {
 public:
  struct Vertex {
    float x, y, u, v, r, g, b, a;
  };
  // A stretch of quads with one texture (0: untextured) and one primitive:
  // the batch's triangle pairs or the images' GL quads.
  struct Run {
    int tex;
    bool quads;
    size_t first, count;
    int lattice;  // index into lattices_ when the run is one, else -1
  };
  // Unit quads on whole cells, one per cell, untinted: drawn in one pass
  // that looks up each pixel's cell instead of as two triangles a cell.
  struct Lattice {
    int x0 = 0, y0 = 0, w = 0, h = 0;
    std::vector<float> cells;  // per cell u0, v0, u1, v1; -1s where none
    unsigned tex = 0, generation = 0;
  };
  GfxRecording() = default;
  GfxRecording(const GfxRecording&) = delete;
  GfxRecording& operator=(const GfxRecording&) = delete;
  ~GfxRecording();
  void clear();
  size_t quad_count() const { return verts_.size() / 4; }
  // Draws the quads that meet the rectangle (x0, y0)-(x1, y1) of recorded
  // coordinates; under a picture signature it folds the recording, its
  // version and the rectangle instead.
  void draw(float x0, float y0, float x1, float y1) const;
  // Starts recording into this (appending); gfx_record_end stops.
  void begin();
  // For the drawing functions: appends a quad (x, y)-(x + w, y + h). A
  // batch quad waits, as in the triangle batch, until the batch is flushed
  // (or changes texture, or the recording ends).
  void add(int tex, bool quads, float x, float y, float w, float h, const float uv[4], const float rgba[4]);
  void add_batch(int tex, float x, float y, float w, float h, const float uv[4], const float rgba[4]);
  void flush_batch();

 private:
  std::vector<Vertex> verts_, pending_;
  int pending_tex_ = 0;
  std::vector<Run> runs_;
  size_t settled_runs_ = 0;
  mutable std::vector<Lattice> lattices_;
  uint64_t version_ = 0;
  friend void gfx_record_end();
  // Splits the lattice off the front of each run recorded since the last
  // call.
  void settle();
  mutable std::vector<unsigned> index_;
};
void gfx_record_end();
// The recording under way, or null.
GfxRecording* gfx_recording();

// The clip stack, rectangles in the current transform (translations and
// scales); each push intersects with the one below.
void gfx_clip_push(float x, float y, float w, float h);
void gfx_clip_pop();
int gfx_clip_depth();

// Picture signatures. Between gfx_sig_begin and gfx_sig_end the drawing
// functions draw nothing: they fold what they would draw (with the colour,
// the transform, the clip and the view) into a signature instead, so that
// a screen painted twice with equal signatures shows the same picture and
// need not be drawn again. State changes (view, transform, clip) still
// happen as in a real paint.
void gfx_sig_begin();
uint64_t gfx_sig_end();
bool gfx_sig_on();
// For the drawing functions: folds the operation, its arguments and the
// state it draws with into the running signature.
void gfx_sig_draw(int op, const float* args, int n);
void gfx_sig_bytes(const void* data, size_t n);

