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
