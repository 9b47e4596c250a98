// The 2D renderer: the view, the colour state, textures and atlas images
// named in "data.json", the triangle batch and the clip stack.
//
// Coordinates are view units: the view is 640 by 640 units centred in the
// window (gfx_fit_view widens it to the window's shape), y grows downwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
// Multiplies the colour state (for nested alpha).
void gfx_color_mul(float r, float g, float b, float a);
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
// A texture made from RGBA pixels by the program (not from "data.json").
int gfx_tex_from_pixels(const char* name, int w, int h, const uint8_t* rgba);

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

// Counts of catalogue entries (for tests and diagnostics).
int gfx_tex_count();
int gfx_img_count();
