// The shortest way between two cells of a level grid, for tests that walk
// the player through a level by key events.
#pragma once
#include <deque>
#include <functional>
#include <vector>

#include "game/level_map.h"

struct Cell {
  int x, y;
  bool operator==(const Cell& o) const { return x == o.x && y == o.y; }
  bool operator!=(const Cell& o) const { return !(*this == o); }
};

// The cells after `from` up to and including `to`, stepping only onto cells
// that `open` accepts; empty when there is no way.
inline std::vector<Cell> grid_route(Cell from, Cell to, const std::function<bool(Cell)>& open) {
  std::vector<int> prev(MAP_W * MAP_H, -1);
  std::deque<Cell> q{from};
  prev[from.y * MAP_W + from.x] = from.y * MAP_W + from.x;
  while (!q.empty()) {
    Cell c = q.front();
    q.pop_front();
    if (c == to) break;
    const int d[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (auto& s : d) {
      Cell n{c.x + s[0], c.y + s[1]};
      if (n.x < 0 || n.y < 0 || n.x >= MAP_W || n.y >= MAP_H) continue;
      if (prev[n.y * MAP_W + n.x] != -1 || !open(n)) continue;
      prev[n.y * MAP_W + n.x] = c.y * MAP_W + c.x;
      q.push_back(n);
    }
  }
  std::vector<Cell> path;
  if (prev[to.y * MAP_W + to.x] == -1) return path;
  for (int i = to.y * MAP_W + to.x; i != from.y * MAP_W + from.x; i = prev[i]) path.push_back({i % MAP_W, i / MAP_W});
  return {path.rbegin(), path.rend()};
}
