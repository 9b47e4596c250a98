// Starts the program's sound engine on the chosen output sink and reads back captured output.
#include "sound/sound_start.h"

#include "platform/sys_audio_device.h"
#include "sound/ds_engine.h"
#include "sound/winmm_engine.h"

namespace vavozovu {

ISoundEngine* startSoundEngine(E_OUTPUT_SINK sink, uint32_t options) {
  sys_audio_set_default_sink(static_cast<SysAudioSink>(sink));
  return createSoundEngine(ESOD_AUTO_DETECT, options, nullptr, VAVOZOVU_SDK_VERSION);
}

E_OUTPUT_SINK getOutputSink(ISoundEngine* engine) {
  if (CVavOzovuWinMMSoundEngine* e = dynamic_cast<CVavOzovuWinMMSoundEngine*>(engine))
    return static_cast<E_OUTPUT_SINK>(e->getSink());
  CVavOzovuDirectSoundEngineBase* d = dynamic_cast<CVavOzovuDirectSoundEngineBase*>(engine);
  return d && d->getDevice() ? static_cast<E_OUTPUT_SINK>(d->getDevice()->sink()) : EOS_AUTO;
}

int32_t captureOutput(int16_t* out, int32_t frames) { return sys_audio_capture(out, frames); }

}  // namespace vavozovu
