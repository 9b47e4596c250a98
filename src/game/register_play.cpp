// Puts the in-level and movie screens into the state table at start-up.
#include "game/register_play.h"

#include "game/movie_states.h"
#include "game/play_states.h"

void register_play_states(Game* g) {
  state_put(STATE_PLAY_INTRO, new PlayIntro(g));
  state_put(STATE_PLAY, new Play(g));
  state_put(STATE_PLAY_PAUSE, new PlayPause(g));
  state_put(STATE_PLAY_WIN, new PlayWin(g));
  state_put(STATE_MOVIE_INTRO, new MovieState(g, "intro.ivf", STATE_MENUS_PLAY, nullptr));
  state_put(STATE_MOVIE_OUTRO, new MovieState(g, "outro.ivf", STATE_MENUS_CREDITS, "mus-outro"));
}
