// The intro and outro movies: STATE_MOVIE_INTRO plays "intro.ivf" and goes
// on to the sector map, STATE_MOVIE_OUTRO plays "outro.ivf" and goes on to
// the credits. A key or a click skips the movie; a movie that is missing or
// broken goes straight on.
#pragma once

#include "game/state.h"

struct Movie;

class MovieState : public State {
 public:
  // file: the movie in the data directory; next: the state after it;
  // music: the track to play over it (null keeps what plays).
  MovieState(Game* g, const char* file, int next, const char* music);
  ~MovieState() override;
  void init() override;
  void deinit() override;
  void paint() override;
  void event(Event e) override;
  void loop() override;

  Movie* movie = nullptr;
  const char* file;
  int next;
  const char* music;
  bool done = false;

 private:
  void go_on();
};
