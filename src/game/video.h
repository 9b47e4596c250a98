// The video mode and everything that lives with it.
#pragma once

struct Game;

// Sets the video mode from LocalSettings (with the caption and the icon),
// then creates the renderer, fits the view, loads the fonts, sets key
// repeat, loads the box-art picture and makes the transition targets. Also
// used to re-create all of it (full-screen flip, new resolution). Answers
// true when the mode asked for was set. When the driver fell back to
// another mode, LocalSettings is changed to name it, so that the mode that
// works is the one saved; when no mode at all can be set there is no
// renderer. Does nothing (and answers true) while the game runs headless.
bool game_video_init(Game* g);
void game_video_deinit();

// True while the game runs without a window (the headless entry).
extern bool game_headless;
