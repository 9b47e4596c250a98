// The video mode and everything that lives with it.
#pragma once

struct Game;

// Sets the video mode from LocalSettings (with the caption and the icon),
// then creates the renderer, fits the view, loads the fonts, sets key
// repeat, loads the box-art picture and makes the transition targets. Also
// used to re-create all of it (full-screen flip, new resolution). Does
// nothing while the game runs headless.
void game_video_init(Game* g);
void game_video_deinit();

// True while the game runs without a window (the headless entry).
extern bool game_headless;
