// The up and down arrows beside the sector map.
#pragma once

class Box;

// A focusable arrow answering the action code when clicked: "map-arrow-%s-off"
// of the direction word ("up" or "down"), 80 high, lit by "map-arrow-%s-on"
// when hovered or focused. Answers the Box around it.
Box* gui_map_arrow(const char* direction, int action);
