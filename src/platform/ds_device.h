// The output-buffer interface of our own: a sound device object that holds
// secondary buffers (ds_buffer.h), a primary buffer and a 3D listener
// (ds_3d.h). Every playing buffer is mixed in software into the virtual
// output device (sys_audio_device.h) that wave-out uses too: SDL audio, the
// silent sink, or the capture sink of tests.
#pragma once
#include <mutex>
#include <vector>

#include "platform/ds_types.h"
#include "platform/sys_audio_device.h"

class DsBuffer;
class DsListener;

// Listener state shared by the listener object and the mixer.
struct Ds3DListenerState {
  float position[3] = {0, 0, 0};
  float velocity[3] = {0, 0, 0};
  float front[3] = {0, 0, 1};
  float top[3] = {0, 1, 0};
  float distanceFactor = 1;
  float rolloffFactor = 1;
  float dopplerFactor = 1;
};

class DsDevice : public DsObject, private SysAudioProducer {
 public:
  // Opens the output (all-zero id: the default sink; otherwise an id that
  // ds_enumerate named).
  int32_t Initialize(const DsGuid* device);
  int32_t SetCooperativeLevel(void* window, uint32_t level);
  int32_t CreateSoundBuffer(const DsBufferDesc* desc, DsBuffer** out);
  // A new buffer over the same sample memory, stopped at position 0.
  int32_t DuplicateSoundBuffer(DsBuffer* original, DsBuffer** out);

  // Implementation side.
  std::recursive_mutex& mutex() { return mutex_; }
  int rate() const { return SYS_AUDIO_RATE; }
  void addBuffer(DsBuffer* b);
  void removeBuffer(DsBuffer* b);
  Ds3DListenerState& listener() { return listener_; }
  Ds3DListenerState& pendingListener() { return pending_; }
  // Applies every deferred listener and 3D-buffer setting.
  void commitDeferred();
  // Mixes `frames` frames of every playing buffer (the output's pull).
  void pull(int16_t* out, int frames) override;
  bool isInitialized() const { return output_ != nullptr; }
  SysAudioSink sink() const;

 private:
  friend int32_t ds_create(DsDevice** out);
  DsDevice() = default;
  ~DsDevice() override;

  std::recursive_mutex mutex_;
  std::vector<DsBuffer*> buffers_;
  SysAudioDevice* output_ = nullptr;
  uint32_t coopLevel_ = 0;
  Ds3DListenerState listener_;
  Ds3DListenerState pending_;
  std::vector<float> mix_;
  std::vector<float> scratch_;
};

// Makes a device object; Initialize opens it.
int32_t ds_create(DsDevice** out);

// Device list: calls back with (null, the primary device's name), then with
// every output the platform can name; a false answer stops the list.
typedef bool (*DsEnumCallback)(const DsGuid* guid, const char* description, const char* module,
                               void* context);
int32_t ds_enumerate(DsEnumCallback callback, void* context);

// Library look-up: the enumeration entry of the interface (always present
// unless the fault switch hides it).
typedef int32_t (*DsEnumerateFn)(DsEnumCallback, void*);
DsEnumerateFn ds_find_enumerate();

// The hidden window the cooperative level names, and thread start-up of the
// interface: no-ops here that succeed (the window can be made to fail).
void* ds_create_hidden_window(const char* className);
void ds_destroy_hidden_window(void* window);
void ds_thread_init();
void ds_thread_uninit();
