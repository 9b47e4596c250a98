// The wave-out back-end: opens the device and refills its ring of blocks from the mixer.
#include "sound/winmm_engine.h"

#include <cstring>
#include <string>

namespace vavozovu {

using vz_internal::CLockGuard;

bool waveOutErrorText(uint32_t code, const char* context) {
  if (code == SYS_WAVE_NOERROR) return false;
  const char* text = nullptr;
  switch (code) {
    case 2: text = "Specified device identifier is out of range."; break;
    case 4: text = "Specified resource is already allocated."; break;
    case 5: text = "Specified device handle is invalid."; break;
    case 6: text = "No device driver is present."; break;
    case 7: text = "Unable to allocate or lock memory."; break;
    case 32: text = "Attempted to open with an unsupported waveform-audio format."; break;
    case 34: text = "The data block hasn't been prepared."; break;
    case 35: text = "The device is synchronous but waveOutOpen was called without using the WAVE_ALLOWSYNC flag."; break;
    default: break;
  }
  std::string number = std::to_string(static_cast<int32_t>(code));
  vz_internal::logTextWithName(context, text ? text : number.c_str());
  return true;
}

CVavOzovuWinMMSoundEngine::CVavOzovuWinMMSoundEngine(vz_internal::io::IFileSystem* fs,
                                                     uint32_t options, SysAudioSink sink)
    : CVavOzovuSoftwareSoundEngine(fs, options) {
  for (SysWaveHeader& h : headers_) {
    h.data = nullptr;
    h.bufferLength = 0;
    h.bytesRecorded = 0;
    h.user = 0;
    h.flags = 0;
    h.loops = 0;
    h.next = nullptr;
    h.reserved = 0;
  }
  SysWaveFormat format = {SYS_WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 18};
  SysWaveOut* device = nullptr;
  if (waveOutErrorText(sys_wave_out_open(&device, SYS_WAVE_MAPPER, &format, sink),
                       "Could not start up winMM device"))
    return;
  memset(blocks_, 0, sizeof blocks_);
  for (int i = 0; i < kBlocks; ++i) {
    headers_[i].data = blocks_ + i * kBlockBytes;
    headers_[i].bufferLength = kBlockBytes;
    headers_[i].flags = SYS_WHDR_DONE;
  }
  device_ = device;
  backendRecord_[2] = reinterpret_cast<uintptr_t>(device);
  startUpdateThread();
  vz_internal::logText("Using winMM driver");
}

CVavOzovuWinMMSoundEngine::~CVavOzovuWinMMSoundEngine() {
  if (!device_) return;
  stopUpdateThread();
  removeAllSoundSources();
  sys_wave_out_reset(device_);
  for (SysWaveHeader& h : headers_)
    if (h.flags & (SYS_WHDR_DONE | SYS_WHDR_PREPARED))
      waveOutErrorText(sys_wave_out_unprepare_header(device_, &h, 32), "could not free header");
  sys_wave_out_close(device_);
  device_ = nullptr;
  backendRecord_[2] = 0;
}

SysAudioSink CVavOzovuWinMMSoundEngine::getSink() const { return sys_wave_out_sink(device_); }

void CVavOzovuWinMMSoundEngine::updateInternal() {
  CLockGuard g(lock_);
  updateSounds();
  if (device_) {
    for (SysWaveHeader& h : headers_) {
      uint32_t flags = h.flags;
      if (!(flags & SYS_WHDR_DONE)) continue;
      if (flags & SYS_WHDR_PREPARED)
        waveOutErrorText(sys_wave_out_unprepare_header(device_, &h, 32),
                         "could not unprepare for update");
      mixSoftwareSounds(reinterpret_cast<int16_t*>(h.data), kBlockBytes / 4);
      h.flags = 0;
      waveOutErrorText(sys_wave_out_prepare_header(device_, &h, 32), "could not prepare for update");
      waveOutErrorText(sys_wave_out_write(device_, &h, 32), "could not write wave for update");
    }
  }
  dispatchStopEvents();
}

}  // namespace vavozovu
