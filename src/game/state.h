// The base of every screen. Each screen is created once at start-up and
// stored in the state table under its id; exactly one is current.
#pragma once

#include "driver/event.h"
#include "game/state_ids.h"
#include "game/state_table.h"
#include "ui/widget.h"
#include "util/var.h"

struct Game;

class State {
 public:
  Game* game;      // the one Game, never changed
  Container root;  // the root of the screen's widget tree

  explicit State(Game* g) : game(g) {}
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  // Virtual operations, in slot order. The defaults: init, deinit and paint
  // do nothing, event hands the event to root, loop runs root's loop, call
  // answers none.
  virtual void init();
  virtual void deinit();
  virtual void paint();
  virtual void event(Event e);
  virtual void loop();
  virtual var call(var arg);
  virtual ~State();

  // Whether held keys repeat while this screen is current (screens where
  // text is typed or values are stepped say yes).
  virtual bool wants_key_repeat() const { return false; }
};
