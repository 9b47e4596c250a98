// The player's options, saved as raw images: "settings.dat" is Settings and
// "lsettings.dat" is LocalSettings (video options of this machine only).
// The offsets are those of the files; integers are 32-bit little-endian.
// Toggles hold 1 (on) or -1 (off); 0 means unset and gets its default at
// start-up.
#pragma once
#include <cstddef>
#include <cstdint>

enum { SETTINGS_VERSION = 1, LSETTINGS_VERSION = 1 };

// Game actions: the indexes of the key and gamepad bindings.
enum {
  ACT_UP = 1,
  ACT_RIGHT = 2,
  ACT_DOWN = 3,
  ACT_LEFT = 4,
  ACT_BATTERY = 5,  // the flashlight
  ACT_BOMB = 6,
  ACT_MINIMAP = 7,
  ACT_ESCAPE = 8,
  ACT_COUNT = 9,
};

struct Settings {
  int32_t version;          //    0
  char name[64];            //    4 account name
  char passwd[64];          //   68 account password
  int32_t music;            //  132 music volume 0..100
  int32_t sfx;              //  136 sound-effect volume 0..100
  char udid[256];           //  140 device id
  char id_name[256];        //  396 identity: display name
  char uid[256];            //  652 identity: uid
  char token[256];          //  908 identity: token
  int32_t debug;            // 1164 1 on, -1 off
  // 1168: 1 once this block has been through start-up: from then on a
  // volume of 0 is the player's choice, not an unset field.
  int32_t volumes_set;
  int32_t keys[16];         // 1172 platform key symbol per action
  int32_t game_hud;         // 1236
  int32_t game_hints;       // 1240
  int32_t spare0;           // 1244
  int32_t vfenn;            // 1248
  int32_t joys[16];         // 1252 0x100 + gamepad button per action
  int32_t spare1;           // 1316
  int32_t game_timer;       // 1320
  uint8_t reserved[936];    // 1324
};

static_assert(sizeof(Settings) == 2260, "Settings is 2,260 bytes");
static_assert(offsetof(Settings, name) == 4, "name");
static_assert(offsetof(Settings, passwd) == 68, "passwd");
static_assert(offsetof(Settings, music) == 132, "music");
static_assert(offsetof(Settings, sfx) == 136, "sfx");
static_assert(offsetof(Settings, keys) == 1172, "keys");
static_assert(offsetof(Settings, keys) + 4 * ACT_UP == 1176, "keys_up");
static_assert(offsetof(Settings, keys) + 4 * ACT_ESCAPE == 1204, "keys escape");
static_assert(offsetof(Settings, game_hud) == 1236, "game_hud");
static_assert(offsetof(Settings, game_hints) == 1240, "game_hints");
static_assert(offsetof(Settings, vfenn) == 1248, "vfenn");
static_assert(offsetof(Settings, joys) == 1252, "joys");
static_assert(offsetof(Settings, joys) + 4 * ACT_BATTERY == 1272, "joys_battery");
static_assert(offsetof(Settings, joys) + 4 * ACT_ESCAPE == 1284, "joys_escape");
static_assert(offsetof(Settings, game_timer) == 1320, "game_timer");

struct LocalSettings {
  int32_t version;  // 0
  int32_t vres;     // 4 -1 automatic, else (width << 16) | height
  int32_t vfull;    // 8 1 full screen, -1 windowed
  int32_t vsync;    // 12 1 on, -1 off
  uint8_t reserved[1008];
};

static_assert(sizeof(LocalSettings) == 1024, "LocalSettings is 1,024 bytes");
static_assert(offsetof(LocalSettings, vres) == 4, "vres");
static_assert(offsetof(LocalSettings, vfull) == 8, "vfull");
static_assert(offsetof(LocalSettings, vsync) == 12, "vsync");

// Default values, used for fields left 0.
enum {
  DEFAULT_MUSIC = 80,
  DEFAULT_SFX = 100,
};

// Gives every unset field its default. Volumes get theirs only while the
// block has never been through start-up (volumes_set 0), so a volume that the
// player turned down to 0 stays 0.
void settings_defaults(Settings* s);
void local_settings_defaults(LocalSettings* s);
// Terminates every text field of a block read from outside and resets each
// key binding outside the platform's key range to its default.
void settings_sanitize(Settings* s);
