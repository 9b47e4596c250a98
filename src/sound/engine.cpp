// The engine core: source registry, play calls, update thread, stop events, listener, volume.
#include "sound/engine.h"

#include <cstring>
#include <string>

#include "platform/sys_thread.h"
#include "sound/plugin_manager.h"
#include "sound/stream_mod.h"
#include "sound/stream_ogg.h"
#include "sound/stream_wav.h"

namespace vavozovu {

using vz_internal::CLockGuard;

namespace {
bool sourceLess(CVavOzovuSoundSource* a, CVavOzovuSoundSource* b) {
  return vz_internal::vzString::compare(a->getName(), b->getName()) < 0;
}
}  // namespace

CVavOzovuSoundEngine::CVavOzovuSoundEngine(vz_internal::io::IFileSystem* fs, uint32_t options)
    : fs_(fs), options_(options) {
  if (fs_) fs_->grab();
  logger_ = vz_internal::acquireLogger();
  if (options_ & ESEO_PRINT_DEBUG_INFO_TO_DEBUGGER) vz_internal::setDebuggerOutput(true);
  vz_internal::setStdoutOutput((options_ & ESEO_PRINT_DEBUG_INFO_TO_STDOUT) != 0);
  std::string banner = std::string("vavOzovu sound library version ") + VAVOZOVU_SDK_VERSION;
  vz_internal::logText(banner.c_str());
  lock_ = vz_internal::createCriticalSection();

  IAudioStreamLoader* loaders[] = {new CVavOzovuAudioStreamLoaderWAV(fs_),
                                   new CVavOzovuAudioStreamLoaderOGG(fs_),
                                   new CVavOzovuAudioStreamLoaderMOD(fs_)};
  for (IAudioStreamLoader* l : loaders) {
    registerAudioStreamLoader(l);
    l->drop();
  }
  if (options_ & ESEO_LOAD_PLUGINS) {
    CVavOzovuPluginManager* m = new CVavOzovuPluginManager(this, fs_);
    m->loadPluginsAtStart();
    m->drop();
  }
}

CVavOzovuSoundEngine::~CVavOzovuSoundEngine() {
  // The update thread goes first: everything below is what it uses.
  stopUpdateThread();
  {
    CLockGuard g(lock_);
    for (size_t i = 0; i < loaders_.size(); ++i) loaders_[i]->drop();
    loaders_.clear();
  }
  removeAllSoundSources();
  if (fs_) fs_->drop();
  lock_->drop();
  logger_->drop();
}

void CVavOzovuSoundEngine::startUpdateThread() {
  if (!(options_ & ESEO_MULTI_THREADED) || thread_) return;
  if (!vz_internal::startThread(static_cast<vz_internal::IThread*>(this), nullptr, 4, &thread_))
    thread_ = nullptr;
}

void CVavOzovuSoundEngine::stopUpdateThread() {
  stop_ = true;
  if (thread_) {
    vz_internal::joinThread(thread_);
    thread_ = nullptr;
  }
}

void CVavOzovuSoundEngine::run(void*) {
  threadRunning_ = true;
  while (!stop_) {
    updateInternal();
    // Sleep the update interval in short naps so that shutdown is prompt.
    for (uint32_t slept = 0; slept < updateIntervalMs_ && !stop_; slept += 5) sys_sleep(5);
  }
  threadRunning_ = false;
}

ISound* CVavOzovuSoundEngine::playSource(ISoundSource* source, const vec3df* position, bool looped,
                                         bool startPaused, bool track, bool effects) {
  if (!source || stop_) return nullptr;
  CLockGuard g(lock_);
  float maxD = source->getDefaultMaxDistance();
  float minD = source->getDefaultMinDistance();
  ISound* made = source->createSoundForSource(fs_, looped, position != nullptr, effects, minD, maxD);
  if (!made) return nullptr;
  CVavOzovuSound* sound = static_cast<CVavOzovuSound*>(made);
  if (position) {
    sound->set3D(true);
    sound->setPosition(*position);
  }
  sound->setVolume(source->getDefaultVolume());
  sound->updateSound(soundVolume_, listenerPosition_, listenerLook_, listenerUp_,
                     (options_ & ESEO_LINEAR_ROLLOFF) != 0, rolloffFactor_);
  if (!startPaused) sound->setIsPaused(false);
  playing_.push_back(sound);
  if (track || startPaused || effects) {
    sound->grab();
    return sound;
  }
  return nullptr;
}

ISound* CVavOzovuSoundEngine::play2D(ISoundSource* source, bool looped, bool startPaused,
                                     bool track, bool enableEffects) {
  return playSource(source, nullptr, looped, startPaused, track, enableEffects);
}

ISound* CVavOzovuSoundEngine::play2D(const char* fileName, bool looped, bool startPaused,
                                     bool track, E_STREAM_MODE mode, bool enableEffects) {
  ISoundSource* s = findSoundSource(fileName, true, mode);
  return s ? playSource(s, nullptr, looped, startPaused, track, enableEffects) : nullptr;
}

ISound* CVavOzovuSoundEngine::play3D(ISoundSource* source, vec3df position, bool looped,
                                     bool startPaused, bool track, bool enableEffects) {
  return playSource(source, &position, looped, startPaused, track, enableEffects);
}

ISound* CVavOzovuSoundEngine::play3D(const char* fileName, vec3df position, bool looped,
                                     bool startPaused, bool track, E_STREAM_MODE mode,
                                     bool enableEffects) {
  ISoundSource* s = findSoundSource(fileName, true, mode);
  return s ? playSource(s, &position, looped, startPaused, track, enableEffects) : nullptr;
}

ISoundSource* CVavOzovuSoundEngine::findSoundSource(const char* name, bool add, E_STREAM_MODE mode) {
  if (!name) return nullptr;
  CLockGuard g(lock_);
  if (!sources_.isSorted()) sources_.heapSort(sourceLess);
  int64_t low = 0, high = static_cast<int64_t>(sources_.size()) - 1;
  while (low <= high) {
    int64_t middle = (low + high) / 2;
    int c = vz_internal::vzString::compare(name, sources_[static_cast<size_t>(middle)]->getName());
    if (c == 0) return sources_[static_cast<size_t>(middle)];
    if (c < 0) high = middle - 1;
    else low = middle + 1;
  }
  if (!add) return nullptr;
  CVavOzovuSoundSource* s = new CVirtualUnknown<CVavOzovuSoundSource>(name, mode, this);
  addSource(s);
  return s;
}

void CVavOzovuSoundEngine::addSource(CVavOzovuSoundSource* source) {
  CLockGuard g(lock_);
  sources_.push_back(source);
  sources_.heapSort(sourceLess);
}

ISoundSource* CVavOzovuSoundEngine::getSoundSource(int32_t index) {
  CLockGuard g(lock_);
  if (index < 0 || index >= static_cast<int32_t>(sources_.size())) return nullptr;
  return sources_[static_cast<size_t>(index)];
}

ISoundSource* CVavOzovuSoundEngine::getSoundSource(const char* name, bool addIfNotFound) {
  return findSoundSource(name, addIfNotFound, ESM_AUTO_DETECT);
}

int32_t CVavOzovuSoundEngine::getSoundSourceCount() {
  CLockGuard g(lock_);
  return static_cast<int32_t>(sources_.size());
}

bool CVavOzovuSoundEngine::isNameTaken(const char* name, E_STREAM_MODE mode) {
  if (!findSoundSource(name, false, mode)) return false;
  vz_internal::logTextWithName("Cannot add sound source, it exists already", name);
  return true;
}

bool CVavOzovuSoundEngine::canAddMemorySource(const void* memory, int32_t size, const char* name) {
  if (isNameTaken(name, ESM_AUTO_DETECT)) return false;
  if (!memory || size < 1) {
    vz_internal::logTextWithName("Cannot add sound source from empty memory", name);
    return false;
  }
  return true;
}

ISoundSource* CVavOzovuSoundEngine::addSoundSourceFromFile(const char* fileName, E_STREAM_MODE mode,
                                                          bool preload) {
  if (!fileName) return nullptr;
  CVavOzovuSoundSource* s;
  {
    CLockGuard g(lock_);
    if (isNameTaken(fileName, mode)) return nullptr;
    s = new CVirtualUnknown<CVavOzovuSoundSource>(fileName, mode, this);
    addSource(s);
  }
  if (preload && mode != ESM_STREAMING) s->preloadSamples(fs_);
  return s;
}

ISoundSource* CVavOzovuSoundEngine::addSoundSourceFromMemory(void* memory, int32_t size,
                                                            const char* name, bool copyMemory) {
  if (!name) return nullptr;
  CLockGuard g(lock_);
  if (!canAddMemorySource(memory, size, name)) return nullptr;
  CVavOzovuSoundSource* s =
      new CVirtualUnknown<CVavOzovuMemorySoundSource>(memory, size, name, this, copyMemory);
  addSource(s);
  return s;
}

ISoundSource* CVavOzovuSoundEngine::addSoundSourceFromPCMData(void* memory, int32_t size,
                                                             const char* name,
                                                             SAudioStreamFormat format,
                                                             bool copyMemory) {
  if (!name) return nullptr;
  CLockGuard g(lock_);
  if (!canAddMemorySource(memory, size, name)) return nullptr;
  if (format.ChannelCount < 1 || format.ChannelCount > 2 || format.SampleRate < 1 ||
      (format.SampleFormat != ESF_U8 && format.SampleFormat != ESF_S16)) {
    vz_internal::logTextWithName("Cannot add sound source with an unsupported format", name);
    return nullptr;
  }
  CVavOzovuSoundSource* s = new CVirtualUnknown<CVavOzovuPurePCMSoundSource>(
      memory, size, format, name, this, copyMemory);
  addSource(s);
  return s;
}

ISoundSource* CVavOzovuSoundEngine::addSoundSourceAlias(ISoundSource* base, const char* alias) {
  if (!base || !alias) return nullptr;
  CLockGuard g(lock_);
  if (isNameTaken(alias, ESM_AUTO_DETECT)) return nullptr;
  CVavOzovuSoundSource* s = new CVirtualUnknown<CVavOzovuSoundSourceAlias>(base, alias, this);
  addSource(s);
  return s;
}

void CVavOzovuSoundEngine::removeSoundSource(const char* name) {
  ISoundSource* s = findSoundSource(name, false, ESM_AUTO_DETECT);
  if (!s) {
    vz_internal::logTextWithName("Cannot find sound source to remove", name);
    return;
  }
  removeSoundSource(s);
}

void CVavOzovuSoundEngine::removeSoundSource(ISoundSource* source) {
  if (!source) return;
  CLockGuard g(lock_);
  for (auto* n = playing_.begin(); n;) {
    if (static_cast<ISoundSource*>(n->value->source()) == source) {
      retireSound(n->value);
      n = playing_.erase(n);
    } else {
      n = n->next;
    }
  }
  ++removalDepth_;
  dispatchStopEvents();
  --removalDepth_;
  for (size_t i = 0; i < sources_.size(); ++i) {
    if (static_cast<ISoundSource*>(sources_[i]) == source) {
      CVavOzovuSoundSource* s = sources_[i];
      sources_.erase(i);
      onSoundSourceRemoved(s);
      s->drop();
      break;
    }
  }
}

void CVavOzovuSoundEngine::removeAllSoundSources() {
  // The depth counter is read by the update thread's stop-event dispatch,
  // so it only changes under the lock (which is re-entrant).
  CLockGuard g(lock_);
  ++removalDepth_;
  stopAllSounds();
  for (size_t i = 0; i < sources_.size(); ++i) {
    onSoundSourceRemoved(sources_[i]);
    sources_[i]->drop();
  }
  sources_.clear();
  --removalDepth_;
}

void CVavOzovuSoundEngine::onSoundSourceRemoved(ISoundSource* source) {
  static_cast<CVavOzovuSoundSource*>(source)->detachEngine();
}

void CVavOzovuSoundEngine::stopAllSounds() {
  CLockGuard g(lock_);
  for (auto* n = playing_.begin(); n; n = n->next) retireSound(n->value);
  playing_.clear();
  dispatchStopEvents();
}

void CVavOzovuSoundEngine::retireSound(CVavOzovuSound* sound) {
  sound->releaseBuffer();
  if (sound->hasStopEventReceiver()) stopEvents_.push_back(sound);
  else sound->drop();
}

void CVavOzovuSoundEngine::dispatchStopEvents() {
  bool removed = removalDepth_ > 0;
  // Each node leaves the list before its receiver runs, so a receiver may
  // call back into the engine.
  while (!stopEvents_.empty()) {
    CVavOzovuSound* s = stopEvents_.begin()->value;
    stopEvents_.erase(stopEvents_.begin());
    s->notifyStopped(removed);
    s->drop();
  }
}

void CVavOzovuSoundEngine::setAllSoundsPaused(bool paused) {
  CLockGuard g(lock_);
  for (auto* n = playing_.begin(); n; n = n->next) n->value->setIsPaused(paused);
}

void CVavOzovuSoundEngine::setSoundVolume(float volume) {
  CLockGuard g(lock_);
  if (volume == soundVolume_) return;
  soundVolume_ = volume;
  if (!isMultiThreaded()) update();
}

float CVavOzovuSoundEngine::getSoundVolume() {
  CLockGuard g(lock_);
  return soundVolume_;
}

void CVavOzovuSoundEngine::setListenerPosition(const vec3df& position, const vec3df& lookDirection,
                                               const vec3df& velocity, const vec3df& up) {
  CLockGuard g(lock_);
  listenerPosition_ = position;
  listenerLook_ = lookDirection;
  listenerVelocity_ = velocity;
  listenerUp_ = up;
}

void CVavOzovuSoundEngine::applyListenerToSound(CVavOzovuSound* sound) {
  CLockGuard g(lock_);
  sound->updateSound(soundVolume_, listenerPosition_, listenerLook_, listenerUp_,
                     (options_ & ESEO_LINEAR_ROLLOFF) != 0, rolloffFactor_);
}

void CVavOzovuSoundEngine::update() {
  if (isMultiThreaded()) return;
  updateInternal();
}

void CVavOzovuSoundEngine::updateInternal() {
  CLockGuard g(lock_);
  updateSounds();
  dispatchStopEvents();
}

void CVavOzovuSoundEngine::updateSounds() {
  CLockGuard g(lock_);
  for (auto* n = playing_.begin(); n;) {
    CVavOzovuSound* s = n->value;
    if (s->isBufferFinished()) {
      retireSound(s);
      n = playing_.erase(n);
    } else {
      s->updateSound(soundVolume_, listenerPosition_, listenerLook_, listenerUp_,
                     (options_ & ESEO_LINEAR_ROLLOFF) != 0, rolloffFactor_);
      n = n->next;
    }
  }
}

bool CVavOzovuSoundEngine::isCurrentlyPlaying(ISoundSource* source) {
  CLockGuard g(lock_);
  for (auto* n = playing_.begin(); n; n = n->next)
    if (static_cast<ISoundSource*>(n->value->source()) == source) return true;
  return false;
}

bool CVavOzovuSoundEngine::isCurrentlyPlaying(const char* name) {
  if (!name) return false;
  CLockGuard g(lock_);
  for (auto* n = playing_.begin(); n; n = n->next) {
    CVavOzovuSoundSource* s = n->value->source();
    if (s && strcmp(s->getName(), name) == 0) return true;
  }
  return false;
}

int32_t CVavOzovuSoundEngine::getPlayingCount() {
  CLockGuard g(lock_);
  return static_cast<int32_t>(playing_.size());
}

void CVavOzovuSoundEngine::registerAudioStreamLoader(IAudioStreamLoader* loader) {
  if (!loader) return;
  CLockGuard g(lock_);
  loader->grab();
  loaders_.push_back(loader);
}

void CVavOzovuSoundEngine::registerFileFactory(vz_internal::io::IFileFactory* factory) {
  if (fs_) fs_->addFileFactory(factory);
}

void CVavOzovuSoundEngine::setDefault3DSoundMinDistance(float d) {
  if (d >= 0) defaultMinDistance_ = d;
}
float CVavOzovuSoundEngine::getDefault3DSoundMinDistance() { return defaultMinDistance_; }
void CVavOzovuSoundEngine::setDefault3DSoundMaxDistance(float d) {
  if (d > 0) defaultMaxDistance_ = d;
}
float CVavOzovuSoundEngine::getDefault3DSoundMaxDistance() { return defaultMaxDistance_; }

void CVavOzovuSoundEngine::setRolloffFactor(float factor) {
  CLockGuard g(lock_);
  rolloffFactor_ = factor < 0 ? 0 : (factor > 10 ? 10 : factor);
}

bool CVavOzovuSoundEngine::loadPlugins(const char* folder) {
  CVavOzovuPluginManager* m = new CVavOzovuPluginManager(this, fs_);
  bool ok = m->loadPluginsFromPath(folder);
  m->drop();
  return ok;
}

bool CVavOzovuSoundEngine::setMixedDataOutputReceiver(IMixedOutputReceiver*) {
  vz_internal::logText(
      "Error: This sound driver does not support MixedDataOutputReceivers. Use a software driver.");
  return false;
}

ISound* CVavOzovuSoundEngine::playMusic(const char*) {
  vz_internal::logText("playMusic() is not implemented in this version, yet. Sorry");
  return nullptr;
}

ISound* CVavOzovuSoundEngine::createBufferedSound(CVavOzovuBufferedSamples*, CVavOzovuSoundSource*,
                                                  bool, bool, float, float, bool) {
  return nullptr;
}

ISound* CVavOzovuSoundEngine::createStreamedSound(IAudioStream*, CVavOzovuSoundSource*, bool, bool,
                                                  float, float, bool) {
  return nullptr;
}

IAudioStream* CVavOzovuSoundEngine::openAudioStream(IFileReader* reader) {
  if (!reader) return nullptr;
  vz_internal::vzString lower(reader->getFileName());
  lower.makeLower();
  CLockGuard g(lock_);
  bool failedBefore = false;
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < loaders_.size(); ++i) {
      if (pass == 0 && !loaders_[i]->isValidFileExtension(lower.c_str())) continue;
      if (failedBefore) reader->seek(0);
      IAudioStream* s = loaders_[i]->createAudioStream(reader);
      if (s) return s;
      failedBefore = true;
    }
  }
  if (lower.contains(".mp3"))
    vz_internal::logTextWithName(
        "Could not open audio stream for sound file (maybe the vavOzovu mp3 plugin is missing?)",
        reader->getFileName());
  else
    vz_internal::logTextWithName("Could not open audio stream for sound file", reader->getFileName());
  return nullptr;
}

}  // namespace vavozovu
