// OpenGL for the renderer's own sources: GLEW first, then GLU.
#pragma once

#include <GL/glew.h>
#include <GL/glu.h>

// True once gfx_init has made the GL context usable.
bool gfx_gl_ready();
