// Small public types of the sound engine: vectors, stream modes, driver
// numbers and option bits, stop causes.
#pragma once
#include <cstdint>

namespace vavozovu {

struct vec3df {
  float X = 0, Y = 0, Z = 0;
  vec3df() = default;
  vec3df(float x, float y, float z) : X(x), Y(y), Z(z) {}
};

enum E_STREAM_MODE {
  ESM_AUTO_DETECT = 0,
  ESM_STREAMING = 1,
  ESM_NO_STREAMING = 2,
};

enum E_SOUND_OUTPUT_DRIVER {
  ESOD_AUTO_DETECT = 0,
  ESOD_DIRECT_SOUND_8 = 1,
  ESOD_DIRECT_SOUND = 2,
  ESOD_WIN_MM = 3,
  ESOD_ALSA = 4,
  ESOD_CORE_AUDIO = 5,
  ESOD_NULL = 6,
};

enum E_SOUND_ENGINE_OPTIONS : uint32_t {
  ESEO_MULTI_THREADED = 0x01,
  ESEO_MUTE_IF_NOT_FOCUSED = 0x02,
  ESEO_LOAD_PLUGINS = 0x04,
  ESEO_USE_3D_BUFFERS = 0x08,
  ESEO_PRINT_DEBUG_INFO_TO_DEBUGGER = 0x10,
  ESEO_PRINT_DEBUG_INFO_TO_STDOUT = 0x20,
  ESEO_LINEAR_ROLLOFF = 0x40,
  ESEO_DEFAULT_OPTIONS = 0x3D,
};

enum E_STOP_EVENT_CAUSE {
  ESEC_SOUND_FINISHED_PLAYING = 0,
  ESEC_SOUND_STOPPED_BY_USER = 1,
  ESEC_SOUND_STOPPED_BY_SOURCE_REMOVAL = 2,
};

}  // namespace vavozovu
