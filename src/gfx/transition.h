// Screen transitions: two 1024 by 1024 off-screen pictures (the outgoing
// screen, target 1, and the incoming one, target 2) drawn over each other.
#pragma once

enum {
  TRANS_NONE = 0,
  TRANS_ZOOM = 1,
  TRANS_FADE = 2,
  TRANS_3 = 3,
  TRANS_BZOOM = 4,
  TRANS_5 = 5,
  TRANS_6 = 6,
  TRANS_7 = 7,
  TRANS_8 = 8,
};

// Paints the current screen once, without swapping (the game passes its
// Game::paint_state with the Game as context).
typedef void (*transition_paint_fn)(void* ctx);

struct Transition {
  int type = 0;
  int remaining = 0;      // ticks left; the transition runs while > 0
  int length = 0;
  int boxart = 0;         // the next outgoing capture shows the box-art picture
  int ticks_since_capture = 1;
  unsigned fbo[2] = {0, 0};
  unsigned tex[2] = {0, 0};
  bool ready = false;     // the off-screen targets exist
};

extern Transition g_transition;

constexpr int TRANSITION_SIZE = 1024;

// At every creation of the video mode: sets the box-art flag, one tick since
// the last capture, and creates the off-screen targets again.
void transition_init();
void transition_deinit();
// With type >= 0 stores it and sets the remaining ticks and the length (15,
// 45 for types 5, 6 and 8, 30 for type 7; 0 for TRANS_NONE); -1 keeps the
// running type. Captures the target (1 outgoing, 2 incoming) with the
// painter unless the type is TRANS_NONE; target 1 only when a tick has
// passed since the last capture. While the box-art flag is set the outgoing
// capture shows the image "boxart" instead, clears the flag and makes the
// type TRANS_FADE.
void transition_start(int target, int type, transition_paint_fn paint,
                      void* ctx);
bool transition_running();
// Once per fixed step: counts the ticks since the last capture and the
// remaining ticks down.
void transition_tick();
// p = 1 - remaining / length.
float transition_p();
// Draws the running transition over the view (types 1, 2 and 4; other
// types show the incoming picture whole, for the in-level screens to draw
// their own way with transition_draw_picture).
void transition_paint();
// Clears the view to black and draws the box art fitted whole, centred: the
// picture that the start-up's first transition fades from.
void transition_paint_boxart();
// Draws one captured picture centred on the view at the scale and alpha.
void transition_draw_picture(int target, float scale, float alpha);
