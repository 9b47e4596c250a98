// The movie player: IVF files of VP8 frames, shown as a texture at the
// file's frame rate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Movie;

// Opens the IVF bytes (e.g. data_read("intro.ivf")). Never null: a file that
// is not a VP8 IVF file logs a line and gives a movie that has ended.
Movie* movie_open_bytes(const std::string& bytes);
// Opens "<name>" from the data directory.
Movie* movie_open(const char* name);
void movie_close(Movie* m);
// Advances the clock by the seconds and decodes the frames that fall due.
// Answers false once the movie has ended (last frame shown and its time
// over, or a broken frame).
bool movie_advance(Movie* m, double seconds);
bool movie_ended(const Movie* m);
// Frames decoded so far, and the frame count of the header.
int movie_frames_decoded(const Movie* m);
int movie_frame_count(const Movie* m);
int movie_width(const Movie* m);
int movie_height(const Movie* m);
double movie_fps(const Movie* m);
// The last decoded frame as RGBA pixels (width x height x 4), empty before
// the first.
const std::vector<uint8_t>& movie_pixels(const Movie* m);
// Draws the current frame over the rectangle (view units).
void movie_paint(Movie* m, float x, float y, float w, float h);
