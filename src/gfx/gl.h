// OpenGL for the renderer's own sources: GLEW first, then GLU.
#pragma once

#include <GL/glew.h>
#include <GL/glu.h>

// True once gfx_init has made the GL context usable.
bool gfx_gl_ready();
// Changes whenever the renderer is made or dropped (a new video mode brings
// a new GL context): GL names kept from an older generation are dead and
// must neither be bound nor deleted.
unsigned gfx_gl_generation();
// Drawing functions call it after putting anything into the target; a
// clear with nothing drawn since an equal clear is then skipped.
void gfx_drew();
// The operations a picture signature tells apart.
enum {
  GFX_OP_CLEAR = 1,
  GFX_OP_RECT,
  GFX_OP_IMAGE,
  GFX_OP_BATCH,
  GFX_OP_TEXT,
  GFX_OP_MOVIE,
  GFX_OP_PICTURE,
  GFX_OP_RECORDING,
};
